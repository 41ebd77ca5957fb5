// A non-owning holder of a window handle with one-line forwards to the window functions.
#pragma once

#include <windows.h>

#include <string>

#include "win/wstr.h"

namespace win {

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    void Attach(HWND hwnd) { hwnd_ = hwnd; }
    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }

    LRESULT SendMsg(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return SendMessageW(hwnd_, msg, w, l);
    }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    int Id() const { return GetDlgCtrlID(hwnd_); }

    void Enable(bool enable) const { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
    void Show(bool show) const { ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE); }
    bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
    void Focus() const { SetFocus(hwnd_); }

    void SetText(const std::u16string& text) const { SetWindowTextW(hwnd_, W(text)); }
    std::u16string Text() const;

    // Children addressed by their dialog control id.
    void EnableItem(int id, bool enable) const { EnableWindow(Item(id), enable ? TRUE : FALSE); }
    void ShowItem(int id, bool show) const { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }
    void SetItemText(int id, const std::u16string& text) const {
        SetDlgItemTextW(hwnd_, id, W(text));
    }
    std::u16string ItemText(int id) const { return Window(Item(id)).Text(); }

protected:
    HWND hwnd_ = nullptr;
};

inline std::u16string Window::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(hwnd_, reinterpret_cast<wchar_t*>(&text[0]), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

}  // namespace win
