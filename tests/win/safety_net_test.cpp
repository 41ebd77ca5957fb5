// The backup of originals as a safety net: two programs at once, a kill at any step, devices
// named as pictures, and changes that did not happen leave no backup behind. Every case ends
// with a restore that must give the install's original tree, byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/unicode.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/cmd_run.h"
#include "tests/win/harness.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CmdEnvironment;
using testsupport::CmdProcess;
using testsupport::CmdRun;
using testsupport::DialogHarness;
using testsupport::Quoted;
using testsupport::ReadBytes;
using testsupport::RunCmd;
using testsupport::TargetInstall;
using testsupport::WriteBytes;

std::string Narrow(const std::u16string& s) {
    return platform::Utf16ToUtf8(s);
}

std::u16string FirstId(int slot) {
    return testsupport::FirstLangId(slot);
}

// Brand files beside the pictures: one for the executable and its pictures, one for the
// profile and the languages, one that does all of it with a rename.
fs::path WriteBrand(const TargetInstall& install, const char* name, const std::u16string& text) {
    const fs::path path = install.sources / name;
    WriteBytes(path, Narrow(text));
    return path;
}

fs::path ExeBrand(const TargetInstall& install) {
    return WriteBrand(install, "exe.ini",
                      u"[brand]\r\nicon = new.ico\r\nstartup_image = login.bmp\r\n"
                      u"caption = 新标题\r\ndocument_name = 新文档\r\n");
}

fs::path TextBrand(const TargetInstall& install, const char* name, const std::u16string& text) {
    return WriteBrand(install, name,
                      u"[profile]\r\ncompany = " + text + u"\r\n[lang:lang_chs.ini]\r\n" +
                          FirstId(0) + u" = " + text + u"\r\n[lang:lang_en.ini]\r\n" + FirstId(2) +
                          u" = " + text + u"\r\n");
}

fs::path FullBrand(const TargetInstall& install) {
    return WriteBrand(install, "full.ini",
                      u"[brand]\r\nicon = new.ico\r\nstartup_image = login.bmp\r\n"
                      u"caption = 新标题\r\ndocument_name = 新文档\r\napp_name = NewCad\r\n"
                      u"[profile]\r\ncompany = 新公司\r\n[lang:lang_chs.ini]\r\n" +
                          FirstId(0) + u" = 新的文本\r\n");
}

// The executable as it is named now: renamed when a brand got that far.
fs::path Target(const TargetInstall& install) {
    const fs::path renamed = install.install / "NewCad.exe";
    return fs::exists(renamed) ? renamed : install.install / "ZovIDE.exe";
}

std::wstring Brand(const fs::path& brand, const TargetInstall& install) {
    return L"brand " + Quoted(brand) + L" " + Quoted(Target(install));
}

std::wstring RestoreArgs(const TargetInstall& install) {
    return L"restore " + Quoted(Target(install));
}

// A restore gives back the tree as it was, and nothing of the backup is left.
void ExpectRestored(const TargetInstall& install, const std::map<std::string, std::string>& before,
                    const std::string& what) {
    const CmdRun run = RunCmd(RestoreArgs(install));
    EXPECT_EQ(0u, run.exitCode) << what << "\n" << Narrow(run.output);
    const auto after = install.Files();
    EXPECT_EQ(before.size(), after.size()) << what;
    for (const auto& [path, bytes] : before) {
        const auto it = after.find(path);
        EXPECT_TRUE(it != after.end() && it->second == bytes) << what << ": " << path;
    }
    EXPECT_FALSE(fs::exists(install.Backup())) << what;
}

TEST(SafetyNet, TwoConsolesAtOnceLoseNoOriginal) {
    const struct {
        const char* name;
        bool exeFirst;  // the executable's brand starts first, else the texts' brand
        bool bothText;  // two text brands on the same files
        DWORD offsetMs;
    } cases[] = {
        {"executable, then texts at once", true, false, 0},
        {"texts, then executable at once", false, false, 0},
        {"executable, texts 150 ms later", true, false, 150},
        {"two text brands at once", false, true, 0},
        {"two text brands, 60 ms apart", false, true, 60},
    };
    for (const auto& c : cases) {
        TargetInstall install;
        const auto before = install.Files();
        const fs::path exe = ExeBrand(install);
        const fs::path textA = TextBrand(install, "a.ini", u"甲公司");
        const fs::path textB = TextBrand(install, "b.ini", u"乙公司");
        const fs::path first = c.bothText ? textA : c.exeFirst ? exe : textB;
        const fs::path second = c.bothText ? textB : c.exeFirst ? textB : exe;
        CmdProcess one(Brand(first, install));
        Sleep(c.offsetMs);
        CmdProcess two(Brand(second, install));
        const CmdRun a = one.Wait();
        const CmdRun b = two.Wait();
        // The second waits for the first, then does its own work on what the first left.
        EXPECT_EQ(0u, a.exitCode) << c.name << "\n" << Narrow(a.output);
        EXPECT_EQ(0u, b.exitCode) << c.name << "\n" << Narrow(b.output);
        const std::string chs = ReadBytes(install.install / "Lang" / "lang_chs.ini");
        EXPECT_NE(chs, before.at("Lang/lang_chs.ini")) << c.name;
        ExpectRestored(install, before, c.name);
    }
}

TEST(SafetyNet, SecondInstanceThatCannotWaitRefusesAndWritesNothing) {
    TargetInstall install;
    const auto before = install.Files();
    // The first holds the install for a while after its first keep.
    CmdProcess first(
        Brand(ExeBrand(install), install),
        {{L"VEDAROD_PAUSE_AT", L"keep.after-manifest"}, {L"VEDAROD_PAUSE_MS", L"1500"}});
    Sleep(700);
    const std::string profile = ReadBytes(install.install / "config" / "VirUdezed.cfg");
    const CmdRun second = RunCmd(Brand(TextBrand(install, "t.ini", u"乙公司"), install),
                                 {{L"VEDAROD_LOCK_WAIT_MS", L"100"}});
    EXPECT_EQ(1u, second.exitCode) << Narrow(second.output);
    EXPECT_NE(std::u16string::npos, second.output.find(u"另一个程序正在修改此安装，请稍后再试"))
        << Narrow(second.output);
    EXPECT_EQ(profile, ReadBytes(install.install / "config" / "VirUdezed.cfg"));
    EXPECT_EQ(0u, first.Wait().exitCode);
    EXPECT_EQ(before.at("Lang/lang_chs.ini"), ReadBytes(install.install / "Lang" / "lang_chs.ini"));
    ExpectRestored(install, before, "after the refused second instance");
}

// The next time to stop at a point after the n-th: every time with VEDAROD_EVERY_STOP=1 in
// the environment (a run of several minutes), else 1, 2, 3, 5, 8, 13, 21, ...: the first
// files and the later ones alike, in a third of the runs.
int NextStop(int n) {
    if (std::getenv("VEDAROD_EVERY_STOP") != nullptr) {
        return n + 1;
    }
    int a = 1;
    int b = 2;
    while (a <= n) {
        const int next = a + b;
        a = b;
        b = next;
    }
    return a;
}

// A brand killed at the n-th time it reaches a point, for every n it reaches (or a spread of
// them: NextStop); then the user brands again (or not) and restores.
TEST(SafetyNet, KillAtEveryStepOfABrandThenRestoreGivesTheOriginalTree) {
    const struct {
        const char* point;
        bool brandAgain;
    } cases[] = {
        {"keep.after-link", true},
        {"keep.after-manifest", false},
        {"commit.before-rename", true},
        {"commit.after-rename", false},
    };
    for (const auto& c : cases) {
        int kills = 0;
        for (int n = 1;; n = NextStop(n), ++kills) {
            const std::string what = std::string(c.point) + "#" + std::to_string(n);
            TargetInstall install;
            const auto before = install.Files();
            const std::wstring stop(what.begin(), what.end());
            const CmdRun killed =
                RunCmd(Brand(FullBrand(install), install), {{L"VEDAROD_STOP_AT", stop}});
            if (killed.exitCode != 99) {
                EXPECT_EQ(0u, killed.exitCode) << what << "\n" << Narrow(killed.output);
                EXPECT_GT(n, 1) << what << ": never reached";
                std::printf("killed at %s %d times (stops below %d), each restored\n", c.point,
                            kills, n);
                break;
            }
            if (c.brandAgain) {
                // Whatever the killed run left, the next brand finds the original behind it.
                const CmdRun again = RunCmd(Brand(FullBrand(install), install));
                EXPECT_EQ(0u, again.exitCode) << what << "\n" << Narrow(again.output);
                EXPECT_TRUE(fs::exists(install.install / "NewCad.exe")) << what;
            }
            ExpectRestored(install, before, what);
        }
    }
}

TEST(SafetyNet, KillDuringARestoreThenRestoreAgain) {
    for (const char* point : {"restore.after-write#1", "restore.after-write#3",
                              "commit.after-rename#2", "restore.after-manifest"}) {
        TargetInstall install;
        const auto before = install.Files();
        ASSERT_EQ(0u, RunCmd(Brand(FullBrand(install), install)).exitCode);
        const std::string p = point;
        const CmdRun killed =
            RunCmd(RestoreArgs(install), {{L"VEDAROD_STOP_AT", std::wstring(p.begin(), p.end())}});
        EXPECT_EQ(99u, killed.exitCode) << point << "\n" << Narrow(killed.output);
        ExpectRestored(install, before, point);
    }
}

TEST(SafetyNet, TerminatedAtAnyMomentThenRestoreGivesTheOriginalTree) {
    for (const DWORD ms : {40, 120, 250, 450}) {
        TargetInstall install;
        const auto before = install.Files();
        {
            CmdProcess brand(Brand(FullBrand(install), install));
            Sleep(ms);
            brand.Kill();
            brand.Wait();
        }
        ExpectRestored(install, before, "killed after " + std::to_string(ms) + " ms");
    }
}

TEST(SafetyNet, BrandRestoreBrandInALoop) {
    TargetInstall install;
    const auto before = install.Files();
    for (int round = 0; round < 3; ++round) {
        const CmdRun brand = RunCmd(Brand(FullBrand(install), install));
        ASSERT_EQ(0u, brand.exitCode) << round << "\n" << Narrow(brand.output);
        ExpectRestored(install, before, "round " + std::to_string(round));
    }
}

TEST(SafetyNet, DevicesAndFoldersAsPicturesAreRefusedBeforeAnythingIsWritten) {
    TargetInstall install;
    fs::create_directories(install.sources / "folder.bmp");
    const auto before = install.Files();
    for (const char16_t* picture : {u"NUL", u"COM1", u"con.bmp", u"\\\\.\\NUL", u"folder.bmp"}) {
        const fs::path brand = WriteBrand(
            install, "dev.ini",
            u"[brand]\r\nstartup_image = " + std::u16string(picture) + u"\r\ncaption = 新标题\r\n");
        const CmdRun run = RunCmd(Brand(brand, install));
        EXPECT_EQ(2u, run.exitCode) << Narrow(picture) << "\n" << Narrow(run.output);
        EXPECT_EQ(before, install.Files()) << Narrow(picture);
    }
    EXPECT_FALSE(fs::exists(install.Backup()));

    // The dialog's own picker fields.
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Click(1030);
    h.Type(1006, u"NUL");
    h.Type(1008, u"新标题");
    h.Click(1000);
    ASSERT_EQ(1u, h.MessageTexts().size());
    EXPECT_NE(std::u16string::npos, h.MessageTexts()[0].find(u"不是文件"))
        << Narrow(h.MessageTexts()[0]);
    EXPECT_EQ(before, install.Files());
    EXPECT_FALSE(fs::exists(install.Backup()));
}

TEST(SafetyNet, ChangesThatDidNotHappenLeaveNoBackup) {
    // A mere selection, then the close box.
    {
        TargetInstall install;
        const auto before = install.Files();
        {
            DialogHarness h;
            h.SelectTarget(install.Exe());
            SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(before, install.Files());
        EXPECT_FALSE(fs::exists(install.Backup()));
    }
    // An executable held open as a running program holds it: readable, not replaceable.
    TargetInstall install;
    const auto before = install.Files();
    const HANDLE held =
        CreateFileW((install.install / "ZovIDE.exe").wstring().c_str(), GENERIC_READ,
                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const CmdRun run =
        RunCmd(Brand(WriteBrand(install, "c.ini", u"[brand]\r\ncaption = 新标题\r\n"), install));
    CloseHandle(held);
    EXPECT_EQ(1u, run.exitCode) << Narrow(run.output);
    EXPECT_EQ(before, install.Files());
    EXPECT_FALSE(fs::exists(install.Backup())) << Narrow(run.output);
}

}  // namespace
