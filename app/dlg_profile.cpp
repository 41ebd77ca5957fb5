// The main dialog's customization profile: loading it into the fields and saving it.
#include "commands/commands.h"
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "win/wait_cursor.h"

std::u16string CVedArodDlg::ProfileFilePath() {
    return app::ProfileFilePath(m_strInstallDir, Edition());
}

void CVedArodDlg::LoadCustomProfile() {
    const CustomProfile profile = app::ReadProfile(GetIniFile(ProfileFilePath()));
    m_strFilePassword = profile.filePassword;
    m_strCompany = profile.company;
    m_strPhone = profile.phone;
    m_strUrl = profile.url;
    EnableItem(IDC_EDIT_FILE_PASSWORD, profile.useFilePassword != 0);
    UpdateData(false);
    // After the exchange, which would show the former state of the member.
    CheckBox(IDC_CHECK_FILE_PASSWORD)
        .SetCheck(profile.useFilePassword != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void CVedArodDlg::OnBnClickedSaveConfig() {
    UpdateData(true);
    const bool usePassword = CheckBox(IDC_CHECK_FILE_PASSWORD).IsChecked();
    if (auto problem = app::CheckPasswordLength(Edition(), usePassword, m_strFilePassword)) {
        Message(problem->message);
        SetFocus(Item(IDC_EDIT_FILE_PASSWORD));
        return;
    }
    WriteCustomProfile(install::ProfileToSave(Edition(), usePassword, m_strFilePassword,
                                              m_strCompany, m_strPhone, m_strUrl));
}

bool CVedArodDlg::WriteCustomProfile(const CustomProfile& profile) {
    UpdateData(true);
    CIniFile& ini = GetIniFile(ProfileFilePath());
    if (auto problem = app::CheckProfileText(ini, Edition(), profile)) {
        static const int kControls[] = {IDC_EDIT_FILE_PASSWORD, IDC_EDIT_COMPANY, IDC_EDIT_PHONE,
                                        IDC_EDIT_URL};
        Message(problem->message);
        SetFocus(Item(kControls[static_cast<int>(problem->field)]));
        return false;
    }
    win::WaitCursor wait;  // a large profile takes seconds
    app::SaveProfile(ini, m_strInstallDir, Edition(), profile, *this);
    return true;
}
