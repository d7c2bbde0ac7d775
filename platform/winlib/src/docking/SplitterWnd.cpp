// CSplitterWnd, static kind: a grid of panes with bars between them that the user drags.
#include "winlib/Splitter.h"

#include "winlib/Cursors.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

namespace
{
constexpr int kMaxPanes = 16;

bool IsRowBar(int ht)
{
    return ht >= CSplitterWnd::vSplitterBar1 && ht <= CSplitterWnd::vSplitterBar15;
}
bool IsColumnBar(int ht)
{
    return ht >= CSplitterWnd::hSplitterBar1 && ht <= CSplitterWnd::hSplitterBar15;
}
bool IsIntersection(int ht)
{
    return ht >= CSplitterWnd::splitterIntersection1 && ht <= CSplitterWnd::splitterIntersection225;
}
} // namespace

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id)
{
    if (!parent || !parent->m_hWnd || m_hWnd || rows < 1 || cols < 1 || rows > kMaxPanes || cols > kMaxPanes)
        return FALSE;
    m_nRows = m_nMaxRows = rows;
    m_nCols = m_nMaxCols = cols;
    m_pRowInfo.assign(static_cast<std::size_t>(rows), CRowColInfo{});
    m_pColInfo.assign(static_cast<std::size_t>(cols), CRowColInfo{});
    // The tracker is drawn across the panes with the clip of the children lifted for a moment.
    const DWORD windowStyle = (style | WS_CHILD | WS_CLIPCHILDREN) & ~(WS_HSCROLL | WS_VSCROLL | WS_BORDER);
    if (!CreateEx(0, "AfxWnd", nullptr, windowStyle, CRect(0, 0, 0, 0), parent, id))
    {
        m_nRows = m_nCols = 0;
        m_pRowInfo.clear();
        m_pColInfo.clear();
        return FALSE;
    }
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* viewClass, SIZE sizeInit,
                              CCreateContext* context)
{
    if (!m_hWnd || row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || !viewClass)
        return FALSE;
    if (GetPane(row, col))
        return FALSE; // the cell is taken
    CObject* object = viewClass->CreateObject();
    auto* wnd = dynamic_cast<CWnd*>(object);
    if (!wnd)
    {
        delete object;
        return FALSE;
    }
    m_pColInfo[static_cast<std::size_t>(col)].nIdealSize = sizeInit.cx;
    m_pRowInfo[static_cast<std::size_t>(row)].nIdealSize = sizeInit.cy;
    // Views delete themselves with their window, also when its creation fails.
    const bool isView = dynamic_cast<CView*>(wnd) != nullptr;
    if (!wnd->CreateEx(0, "AfxFrameOrView", nullptr, WS_CHILD | WS_VISIBLE,
                       CRect(0, 0, sizeInit.cx, sizeInit.cy), this, static_cast<UINT>(IdFromRowCol(row, col)),
                       context))
    {
        if (!isView)
            delete wnd;
        return FALSE;
    }
    return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const
{
    cyCur = cyMin = 0;
    if (row < 0 || row >= m_nRows)
        return;
    cyCur = m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
    cyMin = m_pRowInfo[static_cast<std::size_t>(row)].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin)
{
    if (row < 0 || row >= m_nRows)
        return;
    m_pRowInfo[static_cast<std::size_t>(row)].nIdealSize = cyIdeal;
    m_pRowInfo[static_cast<std::size_t>(row)].nMinSize = cyMin;
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const
{
    cxCur = cxMin = 0;
    if (col < 0 || col >= m_nCols)
        return;
    cxCur = m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
    cxMin = m_pColInfo[static_cast<std::size_t>(col)].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin)
{
    if (col < 0 || col >= m_nCols)
        return;
    m_pColInfo[static_cast<std::size_t>(col)].nIdealSize = cxIdeal;
    m_pColInfo[static_cast<std::size_t>(col)].nMinSize = cxMin;
}

int CSplitterWnd::IdFromRowCol(int row, int col) const
{
    return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const
{
    if (!m_hWnd || row < 0 || row >= m_nRows || col < 0 || col >= m_nCols)
        return nullptr;
    const HWND pane = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
    return pane ? CWnd::FromHandle(pane) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* wnd, int* row, int* col) const
{
    if (!wnd || !wnd->m_hWnd || ::GetParent(wnd->m_hWnd) != m_hWnd)
        return FALSE;
    const int offset = wnd->GetDlgCtrlID() - static_cast<int>(AFX_IDW_PANE_FIRST);
    const int r = offset / 16;
    const int c = offset % 16;
    if (offset < 0 || r >= m_nRows || c >= m_nCols)
        return FALSE;
    if (row)
        *row = r;
    if (col)
        *col = c;
    return TRUE;
}

void CSplitterWnd::GetInsideRect(CRect& rect) const
{
    GetClientRect(&rect);
    rect.DeflateRect(m_cxBorder, m_cyBorder);
    if (rect.right < rect.left)
        rect.right = rect.left;
    if (rect.bottom < rect.top)
        rect.bottom = rect.top;
}

void CSplitterWnd::LayoutRowCol(std::vector<CRowColInfo>& info, int size, int gap)
{
    int left = std::max(size, 0);
    for (std::size_t i = 0; i < info.size(); ++i)
    {
        CRowColInfo& one = info[i];
        if (i + 1 == info.size())
        {
            one.nCurSize = left;
            break;
        }
        const int wanted = one.nIdealSize < one.nMinSize ? 0 : std::max(one.nIdealSize, 0);
        one.nCurSize = std::min(wanted, left);
        left -= one.nCurSize;
        left = left > gap ? left - gap : 0;
    }
}

int CSplitterWnd::RowTop(int row) const
{
    CRect inside;
    GetInsideRect(inside);
    int y = inside.top;
    for (int i = 0; i < row && i < m_nRows; ++i)
        y += m_pRowInfo[static_cast<std::size_t>(i)].nCurSize + m_cySplitterGap;
    return y;
}

int CSplitterWnd::ColumnLeft(int col) const
{
    CRect inside;
    GetInsideRect(inside);
    int x = inside.left;
    for (int i = 0; i < col && i < m_nCols; ++i)
        x += m_pColInfo[static_cast<std::size_t>(i)].nCurSize + m_cxSplitterGap;
    return x;
}

void CSplitterWnd::PlacePanes(const CRect& inside)
{
    HDWP batch = ::BeginDeferWindowPos(m_nRows * m_nCols);
    int y = inside.top;
    for (int row = 0; row < m_nRows; ++row)
    {
        const int height = m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
        int x = inside.left;
        for (int col = 0; col < m_nCols; ++col)
        {
            const int width = m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
            if (CWnd* pane = GetPane(row, col); pane && batch)
                batch = ::DeferWindowPos(batch, pane->m_hWnd, nullptr, x, y, width, height,
                                         SWP_NOZORDER | SWP_NOACTIVATE);
            x += width + m_cxSplitterGap;
        }
        y += height + m_cySplitterGap;
    }
    if (batch)
        ::EndDeferWindowPos(batch);
}

void CSplitterWnd::RecalcLayout()
{
    if (!m_hWnd || m_nRows == 0 || m_nCols == 0)
        return;
    CRect inside;
    GetInsideRect(inside);
    LayoutRowCol(m_pColInfo, inside.Width(), m_cxSplitterGap);
    LayoutRowCol(m_pRowInfo, inside.Height(), m_cySplitterGap);
    PlacePanes(inside);
    // The bars and borders move with the panes.
    Invalidate();
}

// ---- Painting -------------------------------------------------------------------------------

void CSplitterWnd::OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect)
{
    if (!dc)
    {
        InvalidateRect(&rect);
        return;
    }
    if (type == splitBorder)
    {
        CRect r(rect);
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        r.DeflateRect(1, 1);
        dc->Draw3dRect(&r, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNFACE));
        return;
    }
    dc->FillSolidRect(&rect, GetSysColor(COLOR_BTNFACE));
}

BOOL CSplitterWnd::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSplitterWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CRect inside;
    GetInsideRect(inside);
    // Bars between rows, then between columns; what no pane covers is bar-coloured too.
    dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    for (int row = 0; row + 1 < m_nRows; ++row)
    {
        const int top = RowTop(row) + m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
        OnDrawSplitter(&dc, splitBar, CRect(inside.left, top, inside.right, top + m_cySplitterGap));
    }
    for (int col = 0; col + 1 < m_nCols; ++col)
    {
        const int left = ColumnLeft(col) + m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
        OnDrawSplitter(&dc, splitBar, CRect(left, inside.top, left + m_cxSplitterGap, inside.bottom));
    }
    for (int row = 0; row < m_nRows; ++row)
    {
        for (int col = 0; col < m_nCols; ++col)
        {
            const int width = m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
            const int height = m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
            if (width <= 0 || height <= 0)
                continue;
            CRect pane(ColumnLeft(col), RowTop(row), ColumnLeft(col) + width, RowTop(row) + height);
            pane.InflateRect(m_cxBorder, m_cyBorder);
            OnDrawSplitter(&dc, splitBorder, pane);
        }
    }
}

// ---- Hit-testing and tracking ----------------------------------------------------------------

int CSplitterWnd::HitTest(CPoint pt) const
{
    CRect inside;
    GetInsideRect(inside);
    if (!m_hWnd || pt.x < inside.left - m_cxBorder || pt.x >= inside.right + m_cxBorder ||
        pt.y < inside.top - m_cyBorder || pt.y >= inside.bottom + m_cyBorder)
        return noHit;
    int rowBar = -1;
    for (int row = 0; row + 1 < m_nRows; ++row)
    {
        const int top = RowTop(row) + m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
        if (pt.y >= top && pt.y < top + m_cySplitterGap)
            rowBar = row;
    }
    int colBar = -1;
    for (int col = 0; col + 1 < m_nCols; ++col)
    {
        const int left = ColumnLeft(col) + m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
        if (pt.x >= left && pt.x < left + m_cxSplitterGap)
            colBar = col;
    }
    if (rowBar >= 0 && colBar >= 0)
        return splitterIntersection1 + rowBar * 15 + colBar;
    if (rowBar >= 0)
        return vSplitterBar1 + rowBar;
    if (colBar >= 0)
        return hSplitterBar1 + colBar;
    return noHit;
}

void CSplitterWnd::GetHitRect(int ht, CRect& rect)
{
    CRect inside;
    GetInsideRect(inside);
    rect.SetRectEmpty();
    if (IsRowBar(ht))
    {
        const int row = ht - vSplitterBar1;
        const int top = RowTop(row) + m_pRowInfo[static_cast<std::size_t>(row)].nCurSize;
        rect.SetRect(inside.left, top, inside.right, top + m_cySplitterGap);
    }
    else if (IsColumnBar(ht))
    {
        const int col = ht - hSplitterBar1;
        const int left = ColumnLeft(col) + m_pColInfo[static_cast<std::size_t>(col)].nCurSize;
        rect.SetRect(left, inside.top, left + m_cxSplitterGap, inside.bottom);
    }
}

void CSplitterWnd::OnInvertTracker(const CRect& rect)
{
    if (!m_hWnd || rect.IsRectEmpty())
        return;
    // The tracker crosses the panes: draw it over them.
    const bool clipped = (GetStyle() & WS_CLIPCHILDREN) != 0;
    if (clipped)
        ModifyStyle(WS_CLIPCHILDREN, 0);
    {
        CClientDC dc(this);
        dc.InvertRect(&rect);
    }
    if (clipped)
        ModifyStyle(0, WS_CLIPCHILDREN);
}

void CSplitterWnd::StartTracking(int ht)
{
    if (ht == noHit || m_bTracking)
        return;
    CRect inside;
    GetInsideRect(inside);
    m_htTrack = ht;
    m_bTracking2 = FALSE;
    m_rectTracker2.SetRectEmpty();
    int row = -1;
    int col = -1;
    if (IsIntersection(ht))
    {
        row = (ht - splitterIntersection1) / 15;
        col = (ht - splitterIntersection1) % 15;
        GetHitRect(vSplitterBar1 + row, m_rectTracker);
        GetHitRect(hSplitterBar1 + col, m_rectTracker2);
        m_bTracking2 = TRUE;
    }
    else
    {
        GetHitRect(ht, m_rectTracker);
        if (IsRowBar(ht))
            row = ht - vSplitterBar1;
        else
            col = ht - hSplitterBar1;
    }
    // The bar may move across the two panes it separates, no further.
    m_rectLimit = inside;
    if (row >= 0)
    {
        m_rectLimit.top = RowTop(row);
        m_rectLimit.bottom = RowTop(row + 1) + m_pRowInfo[static_cast<std::size_t>(row + 1)].nCurSize;
    }
    if (col >= 0)
    {
        m_rectLimit.left = ColumnLeft(col);
        m_rectLimit.right = ColumnLeft(col + 1) + m_pColInfo[static_cast<std::size_t>(col + 1)].nCurSize;
    }
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    m_ptTrackOffset.x = col >= 0 ? cursor.x - (m_bTracking2 ? m_rectTracker2.left : m_rectTracker.left) : 0;
    m_ptTrackOffset.y = row >= 0 ? cursor.y - m_rectTracker.top : 0;
    m_bTracking = TRUE;
    SetCapture();
    // Escape ends the drag: the keys come here until it is over.
    m_hWndPrevFocus = ::GetFocus();
    SetFocus();
    OnInvertTracker(m_rectTracker);
    if (m_bTracking2)
        OnInvertTracker(m_rectTracker2);
}

void CSplitterWnd::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bTracking)
    {
        CWnd::OnMouseMove(flags, point);
        return;
    }
    const bool rows = IsRowBar(m_htTrack) || m_bTracking2;
    const bool cols = IsColumnBar(m_htTrack) || m_bTracking2;
    CRect& colTracker = m_bTracking2 ? m_rectTracker2 : m_rectTracker;
    if (rows)
    {
        const int height = m_rectTracker.Height();
        const int top = std::clamp<int>(point.y - m_ptTrackOffset.y, m_rectLimit.top,
                                        std::max<int>(m_rectLimit.top, m_rectLimit.bottom - height));
        if (top != m_rectTracker.top)
        {
            OnInvertTracker(m_rectTracker);
            m_rectTracker.OffsetRect(0, top - m_rectTracker.top);
            OnInvertTracker(m_rectTracker);
        }
    }
    if (cols)
    {
        const int width = colTracker.Width();
        const int left = std::clamp<int>(point.x - m_ptTrackOffset.x, m_rectLimit.left,
                                         std::max<int>(m_rectLimit.left, m_rectLimit.right - width));
        if (left != colTracker.left)
        {
            OnInvertTracker(colTracker);
            colTracker.OffsetRect(left - colTracker.left, 0);
            OnInvertTracker(colTracker);
        }
    }
}

void CSplitterWnd::OnLButtonDown(UINT flags, CPoint point)
{
    if (m_bTracking)
        return;
    const int ht = HitTest(point);
    if (ht == noHit)
    {
        CWnd::OnLButtonDown(flags, point);
        return;
    }
    StartTracking(ht);
}

void CSplitterWnd::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_bTracking)
    {
        StopTracking(TRUE);
        return;
    }
    CWnd::OnLButtonUp(flags, point);
}

void CSplitterWnd::OnLButtonDblClk(UINT flags, CPoint point)
{
    CWnd::OnLButtonDblClk(flags, point);
}

void CSplitterWnd::StopTracking(BOOL accept)
{
    if (!m_bTracking)
        return;
    m_bTracking = FALSE;
    OnInvertTracker(m_rectTracker);
    if (m_bTracking2)
        OnInvertTracker(m_rectTracker2);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const int ht = m_htTrack;
    m_htTrack = noHit;
    if (m_hWndPrevFocus && ::IsWindow(m_hWndPrevFocus))
        ::SetFocus(m_hWndPrevFocus);
    m_hWndPrevFocus = nullptr;
    if (!accept)
        return;
    if (IsIntersection(ht))
    {
        TrackRowSize(m_rectTracker.top, (ht - splitterIntersection1) / 15);
        TrackColumnSize(m_rectTracker2.left, (ht - splitterIntersection1) % 15);
    }
    else if (IsRowBar(ht))
        TrackRowSize(m_rectTracker.top, ht - vSplitterBar1);
    else if (IsColumnBar(ht))
        TrackColumnSize(m_rectTracker.left, ht - hSplitterBar1);
    RecalcLayout();
}

void CSplitterWnd::TrackRowSize(int y, int row)
{
    if (row < 0 || row >= m_nRows)
        return;
    CRowColInfo& info = m_pRowInfo[static_cast<std::size_t>(row)];
    const int size = y - RowTop(row);
    info.nIdealSize = size < info.nMinSize ? 0 : size;
}

void CSplitterWnd::TrackColumnSize(int x, int col)
{
    if (col < 0 || col >= m_nCols)
        return;
    CRowColInfo& info = m_pColInfo[static_cast<std::size_t>(col)];
    const int size = x - ColumnLeft(col);
    info.nIdealSize = size < info.nMinSize ? 0 : size;
}

void CSplitterWnd::OnKeyDown(UINT ch, UINT repeat, UINT flags)
{
    if (m_bTracking && ch == VK_ESCAPE)
    {
        StopTracking(FALSE);
        return;
    }
    CWnd::OnKeyDown(ch, repeat, flags);
}

void CSplitterWnd::OnCaptureChanged(CWnd* wnd)
{
    if (m_bTracking && (!wnd || wnd->m_hWnd != m_hWnd))
        StopTracking(FALSE);
    CWnd::OnCaptureChanged(wnd);
}

BOOL CSplitterWnd::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (wnd == this && hitTest == HTCLIENT)
    {
        CPoint cursor;
        ::GetCursorPos(&cursor);
        ScreenToClient(&cursor);
        const int ht = m_bTracking ? m_htTrack : HitTest(cursor);
        LPCSTR shape = IsRowBar(ht)         ? IDC_SIZENS
                       : IsColumnBar(ht)    ? IDC_SIZEWE
                       : IsIntersection(ht) ? IDC_SIZEALL
                                            : nullptr;
        if (shape)
        {
            ::SetCursor(::LoadCursor(nullptr, shape));
            return TRUE;
        }
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}

void CSplitterWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED)
        RecalcLayout();
}

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    CWnd* parent = GetParent();
    return parent && parent->m_hWnd ? static_cast<BOOL>(parent->SendMessage(WM_COMMAND, wParam, lParam))
                                    : FALSE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result))
        return TRUE;
    CWnd* parent = GetParent();
    if (!parent || !parent->m_hWnd)
        return FALSE;
    *result = parent->SendMessage(WM_NOTIFY, wParam, lParam);
    return TRUE;
}
