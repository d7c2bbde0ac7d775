// The filter list keeps the user's place while rows come and go: the rows he sees, the focused
// row and the selection mark stay on their records, and new rows on top are counted until he has
// seen them. See FilterListCtrl.h ("The user's place") and docs/filter-list.md.
#include "grid/FilterListCtrl.h"

#include "winlib/Api.h"

#include <algorithm>

CFilterListCtrl::sViewPlace CFilterListCtrl::CapturePlace() const
{
    sViewPlace place;
    if (!m_hWnd)
        return place;
    place.top = GetTopIndex();
    place.focus = CListCtrl::GetNextItem(-1, LVNI_FOCUSED);
    place.mark = GetSelectionMark();
    place.working = UserWorksInList();
    return place;
}

// The user works in the list when he has left a mark of it: scrolled it, selected a row, given
// it the keyboard focus, or the pointer rests on it.
bool CFilterListCtrl::UserWorksInList() const
{
    if (!m_hWnd || !IsWindowVisible())
        return false;
    if (GetTopIndex() > 0)
        return true;
    if (SelectionInRecords() ? m_nSelectedRecords > 0 : GetSelectedCount() > 0)
        return true;
    const HWND focus = ::GetFocus();
    if (focus && (focus == m_hWnd || ::IsChild(m_hWnd, focus)))
        return true;
    POINT cursor{};
    if (!::GetCursorPos(&cursor))
        return false;
    // Asked for every row that arrives: the window under the pointer is looked for (a walk of
    // every window on the screen) only when the pointer is within the list at all.
    CRect bounds;
    GetWindowRect(&bounds);
    if (!bounds.PtInRect(cursor))
        return false;
    const HWND under = ::WindowFromPoint(cursor);
    return under && (under == m_hWnd || ::IsChild(m_hWnd, under));
}

void CFilterListCtrl::RestorePlace(const sViewPlace& place)
{
    const int count = GetItemCount();
    m_bKeepingPlace = true;
    if (place.focus >= 0 && place.focus < count && CListCtrl::GetNextItem(-1, LVNI_FOCUSED) != place.focus)
        SetItemState(place.focus, LVIS_FOCUSED, LVIS_FOCUSED);
    if (place.mark >= 0 && place.mark < count)
        SetSelectionMark(place.mark);
    const int top = GetTopIndex();
    CRect row;
    if (place.top != top && count > 0 && CListCtrl::GetItemRect(0, &row, LVIR_BOUNDS))
        Scroll(CSize(0, (place.top - top) * row.Height()));
    m_bKeepingPlace = false;
}

void CFilterListCtrl::KeepPlaceAfterShown(sViewPlace place, int row, std::uint32_t slot)
{
    const sViewPlace before = place;
    if (place.focus >= row)
        ++place.focus;
    if (place.mark >= row)
        ++place.mark;
    if (!place.working || row > place.top)
    {
        // Nobody's place to keep, or the row came in below the top row: the rows under it move.
        RestorePlace(place);
        return;
    }
    if (row < place.top || GetItemCount() - GetCountPerPage() >= place.top + 1)
    {
        // Above the rows on screen, with the rows held back so far (all newer than those on
        // screen): the view moves down with them.
        const int above = 1 + (row == place.top ? ShowHeldRows(place) : 0);
        place.top += above;
        RestorePlace(place);
        if (row <= m_nNewRowsAbove)
            SetNewRowsAbove(m_nNewRowsAbove + above);
        return;
    }
    // On top of the rows on screen in a list too short to scroll them out of the way: held back.
    m_rows.HideSlot(slot);
    m_rows.At(slot).held = 1;
    ++m_nHeldRows;
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    RestorePlace(before);
    UpdateUnseenRows();
}

void CFilterListCtrl::KeepPlaceAfterHidden(sViewPlace place, int row)
{
    // The row that followed a focused row that went takes the focus.
    if (place.focus > row)
        --place.focus;
    if (place.mark > row)
        --place.mark;
    const bool above = row < place.top;
    if (above)
        --place.top;
    place.focus = std::min(place.focus, GetItemCount() - 1);
    RestorePlace(place);
    if (above && row < m_nNewRowsAbove)
        SetNewRowsAbove(m_nNewRowsAbove - 1);
}

int CFilterListCtrl::ShowHeld(std::uint32_t slot)
{
    FilterRows::Record& record = m_rows.At(slot);
    record.held = 0;
    if (!Passes(slot))
        return -1;
    m_rows.InsertVisible(VisiblePositionFor(slot), slot);
    return RowOfPosition(m_rows.PositionOfSlot(slot));
}

int CFilterListCtrl::ShowHeldRows(sViewPlace& place)
{
    if (m_nHeldRows == 0)
        return 0;
    // Held rows are the newest: look for them from the end of the store, and show them oldest
    // first, each where it belongs.
    std::vector<std::uint32_t> held;
    for (std::uint32_t index = m_rows.StoreCount();
         index-- > 0 && static_cast<int>(held.size()) < m_nHeldRows;)
    {
        const std::uint32_t slot = m_rows.SlotOfStoreIndex(index);
        if (m_rows.At(slot).held)
            held.push_back(slot);
    }
    m_nHeldRows = 0;
    int shown = 0;
    for (auto it = held.rbegin(); it != held.rend(); ++it)
    {
        const int row = ShowHeld(*it);
        if (row < 0)
            continue;
        ++shown;
        if (place.focus >= row)
            ++place.focus;
        if (place.mark >= row)
            ++place.mark;
    }
    SetViewCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    Invalidate(FALSE);
    return shown;
}

void CFilterListCtrl::ShowNewRows()
{
    if (!m_bDataMode || !m_hWnd)
        return;
    m_nInsertedSlot = FilterRows::kNone;
    sViewPlace place = CapturePlace();
    ShowHeldRows(place);
    place.top = 0;
    RestorePlace(place);
    SetNewRowsAbove(0);
}

void CFilterListCtrl::SetNewRowsAbove(int count)
{
    m_nNewRowsAbove = std::max(0, count);
    UpdateUnseenRows();
}

void CFilterListCtrl::UpdateUnseenRows()
{
    // Rows above the view that came into it have been seen.
    if (m_hWnd)
        m_nNewRowsAbove = std::min(m_nNewRowsAbove, GetTopIndex());
    if (GetUnseenNewRows() == m_nUnseenNotified)
        return;
    m_nUnseenNotified = GetUnseenNewRows();
    NMHDR notify{};
    SendNotify(notify, FLN_UNSEENROWSCHANGED);
}
