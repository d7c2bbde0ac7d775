// The sectioned grid's filter: the header's filter bar filters whole sections (a section stays
// when every filtered column matches on one of its lines), the value picker offers a column's
// texts, and the header menu resets the filters and fits the columns.
#include "grid/MultiLineListCtrl.h"

#include "grid/HeaderFilterText.h"

#include "winlib/HeaderCtrl.h"
#include "winlib/Menu.h"

#include <algorithm>
#include <functional>

namespace
{

// The value picker's first entry, which stands for every value.
constexpr const char* kAllValues = "--ALL-- ";

// The display position of a header item.
int PositionOfItem(CHeaderCtrl& header, int item)
{
    std::vector<int> order(static_cast<std::size_t>(header.GetItemCount()));
    if (order.empty() || !header.GetOrderArray(order.data(), static_cast<int>(order.size())))
        return item;
    const auto it = std::find(order.begin(), order.end(), item);
    return it == order.end() ? item : static_cast<int>(it - order.begin());
}

} // namespace

bool CMultiLineListCtrl::PassesFilter(const sMultiLineColInfo& entry) const
{
    if (!m_pfnDescriptor || m_arrFilterColumns.empty())
        return true;
    const int lines = std::max(1, entry.m_nLineCount);
    std::string& text = m_strFilterScratch;
    for (std::size_t f = 0; f < m_arrFilterColumns.size(); ++f)
    {
        const FilterPattern& pattern = m_arrFilterPatterns[f];
        if (pattern.MatchesEverything())
            continue;
        bool matched = false;
        for (int line = 0; line < lines && !matched; ++line)
        {
            LineText(entry, m_arrFilterColumns[f], line, text);
            matched = pattern.Matches(text);
        }
        if (!matched)
            return false;
    }
    return true;
}

std::string CMultiLineListCtrl::GetColumnFilter(int position) const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header || position < 0 || position >= header->GetItemCount())
        return {};
    return GetHeaderFilterText(*header, header->OrderToIndex(position));
}

void CMultiLineListCtrl::ApplyFilter()
{
    if (!m_bSectionMode)
        return;
    CHeaderCtrl* header = GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    std::vector<int> columns;
    std::vector<std::string> texts;
    for (int position = 0; position < count; ++position)
    {
        std::string text = GetColumnFilter(position);
        if (text.empty())
            continue;
        if (const int column = ColumnOfPosition(position); column >= 0)
        {
            columns.push_back(column);
            if (const auto picked = m_mapValueLists.find(column); picked != m_mapValueLists.end())
                text = picked->second;
        }
        texts.push_back(std::move(text));
    }
    // A filtered header item that stands for no column: the filter cannot be read as it is.
    if (columns.size() != texts.size())
    {
        AfxMessageBox("Error occured while filtering");
        return;
    }
    m_arrFilterColumns = std::move(columns);
    m_arrFilterTexts = std::move(texts);
    m_arrFilterPatterns.clear();
    for (std::size_t f = 0; f < m_arrFilterColumns.size(); ++f)
    {
        const bool valueList = m_mapValueLists.count(m_arrFilterColumns[f]) != 0;
        m_arrFilterPatterns.emplace_back(m_arrFilterTexts[f], valueList);
    }
    m_bFilterApplied = !m_arrFilterColumns.empty();
    RebuildLineMap(true);
}

void CMultiLineListCtrl::RebuildLineMap(bool filtered)
{
    m_arrLineMap.clear();
    m_arrLineMap.reserve(m_arrEntries.size());
    for (const auto& entry : m_arrEntries)
    {
        if (!filtered || PassesFilter(*entry))
            m_arrLineMap.push_back(sLineSlot{entry.get(), 0});
    }
    m_nVisibleEntries = GetLineCount();
    m_nExtraLines = 0;
    ResetSelectionMarkers();
    if (m_hWnd)
    {
        CListCtrl::SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        SyncItemCount();
        Invalidate();
    }
}

void CMultiLineListCtrl::SetColumnFilter(int position, const std::string& text, BOOL valueList)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    if (!header || position < 0 || position >= header->GetItemCount())
        return;
    const int column = ColumnOfPosition(position);
    if (valueList && !text.empty())
        m_mapValueLists[column] = text;
    else
        m_mapValueLists.erase(column);
    m_bSuppressFilterNotify = TRUE;
    SetHeaderFilterText(*header, header->OrderToIndex(position), text);
    m_bSuppressFilterNotify = FALSE;
}

void CMultiLineListCtrl::ResetFilters()
{
    m_mapValueLists.clear();
    if (CHeaderCtrl* header = GetHeaderCtrl())
        header->ClearAllFilters(); // the change goes to the owner, which filters again
}

void CMultiLineListCtrl::SetPickedFilter(int position, const std::string& text)
{
    // Choosing "--ALL-- " takes the column's filter away.
    const bool all = text.find(kAllValues) != std::string::npos;
    SetColumnFilter(position, all ? std::string() : text, !all);
    CHeaderCtrl* header = GetHeaderCtrl();
    ForwardFilterChange(header ? header->OrderToIndex(position) : position);
}

void CMultiLineListCtrl::ForwardFilterChange(int item)
{
    NMHEADER notify{};
    notify.iItem = item;
    SendNotify(notify.hdr, HDN_FILTERCHANGE);
}

void CMultiLineListCtrl::ShowFilterPicker(int position, CPoint screen)
{
    const int column = ColumnOfPosition(position);
    const auto collect = [this, column](const std::function<void(std::string_view)>& add)
    {
        for (const auto& entry : m_arrEntries)
        {
            for (int line = 0; line < std::max(1, entry->m_nLineCount); ++line)
                add(LineText(*entry, column, line));
        }
    };
    CFilterText& picker = CFilterText::ForMultiLineLists();
    // "--ALL-- " heads the sorted values: inserted, not added, so that sorting leaves it there.
    if (picker.Open(this, this, position, collect, screen))
        picker.GetValues().InsertString(0, kAllValues);
}

BOOL CMultiLineListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    CHeaderCtrl* header = GetHeaderCtrl();
    if (m_bSectionMode && header && hdr->hwndFrom == header->m_hWnd)
    {
        if (hdr->code == HDN_FILTERCHANGE)
        {
            if (!m_bSuppressFilterNotify)
            {
                // What the user types is an ordinary filter, no longer a picked list of values.
                const int item = reinterpret_cast<const NMHEADER*>(lParam)->iItem;
                if (item < 0)
                    m_mapValueLists.clear();
                else
                    m_mapValueLists.erase(ColumnOfPosition(PositionOfItem(*header, item)));
                ForwardFilterChange(item);
            }
            *result = 0;
            return TRUE;
        }
        if (hdr->code == HDN_FILTERBTNCLICK)
        {
            const int item = reinterpret_cast<const NMHDFILTERBTNCLICK*>(lParam)->iItem;
            CPoint cursor;
            GetCursorPos(&cursor);
            ShowFilterPicker(PositionOfItem(*header, item), cursor);
            *result = 0; // the picker changes the filter, not the button
            return TRUE;
        }
    }
    return CCommonListCtrl::OnNotify(wParam, lParam, result);
}

// ---- Header menu --------------------------------------------------------------------------------

BOOL CMultiLineListCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case ID_MULTILINE_FIT_TO_DATA:
        FitColumns(ID_LIST_FIT_TO_DATA);
        return TRUE;
    case ID_MULTILINE_FIT_TO_HEADER:
        FitColumns(ID_LIST_FIT_TO_HEADER);
        return TRUE;
    case ID_MULTILINE_FIT_TO_WINDOW:
        FitColumns(ID_LIST_FIT_TO_WINDOW);
        return TRUE;
    case ID_MULTILINE_REPOSITION_COLUMNS:
        OnRepositionColumns(FALSE);
        return TRUE;
    case ID_MULTILINE_RESET_FILTERS:
        ResetFilters();
        return TRUE;
    default:
        return CCommonListCtrl::OnCommand(wParam, lParam);
    }
}

void CMultiLineListCtrl::ShowSectionHeaderMenu(CPoint screen)
{
    CMenu menu;
    menu.CreatePopupMenu();
    if (m_bColumnProfileEnabled)
    {
        menu.AppendMenu(MF_STRING, ID_MULTILINE_REPOSITION_COLUMNS, "Reposition Columns");
        menu.AppendMenu(MF_STRING, ID_MULTILINE_FIT_TO_DATA, "Fit to Data");
    }
    else
        menu.AppendMenu(MF_STRING, ID_MULTILINE_FIT_TO_DATA, "Fit To Data");
    menu.AppendMenu(MF_STRING, ID_MULTILINE_FIT_TO_HEADER, "Fit to Header");
    menu.AppendMenu(MF_STRING, ID_MULTILINE_FIT_TO_WINDOW, "Fit to Window");
    menu.AppendMenu(MF_STRING, ID_MULTILINE_RESET_FILTERS, "Reset Filters");
    if (m_bUserDefinedColumns && m_bSectionMode)
    {
        menu.AppendMenu(MF_STRING, ID_MULTILINE_ADD_CUSTOM_COLUMNS, "Add Custom Columns");
        menu.AppendMenu(MF_STRING, ID_MULTILINE_DELETE_CUSTOM_COLUMNS, "Delete Custom Columns");
    }
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

void CMultiLineListCtrl::OnContextMenu(CWnd* wnd, CPoint point)
{
    CHeaderCtrl* header = GetHeaderCtrl();
    CPoint cursor = point;
    if (cursor.x == -1 && cursor.y == -1)
        GetCursorPos(&cursor);
    if (header && header->IsWindowVisible())
    {
        CRect rect;
        header->GetWindowRect(&rect);
        if (rect.PtInRect(cursor))
        {
            ShowSectionHeaderMenu(cursor);
            return;
        }
    }
    CCommonListCtrl::OnContextMenu(wnd, point);
}
