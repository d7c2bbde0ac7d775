// The report list view: item states, the selection (stored per item, or as ranges for an
// owner-data list) and the search for the next item in a state.
#include "ListView.h"

#include <algorithm>

namespace winlib::detail
{

// ---- States ------------------------------------------------------------------------------

UINT ListViewBehaviour::StoredState(int item) const
{
    UINT state = 0;
    if (m_ownerData)
        state = m_ownerSelection.Contains(item) ? LVIS_SELECTED : 0;
    else
        state = m_rows[static_cast<std::size_t>(item)].state;
    if (item == m_focus)
        state |= LVIS_FOCUSED;
    return state;
}

UINT ListViewBehaviour::StateOf(int item, UINT mask)
{
    UINT asked = mask & m_callbackMask;
    if (m_ownerData)
        asked |= mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    UINT state = StoredState(item) & mask & ~asked;
    if (asked)
        state |= AskDispInfo(item, 0, LVIF_STATE, asked).state;
    return state;
}

bool ListViewBehaviour::IsSelected(int item) const
{
    if (m_ownerData)
        return m_ownerSelection.Contains(item);
    return (m_rows[static_cast<std::size_t>(item)].state & LVIS_SELECTED) != 0;
}

bool ListViewBehaviour::ChangeState(int item, UINT state, UINT mask)
{
    if (!ValidItem(item))
        return false;
    mask &= ~m_callbackMask; // those bits are the parent's to keep
    if (m_ownerData)
        mask &= LVIS_SELECTED | LVIS_FOCUSED;
    if (!mask)
        return true;
    const UINT old = StoredState(item);
    const UINT updated = (old & ~mask) | (state & mask);
    if (updated == old)
        return true;
    const HWND hwnd = m_hwnd;
    if (!m_ownerData)
    {
        if (NotifyListView(LVN_ITEMCHANGING, item, 0, updated, old, LVIF_STATE))
            return false;
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
    }
    // Focus and a single selection leave the other item first.
    if ((updated & LVIS_FOCUSED) && !(old & LVIS_FOCUSED) && m_focus >= 0 && m_focus != item)
    {
        ChangeState(m_focus, 0, LVIS_FOCUSED);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
    }
    if ((updated & LVIS_SELECTED) && !(old & LVIS_SELECTED) && (Style() & LVS_SINGLESEL))
    {
        DeselectAll(item);
        if (!IsWindow(hwnd) || !ValidItem(item))
            return false;
    }
    if (updated & LVIS_FOCUSED)
        m_focus = item;
    else if (m_focus == item)
        m_focus = -1;
    if (m_ownerData)
    {
        if (updated & LVIS_SELECTED)
            m_ownerSelection.Add(item, item);
        else
            m_ownerSelection.Remove(item, item);
    }
    else
        m_rows[static_cast<std::size_t>(item)].state = updated & ~LVIS_FOCUSED;
    InvalidateItem(item);
    NotifyListView(LVN_ITEMCHANGED, item, 0, updated, old, LVIF_STATE);
    return true;
}

bool ListViewBehaviour::SetItemStateMessage(int item, const LVITEMA* in)
{
    if (!in)
        return false;
    if (item != -1)
        return ChangeState(item, in->state, in->stateMask);
    // Every item at once.
    UINT mask = in->stateMask & ~LVIS_FOCUSED;
    if (m_ownerData)
    {
        mask &= LVIS_SELECTED;
        if (!mask || Count() == 0)
            return true;
        const bool select = (in->state & LVIS_SELECTED) != 0;
        if (select && (Style() & LVS_SINGLESEL))
            return false;
        const long long before = m_ownerSelection.Count();
        if (select)
            m_ownerSelection.Add(0, Count() - 1);
        else
            m_ownerSelection.Clear();
        if (before != m_ownerSelection.Count())
        {
            InvalidateRows();
            NotifyListView(LVN_ITEMCHANGED, -1, 0, select ? LVIS_SELECTED : 0U, select ? 0U : LVIS_SELECTED,
                           LVIF_STATE);
        }
        return true;
    }
    if ((in->stateMask & LVIS_FOCUSED) && !(in->state & LVIS_FOCUSED) && m_focus >= 0)
        ChangeState(m_focus, 0, LVIS_FOCUSED);
    for (int i = 0; i < Count(); ++i)
        ChangeState(i, in->state, mask);
    return true;
}

void ListViewBehaviour::DeselectAll(int except)
{
    if (m_ownerData && (m_callbackMask & LVIS_SELECTED))
    {
        // The parent keeps the selection: it hears that every item has lost it.
        if (except < 0)
        {
            InvalidateRows();
            NotifyListView(LVN_ITEMCHANGED, -1, 0, 0, LVIS_SELECTED, LVIF_STATE);
        }
        return;
    }
    if (m_ownerData)
    {
        const bool keep = except >= 0 && m_ownerSelection.Contains(except);
        const long long others = m_ownerSelection.Count() - (keep ? 1 : 0);
        if (others <= 0)
            return;
        m_ownerSelection.Clear();
        if (keep)
            m_ownerSelection.Add(except, except);
        InvalidateRows();
        NotifyListView(LVN_ITEMCHANGED, -1, 0, 0, LVIS_SELECTED, LVIF_STATE);
        return;
    }
    for (int i = 0; i < Count(); ++i)
    {
        if (i != except && (m_rows[static_cast<std::size_t>(i)].state & LVIS_SELECTED))
            ChangeState(i, 0, LVIS_SELECTED);
    }
}

void ListViewBehaviour::SelectRange(int first, int last, bool clearOthers)
{
    if (first > last)
        std::swap(first, last);
    first = std::max(first, 0);
    last = std::min(last, Count() - 1);
    if (first > last)
        return;
    if (Style() & LVS_SINGLESEL)
    {
        ChangeState(last, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    if (m_ownerData)
    {
        if (clearOthers)
        {
            // Everything outside the range goes in one change.
            IndexRanges outside = m_ownerSelection;
            outside.Remove(first, last);
            if (!outside.Empty())
            {
                m_ownerSelection.Clear();
                InvalidateRows();
                NotifyListView(LVN_ITEMCHANGED, -1, 0, 0, LVIS_SELECTED, LVIF_STATE);
                if (!ValidItem(last))
                    return;
            }
        }
        if (first == last)
        {
            ChangeState(first, LVIS_SELECTED, LVIS_SELECTED);
            return;
        }
        IndexRanges added;
        added.Add(first, last);
        for (int i = m_ownerSelection.Next(first - 1); i >= 0 && i <= last; i = m_ownerSelection.Next(i))
            added.Remove(i, i);
        if (added.Empty())
            return;
        m_ownerSelection.Add(first, last);
        for (int i = first; i <= last; ++i)
            InvalidateItem(i);
        NMLVODSTATECHANGE nm{};
        nm.iFrom = first;
        nm.iTo = last;
        nm.uNewState = LVIS_SELECTED;
        nm.uOldState = 0;
        Notify(nm.hdr, LVN_ODSTATECHANGED);
        return;
    }
    const HWND hwnd = m_hwnd;
    if (clearOthers)
    {
        for (int i = 0; i < Count(); ++i)
        {
            if ((i < first || i > last) && (m_rows[static_cast<std::size_t>(i)].state & LVIS_SELECTED))
                ChangeState(i, 0, LVIS_SELECTED);
            if (!IsWindow(hwnd))
                return;
        }
    }
    for (int i = first; i <= last && i < Count(); ++i)
    {
        ChangeState(i, LVIS_SELECTED, LVIS_SELECTED);
        if (!IsWindow(hwnd))
            return;
    }
}

int ListViewBehaviour::SelectedCount() const
{
    if (m_ownerData)
        return static_cast<int>(m_ownerSelection.Count());
    return static_cast<int>(std::count_if(
        m_rows.begin(), m_rows.end(), [](const ListRow& row) { return (row.state & LVIS_SELECTED) != 0; }));
}

bool ListViewBehaviour::MatchesState(int item, UINT flags)
{
    const UINT wanted = flags & LVNI_STATEMASK;
    if (!wanted)
        return true;
    const UINT state = (wanted & m_callbackMask) ? StateOf(item, wanted) : StoredState(item);
    return (state & wanted) == wanted;
}

int ListViewBehaviour::NextItem(int start, UINT flags)
{
    if (flags & (LVNI_TOLEFT | LVNI_TORIGHT))
        return -1;
    const int count = Count();
    const bool backwards = (flags & (LVNI_ABOVE | LVNI_PREVIOUS)) != 0;
    const UINT wanted = flags & LVNI_STATEMASK;
    if (backwards && start < 0)
        start = count;
    if (wanted == LVNI_FOCUSED)
    {
        if (m_focus < 0)
            return -1;
        return (backwards ? m_focus < start : m_focus > start) ? m_focus : -1;
    }
    if (m_ownerData && (wanted & LVNI_SELECTED))
    {
        for (int i = backwards ? m_ownerSelection.Previous(start) : m_ownerSelection.Next(start);
             i >= 0 && i < count; i = backwards ? m_ownerSelection.Previous(i) : m_ownerSelection.Next(i))
        {
            if (MatchesState(i, wanted))
                return i;
        }
        return -1;
    }
    const int step = backwards ? -1 : 1;
    for (int i = start + step; i >= 0 && i < count; i += step)
    {
        if (MatchesState(i, wanted))
            return i;
    }
    return -1;
}

void ListViewBehaviour::ToggleCheck(int item)
{
    if (m_ownerData || !ValidItem(item))
        return;
    const UINT index = (m_rows[static_cast<std::size_t>(item)].state & LVIS_STATEIMAGEMASK) >> 12;
    if (index == 0)
        return;
    ChangeState(item, INDEXTOSTATEIMAGEMASK(index == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

} // namespace winlib::detail
