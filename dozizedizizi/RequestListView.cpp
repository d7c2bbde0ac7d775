#include "dozizedizizi/RequestListView.h"

namespace
{

// The slot of a record in the store. The last one, where requests are added almost always, is
// the last slot unless that one's record was removed: no search for it.
std::uint32_t SlotOfIndex(const FilterRows& rows, std::uint32_t index)
{
    const std::uint32_t last = rows.SlotCount() - 1;
    if (index + 1 == rows.StoreCount() && rows.IsStoreSlot(last))
        return last;
    return rows.SlotOfStoreIndex(index);
}

} // namespace

CRequestListView::CRequestListView(CFilterListCtrl& list) : m_list(list)
{
    m_list.SetSlotsRenumbered(&CRequestListView::SlotsRenumbered, this);
}

CRequestListView::~CRequestListView()
{
    m_list.SetSlotsRenumbered(nullptr, nullptr);
}

const sMakeCheckStruct* CRequestListView::RequestAt(int index) const
{
    const FilterRows& rows = m_list.Rows();
    if (index < 0 || static_cast<std::uint32_t>(index) >= rows.StoreCount())
        return nullptr;
    return reinterpret_cast<const sMakeCheckStruct*>(
        rows.At(SlotOfIndex(rows, static_cast<std::uint32_t>(index))).item);
}

int CRequestListView::IndexOfRow(std::uint32_t row, const sMakeCheckStruct& request) const
{
    const FilterRows& rows = m_list.Rows();
    if (!rows.IsStoreSlot(row) || rows.At(row).item != reinterpret_cast<std::uint64_t>(&request))
        return -1;
    return static_cast<int>(rows.StoreIndexOfSlot(row));
}

std::uint32_t CRequestListView::RowInserted(int index, sMakeCheckStruct& request)
{
    if (!m_list.m_hWnd)
        return kNoRow;
    const auto item = reinterpret_cast<DWORD_PTR>(&request);
    int stored = index;
    if (index >= m_list.GetStoreCount())
    {
        // The newest: a row on top, the store's last record.
        m_list.InsertItem(0, "");
        m_list.SetItemData(0, item);
        stored = m_list.GetStoreCount() - 1;
    }
    else
        stored = m_list.InsertDataItem(index, item);
    // Asked once the list is done: its store index stays while a sweep may have moved its slot.
    const FilterRows& rows = m_list.Rows();
    if (stored < 0 || static_cast<std::uint32_t>(stored) >= rows.StoreCount())
        return kNoRow;
    const std::uint32_t slot = SlotOfIndex(rows, static_cast<std::uint32_t>(stored));
    return rows.At(slot).item == item ? slot : kNoRow;
}

// The console's rules ask only for a repaint: a refreshed request is not filtered again.
void CRequestListView::RowChanged(int)
{
    if (m_list.m_hWnd)
        m_list.Invalidate(TRUE);
}

void CRequestListView::RowRemoved(int index)
{
    if (m_list.m_hWnd)
        m_list.DeleteDataItem(index);
}

void CRequestListView::AllRemoved()
{
    if (m_list.m_hWnd)
        m_list.DeleteAllItems();
}

void CRequestListView::SlotsRenumbered(void*, const FilterRows& rows, std::uint32_t first)
{
    const std::uint32_t slots = rows.SlotCount();
    for (std::uint32_t slot = first; slot < slots; ++slot)
    {
        if (auto* request = reinterpret_cast<sMakeCheckStruct*>(rows.At(slot).item))
            CPendingRequests::RowMoved(*request, slot);
    }
}
