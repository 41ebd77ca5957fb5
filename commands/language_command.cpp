#include "commands/commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lang/lang_save_ahead.h"
#include "lang/lang_writer.h"
#include "platform/file_read.h"
#include "commands/lines.h"
#include "messages/messages.h"

namespace app {

void LoadInstallLanguages(CLangTable& table, IniFileCache& profiles,
                          const std::u16string& installDir) {
    CIniFile& config =
        GetCachedIniFile(profiles, install::Join(installDir, install::kSystemConfig));
    table.LoadFiles(installDir, config.GetString(install::kSystemSection, install::kLangFileListKey,
                                                 std::u16string(install::kDefaultLangFileList)));
}

LangSaveResult SaveLanguage(const CLangTable& table, const std::u16string& installDir, int slot,
                            CommandHost& host, platform::WriteResult* write,
                            install::DigestAhead* digests, LangSaveAhead* saves) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        if (write != nullptr) {
            *write = platform::WriteResult{};
        }
        return LangSaveResult::kFailed;
    }
    const std::u16string langFolder = install::Join(installDir, install::kLangFolder);
    const std::u16string path = install::Join(langFolder, table.FileName(slot));
    const LangSaveResult saved = table.SaveLangFile(
        slot, langFolder, installDir, write,
        [&] { return host.KeepOriginal(installDir, path, digests); },
        [&] { return host.ConfirmOverwrite(path); }, saves);
    host.Settle(installDir, path, saved == LangSaveResult::kWritten);
    return saved;
}

CommandResult SaveAllLanguages(const CLangTable& table, const std::u16string& installDir,
                               CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    const std::u16string langFolder = install::Join(installDir, install::kLangFolder);
    // The originals not kept yet of the edited languages (the files a save is about to
    // replace; another file that needs replacing takes its digest in its keep) are read for
    // their digests on another thread meanwhile.
    std::vector<std::u16string> files;
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        if (table.HasUnsavedEdits(slot) && !table.FileName(slot).empty() &&
            !table.Entries(slot).empty()) {
            files.push_back(install::Join(langFolder, table.FileName(slot)));
        }
    }
    const std::unique_ptr<install::DigestAhead> digests =
        host.DigestOriginalsAhead(installDir, files);
    // Meanwhile another worker composes, compares and writes each file ahead of its replace,
    // when the files are large enough to pay for starting it.
    size_t entries = 0;
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        entries += table.Entries(slot).size();
    }
    constexpr size_t kSaveAheadFrom = 4000;
    std::optional<LangSaveAhead> saves;
    if (entries >= kSaveAheadFrom) {
        saves.emplace(table, langFolder, installDir);
    }
    std::u16string failed;    // files that stayed as they were
    std::u16string problems;  // files refused or left elsewhere, each with what happened
    std::u16string left;      // files another program changed, left as they are
    int saved = 0;            // written, or already holding what would be written
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        platform::WriteResult write;
        switch (SaveLanguage(table, installDir, slot, host, &write, digests.get(),
                             saves ? &*saves : nullptr)) {
            case LangSaveResult::kWritten:
            case LangSaveResult::kUnchanged:
                ++saved;
                break;
            case LangSaveResult::kNothingToWrite:
            case LangSaveResult::kNoEntries:
                break;
            case LangSaveResult::kChangedOnDisk:
                left += u"\r\n" + langFolder + u"\\" + table.FileName(slot);
                break;
            case LangSaveResult::kFailed: {
                const std::u16string path = langFolder + u"\\" + table.FileName(slot);
                const std::u16string problem = msg::WriteProblem(write, path);
                (problem.empty() ? failed : problems) +=
                    u"\r\n" + (problem.empty() ? path : problem);
                break;
            }
        }
    }
    std::vector<std::u16string> blocks;
    if (!failed.empty()) {
        blocks.push_back(msg::kLangFilesUnchangedFailed + failed);
    }
    if (!problems.empty()) {
        blocks.push_back(msg::kLangFilesFailed + problems);
    }
    if (!left.empty()) {
        blocks.push_back(msg::kLangFilesChangedOnDisk + left);
    }
    if (!blocks.empty()) {
        host.Tell(Joined(blocks));
        return CommandResult::kFailed;
    }
    host.Tell(saved == 0 ? msg::kNoLanguageRead : msg::kSaved);
    return CommandResult::kDone;
}

bool LanguageSaveKeepsBytes(const CLangTable& table, const std::u16string& installDir, int slot) {
    const std::u16string path =
        install::Join(install::Join(installDir, install::kLangFolder), table.FileName(slot));
    const std::string bytes = lang::EncodeLangFile(table.Entries(slot));
    return platform::FileHolds(path, bytes.data(), bytes.size());
}

}  // namespace app
