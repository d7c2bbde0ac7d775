// The header control: a row of column buttons with text, images and sort arrows that can
// be clicked, resized by their dividers and reordered by dragging, and optionally a filter
// bar below them with an edit field and a filter button per column.
#include "ControlMetrics.h"
#include "ImageListAccess.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace winlib::detail
{

namespace
{

constexpr UINT_PTR kFilterTimer = 0x4846;
constexpr int kFilterEditId = 0x4845;
constexpr int kDividerGrip = 4; // pixels on either side of a divider that grab it
constexpr int kTextMargin = 6;  // between the edge of an item and its text or image
constexpr int kSortArrowWidth = 8;

struct HeaderItem
{
    std::string text;
    int width = 0;
    int fmt = HDF_LEFT | HDF_STRING;
    LPARAM lParam = 0;
    int image = I_IMAGENONE;
    HBITMAP bitmap = nullptr;
    UINT filterType = HDFT_ISSTRING;
    std::string filter;
};

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

class HeaderBehaviour : public ControlBehaviour
{
public:
    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            m_hwnd = hwnd;
            m_editKeyMessage = RegisterWindowMessage("winlib.Header.FilterEditKey");
            m_hideEditMessage = RegisterWindowMessage("winlib.Header.HideFilterEdit");
            Measure();
            QueryNotifyFormat();
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kFilterTimer);
            return 0;
        case WM_NOTIFYFORMAT:
            if (lParam == NF_REQUERY)
                QueryNotifyFormat();
            return m_unicode ? NFR_UNICODE : NFR_ANSI;
        case HDM_SETUNICODEFORMAT:
        {
            const bool old = m_unicode;
            m_unicode = wParam != 0;
            return old ? TRUE : FALSE;
        }
        case HDM_GETUNICODEFORMAT:
            return m_unicode ? TRUE : FALSE;
        case WM_SETFONT:
        {
            const LRESULT result = DefWindowProc(hwnd, message, wParam, lParam);
            Measure();
            if (m_edit)
                SendMessage(m_edit, WM_SETFONT, wParam, 0);
            PlaceEdit();
            if (LOWORD(lParam))
                Repaint();
            HeightChanged();
            return result;
        }
        case WM_SIZE:
            PlaceEdit();
            return 0;
        case WM_STYLECHANGED:
            if (wParam == static_cast<WPARAM>(GWL_STYLE))
            {
                const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
                const DWORD changed = change->styleOld ^ change->styleNew;
                if ((changed & HDS_FILTERBAR) && !(change->styleNew & HDS_FILTERBAR))
                    EndFilterEdit(false, true);
                Repaint();
                if (changed & (HDS_FILTERBAR | HDS_HIDDEN))
                    HeightChanged();
            }
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
        case WM_LBUTTONDOWN:
            ButtonDown(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONDBLCLK:
            DoubleClick(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_MOUSEMOVE:
            MouseMove(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            ButtonUp(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_CAPTURECHANGED:
            if (m_mode != Mode::None && reinterpret_cast<HWND>(lParam) != hwnd)
                CancelMouseMode();
            return 0;
        case WM_RBUTTONUP:
        {
            if (!NotifyParentHeader(hwnd, NM_RCLICK))
            {
                POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(hwnd, &screen);
                SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                            MAKELPARAM(screen.x, screen.y));
            }
            return 0;
        }
        case WM_TIMER:
            if (wParam == kFilterTimer)
            {
                KillTimer(hwnd, kFilterTimer);
                if (m_filterPending)
                {
                    m_filterPending = false;
                    if (m_editing && m_editItem == m_pendingItem)
                        m_notifiedDuringEdit = true;
                    FilterChanged(m_pendingItem);
                }
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_COMMAND:
            if (m_edit && reinterpret_cast<HWND>(lParam) == m_edit)
            {
                EditNotification(HIWORD(wParam));
                return 0;
            }
            return DefWindowProc(hwnd, message, wParam, lParam);

        case HDM_GETITEMCOUNT:
            return static_cast<LRESULT>(m_items.size());
        case HDM_INSERTITEM:
            return InsertItem(static_cast<int>(wParam), reinterpret_cast<const HDITEMA*>(lParam));
        case HDM_DELETEITEM:
            return DeleteItem(static_cast<int>(wParam)) ? TRUE : FALSE;
        case HDM_GETITEM:
            return GetItem(static_cast<int>(wParam), reinterpret_cast<HDITEMA*>(lParam)) ? TRUE : FALSE;
        case HDM_SETITEM:
            return SetItem(static_cast<int>(wParam), reinterpret_cast<const HDITEMA*>(lParam)) ? TRUE : FALSE;
        case HDM_LAYOUT:
            return Layout(reinterpret_cast<HDLAYOUT*>(lParam)) ? TRUE : FALSE;
        case HDM_HITTEST:
        {
            auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
            if (!info)
                return -1;
            info->iItem = HitTest(info->pt, &info->flags);
            return info->iItem;
        }
        case HDM_GETITEMRECT:
        {
            const int index = static_cast<int>(wParam);
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect || !ValidIndex(index))
                return FALSE;
            *rect = ItemRect(index);
            return TRUE;
        }
        case HDM_SETIMAGELIST:
        {
            HIMAGELIST& slot = wParam == static_cast<WPARAM>(HDSIL_STATE) ? m_stateImages : m_images;
            const HIMAGELIST old = slot;
            slot = reinterpret_cast<HIMAGELIST>(lParam);
            Repaint();
            return reinterpret_cast<LRESULT>(old);
        }
        case HDM_GETIMAGELIST:
            return reinterpret_cast<LRESULT>(wParam == static_cast<WPARAM>(HDSIL_STATE) ? m_stateImages
                                                                                        : m_images);
        case HDM_ORDERTOINDEX:
        {
            const int position = static_cast<int>(wParam);
            return (position >= 0 && position < static_cast<int>(m_order.size()))
                       ? m_order[static_cast<std::size_t>(position)]
                       : -1;
        }
        case HDM_GETORDERARRAY:
        {
            auto* out = reinterpret_cast<int*>(lParam);
            if (!out || static_cast<std::size_t>(wParam) != m_order.size())
                return FALSE;
            std::copy(m_order.begin(), m_order.end(), out);
            return TRUE;
        }
        case HDM_SETORDERARRAY:
            return SetOrder(static_cast<int>(wParam), reinterpret_cast<const int*>(lParam)) ? TRUE : FALSE;
        case HDM_SETHOTDIVIDER:
            return -1;
        case HDM_SETBITMAPMARGIN:
        {
            const int old = m_bitmapMargin;
            m_bitmapMargin = std::max(0, static_cast<int>(wParam));
            Repaint();
            return old;
        }
        case HDM_GETBITMAPMARGIN:
            return m_bitmapMargin;
        case HDM_SETFILTERCHANGETIMEOUT:
        {
            const int old = m_filterTimeout;
            m_filterTimeout = std::max(0, static_cast<int>(lParam));
            return old;
        }
        case HDM_EDITFILTER:
            return EditFilter(static_cast<int>(wParam), LOWORD(lParam) != 0) ? TRUE : FALSE;
        case HDM_CLEARFILTER:
            return ClearFilter(static_cast<int>(wParam)) ? TRUE : FALSE;
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

private:
    enum class Mode
    {
        None,
        Press,       // button held on an item; a click unless it turns into a drag
        PressVetoed, // the parent refused the drag: nothing happens on release
        Track,       // resizing by a divider
        Drag,        // reordering
        FilterButton
    };

    // ---- Geometry --------------------------------------------------------------------

    bool ValidIndex(int index) const { return index >= 0 && index < static_cast<int>(m_items.size()); }
    DWORD Style() const { return StyleOf(m_hwnd); }
    bool HasFilterBar() const { return (Style() & HDS_FILTERBAR) != 0; }

    // Button and filter rows take their height from the font.
    void Measure()
    {
        const int height = FontMetrics(ControlFont(m_hwnd)).tmHeight;
        m_itemRowHeight = height + 7;
        m_filterRowHeight = height + 6;
    }

    int ItemRowHeight() const { return m_itemRowHeight; }
    int FilterRowHeight() const { return m_filterRowHeight; }

    // Where the buttons end and the filter bar begins.
    int ItemBottom() const
    {
        const CRect client = ClientOf(m_hwnd);
        if (!HasFilterBar())
            return client.bottom;
        return std::min<int>(client.bottom, ItemRowHeight());
    }

    int Position(int index) const
    {
        const auto it = std::find(m_order.begin(), m_order.end(), index);
        return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
    }

    int LeftOf(int index) const
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

    // The whole column of an item, buttons and filter bar together.
    CRect ItemRect(int index) const
    {
        const CRect client = ClientOf(m_hwnd);
        const int left = LeftOf(index);
        return CRect(left, 0, left + m_items[static_cast<std::size_t>(index)].width, client.bottom);
    }

    CRect ButtonRect(int index) const
    {
        CRect r = ItemRect(index);
        r.bottom = ItemBottom();
        return r;
    }

    CRect FilterRect(int index) const
    {
        CRect r = ItemRect(index);
        r.top = ItemBottom();
        return r;
    }

    CRect FilterButtonRect(int index) const
    {
        const CRect f = FilterRect(index);
        const int width = std::min<int>(f.Height(), f.Width() / 2);
        return CRect(f.right - width, f.top, f.right, f.bottom);
    }

    CRect FilterFieldRect(int index) const
    {
        CRect f = FilterRect(index);
        f.right = FilterButtonRect(index).left;
        return f;
    }

    int HitTest(POINT pt, UINT* flags) const
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

    bool Layout(HDLAYOUT* layout) const
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

    void Repaint() { InvalidateRect(m_hwnd, nullptr, TRUE); }

    void HeightChanged() const
    {
        if (const HWND parent = GetParent(m_hwnd))
            SendMessage(parent, RegisterWindowMessage(kHeaderLayoutChangedMessage),
                        reinterpret_cast<WPARAM>(m_hwnd), 0);
    }
    void InvalidatePart(const RECT& part) { InvalidateRect(m_hwnd, &part, TRUE); }

    // ---- Notifications ---------------------------------------------------------------

    void QueryNotifyFormat()
    {
        const HWND parent = GetParent(m_hwnd);
        m_unicode = parent && SendMessage(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hwnd),
                                          NF_QUERY) == NFR_UNICODE;
    }

    HDITEMA Describe(int index, UINT mask) const
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

    // An NMHEADER notification in the form the parent asked for.
    LRESULT Notify(UINT codeA, UINT codeW, int item, const HDITEMA* pitem, int button = 0) const
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

    void FilterChanged(int item) const { Notify(HDN_FILTERCHANGE, HDN_FILTERCHANGE, item, nullptr); }

    // ---- Items -----------------------------------------------------------------------

    LRESULT InsertItem(int index, const HDITEMA* source)
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

    bool DeleteItem(int index)
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

    static void Apply(HeaderItem& item, const HDITEMA& source)
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

    bool GetItem(int index, HDITEMA* out) const
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

    bool SetItem(int index, const HDITEMA* source)
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

    // Changes a width the way the user does, with the change notifications.
    void SetWidth(int index, int width)
    {
        HDITEMA change{};
        change.mask = HDI_WIDTH;
        change.cxy = std::max(0, width);
        SetItem(index, &change);
    }

    void MoveToPosition(int index, int position)
    {
        position = std::clamp(position, 0, static_cast<int>(m_order.size()) - 1);
        m_order.erase(std::remove(m_order.begin(), m_order.end(), index), m_order.end());
        m_order.insert(m_order.begin() + position, index);
    }

    bool SetOrder(int count, const int* order)
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

    // ---- Filter bar ------------------------------------------------------------------

    bool EditFilter(int index, bool discardChanges)
    {
        if (!HasFilterBar() || !ValidIndex(index))
            return false;
        if (m_editing && m_editItem != index)
            EndFilterEdit(discardChanges, false);
        if (!m_edit)
        {
            m_edit = CreateWindowEx(0, "Edit", "", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, m_hwnd,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFilterEditId)), nullptr,
                                    nullptr);
            if (!m_edit)
                return false;
            if (WindowRecord* record = State::Get().Find(m_edit))
                record->behaviour = std::make_unique<FilterEditBehaviour>(std::move(record->behaviour),
                                                                          m_hwnd, m_editKeyMessage);
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

    void ShowEditText()
    {
        if (!m_edit || !m_editing)
            return;
        m_settingEditText = true;
        SetWindowText(m_edit, m_items[static_cast<std::size_t>(m_editItem)].filter.c_str());
        m_settingEditText = false;
    }

    void PlaceEdit()
    {
        if (!m_edit || !m_editing || !ValidIndex(m_editItem))
            return;
        CRect field = FilterFieldRect(m_editItem);
        field.DeflateRect(1, 1);
        SetWindowPos(m_edit, nullptr, field.left, field.top, std::max<int>(0, field.Width()),
                     std::max<int>(0, field.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void EditNotification(UINT code)
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

    void EditKey(int key)
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

    // Ends editing: a change still waiting for its time-out is reported now.
    void EndFilterEdit(bool discard, bool hide)
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

    bool ClearFilter(int index)
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

    // ---- Mouse -----------------------------------------------------------------------

    void ButtonDown(CPoint pt)
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

    void MouseMove(CPoint pt)
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

    void ButtonUp(CPoint pt)
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

    void DoubleClick(CPoint pt)
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

    void FilterButtonClicked(int index)
    {
        const HWND parent = GetParent(m_hwnd);
        if (!parent)
            return;
        const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
        NMHDFILTERBTNCLICK click{{m_hwnd, id, HDN_FILTERBTNCLICK}, index, FilterButtonRect(index)};
        if (SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&click)))
            FilterChanged(index);
    }

    void FinishTrack(int width)
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

    // The gap between items (0 before the first, n after the last) nearest to x: where the
    // dragged item would go.
    int DropGap(int x) const
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

    // The position the dragged item takes when dropped into a gap: the gaps on either side
    // of it leave it where it is.
    int PositionForGap(int index, int gap) const
    {
        const int current = Position(index);
        return std::clamp(gap > current ? gap - 1 : gap, 0, static_cast<int>(m_order.size()) - 1);
    }

    void EndMouseMode()
    {
        m_mode = Mode::None;
        m_dropGap = -1;
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
    }

    void CancelMouseMode()
    {
        m_mode = Mode::None;
        m_dropGap = -1;
        Repaint();
    }

    // ---- Painting --------------------------------------------------------------------

    LRESULT CustomDraw(HDC hdc, DWORD stage, const RECT& rc, int item, UINT state, LPARAM lParam) const
    {
        const HWND parent = GetParent(m_hwnd);
        if (!parent)
            return CDRF_DODEFAULT;
        const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
        NMCUSTOMDRAW cd{{m_hwnd, id, NM_CUSTOMDRAW},  stage, hdc,   rc,
                        static_cast<DWORD_PTR>(item), state, lParam};
        return SendMessage(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&cd));
    }

    void Paint(HDC hdc, const RECT& paint)
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

    bool Pressed(int index) const
    {
        return m_mode == Mode::Press && m_item == index && m_pressedInside && (Style() & HDS_BUTTONS);
    }

    void PaintItem(HDC hdc, int index, HFONT font, LRESULT overall)
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
        const bool image = (item.fmt & HDF_IMAGE) && item.image >= 0 && imageSize.cx > 0 &&
                           ImageCount(m_images) > item.image;
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

    static void PaintSortArrow(HDC hdc, const CRect& area, bool up)
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

    void PaintFilter(HDC hdc, int index, HFONT font)
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

    // Where a dragged item would land, or the line a divider being resized would move to.
    void PaintFeedback(HDC hdc)
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

    HWND m_hwnd = nullptr;
    std::vector<HeaderItem> m_items;
    std::vector<int> m_order; // display position -> item index
    HIMAGELIST m_images = nullptr;
    HIMAGELIST m_stateImages = nullptr;
    int m_bitmapMargin = 6;
    int m_itemRowHeight = 20;
    int m_filterRowHeight = 19;
    bool m_unicode = false;

    Mode m_mode = Mode::None;
    int m_item = -1;
    CPoint m_down;
    bool m_pressedInside = false;
    int m_trackOffset = 0;
    int m_trackWidth = 0;
    int m_dropGap = -1;

    int m_filterTimeout = 1000;
    bool m_filterPending = false;
    int m_pendingItem = -1;
    HWND m_edit = nullptr;
    bool m_editing = false;
    int m_editItem = -1;
    std::string m_editOriginal;
    bool m_notifiedDuringEdit = false;
    bool m_settingEditText = false;
    bool m_discardOnEnd = false;
    UINT m_editKeyMessage = 0;
    UINT m_hideEditMessage = 0;
};

} // namespace

void RegisterHeaderClass()
{
    State::Get().RegisterBuiltin(
        WC_HEADER, [] { return std::make_unique<HeaderBehaviour>(); }, COLOR_BTNFACE);
}

} // namespace winlib::detail
