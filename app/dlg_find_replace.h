// The "查找和替换" dialog: a find text, its replacement, "区分大小写", and the current or
// every language. "全部替换" hands them to the owner's callback, which replaces and returns
// what to tell the user; the dialog shows that in a message box of its own and stays open
// for another replace. Enter in a field presses "全部替换" (the default button); "关闭",
// Escape and the close box end the dialog.
#pragma once

#include <functional>
#include <string>

#include "lang/find_replace.h"
#include "win/dialog.h"
#include "win/user_prompts.h"

class CFindReplaceDlg : public win::Dialog {
public:
    struct Request {
        lang::FindReplace replace;  // find as typed, possibly empty
        bool allLanguages = false;  // "全部语种"; else "当前语种"
    };
    // Replaces, and returns the message to show (none when empty).
    using ReplaceAll = std::function<std::u16string(const Request&)>;

    CFindReplaceDlg(HINSTANCE instance, win::UserPrompts& prompts, ReplaceAll replaceAll);

protected:
    void DoDataExchange(win::DataExchange& dx) override;
    bool HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;
    // IDOK (Enter when no button is the default) replaces as well: nothing but "关闭",
    // Escape and the close box ends the dialog.
    void OnOK() override;

private:
    void OnReplaceAll();

    win::UserPrompts& prompts_;
    ReplaceAll replaceAll_;
    std::u16string find_;         // 1101
    std::u16string replacement_;  // 1102
    int matchCase_ = 0;           // 1103
    int scope_ = 0;               // radio group 1104: 0 the current language, 1 all
};
