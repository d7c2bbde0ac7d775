// The header control: a row of column buttons with text, images and sort arrows that can
// be clicked, resized by their dividers and reordered by dragging, and optionally a filter
// bar below them with an edit field and a filter button per column. Here: its messages, the
// notifications to the parent and the items.
#include "HeaderControl.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace winlib::detail
{

namespace
{

std::wstring Widen(const char* text)
{
    std::wstring wide;
    for (const char* p = text; p && *p; ++p)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return wide;
}

void CopyText(const std::string& text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

} // namespace

LRESULT HeaderBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= HDM_FIRST && message <= HDM_SETFOCUSEDITEM)
        return HeaderMessage(hwnd, message, wParam, lParam);
    switch (message)
    {
    case WM_CREATE:
        OnCreate(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kFilterTimer);
        return 0;
    case WM_NOTIFYFORMAT:
        if (lParam == NF_REQUERY)
            QueryNotifyFormat();
        return m_unicode ? NFR_UNICODE : NFR_ANSI;
    case HDM_SETUNICODEFORMAT:
        return std::exchange(m_unicode, wParam != 0) ? TRUE : FALSE;
    case HDM_GETUNICODEFORMAT:
        return m_unicode ? TRUE : FALSE;
    case WM_SETFONT:
        return OnSetFont(hwnd, wParam, lParam);
    case WM_SIZE:
        PlaceEdit();
        return 0;
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE))
            OnStyleChanged(*reinterpret_cast<const STYLESTRUCT*>(lParam));
        return 0;
    case WM_GETDLGCODE:
        return 0;
    case WM_ERASEBKGND:
    {
        const CRect client = ClientOf(hwnd);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        const HDC hdc = BeginPaint(hwnd, &ps);
        Paint(hdc, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kFilterTimer)
            return DefWindowProc(hwnd, message, wParam, lParam);
        FilterTimeOut();
        return 0;
    case WM_COMMAND:
        if (!m_edit || reinterpret_cast<HWND>(lParam) != m_edit)
            return DefWindowProc(hwnd, message, wParam, lParam);
        EditNotification(HIWORD(wParam));
        return 0;
    default:
        return MouseMessage(hwnd, message, wParam, lParam);
    }
}

void HeaderBehaviour::OnCreate(HWND hwnd)
{
    m_hwnd = hwnd;
    m_editKeyMessage = RegisterWindowMessage("winlib.Header.FilterEditKey");
    m_hideEditMessage = RegisterWindowMessage("winlib.Header.HideFilterEdit");
    Measure();
    QueryNotifyFormat();
}

LRESULT HeaderBehaviour::OnSetFont(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProc(hwnd, WM_SETFONT, wParam, lParam);
    Measure();
    if (m_edit)
        SendMessage(m_edit, WM_SETFONT, wParam, 0);
    PlaceEdit();
    if (LOWORD(lParam))
        Repaint();
    HeightChanged();
    return result;
}

void HeaderBehaviour::OnStyleChanged(const STYLESTRUCT& change)
{
    const DWORD changed = change.styleOld ^ change.styleNew;
    if ((changed & HDS_FILTERBAR) && !(change.styleNew & HDS_FILTERBAR))
        EndFilterEdit(false, true);
    Repaint();
    if (changed & (HDS_FILTERBAR | HDS_HIDDEN))
        HeightChanged();
}

// The mouse, and the messages the filter edit sends its header; the rest goes to the default.
LRESULT HeaderBehaviour::MouseMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message)
    {
    case WM_LBUTTONDOWN:
        ButtonDown(pt);
        return 0;
    case WM_LBUTTONDBLCLK:
        DoubleClick(pt);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(pt);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(pt);
        return 0;
    case WM_CAPTURECHANGED:
        if (m_mode != Mode::None && reinterpret_cast<HWND>(lParam) != hwnd)
            CancelMouseMode();
        return 0;
    case WM_RBUTTONUP:
        RightButtonUp(pt);
        return 0;
    default:
        if (message == m_editKeyMessage && m_editKeyMessage)
        {
            EditKey(static_cast<int>(wParam));
            return 0;
        }
        if (message == m_hideEditMessage && m_hideEditMessage)
        {
            if (!m_editing && m_edit)
                ShowWindow(m_edit, SW_HIDE);
            return 0;
        }
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

void HeaderBehaviour::RightButtonUp(POINT pt)
{
    const HWND hwnd = m_hwnd;
    if (NotifyParentHeader(hwnd, NM_RCLICK))
        return;
    POINT screen = pt;
    ClientToScreen(hwnd, &screen);
    SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
}

void HeaderBehaviour::FilterTimeOut()
{
    KillTimer(m_hwnd, kFilterTimer);
    if (!m_filterPending)
        return;
    m_filterPending = false;
    if (m_editing && m_editItem == m_pendingItem)
        m_notifiedDuringEdit = true;
    FilterChanged(m_pendingItem);
}

// The header's own messages.
LRESULT HeaderBehaviour::HeaderMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(wParam);
    switch (message)
    {
    case HDM_GETITEMCOUNT:
        return static_cast<LRESULT>(m_items.size());
    case HDM_INSERTITEM:
        return InsertItem(index, reinterpret_cast<const HDITEMA*>(lParam));
    case HDM_DELETEITEM:
        return DeleteItem(index) ? TRUE : FALSE;
    case HDM_GETITEM:
        return GetItem(index, reinterpret_cast<HDITEMA*>(lParam)) ? TRUE : FALSE;
    case HDM_SETITEM:
        return SetItem(index, reinterpret_cast<const HDITEMA*>(lParam)) ? TRUE : FALSE;
    case HDM_LAYOUT:
        return Layout(reinterpret_cast<HDLAYOUT*>(lParam)) ? TRUE : FALSE;
    case HDM_HITTEST:
        return HitTestMessage(reinterpret_cast<HDHITTESTINFO*>(lParam));
    case HDM_GETITEMRECT:
        if (!lParam || !ValidIndex(index))
            return FALSE;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(index);
        return TRUE;
    case HDM_SETIMAGELIST:
        return reinterpret_cast<LRESULT>(SetImageList(wParam, reinterpret_cast<HIMAGELIST>(lParam)));
    case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == static_cast<WPARAM>(HDSIL_STATE) ? m_stateImages
                                                                                    : m_images);
    case HDM_ORDERTOINDEX:
        return (index >= 0 && index < static_cast<int>(m_order.size()))
                   ? m_order[static_cast<std::size_t>(index)]
                   : -1;
    case HDM_GETORDERARRAY:
        return GetOrder(wParam, reinterpret_cast<int*>(lParam)) ? TRUE : FALSE;
    case HDM_SETORDERARRAY:
        return SetOrder(index, reinterpret_cast<const int*>(lParam)) ? TRUE : FALSE;
    case HDM_SETHOTDIVIDER:
        return -1;
    case HDM_SETBITMAPMARGIN:
    {
        const int old = std::exchange(m_bitmapMargin, std::max(0, index));
        Repaint();
        return old;
    }
    case HDM_GETBITMAPMARGIN:
        return m_bitmapMargin;
    case HDM_SETFILTERCHANGETIMEOUT:
        return std::exchange(m_filterTimeout, std::max(0, static_cast<int>(lParam)));
    case HDM_EDITFILTER:
        return EditFilter(index, LOWORD(lParam) != 0) ? TRUE : FALSE;
    case HDM_CLEARFILTER:
        return ClearFilter(index) ? TRUE : FALSE;
    default:
        return MouseMessage(hwnd, message, wParam, lParam);
    }
}

LRESULT HeaderBehaviour::HitTestMessage(HDHITTESTINFO* info) const
{
    if (!info)
        return -1;
    info->iItem = HitTest(info->pt, &info->flags);
    return info->iItem;
}

HIMAGELIST HeaderBehaviour::SetImageList(WPARAM which, HIMAGELIST images)
{
    HIMAGELIST& slot = which == static_cast<WPARAM>(HDSIL_STATE) ? m_stateImages : m_images;
    const HIMAGELIST old = std::exchange(slot, images);
    Repaint();
    return old;
}

bool HeaderBehaviour::GetOrder(std::size_t count, int* out) const
{
    if (!out || count != m_order.size())
        return false;
    std::copy(m_order.begin(), m_order.end(), out);
    return true;
}

void HeaderBehaviour::QueryNotifyFormat()
{
    const HWND parent = GetParent(m_hwnd);
    m_unicode = parent && SendMessage(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hwnd), NF_QUERY) ==
                              NFR_UNICODE;
}

HDITEMA HeaderBehaviour::Describe(int index, UINT mask) const
{
    const HeaderItem& item = m_items[static_cast<std::size_t>(index)];
    HDITEMA d{};
    d.mask = mask;
    d.cxy = item.width;
    d.pszText = const_cast<char*>(item.text.c_str());
    d.cchTextMax = static_cast<int>(item.text.size()) + 1;
    d.hbm = item.bitmap;
    d.fmt = item.fmt;
    d.lParam = item.lParam;
    d.iImage = item.image;
    d.iOrder = Position(index);
    d.type = item.filterType;
    return d;
}

LRESULT HeaderBehaviour::Notify(UINT codeA, UINT codeW, int item, const HDITEMA* pitem, int button) const
{
    const HWND parent = GetParent(m_hwnd);
    if (!parent)
        return 0;
    const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    if (m_unicode && codeW != codeA)
    {
        HDITEMW wide{};
        std::wstring text;
        NMHEADERW nm{{m_hwnd, id, codeW}, item, button, nullptr};
        if (pitem)
        {
            wide.mask = pitem->mask;
            wide.cxy = pitem->cxy;
            wide.hbm = pitem->hbm;
            wide.fmt = pitem->fmt;
            wide.lParam = pitem->lParam;
            wide.iImage = pitem->iImage;
            wide.iOrder = pitem->iOrder;
            wide.type = pitem->type;
            wide.pvFilter = pitem->pvFilter;
            wide.state = pitem->state;
            if ((pitem->mask & HDI_TEXT) && pitem->pszText && pitem->pszText != LPSTR_TEXTCALLBACKA)
            {
                text = Widen(pitem->pszText);
                wide.pszText = text.data();
                wide.cchTextMax = static_cast<int>(text.size()) + 1;
            }
            nm.pitem = &wide;
        }
        return SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&nm));
    }
    HDITEMA copy{};
    NMHEADERA nm{{m_hwnd, id, codeA}, item, button, nullptr};
    if (pitem)
    {
        copy = *pitem;
        nm.pitem = &copy;
    }
    return SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&nm));
}

LRESULT HeaderBehaviour::InsertItem(int index, const HDITEMA* source)
{
    if (!source || static_cast<int>(m_items.size()) >= kMostHeaderItems)
        return -1;
    index = std::clamp(index, 0, static_cast<int>(m_items.size()));
    HeaderItem item;
    Apply(item, *source);
    m_items.insert(m_items.begin() + index, std::move(item));
    for (int& entry : m_order)
    {
        if (entry >= index)
            ++entry;
    }
    int position = (source->mask & HDI_ORDER) ? source->iOrder : index;
    position = std::clamp(position, 0, static_cast<int>(m_order.size()));
    m_order.insert(m_order.begin() + position, index);
    if (m_editing && m_editItem >= index)
        ++m_editItem;
    if (m_filterPending && m_pendingItem >= index)
        ++m_pendingItem;
    Repaint();
    PlaceEdit();
    return index;
}

bool HeaderBehaviour::DeleteItem(int index)
{
    if (!ValidIndex(index))
        return false;
    if (m_editing && m_editItem == index)
        EndFilterEdit(true, true);
    if (m_filterPending && m_pendingItem == index)
    {
        m_filterPending = false;
        KillTimer(m_hwnd, kFilterTimer);
    }
    m_items.erase(m_items.begin() + index);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), index), m_order.end());
    for (int& entry : m_order)
    {
        if (entry > index)
            --entry;
    }
    if (m_editing && m_editItem > index)
        --m_editItem;
    if (m_filterPending && m_pendingItem > index)
        --m_pendingItem;
    Repaint();
    PlaceEdit();
    return true;
}

void HeaderBehaviour::Apply(HeaderItem& item, const HDITEMA& source)
{
    if (source.mask & HDI_TEXT)
        item.text = (source.pszText && source.pszText != LPSTR_TEXTCALLBACKA) ? source.pszText : "";
    if (source.mask & HDI_WIDTH)
        item.width = std::clamp(source.cxy, 0, kLargestHeaderItemWidth);
    if (source.mask & HDI_FORMAT)
        item.fmt = source.fmt;
    if (source.mask & HDI_LPARAM)
        item.lParam = source.lParam;
    if (source.mask & HDI_IMAGE)
        item.image = source.iImage;
    if (source.mask & HDI_BITMAP)
        item.bitmap = source.hbm;
    if (source.mask & HDI_FILTER)
    {
        item.filterType = source.type & ~HDFT_HASNOVALUE;
        const auto* filter = static_cast<const HD_TEXTFILTERA*>(source.pvFilter);
        const bool noValue = (source.type & HDFT_HASNOVALUE) != 0;
        if ((item.filterType & 0x0F) == HDFT_ISSTRING)
            item.filter = (!noValue && filter && filter->pszText) ? filter->pszText : "";
        else
            item.filter.clear();
    }
}

bool HeaderBehaviour::GetItem(int index, HDITEMA* out) const
{
    if (!out || !ValidIndex(index))
        return false;
    const HeaderItem& item = m_items[static_cast<std::size_t>(index)];
    const UINT mask = out->mask;
    if (mask & HDI_TEXT)
        CopyText(item.text, out->pszText, out->cchTextMax);
    if (mask & HDI_WIDTH)
        out->cxy = item.width;
    if (mask & HDI_FORMAT)
        out->fmt = item.fmt;
    if (mask & HDI_LPARAM)
        out->lParam = item.lParam;
    if (mask & HDI_IMAGE)
        out->iImage = item.image;
    if (mask & HDI_BITMAP)
        out->hbm = item.bitmap;
    if (mask & HDI_ORDER)
        out->iOrder = Position(index);
    if (mask & HDI_FILTER)
    {
        const bool empty = item.filter.empty();
        if ((out->type & 0x0F) == HDFT_ISSTRING && out->pvFilter)
        {
            auto* filter = static_cast<HD_TEXTFILTERA*>(out->pvFilter);
            CopyText(item.filter, filter->pszText, filter->cchTextMax);
        }
        out->type = item.filterType | (empty ? HDFT_HASNOVALUE : 0);
    }
    return true;
}

bool HeaderBehaviour::SetItem(int index, const HDITEMA* source)
{
    if (!source || !ValidIndex(index))
        return false;
    if (Notify(HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW, index, source))
        return false;
    if (!ValidIndex(index))
        return false;
    Apply(m_items[static_cast<std::size_t>(index)], *source);
    if (source->mask & HDI_ORDER)
        MoveToPosition(index, source->iOrder);
    if ((source->mask & HDI_FILTER) && m_editing && m_editItem == index)
        ShowEditText();
    Repaint();
    PlaceEdit();
    Notify(HDN_ITEMCHANGEDA, HDN_ITEMCHANGEDW, index, source);
    if (source->mask & HDI_FILTER)
        FilterChanged(index);
    return true;
}

void HeaderBehaviour::SetWidth(int index, int width)
{
    HDITEMA change{};
    change.mask = HDI_WIDTH;
    change.cxy = std::max(0, width);
    SetItem(index, &change);
}

void HeaderBehaviour::MoveToPosition(int index, int position)
{
    position = std::clamp(position, 0, static_cast<int>(m_order.size()) - 1);
    m_order.erase(std::remove(m_order.begin(), m_order.end(), index), m_order.end());
    m_order.insert(m_order.begin() + position, index);
}

bool HeaderBehaviour::SetOrder(int count, const int* order)
{
    if (!order || count != static_cast<int>(m_items.size()))
        return false;
    std::vector<int> updated(order, order + count);
    std::vector<int> sorted = updated;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i)
    {
        if (sorted[static_cast<std::size_t>(i)] != i)
            return false;
    }
    m_order = std::move(updated);
    Repaint();
    PlaceEdit();
    return true;
}

void RegisterHeaderClass()
{
    State::Get().RegisterBuiltin(
        WC_HEADER, [] { return std::make_unique<HeaderBehaviour>(); }, COLOR_BTNFACE);
}

} // namespace winlib::detail
