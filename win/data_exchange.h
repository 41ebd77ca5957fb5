// Moves values between a dialog's controls and its members, in either direction.
// A dialog's DoDataExchange lists its fields once; the direction is the exchange's.
#pragma once

#include <windows.h>

#include <string>

#include "win/window.h"

namespace win {

class DataExchange {
public:
    DataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}

    // true: controls -> members (reading what the user typed); false: members -> controls.
    bool Saving() const { return save_; }

    void Text(int id, std::u16string& value) const;
    // A check box's state: 0 unchecked, 1 checked, 2 indeterminate.
    void Check(int id, int& value) const;
    // A group of radio buttons starting at firstId and running (in tab order) until the next
    // control that starts a group or is not a radio button: the index of the checked one,
    // -1 when none is checked.
    void Radio(int firstId, int& value) const;
    // Attaches a control wrapper to the dialog's control, once: a control that was later
    // moved under another parent stays attached.
    void Control(int id, Window& control) const {
        if (control.Handle() == nullptr) {
            control.Attach(GetDlgItem(dialog_, id));
        }
    }

private:
    HWND dialog_;
    bool save_;
};

}  // namespace win
