// The report list view: layout and scrolling (vertical in whole rows, horizontal in
// pixels), row geometry and hit tests, and the mouse and keyboard.
#include "ControlUtil.h"
#include "ListView.h"

#include <algorithm>
#include <cstdlib>

namespace winlib::detail
{

namespace
{
constexpr int kLineScroll = 10; // pixels per horizontal line step
constexpr int kWheelRows = 3;   // rows per wheel notch
} // namespace

// ---- Layout and scrolling --------------------------------------------------------------

void ListViewBehaviour::Layout()
{
    if (!m_header)
        return;
    const CRect client = ClientOf(m_hwnd);
    int height = 0;
    if (!(Style() & LVS_NOCOLUMNHEADER))
    {
        RECT area = client;
        WINDOWPOS pos{};
        HDLAYOUT layout{&area, &pos};
        SendMessage(m_header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
        height = pos.cy;
    }
    if (height != m_headerHeight)
    {
        m_headerHeight = height;
        InvalidateRect(m_hwnd, nullptr, TRUE);
    }
    UpdateScrollBars();
}

// The header lies over the top of the list and moves left with the horizontal scroll, so
// that its coordinates are those of the columns.
void ListViewBehaviour::PositionHeader()
{
    if (!m_header)
        return;
    const CRect client = ClientOf(m_hwnd);
    const CRect wanted(-m_scrollX, 0, client.Width(), m_headerHeight);
    CRect current;
    GetWindowRect(m_header, &current);
    POINT origin{0, 0};
    ClientToScreen(m_hwnd, &origin);
    current.OffsetRect(-origin.x, -origin.y);
    if (current != wanted)
        SetWindowPos(m_header, nullptr, wanted.left, wanted.top, wanted.Width(), wanted.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    const bool visible = m_headerHeight > 0;
    if (visible != ((GetWindowLong(m_header, GWL_STYLE) & WS_VISIBLE) != 0))
        ShowWindow(m_header, visible ? SW_SHOWNA : SW_HIDE);
}

void ListViewBehaviour::UpdateScrollBars()
{
    if (m_inScrollUpdate)
        return;
    const WindowRecord* record = State::Get().Find(m_hwnd);
    const bool redraw = !record || record->redraw;
    m_inScrollUpdate = true;
    // A scroll bar coming or going changes the client area; go round until it settles.
    for (int pass = 0; pass < 3; ++pass)
    {
        const CRect client = ClientOf(m_hwnd);
        const int count = Count();
        const int perPage = CountPerPage();
        const int total = Columns().total;
        m_top = std::clamp(m_top, 0, std::max(0, count - perPage));
        m_scrollX = std::clamp(m_scrollX, 0, std::max(0, total - client.Width()));
        if (!redraw || (Style() & LVS_NOSCROLL))
            break;
        SCROLLINFO vertical{sizeof(SCROLLINFO),
                            SIF_RANGE | SIF_PAGE | SIF_POS,
                            0,
                            std::max(0, count - 1),
                            static_cast<UINT>(perPage),
                            m_top,
                            0};
        SetScrollInfo(m_hwnd, SB_VERT, &vertical, TRUE);
        SCROLLINFO horizontal{sizeof(SCROLLINFO),
                              SIF_RANGE | SIF_PAGE | SIF_POS,
                              0,
                              std::max(0, total - 1),
                              static_cast<UINT>(client.Width()),
                              m_scrollX,
                              0};
        SetScrollInfo(m_hwnd, SB_HORZ, &horizontal, TRUE);
        if (ClientOf(m_hwnd) == client)
            break;
    }
    m_inScrollUpdate = false;
    m_scrollPending = !redraw;
    PositionHeader();
}

int ListViewBehaviour::CountPerPage() const
{
    const CRect client = ClientOf(m_hwnd);
    return std::max(0, (static_cast<int>(client.Height()) - m_headerHeight) / std::max(1, m_rowHeight));
}

CRect ListViewBehaviour::RowsArea() const
{
    CRect area = ClientOf(m_hwnd);
    area.top = std::min<int>(area.bottom, m_headerHeight);
    return area;
}

void ListViewBehaviour::ScrollTo(int top)
{
    top = std::clamp(top, 0, std::max(0, Count() - CountPerPage()));
    if (top == m_top)
        return;
    m_top = top;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, m_top, 0};
    SetScrollInfo(m_hwnd, SB_VERT, &info, TRUE);
    InvalidateRows();
}

void ListViewBehaviour::ScrollXTo(int x)
{
    const int total = Columns().total;
    x = std::clamp(x, 0, std::max(0, total - static_cast<int>(ClientOf(m_hwnd).Width())));
    if (x == m_scrollX)
        return;
    m_scrollX = x;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, m_scrollX, 0};
    SetScrollInfo(m_hwnd, SB_HORZ, &info, TRUE);
    PositionHeader();
    InvalidateRows();
}

bool ListViewBehaviour::EnsureVisible(int item, bool partialOk)
{
    if (!ValidItem(item))
        return false;
    const int perPage = CountPerPage();
    if (item < m_top)
        ScrollTo(item);
    else if (item >= m_top + perPage)
    {
        const bool partlyShown = item == m_top + perPage && RowTop(item) < RowsArea().bottom;
        if (!(partialOk && partlyShown))
            ScrollTo(item - std::max(1, perPage) + 1);
    }
    return true;
}

// Vertical steps are whole rows: dy is rounded to the nearest number of rows.
bool ListViewBehaviour::ScrollBy(int dx, int dy)
{
    const int half = m_rowHeight / 2;
    const int rows = (dy >= 0 ? dy + half : dy - half) / std::max(1, m_rowHeight);
    ScrollTo(m_top + rows);
    ScrollXTo(m_scrollX + dx);
    return true;
}

void ListViewBehaviour::VScroll(UINT code, int messagePos)
{
    const ScrollSteps steps{1, std::max(1, CountPerPage()), Count()};
    if (const auto target = ScrollCodeTarget(m_hwnd, SB_VERT, code, messagePos, m_top, steps))
        ScrollTo(*target);
}

void ListViewBehaviour::HScroll(UINT code, int messagePos)
{
    const ScrollSteps steps{kLineScroll, std::max(1, static_cast<int>(ClientOf(m_hwnd).Width())), Columns().total};
    if (const auto target = ScrollCodeTarget(m_hwnd, SB_HORZ, code, messagePos, m_scrollX, steps))
        ScrollXTo(*target);
}

void ListViewBehaviour::Wheel(int delta)
{
    m_wheelRemainder += delta;
    const int notches = m_wheelRemainder / WHEEL_DELTA;
    m_wheelRemainder -= notches * WHEEL_DELTA;
    if (notches)
        ScrollTo(m_top - notches * kWheelRows);
}

// ---- Geometry ----------------------------------------------------------------------------

ItemParts ListViewBehaviour::PartsOf(int item, const ColumnLayout& columns) const
{
    ItemParts parts;
    const int top = RowTop(item);
    const int bottom = top + m_rowHeight;
    parts.bounds = CRect(-m_scrollX, top, -m_scrollX + columns.total, bottom);
    if (columns.Count() > 0)
    {
        const int left = columns.left[0] - m_scrollX;
        parts.cell0 = CRect(left, top, left + columns.width[0], bottom);
    }
    else
        parts.cell0 = CRect(parts.bounds.left, top, parts.bounds.left, bottom);
    const int right = parts.cell0.right;
    const int stateRight = std::min(right, static_cast<int>(parts.cell0.left) + StateImageWidth());
    parts.state = CRect(parts.cell0.left, top, stateRight, bottom);
    const int iconRight = std::min(right, stateRight + SmallImageWidth());
    parts.icon = CRect(stateRight, top, iconRight, bottom);
    parts.label = CRect(iconRight, top, right, bottom);
    return parts;
}

CRect ListViewBehaviour::CellRect(int item, int column, const ColumnLayout& columns) const
{
    const int top = RowTop(item);
    const int left = columns.left[static_cast<std::size_t>(column)] - m_scrollX;
    return CRect(left, top, left + columns.width[static_cast<std::size_t>(column)], top + m_rowHeight);
}

int ListViewBehaviour::HitTest(LVHITTESTINFO* info, bool subItems) const
{
    if (!info)
        return -1;
    const POINT pt = info->pt;
    const CRect client = ClientOf(m_hwnd);
    info->iItem = -1;
    info->iSubItem = 0;
    UINT outside = 0;
    if (pt.x < client.left)
        outside |= LVHT_TOLEFT;
    if (pt.x >= client.right)
        outside |= LVHT_TORIGHT;
    if (pt.y < client.top)
        outside |= LVHT_ABOVE;
    if (pt.y >= client.bottom)
        outside |= LVHT_BELOW;
    if (outside)
    {
        info->flags = outside;
        return -1;
    }
    info->flags = LVHT_NOWHERE;
    if (pt.y < m_headerHeight)
        return -1;
    const int item = m_top + (pt.y - m_headerHeight) / std::max(1, m_rowHeight);
    if (!ValidItem(item))
        return -1;
    const ColumnLayout columns = Columns();
    const int column = columns.ColumnAt(pt.x + m_scrollX);
    if (column < 0)
        return -1;
    if (column == 0)
    {
        const ItemParts parts = PartsOf(item, columns);
        if (!parts.state.IsRectEmpty() && parts.state.PtInRect(pt))
            info->flags = LVHT_ONITEMSTATEICON;
        else if (!parts.icon.IsRectEmpty() && parts.icon.PtInRect(pt))
            info->flags = LVHT_ONITEMICON;
        else
            info->flags = LVHT_ONITEMLABEL;
    }
    else if (subItems || (m_exStyle & LVS_EX_FULLROWSELECT))
        info->flags = LVHT_ONITEMLABEL;
    else
        return -1; // without full-row select only the first column belongs to the item
    info->iItem = item;
    info->iSubItem = column;
    return item;
}

bool ListViewBehaviour::GetItemRect(int item, RECT* rect) const
{
    if (!rect || !ValidItem(item))
        return false;
    const ItemParts parts = PartsOf(item, Columns());
    switch (rect->left)
    {
    case LVIR_BOUNDS:
        *rect = parts.bounds;
        return true;
    case LVIR_ICON:
        *rect = parts.icon;
        return true;
    case LVIR_LABEL:
        *rect = parts.label;
        return true;
    case LVIR_SELECTBOUNDS:
        *rect = (m_exStyle & LVS_EX_FULLROWSELECT)
                    ? parts.bounds
                    : CRect(parts.icon.left, parts.icon.top, parts.label.right, parts.label.bottom);
        return true;
    default:
        return false;
    }
}

// Sub-item 0 answers for the whole item, as on Windows; other sub-items for their cell.
bool ListViewBehaviour::GetSubItemRect(int item, RECT* rect) const
{
    if (!rect || !ValidItem(item))
        return false;
    const int column = rect->top;
    const ColumnLayout columns = Columns();
    if (column < 0 || column >= columns.Count())
        return false;
    if (column == 0)
    {
        RECT whole{rect->left, 0, 0, 0};
        if (!GetItemRect(item, &whole))
            return false;
        *rect = whole;
        return true;
    }
    const CRect cell = CellRect(item, column, columns);
    switch (rect->left)
    {
    case LVIR_BOUNDS:
    case LVIR_LABEL:
    case LVIR_SELECTBOUNDS:
        *rect = cell;
        return true;
    case LVIR_ICON:
        *rect =
            CRect(cell.left, cell.top, std::min<int>(cell.right, cell.left + SmallImageWidth()), cell.bottom);
        return true;
    default:
        return false;
    }
}

void ListViewBehaviour::InvalidateItem(int item)
{
    const CRect rows = RowsArea();
    const int top = RowTop(item);
    CRect area(rows.left, top, rows.right, top + m_rowHeight);
    area &= rows;
    if (!area.IsRectEmpty())
        InvalidateRect(m_hwnd, &area, TRUE);
}

void ListViewBehaviour::InvalidateFrom(int item)
{
    CRect area = RowsArea();
    area.top = std::max<int>(area.top, RowTop(item));
    if (!area.IsRectEmpty())
        InvalidateRect(m_hwnd, &area, TRUE);
}

void ListViewBehaviour::InvalidateRows()
{
    const CRect area = RowsArea();
    if (!area.IsRectEmpty())
        InvalidateRect(m_hwnd, &area, TRUE);
}

// ---- Mouse -------------------------------------------------------------------------------

UINT ListViewBehaviour::KeyFlags()
{
    UINT flags = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        flags |= LVKF_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        flags |= LVKF_CONTROL;
    if (GetKeyState(VK_MENU) < 0)
        flags |= LVKF_ALT;
    return flags;
}

bool ListViewBehaviour::TakeFocusAndHitTest(LVHITTESTINFO& row, LVHITTESTINFO& cell)
{
    const HWND hwnd = m_hwnd;
    if (GetFocus() != hwnd)
    {
        SetFocus(hwnd);
        // Whoever handled the focus change may have destroyed the list.
        if (!IsWindow(hwnd))
            return false;
    }
    HitTest(&row, false);
    HitTest(&cell, true);
    return true;
}

void ListViewBehaviour::ButtonDown(POINT pt, bool doubleClick)
{
    const HWND hwnd = m_hwnd;
    LVHITTESTINFO hit{pt, 0, -1, 0, 0};
    LVHITTESTINFO cell{pt, 0, -1, 0, 0};
    if (!TakeFocusAndHitTest(hit, cell))
        return;
    const int item = hit.iItem;
    const UINT keys = KeyFlags();
    const bool shift = (keys & LVKF_SHIFT) != 0;
    const bool ctrl = (keys & LVKF_CONTROL) != 0;
    const bool multiple = !(Style() & LVS_SINGLESEL);

    m_selectOnlyOnRelease = false;
    if (item >= 0)
    {
        if ((hit.flags & LVHT_ONITEMSTATEICON) && (m_exStyle & LVS_EX_CHECKBOXES))
        {
            if (!doubleClick)
                ToggleCheck(item);
        }
        else if (ctrl && multiple)
        {
            ChangeState(item, IsSelected(item) ? 0U : LVIS_SELECTED, LVIS_SELECTED);
            SetFocusItem(item);
            m_mark = item;
        }
        else if (shift && multiple)
        {
            const int anchor = m_mark >= 0 ? m_mark : (m_focus >= 0 ? m_focus : item);
            m_mark = anchor;
            SelectRange(anchor, item, true);
            SetFocusItem(item);
        }
        else if (IsSelected(item) && SelectedCount() > 1 && !doubleClick)
        {
            // The others stay selected until the button comes up, so that they can be dragged.
            m_selectOnlyOnRelease = true;
            SetFocusItem(item);
            m_mark = item;
        }
        else
        {
            SelectOnly(item);
            SetFocusItem(item);
            m_mark = item;
        }
    }
    else if (!ctrl && !shift)
        DeselectAll(-1);
    if (!IsWindow(hwnd))
        return;

    m_press = Press::Left;
    m_downPoint = pt;
    m_downItem = item;
    m_clickItem = cell.iItem;
    m_downSubItem = cell.iSubItem;
    m_downKeyFlags = keys;
    m_dragging = false;
    m_afterDoubleClick = doubleClick;
    SetCapture(hwnd);
    if (doubleClick)
    {
        NotifyActivate(NM_DBLCLK, cell.iItem, cell.iSubItem, pt, keys);
        if (!IsWindow(hwnd))
            return;
        if (item >= 0)
            NotifyActivate(LVN_ITEMACTIVATE, item, cell.iSubItem, pt, keys);
    }
}

void ListViewBehaviour::MouseMove(POINT pt, WPARAM keys)
{
    if (m_press != Press::Left || m_dragging || !(keys & MK_LBUTTON) || m_downItem < 0 || m_afterDoubleClick)
        return;
    const bool moved = std::abs(pt.x - m_downPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
                       std::abs(pt.y - m_downPoint.y) > GetSystemMetrics(SM_CYDRAG);
    if (!moved || !ValidItem(m_downItem))
        return;
    // The parent takes over the drag; the list lets the mouse go.
    m_dragging = true;
    m_selectOnlyOnRelease = false;
    m_press = Press::None;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    NotifyListView(LVN_BEGINDRAG, m_downItem, 0, 0, 0, 0, m_downPoint);
}

void ListViewBehaviour::ButtonUp(POINT)
{
    if (m_press != Press::Left)
        return;
    m_press = Press::None;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    if (m_selectOnlyOnRelease)
    {
        m_selectOnlyOnRelease = false;
        if (ValidItem(m_downItem))
            SelectOnly(m_downItem);
    }
    if (m_afterDoubleClick)
    {
        m_afterDoubleClick = false;
        return;
    }
    NotifyActivate(NM_CLICK, m_clickItem, m_downSubItem, m_downPoint, m_downKeyFlags);
}

void ListViewBehaviour::RightButtonDown(POINT pt)
{
    const HWND hwnd = m_hwnd;
    LVHITTESTINFO hit{pt, 0, -1, 0, 0};
    LVHITTESTINFO cell{pt, 0, -1, 0, 0};
    if (!TakeFocusAndHitTest(hit, cell))
        return;
    const int item = hit.iItem;
    const UINT keys = KeyFlags();
    if (item >= 0)
    {
        if (!IsSelected(item) && !(keys & LVKF_CONTROL))
            SelectOnly(item);
        SetFocusItem(item);
        m_mark = item;
    }
    else if (!(keys & (LVKF_CONTROL | LVKF_SHIFT)))
        DeselectAll(-1);
    if (!IsWindow(hwnd))
        return;
    m_press = Press::Right;
    m_downPoint = pt;
    m_downItem = item;
    m_clickItem = cell.iItem;
    m_downSubItem = cell.iSubItem;
    m_downKeyFlags = keys;
    SetCapture(hwnd);
}

void ListViewBehaviour::RightButtonUp(POINT pt)
{
    if (m_press != Press::Right)
        return;
    m_press = Press::None;
    const HWND hwnd = m_hwnd;
    if (GetCapture() == hwnd)
        ReleaseCapture();
    const LRESULT handled =
        NotifyActivate(NM_RCLICK, m_clickItem, m_downSubItem, m_downPoint, m_downKeyFlags);
    if (handled || !IsWindow(hwnd))
        return;
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
}

// ---- Keyboard ----------------------------------------------------------------------------

void ListViewBehaviour::KeyDown(int key)
{
    const HWND hwnd = m_hwnd;
    NMLVKEYDOWN down{};
    down.wVKey = static_cast<WORD>(key);
    down.flags = 0;
    Notify(down.hdr, LVN_KEYDOWN);
    if (!IsWindow(hwnd))
        return;
    const int count = Count();
    const int page = std::max(1, CountPerPage());
    const int current = m_focus;
    int target = -1;
    switch (key)
    {
    case VK_UP:
        target = current <= 0 ? 0 : current - 1;
        break;
    case VK_DOWN:
        target = current < 0 ? 0 : current + 1;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    case VK_PRIOR:
        // To the top of the page first, then a page further.
        target = (current > m_top) ? m_top : current - page;
        break;
    case VK_NEXT:
    {
        const int bottom = m_top + page - 1;
        target = (current < bottom) ? bottom : current + page;
        break;
    }
    case VK_SPACE:
        SpaceKey();
        return;
    case VK_RETURN:
    {
        NMHDR header{};
        Notify(header, NM_RETURN);
        if (IsWindow(hwnd) && ValidItem(m_focus) && IsSelected(m_focus))
            NotifyActivate(LVN_ITEMACTIVATE, m_focus, 0, POINT{0, 0}, KeyFlags());
        return;
    }
    case VK_LEFT:
        ScrollXTo(m_scrollX - kLineScroll);
        return;
    case VK_RIGHT:
        ScrollXTo(m_scrollX + kLineScroll);
        return;
    default:
        return;
    }
    if (count == 0)
        return;
    MoveFocus(std::clamp(target, 0, count - 1));
}

void ListViewBehaviour::MoveFocus(int item)
{
    const HWND hwnd = m_hwnd;
    const UINT keys = KeyFlags();
    const bool shift = (keys & LVKF_SHIFT) != 0;
    const bool ctrl = (keys & LVKF_CONTROL) != 0;
    const bool multiple = !(Style() & LVS_SINGLESEL);
    if (shift && multiple)
    {
        const int anchor = m_mark >= 0 ? m_mark : (m_focus >= 0 ? m_focus : item);
        m_mark = anchor;
        SelectRange(anchor, item, !ctrl);
        if (IsWindow(hwnd))
            SetFocusItem(item);
    }
    else if (ctrl && multiple)
        SetFocusItem(item); // the focus moves alone; Ctrl+Space selects
    else
    {
        SelectOnly(item);
        if (IsWindow(hwnd))
            SetFocusItem(item);
        m_mark = item;
    }
    if (IsWindow(hwnd))
        EnsureVisible(item, false);
}

void ListViewBehaviour::SpaceKey()
{
    if (!ValidItem(m_focus))
        return;
    const int item = m_focus;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (ctrl)
    {
        const bool select = !IsSelected(item) || (Style() & LVS_SINGLESEL);
        ChangeState(item, select ? LVIS_SELECTED : 0U, LVIS_SELECTED);
        m_mark = item;
        return;
    }
    if ((m_exStyle & LVS_EX_CHECKBOXES) && !m_ownerData)
    {
        const UINT index = (m_rows[static_cast<std::size_t>(item)].state & LVIS_STATEIMAGEMASK) >> 12;
        if (index == 0)
            return;
        const UINT checked = INDEXTOSTATEIMAGEMASK(index == 2 ? 1 : 2);
        // With the focused item selected, every selected item takes its new state.
        if (!IsSelected(item))
        {
            ChangeState(item, checked, LVIS_STATEIMAGEMASK);
            return;
        }
        const HWND hwnd = m_hwnd;
        for (int i = NextItem(-1, LVNI_SELECTED); i >= 0; i = NextItem(i, LVNI_SELECTED))
        {
            ChangeState(i, checked, LVIS_STATEIMAGEMASK);
            if (!IsWindow(hwnd))
                return;
        }
        return;
    }
    ChangeState(item, LVIS_SELECTED, LVIS_SELECTED);
    m_mark = item;
}

} // namespace winlib::detail
