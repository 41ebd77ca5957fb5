#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "rebrand/app_name.h"
#include "rebrand/exe_texts.h"
#include "rebrand/icon_group.h"
#include "rebrand/icon_file.h"
#include "rebrand/string_block.h"
#include "rebrand/file_steps.h"
#include "rebrand/process_check.h"
#include "rebrand/staged_executable.h"
#include "text/blanks.h"
#include "text/file_names.h"
#include "commands/lines.h"
#include "text/ascii_case.h"
#include "messages/messages.h"

namespace app {

namespace {

using rebrand::kStringType;
constexpr uint16_t kIconType = rebrand::kIconResourceType;
constexpr uint16_t kResourceLanguage = 2052;

// The steps of the rebrand command that write, on the request they work on. The
// executable's steps stage their updates on one copy of it, which replaces it once.
class Rebrand {
public:
    Rebrand(const RebrandRequest& r, CommandHost& host) : r_(r), host_(host) {}

    // False when the icon file gives no image.
    bool ReplaceIcon(rebrand::StagedExecutable& exe) {
        std::string file;
        if (!rebrand::ReadFileUnshared(r_.iconPath, file)) {
            return false;
        }
        rebrand::IconDirEntry entry;
        std::string image;
        if (rebrand::ReadFirstIconImage(file, entry, image) != rebrand::IconFileStatus::kOk) {
            return false;
        }
        std::vector<rebrand::ResourceUpdate> updates;
        const uint16_t lastId = install::IsV62(r_.edition) ? 1 : 4;
        for (uint16_t id = 1; id <= lastId; ++id) {
            updates.push_back({kIconType, id, kResourceLanguage, image});
        }
        exe.AddStep(std::move(updates));
        return true;
    }

    // The string-table steps start from the block the executable holds at that point (its own,
    // or as an earlier step left it) in the language the rebrand writes, when it parses: the
    // entries the rebrand does not set keep their texts.
    void RewriteStringBlocks(const std::u16string& caption, const std::u16string& newDocName,
                             rebrand::StagedExecutable& exe) {
        const install::Edition edition = r_.edition;
        exe.AddStep([caption, newDocName, edition](rebrand::ResourceTree& tree) {
            const std::optional<rebrand::StringBlock> existing =
                ExistingBlock(tree, rebrand::kDocStringBlock);
            return Write(tree, rebrand::kDocStringBlock,
                         rebrand::BuildDocStringBlock(caption, newDocName, edition,
                                                      existing ? &*existing : nullptr));
        });
        if (caption.empty()) {
            return;
        }
        exe.AddStep([caption](rebrand::ResourceTree& tree) {
            const std::optional<rebrand::StringBlock> existing =
                ExistingBlock(tree, rebrand::kTitleStringBlock);
            return Write(tree, rebrand::kTitleStringBlock,
                         rebrand::BuildTitleStringBlock(caption, existing ? &*existing : nullptr));
        });
    }

    static std::optional<rebrand::StringBlock> ExistingBlock(const rebrand::ResourceTree& tree,
                                                             uint16_t block) {
        const rebrand::ResourceData* data =
            tree.Find(rebrand::ResourceName::Id(kStringType), rebrand::ResourceName::Id(block),
                      rebrand::ResourceName::Id(kResourceLanguage));
        return data != nullptr ? rebrand::ParseStringBlock(data->bytes) : std::nullopt;
    }

    static bool Write(rebrand::ResourceTree& tree, uint16_t block, const rebrand::BlockData& data) {
        switch (data.status) {
            case rebrand::BlockStatus::kNothingToWrite:
                return true;
            case rebrand::BlockStatus::kTooLong:
                return false;
            case rebrand::BlockStatus::kWrite:
                break;
        }
        tree.Set(rebrand::ResourceName::Id(kStringType), rebrand::ResourceName::Id(block),
                 rebrand::ResourceName::Id(kResourceLanguage), data.bytes);
        return true;
    }

    void NoteUpdate(const rebrand::UpdateResult& result) {
        if (!result.movedSection.empty()) {
            const std::u16string section(result.movedSection.begin(), result.movedSection.end());
            writeProblems.push_back(msg::WouldMoveSection(section, r_.exePath));
            return;
        }
        const std::u16string problem = msg::WriteProblem(result.write, r_.exePath);
        if (!problem.empty()) {
            writeProblems.push_back(problem);
        }
    }

    bool CopyPicture(const std::u16string& source, const char16_t* relativeDestination) {
        if (!platform::PathExists(source)) {
            host_.Tell(msg::PictureMissing(source));
            return false;
        }
        const std::u16string destination = install::Join(r_.installDir, relativeDestination);
        if (!host_.KeepOriginal(r_.installDir, destination)) {
            return false;
        }
        platform::WriteResult write;
        const rebrand::CopyResult copied =
            rebrand::CopyOver(source, destination, r_.installDir, &write);
        host_.Settle(r_.installDir, destination);
        if (copied != rebrand::CopyResult::kFailed) {
            return true;
        }
        const std::u16string problem = msg::WriteProblem(write, destination);
        if (!problem.empty()) {
            writeProblems.push_back(problem);
        }
        return false;
    }

    // Lines the command adds to its final message: files of the steps above that were
    // refused or left elsewhere, each with what it holds now.
    std::vector<std::u16string> writeProblems;

private:
    const RebrandRequest& r_;
    CommandHost& host_;
};

// Whether the string-table step runs, with the texts it passes (trimmed as the command
// trims them).
bool StringStep(RebrandRequest& r) {
    r.caption = text::TrimBlanks(r.caption);
    if (!r.caption.empty()) {
        return true;
    }
    r.newDocName = text::TrimBlanks(r.newDocName);
    return !r.newDocName.empty();
}

bool Renames(const RebrandRequest& r) {
    return !r.appName.empty() && r.appName != r.exeFileName;
}

}  // namespace

bool IsPictureFile(const std::u16string& path) {
    // A device is never opened: COM1 may wait for a line, CON for the keyboard.
    return !text::NamesDevice(path) &&
           (!platform::PathExists(path) || platform::IsRegularFile(path));
}

bool IsExecutableName(const std::u16string& relative) {
    return relative.find(u'\\') == std::u16string::npos &&
           text::EndsWithFoldingAscii(relative, u".exe");
}

std::optional<InputProblem> CheckRebrand(RebrandRequest& r) {
    // The application name as typed, and the file that is about to be modified.
    if (rebrand::IsProcessRunning(r.appName) || rebrand::IsExecutableRunning(r.exeFileName)) {
        return InputProblem{msg::kTargetRunning, RebrandField::kNone};
    }
    r.exePath = text::TrimBlanks(r.exePath);
    if (r.exePath.empty()) {
        return InputProblem{msg::kExePathEmpty, RebrandField::kExePath};
    }
    if (r.iconOn && (r.iconPath = text::TrimBlanks(r.iconPath)).empty()) {
        return InputProblem{msg::kIconPathEmpty, RebrandField::kIcon};
    }
    if (r.startupOn && (r.startupImagePath = text::TrimBlanks(r.startupImagePath)).empty()) {
        return InputProblem{msg::kStartupPathEmpty, RebrandField::kStartupImage};
    }
    if (r.adOn && (r.adImagePath = text::TrimBlanks(r.adImagePath)).empty()) {
        return InputProblem{msg::kAdPathEmpty, RebrandField::kAdImage};
    }
    const struct {
        bool on;
        const std::u16string& path;
        RebrandField field;
    } pictures[] = {{r.iconOn, r.iconPath, RebrandField::kIcon},
                    {r.startupOn, r.startupImagePath, RebrandField::kStartupImage},
                    {r.adOn, r.adImagePath, RebrandField::kAdImage}};
    for (const auto& p : pictures) {
        if (p.on && !IsPictureFile(p.path)) {
            return InputProblem{msg::NotAFile(p.path), p.field};
        }
    }
    r.appName = text::TrimBlanks(r.appName);
    if (Renames(r) && !text::IsPlainFileName(r.appName)) {
        return InputProblem{msg::kNotAPlainAppName, RebrandField::kAppName};
    }
    return std::nullopt;
}

CommandResult RunRebrand(RebrandRequest r, CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(r.installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    Rebrand steps(r, host);
    // Every failure is told, in the order of the steps; a failing icon or picture step ends
    // the command after the failures before it.
    std::vector<std::u16string> problems;
    const auto stop = [&](const std::u16string& stepFailed) {
        problems.push_back(stepFailed);
        problems.insert(problems.end(), steps.writeProblems.begin(), steps.writeProblems.end());
        host.Tell(Joined(problems));
        return CommandResult::kFailed;
    };

    // The resource edits of a brand, the icon and the string-table steps are staged on one
    // copy of the executable, which replaces it once: after the logo copy, before the
    // pictures. The digest of the executable's original is taken meanwhile, on another thread.
    const bool writeStrings = StringStep(r);
    const bool writeIconImages = r.iconOn && !r.iconGroupsReplaceImages;
    const bool changesExe = writeIconImages || writeStrings || !r.resourceEdits.empty();
    const std::unique_ptr<install::DigestAhead> exeOriginal =
        changesExe ? host.DigestOriginalsAhead(r.installDir, {r.exePath}) : nullptr;
    rebrand::StagedExecutable exe(r.exePath, r.installDir);
    for (const auto& edit : r.resourceEdits) {
        exe.AddStep(edit);
    }
    if (writeIconImages && !steps.ReplaceIcon(exe)) {
        return stop(msg::kIconFailed);
    }
    const size_t firstStringStep = exe.StepCount();
    if (writeStrings) {
        steps.RewriteStringBlocks(r.caption, r.newDocName, exe);
    }
    std::vector<bool> built;
    if (exe.StepCount() > 0) {
        built = exe.Build();
        if (std::find(built.begin(), built.end(), false) != built.end()) {
            steps.NoteUpdate(exe.result());
        }
    }
    const auto builtRange = [&](size_t from, size_t to) {
        return std::all_of(built.begin() + static_cast<ptrdiff_t>(from),
                           built.begin() + static_cast<ptrdiff_t>(to), [](bool b) { return b; });
    };
    // A brand's resource edits, or the icon images, that cannot be made fail the command as
    // the icon step does.
    if (!builtRange(0, firstStringStep)) {
        return stop(r.iconOn ? msg::kIconFailed : msg::kResourcesFailed);
    }
    if (r.iconOn && !steps.CopyPicture(r.iconPath, install::kLogoIcon)) {
        return stop(msg::kIconFailed);  // the executable is not replaced
    }
    // The original is kept right before the one replace of the executable.
    if (!built.empty() && built[0] &&
        !(host.KeepOriginal(r.installDir, r.exePath, exeOriginal.get()) &&
          exe.Commit().Updated())) {
        host.Settle(r.installDir, r.exePath);
        steps.NoteUpdate(exe.result());
        if (firstStringStep > 0) {
            return stop(r.iconOn ? msg::kIconFailed : msg::kResourcesFailed);
        }
        built.assign(built.size(), false);
    }
    const bool stringsWritten = builtRange(firstStringStep, built.size());
    if (writeStrings && !stringsWritten) {
        problems.push_back(msg::kStringsFailed);
        problems.insert(problems.end(), steps.writeProblems.begin(), steps.writeProblems.end());
    }
    steps.writeProblems.clear();

    if (r.startupOn && !steps.CopyPicture(r.startupImagePath, install::kStartupPicture)) {
        return stop(msg::kStartupFailed);
    }
    if (r.adOn && !steps.CopyPicture(r.adImagePath, install::kAdPicture)) {
        return stop(msg::kAdFailed);
    }

    if (Renames(r)) {
        const std::u16string newName = rebrand::WithExeExtension(r.appName);
        const std::u16string newPath = install::Join(r.installDir, newName);
        const std::u16string oldPath = install::Join(r.installDir, r.exeFileName);
        // The new name is kept as "did not exist", so that a restore removes it.
        // The former name keeps a real copy: after the rename the file lives on under the
        // new name, so a second name of it would not stay what it was.
        const auto copy = install::InstallBackup::KeepHow::kCopy;
        const bool kept = host.KeepOriginal(r.installDir, oldPath, nullptr, copy) &&
                          host.KeepOriginal(r.installDir, newPath, nullptr, copy);
        const rebrand::RenameResult renamed =
            kept ? rebrand::RenameFileTo(oldPath, newPath) : rebrand::RenameResult::kFailed;
        host.Settle(r.installDir, oldPath);
        host.Settle(r.installDir, newPath);
        switch (renamed) {
            case rebrand::RenameResult::kRenamed:
                break;
            case rebrand::RenameResult::kTargetExists:
                problems.push_back(msg::RenameTargetExists(newPath));
                break;
            case rebrand::RenameResult::kFailed:
                problems.push_back(msg::RenameFailed(oldPath, newName));
                break;
        }
    }

    if (problems.empty()) {
        host.Tell(msg::kRebrandDone);
        return CommandResult::kDone;
    }
    host.Tell(Joined(problems));
    return CommandResult::kFailed;
}

}  // namespace app
