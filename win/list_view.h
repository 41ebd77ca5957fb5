// List-view control.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/window.h"

namespace win {

class ListView : public Window {
public:
    using Window::Window;

    DWORD GetExtendedStyle() const {
        return static_cast<DWORD>(SendMsg(LVM_GETEXTENDEDLISTVIEWSTYLE));
    }
    void SetExtendedStyle(DWORD style) const {
        SendMsg(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
    }
    int InsertColumn(int index, const std::u16string& heading, int format, int width) const;
    int GetColumnWidth(int column) const {
        return static_cast<int>(SendMsg(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    int GetItemCount() const { return static_cast<int>(SendMsg(LVM_GETITEMCOUNT)); }
    void DeleteAllItems() const { SendMsg(LVM_DELETEALLITEMS); }
    // For a list with owner data: the number of rows the control asks its owner about.
    void SetItemCountEx(int count, DWORD flags) const {
        SendMsg(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags));
    }
    std::u16string GetItemText(int item, int subItem) const;
    bool GetSubItemRect(int item, int subItem, int area, RECT& rect) const {
        rect.top = subItem;
        rect.left = area;
        return SendMsg(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item),
                       reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    int SubItemHitTest(LVHITTESTINFO& info) const {
        return static_cast<int>(SendMsg(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
    bool RedrawItems(int first, int last) const {
        return SendMsg(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)) != 0;
    }
    void SetRedraw(bool redraw) const { SendMsg(WM_SETREDRAW, redraw ? TRUE : FALSE); }
};

inline int ListView::InsertColumn(int index, const std::u16string& heading, int format,
                                  int width) const {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(W(heading));
    column.iSubItem = index;
    return static_cast<int>(
        SendMsg(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

inline std::u16string ListView::GetItemText(int item, int subItem) const {
    // LVM_GETITEMTEXT gives no length: grow the buffer until the text fits.
    std::u16string text(256, u'\0');
    for (;;) {
        LVITEMW lvi{};
        lvi.iSubItem = subItem;
        lvi.pszText = reinterpret_cast<wchar_t*>(&text[0]);
        lvi.cchTextMax = static_cast<int>(text.size());
        const LRESULT n =
            SendMsg(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi));
        if (n < 0 || static_cast<size_t>(n) + 1 < text.size()) {
            text.resize(n > 0 ? static_cast<size_t>(n) : 0);
            return text;
        }
        text.assign(text.size() * 2, u'\0');
    }
}

}  // namespace win
