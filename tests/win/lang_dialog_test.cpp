// The language list: loading after target selection, search, language switches, the
// in-place editor, and the two save commands.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <map>
#include <string_view>
#include <string>
#include <vector>

#include "app/resource.h"
#include "lang/lang_table.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "win/wstr.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;
using namespace std::string_literals;
using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

const std::vector<samples::LangEntry> kChinese = {{u"b", u"file manager"},
                                                  {u"A", u"File open"},
                                                  {u"A_2", u"open %s"},
                                                  {u"C", u"文字"},
                                                  {u"ONLY_IN_ID_XYZ", u"zzz"}};

// An install folder with a Lang folder; every default language has a file of its own.
struct LangInstall {
    TempDir dir;
    explicit LangInstall(const char* langFileList = nullptr) {
        fs::create_directories(dir.Path() / "config");
        fs::create_directories(dir.Path() / "Lang");
        std::string config = "[SYSPAR]\r\n";
        if (langFileList != nullptr) {
            config += std::string("LANGFILELIST=") + langFileList + "\r\n";
        }
        WriteBytes(dir.Path() / "config" / "ZovIDE.cfg", config);
        const auto& names = samples::DefaultLangFileNames();
        for (size_t slot = 0; slot < names.size(); ++slot) {
            const std::string digits = std::to_string(slot);
            const std::u16string n(digits.begin(), digits.end());
            Write(names[slot], {{u"K1", u"text " + n + u" one"}, {u"K2", u"text " + n + u" two"}});
        }
        Write(u"lang_chs.ini", kChinese);
    }
    void Write(const std::u16string& name, const std::vector<samples::LangEntry>& entries) {
        WriteBytes(dir.Path() / "Lang" / fs::path(name), samples::EncodeLangFile(entries));
    }
    std::string Read(const std::u16string& name) const {
        return ReadBytes(dir.Path() / "Lang" / fs::path(name));
    }
    std::u16string Exe() const { return dir.Text() + u"\\ZovIDE.exe"; }
};

std::u16string TableText(DialogHarness& h, int slot, const std::u16string& id) {
    const auto text = h.Dlg().m_langTable.Entries(slot).Find(id);
    return text ? std::u16string(*text) : u"<none>";
}

TEST(LangDialog, SelectionLoadsSixteenNamesAndShowsSlotZeroSortedById) {
    LangInstall install;
    DialogHarness h;
    for (int round = 0; round < 2; ++round) {
        h.SelectTarget(install.Exe());
        const HWND combo = h.Item(1015);
        ASSERT_EQ(16, SendMessageW(combo, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(0, SendMessageW(combo, CB_GETCURSEL, 0, 0));
        for (int id : {1015, 1022, 1023, 1028, 1029}) {
            EXPECT_TRUE(h.Enabled(id)) << id;
        }
        h.ChooseLanguage(4);
    }
    const std::vector<std::u16string> names = {u"Chinese(Simplified)-简体中文",
                                               u"Chinese(Traditional)-繁体中文",
                                               u"English(US)-English",
                                               u"French(FRA)-Le français",
                                               u"Korean(KOR)-한국어",
                                               u"Japanese(JPN)-日本語",
                                               u"Arabic(UAE)",
                                               u"Russian(RUS)-русский",
                                               u"Portuguese(POR)-Português",
                                               u"Thail(THA)-ไทย",
                                               u"spanish(ESP)-Espanol",
                                               u"Vietnamese(VIE)-Tiếng việt nam",
                                               u"German(GER)-Deutsche",
                                               u"Farsi(FAR)-فارسی",
                                               u"Turkish(TUR)-Türk dili",
                                               u"Czech(CZ)-Česko"};
    for (int i = 0; i < 16; ++i) {
        wchar_t text[64] = {};
        SendMessageW(h.Item(1015), CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(names[static_cast<size_t>(i)], win::U(text)) << i;
    }
    // A further selection shows slot 0 again; choosing the language shown before refills.
    h.SelectTarget(install.Exe());
    EXPECT_EQ((Rows{{u"A", u"File open"},
                    {u"A_2", u"open %s"},
                    {u"B", u"file manager"},
                    {u"C", u"文字"},
                    {u"ONLY_IN_ID_XYZ", u"zzz"}}),
              h.ListRows());
    h.ChooseLanguage(4);
    EXPECT_EQ((Rows{{u"K1", u"text 4 one"}, {u"K2", u"text 4 two"}}), h.ListRows());
}

TEST(LangDialog, SearchIsCaseSensitiveOnTextsOnly) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    struct Case {
        std::u16string search;
        std::vector<std::u16string> texts;
    };
    const Case cases[] = {
        {u"   ", {u"File open", u"open %s", u"file manager", u"文字", u"zzz"}},
        {u"File", {u"File open"}},
        {u" open ", {u"File open", u"open %s"}},
        {u"XYZ", {}},
        {u"文", {u"文字"}},
        {u"\u3000文\u00A0", {u"文字"}},  // as an input method types it
    };
    for (const auto& c : cases) {
        h.Type(1022, c.search);
        h.Click(1023);
        EXPECT_EQ(c.texts, h.ListTexts());
    }
    // Enter in the search box runs the search and does not close the dialog.
    h.Type(1022, u"%s");
    h.PressKey(h.Item(1022), VK_RETURN);
    EXPECT_EQ(std::vector<std::u16string>{u"open %s"}, h.ListTexts());
    EXPECT_FALSE(h.Dlg().Ended());
}

TEST(LangDialog, SwitchingLanguagesAppliesTheFilterButReChoosingKeepsTheList) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1022, u"two");
    h.ChooseLanguage(2);
    EXPECT_EQ(std::vector<std::u16string>{u"text 2 two"}, h.ListTexts());
    h.Type(1022, u"");
    h.ChooseLanguage(2);  // the language already shown: no refill, the filter stays
    EXPECT_EQ(std::vector<std::u16string>{u"text 2 two"}, h.ListTexts());
    h.ChooseLanguage(15);
    EXPECT_EQ((std::vector<std::u16string>{u"text 15 one", u"text 15 two"}), h.ListTexts());
}

// Languages with as many entries as the one shown are refilled without a new item count:
// the list must still start over, at the top with no row selected.
TEST(LangDialog, SwitchToALanguageOfTheSameSizeStartsAtTheTopWithNothingSelected) {
    LangInstall install;
    for (const int slot : {3, 4}) {
        std::vector<samples::LangEntry> entries;
        for (int i = 0; i < 200; ++i) {
            const std::string id = "ID" + std::to_string(1000 + i) + "_" + std::to_string(slot);
            entries.push_back({std::u16string(id.begin(), id.end()), u"t"});
        }
        install.Write(samples::DefaultLangFileNames()[static_cast<size_t>(slot)], entries);
    }
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.ChooseLanguage(3);
    const HWND list = h.Item(1016);
    SendMessageW(list, LVM_ENSUREVISIBLE, 150, FALSE);
    h.ClickList(h.CellPoint(static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0)) + 1, 0));
    ASSERT_EQ(1, SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    ASSERT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 100);
    SetFocus(list);
    h.ChooseLanguage(4);
    EXPECT_EQ(list, GetFocus()) << "the refill keeps the focus where it was";
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(0, SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
    EXPECT_EQ(-1, SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    EXPECT_EQ(0, SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    EXPECT_EQ(u"ID1000_4", h.ListRows().front().first);
    EXPECT_EQ(u"ID1199_4", h.ListRows().back().first);
}

TEST(LangDialog, InPlaceEditorOpensOnTextCellsAndCommitsOnAnotherRow) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    CVedArodDlg& d = h.Dlg();
    const HWND editor = d.m_editCell.Handle();

    h.DoubleClickList(h.CellPoint(1, 1));
    ASSERT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(h.Item(1016), GetParent(editor));
    EXPECT_EQ(editor, GetFocus());
    EXPECT_EQ(u"open %s", d.m_editCell.Text());
    DWORD start = 0, end = 0;
    SendMessageW(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(7u, start);
    EXPECT_EQ(7u, end);
    EXPECT_EQ(1, d.m_nEditRow);
    EXPECT_EQ(1, d.m_nEditCol);
    EXPECT_EQ(u"A_2", d.m_strEditKey);

    // Enter and Escape neither commit nor cancel.
    d.m_editCell.SetText(u"opened %s");
    h.PressKey(editor, VK_RETURN);
    h.PressKey(editor, VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(u"opened %s", d.m_editCell.Text());
    EXPECT_EQ(u"open %s", TableText(h, 0, u"A_2"));

    // A click on the cell being edited (the editor lies over it) keeps editing; a click on
    // another row commits.
    PostMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(editor, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    h.Pump();
    EXPECT_TRUE(IsWindowVisible(editor));
    h.ClickList(h.CellPoint(3, 1));
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(u"opened %s", h.ListRows()[1].second);
    EXPECT_EQ(u"opened %s", TableText(h, 0, u"A_2"));

    // The editor's loss of focus reaches the dialog although the editor is the list's child.
    h.DoubleClickList(h.CellPoint(2, 1));
    ASSERT_TRUE(IsWindowVisible(editor));
    d.m_editCell.SetText(u"via focus");
    SetFocus(h.Item(1031));
    h.Pump();
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(u"via focus", TableText(h, 0, u"B"));

    // Column 0 (once dragged wider) and the space below the last row open nothing.
    SendMessageW(h.Item(1016), LVM_SETCOLUMNWIDTH, 0, 60);
    h.DoubleClickList(h.CellPoint(2, 0));
    EXPECT_FALSE(IsWindowVisible(editor));
    POINT below = h.CellPoint(4, 1);
    below.y += 60;
    h.DoubleClickList(below);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(2, d.m_nEditRow);
}

TEST(LangDialog, EditsReachTheirLanguageAndIdWhateverIsShownAfterwards) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    CVedArodDlg& d = h.Dlg();

    // An edit in language 2 is stored in slot 2 before the list shows language 5.
    h.ChooseLanguage(2);
    h.DoubleClickList(h.CellPoint(0, 1));
    d.m_editCell.SetText(u"  edited two  ");
    h.ChooseLanguage(5);
    EXPECT_EQ(u"  edited two  ", TableText(h, 2, u"K1"));
    EXPECT_EQ(u"text 5 one", TableText(h, 5, u"K1"));
    EXPECT_EQ(u"text 5 one", h.ListTexts()[0]);

    // Under a filter the row index differs from the full list's: the edit goes by ID.
    h.ChooseLanguage(0);
    h.Type(1022, u"zzz");
    h.Click(1023);
    ASSERT_EQ(1u, h.ListRows().size());
    h.DoubleClickList(h.CellPoint(0, 1));
    d.m_editCell.SetText(u"zzz!");
    h.Click(1023);  // the search commits first
    EXPECT_EQ(u"zzz!", TableText(h, 0, u"ONLY_IN_ID_XYZ"));
    EXPECT_EQ(u"File open", TableText(h, 0, u"A"));
}

TEST(LangDialog, LanguageFileListFromTheTargetConfiguration) {
    {
        LangInstall install("lang_en.ini|lang_chs.ini");
        DialogHarness h;
        h.SelectTarget(install.Exe());
        EXPECT_EQ(16, SendMessageW(h.Item(1015), CB_GETCOUNT, 0, 0));
        EXPECT_EQ((std::vector<std::u16string>{u"text 2 one", u"text 2 two"}), h.ListTexts());
        h.ChooseLanguage(1);
        EXPECT_EQ(5u, h.ListRows().size());
        h.ChooseLanguage(2);
        EXPECT_TRUE(h.ListRows().empty());
    }
    {
        LangInstall install("");  // present but empty: no file is read
        DialogHarness h;
        h.SelectTarget(install.Exe());
        EXPECT_EQ(16, SendMessageW(h.Item(1015), CB_GETCOUNT, 0, 0));
        EXPECT_TRUE(h.ListRows().empty());
    }
}

TEST(LangDialog, TargetWithoutLangFolderDisablesTheLanguageControls) {
    LangInstall first;
    TempDir bare;
    fs::create_directories(bare.Path() / "config");
    WriteBytes(bare.Path() / "config" / "VirUdezed.cfg", "[CUSTOMPAR]\r\nCOMPANY=Bare\r\n");
    DialogHarness h;
    h.SelectTarget(first.Exe());
    h.DoubleClickList(h.CellPoint(0, 1));
    h.Dlg().m_editCell.SetText(u"edited");
    h.SelectTarget(bare.Text() + u"\\ZovIDE.exe");
    for (int id : {1015, 1022, 1023, 1028, 1029}) {
        EXPECT_FALSE(h.Enabled(id)) << id;
    }
    EXPECT_EQ(u"Bare", h.Text(1031));
    EXPECT_EQ(5u, h.ListRows().size()) << "the list keeps what it held";
    // ...but neither a brand file nor a replace takes those texts for this target's.
    EXPECT_TRUE(h.Dlg().m_editedEntries.empty());
    SendMessageW(h.Hwnd(), WM_SYSCOMMAND, IDM_FIND_REPLACE, 0);
    h.Pump();
    EXPECT_EQ(u"安装文件夹中没有 Lang 文件夹，不能修改语言条目：" + bare.Text(),
              h.MessageTexts().back());
}

// An edit control stops at U+0000: opening and leaving the editor must not cut such a text.
TEST(LangDialog, EditorLeftUnchangedKeepsTheEntry) {
    LangInstall install;
    const std::u16string withNul(u"before\0after", 12);
    install.Write(u"lang_chs.ini", {{u"A", withNul}, {u"B", u"plain"}});
    DialogHarness h;
    h.SelectTarget(install.Exe());
    CVedArodDlg& d = h.Dlg();
    h.DoubleClickList(h.CellPoint(0, 1));
    ASSERT_TRUE(IsWindowVisible(d.m_editCell.Handle()));
    h.ClickList(h.CellPoint(1, 1));
    EXPECT_FALSE(IsWindowVisible(d.m_editCell.Handle()));
    EXPECT_EQ(withNul, TableText(h, 0, u"A"));
    EXPECT_EQ(withNul, std::u16string(d.m_listLang.CellText(0, 1)));

    // A changed text is still stored.
    h.DoubleClickList(h.CellPoint(0, 1));
    d.m_editCell.SetText(u"typed");
    h.ClickList(h.CellPoint(1, 1));
    EXPECT_EQ(u"typed", TableText(h, 0, u"A"));
}

// Typing letters into the list selects the next row whose ID starts with them.
TEST(LangDialog, TypingSelectsTheRowWhoseIdStartsWithTheLetters) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());  // IDs A, A_2, B, C, ONLY_IN_ID_XYZ
    const HWND list = h.Item(1016);
    const auto selected = [&] {
        return static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    };
    SetFocus(list);
    SendMessageW(list, WM_CHAR, u'o', 1);
    SendMessageW(list, WM_CHAR, u'n', 1);
    h.Pump();
    EXPECT_EQ(4, selected());
    // The list's own search, as it asks the dialog: from a start row, wrapping or not.
    NMLVFINDITEMW find{};
    find.hdr.hwndFrom = list;
    find.hdr.idFrom = 1016;
    find.hdr.code = LVN_ODFINDITEMW;
    find.iStart = 2;
    find.lvfi.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    find.lvfi.psz = L"a_";
    EXPECT_EQ(1, SendMessageW(h.Hwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&find)));
    find.lvfi.flags = LVFI_STRING | LVFI_PARTIAL;
    EXPECT_EQ(-1, SendMessageW(h.Hwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&find)));
    find.lvfi.flags = LVFI_STRING | LVFI_WRAP;
    find.lvfi.psz = L"a";
    EXPECT_EQ(0, SendMessageW(h.Hwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&find)));
}

TEST(LangDialog, SaveCurrentWritesOnlyItsFileIncludingTheEditInProgress) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.ChooseLanguage(3);
    h.DoubleClickList(h.CellPoint(1, 1));
    h.Dlg().m_editCell.SetText(u"nouveau");
    const std::string before = install.Read(u"lang_cht.ini");
    h.Click(1028);
    EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
    const std::string fra = install.Read(u"lang_fra.ini");
    const std::u16string expected = u"\uFEFF[ZOVIDE]\r\nK1" + std::u16string(58, u' ') +
                                    u"=    text 3 one\r\nK2" + std::u16string(58, u' ') +
                                    u"=    nouveau\r\n";
    EXPECT_EQ(testsupport::Utf16LeBytes(expected), fra);
    EXPECT_EQ(before, install.Read(u"lang_cht.ini"));
}

TEST(LangDialog, SaveAllWritesSixteenFilesAndNamesTheOnesThatFailed) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Click(1029);
    EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
    for (const auto& name : samples::DefaultLangFileNames()) {
        EXPECT_EQ(0u, install.Read(name).find("\xFF\xFE[\0Z\0O\0V\0I\0D\0E\0]\0"s))
            << fs::path(name);
    }

    // A read-only file that would change keeps its content and is named; the others are
    // still written, and those that already hold what they would get are not touched.
    std::map<std::u16string, fs::file_time_type> times;
    for (const auto& name : samples::DefaultLangFileNames()) {
        times[name] = fs::last_write_time(install.dir.Path() / "Lang" / name);
    }
    const fs::path cz = install.dir.Path() / "Lang" / "lang_cz.ini";
    WriteBytes(cz, ReadBytes(cz) + "\r\0\n\0"s);
    const std::string czBefore = ReadBytes(cz);
    fs::permissions(cz, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    h.ChooseLanguage(12);
    h.DoubleClickList(h.CellPoint(0, 1));
    h.Dlg().m_editCell.SetText(u"neu");
    h.Prompts().yesNoAnswers.push_back(true);  // lang_cz.ini changed since it was saved
    h.Click(1029);
    const std::u16string message = h.MessageTexts().back();
    EXPECT_NE(std::u16string::npos, message.find(u"保存失败")) << win::W(message);
    EXPECT_NE(std::u16string::npos, message.find(u"lang_cz.ini"));
    EXPECT_EQ(czBefore, ReadBytes(cz));
    EXPECT_NE(std::string::npos,
              install.Read(u"lang_ger.ini").find(testsupport::Utf16LeBytes(u"neu")));
    for (const auto& name : samples::DefaultLangFileNames()) {
        if (name != u"lang_ger.ini" && name != u"lang_cz.ini") {
            EXPECT_EQ(times[name], fs::last_write_time(install.dir.Path() / "Lang" / name))
                << fs::path(name);
        }
    }
}

// Another program writes a language file after the selection: both saves ask before they
// replace it. No leaves the other program's file and says so; Yes writes what the dialog
// holds, and what it wrote is what the next save compares with.
TEST(LangDialog, SavesAskBeforeReplacingAFileAnotherProgramChanged) {
    const std::string theirs = samples::EncodeLangFile({{u"A", u"theirs"}});
    for (const int button : {1028, 1029}) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::to_string(button) + (yes ? " yes" : " no"));
            LangInstall install;
            DialogHarness h;
            h.SelectTarget(install.Exe());
            WriteBytes(install.dir.Path() / "Lang" / "lang_chs.ini", theirs);
            h.Prompts().yesNoAnswers.push_back(yes);
            h.Click(button);
            const std::u16string path = install.dir.Text() + u"\\Lang\\lang_chs.ini";
            EXPECT_EQ(std::vector<std::u16string>{path + u"已被其他程序修改。是否覆盖？"},
                      h.Prompts().questions);
            if (!yes) {
                EXPECT_EQ(theirs, install.Read(u"lang_chs.ini"));
                EXPECT_EQ(
                    std::vector<std::u16string>{u"以下语言文件已被其他程序修改，未覆盖：\r\n" +
                                                path},
                    h.MessageTexts());
                continue;
            }
            EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
            const std::string written = install.Read(u"lang_chs.ini");
            EXPECT_NE(std::string::npos, written.find(testsupport::Utf16LeBytes(u"File open")));
            EXPECT_EQ(std::string::npos, written.find(testsupport::Utf16LeBytes(u"theirs")));
            h.Dlg().m_langTable.SetText(0, u"A", u"edited after the save");
            h.Click(button);
            EXPECT_EQ(1u, h.Prompts().questions.size());
            EXPECT_EQ(u"保存成功", h.MessageTexts().back());
        }
    }
}

// Selecting the target again reads the other program's file: saving then asks nothing.
TEST(LangDialog, ANewSelectionTakesTheFilesAsTheyAreNow) {
    LangInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    install.Write(u"lang_chs.ini", {{u"A", u"theirs"}});
    h.SelectTarget(install.Exe());
    EXPECT_EQ(u"theirs", TableText(h, 0, u"A"));
    h.Dlg().m_langTable.SetText(0, u"A", u"ours");
    h.Click(1028);
    EXPECT_TRUE(h.Prompts().questions.empty());
    EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
    EXPECT_NE(std::string::npos,
              install.Read(u"lang_chs.ini").find(testsupport::Utf16LeBytes(u"ours")));
}

}  // namespace
