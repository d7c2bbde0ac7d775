#include "grid/FilterListCtrl.h"

#include "grid/FilterPattern.h"
#include "grid/SortKeys.h"
#include "grid/UserColumnFormula.h"
#include "grid/UserDefinedColDlg.h"
#include "grid/WorkBuffers.h"
#include "winlib/ImageList.h"
#include "winlib/Menu.h"
#include "winlib/Modules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CFilterListCtrl, CCommonListCtrl)

namespace
{

constexpr int kCellInset = 3;
constexpr int kIconCellWidth = 30;
constexpr int kFilterChangeTimeout = 500;
constexpr int kTabScrollStep = 50;
constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);
constexpr COLORREF kNoColor2 = static_cast<COLORREF>(-2);

bool IsUnset(COLORREF color)
{
    return color == kNoColor || color == kNoColor2;
}

using PFN_GradientFill = BOOL (*)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG);
using PFN_SetWindowTheme = HRESULT (*)(HWND, const wchar_t*, const wchar_t*);

// GradientFill comes from msimg32, looked up when first needed; without it rows are solid.
PFN_GradientFill GradientFillFunction()
{
    HMODULE module = ::LoadLibrary("msimg32.dll");
    return module ? reinterpret_cast<PFN_GradientFill>(::GetProcAddress(module, "GradientFill")) : nullptr;
}

COLOR16 Channel(BYTE value)
{
    return static_cast<COLOR16>(value << 8);
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

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

void CFilterListCtrl::EnableFilter(BOOL on)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (on)
    {
        m_bDataMode = TRUE;
        m_bFilterBarShown = TRUE;
        if (header)
        {
            header->ModifyStyle(0, HDS_FILTERBAR);
            header->SetFilterChangeTimeout(kFilterChangeTimeout);
        }
        CListCtrl::DeleteAllItems();
        // Finding the row shown, this hides it again: data mode starts without it (Ctrl+F).
        ToggleFilterBar();
        m_appearance.m_bColumnText = true;
        if (header)
        {
            // The classic, unthemed header, so that the colour header's tints show.
            if (HMODULE theme = ::LoadLibrary("UxTheme.dll"))
            {
                if (auto setTheme =
                        reinterpret_cast<PFN_SetWindowTheme>(::GetProcAddress(theme, "SetWindowTheme")))
                    setTheme(header->m_hWnd, L" ", L" ");
            }
        }
    }
    else
    {
        m_bFilterBarShown = FALSE;
        if (header)
        {
            header->ClearAllFilters();
            header->ModifyStyle(HDS_FILTERBAR, 0);
        }
        if (m_rows.StoreCount() > 0)
        {
            ApplyFilter();
            FreeRecords();
        }
        m_bDataMode = FALSE;
        m_appearance.m_bColumnText = false;
        CListCtrl::SetItemCountEx(0, LVSICF_NOINVALIDATEALL);
    }
    SetRedraw(TRUE);
    Invalidate();
}

void CFilterListCtrl::ToggleFilterBar()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return;
    if (m_bFilterBarShown)
    {
        header->ModifyStyle(HDS_FILTERBAR, 0);
        m_bFilterBarShown = FALSE;
    }
    else
    {
        header->ModifyStyle(0, HDS_FILTERBAR);
        header->SetFilterChangeTimeout(kFilterChangeTimeout);
        m_bFilterBarShown = TRUE;
        if (header->GetItemCount() > 0)
            header->EditFilter(header->OrderToIndex(0), FALSE);
    }
    // A width change of column 0 and a frame change make the header and the rows lay out again.
    if (header->GetItemCount() > 0)
    {
        const int width = GetColumnWidth(0);
        SetColumnWidth(0, width + 1);
        SetColumnWidth(0, width);
    }
    SetWindowPos(nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    header->Invalidate();
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

const std::vector<FilterPattern>& CFilterListCtrl::Patterns() const
{
    // Compiled once for as long as the filter texts and the matching rule stay as they are.
    if (m_patternTexts != m_arrFilterTexts || m_bPatternsExact != (m_bMatchExactly != FALSE))
    {
        m_patterns.clear();
        for (const std::string& text : m_arrFilterTexts)
            m_patterns.emplace_back(text, m_bMatchExactly != FALSE);
        m_patternTexts = m_arrFilterTexts;
        m_bPatternsExact = m_bMatchExactly != FALSE;
    }
    return m_patterns;
}

bool CFilterListCtrl::Passes(std::uint32_t slot) const
{
    return PassesItem(static_cast<DWORD_PTR>(m_rows.At(slot).item), Patterns(), nullptr);
}

bool CFilterListCtrl::PassesItem(DWORD_PTR item, const std::vector<FilterPattern>& patterns,
                                 CWnd* target) const
{
    if (!item)
        return false;
    std::string& text = m_strCellScratch;
    COLORREF textColor = kNoColor;
    COLORREF bkColor = kNoColor;
    int image = -1;
    for (std::size_t f = 0; f < m_arrFilterColumns.size() && f < patterns.size(); ++f)
    {
        if (patterns[f].MatchesEverything())
            continue;
        if (!ReadCell(target, item, m_arrFilterColumns[f], text, textColor, bkColor, image))
            text.clear();
        if (!patterns[f].Matches(text))
            return false;
    }
    return true;
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

BOOL CFilterListCtrl::ComputeUserColumn(DWORD_PTR item, int column, std::string& text) const
{
    text.clear();
    if (column < m_nBaseColumnCount || static_cast<std::size_t>(column) >= m_arrColumns.size())
        return FALSE;
    // A column that names itself, directly or through others, has no value.
    if (m_nUserColumnDepth > static_cast<int>(m_arrColumns.size()))
        return FALSE;
    ++m_nUserColumnDepth;
    const UserCellResult result = ComputeUserCell(
        m_arrColumns[static_cast<std::size_t>(column)].m_strExpression,
        [&](int other, std::string& cell)
        {
            if (other < 0 || static_cast<std::size_t>(other) >= m_arrColumns.size())
                return false;
            return GetCellText(item, other, cell) != FALSE;
        },
        text);
    --m_nUserColumnDepth;
    if (result == UserCellResult::InvalidExpression)
    {
        // Once per filtering, sort or paint: a bad cell on every row must not mean a message per row.
        if (!m_bUserColumnErrorShown)
        {
            m_bUserColumnErrorShown = true;
            AfxMessageBox("Invalid Expression,while calculating value");
        }
        return TRUE;
    }
    return result != UserCellResult::NoValue;
}

// ---- Filtering ----------------------------------------------------------------------------------

BOOL CFilterListCtrl::MatchFilter(const std::string& cell, const std::string& filter, BOOL exact)
{
    return FilterPattern(filter, exact != FALSE).Matches(cell) ? TRUE : FALSE;
}

BOOL CFilterListCtrl::MatchFilter(const std::string& cell, const std::string& filter) const
{
    return MatchFilter(cell, filter, m_bMatchExactly);
}

void CFilterListCtrl::ApplyFilter()
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!HasDescriptor() || !m_bDataMode || !header || header->GetItemCount() == 0)
        return;
    SetRedraw(FALSE);
    if (m_arrFilterColumns.size() != m_arrFilterTexts.size())
    {
        AfxMessageBox("Error occured while filtering");
        SetRedraw(TRUE);
        return;
    }
    m_bUserColumnErrorShown = false;
    m_nInsertedSlot = FilterRows::kNone;
    // A new filter makes new rows: held ones show with the rest, and nothing is new above them.
    if (m_nHeldRows > 0)
    {
        for (std::uint32_t slot = m_rows.FirstSlot(); slot != FilterRows::kNone; slot = m_rows.NextSlot(slot))
            m_rows.At(slot).held = 0;
        m_nHeldRows = 0;
    }
    m_nNewRowsAbove = 0;
    const std::vector<FilterPattern>& patterns = Patterns();
    CWnd* target = NotifyTarget();
    m_rows.Refilter([&](std::uint64_t item)
                    { return PassesItem(static_cast<DWORD_PTR>(item), patterns, target); });
    // The rows are in the order they came again: no arrow, and the next click sorts ascending.
    m_nPrevSortColumn = -1;
    m_nSortedColumn = -1;
    ShowSortArrow();
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    SetRedraw(TRUE);
    Invalidate();
    UpdateUnseenRows();
}

void CFilterListCtrl::SetColumnFilter(int column, const std::string& text)
{
    const auto it = std::find(m_arrFilterColumns.begin(), m_arrFilterColumns.end(), column);
    if (it != m_arrFilterColumns.end())
    {
        const auto at = static_cast<std::size_t>(it - m_arrFilterColumns.begin());
        if (text.empty())
        {
            m_arrFilterColumns.erase(it);
            if (at < m_arrFilterTexts.size())
                m_arrFilterTexts.erase(m_arrFilterTexts.begin() + static_cast<std::ptrdiff_t>(at));
        }
        else if (at < m_arrFilterTexts.size())
            m_arrFilterTexts[at] = text;
    }
    else if (!text.empty())
    {
        m_arrFilterColumns.push_back(column);
        m_arrFilterTexts.push_back(text);
    }
    if (m_header.m_hWnd)
        m_header.Invalidate();
}

void CFilterListCtrl::SetFilterText(int position, const std::string& text)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header || position < 0 || position >= header->GetItemCount())
        return;
    SetHeaderFilterText(*header, header->OrderToIndex(position), text);
}

void CFilterListCtrl::ResetFilters()
{
    m_arrFilterColumns.clear();
    m_arrFilterTexts.clear();
    if (CHeaderCtrl* header = GetHeaderCtrl())
        header->ClearAllFilters();
    SetFilterText(0, "");
}

void CFilterListCtrl::SetPickedFilter(int position, const std::string& text)
{
    SetFilterText(position, text);
}

std::string CFilterListCtrl::HeaderFilterText(int item) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header)
        return {};
    return GetHeaderFilterText(*header, item);
}

void CFilterListCtrl::OnFilterChange(int item)
{
    if (!m_bAutoFilter)
        return;
    if (item < 0)
    {
        // Every filter of the header was cleared at once.
        m_arrFilterColumns.clear();
        m_arrFilterTexts.clear();
        if (m_header.m_hWnd)
            m_header.Invalidate();
        return;
    }
    const int column = GetColumnOfItem(item);
    if (column >= 0)
        SetColumnFilter(column, HeaderFilterText(item));
}

void CFilterListCtrl::OnFilterButton(int item)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const int column = GetColumnOfItem(item);
    if (!header || column < 0)
        return;
    int position = item;
    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count > 0 && header->GetOrderArray(order.data(), count))
        position = static_cast<int>(std::find(order.begin(), order.end(), item) - order.begin());
    CPoint cursor;
    ::GetCursorPos(&cursor);
    CFilterText::ForFilterLists().Open(
        this, this, position,
        [this, column](const auto& add)
        {
            if (!m_bDataMode)
            {
                for (int row = 0; row < CListCtrl::GetItemCount(); ++row)
                    add(CCommonListCtrl::GetItemText(row, GetItemOfColumn(column)));
                return;
            }
            std::string text;
            for (std::uint32_t position = 0; position < m_rows.VisibleCount(); ++position)
            {
                if (GetCellText(static_cast<DWORD_PTR>(m_rows.At(m_rows.SlotAtPosition(position)).item),
                                column, text))
                    add(text);
            }
        },
        cursor);
}

void CFilterListCtrl::ForwardHeaderNotify(const NMHDR* hdr, const void* data, std::size_t size)
{
    CWnd* target = NotifyTarget();
    if (!target)
        return;
    // The owner hears of it as coming from the list, under the list's identifier.
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                    static_cast<const unsigned char*>(data) + size);
    auto* forwarded = reinterpret_cast<NMHDR*>(copy.data());
    forwarded->hwndFrom = m_hWnd;
    forwarded->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    forwarded->code = hdr->code;
    target->SendMessage(WM_NOTIFY, forwarded->idFrom, reinterpret_cast<LPARAM>(forwarded));
}

void CFilterListCtrl::ToggleMatchExactly()
{
    m_bMatchExactly = m_bMatchExactly ? FALSE : TRUE;
    CHeaderCtrl* header = GetHeaderCtrl();
    // Writing a filter into the header again makes the owner filter with the new rule.
    if (!m_arrFilterColumns.empty() && !m_arrFilterTexts.empty())
        SetFilterText(GetPositionOfColumn(m_arrFilterColumns.front()), m_arrFilterTexts.front());
    else if (header && header->GetItemCount() > 0)
        SetFilterText(0, "");
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

bool CFilterListCtrl::TabInFilterRow(bool backwards)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    const HWND focus = ::GetFocus();
    if (!header || !focus || ::GetParent(focus) != header->m_hWnd)
        return false;
    const int count = header->GetItemCount();
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count == 0 || !header->GetOrderArray(order.data(), count))
        return false;
    // The editor lies over the item whose filter it edits.
    CRect edit;
    ::GetWindowRect(focus, &edit);
    header->ScreenToClient(&edit);
    int current = -1;
    for (int p = 0; p < count; ++p)
    {
        CRect rect;
        header->GetItemRect(order[static_cast<std::size_t>(p)], &rect);
        if (edit.CenterPoint().x >= rect.left && edit.CenterPoint().x < rect.right)
            current = p;
    }
    int next = 0;
    if (backwards)
        next = current <= 0 ? count - 1 : current - 1;
    else
        next = (current < 0 || current + 1 >= count) ? 0 : current + 1;
    const int item = order[static_cast<std::size_t>(next)];
    CRect rect;
    header->GetItemRect(item, &rect);
    header->MapWindowPoints(this, &rect);
    CRect client;
    GetClientRect(&client);
    if (rect.left < client.left || rect.right > client.right)
    {
        if (next == 0)
            Scroll(CSize(-GetScrollPos(SB_HORZ), 0));
        else
            Scroll(CSize(rect.right > client.right ? kTabScrollStep : -kTabScrollStep, 0));
    }
    header->EditFilter(item, FALSE);
    return true;
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

void CFilterListCtrl::OnUserDefinedColumns(BOOL addMode)
{
    OpenUserDefinedColumns(this, addMode);
}

void CFilterListCtrl::AddUserColumn(const sKivoColInfo& column)
{
    m_arrColumns.push_back(column);
    const int index = static_cast<int>(m_arrColumns.size()) - 1;
    int position = 0;
    for (const auto& [other, p] : m_mapPosition)
        position = std::max(position, p + 1);
    m_mapPosition[index] = position;
    m_mapWidth[index] = column.m_nWidth;
    CHeaderCtrl* header = GetHeaderCtrl();
    InsertColumnWithTip(header ? header->GetItemCount() : 0, column, column.m_nWidth);
    Invalidate();
}

void CFilterListCtrl::RemoveUserColumn(int column)
{
    if (column < 0 || static_cast<std::size_t>(column) >= m_arrColumns.size())
        return;
    const int position = GetPositionOfColumn(column);
    if (position >= 0)
    {
        DeleteColumnWithTip(GetItemOfColumn(column));
        for (auto& [other, p] : m_mapPosition)
        {
            if (p > position)
                --p;
        }
    }
    m_arrColumns.erase(m_arrColumns.begin() + column);
    // Everything kept by column index moves down past the removed one.
    const auto shiftKeys = [column](std::map<int, int>& map)
    {
        std::map<int, int> shifted;
        for (const auto& [key, value] : map)
        {
            if (key != column)
                shifted[key > column ? key - 1 : key] = value;
        }
        map.swap(shifted);
    };
    shiftKeys(m_mapPosition);
    shiftKeys(m_mapWidth);
    const auto shifted = [column](int index) { return index > column ? index - 1 : index; };
    for (std::size_t c = static_cast<std::size_t>(m_nBaseColumnCount); c < m_arrColumns.size(); ++c)
    {
        std::string expression;
        for (const FormulaPiece& piece : SplitFormula(m_arrColumns[c].m_strExpression))
            expression += piece.reference
                              ? "\"" + std::to_string(shifted(std::atoi(piece.text.c_str()))) + "\""
                              : piece.text;
        m_arrColumns[c].m_strExpression = expression;
    }
    for (std::size_t f = 0; f < m_arrFilterColumns.size();)
    {
        if (m_arrFilterColumns[f] == column)
        {
            m_arrFilterColumns.erase(m_arrFilterColumns.begin() + static_cast<std::ptrdiff_t>(f));
            if (f < m_arrFilterTexts.size())
                m_arrFilterTexts.erase(m_arrFilterTexts.begin() + static_cast<std::ptrdiff_t>(f));
            continue;
        }
        m_arrFilterColumns[f] = shifted(m_arrFilterColumns[f]);
        ++f;
    }
    if (m_nSortColumnIndex == column)
        m_nSortColumnIndex = -1;
    m_nSortColumnIndex = shifted(m_nSortColumnIndex);
    m_nSortedColumn = m_nSortedColumn == column ? -1 : shifted(m_nSortedColumn);
    if (m_appearance.m_nKeywordColumn == column)
        m_appearance.m_nKeywordColumn = -1;
    else if (m_appearance.m_nKeywordColumn > column)
        --m_appearance.m_nKeywordColumn;
    RebuildHeaderTools();
    Invalidate();
}

void CFilterListCtrl::ShowHeaderMenu(CPoint screen)
{
    CMenu menu;
    menu.CreatePopupMenu();
    AppendHeaderMenuItems(menu);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_FILTER_RESET, "Reset Filters");
    menu.AppendMenu(MF_STRING | (m_bMatchExactly ? MF_CHECKED : MF_UNCHECKED), ID_FILTER_MATCH_EXACTLY,
                    "Match Filter Exactly");
    menu.AppendMenu(MF_SEPARATOR);
    if (m_bDataMode)
    {
        menu.AppendMenu(MF_STRING, ID_FILTER_ADD_USER_COLUMN, "Add Custom Columns");
        menu.AppendMenu(MF_STRING, ID_FILTER_DELETE_USER_COLUMN, "Delete Custom Columns");
    }
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
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

// ---- Drawing ------------------------------------------------------------------------------------

void CFilterListCtrl::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    LOGFONT lf{};
    if (CFont* font = GetFont())
        font->GetLogFont(&lf);
    int height = std::abs(lf.lfHeight);
    if (height == 0)
    {
        CClientDC dc(this);
        TEXTMETRIC tm{};
        dc.GetTextMetrics(&tm);
        height = tm.tmHeight;
    }
    mis->itemHeight = static_cast<UINT>((height + 4) * std::max(1, m_nLinesPerRow));
}

void CFilterListCtrl::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!m_bDataMode || !HasDescriptor())
    {
        CCommonListCtrl::DrawItem(dis);
        return;
    }
    DrawRow(dis);
}

void CFilterListCtrl::FillRowBackground(CDC& dc, const CRect& rect, COLORREF from, COLORREF to,
                                        bool gradient) const
{
    static const PFN_GradientFill gradientFill = GradientFillFunction();
    if (!gradient || !gradientFill)
    {
        dc.FillSolidRect(&rect, from);
        return;
    }
    TRIVERTEX vertices[2] = {
        {rect.left, rect.top, Channel(GetRValue(from)), Channel(GetGValue(from)), Channel(GetBValue(from)),
         0},
        {rect.right, rect.bottom, Channel(GetRValue(to)), Channel(GetGValue(to)), Channel(GetBValue(to)), 0}};
    GRADIENT_RECT mesh{0, 1};
    gradientFill(dc.m_hDC, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H);
}

void CFilterListCtrl::DrawRow(LPDRAWITEMSTRUCT dis)
{
    const int row = static_cast<int>(dis->itemID);
    const std::uint32_t slot = SlotOfRow(row);
    CHeaderCtrl* header = GetHeaderCtrl();
    if (slot == FilterRows::kNone || !header)
        return;
    const FilterRows::Record& record = m_rows.At(slot);
    const DWORD_PTR item = static_cast<DWORD_PTR>(record.item);
    CDC* dc = CDC::FromHandle(dis->hDC);
    const int saved = dc->SaveDC();
    if (CFont* font = GetFont())
        dc->SelectObject(font);
    dc->SetBkMode(TRANSPARENT);
    const CRect rowRect(dis->rcItem);
    const bool focused = ::GetFocus() == m_hWnd;
    const bool selected = (dis->itemState & ODS_SELECTED) || (SelectionInRecords() && record.selected);
    const bool checkBoxes = (GetExtendedStyle() & LVS_EX_CHECKBOXES) || CListCtrl::GetImageList(LVSIL_STATE);
    CImageList* smallImages = CListCtrl::GetImageList(LVSIL_SMALL);
    const HIMAGELIST smallList =
        smallImages ? static_cast<HIMAGELIST>(*smallImages)
                    : reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));

    std::string text;
    COLORREF textColor = kNoColor;
    COLORREF bkColor = kNoColor;
    int image = -1;
    for (int column = 0; column < static_cast<int>(m_arrColumns.size()); ++column)
    {
        if (column != 0 && GetPositionOfColumn(column) < 0)
            continue;
        if (!GetCell(item, column, text, textColor, bkColor, image))
            break;
        if (column == 0)
        {
            COLORREF rowText = textColor;
            COLORREF rowBk = bkColor;
            if (m_bAppearanceColors && m_pfnRowColor)
                m_pfnRowColor(this, item, rowText, row, static_cast<UINT>(GetDlgCtrlID()));
            if (IsUnset(rowText))
                rowText = GetTextColor();
            if (IsUnset(rowBk))
                rowBk = GetBkColor();
            if (selected)
            {
                FillRowBackground(*dc, rowRect, focused ? kSelectionFocusFrom : kSelectionNoFocusFrom,
                                  focused ? kSelectionFocusTo : kSelectionNoFocusTo, true);
                rowText = RGB(255, 255, 255);
            }
            else
                FillRowBackground(*dc, rowRect, rowBk, RGB(255, 255, 255), m_bGradientRows != FALSE);
            dc->SetTextColor(rowText);
        }
        const int headerItem = GetItemOfColumn(column);
        if (headerItem < 0)
            continue;
        CRect cell;
        header->GetItemRect(headerItem, &cell);
        header->MapWindowPoints(this, &cell);
        cell.top = rowRect.top;
        cell.bottom = rowRect.bottom;
        if (headerItem == 0)
        {
            // The label cell carries the check box and the row's image, as the list view's does.
            if (checkBoxes)
            {
                CRect box(cell.left, cell.top, cell.left + 16, cell.bottom);
                CImageList* states = CListCtrl::GetImageList(LVSIL_STATE);
                if (states)
                    states->Draw(dc, record.check ? 1 : 0, CPoint(box.left, box.top), ILD_TRANSPARENT);
                else
                {
                    CRect mark(box.left + 2, box.CenterPoint().y - 6, box.left + 15, box.CenterPoint().y + 7);
                    dc->DrawFrameControl(&mark, DFC_BUTTON,
                                         DFCS_BUTTONCHECK | (record.check ? DFCS_CHECKED : 0));
                }
                cell.left = box.right;
            }
            if (smallList && image >= 0 && m_arrColumns[0].m_nFormat != LVCFMT_IMAGE)
            {
                int cx = 0;
                int cy = 0;
                ImageList_GetIconSize(smallList, &cx, &cy);
                ImageList_Draw(smallList, image, dc->m_hDC, cell.left, cell.top + (cell.Height() - cy) / 2,
                               ILD_TRANSPARENT);
                cell.left += cx;
            }
        }
        const int format = m_arrColumns[static_cast<std::size_t>(column)].m_nFormat;
        constexpr UINT kCellFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER;
        if (format == LVCFMT_IMAGE)
        {
            CRect icon(std::max(cell.left, cell.right - kIconCellWidth), cell.top, cell.right, cell.bottom);
            int cx = 0;
            int cy = 0;
            if (!smallList || image < 0 || image >= ImageList_GetImageCount(smallList) ||
                !ImageList_GetIconSize(smallList, &cx, &cy) ||
                !ImageList_Draw(smallList, image, dc->m_hDC, icon.left, icon.top + (icon.Height() - cy) / 2,
                                ILD_TRANSPARENT))
                dc->DrawText("Failed to draw icon", &cell, kCellFormat | DT_LEFT);
            continue;
        }
        if (format == LVCFMT_LEFT)
        {
            cell.left += kCellInset;
            dc->DrawText(text, &cell, kCellFormat | DT_LEFT);
        }
        else if (format == LVCFMT_RIGHT)
        {
            cell.right -= kCellInset;
            dc->DrawText(text, &cell, kCellFormat | DT_RIGHT);
        }
        else
            dc->DrawText(text, &cell, kCellFormat | DT_CENTER);
    }
    dc->RestoreDC(saved);
}

void CFilterListCtrl::KeywordRowColor(CCommonListCtrl* list, DWORD_PTR item, COLORREF& textColor, int, UINT)
{
    const auto* self = dynamic_cast<const CFilterListCtrl*>(list);
    if (!self)
        return;
    const sListAppearance& appearance = self->m_appearance;
    if (appearance.m_nKeywordColumn == -1 || !appearance.m_pKeywordColors || !appearance.m_pKeywords)
        return;
    std::string cell;
    if (!self->GetCellText(item, appearance.m_nKeywordColumn, cell))
        return;
    cell = Lowered(cell);
    const std::vector<std::string>& keywords = *appearance.m_pKeywords;
    const std::vector<COLORREF>& colors = *appearance.m_pKeywordColors;
    for (std::size_t i = 0; i < keywords.size() && i < colors.size(); ++i)
    {
        if (cell.find(Lowered(keywords[i])) != std::string::npos)
        {
            textColor = colors[i];
            return;
        }
    }
}
