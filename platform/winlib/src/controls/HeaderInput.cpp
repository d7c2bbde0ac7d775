// The header control: the mouse (clicks, resizing by the dividers, reordering by dragging)
// and the filter bar's edit field.
#include "HeaderControl.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cstdlib>

namespace winlib::detail
{

namespace
{

constexpr int kFilterEditId = 0x4845;

// The edit control of the filter bar keeps its own behaviour; this wrapper lets the header
// see Enter and Escape, which end the edit, before the edit (or a dialog) does.
class FilterEditBehaviour : public ControlBehaviour
{
public:
    FilterEditBehaviour(std::unique_ptr<ControlBehaviour> inner, HWND header, UINT keyMessage)
        : m_inner(std::move(inner)), m_header(header), m_keyMessage(keyMessage)
    {
    }

    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_GETDLGCODE:
        {
            LRESULT code = m_inner->Proc(hwnd, message, wParam, lParam);
            const MSG* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE)
            {
                SendMessage(m_header, m_keyMessage, wParam, 0);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == '\r' || wParam == 0x1B)
                return 0;
            break;
        default:
            break;
        }
        return m_inner->Proc(hwnd, message, wParam, lParam);
    }

private:
    std::unique_ptr<ControlBehaviour> m_inner;
    HWND m_header;
    UINT m_keyMessage;
};

} // namespace

bool HeaderBehaviour::EditFilter(int index, bool discardChanges)
{
    if (!HasFilterBar() || !ValidIndex(index))
        return false;
    if (m_editing && m_editItem != index)
        EndFilterEdit(discardChanges, false);
    if (!m_edit)
    {
        m_edit =
            CreateWindowEx(0, "Edit", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, m_hwnd,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFilterEditId)), nullptr, nullptr);
        if (!m_edit)
            return false;
        if (WindowRecord* record = State::Get().Find(m_edit))
            record->behaviour =
                std::make_unique<FilterEditBehaviour>(std::move(record->behaviour), m_hwnd, m_editKeyMessage);
        SendMessage(m_edit, WM_SETFONT, static_cast<WPARAM>(SendMessage(m_hwnd, WM_GETFONT, 0, 0)), 0);
    }
    if (!m_editing)
    {
        m_editing = true;
        m_editItem = index;
        m_editOriginal = m_items[static_cast<std::size_t>(index)].filter;
        m_notifiedDuringEdit = false;
        Notify(HDN_BEGINFILTEREDIT, HDN_BEGINFILTEREDIT, index, nullptr);
    }
    ShowEditText();
    PlaceEdit();
    ShowWindow(m_edit, SW_SHOW);
    SetFocus(m_edit);
    SendMessage(m_edit, EM_SETSEL, 0, -1);
    return true;
}

void HeaderBehaviour::ShowEditText()
{
    if (!m_edit || !m_editing)
        return;
    m_settingEditText = true;
    SetWindowText(m_edit, m_items[static_cast<std::size_t>(m_editItem)].filter.c_str());
    m_settingEditText = false;
}

void HeaderBehaviour::PlaceEdit()
{
    if (!m_edit || !m_editing || !ValidIndex(m_editItem))
        return;
    CRect field = FilterFieldRect(m_editItem);
    field.DeflateRect(1, 1);
    SetWindowPos(m_edit, nullptr, field.left, field.top, std::max<int>(0, field.Width()),
                 std::max<int>(0, field.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
}

void HeaderBehaviour::EditNotification(UINT code)
{
    if (!m_editing)
        return;
    if (code == EN_CHANGE && !m_settingEditText)
    {
        m_items[static_cast<std::size_t>(m_editItem)].filter = GetWindowTextString(m_edit);
        m_filterPending = true;
        m_pendingItem = m_editItem;
        SetTimer(m_hwnd, kFilterTimer, static_cast<UINT>(m_filterTimeout), nullptr);
    }
    else if (code == EN_KILLFOCUS)
    {
        // The edit is still in the middle of losing the focus: hide it afterwards, or
        // the focus would fall back onto the header.
        EndFilterEdit(false, false);
        PostMessage(m_hwnd, m_hideEditMessage, 0, 0);
    }
}

void HeaderBehaviour::EditKey(int key)
{
    if (!m_editing)
        return;
    m_discardOnEnd = key == VK_ESCAPE;
    const HWND parent = GetParent(m_hwnd);
    SetFocus(parent ? parent : m_hwnd);
    if (m_editing)
        EndFilterEdit(m_discardOnEnd, true);
    m_discardOnEnd = false;
}

void HeaderBehaviour::EndFilterEdit(bool discard, bool hide)
{
    if (!m_editing)
        return;
    discard = discard || m_discardOnEnd;
    const int index = m_editItem;
    m_editing = false;
    std::string& filter = m_items[static_cast<std::size_t>(index)].filter;
    bool report = m_filterPending && m_pendingItem == index;
    if (discard)
    {
        report = filter != m_editOriginal || m_notifiedDuringEdit;
        filter = m_editOriginal;
    }
    if (m_filterPending && m_pendingItem == index)
    {
        m_filterPending = false;
        KillTimer(m_hwnd, kFilterTimer);
    }
    if (report)
        FilterChanged(index);
    Notify(HDN_ENDFILTEREDIT, HDN_ENDFILTEREDIT, index, nullptr);
    if (hide && m_edit && GetFocus() != m_edit)
        ShowWindow(m_edit, SW_HIDE);
    Repaint();
}

bool HeaderBehaviour::ClearFilter(int index)
{
    if (index != -1 && !ValidIndex(index))
        return false;
    if (m_filterPending && (index == -1 || m_pendingItem == index))
    {
        m_filterPending = false;
        KillTimer(m_hwnd, kFilterTimer);
    }
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
    {
        if (index == -1 || i == index)
            m_items[static_cast<std::size_t>(i)].filter.clear();
    }
    if (m_editing && (index == -1 || m_editItem == index))
        ShowEditText();
    Repaint();
    FilterChanged(index);
    return true;
}

void HeaderBehaviour::ButtonDown(CPoint pt)
{
    UINT flags = 0;
    const int index = HitTest(pt, &flags);
    if (index < 0)
        return;
    const DWORD style = Style();
    if (flags & HHT_ONDIVIDER)
    {
        const HeaderItem& item = m_items[static_cast<std::size_t>(index)];
        if ((style & HDS_NOSIZING) || (item.fmt & HDF_FIXEDWIDTH))
            return;
        HDITEMA track = Describe(index, HDI_WIDTH);
        if (Notify(HDN_BEGINTRACKA, HDN_BEGINTRACKW, index, &track))
            return;
        m_mode = Mode::Track;
        m_item = index;
        m_trackOffset = pt.x - (LeftOf(index) + item.width);
        m_trackWidth = item.width;
        SetCapture(m_hwnd);
        return;
    }
    if (flags & HHT_ONFILTERBUTTON)
    {
        m_mode = Mode::FilterButton;
        m_item = index;
        m_pressedInside = true;
        SetCapture(m_hwnd);
        InvalidatePart(FilterButtonRect(index));
        return;
    }
    if (flags & HHT_ONFILTER)
    {
        EditFilter(index, false);
        return;
    }
    if (!(style & (HDS_BUTTONS | HDS_DRAGDROP)))
        return;
    m_mode = Mode::Press;
    m_item = index;
    m_down = pt;
    m_pressedInside = true;
    SetCapture(m_hwnd);
    InvalidatePart(ButtonRect(index));
}

void HeaderBehaviour::MouseMove(CPoint pt)
{
    switch (m_mode)
    {
    case Mode::Track:
    {
        const int width = std::max(0, pt.x - m_trackOffset - LeftOf(m_item));
        HDITEMA track = Describe(m_item, HDI_WIDTH);
        track.cxy = width;
        if (Notify(HDN_TRACKA, HDN_TRACKW, m_item, &track))
        {
            FinishTrack(m_trackWidth);
            return;
        }
        m_trackWidth = width;
        if (Style() & HDS_FULLDRAG)
            SetWidth(m_item, width);
        else
            Repaint();
        return;
    }
    case Mode::Press:
    {
        const bool moved = std::abs(pt.x - m_down.x) > GetSystemMetrics(SM_CXDRAG) ||
                           std::abs(pt.y - m_down.y) > GetSystemMetrics(SM_CYDRAG);
        if ((Style() & HDS_DRAGDROP) && moved)
        {
            HDITEMA drag = Describe(m_item, HDI_ORDER);
            if (Notify(HDN_BEGINDRAG, HDN_BEGINDRAG, m_item, &drag))
            {
                m_mode = Mode::PressVetoed;
                InvalidatePart(ButtonRect(m_item));
                return;
            }
            m_mode = Mode::Drag;
            m_dropGap = DropGap(pt.x);
            Repaint();
            return;
        }
        const bool inside = ButtonRect(m_item).PtInRect(pt) != FALSE;
        if (inside != m_pressedInside)
        {
            m_pressedInside = inside;
            InvalidatePart(ButtonRect(m_item));
        }
        return;
    }
    case Mode::Drag:
    {
        const int gap = DropGap(pt.x);
        if (gap != m_dropGap)
        {
            m_dropGap = gap;
            Repaint();
        }
        return;
    }
    case Mode::FilterButton:
    {
        const bool inside = FilterButtonRect(m_item).PtInRect(pt) != FALSE;
        if (inside != m_pressedInside)
        {
            m_pressedInside = inside;
            InvalidatePart(FilterButtonRect(m_item));
        }
        return;
    }
    default:
        return;
    }
}

void HeaderBehaviour::ButtonUp(CPoint pt)
{
    const Mode mode = m_mode;
    const int index = m_item;
    switch (mode)
    {
    case Mode::Track:
    {
        const int width = std::max(0, pt.x - m_trackOffset - LeftOf(index));
        FinishTrack(width);
        return;
    }
    case Mode::Press:
    case Mode::PressVetoed:
    {
        EndMouseMode();
        InvalidatePart(ButtonRect(index));
        if (mode == Mode::Press && (Style() & HDS_BUTTONS) && ButtonRect(index).PtInRect(pt))
            Notify(HDN_ITEMCLICKA, HDN_ITEMCLICKW, index, nullptr);
        return;
    }
    case Mode::Drag:
    {
        const int position = PositionForGap(index, DropGap(pt.x));
        EndMouseMode();
        HDITEMA drop = Describe(index, HDI_ORDER);
        drop.iOrder = position;
        if (!Notify(HDN_ENDDRAG, HDN_ENDDRAG, index, &drop) && ValidIndex(index))
            MoveToPosition(index, position);
        Repaint();
        PlaceEdit();
        return;
    }
    case Mode::FilterButton:
    {
        const bool inside = FilterButtonRect(index).PtInRect(pt) != FALSE;
        EndMouseMode();
        InvalidatePart(FilterButtonRect(index));
        if (inside)
            FilterButtonClicked(index);
        return;
    }
    default:
        return;
    }
}

void HeaderBehaviour::DoubleClick(CPoint pt)
{
    UINT flags = 0;
    const int index = HitTest(pt, &flags);
    if (index < 0)
        return;
    if (flags & HHT_ONDIVIDER)
        Notify(HDN_DIVIDERDBLCLICKA, HDN_DIVIDERDBLCLICKW, index, nullptr);
    else if (flags & HHT_ONHEADER)
        Notify(HDN_ITEMDBLCLICKA, HDN_ITEMDBLCLICKW, index, nullptr);
    else
        ButtonDown(pt);
}

void HeaderBehaviour::FilterButtonClicked(int index)
{
    const HWND parent = GetParent(m_hwnd);
    if (!parent)
        return;
    const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    NMHDFILTERBTNCLICK click{{m_hwnd, id, HDN_FILTERBTNCLICK}, index, FilterButtonRect(index)};
    if (SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&click)))
        FilterChanged(index);
}

void HeaderBehaviour::FinishTrack(int width)
{
    const int index = m_item;
    EndMouseMode();
    HDITEMA track = Describe(index, HDI_WIDTH);
    track.cxy = width;
    Notify(HDN_ENDTRACKA, HDN_ENDTRACKW, index, &track);
    if (ValidIndex(index) && m_items[static_cast<std::size_t>(index)].width != width)
        SetWidth(index, width);
    Repaint();
}

int HeaderBehaviour::DropGap(int x) const
{
    int left = 0;
    int gap = 0;
    for (int index : m_order)
    {
        const int width = m_items[static_cast<std::size_t>(index)].width;
        if (x < left + width / 2)
            return gap;
        left += width;
        ++gap;
    }
    return gap;
}

int HeaderBehaviour::PositionForGap(int index, int gap) const
{
    const int current = Position(index);
    return std::clamp(gap > current ? gap - 1 : gap, 0, static_cast<int>(m_order.size()) - 1);
}

void HeaderBehaviour::EndMouseMode()
{
    m_mode = Mode::None;
    m_dropGap = -1;
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
}

void HeaderBehaviour::CancelMouseMode()
{
    m_mode = Mode::None;
    m_dropGap = -1;
    Repaint();
}

} // namespace winlib::detail
