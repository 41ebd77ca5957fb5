// The rebrand command on the stand-in target: checks, icon, string tables, pictures, rename,
// and what it does when a step cannot be done.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rebrand/string_block.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "tests/win/resource_snapshot.h"
#include "tests/win/standin_run.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::Key;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

constexpr WORD kZh = 2052;
constexpr WORD kEn = 1033;

using RebrandInstall = testsupport::TargetInstall;

// The first image of MakeIco({16, 32, 48}, 5): after the header and three entries.
std::string FirstImage(const std::string& ico) {
    const uint32_t size = static_cast<uint8_t>(ico[14]) | static_cast<uint8_t>(ico[15]) << 8 |
                          static_cast<uint8_t>(ico[16]) << 16 |
                          static_cast<uint32_t>(static_cast<uint8_t>(ico[17])) << 24;
    return ico.substr(6 + 3 * 16, size);
}

struct Dialog {
    DialogHarness h;
    explicit Dialog(const RebrandInstall& install, int edition = 0) {
        h.Click(1039 + edition);
        h.SelectTarget(install.Exe());
    }
    void Pick(int check, int button, const std::u16string& path) {
        if (!h.Checked(check)) {
            h.Click(check);
        }
        h.Prompts().AnswerNextPicker(path);
        h.Click(button);
    }
    void Icon(const std::u16string& path) { Pick(1034, 1005, path); }
    void Startup(const std::u16string& path) { Pick(1030, 1007, path); }
    void Ad(const std::u16string& path) { Pick(1038, 1017, path); }
    std::vector<std::u16string> Run() {
        h.Prompts().messages.clear();
        h.Click(1000);
        return h.MessageTexts();
    }
};

using Messages = std::vector<std::u16string>;

TEST(ModifyApp, NothingToDoTouchesNoFileAndSucceeds) {
    RebrandInstall install;
    const auto before = install.Files();
    Dialog d(install);
    d.h.Type(1008, u" \u3000 ");  // the ideographic space is white space too
    d.h.Type(1037, u"\t\u00A0");
    EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
    EXPECT_EQ(before, install.Files());
}

TEST(ModifyApp, InputChecksInOrderMoveTheFocusAndChangeNothing) {
    RebrandInstall install;
    const auto before = install.Files();
    {
        Dialog d(install);
        d.Icon(u"  ");
        d.Startup(u"");
        EXPECT_EQ(Messages{u"图标路径不应为空"}, d.Run());
        EXPECT_EQ(d.h.Item(1004), GetFocus());
    }
    {
        Dialog d(install);  // icon switch off: its empty path does not count
        d.Startup(u" ");
        EXPECT_EQ(Messages{u"开机图片路径不应为空"}, d.Run());
        EXPECT_EQ(d.h.Item(1006), GetFocus());
    }
    {
        Dialog d(install, 2);
        d.Startup(install.Source("login.bmp"));
        d.Ad(u"");
        EXPECT_EQ(Messages{u"广告图片路径不应为空"}, d.Run());
        EXPECT_EQ(d.h.Item(1012), GetFocus());
    }
    {
        Dialog d(install);
        d.Icon(u"");
        SetWindowTextW(d.h.Item(1002), L" ");
        EXPECT_EQ(Messages{u"应用程序路径不应为空"}, d.Run());
        EXPECT_EQ(d.h.Item(1002), GetFocus());
    }
    for (const std::u16string name :
         {u"sub\\New", u"C:New", u"a|b", u"New.", u"CON", u"tab\there"}) {
        Dialog d(install);
        d.Icon(install.Source("new.ico"));
        d.h.Type(1009, name);
        const Messages shown = d.Run();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(0u, shown[0].find(u"应用程序名称无效"));
        EXPECT_EQ(d.h.Item(1009), GetFocus());
    }
    EXPECT_EQ(before, install.Files());
}

TEST(ModifyApp, RunningTargetIsRefusedBeforeTheInputChecks) {
    const testsupport::RunningStandIn running(L"RunCad.exe");
    ASSERT_TRUE(running.Started());
    RebrandInstall install;
    const auto before = install.Files();
    struct Case {
        std::u16string selected;  // the chosen executable's file name
        std::u16string appName;
        bool refused;
    };
    const Case cases[] = {
        {u"ZovIDE.exe", u"RunCad.exe", true},   // the name as typed
        {u"ZovIDE.exe", u"runcad.exe", false},  // the typed name is compared exactly
        {u"RUNCAD.EXE", u"Other.exe", true},    // the selected file, as Windows compares names
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.SelectTarget(install.install.u16string() + u"\\" + c.selected);
        h.Type(1009, c.appName);
        h.Click(1034);
        h.Click(1000);  // the empty icon path would fail the input checks
        EXPECT_EQ(Messages{c.refused ? u"应用程序正在运行，请关闭再重试" : u"图标路径不应为空"},
                  h.MessageTexts());
    }
    EXPECT_EQ(before, install.Files());
}

TEST(ModifyApp, RenameAppendsExeUnlessPresentAndNeverReplacesAFile) {
    struct Case {
        std::u16string appName;
        const char* expectedFile;
    };
    const Case cases[] = {{u"NewCad", "NewCad.exe"},
                          {u"NewCad.EXE", "NewCad.EXE"},
                          {u"a.b", "a.b.exe"},
                          {u" 新软件 ", "新软件.exe"},
                          {u"zovide.exe", "zovide.exe"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedFile);
        RebrandInstall install;
        Dialog d(install);
        d.h.Type(1009, c.appName);
        EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
        std::vector<std::string> exes;
        for (const auto& e : fs::directory_iterator(install.install)) {
            if (e.is_regular_file()) {
                exes.push_back(e.path().filename().u8string());
            }
        }
        EXPECT_EQ(std::vector<std::string>{c.expectedFile}, exes);
    }
    RebrandInstall install;
    WriteBytes(install.install / "Taken.exe", "other program");
    Dialog d(install);
    d.h.Type(1009, u"Taken");
    const Messages shown = d.Run();
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(std::u16string::npos, shown[0].find(u"已有同名文件"));
    EXPECT_EQ("other program", ReadBytes(install.install / "Taken.exe"));
    EXPECT_TRUE(fs::exists(install.install / "ZovIDE.exe"));
}

TEST(ModifyApp, IconStepWritesTheFirstImageAndLeavesEveryOtherResource) {
    for (int edition : {0, 2}) {
        SCOPED_TRACE(edition);
        RebrandInstall install;
        const auto before = install.Resources();
        const std::string ico = ReadBytes(install.sources / "new.ico");
        Dialog d(install, edition);
        d.Icon(install.Source("new.ico"));
        EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
        auto after = install.Resources();
        const int written = edition == 2 ? 1 : 4;
        for (int id = 1; id <= 4; ++id) {
            const auto key = Key(3, static_cast<WORD>(id), kZh);
            ASSERT_TRUE(after.count(key)) << id;
            EXPECT_EQ(id <= written ? FirstImage(ico) : before.at(key), after.at(key)) << id;
            after.erase(key);
        }
        auto expected = before;
        for (int id = 1; id <= 4; ++id) {
            expected.erase(Key(3, static_cast<WORD>(id), kZh));
        }
        EXPECT_EQ(expected, after);  // group directories, strings, version: unchanged
        EXPECT_EQ(ico, ReadBytes(install.install / "res" / "logo32.ico"));
    }
}

TEST(ModifyApp, PngFirstImageIsCopiedUnchanged) {
    RebrandInstall install;
    std::string png = "\x89PNG\r\n\x1A\n" + std::string(200, '\x42');
    std::string ico("\0\0\1\0\1\0", 6);
    ico += std::string("\0\0\0\0\1\0\x20\0", 8);
    ico += std::string{static_cast<char>(png.size()), 0, 0, 0, 22, 0, 0, 0};
    ico += png;
    WriteBytes(install.sources / "png.ico", ico);
    Dialog d(install);
    d.Icon(install.Source("png.ico"));
    EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
    EXPECT_EQ(png, install.Resources().at(Key(3, 1, kZh)));
}

TEST(ModifyApp, FailingIconStepStopsBeforeAnythingElse) {
    RebrandInstall install;
    WriteBytes(install.sources / "short.ico", std::string(21, '\0'));
    const auto before = install.Files();
    Dialog d(install);
    d.Icon(install.Source("short.ico"));
    d.Startup(install.Source("login.bmp"));
    d.h.Type(1008, u"标题");
    d.h.Type(1009, u"Renamed");
    EXPECT_EQ(Messages{u"图标修改失败"}, d.Run());
    EXPECT_EQ(before, install.Files());

    // An icon file another program holds open is refused too (it is read unshared).
    const HANDLE held = CreateFileW((install.sources / "new.ico").wstring().c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    d.Icon(install.Source("new.ico"));
    EXPECT_EQ(Messages{u"图标修改失败"}, d.Run());
    CloseHandle(held);
    EXPECT_EQ(before, install.Files());
}

// Block 7 in language 2052 as the command writes it, per edition and input.
TEST(ModifyApp, StringTablesPerEdition) {
    const std::u16string zovTemplate =
        u"\nZovIDE\nZovIDE\nZovIDE Files (*.vlqx)\n.vlqx\nZovIDE.Document\nZovIDE.Document";
    const std::u16string products[] = {u"ZezEviZuzere", u"ZuvEra", u"WumCAD"};
    const std::u16string defaults[] = {zovTemplate, zovTemplate,
                                       u"\nWumCAD\nWumCAD\nWumCAD Files (*.wmd)\n.wmd\n"
                                       u"WumCAD.Document\nWumCAD.Document"};
    for (int edition = 0; edition < 3; ++edition) {
        const std::u16string ext = edition == 2 ? u"wmd" : u"vlqx";
        const std::u16string captionTemplate = u"\n新标题\n新标题\n新标题 Files (*." + ext +
                                               u")\n." + ext +
                                               u"\n新标题.Document\n新标题.Document";
        struct Case {
            std::u16string caption, docName;
            std::u16string e102, e110, e111;
        };
        const Case cases[] = {
            {u"新标题", u"新文档", u"新文档", u"新标题", captionTemplate},
            {u"新标题", u"", u"ZovIDE", u"新标题", captionTemplate},
            {u"", u"新文档", u"新文档", products[edition], defaults[edition]},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(edition);
            RebrandInstall install;
            const auto before = install.Resources();
            Dialog d(install, edition);
            d.h.Type(1008, c.caption);
            d.h.Type(1037, c.docName);
            EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
            auto after = install.Resources();
            const auto block = rebrand::ParseStringBlock(after.at(Key(6, 7, kZh)));
            ASSERT_TRUE(block);
            rebrand::StringBlock expected;
            expected[5] = u"OLE 初始化失败。请确保 OLE 库是正确的版本。";
            expected[6] = c.e102;
            expected[7] = u"USB固件类型";
            expected[14] = c.e110;
            expected[15] = c.e111;
            EXPECT_EQ(expected, *block);
            const auto title = rebrand::ParseStringBlock(after.at(Key(6, 3585, kZh)));
            ASSERT_TRUE(title);
            if (c.caption.empty()) {
                EXPECT_EQ(before.at(Key(6, 3585, kZh)), after.at(Key(6, 3585, kZh)));
            } else {
                // The executable's own block with the caption as entry 0: 57345 keeps "就绪".
                rebrand::StringBlock t = *rebrand::ParseStringBlock(before.at(Key(6, 3585, kZh)));
                ASSERT_EQ(u"就绪", t[1]);
                t[0] = c.caption;
                EXPECT_EQ(t, *title);
            }
            for (WORD block7or3585 : {WORD{7}, WORD{3585}}) {
                EXPECT_EQ(before.at(Key(6, block7or3585, kEn)),
                          after.at(Key(6, block7or3585, kEn)));
                after.erase(Key(6, block7or3585, kZh));
            }
            auto rest = before;
            rest.erase(Key(6, 7, kZh));
            rest.erase(Key(6, 3585, kZh));
            EXPECT_EQ(rest, after);
        }
    }
}

TEST(ModifyApp, MissingPictureGivesTwoMessages) {
    RebrandInstall install;
    const std::u16string gone = install.Source("gone.bmp");
    {
        Dialog d(install);
        d.Startup(gone);
        EXPECT_EQ((Messages{gone + u"图片文件不存在", u"开机图片修改失败"}), d.Run());
    }
    {
        Dialog d(install, 2);
        d.Ad(gone);
        EXPECT_EQ((Messages{gone + u"图片文件不存在", u"广告图片修改失败"}), d.Run());
    }
}

TEST(ModifyApp, PicturesAreCopiedAndAReadOnlyDestinationKeepsItsPicture) {
    RebrandInstall install;
    Dialog d(install, 2);
    d.Startup(install.Source("login.bmp"));
    d.Ad(install.Source("main.bmp"));
    EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
    EXPECT_EQ(ReadBytes(install.sources / "login.bmp"),
              ReadBytes(install.install / "res" / "login.bmp"));
    EXPECT_EQ(ReadBytes(install.sources / "main.bmp"),
              ReadBytes(install.install / "res" / "main.bmp"));

    // The destination itself as source is left in place.
    d.Startup((install.install / "res" / "login.bmp").u16string());
    EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
    EXPECT_EQ(ReadBytes(install.sources / "login.bmp"),
              ReadBytes(install.install / "res" / "login.bmp"));

    const fs::path main = install.install / "res" / "main.bmp";
    const std::string former = ReadBytes(main);
    fs::permissions(main, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    d.Startup(install.Source("login.bmp"));
    WriteBytes(install.sources / "main2.bmp", samples::MakeBmp(5, 5, 1));
    d.Ad(install.Source("main2.bmp"));
    EXPECT_EQ(Messages{u"广告图片修改失败"}, d.Run());
    EXPECT_EQ(former, ReadBytes(main));
}

TEST(ModifyApp, EndToEndTheRebrandedTargetShowsItsNewFace) {
    RebrandInstall install;
    Dialog d(install);
    d.Icon(install.Source("new.ico"));
    d.Startup(install.Source("login.bmp"));
    d.h.Type(1008, u"新标题");
    d.h.Type(1037, u"新文档");
    d.h.Type(1009, u"NewCad");
    EXPECT_EQ(Messages{u"修改应用程序成功"}, d.Run());
    EXPECT_FALSE(fs::exists(install.install / "ZovIDE.exe"));
    const std::wstring exe = (install.install / "NewCad.exe").wstring();
    const auto printed =
        testsupport::PrintLoaded(exe, (install.dir.Path() / "printed.txt").wstring());
    ASSERT_TRUE(printed);
    EXPECT_EQ(u"新标题", printed->at("57344"));
    EXPECT_EQ(u"新文档", printed->at("102"));
    EXPECT_EQ(u"新标题", printed->at("110"));
    EXPECT_EQ(testsupport::PrintEscaped(u"\n新标题\n新标题\n新标题 Files (*.vlqx)\n.vlqx\n"
                                        u"新标题.Document\n新标题.Document"),
              printed->at("111"));
    EXPECT_EQ(u"16x16", printed->at("icon1"));
    const auto shown = testsupport::RunProgram(L"\"" + exe + L"\" /show-ms 200");
    ASSERT_TRUE(shown);
    EXPECT_EQ(0u, *shown);
}

TEST(ModifyApp, ExecutableThatCannotBeUpdatedIsLeftByteIdentical) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> spoil;
    };
    const std::string standin = ReadBytes(testsupport::StandInPath());
    const Case cases[] = {
        {"read-only",
         [](const fs::path& exe) {
             fs::permissions(
                 exe, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                 fs::perm_options::remove);
         }},
        {"not a PE file", [](const fs::path& exe) { WriteBytes(exe, "MZ but nothing else"); }},
        {"truncated headers",
         [&](const fs::path& exe) { WriteBytes(exe, standin.substr(0, 300)); }},
        {"truncated sections",
         [&](const fs::path& exe) { WriteBytes(exe, standin.substr(0, standin.size() / 2)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RebrandInstall install;
        const fs::path exe = install.install / "ZovIDE.exe";
        c.spoil(exe);
        const std::string before = ReadBytes(exe);
        {
            Dialog d(install);
            d.Icon(install.Source("new.ico"));
            EXPECT_EQ(Messages{u"图标修改失败"}, d.Run());
        }
        {
            Dialog d(install);
            d.h.Type(1008, u"标题");
            d.Startup(install.Source("login.bmp"));
            EXPECT_EQ(Messages{u"应用程序左上角文字和新建文档名称未能写入应用程序"}, d.Run());
            // The later steps still ran.
            EXPECT_EQ(ReadBytes(install.sources / "login.bmp"),
                      ReadBytes(install.install / "res" / "login.bmp"));
        }
        EXPECT_EQ(before, ReadBytes(exe));
    }
    // Held open by another program without sharing.
    RebrandInstall install;
    const fs::path exe = install.install / "ZovIDE.exe";
    const std::string before = ReadBytes(exe);
    const HANDLE held =
        CreateFileW(exe.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Dialog d(install);
    d.Icon(install.Source("new.ico"));
    // Its copy cannot be made, so the command stops before anything is kept or replaced.
    EXPECT_EQ(Messages{u"图标修改失败"}, d.Run());
    EXPECT_FALSE(fs::exists(install.Backup()));
    CloseHandle(held);
    EXPECT_EQ(before, ReadBytes(exe));
}

TEST(ModifyApp, AFailedStringStepIsToldBesideALaterFailedPictureStep) {
    RebrandInstall install;
    for (const fs::path& p :
         {install.install / "ZovIDE.exe", install.install / "res" / "login.bmp"}) {
        fs::permissions(p,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    Dialog d(install);
    d.h.Type(1008, u"标题");
    d.Startup(install.Source("login.bmp"));
    EXPECT_EQ(Messages{u"应用程序左上角文字和新建文档名称未能写入应用程序\r\n开机图片修改失败"},
              d.Run());
}

}  // namespace

namespace {

// Executables of another toolchain (Wine's own programs) still start after a rebrand.
TEST(ModifyApp, ExecutablesOfOtherToolchainsStillStart) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* program : {L"hostname.exe", L"whoami.exe", L"expand.exe"}) {
        SCOPED_TRACE(fs::path(program).string());
        RebrandInstall install;
        fs::copy_file(fs::path(system) / program, install.install / "Other.exe");
        DialogHarness h;
        h.SelectTarget((install.install / "Other.exe").u16string());
        h.Click(1034);
        h.Prompts().AnswerNextPicker(install.Source("new.ico"));
        h.Click(1005);
        h.Type(1008, u"新标题");
        h.Type(1037, u"新文档");
        h.Type(1009, u"Rebranded");
        h.Click(1000);
        EXPECT_EQ(Messages{u"修改应用程序成功"}, h.MessageTexts());
        const fs::path exe = install.install / "Rebranded.exe";
        const auto resources = testsupport::ReadAllResources(exe.wstring());
        ASSERT_TRUE(resources);
        EXPECT_EQ(FirstImage(ReadBytes(install.sources / "new.ico")),
                  resources->at(Key(3, 4, kZh)));
        const bool expandNeedsArguments = std::wstring(program) == L"expand.exe";
        const auto exit = testsupport::RunProgram(L"\"" + exe.wstring() + L"\"" +
                                                  (expandNeedsArguments ? L" /?" : L""));
        ASSERT_TRUE(exit);
        if (!expandNeedsArguments) {
            EXPECT_EQ(0u, *exit);
        }
    }
}

}  // namespace
