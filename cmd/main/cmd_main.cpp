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
#include "cmd/brand_file.h"
#include "cmd/brand_plan.h"
#include "cmd/install_target.h"
#include "ini/ini_cache.h"
#include "install/install_layout.h"
#include "lang/lang_table.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "cmd/console_out.h"
#include "platform/codepage.h"
#include "platform/unicode.h"

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
    Print(u"未写入任何文件", brand::Stream::kError);
    return kExitUsage;
}

// A folder's path without the separator it may end with ("C:\\Soft\\ZovIDE\\").
std::u16string WithoutTrailingSeparator(std::u16string folder) {
    while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) {
        folder.pop_back();
    }
    return folder;
}

// The ".exe" files directly in folder, as it spells them.
std::vector<std::u16string> ExecutablesIn(const std::u16string& folder) {
    std::vector<std::u16string> names;
    for (const std::u16string& name : platform::ListFiles(folder)) {
        if (app::IsExecutableName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

// The executable that path names: the file itself, or, for an install folder or an
// executable renamed since (brand::ChooseExecutable), the one the folder holds. Empty, with
// the problem told, when there is none.
std::u16string TargetExecutable(const std::u16string& path,
                                const std::optional<std::u16string>& appName,
                                std::u16string& problem) {
    if (platform::IsRegularFile(path)) {
        if (!app::IsExecutableName(install::FileNameOf(path))) {
            problem = u"应用程序路径不是 .exe 文件：" + path;
            return u"";
        }
        return platform::StoredName(path);
    }
    const bool folderGiven = platform::IsDirectory(path);
    const std::u16string folder =
        folderGiven ? WithoutTrailingSeparator(path) : install::FolderOf(path);
    install::BackupManifest manifest;
    if (!folder.empty()) {
        install::InstallBackup(folder).Read(manifest);
    }
    const std::u16string chosen =
        folder.empty() || (!folderGiven && platform::PathExists(path))
            ? std::u16string()
            : brand::ChooseExecutable(ExecutablesIn(folder), manifest,
                                      folderGiven ? u"" : install::FileNameOf(path), appName);
    if (chosen.empty()) {
        problem = (folderGiven ? u"安装文件夹中没有应用程序：" : u"应用程序不存在：") + path;
        return u"";
    }
    return install::Join(folder, chosen);
}

void AddProblem(std::vector<std::u16string>& problems,
                const std::optional<app::ProfileProblem>& p) {
    if (p) {
        problems.push_back(p->message);
    }
}

int RunBrand(const brand::Arguments& args) {
    const std::u16string brandPath = platform::FullPath(args.brandFile);
    brand::BrandFile brand;
    std::vector<std::u16string> problems;
    brand::LoadBrandFile(brandPath, brand, problems);
    // The target is named first: the other problems are about the brand file.
    std::u16string targetProblem;
    const std::u16string exePath =
        TargetExecutable(platform::FullPath(args.exePath), brand.appName, targetProblem);
    if (!targetProblem.empty()) {
        problems.insert(problems.begin(), targetProblem);
    }
    if (!problems.empty()) {
        return Refuse(problems);
    }
    const std::u16string installDir = install::FolderOf(exePath);
    const int edition = brand.Edition();

    // A brand holds the install from its first read to its last write, so that what it read
    // is what it changes.
    app::ConsoleHost host;
    std::unique_ptr<install::InstallLock> held;
    if (!args.dryRun && (brand.HasRebrand() || brand.HasProfile() || !brand.lang.empty())) {
        host.SetCommand(u"品牌");
        held = host.Hold(installDir);
        if (!held) {
            return kExitFailed;
        }
    }

    // What the plan needs of the install.
    brand::InstallRead read;
    read.installDir = installDir;
    read.exeFileName = install::FileNameOf(exePath);
    IniFileCache profiles;
    CIniFile* profileIni = nullptr;
    if (brand.HasProfile()) {
        profileIni = &GetCachedIniFile(profiles, app::ProfileFilePath(installDir, edition));
        brand::InstallRead::Profile& p = read.profile;
        std::u16string folder;
        install::SplitProfilePath(profileIni->path, folder, p.relative);
        p.stored = app::ReadProfile(*profileIni);
        const auto has = [&](const char16_t* key) {
            return profileIni->GetString(install::kProfileSection, key, u"\x1") != u"\x1";
        };
        p.hasFilePassword = has(install::kFilePasswordKey);
        p.hasUseFilePassword = has(install::kUseFilePasswordKey);
        p.hasCompany = has(install::kCompanyKey);
        p.hasPhone = has(install::kPhoneKey);
        p.hasUrl = has(install::kUrlKey);
        // What the save would write when no value changes.
        p.rewritesUnchanged =
            args.dryRun && !app::ProfileSaveKeepsBytes(
                               *profileIni, edition,
                               install::ProfileToSave(edition, p.stored.useFilePassword != 0,
                                                      p.stored.filePassword, p.stored.company,
                                                      p.stored.phone, p.stored.url));
    }
    CLangTable table;
    read.langFolder = platform::IsDirectory(install::Join(installDir, install::kLangFolder));
    if (!brand.lang.empty() && read.langFolder) {
        CIniFile& config =
            GetCachedIniFile(profiles, install::Join(installDir, install::kSystemConfig));
        table.LoadFiles(installDir,
                        config.GetString(u"SYSPAR", u"LANGFILELIST",
                                         std::u16string(install::kDefaultLangFileList)));
        read.langFiles.resize(CLangTable::kSlotCount);
        for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
            brand::InstallRead::LangFile& file = read.langFiles[slot];
            file.name = table.FileName(slot);
            for (const LangEntry& entry : table.Entries(slot)) {
                file.entries.emplace_back(entry.id, entry.text);
            }
            file.rewritesUnchanged = args.dryRun && !file.entries.empty() &&
                                     !app::LanguageSaveKeepsBytes(table, installDir, slot);
        }
    }

    const brand::BrandPlan plan = brand::PlanBrand(brand, read);
    problems = plan.problems;
    if (profileIni != nullptr) {
        AddProblem(problems, app::CheckProfileText(*profileIni, edition, plan.profile));
    }
    if (plan.steps.empty()) {
        // An empty file (one a script failed to fill, say) must not pass for a done brand.
        problems.push_back(u"品牌文件中没有要修改的内容：" + brandPath);
    }
    if (!problems.empty()) {
        DiscardIniFiles(profiles);
        return Refuse(problems);
    }

    app::RebrandRequest request;
    request.exePath = exePath;
    request.exeFileName = read.exeFileName;
    request.installDir = installDir;
    request.edition = edition;
    request.appName = plan.rebrand.appName.empty() ? read.exeFileName : plan.rebrand.appName;
    request.iconOn = plan.rebrand.icon.has_value();
    request.iconPath = plan.rebrand.icon.value_or(u"");
    request.startupOn = plan.rebrand.startupImage.has_value();
    request.startupImagePath = plan.rebrand.startupImage.value_or(u"");
    request.adOn = plan.rebrand.adImage.has_value();
    request.adImagePath = plan.rebrand.adImage.value_or(u"");
    request.caption = plan.rebrand.caption;
    request.newDocName = plan.rebrand.documentName;
    if (plan.steps.front().kind == brand::StepKind::kRebrand) {
        if (auto problem = app::CheckRebrand(request)) {
            DiscardIniFiles(profiles);
            if (problem->field == app::RebrandField::kNone) {  // running: try again later
                Print(problem->message, brand::Stream::kError);
                return kExitFailed;
            }
            return Refuse({problem->message});
        }
    }

    if (args.dryRun) {
        Print(u"试运行，未写入任何文件；将修改：");
        bool any = false;
        for (const brand::PlanStep& step : plan.steps) {
            for (const std::u16string& line : step.lines) {
                Print(u"  " + line);
                any = true;
            }
        }
        if (!any) {
            Print(u"  （无）");
        }
        DiscardIniFiles(profiles);
        return kExitOk;
    }

    bool failed = false;
    for (const brand::PlanStep& step : plan.steps) {
        host.SetCommand(step.command);
        app::CommandResult result = app::CommandResult::kDone;
        switch (step.kind) {
            case brand::StepKind::kRebrand:
                result = app::RunRebrand(request, host);
                break;
            case brand::StepKind::kProfile:
                result = app::SaveProfile(*profileIni, installDir, edition, plan.profile, host);
                break;
            case brand::StepKind::kLanguages:
                // The edits, as the list's in-place editor makes them.
                for (const brand::LangChange& change : plan.langChanges) {
                    table.SetText(change.slot, change.id, change.text);
                }
                result = app::SaveAllLanguages(table, installDir, host);
                break;
        }
        failed = result != app::CommandResult::kDone || failed;
    }
    // Nothing else is written back: what the commands save, they saved.
    DiscardIniFiles(profiles);
    return failed ? kExitFailed : kExitOk;
}

int RunRestore(const brand::Arguments& args) {
    const std::u16string path = platform::FullPath(args.exePath);
    const bool folderGiven = platform::IsDirectory(path);
    const std::u16string installDir =
        folderGiven ? WithoutTrailingSeparator(path) : install::FolderOf(path);
    if (!platform::IsDirectory(installDir)) {
        return Refuse({u"安装文件夹不存在：" + installDir});
    }
    // For the folder: its executable, as a brand finds it (checked for running as the
    // executables the backup names are).
    std::u16string fileName = install::FileNameOf(path);
    if (folderGiven) {
        install::BackupManifest manifest;
        install::InstallBackup(installDir).Read(manifest);
        fileName = brand::ChooseExecutable(ExecutablesIn(installDir), manifest, u"", std::nullopt);
        if (fileName.empty()) {
            fileName = install::kDefaultExecutable;
        }
    }
    const app::RestorePlan plan = app::PlanRestore(installDir, fileName, fileName);
    if (!plan.refusal.empty()) {
        Print(u"[恢复原始文件] " + plan.refusal);
        if (plan.state == install::InstallBackup::State::kNone) {
            // What a killed restore or brand left beside a backup without entries.
            for (const std::u16string& line : app::TidyInstall(installDir)) {
                Print(u"[恢复原始文件] " + line);
            }
        }
        // No backup: the install is as it was, which is what was asked for.
        return plan.state == install::InstallBackup::State::kNone ? kExitOk : kExitFailed;
    }
    std::u16string message;
    const app::CommandResult result = app::RunRestore(installDir, message);
    app::ConsoleHost host;
    host.SetCommand(u"恢复原始文件");
    host.Tell(message);
    return result == app::CommandResult::kDone ? kExitOk : kExitFailed;
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
