// Dragging ten thousand rows of a drag list with the mouse, from the press to the end of the drop:
// within the list (below its last row) and into another drag list. The lists are filled again
// before each drag, outside the measured time.
#include "controls/KTDragListCtrl.h"
#include "winlib/testing/Driver.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

constexpr int kDragged = 10000;

class Host : public CWnd
{
public:
    Host() { CreateEx(0, "AfxWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr, nullptr); }
};

struct Lists
{
    winlib::testing::Driver driver;
    Host host;
    CKTDragListCtrl left;
    CKTDragListCtrl right;

    Lists()
    {
        for (CKTDragListCtrl* list : {&left, &right})
        {
            const int x = list == &left ? 10 : 300;
            list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(x, 10, x + 250, 300),
                         &host, list == &left ? 1 : 2);
            list->InsertColumn(0, "Name", LVCFMT_LEFT, 120);
            list->InsertColumn(1, "Note", LVCFMT_LEFT, 100);
        }
    }
    // The left list holds one row more than is dragged, all selected but the last.
    void Fill()
    {
        left.DeleteAllItems();
        right.DeleteAllItems();
        for (int i = 0; i <= kDragged; ++i)
        {
            left.InsertItem(i, std::to_string(i).c_str());
            left.SetItemText(i, 1, "note");
        }
        left.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
        left.SetItemState(kDragged, 0, LVIS_SELECTED);
        left.EnsureVisible(0, FALSE);
        driver.Pump();
    }
    // 'toEnd' scrolls the list to its last row once the drag has begun.
    void Drag(CKTDragListCtrl& target, CPoint drop, bool toEnd)
    {
        CRect row;
        left.GetItemRect(0, &row, LVIR_BOUNDS);
        const CPoint press(20, row.CenterPoint().y);
        driver.MouseDown(left.m_hWnd, press);
        driver.MouseMove(left.m_hWnd, CPoint(press.x + 8, press.y + 8));
        if (toEnd)
            left.EnsureVisible(kDragged, FALSE);
        driver.MouseMove(target.m_hWnd, drop);
        driver.MouseUp(target.m_hWnd, drop);
    }
};

void BM_DragTenThousandRowsWithinTheList(benchmark::State& state)
{
    Lists lists;
    for (auto _ : state)
    {
        state.PauseTiming();
        lists.Fill();
        state.ResumeTiming();
        lists.Drag(lists.left, CPoint(20, 280), true);
    }
    if (lists.left.GetItemText(0, 0) != std::to_string(kDragged))
        state.SkipWithError("the rows did not move");
    state.SetItemsProcessed(state.iterations() * kDragged);
}
BENCHMARK(BM_DragTenThousandRowsWithinTheList)->Unit(benchmark::kMillisecond);

void BM_DragTenThousandRowsIntoAnotherList(benchmark::State& state)
{
    Lists lists;
    for (auto _ : state)
    {
        state.PauseTiming();
        lists.Fill();
        state.ResumeTiming();
        lists.Drag(lists.right, CPoint(20, 100), false);
    }
    if (lists.right.GetItemCount() != kDragged || lists.left.GetItemCount() != 1)
        state.SkipWithError("the rows did not move");
    state.SetItemsProcessed(state.iterations() * kDragged);
}
BENCHMARK(BM_DragTenThousandRowsIntoAnotherList)->Unit(benchmark::kMillisecond);

} // namespace
