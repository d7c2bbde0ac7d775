// The list box: where its items lie, scrolling, and painting (text items, or owner-drawn
// through WM_DRAWITEM).
#include "ListBoxControl.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kTextIndent = 2;

} // namespace

int ListBoxBehaviour::FontHeight(HWND hwnd) const
{
    const HDC hdc = GetDC(nullptr);
    const HGDIOBJ old = SelectControlFont(hwnd, hdc);
    TEXTMETRIC tm{};
    GetTextMetrics(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
    return std::max<int>(1, tm.tmHeight);
}

int ListBoxBehaviour::ItemHeight(int index) const
{
    return Variable() && Valid(index) ? m_items[static_cast<std::size_t>(index)].height : m_itemHeight;
}

CRect ListBoxBehaviour::ItemRect(HWND hwnd, int index) const
{
    int y = 0;
    if (!Variable())
        y = (index - m_top) * m_itemHeight;
    else if (index >= m_top)
    {
        for (int i = m_top; i < index; ++i)
            y += ItemHeight(i);
    }
    else
    {
        for (int i = index; i < m_top; ++i)
            y -= ItemHeight(i);
    }
    return CRect(0, y, ClientOf(hwnd).right, y + ItemHeight(index));
}

int ListBoxBehaviour::ItemAtY(int y) const
{
    if (y < 0)
        return -1;
    if (!Variable())
    {
        const int index = m_top + y / m_itemHeight;
        return index < Count() ? index : -1;
    }
    int bottom = 0;
    for (int i = m_top; i < Count(); ++i)
    {
        bottom += ItemHeight(i);
        if (y < bottom)
            return i;
    }
    return -1;
}

int ListBoxBehaviour::PageFrom(HWND hwnd, int top) const
{
    const int height = ClientHeight(hwnd);
    if (!Variable())
        return std::max(1, height / m_itemHeight);
    int used = 0;
    int n = 0;
    for (int i = std::max(0, top); i < Count() && used + ItemHeight(i) <= height; ++i, ++n)
        used += ItemHeight(i);
    return std::max(1, n);
}

int ListBoxBehaviour::MaxTop(HWND hwnd) const
{
    if (!Variable())
        return std::max(0, Count() - std::max(1, ClientHeight(hwnd) / m_itemHeight));
    const int height = ClientHeight(hwnd);
    int used = 0;
    int top = Count();
    while (top > 0 && used + ItemHeight(top - 1) <= height)
        used += ItemHeight(--top);
    return std::max(0, std::min(top, Count() - 1));
}

void ListBoxBehaviour::InvalidateItem(HWND hwnd, int index)
{
    if (index < 0 || index >= std::max(1, Count()) || index < m_top)
        return;
    const CRect r = ItemRect(hwnd, index);
    if (r.top < ClientHeight(hwnd))
        InvalidateRect(hwnd, &r, TRUE);
}

void ListBoxBehaviour::UpdateScrollBar(HWND hwnd)
{
    if (!(m_style & WS_VSCROLL) || !m_redraw)
        return;
    const int maxTop = MaxTop(hwnd);
    SCROLLINFO info{sizeof(SCROLLINFO),
                    SIF_RANGE | SIF_PAGE | SIF_POS,
                    0,
                    std::max(0, Count() - 1),
                    static_cast<UINT>(std::max(0, Count() - maxTop)),
                    m_top,
                    0};
    if (m_style & LBS_DISABLENOSCROLL)
        info.fMask |= SIF_DISABLENOSCROLL;
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void ListBoxBehaviour::SetTop(HWND hwnd, int top)
{
    top = std::clamp(top, 0, MaxTop(hwnd));
    if (top == m_top)
        return;
    m_top = top;
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateScrollBar(hwnd);
}

void ListBoxBehaviour::EnsureVisible(HWND hwnd, int index)
{
    if (!Valid(index))
        return;
    if (index < m_top)
    {
        SetTop(hwnd, index);
        return;
    }
    if (ItemRect(hwnd, index).bottom <= ClientHeight(hwnd))
        return;
    int top = index;
    int used = ItemHeight(index);
    while (top > 0 && used + ItemHeight(top - 1) <= ClientHeight(hwnd))
        used += ItemHeight(--top);
    SetTop(hwnd, top);
}

void ListBoxBehaviour::Resized(HWND hwnd)
{
    if (!(m_style & LBS_NOINTEGRALHEIGHT) && !Variable() && !m_resizing)
    {
        const int height = ClientHeight(hwnd);
        if (height > m_itemHeight && height % m_itemHeight)
        {
            CRect window;
            GetWindowRect(hwnd, &window);
            m_resizing = true;
            SetWindowPos(hwnd, nullptr, 0, 0, window.Width(), window.Height() - height % m_itemHeight,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            m_resizing = false;
            if (!IsWindow(hwnd))
                return;
        }
    }
    m_top = std::min(m_top, MaxTop(hwnd));
    UpdateScrollBar(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
}

HBRUSH ListBoxBehaviour::Colors(HWND hwnd, HDC hdc) const
{
    const HWND owner = Owner(hwnd);
    HBRUSH brush =
        owner ? reinterpret_cast<HBRUSH>(SendMessage(owner, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hdc),
                                                     reinterpret_cast<LPARAM>(hwnd)))
              : nullptr;
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProc(
            hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
    return brush;
}

void ListBoxBehaviour::Paint(HWND hwnd, HDC hdc, const RECT& dirty)
{
    const HBRUSH brush = Colors(hwnd, hdc);
    if (!IsWindow(hwnd))
        return;
    const COLORREF text = IsWindowEnabled(hwnd) ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT);
    const HGDIOBJ oldFont = SelectControlFont(hwnd, hdc);
    const CRect client = ClientOf(hwnd);
    const bool showFocus = m_focused || Dropped(hwnd);
    int y = 0;
    for (int i = m_top; i < Count() && y < client.bottom; ++i)
    {
        const CRect r(0, y, client.right, y + ItemHeight(i));
        y = r.bottom;
        if (r.bottom <= dirty.top || r.top >= dirty.bottom)
            continue;
        if (OwnerDraw())
        {
            UINT state = IsSelected(i) ? ODS_SELECTED : 0;
            if (showFocus && i == m_caret)
                state |= ODS_FOCUS;
            if (!IsWindowEnabled(hwnd))
                state |= ODS_DISABLED;
            DrawOwnerItem(hwnd, hdc, static_cast<UINT>(i), ODA_DRAWENTIRE, state, r);
            if (!IsWindow(hwnd))
                return;
        }
        else
            DrawTextItem(hdc, i, r, brush, text, showFocus && i == m_caret);
    }
    if (y < client.bottom)
    {
        const CRect rest(0, y, client.right, client.bottom);
        FillRect(hdc, &rest, brush);
    }
    if (!Count() && showFocus)
    {
        // An empty list shows the focus where its first item would be.
        const CRect first(0, 0, client.right, m_itemHeight);
        if (OwnerDraw())
            DrawOwnerItem(hwnd, hdc, static_cast<UINT>(-1), ODA_FOCUS, ODS_FOCUS, first);
        else
            DrawFocusRect(hdc, &first);
    }
    if (IsWindow(hwnd))
        SelectObject(hdc, oldFont);
}

void ListBoxBehaviour::DrawTextItem(HDC hdc, int index, const CRect& r, HBRUSH brush, COLORREF text,
                                    bool caret)
{
    CDC* dc = CDC::FromHandle(hdc);
    if (IsSelected(index))
    {
        dc->FillSolidRect(&r, GetSysColor(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    else
    {
        FillRect(hdc, &r, brush);
        SetTextColor(hdc, text);
    }
    SetBkMode(hdc, TRANSPARENT);
    const std::string& s = m_items[static_cast<std::size_t>(index)].text;
    CRect textRect = r;
    textRect.left += kTextIndent;
    UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
    if (m_style & LBS_USETABSTOPS)
        format |= DT_EXPANDTABS;
    DrawText(hdc, s.c_str(), static_cast<int>(s.size()), &textRect, format);
    if (caret)
        dc->DrawFocusRect(&r);
}

void ListBoxBehaviour::DrawOwnerItem(HWND hwnd, HDC hdc, UINT index, UINT action, UINT state, const CRect& r)
{
    const ULONG_PTR data = Valid(static_cast<int>(index)) ? m_items[index].data : 0;
    DRAWITEMSTRUCT dis{ControlType(), ControlId(hwnd), index, action, state, ItemWindow(hwnd), hdc, r, data};
    const int saved = SaveDC(hdc);
    IntersectClipRect(hdc, r.left, r.top, r.right, r.bottom);
    if (const HWND owner = Owner(hwnd))
        SendMessage(owner, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    RestoreDC(hdc, saved);
}

} // namespace winlib::detail
