#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "rebrand/process_check.h"
#include "messages/messages.h"

namespace app {

RestorePlan PlanRestore(const std::u16string& installDir, const std::u16string& appName,
                        const std::u16string& exeFileName) {
    RestorePlan plan;
    install::InstallBackup backup(installDir);
    plan.state =
        installDir.empty() ? install::InstallBackup::State::kNone : backup.Read(plan.manifest);
    if (plan.state != install::InstallBackup::State::kPresent) {
        plan.refusal = plan.state == install::InstallBackup::State::kDamaged
                           ? msg::BackupUnreadable(backup.Folder())
                           : std::u16string(msg::kNothingToRestore);
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
        plan.refusal = msg::kTargetRunning;
        return plan;
    }
    plan.question = msg::RestoreQuestion(installDir, back, removed);
    return plan;
}

std::vector<std::u16string> TidyInstall(const std::u16string& installDir) {
    const std::unique_ptr<install::InstallLock> held = install::InstallLock::Acquire(installDir);
    std::vector<std::u16string> lines;
    if (held) {
        for (const install::TidyAction& action : install::InstallBackup(installDir).Tidy()) {
            lines.push_back(msg::Describe(action));
        }
    }
    return lines;
}

CommandResult RunRestore(const std::u16string& installDir, std::u16string& message) {
    const std::unique_ptr<install::InstallLock> held = install::InstallLock::Acquire(installDir);
    if (!held) {
        message = msg::kInstallBusy;
        return CommandResult::kFailed;
    }
    install::InstallBackup backup(installDir);
    std::u16string tidied;
    for (const install::TidyAction& action : backup.Tidy()) {
        tidied += u"\r\n" + msg::Describe(action);
    }
    const std::vector<install::InstallBackup::Failure> failures = backup.Restore();
    if (failures.empty()) {
        message = msg::kRestoreDoneFolderGone + tidied;
        return CommandResult::kDone;
    }
    // No entry left: every original is back, and what stays is about the folder only (files
    // a killed run left in it).
    install::BackupManifest left;
    if (backup.Read(left) == install::InstallBackup::State::kNone) {
        message = msg::kRestoreDone;
        for (const auto& failure : failures) {
            message += u"；" + msg::Describe(failure.problem);
        }
        message += tidied;
        return CommandResult::kDone;
    }
    message = msg::kRestoreLeft;
    for (const auto& failure : failures) {
        message += u"\r\n" + (failure.path.empty() ? backup.Folder() : failure.path) + u"：" +
                   msg::Describe(failure.problem);
    }
    message += tidied;
    return CommandResult::kFailed;
}

}  // namespace app
