// Message boxes and file pickers: the two ways the tool asks or tells the user something.
// Dialogs reach them through this interface, so that tests can answer them.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace win {

struct OpenFileRequest {
    std::u16string defaultExtension;  // without the dot, e.g. u"exe"
    std::u16string filter;  // "description|pattern|...|" as in u"exe Files (*.exe)|*.exe||"
    DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A message box owned by owner, with an OK button only and no icon.
    virtual void Message(HWND owner, const std::u16string& text) = 0;
    // A file-open dialog; true and the chosen full path when the user confirmed.
    virtual bool OpenFile(HWND owner, const OpenFileRequest& request, std::u16string& path) = 0;
    // A file-save dialog (which asks before an existing file is chosen); true and the chosen
    // full path when the user confirmed.
    virtual bool SaveFile(HWND owner, const OpenFileRequest& request, std::u16string& path) = 0;
    // A question box owned by owner with the buttons Yes and No (No the default, no icon);
    // true for Yes.
    virtual bool AskYesNo(HWND owner, const std::u16string& text) = 0;
};

// The real thing: MessageBoxW with the tool's name as caption, GetOpenFileNameW and
// GetSaveFileNameW.
class SystemPrompts : public UserPrompts {
public:
    explicit SystemPrompts(std::u16string caption) : caption_(std::move(caption)) {}
    void Message(HWND owner, const std::u16string& text) override;
    bool OpenFile(HWND owner, const OpenFileRequest& request, std::u16string& path) override;
    bool SaveFile(HWND owner, const OpenFileRequest& request, std::u16string& path) override;
    bool AskYesNo(HWND owner, const std::u16string& text) override;

private:
    std::u16string caption_;
};

}  // namespace win
