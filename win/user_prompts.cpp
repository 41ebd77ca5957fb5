#include "win/user_prompts.h"

#include <commdlg.h>

#include <vector>

#include "win/wstr.h"

namespace win {

void SystemPrompts::Message(HWND owner, const std::u16string& text) {
    MessageBoxW(owner, W(text), W(caption_), MB_OK);
}

bool SystemPrompts::AskYesNo(HWND owner, const std::u16string& text) {
    return MessageBoxW(owner, W(text), W(caption_), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

namespace {

// A file dialog of the kind that run shows (GetOpenFileNameW or GetSaveFileNameW).
bool RunFileDialog(HWND owner, const OpenFileRequest& request, std::u16string& path,
                   BOOL(WINAPI* run)(LPOPENFILENAMEW)) {
    // The filter's "|" separators become the NULs that OPENFILENAME expects.
    std::u16string filter = request.filter;
    for (char16_t& c : filter) {
        if (c == u'|') {
            c = u'\0';
        }
    }
    filter.push_back(u'\0');
    std::vector<wchar_t> buffer(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = W(filter);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : W(request.defaultExtension);
    ofn.Flags = request.flags | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!run(&ofn)) {
        return false;
    }
    path = U(buffer.data());
    return true;
}

}  // namespace

bool SystemPrompts::OpenFile(HWND owner, const OpenFileRequest& request, std::u16string& path) {
    return RunFileDialog(owner, request, path, GetOpenFileNameW);
}

bool SystemPrompts::SaveFile(HWND owner, const OpenFileRequest& request, std::u16string& path) {
    return RunFileDialog(owner, request, path, GetSaveFileNameW);
}

}  // namespace win
