#include "tests/win/harness.h"

#include <stdexcept>

#include "app/vedarod_app.h"
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
