// CBCGPMiniFrameWnd: the small tool window that carries a floating control bar. Closing it
// hides the bar; a double-click on its caption, or moving it onto an edge of the bar's
// frame, docks the bar again, after which the empty mini-frame goes away.
#include "BarHolders.h"
#include "FrameInternal.h"

IMPLEMENT_DYNAMIC(CBCGPMiniFrameWnd, CWnd)

namespace
{
// The frame's idle update reaches the bars floating in mini-frames it owns.
const bool g_barHolderAdded = (winlib::detail::AddBarHolderClass(RUNTIME_CLASS(CBCGPMiniFrameWnd)), true);
} // namespace

namespace
{
// Posted to itself when a move by the caption reaches a dock edge: the move is still
// being tracked when the edge is found, so the docking waits until it has returned.
UINT DockRequestMessage()
{
    static const UINT message = RegisterWindowMessage("WinlibMiniFrameDockRequest");
    return message;
}
} // namespace

BOOL CBCGPMiniFrameWnd::Create(CBCGPBaseControlBar* bar, const CRect& screenRect)
{
    if (!bar || !bar->m_hWnd || m_hWnd)
        return FALSE;
    m_pBar = bar;
    CFrameWnd* frame = bar->GetDockSiteFrameWnd();
    const HWND owner = frame && frame->m_hWnd ? frame->m_hWnd : nullptr;
    const std::string caption = bar->GetCaption();
    if (!CreateEx(winlib::detail::kMiniFrameExStyle, "BCGPMiniFrame", caption.c_str(),
                  winlib::detail::kMiniFrameStyle, screenRect.left, screenRect.top, screenRect.Width(),
                  screenRect.Height(), owner, nullptr))
    {
        m_pBar = nullptr;
        return FALSE;
    }
    m_bCreated = true;
    return TRUE;
}

BOOL CBCGPMiniFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_IDLEUPDATECMDUI)
    {
        if (m_pBar && m_pBar->m_hWnd)
            m_pBar->SendMessage(WM_IDLEUPDATECMDUI, wParam, lParam);
        *result = 0;
        return TRUE;
    }
    if (message == DockRequestMessage())
    {
        if (m_pBar)
            m_pBar->DockToFrameWindow(static_cast<DWORD>(wParam));
        *result = 0;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

void CBCGPMiniFrameWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (m_pBar && m_pBar->m_hWnd && ::GetParent(m_pBar->m_hWnd) == m_hWnd)
    {
        // A dynamic bar learns the width and the height the user gave its mini-frame.
        if ((m_pBar->GetBarStyle() & CBRS_SIZE_DYNAMIC) && type != SIZE_MINIMIZED)
        {
            m_pBar->CalcDynamicLayout(cx, LM_HORZ | LM_COMMIT);
            m_pBar->CalcDynamicLayout(cy, LM_HORZ | LM_LENGTHY | LM_COMMIT);
        }
        m_pBar->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CBCGPMiniFrameWnd::OnWindowPosChanged(WINDOWPOS* pos)
{
    CWnd::OnWindowPosChanged(pos);
    if (!m_pBar || !m_hWnd)
        return;
    m_pBar->m_rectFloating = winlib::detail::WindowRectOf(*this);
    if (!m_bCaptionDrag)
        return;
    if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000))
    {
        m_bCaptionDrag = false;
        return;
    }
    POINT cursor;
    ::GetCursorPos(&cursor);
    const DWORD side = m_pBar->DockSideAt(cursor);
    if (!side)
        m_bAwayFromEdges = true;
    else if (m_bAwayFromEdges)
    {
        m_bCaptionDrag = false;
        PostMessage(DockRequestMessage(), side);
    }
}

void CBCGPMiniFrameWnd::OnClose()
{
    if (!m_pBar)
    {
        DestroyWindow();
        return;
    }
    m_pBar->ShowControlBar(FALSE, FALSE, FALSE);
}

void CBCGPMiniFrameWnd::OnNcLButtonDown(UINT hitTest, CPoint point)
{
    if (hitTest == HTCAPTION && m_pBar)
    {
        m_bCaptionDrag = true;
        m_bAwayFromEdges = m_pBar->DockSideAt(point) == 0;
    }
    CWnd::OnNcLButtonDown(hitTest, point);
}

void CBCGPMiniFrameWnd::OnNcLButtonDblClk(UINT hitTest, CPoint point)
{
    if (hitTest == HTCAPTION && m_pBar)
    {
        m_bCaptionDrag = false;
        // Docking destroys this window: nothing of it is touched afterwards.
        m_pBar->DockToFrameWindow(0);
        return;
    }
    CWnd::OnNcLButtonDblClk(hitTest, point);
}

void CBCGPMiniFrameWnd::PostNcDestroy()
{
    if (m_bCreated)
        delete this;
}
