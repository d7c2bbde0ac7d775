// The filter list's user-defined columns, computed from the other cells of a row by their
// formulas, added and removed through the header menu.
#include "grid/FilterListCtrl.h"

#include "grid/UserColumnFormula.h"
#include "grid/UserDefinedColDlg.h"
#include "winlib/Menu.h"

#include <algorithm>
#include <cstdlib>

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
