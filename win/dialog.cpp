#include "win/dialog.h"

#include <cstring>

namespace win {

namespace {

// Messages whose result a dialog procedure returns directly instead of through
// DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

// Whether the dialog template places the dialog at 0,0 and leaves its position to the
// framework: not a child, not centred by Windows itself (DS_CENTER, DS_CENTERMOUSE).
bool TemplateAtOrigin(HINSTANCE instance, UINT templateId) {
    const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId),
                                      MAKEINTRESOURCEW(5));  // RT_DIALOG
    const HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* bytes =
        static_cast<const BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (bytes == nullptr || SizeofResource(instance, found) < 18) {
        return false;
    }
    WORD words[2];
    std::memcpy(words, bytes, sizeof(words));
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;  // DLGTEMPLATEEX
    DWORD style = 0;
    short xy[2];
    if (extended) {
        if (SizeofResource(instance, found) < 26) {
            return false;
        }
        std::memcpy(&style, bytes + 12, sizeof(style));
        std::memcpy(xy, bytes + 18, sizeof(xy));
    } else {
        std::memcpy(&style, bytes, sizeof(style));
        std::memcpy(xy, bytes + 10, sizeof(xy));
    }
    return xy[0] == 0 && xy[1] == 0 && (style & (WS_CHILD | DS_CENTER | DS_CENTERMOUSE)) == 0;
}

// Centres the window over its owner when the owner is shown and not minimized, else in the
// work area of its monitor, and keeps it inside that work area.
void CenterWindow(HWND hwnd) {
    const HWND owner = GetWindow(hwnd, GW_OWNER);
    const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : hwnd, MONITOR_DEFAULTTONEAREST),
                         &monitor)) {
        return;
    }
    const RECT area = monitor.rcWork;
    RECT centre = area;
    if (overOwner) {
        GetWindowRect(owner, &centre);
    }
    RECT self;
    GetWindowRect(hwnd, &self);
    const LONG width = self.right - self.left;
    const LONG height = self.bottom - self.top;
    LONG x = (centre.left + centre.right) / 2 - width / 2;
    LONG y = (centre.top + centre.bottom) / 2 - height / 2;
    x = x + width > area.right ? area.right - width : x;
    y = y + height > area.bottom ? area.bottom - height : y;
    x = x < area.left ? area.left : x;
    y = y < area.top ? area.top : y;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Dialog::Dialog(UINT templateId, HINSTANCE instance)
    : template_id_(templateId), instance_(instance) {}

Dialog::~Dialog() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool Dialog::Create(HWND owner) {
    ended_ = false;
    const HWND hwnd = CreateDialogParamW(instance_, MAKEINTRESOURCEW(template_id_), owner,
                                         DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr) {
        return false;
    }
    ShowWindow(hwnd, SW_SHOW);
    return true;
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (!Create(owner)) {
        return -1;
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) {
        EnableWindow(owner, FALSE);
    }
    MSG msg;
    bool quit = false;
    while (!ended_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        PumpMessage(msg);
    }
    if (disableOwner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    if (quit) {
        PostQuitMessage(static_cast<int>(msg.wParam));
    }
    return result_;
}

void Dialog::PumpMessage(MSG& msg) {
    if (PreTranslateMessage(msg)) {
        return;
    }
    if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (hwnd_ != nullptr) {
        ShowWindow(hwnd_, SW_HIDE);
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
    }
}

void Dialog::UpdateData(bool save) {
    DataExchange dx(hwnd_, save);
    DoDataExchange(dx);
}

bool Dialog::PreTranslateMessage(MSG&) {
    return false;
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

void Dialog::OnOK() {
    UpdateData(true);
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(l);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    // No exception may cross into the window manager.
    try {
        return self->Route(message, w, l);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR Dialog::Route(UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        // A template at 0,0 opens centred, as the dialog framework places it.
        if (TemplateAtOrigin(instance_, template_id_)) {
            CenterWindow(hwnd_);
        }
        return OnInitDialog();
    }
    LRESULT result = 0;
    if (HandleMessage(message, w, l, result)) {
        if (ReturnsResultDirectly(message)) {
            return static_cast<INT_PTR>(result);
        }
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
        if (LOWORD(w) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(w) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace win
