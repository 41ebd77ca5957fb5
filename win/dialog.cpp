#include "win/dialog.h"

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
