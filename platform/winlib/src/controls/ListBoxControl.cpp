// The list box control, and the list of a combo box ("ComboLBox") built on the same
// behaviour: single, multiple and extended selection, sorting, owner draw (fixed and
// variable), item data, caret, anchor and top index, scrolling by bar, wheel and keys,
// type-ahead, and every LB_ message with its Windows return values. Here: the messages and
// the items.
#include "ListBoxControl.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>
#include <string_view>

namespace winlib::detail
{

namespace
{

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

} // namespace

LRESULT ListBoxBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= LB_ADDSTRING && message <= LB_ITEMFROMPOINT)
        return ListMessage(hwnd, message, wParam, lParam);
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
        SetFont(hwnd, wParam, lParam);
        return 0;
    case WM_SETREDRAW:
        SetRedraw(hwnd, wParam, lParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(hwnd, message == WM_SETFOCUS);
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
    default:
        return InputMessage(hwnd, message, wParam, lParam);
    }
}

void ListBoxBehaviour::SetFont(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    DefWindowProc(hwnd, WM_SETFONT, wParam, lParam);
    if (!OwnerDraw())
        m_itemHeight = FontHeight(hwnd);
    Resized(hwnd);
    if (LOWORD(lParam))
        InvalidateRect(hwnd, nullptr, TRUE);
}

void ListBoxBehaviour::SetRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    DefWindowProc(hwnd, WM_SETREDRAW, wParam, lParam);
    m_redraw = wParam != 0;
    if (m_redraw)
    {
        UpdateScrollBar(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void ListBoxBehaviour::FocusChanged(HWND hwnd, bool gained)
{
    m_focused = gained;
    InvalidateItem(hwnd, m_caret);
    if (gained)
    {
        if (!m_host)
            NotifyParent(hwnd, LBN_SETFOCUS);
        return;
    }
    if (m_tracking && GetCapture() == hwnd)
        ReleaseCapture();
    if (!m_host && IsWindow(hwnd))
        NotifyParent(hwnd, LBN_KILLFOCUS);
}

// The list box's own messages about its items, their texts, data, heights and places.
LRESULT ListBoxBehaviour::ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
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
        return GetText(index, lParam);
    case LB_GETTEXTLEN:
        if (!Valid(index))
            return LB_ERR;
        return HasStrings() ? static_cast<LRESULT>(m_items[static_cast<std::size_t>(index)].text.size())
                            : static_cast<LRESULT>(sizeof(ULONG_PTR));
    case LB_GETITEMDATA:
        return Valid(index) ? static_cast<LRESULT>(m_items[static_cast<std::size_t>(index)].data) : LB_ERR;
    case LB_SETITEMDATA:
        if (!Valid(index))
            return LB_ERR;
        m_items[static_cast<std::size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
        return TRUE;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return FindString(hwnd, index, lParam, message == LB_FINDSTRINGEXACT);
    case LB_GETTOPINDEX:
        return m_top;
    case LB_SETTOPINDEX:
        if (index < 0 || (index >= Count() && Count()))
            return LB_ERR;
        SetTop(hwnd, index);
        return 0;
    case LB_GETITEMRECT:
        return GetItemRect(hwnd, index, reinterpret_cast<RECT*>(lParam));
    case LB_SETITEMHEIGHT:
        return SetItemHeight(hwnd, index, LOWORD(lParam));
    case LB_GETITEMHEIGHT:
        if (Variable() && !Valid(index))
            return Count() ? LB_ERR : m_itemHeight;
        return ItemHeight(index);
    case LB_ITEMFROMPOINT:
        return ItemFromPoint(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    default:
        return SelectionMessage(hwnd, message, wParam, lParam);
    }
}

LRESULT ListBoxBehaviour::GetText(int index, LPARAM buffer) const
{
    if (!Valid(index))
        return LB_ERR;
    const ListItem& item = m_items[static_cast<std::size_t>(index)];
    if (!HasStrings())
    {
        if (buffer)
            std::memcpy(reinterpret_cast<void*>(buffer), &item.data, sizeof(item.data));
        return sizeof(item.data);
    }
    if (buffer)
        std::memcpy(reinterpret_cast<char*>(buffer), item.text.c_str(), item.text.size() + 1);
    return static_cast<LRESULT>(item.text.size());
}

LRESULT ListBoxBehaviour::GetItemRect(HWND hwnd, int index, RECT* out) const
{
    if (!Valid(index) && !(index == 0 && !Count()))
        return LB_ERR;
    const CRect r = ItemRect(hwnd, index);
    if (out)
        *out = r;
    return r.bottom > 0 && r.top < ClientHeight(hwnd) ? 1 : 0;
}

LRESULT ListBoxBehaviour::SetItemHeight(HWND hwnd, int index, int height)
{
    if (height <= 0 || height > kMaxListBoxItemHeight)
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

LRESULT ListBoxBehaviour::ItemFromPoint(HWND hwnd, CPoint p) const
{
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

// The list box's own messages about the selection, the caret and the anchor.
LRESULT ListBoxBehaviour::SelectionMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(wParam);
    switch (message)
    {
    case LB_SETCURSEL:
        return SetCurSel(hwnd, index);
    case LB_GETCURSEL:
        if (Single())
            return m_sel;
        return Count() ? m_caret : LB_ERR;
    case LB_GETSEL:
        return Valid(index) ? (IsSelected(index) ? 1 : 0) : LB_ERR;
    case LB_SETSEL:
        return SetSel(hwnd, wParam != 0, static_cast<int>(lParam));
    case LB_SELITEMRANGE:
        if (!Multiple())
            return LB_ERR;
        SelectRange(hwnd, LOWORD(lParam), HIWORD(lParam), wParam != 0);
        return 0;
    case LB_SELITEMRANGEEX:
        if (!Multiple())
            return LB_ERR;
        if (index <= static_cast<int>(lParam))
            SelectRange(hwnd, index, static_cast<int>(lParam), true);
        else
            SelectRange(hwnd, static_cast<int>(lParam), index, false);
        return 0;
    case LB_GETSELCOUNT:
        if (!Multiple())
            return LB_ERR;
        return std::count_if(m_items.begin(), m_items.end(), [](const ListItem& i) { return i.selected; });
    case LB_GETSELITEMS:
        return GetSelItems(index, reinterpret_cast<int*>(lParam));
    case LB_SELECTSTRING:
        return SelectString(hwnd, index, lParam);
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
    default:
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

LRESULT ListBoxBehaviour::SetCurSel(HWND hwnd, int index)
{
    if (!Single())
        return LB_ERR;
    if (index != -1 && !Valid(index))
        return LB_ERR;
    SelectSingle(hwnd, index);
    if (index >= 0)
        SetCaret(hwnd, index);
    return index >= 0 ? index : LB_ERR;
}

LRESULT ListBoxBehaviour::SetSel(HWND hwnd, bool on, int item)
{
    if (!Multiple() || (item != -1 && !Valid(item)))
        return LB_ERR;
    if (item == -1)
    {
        SelectRange(hwnd, 0, Count() - 1, on);
        return 0;
    }
    SelectItem(hwnd, item, on);
    if (on)
    {
        m_anchor = item;
        SetCaret(hwnd, item);
    }
    return 0;
}

LRESULT ListBoxBehaviour::GetSelItems(int room, int* out) const
{
    if (!Multiple())
        return LB_ERR;
    int n = 0;
    for (int i = 0; i < Count() && n < room && out; ++i)
    {
        if (m_items[static_cast<std::size_t>(i)].selected)
            out[n++] = i;
    }
    return n;
}

LRESULT ListBoxBehaviour::SelectString(HWND hwnd, int start, LPARAM lParam)
{
    const int found = FindString(hwnd, start, lParam, false);
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

bool ListBoxBehaviour::SelectionChangedByUser(HWND hwnd, UINT code)
{
    if (m_host)
        m_host->ListSelectionChanged();
    else if (m_style & LBS_NOTIFY)
        NotifyParent(hwnd, code);
    return IsWindow(hwnd) != FALSE;
}

LRESULT ListBoxBehaviour::Create(HWND hwnd, const CREATESTRUCT* cs)
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

int ListBoxBehaviour::Measure(HWND hwnd, int index, ULONG_PTR data, int height)
{
    MEASUREITEMSTRUCT mis{ControlType(),
                          ControlId(hwnd),
                          static_cast<UINT>(index),
                          static_cast<UINT>(std::max<LONG>(0, ClientOf(hwnd).Width())),
                          static_cast<UINT>(height),
                          data};
    if (const HWND owner = Owner(hwnd))
        SendMessage(owner, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    return std::clamp(static_cast<int>(mis.itemHeight), 1, kMaxListBoxItemHeight);
}

int ListBoxBehaviour::CompareWithOwner(HWND hwnd, int index, ULONG_PTR data)
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

int ListBoxBehaviour::SortedPosition(HWND hwnd, const ListItem& item, LPARAM lParam)
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

LRESULT ListBoxBehaviour::Insert(HWND hwnd, int index, LPARAM lParam, bool sorted)
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

void ListBoxBehaviour::SendDeleteItem(HWND hwnd, int index)
{
    const ListItem& item = m_items[static_cast<std::size_t>(index)];
    if (!OwnerDraw() && !item.data)
        return;
    DELETEITEMSTRUCT dis{ControlType(), ControlId(hwnd), static_cast<UINT>(index), ItemWindow(hwnd),
                         item.data};
    if (const HWND owner = Owner(hwnd))
        SendMessage(owner, WM_DELETEITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

LRESULT ListBoxBehaviour::Delete(HWND hwnd, int index)
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

void ListBoxBehaviour::ResetContent(HWND hwnd)
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

void ListBoxBehaviour::ItemsChanged(HWND hwnd, int from)
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

int ListBoxBehaviour::FindString(HWND hwnd, int start, LPARAM lParam, bool exact)
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
