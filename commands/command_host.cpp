#include "commands/commands.h"

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

}  // namespace app
