// The report list view: the messages, the notifications to the parent, and the items and
// sub-items with their texts and images, stored or asked for.
#include "ImageListAccess.h"
#include "ListView.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace winlib::detail
{

namespace
{

void CopyText(const std::string& text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memmove(buffer, text.data(), n);
    buffer[n] = '\0';
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
    {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

} // namespace

LRESULT ListViewBehaviour::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE)
        return Create(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
    if (!m_hwnd)
        return DefWindowProc(hwnd, message, wParam, lParam);
    return Message(message, wParam, lParam);
}

LRESULT ListViewBehaviour::Create(HWND hwnd, const CREATESTRUCT* cs)
{
    m_hwnd = hwnd;
    const DWORD style = cs ? static_cast<DWORD>(cs->style) : Style();
    m_ownerData = (style & LVS_OWNERDATA) != 0;
    m_bkColor = GetSysColor(COLOR_WINDOW);
    m_textColor = GetSysColor(COLOR_WINDOWTEXT);
    m_textBkColor = GetSysColor(COLOR_WINDOW);
    m_headerLayoutMessage = RegisterWindowMessage(kHeaderLayoutChangedMessage);
    DWORD headerStyle = WS_CHILD | HDS_HORZ | HDS_FULLDRAG;
    if (!(style & LVS_NOSORTHEADER))
        headerStyle |= HDS_BUTTONS;
    if (!(style & LVS_NOCOLUMNHEADER))
        headerStyle |= WS_VISIBLE;
    m_header = CreateWindowEx(0, WC_HEADER, "", headerStyle, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
    if (!m_header)
        return -1;
    SendMessage(m_header, WM_SETFONT, static_cast<WPARAM>(SendMessage(hwnd, WM_GETFONT, 0, 0)), 0);
    UpdateRowHeight();
    if (OwnerDraw())
        MeasureOwnerDrawRows();
    Layout();
    return 0;
}

void ListViewBehaviour::Destroy()
{
    if (GetCapture() == m_hwnd)
        ReleaseCapture();
    DeleteAllItems(true);
}

LRESULT ListViewBehaviour::Message(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= LVM_FIRST && message <= LVM_SETITEMORDER)
        return ListMessage(message, wParam, lParam);
    const HWND hwnd = m_hwnd;
    switch (message)
    {
    case WM_DESTROY:
        Destroy();
        return 0;
    case WM_NOTIFYFORMAT:
        return NotifyFormat(lParam);
    case WM_SETFONT:
        return OnSetFont(wParam, lParam);
    case WM_SIZE:
        Layout();
        return 0;
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(wParam, lParam);
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE))
            OnStyleChanged(*reinterpret_cast<const STYLESTRUCT*>(lParam));
        return 0;
    case WM_SETREDRAW:
        return OnSetRedraw(wParam, lParam);
    case WM_ERASEBKGND:
        if (!(m_exStyle & LVS_EX_DOUBLEBUFFER))
            EraseBackground(reinterpret_cast<HDC>(wParam), RowsArea());
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
        PaintContent(reinterpret_cast<HDC>(wParam), RowsArea(), true);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(message == WM_SETFOCUS);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_DRAWITEM:
        return OnDrawItem(wParam, lParam);
    case LVM_GETUNICODEFORMAT:
    case LVM_SETUNICODEFORMAT:
        return FALSE;
    case CCM_GETVERSION:
    case CCM_SETVERSION:
        return 6;
    default:
        if (IsInputMessage(message))
            return InputMessage(message, wParam, lParam);
        if (message == m_headerLayoutMessage && m_headerLayoutMessage)
        {
            Layout();
            InvalidateRows();
            return 0;
        }
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

bool ListViewBehaviour::IsInputMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_VSCROLL ||
           message == WM_HSCROLL || message == WM_CAPTURECHANGED;
}

LRESULT ListViewBehaviour::InputMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint pt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message)
    {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ButtonDown(pt, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(pt, wParam);
        return 0;
    case WM_LBUTTONUP:
        ButtonUp(pt);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        RightButtonDown(pt);
        return 0;
    case WM_RBUTTONUP:
        RightButtonUp(pt);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hwnd)
        {
            m_press = Press::None;
            m_dragging = false;
        }
        return 0;
    case WM_KEYDOWN:
        KeyDown(static_cast<int>(wParam));
        return 0;
    case WM_CHAR:
        return 0;
    case WM_VSCROLL:
        VScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        HScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(static_cast<short>(HIWORD(wParam)));
        return 0;
    default:
        return DefWindowProc(m_hwnd, message, wParam, lParam);
    }
}

LRESULT ListViewBehaviour::NotifyFormat(LPARAM lParam)
{
    // The header asks through the list: it speaks to the list's parent in the end.
    const HWND hwnd = m_hwnd;
    if (lParam == NF_REQUERY)
    {
        SendMessage(m_header, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_REQUERY);
        return NFR_ANSI;
    }
    const HWND parent = GetParent(hwnd);
    const LRESULT answer =
        parent ? SendMessage(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(hwnd), NF_QUERY) : NFR_ANSI;
    return answer == NFR_UNICODE ? NFR_UNICODE : NFR_ANSI;
}

LRESULT ListViewBehaviour::OnSetFont(WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = m_hwnd;
    const LRESULT result = DefWindowProc(hwnd, WM_SETFONT, wParam, lParam);
    if (m_header)
        SendMessage(m_header, WM_SETFONT, wParam, 0);
    UpdateRowHeight();
    if (OwnerDraw())
        MeasureOwnerDrawRows();
    Layout();
    if (LOWORD(lParam))
        InvalidateRect(hwnd, nullptr, TRUE);
    return result;
}

LRESULT ListViewBehaviour::OnWindowPosChanged(WPARAM wParam, LPARAM lParam)
{
    const HWND hwnd = m_hwnd;
    const LRESULT result = DefWindowProc(hwnd, WM_WINDOWPOSCHANGED, wParam, lParam);
    if (!IsWindow(hwnd))
        return result;
    // Owner-drawn rows are measured again, as the class library's lists expect.
    if (OwnerDraw())
        MeasureOwnerDrawRows();
    Layout();
    return result;
}

void ListViewBehaviour::OnStyleChanged(const STYLESTRUCT& change)
{
    const DWORD changed = change.styleOld ^ change.styleNew;
    if (changed & LVS_NOSORTHEADER)
    {
        LONG headerStyle = GetWindowLong(m_header, GWL_STYLE);
        headerStyle = (change.styleNew & LVS_NOSORTHEADER) ? (headerStyle & ~static_cast<LONG>(HDS_BUTTONS))
                                                           : (headerStyle | static_cast<LONG>(HDS_BUTTONS));
        SetWindowLong(m_header, GWL_STYLE, headerStyle);
    }
    if (changed & LVS_OWNERDRAWFIXED)
    {
        m_measuredHeight = 0;
        if (change.styleNew & LVS_OWNERDRAWFIXED)
            MeasureOwnerDrawRows();
        else
            UpdateRowHeight();
    }
    Layout();
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT ListViewBehaviour::OnSetRedraw(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProc(m_hwnd, WM_SETREDRAW, wParam, lParam);
    if (wParam && m_scrollPending)
        UpdateScrollBars();
    return result;
}

void ListViewBehaviour::FocusChanged(bool gained)
{
    InvalidateRows();
    NMHDR header{};
    Notify(header, gained ? NM_SETFOCUS : NM_KILLFOCUS);
}

LRESULT ListViewBehaviour::OnNotify(WPARAM wParam, LPARAM lParam)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == m_header)
        return HeaderNotify(wParam, header);
    return DefWindowProc(m_hwnd, WM_NOTIFY, wParam, lParam);
}

LRESULT ListViewBehaviour::OnDrawItem(WPARAM wParam, LPARAM lParam) const
{
    // Owner-drawn header items are the parent's business.
    const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const HWND parent = GetParent(m_hwnd);
    if (dis && dis->CtlType == ODT_HEADER && parent)
        return SendMessage(parent, WM_DRAWITEM, wParam, lParam);
    return FALSE;
}

// The list's own messages about its items: their contents, states, places and order.
LRESULT ListViewBehaviour::ListMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int item = static_cast<int>(wParam);
    switch (message)
    {
    case LVM_GETITEMCOUNT:
        return Count();
    case LVM_GETITEM:
        return GetItem(reinterpret_cast<LVITEMA*>(lParam)) ? TRUE : FALSE;
    case LVM_SETITEM:
        return SetItem(reinterpret_cast<const LVITEMA*>(lParam)) ? TRUE : FALSE;
    case LVM_INSERTITEM:
        return InsertItem(reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_DELETEITEM:
        return DeleteItem(item) ? TRUE : FALSE;
    case LVM_DELETEALLITEMS:
        return DeleteAllItems(false) ? TRUE : FALSE;
    case LVM_GETNEXTITEM:
        return NextItem(item, LOWORD(lParam));
    case LVM_FINDITEM:
        return FindItem(item, reinterpret_cast<const LVFINDINFOA*>(lParam));
    case LVM_GETITEMRECT:
        return GetItemRect(item, reinterpret_cast<RECT*>(lParam)) ? TRUE : FALSE;
    case LVM_GETSUBITEMRECT:
        return GetSubItemRect(item, reinterpret_cast<RECT*>(lParam)) ? TRUE : FALSE;
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST:
        return HitTest(reinterpret_cast<LVHITTESTINFO*>(lParam), message == LVM_SUBITEMHITTEST);
    case LVM_ENSUREVISIBLE:
        return EnsureVisible(item, lParam != 0) ? TRUE : FALSE;
    case LVM_CREATEDRAGIMAGE:
        return reinterpret_cast<LRESULT>(CreateDragImage(item, reinterpret_cast<POINT*>(lParam)));
    case LVM_SCROLL:
        return ScrollBy(static_cast<int>(wParam), static_cast<int>(lParam)) ? TRUE : FALSE;
    case LVM_REDRAWITEMS:
        RedrawItems(item, static_cast<int>(lParam));
        return TRUE;
    case LVM_UPDATE:
        if (!ValidItem(item))
            return FALSE;
        InvalidateItem(item);
        return TRUE;
    case LVM_SETITEMSTATE:
        return SetItemStateMessage(item, reinterpret_cast<const LVITEMA*>(lParam)) ? TRUE : FALSE;
    case LVM_GETITEMSTATE:
        return ValidItem(item) ? static_cast<LRESULT>(StateOf(item, static_cast<UINT>(lParam))) : 0;
    case LVM_GETITEMTEXT:
        return GetItemText(item, reinterpret_cast<LVITEMA*>(lParam));
    case LVM_SETITEMTEXT:
        return SetItemText(item, reinterpret_cast<const LVITEMA*>(lParam)) ? TRUE : FALSE;
    case LVM_SETITEMCOUNT:
        return SetItemCount(item, static_cast<DWORD>(lParam)) ? TRUE : FALSE;
    case LVM_SORTITEMS:
    case LVM_SORTITEMSEX:
        return SortItems(static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam),
                         message == LVM_SORTITEMSEX)
                   ? TRUE
                   : FALSE;
    case LVM_GETCOLUMNTEXTS:
        return ColumnTexts(item, reinterpret_cast<const LVCOLUMNTEXTS*>(lParam));
    case LVM_SETITEMORDER:
        return SetItemOrder(reinterpret_cast<const UINT*>(lParam), item) ? TRUE : FALSE;
    case LVM_GETSELECTEDCOUNT:
        return SelectedCount();
    case LVM_GETSELECTIONMARK:
        return m_mark;
    case LVM_SETSELECTIONMARK:
    {
        const int old = m_mark;
        m_mark = ValidItem(static_cast<int>(lParam)) ? static_cast<int>(lParam) : -1;
        return old;
    }
    case LVM_GETTOPINDEX:
        return m_top;
    case LVM_GETCOUNTPERPAGE:
        return CountPerPage();
    default:
        return ViewMessage(message, wParam, lParam);
    }
}

void ListViewBehaviour::RedrawItems(int first, int last)
{
    first = std::max(0, first);
    last = std::min(Count() - 1, last);
    for (int item = first; item <= last; ++item)
        InvalidateItem(item);
}

// The list's own messages about how it looks: colours, images, columns and styles.
LRESULT ListViewBehaviour::ViewMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(wParam);
    switch (message)
    {
    case LVM_GETBKCOLOR:
        return static_cast<LRESULT>(m_bkColor);
    case LVM_GETTEXTCOLOR:
        return static_cast<LRESULT>(m_textColor);
    case LVM_GETTEXTBKCOLOR:
        return static_cast<LRESULT>(m_textBkColor);
    case LVM_SETBKCOLOR:
    case LVM_SETTEXTCOLOR:
    case LVM_SETTEXTBKCOLOR:
        SetColour(message, static_cast<COLORREF>(lParam));
        return TRUE;
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(ImageListOf(index));
    case LVM_SETIMAGELIST:
        return reinterpret_cast<LRESULT>(SetImageList(index, reinterpret_cast<HIMAGELIST>(lParam)));
    case LVM_GETCALLBACKMASK:
        return static_cast<LRESULT>(m_callbackMask);
    case LVM_SETCALLBACKMASK:
        m_callbackMask = static_cast<UINT>(wParam);
        InvalidateRows();
        return TRUE;
    case LVM_GETSTRINGWIDTH:
        return lParam ? TextMeasure(ControlFont(m_hwnd)).Width(reinterpret_cast<const char*>(lParam)) : 0;
    case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(m_header);
    case LVM_GETORIGIN:
        return FALSE;
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
        return static_cast<LRESULT>(SetExtendedStyle(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam)));
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return static_cast<LRESULT>(m_exStyle);
    case LVM_SETCOLUMNORDERARRAY:
        return SetColumnOrder(wParam, lParam);
    case LVM_GETCOLUMNORDERARRAY:
        return SendMessage(m_header, HDM_GETORDERARRAY, wParam, lParam);
    case LVM_GETCOLUMN:
        return GetColumn(index, reinterpret_cast<LVCOLUMNA*>(lParam)) ? TRUE : FALSE;
    case LVM_SETCOLUMN:
        return SetColumn(index, reinterpret_cast<const LVCOLUMNA*>(lParam)) ? TRUE : FALSE;
    case LVM_INSERTCOLUMN:
        return InsertColumn(index, reinterpret_cast<const LVCOLUMNA*>(lParam));
    case LVM_DELETECOLUMN:
        return DeleteColumn(index) ? TRUE : FALSE;
    case LVM_GETCOLUMNWIDTH:
        return ColumnWidth(index);
    case LVM_SETCOLUMNWIDTH:
        return SetColumnWidth(index, static_cast<int>(static_cast<short>(LOWORD(lParam)))) ? TRUE : FALSE;
    case LVM_GETVIEW:
        return LV_VIEW_DETAILS;
    case LVM_SETVIEW:
        return wParam == LV_VIEW_DETAILS ? 1 : -1;
    case LVM_GETHOTITEM:
        return -1;
    case LVM_GETTOOLTIPS:
    case LVM_GETEDITCONTROL:
        return 0;
    default:
        return DefWindowProc(m_hwnd, message, wParam, lParam);
    }
}

void ListViewBehaviour::SetColour(UINT message, COLORREF colour)
{
    if (message == LVM_SETBKCOLOR)
        m_bkColor = colour;
    else if (message == LVM_SETTEXTCOLOR)
        m_textColor = colour;
    else
        m_textBkColor = colour;
    InvalidateRows();
}

HIMAGELIST ListViewBehaviour::ImageListOf(int type) const
{
    switch (type)
    {
    case LVSIL_NORMAL:
        return m_normalImages;
    case LVSIL_SMALL:
        return m_smallImages;
    case LVSIL_STATE:
        return m_stateImages;
    default:
        return nullptr;
    }
}

LRESULT ListViewBehaviour::SetColumnOrder(WPARAM wParam, LPARAM lParam)
{
    const LRESULT done = SendMessage(m_header, HDM_SETORDERARRAY, wParam, lParam);
    if (done)
        InvalidateRows();
    return done;
}

// ---- Notifications ---------------------------------------------------------------------

LRESULT ListViewBehaviour::Notify(NMHDR& header, UINT code) const
{
    const HWND parent = GetParent(m_hwnd);
    header.hwndFrom = m_hwnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    header.code = code;
    return parent ? SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

LRESULT ListViewBehaviour::NotifyListView(UINT code, int item, int subItem, UINT newState, UINT oldState,
                                          UINT changed, POINT action) const
{
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.iSubItem = subItem;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    nm.ptAction = action;
    nm.lParam = ItemParam(item);
    return Notify(nm.hdr, code);
}

LRESULT ListViewBehaviour::NotifyActivate(UINT code, int item, int subItem, POINT action, UINT keyFlags) const
{
    NMITEMACTIVATE nm{};
    nm.iItem = item;
    nm.iSubItem = subItem;
    nm.ptAction = action;
    nm.lParam = ItemParam(item);
    nm.uKeyFlags = keyFlags;
    return Notify(nm.hdr, code);
}

DispAnswer ListViewBehaviour::AskDispInfo(int item, int subItem, UINT mask, UINT stateMask, char* buffer,
                                          int size)
{
    DispAnswer answer;
    char own[kListDispTextSize];
    if (!buffer || size <= 0)
    {
        buffer = own;
        size = kListDispTextSize;
    }
    buffer[0] = '\0';
    NMLVDISPINFOA di{};
    di.item.mask = mask;
    di.item.iItem = item;
    di.item.iSubItem = subItem;
    di.item.stateMask = stateMask;
    di.item.pszText = buffer;
    di.item.cchTextMax = size;
    di.item.iImage = 0;
    if (!m_ownerData && ValidItem(item))
    {
        const ListRow& row = m_rows[static_cast<std::size_t>(item)];
        di.item.lParam = row.lParam;
        di.item.iIndent = row.indent;
        const ListCell* cell = StoredCell(item, subItem);
        if (cell && cell->image != I_IMAGECALLBACK)
            di.item.iImage = cell->image;
    }
    Notify(di.hdr, LVN_GETDISPINFO);
    if (mask & LVIF_TEXT)
    {
        const char* text = di.item.pszText;
        if (text == buffer)
        {
            buffer[size - 1] = '\0';
            answer.text = buffer;
        }
        else if (text && text != LPSTR_TEXTCALLBACKA)
            answer.text = text;
    }
    answer.image = di.item.iImage;
    answer.state = di.item.state & stateMask;
    answer.lParam = di.item.lParam;
    answer.indent = di.item.iIndent;
    // The parent may ask the list to keep what it answered.
    if ((di.item.mask & LVIF_DI_SETITEM) && !m_ownerData && ValidItem(item))
    {
        ListCell& cell = CellToSet(item, subItem);
        if (mask & LVIF_TEXT)
        {
            cell.text = answer.text;
            cell.callback = false;
        }
        if (mask & LVIF_IMAGE)
            cell.image = answer.image;
    }
    return answer;
}

LRESULT ListViewBehaviour::HeaderNotify(WPARAM wParam, NMHDR* header)
{
    const HWND hwnd = m_hwnd;
    const HWND parent = GetParent(hwnd);
    const UINT code = header->code;
    // Layout first, so that the parent sees the list as the header now is.
    if (code == HDN_ITEMCHANGEDA || code == HDN_ITEMCHANGEDW)
    {
        Layout();
        InvalidateRows();
    }
    const LRESULT answer =
        parent ? SendMessage(parent, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header)) : 0;
    if (!IsWindow(hwnd))
        return answer;
    // Only NMHEADER notifications carry an item.
    const auto itemOf = [header] { return reinterpret_cast<const NMHEADERA*>(header)->iItem; };
    switch (code)
    {
    case HDN_ITEMCLICKA:
    case HDN_ITEMCLICKW:
        if (!(Style() & LVS_NOSORTHEADER))
            NotifyListView(LVN_COLUMNCLICK, -1, itemOf());
        break;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW:
        SetColumnWidth(itemOf(), LVSCW_AUTOSIZE);
        break;
    case HDN_ENDDRAG:
        if (!answer)
            InvalidateRows();
        break;
    default:
        break;
    }
    return answer;
}

// ---- Items -------------------------------------------------------------------------------

LPARAM ListViewBehaviour::ItemParam(int item) const
{
    return (!m_ownerData && ValidItem(item)) ? m_rows[static_cast<std::size_t>(item)].lParam : 0;
}

int ListViewBehaviour::InsertItem(const LVITEMA* in)
{
    if (!in || m_ownerData || in->iSubItem != 0)
        return -1;
    ListRow row;
    row.slot = m_cells.Take();
    ListCell& label = m_cells.At(row.slot, 0);
    label.image = 0;
    if (in->mask & LVIF_TEXT)
    {
        label.callback = in->pszText == LPSTR_TEXTCALLBACKA;
        if (!label.callback && in->pszText)
            label.text = in->pszText;
    }
    if (in->mask & LVIF_IMAGE)
        label.image = in->iImage;
    if (in->mask & LVIF_PARAM)
        row.lParam = in->lParam;
    if (in->mask & LVIF_INDENT)
        row.indent = in->iIndent;
    UINT state = 0;
    if (in->mask & LVIF_STATE)
        state = in->state & in->stateMask & ~m_callbackMask;
    if ((m_exStyle & LVS_EX_CHECKBOXES) && !(state & LVIS_STATEIMAGEMASK))
        state |= INDEXTOSTATEIMAGEMASK(1);
    // Selection and focus are given after the insertion, with their notifications.
    row.state = state & ~(LVIS_SELECTED | LVIS_FOCUSED);

    int index = std::clamp(in->iItem, 0, Count());
    const DWORD style = Style();
    if ((style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) && !label.callback)
    {
        const bool descending = (style & LVS_SORTDESCENDING) != 0;
        index = 0;
        while (index < Count())
        {
            const ListCell* other = StoredCell(index, 0);
            const int order = CompareNoCase(label.text, other ? other->text : std::string());
            if (descending ? order > 0 : order < 0)
                break;
            ++index;
        }
    }
    m_rows.insert(m_rows.begin() + index, row);
    ++m_rowsMoved;
    if (m_focus >= index)
        ++m_focus;
    if (m_mark >= index)
        ++m_mark;
    const HWND hwnd = m_hwnd;
    NotifyListView(LVN_INSERTITEM, index);
    if (!IsWindow(hwnd))
        return index;
    if (state & (LVIS_SELECTED | LVIS_FOCUSED))
        ChangeState(index, state, LVIS_SELECTED | LVIS_FOCUSED);
    InvalidateFrom(index);
    UpdateScrollBars();
    return index;
}

bool ListViewBehaviour::DeleteItem(int item)
{
    if (!ValidItem(item))
        return false;
    if (m_ownerData)
        --m_ownerCount;
    else
    {
        const HWND hwnd = m_hwnd;
        NotifyListView(LVN_DELETEITEM, item);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
        const std::uint32_t slot = m_rows[static_cast<std::size_t>(item)].slot;
        m_rows.erase(m_rows.begin() + item);
        m_cells.Release(slot);
        ++m_rowsMoved;
        CompactCells();
    }
    m_ownerSelection.EraseAt(item);
    if (m_focus == item)
        m_focus = -1;
    else if (m_focus > item)
        --m_focus;
    if (m_mark == item)
        m_mark = -1;
    else if (m_mark > item)
        --m_mark;
    m_top = std::clamp(m_top, 0, std::max(0, Count() - CountPerPage()));
    InvalidateFrom(item);
    UpdateScrollBars();
    return true;
}

bool ListViewBehaviour::DeleteAllItems(bool destroying)
{
    const HWND hwnd = m_hwnd;
    if (Count() > 0)
    {
        const bool eachItem = NotifyListView(LVN_DELETEALLITEMS, -1) == 0;
        if (!IsWindow(hwnd) && !destroying)
            return false;
        if (eachItem && !m_ownerData)
        {
            for (int item = 0; item < static_cast<int>(m_rows.size()); ++item)
                NotifyListView(LVN_DELETEITEM, item);
        }
    }
    m_rows.clear();
    m_spareRows = std::vector<ListRow>(); // what sorting a list of no rows needs
    m_cells.Clear();
    m_itemOfSlot = std::vector<std::uint32_t>();
    ++m_rowsMoved;
    m_ownerCount = 0;
    m_ownerSelection.Clear();
    m_focus = -1;
    m_mark = -1;
    m_top = 0;
    if (!destroying && IsWindow(hwnd))
    {
        InvalidateRows();
        UpdateScrollBars();
    }
    return true;
}

bool ListViewBehaviour::GetItem(LVITEMA* item)
{
    if (!item || !ValidItem(item->iItem) || item->iSubItem < 0)
        return false;
    const int index = item->iItem;
    const int sub = item->iSubItem;
    const UINT mask = item->mask;
    UINT ask = 0;
    UINT askState = 0;
    const ListCell* cell = nullptr;
    if (m_ownerData)
    {
        ask = mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT);
        if (mask & LVIF_STATE)
            askState = item->stateMask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    }
    else
    {
        cell = StoredCell(index, sub);
        if ((mask & LVIF_TEXT) && cell && cell->callback)
            ask |= LVIF_TEXT;
        if ((mask & LVIF_IMAGE) && cell && cell->image == I_IMAGECALLBACK)
            ask |= LVIF_IMAGE;
        if (mask & LVIF_STATE)
            askState = item->stateMask & m_callbackMask;
    }
    if (askState)
        ask |= LVIF_STATE;
    DispAnswer answer;
    if (ask)
        answer = AskDispInfo(index, sub, ask, askState, item->pszText, item->cchTextMax);
    if (!ValidItem(index))
        return false;
    if (ask && !m_ownerData)
        cell = StoredCell(index, sub); // the parent may have moved the cells while it answered
    if (mask & LVIF_TEXT)
        CopyText((ask & LVIF_TEXT) ? answer.text : (cell ? cell->text : std::string()), item->pszText,
                 item->cchTextMax);
    if (mask & LVIF_IMAGE)
        item->iImage = (ask & LVIF_IMAGE) ? answer.image : (cell ? cell->image : I_IMAGENONE);
    if (mask & LVIF_PARAM)
        item->lParam = (ask & LVIF_PARAM) ? answer.lParam : ItemParam(index);
    if (mask & LVIF_INDENT)
        item->iIndent = (ask & LVIF_INDENT) ? answer.indent : m_rows[static_cast<std::size_t>(index)].indent;
    if (mask & LVIF_STATE)
        item->state = (StoredState(index) & item->stateMask & ~askState) | answer.state;
    return true;
}

bool ListViewBehaviour::SetItem(const LVITEMA* in)
{
    if (!in || !ValidItem(in->iItem))
        return false;
    const int index = in->iItem;
    const int sub = in->iSubItem;
    if (sub < 0 || (sub > 0 && sub >= static_cast<int>(m_columns.size())))
        return false;
    if (m_ownerData)
    {
        if (sub == 0 && (in->mask & LVIF_STATE))
            ChangeState(index, in->state, in->stateMask);
        return true;
    }
    const HWND hwnd = m_hwnd;
    const UINT fields = in->mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT);
    if (sub == 0 && fields)
    {
        if (NotifyListView(LVN_ITEMCHANGING, index, 0, 0, 0, fields))
            return false;
        if (!IsWindow(hwnd) || !ValidItem(index))
            return false;
    }
    ListRow& row = m_rows[static_cast<std::size_t>(index)];
    ListCell& cell = CellToSet(index, sub);
    if (in->mask & LVIF_TEXT)
    {
        cell.callback = in->pszText == LPSTR_TEXTCALLBACKA;
        cell.text = (!cell.callback && in->pszText) ? in->pszText : "";
    }
    if (in->mask & LVIF_IMAGE)
        cell.image = in->iImage;
    if (sub == 0 && (in->mask & LVIF_PARAM))
        row.lParam = in->lParam;
    if (sub == 0 && (in->mask & LVIF_INDENT))
        row.indent = in->iIndent;
    InvalidateItem(index);
    if (sub == 0 && fields)
    {
        NotifyListView(LVN_ITEMCHANGED, index, 0, 0, 0, fields);
        if (!IsWindow(hwnd) || !ValidItem(index))
            return true;
    }
    if (sub == 0 && (in->mask & LVIF_STATE))
        ChangeState(index, in->state, in->stateMask);
    return true;
}

int ListViewBehaviour::GetItemText(int item, LVITEMA* out)
{
    if (!out || !out->pszText || out->cchTextMax <= 0)
        return 0;
    out->pszText[0] = '\0';
    if (!ValidItem(item) || out->iSubItem < 0)
        return 0;
    const ListCell* stored = nullptr;
    if (!m_ownerData)
    {
        // Readers mostly walk the rows in order (an export, a copy), and once the rows have been
        // sorted their cells lie in any order: the cell a few rows on is fetched while this one
        // is read.
        constexpr int kReadAhead = 4;
        if (item + kReadAhead < Count())
        {
            if (const ListCell* ahead = StoredCell(item + kReadAhead, out->iSubItem))
                __builtin_prefetch(ahead);
        }
        stored = StoredCell(item, out->iSubItem);
        if (!stored)
            return 0;
    }
    if (stored && !stored->callback)
        CopyText(stored->text, out->pszText, out->cchTextMax);
    else
        CopyText(AskDispInfo(item, out->iSubItem, LVIF_TEXT, 0, out->pszText, out->cchTextMax).text,
                 out->pszText, out->cchTextMax);
    return static_cast<int>(std::strlen(out->pszText));
}

bool ListViewBehaviour::SetItemText(int item, const LVITEMA* in)
{
    if (!in || m_ownerData)
        return false;
    LVITEMA change = *in;
    change.mask = LVIF_TEXT;
    change.iItem = item;
    return SetItem(&change);
}

bool ListViewBehaviour::SetItemCount(int count, DWORD flags)
{
    if (!m_ownerData)
        return true; // a size hint for ordinary lists
    count = std::max(0, count);
    const int old = m_ownerCount;
    m_ownerCount = count;
    m_ownerSelection.Clip(count);
    if (m_focus >= count)
        m_focus = -1;
    if (m_mark >= count)
        m_mark = -1;
    if (flags & LVSICF_NOSCROLL)
        m_top = std::clamp(m_top, 0, std::max(0, count - 1));
    else
        m_top = std::clamp(m_top, 0, std::max(0, count - CountPerPage()));
    if (flags & LVSICF_NOINVALIDATEALL)
        InvalidateFrom(std::min(old, count));
    else
        InvalidateRows();
    // Rows coming and going one at a time (a live list) change only the vertical range, unless
    // the vertical bar comes or goes with them: then everything is laid out again.
    const WindowRecord* record = State::Get().Find(m_hwnd);
    const int perPage = CountPerPage();
    if (record && record->redraw && !m_scrollPending && !(Style() & LVS_NOSCROLL) && old > perPage &&
        count > perPage)
    {
        m_top = std::clamp(m_top, 0, std::max(0, count - perPage));
        SCROLLINFO vertical{sizeof(SCROLLINFO),
                            SIF_RANGE | SIF_PAGE | SIF_POS,
                            0,
                            std::max(0, count - 1),
                            static_cast<UINT>(perPage),
                            m_top,
                            0};
        SetScrollInfo(m_hwnd, SB_VERT, &vertical, TRUE);
        return true;
    }
    UpdateScrollBars();
    return true;
}

int ListViewBehaviour::FindItem(int start, const LVFINDINFOA* find)
{
    if (!find)
        return -1;
    if (m_ownerData)
    {
        NMLVFINDITEMA nm{};
        nm.iStart = start;
        nm.lvfi = *find;
        return static_cast<int>(Notify(nm.hdr, LVN_ODFINDITEMA));
    }
    const int count = Count();
    const std::string wanted = find->psz ? find->psz : "";
    const auto matches = [&](int item)
    {
        if (find->flags & LVFI_PARAM)
            return m_rows[static_cast<std::size_t>(item)].lParam == find->lParam;
        if (find->flags & (LVFI_STRING | LVFI_PARTIAL | LVFI_SUBSTRING))
        {
            const std::string text = CellText(item, 0);
            if (find->flags & (LVFI_PARTIAL | LVFI_SUBSTRING))
                return StartsWithNoCase(text, wanted);
            return CompareNoCase(text, wanted) == 0;
        }
        return false;
    };
    for (int item = std::max(0, start + 1); item < count; ++item)
    {
        if (matches(item))
            return item;
    }
    if (find->flags & LVFI_WRAP)
    {
        for (int item = 0; item <= std::min(start, count - 1); ++item)
        {
            if (matches(item))
                return item;
        }
    }
    return -1;
}

std::string ListViewBehaviour::CellText(int item, int column)
{
    if (!ValidItem(item))
        return std::string();
    if (m_ownerData)
        return AskDispInfo(item, column, LVIF_TEXT, 0).text;
    const ListCell* cell = StoredCell(item, column);
    if (!cell)
        return std::string();
    return cell->callback ? AskDispInfo(item, column, LVIF_TEXT, 0).text : cell->text;
}

void RegisterListViewClass()
{
    State::Get().RegisterBuiltin(
        WC_LISTVIEW, [] { return std::make_unique<ListViewBehaviour>(); }, COLOR_WINDOW);
}

} // namespace winlib::detail
