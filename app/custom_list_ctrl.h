// The language list: a report-view list with owner data. It holds the rows it shows (an ID
// and a text each) and answers the control's requests for their texts, so that filling it
// costs the same for ten rows as for twenty thousand. Its child windows' commands (the
// in-place editor) are forwarded to its parent, the dialog.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win/list_view.h"

class CCustomListCtrl : public win::ListView {
public:
    struct Row {
        std::u16string_view id;    // column 0
        std::u16string_view text;  // column 1
    };

    CCustomListCtrl() = default;
    ~CCustomListCtrl();
    CCustomListCtrl(const CCustomListCtrl&) = delete;
    CCustomListCtrl& operator=(const CCustomListCtrl&) = delete;

    // Starts forwarding the list's child commands to its parent. Called once, after Attach.
    void ForwardChildCommands();

    // Replaces the rows. The views must stay valid until the next SetRows or Clear.
    void SetRows(std::vector<Row> rows);
    // An empty vector with the memory of the rows shown before the last SetRows, to fill
    // for the next one (fresh memory is slow to touch the first time).
    std::vector<Row> TakeSpareRows() { return std::move(spare_); }
    void Clear() { SetRows({}); }

    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The text of a cell as the list shows it; empty outside the rows.
    std::u16string_view CellText(int row, int column) const;
    // Changes the text of a cell (the list keeps its own copy).
    void SetCellText(int row, int column, const std::u16string& text);

    // Fills the control's request for a row's text (LVN_GETDISPINFOW).
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    // Answers the control's search for a row by the text of column 0 (LVN_ODFINDITEMW, sent
    // when the user types letters into the list): the first row from info.iStart on whose
    // column 0 equals the string, or starts with it for LVFI_PARTIAL, letter case ignored;
    // the search goes on from row 0 for LVFI_WRAP. -1 when no row matches.
    int FindItem(const NMLVFINDITEMW& info) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                         DWORD_PTR data);

    std::vector<Row> rows_;
    std::vector<Row> spare_;
    std::deque<std::u16string> edited_;  // texts set through SetCellText
    bool subclassed_ = false;
};
