// Small helpers the built-in controls share.
#pragma once

#include "GdiInternal.h"
#include "Internal.h"

#include <optional>
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

// How far one WM_VSCROLL or WM_HSCROLL step moves a scrolled control, in its own units.
struct ScrollSteps
{
    int line = 1;
    int page = 1;
    int end = 0; // the position SB_BOTTOM and SB_RIGHT go to
};

// Where a scroll-bar code takes a control from 'position'; nothing for codes that do not move it
// (SB_ENDSCROLL). The vertical and horizontal codes share their values, so one answer serves both.
// While the thumb is dragged the bar's own 32-bit track position is used, since the message holds
// only 16 bits; a thumb position whose low bits match it is the same drag coming to rest.
inline std::optional<int> ScrollCodeTarget(HWND hwnd, int bar, UINT code, int messagePos, int position,
                                           const ScrollSteps& steps)
{
    switch (code)
    {
    case SB_LINEUP:
        return position - steps.line;
    case SB_LINEDOWN:
        return position + steps.line;
    case SB_PAGEUP:
        return position - steps.page;
    case SB_PAGEDOWN:
        return position + steps.page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
    {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, bar, &info);
        if (code == SB_THUMBTRACK || (info.nTrackPos & 0xFFFF) == (messagePos & 0xFFFF))
            return info.nTrackPos;
        return messagePos;
    }
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return steps.end;
    default:
        return std::nullopt;
    }
}

} // namespace winlib::detail
