// The list box control, and the list of a combo box ("ComboLBox") built on the same
// behaviour: single, multiple and extended selection, sorting, owner draw (fixed and
// variable), item data, caret, anchor and top index, scrolling by bar, wheel and keys,
// type-ahead, and every LB_ message with its Windows return values.
#include "ComboListHost.h"
#include "ControlUtil.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string_view>

namespace winlib::detail
{

namespace
{

constexpr int kMaxItemHeight = 255;
constexpr int kTextIndent = 2;
constexpr int kWheelLines = 3;

// Windows orders the strings of a sorted list with the user's locale, ignoring case:
// symbols before digits before letters, and hyphens and apostrophes only count when
// nothing else tells two strings apart ("coop" before "co-op").
int SortWeight(unsigned char c)
{
    static constexpr std::string_view symbols = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
    if (c < 0x20)
        return c;
    if (const std::size_t at = symbols.find(static_cast<char>(c)); at != std::string_view::npos)
        return 0x20 + static_cast<int>(at);
    if (std::isdigit(c))
        return 0x40 + (c - '0');
    if (std::isalpha(c))
        return 0x50 + (std::tolower(c) - 'a');
    return 0x100 + c;
}

bool IgnoredInSort(char c)
{
    return c == '-' || c == '\'';
}

int CompareItemText(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t ignoredA = 0;
    std::size_t ignoredB = 0;
    while (true)
    {
        for (; i < a.size() && IgnoredInSort(a[i]); ++i)
            ++ignoredA;
        for (; j < b.size() && IgnoredInSort(b[j]); ++j)
            ++ignoredB;
        if (i == a.size() || j == b.size())
            break;
        const int wa = SortWeight(static_cast<unsigned char>(a[i]));
        const int wb = SortWeight(static_cast<unsigned char>(b[j]));
        if (wa != wb)
            return wa < wb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i != a.size() || j != b.size())
        return i == a.size() ? -1 : 1;
    if (ignoredA != ignoredB)
        return ignoredA < ignoredB ? -1 : 1;
    const int raw = ToLower(std::string(a)).compare(ToLower(std::string(b)));
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
    {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

struct ListItem
{
    std::string text;
    ULONG_PTR data = 0;
    int height = 0;
    bool selected = false; // multiple-selection lists only
};

class ListBoxBehaviour : public ControlBehaviour
{
public:
    explicit ListBoxBehaviour(bool comboList) : m_comboList(comboList) {}

    LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CREATE:
            return Create(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
        case WM_DESTROY:
            ResetContent(hwnd);
            return DefWindowProc(hwnd, message, wParam, lParam);
        case WM_SIZE:
            Resized(hwnd);
            return 0;
        case WM_SETFONT:
        {
            DefWindowProc(hwnd, message, wParam, lParam);
            if (!OwnerDraw())
                m_itemHeight = FontHeight(hwnd);
            Resized(hwnd);
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_SETREDRAW:
            DefWindowProc(hwnd, message, wParam, lParam);
            m_redraw = wParam != 0;
            if (m_redraw)
            {
                UpdateScrollBar(hwnd);
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
            m_focused = true;
            InvalidateItem(hwnd, m_caret);
            if (!m_host)
                NotifyParent(hwnd, LBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            m_focused = false;
            InvalidateItem(hwnd, m_caret);
            if (m_tracking && GetCapture() == hwnd)
                ReleaseCapture();
            if (!m_host && IsWindow(hwnd))
                NotifyParent(hwnd, LBN_KILLFOCUS);
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        {
            PAINTSTRUCT ps;
            const HDC hdc = BeginPaint(hwnd, &ps);
            if (hdc)
                Paint(hwnd, hdc, ps.rcPaint);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ButtonDown(hwnd, message, wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_MOUSEMOVE:
            MouseMove(hwnd, wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_LBUTTONUP:
            ButtonUp(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            return 0;
        case WM_CAPTURECHANGED:
            CaptureChanged(hwnd, reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_MOUSEWHEEL:
        {
            m_wheel += static_cast<short>(HIWORD(wParam));
            const int notches = m_wheel / WHEEL_DELTA;
            m_wheel -= notches * WHEEL_DELTA;
            if (notches)
                SetTop(hwnd, m_top - notches * kWheelLines);
            return 0;
        }
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
            if (message >= LB_ADDSTRING && message <= LB_ITEMFROMPOINT)
                return ListMessage(hwnd, message, wParam, lParam);
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

private:
    // ---- Styles ----------------------------------------------------------------------------
    bool Variable() const { return (m_style & LBS_OWNERDRAWVARIABLE) != 0; }
    bool OwnerDraw() const { return (m_style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (m_style & LBS_HASSTRINGS); }
    bool Sorted() const { return (m_style & LBS_SORT) != 0; }
    bool NoSelection() const { return (m_style & LBS_NOSEL) != 0; }
    bool Extended() const { return !NoSelection() && (m_style & LBS_EXTENDEDSEL); }
    bool Multiple() const { return !NoSelection() && (m_style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)); }
    bool Single() const { return !NoSelection() && !Multiple(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }

    // ---- Who the list works for -------------------------------------------------------------
    // A combo box's list measures, draws and asks colours for the combo box, of its parent.
    HWND ItemWindow(HWND hwnd) const { return m_host ? m_host->ComboWindow() : hwnd; }
    HWND Owner(HWND hwnd) const { return GetParent(ItemWindow(hwnd)); }
    UINT ControlType() const { return m_host ? ODT_COMBOBOX : ODT_LISTBOX; }
    UINT ControlId(HWND hwnd) const { return static_cast<UINT>(GetDlgCtrlID(ItemWindow(hwnd))); }
    bool IsPopup(HWND hwnd) const { return (StyleOf(hwnd) & WS_POPUP) != 0; }
    // The drop-down list of a combo box while it is shown.
    bool Dropped(HWND hwnd) const { return m_host && IsPopup(hwnd) && IsWindowVisible(hwnd); }

    // Tells whoever listens that the user changed the selection; false when that destroyed us.
    bool SelectionChangedByUser(HWND hwnd, UINT code = LBN_SELCHANGE)
    {
        if (m_host)
            m_host->ListSelectionChanged();
        else if (m_style & LBS_NOTIFY)
            NotifyParent(hwnd, code);
        return IsWindow(hwnd) != FALSE;
    }

    LRESULT Create(HWND hwnd, const CREATESTRUCT* cs)
    {
        m_style = cs ? static_cast<DWORD>(cs->style) : StyleOf(hwnd);
        if (m_comboList && cs)
            m_host = static_cast<ComboListHost*>(cs->lpCreateParams);
        m_itemHeight = FontHeight(hwnd);
        if (OwnerDraw() && !Variable())
            m_itemHeight = Measure(hwnd, 0, 0, m_itemHeight);
        if (m_style & LBS_NOREDRAW)
        {
            DefWindowProc(hwnd, WM_SETREDRAW, FALSE, 0);
            m_redraw = false;
        }
        return 0;
    }

    int FontHeight(HWND hwnd) const
    {
        const HDC hdc = GetDC(nullptr);
        const HGDIOBJ old = SelectControlFont(hwnd, hdc);
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SelectObject(hdc, old);
        ReleaseDC(nullptr, hdc);
        return std::max<int>(1, tm.tmHeight);
    }

    // WM_MEASUREITEM to the owner; returns the height it asked for.
    int Measure(HWND hwnd, int index, ULONG_PTR data, int height)
    {
        MEASUREITEMSTRUCT mis{ControlType(),
                              ControlId(hwnd),
                              static_cast<UINT>(index),
                              static_cast<UINT>(std::max<LONG>(0, ClientOf(hwnd).Width())),
                              static_cast<UINT>(height),
                              data};
        if (const HWND owner = Owner(hwnd))
            SendMessage(owner, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
        return std::clamp(static_cast<int>(mis.itemHeight), 1, kMaxItemHeight);
    }

    // Sorted lists without strings ask their owner; returns <0, 0, >0 as item 'index' sorts
    // before, with or after 'data'.
    int CompareWithOwner(HWND hwnd, int index, ULONG_PTR data)
    {
        COMPAREITEMSTRUCT cis{ControlType(),
                              ControlId(hwnd),
                              ItemWindow(hwnd),
                              static_cast<UINT>(index),
                              m_items[static_cast<std::size_t>(index)].data,
                              static_cast<UINT>(-1),
                              data,
                              0};
        const HWND owner = Owner(hwnd);
        return owner ? static_cast<int>(
                           SendMessage(owner, WM_COMPAREITEM, cis.CtlID, reinterpret_cast<LPARAM>(&cis)))
                     : 0;
    }

    // ---- Geometry ----------------------------------------------------------------------------
    int ItemHeight(int index) const
    {
        return Variable() && Valid(index) ? m_items[static_cast<std::size_t>(index)].height : m_itemHeight;
    }

    int ClientHeight(HWND hwnd) const { return ClientOf(hwnd).Height(); }

    // The item's rectangle in client coordinates, above or below the client area when hidden.
    CRect ItemRect(HWND hwnd, int index) const
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

    // The item at a client y, or -1 above the first or below the last one.
    int ItemAtY(int y) const
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

    // Items wholly visible from 'top' down, at least one.
    int PageFrom(HWND hwnd, int top) const
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

    // The largest top index that still shows the last item whole.
    int MaxTop(HWND hwnd) const
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

    void InvalidateItem(HWND hwnd, int index)
    {
        if (index < 0 || index >= std::max(1, Count()) || index < m_top)
            return;
        const CRect r = ItemRect(hwnd, index);
        if (r.top < ClientHeight(hwnd))
            InvalidateRect(hwnd, &r, TRUE);
    }

    void UpdateScrollBar(HWND hwnd)
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

    void SetTop(HWND hwnd, int top)
    {
        top = std::clamp(top, 0, MaxTop(hwnd));
        if (top == m_top)
            return;
        m_top = top;
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateScrollBar(hwnd);
    }

    void EnsureVisible(HWND hwnd, int index)
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

    // Keeps the client area a whole number of items high unless told otherwise.
    void Resized(HWND hwnd)
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

    // ---- Selection ----------------------------------------------------------------------------
    // What is selected, to tell whether an action of the user changed it.
    struct Selection
    {
        int single = -1;
        std::vector<bool> flags;
        bool operator==(const Selection&) const = default;
    };

    Selection CurrentSelection() const
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

    bool IsSelected(int index) const
    {
        if (!Valid(index) || NoSelection())
            return false;
        return Single() ? index == m_sel : m_items[static_cast<std::size_t>(index)].selected;
    }

    void SelectSingle(HWND hwnd, int index)
    {
        if (index == m_sel)
            return;
        InvalidateItem(hwnd, m_sel);
        m_sel = index;
        InvalidateItem(hwnd, m_sel);
    }

    void SelectItem(HWND hwnd, int index, bool on)
    {
        ListItem& item = m_items[static_cast<std::size_t>(index)];
        if (item.selected == on)
            return;
        item.selected = on;
        InvalidateItem(hwnd, index);
    }

    void SelectRange(HWND hwnd, int first, int last, bool on)
    {
        if (first > last)
            std::swap(first, last);
        first = std::max(first, 0);
        last = std::min(last, Count() - 1);
        for (int i = first; i <= last; ++i)
            SelectItem(hwnd, i, on);
    }

    void ClearSelection(HWND hwnd)
    {
        if (Single())
            SelectSingle(hwnd, -1);
        else if (Multiple())
            SelectRange(hwnd, 0, Count() - 1, false);
    }

    void SetCaret(HWND hwnd, int index, bool scroll = true)
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

    // The caret moved to 'index' by a key: selects as the selection mode and the shift
    // keys say. False when a notification destroyed the list.
    bool KeyboardMove(HWND hwnd, int index, bool shift, bool ctrl)
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

    // ---- Items ------------------------------------------------------------------------------
    int SortedPosition(HWND hwnd, const ListItem& item, LPARAM lParam)
    {
        int lo = 0;
        int hi = Count();
        while (lo < hi)
        {
            const int mid = (lo + hi) / 2;
            const int order = HasStrings()
                                  ? CompareItemText(m_items[static_cast<std::size_t>(mid)].text, item.text)
                                  : CompareWithOwner(hwnd, mid, static_cast<ULONG_PTR>(lParam));
            if (order <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    LRESULT Insert(HWND hwnd, int index, LPARAM lParam, bool sorted)
    {
        ListItem item;
        int position = index;
        try
        {
            if (HasStrings())
                item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
            else
                item.data = static_cast<ULONG_PTR>(lParam);
            item.height = m_itemHeight;
            if (sorted)
                position = SortedPosition(hwnd, item, lParam);
            else if (position < 0)
                position = Count();
            else if (position > Count())
                return LB_ERR;
            m_items.insert(m_items.begin() + position, std::move(item));
        }
        catch (const std::bad_alloc&)
        {
            if (!m_host)
                NotifyParent(hwnd, static_cast<UINT>(LBN_ERRSPACE));
            return LB_ERRSPACE;
        }
        // The caret stays on its item, except in a list with nothing selected yet, where it
        // stays on the first one.
        if (Count() > 1 && m_caret >= position && (m_sel >= 0 || Multiple()))
            ++m_caret;
        if (m_sel >= position)
            ++m_sel;
        if (m_anchor >= position)
            ++m_anchor;
        if (Variable())
        {
            const int height = Measure(hwnd, position, static_cast<ULONG_PTR>(lParam), m_itemHeight);
            if (!IsWindow(hwnd) || !Valid(position))
                return position;
            m_items[static_cast<std::size_t>(position)].height = height;
        }
        ItemsChanged(hwnd, position);
        return position;
    }

    // WM_DELETEITEM for an item with something the owner may have to free.
    void SendDeleteItem(HWND hwnd, int index)
    {
        const ListItem& item = m_items[static_cast<std::size_t>(index)];
        if (!OwnerDraw() && !item.data)
            return;
        DELETEITEMSTRUCT dis{ControlType(), ControlId(hwnd), static_cast<UINT>(index), ItemWindow(hwnd),
                             item.data};
        if (const HWND owner = Owner(hwnd))
            SendMessage(owner, WM_DELETEITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    }

    LRESULT Delete(HWND hwnd, int index)
    {
        if (!Valid(index))
            return LB_ERR;
        SendDeleteItem(hwnd, index);
        if (!IsWindow(hwnd) || !Valid(index))
            return LB_ERR;
        m_items.erase(m_items.begin() + index);
        const auto shift = [index](int& i)
        {
            if (i > index)
                --i;
        };
        if (m_sel == index)
            m_sel = -1;
        shift(m_sel);
        shift(m_caret);
        shift(m_anchor);
        m_caret = std::clamp(m_caret, 0, std::max(0, Count() - 1));
        if (m_anchor >= Count())
            m_anchor = Count() - 1;
        ItemsChanged(hwnd, index);
        return Count();
    }

    void ResetContent(HWND hwnd)
    {
        for (int i = 0; i < Count(); ++i)
        {
            SendDeleteItem(hwnd, i);
            if (!IsWindow(hwnd))
                return;
        }
        m_items.clear();
        m_sel = -1;
        m_caret = 0;
        m_anchor = -1;
        m_top = 0;
        ItemsChanged(hwnd, 0);
    }

    void ItemsChanged(HWND hwnd, int from)
    {
        m_top = std::min(m_top, MaxTop(hwnd));
        UpdateScrollBar(hwnd);
        if (from <= m_top)
            InvalidateRect(hwnd, nullptr, TRUE);
        else
        {
            CRect below = ItemRect(hwnd, from);
            below.bottom = std::max<LONG>(below.top, ClientHeight(hwnd));
            if (below.top < ClientHeight(hwnd))
                InvalidateRect(hwnd, &below, TRUE);
        }
    }

    // Searches the items after 'start', wrapping round to it; -1 when none matches.
    template <typename Match> int Find(int start, Match match) const
    {
        const int n = Count();
        if (!n)
            return LB_ERR;
        if (start < 0 || start >= n)
            start = n - 1;
        for (int k = 1; k <= n; ++k)
        {
            const int i = (start + k) % n;
            if (match(i))
                return i;
        }
        return LB_ERR;
    }

    int FindString(HWND hwnd, int start, LPARAM lParam, bool exact)
    {
        if (!HasStrings())
        {
            const auto data = static_cast<ULONG_PTR>(lParam);
            if (Sorted())
                return Find(start, [&](int i) { return CompareWithOwner(hwnd, i, data) == 0; });
            return Find(start, [&](int i) { return m_items[static_cast<std::size_t>(i)].data == data; });
        }
        const std::string_view text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return Find(start,
                    [&](int i)
                    {
                        const std::string& item = m_items[static_cast<std::size_t>(i)].text;
                        return exact ? EqualsNoCase(item, text) : StartsWithNoCase(item, text);
                    });
    }

    // ---- Messages -----------------------------------------------------------------------------
    LRESULT ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const int index = static_cast<int>(wParam);
        switch (message)
        {
        case LB_ADDSTRING:
            return Insert(hwnd, -1, lParam, Sorted());
        case LB_INSERTSTRING:
            return Insert(hwnd, index, lParam, false);
        case LB_DELETESTRING:
            return Delete(hwnd, index);
        case LB_RESETCONTENT:
            ResetContent(hwnd);
            return 0;
        case LB_GETCOUNT:
            return Count();
        case LB_GETTEXT:
        {
            if (!Valid(index))
                return LB_ERR;
            const ListItem& item = m_items[static_cast<std::size_t>(index)];
            if (!HasStrings())
            {
                if (lParam)
                    std::memcpy(reinterpret_cast<void*>(lParam), &item.data, sizeof(item.data));
                return sizeof(item.data);
            }
            if (lParam)
                std::memcpy(reinterpret_cast<char*>(lParam), item.text.c_str(), item.text.size() + 1);
            return static_cast<LRESULT>(item.text.size());
        }
        case LB_GETTEXTLEN:
            if (!Valid(index))
                return LB_ERR;
            return HasStrings() ? static_cast<LRESULT>(m_items[static_cast<std::size_t>(index)].text.size())
                                : static_cast<LRESULT>(sizeof(ULONG_PTR));
        case LB_GETITEMDATA:
            return Valid(index) ? static_cast<LRESULT>(m_items[static_cast<std::size_t>(index)].data)
                                : LB_ERR;
        case LB_SETITEMDATA:
            if (!Valid(index))
                return LB_ERR;
            m_items[static_cast<std::size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
            return TRUE;
        case LB_SETCURSEL:
            if (!Single())
                return LB_ERR;
            if (index != -1 && !Valid(index))
                return LB_ERR;
            SelectSingle(hwnd, index);
            if (index >= 0)
                SetCaret(hwnd, index);
            return index >= 0 ? index : LB_ERR;
        case LB_GETCURSEL:
            if (Single())
                return m_sel;
            return Count() ? m_caret : LB_ERR;
        case LB_GETSEL:
            return Valid(index) ? (IsSelected(index) ? 1 : 0) : LB_ERR;
        case LB_SETSEL:
        {
            const int item = static_cast<int>(lParam);
            if (!Multiple() || (item != -1 && !Valid(item)))
                return LB_ERR;
            if (item == -1)
                SelectRange(hwnd, 0, Count() - 1, wParam != 0);
            else
            {
                SelectItem(hwnd, item, wParam != 0);
                if (wParam)
                {
                    m_anchor = item;
                    SetCaret(hwnd, item);
                }
            }
            return 0;
        }
        case LB_SELITEMRANGE:
            if (!Multiple())
                return LB_ERR;
            SelectRange(hwnd, LOWORD(lParam), HIWORD(lParam), wParam != 0);
            return 0;
        case LB_SELITEMRANGEEX:
        {
            if (!Multiple())
                return LB_ERR;
            const int last = static_cast<int>(lParam);
            if (index <= last)
                SelectRange(hwnd, index, last, true);
            else
                SelectRange(hwnd, last, index, false);
            return 0;
        }
        case LB_GETSELCOUNT:
            if (!Multiple())
                return LB_ERR;
            return std::count_if(m_items.begin(), m_items.end(),
                                 [](const ListItem& i) { return i.selected; });
        case LB_GETSELITEMS:
        {
            if (!Multiple())
                return LB_ERR;
            int* out = reinterpret_cast<int*>(lParam);
            int n = 0;
            for (int i = 0; i < Count() && n < index && out; ++i)
            {
                if (m_items[static_cast<std::size_t>(i)].selected)
                    out[n++] = i;
            }
            return n;
        }
        case LB_SELECTSTRING:
        {
            const int found = FindString(hwnd, index, lParam, false);
            if (found == LB_ERR)
                return LB_ERR;
            if (Single())
                SelectSingle(hwnd, found);
            else if (Extended())
            {
                ClearSelection(hwnd);
                SelectItem(hwnd, found, true);
                m_anchor = found;
            }
            SetCaret(hwnd, found);
            return found;
        }
        case LB_FINDSTRING:
            return FindString(hwnd, index, lParam, false);
        case LB_FINDSTRINGEXACT:
            return FindString(hwnd, index, lParam, true);
        case LB_GETTOPINDEX:
            return m_top;
        case LB_SETTOPINDEX:
            if (index < 0 || (index >= Count() && Count()))
                return LB_ERR;
            SetTop(hwnd, index);
            return 0;
        case LB_GETITEMRECT:
        {
            if (!Valid(index) && !(index == 0 && !Count()))
                return LB_ERR;
            const CRect r = ItemRect(hwnd, index);
            if (lParam)
                *reinterpret_cast<RECT*>(lParam) = r;
            return r.bottom > 0 && r.top < ClientHeight(hwnd) ? 1 : 0;
        }
        case LB_SETANCHORINDEX:
            if (!Valid(index))
                return LB_ERR;
            m_anchor = index;
            return 0;
        case LB_GETANCHORINDEX:
            return m_anchor;
        case LB_SETCARETINDEX:
            if (!Valid(index))
                return LB_ERR;
            SetCaret(hwnd, index);
            return 0;
        case LB_GETCARETINDEX:
            return m_caret;
        case LB_SETITEMHEIGHT:
        {
            const int height = LOWORD(lParam);
            if (height <= 0 || height > kMaxItemHeight)
                return LB_ERR;
            if (Variable())
            {
                if (!Valid(index))
                    return LB_ERR;
                m_items[static_cast<std::size_t>(index)].height = height;
                ItemsChanged(hwnd, 0);
                return 0;
            }
            m_itemHeight = height;
            Resized(hwnd);
            return 0;
        }
        case LB_GETITEMHEIGHT:
            if (Variable() && !Valid(index))
                return Count() ? LB_ERR : m_itemHeight;
            return ItemHeight(index);
        case LB_ITEMFROMPOINT:
        {
            const CPoint p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (!Count())
                return MAKELONG(0, 1);
            const CRect client = ClientOf(hwnd);
            int item = ItemAtY(std::max<LONG>(0, p.y));
            const bool below = item < 0;
            if (below)
                item = Count() - 1;
            const bool outside = below || !client.PtInRect(p);
            return MAKELONG(item, outside ? 1 : 0);
        }
        default:
            return DefWindowProc(hwnd, message, wParam, lParam);
        }
    }

    // ---- Keyboard -----------------------------------------------------------------------------
    void KeyDown(HWND hwnd, int vk)
    {
        int target = -1;
        if (!m_host && (m_style & LBS_WANTKEYBOARDINPUT))
        {
            const LRESULT answer = SendMessage(Owner(hwnd), WM_VKEYTOITEM, MAKEWPARAM(vk, m_caret),
                                               reinterpret_cast<LPARAM>(hwnd));
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

    // Type-ahead: the next item after the caret that starts with the character.
    void Char(HWND hwnd, unsigned char ch)
    {
        if (ch < 0x20 || (ch == ' ' && Multiple()))
            return;
        int target = -1;
        if (!HasStrings())
        {
            if (m_host || !(m_style & LBS_WANTKEYBOARDINPUT))
                return;
            const LRESULT answer = SendMessage(Owner(hwnd), WM_CHARTOITEM, MAKEWPARAM(ch, m_caret),
                                               reinterpret_cast<LPARAM>(hwnd));
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

    // ---- Mouse --------------------------------------------------------------------------------
    int ItemAtPoint(HWND hwnd, CPoint p) const
    {
        const CRect client = ClientOf(hwnd);
        if (!client.PtInRect(p))
            return -1;
        return ItemAtY(p.y);
    }

    void ButtonDown(HWND hwnd, UINT message, WPARAM flags, CPoint p)
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

    void MouseMove(HWND hwnd, WPARAM flags, CPoint p)
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

    // Dragging above or below the list scrolls it one item per move.
    void DragBeyondEdge(HWND hwnd, CPoint p)
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

    // The selection follows the mouse while the button is held (or over a dropped list).
    void TrackTo(HWND hwnd, int index)
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

    void ButtonUp(HWND hwnd, CPoint p)
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

    // A press while the combo box's list is dropped and holds the mouse.
    void DroppedPress(HWND hwnd, CPoint p)
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

    void CaptureChanged(HWND hwnd, HWND newCapture)
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

    void VScroll(HWND hwnd, UINT code, int pos)
    {
        const ScrollSteps steps{1, PageFrom(hwnd, m_top), Count()};
        if (const auto target = ScrollCodeTarget(hwnd, SB_VERT, code, pos, m_top, steps))
            SetTop(hwnd, *target);
    }

    // ---- Painting -----------------------------------------------------------------------------
    HBRUSH Colors(HWND hwnd, HDC hdc) const
    {
        const HWND owner = Owner(hwnd);
        HBRUSH brush = owner ? reinterpret_cast<HBRUSH>(SendMessage(owner, WM_CTLCOLORLISTBOX,
                                                                    reinterpret_cast<WPARAM>(hdc),
                                                                    reinterpret_cast<LPARAM>(hwnd)))
                             : nullptr;
        if (!brush)
            brush = reinterpret_cast<HBRUSH>(DefWindowProc(
                hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hwnd)));
        return brush;
    }

    void Paint(HWND hwnd, HDC hdc, const RECT& dirty)
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

    void DrawTextItem(HDC hdc, int index, const CRect& r, HBRUSH brush, COLORREF text, bool caret)
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

    void DrawOwnerItem(HWND hwnd, HDC hdc, UINT index, UINT action, UINT state, const CRect& r)
    {
        const ULONG_PTR data = Valid(static_cast<int>(index)) ? m_items[index].data : 0;
        DRAWITEMSTRUCT dis{ControlType(), ControlId(hwnd), index, action, state, ItemWindow(hwnd), hdc, r,
                           data};
        const int saved = SaveDC(hdc);
        IntersectClipRect(hdc, r.left, r.top, r.right, r.bottom);
        if (const HWND owner = Owner(hwnd))
            SendMessage(owner, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        RestoreDC(hdc, saved);
    }

    const bool m_comboList;
    ComboListHost* m_host = nullptr;
    DWORD m_style = 0;
    std::vector<ListItem> m_items;
    int m_itemHeight = 13;
    int m_sel = -1;    // single selection
    int m_caret = 0;   // the item with the focus rectangle
    int m_anchor = -1; // where extended selections start
    int m_top = 0;
    int m_wheel = 0; // wheel movement not yet turned into lines
    bool m_focused = false;
    bool m_tracking = false;    // the button is held after a press on an item
    bool m_dragCtrl = false;    // that press had Ctrl held
    bool m_barTracking = false; // a dropped list's scroll bar is being dragged
    bool m_redraw = true;
    bool m_resizing = false;
};

} // namespace

void RegisterListBoxClass()
{
    State::Get().RegisterBuiltin(
        "ListBox", [] { return std::make_unique<ListBoxBehaviour>(false); }, COLOR_WINDOW);
}

void RegisterComboLBoxClass()
{
    State::Get().RegisterBuiltin(
        "ComboLBox", [] { return std::make_unique<ListBoxBehaviour>(true); }, COLOR_WINDOW,
        CS_DBLCLKS | CS_SAVEBITS);
}

} // namespace winlib::detail
