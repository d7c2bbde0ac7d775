// The baseline the grids are measured against: Qt's model/view classes doing the same work on the
// same rows as bench_grid_million. A QStandardItemModel of six columns holds the rows (decimals
// kept as numbers in the sort role, so that Qt compares numbers, not texts), a
// QSortFilterProxyModel sorts them and filters two columns by prefix, ignoring case, as the
// filter row does. bench/compare runs both programs and prints the ratios.
#include "bench/GridBenchData.h"

#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using gridbench::kColumns;

constexpr int kMillion = 1000000;
constexpr int kSortRole = Qt::UserRole + 1;

QList<QStandardItem*> MakeItems(std::uint64_t row)
{
    const gridbench::RowData data = gridbench::MakeRow(row);
    QList<QStandardItem*> items;
    items.reserve(kColumns);
    for (int c = 0; c < kColumns; ++c)
    {
        auto* item = new QStandardItem(QString::fromStdString(data.cells[static_cast<std::size_t>(c)]));
        // A decimal "NA" sorts as 0, as in our lists.
        if (c == 2)
            item->setData(data.price, kSortRole);
        else if (c == 3)
            item->setData(data.quantity, kSortRole);
        else if (c == 4)
            item->setData(data.value < 0 ? 0.0 : data.value, kSortRole);
        else
            item->setData(item->text(), kSortRole);
        items.append(item);
    }
    return items;
}

// Two columns filtered at once, each by a prefix in any case (Qt's proxy filters one column).
class TwoColumnProxy : public QSortFilterProxyModel
{
public:
    void SetFilters(const QString& symbol, const QString& side)
    {
        m_symbol = symbol;
        m_side = side;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto passes = [&](int column, const QString& prefix)
        {
            return prefix.isEmpty() || sourceModel()
                                           ->index(row, column, parent)
                                           .data()
                                           .toString()
                                           .startsWith(prefix, Qt::CaseInsensitive);
        };
        return passes(0, m_symbol) && passes(1, m_side);
    }

private:
    QString m_symbol;
    QString m_side;
};

struct Grid
{
    QStandardItemModel model{0, kColumns};
    TwoColumnProxy proxy;
    Grid()
    {
        proxy.setSortRole(kSortRole);
        proxy.setSourceModel(&model);
    }
};

struct MillionRows
{
    Grid grid;
    MillionRows()
    {
        for (int row = 0; row < kMillion; ++row)
            grid.model.appendRow(MakeItems(static_cast<std::uint64_t>(row)));
    }
};

MillionRows& Rows()
{
    static auto* rows = new MillionRows;
    return *rows;
}

// Each run sorts the other way round, as a second header click would.
void Sort(benchmark::State& state, int column)
{
    TwoColumnProxy& proxy = Rows().grid.proxy;
    Qt::SortOrder order = Qt::AscendingOrder;
    for (auto _ : state)
    {
        proxy.sort(column, order);
        order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    }
    proxy.sort(-1);
}

void Qt_SortDecimal_1M(benchmark::State& state)
{
    Sort(state, 2);
}
BENCHMARK(Qt_SortDecimal_1M)->Unit(benchmark::kMillisecond)->Iterations(1);

void Qt_SortText_1M(benchmark::State& state)
{
    Sort(state, 0);
}
BENCHMARK(Qt_SortText_1M)->Unit(benchmark::kMillisecond)->Iterations(1);

void Qt_FilterTwoColumns_1M(benchmark::State& state)
{
    TwoColumnProxy& proxy = Rows().grid.proxy;
    for (auto _ : state)
    {
        proxy.SetFilters(gridbench::kSymbolFilter, gridbench::kSideFilter);
        state.PauseTiming();
        state.counters["visible"] = proxy.rowCount();
        proxy.SetFilters({}, {});
        state.ResumeTiming();
    }
}
BENCHMARK(Qt_FilterTwoColumns_1M)->Unit(benchmark::kMillisecond)->Iterations(2);

// Rows inserted one by one at the top of the model, the side filter on.
void Qt_InsertTopFiltered(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        state.PauseTiming();
        auto grid = std::make_unique<Grid>();
        grid->proxy.SetFilters({}, gridbench::kSideFilter);
        state.ResumeTiming();
        for (int i = 0; i < count; ++i)
            grid->model.insertRow(0, MakeItems(static_cast<std::uint64_t>(i)));
        state.PauseTiming();
        state.counters["visible"] = grid->proxy.rowCount();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(Qt_InsertTopFiltered)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Rows deleted one by one at random places until none is left.
void Qt_DeleteRandom(benchmark::State& state)
{
    const auto count = static_cast<int>(state.range(0));
    gridbench::Random random(99);
    for (auto _ : state)
    {
        state.PauseTiming();
        auto grid = std::make_unique<Grid>();
        for (int i = 0; i < count; ++i)
            grid->model.appendRow(MakeItems(static_cast<std::uint64_t>(i)));
        state.ResumeTiming();
        for (int left = count; left > 0; --left)
            grid->model.removeRow(static_cast<int>(random.Next() % static_cast<std::uint64_t>(left)));
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(Qt_DeleteRandom)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
