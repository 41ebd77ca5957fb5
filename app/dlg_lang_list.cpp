// The language list: filling and searching it, switching languages, the in-place editor,
// and saving the language files.
#include <string>
#include <vector>

#include "commands/commands.h"
#include "app/resource.h"
#include "app/vedarod_dlg.h"
#include "text/blanks.h"
#include "lang/find_replace.h"
#include "lang/lang_table.h"
#include "platform/files.h"
#include "win/wait_cursor.h"
#include "messages/brand_messages.h"
#include "messages/messages.h"

void CVedArodDlg::InitLangListColumns() {
    const LONG_PTR style = GetWindowLongPtrW(m_listLang, GWL_STYLE);
    SetWindowLongPtrW(m_listLang, GWL_STYLE, (style & ~LVS_SMALLICON) | LVS_REPORT);
    m_listLang.SetExtendedStyle(m_listLang.GetExtendedStyle() | LVS_EX_GRIDLINES |
                                LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(hwnd_, &client);
    m_listLang.InsertColumn(0, u"ID", LVCFMT_LEFT, 0);
    m_listLang.InsertColumn(1, msg::kTextColumn, LVCFMT_LEFT, client.right - client.left - 20);
    m_listLang.ForwardChildCommands();
}

void CVedArodDlg::FillLangList(int slot, std::u16string searchText) {
    if (slot < 0 || slot >= CLangTable::kSlotCount) {
        return;
    }
    // Hidden while its rows change: Wine's list control spends some 20 ms on WM_SETREDRAW and
    // on a new item count while it shows (scroll bar and header updated and invalidated), and
    // next to nothing while hidden. Hiding the window with the focus may move the focus.
    const HWND focus = GetFocus();
    const bool shown = (GetWindowLongPtrW(m_listLang, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) {
        ShowWindow(m_listLang, SW_HIDE);
    }
    const std::u16string search = text::TrimBlanks(searchText);
    std::vector<CCustomListCtrl::Row> rows = m_listLang.TakeSpareRows();
    const CLangSlot& entries = m_langTable.Entries(slot);
    rows.reserve(search.empty() ? entries.size() : 0);
    for (const LangEntry& entry : entries) {
        if (search.empty() || entry.text.find(search) != std::u16string_view::npos) {
            rows.push_back({entry.id, entry.text});
        }
    }
    m_listLang.SetRows(std::move(rows));
    if (shown) {
        ShowWindow(m_listLang, SW_SHOWNA);
        if (focus == m_listLang.Handle() && GetFocus() != focus) {
            SetFocus(focus);
        }
    }
    InvalidateRect(m_listLang, nullptr, TRUE);
    UpdateWindow(m_listLang);
    m_nShownLang = slot;
}

void CVedArodDlg::OnSelchangeLanguage() {
    CommitCellEdit();
    const int slot = m_comboLang.GetCurSel();
    if (slot != m_nShownLang) {
        FillLangList(slot, ItemText(IDC_EDIT_SEARCH));
    }
    HideCellEditor();
}

void CVedArodDlg::OnSearch() {
    CommitCellEdit();
    FillLangList(m_comboLang.GetCurSel(), ItemText(IDC_EDIT_SEARCH));
    HideCellEditor();
}

namespace {

// The row (-1 for none) and column under the pointer of a click notification.
int HitRow(const CCustomListCtrl& list, const NMHDR& header, int* column = nullptr) {
    LVHITTESTINFO hit{};
    hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
    list.SubItemHitTest(hit);
    if (column != nullptr) {
        *column = hit.iSubItem;
    }
    return (hit.flags & LVHT_ONITEM) != 0 ? hit.iItem : -1;
}

}  // namespace

LRESULT CVedArodDlg::OnDblclkLangList(const NMHDR& header) {
    int column = 0;
    const int row = HitRow(m_listLang, header, &column);

    if (EditInProgress() && row != m_nEditRow) {
        CommitCellEdit();
    }
    if (row < 0 || column == 0) {
        return 0;
    }
    m_nEditRow = row;
    m_nEditCol = column;
    m_nEditLang = m_comboLang.GetCurSel();
    m_strEditKey = std::u16string(m_listLang.CellText(row, 0));

    RECT cell{};
    m_listLang.GetSubItemRect(row, column, LVIR_LABEL, cell);
    SetParent(m_editCell, m_listLang);
    MoveWindow(m_editCell, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top,
               TRUE);
    m_editCell.SetText(std::u16string(m_listLang.CellText(row, column)));
    // What the editor holds, which is less than the cell when the cell's text has a U+0000.
    m_strEditShown = m_editCell.Text();
    m_editCell.Show(true);
    m_editCell.Focus();
    ShowCaret(m_editCell);
    m_editCell.SetSel(65535, 65535);
    m_editCell.ScrollCaret();
    return 0;
}

LRESULT CVedArodDlg::OnClickLangList(const NMHDR& header) {
    if (EditInProgress() && HitRow(m_listLang, header) != m_nEditRow) {
        CommitCellEdit();
    }
    return 0;
}

LRESULT CVedArodDlg::OnKillfocusLangList(const NMHDR&) {
    return 0;
}

LRESULT CVedArodDlg::OnGetDispInfoLangList(const NMHDR& header) {
    m_listLang.OnGetDispInfo(
        const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
    return 0;
}

LRESULT CVedArodDlg::OnFindItemLangList(const NMHDR& header) {
    return m_listLang.FindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
}

void CVedArodDlg::OnKillfocusCellEditor() {
    CommitCellEdit();
}

bool CVedArodDlg::EditInProgress() const {
    return m_nEditRow != -1 && m_editCell.IsVisible();
}

void CVedArodDlg::CommitCellEdit() {
    if (committing_ || !EditInProgress()) {
        return;
    }
    committing_ = true;
    const std::u16string text = m_editCell.Text();
    if (text != m_strEditShown) {  // an editor the user did not change leaves the entry alone
        m_listLang.SetCellText(m_nEditRow, m_nEditCol, text);
        m_langTable.SetText(m_nEditLang, m_strEditKey, text);
        m_editedEntries.emplace(m_nEditLang, m_strEditKey);
    }
    HideCellEditor();
    committing_ = false;
}

void CVedArodDlg::HideCellEditor() {
    m_editCell.Show(false);
}

void CVedArodDlg::OnFindReplace() {
    CommitCellEdit();
    if (!platform::IsDirectory(LangFolder())) {
        // The list may still show the former target's texts; they are not this one's.
        Message(msg::NoLangFolder(m_strInstallDir));
        return;
    }
    CFindReplaceDlg dialog(Instance(), prompts_, [this](const CFindReplaceDlg::Request& request) {
        return ReplaceInTexts(request);
    });
    dialog.DoModal(hwnd_);
}

std::u16string CVedArodDlg::ReplaceInTexts(const CFindReplaceDlg::Request& request) {
    if (request.replace.find.empty()) {
        return msg::kFindTextEmpty;
    }
    // The current language is the selector's, as for the editor and "保存当前语种文件".
    const int current = m_comboLang.GetCurSel();
    std::vector<int> slots;
    for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
        if (request.allLanguages || slot == current) {
            slots.push_back(slot);
        }
    }
    win::WaitCursor wait;
    // The list shows texts of the table: it lets go of them before they are replaced.
    m_listLang.Clear();
    const lang::FindReplaceResult result =
        lang::ReplaceInLanguages(m_langTable, slots, request.replace);
    m_editedEntries.insert(result.edited.begin(), result.edited.end());
    FillLangList(current, ItemText(IDC_EDIT_SEARCH));
    return result.occurrences == 0 ? msg::FindTextNotFound(request.replace.find)
                                   : msg::TextsReplaced(result.occurrences, result.languages);
}

void CVedArodDlg::OnSaveCurrentLanguage() {
    CommitCellEdit();
    const int slot = m_comboLang.GetCurSel();
    if (slot < 0) {
        return;
    }
    win::WaitCursor wait;
    const CLangTable& table = m_langTable;
    platform::WriteResult write;
    switch (app::SaveLanguage(table, m_strInstallDir, slot, *this, &write)) {
        case LangSaveResult::kWritten:
        case LangSaveResult::kUnchanged:
            Message(msg::kSaved);
            break;
        case LangSaveResult::kNothingToWrite:
            Message(msg::kSlotNotRead);
            break;
        case LangSaveResult::kNoEntries:
            Message(msg::kSlotEmpty);
            break;
        case LangSaveResult::kChangedOnDisk:
            Message(std::u16string(msg::kLangFilesChangedOnDisk) + u"\r\n" + LangFolder() + u"\\" +
                    table.FileName(slot));
            break;
        case LangSaveResult::kFailed: {
            const std::u16string path = LangFolder() + u"\\" + table.FileName(slot);
            Message(msg::LangFileFailed(path, msg::WriteProblem(write, path)));
            break;
        }
    }
}

void CVedArodDlg::OnSaveAllLanguages() {
    CommitCellEdit();
    win::WaitCursor wait;
    app::SaveAllLanguages(m_langTable, m_strInstallDir, *this);
}
