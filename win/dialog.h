// A dialog from a resource template, run modally (with its own message loop, so that the
// dialog sees every message first) or created modelessly (tests drive it that way). A
// template placed at 0,0 opens centred over its owner (in the work area without one).
//
// Messages reach the derived class through its message table: a static array of
// MessageEntry, each naming a message (or a control's command or notification) and the
// member that handles it. The signatures, written once here:
//   void OnX();                                     command from a control (WM_COMMAND)
//   LRESULT OnX(const NMHDR& header);               notification from a control (WM_NOTIFY)
//   bool OnX(WPARAM w, LPARAM l, LRESULT& result);  any other message; false hands it on
//                                                   to the default dialog processing
#pragma once

#include <windows.h>

#include <cstddef>

#include "win/data_exchange.h"
#include "win/window.h"

namespace win {

template <class D>
struct MessageEntry {
    UINT message;  // WM_COMMAND, WM_NOTIFY or any other message
    UINT id;       // control id (WM_COMMAND, WM_NOTIFY)
    UINT code;     // notification code (WM_COMMAND, WM_NOTIFY)
    void (D::*command)();
    LRESULT (D::*notify)(const NMHDR&);
    bool (D::*message_handler)(WPARAM, LPARAM, LRESULT&);
};

template <class D>
constexpr MessageEntry<D> OnCommand(UINT id, UINT code, void (D::*handler)()) {
    return {WM_COMMAND, id, code, handler, nullptr, nullptr};
}

template <class D>
constexpr MessageEntry<D> OnNotify(UINT id, UINT code, LRESULT (D::*handler)(const NMHDR&)) {
    return {WM_NOTIFY, id, code, nullptr, handler, nullptr};
}

template <class D>
constexpr MessageEntry<D> OnMessage(UINT message, bool (D::*handler)(WPARAM, LPARAM, LRESULT&)) {
    return {message, 0, 0, nullptr, nullptr, handler};
}

// Finds the entry for a message and calls its handler. Returns whether it was handled.
template <class D, size_t N>
bool DispatchTable(D& self, const MessageEntry<D> (&table)[N], UINT message, WPARAM w, LPARAM l,
                   LRESULT& result) {
    for (const MessageEntry<D>& e : table) {
        if (e.message != message) {
            continue;
        }
        if (message == WM_COMMAND) {
            if (e.id == LOWORD(w) && e.code == HIWORD(w)) {
                (self.*e.command)();
                result = 0;
                return true;
            }
        } else if (message == WM_NOTIFY) {
            const NMHDR& header = *reinterpret_cast<const NMHDR*>(l);
            if (e.id == header.idFrom && e.code == header.code) {
                result = (self.*e.notify)(header);
                return true;
            }
        } else if ((self.*e.message_handler)(w, l, result)) {
            return true;
        }
    }
    return false;
}

class Dialog : public Window {
public:
    Dialog(UINT templateId, HINSTANCE instance);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally: the owner is disabled while it runs. Returns the value
    // given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND owner = nullptr);

    // Creates the dialog modelessly and shows it. False when it could not be created.
    bool Create(HWND owner = nullptr);

    // Ends the dialog: a modal loop returns the result; a modeless dialog is hidden.
    void EndDialog(INT_PTR result);
    bool Ended() const { return ended_; }
    INT_PTR Result() const { return result_; }

    // Data exchange between controls and members: save = true reads the controls.
    void UpdateData(bool save);

    // Offers a message to the dialog before it is dispatched; true when it consumed it.
    virtual bool PreTranslateMessage(MSG& msg);

    // One message of a message loop: pre-translation, dialog keyboard handling, dispatch.
    void PumpMessage(MSG& msg);

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    // Handles a message through the derived class's table; false means "not handled".
    virtual bool HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result);
    virtual void OnOK();
    virtual void OnCancel();

    HINSTANCE Instance() const { return instance_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    INT_PTR Route(UINT message, WPARAM w, LPARAM l);

    UINT template_id_;
    HINSTANCE instance_;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

}  // namespace win
