// The report list view: painting. Only the rows inside the area to paint are drawn and
// asked for; owner-drawn lists get WM_DRAWITEM per row, the others draw themselves with
// NM_CUSTOMDRAW stages around every row and cell.
#include "ImageListAccess.h"
#include "ListView.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kCheckBoxSize = 13;

// The font selected in a context now (what a parent left there after custom draw).
HFONT SelectedFont(HDC hdc, HFONT fallback)
{
    const HGDIOBJ current = SelectObject(hdc, fallback);
    SelectObject(hdc, current);
    return current ? static_cast<HFONT>(current) : fallback;
}

} // namespace

void ListViewBehaviour::Paint()
{
    PAINTSTRUCT ps;
    const HDC hdc = BeginPaint(m_hwnd, &ps);
    if (!hdc)
        return;
    const CRect paint = CRect(ps.rcPaint) & RowsArea();
    if (!paint.IsRectEmpty())
    {
        if (m_exStyle & LVS_EX_DOUBLEBUFFER)
        {
            const CRect client = ClientOf(m_hwnd);
            const HDC memory = CreateCompatibleDC(hdc);
            const HBITMAP bitmap = CreateCompatibleBitmap(hdc, client.Width(), client.Height());
            const HGDIOBJ old = SelectObject(memory, bitmap);
            PaintContent(memory, paint, true);
            BitBlt(hdc, paint.left, paint.top, paint.Width(), paint.Height(), memory, paint.left, paint.top,
                   SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(bitmap);
            DeleteDC(memory);
        }
        else
            PaintContent(hdc, paint, false);
    }
    EndPaint(m_hwnd, &ps);
}

void ListViewBehaviour::EraseBackground(HDC hdc, const CRect& area) const
{
    if (m_bkColor == CLR_NONE || area.IsRectEmpty())
        return;
    CDC::FromHandle(hdc)->FillSolidRect(&area, m_bkColor);
}

LRESULT ListViewBehaviour::CustomDraw(HDC hdc, NMLVCUSTOMDRAW& cd) const
{
    cd.nmcd.hdc = hdc;
    return Notify(cd.nmcd.hdr, NM_CUSTOMDRAW);
}

void ListViewBehaviour::PaintContent(HDC hdc, const CRect& paint, bool eraseBackground, int onlyItem)
{
    const HWND hwnd = m_hwnd;
    const int saved = SaveDC(hdc);
    const CRect rows = RowsArea();
    if (onlyItem < 0)
        IntersectClipRect(hdc, rows.left, rows.top, rows.right, rows.bottom);
    SelectObject(hdc, ControlFont(hwnd));
    if (eraseBackground)
        EraseBackground(hdc, paint);

    const bool ownerDraw = OwnerDraw();
    LRESULT overall = CDRF_DODEFAULT;
    if (!ownerDraw)
    {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = CDDS_PREPAINT;
        cd.nmcd.rc = ClientOf(hwnd);
        cd.clrText = m_textColor;
        cd.clrTextBk = m_textBkColor;
        overall = CustomDraw(hdc, cd);
        if (!IsWindow(hwnd))
            return;
    }
    const ColumnLayout columns = Columns();
    const int count = Count();
    if (!(overall & CDRF_SKIPDEFAULT) && count > 0)
    {
        const int first =
            onlyItem >= 0 ? onlyItem : m_top + (paint.top - m_headerHeight) / std::max(1, m_rowHeight);
        const int last =
            onlyItem >= 0
                ? onlyItem
                : std::min(count - 1, m_top + (paint.bottom - 1 - m_headerHeight) / std::max(1, m_rowHeight));
        if (first <= last)
        {
            if (m_ownerData)
            {
                NMLVCACHEHINT hint{};
                hint.iFrom = first;
                hint.iTo = last;
                Notify(hint.hdr, LVN_ODCACHEHINT);
                if (!IsWindow(hwnd))
                    return;
            }
            if (ownerDraw)
                PaintOwnerDrawn(hdc, first, last, columns);
            else
                PaintRows(hdc, first, last, columns, paint, overall);
            if (!IsWindow(hwnd))
                return;
        }
    }
    if ((m_exStyle & LVS_EX_GRIDLINES) && onlyItem < 0)
        PaintGridLines(hdc, columns);
    if (!ownerDraw && (overall & CDRF_NOTIFYPOSTPAINT))
    {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
        cd.nmcd.rc = ClientOf(hwnd);
        CustomDraw(hdc, cd);
        if (!IsWindow(hwnd))
            return;
    }
    RestoreDC(hdc, saved);
}

HIMAGELIST ListViewBehaviour::CreateDragImage(int item, POINT* upperLeft)
{
    if (!ValidItem(item))
        return nullptr;
    const CRect bounds = PartsOf(item, Columns()).bounds;
    if (bounds.IsRectEmpty())
        return nullptr;
    const HDC window = GetDC(m_hwnd);
    const HDC memory = CreateCompatibleDC(window);
    const HBITMAP bitmap = CreateCompatibleBitmap(window, bounds.Width(), bounds.Height());
    ReleaseDC(m_hwnd, window);
    HIMAGELIST images = nullptr;
    if (memory && bitmap)
    {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        const CRect all(0, 0, bounds.Width(), bounds.Height());
        // A list without a background colour of its own still shows its rows on the window colour.
        FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
        SetViewportOrgEx(memory, -bounds.left, -bounds.top, nullptr);
        PaintContent(memory, bounds, true, item);
        SetViewportOrgEx(memory, 0, 0, nullptr);
        SelectObject(memory, old);
        images = ImageList_Create(bounds.Width(), bounds.Height(), ILC_COLOR24 | ILC_MASK, 1, 0);
        if (images && ImageList_Add(images, bitmap, nullptr) < 0)
        {
            ImageList_Destroy(images);
            images = nullptr;
        }
    }
    if (bitmap)
        DeleteObject(bitmap);
    if (memory)
        DeleteDC(memory);
    if (images && upperLeft)
        *upperLeft = bounds.TopLeft();
    return images;
}

void ListViewBehaviour::PaintOwnerDrawn(HDC hdc, int first, int last, const ColumnLayout& columns)
{
    const HWND hwnd = m_hwnd;
    const HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    const UINT id = static_cast<UINT>(GetDlgCtrlID(hwnd));
    const bool focused = GetFocus() == hwnd;
    for (int item = first; item <= last && ValidItem(item); ++item)
    {
        UINT state = 0;
        if (IsSelected(item))
            state |= ODS_SELECTED;
        if (focused && item == m_focus)
            state |= ODS_FOCUS;
        DRAWITEMSTRUCT dis{ODT_LISTVIEW,
                           id,
                           static_cast<UINT>(item),
                           ODA_DRAWENTIRE,
                           state,
                           hwnd,
                           hdc,
                           PartsOf(item, columns).bounds,
                           static_cast<ULONG_PTR>(ItemParam(item))};
        SendMessage(parent, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&dis));
        if (!IsWindow(hwnd))
            return;
    }
}

void ListViewBehaviour::PaintRows(HDC hdc, int first, int last, const ColumnLayout& columns,
                                  const CRect& paint, LRESULT overall)
{
    const HWND hwnd = m_hwnd;
    const bool focused = GetFocus() == hwnd;
    RowsPaint rows{hdc,
                   CDC::FromHandle(hdc),
                   ControlFont(hwnd),
                   columns,
                   paint,
                   overall,
                   m_callbackMask,
                   focused,
                   focused || (Style() & LVS_SHOWSELALWAYS),
                   (m_exStyle & LVS_EX_FULLROWSELECT) != 0,
                   (m_exStyle & LVS_EX_SUBITEMIMAGES) && m_smallImages};
    // What the parent supplies for column 0: text and image on demand, states in the mask.
    if (m_ownerData && (m_stateImages || (m_exStyle & LVS_EX_CHECKBOXES)))
        rows.askState |= LVIS_STATEIMAGEMASK;

    for (int item = first; item <= last && ValidItem(item); ++item)
    {
        const ItemParts parts = PartsOf(item, columns);
        RowLook row;
        if (!LookOfRow(rows, item, parts, row))
            return;
        if (row.answer & CDRF_SKIPDEFAULT)
            continue;
        for (int column : columns.order)
        {
            if (!PaintCell(rows, row, parts, item, column))
                return;
        }
        if (focused && item == m_focus && (row.cd.nmcd.uItemState & CDIS_FOCUS))
        {
            CRect focus = rows.fullRow ? parts.bounds : parts.label;
            if (!focus.IsRectEmpty())
                rows.dc->DrawFocusRect(&focus);
        }
        if (row.answer & CDRF_NOTIFYPOSTPAINT)
        {
            row.cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            CustomDraw(hdc, row.cd);
            if (!IsWindow(hwnd))
                return;
        }
    }
}

bool ListViewBehaviour::LookOfRow(const RowsPaint& rows, int item, const ItemParts& parts, RowLook& row)
{
    const HWND hwnd = m_hwnd;
    row.state = StoredState(item);
    UINT ask = rows.askState ? LVIF_STATE : 0U;
    const ListCell* cell = m_ownerData ? nullptr : StoredCell(item, 0);
    if (!cell || cell->callback)
        ask |= LVIF_TEXT;
    if (m_smallImages && (!cell || cell->image == I_IMAGECALLBACK))
        ask |= LVIF_IMAGE;
    DispAnswer answer;
    if (ask)
    {
        answer = AskDispInfo(item, 0, ask, rows.askState);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
        cell = m_ownerData ? nullptr : StoredCell(item, 0); // the answer may have moved the cells
    }
    row.label = (ask & LVIF_TEXT) ? answer.text : cell->text;
    row.image = (ask & LVIF_IMAGE) ? answer.image : (cell ? cell->image : I_IMAGENONE);
    if (ask & LVIF_STATE)
        row.state = (row.state & ~rows.askState) | answer.state;

    NMLVCUSTOMDRAW& cd = row.cd;
    cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    cd.nmcd.rc = parts.bounds;
    cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
    cd.nmcd.uItemState = ((row.state & LVIS_SELECTED) ? CDIS_SELECTED : 0U) |
                         ((rows.focused && item == m_focus) ? CDIS_FOCUS : 0U);
    cd.nmcd.lItemlParam = ItemParam(item);
    cd.clrText = m_textColor;
    cd.clrTextBk = m_textBkColor;
    cd.dwItemType = LVCDI_ITEM;
    if (rows.overall & CDRF_NOTIFYITEMDRAW)
    {
        SelectObject(rows.hdc, rows.font);
        row.answer = CustomDraw(rows.hdc, cd);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
    }
    if (row.answer & CDRF_SKIPDEFAULT)
        return true;
    row.font = (row.answer & CDRF_NEWFONT) ? SelectedFont(rows.hdc, rows.font) : rows.font;
    row.highlighted = (cd.nmcd.uItemState & CDIS_SELECTED) && rows.showSelection;
    row.selection = CellColors{GetSysColor(rows.focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT),
                               GetSysColor(rows.focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE)};
    return true;
}

bool ListViewBehaviour::PaintCell(const RowsPaint& rows, const RowLook& row, const ItemParts& parts, int item,
                                  int column)
{
    const HWND hwnd = m_hwnd;
    const HDC hdc = rows.hdc;
    const CRect cellRect = CellRect(item, column, rows.columns);
    if (cellRect.right <= rows.paint.left || cellRect.left >= rows.paint.right || cellRect.IsRectEmpty())
        return true;
    CellColors colors{row.cd.clrText, row.cd.clrTextBk};
    HFONT cellFont = row.font;
    LRESULT cellAnswer = CDRF_DODEFAULT;
    NMLVCUSTOMDRAW scd = row.cd;
    if (row.answer & CDRF_NOTIFYSUBITEMDRAW)
    {
        scd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
        scd.nmcd.rc = cellRect;
        scd.iSubItem = column;
        SelectObject(hdc, row.font);
        cellAnswer = CustomDraw(hdc, scd);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
        if (cellAnswer & CDRF_SKIPDEFAULT)
            return true;
        colors = CellColors{scd.clrText, scd.clrTextBk};
        if (cellAnswer & CDRF_NEWFONT)
            cellFont = SelectedFont(hdc, row.font);
    }
    const bool lit = row.highlighted && (rows.fullRow || column == 0);
    const CellColors& used = lit ? row.selection : colors;

    std::string text;
    CRect textArea = cellRect;
    if (column == 0)
    {
        text = row.label;
        textArea = parts.label;
        PaintLabelCell(rows, row, parts, cellRect, lit, used);
    }
    else if (!PaintSubItemCell(rows, item, column, cellRect, used, text, textArea))
        return false;

    if (!text.empty())
        DrawCellText(hdc, column, text, textArea, cellFont, used.text);
    if (cellAnswer & CDRF_NOTIFYPOSTPAINT)
    {
        scd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT | CDDS_SUBITEM;
        CustomDraw(hdc, scd);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
    }
    return true;
}

// Column 0: its background, the state image or check box and the small image.
void ListViewBehaviour::PaintLabelCell(const RowsPaint& rows, const RowLook& row, const ItemParts& parts,
                                       const CRect& cellRect, bool lit, const CellColors& used) const
{
    const HDC hdc = rows.hdc;
    if (!lit && used.background != CLR_NONE)
        rows.dc->FillSolidRect(&cellRect, used.background);
    if (lit)
    {
        const CRect fill(rows.fullRow ? parts.icon.left : parts.label.left, cellRect.top, cellRect.right,
                         cellRect.bottom);
        rows.dc->FillSolidRect(&fill, used.background);
    }
    const UINT stateImage = (row.state & LVIS_STATEIMAGEMASK) >> 12;
    if (!parts.state.IsRectEmpty() && stateImage > 0)
    {
        const SIZE size = ImageSize(m_stateImages);
        const bool drawn =
            m_stateImages && DrawImage(m_stateImages, static_cast<int>(stateImage) - 1, hdc, parts.state.left,
                                       parts.state.top + (m_rowHeight - size.cy) / 2, ILD_TRANSPARENT);
        if (!drawn && (m_exStyle & LVS_EX_CHECKBOXES))
        {
            CRect box(0, 0, kCheckBoxSize, kCheckBoxSize);
            box.OffsetRect(parts.state.left + (parts.state.Width() - kCheckBoxSize) / 2,
                           parts.state.top + (parts.state.Height() - kCheckBoxSize) / 2);
            DrawFrameControl(hdc, &box, DFC_BUTTON,
                             DFCS_BUTTONCHECK | DFCS_FLAT | (stateImage == 2 ? DFCS_CHECKED : 0U));
        }
    }
    if (!parts.icon.IsRectEmpty() && row.image >= 0)
    {
        const SIZE size = ImageSize(m_smallImages);
        DrawImage(m_smallImages, row.image, hdc, parts.icon.left,
                  parts.icon.top + (m_rowHeight - size.cy) / 2, lit ? ILD_SELECTED : ILD_TRANSPARENT);
    }
}

// A sub-item's background, text and image, stored or asked for; false when the list went
// away while the parent answered.
bool ListViewBehaviour::PaintSubItemCell(const RowsPaint& rows, int item, int column, const CRect& cellRect,
                                         const CellColors& used, std::string& text, CRect& textArea)
{
    const HWND hwnd = m_hwnd;
    int cellImage = I_IMAGENONE;
    if (used.background != CLR_NONE)
        rows.dc->FillSolidRect(&cellRect, used.background);
    if (m_ownerData)
    {
        const DispAnswer answer =
            AskDispInfo(item, column, LVIF_TEXT | (rows.subItemImages ? LVIF_IMAGE : 0U), 0);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
        text = answer.text;
        cellImage = rows.subItemImages ? answer.image : I_IMAGENONE;
    }
    else
    {
        if (const ListCell* cell = StoredCell(item, column))
        {
            // What the cell holds is taken before the parent is asked: an answer may move the
            // cells (rows deleted, the rest laid again).
            text = cell->text;
            cellImage = cell->image;
            const bool askText = cell->callback;
            const bool askImage = cell->image == I_IMAGECALLBACK;
            if (askText || (rows.subItemImages && askImage))
            {
                const DispAnswer answer =
                    AskDispInfo(item, column, (askText ? LVIF_TEXT : 0U) | (askImage ? LVIF_IMAGE : 0U), 0);
                if (!IsWindow(hwnd) || !ValidItem(item))
                    return false;
                if (askText)
                    text = answer.text;
                if (askImage)
                    cellImage = answer.image;
            }
        }
    }
    if (rows.subItemImages && cellImage >= 0)
    {
        const SIZE size = ImageSize(m_smallImages);
        DrawImage(m_smallImages, cellImage, rows.hdc, cellRect.left,
                  cellRect.top + (m_rowHeight - size.cy) / 2, ILD_TRANSPARENT);
        textArea.left += size.cx;
    }
    return true;
}

void ListViewBehaviour::DrawCellText(HDC hdc, int column, const std::string& text, CRect textArea, HFONT font,
                                     COLORREF colour) const
{
    textArea.DeflateRect(kListTextInset, 0);
    UINT align = DT_LEFT;
    if (column != 0)
    {
        switch (m_columns[static_cast<std::size_t>(column)].fmt & LVCFMT_JUSTIFYMASK)
        {
        case LVCFMT_RIGHT:
            align = DT_RIGHT;
            break;
        case LVCFMT_CENTER:
            align = DT_CENTER;
            break;
        default:
            break;
        }
    }
    SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, colour);
    DrawText(hdc, text.c_str(), static_cast<int>(text.size()), &textArea,
             align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void ListViewBehaviour::PaintGridLines(HDC hdc, const ColumnLayout& columns)
{
    const CRect rows = RowsArea();
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(hdc, pen);
    for (int column : columns.order)
    {
        const auto c = static_cast<std::size_t>(column);
        const int x = columns.left[c] + columns.width[c] - 1 - m_scrollX;
        if (x < rows.left || x >= rows.right)
            continue;
        MoveToEx(hdc, x, rows.top, nullptr);
        LineTo(hdc, x, rows.bottom);
    }
    for (int y = rows.top + m_rowHeight - 1; y < rows.bottom; y += std::max(1, m_rowHeight))
    {
        MoveToEx(hdc, rows.left, y, nullptr);
        LineTo(hdc, rows.right, y);
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

} // namespace winlib::detail
