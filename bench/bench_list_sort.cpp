// Sorting a common list of 100,000 rows by a header click: a decimal column and a text column.
#include "grid/CommonListCtrl.h"
#include "winlib/Backend.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace
{

class SortableList : public CCommonListCtrl
{
public:
    void Click(int position) { SortByHeaderClick(position); }
};

struct Fixture
{
    static constexpr int kRows = 100000;
    CWnd parent;
    SortableList list;

    Fixture()
    {
        parent.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 800, 600), nullptr, 0);
        list.m_strListName = "Bench";
        const char* names[] = {"Symbol", "Side", "Price", "Quantity", "Value", "Trader"};
        const int types[] = {3, 3, 2, 1, 2, 3};
        for (int c = 0; c < 6; ++c)
        {
            sKivoColInfo info;
            info.SetName(names[c]);
            info.m_nWidth = 80;
            info.m_nDataType = types[c];
            list.m_arrColumns.push_back(info);
        }
        list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 800, 600), &parent, 1);
        list.InitColumns();
        std::mt19937 random(42);
        std::uniform_int_distribution<int> letter('A', 'Z');
        std::uniform_real_distribution<double> price(1.0, 5000.0);
        list.SetRedraw(FALSE);
        for (int row = 0; row < kRows; ++row)
        {
            std::string symbol;
            for (int i = 0; i < 6; ++i)
                symbol += static_cast<char>(letter(random));
            const int index = list.InsertItem(row, symbol.c_str());
            list.SetItemText(index, 1, row % 2 ? "BUY" : "SELL");
            list.SetItemText(index, 2, std::to_string(price(random)).c_str());
            list.SetItemText(index, 3, std::to_string(random() % 10000).c_str());
            list.SetItemText(index, 4, row % 97 == 0 ? "NA" : std::to_string(price(random) * 10).c_str());
            list.SetItemText(index, 5, ("T" + std::to_string(row % 50)).c_str());
        }
    }
};

Fixture& Shared()
{
    static std::unique_ptr<Fixture> fixture = std::make_unique<Fixture>();
    return *fixture;
}

void SortByDecimalColumn(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state)
        f.list.Click(2); // each click reverses the order of the last
    state.SetItemsProcessed(state.iterations() * Fixture::kRows);
}
BENCHMARK(SortByDecimalColumn)->Unit(benchmark::kMillisecond)->Iterations(4);

void SortByTextColumn(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state)
        f.list.Click(0);
    state.SetItemsProcessed(state.iterations() * Fixture::kRows);
}
BENCHMARK(SortByTextColumn)->Unit(benchmark::kMillisecond)->Iterations(4);

} // namespace
