// Small helpers the built-in controls share.
#pragma once

#include "GdiInternal.h"

#include <string>

namespace winlib::detail
{

// WM_COMMAND with a notification code to the control's parent.
inline void NotifyParent(HWND hwnd, UINT code)
{
    const HWND parent = GetParent(hwnd);
    if (parent)
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// WM_NOTIFY with a bare header to the control's parent; returns the parent's answer.
inline LRESULT NotifyParentHeader(HWND hwnd, UINT code)
{
    const HWND parent = GetParent(hwnd);
    if (!parent)
        return 0;
    NMHDR header{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
    return SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Asks the parent for the colours of a control (WM_CTLCOLOR*); falls back to the
// default answer when there is no parent or it gives no brush.
inline HBRUSH ControlColors(HWND hwnd, HDC hdc, UINT message)
{
    const HWND parent = GetParent(hwnd);
    HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessage(parent, message, reinterpret_cast<WPARAM>(hdc),
                                                                 reinterpret_cast<LPARAM>(hwnd)))
                          : nullptr;
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProc(hwnd, message, reinterpret_cast<WPARAM>(hdc),
                                                       reinterpret_cast<LPARAM>(hwnd)));
    return brush;
}

// Selects the control's font (WM_GETFONT, else the default GUI font); returns the old one.
inline HGDIOBJ SelectControlFont(HWND hwnd, HDC hdc)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessage(hwnd, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
    return SelectObject(hdc, font);
}

inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }

inline CRect ClientOf(HWND hwnd)
{
    CRect r;
    GetClientRect(hwnd, &r);
    return r;
}

} // namespace winlib::detail
