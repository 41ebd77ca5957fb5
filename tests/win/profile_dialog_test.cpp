// Loading and saving the customization profile through the dialog, and what closing writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <filesystem>
#include <string>
#include <vector>

#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

const char kProfile[] =
    "[CUSTOMPAR]\r\nCOMPANY=Old Co\r\nFILEPASSWORD=secret1\r\nPHONE=123\r\nURL=old.example\r\n"
    "USINGFILEPASSWORD=0\r\n";

// An install folder with a config folder, a profile and a target configuration.
struct Install {
    TempDir dir;
    explicit Install(bool withConfig = true) {
        if (withConfig) {
            fs::create_directories(dir.Path() / "config");
            WriteBytes(dir.Path() / "config" / "VirUdezed.cfg", kProfile);
            WriteBytes(dir.Path() / "config" / "ZovIDE.cfg", "[SYSPAR]\r\nZ=1\r\nA=2\r\n");
        }
    }
    std::u16string Exe() const { return dir.Text() + u"\\ZovIDE.exe"; }
    std::string Read(const char* relative) const { return ReadBytes(dir.Path() / relative); }
};

void SaveWith(DialogHarness& h, bool usePassword, const std::u16string& password) {
    if (h.Checked(1010) != usePassword) {
        h.Click(1010);
    }
    h.Type(1011, password);
    h.Type(1031, u"新公司");
    h.Type(1032, u"010-1");
    h.Type(1033, u"www.new");
    h.Click(1024);
}

TEST(ProfileDialog, PasswordLengthIsCheckedInCodeUnits) {
    struct Case {
        std::u16string password;
        bool accepted;
    };
    const Case cases[] = {
        {u"12345", false}, {u"123456", true}, {u"密码密码密码密码", true}, {u"123456789", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.password.begin(), c.password.end()));
        Install install;
        DialogHarness h;
        h.SelectTarget(install.Exe());
        SaveWith(h, true, c.password);
        ASSERT_EQ(1u, h.Prompts().messages.size());
        if (!c.accepted) {
            EXPECT_EQ(u"文件读写密码长度为6至8个字符", h.MessageTexts()[0]);
            EXPECT_EQ(h.Item(1011), GetFocus());
            EXPECT_EQ(kProfile, install.Read("config/VirUdezed.cfg"));
            continue;
        }
        EXPECT_EQ(u"保存成功", h.MessageTexts()[0]);
        EXPECT_EQ(h.Hwnd(), h.Prompts().messages[0].owner);
    }
}

TEST(ProfileDialog, SimpleEditionWritesAllFiveKeys) {
    Install install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    SaveWith(h, true, u"abc123");
    EXPECT_EQ(
        "[CUSTOMPAR]\r\nCOMPANY=\xD0\xC2\xB9\xAB\xCB\xBE\r\nFILEPASSWORD=abc123\r\nPHONE=010-1\r\n"
        "URL=www.new\r\nUSINGFILEPASSWORD=1\r\n",
        install.Read("config/VirUdezed.cfg"));

    // Unchecked: the password is stored empty whatever the edit holds.
    SaveWith(h, false, u"ignored!");
    EXPECT_EQ(
        "[CUSTOMPAR]\r\nCOMPANY=\xD0\xC2\xB9\xAB\xCB\xBE\r\nFILEPASSWORD=\r\nPHONE=010-1\r\n"
        "URL=www.new\r\nUSINGFILEPASSWORD=0\r\n",
        install.Read("config/VirUdezed.cfg"));
}

TEST(ProfileDialog, Edition62WritesThreeKeysIntoItsOwnFile) {
    Install install;
    WriteBytes(install.dir.Path() / "config" / "ZuvEra.cfg",
               "[CUSTOMPAR]\r\nFILEPASSWORD=keep12\r\nUSINGFILEPASSWORD=1\r\n");
    DialogHarness h;
    h.Click(1041);
    h.SelectTarget(install.Exe());
    // The 6.2 profile was loaded: its stored password shows checked and enabled.
    EXPECT_TRUE(h.Checked(1010));
    EXPECT_EQ(u"keep12", h.Text(1011));
    SaveWith(h, false, u"");
    EXPECT_EQ(u"保存成功", h.MessageTexts().back());
    EXPECT_EQ(
        "[CUSTOMPAR]\r\nCOMPANY=\xD0\xC2\xB9\xAB\xCB\xBE\r\nFILEPASSWORD=keep12\r\nPHONE=010-1\r\n"
        "URL=www.new\r\nUSINGFILEPASSWORD=1\r\n",
        install.Read("config/ZuvEra.cfg"));
    EXPECT_EQ(kProfile, install.Read("config/VirUdezed.cfg"));
}

TEST(ProfileDialog, WithoutConfigFolderTheProfileLivesInTheInstallFolder) {
    Install install(false);
    WriteBytes(install.dir.Path() / "VirUdezed.cfg",
               "[CUSTOMPAR]\r\nCOMPANY=Here\r\nUSINGFILEPASSWORD=1\r\nFILEPASSWORD=pw1234\r\n");
    DialogHarness h;
    h.Click(1041);  // every edition
    h.SelectTarget(install.Exe());
    EXPECT_EQ(u"Here", h.Text(1031));
    EXPECT_TRUE(h.Checked(1010));
    EXPECT_TRUE(h.Enabled(1011));
    EXPECT_EQ(u"pw1234", h.Text(1011));
    SaveWith(h, false, u"");
    EXPECT_EQ(u"保存成功", h.MessageTexts().back());
    EXPECT_FALSE(fs::exists(install.dir.Path() / "config"));
    EXPECT_NE(std::string::npos, install.Read("VirUdezed.cfg").find("URL=www.new"));
}

TEST(ProfileDialog, MissingProfileShowsDefaultsAndAFailedSaveIsReported) {
    TempDir dir;
    DialogHarness h;
    h.Type(1031, u"typed before");
    h.SelectTarget(dir.Text() + u"\\nofolder\\ZovIDE.exe");
    EXPECT_EQ(u"", h.Text(1031));
    EXPECT_FALSE(h.Checked(1010));
    EXPECT_FALSE(h.Enabled(1011));
    SaveWith(h, false, u"");
    // The save itself fails; no backup is left for a file that nothing wrote.
    EXPECT_EQ(0u, h.MessageTexts().back().find(u"生成配置文件失败"));
    EXPECT_FALSE(fs::exists(dir.Path() / "nofolder.VedArodBackup"));
}

TEST(ProfileDialog, CloseBoxWritesNothingTheToolOnlyRead) {
    Install install;
    fs::create_directories(install.dir.Path() / "Lang");
    // Comments, a second block, key order, a mark, and the running product's own edits.
    const std::string target =
        "\xEF\xBB\xBF; product "
        "settings\r\n[SYSPAR]\r\nZ=1\r\n[OTHER]\r\nx=1\r\n[SYSPAR]\r\nA=2\r\n";
    {
        DialogHarness h;
        h.Click(1041);
        h.SelectTarget(install.Exe());
        SaveWith(h, false, u"");
        // Changed by somebody else after the save: closing must not write them again.
        WriteBytes(install.dir.Path() / "config" / "VirUdezed.cfg", "changed");
        WriteBytes(install.dir.Path() / "config" / "ZuvEra.cfg", "changed too");
        WriteBytes(install.dir.Path() / "config" / "ZovIDE.cfg", target);
        SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
        h.Pump();
        EXPECT_TRUE(h.Dlg().Ended());
        EXPECT_TRUE(h.Dlg().m_mapIniFiles.empty());
    }
    EXPECT_EQ("changed", install.Read("config/VirUdezed.cfg"));
    EXPECT_EQ("changed too", install.Read("config/ZuvEra.cfg"));
    EXPECT_EQ(target, install.Read("config/ZovIDE.cfg"));
}

TEST(ProfileDialog, ProfilesWithAMarkAreReadAndWrittenInTheirEncoding) {
    Install install;
    WriteBytes(install.dir.Path() / "config" / "VirUdezed.cfg",
               std::string("\xEF\xBB\xBF") + u8"[CUSTOMPAR]\r\nCOMPANY=한국 Co\r\nURL=u\r\n");
    DialogHarness h;
    h.SelectTarget(install.Exe());
    EXPECT_EQ(u"한국 Co", h.Text(1031));
    EXPECT_EQ(u"u", h.Text(1033));
    h.Type(1032, u"À1");
    h.Click(1024);
    EXPECT_EQ(u"保存成功", h.MessageTexts().back());
    EXPECT_EQ(std::string("\xEF\xBB\xBF") +
                  u8"[CUSTOMPAR]\r\nCOMPANY=한국 Co\r\nFILEPASSWORD=\r\nPHONE=À1\r\nURL=u\r\n"
                  u8"USINGFILEPASSWORD=0\r\n",
              install.Read("config/VirUdezed.cfg"));
}

TEST(ProfileDialog, AFieldTheProfileCannotHoldIsNamedAndNothingIsWritten) {
    struct Case {
        int control;
        std::u16string text;
        const char16_t* label;
    };
    const Case cases[] = {
        {1031, u"À Co", u"公司名称"},
        {1032, u"한국", u"电话"},
        {1033, u"www.\u0E01.th", u"网址"},
        {1011, u"密码é\u00C0ab", u"文件读写密码"},
    };
    for (const Case& c : cases) {
        Install install;
        DialogHarness h;
        h.SelectTarget(install.Exe());
        h.Click(1010);
        h.Type(1011, u"abc123");
        h.Type(c.control, c.text);
        h.Click(1024);
        ASSERT_EQ(1u, h.Prompts().messages.size());
        EXPECT_EQ(
            std::u16string(u"“") + c.label + u"”中有配置文件的编码不能保存的字符，请修改后再保存",
            h.MessageTexts()[0]);
        EXPECT_EQ(h.Item(c.control), GetFocus());
        EXPECT_EQ(kProfile, install.Read("config/VirUdezed.cfg"));
    }
}

TEST(ProfileDialog, The62ViewKeepsTheStoredPasswordWhateverItsLength) {
    Install install;
    const std::string stored = "[CUSTOMPAR]\r\nFILEPASSWORD=abc\r\nUSINGFILEPASSWORD=1\r\n";
    WriteBytes(install.dir.Path() / "config" / "ZuvEra.cfg", stored);
    DialogHarness h;
    h.Click(1041);
    h.SelectTarget(install.Exe());
    EXPECT_FALSE(h.Visible(1011));
    h.Type(1031, u"Co");
    h.Click(1024);
    ASSERT_EQ(1u, h.Prompts().messages.size());
    EXPECT_EQ(u"保存成功", h.MessageTexts()[0]);
    EXPECT_EQ(
        "[CUSTOMPAR]\r\nCOMPANY=Co\r\nFILEPASSWORD=abc\r\nPHONE=\r\nURL=\r\nUSINGFILEPASSWORD="
        "1\r\n",
        install.Read("config/ZuvEra.cfg"));
}

TEST(ProfileDialog, AProfileLockedAtSelectionIsReadAgainLater) {
    Install install;
    const std::wstring file = (install.dir.Path() / "config" / "VirUdezed.cfg").wstring();
    const int fd = _wsopen(file.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW);
    ASSERT_NE(-1, fd);
    DialogHarness h;
    h.SelectTarget(install.Exe());
    EXPECT_EQ(u"", h.Text(1031));
    _close(fd);
    h.SelectTarget(install.Exe());
    EXPECT_EQ(u"Old Co", h.Text(1031));
    h.Type(1031, u"New Co");
    h.Click(1024);
    EXPECT_EQ(u"保存成功", h.MessageTexts().back());
    const std::string saved = install.Read("config/VirUdezed.cfg");
    EXPECT_NE(std::string::npos, saved.find("COMPANY=New Co\r\nFILEPASSWORD=\r\nPHONE=123\r\n"));
}

TEST(ProfileDialog, ExitButtonWritesNothing) {
    Install install;
    fs::create_directories(install.dir.Path() / "Lang");
    {
        DialogHarness h;
        h.Click(1041);
        h.SelectTarget(install.Exe());  // caches ZovIDE.cfg and ZuvEra.cfg (missing)
        EXPECT_EQ(2u, h.Dlg().m_mapIniFiles.size());
        h.Click(1);
        EXPECT_TRUE(h.Dlg().Ended());
    }
    EXPECT_FALSE(fs::exists(install.dir.Path() / "config" / "ZuvEra.cfg"));
    EXPECT_EQ("[SYSPAR]\r\nZ=1\r\nA=2\r\n", install.Read("config/ZovIDE.cfg"));
}

// Another program writes the profile after the selection: the save asks before it replaces
// it. No leaves the other program's file and says so; Yes writes, and a second save right
// after asks nothing.
TEST(ProfileDialog, ASaveAsksBeforeReplacingAProfileAnotherProgramChanged) {
    const std::string theirs = "[CUSTOMPAR]\r\nCOMPANY=Their Co\r\n";
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        Install install;
        DialogHarness h;
        h.SelectTarget(install.Exe());
        WriteBytes(install.dir.Path() / "config" / "VirUdezed.cfg", theirs);
        h.Prompts().yesNoAnswers.push_back(yes);
        SaveWith(h, false, u"");
        const std::u16string path = install.dir.Text() + u"\\config\\VirUdezed.cfg";
        EXPECT_EQ(std::vector<std::u16string>{path + u"已被其他程序修改。是否覆盖？"},
                  h.Prompts().questions);
        if (!yes) {
            EXPECT_EQ(theirs, install.Read("config/VirUdezed.cfg"));
            EXPECT_EQ(std::vector<std::u16string>{u"配置文件已被其他程序修改，未覆盖：" + path},
                      h.MessageTexts());
            continue;
        }
        EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
        EXPECT_NE(std::string::npos, install.Read("config/VirUdezed.cfg").find("PHONE=010-1\r\n"));
        h.Type(1032, u"010-2");
        h.Click(1024);
        EXPECT_EQ(1u, h.Prompts().questions.size());
        EXPECT_EQ(u"保存成功", h.MessageTexts().back());
        EXPECT_NE(std::string::npos, install.Read("config/VirUdezed.cfg").find("PHONE=010-2\r\n"));
    }
}

}  // namespace
