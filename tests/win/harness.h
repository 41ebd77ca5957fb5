// Drives the real main dialog, created modelessly in the test process, with the messages
// that a user's actions send; answers its message boxes and file pickers.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/vedarod_dlg.h"
#include "win/user_prompts.h"

namespace testsupport {

// Records every message box and answers file pickers from a queue (empty queue: cancel).
class FakePrompts : public win::UserPrompts {
public:
    void Message(HWND owner, const std::u16string& text) override;
    bool OpenFile(HWND owner, const win::OpenFileRequest& request, std::u16string& path) override;
    // Answered from the same queue as OpenFile; counted in savePickers as well.
    bool SaveFile(HWND owner, const win::OpenFileRequest& request, std::u16string& path) override;
    // Recorded in questions; answered from yesNoAnswers (empty queue: No).
    bool AskYesNo(HWND owner, const std::u16string& text) override;

    void AnswerNextPicker(std::optional<std::u16string> path) {
        answers.push_back(std::move(path));
    }

    struct Shown {
        HWND owner;
        std::u16string text;
    };
    std::vector<Shown> messages;
    std::vector<win::OpenFileRequest> pickers;
    int savePickers = 0;
    std::deque<std::optional<std::u16string>> answers;
    std::vector<std::u16string> questions;
    std::deque<bool> yesNoAnswers;
};

class DialogHarness {
public:
    DialogHarness();
    ~DialogHarness();

    CVedArodDlg& Dlg() { return *dlg_; }
    FakePrompts& Prompts() { return prompts_; }
    HWND Hwnd() const { return dlg_->Handle(); }
    HWND Item(int id) const { return GetDlgItem(dlg_->Handle(), id); }

    // Processes every pending message through the dialog's own message handling.
    void Pump();
    // A mouse click on a button, check box or radio button (the control must be enabled).
    void Click(int id);
    // A key press (down and up) posted to the window, then pumped.
    void PressKey(HWND target, WPARAM virtualKey);
    // Types text into an edit as the user would (replacing its content).
    void Type(int id, const std::u16string& text);
    // Picks a target executable through button 1003.
    void SelectTarget(const std::u16string& exePath);

    // Chooses a language in the selector as the user does (selection, then notification).
    void ChooseLanguage(int index);
    // Mouse actions on the language list at a point of its client area.
    void ClickList(POINT pt);
    void DoubleClickList(POINT pt);
    // The centre of a cell of the language list.
    POINT CellPoint(int row, int column) const;
    // The rows of the language list as the control reports them (LVM_GETITEMTEXT).
    std::vector<std::pair<std::u16string, std::u16string>> ListRows() const;
    std::vector<std::u16string> ListTexts() const;

    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const {
        return (GetWindowLongPtrW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::u16string Text(int id) const;
    std::vector<std::u16string> MessageTexts() const;

private:
    FakePrompts prompts_;
    std::unique_ptr<CVedArodDlg> dlg_;
};

}  // namespace testsupport
