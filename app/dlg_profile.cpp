// The main dialog's customization profile: loading it into the fields and saving it.
#include "app/install_layout.h"
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "app/write_problem.h"
#include "platform/files.h"

namespace {

const char16_t kSection[] = u"CUSTOMPAR";
const char16_t kFilePassword[] = u"FILEPASSWORD";
const char16_t kUseFilePassword[] = u"USINGFILEPASSWORD";
const char16_t kCompany[] = u"COMPANY";
const char16_t kPhone[] = u"PHONE";
const char16_t kUrl[] = u"URL";

}  // namespace

std::u16string CVedArodDlg::ProfileFilePath() {
    return layout::ProfilePath(m_strInstallDir, m_nEdition,
                               platform::IsDirectory(m_strInstallDir + u"\\config"));
}

bool CVedArodDlg::ReadCustomProfile(CustomProfile& profile) {
    CIniFile& ini = GetIniFile(ProfileFilePath());
    profile.filePassword = ini.GetString(kSection, kFilePassword, u"");
    profile.useFilePassword = ini.GetInt(kSection, kUseFilePassword, 0);
    profile.company = ini.GetString(kSection, kCompany, u"");
    profile.phone = ini.GetString(kSection, kPhone, u"");
    profile.url = ini.GetString(kSection, kUrl, u"");
    return true;
}

void CVedArodDlg::LoadCustomProfile() {
    CustomProfile profile;
    ReadCustomProfile(profile);
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
    if (!UpdateData(true)) {
        Message(u"生成配置文件失败");
        return;
    }
    CustomProfile profile;
    if (CheckBox(IDC_CHECK_FILE_PASSWORD).IsChecked()) {
        if (m_strFilePassword.size() < 6 || m_strFilePassword.size() > 8) {
            Message(u"文件读写密码长度为6至8个字符");
            SetFocus(Item(IDC_EDIT_FILE_PASSWORD));
            return;
        }
        profile.useFilePassword = 1;
        profile.filePassword = m_strFilePassword;
    }
    profile.company = m_strCompany;
    profile.phone = m_strPhone;
    profile.url = m_strUrl;
    WriteCustomProfile(profile);
}

bool CVedArodDlg::WriteCustomProfile(const CustomProfile& profile) {
    UpdateData(true);
    CIniFile& ini = GetIniFile(ProfileFilePath());
    if (m_nEdition != kEdition62) {
        ini.SetString(kSection, kFilePassword, profile.filePassword);
        ini.SetInt(kSection, kUseFilePassword, profile.useFilePassword);
    }
    ini.SetString(kSection, kCompany, profile.company);
    ini.SetString(kSection, kPhone, profile.phone);
    ini.SetString(kSection, kUrl, profile.url);
    Message(ini.Save() ? u"保存成功"
                       : app::WithProblem(u"生成配置文件失败", ini.lastSave, ini.path));
    return true;
}
