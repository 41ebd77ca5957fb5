// Single-line edit control.
#pragma once

#include "win/window.h"

namespace win {

class Edit : public Window {
public:
    using Window::Window;
    void SetSel(int start, int end) const { SendMsg(EM_SETSEL, start, end); }
    void ScrollCaret() const { SendMsg(EM_SCROLLCARET); }
};

}  // namespace win
