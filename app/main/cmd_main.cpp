// VedArodCmd: the dialog's commands on one install, driven by a brand file, for scripts.
// Exit codes: 0 every step succeeded, 1 a step failed, a file that another program changed
// since it was read was left as it is (or the target is running), 2 bad usage or a bad brand
// file (nothing written).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/console_host.h"
#include "app/process_hardening.h"
#include "cmd/arguments.h"
#include "cmd/brand_file.h"
#include "ini/ini_cache.h"
#include "install/install_layout.h"
#include "lang/lang_table.h"
#include "platform/files.h"
#include "rebrand/app_name.h"
#include "text/blanks.h"
#include "text/file_names.h"
#include "win/console.h"
#include "win/wstr.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void Print(const std::u16string& text, win::Stream stream = win::Stream::kOut) {
    size_t pos = 0;
    while (true) {
        const size_t end = text.find(u"\r\n", pos);
        win::WriteLine(stream, text.substr(pos, end == std::u16string::npos ? end : end - pos));
        if (end == std::u16string::npos) {
            return;
        }
        pos = end + 2;
    }
}

int Refuse(const std::u16string& text) {
    Print(text, win::Stream::kError);
    Print(u"未写入任何文件", win::Stream::kError);
    return kExitUsage;
}

std::u16string FullPath(const std::u16string& path) {
    std::vector<wchar_t> buffer(32768);
    const DWORD n =
        GetFullPathNameW(win::W(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return n == 0 || n >= buffer.size() ? path : win::U(buffer.data(), n);
}

// The path with its file name spelled as the folder holds it: the letter case typed may
// differ, and the backup keeps the name it is given.
std::u16string AsStored(const std::u16string& path) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(win::W(path), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return path;
    }
    FindClose(find);
    return install::Join(install::FolderOf(path), win::U(found.cFileName));
}

// A's file name equals b as Windows compares file names (A-Z without regard to case).
bool SameFileName(std::u16string_view a, std::u16string_view b) {
    a = text::WindowsResolvedName(a);
    b = text::WindowsResolvedName(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char16_t c) {
            return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
        };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

int RunBrand(const brand::Arguments& args) {
    std::u16string exePath = FullPath(args.exePath);
    if (!platform::PathExists(exePath) || platform::IsDirectory(exePath)) {
        return Refuse(u"应用程序不存在：" + exePath);
    }
    if (!app::IsExecutableName(install::FileNameOf(exePath))) {
        return Refuse(u"应用程序路径不是 .exe 文件：" + exePath);
    }
    exePath = AsStored(exePath);
    brand::BrandFile brand;
    std::u16string error;
    if (!brand::LoadBrandFile(FullPath(args.brandFile), brand, error)) {
        return Refuse(error);
    }

    app::RebrandRequest request;
    request.exePath = exePath;
    request.exeFileName = install::FileNameOf(exePath);
    request.installDir = install::FolderOf(exePath);
    const std::u16string& installDir = request.installDir;
    request.edition = brand.edition.value_or(static_cast<int>(install::Edition::kSimple));
    request.appName = brand.appName.value_or(request.exeFileName);
    if (rebrand::WithExeExtension(text::TrimBlanks(request.appName)) == request.exeFileName) {
        request.appName = request.exeFileName;  // "NewCad" on NewCad.exe: nothing to rename
    }
    request.iconOn = brand.icon.has_value();
    request.iconPath = brand.icon.value_or(u"");
    request.startupOn = brand.startupImage.has_value();
    request.startupImagePath = brand.startupImage.value_or(u"");
    request.adOn = brand.adImage.has_value();
    request.adImagePath = brand.adImage.value_or(u"");
    request.caption = brand.caption.value_or(u"");
    request.newDocName = brand.documentName.value_or(u"");
    if (request.adOn && !install::IsV62(request.edition)) {
        return Refuse(u"品牌文件：ad_image 只用于 6.2 版（edition = 6.2）");
    }
    if ((brand.useFilePassword || brand.filePassword) && install::IsV62(request.edition)) {
        return Refuse(u"品牌文件：use_file_password 和 file_password 不用于 6.2 版");
    }
    const bool rebrand = request.iconOn || request.startupOn || request.adOn || brand.caption ||
                         brand.documentName || brand.appName;
    if (!rebrand && !brand.HasProfile() && brand.lang.empty()) {
        // An empty file (one a script failed to fill, say) must not pass for a done brand.
        return Refuse(u"品牌文件中没有要修改的内容：" + FullPath(args.brandFile));
    }

    // A brand holds the install from its first read to its last write, so that what it read
    // is what it changes.
    app::ConsoleHost host;
    std::unique_ptr<install::InstallLock> held;
    if (!args.dryRun) {
        host.SetCommand(u"品牌");
        held = host.Hold(installDir);
        if (!held) {
            return kExitFailed;
        }
    }

    // The language edits, as the list's in-place editor makes them.
    IniFileCache profiles;
    CLangTable table;
    if (!brand.lang.empty()) {
        if (!platform::IsDirectory(install::Join(installDir, install::kLangFolder))) {
            return Refuse(u"安装文件夹中没有 Lang 文件夹，不能修改语言条目：" + installDir);
        }
        CIniFile& config =
            GetCachedIniFile(profiles, install::Join(installDir, install::kSystemConfig));
        table.LoadFiles(installDir,
                        config.GetString(u"SYSPAR", u"LANGFILELIST",
                                         std::u16string(install::kDefaultLangFileList)));
        for (const brand::LangEdits& edits : brand.lang) {
            int slot = 0;
            while (slot < CLangTable::kSlotCount &&
                   !SameFileName(table.FileName(slot), edits.file)) {
                ++slot;
            }
            if (slot == CLangTable::kSlotCount) {
                return Refuse(u"品牌文件：语言文件 " + edits.file +
                              u" 不在应用程序的语言文件列表中或未能读入");
            }
            for (const auto& [id, value] : edits.entries) {
                if (!table.Entries(slot).Find(id)) {
                    return Refuse(u"品牌文件：语言文件 " + edits.file + u" 中没有条目 " + id);
                }
                table.SetText(slot, id, value);
            }
        }
    }

    // The profile: the stored values, with the keys of the brand file over them.
    CIniFile* profileIni = nullptr;
    CustomProfile profile;
    if (brand.HasProfile()) {
        profileIni = &GetCachedIniFile(profiles, app::ProfileFilePath(installDir, request.edition));
        const CustomProfile stored = app::ReadProfile(*profileIni);
        const bool use = brand.useFilePassword.value_or(stored.useFilePassword) != 0;
        const std::u16string password = brand.filePassword.value_or(stored.filePassword);
        if (auto problem = app::CheckPasswordLength(request.edition, use, password)) {
            return Refuse(problem->message);
        }
        profile = app::ProfileToSave(
            request.edition, use, password, brand.company.value_or(stored.company),
            brand.phone.value_or(stored.phone), brand.url.value_or(stored.url));
        if (auto problem = app::CheckProfileText(*profileIni, request.edition, profile)) {
            return Refuse(problem->message);
        }
    }

    if (rebrand) {
        if (auto problem = app::CheckRebrand(request)) {
            if (problem->field == app::RebrandField::kNone) {  // running: try again later
                Print(problem->message, win::Stream::kError);
                return kExitFailed;
            }
            return Refuse(problem->message);
        }
    }

    if (args.dryRun) {
        std::vector<std::u16string> lines;
        if (rebrand) {
            lines = app::DescribeRebrand(request);
        }
        if (profileIni != nullptr) {
            for (auto& line : app::DescribeProfileSave(*profileIni, request.edition, profile)) {
                lines.push_back(std::move(line));
            }
        }
        if (!brand.lang.empty()) {
            for (auto& line : app::DescribeLanguageSave(table, installDir)) {
                lines.push_back(std::move(line));
            }
        }
        Print(u"试运行，未写入任何文件；将修改：");
        for (const auto& line : lines) {
            Print(u"  " + line);
        }
        if (lines.empty()) {
            Print(u"  （无）");
        }
        DiscardIniFiles(profiles);
        return kExitOk;
    }

    bool failed = false;
    if (rebrand) {
        host.SetCommand(u"修改应用程序");
        failed = app::RunRebrand(request, host) != app::CommandResult::kDone || failed;
    }
    if (profileIni != nullptr) {
        host.SetCommand(u"保存配置");
        failed = app::SaveProfile(*profileIni, installDir, request.edition, profile, host) !=
                     app::CommandResult::kDone ||
                 failed;
    }
    if (!brand.lang.empty()) {
        host.SetCommand(u"保存全部语种文件");
        failed =
            app::SaveAllLanguages(table, installDir, host) != app::CommandResult::kDone || failed;
    }
    // Nothing else is written back: what the commands save, they saved.
    DiscardIniFiles(profiles);
    return failed ? kExitFailed : kExitOk;
}

int RunRestore(const brand::Arguments& args) {
    const std::u16string exePath = FullPath(args.exePath);
    const std::u16string installDir = install::FolderOf(exePath);
    const std::u16string fileName = install::FileNameOf(exePath);
    if (!platform::IsDirectory(installDir)) {
        return Refuse(u"安装文件夹不存在：" + installDir);
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

int wmain(int argc, wchar_t** argv) {
    RestrictDllSearchPath();
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(win::U(argv[i]));
    }
    brand::Arguments parsed;
    std::u16string error;
    if (!brand::ParseArguments(args, parsed, error)) {
        Print(error, win::Stream::kError);
        Print(brand::UsageText(), win::Stream::kError);
        return kExitUsage;
    }
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
