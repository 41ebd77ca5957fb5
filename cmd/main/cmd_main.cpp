// VedArodCmd: the dialog's commands on one install, driven by a brand file, for scripts.
// Exit codes: 0 every step succeeded, 1 a step failed, a file that another program changed
// since it was read was left as it is (or the target is running), 2 bad usage or a bad brand
// file (nothing written).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "cmd/console_host.h"
#include "cmd/arguments.h"
#include "commands/brand_command.h"
#include "commands/check_command.h"
#include "commands/install_target.h"
#include "ini/ini_cache.h"
#include "install/install_layout.h"
#include "lang/lang_table.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "cmd/console_out.h"
#include "platform/codepage.h"
#include "platform/unicode.h"
#include "messages/brand_messages.h"
#include "messages/messages.h"

#if defined(_WIN32)
#include "app/process_hardening.h"
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Print(const std::u16string& text, brand::Stream stream = brand::Stream::kOut) {
    size_t pos = 0;
    while (true) {
        const size_t end = text.find(u"\r\n", pos);
        brand::WriteLine(stream, text.substr(pos, end == std::u16string::npos ? end : end - pos));
        if (end == std::u16string::npos) {
            return;
        }
        pos = end + 2;
    }
}

int Refuse(const std::vector<std::u16string>& problems) {
    for (const std::u16string& problem : problems) {
        Print(problem, brand::Stream::kError);
    }
    Print(msg::kNothingWritten, brand::Stream::kError);
    return kExitUsage;
}

int RunBrand(const brand::Arguments& args) {
    app::ConsoleHost host;
    brand::BrandCommand command;
    switch (command.Prepare(platform::FullPath(args.brandFile), platform::FullPath(args.exePath),
                            args.dryRun ? brand::BrandCommand::Purpose::kDryRun
                                        : brand::BrandCommand::Purpose::kRun,
                            host)) {
        case brand::BrandCommand::Prepared::kRefused:
            return Refuse(command.Problems());
        case brand::BrandCommand::Prepared::kBusy:
            return kExitFailed;
        case brand::BrandCommand::Prepared::kReady:
            break;
    }
    if (args.dryRun) {
        Print(msg::kDryRunHeading);
        const std::vector<std::u16string> lines = command.PlanLines();
        for (const std::u16string& line : lines) {
            Print(u"  " + line);
        }
        if (lines.empty()) {
            Print(std::u16string(u"  ") + msg::kDryRunNothing);
        }
        return kExitOk;
    }
    return command.Run(host) == app::CommandResult::kDone ? kExitOk : kExitFailed;
}

std::u16string RestorePrefixed(const std::u16string& line) {
    return u"[" + std::u16string(msg::kRestoreCommand) + u"] " + line;
}

int RunRestore(const brand::Arguments& args) {
    const std::u16string path = platform::FullPath(args.exePath);
    const bool folderGiven = platform::IsDirectory(path);
    const std::u16string installDir =
        folderGiven ? brand::WithoutTrailingSeparator(path) : install::FolderOf(path);
    if (!platform::IsDirectory(installDir)) {
        return Refuse({msg::InstallFolderMissing(installDir)});
    }
    // For the folder: its executable, as a brand finds it (checked for running as the
    // executables the backup names are).
    std::u16string fileName = install::FileNameOf(path);
    if (folderGiven) {
        install::BackupManifest manifest;
        install::InstallBackup(installDir).Read(manifest);
        fileName =
            brand::ChooseExecutable(brand::ExecutablesIn(installDir), manifest, u"", std::nullopt);
        if (fileName.empty()) {
            fileName = install::kDefaultExecutable;
        }
    }
    const app::RestorePlan plan = app::PlanRestore(installDir, fileName, fileName);
    if (!plan.refusal.empty()) {
        Print(RestorePrefixed(plan.refusal));
        if (plan.state == install::InstallBackup::State::kNone) {
            // What a killed restore or brand left beside a backup without entries.
            for (const std::u16string& line : app::TidyInstall(installDir)) {
                Print(RestorePrefixed(line));
            }
        }
        // No backup: the install is as it was, which is what was asked for.
        return plan.state == install::InstallBackup::State::kNone ? kExitOk : kExitFailed;
    }
    std::u16string message;
    const app::CommandResult result = app::RunRestore(installDir, message);
    app::ConsoleHost host;
    host.StepStarted(msg::kRestoreCommand);
    host.Tell(message);
    return result == app::CommandResult::kDone ? kExitOk : kExitFailed;
}

// Exit 0 when no text was found, 1 when some was, 2 for a target that is not there.
int RunCheck(const brand::Arguments& args) {
    std::u16string problem;
    const std::u16string exe =
        brand::TargetExecutable(platform::FullPath(args.exePath), std::nullopt, problem);
    if (exe.empty()) {
        Print(problem, brand::Stream::kError);
        return kExitUsage;
    }
    const brand::CheckResult result = brand::CheckInstall(exe, args.texts);
    for (const std::u16string& line : result.lines) {
        Print(line);
    }
    Print(result.lines.empty() ? msg::CheckNothingFound(result.placesLooked)
                               : msg::CheckFound(result.lines.size()));
    return result.lines.empty() ? kExitOk : kExitFailed;
}

}  // namespace

namespace {

int Main(const std::vector<std::u16string>& args) {
    brand::Arguments parsed;
    std::u16string error;
    if (!brand::ParseArguments(args, parsed, error)) {
        Print(error, brand::Stream::kError);
        Print(brand::UsageText(), brand::Stream::kError);
        return kExitUsage;
    }
#if defined(_WIN32)
    if (parsed.codePage != 0) {
        platform::SetAnsiCodePage(parsed.codePage);
    }
#else
    // The profiles are written as the target's Chinese Windows reads them.
    platform::SetAnsiCodePage(parsed.codePage != 0 ? parsed.codePage : 936);
#endif
    switch (parsed.command) {
        case brand::Arguments::Command::kHelp:
            Print(brand::UsageText());
            return kExitOk;
        case brand::Arguments::Command::kBrand:
            return RunBrand(parsed);
        case brand::Arguments::Command::kRestore:
            return RunRestore(parsed);
        case brand::Arguments::Command::kCheck:
            return RunCheck(parsed);
    }
    return kExitUsage;
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) {
    RestrictDllSearchPath();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    }
    return Main(args);
}
#else
// Arguments are UTF-8, as the system's locale gives them.
int main(int argc, char** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(platform::Utf8ToUtf16(argv[i]));
    }
    return Main(args);
}
#endif
