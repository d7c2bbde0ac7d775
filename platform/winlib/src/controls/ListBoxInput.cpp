// The list box: the selection as the keyboard and the mouse change it, type-ahead, and the
// scroll bar's messages.
#include "ListBoxControl.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

constexpr int kWheelLines = 3;

} // namespace

LRESULT ListBoxBehaviour::InputMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ButtonDown(hwnd, message, wParam, p);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(hwnd, wParam, p);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(hwnd, p);
        return 0;
    case WM_CAPTURECHANGED:
        CaptureChanged(hwnd, reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(hwnd, static_cast<short>(HIWORD(wParam)));
        return 0;
    case WM_VSCROLL:
        VScroll(hwnd, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, static_cast<int>(wParam));
        return 0;
    case WM_CHAR:
        Char(hwnd, static_cast<unsigned char>(wParam));
        return 0;
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void ListBoxBehaviour::Wheel(HWND hwnd, int delta)
{
    m_wheel += delta;
    const int notches = m_wheel / WHEEL_DELTA;
    m_wheel -= notches * WHEEL_DELTA;
    if (notches)
        SetTop(hwnd, m_top - notches * kWheelLines);
}

void ListBoxBehaviour::KeyDown(HWND hwnd, int vk)
{
    int target = -1;
    if (!m_host && (m_style & LBS_WANTKEYBOARDINPUT))
    {
        const LRESULT answer =
            SendMessage(Owner(hwnd), WM_VKEYTOITEM, MAKEWPARAM(vk, m_caret), reinterpret_cast<LPARAM>(hwnd));
        if (!IsWindow(hwnd) || answer == -2)
            return;
        if (answer >= 0)
        {
            KeyboardMove(hwnd, static_cast<int>(answer), false, false);
            return;
        }
    }
    if (!Count())
        return;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const int caret = Valid(m_caret) ? m_caret : 0;
    // Without a selection the first arrow selects the item with the focus rectangle.
    const int step = Single() && m_sel < 0 ? 0 : 1;
    switch (vk)
    {
    case VK_UP:
    case VK_LEFT:
        target = caret - step;
        break;
    case VK_DOWN:
    case VK_RIGHT:
        target = caret + step;
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = Count() - 1;
        break;
    case VK_PRIOR:
        target = caret > m_top ? m_top : caret - std::max(1, PageFrom(hwnd, m_top) - 1);
        break;
    case VK_NEXT:
    {
        const int last = m_top + PageFrom(hwnd, m_top) - 1;
        target = caret < last ? last : caret + std::max(1, PageFrom(hwnd, m_top) - 1);
        break;
    }
    case VK_SPACE:
        if (Multiple() && (!Extended() || ctrl))
        {
            SelectItem(hwnd, caret, !IsSelected(caret));
            m_anchor = caret;
            SelectionChangedByUser(hwnd);
            return;
        }
        target = caret;
        break;
    default:
        return;
    }
    KeyboardMove(hwnd, target, shift, ctrl);
}

void ListBoxBehaviour::Char(HWND hwnd, unsigned char ch)
{
    if (ch < 0x20 || (ch == ' ' && Multiple()))
        return;
    int target = -1;
    if (!HasStrings())
    {
        if (m_host || !(m_style & LBS_WANTKEYBOARDINPUT))
            return;
        const LRESULT answer =
            SendMessage(Owner(hwnd), WM_CHARTOITEM, MAKEWPARAM(ch, m_caret), reinterpret_cast<LPARAM>(hwnd));
        if (!IsWindow(hwnd) || answer < 0)
            return;
        target = static_cast<int>(answer);
    }
    else
    {
        const char text[2] = {static_cast<char>(ch), '\0'};
        target = FindString(hwnd, Valid(m_caret) ? m_caret : -1, reinterpret_cast<LPARAM>(text), false);
        if (target == LB_ERR)
            return;
    }
    KeyboardMove(hwnd, target, false, false);
}

int ListBoxBehaviour::ItemAtPoint(HWND hwnd, CPoint p) const
{
    const CRect client = ClientOf(hwnd);
    if (!client.PtInRect(p))
        return -1;
    return ItemAtY(p.y);
}

void ListBoxBehaviour::ButtonDown(HWND hwnd, UINT message, WPARAM flags, CPoint p)
{
    if (Dropped(hwnd))
    {
        DroppedPress(hwnd, p);
        return;
    }
    if (m_host)
    {
        const HWND combo = m_host->ComboWindow();
        if (GetFocus() != combo && !IsChild(combo, GetFocus()))
        {
            SetFocus(combo);
            if (!IsWindow(hwnd))
                return;
        }
    }
    else if (GetFocus() != hwnd)
    {
        SetFocus(hwnd);
        if (!IsWindow(hwnd) || GetFocus() != hwnd)
            return;
    }
    const int index = ItemAtPoint(hwnd, p);
    if (index < 0)
        return;
    if (message == WM_LBUTTONDBLCLK)
    {
        if (m_host)
            m_host->ListDoubleClicked();
        else if (m_style & LBS_NOTIFY)
            NotifyParent(hwnd, LBN_DBLCLK);
        return;
    }
    const bool shift = (flags & MK_SHIFT) != 0;
    const bool ctrl = (flags & MK_CONTROL) != 0;
    const Selection before = CurrentSelection();
    UINT code = LBN_SELCHANGE;
    if (Single())
    {
        // Ctrl+click takes the selection off the selected item.
        if (ctrl && index == m_sel)
        {
            SelectSingle(hwnd, -1);
            code = LBN_SELCANCEL;
        }
        else
            SelectSingle(hwnd, index);
    }
    else if (Extended())
    {
        if (shift)
        {
            const int anchor = Valid(m_anchor) ? m_anchor : index;
            const bool on = !ctrl || IsSelected(anchor);
            m_anchor = anchor;
            if (!ctrl)
                ClearSelection(hwnd);
            SelectRange(hwnd, anchor, index, on);
        }
        else if (ctrl)
        {
            SelectItem(hwnd, index, !IsSelected(index));
            m_anchor = index;
        }
        else
        {
            ClearSelection(hwnd);
            SelectItem(hwnd, index, true);
            m_anchor = index;
        }
    }
    else if (Multiple())
    {
        SelectItem(hwnd, index, !IsSelected(index));
        m_anchor = index;
    }
    SetCaret(hwnd, index);
    m_dragCtrl = ctrl;
    m_tracking = true;
    SetCapture(hwnd);
    if (CurrentSelection() != before)
        SelectionChangedByUser(hwnd, code);
}

void ListBoxBehaviour::MouseMove(HWND hwnd, WPARAM flags, CPoint p)
{
    if (Dropped(hwnd))
    {
        const int index = ItemAtPoint(hwnd, p);
        if (index >= 0)
            TrackTo(hwnd, index);
        else if ((flags & MK_LBUTTON) && p.x >= 0 && p.x < ClientOf(hwnd).right)
            DragBeyondEdge(hwnd, p);
        return;
    }
    if (!m_tracking || !Count())
        return;
    const int index = ItemAtPoint(hwnd, p);
    if (index >= 0)
        TrackTo(hwnd, index);
    else
        DragBeyondEdge(hwnd, p);
}

void ListBoxBehaviour::DragBeyondEdge(HWND hwnd, CPoint p)
{
    if (p.y < 0 && m_top > 0)
        TrackTo(hwnd, m_top - 1);
    else if (p.y >= ClientHeight(hwnd))
    {
        const int last = std::min(Count() - 1, m_top + PageFrom(hwnd, m_top));
        if (last >= 0)
            TrackTo(hwnd, last);
    }
}

void ListBoxBehaviour::TrackTo(HWND hwnd, int index)
{
    if (index == m_caret && (!Single() || index == m_sel))
        return;
    const Selection before = CurrentSelection();
    if (Single())
        SelectSingle(hwnd, index);
    else if (Extended() && !m_dragCtrl)
    {
        const int anchor = Valid(m_anchor) ? m_anchor : index;
        ClearSelection(hwnd);
        SelectRange(hwnd, anchor, index, true);
    }
    else if (Multiple())
        return;
    SetCaret(hwnd, index);
    if (CurrentSelection() != before)
        SelectionChangedByUser(hwnd);
}

void ListBoxBehaviour::ButtonUp(HWND hwnd, CPoint p)
{
    if (Dropped(hwnd))
    {
        if (ItemAtPoint(hwnd, p) >= 0)
            m_host->ListItemChosen();
        return;
    }
    if (m_tracking)
    {
        m_tracking = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
    }
}

void ListBoxBehaviour::DroppedPress(HWND hwnd, CPoint p)
{
    const int index = ItemAtPoint(hwnd, p);
    if (index >= 0)
    {
        TrackTo(hwnd, index);
        return;
    }
    POINT screen = p;
    ClientToScreen(hwnd, &screen);
    const int hit = NonClientHitTest(hwnd, screen);
    if (hit == HTVSCROLL)
    {
        // The scroll bar tracks with the capture and gives it back when done.
        m_barTracking = true;
        DefWindowProc(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(screen.x, screen.y));
        return;
    }
    if (hit != HTNOWHERE)
        return;
    CRect combo;
    GetWindowRect(m_host->ComboWindow(), &combo);
    m_host->ListPressedOutside(combo.PtInRect(screen) != FALSE);
}

void ListBoxBehaviour::CaptureChanged(HWND hwnd, HWND newCapture)
{
    m_tracking = false;
    if (!Dropped(hwnd) || newCapture == hwnd)
        return;
    if (m_barTracking && !newCapture)
    {
        m_barTracking = false;
        SetCapture(hwnd);
        return;
    }
    m_barTracking = false;
    m_host->ListCaptureLost();
}

void ListBoxBehaviour::VScroll(HWND hwnd, UINT code, int pos)
{
    const ScrollSteps steps{1, PageFrom(hwnd, m_top), Count()};
    if (const auto target = ScrollCodeTarget(hwnd, SB_VERT, code, pos, m_top, steps))
        SetTop(hwnd, *target);
}

ListBoxBehaviour::Selection ListBoxBehaviour::CurrentSelection() const
{
    Selection s{m_sel, {}};
    if (Multiple())
    {
        s.flags.reserve(m_items.size());
        for (const ListItem& item : m_items)
            s.flags.push_back(item.selected);
    }
    return s;
}

bool ListBoxBehaviour::IsSelected(int index) const
{
    if (!Valid(index) || NoSelection())
        return false;
    return Single() ? index == m_sel : m_items[static_cast<std::size_t>(index)].selected;
}

void ListBoxBehaviour::SelectSingle(HWND hwnd, int index)
{
    if (index == m_sel)
        return;
    InvalidateItem(hwnd, m_sel);
    m_sel = index;
    InvalidateItem(hwnd, m_sel);
}

void ListBoxBehaviour::SelectItem(HWND hwnd, int index, bool on)
{
    ListItem& item = m_items[static_cast<std::size_t>(index)];
    if (item.selected == on)
        return;
    item.selected = on;
    InvalidateItem(hwnd, index);
}

void ListBoxBehaviour::SelectRange(HWND hwnd, int first, int last, bool on)
{
    if (first > last)
        std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    for (int i = first; i <= last; ++i)
        SelectItem(hwnd, i, on);
}

void ListBoxBehaviour::ClearSelection(HWND hwnd)
{
    if (Single())
        SelectSingle(hwnd, -1);
    else if (Multiple())
        SelectRange(hwnd, 0, Count() - 1, false);
}

void ListBoxBehaviour::SetCaret(HWND hwnd, int index, bool scroll)
{
    if (index != m_caret)
    {
        InvalidateItem(hwnd, m_caret);
        m_caret = index;
        InvalidateItem(hwnd, m_caret);
    }
    if (scroll)
        EnsureVisible(hwnd, index);
}

bool ListBoxBehaviour::KeyboardMove(HWND hwnd, int index, bool shift, bool ctrl)
{
    if (!Count())
        return true;
    index = std::clamp(index, 0, Count() - 1);
    const Selection before = CurrentSelection();
    SetCaret(hwnd, index);
    if (Single())
        SelectSingle(hwnd, index);
    else if (Extended())
    {
        if (shift)
        {
            const int anchor = Valid(m_anchor) ? m_anchor : index;
            m_anchor = anchor;
            if (!ctrl)
                ClearSelection(hwnd);
            SelectRange(hwnd, anchor, index, true);
        }
        else if (!ctrl)
        {
            ClearSelection(hwnd);
            SelectItem(hwnd, index, true);
            m_anchor = index;
        }
    }
    // A multiple-selection list reports every arrow key, changed or not.
    const bool report = (Multiple() && !Extended()) || CurrentSelection() != before;
    return !report || SelectionChangedByUser(hwnd);
}

} // namespace winlib::detail
