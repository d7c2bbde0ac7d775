// The header control: where its items and filter fields lie, what a point hits, and painting.
#include "HeaderControl.h"
#include "ImageListAccess.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kDividerGrip = 4; // pixels on either side of a divider that grab it
constexpr int kTextMargin = 6;  // between the edge of an item and its text or image
constexpr int kSortArrowWidth = 8;

} // namespace

void HeaderBehaviour::Measure()
{
    const int height = FontMetrics(ControlFont(m_hwnd)).tmHeight;
    m_itemRowHeight = height + 7;
    m_filterRowHeight = height + 6;
}

int HeaderBehaviour::ItemBottom() const
{
    const CRect client = ClientOf(m_hwnd);
    if (!HasFilterBar())
        return client.bottom;
    return std::min<int>(client.bottom, ItemRowHeight());
}

int HeaderBehaviour::Position(int index) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), index);
    return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
}

int HeaderBehaviour::LeftOf(int index) const
{
    int x = 0;
    for (int other : m_order)
    {
        if (other == index)
            break;
        x += m_items[static_cast<std::size_t>(other)].width;
    }
    return x;
}

CRect HeaderBehaviour::ItemRect(int index) const
{
    const CRect client = ClientOf(m_hwnd);
    const int left = LeftOf(index);
    return CRect(left, 0, left + m_items[static_cast<std::size_t>(index)].width, client.bottom);
}

CRect HeaderBehaviour::ButtonRect(int index) const
{
    CRect r = ItemRect(index);
    r.bottom = ItemBottom();
    return r;
}

CRect HeaderBehaviour::FilterRect(int index) const
{
    CRect r = ItemRect(index);
    r.top = ItemBottom();
    return r;
}

CRect HeaderBehaviour::FilterButtonRect(int index) const
{
    const CRect f = FilterRect(index);
    const int width = std::min<int>(f.Height(), f.Width() / 2);
    return CRect(f.right - width, f.top, f.right, f.bottom);
}

CRect HeaderBehaviour::FilterFieldRect(int index) const
{
    CRect f = FilterRect(index);
    f.right = FilterButtonRect(index).left;
    return f;
}

int HeaderBehaviour::HitTest(POINT pt, UINT* flags) const
{
    const CRect client = ClientOf(m_hwnd);
    UINT outside = 0;
    if (pt.y < client.top)
        outside |= HHT_ABOVE;
    if (pt.y >= client.bottom)
        outside |= HHT_BELOW;
    if (pt.x < client.left)
        outside |= HHT_TOLEFT;
    if (pt.x >= client.right)
        outside |= HHT_TORIGHT;
    if (outside)
    {
        *flags = outside;
        return -1;
    }
    const int itemBottom = ItemBottom();
    if (pt.y < itemBottom)
    {
        // Dividers first, left to right, so that a zero-width column behind a visible one
        // does not take the grip of the visible one.
        int x = 0;
        for (int index : m_order)
        {
            x += m_items[static_cast<std::size_t>(index)].width;
            if (pt.x >= x - kDividerGrip && pt.x < x + kDividerGrip)
            {
                *flags = HHT_ONDIVIDER;
                return index;
            }
        }
    }
    int x = 0;
    for (int index : m_order)
    {
        const int width = m_items[static_cast<std::size_t>(index)].width;
        if (pt.x >= x && pt.x < x + width)
        {
            if (pt.y < itemBottom)
                *flags = HHT_ONHEADER;
            else
                *flags = FilterButtonRect(index).PtInRect(pt) ? HHT_ONFILTERBUTTON : HHT_ONFILTER;
            return index;
        }
        x += width;
    }
    *flags = HHT_NOWHERE;
    return -1;
}

bool HeaderBehaviour::Layout(HDLAYOUT* layout) const
{
    if (!layout || !layout->prc || !layout->pwpos)
        return false;
    RECT& area = *layout->prc;
    int height = 0;
    if (!(Style() & HDS_HIDDEN))
        height = ItemRowHeight() + (HasFilterBar() ? FilterRowHeight() : 0);
    height = std::min<int>(height, std::max<int>(0, area.bottom - area.top));
    WINDOWPOS& pos = *layout->pwpos;
    pos.hwnd = m_hwnd;
    pos.hwndInsertAfter = nullptr;
    pos.x = area.left;
    pos.y = area.top;
    pos.cx = area.right - area.left;
    pos.cy = height;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    area.top += height;
    return true;
}

void HeaderBehaviour::HeightChanged() const
{
    if (const HWND parent = GetParent(m_hwnd))
        SendMessage(parent, RegisterWindowMessage(kHeaderLayoutChangedMessage),
                    reinterpret_cast<WPARAM>(m_hwnd), 0);
}

LRESULT HeaderBehaviour::CustomDraw(HDC hdc, DWORD stage, const RECT& rc, int item, UINT state,
                                    LPARAM lParam) const
{
    const HWND parent = GetParent(m_hwnd);
    if (!parent)
        return CDRF_DODEFAULT;
    const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    NMCUSTOMDRAW cd{{m_hwnd, id, NM_CUSTOMDRAW}, stage, hdc, rc, static_cast<DWORD_PTR>(item), state, lParam};
    return SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&cd));
}

void HeaderBehaviour::Paint(HDC hdc, const RECT& paint)
{
    const HFONT font = ControlFont(m_hwnd);
    const HGDIOBJ oldFont = SelectObject(hdc, font);
    const CRect client = ClientOf(m_hwnd);
    const LRESULT overall = CustomDraw(hdc, CDDS_PREPAINT, client, 0, 0, 0);
    if (!(overall & CDRF_SKIPDEFAULT))
    {
        for (int index : m_order)
        {
            const CRect column = ItemRect(index);
            if (column.right <= paint.left || column.left >= paint.right || column.IsRectEmpty())
                continue;
            PaintItem(hdc, index, font, overall);
            if (HasFilterBar())
                PaintFilter(hdc, index, font);
        }
        PaintFeedback(hdc);
    }
    if (overall & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(hdc, CDDS_POSTPAINT, client, 0, 0, 0);
    SelectObject(hdc, oldFont);
}

bool HeaderBehaviour::Pressed(int index) const
{
    return m_mode == Mode::Press && m_item == index && m_pressedInside && (Style() & HDS_BUTTONS);
}

void HeaderBehaviour::PaintItem(HDC hdc, int index, HFONT font, LRESULT overall)
{
    const HeaderItem& item = m_items[static_cast<std::size_t>(index)];
    const CRect r = ButtonRect(index);
    const bool pressed = Pressed(index);
    if (item.fmt & HDF_OWNERDRAW)
    {
        const HWND parent = GetParent(m_hwnd);
        DRAWITEMSTRUCT dis{ODT_HEADER,
                           static_cast<UINT>(GetDlgCtrlID(m_hwnd)),
                           static_cast<UINT>(index),
                           ODA_DRAWENTIRE,
                           pressed ? ODS_SELECTED : 0U,
                           m_hwnd,
                           hdc,
                           r,
                           static_cast<ULONG_PTR>(item.lParam)};
        if (parent)
            SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        return;
    }
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
    SelectObject(hdc, font);
    LRESULT answer = CDRF_DODEFAULT;
    if (overall & CDRF_NOTIFYITEMDRAW)
        answer = CustomDraw(hdc, CDDS_ITEMPREPAINT, r, index, pressed ? CDIS_SELECTED : 0U, item.lParam);
    if (answer & CDRF_SKIPDEFAULT)
        return;
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (answer & CDRF_NEWFONT)
    {
        // The parent chose colours and perhaps a font in the context.
        text = GetTextColor(hdc);
        face = GetBkColor(hdc);
    }
    else
        SelectObject(hdc, font);

    CDC* dc = CDC::FromHandle(hdc);
    dc->FillSolidRect(&r, face);
    CRect edge = r;
    if (pressed)
        dc->Draw3dRect(&edge, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNSHADOW));
    else
        DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT);

    CRect content = r;
    content.DeflateRect(kTextMargin, 2);
    if (pressed)
        content.OffsetRect(1, 1);
    if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN))
    {
        const CRect arrow(content.right - kSortArrowWidth, content.top, content.right, content.bottom);
        PaintSortArrow(hdc, arrow, (item.fmt & HDF_SORTUP) != 0);
        content.right = arrow.left - 2;
    }
    const SIZE imageSize = ImageSize(m_images);
    const bool image =
        (item.fmt & HDF_IMAGE) && item.image >= 0 && imageSize.cx > 0 && ImageCount(m_images) > item.image;
    const bool imageRight = (item.fmt & HDF_BITMAP_ON_RIGHT) != 0;
    const int imageSpace = image ? imageSize.cx + m_bitmapMargin : 0;

    CRect textRect = content;
    if (image && !imageRight)
        textRect.left += imageSpace;
    if (image && imageRight)
        textRect.right -= imageSpace;
    int textLeft = textRect.left;
    int textWidth = 0;
    if (!item.text.empty() && textRect.right > textRect.left)
    {
        SIZE extent{};
        GetTextExtentPoint32(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &extent);
        textWidth = std::min<int>(extent.cx, textRect.Width());
        UINT align = DT_LEFT;
        switch (item.fmt & HDF_JUSTIFYMASK)
        {
        case HDF_RIGHT:
            align = DT_RIGHT;
            textLeft = textRect.right - textWidth;
            break;
        case HDF_CENTER:
            align = DT_CENTER;
            textLeft = textRect.left + (textRect.Width() - textWidth) / 2;
            break;
        default:
            break;
        }
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, text);
        DrawText(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &textRect,
                 align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    else if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
        textLeft = textRect.right;
    if (image)
    {
        // Beside the text: before it, or right after it with HDF_BITMAP_ON_RIGHT.
        int x = imageRight ? textLeft + textWidth + m_bitmapMargin : textLeft - imageSpace;
        x = std::clamp<int>(x, content.left, std::max<int>(content.left, content.right - imageSize.cx));
        const int y = content.top + (content.Height() - imageSize.cy) / 2;
        DrawImage(m_images, item.image, hdc, x, y, ILD_TRANSPARENT);
    }
    if (answer & CDRF_NOTIFYPOSTPAINT)
        CustomDraw(hdc, CDDS_ITEMPOSTPAINT, r, index, pressed ? CDIS_SELECTED : 0U, item.lParam);
}

void HeaderBehaviour::PaintSortArrow(HDC hdc, const CRect& area, bool up)
{
    const int cx = area.left + area.Width() / 2;
    const int cy = area.top + area.Height() / 2;
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    const HGDIOBJ old = SelectObject(hdc, pen);
    for (int row = 0; row < 4; ++row)
    {
        const int y = up ? cy - 2 + row : cy + 1 - row;
        MoveToEx(hdc, cx - row, y, nullptr);
        LineTo(hdc, cx + row + 1, y);
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void HeaderBehaviour::PaintFilter(HDC hdc, int index, HFONT font)
{
    const HeaderItem& item = m_items[static_cast<std::size_t>(index)];
    CDC* dc = CDC::FromHandle(hdc);
    CRect field = FilterFieldRect(index);
    if (field.IsRectEmpty() && FilterRect(index).IsRectEmpty())
        return;
    dc->FillSolidRect(&field, GetSysColor(COLOR_WINDOW));
    CRect frame = field;
    DrawEdge(hdc, &frame, BDR_SUNKENOUTER, BF_RECT);
    if (!(m_editing && m_editItem == index) && !item.filter.empty())
    {
        CRect text = field;
        text.DeflateRect(3, 1);
        SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
        DrawText(hdc, item.filter.c_str(), static_cast<int>(item.filter.size()), &text,
                 DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    CRect button = FilterButtonRect(index);
    if (button.IsRectEmpty())
        return;
    const bool pushed = m_mode == Mode::FilterButton && m_item == index && m_pressedInside;
    DrawFrameControl(hdc, &button, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0U));
    // A small funnel.
    const HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    const HGDIOBJ old = SelectObject(hdc, pen);
    const int cx = button.left + button.Width() / 2 + (pushed ? 1 : 0);
    const int top = button.top + button.Height() / 2 - 3 + (pushed ? 1 : 0);
    for (int row = 0; row < 4; ++row)
    {
        MoveToEx(hdc, cx - 3 + row, top + row, nullptr);
        LineTo(hdc, cx + 4 - row, top + row);
    }
    MoveToEx(hdc, cx, top + 4, nullptr);
    LineTo(hdc, cx, top + 7);
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void HeaderBehaviour::PaintFeedback(HDC hdc)
{
    CDC* dc = CDC::FromHandle(hdc);
    const int height = ItemBottom();
    if (m_mode == Mode::Drag && m_dropGap >= 0)
    {
        int x = 0;
        for (int p = 0; p < m_dropGap && p < static_cast<int>(m_order.size()); ++p)
            x += m_items[static_cast<std::size_t>(m_order[static_cast<std::size_t>(p)])].width;
        dc->FillSolidRect(x - 1, 0, 2, height, GetSysColor(COLOR_HIGHLIGHT));
    }
    else if (m_mode == Mode::Track && !(Style() & HDS_FULLDRAG))
        dc->FillSolidRect(LeftOf(m_item) + m_trackWidth - 1, 0, 2, height, GetSysColor(COLOR_BTNTEXT));
}

} // namespace winlib::detail
