#include "winlib/ListCtrl.h"

#include "winlib/ImageList.h"

#include <vector>

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::CreateEx(0, WC_LISTVIEW, "", style | WS_CHILD, rect, parent, id);
}

BOOL CListCtrl::CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::CreateEx(exStyle, WC_LISTVIEW, "", style | WS_CHILD, rect, parent, id);
}

// ---- Columns ---------------------------------------------------------------------------

int CListCtrl::InsertColumn(int column, const LVCOLUMN* info)
{
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem)
{
    LVCOLUMN info{};
    info.mask = LVCF_TEXT | LVCF_FMT;
    info.pszText = const_cast<LPSTR>(heading);
    info.fmt = format;
    if (width != -1)
    {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1)
    {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return InsertColumn(column, &info);
}

BOOL CListCtrl::DeleteColumn(int column)
{
    return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(column)));
}

BOOL CListCtrl::GetColumn(int column, LVCOLUMN* info) const
{
    return static_cast<BOOL>(
        SendMessage(LVM_GETCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
}

BOOL CListCtrl::SetColumn(int column, const LVCOLUMN* info)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETCOLUMN, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::GetColumnWidth(int column) const
{
    return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

BOOL CListCtrl::SetColumnWidth(int column, int width)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}

BOOL CListCtrl::GetColumnOrderArray(LPINT order, int count)
{
    if (count == -1)
        count = GetHeaderCtrl()->GetItemCount();
    return static_cast<BOOL>(
        SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

BOOL CListCtrl::SetColumnOrderArray(int count, LPINT order)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const
{
    const HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    if (!header)
        return nullptr;
    if (auto* own = dynamic_cast<CHeaderCtrl*>(CWnd::FromHandlePermanent(header)))
        return own;
    m_header.m_hWnd = header;
    return &m_header;
}

// ---- Items -----------------------------------------------------------------------------

int CListCtrl::InsertItem(const LVITEM* item)
{
    return static_cast<int>(SendMessage(LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(item)));
}

int CListCtrl::InsertItem(int item, LPCSTR text)
{
    return InsertItem(LVIF_TEXT, item, text, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int item, LPCSTR text, int image)
{
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int item, LPCSTR text, UINT state, UINT stateMask, int image,
                          LPARAM lParam)
{
    LVITEM info{};
    info.mask = mask;
    info.iItem = item;
    info.pszText = const_cast<LPSTR>(text);
    info.state = state;
    info.stateMask = stateMask;
    info.iImage = image;
    info.lParam = lParam;
    return InsertItem(&info);
}

BOOL CListCtrl::DeleteItem(int item)
{
    return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)));
}
BOOL CListCtrl::DeleteAllItems()
{
    return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS));
}

BOOL CListCtrl::GetItem(LVITEM* item) const
{
    return static_cast<BOOL>(SendMessage(LVM_GETITEM, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CListCtrl::SetItem(const LVITEM* item)
{
    return static_cast<BOOL>(SendMessage(LVM_SETITEM, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CListCtrl::SetItem(int item, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                        LPARAM lParam)
{
    LVITEM info{};
    info.mask = mask;
    info.iItem = item;
    info.iSubItem = subItem;
    info.pszText = const_cast<LPSTR>(text);
    info.iImage = image;
    info.state = state;
    info.stateMask = stateMask;
    info.lParam = lParam;
    return SetItem(&info);
}

// Asks with a growing buffer until the whole text fits; most texts fit the first one, on the stack.
std::string CListCtrl::GetItemText(int item, int subItem) const
{
    char first[256];
    std::vector<char> grown;
    char* buffer = first;
    std::size_t size = sizeof first;
    for (;;)
    {
        LVITEM info{};
        info.iSubItem = subItem;
        info.pszText = buffer;
        info.cchTextMax = static_cast<int>(size);
        const int length = static_cast<int>(
            SendMessage(LVM_GETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
        if (length < static_cast<int>(size) - 1 || size >= (1U << 20))
            return std::string(buffer, static_cast<std::size_t>(std::max(0, length)));
        grown.resize(size * 2);
        buffer = grown.data();
        size = grown.size();
    }
}

int CListCtrl::GetItemText(int item, int subItem, LPSTR buffer, int length) const
{
    LVITEM info{};
    info.iSubItem = subItem;
    info.pszText = buffer;
    info.cchTextMax = length;
    return static_cast<int>(
        SendMessage(LVM_GETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCSTR text)
{
    LVITEM info{};
    info.iSubItem = subItem;
    info.pszText = const_cast<LPSTR>(text);
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const
{
    LVITEM info{};
    info.mask = LVIF_PARAM;
    info.iItem = item;
    return GetItem(&info) ? static_cast<DWORD_PTR>(info.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data)
{
    return SetItem(item, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(data));
}

UINT CListCtrl::GetItemState(int item, UINT mask) const
{
    return static_cast<UINT>(
        SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEM info{};
    info.state = state;
    info.stateMask = mask;
    return SetItemState(item, &info);
}

BOOL CListCtrl::SetItemState(int item, LVITEM* info)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::GetItemCount() const
{
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}
void CListCtrl::SetItemCount(int count)
{
    SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
}

BOOL CListCtrl::SetItemCountEx(int count, DWORD flags)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)));
}

int CListCtrl::FindItem(LVFINDINFO* find, int start) const
{
    return static_cast<int>(
        SendMessage(LVM_FINDITEM, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(find)));
}

// ---- Selection -------------------------------------------------------------------------

int CListCtrl::GetNextItem(int item, int flags) const
{
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(item), MAKELPARAM(flags, 0)));
}

// A position is the selected index plus one, so that no selection is a null position.
POSITION CListCtrl::GetFirstSelectedItemPosition() const
{
    return reinterpret_cast<POSITION>(static_cast<INT_PTR>(1 + GetNextItem(-1, LVNI_SELECTED)));
}

int CListCtrl::GetNextSelectedItem(POSITION& position) const
{
    const int current = static_cast<int>(reinterpret_cast<INT_PTR>(position)) - 1;
    position = reinterpret_cast<POSITION>(static_cast<INT_PTR>(1 + GetNextItem(current, LVNI_SELECTED)));
    return current;
}

UINT CListCtrl::GetSelectedCount() const
{
    return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT));
}
int CListCtrl::GetSelectionMark() const
{
    return static_cast<int>(SendMessage(LVM_GETSELECTIONMARK));
}

int CListCtrl::SetSelectionMark(int index)
{
    return static_cast<int>(SendMessage(LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(index)));
}

// State image 1 is the empty box and 2 the ticked one.
BOOL CListCtrl::GetCheck(int item) const
{
    const UINT state = GetItemState(item, LVIS_STATEIMAGEMASK);
    return ((state >> 12) - 1) == 1 ? TRUE : FALSE;
}

BOOL CListCtrl::SetCheck(int item, BOOL check)
{
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK);
}

UINT CListCtrl::GetCallbackMask() const
{
    return static_cast<UINT>(SendMessage(LVM_GETCALLBACKMASK));
}
BOOL CListCtrl::SetCallbackMask(UINT mask)
{
    return static_cast<BOOL>(SendMessage(LVM_SETCALLBACKMASK, mask));
}

// ---- Geometry and scrolling ------------------------------------------------------------

int CListCtrl::HitTest(LVHITTESTINFO* info) const
{
    return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

int CListCtrl::HitTest(CPoint point, UINT* flags) const
{
    LVHITTESTINFO info{};
    info.pt = point;
    const int item = HitTest(&info);
    if (flags)
        *flags = info.flags;
    return item;
}

int CListCtrl::SubItemHitTest(LPLVHITTESTINFO info)
{
    return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const
{
    rect->left = static_cast<LONG>(code);
    return static_cast<BOOL>(
        SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(rect)));
}

CImageList* CListCtrl::CreateDragImage(int item, LPPOINT upperLeft)
{
    const auto images = reinterpret_cast<HIMAGELIST>(
        SendMessage(LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(upperLeft)));
    if (!images)
        return nullptr;
    auto* list = new CImageList;
    list->Attach(images);
    return list;
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int area, CRect& rect) const
{
    rect.top = subItem;
    rect.left = area;
    return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item),
                                         reinterpret_cast<LPARAM>(static_cast<RECT*>(&rect))));
}

BOOL CListCtrl::EnsureVisible(int item, BOOL partialOk)
{
    return static_cast<BOOL>(
        SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), MAKELPARAM(partialOk, 0)));
}

BOOL CListCtrl::Scroll(CSize size)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SCROLL, static_cast<WPARAM>(size.cx), static_cast<LPARAM>(size.cy)));
}

int CListCtrl::GetTopIndex() const
{
    return static_cast<int>(SendMessage(LVM_GETTOPINDEX));
}
int CListCtrl::GetCountPerPage() const
{
    return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE));
}

int CListCtrl::GetStringWidth(LPCSTR text) const
{
    return static_cast<int>(SendMessage(LVM_GETSTRINGWIDTH, 0, reinterpret_cast<LPARAM>(text)));
}

BOOL CListCtrl::RedrawItems(int first, int last)
{
    return static_cast<BOOL>(
        SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last)));
}

BOOL CListCtrl::Update(int item)
{
    return static_cast<BOOL>(SendMessage(LVM_UPDATE, static_cast<WPARAM>(item)));
}

// ---- Sorting ---------------------------------------------------------------------------

BOOL CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare)));
}

BOOL CListCtrl::SortItemsEx(PFNLVCOMPARE compare, DWORD_PTR data)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SORTITEMSEX, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare)));
}

int CListCtrl::GetColumnTexts(int subItem, PFNLVCOLUMNTEXT text, LPARAM param) const
{
    LVCOLUMNTEXTS request{text, param};
    return static_cast<int>(
        SendMessage(LVM_GETCOLUMNTEXTS, static_cast<WPARAM>(subItem), reinterpret_cast<LPARAM>(&request)));
}

BOOL CListCtrl::SetItemOrder(const UINT* order, int count)
{
    return static_cast<BOOL>(
        SendMessage(LVM_SETITEMORDER, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
}

// ---- Appearance ------------------------------------------------------------------------

DWORD CListCtrl::GetExtendedStyle() const
{
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

DWORD CListCtrl::SetExtendedStyle(DWORD style)
{
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}

CImageList* CListCtrl::SetImageList(CImageList* images, int type)
{
    if (type < LVSIL_NORMAL || type > LVSIL_STATE)
        return nullptr;
    CImageList* previous = GetImageList(type);
    SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(type),
                reinterpret_cast<LPARAM>(images ? images->GetSafeHandle() : nullptr));
    m_images[type] = images;
    return previous;
}

CImageList* CListCtrl::GetImageList(int type) const
{
    if (type < LVSIL_NORMAL || type > LVSIL_STATE)
        return nullptr;
    const auto current =
        reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(type)));
    CImageList* kept = m_images[type];
    return (kept && current && kept->GetSafeHandle() == current) ? kept : nullptr;
}

COLORREF CListCtrl::GetTextColor() const
{
    return static_cast<COLORREF>(SendMessage(LVM_GETTEXTCOLOR));
}
BOOL CListCtrl::SetTextColor(COLORREF color)
{
    return static_cast<BOOL>(SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(color)));
}
COLORREF CListCtrl::GetBkColor() const
{
    return static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR));
}
BOOL CListCtrl::SetBkColor(COLORREF color)
{
    return static_cast<BOOL>(SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
}
COLORREF CListCtrl::GetTextBkColor() const
{
    return static_cast<COLORREF>(SendMessage(LVM_GETTEXTBKCOLOR));
}

BOOL CListCtrl::SetTextBkColor(COLORREF color)
{
    return static_cast<BOOL>(SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color)));
}

// ---- Owner draw ------------------------------------------------------------------------

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}
void CListCtrl::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DRAWITEM)
    {
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    }
    if (message == WM_MEASUREITEM)
    {
        MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
        *result = TRUE;
        return TRUE;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}
