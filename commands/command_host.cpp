#include "commands/commands.h"
#include "messages/messages.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace app {

void CommandHost::Tell(const std::u16string& text) {
    Show(text + backupNotes_);
    backupNotes_.clear();
}

std::unique_ptr<install::InstallLock> CommandHost::Hold(const std::u16string& installDir) {
    std::unique_ptr<install::InstallLock> lock = install::InstallLock::Acquire(installDir);
    if (!lock) {
        Show(msg::kInstallBusy);
        return nullptr;
    }
    if (lock->First()) {
        for (const install::TidyAction& action : install::InstallBackup(installDir).Tidy()) {
            backupNotes_ += u"\r\n" + msg::Describe(action);
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
    install::BackupProblem problem{install::BackupProblem::Kind::kNotInInstall, path, 0, {}};
    bool added = false;
    if (install::RelativeTo(installDir, path, relative) &&
        install::InstallBackup(installDir).Keep(relative, problem, ahead, how, &added)) {
        if (added) {
            keptHere_.push_back(path);
            OriginalKept();
        }
        return true;
    }
    backupNotes_ += u"\r\n" + msg::NotKept(msg::Describe(problem));
    return false;
}

void CommandHost::Settle(const std::u16string& installDir, const std::u16string& path,
                         bool replaced) {
    const auto it = std::find(keptHere_.begin(), keptHere_.end(), path);
    std::u16string relative;
    if (it == keptHere_.end() || !install::RelativeTo(installDir, path, relative)) {
        return;
    }
    keptHere_.erase(it);
    if (replaced) {
        return;
    }
    install::InstallBackup(installDir).TakeBack(relative);
    OriginalKept();
}

}  // namespace app
