// The main dialog: the tool's whole state and every handler of its window.
#pragma once

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "commands/brand_file.h"
#include "commands/commands.h"
#include "install/custom_profile.h"
#include "install/install_lock.h"
#include "install/install_layout.h"
#include "ini/ini_cache.h"
#include "lang/lang_table.h"
#include "app/custom_list_ctrl.h"
#include "app/dlg_find_replace.h"
#include "win/button.h"
#include "win/combo_box.h"
#include "win/dialog.h"
#include "win/edit.h"
#include "win/list_view.h"
#include "win/user_prompts.h"
#include "messages/messages.h"

class CVedArodDlg : public win::Dialog, private app::CommandHost {
public:
    CVedArodDlg(win::UserPrompts& prompts, HINSTANCE instance);
    ~CVedArodDlg() override;

    bool PreTranslateMessage(MSG& msg) override;

    // The profile file at path from the cache, loaded on first use; never null.
    CIniFile& GetIniFile(const std::u16string& path);

    // Dialog members, exchanged with the controls by DoDataExchange.
    HICON m_hIcon = nullptr;
    std::u16string m_strExePath;           // 1002
    std::u16string m_strExeFileName;       // file name as selected; never edited
    // The file name the user picked, kept through renames: a brand file written from the
    // dialog renames an install's executable of that name.
    std::u16string m_strPickedExeName;
    std::u16string m_strAppName;           // 1009
    std::u16string m_strIconPath;          // 1004
    std::u16string m_strInstallDir;        // folder of the executable, no trailing backslash
    std::u16string m_strStartupImagePath;  // 1006
    std::u16string m_strAdImagePath;       // 1012
    IniFileCache m_mapIniFiles;            // folded full path -> profile file, until OnClose
    std::u16string m_strFilePassword;      // 1011
    std::u16string m_strCaptionText;       // 1008
    int m_bUseFilePassword = 0;            // 1010
    CLangTable m_langTable;                // the sixteen language slots of the target
    CCustomListCtrl m_listLang;            // 1016, shows texts of m_langTable
    win::ComboBox m_comboLang;             // 1015
    win::Edit m_editCell;                  // 1027
    int m_nEditRow = -1;
    int m_nEditCol = 0;
    int m_nEditLang = 0;
    std::u16string m_strEditKey;
    std::u16string m_strEditShown;  // the editor's text as opened: commit only when it differs
    int m_nShownLang = 0;
    std::u16string m_strCompany;     // 1031
    std::u16string m_strPhone;       // 1032
    std::u16string m_strUrl;         // 1033
    std::u16string m_strNewDocName;  // 1037
    int m_nEdition = 0;              // radio group 1039: its index (EditionFromIndex)
    // Slot and ID of each language entry edited (in place or by a replace) since the target
    // was loaded, saved or not: what a brand file written from the dialog carries.
    std::set<std::pair<int, std::u16string>> m_editedEntries;
    install::Edition Edition() const { return install::EditionFromIndex(m_nEdition); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(win::DataExchange& dx) override;
    bool HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) override;

private:
    // Window and system messages.
    bool OnSysCommand(WPARAM w, LPARAM l, LRESULT& result);
    bool OnPaint(WPARAM w, LPARAM l, LRESULT& result);
    bool OnQueryDragIcon(WPARAM w, LPARAM l, LRESULT& result);
    bool OnCtlColor(WPARAM w, LPARAM l, LRESULT& result);
    // Close box, system menu, Alt+F4: releases the profile cache, then lets the default
    // processing end the dialog as cancelled. "退出" does not come here.
    bool OnClose(WPARAM w, LPARAM l, LRESULT& result);
    // "退出": asks first when language edits are unsaved, then ends the dialog.
    void OnOK() override;
    // False when language entries were edited and not saved and the user keeps the window.
    bool MayEndWithUnsavedEdits();

    // Target selection.
    void OnBnClickedSelectExe();
    void LoadTargetContent();

    // The rebrand command: its inputs from the fields and the check boxes.
    void OnBnClickedModifyApp();
    // After a rename: the path field and the selected file name are the renamed executable's.
    void FollowRename(const app::RebrandRequest& request);
    void FailInput(const std::u16string& text, int focusId);

    // The customization profile.
    std::u16string ProfileFilePath();
    void LoadCustomProfile();
    void OnBnClickedSaveConfig();
    // Checks the characters, then saves; false when a check refused the save.
    bool WriteCustomProfile(const CustomProfile& profile);

    // Pickers of the replacement pictures.
    void OnBnClickedSelectIcon();
    void OnBnClickedSelectStartupImage();
    void OnBnClickedSelectAdImage();
    bool PickFile(const char16_t* defaultExtension, const char16_t* filter, std::u16string& path);

    // Edition views and the enable check boxes.
    void OnBnClickedEdition62();
    void OnBnClickedEditionSimpleStandard();
    void OnBnClickedEnableIcon();
    void OnBnClickedEnableStartupImage();
    void OnBnClickedEnableFilePassword();
    void OnBnClickedEnableAdImage();
    void EnableByCheck(int checkId, std::initializer_list<int> dependents);

    // The language list, its search and the in-place editor.
    void InitLangListColumns();
    void FillLangList(int slot, std::u16string searchText);
    void OnSelchangeLanguage();
    void OnSearch();
    LRESULT OnDblclkLangList(const NMHDR& header);
    LRESULT OnClickLangList(const NMHDR& header);
    LRESULT OnKillfocusLangList(const NMHDR& header);
    LRESULT OnGetDispInfoLangList(const NMHDR& header);
    LRESULT OnFindItemLangList(const NMHDR& header);
    void OnKillfocusCellEditor();
    void CommitCellEdit();
    bool EditInProgress() const;
    void HideCellEditor();

    // "查找和替换" (system menu): the find dialog, modal over this one, and its replace.
    void OnFindReplace();
    std::u16string ReplaceInTexts(const CFindReplaceDlg::Request& request);

    // Saving the language files.
    void OnSaveCurrentLanguage();
    void OnSaveAllLanguages();

    // The originals in the install's backup, and putting them back (system menu).
    // Before the cached profiles are written back: holds each changed one's install and
    // keeps its original; one that cannot be kept or whose install another program holds
    // is not written back, and the user is told. Unchanged profiles are left alone.
    struct ClosingHold {
        std::vector<std::unique_ptr<install::InstallLock>> locks;
        std::vector<std::pair<std::u16string, std::u16string>> kept;  // folder, relative
        // After the write-back: takes back the entries of profiles that were not written.
        void Settle();
    };
    ClosingHold KeepCachedProfiles();
    void AddRestoreMenuItem(HMENU systemMenu);
    // The brand entries of the system menu (apply, save as, find and replace): grayed until
    // a target is selected.
    void AddBrandMenuItems(HMENU systemMenu);
    void EnableBrandMenuItems(bool enabled);
    // Drops the cached profiles of the install unwritten, so that they do not write
    // themselves back over what a restore or a brand puts there.
    void DropCachedProfiles();
    // Shows the target anew, as after a selection, with the executable at exePath.
    void ReloadTarget(const std::u16string& exePath);

    // Brand files (system menu): applies one as the console program does, after a question
    // listing its changes; saves the dialog's fields and edited language entries as one.
    void OnApplyBrandFile();
    void OnSaveBrandFile();
    // The brand that the dialog's fields and edited entries describe (its buttons' changes).
    brand::BrandFile BrandFromFields();
    void UpdateRestoreMenuItem();
    void OnRestoreOriginals();
    std::u16string LangFolder() const {
        return install::Join(m_strInstallDir, install::kLangFolder);
    }

    win::Button CheckBox(int id) const { return win::Button(Item(id)); }
    // A message box; when originals could not be kept since the last one, it says why.
    void Message(const std::u16string& text) { Tell(text); }
    void Show(const std::u16string& text) override { prompts_.Message(hwnd_, text); }
    void OriginalKept() override { UpdateRestoreMenuItem(); }
    // Asks Yes/No whether to replace a file that another program changed.
    bool ConfirmOverwrite(const std::u16string& path) override {
        return prompts_.AskYesNo(hwnd_, msg::ChangedOnDiskQuestion(path));
    }

    win::UserPrompts& prompts_;
    bool committing_ = false;  // CommitCellEdit is running (hiding the editor moves the focus)
};
