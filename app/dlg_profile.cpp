// The main dialog's customization profile: loading it into the fields and saving it.
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "app/write_problem.h"
#include "platform/files.h"
#include "win/wait_cursor.h"

namespace {

const char16_t kSection[] = u"CUSTOMPAR";
const char16_t kFilePassword[] = u"FILEPASSWORD";
const char16_t kUseFilePassword[] = u"USINGFILEPASSWORD";
const char16_t kCompany[] = u"COMPANY";
const char16_t kPhone[] = u"PHONE";
const char16_t kUrl[] = u"URL";

// A profile field, the control it is typed in and the label the dialog shows for it.
struct ProfileField {
    const std::u16string& value;
    int control;
    const char16_t* label;
};

}  // namespace

std::u16string CVedArodDlg::ProfileFilePath() {
    const bool configIsFolder =
        platform::IsDirectory(install::Join(m_strInstallDir, install::kConfigFolder));
    return install::Join(m_strInstallDir, install::ProfileFile(m_nEdition, configIsFolder));
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
    UpdateData(true);
    CustomProfile profile;
    // The 6.2 view hides the password controls, and the save keeps the stored password.
    if (!install::IsV62(m_nEdition) && CheckBox(IDC_CHECK_FILE_PASSWORD).IsChecked()) {
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
    const bool withPassword = !install::IsV62(m_nEdition);
    const ProfileField fields[] = {
        {profile.filePassword, IDC_EDIT_FILE_PASSWORD, u"文件读写密码"},
        {profile.company, IDC_EDIT_COMPANY, u"公司名称"},
        {profile.phone, IDC_EDIT_PHONE, u"电话"},
        {profile.url, IDC_EDIT_URL, u"网址"},
    };
    for (const ProfileField& field : fields) {
        if ((withPassword || field.control != IDC_EDIT_FILE_PASSWORD) &&
            !ini.CanHold(field.value)) {
            Message(std::u16string(u"“") + field.label +
                    u"”中有配置文件的编码不能保存的字符，请修改后再保存");
            SetFocus(Item(field.control));
            return false;
        }
    }
    if (withPassword) {
        ini.SetString(kSection, kFilePassword, profile.filePassword);
        ini.SetInt(kSection, kUseFilePassword, profile.useFilePassword);
    }
    ini.SetString(kSection, kCompany, profile.company);
    ini.SetString(kSection, kPhone, profile.phone);
    ini.SetString(kSection, kUrl, profile.url);
    bool saved = false;
    {
        win::WaitCursor wait;  // a large profile takes seconds
        saved = KeepOriginal(ini.path) && ini.Save();
    }
    Message(saved ? u"保存成功" : app::WithProblem(u"生成配置文件失败", ini.lastSave, ini.path));
    return true;
}
