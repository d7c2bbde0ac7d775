// Every grid at a million rows of six columns: sorting the common list and the filter list by a
// decimal and a text column, a two-column filter, inserting at the top of a newest-first list with
// a filter on, deleting by store index in random order, and the memory each row or record takes.
// bench/compare runs this beside the Qt model/view baseline (bench/qt) and prints the ratios.
#include "bench/GridBenchData.h"
#include "bench/HeapInUse.h"
#include "grid/CommonListCtrl.h"
#include "grid/FilterListCtrl.h"
#include "winlib/Backend.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

namespace
{

using gridbench::kColumns;

constexpr int kMillion = 1000000;
constexpr DWORD kGridStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA;

using bench::HeapInUse;

std::vector<sKivoColInfo> Columns()
{
    std::vector<sKivoColInfo> columns;
    for (int c = 0; c < kColumns; ++c)
    {
        sKivoColInfo info;
        info.SetName(gridbench::kNames[c]);
        info.m_nWidth = 80;
        info.m_nDataType = gridbench::kTypes[c];
        columns.push_back(info);
    }
    return columns;
}

// The owner's records for the filter list; not counted as the list's memory.
struct Record
{
    std::array<std::string, kColumns> cells;
};

const std::vector<Record>& Records()
{
    static const std::vector<Record> records = []
    {
        std::vector<Record> made(kMillion);
        for (int row = 0; row < kMillion; ++row)
            made[static_cast<std::size_t>(row)].cells =
                gridbench::MakeRow(static_cast<std::uint64_t>(row)).cells;
        return made;
    }();
    return records;
}

BOOL RecordCell(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF&, int&)
{
    const auto* record = reinterpret_cast<const Record*>(item);
    if (!record || column < 0 || column >= kColumns)
        return FALSE;
    text = record->cells[static_cast<std::size_t>(column)];
    return TRUE;
}

class ClickableCommonList : public CCommonListCtrl
{
public:
    void Click(int item) { SortByHeaderClick(item); }
};

class ClickableFilterList : public CFilterListCtrl
{
public:
    void Click(int item) { SortByHeaderClick(item); }
};

CWnd& Parent()
{
    static CWnd* parent = []
    {
        auto* wnd = new CWnd;
        wnd->CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 800, 600), nullptr, 0);
        return wnd;
    }();
    return *parent;
}

// ---- The common list: a million rows of text ----------------------------------------------------

struct CommonFixture
{
    ClickableCommonList list;
    double bytesPerRow = 0;

    explicit CommonFixture(int rows)
    {
        list.m_strListName = "BenchCommon";
        list.m_arrColumns = Columns();
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 800, 600), &Parent(), 1);
        list.InitColumns();
        list.SetRedraw(FALSE);
        const std::size_t before = HeapInUse();
        for (int row = 0; row < rows; ++row)
        {
            const gridbench::RowData data = gridbench::MakeRow(static_cast<std::uint64_t>(row));
            const int index = list.InsertItem(row, data.cells[0].c_str());
            for (int c = 1; c < kColumns; ++c)
                list.SetItemText(index, c, data.cells[static_cast<std::size_t>(c)].c_str());
        }
        bytesPerRow = static_cast<double>(HeapInUse() - before) / rows;
    }
};

// One list per size, made at its first use and kept for every repetition. It is sorted once
// before anything is measured: the first sort of a list also gets the pages of the work arrays
// that every later sort reuses (the floor makes its arrays outside its measurement as well).
CommonFixture& Common(int rows)
{
    static std::map<int, std::unique_ptr<CommonFixture>> made;
    auto& fixture = made[rows];
    if (!fixture)
    {
        fixture = std::make_unique<CommonFixture>(rows);
        fixture->list.Click(3);
        fixture->list.Click(5);
    }
    return *fixture;
}

void CommonList_SortDecimal(benchmark::State& state)
{
    CommonFixture& f = Common(static_cast<int>(state.range(0)));
    for (auto _ : state)
        f.list.Click(2); // each click reverses the last order
    state.counters["bytes_per_row"] = f.bytesPerRow;
}
BENCHMARK(CommonList_SortDecimal)->Arg(100000)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

void CommonList_SortText(benchmark::State& state)
{
    CommonFixture& f = Common(static_cast<int>(state.range(0)));
    for (auto _ : state)
        f.list.Click(0);
}
BENCHMARK(CommonList_SortText)->Arg(100000)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

// ---- The filter list in data mode ---------------------------------------------------------------

std::unique_ptr<ClickableFilterList> MakeFilterList(bool newestFirst)
{
    Records(); // made once, before anything is measured
    auto list = std::make_unique<ClickableFilterList>();
    list->m_strListName = "BenchFilter";
    list->m_arrColumns = Columns();
    list->CreateEx(0, kGridStyle, CRect(0, 0, 800, 600), &Parent(), 2);
    list->InitColumns();
    list->SetDataDescriptor(&RecordCell);
    list->EnableFilter(TRUE);
    list->SetNewestFirst(newestFirst ? TRUE : FALSE);
    return list;
}

void Insert(CFilterListCtrl& list, int count)
{
    const std::vector<Record>& records = Records();
    for (int i = 0; i < count; ++i)
    {
        list.InsertItem(0, "");
        list.SetItemData(0, reinterpret_cast<DWORD_PTR>(&records[static_cast<std::size_t>(i)]));
    }
}

struct FilterFixture
{
    std::unique_ptr<ClickableFilterList> list = MakeFilterList(false);
    explicit FilterFixture(int records) { Insert(*list, records); }
};

FilterFixture& Filtered(int records = kMillion)
{
    static std::map<int, std::unique_ptr<FilterFixture>> made;
    auto& fixture = made[records];
    if (!fixture)
    {
        fixture = std::make_unique<FilterFixture>(records);
        fixture->list->Click(3); // as the common list's fixture: the work arrays' pages
        fixture->list->Click(5);
    }
    return *fixture;
}

void FilterList_SortDecimal(benchmark::State& state)
{
    FilterFixture& f = Filtered(static_cast<int>(state.range(0)));
    for (auto _ : state)
        f.list->Click(2);
    state.counters["bytes_per_record"] =
        static_cast<double>(f.list->Rows().MemoryBytes()) / static_cast<double>(f.list->GetStoreCount());
}
BENCHMARK(FilterList_SortDecimal)->Arg(100000)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

void FilterList_SortText(benchmark::State& state)
{
    FilterFixture& f = Filtered(static_cast<int>(state.range(0)));
    for (auto _ : state)
        f.list->Click(0);
}
BENCHMARK(FilterList_SortText)->Arg(100000)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

// The filter row's two fields filled in, then the owner's ApplyFilter; the filter is cleared
// outside the measurement so that each run filters all million records.
void FilterList_FilterTwoColumns_1M(benchmark::State& state)
{
    FilterFixture& f = Filtered();
    for (auto _ : state)
    {
        f.list->SetColumnFilter(0, gridbench::kSymbolFilter);
        f.list->SetColumnFilter(1, gridbench::kSideFilter);
        f.list->ApplyFilter();
        state.PauseTiming();
        state.counters["visible"] = f.list->GetItemCount();
        f.list->ResetFilters();
        f.list->ApplyFilter();
        state.ResumeTiming();
    }
}
BENCHMARK(FilterList_FilterTwoColumns_1M)->Unit(benchmark::kMillisecond)->Iterations(5);

void FilterList_InsertTopFiltered(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        state.PauseTiming();
        auto list = MakeFilterList(true);
        list->SetColumnFilter(1, gridbench::kSideFilter);
        state.ResumeTiming();
        Insert(*list, count);
        state.PauseTiming();
        state.counters["visible"] = list->GetItemCount();
        list->DestroyWindow();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FilterList_InsertTopFiltered)
    ->Arg(100000)
    ->Arg(kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

void FilterList_DeleteRandom(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    gridbench::Random random(99);
    for (auto _ : state)
    {
        state.PauseTiming();
        auto list = MakeFilterList(true);
        Insert(*list, count);
        state.ResumeTiming();
        for (int left = count; left > 0; --left)
            list->DeleteDataItem(static_cast<int>(random.Next() % static_cast<std::uint64_t>(left)));
        state.PauseTiming();
        list->DestroyWindow();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FilterList_DeleteRandom)->Arg(100000)->Arg(kMillion)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
