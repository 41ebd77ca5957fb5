// Selecting the target application and loading what the dialog shows of it.
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "ini/ini_text.h"
#include "lang/lang_table.h"
#include "platform/files.h"
#include "win/wait_cursor.h"
#include "messages/messages.h"

namespace {

// Controls enabled once a target application has been selected, in this order.
const int kEnabledBySelection[] = {
    IDC_CHECK_ICON,    IDC_CHECK_STARTUP_IMAGE, IDC_CHECK_AD_IMAGE, IDC_EDIT_CAPTION_TEXT,
    IDC_EDIT_APP_NAME, IDC_EDIT_NEW_DOC_NAME,   IDC_BTN_MODIFY_APP, IDC_CHECK_FILE_PASSWORD,
    IDC_EDIT_COMPANY,  IDC_EDIT_PHONE,          IDC_EDIT_URL,       IDC_BTN_SAVE_CONFIG};

// The language controls, enabled when the target has a Lang folder.
const int kLanguageControls[] = {IDC_COMBO_LANGUAGE, IDC_EDIT_SEARCH, IDC_BTN_SEARCH,
                                 IDC_BTN_SAVE_ALL_LANGS, IDC_BTN_SAVE_CURRENT_LANG};

}  // namespace

void CVedArodDlg::OnBnClickedSelectExe() {
    UpdateData(true);
    std::u16string path;
    if (!PickFile(u"exe", u"exe Files (*.exe)|*.exe||", path)) {
        return;
    }
    win::WaitCursor wait;
    m_strExePath = path;
    m_strAppName = install::FileNameOf(path);
    m_strExeFileName = m_strAppName;
    m_strPickedExeName = m_strAppName;
    m_strInstallDir = install::FolderOf(path);
    UpdateData(false);
    LoadTargetContent();
    for (int id : kEnabledBySelection) {
        EnableItem(id, true);
    }
    UpdateRestoreMenuItem();
    EnableBrandMenuItems(true);
    // Slot 0 is shown: the other languages are read meanwhile, not before.
    m_langTable.LoadRestInBackground();
}

void CVedArodDlg::LoadTargetContent() {
    if (platform::IsDirectory(LangFolder())) {
        // Read through the dialog's cache, where every profile has its write root.
        GetIniFile(install::Join(m_strInstallDir, install::kSystemConfig));
        m_comboLang.ResetContent();
        std::vector<std::u16string> names;
        SplitString(msg::kLanguageNames, u"|", names);
        for (const auto& name : names) {
            m_comboLang.AddString(name);
        }
        // The list shows texts of the table: it lets go of them before they are replaced.
        m_listLang.Clear();
        m_editedEntries.clear();
        app::LoadInstallLanguages(m_langTable, m_mapIniFiles, m_strInstallDir);
        m_comboLang.SetCurSel(0);
        FillLangList(0, u"");
        for (int id : kLanguageControls) {
            EnableItem(id, true);
        }
    } else {
        // The list keeps showing what it held, but nothing of it is this target's.
        m_editedEntries.clear();
        for (int id : kLanguageControls) {
            EnableItem(id, false);
        }
    }
    LoadCustomProfile();
}
