// The filter list draws its own rows in data mode: the row's colours (the owner's, the keyword
// colours, solid or gradient backgrounds, the selection gradients), the check box, the icons and
// the cells' texts.
#include "grid/FilterListCtrl.h"

#include "grid/FilterListInternal.h"
#include "winlib/ImageList.h"
#include "winlib/Modules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace
{

using filter_list::kNoColor;
using filter_list::kNoColor2;

constexpr int kCellInset = 3;
constexpr int kIconCellWidth = 30;

bool IsUnset(COLORREF color)
{
    return color == kNoColor || color == kNoColor2;
}

using PFN_GradientFill = BOOL (*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);

// GradientFill comes from msimg32, looked up when first needed; without it rows are solid.
PFN_GradientFill GradientFillFunction()
{
    HMODULE module = ::LoadLibrary("msimg32.dll");
    return module ? reinterpret_cast<PFN_GradientFill>(::GetProcAddress(module, "GradientFill")) : nullptr;
}

COLOR16 Channel(BYTE value)
{
    return static_cast<COLOR16>(value << 8);
}

// Inline: it runs for each keyword on every painted row.
inline std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

} // namespace

// ---- Drawing ------------------------------------------------------------------------------------

void CFilterListCtrl::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    LOGFONT lf{};
    if (CFont* font = GetFont())
        font->GetLogFont(&lf);
    int height = std::abs(lf.lfHeight);
    if (height == 0)
    {
        CClientDC dc(this);
        TEXTMETRIC tm{};
        dc.GetTextMetrics(&tm);
        height = tm.tmHeight;
    }
    mis->itemHeight = static_cast<UINT>((height + 4) * std::max(1, m_nLinesPerRow));
}

void CFilterListCtrl::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!m_bDataMode || !HasDescriptor())
    {
        CCommonListCtrl::DrawItem(dis);
        return;
    }
    DrawRow(dis);
}

void CFilterListCtrl::FillRowBackground(CDC& dc, const CRect& rect, COLORREF from, COLORREF to,
                                        bool gradient) const
{
    static const PFN_GradientFill gradientFill = GradientFillFunction();
    if (!gradient || !gradientFill)
    {
        dc.FillSolidRect(&rect, from);
        return;
    }
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, Channel(GetRValue(from)), Channel(GetGValue(from)), Channel(GetBValue(from)),
         0},
        {rect.right, rect.bottom, Channel(GetRValue(to)), Channel(GetGValue(to)), Channel(GetBValue(to)), 0}};
    GRADIENT_RECT mesh{0, 1};
    gradientFill(dc.m_hDC, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}

void CFilterListCtrl::DrawRow(LPDRAWITEMSTRUCT dis)
{
    const int row = static_cast<int>(dis->itemID);
    const std::uint32_t slot = SlotOfRow(row);
    CHeaderCtrl* header = GetHeaderCtrl();
    if (slot == FilterRows::kNone || !header)
        return;
    const FilterRows::Record& record = m_rows.At(slot);
    const DWORD_PTR item = static_cast<DWORD_PTR>(record.item);
    CDC* dc = CDC::FromHandle(dis->hDC);
    const int saved = dc->SaveDC();
    if (CFont* font = GetFont())
        dc->SelectObject(font);
    dc->SetBkMode(TRANSPARENT);
    const CRect rowRect(dis->rcItem);
    const bool focused = ::GetFocus() == m_hWnd;
    const bool selected = (dis->itemState & ODS_SELECTED) || (SelectionInRecords() && record.selected);
    const bool checkBoxes = (GetExtendedStyle() & LVS_EX_CHECKBOXES) || CListCtrl::GetImageList(LVSIL_STATE);
    CImageList* smallImages = CListCtrl::GetImageList(LVSIL_SMALL);
    const HIMAGELIST smallList =
        smallImages ? static_cast<HIMAGELIST>(*smallImages)
                    : reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));

    std::string text;
    COLORREF textColor = kNoColor;
    COLORREF bkColor = kNoColor;
    int image = -1;
    for (int column = 0; column < static_cast<int>(m_arrColumns.size()); ++column)
    {
        if (column != 0 && GetPositionOfColumn(column) < 0)
            continue;
        if (!GetCell(item, column, text, textColor, bkColor, image))
            break;
        if (column == 0)
        {
            COLORREF rowText = textColor;
            COLORREF rowBk = bkColor;
            if (m_bAppearanceColors && m_pfnRowColor)
                m_pfnRowColor(this, item, rowText, row, static_cast<UINT>(GetDlgCtrlID()));
            if (IsUnset(rowText))
                rowText = GetTextColor();
            if (IsUnset(rowBk))
                rowBk = GetBkColor();
            if (selected)
            {
                FillRowBackground(*dc, rowRect, focused ? kSelectionFocusFrom : kSelectionNoFocusFrom,
                                  focused ? kSelectionFocusTo : kSelectionNoFocusTo, true);
                rowText = RGB(255, 255, 255);
            }
            else
                FillRowBackground(*dc, rowRect, rowBk, RGB(255, 255, 255), m_bGradientRows != FALSE);
            dc->SetTextColor(rowText);
        }
        const int headerItem = GetItemOfColumn(column);
        if (headerItem < 0)
            continue;
        CRect cell;
        header->GetItemRect(headerItem, &cell);
        header->MapWindowPoints(this, &cell);
        cell.top = rowRect.top;
        cell.bottom = rowRect.bottom;
        if (headerItem == 0)
        {
            // The label cell carries the check box and the row's image, as the list view's does.
            if (checkBoxes)
            {
                CRect box(cell.left, cell.top, cell.left + 16, cell.bottom);
                CImageList* states = CListCtrl::GetImageList(LVSIL_STATE);
                if (states)
                    states->Draw(dc, record.check ? 1 : 0, CPoint(box.left, box.top), ILD_TRANSPARENT);
                else
                {
                    CRect mark(box.left + 2, box.CenterPoint().y - 6, box.left + 15, box.CenterPoint().y + 7);
                    dc->DrawFrameControl(&mark, DFC_BUTTON,
                                         DFCS_BUTTONCHECK | (record.check ? DFCS_CHECKED : 0));
                }
                cell.left = box.right;
            }
            if (smallList && image >= 0 && m_arrColumns[0].m_nFormat != LVCFMT_IMAGE)
            {
                int cx = 0;
                int cy = 0;
                ImageList_GetIconSize(smallList, &cx, &cy);
                ImageList_Draw(smallList, image, dc->m_hDC, cell.left, cell.top + (cell.Height() - cy) / 2,
                               ILD_TRANSPARENT);
                cell.left += cx;
            }
        }
        const int format = m_arrColumns[static_cast<std::size_t>(column)].m_nFormat;
        constexpr UINT kCellFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER;
        if (format == LVCFMT_IMAGE)
        {
            CRect icon(std::max(cell.left, cell.right - kIconCellWidth), cell.top, cell.right, cell.bottom);
            int cx = 0;
            int cy = 0;
            if (!smallList || image < 0 || image >= ImageList_GetImageCount(smallList) ||
                !ImageList_GetIconSize(smallList, &cx, &cy) ||
                !ImageList_Draw(smallList, image, dc->m_hDC, icon.left, icon.top + (icon.Height() - cy) / 2,
                                ILD_TRANSPARENT))
                dc->DrawText("Failed to draw icon", &cell, kCellFormat | DT_LEFT);
            continue;
        }
        if (format == LVCFMT_LEFT)
        {
            cell.left += kCellInset;
            dc->DrawText(text, &cell, kCellFormat | DT_LEFT);
        }
        else if (format == LVCFMT_RIGHT)
        {
            cell.right -= kCellInset;
            dc->DrawText(text, &cell, kCellFormat | DT_RIGHT);
        }
        else
            dc->DrawText(text, &cell, kCellFormat | DT_CENTER);
    }
    dc->RestoreDC(saved);
}

void CFilterListCtrl::KeywordRowColor(CCommonListCtrl* list, DWORD_PTR item, COLORREF& textColor, int, UINT)
{
    const auto* self = dynamic_cast<const CFilterListCtrl*>(list);
    if (!self)
        return;
    const sListAppearance& appearance = self->m_appearance;
    if (appearance.m_nKeywordColumn == -1 || !appearance.m_pKeywordColors || !appearance.m_pKeywords)
        return;
    std::string cell;
    if (!self->GetCellText(item, appearance.m_nKeywordColumn, cell))
        return;
    cell = Lowered(cell);
    const std::vector<std::string>& keywords = *appearance.m_pKeywords;
    const std::vector<COLORREF>& colors = *appearance.m_pKeywordColors;
    for (std::size_t i = 0; i < keywords.size() && i < colors.size(); ++i)
    {
        if (cell.find(Lowered(keywords[i])) != std::string::npos)
        {
            textColor = colors[i];
            return;
        }
    }
}
