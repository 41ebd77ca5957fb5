// The commands of the tool on one install, shared by the dialog and the console program:
// the rebrand command, the save of the customization profile, the save of the language
// files and the restore of the originals. The caller reads its inputs (the dialog from its
// controls, the console program from a brand file), calls the checks and then the command;
// what the user is told goes through a CommandHost.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ini/ini_cache.h"
#include "ini/ini_file.h"
#include "install/backup.h"
#include "install/custom_profile.h"
#include "install/install_lock.h"
#include "lang/lang_table.h"
#include "platform/files.h"
#include "rebrand/staged_executable.h"

namespace app {

// Where the commands' messages go, the hold on the install, and the backup of the originals.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    // A message to the user (lines separated by CR LF), followed by the reasons of the
    // originals that could not be kept and what was tidied since the last message.
    void Tell(const std::u16string& text);
    // Holds installDir for one command (install/install_lock.h). Null, with the user told
    // msg::kInstallBusy, when another program holds it: the command then
    // writes nothing. An outermost hold (a command not run inside another) tidies what
    // killed runs left; the next message says what.
    std::unique_ptr<install::InstallLock> Hold(const std::u16string& installDir);
    // Keeps the original of path (a file of installDir) right before it is replaced
    // (kLink), or renamed or created (kCopy). False when it could not be kept: the caller
    // leaves the file alone, and the next message tells why.
    bool KeepOriginal(const std::u16string& installDir, const std::u16string& path,
                      install::DigestAhead* ahead = nullptr,
                      install::InstallBackup::KeepHow how = install::InstallBackup::KeepHow::kLink);
    // After the change that path was kept for: takes back an entry this host made when the
    // file is still what was kept (the change failed or was not needed), so that no backup
    // is left for a file nothing changed. replaced: a safe write put new bytes in path's
    // place (the bytes it held differed), so the entry stays without another look.
    void Settle(const std::u16string& installDir, const std::u16string& path,
                bool replaced = false);
    // Starts the digests of the originals of paths (files of installDir) while the caller
    // prepares its changes; KeepOriginal with the result then does not read them again.
    // Null when there is nothing to start.
    std::unique_ptr<install::DigestAhead> DigestOriginalsAhead(
        const std::u16string& installDir, const std::vector<std::u16string>& paths);
    // Whether to replace path, which another program changed since the command's profile
    // or language table read it (or last saved it): true replaces it, false leaves it as it
    // is on disk. The dialog asks the user; the console program refuses.
    virtual bool ConfirmOverwrite(const std::u16string& path) = 0;

    // A brand runs several commands: the name of the one that starts now (the console leads
    // its lines with it; the dialog names each step in its final message).
    virtual void StepStarted(const std::u16string& command) { (void)command; }

protected:
    // Shows a message: a message box, or lines of the console.
    virtual void Show(const std::u16string& text) = 0;
    // An original was kept or taken back (the dialog updates its restore menu item).
    virtual void OriginalKept() {}

private:
    std::u16string backupNotes_;
    std::vector<std::u16string> keptHere_;  // paths whose entries this host made
};

// How a command ended.
enum class CommandResult {
    kDone,     // every step succeeded
    kFailed,   // a step failed, or a file another program changed was left; the message said which
    kRefused,  // a check refused the command; nothing was written
};

// The inputs of the rebrand command, as the dialog's fields hold them.
struct RebrandRequest {
    std::u16string exePath;      // the executable to modify
    std::u16string exeFileName;  // its file name as selected
    std::u16string installDir;   // its folder, no trailing backslash
    std::u16string appName;      // the new file name (the selected one: no rename)
    install::Edition edition = install::Edition::kSimple;
    bool iconOn = false;
    std::u16string iconPath;
    bool startupOn = false;
    std::u16string startupImagePath;
    bool adOn = false;
    std::u16string adImagePath;
    std::u16string caption;
    std::u16string newDocName;
    // A brand's changes of the executable's resources (icon groups, version, replaced
    // texts), made first, on the same copy; when one cannot be made, the command fails as the
    // icon step does. With iconGroupsReplaceImages the icon step copies the logo only: an
    // edit rebuilds the main icon group.
    std::vector<rebrand::StagedExecutable::TreeEdit> resourceEdits;
    bool iconGroupsReplaceImages = false;
};

// The field an input check refers to (the dialog moves the focus there).
enum class RebrandField { kNone, kExePath, kIcon, kStartupImage, kAdImage, kAppName };

struct InputProblem {
    std::u16string message;
    RebrandField field = RebrandField::kNone;  // kNone: the target is running
};

// The running check and the input checks, in the command's order; the paths that are
// checked and the application name are trimmed in request. The first problem, or nothing.
std::optional<InputProblem> CheckRebrand(RebrandRequest& request);

// The steps of the rebrand command on a request that passed CheckRebrand: the icon, the
// string tables, the pictures and the rename, ending with one message (a missing picture
// tells its own message before it).
CommandResult RunRebrand(RebrandRequest request, CommandHost& host);

// Loads table from the language files the install's system configuration lists
// (SYSPAR/LANGFILELIST, else the default list); the configuration is read through profiles.
// Slot 0 is read at once, the others as CLangTable::LoadFiles leaves them.
void LoadInstallLanguages(CLangTable& table, IniFileCache& profiles,
                          const std::u16string& installDir);

// The customization profile file of the install, for the edition.
std::u16string ProfileFilePath(const std::u16string& installDir, install::Edition edition);
CustomProfile ReadProfile(const CIniFile& ini);

// The save's checks: the password length (when the password is used, editions other than
// 6.2) and characters the profile file's encoding cannot hold.
enum class ProfileField { kFilePassword, kCompany, kPhone, kUrl };
struct ProfileProblem {
    std::u16string message;
    ProfileField field;
};
std::optional<ProfileProblem> CheckPasswordLength(install::Edition edition, bool usePassword,
                                                  const std::u16string& password);
std::optional<ProfileProblem> CheckProfileText(const CIniFile& ini, install::Edition edition,
                                               const CustomProfile& profile);

// Sets the profile in ini and saves it ("保存成功" or "生成配置文件失败"). A profile file that
// another program changed since ini read or saved it is replaced only when the host
// confirms; otherwise it is left ("配置文件已被其他程序修改，未覆盖：" and its path) and the
// model is not changed.
CommandResult SaveProfile(CIniFile& ini, const std::u16string& installDir, install::Edition edition,
                          const CustomProfile& profile, CommandHost& host);

// Whether saving profile leaves the file's bytes as they are (its values may stay while the
// save rewrites its text: order, spelling).
bool ProfileSaveKeepsBytes(const CIniFile& ini, install::Edition edition,
                           const CustomProfile& profile);

// Saves one slot, keeping its original first (a slot without entries is not written and
// keeps nothing); write (if given) receives what the file holds afterwards. A file another
// program changed since the table read or saved it is replaced only when the host confirms
// (kChangedOnDisk otherwise). digests and saves (when given) hold the work done ahead for
// the original's keep and for the save.
LangSaveResult SaveLanguage(const CLangTable& table, const std::u16string& installDir, int slot,
                            CommandHost& host, platform::WriteResult* write = nullptr,
                            install::DigestAhead* digests = nullptr,
                            LangSaveAhead* saves = nullptr);
// "保存全部语种文件": every slot as SaveLanguage; the files left as another program changed
// them are listed ("以下语言文件已被其他程序修改，未覆盖：").
CommandResult SaveAllLanguages(const CLangTable& table, const std::u16string& installDir,
                               CommandHost& host);
// Whether saving the slot as the table holds it leaves its file's bytes as they are.
bool LanguageSaveKeepsBytes(const CLangTable& table, const std::u16string& installDir, int slot);

// False when path names a device (NUL, CON, COM1, "\\.\...") or something that exists but
// is not a file (a folder, a pipe): such a picture or icon is refused before anything is
// written. A missing file passes: the step itself tells that it does not exist.
bool IsPictureFile(const std::u16string& path);

// A file directly in the install folder whose name ends with ".exe" (any letter case).
bool IsExecutableName(const std::u16string& relative);

// The restore of the originals kept in the install's backup.
struct RestorePlan {
    install::InstallBackup::State state = install::InstallBackup::State::kNone;
    install::BackupManifest manifest;
    bool running = false;  // the target, or an executable of the backup, is running
    // The message that refuses the restore; empty when it may go ahead.
    std::u16string refusal;
    // The question that lists what comes back and what goes.
    std::u16string question;
};
RestorePlan PlanRestore(const std::u16string& installDir, const std::u16string& appName,
                        const std::u16string& exeFileName);
// Holds the install and tidies what killed runs left in it and its backup (nothing when
// another program holds it); one line per thing done.
std::vector<std::u16string> TidyInstall(const std::u16string& installDir);
// Puts the originals back; the message that says how it went.
CommandResult RunRestore(const std::u16string& installDir, std::u16string& message);

}  // namespace app
