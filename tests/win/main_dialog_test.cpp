// The main dialog's template, start state, edition views, check boxes, pickers, keys and
// target selection.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/win/harness.h"
#include "win/list_view.h"
#include "win/wstr.h"

namespace {

using testsupport::DialogHarness;

struct ControlRow {
    int id;
    int x, y, w, h;        // dialog units
    const char16_t* text;  // caption, nullptr for edits/lists/combos
    bool enabled;          // after initialisation
    bool visible;
};

// The controls with an id, in template order.
const ControlRow kControls[] = {
    {1039, 18, 5, 43, 10, u"简版软件", true, true},
    {1040, 77, 5, 43, 10, u"标准软件", true, true},
    {1041, 130, 5, 40, 10, u"6.2软件", true, true},
    {1002, 57, 21, 360, 14, nullptr, true, true},
    {1003, 420, 20, 19, 14, u"....", true, true},
    {1004, 25, 71, 319, 14, nullptr, true, true},
    {1005, 345, 71, 19, 14, u"....", false, true},
    {1030, 271, 105, 71, 10, u"使能修改启动图片", false, true},
    {1006, 25, 117, 319, 14, nullptr, true, true},
    {1007, 345, 116, 19, 14, u"....", false, true},
    {1009, 95, 229, 78, 14, nullptr, false, true},
    {1008, 95, 194, 78, 14, nullptr, false, true},
    {1000, 227, 199, 55, 35, u"修改应用程序", false, true},
    {1010, 193, 262, 71, 10, u"启用文件读写密码", false, true},
    {1011, 274, 260, 72, 14, nullptr, false, true},
    {1024, 227, 301, 55, 35, u"保存配置", false, true},
    {1015, 426, 62, 122, 0, nullptr, false, true},
    {1022, 562, 62, 96, 14, nullptr, false, true},
    {1023, 658, 62, 22, 14, u"搜索", false, true},
    {1029, 522, 78, 82, 14, u"保存全部语种文件", false, true},
    {1028, 609, 78, 82, 14, u"保存当前语种文件", false, true},
    {1016, 396, 96, 299, 244, nullptr, true, true},
    {1027, 586, 350, 55, 14, nullptr, true, false},
    {1, 646, 349, 50, 14, u"退出", true, true},
    {1031, 53, 295, 121, 14, nullptr, false, true},
    {1032, 53, 312, 121, 14, nullptr, false, true},
    {1033, 53, 329, 121, 14, nullptr, false, true},
    {1034, 271, 57, 57, 10, u"使能修改图标", false, true},
    {1035, 399, 83, 110, 8, u"警告：不要删除和更改内容中的‘%s’", true, true},
    {1037, 95, 212, 78, 14, nullptr, false, true},
    {1038, 271, 151, 71, 10, u"使能修改广告图片", false, false},
    {1012, 25, 163, 319, 14, nullptr, true, false},
    {1017, 345, 162, 19, 14, u"....", false, false},
    {1044, 25, 178, 124, 8, u"（格式为BMP，建议尺寸 210 x 100）", true, false},
    {1043, 17, 144, 349, 45, u"广告图片", true, false},
};

// The dialog manager converts position and size separately, as this does.
RECT DialogUnits(HWND dlg, int x, int y, int w, int h) {
    RECT r{x, y, w, h};
    MapDialogRect(dlg, &r);
    return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dlg, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> Children(HWND dlg) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dlg, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        out.push_back(c);
    }
    return out;
}

TEST(MainDialog, TemplateHoldsEveryControlInOrderWithItsCaptionAndPosition) {
    DialogHarness h;
    std::vector<int> ids;
    for (HWND c : Children(h.Hwnd())) {
        if (GetDlgCtrlID(c) != -1 && GetDlgCtrlID(c) != 0xFFFF) {
            ids.push_back(GetDlgCtrlID(c));
        }
    }
    std::vector<int> expectedIds;
    for (const auto& row : kControls) {
        expectedIds.push_back(row.id);
    }
    EXPECT_EQ(expectedIds, ids);

    for (const auto& row : kControls) {
        SCOPED_TRACE(row.id);
        const HWND c = h.Item(row.id);
        ASSERT_NE(nullptr, c);
        if (row.text != nullptr) {
            EXPECT_EQ(std::u16string(row.text), h.Text(row.id));
        }
        const RECT want = DialogUnits(h.Hwnd(), row.x, row.y, row.w, row.h);
        const RECT got = ClientRectOf(h.Hwnd(), c);
        EXPECT_EQ(want.left, got.left);
        EXPECT_EQ(want.top, got.top);
        EXPECT_EQ(want.right, got.right);
        if (row.h != 0) {  // a drop-down list's height is its closed height
            EXPECT_EQ(want.bottom, got.bottom);
        }
    }
    wchar_t caption[64] = {};
    GetWindowTextW(h.Hwnd(), caption, 64);
    EXPECT_EQ(u"ZavEriva", win::U(caption));
    EXPECT_NE(0, GetWindowLongPtrW(h.Hwnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    const LONG_PTR style = GetWindowLongPtrW(h.Hwnd(), GWL_STYLE);
    EXPECT_NE(0, style & WS_THICKFRAME);
    EXPECT_NE(0, style & WS_SYSMENU);
    EXPECT_EQ(0, style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST(MainDialog, UnnamedLabelsAndFramesInTemplateOrder) {
    DialogHarness h;
    std::vector<std::u16string> texts;
    for (HWND c : Children(h.Hwnd())) {
        if (GetDlgCtrlID(c) == 0xFFFF || GetDlgCtrlID(c) == -1) {
            texts.push_back(win::Window(c).Text());
        }
    }
    const std::vector<std::u16string> expected = {u"（*修改应用程序前请先\r\n   关闭该应用程序）",
                                                  u"（图标大小建议为 40 * 40像素，格式为ico）",
                                                  u"（格式为BMP）",
                                                  u"选择语种",
                                                  u"启动图片",
                                                  u"图标",
                                                  u"应用程序名称",
                                                  u"应用程序左上角文字",
                                                  u"配置文件",
                                                  u"语言资源",
                                                  u"公司名称",
                                                  u"电话",
                                                  u"网址",
                                                  u"应用程序",
                                                  u"选择应用程序",
                                                  u"新建文档名称",
                                                  u"(为空则不更改)",
                                                  u"(为空则不更改)"};
    EXPECT_EQ(expected, texts);
}

TEST(MainDialog, StartState) {
    DialogHarness h;
    for (const auto& row : kControls) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.enabled, h.Enabled(row.id));
        EXPECT_EQ(row.visible, h.Visible(row.id));
    }
    EXPECT_TRUE(h.Checked(1039));
    for (int id : {1040, 1041, 1030, 1010, 1034, 1038}) {
        EXPECT_FALSE(h.Checked(id)) << id;
    }
    EXPECT_EQ(-1, h.Dlg().m_nEditRow);
    EXPECT_EQ(0, h.Dlg().m_nEditCol);

    // Language list: report view with grid lines and full-row select; an invisible ID
    // column and a text column as wide as the dialog's client area less 20 pixels.
    const win::ListView list(h.Item(1016));
    EXPECT_EQ(LVS_REPORT, GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
              list.GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
    RECT client;
    GetClientRect(h.Hwnd(), &client);
    EXPECT_EQ(0, list.GetColumnWidth(0));
    EXPECT_EQ(client.right - 20, list.GetColumnWidth(1));
    wchar_t heading[16] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 16;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(i == 0 ? u"ID" : u"内容", win::U(heading));
    }
}

TEST(MainDialog, EditionViewsAndTheAdvertisementCheckBox) {
    DialogHarness h;
    const int adGroup[] = {1043, 1038, 1017, 1012, 1044};
    h.SelectTarget(u"C:\\Soft\\ZovIDE\\ZovIDE.exe");

    h.Click(1041);
    for (int id : adGroup) {
        EXPECT_TRUE(h.Visible(id)) << id;
    }
    EXPECT_FALSE(h.Visible(1010));
    EXPECT_FALSE(h.Visible(1011));

    h.Click(1038);
    EXPECT_TRUE(h.Checked(1038));
    EXPECT_TRUE(h.Enabled(1012));
    EXPECT_TRUE(h.Enabled(1017));

    // Back to simple and then 6.2: the check box is cleared without a click, so its
    // dependents keep their enabled state.
    h.Click(1039);
    for (int id : adGroup) {
        EXPECT_FALSE(h.Visible(id)) << id;
    }
    EXPECT_TRUE(h.Visible(1010));
    EXPECT_TRUE(h.Visible(1011));
    h.Click(1041);
    EXPECT_FALSE(h.Checked(1038));
    EXPECT_TRUE(h.Enabled(1012));
    EXPECT_TRUE(h.Enabled(1017));

    // The radio handlers change only what is shown; the edition reaches the member at the
    // next exchange.
    EXPECT_EQ(0, h.Dlg().m_nEdition);
    h.Dlg().UpdateData(true);
    EXPECT_EQ(2, h.Dlg().m_nEdition);
    h.Click(1040);
    h.Dlg().UpdateData(true);
    EXPECT_EQ(1, h.Dlg().m_nEdition);
}

TEST(MainDialog, EnableCheckBoxesDriveTheirDependents) {
    DialogHarness h;
    h.SelectTarget(u"C:\\Soft\\ZovIDE\\ZovIDE.exe");
    h.Click(1041);
    struct Case {
        int check;
        std::vector<int> dependents;
    };
    const Case cases[] = {{1034, {1004, 1005}}, {1030, {1006, 1007}}, {1038, {1012, 1017}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.check);
        h.Click(c.check);
        for (int id : c.dependents) {
            EXPECT_TRUE(h.Enabled(id)) << id;
        }
        h.Click(c.check);
        for (int id : c.dependents) {
            EXPECT_FALSE(h.Enabled(id)) << id;
        }
    }
    h.Click(1039);
    h.Click(1010);
    EXPECT_TRUE(h.Enabled(1011));
    h.Click(1010);
    EXPECT_FALSE(h.Enabled(1011));
}

TEST(MainDialog, PickersStoreTheChosenPathAndCancelChangesNothing) {
    DialogHarness h;
    h.SelectTarget(u"C:\\Soft\\ZovIDE\\ZovIDE.exe");
    h.Click(1041);
    struct Case {
        int check, button, edit;
        const char16_t* extension;
        const char16_t* filter;
        std::u16string CVedArodDlg::*member;
    };
    const Case cases[] = {
        {1034, 1005, 1004, u"ico", u"ico Files (*.ico)|*.ico||", &CVedArodDlg::m_strIconPath},
        {1030, 1007, 1006, u"bmp", u"bmp Files (*.bmp)|*.bmp||",
         &CVedArodDlg::m_strStartupImagePath},
        {1038, 1017, 1012, u"bmp", u"bmp Files (*.bmp)|*.bmp||", &CVedArodDlg::m_strAdImagePath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        h.Click(c.check);
        const std::u16string chosen = u"D:\\图片\\新图" + std::u16string(c.extension);
        h.Prompts().AnswerNextPicker(chosen);
        h.Click(c.button);
        const auto& request = h.Prompts().pickers.back();
        EXPECT_EQ(c.extension, request.defaultExtension);
        EXPECT_EQ(c.filter, request.filter);
        EXPECT_EQ(static_cast<DWORD>(6), request.flags);
        EXPECT_EQ(chosen, h.Text(c.edit));
        EXPECT_EQ(chosen, h.Dlg().*c.member);

        h.Prompts().AnswerNextPicker(std::nullopt);
        h.Click(c.button);
        EXPECT_EQ(chosen, h.Text(c.edit));
        EXPECT_EQ(chosen, h.Dlg().*c.member);
    }
    EXPECT_TRUE(h.Prompts().messages.empty());
}

TEST(MainDialog, EnterAndEscapeNeverCloseTheDialog) {
    DialogHarness h;
    for (HWND target : {h.Item(1002), h.Item(1016), h.Item(1), h.Hwnd()}) {
        SetFocus(target);
        h.PressKey(target, VK_RETURN);
        h.PressKey(target, VK_ESCAPE);
        EXPECT_FALSE(h.Dlg().Ended());
    }
    EXPECT_TRUE(IsWindowVisible(h.Hwnd()));
}

TEST(MainDialog, ExitButtonEndsTheDialogAsOkAndCloseBoxAsCancel) {
    {
        DialogHarness h;
        h.Click(1);
        EXPECT_TRUE(h.Dlg().Ended());
        EXPECT_EQ(IDOK, h.Dlg().Result());
    }
    {
        DialogHarness h;
        SendMessageW(h.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // close box, Alt+F4
        h.Pump();
        EXPECT_TRUE(h.Dlg().Ended());
        EXPECT_EQ(IDCANCEL, h.Dlg().Result());
    }
}

TEST(MainDialog, TargetSelectionSetsMembersAndEnablesTheEditingControls) {
    DialogHarness h;
    h.Type(1008, u"标题");
    h.Click(1040);  // the selection reads the edition from the controls first
    h.SelectTarget(u"C:\\Soft\\ZovIDE\\ZovIDE.exe");
    const auto& request = h.Prompts().pickers.back();
    EXPECT_EQ(u"exe", request.defaultExtension);
    EXPECT_EQ(u"exe Files (*.exe)|*.exe||", request.filter);
    EXPECT_EQ(static_cast<DWORD>(6), request.flags);

    CVedArodDlg& d = h.Dlg();
    EXPECT_EQ(u"C:\\Soft\\ZovIDE\\ZovIDE.exe", d.m_strExePath);
    EXPECT_EQ(u"ZovIDE.exe", d.m_strExeFileName);
    EXPECT_EQ(u"ZovIDE.exe", d.m_strAppName);
    EXPECT_EQ(u"C:\\Soft\\ZovIDE", d.m_strInstallDir);
    EXPECT_EQ(1, d.m_nEdition);
    EXPECT_EQ(u"C:\\Soft\\ZovIDE\\ZovIDE.exe", h.Text(1002));
    EXPECT_EQ(u"ZovIDE.exe", h.Text(1009));
    EXPECT_EQ(u"标题", h.Text(1008));

    for (int id : {1034, 1030, 1038, 1008, 1009, 1037, 1000, 1010, 1031, 1032, 1033, 1024}) {
        EXPECT_TRUE(h.Enabled(id)) << id;
    }
    // The check boxes' dependents keep their state; a folder without Lang leaves the
    // language controls disabled.
    for (int id : {1005, 1007, 1017, 1011, 1015, 1022, 1023, 1028, 1029}) {
        EXPECT_FALSE(h.Enabled(id)) << id;
    }
    for (int id : {1034, 1030, 1038}) {
        EXPECT_FALSE(h.Checked(id)) << id;
    }

    // A cancelled second selection changes nothing.
    h.Prompts().AnswerNextPicker(std::nullopt);
    h.Click(1003);
    EXPECT_EQ(u"C:\\Soft\\ZovIDE", d.m_strInstallDir);
    EXPECT_EQ(u"ZovIDE.exe", h.Text(1009));
}

TEST(MainDialog, WarningLabelIsRedAndOtherLabelsAreNot) {
    DialogHarness h;
    const HDC dc = GetDC(h.Hwnd());
    SetTextColor(dc, RGB(0, 0, 0));
    const LRESULT brush = SendMessageW(h.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(h.Item(1035)));
    EXPECT_NE(0, brush);
    EXPECT_EQ(RGB(255, 0, 0), GetTextColor(dc));
    SetTextColor(dc, RGB(0, 0, 0));
    SendMessageW(h.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(h.Item(1044)));
    EXPECT_NE(RGB(255, 0, 0), GetTextColor(dc));
    ReleaseDC(h.Hwnd(), dc);
}

// Closes the About box from inside its own modal loop and records what it showed.
struct AboutProbe {
    std::u16string caption;
    std::u16string button;
    bool hasIcon = false;
    bool ownerDisabled = false;
    RECT window{};
};
AboutProbe* g_probe = nullptr;
HWND g_owner = nullptr;

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND about = FindWindowW(nullptr, L"关于 VedArod");
    if (about == nullptr) {
        return;
    }
    KillTimer(nullptr, id);
    g_probe->caption = win::Window(about).Text();
    g_probe->button = win::Window(GetDlgItem(about, IDOK)).Text();
    for (HWND c = GetWindow(about, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(c, STM_GETICON, 0, 0) != 0) {
            g_probe->hasIcon = true;
        }
    }
    g_probe->ownerDisabled = IsWindowEnabled(g_owner) == FALSE;
    GetWindowRect(about, &g_probe->window);
    SendMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
}

TEST(MainDialog, SystemMenuOpensTheAboutBox) {
    DialogHarness h;
    const HMENU menu = GetSystemMenu(h.Hwnd(), FALSE);
    // After a separator: About, the restore entry below it, then the brand entries.
    const std::vector<UINT> added = {IDM_ABOUTBOX, IDM_RESTORE, IDM_APPLY_BRAND, IDM_SAVE_BRAND,
                                     IDM_FIND_REPLACE};
    const int count = GetMenuItemCount(menu);
    const int about = count - static_cast<int>(added.size());
    ASSERT_GE(about, 1);
    for (size_t i = 0; i < added.size(); ++i) {
        EXPECT_EQ(added[i], GetMenuItemID(menu, about + static_cast<int>(i))) << i;
    }
    wchar_t text[64] = {};
    GetMenuStringW(menu, about, text, 64, MF_BYPOSITION);
    EXPECT_EQ(u"关于 VedArod(&A)...", win::U(text));
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(menu, about - 1, MF_BYPOSITION) & MF_SEPARATOR);

    AboutProbe probe;
    g_probe = &probe;
    g_owner = h.Hwnd();
    SetTimer(nullptr, 0, 50, CloseAbout);
    SendMessageW(h.Hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(u"关于 VedArod", probe.caption);
    EXPECT_EQ(u"确定", probe.button);
    EXPECT_TRUE(probe.hasIcon);
    EXPECT_TRUE(probe.ownerDisabled);
    EXPECT_TRUE(h.Enabled(1003)) << "the owner is enabled again";
    // Centred over the main dialog.
    RECT owner;
    GetWindowRect(h.Hwnd(), &owner);
    EXPECT_NEAR((owner.left + owner.right) / 2, (probe.window.left + probe.window.right) / 2, 1);
    EXPECT_NEAR((owner.top + owner.bottom) / 2, (probe.window.top + probe.window.bottom) / 2, 1);
    EXPECT_FALSE(h.Dlg().Ended());
}

TEST(MainDialog, OpensCentredInTheWorkArea) {
    DialogHarness h;
    RECT self;
    GetWindowRect(h.Hwnd(), &self);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(h.Hwnd(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& area = monitor.rcWork;
    ASSERT_LE(self.right - self.left, area.right - area.left) << "the screen is too small";
    EXPECT_NEAR((area.left + area.right) / 2, (self.left + self.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (self.top + self.bottom) / 2, 1);
}

// The first control of a dialog template (DLGTEMPLATEEX) as compiled: x, y, cx, cy.
std::vector<short> FirstControlOfTemplate(UINT templateId) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (p == nullptr) {
        return {};
    }
    WORD word = 0;
    std::memcpy(&word, p + 2, 2);
    if (word != 0xFFFF) {
        return {};
    }
    DWORD style = 0;
    std::memcpy(&style, p + 12, 4);
    const BYTE* q = p + 26;
    // Menu and class (a string, or 0xFFFF and an ordinal), then the caption.
    const auto skipNameOrOrdinal = [&q] {
        WORD w = 0;
        std::memcpy(&w, q, 2);
        if (w == 0xFFFF) {
            q += 4;
            return;
        }
        do {
            std::memcpy(&w, q, 2);
            q += 2;
        } while (w != 0);
    };
    skipNameOrOrdinal();
    skipNameOrOrdinal();
    skipNameOrOrdinal();
    if ((style & DS_SETFONT) != 0) {
        q += 6;  // point size, weight, italic, charset
        skipNameOrOrdinal();
    }
    const uintptr_t aligned =
        (reinterpret_cast<uintptr_t>(q) - reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3};
    q = p + aligned + 12;  // help id, extended style, style
    std::vector<short> rect(4);
    std::memcpy(rect.data(), q, 8);
    return rect;
}

TEST(MainDialog, AboutBoxIconStaticKeepsItsSize) {
    EXPECT_EQ((std::vector<short>{14, 14, 21, 20}), FirstControlOfTemplate(IDD_ABOUTBOX));
}

}  // namespace
