#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "commands/write_problem.h"
#include "ini/ini_encoding.h"
#include "install/install_layout.h"
#include "lang/lang_writer.h"
#include "platform/file_read.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "rebrand/app_name.h"
#include "rebrand/icon_file.h"
#include "rebrand/string_block.h"
#include "rebrand/file_steps.h"
#include "rebrand/process_check.h"
#include "rebrand/staged_executable.h"
#include "text/blanks.h"
#include "text/file_names.h"

namespace app {
namespace {

constexpr uint16_t kIconType = 3;    // RT_ICON
constexpr uint16_t kStringType = 6;  // RT_STRING
constexpr uint16_t kResourceLanguage = 2052;

using install::kCompanyKey;
using install::kFilePasswordKey;
using install::kPhoneKey;
using install::kProfileSection;
using install::kUrlKey;
using install::kUseFilePasswordKey;

std::u16string Joined(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const auto& line : lines) {
        text += (text.empty() ? u"" : u"\r\n") + line;
    }
    return text;
}

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

    bool RewriteStringBlock(const std::u16string& caption, const std::u16string& newDocName,
                            rebrand::StagedExecutable& exe) {
        const rebrand::BlockData block = rebrand::BuildDocStringBlock(
            caption, newDocName, static_cast<rebrand::Edition>(r_.edition));
        switch (block.status) {
            case rebrand::BlockStatus::kNothingToWrite:
                return true;
            case rebrand::BlockStatus::kTooLong:
                return false;
            case rebrand::BlockStatus::kWrite:
                break;
        }
        exe.AddStep({{kStringType, rebrand::kDocStringBlock, kResourceLanguage, block.bytes}});
        return true;
    }

    bool RewriteAppTitle(const std::u16string& caption, rebrand::StagedExecutable& exe) {
        const rebrand::BlockData block = rebrand::BuildTitleStringBlock(caption);
        if (block.status != rebrand::BlockStatus::kWrite) {
            return false;
        }
        exe.AddStep({{kStringType, rebrand::kTitleStringBlock, kResourceLanguage, block.bytes}});
        return true;
    }

    void NoteUpdate(const rebrand::UpdateResult& result) {
        if (!result.movedSection.empty()) {
            const std::u16string section(result.movedSection.begin(), result.movedSection.end());
            writeProblems.push_back(
                u"应用程序的资源段位于其他段之前，写入资源会移动其后的 " + section +
                u" 段，修改后的程序将无法运行；已拒绝修改，应用程序保持不变：" + r_.exePath);
            return;
        }
        const std::u16string problem = app::WriteProblem(result.write, r_.exePath);
        if (!problem.empty()) {
            writeProblems.push_back(problem);
        }
    }

    bool CopyPicture(const std::u16string& source, const char16_t* relativeDestination) {
        if (!platform::PathExists(source)) {
            host_.Tell(source + u"图片文件不存在");
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
        const std::u16string problem = app::WriteProblem(write, destination);
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

std::u16string NotAFileMessage(const std::u16string& path) {
    return u"所选路径不是文件（设备名或文件夹），未作任何修改：" + path;
}

bool IsExecutableName(const std::u16string& relative) {
    if (relative.find(u'\\') != std::u16string::npos || relative.size() < 4) {
        return false;
    }
    std::u16string ext = relative.substr(relative.size() - 4);
    for (char16_t& c : ext) {
        c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    return ext == u".exe";
}

void CommandHost::Tell(const std::u16string& text) {
    Show(text + backupNotes_);
    backupNotes_.clear();
}

std::unique_ptr<install::InstallLock> CommandHost::Hold(const std::u16string& installDir) {
    std::unique_ptr<install::InstallLock> lock = install::InstallLock::Acquire(installDir);
    if (!lock) {
        Show(install::InstallLock::kBusyMessage);
        return nullptr;
    }
    if (lock->First()) {
        for (const std::u16string& line : install::InstallBackup(installDir).Tidy()) {
            backupNotes_ += u"\r\n" + line;
        }
    }
    return lock;
}

std::unique_ptr<install::DigestAhead> CommandHost::DigestOriginalsAhead(
    const std::u16string& installDir, const std::vector<std::u16string>& paths) {
    std::vector<std::u16string> relatives;
    for (const std::u16string& path : paths) {
        std::u16string relative;
        if (install::RelativeTo(installDir, path, relative)) {
            relatives.push_back(relative);
        }
    }
    return install::InstallBackup(installDir).DigestOriginalsAhead(relatives);
}

bool CommandHost::KeepOriginal(const std::u16string& installDir, const std::u16string& path,
                               install::DigestAhead* ahead, install::InstallBackup::KeepHow how) {
    std::u16string relative;
    std::u16string reason;
    bool added = false;
    if (!install::RelativeTo(installDir, path, relative)) {
        reason = u"文件不在安装文件夹内：" + path;
    } else if (install::InstallBackup(installDir).Keep(relative, reason, ahead, how, &added)) {
        if (added) {
            keptHere_.push_back(path);
        }
        OriginalKept();
        return true;
    }
    backupNotes_ += u"\r\n原文件未能备份，文件未修改：" + reason;
    return false;
}

void CommandHost::Settle(const std::u16string& installDir, const std::u16string& path) {
    const auto it = std::find(keptHere_.begin(), keptHere_.end(), path);
    std::u16string relative;
    if (it == keptHere_.end() || !install::RelativeTo(installDir, path, relative)) {
        return;
    }
    keptHere_.erase(it);
    install::InstallBackup(installDir).TakeBack(relative);
    OriginalKept();
}

std::optional<InputProblem> CheckRebrand(RebrandRequest& r) {
    // The application name as typed, and the file that is about to be modified.
    if (rebrand::IsProcessRunning(r.appName) || rebrand::IsExecutableRunning(r.exeFileName)) {
        return InputProblem{u"应用程序正在运行，请关闭再重试", RebrandField::kNone};
    }
    r.exePath = text::TrimBlanks(r.exePath);
    if (r.exePath.empty()) {
        return InputProblem{u"应用程序路径不应为空", RebrandField::kExePath};
    }
    if (r.iconOn && (r.iconPath = text::TrimBlanks(r.iconPath)).empty()) {
        return InputProblem{u"图标路径不应为空", RebrandField::kIcon};
    }
    if (r.startupOn && (r.startupImagePath = text::TrimBlanks(r.startupImagePath)).empty()) {
        return InputProblem{u"开机图片路径不应为空", RebrandField::kStartupImage};
    }
    if (r.adOn && (r.adImagePath = text::TrimBlanks(r.adImagePath)).empty()) {
        return InputProblem{u"广告图片路径不应为空", RebrandField::kAdImage};
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
            return InputProblem{NotAFileMessage(p.path), p.field};
        }
    }
    r.appName = text::TrimBlanks(r.appName);
    if (Renames(r) && !text::IsPlainFileName(r.appName)) {
        return InputProblem{text::kNotAPlainAppName, RebrandField::kAppName};
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

    // The icon and string-table steps are staged on one copy of the executable, which
    // replaces it once: after the logo copy, before the pictures.
    // The digest of the executable's original is taken meanwhile, on another thread.
    const bool writeStrings = StringStep(r);
    const std::unique_ptr<install::DigestAhead> exeOriginal =
        r.iconOn || writeStrings ? host.DigestOriginalsAhead(r.installDir, {r.exePath}) : nullptr;
    rebrand::StagedExecutable exe(r.exePath, r.installDir);
    if (r.iconOn && !steps.ReplaceIcon(exe)) {
        return stop(u"图标修改失败");
    }
    const size_t firstStringStep = exe.StepCount();
    bool stringsStaged = true;
    if (writeStrings) {
        stringsStaged = steps.RewriteStringBlock(r.caption, r.newDocName, exe) &&
                        (r.caption.empty() || steps.RewriteAppTitle(r.caption, exe));
    }
    std::vector<bool> built;
    if (exe.StepCount() > 0) {
        built = exe.Build();
        if (std::find(built.begin(), built.end(), false) != built.end()) {
            steps.NoteUpdate(exe.result());
        }
    }
    if (r.iconOn && !built[0]) {
        return stop(u"图标修改失败");
    }
    if (r.iconOn && !steps.CopyPicture(r.iconPath, install::kLogoIcon)) {
        return stop(u"图标修改失败");  // the executable is not replaced
    }
    // The original is kept right before the one replace of the executable.
    if (!built.empty() && built[0] &&
        !(host.KeepOriginal(r.installDir, r.exePath, exeOriginal.get()) &&
          exe.Commit().Updated())) {
        host.Settle(r.installDir, r.exePath);
        steps.NoteUpdate(exe.result());
        if (r.iconOn) {
            return stop(u"图标修改失败");
        }
        built.assign(built.size(), false);
    }
    const bool stringsWritten =
        stringsStaged && std::all_of(built.begin() + static_cast<ptrdiff_t>(firstStringStep),
                                     built.end(), [](bool b) { return b; });
    if (writeStrings && !stringsWritten) {
        problems.push_back(u"应用程序左上角文字和新建文档名称未能写入应用程序");
        problems.insert(problems.end(), steps.writeProblems.begin(), steps.writeProblems.end());
    }
    steps.writeProblems.clear();

    if (r.startupOn && !steps.CopyPicture(r.startupImagePath, install::kStartupPicture)) {
        return stop(u"开机图片修改失败");
    }
    if (r.adOn && !steps.CopyPicture(r.adImagePath, install::kAdPicture)) {
        return stop(u"广告图片修改失败");
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
                problems.push_back(u"已有同名文件，应用程序未改名：" + newPath);
                break;
            case rebrand::RenameResult::kFailed:
                problems.push_back(u"应用程序改名失败：" + oldPath + u" → " + newName);
                break;
        }
    }

    if (problems.empty()) {
        host.Tell(u"修改应用程序成功");
        return CommandResult::kDone;
    }
    host.Tell(Joined(problems));
    return CommandResult::kFailed;
}

std::u16string ProfileFilePath(const std::u16string& installDir, int edition) {
    const bool configIsFolder =
        platform::IsDirectory(install::Join(installDir, install::kConfigFolder));
    return install::Join(installDir, install::ProfileFile(edition, configIsFolder));
}

CustomProfile ReadProfile(const CIniFile& ini) {
    CustomProfile profile;
    profile.filePassword = ini.GetString(kProfileSection, kFilePasswordKey, u"");
    profile.useFilePassword = ini.GetInt(kProfileSection, kUseFilePasswordKey, 0);
    profile.company = ini.GetString(kProfileSection, kCompanyKey, u"");
    profile.phone = ini.GetString(kProfileSection, kPhoneKey, u"");
    profile.url = ini.GetString(kProfileSection, kUrlKey, u"");
    return profile;
}

std::optional<ProfileProblem> CheckPasswordLength(int edition, bool usePassword,
                                                  const std::u16string& password) {
    if (!install::PasswordLengthFits(edition, usePassword, password)) {
        return ProfileProblem{install::kPasswordLengthMessage, ProfileField::kFilePassword};
    }
    return std::nullopt;
}

std::optional<ProfileProblem> CheckProfileText(const CIniFile& ini, int edition,
                                               const CustomProfile& profile) {
    const struct {
        const std::u16string& value;
        ProfileField field;
        const char16_t* label;
    } fields[] = {
        {profile.filePassword, ProfileField::kFilePassword, u"文件读写密码"},
        {profile.company, ProfileField::kCompany, u"公司名称"},
        {profile.phone, ProfileField::kPhone, u"电话"},
        {profile.url, ProfileField::kUrl, u"网址"},
    };
    const bool withPassword = !install::IsV62(edition);
    for (const auto& f : fields) {
        if ((withPassword || f.field != ProfileField::kFilePassword) && !ini.CanHold(f.value)) {
            return ProfileProblem{std::u16string(u"“") + f.label +
                                      u"”中有配置文件的编码不能保存的字符，请修改后再保存",
                                  f.field};
        }
    }
    return std::nullopt;
}

namespace {

void SetProfile(CIniFile& ini, int edition, const CustomProfile& profile) {
    if (!install::IsV62(edition)) {
        ini.SetString(kProfileSection, kFilePasswordKey, profile.filePassword);
        ini.SetInt(kProfileSection, kUseFilePasswordKey, profile.useFilePassword);
    }
    ini.SetString(kProfileSection, kCompanyKey, profile.company);
    ini.SetString(kProfileSection, kPhoneKey, profile.phone);
    ini.SetString(kProfileSection, kUrlKey, profile.url);
}

}  // namespace

CommandResult SaveProfile(CIniFile& ini, const std::u16string& installDir, int edition,
                          const CustomProfile& profile, CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    // A file that could not be read is refused by the save itself.
    if (!ini.LoadFailed() && ini.ChangedOnDisk() && !host.ConfirmOverwrite(ini.path)) {
        host.Tell(u"配置文件已被其他程序修改，未覆盖：" + ini.path);
        return CommandResult::kFailed;
    }
    SetProfile(ini, edition, profile);
    const bool saved = host.KeepOriginal(installDir, ini.path) && ini.Save();
    host.Settle(installDir, ini.path);
    host.Tell(saved ? u"保存成功" : WithProblem(u"生成配置文件失败", ini.lastSave, ini.path));
    return saved ? CommandResult::kDone : CommandResult::kFailed;
}

bool ProfileSaveKeepsBytes(const CIniFile& ini, int edition, const CustomProfile& profile) {
    CIniFile after(ini.path);
    after.Load();
    SetProfile(after, edition, profile);
    std::string bytes;
    std::string now;
    const bool same =
        EncodeIniText(after.Format(), after.Encoding(), platform::kSystemCodePage, bytes) &&
        platform::ReadWholeFile(ini.path, now) == platform::ReadResult::kOk && now == bytes;
    after.Discard();
    return same;
}

LangSaveResult SaveLanguage(const CLangTable& table, const std::u16string& installDir, int slot,
                            CommandHost& host, platform::WriteResult* write,
                            install::DigestAhead* ahead) {
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
        [&] { return host.KeepOriginal(installDir, path, ahead); },
        [&] { return host.ConfirmOverwrite(path); });
    host.Settle(installDir, path);
    return saved;
}

CommandResult SaveAllLanguages(const CLangTable& table, const std::u16string& installDir,
                               CommandHost& host) {
    const std::unique_ptr<install::InstallLock> held = host.Hold(installDir);
    if (!held) {
        return CommandResult::kFailed;
    }
    const std::u16string langFolder = install::Join(installDir, install::kLangFolder);
    std::u16string failed;    // files that stayed as they were
    std::u16string problems;  // files refused or left elsewhere, each with what happened
    std::u16string left;      // files another program changed, left as they are
    int saved = 0;            // written, or already holding what would be written
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        platform::WriteResult write;
        switch (SaveLanguage(table, installDir, slot, host, &write)) {
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
                const std::u16string problem = WriteProblem(write, path);
                (problem.empty() ? failed : problems) +=
                    u"\r\n" + (problem.empty() ? path : problem);
                break;
            }
        }
    }
    std::vector<std::u16string> blocks;
    if (!failed.empty()) {
        blocks.push_back(u"以下语言文件保存失败，原文件保持不变：" + failed);
    }
    if (!problems.empty()) {
        blocks.push_back(u"以下语言文件保存失败：" + problems);
    }
    if (!left.empty()) {
        blocks.push_back(u"以下语言文件已被其他程序修改，未覆盖：" + left);
    }
    if (!blocks.empty()) {
        host.Tell(Joined(blocks));
        return CommandResult::kFailed;
    }
    host.Tell(saved == 0 ? u"没有读入任何语言条目，未写入任何文件" : u"保存成功");
    return CommandResult::kDone;
}

bool LanguageSaveKeepsBytes(const CLangTable& table, const std::u16string& installDir, int slot) {
    const std::u16string path =
        install::Join(install::Join(installDir, install::kLangFolder), table.FileName(slot));
    const std::string bytes = lang::EncodeLangFile(table.Entries(slot));
    return platform::FileHolds(path, bytes.data(), bytes.size());
}

RestorePlan PlanRestore(const std::u16string& installDir, const std::u16string& appName,
                        const std::u16string& exeFileName) {
    RestorePlan plan;
    install::InstallBackup backup(installDir);
    plan.state =
        installDir.empty() ? install::InstallBackup::State::kNone : backup.Read(plan.manifest);
    if (plan.state != install::InstallBackup::State::kPresent) {
        plan.refusal = plan.state == install::InstallBackup::State::kDamaged
                           ? u"备份清单无法读取，未恢复任何文件：" + backup.Folder()
                           : u"所选应用程序没有可恢复的原始文件";
        return plan;
    }
    plan.running = rebrand::IsProcessRunning(appName) || rebrand::IsExecutableRunning(exeFileName);
    std::u16string back;
    std::u16string removed;
    for (const install::BackupRecord& record : plan.manifest.records) {
        plan.running = plan.running ||
                       (IsExecutableName(record.path) && rebrand::IsExecutableRunning(record.path));
        (record.existed ? back : removed) += u"\r\n    " + record.path;
    }
    if (plan.running) {
        plan.refusal = u"应用程序正在运行，请关闭再重试";
        return plan;
    }
    plan.question = u"将恢复以下原始文件（安装文件夹 " + installDir + u"）：";
    plan.question += back.empty() ? u"\r\n    （无）" : back;
    if (!removed.empty()) {
        plan.question += u"\r\n将删除以下原先不存在的文件：" + removed;
    }
    plan.question += u"\r\n\r\n是否恢复？";
    return plan;
}

std::vector<std::u16string> TidyInstall(const std::u16string& installDir) {
    const std::unique_ptr<install::InstallLock> held = install::InstallLock::Acquire(installDir);
    return held ? install::InstallBackup(installDir).Tidy() : std::vector<std::u16string>{};
}

CommandResult RunRestore(const std::u16string& installDir, std::u16string& message) {
    const std::unique_ptr<install::InstallLock> held = install::InstallLock::Acquire(installDir);
    if (!held) {
        message = install::InstallLock::kBusyMessage;
        return CommandResult::kFailed;
    }
    install::InstallBackup backup(installDir);
    std::u16string tidied;
    for (const std::u16string& line : backup.Tidy()) {
        tidied += u"\r\n" + line;
    }
    const std::vector<install::InstallBackup::Failure> failures = backup.Restore();
    if (failures.empty()) {
        message = u"已恢复全部原始文件，备份文件夹已删除" + tidied;
        return CommandResult::kDone;
    }
    // No entry left: every original is back, and what stays is about the folder only (files
    // a killed run left in it).
    install::BackupManifest left;
    if (backup.Read(left) == install::InstallBackup::State::kNone) {
        message = u"已恢复全部原始文件";
        for (const auto& failure : failures) {
            message += u"；" + failure.reason;
        }
        message += tidied;
        return CommandResult::kDone;
    }
    message = u"以下文件未能恢复，仍保留在备份中：";
    for (const auto& failure : failures) {
        message += u"\r\n" + (failure.path.empty() ? backup.Folder() : failure.path) + u"：" +
                   failure.reason;
    }
    message += tidied;
    return CommandResult::kFailed;
}

}  // namespace app
