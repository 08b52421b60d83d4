#pragma once
// A list-view control in report mode.

#include "Wnd.h"

#include <commctrl.h>

#include <string>

class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    // Replaces every extended style (an empty mask).
    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }

    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    int GetColumnWidth(int nCol) const
    {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol)));
    }
    BOOL SetColumnWidth(int nCol, int cx)
    {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)));
    }
    // The width of a text in the list's font, without the room the list leaves around it.
    int GetStringWidth(const char* lpsz) const
    {
        return static_cast<int>(SendMessage(LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(lpsz)));
    }
    // The header control that shows the column headings.
    HWND GetHeaderWindow() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    int InsertItem(int nItem, const char* lpszItem);
    BOOL DeleteItem(int nItem) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem))); }
    BOOL SetItemText(int nItem, int nSubItem, const char* lpszText);
    std::string GetItemText(int nItem, int nSubItem) const;
    // UTF-16 texts, for rows whose text may lie outside the ANSI code page.
    // The inserted row carries dwData as its item data from the start.
    int InsertItem(int nItem, const wchar_t* lpszItem, DWORD_PTR dwData);
    BOOL SetItemText(int nItem, int nSubItem, const wchar_t* lpszText);
    std::wstring GetItemTextW(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE);
    BOOL GetCheck(int nItem) const;
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int GetNextItem(int nItem, int nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    // Sorts by the comparison of two rows' item data.
    BOOL SortItems(PFNLVCOMPARE pfnCompare, LPARAM lParamSort)
    {
        return static_cast<BOOL>(
            SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(lParamSort), reinterpret_cast<LPARAM>(pfnCompare)));
    }
    // The row showing the item data, or -1.
    int FindItemByData(DWORD_PTR dwData) const;
};
