#include "grid/RepositionColumns.h"

#include "grid/CommonListCtrl.h"
#include "grid/FilterListCtrl.h"
#include "winlib/HeaderCtrl.h"

#include <algorithm>
#include <set>

IMPLEMENT_DYNAMIC(CRepositionColumns, CKTBCGPDialog)

namespace
{
constexpr int kMaxHeaderText = 64;
constexpr int kListColumnWidth = 140;
} // namespace

CRepositionColumns::CRepositionColumns(CCommonListCtrl* list) : CKTBCGPDialog(IDD, nullptr), m_pList(list) {}

BOOL CRepositionColumns::OnInitDialog()
{
    CKTBCGPDialog::OnInitDialog();
    m_lcHidden.SubclassDlgItem(IDC_HIDDEN, this);
    m_lcShown.SubclassDlgItem(IDC_SHOWN, this);
    m_lcHidden.SetExtendedStyle(m_lcHidden.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_lcShown.SetExtendedStyle(m_lcShown.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_lcHidden.InsertColumn(0, "Hidden Columns", LVCFMT_LEFT, kListColumnWidth);
    m_lcShown.InsertColumn(0, "Shown Columns", LVCFMT_LEFT, kListColumnWidth);
    GetDlgItem(IDC_SORT_COLUMN)->SetWindowText(m_strDefaultSort.c_str());
    return TRUE;
}

BOOL CRepositionColumns::Open(const std::string& listName, const std::vector<std::string>& fixedColumns,
                              BOOL secondMode)
{
    if (!m_pList || !m_pList->m_hWnd)
        return FALSE;
    m_arrFixedColumns = fixedColumns;
    m_bDealerNetPosition = listName == "DealerNetPosition";
    m_bSecondMode = secondMode;
    m_bPrepared = FALSE;
    // A fresh window each time; the default-sort text outlives it.
    if (m_hWnd)
        DestroyWindow();
    if (!Create(IDD, m_pList))
        return FALSE;
    Fill();
    m_bPrepared = TRUE;
    ShowWindow(SW_SHOW);
    SetActiveWindow();
    return TRUE;
}

void CRepositionColumns::Fill()
{
    m_lcHidden.DeleteAllItems();
    m_lcShown.DeleteAllItems();
    CHeaderCtrl* header = m_pList->GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    std::vector<int> order(static_cast<std::size_t>(count));
    if (count > 0 && !header->GetOrderArray(order.data(), count))
        for (int i = 0; i < count; ++i)
            order[static_cast<std::size_t>(i)] = i;
    std::set<std::string> shown;
    for (int position = 0; position < count; ++position)
    {
        char text[kMaxHeaderText + 1] = {};
        HDITEM hdi{};
        hdi.mask = HDI_TEXT;
        hdi.pszText = text;
        hdi.cchTextMax = kMaxHeaderText;
        header->GetItem(order[static_cast<std::size_t>(position)], &hdi);
        m_lcShown.InsertItem(m_lcShown.GetItemCount(), text);
        shown.insert(text);
    }
    // Each at the top, so the hidden side ends in reverse description order.
    for (const sKivoColInfo& column : m_pList->m_arrColumns)
        if (!shown.count(column.m_szName))
            m_lcHidden.InsertItem(0, column.m_szName);

    const int sortShow = m_bDealerNetPosition ? SW_SHOW : SW_HIDE;
    for (const int id : {IDC_SORT_LABEL, IDC_SORT_COLUMN, IDC_SORT})
        GetDlgItem(id)->ShowWindow(sortShow);
}

bool CRepositionColumns::IsFixed(const std::string& name) const
{
    return std::find(m_arrFixedColumns.begin(), m_arrFixedColumns.end(), name) != m_arrFixedColumns.end();
}

int CRepositionColumns::ColumnNamed(const std::string& name) const
{
    const auto& columns = m_pList->m_arrColumns;
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (name == columns[c].m_szName)
            return static_cast<int>(c);
    return -1;
}

std::vector<int> CRepositionColumns::Selected(CListCtrl& list)
{
    std::vector<int> rows;
    POSITION position = list.GetFirstSelectedItemPosition();
    while (position)
        rows.push_back(list.GetNextSelectedItem(position));
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> CRepositionColumns::Texts(CListCtrl& list)
{
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts.push_back(list.GetItemText(row, 0));
    return texts;
}

void CRepositionColumns::ShowSelected()
{
    const std::vector<int> rows = Selected(m_lcHidden);
    if (rows.empty())
        return;
    const std::vector<int> target = Selected(m_lcShown);
    int at = target.empty() ? m_lcShown.GetItemCount() : target.front() + 1;
    for (const int row : rows)
        m_lcShown.InsertItem(at++, m_lcHidden.GetItemText(row, 0).c_str());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        m_lcHidden.DeleteItem(*row);
}

void CRepositionColumns::HideSelected()
{
    const std::vector<int> rows = Selected(m_lcShown);
    const std::vector<int> target = Selected(m_lcHidden);
    int at = target.empty() ? m_lcHidden.GetItemCount() : target.front() + 1;
    std::vector<int> moved;
    for (const int row : rows)
    {
        const std::string name = m_lcShown.GetItemText(row, 0);
        if (IsFixed(name))
        {
            AfxMessageBox(name + " cannot be removed");
            continue;
        }
        m_lcHidden.InsertItem(at++, name.c_str());
        moved.push_back(row);
    }
    for (auto row = moved.rbegin(); row != moved.rend(); ++row)
        m_lcShown.DeleteItem(*row);
}

void CRepositionColumns::TakeDownHeader()
{
    CHeaderCtrl* header = m_pList->GetHeaderCtrl();
    const int count = header ? header->GetItemCount() : 0;
    for (int item = 0; item < count; ++item)
    {
        const int column = m_pList->GetColumnOfItem(item);
        if (column >= 0)
            m_pList->m_arrColumns[static_cast<std::size_t>(column)].m_nWidth = m_pList->GetColumnWidth(item);
    }
    m_pList->BeginHeaderChange();
    for (int item = count - 1; item >= 0; --item)
        m_pList->DeleteColumnWithTip(item);
    m_pList->EndHeaderChange();
}

void CRepositionColumns::View()
{
    if (!m_bPrepared)
        return;
    m_mapPosition = m_pList->m_mapPosition;
    if (CHeaderCtrl* header = m_pList->GetHeaderCtrl())
        header->ClearAllFilters();
    TakeDownHeader();
    for (const std::string& name : Texts(m_lcHidden))
        if (const int column = ColumnNamed(name); column >= 0)
            m_mapPosition[column] = -1;
    const std::vector<std::string> shown = Texts(m_lcShown);
    m_pList->BeginHeaderChange();
    for (int position = 0; position < static_cast<int>(shown.size()); ++position)
    {
        const int column = ColumnNamed(shown[static_cast<std::size_t>(position)]);
        if (column < 0)
            continue;
        m_mapPosition[column] = position;
        if (position == 0)
            m_pList->m_nFirstColumn = column;
        const sKivoColInfo& info = m_pList->m_arrColumns[static_cast<std::size_t>(column)];
        m_pList->InsertColumnWithTip(position, info, info.m_nWidth);
    }
    m_pList->EndHeaderChange();
    m_pList->m_mapPosition = m_mapPosition;
    // Rows that stay sorted keep their arrow, on the column's new header item.
    m_pList->ShowSortArrow();
    if (auto* filterList = dynamic_cast<CFilterListCtrl*>(m_pList))
    {
        filterList->ResetFilters();
        filterList->Invalidate();
    }
    else
        m_pList->NotifyLayoutChanged();
    DestroyWindow();
}

void CRepositionColumns::Save()
{
    if (!m_bSecondMode)
    {
        CCommonListCtrl* list = m_pList;
        View();
        list->SaveColumnProfile();
        return;
    }
    // The owner lays the list out again from the map.
    m_mapPosition = m_pList->m_mapPosition;
    TakeDownHeader();
    for (const std::string& name : Texts(m_lcHidden))
        if (const int column = ColumnNamed(name); column >= 0)
            m_mapPosition[column] = -1;
    m_pList->m_mapPosition = m_mapPosition;
    DestroyWindow();
}

BOOL CRepositionColumns::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_SHOW:
            ShowSelected();
            return TRUE;
        case IDC_HIDE:
            HideSelected();
            return TRUE;
        case IDC_VIEW:
            View();
            return TRUE;
        case IDC_SAVE:
            Save();
            return TRUE;
        case IDC_DEFAULT:
            GetDlgItem(IDC_SORT_COLUMN)->SetWindowText(m_strDefaultSort.c_str());
            return TRUE;
        case IDC_SORT:
            m_strDefaultSort = GetDlgItem(IDC_SORT_COLUMN)->GetWindowText();
            return TRUE;
        default:
            break;
        }
    }
    return CKTBCGPDialog::OnCommand(wParam, lParam);
}

BOOL CRepositionColumns::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->code == static_cast<UINT>(NM_DBLCLK))
    {
        if (hdr->idFrom == static_cast<UINT_PTR>(IDC_HIDDEN))
        {
            ShowSelected();
            return TRUE;
        }
        if (hdr->idFrom == static_cast<UINT_PTR>(IDC_SHOWN))
        {
            HideSelected();
            return TRUE;
        }
    }
    if (hdr->code == static_cast<UINT>(NM_CLICK) && hdr->idFrom == static_cast<UINT_PTR>(IDC_SHOWN))
    {
        const int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
        if (row >= 0)
            GetDlgItem(IDC_SORT_COLUMN)->SetWindowText(m_lcShown.GetItemText(row, 0).c_str());
    }
    return CKTBCGPDialog::OnNotify(wParam, lParam, result);
}

LRESULT CRepositionColumns::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A fixed column that a stored profile left hidden may still be dragged back to the shown side.
    if (message == WM_REPOSITION_IS_FIXED && wParam)
    {
        const std::string name = reinterpret_cast<const char*>(wParam);
        if (IsFixed(name))
        {
            const std::vector<std::string> shown =
                m_lcShown.m_hWnd ? Texts(m_lcShown) : std::vector<std::string>{};
            if (!m_lcShown.m_hWnd || std::find(shown.begin(), shown.end(), name) != shown.end())
                return 1;
        }
    }
    return CKTBCGPDialog::WindowProc(message, wParam, lParam);
}

// Enter does not close the dialog: only "&View", "&Save" and "&Cancel" do.
void CRepositionColumns::OnOK() {}

void CRepositionColumns::OnCancel()
{
    DestroyWindow();
}
