// The filter list's filter bar and filtering: the bar shown and hidden, the filters typed into it
// or picked from a column's values, each record tried against them, Tab through the bar's fields.
#include "grid/FilterListCtrl.h"

#include "grid/FilterListInternal.h"
#include "grid/FilterPattern.h"
#include "winlib/Modules.h"

#include <algorithm>

namespace
{

using filter_list::kNoColor;

constexpr int kFilterChangeTimeout = 500;
constexpr int kTabScrollStep = 50;

using PFN_SetWindowTheme = HRESULT (*)(HWND, const wchar_t*, const wchar_t*);

} // namespace

// ---- The filter bar -----------------------------------------------------------------------------

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
