// The originals kept before every change of an install, and their restore from the system
// menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "tests/win/standin_run.h"
#include "tests/win/target_install.h"
#include "win/wstr.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::ReadBytes;
using testsupport::TargetInstall;
using testsupport::WriteBytes;

bool RestoreEnabled(DialogHarness& h) {
    return (GetMenuState(GetSystemMenu(h.Hwnd(), FALSE), IDM_RESTORE, MF_BYCOMMAND) & MF_GRAYED) ==
           0;
}

// The system menu's restore entry, answered with yes or no; the messages it showed.
std::vector<std::u16string> Restore(DialogHarness& h, bool yes) {
    h.Prompts().messages.clear();
    h.Prompts().yesNoAnswers.push_back(yes);
    SendMessageW(h.Hwnd(), WM_SYSCOMMAND, IDM_RESTORE, 0);
    h.Pump();
    return h.MessageTexts();
}

void Pick(DialogHarness& h, int check, int button, const std::u16string& path) {
    if (!h.Checked(check)) {
        h.Click(check);
    }
    h.Prompts().AnswerNextPicker(path);
    h.Click(button);
}

// Every step of the rebrand command, with the 6.2 edition's advertisement picture.
void Rebrand(DialogHarness& h, const TargetInstall& install, const std::u16string& appName) {
    Pick(h, 1034, 1005, install.Source("new.ico"));
    Pick(h, 1030, 1007, install.Source("login.bmp"));
    Pick(h, 1038, 1017, install.Source("main.bmp"));
    h.Type(1008, u"新标题");
    h.Type(1037, u"新文档");
    h.Type(1009, appName);
    h.Prompts().messages.clear();
    h.Click(1000);
    ASSERT_EQ(std::vector<std::u16string>{u"修改应用程序成功"}, h.MessageTexts());
}

TEST(Restore, EntrySitsBelowAboutAndIsEnabledByABackupOfTheSelectedInstall) {
    TargetInstall install;
    DialogHarness h;
    const HMENU menu = GetSystemMenu(h.Hwnd(), FALSE);
    // The tool's entries end the menu, below the separator.
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 6);
    const struct {
        UINT id;
        const char16_t* text;
    } entries[] = {{IDM_ABOUTBOX, u"关于 VedArod(&A)..."},
                   {IDM_RESTORE, u"恢复原始文件(&R)..."},
                   {IDM_APPLY_BRAND, u"应用品牌文件(&B)..."},
                   {IDM_SAVE_BRAND, u"保存为品牌文件(&S)..."},
                   {IDM_FIND_REPLACE, u"查找和替换(&F)..."}};
    const int first = count - static_cast<int>(std::size(entries));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(menu, first - 1, MF_BYPOSITION) & MF_SEPARATOR);
    for (const auto& entry : entries) {
        const int position = first + static_cast<int>(&entry - entries);
        EXPECT_EQ(entry.id, GetMenuItemID(menu, position));
        wchar_t text[64] = {};
        GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
        EXPECT_EQ(entry.text, win::U(text));
    }
    EXPECT_FALSE(RestoreEnabled(h));
    h.SelectTarget(install.Exe());
    EXPECT_FALSE(RestoreEnabled(h));
    h.Type(1031, u"新公司");
    h.Click(1024);
    EXPECT_TRUE(RestoreEnabled(h));
    EXPECT_TRUE(GetFileAttributesW(install.Backup().wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN);

    TargetInstall other;
    h.SelectTarget(other.Exe());
    EXPECT_FALSE(RestoreEnabled(h));
    h.SelectTarget(install.Exe());
    EXPECT_TRUE(RestoreEnabled(h));
}

TEST(Restore, RebrandProfileAndLanguagesAreUndoneToTheByte) {
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.Click(1041);
    h.SelectTarget(install.Exe());
    Rebrand(h, install, u"NewCad");
    ASSERT_TRUE(fs::exists(install.install / "NewCad.exe"));
    h.Type(1031, u"新公司");
    h.Click(1024);
    h.Click(1029);
    EXPECT_EQ((std::vector<std::u16string>{u"修改应用程序成功", u"保存成功", u"保存成功"}),
              h.MessageTexts());

    // "No" changes nothing; the question names what comes back and what goes.
    EXPECT_TRUE(Restore(h, false).empty());
    ASSERT_EQ(1u, h.Prompts().questions.size());
    const std::u16string& question = h.Prompts().questions[0];
    for (const char16_t* name : {u"ZovIDE.exe", u"NewCad.exe", u"res\\login.bmp",
                                 u"config\\ZuvEra.cfg", u"Lang\\lang_chs.ini"}) {
        EXPECT_NE(std::u16string::npos, question.find(name)) << win::W(name);
    }
    EXPECT_TRUE(fs::exists(install.install / "NewCad.exe"));

    EXPECT_EQ(std::vector<std::u16string>{u"已恢复全部原始文件，备份文件夹已删除"},
              Restore(h, true));
    EXPECT_EQ(before, install.Files());  // bytes, hence SHA-256, of every path; nothing else
    EXPECT_FALSE(fs::exists(install.Backup()));
    EXPECT_FALSE(RestoreEnabled(h));
    // Reloaded as after a selection of the original executable.
    EXPECT_EQ(install.Exe(), h.Text(1002));
    EXPECT_EQ(u"ZovIDE.exe", h.Text(1009));
    EXPECT_TRUE(h.Enabled(1015));
    EXPECT_FALSE(h.ListRows().empty());
}

TEST(Restore, SecondRebrandKeepsTheFirstOriginals) {
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.Click(1041);
    h.SelectTarget(install.Exe());
    Rebrand(h, install, u"ZovIDE.exe");
    WriteBytes(install.sources / "login.bmp", samples::MakeBmp(12, 12, 3));
    WriteBytes(install.sources / "new.ico", samples::MakeIco({32}, 7));
    Rebrand(h, install, u"Second");
    EXPECT_TRUE(fs::exists(install.install / "Second.exe"));
    EXPECT_EQ(std::vector<std::u16string>{u"已恢复全部原始文件，备份文件夹已删除"},
              Restore(h, true));
    EXPECT_EQ(before, install.Files());
}

TEST(Restore, ProfilesThatCloseDoesNotWriteAreNotKept) {
    // The 6.2 view reads its own profile as well; closing writes neither, so neither is kept.
    TargetInstall install;
    const auto before = install.Files();
    {
        DialogHarness h;
        h.Click(1041);
        h.SelectTarget(install.Exe());
        SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
        h.Pump();
        EXPECT_TRUE(h.MessageTexts().empty());
    }
    EXPECT_EQ(before, install.Files());
    EXPECT_FALSE(fs::exists(install.Backup()));
}

TEST(Restore, BackupThatCannotBeWrittenLeavesTheFileAndSaysWhy) {
    TargetInstall install;
    // The backup folder cannot be created: a file holds its name. (A read-only folder does
    // not stop the test user when it is root.)
    WriteBytes(install.Backup(), "");
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    Pick(h, 1034, 1005, install.Source("new.ico"));
    h.Type(1009, u"NewCad");
    h.Click(1000);
    h.Type(1031, u"新公司");
    h.Click(1024);
    h.Click(1028);
    const auto messages = h.MessageTexts();
    ASSERT_EQ(3u, messages.size());
    const std::u16string why = u"\r\n原文件未能备份，文件未修改：无法创建备份文件夹";
    EXPECT_EQ(0u, messages[0].find(u"图标修改失败" + why));
    EXPECT_EQ(0u, messages[1].find(u"生成配置文件失败" + why));
    EXPECT_EQ(0u, messages[2].find(u"语言文件保存失败"));
    EXPECT_NE(std::u16string::npos, messages[2].find(why));
    EXPECT_EQ(before, install.Files());
    EXPECT_FALSE(RestoreEnabled(h));
    // Closing has nothing to write back, so it neither keeps nor tells anything.
    h.Prompts().messages.clear();
    SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
    h.Pump();
    EXPECT_TRUE(h.MessageTexts().empty());
    EXPECT_EQ(before, install.Files());
}

TEST(Restore, FileHeldOpenStaysInTheBackupUntilItCanBeRestored) {
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    Pick(h, 1030, 1007, install.Source("login.bmp"));
    h.Type(1009, u"NewCad");
    h.Click(1000);
    const fs::path login = install.install / "res" / "login.bmp";
    const std::string rebranded = ReadBytes(login);
    const HANDLE held =
        CreateFileW(login.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const auto messages = Restore(h, true);
    CloseHandle(held);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find(u"以下文件未能恢复，仍保留在备份中：\r\nres\\login.bmp："));
    // The executable is back; its new name waits until every original is back.
    EXPECT_NE(std::u16string::npos, messages[0].find(u"\r\nNewCad.exe："));
    EXPECT_EQ(rebranded, ReadBytes(login));
    EXPECT_EQ(before.at("ZovIDE.exe"), ReadBytes(install.install / "ZovIDE.exe"));
    EXPECT_TRUE(RestoreEnabled(h));

    EXPECT_EQ(std::vector<std::u16string>{u"已恢复全部原始文件，备份文件夹已删除"},
              Restore(h, true));
    EXPECT_EQ(before, install.Files());
}

TEST(Restore, RenameThatOnlyChangedTheLetterCaseIsUndone) {
    // The executable's bytes are unchanged: the restore's write brings the name back.
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1009, u"zovide.exe");
    h.Click(1000);
    EXPECT_EQ(1u, install.Files().count("zovide.exe"));
    EXPECT_EQ(std::vector<std::u16string>{u"已恢复全部原始文件，备份文件夹已删除"},
              Restore(h, true));
    EXPECT_EQ(before, install.Files());
}

TEST(Restore, CompleteRestoreRemovesWhatAKilledRunLeftAndSaysSo) {
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1009, u"NewCad");
    h.Click(1000);
    // An unlisted copy and a staging file of a killed run.
    WriteBytes(install.Backup() / "9.orig", "");
    WriteBytes(install.install / "NewCad.exe.~tmp4d2", "partial");
    const auto messages = Restore(h, true);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find(u"已恢复全部原始文件，备份文件夹已删除\r\n"));
    for (const fs::path& left :
         {install.Backup() / "9.orig", install.install / "NewCad.exe.~tmp4d2"}) {
        EXPECT_NE(std::u16string::npos, messages[0].find(left.u16string())) << left;
    }
    EXPECT_EQ(before, install.Files());
    EXPECT_FALSE(fs::exists(install.Backup()));
    EXPECT_FALSE(RestoreEnabled(h));
}

}  // namespace

namespace {

TEST(Restore, RefusedWhileAnExecutableOfTheBackupRuns) {
    TargetInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1009, u"RunCad");
    h.Click(1000);
    const auto after = install.Files();
    // A process of the new name, started from elsewhere.
    std::vector<std::u16string> messages;
    {
        const testsupport::RunningStandIn running(L"RunCad.exe");
        ASSERT_TRUE(running.Started());
        messages = Restore(h, true);
    }
    EXPECT_EQ(std::vector<std::u16string>{u"应用程序正在运行，请关闭再重试"}, messages);
    EXPECT_TRUE(h.Prompts().questions.empty());
    EXPECT_EQ(after, install.Files());
}

}  // namespace
