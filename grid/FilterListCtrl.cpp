// The filter list's core: creation, the records and the rows they show on, the cells, the
// selection kept on the records, its messages and the sort by a header click. The filter bar and
// filtering are in FilterListFiltering.cpp, user-defined columns and the header menu in
// FilterListUserColumns.cpp, the drawing in FilterListPaint.cpp and the user's place in
// FilterListPlace.cpp.
#include "grid/FilterListCtrl.h"

#include "grid/FilterListInternal.h"
#include "grid/SortKeys.h"
#include "grid/WorkBuffers.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFilterListCtrl, CCommonListCtrl)

namespace
{

using filter_list::kNoColor;

// Which sort applies to a data type here: decimals 2 and 5 read "-" and "NA" as 0, and 7 to 9
// leave the order as it is.
SortKind SortKindOf(int dataType)
{
    switch (dataType)
    {
    case KIVO_DT_INTEGER:
        return SortKind::Integer32;
    case KIVO_DT_DECIMAL:
    case 5:
        return SortKind::Decimal;
    case KIVO_DT_TEXT:
        return SortKind::Text;
    case KIVO_DT_INT64:
        return SortKind::Integer64;
    case KIVO_DT_DATETIME:
        return SortKind::DateTime;
    default:
        return SortKind::None;
    }
}

} // namespace

CFilterListCtrl::CFilterListCtrl()
{
    m_pfnRowColor = &CFilterListCtrl::KeywordRowColor;
}

CFilterListCtrl::~CFilterListCtrl() = default;

// ---- Creation -----------------------------------------------------------------------------------

BOOL CFilterListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!CCommonListCtrl::Create(style, rect, parent, id))
        return FALSE;
    SubclassHeader();
    return TRUE;
}

BOOL CFilterListCtrl::CreateEx(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!CCommonListCtrl::CreateEx(exStyle, style, rect, parent, id))
        return FALSE;
    SubclassHeader();
    return TRUE;
}

void CFilterListCtrl::PreSubclassWindow()
{
    CCommonListCtrl::PreSubclassWindow();
    SubclassHeader();
}

void CFilterListCtrl::SubclassHeader()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header && header->m_hWnd && !m_header.m_hWnd && !CWnd::FromHandlePermanent(header->m_hWnd))
        m_header.SubclassWindow(header->m_hWnd);
}

void CFilterListCtrl::OnDestroy()
{
    CCommonListCtrl::OnDestroy();
    FreeRecords();
}

// ---- Data mode ----------------------------------------------------------------------------------

void CFilterListCtrl::SetDataDescriptor(PFN_FILTER_DATA_DESCRIPTOR descriptor)
{
    m_pfnDataDescriptor = descriptor;
}

void CFilterListCtrl::SetDataDescriptor(PFN_FILTER_OWNER_DATA_DESCRIPTOR descriptor)
{
    m_pfnOwnerDataDescriptor = descriptor;
}

void CFilterListCtrl::SetNewestFirst(BOOL newestFirst)
{
    m_bNewestFirst = newestFirst ? TRUE : FALSE;
    if (m_hWnd)
        Invalidate();
}

void CFilterListCtrl::FreeRecords()
{
    m_rows.Clear();
    m_nSelectedRecords = 0;
    m_nInsertedSlot = FilterRows::kNone;
    m_nHeldRows = 0;
    m_nNewRowsAbove = 0;
}

// ---- Rows ---------------------------------------------------------------------------------------

std::uint32_t CFilterListCtrl::PositionOfRow(int row) const
{
    const std::uint32_t count = m_rows.VisibleCount();
    if (row < 0 || static_cast<std::uint32_t>(row) >= count)
        return FilterRows::kNone;
    return m_bNewestFirst ? count - 1 - static_cast<std::uint32_t>(row) : static_cast<std::uint32_t>(row);
}

int CFilterListCtrl::RowOfPosition(std::uint32_t position) const
{
    const std::uint32_t count = m_rows.VisibleCount();
    if (position >= count)
        return -1;
    return static_cast<int>(m_bNewestFirst ? count - 1 - position : position);
}

std::uint32_t CFilterListCtrl::SlotOfRow(int row) const
{
    const std::uint32_t position = PositionOfRow(row);
    return position == FilterRows::kNone ? FilterRows::kNone : m_rows.SlotAtPosition(position);
}

int CFilterListCtrl::GetStoreIndex(int row) const
{
    const std::uint32_t slot = SlotOfRow(row);
    return slot == FilterRows::kNone ? -1 : static_cast<int>(m_rows.StoreIndexOfSlot(slot));
}

void CFilterListCtrl::SetViewCount(DWORD flags)
{
    CListCtrl::SetItemCountEx(static_cast<int>(m_rows.VisibleCount()), flags);
}

int CFilterListCtrl::InsertItem(int row, LPCSTR text)
{
    if (!m_bDataMode)
        return CListCtrl::InsertItem(row, text);
    if (!HasDescriptor())
        return 0;
    const sViewPlace before = CapturePlace();
    std::uint32_t slot = FilterRows::kNone;
    int index = 0;
    if (row != 0 && row > 0 && static_cast<std::uint32_t>(row) < m_rows.StoreCount())
    {
        slot = m_rows.InsertRecord(static_cast<std::uint32_t>(row));
        const std::uint32_t position = std::min(static_cast<std::uint32_t>(row), m_rows.VisibleCount());
        m_rows.InsertVisible(position, slot);
        if (m_rows.SlotAtPosition(position) != slot)
        {
            AfxMessageBox("Insert Item: Reindexing Error");
            FreeRecords();
            SetViewCount(0);
            return 0;
        }
        index = row;
    }
    else
    {
        slot = m_rows.AppendRecord();
        m_rows.AppendVisible(slot);
        index = static_cast<int>(m_rows.StoreCount()) - 1;
    }
    // The place is kept once SetItemData knows whether the record shows.
    m_nInsertedSlot = slot;
    m_insertPlace = before;
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    return index;
}

BOOL CFilterListCtrl::SetItemData(int row, DWORD_PTR item)
{
    if (!m_bDataMode)
        return CListCtrl::SetItemData(row, item);
    const std::uint32_t count = m_rows.VisibleCount();
    // Row 0 or a row outside the visible rows: the record InsertItem just added.
    const bool fresh =
        m_nInsertedSlot != FilterRows::kNone && (row <= 0 || static_cast<std::uint32_t>(row) >= count);
    const std::uint32_t inserted = m_nInsertedSlot;
    m_nInsertedSlot = FilterRows::kNone;
    if (count == 0)
        return FALSE;
    if (row <= 0 || static_cast<std::uint32_t>(row) >= count)
        row = RowOfPosition(count - 1);
    const std::uint32_t slot = fresh ? inserted : SlotOfRow(row);
    if (slot == FilterRows::kNone)
        return FALSE;
    row = RowOfPosition(m_rows.PositionOfSlot(slot));
    m_rows.At(slot).item = item;
    m_bUserColumnErrorShown = false;
    if (!Passes(slot))
    {
        const sViewPlace place = fresh ? m_insertPlace : CapturePlace();
        m_rows.HideSlot(slot);
        SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        if (m_bKeepPlace)
        {
            if (fresh)
                RestorePlace(place);
            else
                KeepPlaceAfterHidden(place, row);
        }
        Invalidate(FALSE);
        return TRUE;
    }
    if (CListCtrl::GetItemCount() != static_cast<int>(m_rows.VisibleCount()))
        SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (fresh && m_bKeepPlace)
    {
        KeepPlaceAfterShown(m_insertPlace, row, slot);
        Invalidate(FALSE);
    }
    else if (fresh && m_bNewestFirst)
    {
        // The new row is on top: every row below it moved down by one.
        if (::GetFocus() != m_hWnd)
            EnsureVisible(row, FALSE);
        Invalidate(FALSE);
    }
    else
        RedrawItems(row, row);
    return TRUE;
}

BOOL CFilterListCtrl::DeleteItem(int row)
{
    if (!m_bDataMode)
        return CListCtrl::DeleteItem(row);
    const std::uint32_t position = PositionOfRow(row);
    const std::uint32_t slot =
        position == FilterRows::kNone ? FilterRows::kNone : m_rows.SlotAtPosition(position);
    if (slot == FilterRows::kNone)
    {
        AfxMessageBox("Delete item: Item not found");
        return FALSE;
    }
    return DeleteShownRecord(row, slot);
}

BOOL CFilterListCtrl::DeleteShownRecord(int row, std::uint32_t slot)
{
    m_nInsertedSlot = FilterRows::kNone;
    const sViewPlace place = CapturePlace();
    const bool wasSelected = (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (m_nSelectedRecords > 0 && m_rows.At(slot).selected)
        --m_nSelectedRecords;
    const std::uint32_t storeBefore = m_rows.StoreCount();
    const std::uint32_t visibleBefore = m_rows.VisibleCount();
    m_rows.RemoveRecord(slot);
    if (m_rows.StoreCount() + 1 != storeBefore || m_rows.VisibleCount() + 1 != visibleBefore)
    {
        AfxMessageBox("Delete item: Reindexing Error");
        FreeRecords();
        SetViewCount(0);
        return FALSE;
    }
    m_nPrevSortColumn = -1;
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (m_bKeepPlace)
        KeepPlaceAfterHidden(place, row);
    const int count = static_cast<int>(m_rows.VisibleCount());
    if (wasSelected && row < count)
    {
        if (SelectionInRecords())
            SelectOnlyRow(row);
        SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (!m_bKeepPlace && m_bNewestFirst && ::GetFocus() != m_hWnd && count > 0)
        EnsureVisible(0, FALSE);
    Invalidate(FALSE);
    return TRUE;
}

BOOL CFilterListCtrl::DeleteDataItem(int index)
{
    if (!m_bDataMode || index < 0 || static_cast<std::uint32_t>(index) >= m_rows.StoreCount())
        return FALSE;
    const std::uint32_t slot = m_rows.SlotOfStoreIndex(static_cast<std::uint32_t>(index));
    const std::uint32_t position = m_rows.PositionOfSlot(slot);
    if (position != FilterRows::kNone)
    {
        if (position >= m_rows.VisibleCount())
        {
            AfxMessageBox("Error occured while deleting map item");
            return FALSE;
        }
        return DeleteShownRecord(RowOfPosition(position), slot);
    }
    m_nInsertedSlot = FilterRows::kNone;
    if (m_nSelectedRecords > 0 && m_rows.At(slot).selected)
        --m_nSelectedRecords;
    const bool held = m_rows.At(slot).held;
    m_rows.RemoveRecord(slot);
    if (held)
    {
        --m_nHeldRows;
        UpdateUnseenRows();
    }
    return TRUE;
}

int CFilterListCtrl::InsertDataItem(int index, DWORD_PTR item)
{
    if (!m_bDataMode || !HasDescriptor())
        return -1;
    const sViewPlace before = CapturePlace();
    m_nInsertedSlot = FilterRows::kNone;
    const std::uint32_t count = m_rows.StoreCount();
    const std::uint32_t at = index < 0 ? 0 : std::min(static_cast<std::uint32_t>(index), count);
    const std::uint32_t slot = at >= count ? m_rows.AppendRecord() : m_rows.InsertRecord(at);
    m_rows.At(slot).item = item;
    m_bUserColumnErrorShown = false;
    if (!Passes(slot))
        return static_cast<int>(at);
    m_rows.InsertVisible(VisiblePositionFor(slot), slot);
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    const int row = RowOfPosition(m_rows.PositionOfSlot(slot));
    if (m_bKeepPlace)
        KeepPlaceAfterShown(before, row, slot);
    else if (m_bNewestFirst && ::GetFocus() != m_hWnd)
        EnsureVisible(row, FALSE);
    Invalidate(FALSE);
    return static_cast<int>(at);
}

BOOL CFilterListCtrl::DeleteAllItems()
{
    if (!m_bDataMode)
        return CListCtrl::DeleteAllItems();
    FreeRecords();
    SetViewCount(0);
    Invalidate();
    UpdateUnseenRows();
    return TRUE;
}

int CFilterListCtrl::RefreshDataItem(int index)
{
    if (!m_bDataMode || index < 0 || static_cast<std::uint32_t>(index) >= m_rows.StoreCount())
        return 0;
    m_nInsertedSlot = FilterRows::kNone;
    const std::uint32_t slot = m_rows.SlotOfStoreIndex(static_cast<std::uint32_t>(index));
    const std::uint32_t position = m_rows.PositionOfSlot(slot);
    m_bUserColumnErrorShown = false;
    // A held record shows when the held rows do.
    if (m_rows.At(slot).held)
        return 0;
    const bool passes = Passes(slot);
    if (position != FilterRows::kNone)
    {
        const int row = RowOfPosition(position);
        if (passes)
        {
            RedrawItems(row, row);
            return 0;
        }
        const sViewPlace place = CapturePlace();
        m_rows.HideSlot(slot);
        SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        if (m_bKeepPlace)
            KeepPlaceAfterHidden(place, row);
        Invalidate(FALSE);
        return -1;
    }
    if (!passes)
        return 0;
    sViewPlace place = CapturePlace();
    m_rows.InsertVisible(VisiblePositionFor(slot), slot);
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    const int row = RowOfPosition(m_rows.PositionOfSlot(slot));
    if (m_bKeepPlace)
    {
        if (place.focus >= row)
            ++place.focus;
        if (place.mark >= row)
            ++place.mark;
        if (row < place.top)
            ++place.top;
        RestorePlace(place);
    }
    Invalidate(FALSE);
    return 1;
}

std::uint32_t CFilterListCtrl::VisiblePositionFor(std::uint32_t slot) const
{
    // Before the first visible record that lies later in the store.
    std::uint32_t at = m_rows.VisibleCount();
    if (m_rows.VisibleInStoreOrder())
    {
        std::uint32_t lo = 0;
        std::uint32_t hi = m_rows.VisibleCount();
        while (lo < hi)
        {
            const std::uint32_t mid = lo + (hi - lo) / 2;
            if (m_rows.SlotAtPosition(mid) > slot)
                hi = mid;
            else
                lo = mid + 1;
        }
        at = lo;
    }
    else
    {
        const std::vector<std::uint32_t> visible = m_rows.VisibleSlots();
        const auto later =
            std::find_if(visible.begin(), visible.end(), [slot](std::uint32_t s) { return s > slot; });
        at = static_cast<std::uint32_t>(later - visible.begin());
    }
    return at;
}

int CFilterListCtrl::GetItemCount() const
{
    return m_bDataMode ? static_cast<int>(m_rows.VisibleCount()) : CListCtrl::GetItemCount();
}

DWORD_PTR CFilterListCtrl::GetItemData(int row) const
{
    if (!m_bDataMode)
        return CCommonListCtrl::GetItemData(row);
    const std::uint32_t slot = SlotOfRow(row);
    return slot == FilterRows::kNone ? 0 : static_cast<DWORD_PTR>(m_rows.At(slot).item);
}

std::string CFilterListCtrl::GetItemText(int row, int column) const
{
    if (!m_bDataMode)
        return CCommonListCtrl::GetItemText(row, column);
    std::string text;
    if (!HasDescriptor())
        return "no data descriptor initialised";
    const std::uint32_t slot = SlotOfRow(row);
    if (slot == FilterRows::kNone)
        return text;
    if (!GetCellText(static_cast<DWORD_PTR>(m_rows.At(slot).item), GetColumnOfItem(column), text))
        text.clear();
    return text;
}

int CFilterListCtrl::GetItemText(int row, int column, LPSTR buffer, int length) const
{
    if (!m_bDataMode)
        return CCommonListCtrl::GetItemText(row, column, buffer, length);
    if (!buffer || length <= 0)
        return 0;
    const std::string text = GetItemText(row, column);
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

BOOL CFilterListCtrl::GetCheck(int row) const
{
    if (!m_bDataMode)
        return CListCtrl::GetCheck(row);
    const std::uint32_t slot = SlotOfRow(row);
    return slot == FilterRows::kNone ? FALSE : static_cast<BOOL>(m_rows.At(slot).check);
}

BOOL CFilterListCtrl::SetCheck(int row, BOOL check)
{
    if (!m_bDataMode)
        return CListCtrl::SetCheck(row, check);
    const std::uint32_t slot = SlotOfRow(row);
    if (slot == FilterRows::kNone)
        return FALSE;
    m_rows.At(slot).check = check ? 1u : 0u;
    RedrawItems(row, row);
    return TRUE;
}

// ---- Cells --------------------------------------------------------------------------------------

BOOL CFilterListCtrl::GetCell(DWORD_PTR item, int column, std::string& text, COLORREF& textColor,
                              COLORREF& bkColor, int& image) const
{
    return ReadCell(nullptr, item, column, text, textColor, bkColor, image);
}

BOOL CFilterListCtrl::ReadCell(CWnd* target, DWORD_PTR item, int column, std::string& text,
                               COLORREF& textColor, COLORREF& bkColor, int& image) const
{
    text.clear();
    textColor = kNoColor;
    bkColor = kNoColor;
    image = -1;
    if (column < 0)
        return FALSE;
    if (column >= m_nBaseColumnCount && static_cast<std::size_t>(column) < m_arrColumns.size() &&
        !m_arrColumns[static_cast<std::size_t>(column)].m_strExpression.empty())
        return ComputeUserColumn(item, column, text);
    if (m_pfnOwnerDataDescriptor)
        return m_pfnOwnerDataDescriptor(target ? target : NotifyTarget(), item, column, text, textColor,
                                        bkColor, image);
    if (m_pfnDataDescriptor)
        return m_pfnDataDescriptor(item, column, text, textColor, bkColor, image);
    text = "no data descriptor initialised";
    return FALSE;
}

BOOL CFilterListCtrl::GetCellText(DWORD_PTR item, int column, std::string& text) const
{
    COLORREF textColor = kNoColor;
    COLORREF bkColor = kNoColor;
    int image = -1;
    return GetCell(item, column, text, textColor, bkColor, image);
}

// ---- Selection kept on the records --------------------------------------------------------------

bool CFilterListCtrl::SelectionInRecords() const
{
    // With selection as a callback state the list view keeps none: the records keep it, so that
    // it stays with its row when rows come and go above it.
    return m_bDataMode && m_hWnd && (CListCtrl::GetCallbackMask() & LVIS_SELECTED) != 0;
}

void CFilterListCtrl::ClearRecordSelection()
{
    if (m_nSelectedRecords == 0)
        return;
    for (std::uint32_t slot = m_rows.FirstSlot(); slot != FilterRows::kNone; slot = m_rows.NextSlot(slot))
        m_rows.At(slot).selected = 0;
    m_nSelectedRecords = 0;
    Invalidate(FALSE);
}

void CFilterListCtrl::SelectOnlyRow(int row)
{
    ClearRecordSelection();
    const std::uint32_t slot = SlotOfRow(row);
    if (slot == FilterRows::kNone)
        return;
    m_rows.At(slot).selected = 1;
    m_nSelectedRecords = 1;
    RedrawItems(row, row);
}

// ---- Messages -----------------------------------------------------------------------------------

BOOL CFilterListCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_GETDLGCODE && m_bDataMode)
    {
        // Enter opens the focused row (the owner hears NM_RETURN); a dialog around the list would
        // otherwise take it for its default button, which in the console is Accept.
        *result = Default();
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            *result |= DLGC_WANTMESSAGE;
        return TRUE;
    }
    if (message == WM_PAINT)
    {
        m_bUserColumnErrorShown = false;
        UpdateUnseenRows();
    }
    else if (message == WM_LBUTTONUP)
        ++m_nClickSerial;
    else if (message == WM_KEYDOWN)
    {
        ++m_nKeySerial;
        // Asking for the top of the list, or for more above its first row, shows what was held.
        if (m_nHeldRows > 0 && (wParam == VK_HOME || (wParam == VK_PRIOR && GetTopIndex() == 0) ||
                                (wParam == VK_UP && CListCtrl::GetNextItem(-1, LVNI_FOCUSED) <= 0)))
            ShowNewRows();
    }
    else if (message == WM_MOUSEWHEEL && m_nHeldRows > 0 && GET_WHEEL_DELTA_WPARAM(wParam) > 0 &&
             GetTopIndex() == 0)
        ShowNewRows();
    else if ((message == LVM_GETNEXTITEM || message == LVM_GETSELECTEDCOUNT) && SelectionInRecords())
    {
        // The list view knows nothing of a selection it does not keep.
        if (message == LVM_GETSELECTEDCOUNT)
        {
            *result = static_cast<LRESULT>(std::min<std::size_t>(m_nSelectedRecords, m_rows.VisibleCount()));
            if (m_nSelectedRecords > 0)
            {
                std::size_t shown = 0;
                for (std::uint32_t p = 0; p < m_rows.VisibleCount(); ++p)
                    shown += m_rows.At(m_rows.SlotAtPosition(p)).selected;
                *result = static_cast<LRESULT>(shown);
            }
            return TRUE;
        }
        const UINT flags = static_cast<UINT>(LOWORD(lParam));
        if ((flags & LVNI_SELECTED) && !(flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT)))
        {
            *result = -1;
            const int count = static_cast<int>(m_rows.VisibleCount());
            for (int row = static_cast<int>(wParam) + 1; m_nSelectedRecords > 0 && row < count; ++row)
            {
                const std::uint32_t slot = SlotOfRow(row);
                if (m_rows.At(slot).selected &&
                    (!(flags & LVNI_FOCUSED) || (GetItemState(row, LVIS_FOCUSED) & LVIS_FOCUSED)))
                {
                    *result = row;
                    break;
                }
            }
            return TRUE;
        }
    }
    else if (message == LVM_SETITEMSTATE && lParam && SelectionInRecords())
    {
        const auto* state = reinterpret_cast<const LVITEM*>(lParam);
        if (state->stateMask & LVIS_SELECTED)
        {
            const bool select = (state->state & LVIS_SELECTED) != 0;
            const int row = static_cast<int>(wParam);
            if (row == -1)
            {
                for (std::uint32_t slot = m_rows.FirstSlot(); slot != FilterRows::kNone;
                     slot = m_rows.NextSlot(slot))
                    m_rows.At(slot).selected = select ? 1 : 0;
                m_nSelectedRecords = select ? m_rows.StoreCount() : 0;
                Invalidate(FALSE);
            }
            else if (const std::uint32_t slot = SlotOfRow(row); slot != FilterRows::kNone)
            {
                FilterRows::Record& record = m_rows.At(slot);
                if (record.selected != (select ? 1u : 0u))
                {
                    record.selected = select ? 1 : 0;
                    m_nSelectedRecords += select ? 1 : static_cast<std::size_t>(-1);
                }
                RedrawItems(row, row);
            }
        }
    }
    return CCommonListCtrl::OnWndMsg(message, wParam, lParam, result);
}

BOOL CFilterListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header && hdr->hwndFrom == header->m_hWnd)
    {
        if (hdr->code == static_cast<UINT>(HDN_FILTERCHANGE))
        {
            const auto* notify = reinterpret_cast<const NMHEADER*>(lParam);
            OnFilterChange(notify->iItem);
            ForwardHeaderNotify(hdr, notify, sizeof(NMHEADER));
            *result = 0;
            return TRUE;
        }
        if (hdr->code == static_cast<UINT>(HDN_FILTERBTNCLICK))
        {
            const auto* notify = reinterpret_cast<const NMHDFILTERBTNCLICK*>(lParam);
            const int item = notify->iItem;
            ForwardHeaderNotify(hdr, notify, sizeof(NMHDFILTERBTNCLICK));
            OnFilterButton(item);
            *result = 0;
            return TRUE;
        }
    }
    return CCommonListCtrl::OnNotify(wParam, lParam, result);
}

BOOL CFilterListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_NOTIFY || !m_bDataMode)
        return CCommonListCtrl::OnChildNotify(message, wParam, lParam, result);
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    const UINT code = hdr->code;
    if (code == static_cast<UINT>(LVN_GETDISPINFO))
    {
        LVITEM& item = reinterpret_cast<NMLVDISPINFO*>(lParam)->item;
        const std::uint32_t slot = SlotOfRow(item.iItem);
        if (slot != FilterRows::kNone)
        {
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
                GetItemText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
            if (item.mask & LVIF_IMAGE)
                item.iImage = 0;
            if (item.mask & LVIF_STATE)
            {
                const FilterRows::Record& record = m_rows.At(slot);
                UINT state = 0;
                if (item.stateMask & LVIS_STATEIMAGEMASK)
                    state |= INDEXTOSTATEIMAGEMASK(record.check ? 2 : 1);
                if ((item.stateMask & LVIS_SELECTED) && record.selected)
                    state |= LVIS_SELECTED;
                item.state = (item.state & ~item.stateMask) | state;
            }
        }
        *result = 0;
        return TRUE;
    }
    if (code == static_cast<UINT>(LVN_KEYDOWN) &&
        reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_SPACE &&
        !(::GetKeyState(VK_CONTROL) & 0x8000) && m_nSpaceSerial != m_nKeySerial)
    {
        m_nSpaceSerial = m_nKeySerial; // once per key, however many times its notice comes back
        ToggleFocusedCheck();
        return FALSE; // the owner hears of the key too
    }
    if (code == static_cast<UINT>(NM_CLICK))
    {
        const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
        LVHITTESTINFO hit{};
        hit.pt = click->ptAction;
        const int row = CListCtrl::HitTest(&hit);
        if (row >= 0 && (hit.flags & LVHT_ONITEM))
        {
            if ((hit.flags & LVHT_ONITEMSTATEICON) && m_nToggledSerial != m_nClickSerial)
            {
                m_nToggledSerial = m_nClickSerial;
                const std::uint32_t slot = SlotOfRow(row);
                if (slot != FilterRows::kNone)
                    SetCheck(row, m_rows.At(slot).check ? FALSE : TRUE);
            }
            if (SelectionInRecords() && !(::GetKeyState(VK_CONTROL) & 0x8000))
                SelectOnlyRow(row);
            SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        }
        return FALSE; // the owner hears of the click too
    }
    if (code == static_cast<UINT>(LVN_ITEMCHANGED) && SelectionInRecords())
    {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        // Every row lost the selection (a click below the rows).
        if ((change->uChanged & LVIF_STATE) && change->iItem == -1 && (change->uOldState & LVIS_SELECTED) &&
            !(change->uNewState & LVIS_SELECTED))
        {
            ClearRecordSelection();
            return FALSE;
        }
        // The focus moved by mouse or keys: the selection kept on the records follows it.
        if ((change->uChanged & LVIF_STATE) && change->iItem >= 0 && (change->uNewState & LVIS_FOCUSED) &&
            !(change->uOldState & LVIS_FOCUSED) && !(::GetKeyState(VK_CONTROL) & 0x8000) && !m_bKeepingPlace)
            SelectOnlyRow(change->iItem);
        return FALSE;
    }
    return CCommonListCtrl::OnChildNotify(message, wParam, lParam, result);
}

// Space ticks or clears the focused row, as a click on its check box does; the other selected
// rows take the same state, so that a checker can tick a run of rows selected with Shift.
void CFilterListCtrl::ToggleFocusedCheck()
{
    if (!(GetExtendedStyle() & LVS_EX_CHECKBOXES))
        return;
    const int focused = CListCtrl::GetNextItem(-1, LVNI_FOCUSED);
    const std::uint32_t slot = SlotOfRow(focused);
    if (slot == FilterRows::kNone)
        return;
    const BOOL check = m_rows.At(slot).check ? FALSE : TRUE;
    const bool selected = (GetItemState(focused, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    for (int row = selected ? GetNextItem(-1, LVNI_SELECTED) : -1; row >= 0;
         row = GetNextItem(row, LVNI_SELECTED))
    {
        if (row != focused)
            SetCheck(row, check);
    }
    SetCheck(focused, check);
}

BOOL CFilterListCtrl::PreTranslateMessage(MSG* msg)
{
    if (m_bDataMode && msg->message == WM_KEYDOWN)
    {
        const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (msg->wParam == VK_TAB && TabInFilterRow(shift))
            return TRUE;
        if (msg->wParam == 'F' && ctrl)
        {
            CCommonListCtrl::PreTranslateMessage(msg);
            ToggleFilterBar();
            // Shown, the row's first field has the focus; hidden, nothing in the header may keep it.
            CHeaderCtrl* header = GetHeaderCtrl();
            const HWND focus = ::GetFocus();
            if (!m_bFilterBarShown || !header || !focus ||
                (focus != header->m_hWnd && !::IsChild(header->m_hWnd, focus)))
                SetFocus();
            return TRUE;
        }
    }
    return CCommonListCtrl::PreTranslateMessage(msg);
}

BOOL CFilterListCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case ID_FILTER_RESET:
        ResetFilters();
        return TRUE;
    case ID_FILTER_MATCH_EXACTLY:
        ToggleMatchExactly();
        return TRUE;
    case ID_FILTER_ADD_USER_COLUMN:
        OnUserDefinedColumns(TRUE);
        return TRUE;
    case ID_FILTER_DELETE_USER_COLUMN:
        OnUserDefinedColumns(FALSE);
        return TRUE;
    default:
        return CCommonListCtrl::OnCommand(wParam, lParam);
    }
}

// ---- Sorting ------------------------------------------------------------------------------------

void CFilterListCtrl::SortByHeaderClick(int item)
{
    if (!m_bDataMode)
    {
        CCommonListCtrl::SortByHeaderClick(item);
        return;
    }
    const int previous = m_nPrevSortColumn;
    m_nSortColumn = item;
    m_nSortDirection = (m_nSortColumn != m_nPrevSortColumn) ? -1 : -m_nSortDirection;
    CHeaderCtrl* header = GetHeaderCtrl();
    if (header && previous >= 0 && previous < header->GetItemCount())
    {
        const int column = GetColumnOfItem(previous);
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT;
        hdi.fmt = HDF_STRING |
                  ((column >= 0) ? m_arrColumns[static_cast<std::size_t>(column)].m_nFormat & HDF_JUSTIFYMASK
                                 : HDF_LEFT);
        header->SetItem(previous, &hdi);
    }
    SetHeaderSortImage(item, m_nSortDirection == 1 ? 1 : 0);
    m_nSortColumnIndex = GetColumnOfItem(item);
    m_nSortDataType = (m_nSortColumnIndex >= 0)
                          ? m_arrColumns[static_cast<std::size_t>(m_nSortColumnIndex)].m_nDataType
                          : 0;
    m_nPrevSortColumn = m_nSortColumn;
    if (!HasDescriptor() || m_nSortColumnIndex < 0)
    {
        ShowSortArrow();
        return;
    }

    m_bUserColumnErrorShown = false;
    const int column = m_nSortColumnIndex;
    SortRule rule;
    rule.kind = SortKindOf(m_nSortDataType);
    rule.direction = m_nSortDirection;
    rule.missingDecimal = 0;
    // Rows read in store order: the owner's records most likely lie in memory in the order they
    // came, and a sorted list visits them in any order at all. Each read knows its display row.
    const std::uint32_t count = m_rows.VisibleCount();
    std::vector<std::uint32_t> readOrder = work_buffers::Take<std::uint32_t>(count);
    std::vector<std::uint32_t> slotsRead = work_buffers::Take<std::uint32_t>(count);
    std::uint32_t reads = 0;
    m_rows.ForEachVisibleInStoreOrder(
        [&](std::uint32_t slot, std::uint32_t position)
        {
            readOrder[reads] = position;
            slotsRead[reads++] = slot;
        });
    SortKeys keys(count, rule, &readOrder);
    std::string text;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        if (i + FilterRows::kPrefetchAhead < count)
            __builtin_prefetch(
                reinterpret_cast<const void*>(m_rows.At(slotsRead[i + FilterRows::kPrefetchAhead]).item));
        if (!GetCellText(static_cast<DWORD_PTR>(m_rows.At(slotsRead[i]).item), column, text))
            text.clear();
        keys.Add(text);
    }
    std::vector<std::uint32_t> order = keys.Order();
    std::vector<std::uint32_t> visible = m_rows.VisibleSlots();
    std::vector<std::uint32_t> sorted = work_buffers::Take<std::uint32_t>(count);
    for (std::size_t i = 0; i < order.size(); ++i)
        sorted[m_bNewestFirst ? order.size() - 1 - i : i] = visible[order[i]];
    for (std::vector<std::uint32_t>* done : {&readOrder, &slotsRead, &order, &visible})
        work_buffers::Keep(*done);
    m_rows.SetVisible(std::move(sorted));
    m_nSortedColumn = column;
    ShowSortArrow();
    m_nInsertedSlot = FilterRows::kNone;
    SetNewRowsAbove(0); // the rows above the view are others now
    Invalidate(FALSE);
}
