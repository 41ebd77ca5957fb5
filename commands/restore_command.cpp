#include "commands/commands.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "rebrand/process_check.h"

namespace app {

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
