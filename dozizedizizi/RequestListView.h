// The request list as the view of the pending requests: a filter list in data mode whose records
// hold the requests' records, in the model's store order. A row's handle is its record's store
// slot, which the list renumbers when it sweeps its store; it tells the records as it does.
#pragma once

#include "dozizedizizi/PendingRequests.h"
#include "grid/FilterListCtrl.h"

class CRequestListView : public CPendingRequestsView
{
public:
    // The list shows no items but the model's requests from now on.
    explicit CRequestListView(CFilterListCtrl& list);
    ~CRequestListView() override;
    CRequestListView(const CRequestListView&) = delete;
    CRequestListView& operator=(const CRequestListView&) = delete;

    int RowCount() const override { return m_list.GetStoreCount(); }
    const sMakeCheckStruct* RequestAt(int index) const override;
    int IndexOfRow(std::uint32_t row, const sMakeCheckStruct& request) const override;

    std::uint32_t RowInserted(int index, sMakeCheckStruct& request) override;
    void RowChanged(int index) override;
    void RowRemoved(int index) override;
    void AllRemoved() override;

private:
    static void SlotsRenumbered(void* context, const FilterRows& rows, std::uint32_t first);

    CFilterListCtrl& m_list;
};
