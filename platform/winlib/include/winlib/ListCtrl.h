// The class library's wrapper of the list view ("SysListView32"). Every operation is a
// message to the control, so that a derived class sees it in its WindowProc.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/Wnd.h"

#include <string>

class CImageList;

// An opaque iteration position, as the class library's collections hand out.
#ifndef WINLIB_POSITION_DEFINED
#define WINLIB_POSITION_DEFINED
struct __POSITION
{
};
using POSITION = __POSITION*;
#endif

class CListCtrl : public CWnd
{
    DECLARE_DYNAMIC(CListCtrl)
public:
    using CWnd::Create;
    using CWnd::CreateEx;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    BOOL CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // ---- Columns ----
    int InsertColumn(int column, const LVCOLUMN* info);
    int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    BOOL GetColumn(int column, LVCOLUMN* info) const;
    BOOL SetColumn(int column, const LVCOLUMN* info);
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);
    // With count -1 the array must hold as many entries as there are columns.
    BOOL GetColumnOrderArray(LPINT order, int count = -1);
    BOOL SetColumnOrderArray(int count, LPINT order);
    CHeaderCtrl* GetHeaderCtrl() const;

    // ---- Items ----
    int InsertItem(const LVITEM* item);
    int InsertItem(int item, LPCSTR text);
    int InsertItem(int item, LPCSTR text, int image);
    int InsertItem(UINT mask, int item, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM lParam);
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    BOOL GetItem(LVITEM* item) const;
    BOOL SetItem(const LVITEM* item);
    BOOL SetItem(int item, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                 LPARAM lParam);
    std::string GetItemText(int item, int subItem) const;
    int GetItemText(int item, int subItem, LPSTR buffer, int length) const;
    BOOL SetItemText(int item, int subItem, LPCSTR text);
    DWORD_PTR GetItemData(int item) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    UINT GetItemState(int item, UINT mask) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
    BOOL SetItemState(int item, LVITEM* item2);
    int GetItemCount() const;
    void SetItemCount(int count);
    BOOL SetItemCountEx(int count, DWORD flags = LVSICF_NOINVALIDATEALL);
    int FindItem(LVFINDINFO* find, int start = -1) const;

    // ---- Selection ----
    int GetNextItem(int item, int flags) const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& position) const;
    UINT GetSelectedCount() const;
    int GetSelectionMark() const;
    int SetSelectionMark(int index);
    BOOL GetCheck(int item) const;
    BOOL SetCheck(int item, BOOL check = TRUE);
    UINT GetCallbackMask() const;
    BOOL SetCallbackMask(UINT mask);

    // ---- Geometry and scrolling ----
    int HitTest(LVHITTESTINFO* info) const;
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    int SubItemHitTest(LPLVHITTESTINFO info);
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
    BOOL GetSubItemRect(int item, int subItem, int area, CRect& rect) const;
    // The item as painted now, on a new image list the caller deletes (null when the item
    // does not exist); 'upperLeft' receives the item's upper-left corner in client coordinates.
    CImageList* CreateDragImage(int item, LPPOINT upperLeft);
    BOOL EnsureVisible(int item, BOOL partialOk);
    BOOL Scroll(CSize size);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    int GetStringWidth(LPCSTR text) const;
    BOOL RedrawItems(int first, int last);
    BOOL Update(int item);

    // ---- Sorting ----
    // The comparison gets the items' data (SortItems) or their indexes (SortItemsEx).
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
    BOOL SortItemsEx(PFNLVCOMPARE compare, DWORD_PTR data);
    // Every item's text of the sub-item, each item once in an order of the list's choosing
    // (LVM_GETCOLUMNTEXTS); the count of items handed over.
    int GetColumnTexts(int subItem, PFNLVCOLUMNTEXT text, LPARAM param) const;
    // Item i becomes the item that was order[i] (LVM_SETITEMORDER); FALSE, with nothing changed,
    // unless order is a permutation of every item.
    BOOL SetItemOrder(const UINT* order, int count);

    // ---- Appearance ----
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD style);
    // The image list object given last for that type (LVSIL_SMALL, LVSIL_STATE ...); a list
    // set by message has no object here (null).
    CImageList* SetImageList(CImageList* images, int type);
    CImageList* GetImageList(int type) const;
    COLORREF GetTextColor() const;
    BOOL SetTextColor(COLORREF color);
    COLORREF GetBkColor() const;
    BOOL SetBkColor(COLORREF color);
    COLORREF GetTextBkColor() const;
    BOOL SetTextBkColor(COLORREF color);

    // Owner-drawn lists (LVS_OWNERDRAWFIXED) measure and draw their rows here when the
    // parent reflects WM_MEASUREITEM and WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Stands for the header when no object of its own is attached to it.
    mutable CHeaderCtrl m_header;
    CImageList* m_images[3] = {}; // LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE
};
