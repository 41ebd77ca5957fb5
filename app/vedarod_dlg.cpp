#include "app/vedarod_dlg.h"

#include <commctrl.h>

#include "app/about_dlg.h"
#include "app/resource.h"
#include "messages/messages.h"

namespace {

// Controls disabled by the dialog's initialisation, in this order.
const int kDisabledAtStart[] = {IDC_EDIT_FILE_PASSWORD,
                                IDC_CHECK_ICON,
                                IDC_BTN_SELECT_ICON,
                                IDC_CHECK_STARTUP_IMAGE,
                                IDC_BTN_SELECT_STARTUP_IMAGE,
                                IDC_CHECK_AD_IMAGE,
                                IDC_BTN_SELECT_AD_IMAGE,
                                IDC_EDIT_CAPTION_TEXT,
                                IDC_EDIT_APP_NAME,
                                IDC_EDIT_NEW_DOC_NAME,
                                IDC_BTN_MODIFY_APP,
                                IDC_CHECK_FILE_PASSWORD,
                                IDC_EDIT_COMPANY,
                                IDC_EDIT_PHONE,
                                IDC_EDIT_URL,
                                IDC_BTN_SAVE_CONFIG,
                                IDC_COMBO_LANGUAGE,
                                IDC_EDIT_SEARCH,
                                IDC_BTN_SEARCH,
                                IDC_BTN_SAVE_ALL_LANGS,
                                IDC_BTN_SAVE_CURRENT_LANG};

// The advertisement picture group, shown only for the 6.2 edition.
const int kAdImageGroup[] = {IDC_GROUP_AD_IMAGE, IDC_CHECK_AD_IMAGE, IDC_BTN_SELECT_AD_IMAGE,
                             IDC_EDIT_AD_IMAGE, IDC_STATIC_AD_HINT};

}  // namespace

CVedArodDlg::CVedArodDlg(win::UserPrompts& prompts, HINSTANCE instance)
    : win::Dialog(IDD_VEDAROD_DIALOG, instance), prompts_(prompts) {
    m_hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
}

// Ending through "退出" does not pass through OnClose: the cached profiles are dropped
// without being written back.
CVedArodDlg::~CVedArodDlg() {
    DiscardIniFiles(m_mapIniFiles);
}

CIniFile& CVedArodDlg::GetIniFile(const std::u16string& path) {
    CIniFile& file = GetCachedIniFile(m_mapIniFiles, path);
    if (file.writeRoot.empty()) {
        file.writeRoot = m_strInstallDir;  // every profile lies in the install folder
    }
    return file;
}

void CVedArodDlg::DoDataExchange(win::DataExchange& dx) {
    dx.Text(IDC_EDIT_EXE_PATH, m_strExePath);
    dx.Text(IDC_EDIT_ICON_PATH, m_strIconPath);
    dx.Text(IDC_EDIT_APP_NAME, m_strAppName);
    dx.Text(IDC_EDIT_STARTUP_IMAGE, m_strStartupImagePath);
    dx.Text(IDC_EDIT_AD_IMAGE, m_strAdImagePath);
    dx.Text(IDC_EDIT_FILE_PASSWORD, m_strFilePassword);
    dx.Text(IDC_EDIT_CAPTION_TEXT, m_strCaptionText);
    dx.Check(IDC_CHECK_FILE_PASSWORD, m_bUseFilePassword);
    dx.Control(IDC_LIST_LANG, m_listLang);
    dx.Control(IDC_COMBO_LANGUAGE, m_comboLang);
    dx.Control(IDC_EDIT_CELL, m_editCell);
    dx.Text(IDC_EDIT_COMPANY, m_strCompany);
    dx.Text(IDC_EDIT_PHONE, m_strPhone);
    dx.Text(IDC_EDIT_URL, m_strUrl);
    dx.Text(IDC_EDIT_NEW_DOC_NAME, m_strNewDocName);
    dx.Radio(IDC_RADIO_SIMPLE, m_nEdition);
}

bool CVedArodDlg::HandleMessage(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    using D = CVedArodDlg;
    static const win::MessageEntry<D> table[] = {
        win::OnMessage<D>(WM_SYSCOMMAND, &D::OnSysCommand),
        win::OnMessage<D>(WM_PAINT, &D::OnPaint),
        win::OnMessage<D>(WM_QUERYDRAGICON, &D::OnQueryDragIcon),
        win::OnCommand<D>(IDC_BTN_SELECT_EXE, BN_CLICKED, &D::OnBnClickedSelectExe),
        win::OnCommand<D>(IDC_BTN_SELECT_ICON, BN_CLICKED, &D::OnBnClickedSelectIcon),
        win::OnCommand<D>(IDC_BTN_MODIFY_APP, BN_CLICKED, &D::OnBnClickedModifyApp),
        win::OnCommand<D>(IDC_BTN_SELECT_STARTUP_IMAGE, BN_CLICKED,
                          &D::OnBnClickedSelectStartupImage),
        win::OnMessage<D>(WM_CLOSE, &D::OnClose),
        win::OnCommand<D>(IDC_BTN_SAVE_CONFIG, BN_CLICKED, &D::OnBnClickedSaveConfig),
        win::OnCommand<D>(IDC_COMBO_LANGUAGE, CBN_SELCHANGE, &D::OnSelchangeLanguage),
        win::OnNotify<D>(IDC_LIST_LANG, NM_DBLCLK, &D::OnDblclkLangList),
        win::OnNotify<D>(IDC_LIST_LANG, NM_KILLFOCUS, &D::OnKillfocusLangList),
        win::OnCommand<D>(IDC_BTN_SEARCH, BN_CLICKED, &D::OnSearch),
        win::OnCommand<D>(IDC_BTN_SAVE_CURRENT_LANG, BN_CLICKED, &D::OnSaveCurrentLanguage),
        win::OnCommand<D>(IDC_BTN_SAVE_ALL_LANGS, BN_CLICKED, &D::OnSaveAllLanguages),
        win::OnCommand<D>(IDC_CHECK_ICON, BN_CLICKED, &D::OnBnClickedEnableIcon),
        win::OnCommand<D>(IDC_CHECK_STARTUP_IMAGE, BN_CLICKED, &D::OnBnClickedEnableStartupImage),
        win::OnCommand<D>(IDC_CHECK_FILE_PASSWORD, BN_CLICKED, &D::OnBnClickedEnableFilePassword),
        win::OnNotify<D>(IDC_LIST_LANG, NM_CLICK, &D::OnClickLangList),
        win::OnMessage<D>(WM_CTLCOLORSTATIC, &D::OnCtlColor),
        win::OnCommand<D>(IDC_EDIT_CELL, EN_KILLFOCUS, &D::OnKillfocusCellEditor),
        win::OnCommand<D>(IDC_RADIO_62, BN_CLICKED, &D::OnBnClickedEdition62),
        win::OnCommand<D>(IDC_RADIO_STANDARD, BN_CLICKED, &D::OnBnClickedEditionSimpleStandard),
        win::OnCommand<D>(IDC_RADIO_SIMPLE, BN_CLICKED, &D::OnBnClickedEditionSimpleStandard),
        win::OnCommand<D>(IDC_CHECK_AD_IMAGE, BN_CLICKED, &D::OnBnClickedEnableAdImage),
        win::OnCommand<D>(IDC_BTN_SELECT_AD_IMAGE, BN_CLICKED, &D::OnBnClickedSelectAdImage),
        // The list has owner data: it asks for the texts of the rows it shows.
        win::OnNotify<D>(IDC_LIST_LANG, LVN_GETDISPINFOW, &D::OnGetDispInfoLangList),
        win::OnNotify<D>(IDC_LIST_LANG, LVN_ODFINDITEMW, &D::OnFindItemLangList),
    };
    return win::DispatchTable(*this, table, message, w, l, result);
}

BOOL CVedArodDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();

    const HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
    if (systemMenu != nullptr) {
        const wchar_t* text = nullptr;
        const int length =
            LoadStringW(Instance(), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0) {
            const std::wstring about(text, static_cast<size_t>(length));
            AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
        AddRestoreMenuItem(systemMenu);
        AddBrandMenuItems(systemMenu);
    }

    SendMsg(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMsg(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_nEditRow = -1;
    m_nEditCol = 0;

    for (int id : kDisabledAtStart) {
        EnableItem(id, false);
    }
    OnBnClickedEditionSimpleStandard();
    // The caption appears five times in the document-template string, whose count is 16 bits
    // wide: 5 * 13098 + 44 fixed code units stay within 65,535.
    SendDlgItemMessageW(hwnd_, IDC_EDIT_CAPTION_TEXT, EM_SETLIMITTEXT, 13098, 0);
    SendDlgItemMessageW(hwnd_, IDC_EDIT_NEW_DOC_NAME, EM_SETLIMITTEXT, 65535, 0);
    m_editCell.Show(false);
    InitLangListColumns();
    return TRUE;
}

bool CVedArodDlg::PreTranslateMessage(MSG& msg) {
    // Enter and Escape never reach the dialog's keyboard handling, so neither closes it nor
    // presses a button.
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        if (msg.wParam == VK_RETURN && GetFocus() == Item(IDC_EDIT_SEARCH)) {
            OnSearch();
        }
        return true;
    }
    return win::Dialog::PreTranslateMessage(msg);
}

bool CVedArodDlg::OnSysCommand(WPARAM w, LPARAM, LRESULT& result) {
    switch (w & 0xFFF0) {
        case IDM_RESTORE:
            OnRestoreOriginals();
            result = 0;
            return true;
        case IDM_APPLY_BRAND:
            OnApplyBrandFile();
            result = 0;
            return true;
        case IDM_SAVE_BRAND:
            OnSaveBrandFile();
            result = 0;
            return true;
        default:
            break;
    }
    if ((w & 0xFFF0) == IDM_FIND_REPLACE) {
        OnFindReplace();
        result = 0;
        return true;
    }
    if ((w & 0xFFF0) != IDM_ABOUTBOX) {
        return false;
    }
    CAboutDlg about(Instance());
    about.DoModal(hwnd_);
    result = 0;
    return true;
}

bool CVedArodDlg::OnPaint(WPARAM, LPARAM, LRESULT& result) {
    if (!IsIconic(hwnd_)) {
        return false;
    }
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd_, &ps);
    SendMsg(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(hwnd_, &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(hwnd_, &ps);
    result = 0;
    return true;
}

bool CVedArodDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result) {
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}

bool CVedArodDlg::OnCtlColor(WPARAM w, LPARAM l, LRESULT& result) {
    const HWND control = reinterpret_cast<HWND>(l);
    result = DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, w, l);
    if (GetDlgCtrlID(control) == IDC_STATIC_WARNING) {
        SetTextColor(reinterpret_cast<HDC>(w), RGB(255, 0, 0));
    }
    return true;
}

void CVedArodDlg::OnBnClickedSelectIcon() {
    if (PickFile(u"ico", u"ico Files (*.ico)|*.ico||", m_strIconPath)) {
        SetItemText(IDC_EDIT_ICON_PATH, m_strIconPath);
    }
}

void CVedArodDlg::OnBnClickedSelectStartupImage() {
    if (PickFile(u"bmp", u"bmp Files (*.bmp)|*.bmp||", m_strStartupImagePath)) {
        SetItemText(IDC_EDIT_STARTUP_IMAGE, m_strStartupImagePath);
    }
}

void CVedArodDlg::OnBnClickedSelectAdImage() {
    if (PickFile(u"bmp", u"bmp Files (*.bmp)|*.bmp||", m_strAdImagePath)) {
        SetItemText(IDC_EDIT_AD_IMAGE, m_strAdImagePath);
    }
}

bool CVedArodDlg::PickFile(const char16_t* defaultExtension, const char16_t* filter,
                           std::u16string& path) {
    win::OpenFileRequest request;
    request.defaultExtension = defaultExtension;
    request.filter = filter;
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    std::u16string chosen;
    if (!prompts_.OpenFile(hwnd_, request, chosen)) {
        return false;
    }
    path = chosen;
    return true;
}

void CVedArodDlg::OnBnClickedEdition62() {
    ShowItem(IDC_CHECK_FILE_PASSWORD, false);
    ShowItem(IDC_EDIT_FILE_PASSWORD, false);
    for (int id : kAdImageGroup) {
        ShowItem(id, true);
    }
}

void CVedArodDlg::OnBnClickedEditionSimpleStandard() {
    // Unchecked without a click notification: 1012 and 1017 keep their enabled state.
    CheckBox(IDC_CHECK_AD_IMAGE).SetCheck(BST_UNCHECKED);
    ShowItem(IDC_CHECK_FILE_PASSWORD, true);
    ShowItem(IDC_EDIT_FILE_PASSWORD, true);
    for (int id : kAdImageGroup) {
        ShowItem(id, false);
    }
}

void CVedArodDlg::EnableByCheck(int checkId, std::initializer_list<int> dependents) {
    const bool checked = CheckBox(checkId).IsChecked();
    for (int id : dependents) {
        EnableItem(id, checked);
    }
}

void CVedArodDlg::OnBnClickedEnableIcon() {
    EnableByCheck(IDC_CHECK_ICON, {IDC_EDIT_ICON_PATH, IDC_BTN_SELECT_ICON});
}

void CVedArodDlg::OnBnClickedEnableStartupImage() {
    EnableByCheck(IDC_CHECK_STARTUP_IMAGE, {IDC_EDIT_STARTUP_IMAGE, IDC_BTN_SELECT_STARTUP_IMAGE});
}

void CVedArodDlg::OnBnClickedEnableFilePassword() {
    EnableByCheck(IDC_CHECK_FILE_PASSWORD, {IDC_EDIT_FILE_PASSWORD});
}

void CVedArodDlg::OnBnClickedEnableAdImage() {
    EnableByCheck(IDC_CHECK_AD_IMAGE, {IDC_EDIT_AD_IMAGE, IDC_BTN_SELECT_AD_IMAGE});
}

bool CVedArodDlg::MayEndWithUnsavedEdits() {
    CommitCellEdit();  // an edit still open counts as made
    return !m_langTable.HasUnsavedEdits() || prompts_.AskYesNo(hwnd_, msg::kUnsavedEditsQuestion);
}

void CVedArodDlg::OnOK() {
    if (MayEndWithUnsavedEdits()) {
        win::Dialog::OnOK();
    }
}

bool CVedArodDlg::OnClose(WPARAM, LPARAM, LRESULT& result) {
    if (!MayEndWithUnsavedEdits()) {
        result = 0;
        return true;  // the window stays as it is
    }
    ClosingHold held = KeepCachedProfiles();
    const std::vector<std::u16string> failed = ReleaseIniFiles(m_mapIniFiles);
    held.Settle();
    if (!failed.empty()) {
        std::u16string list;
        for (const std::u16string& path : failed) {
            list += u"\r\n" + path;
        }
        Message(msg::ProfilesNotWritten(list));
    }
    // Not handled: the default processing ends the dialog as cancelled.
    return false;
}
