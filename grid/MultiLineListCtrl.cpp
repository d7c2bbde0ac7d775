#include "grid/MultiLineListCtrl.h"

#include "grid/DateTimeCompare.h"
#include "grid/UserColumnFormula.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/Menu.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unordered_set>

IMPLEMENT_DYNAMIC(CMultiLineListCtrl, CCommonListCtrl)

namespace
{

constexpr int kFilterChangeTimeoutMs = 500;
constexpr const char* kNoDescriptorText = "no data descriptor initialised";
// Row lines read as displayed: indented under their title.
constexpr const char* kContinuationIndent = "   ";

template <typename T> int Sign(T a, T b)
{
    return (a < b) ? -1 : (b < a) ? 1 : 0;
}

// Two title texts in the sort column: direction times the comparison of b with a, under the
// column's data type; a type the grid does not sort by leaves every pair equal.
int CompareSectionTitles(const std::string& a, const std::string& b, int direction, int dataType)
{
    switch (dataType)
    {
    case 1:
    {
        const auto value = [](const std::string& t)
        { return std::clamp<long long>(std::strtoll(t.c_str(), nullptr, 10), INT_MIN, INT_MAX); };
        return direction * Sign(value(b), value(a));
    }
    case 2:
    case 5:
        return direction * Sign(std::strtod(b.c_str(), nullptr), std::strtod(a.c_str(), nullptr));
    case 3:
        return direction * Sign(std::strcmp(b.c_str(), a.c_str()), 0);
    case 4:
        return direction * Sign(std::strtoll(b.c_str(), nullptr, 10), std::strtoll(a.c_str(), nullptr, 10));
    case 6:
        return CompareDateTimeText(a, b, direction);
    default:
        return 0;
    }
}

} // namespace

CMultiLineListCtrl::CMultiLineListCtrl()
{
    m_penTree.CreatePen(PS_COSMETIC | PS_ALTERNATE, 1, m_clrGlyph);
}

CMultiLineListCtrl::~CMultiLineListCtrl() = default;

BOOL CMultiLineListCtrl::PreCreateWindow(CREATESTRUCT& cs)
{
    // The grid draws its lines itself and keeps no text in the list view.
    cs.style |= LVS_OWNERDRAWFIXED | LVS_OWNERDATA;
    return CCommonListCtrl::PreCreateWindow(cs);
}

void CMultiLineListCtrl::PreSubclassWindow()
{
    CCommonListCtrl::PreSubclassWindow();
}

// ---- Section mode -------------------------------------------------------------------------------

void CMultiLineListCtrl::EnableSectionMode(BOOL on)
{
    m_bSectionMode = on;
    CHeaderCtrl* header = GetHeaderCtrl();
    if (on)
    {
        if (header)
        {
            header->ModifyStyle(0, HDS_FILTERBAR);
            header->SetFilterChangeTimeout(kFilterChangeTimeoutMs);
        }
        CListCtrl::DeleteAllItems();
        m_arrLineMap.clear();
        m_nVisibleEntries = 0;
        m_nExtraLines = 0;
    }
    else
    {
        if (header)
        {
            m_bSuppressFilterNotify = TRUE;
            header->ClearAllFilters();
            m_bSuppressFilterNotify = FALSE;
            header->ModifyStyle(HDS_FILTERBAR, 0);
        }
        CListCtrl::DeleteAllItems();
        if (!m_arrEntries.empty())
        {
            ApplyFilter();
            m_arrEntries.clear();
        }
        m_arrLineMap.clear();
        m_nVisibleEntries = 0;
        m_nExtraLines = 0;
        m_arrFilterColumns.clear();
        m_arrFilterTexts.clear();
        m_bFilterApplied = FALSE;
    }
    ResetSelectionMarkers();
    if (m_hWnd)
        Invalidate();
}

int CMultiLineListCtrl::GetSectionCount() const
{
    return m_bSectionMode ? static_cast<int>(m_arrEntries.size()) : CListCtrl::GetItemCount();
}

std::size_t CMultiLineListCtrl::TitleSlotOf(const sMultiLineColInfo* entry) const
{
    for (std::size_t slot = 0; slot < m_arrLineMap.size(); ++slot)
    {
        if (m_arrLineMap[slot].m_pEntry == entry && m_arrLineMap[slot].m_nLine == 0)
            return slot;
    }
    return m_arrLineMap.size();
}

int CMultiLineListCtrl::InsertSectionItem(int index, LPCSTR text)
{
    if (!m_bSectionMode)
        return CListCtrl::InsertItem(index, text);
    if (!m_pfnDescriptor)
        return 0;
    auto entry = std::make_unique<sMultiLineColInfo>();
    sMultiLineColInfo* added = entry.get();
    const int count = static_cast<int>(m_arrEntries.size());
    int used = count;
    std::size_t slot = m_arrLineMap.size();
    if (index != 0 && index < count)
    {
        used = index;
        // The new title goes before the first shown section from 'index' on.
        for (int i = index; i < count && slot == m_arrLineMap.size(); ++i)
            slot = TitleSlotOf(m_arrEntries[static_cast<std::size_t>(i)].get());
    }
    m_arrEntries.insert(m_arrEntries.begin() + used, std::move(entry));
    m_arrLineMap.insert(m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(slot), sLineSlot{added, 0});
    ++m_nVisibleEntries;
    ShiftLineStates(static_cast<int>(slot), 1);
    return used;
}

BOOL CMultiLineListCtrl::SetSectionData(int index, void* section, int lineCount)
{
    if (!m_bSectionMode)
        return CListCtrl::SetItemData(index, reinterpret_cast<DWORD_PTR>(section));
    if (m_arrLineMap.empty())
        return FALSE;
    const int line = (index == 0 || index >= m_nVisibleEntries) ? GetLineCount() - 1 : index;
    int within = 0;
    sMultiLineColInfo* entry = ResolveLine(line, &within);
    if (!entry)
        return FALSE;
    return AttachSection(*entry, static_cast<std::size_t>(line - within), section, lineCount);
}

BOOL CMultiLineListCtrl::SetEntryData(int index, void* section, int lineCount)
{
    if (!m_bSectionMode || index < 0 || index >= static_cast<int>(m_arrEntries.size()))
        return FALSE;
    sMultiLineColInfo& entry = *m_arrEntries[static_cast<std::size_t>(index)];
    const std::size_t title = TitleSlotOf(&entry);
    if (title == m_arrLineMap.size())
    {
        // Filtered out already: it keeps its section and is tested again with the next filter.
        entry.m_pSection = section;
        entry.m_nLineCount = std::max(1, lineCount);
        return TRUE;
    }
    return AttachSection(entry, title, section, lineCount);
}

BOOL CMultiLineListCtrl::AttachSection(sMultiLineColInfo& entry, std::size_t title, void* section,
                                       int lineCount)
{
    entry.m_pSection = section;
    entry.m_nLineCount = std::max(1, lineCount);
    if (!PassesFilter(entry))
    {
        // A collapsed section leaves with its title; an expanded one with its row lines too.
        std::size_t end = title + 1;
        while (end < m_arrLineMap.size() && m_arrLineMap[end].m_nLine != 0)
            ++end;
        const int removed = static_cast<int>(end - title);
        m_arrLineMap.erase(m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(title),
                           m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(end));
        m_nExtraLines -= removed - 1;
        --m_nVisibleEntries;
        ShiftLineStates(static_cast<int>(title), -removed);
        SyncItemCount();
        return TRUE;
    }
    SyncItemCount();
    CRect rect;
    if (CListCtrl::GetItemRect(static_cast<int>(title), &rect, LVIR_BOUNDS))
        InvalidateRect(&rect, FALSE);
    return TRUE;
}

// ---- Lines --------------------------------------------------------------------------------------

sMultiLineColInfo* CMultiLineListCtrl::ResolveLine(int line, int* lineInSection) const
{
    if (line < 0 || line >= GetLineCount())
        return nullptr;
    const sLineSlot& slot = m_arrLineMap[static_cast<std::size_t>(line)];
    if (lineInSection)
        *lineInSection = slot.m_nLine;
    return slot.m_pEntry;
}

BOOL CMultiLineListCtrl::IsTitleLine(int line) const
{
    int within = -1;
    return ResolveLine(line, &within) && within == 0;
}

BOOL CMultiLineListCtrl::IsSectionExpanded(int titleLine) const
{
    if (!IsTitleLine(titleLine) || titleLine + 1 >= GetLineCount())
        return FALSE;
    return m_arrLineMap[static_cast<std::size_t>(titleLine + 1)].m_nLine != 0;
}

DWORD_PTR CMultiLineListCtrl::GetItemData(int line) const
{
    if (!m_bSectionMode)
        return CCommonListCtrl::GetItemData(line);
    const sMultiLineColInfo* entry = ResolveLine(line);
    return entry ? reinterpret_cast<DWORD_PTR>(entry->m_pSection) : 0;
}

int CMultiLineListCtrl::ColumnOfPosition(int position) const
{
    if (m_mapPosition.empty())
        return position;
    return GetColumnAtPosition(position);
}

int CMultiLineListCtrl::ColumnOfItem(int item) const
{
    if (m_mapPosition.empty())
        return item;
    return GetColumnOfItem(item);
}

BOOL CMultiLineListCtrl::GetCell(const sMultiLineColInfo& entry, int column, int line, std::string& text,
                                 COLORREF& textColor, COLORREF& bkColor, int& image) const
{
    text.clear();
    textColor = CLR_NONE;
    bkColor = CLR_NONE;
    image = -1;
    BOOL produced = FALSE;
    if (IsUserColumn(column))
        produced = LineText(entry, column, line, text);
    else if (m_pfnDescriptor && column >= 0)
        produced = m_pfnDescriptor(entry.m_pSection, column, text, textColor, bkColor, image, line);
    if (textColor == CLR_NONE)
        textColor = CListCtrl::GetTextColor();
    if (bkColor == CLR_NONE)
        bkColor = CListCtrl::GetBkColor();
    return produced;
}

bool CMultiLineListCtrl::IsUserColumn(int column) const
{
    return m_nBaseColumnCount > 0 && column >= m_nBaseColumnCount &&
           column < static_cast<int>(m_arrColumns.size());
}

std::string CMultiLineListCtrl::LineText(const sMultiLineColInfo& entry, int column, int line) const
{
    std::string text;
    LineText(entry, column, line, text);
    return text;
}

BOOL CMultiLineListCtrl::LineText(const sMultiLineColInfo& entry, int column, int line,
                                  std::string& text) const
{
    text.clear();
    if (IsUserColumn(column))
    {
        // Computed from the line's other cells; a column that names itself has no value.
        if (m_nUserColumnDepth > static_cast<int>(m_arrColumns.size()))
            return FALSE;
        ++m_nUserColumnDepth;
        const UserCellResult result = ComputeUserCell(
            m_arrColumns[static_cast<std::size_t>(column)].m_strExpression,
            [&](int other, std::string& cell) { return LineText(entry, other, line, cell) != FALSE; }, text);
        --m_nUserColumnDepth;
        return result == UserCellResult::Value;
    }
    // Only the text: the colours a descriptor gives are of no use here, and the grid's own
    // would cost a message each.
    COLORREF textColor = CLR_NONE;
    COLORREF bkColor = CLR_NONE;
    int image = -1;
    if (!m_pfnDescriptor || column < 0)
        return FALSE;
    return m_pfnDescriptor(entry.m_pSection, column, text, textColor, bkColor, image, line);
}

std::string CMultiLineListCtrl::GetItemText(int line, int column) const
{
    if (!m_bSectionMode)
        return CCommonListCtrl::GetItemText(line, column);
    int within = 0;
    const sMultiLineColInfo* entry = ResolveLine(line, &within);
    if (!entry)
        return {};
    if (!m_pfnDescriptor)
        return kNoDescriptorText;
    const std::string text = LineText(*entry, ColumnOfItem(column), within);
    return within == 0 ? text : kContinuationIndent + text;
}

int CMultiLineListCtrl::GetItemText(int line, int column, LPSTR buffer, int length) const
{
    if (!m_bSectionMode)
        return CCommonListCtrl::GetItemText(line, column, buffer, length);
    if (!buffer || length <= 0)
        return 0;
    const std::string text = GetItemText(line, column);
    const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

BOOL CMultiLineListCtrl::GetCheck(int line) const
{
    if (!m_bSectionMode)
        return CListCtrl::GetCheck(line);
    const sMultiLineColInfo* entry = ResolveLine(line);
    return entry ? entry->m_nCheck : FALSE;
}

BOOL CMultiLineListCtrl::SetCheck(int line, BOOL check)
{
    if (!m_bSectionMode)
        return CListCtrl::SetCheck(line, check);
    sMultiLineColInfo* entry = ResolveLine(line);
    if (!entry)
        return FALSE;
    entry->m_nCheck = check ? 1 : 0;
    Invalidate(FALSE);
    return TRUE;
}

// ---- Expanding and collapsing -------------------------------------------------------------------

int CMultiLineListCtrl::ExpandAt(int titleLine)
{
    sMultiLineColInfo* entry = m_arrLineMap[static_cast<std::size_t>(titleLine)].m_pEntry;
    const int added = entry->m_nLineCount - 1;
    if (added <= 0)
        return 0;
    std::vector<sLineSlot> rows(static_cast<std::size_t>(added));
    for (int k = 1; k <= added; ++k)
        rows[static_cast<std::size_t>(k - 1)] = sLineSlot{entry, k};
    m_arrLineMap.insert(m_arrLineMap.begin() + titleLine + 1, rows.begin(), rows.end());
    m_nExtraLines += added;
    return added;
}

int CMultiLineListCtrl::CollapseAt(int titleLine)
{
    const std::size_t first = static_cast<std::size_t>(titleLine) + 1;
    std::size_t end = first;
    while (end < m_arrLineMap.size() && m_arrLineMap[end].m_nLine != 0)
        ++end;
    m_arrLineMap.erase(m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(first),
                       m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(end));
    const int removed = static_cast<int>(end - first);
    m_nExtraLines -= removed;
    return removed;
}

void CMultiLineListCtrl::ToggleSection(int line)
{
    if (!m_bSectionMode)
        return;
    m_bToggling = TRUE;
    if (IsTitleLine(line))
    {
        if (IsSectionExpanded(line))
            ShiftLineStates(line + 1, -CollapseAt(line));
        else
            ShiftLineStates(line + 1, ExpandAt(line));
    }
    SyncItemCount();
    m_bToggling = FALSE;
    Invalidate();
}

void CMultiLineListCtrl::ExpandAllSections()
{
    if (!m_bSectionMode || m_bExpandAllDone)
        return;
    m_bExpandAllDone = TRUE;
    // One pass over the map: each section flips, as a walk toggling every title would leave it.
    std::vector<sLineSlot> lines;
    lines.reserve(m_arrLineMap.size());
    int extra = 0;
    for (std::size_t slot = 0; slot < m_arrLineMap.size();)
    {
        sMultiLineColInfo* entry = m_arrLineMap[slot].m_pEntry;
        std::size_t end = slot + 1;
        while (end < m_arrLineMap.size() && m_arrLineMap[end].m_nLine != 0)
            ++end;
        lines.push_back(sLineSlot{entry, 0});
        if (end == slot + 1)
        {
            for (int k = 1; k < entry->m_nLineCount; ++k)
                lines.push_back(sLineSlot{entry, k});
            extra += std::max(0, entry->m_nLineCount - 1);
        }
        slot = end;
    }
    m_arrLineMap = std::move(lines);
    m_nExtraLines = extra;
    ResetSelectionMarkers();
    CListCtrl::SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SyncItemCount();
    Invalidate();
}

// ---- Removing -----------------------------------------------------------------------------------

BOOL CMultiLineListCtrl::DeleteItem(int line)
{
    if (!m_bSectionMode)
        return CListCtrl::DeleteItem(line);
    const sMultiLineColInfo* entry = ResolveLine(line);
    if (!entry)
        return FALSE;
    for (std::size_t i = 0; i < m_arrEntries.size(); ++i)
    {
        if (m_arrEntries[i].get() == entry)
            return DeleteEntry(static_cast<int>(i));
    }
    return FALSE;
}

BOOL CMultiLineListCtrl::DeleteEntry(int index)
{
    if (!m_bSectionMode || index < 0 || index >= static_cast<int>(m_arrEntries.size()))
        return FALSE;
    const sMultiLineColInfo* entry = m_arrEntries[static_cast<std::size_t>(index)].get();
    const std::size_t title = TitleSlotOf(entry);
    if (title < m_arrLineMap.size())
    {
        std::size_t end = title + 1;
        while (end < m_arrLineMap.size() && m_arrLineMap[end].m_nLine != 0)
            ++end;
        const int removed = static_cast<int>(end - title);
        m_arrLineMap.erase(m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(title),
                           m_arrLineMap.begin() + static_cast<std::ptrdiff_t>(end));
        m_nExtraLines -= removed - 1;
        --m_nVisibleEntries;
        ShiftLineStates(static_cast<int>(title), -removed);
    }
    m_arrEntries.erase(m_arrEntries.begin() + index);
    ResetSelectionMarkers();
    SyncItemCount();
    Invalidate();
    return TRUE;
}

BOOL CMultiLineListCtrl::DeleteAllItems()
{
    if (!m_bSectionMode)
        return CListCtrl::DeleteAllItems();
    m_nVisibleEntries = 0;
    m_nExtraLines = 0;
    m_arrEntries.clear();
    m_arrLineMap.clear();
    ResetSelectionMarkers();
    // The next sections come in their own order: no column orders them.
    m_nSortColumnIndex = -1;
    m_nPrevSortColumn = -1;
    ShowSortArrow();
    // An emptied grid starts a new view, which opens expanded when its last reply is in, as the
    // first one did.
    m_bExpandAllDone = FALSE;
    const BOOL done = CListCtrl::DeleteAllItems();
    Invalidate();
    return done;
}

// ---- The list view's items ----------------------------------------------------------------------

void CMultiLineListCtrl::SyncItemCount()
{
    if (!m_hWnd)
        return;
    const int count = GetLineCount();
    if (GetStyle() & LVS_OWNERDATA)
    {
        CListCtrl::SetItemCountEx(count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        return;
    }
    // A list view that keeps items: blank ones, as many as there are lines (the grid draws them).
    while (CListCtrl::GetItemCount() < count)
        CListCtrl::InsertItem(CListCtrl::GetItemCount(), "");
    while (CListCtrl::GetItemCount() > count)
        CListCtrl::DeleteItem(CListCtrl::GetItemCount() - 1);
}

void CMultiLineListCtrl::ShiftLineStates(int at, int delta)
{
    if (!m_hWnd || delta == 0)
        return;
    // Read before the item count changes: lines that move keep their selection and focus.
    std::vector<int> selected;
    for (int line = CListCtrl::GetNextItem(-1, LVNI_SELECTED); line >= 0;
         line = CListCtrl::GetNextItem(line, LVNI_SELECTED))
        selected.push_back(line);
    const int focus = CListCtrl::GetNextItem(-1, LVNI_FOCUSED);
    const int mark = CListCtrl::GetSelectionMark();
    const bool moves = std::any_of(selected.begin(), selected.end(), [at](int line) { return line >= at; }) ||
                       focus >= at || mark >= at;
    if (!moves)
        return;
    // 'delta' < 0: the lines [at, at - delta) are gone.
    const auto moved = [at, delta](int line)
    {
        if (line < at)
            return line;
        if (delta < 0 && line < at - delta)
            return -1;
        return line + delta;
    };
    SyncItemCount();
    CListCtrl::SetItemState(-1, 0, LVIS_SELECTED);
    for (int line : selected)
    {
        if (const int to = moved(line); to >= 0)
            CListCtrl::SetItemState(to, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (focus >= 0)
    {
        const int to = moved(focus);
        if (to >= 0)
            CListCtrl::SetItemState(to, LVIS_FOCUSED, LVIS_FOCUSED);
        else
            CListCtrl::SetItemState(focus, 0, LVIS_FOCUSED);
    }
    CListCtrl::SetSelectionMark(mark >= 0 ? moved(mark) : -1);
}

void CMultiLineListCtrl::ResetSelectionMarkers()
{
    m_nSelectedLine = -1;
    m_nPrevSelectedLine = -1;
}

// ---- Rows ---------------------------------------------------------------------------------------

void CMultiLineListCtrl::SetLinesPerRow(int lines)
{
    m_nLinesPerRow = lines < 2 ? 1 : lines;
    if (m_hWnd)
    {
        CRect rect;
        GetWindowRect(&rect);
        WINDOWPOS pos{m_hWnd, nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER};
        SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
}

void CMultiLineListCtrl::MeasureItem(LPMEASUREITEMSTRUCT mis)
{
    CClientDC dc(this);
    CFont* font = GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    if (old)
        dc.SelectObject(old);
    m_nRowHeight = (tm.tmHeight + 4) * m_nLinesPerRow;
    mis->itemHeight = static_cast<UINT>(m_nRowHeight);
}

// ---- Notifications ------------------------------------------------------------------------------

BOOL CMultiLineListCtrl::OnItemActivate(const NMITEMACTIVATE& activate)
{
    if (IsTitleLine(activate.iItem) && !m_bActivationGuard)
    {
        ToggleSection(activate.iItem);
        m_bActivationGuard = TRUE;
    }
    return TRUE;
}

BOOL CMultiLineListCtrl::OnClick(const NMITEMACTIVATE& click)
{
    if (click.iItem < 0 || !ResolveLine(click.iItem))
        return FALSE;
    LVHITTESTINFO hit{};
    hit.pt = click.ptAction;
    CListCtrl::HitTest(&hit);
    if (hit.flags & LVHT_ONITEMSTATEICON)
        SetCheck(click.iItem, !GetCheck(click.iItem));
    CListCtrl::SetItemState(click.iItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
}

BOOL CMultiLineListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_NOTIFY && m_bSectionMode)
    {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        switch (hdr->code)
        {
        case LVN_ITEMACTIVATE:
            *result = 0;
            return OnItemActivate(*reinterpret_cast<const NMITEMACTIVATE*>(lParam));
        case NM_DBLCLK:
            m_bActivationGuard = FALSE;
            break;
        case LVN_KEYDOWN:
            // A key starts a new activation as a double click does (Enter toggles every time).
            m_bActivationGuard = FALSE;
            break;
        case NM_CLICK:
            if (OnClick(*reinterpret_cast<const NMITEMACTIVATE*>(lParam)))
            {
                *result = 0;
                return TRUE;
            }
            break;
        case LVN_COLUMNCLICK:
            SortSections(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            *result = 0;
            return TRUE;
        case LVN_GETDISPINFO:
        {
            // The list view asks for the texts it measures (Fit to Data) as it does of any
            // owner-data list; the lines are drawn here, but their texts must be answered too.
            LVITEM& item = reinterpret_cast<NMLVDISPINFO*>(lParam)->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
                GetItemText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
            *result = 0;
            return TRUE;
        }
        default:
            break;
        }
    }
    return CCommonListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CMultiLineListCtrl::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_SETFONT)
    {
        // The list takes the font, then measures its lines again at its present size.
        *result = Default();
        CRect rect;
        GetWindowRect(&rect);
        WINDOWPOS pos{m_hWnd, nullptr, 0, 0, rect.Width(), rect.Height(), SWP_NOMOVE | SWP_NOZORDER};
        SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        return TRUE;
    }
    return CCommonListCtrl::OnWndMsg(message, wParam, lParam, result);
}

void CMultiLineListCtrl::OnDestroy()
{
    m_arrEntries.clear();
    m_arrLineMap.clear();
    m_nVisibleEntries = 0;
    m_nExtraLines = 0;
    CCommonListCtrl::OnDestroy();
}

// ---- Sorting ----------------------------------------------------------------------

void CMultiLineListCtrl::SortSections(int item)
{
    if (!m_bSectionMode)
        return;
    const int previous = m_nPrevSortColumn;
    m_nSortDirection = (item == previous) ? -m_nSortDirection : -1;
    m_nSortColumn = item;
    if (previous >= 0 && previous != item)
        SetHeaderSortImage(previous, 2);
    SetHeaderSortImage(item, m_nSortDirection == 1 ? 1 : 0);
    m_nPrevSortColumn = item;

    // Every section collapses first; then the shown ones are ordered by their title lines.
    std::unordered_set<const sMultiLineColInfo*> shown;
    for (const sLineSlot& slot : m_arrLineMap)
    {
        if (slot.m_nLine == 0)
            shown.insert(slot.m_pEntry);
    }
    m_nExtraLines = 0;
    ResetSelectionMarkers();
    m_nSortColumnIndex = ColumnOfItem(item);
    const int dataType =
        (m_nSortColumnIndex >= 0 && m_nSortColumnIndex < static_cast<int>(m_arrColumns.size()))
            ? m_arrColumns[static_cast<std::size_t>(m_nSortColumnIndex)].m_nDataType
            : 0;
    std::vector<std::pair<std::string, std::unique_ptr<sMultiLineColInfo>>> keyed;
    keyed.reserve(m_arrEntries.size());
    for (auto& entry : m_arrEntries)
    {
        std::string title = LineText(*entry, m_nSortColumnIndex, 0);
        keyed.emplace_back(std::move(title), std::move(entry));
    }
    const int d = m_nSortDirection;
    std::stable_sort(keyed.begin(), keyed.end(),
                     [d, dataType](const auto& a, const auto& b)
                     { return CompareSectionTitles(a.first, b.first, d, dataType) < 0; });
    m_arrEntries.clear();
    m_arrLineMap.clear();
    for (auto& [title, entry] : keyed)
    {
        if (shown.count(entry.get()))
            m_arrLineMap.push_back(sLineSlot{entry.get(), 0});
        m_arrEntries.push_back(std::move(entry));
    }
    m_nVisibleEntries = GetLineCount();
    CListCtrl::SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SyncItemCount();
    ShowSortArrow();
    Invalidate();
}

int CMultiLineListCtrl::SortedColumn() const
{
    return m_bSectionMode ? m_nSortColumnIndex : CCommonListCtrl::SortedColumn();
}
