// The real message box and file-open dialog behind the dialogs' prompts.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "win/user_prompts.h"
#include "win/window.h"

namespace {

// What the box showed, collected from inside its modal loop by a timer.
struct BoxProbe {
    HWND owner = nullptr;
    std::u16string caption;
    std::u16string text;
    std::vector<int> buttons;
    bool icon = false;
} g_box;
int g_answer = IDOK;  // the button ProbeBox presses

BOOL CALLBACK CollectChild(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0 && (style & WS_VISIBLE) != 0) {
        g_box.buttons.push_back(GetDlgCtrlID(child));
    }
    if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        (style & WS_VISIBLE) != 0 && SendMessageW(child, STM_GETICON, 0, 0) != 0) {
        g_box.icon = true;
    }
    if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
        const std::u16string t = win::Window(child).Text();
        if (!t.empty()) {
            g_box.text = t;
        }
    }
    return TRUE;
}

void CALLBACK ProbeBox(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND box = FindWindowW(L"#32770", L"VedArod");
    if (box == nullptr) {
        return;
    }
    KillTimer(nullptr, id);
    g_box.owner = GetWindow(box, GW_OWNER);
    g_box.caption = win::Window(box).Text();
    EnumChildWindows(box, CollectChild, 0);
    PostMessageW(box, WM_COMMAND, g_answer, 0);
}

TEST(SystemPrompts, MessageBoxIsOwnedByTheDialogWithOkOnlyAndNoIcon) {
    testsupport::DialogHarness h;
    win::SystemPrompts prompts(u"VedArod");
    SetTimer(nullptr, 0, 50, ProbeBox);
    prompts.Message(h.Hwnd(), u"保存成功");
    EXPECT_EQ(h.Hwnd(), g_box.owner);
    EXPECT_EQ(u"VedArod", g_box.caption);
    EXPECT_EQ(u"保存成功", g_box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, g_box.buttons);
    EXPECT_FALSE(g_box.icon);
}

TEST(SystemPrompts, QuestionHasYesAndNoAndReturnsTheAnswer) {
    testsupport::DialogHarness h;
    win::SystemPrompts prompts(u"VedArod");
    for (int answer : {IDYES, IDNO}) {
        g_box = BoxProbe{};
        g_answer = answer;
        SetTimer(nullptr, 0, 50, ProbeBox);
        EXPECT_EQ(answer == IDYES, prompts.AskYesNo(h.Hwnd(), u"是否恢复？"));
        EXPECT_EQ(h.Hwnd(), g_box.owner);
        EXPECT_EQ(u"是否恢复？", g_box.text);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), g_box.buttons);
    }
    g_answer = IDOK;
}

std::u16string g_pick;  // empty: cancel
HWND g_owner = nullptr;

void CALLBACK AnswerPicker(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = nullptr;
    for (HWND w = FindWindowW(L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == g_owner) {
            dialog = w;
        }
    }
    if (dialog == nullptr) {
        return;
    }
    KillTimer(nullptr, id);
    if (g_pick.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The file name box of the explorer-style dialog is control 1148 (cmb13) or 1152 (edt1).
    HWND name = GetDlgItem(dialog, 1148);
    if (name == nullptr) {
        name = GetDlgItem(dialog, 1152);
    }
    SetWindowTextW(name, reinterpret_cast<const wchar_t*>(g_pick.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(SystemPrompts, OpenFileReturnsTheChosenFullPathAndCancelReturnsNothing) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.Path() / "ZovIDE.exe", "MZ");
    testsupport::DialogHarness h;
    win::SystemPrompts prompts(u"VedArod");
    win::OpenFileRequest request;
    request.defaultExtension = u"exe";
    request.filter = u"exe Files (*.exe)|*.exe||";
    g_pick = (dir.Path() / "ZovIDE.exe").u16string();
    g_owner = h.Hwnd();
    SetTimer(nullptr, 0, 100, AnswerPicker);
    std::u16string path;
    ASSERT_TRUE(prompts.OpenFile(h.Hwnd(), request, path));
    EXPECT_EQ(std::filesystem::path(g_pick), std::filesystem::path(path));

    g_pick.clear();
    SetTimer(nullptr, 0, 100, AnswerPicker);
    std::u16string untouched = u"before";
    EXPECT_FALSE(prompts.OpenFile(h.Hwnd(), request, untouched));
    EXPECT_EQ(u"before", untouched);
}

}  // namespace
