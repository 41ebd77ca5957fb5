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
    int GetCount() const { return static_cast<int>(SendMsg(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMsg(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    std::u16string GetItemText(int index) const;
};

inline std::u16string ComboBox::GetItemText(int index) const {
    const LRESULT length = SendMsg(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    SendMsg(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace win
