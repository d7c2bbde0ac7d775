// Drawing of the multi-line grid's lines: cells through the data descriptor, the selection, the
// check mark of the section and the tree glyphs in the first column.
#include "grid/MultiLineListCtrl.h"

#include "winlib/HeaderCtrl.h"
#include "winlib/ImageList.h"

#include <algorithm>

namespace
{

constexpr int kGlyphInset = 2;    // from the cell's left edge to the glyph
constexpr int kGlyphStep = 12;    // what a glyph takes of the first column
constexpr int kCellTextInset = 3; // left- and right-aligned texts keep off the cell's edges
constexpr int kCheckBoxSize = 13;
constexpr COLORREF kSelectionFocusedFrom = 0xE17B52;
constexpr COLORREF kSelectionFocusedTo = 0xFFA63C;
constexpr COLORREF kSelectionUnfocusedFrom = 0x7E7E7E;
constexpr COLORREF kSelectionUnfocusedTo = 0x000000;
constexpr const char* kIconFailedText = "Failed to draw icon";

void HorizontalGradient(CDC& dc, const CRect& rect, COLORREF from, COLORREF to)
{
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, static_cast<COLOR16>(GetRValue(from) << 8),
         static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {rect.right, rect.bottom, static_cast<COLOR16>(GetRValue(to) << 8),
         static_cast<COLOR16>(GetGValue(to) << 8), static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT mesh{0, 1};
    dc.GradientFill(vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}

void Line(CDC& dc, int x1, int y1, int x2, int y2)
{
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
}

UINT AlignmentOf(int format)
{
    switch (format & LVCFMT_JUSTIFYMASK)
    {
    case LVCFMT_LEFT:
        return DT_LEFT;
    case LVCFMT_RIGHT:
        return DT_RIGHT;
    default:
        return DT_CENTER;
    }
}

} // namespace

void CMultiLineListCtrl::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!m_bSectionMode)
    {
        CCommonListCtrl::DrawItem(dis);
        return;
    }
    CDC* dc = CDC::FromHandle(dis->hDC);
    if (dc)
        DrawLine(*dc, *dis);
}

int CMultiLineListCtrl::DrawGlyphs(CDC& dc, const CRect& cell, const sMultiLineColInfo& entry, int line,
                                   int displayLine)
{
    if (entry.m_nLineCount < 2)
        return 0;
    const int x = cell.left + kGlyphInset;
    const int y = cell.top;
    if (line == 0)
    {
        CPen solid(PS_SOLID, 1, m_clrGlyph);
        CPen* old = dc.SelectObject(&solid);
        // A 9 x 9 box with the minus bar; the plus adds the vertical bar.
        Line(dc, x, y + 2, x + 8, y + 2);
        Line(dc, x + 8, y + 2, x + 8, y + 10);
        Line(dc, x + 8, y + 10, x, y + 10);
        Line(dc, x, y + 10, x, y + 2);
        Line(dc, x + 2, y + 6, x + 7, y + 6);
        if (IsSectionExpanded(displayLine))
        {
            dc.SelectObject(&m_penTree);
            Line(dc, x + 4, y + 10, x + 4, cell.bottom);
        }
        else
            Line(dc, x + 4, y + 4, x + 4, y + 9);
        dc.SelectObject(old);
    }
    else
    {
        CPen* old = dc.SelectObject(&m_penTree);
        const bool last = line >= entry.m_nLineCount - 1;
        Line(dc, x + 4, y, x + 4, last ? y + 6 : cell.bottom);
        Line(dc, x + 4, y + 6, x + 10, y + 6);
        dc.SelectObject(old);
    }
    return kGlyphStep;
}

void CMultiLineListCtrl::DrawLine(CDC& dc, const DRAWITEMSTRUCT& dis)
{
    const int displayLine = static_cast<int>(dis.itemID);
    if (displayLine < 0 || displayLine >= m_nVisibleEntries + m_nExtraLines)
        return;
    int line = 0;
    const sMultiLineColInfo* entry = ResolveLine(displayLine, &line);
    if (!entry || line >= entry->m_nLineCount)
        return;
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;

    const bool selected = (dis.itemState & ODS_SELECTED) != 0;
    if (selected && displayLine != m_nSelectedLine)
    {
        // The line that was selected before is drawn again unselected (with the highlight off,
        // the title lines of both sections, which show the selection for the section).
        m_nPrevSelectedLine = m_nSelectedLine;
        m_nSelectedLine = displayLine;
        for (int other : {m_nPrevSelectedLine, displayLine})
        {
            int within = 0;
            if (other < 0 || !ResolveLine(other, &within))
                continue;
            const int redraw = m_bHighlightSelectedLine ? other : other - within;
            if (redraw != displayLine)
                CListCtrl::RedrawItems(redraw, redraw);
        }
    }
    const bool focused = ::GetFocus() == m_hWnd;

    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count > 0)
        header->GetOrderArray(order.data(), count);
    const CFont* font = GetFont();
    CFont* oldFont = font ? dc.SelectObject(const_cast<CFont*>(font)) : nullptr;
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    const bool checkBoxes = (GetExtendedStyle() & LVS_EX_CHECKBOXES) || GetImageList(LVSIL_STATE);
    CImageList* images = GetImageList(LVSIL_SMALL);

    // Keyword colouring: the line's text colour where the descriptor gives none.
    COLORREF keywordColor = CLR_NONE;
    if (m_bAppearanceColors && m_appearance.m_nKeywordColumn >= 0)
    {
        COLORREF color = CLR_NONE;
        if (m_appearance.KeywordColor(LineText(*entry, m_appearance.m_nKeywordColumn, line), color))
            keywordColor = color;
    }
    const COLORREF listText = CListCtrl::GetTextColor();

    int left = dis.rcItem.left;
    for (int position = 0; position < count; ++position)
    {
        const int item = order[static_cast<std::size_t>(position)];
        const int width = CListCtrl::GetColumnWidth(item);
        CRect cell(left, dis.rcItem.top, left + width, dis.rcItem.bottom);
        left += width;
        const int column = ColumnOfPosition(position);
        std::string text;
        COLORREF textColor = CLR_NONE;
        COLORREF bkColor = CLR_NONE;
        int image = -1;
        GetCell(*entry, column, line, text, textColor, bkColor, image);
        if (keywordColor != CLR_NONE && textColor == listText)
            textColor = keywordColor;

        if (selected && m_bHighlightSelectedLine)
        {
            dc.FillSolidRect(&cell, ::GetSysColor(COLOR_HIGHLIGHT));
            textColor = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        else if (selected)
        {
            HorizontalGradient(dc, cell, focused ? kSelectionFocusedFrom : kSelectionUnfocusedFrom,
                               focused ? kSelectionFocusedTo : kSelectionUnfocusedTo);
            textColor = RGB(255, 255, 255);
        }
        else
            dc.FillSolidRect(&cell, bkColor);

        CRect textRect = cell;
        if (position == 0)
        {
            if (checkBoxes)
            {
                CRect box(textRect.left + 2, textRect.top + (textRect.Height() - kCheckBoxSize) / 2,
                          textRect.left + 2 + kCheckBoxSize,
                          textRect.top + (textRect.Height() - kCheckBoxSize) / 2 + kCheckBoxSize);
                dc.DrawFrameControl(&box, DFC_BUTTON,
                                    DFCS_BUTTONCHECK | (entry->m_nCheck ? DFCS_CHECKED : 0));
                textRect.left = box.right + 2;
            }
            CRect glyphCell = textRect;
            textRect.left += DrawGlyphs(dc, glyphCell, *entry, line, displayLine);
            if (image >= 0)
            {
                if (!images ||
                    !images->Draw(&dc, image, CPoint(textRect.left, textRect.top), ILD_TRANSPARENT))
                {
                    dc.SetTextColor(textColor);
                    dc.DrawText(kIconFailedText, -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                    continue;
                }
                IMAGEINFO info{};
                if (images->GetImageInfo(image, &info))
                    textRect.left += info.rcImage.right - info.rcImage.left;
            }
        }
        const UINT align = (column >= 0 && column < static_cast<int>(m_arrColumns.size()))
                               ? AlignmentOf(m_arrColumns[static_cast<std::size_t>(column)].m_nFormat)
                               : DT_LEFT;
        if (align != DT_CENTER)
            textRect.DeflateRect(kCellTextInset, 0);
        dc.SetTextColor(textColor);
        dc.DrawText(text.c_str(), -1, &textRect,
                    align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if ((dis.itemState & ODS_FOCUS) && !m_bHighlightSelectedLine)
    {
        CRect focus = dis.rcItem;
        focus.right = std::min<LONG>(focus.right, left);
        dc.DrawFocusRect(&focus);
    }
    dc.SetBkMode(oldMode);
    if (oldFont)
        dc.SelectObject(oldFont);
}
