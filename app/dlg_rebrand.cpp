// The rebrand command behind "修改应用程序": the dialog's fields and check boxes are the
// command's inputs; the checks and the steps are app::CheckRebrand and app::RunRebrand.
#include <string>

#include "commands/commands.h"
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "install/install_layout.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "rebrand/app_name.h"
#include "win/wait_cursor.h"

namespace {

int FocusOf(app::RebrandField field) {
    switch (field) {
        case app::RebrandField::kExePath:
            return IDC_EDIT_EXE_PATH;
        case app::RebrandField::kIcon:
            return IDC_EDIT_ICON_PATH;
        case app::RebrandField::kStartupImage:
            return IDC_EDIT_STARTUP_IMAGE;
        case app::RebrandField::kAdImage:
            return IDC_EDIT_AD_IMAGE;
        case app::RebrandField::kAppName:
            return IDC_EDIT_APP_NAME;
        case app::RebrandField::kNone:
            break;
    }
    return 0;
}

}  // namespace

void CVedArodDlg::OnBnClickedModifyApp() {
    win::WaitCursor wait;
    UpdateData(true);
    app::RebrandRequest request;
    request.exePath = m_strExePath;
    request.exeFileName = m_strExeFileName;
    request.installDir = m_strInstallDir;
    request.appName = m_strAppName;
    request.edition = install::EditionFromIndex(m_nEdition);
    request.iconOn = CheckBox(IDC_CHECK_ICON).IsChecked();
    request.iconPath = m_strIconPath;
    request.startupOn = CheckBox(IDC_CHECK_STARTUP_IMAGE).IsChecked();
    request.startupImagePath = m_strStartupImagePath;
    request.adOn = CheckBox(IDC_CHECK_AD_IMAGE).IsChecked();
    request.adImagePath = m_strAdImagePath;
    request.caption = m_strCaptionText;
    request.newDocName = m_strNewDocName;

    const std::optional<app::InputProblem> problem = app::CheckRebrand(request);
    // The checked fields are trimmed in the fields themselves.
    m_strExePath = request.exePath;
    m_strIconPath = request.iconPath;
    m_strStartupImagePath = request.startupImagePath;
    m_strAdImagePath = request.adImagePath;
    m_strAppName = request.appName;
    if (problem) {
        if (problem->field == app::RebrandField::kNone) {
            Message(problem->message);
        } else {
            FailInput(problem->message, FocusOf(problem->field));
        }
        return;
    }
    app::RunRebrand(request, *this);
    FollowRename(request);
}

void CVedArodDlg::FollowRename(const app::RebrandRequest& request) {
    if (request.appName.empty() || request.appName == request.exeFileName) {
        return;
    }
    // The disk tells whether the rename happened: the new name there, the old one gone (or
    // the same file, when only the letter case changed).
    const std::u16string newName = rebrand::WithExeExtension(request.appName);
    const std::u16string newPath = install::Join(m_strInstallDir, newName);
    const std::u16string oldPath = install::Join(m_strInstallDir, request.exeFileName);
    if (!platform::PathExists(newPath) ||
        (platform::PathExists(oldPath) && !platform::SameFile(oldPath, newPath))) {
        return;
    }
    m_strExePath = newPath;
    m_strExeFileName = newName;
    m_strAppName = newName;
    UpdateData(false);
}

void CVedArodDlg::FailInput(const std::u16string& text, int focusId) {
    Message(text);
    SetFocus(Item(focusId));
}
