#include "app/dlg_find_replace.h"

#include <utility>

#include "app/resource.h"

CFindReplaceDlg::CFindReplaceDlg(HINSTANCE instance, win::UserPrompts& prompts,
                                 ReplaceAll replaceAll)
    : win::Dialog(IDD_FIND_REPLACE, instance),
      prompts_(prompts),
      replaceAll_(std::move(replaceAll)) {}

void CFindReplaceDlg::DoDataExchange(win::DataExchange& dx) {
    dx.Text(IDC_EDIT_FIND, find_);
    dx.Text(IDC_EDIT_REPLACE, replacement_);
    dx.Check(IDC_CHECK_MATCH_CASE, matchCase_);
    dx.Radio(IDC_RADIO_CURRENT_LANG, scope_);
}

bool CFindReplaceDlg::HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    using D = CFindReplaceDlg;
    static const win::MessageEntry<D> table[] = {
        win::OnCommand<D>(IDC_BTN_REPLACE_ALL, BN_CLICKED, &D::OnReplaceAll),
    };
    return win::DispatchTable(*this, table, message, w, l, result);
}

void CFindReplaceDlg::OnOK() {
    OnReplaceAll();
}

void CFindReplaceDlg::OnReplaceAll() {
    UpdateData(true);
    Request request;
    request.replace.find = find_;
    request.replace.replacement = replacement_;
    request.replace.matchCase = matchCase_ == BST_CHECKED;
    request.allLanguages = scope_ == 1;
    const std::u16string text = replaceAll_(request);
    if (!text.empty()) {
        // Owned by this dialog: a box owned by the disabled main window would enable it.
        prompts_.Message(hwnd_, text);
    }
}
