#include "win/data_exchange.h"

namespace win {

namespace {

bool IsRadioButton(HWND hwnd) {
    if (SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
        return true;
    }
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DataExchange::Text(int id, std::u16string& value) const {
    const Window control(GetDlgItem(dialog_, id));
    if (save_) {
        value = control.Text();
    } else {
        control.SetText(value);
    }
}

void DataExchange::Check(int id, int& value) const {
    const HWND control = GetDlgItem(dialog_, id);
    if (save_) {
        value = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DataExchange::Radio(int firstId, int& value) const {
    HWND control = GetDlgItem(dialog_, firstId);
    if (save_) {
        value = -1;
    }
    for (int index = 0; control != nullptr && IsRadioButton(control); ++index) {
        if (save_) {
            if (SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = index;
            }
        } else {
            SendMessageW(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        control = GetWindow(control, GW_HWNDNEXT);
        if (control != nullptr && (GetWindowLongPtrW(control, GWL_STYLE) & WS_GROUP) != 0) {
            break;
        }
    }
}

}  // namespace win
