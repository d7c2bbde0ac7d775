// The class library's wrapper of the header control ("SysHeader32"). Every operation is a
// message to the control, so that a derived class sees it in its WindowProc.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/ToolTip.h" // NF_QUERY, NFR_ANSI, NFR_UNICODE for WM_NOTIFYFORMAT
#include "winlib/Wnd.h"

class CImageList;

class CHeaderCtrl : public CWnd
{
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    int InsertItem(int position, HDITEM* item)
    {
        return static_cast<int>(
            SendMessage(HDM_INSERTITEM, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteItem(int position)
    {
        return static_cast<BOOL>(SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(position)));
    }
    BOOL GetItem(int position, HDITEM* item) const
    {
        return static_cast<BOOL>(
            SendMessage(HDM_GETITEM, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(item)));
    }
    BOOL SetItem(int position, HDITEM* item)
    {
        return static_cast<BOOL>(
            SendMessage(HDM_SETITEM, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(item)));
    }
    BOOL GetItemRect(int index, LPRECT rect) const
    {
        return static_cast<BOOL>(
            SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    // The image list object given last; a list set by message has no object here (null).
    CImageList* SetImageList(CImageList* images);
    CImageList* GetImageList() const;
    int OrderToIndex(int order) const
    {
        return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)));
    }
    // With count -1 the array must hold GetItemCount() entries.
    BOOL GetOrderArray(LPINT order, int count = -1) const;
    BOOL SetOrderArray(int count, LPINT order)
    {
        return static_cast<BOOL>(
            SendMessage(HDM_SETORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
    }
    int HitTest(LPHDHITTESTINFO info)
    {
        return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
    }
    BOOL Layout(HDLAYOUT* layout)
    {
        return static_cast<BOOL>(SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(layout)));
    }

    int EditFilter(int column, BOOL discardChanges)
    {
        return static_cast<int>(
            SendMessage(HDM_EDITFILTER, static_cast<WPARAM>(column), MAKELPARAM(discardChanges, 0)));
    }
    int ClearFilter(int column)
    {
        return static_cast<int>(SendMessage(HDM_CLEARFILTER, static_cast<WPARAM>(column)));
    }
    int ClearAllFilters() { return static_cast<int>(SendMessage(HDM_CLEARFILTER, static_cast<WPARAM>(-1))); }
    // Returns the time-out that was in force before.
    int SetFilterChangeTimeout(DWORD timeoutMs)
    {
        return static_cast<int>(SendMessage(HDM_SETFILTERCHANGETIMEOUT, 0, static_cast<LPARAM>(timeoutMs)));
    }

    // Items with HDF_OWNERDRAW are drawn here when the parent reflects WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    CImageList* m_images = nullptr;
};
