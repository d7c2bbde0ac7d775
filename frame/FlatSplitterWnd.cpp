#include "frame/FlatSplitterWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CFlatSplitterWnd, CSplitterWnd)

CFlatSplitterWnd::CFlatSplitterWnd()
{
    m_cxSplitter = m_cySplitter = 5;
    m_cxSplitterGap = m_cySplitterGap = 5;
    m_cxBorderShare = m_cyBorderShare = 0;
    m_cxBorder = m_cyBorder = 1;
}

int CFlatSplitterWnd::GetRowIdeal(int row) const
{
    return row >= 0 && row < m_nRows ? m_pRowInfo[static_cast<std::size_t>(row)].nIdealSize : 0;
}

int CFlatSplitterWnd::GetColumnIdeal(int col) const
{
    return col >= 0 && col < m_nCols ? m_pColInfo[static_cast<std::size_t>(col)].nIdealSize : 0;
}

void CFlatSplitterWnd::LayoutFlat(std::vector<CRowColInfo>& info, int size, int gap)
{
    const std::size_t count = info.size();
    int left = std::max(size, 0);
    for (std::size_t i = 0; i < count; ++i)
    {
        CRowColInfo& one = info[i];
        const bool last = i + 1 == count;
        // A size below zero (a bad stored value) counts as a collapsed pane.
        const int minimum = std::max(one.nMinSize, 0);
        int wanted = last ? left : (one.nIdealSize < minimum ? 0 : std::max(one.nIdealSize, 0));
        // The open panes after this one keep their minimums (and their bars), so that a large
        // ideal size never squeezes them to nothing while there is room for them.
        int reserved = 0;
        for (std::size_t j = i + 1; j < count; ++j)
        {
            if (info[j].nIdealSize > 0 && info[j].nMinSize > 0)
                reserved += info[j].nMinSize + gap;
        }
        if (!last && reserved > 0 && wanted > left - reserved)
            wanted = std::max(left - reserved, minimum);
        if (left <= 0)
            one.nCurSize = 0;
        else if (i > 0 && minimum > left)
        {
            // Too little room for this one: the one before takes it.
            one.nCurSize = 0;
            info[i - 1].nCurSize += left + 2;
            left = 0;
        }
        else if (wanted == 0)
            one.nCurSize = 0;
        else if (wanted > left)
        {
            one.nCurSize = left;
            left = 0;
        }
        else
        {
            one.nCurSize = wanted;
            left -= wanted;
        }
        if (last)
            break;
        if (left > gap)
            left -= gap;
        else
        {
            // No room for the bar: the pane runs on over what is left of it.
            one.nCurSize += left;
            if (one.nCurSize > gap - 2)
                one.nCurSize -= gap - 2;
            left = 0;
        }
    }
}

void CFlatSplitterWnd::RecalcLayout()
{
    if (!m_hWnd || m_nRows == 0 || m_nCols == 0)
        return;
    CRect inside;
    GetClientRect(&inside);
    inside.DeflateRect(m_cxBorder, m_cyBorder);
    LayoutFlat(m_pColInfo, inside.Width(), m_cxSplitterGap);
    LayoutFlat(m_pRowInfo, inside.Height(), m_cySplitterGap);
    PlacePanes(inside);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void CFlatSplitterWnd::OnDrawSplitter(CDC* dc, ESplitType type, const CRect& rect)
{
    if (dc && type == splitBorder)
    {
        dc->Draw3dRect(&rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        return;
    }
    CSplitterWnd::OnDrawSplitter(dc, type, rect);
}

void CFlatSplitterWnd::OnLButtonDown(UINT flags, CPoint point)
{
    if (!m_bBarsMovable)
        return;
    CSplitterWnd::OnLButtonDown(flags, point);
}

void CFlatSplitterWnd::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bBarsMovable)
        return;
    CSplitterWnd::OnMouseMove(flags, point);
}

BOOL CFlatSplitterWnd::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    // Locked bars show no sizing cursor: the window's own cursor stays.
    if (!m_bBarsMovable)
        return CWnd::OnSetCursor(wnd, hitTest, message);
    return CSplitterWnd::OnSetCursor(wnd, hitTest, message);
}

void CFlatSplitterWnd::OnSize(UINT type, int cx, int cy)
{
    if (!m_bBarsMovable && m_nRows > 0)
    {
        const int first = std::max(cy - kLockedLastRow, 1);
        SetRowInfo(0, first, first);
    }
    CSplitterWnd::OnSize(type, cx, cy);
}

bool CFlatSplitterWnd::IsPaneOpen(int index) const
{
    const std::vector<CRowColInfo>& info = m_nRows > 1 ? m_pRowInfo : m_pColInfo;
    return index >= 0 && index < static_cast<int>(info.size()) &&
           info[static_cast<std::size_t>(index)].nCurSize > 0;
}

void CFlatSplitterWnd::OpenPane(std::vector<CRowColInfo>& info, std::size_t index)
{
    if (index >= info.size())
        return;
    info[index].nIdealSize = std::max(kRestoredSize, info[index].nMinSize);
    // The last pane takes what the others leave: the one before it gives up the room.
    if (index + 1 == info.size() && index > 0)
    {
        CRowColInfo& before = info[index - 1];
        before.nIdealSize = std::max({before.nMinSize, 1, before.nCurSize - info[index].nIdealSize});
    }
}

void CFlatSplitterWnd::OpenPane(int index)
{
    OpenPane(m_nRows > 1 ? m_pRowInfo : m_pColInfo, static_cast<std::size_t>(std::max(index, 0)));
    RecalcLayout();
}

void CFlatSplitterWnd::OnLButtonDblClk(UINT flags, CPoint point)
{
    // Running totals start at the inside edge, so that the whole bar below (right of) a pane
    // belongs to that pane. A bar beside a closed pane after it brings that pane back; any other
    // collapses the pane before it, or brings it back.
    const auto toggle = [](std::vector<CRowColInfo>& info, int start, int gap, int at)
    {
        int total = start;
        for (std::size_t i = 0; i < info.size(); ++i)
        {
            CRowColInfo& one = info[i];
            total += one.nCurSize + gap;
            if (total > at)
            {
                if (one.nCurSize > 0 && i + 1 < info.size() && info[i + 1].nCurSize == 0)
                    OpenPane(info, i + 1);
                else
                    one.nIdealSize = one.nCurSize > 0 ? 0 : kRestoredSize;
                return true;
            }
        }
        return false;
    };
    if (toggle(m_pRowInfo, m_cyBorder, m_cySplitterGap, point.y))
        RecalcLayout();
    if (toggle(m_pColInfo, m_cxBorder, m_cxSplitterGap, point.x))
        RecalcLayout();
    CSplitterWnd::OnLButtonDblClk(flags, point);
}
