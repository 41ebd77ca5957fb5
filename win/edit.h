// Single-line edit control.
#pragma once

#include "win/window.h"

namespace win {

class Edit : public Window {
public:
    using Window::Window;
    void SetSel(int start, int end) const { SendMsg(EM_SETSEL, start, end); }
    void ScrollCaret() const { SendMsg(EM_SCROLLCARET); }
    void SetLimitText(int limit) const { SendMsg(EM_SETLIMITTEXT, static_cast<WPARAM>(limit)); }
    int LimitText() const { return static_cast<int>(SendMsg(EM_GETLIMITTEXT)); }
};

}  // namespace win
