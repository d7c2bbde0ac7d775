// The sectioned detail grid: painting one screen (30 lines in 6 sections) through the null and,
// when the Qt backend is built, the Qt canvas; expanding every one of 10,000 sections of 20
// lines; and filtering those sections by two columns.
#include "dozizedizizi/DetailSection.h"
#include "grid/MultiLineListCtrl.h"
#include "winlib/testing/Driver.h"
#ifdef KIVO_BENCH_QT
#include "winlib/qt/QtBackend.h"
#endif

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kWidth = 600; // wider than the columns: no horizontal scroll bar

sKivoColInfo Column(const char* name, int width, int format)
{
    sKivoColInfo info;
    info.SetName(name);
    info.m_nWidth = width;
    info.m_nFormat = format;
    info.m_nDataType = 3;
    return info;
}

// Sections as the detail builders make them: a title and rows "Limit k" with a value and an old
// value that differ from section to section.
std::vector<std::unique_ptr<sDetailSection>> MakeSections(int count, int linesEach)
{
    std::vector<std::unique_ptr<sDetailSection>> sections;
    sections.reserve(static_cast<std::size_t>(count));
    for (int s = 0; s < count; ++s)
    {
        auto section = std::make_unique<sDetailSection>();
        section->m_pTitle = std::make_unique<sMCListStruct>();
        section->m_pTitle->m_strField = "Exchange " + std::to_string(s);
        section->m_pTitle->m_strValue = "Value";
        section->m_pTitle->m_strOldValue = "Old Value";
        for (int k = 1; k < linesEach; ++k)
        {
            auto row = std::make_unique<sMCListStruct>();
            row->m_strField = "Limit " + std::to_string(k);
            row->m_strValue = std::to_string((s * 37 + k * 101) % 1000);
            row->m_strOldValue = std::to_string((s * 13 + k * 7) % 1000);
            section->m_arrRows.push_back(std::move(row));
        }
        sections.push_back(std::move(section));
    }
    return sections;
}

class Grid
{
public:
    Grid(const std::vector<std::unique_ptr<sDetailSection>>& sections, int height)
    {
        host.CreateEx(0, "AfxWnd", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, height, nullptr, nullptr);
        grid.m_arrColumns = {Column("Field", 160, 0), Column("Value", 200, 2), Column("Old Value", 200, 2)};
        grid.CreateEx(0, 0x50811401, CRect(0, 0, kWidth, height), &host, 4001);
        grid.InitColumns();
        grid.SetBkColor(RGB(255, 255, 255));
        grid.SetTextColor(RGB(0, 0, 0));
        grid.EnableSectionMode(TRUE);
        grid.SetDataDescriptor(&DescribeDetailSection);
        grid.SetHighlightSelectedLine(TRUE);
        for (const auto& section : sections)
        {
            grid.InsertSectionItem(grid.GetSectionCount(), " ");
            grid.SetSectionData(grid.GetSectionCount(), section.get(), section->GetLineCount());
        }
    }
    ~Grid() { host.DestroyWindow(); }

    CWnd host;
    CMultiLineListCtrl grid;
};

// A grid of 6 sections of 5 lines, sized to show exactly those 30 lines.
class PaintScreen
{
public:
    PaintScreen() : m_sections(MakeSections(6, 5)), m_grid(m_sections, 900)
    {
        m_grid.grid.ExpandAllSections();
        m_grid.grid.CListCtrl::SetItemState(4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        CRect row;
        m_grid.grid.CListCtrl::GetItemRect(0, &row, LVIR_BOUNDS);
        // The window's frame and bars come on top of the header and the 30 lines.
        CRect window;
        CRect client;
        m_grid.grid.GetWindowRect(&window);
        m_grid.grid.GetClientRect(&client);
        const int height = row.top + 30 * row.Height() + window.Height() - client.Height();
        m_grid.host.MoveWindow(0, 0, kWidth, height);
        m_grid.grid.MoveWindow(0, 0, kWidth, height);
    }
    bool ShowsOneScreen() const
    {
        return m_grid.grid.GetLineCount() == 30 && m_grid.grid.CListCtrl::GetCountPerPage() == 30;
    }
    void Paint()
    {
        RedrawWindow(m_grid.grid, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

private:
    std::vector<std::unique_ptr<sDetailSection>> m_sections;
    Grid m_grid;
};

void PaintOneScreenNullCanvas(benchmark::State& state)
{
    winlib::testing::Driver driver;
    PaintScreen screen;
    driver.Pump();
    if (!screen.ShowsOneScreen())
    {
        state.SkipWithError("the grid does not show 30 lines");
        return;
    }
    for (auto _ : state)
        screen.Paint();
}
BENCHMARK(PaintOneScreenNullCanvas)->Unit(benchmark::kMicrosecond);

#ifdef KIVO_BENCH_QT
void PaintOneScreenQtCanvas(benchmark::State& state)
{
    winlib::testing::Driver driver;
    static int argc = 1;
    static char name[] = "bench_multiline";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    winlib::qt::InstallQtBackend(argc, argv);
    {
        PaintScreen screen;
        screen.Paint();
        if (!screen.ShowsOneScreen())
        {
            state.SkipWithError("the grid does not show 30 lines");
            return;
        }
        for (auto _ : state)
            screen.Paint();
    }
}
BENCHMARK(PaintOneScreenQtCanvas)->Unit(benchmark::kMicrosecond);
#endif

constexpr int kSections = 10000;
constexpr int kLinesEach = 20;

const std::vector<std::unique_ptr<sDetailSection>>& LargeDetail()
{
    static const auto sections = MakeSections(kSections, kLinesEach);
    return sections;
}

void ExpandAll10000Sections(benchmark::State& state)
{
    winlib::testing::Driver driver;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto grid = std::make_unique<Grid>(LargeDetail(), 600);
        state.ResumeTiming();
        grid->grid.ExpandAllSections();
        state.PauseTiming();
        if (grid->grid.GetLineCount() != kSections * kLinesEach)
            state.SkipWithError("not every line is shown");
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["lines"] = kSections * kLinesEach;
}
BENCHMARK(ExpandAll10000Sections)->Unit(benchmark::kMillisecond)->Iterations(20);

// Field starting with "limit 19" (the last row line of every section) and a value above 990,
// which few lines hold: most sections are read to their end in both columns.
void FilterTwoColumns(benchmark::State& state)
{
    winlib::testing::Driver driver;
    Grid grid(LargeDetail(), 600);
    grid.grid.ExpandAllSections();
    grid.grid.SetColumnFilter(0, "limit 19", FALSE);
    grid.grid.SetColumnFilter(1, ">990", FALSE);
    int shown = 0;
    for (auto _ : state)
    {
        grid.grid.ApplyFilter();
        shown = grid.grid.GetVisibleEntryCount();
    }
    if (shown == 0 || shown == kSections)
        state.SkipWithError("the filter should keep some sections and drop others");
    state.counters["shown"] = shown;
}
BENCHMARK(FilterTwoColumns)->Unit(benchmark::kMillisecond);

} // namespace
