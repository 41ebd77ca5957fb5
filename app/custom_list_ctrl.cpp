#include "app/custom_list_ctrl.h"

#include <algorithm>
#include <climits>

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

CCustomListCtrl::~CCustomListCtrl() {
    if (subclassed_ && IsWindow(hwnd_)) {
        RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    }
}

void CCustomListCtrl::ForwardChildCommands() {
    if (!subclassed_ && hwnd_ != nullptr) {
        subclassed_ = SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, 0) != FALSE;
    }
}

LRESULT CALLBACK CCustomListCtrl::SubclassProc(HWND hwnd, UINT message, WPARAM w, LPARAM l,
                                               UINT_PTR, DWORD_PTR) {
    // A child's command (the in-place editor's focus change) belongs to the dialog.
    if (message == WM_COMMAND && l != 0 && GetParent(reinterpret_cast<HWND>(l)) == hwnd) {
        return SendMessageW(GetParent(hwnd), WM_COMMAND, w, l);
    }
    return DefSubclassProc(hwnd, message, w, l);
}

void CCustomListCtrl::SetRows(std::vector<Row> rows) {
    rows_ = std::move(rows);
    edited_.clear();
    DeleteAllItems();
    SetItemCountEx(static_cast<int>(rows_.size()), 0);
}

std::u16string_view CCustomListCtrl::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return column == 0 ? rows_[static_cast<size_t>(row)].id : rows_[static_cast<size_t>(row)].text;
}

void CCustomListCtrl::SetCellText(int row, int column, const std::u16string& text) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    edited_.push_back(text);
    Row& r = rows_[static_cast<size_t>(row)];
    (column == 0 ? r.id : r.text) = edited_.back();
    RedrawItems(row, row);
}

void CCustomListCtrl::OnGetDispInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    const std::u16string_view text = CellText(item.iItem, item.iSubItem);
    const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(item.pszText));
    item.pszText[n] = L'\0';
}

int CCustomListCtrl::FindItem(const NMLVFINDITEMW& info) const {
    const LVFINDINFOW& find = info.lvfi;
    if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.psz == nullptr) {
        return -1;
    }
    const int wanted = lstrlenW(find.psz);
    const bool partial = (find.flags & LVFI_PARTIAL) != 0;
    const auto matches = [&](int row) {
        const std::u16string_view id = rows_[static_cast<size_t>(row)].id;
        const int length = static_cast<int>(std::min<size_t>(id.size(), INT_MAX));
        if (length < wanted || (!partial && length != wanted)) {
            return false;
        }
        return CompareStringOrdinal(reinterpret_cast<LPCWCH>(id.data()), wanted, find.psz, wanted,
                                    TRUE) == CSTR_EQUAL;
    };
    const int count = RowCount();
    const int start = info.iStart >= 0 && info.iStart < count ? info.iStart : 0;
    for (int row = start; row < count; ++row) {
        if (matches(row)) {
            return row;
        }
    }
    if ((find.flags & LVFI_WRAP) != 0) {
        for (int row = 0; row < start; ++row) {
            if (matches(row)) {
                return row;
            }
        }
    }
    return -1;
}
