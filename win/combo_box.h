// Combo box (drop-down list).
#pragma once

#include "win/window.h"

namespace win {

class ComboBox : public Window {
public:
    using Window::Window;
    void ResetContent() const { SendMsg(CB_RESETCONTENT); }
    int AddString(const std::u16string& text) const {
        return static_cast<int>(SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text))));
    }
    int GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
};

}  // namespace win
