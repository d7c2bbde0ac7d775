// Shared pieces of the frames, control bars and mini-frames.
#pragma once

#include "Internal.h"
#include "winlib/Frame.h"

#include <algorithm>

namespace winlib::detail
{

// How deep into a frame's client area a dragged bar docks on that edge.
constexpr int kDockEdgeBand = 16;

// The styles of a floating bar's mini-frame.
constexpr DWORD kMiniFrameStyle = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMiniFrameExStyle = WS_EX_TOOLWINDOW;

// A bar docked (or created) on the left or right has its gripper band on its left edge.
inline bool GripperOnLeft(DWORD barStyle)
{
    return (barStyle & (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)) && !(barStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM));
}

inline CRect MiniFrameInsets()
{
    WindowRecord probe;
    probe.style = kMiniFrameStyle;
    probe.exStyle = kMiniFrameExStyle;
    return StandardNonClientInsets(probe);
}

// The mini-frame window whose client area is 'client', with its origin at 'topLeft'.
inline CRect MiniFrameRectFor(CSize client, CPoint topLeft)
{
    const CRect insets = MiniFrameInsets();
    return CRect(topLeft, CSize(client.cx + insets.left + insets.right, client.cy + insets.top + insets.bottom));
}

inline CSize MiniFrameClientSize(CSize window)
{
    const CRect insets = MiniFrameInsets();
    return CSize(std::max<LONG>(0, window.cx - insets.left - insets.right),
                 std::max<LONG>(0, window.cy - insets.top - insets.bottom));
}

inline CRect WindowRectOf(const CWnd& wnd)
{
    CRect rect;
    wnd.GetWindowRect(&rect);
    return rect;
}

// A push button (or a check box or radio button that its owner sets): what an idle update
// disables when nobody answers for it.
inline bool IsCommandButton(HWND control)
{
    if (!(::SendMessage(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON))
        return false;
    const DWORD type = static_cast<DWORD>(::GetWindowLong(control, GWL_STYLE)) & BS_TYPEMASK;
    return type != BS_AUTOCHECKBOX && type != BS_AUTO3STATE && type != BS_GROUPBOX && type != BS_AUTORADIOBUTTON;
}

} // namespace winlib::detail
