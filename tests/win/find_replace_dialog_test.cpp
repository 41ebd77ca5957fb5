// "查找和替换" from the system menu: the modal find dialog, driven from a timer while its
// own message loop runs, and what its replace does to the language table, the list and
// the files.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/resource.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "win/window.h"
#include "win/wstr.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::TempDir;
using testsupport::Utf16LeBytes;

std::u16string Digits(size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// An install whose slot 0 holds three spellings of the name, and every other slot n the
// texts "ZovIDE n" (K1) and "text n" (K2).
struct FindInstall {
    TempDir dir;
    FindInstall() {
        fs::create_directories(dir.Path() / "config");
        fs::create_directories(dir.Path() / "Lang");
        testsupport::WriteBytes(dir.Path() / "config" / "ZovIDE.cfg", "[SYSPAR]\r\n");
        const auto& names = samples::DefaultLangFileNames();
        for (size_t slot = 1; slot < names.size(); ++slot) {
            const std::u16string n = Digits(slot);
            Write(names[slot], {{u"K1", u"ZovIDE " + n}, {u"K2", u"text " + n}});
        }
        Write(names[0],
              {{u"A", u"ZovIDE 文件"}, {u"B", u"打开 zovide 和 ZOVIDE"}, {u"C", u"文字"}});
    }
    void Write(const std::u16string& name, const std::vector<samples::LangEntry>& entries) {
        testsupport::WriteBytes(dir.Path() / "Lang" / fs::path(name),
                                samples::EncodeLangFile(entries));
    }
    std::string Read(const std::u16string& name) const {
        return testsupport::ReadBytes(dir.Path() / "Lang" / fs::path(name));
    }
    std::u16string Exe() const { return dir.Text() + u"\\ZovIDE.exe"; }
};

std::u16string TableText(DialogHarness& h, int slot, const std::u16string& id) {
    const auto text = h.Dlg().m_langTable.Entries(slot).Find(id);
    return text ? std::u16string(*text) : u"<none>";
}

std::u16string Joined(const std::vector<std::u16string>& texts) {
    std::u16string joined;
    for (const std::u16string& text : texts) {
        joined += (joined.empty() ? u"" : u" | ") + text;
    }
    return joined;
}

// What a step does to the find dialog (its window) while its modal loop runs.
using Step = std::function<void(HWND)>;

struct Script {
    HWND owner = nullptr;
    std::vector<Step> steps;
    size_t done = 0;
    HWND dialog = nullptr;
};
Script* g_script = nullptr;

// The dialog the main window owns, once it is shown.
HWND OwnedDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM l) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(l);
            if (GetWindow(w, GW_OWNER) == s.owner && IsWindowVisible(w)) {
                s.found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One step a tick, so that what a step posts is processed before the next one runs. A
// dialog still open after the last step is a failure, and is closed.
void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    Script& s = *g_script;
    const HWND dialog = OwnedDialog(s.owner);
    if (dialog == nullptr) {
        return;
    }
    s.dialog = dialog;
    if (s.done < s.steps.size()) {
        s.steps[s.done++](dialog);
        return;
    }
    ADD_FAILURE() << "the find dialog is still open after the last step";
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Chooses "查找和替换" in the system menu and runs steps on the dialog it opens; returns
// once the dialog's modal loop ended. The last step must end the dialog.
HWND RunFindDialog(DialogHarness& h, std::vector<Step> steps) {
    Script script{h.Hwnd(), std::move(steps)};
    g_script = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, RunStep);
    SendMessageW(h.Hwnd(), WM_SYSCOMMAND, IDM_FIND_REPLACE, 0);
    KillTimer(nullptr, timer);
    g_script = nullptr;
    EXPECT_EQ(script.steps.size(), script.done) << "steps left: the dialog ended early";
    EXPECT_FALSE(IsWindow(script.dialog)) << "destroyed when its loop ended";
    EXPECT_TRUE(IsWindowEnabled(h.Hwnd())) << "the main window is enabled again";
    h.Pump();
    return script.dialog;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Fills the fields as a user does: texts, the check box clicked when it must change, the
// radio button clicked.
Step Fill(std::u16string find, std::u16string replacement, bool matchCase, bool all) {
    return [=](HWND d) {
        SetDlgItemTextW(d, IDC_EDIT_FIND, win::W(find));
        SetDlgItemTextW(d, IDC_EDIT_REPLACE, win::W(replacement));
        if ((IsDlgButtonChecked(d, IDC_CHECK_MATCH_CASE) == BST_CHECKED) != matchCase) {
            Click(d, IDC_CHECK_MATCH_CASE);
        }
        Click(d, all ? IDC_RADIO_ALL_LANGS : IDC_RADIO_CURRENT_LANG);
    };
}

Step ClickStep(int id) {
    return [id](HWND d) { Click(d, id); };
}

TEST(FindReplaceDialog, MenuEntryIsGrayedUntilATargetIsSelected) {
    FindInstall install;
    DialogHarness h;
    const auto grayed = [&h] {
        return (GetMenuState(GetSystemMenu(h.Hwnd(), FALSE), IDM_FIND_REPLACE, MF_BYCOMMAND) &
                MF_GRAYED) != 0;
    };
    EXPECT_TRUE(grayed());
    h.SelectTarget(install.Exe());
    EXPECT_FALSE(grayed());
}

TEST(FindReplaceDialog, ReplacesInTheCurrentOrEveryLanguageWithOrWithoutCase) {
    struct Case {
        int shown;  // the language chosen in the main dialog
        const char16_t* find;
        bool matchCase;
        bool all;
        std::u16string message;
        size_t edited;
        std::u16string texts;  // slot 0's A, B and C, slot 5's K1, slot 15's K1
    };
    const Case cases[] = {
        {0, u"zovide", false, false, u"已替换 3 处（1 个语种）", 2,
         u"Acme 文件 | 打开 Acme 和 Acme | 文字 | ZovIDE 5 | ZovIDE 15"},
        {0, u"zovide", true, false, u"已替换 1 处（1 个语种）", 1,
         u"ZovIDE 文件 | 打开 Acme 和 ZOVIDE | 文字 | ZovIDE 5 | ZovIDE 15"},
        {5, u"ZOVIDE", false, false, u"已替换 1 处（1 个语种）", 1,
         u"ZovIDE 文件 | 打开 zovide 和 ZOVIDE | 文字 | Acme 5 | ZovIDE 15"},
        {5, u"ZovIDE", true, true, u"已替换 16 处（16 个语种）", 16,
         u"Acme 文件 | 打开 zovide 和 ZOVIDE | 文字 | Acme 5 | Acme 15"},
        {0, u"zovide", false, true, u"已替换 18 处（16 个语种）", 17,
         u"Acme 文件 | 打开 Acme 和 Acme | 文字 | Acme 5 | Acme 15"},
        {0, u"Zov IDE", false, true, u"未找到“Zov IDE”，未替换任何内容", 0,
         u"ZovIDE 文件 | 打开 zovide 和 ZOVIDE | 文字 | ZovIDE 5 | ZovIDE 15"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i));
        FindInstall install;
        DialogHarness h;
        h.SelectTarget(install.Exe());
        h.ChooseLanguage(c.shown);
        const HWND dialog = RunFindDialog(h, {Fill(c.find, u"Acme", c.matchCase, c.all),
                                              ClickStep(IDC_BTN_REPLACE_ALL), ClickStep(IDCANCEL)});

        ASSERT_EQ(1u, h.Prompts().messages.size());
        EXPECT_EQ(c.message, h.Prompts().messages[0].text);
        EXPECT_EQ(dialog, h.Prompts().messages[0].owner) << "owned by the find dialog";
        const std::vector<std::u16string> now = {TableText(h, 0, u"A"), TableText(h, 0, u"B"),
                                                 TableText(h, 0, u"C"), TableText(h, 5, u"K1"),
                                                 TableText(h, 15, u"K1")};
        EXPECT_EQ(c.texts, Joined(now));
        EXPECT_EQ(c.edited, h.Dlg().m_editedEntries.size());
        EXPECT_EQ(c.edited > 0, h.Dlg().m_langTable.HasUnsavedEdits());
        // The list shows the shown language's texts as they are now.
        const std::vector<std::u16string> shown =
            c.shown == 0 ? std::vector<std::u16string>(now.begin(), now.begin() + 3)
                         : std::vector<std::u16string>{now[3], u"text 5"};
        EXPECT_EQ(shown, h.ListTexts());
    }
}

// The dialog opens modal, empty, on the current language. An empty find text changes
// nothing and keeps the dialog; Enter in a field replaces and keeps it too; Escape ends it.
TEST(FindReplaceDialog, EmptyFindIsRefusedAndEnterReplacesWithoutClosing) {
    FindInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(IDC_EDIT_SEARCH, u"文");
    h.Click(IDC_BTN_SEARCH);
    const auto opened = [&h](HWND d) {
        EXPECT_EQ(u"查找和替换", win::Window(d).Text());
        EXPECT_FALSE(IsWindowEnabled(h.Hwnd())) << "modal";
        EXPECT_EQ(0, GetWindowTextLengthW(GetDlgItem(d, IDC_EDIT_FIND)));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(d, IDC_CHECK_MATCH_CASE));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(d, IDC_RADIO_CURRENT_LANG));
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(d, IDC_RADIO_ALL_LANGS));
    };
    RunFindDialog(
        h, {opened, Fill(u"", u"x", false, true), ClickStep(IDC_BTN_REPLACE_ALL),
            [&h](HWND d) {
                EXPECT_EQ(std::vector<std::u16string>{u"请输入查找内容"}, h.MessageTexts());
                EXPECT_FALSE(h.Dlg().m_langTable.HasUnsavedEdits());
                EXPECT_TRUE(h.Dlg().m_editedEntries.empty());
                EXPECT_TRUE(IsWindowVisible(d));
                SetDlgItemTextW(d, IDC_EDIT_FIND, L"文字");
                SetDlgItemTextW(d, IDC_EDIT_REPLACE, L"文本");
                SetFocus(GetDlgItem(d, IDC_EDIT_FIND));
                PostMessageW(GetDlgItem(d, IDC_EDIT_FIND), WM_KEYDOWN, VK_RETURN, 1);
                PostMessageW(GetDlgItem(d, IDC_EDIT_FIND), WM_KEYUP, VK_RETURN, 0xC0000001);
            },
            [&h](HWND d) {
                EXPECT_EQ(u"已替换 1 处（1 个语种）", h.MessageTexts().back());
                EXPECT_TRUE(IsWindowVisible(d));
                EXPECT_EQ((std::vector<std::u16string>{u"ZovIDE 文件", u"文本"}), h.ListTexts())
                    << "the search of the main dialog applies";
                PostMessageW(GetDlgItem(d, IDC_EDIT_FIND), WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageW(GetDlgItem(d, IDC_EDIT_FIND), WM_KEYUP, VK_ESCAPE, 0xC0000001);
            }});
    EXPECT_EQ(2u, h.MessageTexts().size());
    EXPECT_FALSE(h.Dlg().Ended());
}

// Replaced texts are in memory until saved: leaving asks, "保存全部语种文件" writes them.
TEST(FindReplaceDialog, SaveAllWritesTheReplacedTexts) {
    FindInstall install;
    DialogHarness h;
    h.SelectTarget(install.Exe());
    const std::string before = install.Read(u"lang_chs.ini");
    RunFindDialog(h, {Fill(u"ZovIDE", u"Acme", true, true), ClickStep(IDC_BTN_REPLACE_ALL),
                      ClickStep(IDCANCEL)});
    EXPECT_EQ(before, install.Read(u"lang_chs.ini")) << "nothing written by the replace";
    h.Click(IDOK);  // "退出": the question is answered No
    EXPECT_EQ(std::vector<std::u16string>{u"语言文件有未保存的修改，确定退出吗？"},
              h.Prompts().questions);
    ASSERT_FALSE(h.Dlg().Ended());

    h.Click(IDC_BTN_SAVE_ALL_LANGS);
    EXPECT_EQ(u"保存成功", h.MessageTexts().back());
    const auto& names = samples::DefaultLangFileNames();
    for (size_t slot = 0; slot < names.size(); ++slot) {
        const std::string file = install.Read(names[slot]);
        const std::u16string n = Digits(slot);
        const std::u16string replaced = slot == 0 ? u"Acme 文件" : u"Acme " + n;
        EXPECT_NE(std::string::npos, file.find(Utf16LeBytes(u"=    " + replaced + u"\r\n")))
            << fs::path(names[slot]);
        EXPECT_EQ(std::string::npos, file.find(Utf16LeBytes(u"ZovIDE"))) << fs::path(names[slot]);
    }
    EXPECT_NE(std::string::npos,
              install.Read(names[0]).find(Utf16LeBytes(u"打开 zovide 和 ZOVIDE")));
    h.Click(IDOK);
    EXPECT_EQ(1u, h.Prompts().questions.size()) << "saved: no question";
    EXPECT_TRUE(h.Dlg().Ended());
}

}  // namespace
