// The docking library's frames: bars docked along the edges in docking order around a
// workspace, which the multiple-document frame fills with its MDI client window.
#include "FrameInternal.h"

IMPLEMENT_DYNCREATE(CBCGPFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CBCGPMDIFrameWnd, CBCGPFrameWnd)

namespace
{
constexpr DWORD kSidesInOrder[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
}

CBCGPFrameWnd::CBCGPFrameWnd() = default;

CBCGPFrameWnd::~CBCGPFrameWnd()
{
    if (m_hWnd)
        DestroyWindow();
    for (CBCGPBaseControlBar* bar : m_bars)
    {
        if (bar->m_pDockFrame == this)
            bar->m_pDockFrame = nullptr;
    }
}

BOOL CBCGPFrameWnd::EnableDocking(DWORD alignment)
{
    m_dwDockAlignment |= alignment & CBRS_ALIGN_ANY;
    return TRUE;
}

DWORD CBCGPFrameWnd::FindDockSide(const CBCGPBaseControlBar* bar, DWORD preferred) const
{
    if (!bar)
        return 0;
    const DWORD allowed = bar->GetEnabledAlignment() & m_dwDockAlignment;
    for (DWORD side : kSidesInOrder)
    {
        if (preferred & allowed & side)
            return side;
    }
    for (DWORD side : kSidesInOrder)
    {
        if (allowed & side)
            return side;
    }
    return 0;
}

void CBCGPFrameWnd::AddControlBar(CBCGPBaseControlBar* bar)
{
    if (bar && std::find(m_bars.begin(), m_bars.end(), bar) == m_bars.end())
        m_bars.push_back(bar);
}

void CBCGPFrameWnd::RemoveControlBar(CBCGPBaseControlBar* bar)
{
    m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
}

void CBCGPFrameWnd::DockControlBar(CBCGPBaseControlBar* bar, DWORD side, LPCRECT)
{
    if (!bar || !bar->m_hWnd || !m_hWnd)
        return;
    // A side asked for needs only the frame's consent; otherwise the bar's counts too.
    DWORD chosen = 0;
    for (DWORD candidate : kSidesInOrder)
    {
        if (side & m_dwDockAlignment & candidate)
        {
            chosen = candidate;
            break;
        }
    }
    if (!chosen)
        chosen = FindDockSide(bar, side);
    if (!chosen)
        return;
    AddControlBar(bar);
    if (bar->IsFloating())
    {
        bar->m_pDockFrame = this;
        bar->DockToFrameWindow(chosen);
        return;
    }
    bar->AttachToFrame(this, chosen);
    // As the class library does, the frame takes its new layout when the loop is idle.
    DelayRecalcLayout();
    bar->OnAfterDock();
}

void CBCGPFrameWnd::ShowControlBar(CBCGPBaseControlBar* bar, BOOL show, BOOL delay, BOOL activate)
{
    if (bar)
        bar->ShowControlBar(show, delay, activate);
}

void CBCGPFrameWnd::RecalcLayout(BOOL notify) { CFrameWnd::RecalcLayout(notify); }

CRect CBCGPFrameWnd::CalcLayout(std::vector<DockedBarPlace>* places) const
{
    CRect rest = CFrameWnd::CalcLayout(nullptr);
    for (DWORD side : kSidesInOrder)
    {
        const bool horizontal = side == CBRS_ALIGN_TOP || side == CBRS_ALIGN_BOTTOM;
        for (CBCGPBaseControlBar* bar : m_bars)
        {
            if (!bar->m_hWnd || bar->m_pDockFrame != this || bar->IsFloating() ||
                !(bar->GetStyle() & WS_VISIBLE) || (bar->m_dwStyle & CBRS_ALIGN_ANY) != side)
                continue;
            const CSize wanted = (bar->m_dwStyle & CBRS_SIZE_DYNAMIC)
                                     ? bar->CalcDynamicLayout(-1, horizontal ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK)
                                     : bar->CalcFixedLayout(FALSE, horizontal ? TRUE : FALSE);
            CRect place = rest;
            if (horizontal)
            {
                const int height = std::clamp<int>(wanted.cy, 0, rest.Height());
                if (side == CBRS_ALIGN_TOP)
                    place.bottom = rest.top += height;
                else
                    place.top = rest.bottom -= height;
            }
            else
            {
                const int width = std::clamp<int>(wanted.cx, 0, rest.Width());
                if (side == CBRS_ALIGN_LEFT)
                    place.right = rest.left += width;
                else
                    place.left = rest.right -= width;
            }
            if (places)
                places->push_back(DockedBarPlace{bar, place});
        }
    }
    return rest;
}

// ---- CBCGPMDIFrameWnd ---------------------------------------------------------------------

BOOL CBCGPMDIFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext*)
{
    return m_wndMDIClient.CreateEx(WS_EX_CLIENTEDGE, "MDIClient", nullptr,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), this,
                                   AFX_IDW_PANE_FIRST);
}

void CBCGPMDIFrameWnd::RecalcLayout(BOOL notify) { CBCGPFrameWnd::RecalcLayout(notify); }
