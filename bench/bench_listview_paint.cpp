// Painting one screen of a report list view: 50 rows of 6 columns with its header, through
// the recording canvas that tests read back, the null canvas (what the control itself
// costs) and, when the Qt backend is built, the Qt canvas that paints real pixels. Each
// case paints an ordinary list and an owner-data list that asks its parent for every cell.
#include "winlib/CommCtrl.h"
#include "winlib/ListCtrl.h"
#include "winlib/testing/Driver.h"
#ifdef KIVO_BENCH_QT
#include "winlib/qt/QtBackend.h"
#endif

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{

constexpr int kRows = 50;
constexpr int kColumns = 6;
constexpr int kItems = 1000;
constexpr int kWidth = 640;

// The list's parent, answering LVN_GETDISPINFO as an owner-data list's owner does.
class Host : public CWnd
{
public:
    Host() { CreateEx(0, "AfxWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, 900, nullptr, nullptr); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFO)
        {
            auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
            if ((di->item.mask & LVIF_TEXT) && di->item.pszText)
                std::snprintf(di->item.pszText, static_cast<std::size_t>(di->item.cchTextMax), "%d.%d",
                              di->item.iItem, di->item.iSubItem);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A list sized to show exactly kRows rows under its header.
class Screen
{
public:
    explicit Screen(bool ownerData)
    {
        list.Create(LVS_REPORT | LVS_SHOWSELALWAYS | WS_VISIBLE | (ownerData ? LVS_OWNERDATA : 0U),
                    CRect(0, 0, kWidth, 900), &host, 1);
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        for (int c = 0; c < kColumns; ++c)
            list.InsertColumn(c, ("Column " + std::to_string(c)).c_str(), c == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT,
                              100);
        if (ownerData)
            list.SetItemCountEx(kItems, LVSICF_NOSCROLL);
        else
        {
            for (int i = 0; i < kItems; ++i)
            {
                list.InsertItem(i, ("item " + std::to_string(i)).c_str());
                for (int c = 1; c < kColumns; ++c)
                    list.SetItemText(i, c, (std::to_string(i * 10 + c) + ".25").c_str());
            }
        }
        list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        CRect row;
        list.GetItemRect(0, &row, LVIR_BOUNDS);
        const int height = row.top + kRows * row.Height();
        host.MoveWindow(0, 0, kWidth, height);
        list.MoveWindow(0, 0, kWidth, height);
    }

    bool ShowsOneScreen() const { return list.GetCountPerPage() == kRows; }

    void Paint()
    {
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    Host host;
    CListCtrl list;
};

void PaintHeadless(benchmark::State& state, winlib::HeadlessDrawing drawing, bool ownerData)
{
    winlib::testing::Driver driver(drawing);
    auto screen = std::make_unique<Screen>(ownerData);
    driver.Pump();
    if (!screen->ShowsOneScreen())
    {
        state.SkipWithError("the list does not show one screen of rows");
        return;
    }
    for (auto _ : state)
    {
        driver.ClearDrawing();
        screen->Paint();
    }
    if (drawing == winlib::HeadlessDrawing::Recording)
        state.counters["texts"] = static_cast<double>(driver.Texts(screen->list).size());
    state.counters["rows/s"] = benchmark::Counter(kRows, benchmark::Counter::kIsIterationInvariantRate);
}

void RecordingCanvas(benchmark::State& state, bool ownerData)
{
    PaintHeadless(state, winlib::HeadlessDrawing::Recording, ownerData);
}

void NullCanvas(benchmark::State& state, bool ownerData)
{
    PaintHeadless(state, winlib::HeadlessDrawing::Null, ownerData);
}

BENCHMARK_CAPTURE(RecordingCanvas, items, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RecordingCanvas, owner_data, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(NullCanvas, items, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(NullCanvas, owner_data, true)->Unit(benchmark::kMicrosecond);

#ifdef KIVO_BENCH_QT
void QtCanvas(benchmark::State& state, bool ownerData)
{
    winlib::testing::Driver driver;
    static int argc = 1;
    static char name[] = "bench_listview_paint";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    winlib::qt::InstallQtBackend(argc, argv);
    {
        auto screen = std::make_unique<Screen>(ownerData);
        screen->Paint();
        if (!screen->ShowsOneScreen())
        {
            state.SkipWithError("the list does not show one screen of rows");
            return;
        }
        for (auto _ : state)
            screen->Paint();
        state.counters["rows/s"] = benchmark::Counter(kRows, benchmark::Counter::kIsIterationInvariantRate);
    }
}

BENCHMARK_CAPTURE(QtCanvas, items, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(QtCanvas, owner_data, true)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
