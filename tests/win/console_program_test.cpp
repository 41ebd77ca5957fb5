// The console program VedArodCmd against the dialog: the same brand gives the same install.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/resource.h"
#include "commands/commands.h"
#include "cmd/console_host.h"
#include "ini/ini_cache.h"
#include "install/backup.h"
#include "lang/lang_table.h"
#include "platform/sha256.h"
#include "platform/unicode.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/cmd_run.h"
#include "tests/win/harness.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CmdRun;
using testsupport::DialogHarness;
using testsupport::Quoted;
using testsupport::ReadBytes;
using testsupport::RunCmd;
using testsupport::TargetInstall;
using testsupport::WriteBytes;

// SHA-256 of every file of the install (the backup folder lies beside it).
std::map<std::string, std::string> Digests(const TargetInstall& install) {
    std::map<std::string, std::string> digests;
    for (const auto& [path, bytes] : install.Files()) {
        digests[path] = platform::Sha256Hex(bytes);
    }
    return digests;
}

std::set<std::u16string> KeptPaths(const TargetInstall& install) {
    install::BackupManifest manifest;
    install::InstallBackup(install.install.u16string()).Read(manifest);
    std::set<std::u16string> paths;
    for (const auto& record : manifest.records) {
        paths.insert(record.path);
    }
    return paths;
}

std::u16string FirstId(int slot) {
    return testsupport::FirstLangId(slot);
}

// A 6.2 brand with every key, written beside the pictures as UTF-8 without a mark, or as
// UTF-16LE with its mark (what Notepad saves as "Unicode").
fs::path WriteFullBrand(const TargetInstall& install, bool utf16 = false) {
    const std::u16string text =
        u"; reseller A\r\n[brand]\r\nedition = 6.2\r\nicon = new.ico\r\n"
        u"startup_image = login.bmp\r\nad_image = main.bmp\r\ncaption = 新标题\r\n"
        u"document_name = 新文档\r\napp_name = NewCad\r\n"
        u"[profile]\r\ncompany = 新公司\r\nphone = 010-1234\r\nurl = http://a.example\r\n"
        u"[lang:lang_chs.ini]\r\n" +
        FirstId(0) + u" = 新的文本\r\n[LANG:Lang_En.ini]\r\n" + FirstId(2) + u" = new text\r\n";
    const fs::path path = install.sources / "brand.ini";
    std::string bytes = platform::Utf16ToUtf8(text);
    if (utf16) {
        bytes = "\xFF\xFE";
        for (const char16_t c : text) {
            bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        }
    }
    WriteBytes(path, bytes);
    return path;
}

void Pick(DialogHarness& h, int check, int button, const std::u16string& path) {
    if (!h.Checked(check)) {
        h.Click(check);
    }
    h.Prompts().AnswerNextPicker(path);
    h.Click(button);
}

void EditFirstRow(DialogHarness& h, int slot, const std::u16string& text) {
    h.ChooseLanguage(slot);
    h.DoubleClickList(h.CellPoint(0, 1));
    h.Dlg().m_editCell.SetText(text);
}

// The brand of WriteFullBrand, given through the dialog's own fields and buttons.
void BrandByButtons(DialogHarness& h, const TargetInstall& install) {
    h.SelectTarget(install.Exe());
    h.Click(1041);
    Pick(h, 1034, 1005, install.Source("new.ico"));
    Pick(h, 1030, 1007, install.Source("login.bmp"));
    Pick(h, 1038, 1017, install.Source("main.bmp"));
    h.Type(1008, u"新标题");
    h.Type(1037, u"新文档");
    h.Type(1009, u"NewCad");
    h.Click(1000);
    h.Type(1031, u"新公司");
    h.Type(1032, u"010-1234");
    h.Type(1033, u"http://a.example");
    h.Click(1024);
    EditFirstRow(h, 0, u"新的文本");
    EditFirstRow(h, 2, u"new text");
    h.Click(1029);
}

TEST(ConsoleProgram, SameBrandAsTheDialogGivesTheSameInstall) {
    TargetInstall byDialog;
    {
        DialogHarness h;
        BrandByButtons(h, byDialog);
        EXPECT_EQ((std::vector<std::u16string>{u"修改应用程序成功", u"保存成功", u"保存成功"}),
                  h.MessageTexts());
    }

    TargetInstall byCmd;  // its brand file saved by Notepad as "Unicode"
    const CmdRun run =
        RunCmd(L"brand " + Quoted(WriteFullBrand(byCmd, true)) + L" " + Quoted(byCmd.Exe()));
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(
        u"[修改应用程序] 修改应用程序成功\r\n[保存配置] 保存成功\r\n"
        u"[保存全部语种文件] 保存成功\r\n",
        run.output);

    const auto expected = Digests(byDialog);
    EXPECT_TRUE(expected.count("NewCad.exe") && expected.count("config/ZuvEra.cfg"));
    EXPECT_EQ(expected, Digests(byCmd));
    EXPECT_EQ(KeptPaths(byDialog), KeptPaths(byCmd));
}

TEST(ConsoleProgram, DryRunListsEveryChangeAndWritesNothing) {
    TargetInstall install;
    const fs::path brand = WriteFullBrand(install);
    const auto before = install.Files();
    const CmdRun run =
        RunCmd(L"brand " + Quoted(brand) + L" " + Quoted(install.Exe()) + L" --dry-run");
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(before, install.Files());
    for (const char16_t* expected :
         {u"ZovIDE.exe", u"RT_ICON 1", u"RT_STRING 7", u"RT_STRING 3585", u"新标题", u"新文档",
          u"res\\logo32.ico", u"res\\login.bmp", u"res\\main.bmp", u"NewCad.exe",
          u"config\\ZuvEra.cfg", u"COMPANY", u"新公司", u"PHONE", u"URL", u"Lang\\lang_chs.ini",
          u"Lang\\lang_en.ini", u"新的文本", u"new text"}) {
        EXPECT_NE(std::u16string::npos, run.output.find(expected))
            << platform::Utf16ToUtf8(expected) << "\n"
            << platform::Utf16ToUtf8(run.output);
    }
}

TEST(ConsoleProgram, BadUsageOrBrandFileExitsTwoAndWritesNothing) {
    TargetInstall install;
    const auto before = install.Files();
    const struct {
        const char16_t* brand;  // nullptr: arguments only
        const wchar_t* arguments;
        const char16_t* told;
        const char* target = "ZovIDE.exe";
    } cases[] = {
        {u"[brand]\r\ncolour = red\r\n", L"", u"未知的键 colour"},
        {u"[brand]\r\nedition = 7\r\n", L"", u"edition 应为"},
        {u"[brand]\r\nicon = missing.ico\r\ncaption = x\r\n", L"", u"missing.ico图片文件不存在"},
        {u"[lang:lang_chs.ini]\r\nNO_SUCH_ID = x\r\n", L"", u"没有条目 NO_SUCH_ID"},
        {u"[profile]\r\nuse_file_password = 1\r\nfile_password = 12345\r\n", L"",
         u"文件读写密码长度为6至8个字符"},
        {u"[brand]\r\nedition = 6.2\r\n[profile]\r\nfile_password = abcdef\r\n", L"",
         u"file_password 不用于 6.2 版"},
        {u"[brand]\r\napp_name = NewCad\r\n[profile]\r\ncompany = C\r\n", L"", u"不是 .exe 文件",
         "config/ZovIDE.cfg"},
        {u"; nothing here yet\r\n[brand]\r\nedition = standard\r\n", L"", u"没有要修改的内容"},
        {nullptr, L"brand", u"用法"},
        {nullptr, L"paint x.ini", u"未知的命令"},
    };
    for (const auto& c : cases) {
        std::wstring arguments = c.arguments;
        if (c.brand != nullptr) {
            const fs::path brand = install.sources / "bad.ini";
            WriteBytes(brand, platform::Utf16ToUtf8(c.brand));
            arguments = L"brand " + Quoted(brand) + L" " + Quoted(install.install / c.target);
        }
        const CmdRun run = RunCmd(arguments);
        EXPECT_EQ(2u, run.exitCode) << platform::Utf16ToUtf8(run.output);
        EXPECT_NE(std::u16string::npos, run.output.find(c.told))
            << platform::Utf16ToUtf8(run.output);
        EXPECT_EQ(before, install.Files());
    }
}

TEST(ConsoleProgram, EveryProblemOfABadBrandFileIsListed) {
    TargetInstall install;
    const auto before = install.Files();
    const fs::path brand = install.sources / "bad.ini";
    WriteBytes(brand,
               "[brand]\r\ncolour = red\r\nicon = missing.ico\r\nstartup_image = gone.bmp\r\n"
               "edition = 7\r\n");
    const CmdRun run = RunCmd(L"brand " + Quoted(brand) + L" " + Quoted(install.Exe()));
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_EQ(
        u"品牌文件第 2 行：未知的键 colour（节 [brand]）\r\n"
        u"品牌文件第 5 行：edition 应为 simple、standard 或 6.2：7\r\n"
        u"品牌文件第 3 行：" +
            install.Source("missing.ico") +
            u"图片文件不存在\r\n"
            u"品牌文件第 4 行：" +
            install.Source("gone.bmp") +
            u"图片文件不存在\r\n"
            u"未写入任何文件\r\n",
        run.output);
    EXPECT_EQ(before, install.Files());
}

// A brand applied again with the same command line finds the executable it renamed, and
// leaves the install as the first run left it; so does the install folder in its place.
TEST(ConsoleProgram, TheSameBrandTwiceGivesTheSameInstall) {
    TargetInstall install;
    const auto original = Digests(install);
    const fs::path brand = WriteFullBrand(install);
    const std::wstring exeArgs = L"brand " + Quoted(brand) + L" " + Quoted(install.Exe());
    ASSERT_EQ(0u, RunCmd(exeArgs).exitCode);
    const auto branded = Digests(install);
    ASSERT_TRUE(branded.count("NewCad.exe") && !branded.count("ZovIDE.exe"));
    const fs::path manifest = install.Backup() / "manifest.txt";
    const std::string kept = ReadBytes(manifest);

    for (const std::wstring& args :
         {exeArgs, L"brand " + Quoted(brand) + L" " + Quoted(install.install)}) {
        const CmdRun again = RunCmd(args);
        EXPECT_EQ(0u, again.exitCode) << platform::Utf16ToUtf8(again.output);
        EXPECT_EQ(branded, Digests(install));
        EXPECT_EQ(kept, ReadBytes(manifest));
    }
    const CmdRun restored = RunCmd(L"restore " + Quoted(install.install));
    EXPECT_EQ(0u, restored.exitCode) << platform::Utf16ToUtf8(restored.output);
    EXPECT_EQ(original, Digests(install));
}

TEST(ConsoleProgram, FailedStepExitsOneAndTheLaterStepsRun) {
    TargetInstall install;
    // Not an icon file: the icon step fails, and the rebrand command stops there.
    WriteBytes(install.sources / "bad.ico", "not an icon");
    WriteBytes(install.sources / "brand.ini",
               "[brand]\r\nicon = bad.ico\r\ncaption = T\r\n[profile]\r\ncompany = C\r\n");
    const std::string exe = ReadBytes(install.install / "ZovIDE.exe");
    const CmdRun run =
        RunCmd(L"brand " + Quoted(install.sources / "brand.ini") + L" " + Quoted(install.Exe()));
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(u"[修改应用程序] 图标修改失败\r\n[保存配置] 保存成功\r\n", run.output);
    EXPECT_EQ(exe, ReadBytes(install.install / "ZovIDE.exe"));
}

TEST(ConsoleProgram, RestoreBringsTheOriginalInstallBack) {
    TargetInstall install;
    const auto before = install.Files();
    // The executable typed in another letter case: its name is restored as it was.
    ASSERT_EQ(0u, RunCmd(L"brand " + Quoted(WriteFullBrand(install)) + L" " +
                         Quoted(install.install / "zovide.EXE"))
                      .exitCode);
    ASSERT_NE(before, install.Files());
    const CmdRun run = RunCmd(L"restore " + Quoted(install.install / "NewCad.exe"));
    EXPECT_EQ(0u, run.exitCode) << platform::Utf16ToUtf8(run.output);
    EXPECT_EQ(u"[恢复原始文件] 已恢复全部原始文件，备份文件夹已删除\r\n", run.output);
    EXPECT_EQ(before, install.Files());
}

// VedArodCmd reads the install and saves at once; a file that another program changes
// between its read and its save is left as it is and named, and the command fails (the
// program's exit code 1). The commands run here with the program's host, on a table and a
// profile read before the other program writes.
TEST(ConsoleProgram, AFileChangedBetweenReadAndSaveIsLeftAndTheCommandFails) {
    const struct {
        const char* name;
        bool languages;  // "保存全部语种文件", else "保存配置"
        const char16_t* command;
        const char16_t* relative;
        const char16_t* message;
    } cases[] = {
        {"languages", true, u"保存全部语种文件", u"\\Lang\\lang_chs.ini",
         u"以下语言文件已被其他程序修改，未覆盖：\r\n"},
        {"profile", false, u"保存配置", u"\\config\\VirUdezed.cfg",
         u"配置文件已被其他程序修改，未覆盖："},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TargetInstall install;
        const std::u16string installDir = install.install.u16string();
        const std::u16string path = installDir + c.relative;
        CLangTable table;
        table.LoadFiles(installDir, std::u16string(CLangTable::kDefaultFileList));
        table.SetText(0, FirstId(0), u"ours");
        IniFileCache profiles;
        CIniFile& ini =
            GetCachedIniFile(profiles, app::ProfileFilePath(installDir, install::Edition::kSimple));
        const std::string theirs = "written by another program";
        WriteBytes(fs::path(path), theirs);

        testsupport::TempDir scratch;
        const fs::path outPath = scratch.Path() / "out.txt";
        const HANDLE out = CreateFileW(outPath.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, out);
        const HANDLE stdOut = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, out);
        app::ConsoleHost host;
        host.StepStarted(c.command);
        const app::CommandResult result =
            c.languages ? app::SaveAllLanguages(table, installDir, host)
                        : app::SaveProfile(ini, installDir, install::Edition::kSimple,
                                           install::ProfileToSave(install::Edition::kSimple, false,
                                                                  u"", u"C", u"P", u"U"),
                                           host);
        SetStdHandle(STD_OUTPUT_HANDLE, stdOut);
        CloseHandle(out);
        DiscardIniFiles(profiles);

        EXPECT_EQ(app::CommandResult::kFailed, result);
        EXPECT_EQ(theirs, ReadBytes(fs::path(path)));
        const std::u16string prefix = u"[" + std::u16string(c.command) + u"] ";
        std::u16string expected = prefix + c.message;
        if (expected.back() == u'\n') {
            expected += prefix;  // the list of files starts a line of its own
        }
        EXPECT_EQ(expected + path + u"\r\n", platform::Utf8ToUtf16(ReadBytes(outPath)));
    }
}

}  // namespace

// ---- Brand files from the dialog's system menu

namespace {

void SysCommand(DialogHarness& h, WPARAM id) {
    SendMessageW(h.Hwnd(), WM_SYSCOMMAND, id, 0);
    h.Pump();
}

bool MenuGrayed(DialogHarness& h, UINT id) {
    return (GetMenuState(GetSystemMenu(h.Hwnd(), FALSE), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// The dry run's lines of a brand, as the console prints them (without their indent).
std::vector<std::u16string> DryRunLines(const fs::path& brand, const TargetInstall& install) {
    const CmdRun run =
        RunCmd(L"brand " + Quoted(brand) + L" " + Quoted(install.Exe()) + L" --dry-run");
    std::vector<std::u16string> lines;
    size_t pos = run.output.find(u"\r\n") + 2;  // after the heading
    while (pos < run.output.size()) {
        const size_t end = run.output.find(u"\r\n", pos);
        lines.push_back(run.output.substr(pos + 2, end - pos - 2));
        pos = end + 2;
    }
    return lines;
}

}  // namespace

TEST(BrandMenu, AppliedBrandFileGivesTheConsolesInstallAfterTheQuestion) {
    TargetInstall byMenu;
    const fs::path brand = WriteFullBrand(byMenu);
    const auto original = Digests(byMenu);
    DialogHarness h;
    EXPECT_TRUE(MenuGrayed(h, 0x0030) && MenuGrayed(h, 0x0040));
    h.SelectTarget(byMenu.Exe());
    EXPECT_FALSE(MenuGrayed(h, 0x0030) || MenuGrayed(h, 0x0040));

    // No: nothing is written; the question lists the dry run's lines.
    h.Prompts().AnswerNextPicker(brand.u16string());
    SysCommand(h, 0x0030);
    EXPECT_EQ(u"品牌文件 (*.ini)|*.ini||", h.Prompts().pickers.back().filter);
    ASSERT_EQ(1u, h.Prompts().questions.size());
    std::u16string expected = u"品牌文件将修改：";
    for (const std::u16string& line : DryRunLines(brand, byMenu)) {
        expected += u"\r\n" + line;
    }
    EXPECT_EQ(expected + u"\r\n\r\n是否应用？", h.Prompts().questions[0]);
    EXPECT_EQ(original, Digests(byMenu));
    EXPECT_TRUE(h.MessageTexts().empty());

    // Yes: one message with every step's result; the dialog shows the renamed executable.
    h.Prompts().AnswerNextPicker(brand.u16string());
    h.Prompts().yesNoAnswers.push_back(true);
    SysCommand(h, 0x0030);
    EXPECT_EQ((std::vector<std::u16string>{u"【修改应用程序】\r\n修改应用程序成功\r\n\r\n"
                                           u"【保存配置】\r\n保存成功\r\n\r\n"
                                           u"【保存全部语种文件】\r\n保存成功"}),
              h.MessageTexts());
    EXPECT_EQ((byMenu.install / "NewCad.exe").u16string(), h.Text(1002));
    EXPECT_EQ(u"NewCad.exe", h.Text(1009));
    EXPECT_TRUE(h.Checked(1041));  // the brand's edition, 6.2
    EXPECT_EQ(u"新公司", h.Text(1031));
    EXPECT_FALSE(MenuGrayed(h, IDM_RESTORE));

    TargetInstall byCmd;
    EXPECT_EQ(
        0u,
        RunCmd(L"brand " + Quoted(WriteFullBrand(byCmd)) + L" " + Quoted(byCmd.Exe())).exitCode);
    EXPECT_EQ(Digests(byCmd), Digests(byMenu));
    EXPECT_EQ(KeptPaths(byCmd), KeptPaths(byMenu));
}

TEST(BrandMenu, BadBrandFileIsToldAndNothingIsAskedOrWritten) {
    TargetInstall install;
    const fs::path brand = install.sources / "bad.ini";
    WriteBytes(brand, "[brand]\r\ncolour = red\r\nedition = 7\r\n");
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Prompts().AnswerNextPicker(brand.u16string());
    SysCommand(h, 0x0030);
    EXPECT_TRUE(h.Prompts().questions.empty());
    EXPECT_EQ((std::vector<std::u16string>{
                  u"品牌文件第 2 行：未知的键 colour（节 [brand]）\r\n"
                  u"品牌文件第 3 行：edition 应为 simple、standard 或 6.2：7\r\n未写入任何文件"}),
              h.MessageTexts());
    EXPECT_EQ(before, install.Files());
}

TEST(BrandMenu, LongPlanIsCutAfterThirtyLinesWithItsCount) {
    TargetInstall install;
    std::u16string text;
    size_t entries = 0;
    for (int slot = 0; slot < 16; ++slot) {
        text += u"[lang:" + samples::DefaultLangFileNames()[static_cast<size_t>(slot)] + u"]\r\n";
        for (const auto& entry : samples::MakeLangEntries(slot, 3)) {
            text += entry.first + u" = 新" + entry.first + u"\r\n";
            ++entries;
        }
    }
    const fs::path brand = install.sources / "many.ini";
    WriteBytes(brand, platform::Utf16ToUtf8(text));
    const std::vector<std::u16string> lines = DryRunLines(brand, install);
    ASSERT_GE(lines.size(), entries);

    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Prompts().AnswerNextPicker(brand.u16string());
    SysCommand(h, 0x0030);
    ASSERT_EQ(1u, h.Prompts().questions.size());
    std::u16string expected = u"品牌文件将修改：";
    for (size_t i = 0; i < 30; ++i) {
        expected += u"\r\n" + lines[i];
    }
    expected += u"\r\n……共 " + platform::Utf8ToUtf16(std::to_string(lines.size())) + u" 项";
    EXPECT_EQ(expected + u"\r\n\r\n是否应用？", h.Prompts().questions[0]);
}

// A save of every language while another program holds one edited file open without
// sharing: that file is left and named, and not kept; every file that was written has its
// original kept with a digest of its bytes, whether taken ahead (the edited ones) or not.
TEST(LanguageSave, EditedFileHeldOpenIsLeftAndNotKept) {
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    EditFirstRow(h, 0, u"新的文本");
    EditFirstRow(h, 2, u"new text");
    const std::u16string heldName = h.Dlg().m_langTable.FileName(0);
    const std::u16string savedName = h.Dlg().m_langTable.FileName(2);
    const fs::path heldFile = install.install / "Lang" / fs::path(heldName);
    const HANDLE held = CreateFileW(heldFile.wstring().c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    h.Prompts().messages.clear();
    h.Click(1029);
    CloseHandle(held);
    const auto messages = h.MessageTexts();
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::u16string::npos, messages[0].find(heldFile.u16string()));
    const std::string heldKey = "Lang/" + platform::Utf16ToUtf8(heldName);
    const std::string savedKey = "Lang/" + platform::Utf16ToUtf8(savedName);
    EXPECT_EQ(before.at(heldKey), ReadBytes(heldFile));
    EXPECT_NE(before.at(savedKey), ReadBytes(install.install / savedKey));
    install::BackupManifest manifest;
    install::InstallBackup(install.install.u16string()).Read(manifest);
    EXPECT_EQ(0u, KeptPaths(install).count(u"Lang\\" + heldName));
    EXPECT_EQ(1u, KeptPaths(install).count(u"Lang\\" + savedName));
    for (const auto& record : manifest.records) {
        std::string key = platform::Utf16ToUtf8(record.path);
        std::replace(key.begin(), key.end(), '\\', '/');
        const std::string copy = ReadBytes(install.Backup() / fs::path(record.copy));
        EXPECT_EQ(before.at(key), copy) << key;
        EXPECT_EQ(platform::Sha256Hex(copy), record.sha256) << key;
    }
}

// What the dialog's own buttons did, saved as a brand file and applied by the console
// program to a fresh copy, gives the same install.
TEST(BrandMenu, SavedBrandFileReappliedToACopyGivesTheSameInstall) {
    TargetInstall byDialog;
    const fs::path saved = byDialog.dir.Path() / "saved.ini";
    {
        DialogHarness h;
        BrandByButtons(h, byDialog);
        EditFirstRow(h, 2, u"not saved yet");  // the brand carries what the dialog shows
        h.Prompts().AnswerNextPicker(saved.u16string());
        SysCommand(h, 0x0040);
        EXPECT_EQ(1, h.Prompts().savePickers);
        EXPECT_EQ(u"品牌文件已保存：" + saved.u16string(), h.MessageTexts().back());
        h.Click(1029);
    }
    const std::string bytes = ReadBytes(saved);
    const std::string head = "\xEF\xBB\xBF[brand]\r\nedition = 6.2\r\nicon = ";
    EXPECT_EQ(head, bytes.substr(0, head.size()));

    TargetInstall byCmd;
    const CmdRun run = RunCmd(L"brand " + Quoted(saved) + L" " + Quoted(byCmd.Exe()));
    EXPECT_EQ(0u, run.exitCode) << platform::Utf16ToUtf8(run.output);
    EXPECT_EQ(Digests(byDialog), Digests(byCmd));
    EXPECT_EQ(KeptPaths(byDialog), KeptPaths(byCmd));
}
