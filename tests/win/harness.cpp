#include "tests/win/harness.h"

#include <commctrl.h>

#include <stdexcept>

#include "app/vedarod_app.h"
#include "win/list_view.h"
#include "win/window.h"

namespace testsupport {

void FakePrompts::Message(HWND owner, const std::u16string& text) {
    messages.push_back({owner, text});
}

bool FakePrompts::OpenFile(HWND, const win::OpenFileRequest& request, std::u16string& path) {
    pickers.push_back(request);
    if (answers.empty()) {
        return false;
    }
    std::optional<std::u16string> answer = answers.front();
    answers.pop_front();
    if (!answer) {
        return false;
    }
    path = *answer;
    return true;
}

bool FakePrompts::SaveFile(HWND owner, const win::OpenFileRequest& request,
                           std::u16string& path) {
    ++savePickers;
    return OpenFile(owner, request, path);
}

bool FakePrompts::AskYesNo(HWND, const std::u16string& text) {
    questions.push_back(text);
    if (yesNoAnswers.empty()) {
        return false;
    }
    const bool yes = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return yes;
}

DialogHarness::DialogHarness() {
    InitCommonControlClasses();
    dlg_ = std::make_unique<CVedArodDlg>(prompts_, GetModuleHandleW(nullptr));
    if (!dlg_->Create(nullptr)) {
        throw std::runtime_error("the main dialog could not be created");
    }
    Pump();
}

DialogHarness::~DialogHarness() {
    dlg_.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

void DialogHarness::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        dlg_->PumpMessage(msg);
    }
}

void DialogHarness::Click(int id) {
    if (!Enabled(id)) {
        throw std::logic_error("click on a disabled control " + std::to_string(id));
    }
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    Pump();
}

void DialogHarness::PressKey(HWND target, WPARAM virtualKey) {
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
    Pump();
}

void DialogHarness::Type(int id, const std::u16string& text) {
    SetFocus(Item(id));
    win::Window(Item(id)).SetText(text);
    Pump();
}

void DialogHarness::SelectTarget(const std::u16string& exePath) {
    prompts_.AnswerNextPicker(exePath);
    Click(1003);
}

void DialogHarness::ChooseLanguage(int index) {
    SendMessageW(Item(1015), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(1015, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(1015)));
    Pump();
}

void DialogHarness::ClickList(POINT pt) {
    const HWND list = Item(1016);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

void DialogHarness::DoubleClickList(POINT pt) {
    const HWND list = Item(1016);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    Pump();
}

POINT DialogHarness::CellPoint(int row, int column) const {
    RECT r{};
    r.top = column;
    r.left = LVIR_LABEL;
    SendMessageW(Item(1016), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::vector<std::pair<std::u16string, std::u16string>> DialogHarness::ListRows() const {
    const win::ListView list(Item(1016));
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        rows.emplace_back(list.GetItemText(i, 0), list.GetItemText(i, 1));
    }
    return rows;
}

std::vector<std::u16string> DialogHarness::ListTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& row : ListRows()) {
        texts.push_back(row.second);
    }
    return texts;
}

std::u16string DialogHarness::Text(int id) const {
    return win::Window(Item(id)).Text();
}

std::vector<std::u16string> DialogHarness::MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& m : prompts_.messages) {
        texts.push_back(m.text);
    }
    return texts;
}

}  // namespace testsupport
