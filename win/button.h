// Push button, check box and radio button.
#pragma once

#include "win/window.h"

namespace win {

class Button : public Window {
public:
    using Window::Window;
    int GetCheck() const { return static_cast<int>(SendMsg(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMsg(BM_SETCHECK, static_cast<WPARAM>(state)); }
    bool IsChecked() const { return GetCheck() == BST_CHECKED; }
};

}  // namespace win
