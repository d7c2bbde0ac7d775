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
    const auto gone = std::remove(m_bars.begin(), m_bars.end(), bar);
    const bool removed = gone != m_bars.end();
    m_bars.erase(gone, m_bars.end());
    // The room a destroyed bar had goes back to the others: nothing paints it otherwise.
    if (removed && m_hWnd && ::IsWindow(m_hWnd))
        DelayRecalcLayout();
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

namespace
{

// Shares 'available' pixels out along one direction: each bar wants its size and gives way
// down to its minimum when they do not all fit, in proportion to how much it can give; the
// workspace keeps 'workspaceMinimum' as long as the bars' minimums leave it that much.
std::vector<int> ShareLength(const std::vector<int>& wanted, const std::vector<int>& minimum, int available,
                             int workspaceMinimum)
{
    std::vector<int> given = wanted;
    long total = 0;
    long least = 0;
    for (std::size_t i = 0; i < wanted.size(); ++i)
    {
        total += wanted[i];
        least += minimum[i];
    }
    const long room = std::max(0, available - workspaceMinimum);
    if (total <= room)
        return given;
    if (least <= room)
    {
        // Everyone gives up the same share of what it could give.
        const long spare = total - least;
        const long over = total - room;
        long taken = 0;
        for (std::size_t i = 0; i < wanted.size(); ++i)
        {
            const long canGive = wanted[i] - minimum[i];
            const long give = spare > 0 ? (canGive * over + spare - 1) / spare : 0;
            given[i] = wanted[i] - static_cast<int>(std::min(canGive, std::min(give, over - taken)));
            taken += wanted[i] - given[i];
        }
        return given;
    }
    // Not even the minimums fit: the bars share what there is in proportion to them.
    for (std::size_t i = 0; i < wanted.size(); ++i)
        given[i] =
            least > 0 ? static_cast<int>(static_cast<long>(minimum[i]) * std::max(0, available) / least) : 0;
    return given;
}

} // namespace

CRect CBCGPFrameWnd::CalcLayout(std::vector<DockedBarPlace>* places) const
{
    CRect rest = CFrameWnd::CalcLayout(nullptr);
    struct Docked
    {
        CBCGPBaseControlBar* bar;
        DWORD side;
        int wanted;
        int minimum;
    };
    std::vector<Docked> across; // top and bottom bars, which share the height
    std::vector<Docked> along;  // left and right bars, which share the width left between them
    for (DWORD side : kSidesInOrder)
    {
        const bool horizontal = side == CBRS_ALIGN_TOP || side == CBRS_ALIGN_BOTTOM;
        for (CBCGPBaseControlBar* bar : m_bars)
        {
            if (!bar->m_hWnd || bar->m_pDockFrame != this || bar->IsFloating() ||
                !(bar->GetStyle() & WS_VISIBLE) || (bar->m_dwStyle & CBRS_ALIGN_ANY) != side)
                continue;
            const CSize wanted =
                (bar->m_dwStyle & CBRS_SIZE_DYNAMIC)
                    ? bar->CalcDynamicLayout(-1, horizontal ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK)
                    : bar->CalcFixedLayout(FALSE, horizontal ? TRUE : FALSE);
            const int length = std::max<int>(0, horizontal ? wanted.cy : wanted.cx);
            const int minimum = std::clamp(bar->GetMinimumThickness(horizontal ? TRUE : FALSE), 0, length);
            (horizontal ? across : along).push_back(Docked{bar, side, length, minimum});
        }
    }
    const auto place = [&](const std::vector<Docked>& bars, bool horizontal)
    {
        std::vector<int> wanted;
        std::vector<int> minimum;
        for (const Docked& d : bars)
        {
            wanted.push_back(d.wanted);
            minimum.push_back(d.minimum);
        }
        const int available = horizontal ? rest.Height() : rest.Width();
        const std::vector<int> given = ShareLength(wanted, minimum, available, kWorkspaceMinimum);
        for (std::size_t i = 0; i < bars.size(); ++i)
        {
            const int length = std::clamp(given[i], 0, horizontal ? rest.Height() : rest.Width());
            CRect where = rest;
            switch (bars[i].side)
            {
            case CBRS_ALIGN_TOP:
                where.bottom = rest.top += length;
                break;
            case CBRS_ALIGN_BOTTOM:
                where.top = rest.bottom -= length;
                break;
            case CBRS_ALIGN_LEFT:
                where.right = rest.left += length;
                break;
            default:
                where.left = rest.right -= length;
                break;
            }
            if (places)
                places->push_back(DockedBarPlace{bars[i].bar, where});
        }
    };
    place(across, true);
    place(along, false);
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
