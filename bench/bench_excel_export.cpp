// Exporting a list of 100,000 rows by 6 columns (ids, integers, decimals with placeholders and
// text) to a spreadsheet file, as "Write to Excel" does. The texts are made beforehand so that
// the figure is the exporter's, not the list's.
#include "excel/ExcelInterface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int kRows = 100000;
constexpr int kColumns = 6;

struct List
{
    const char* names[kColumns] = {"Request Id", "Quantity", "Price", "Side", "Client", "Rate"};
    int types[kColumns] = {4, 1, 2, 3, 3, 7};
    std::vector<std::string> cells; // row-major, kColumns per row

    List()
    {
        cells.reserve(static_cast<std::size_t>(kRows) * kColumns);
        for (int row = 0; row < kRows; ++row)
        {
            cells.push_back(std::to_string(100000000000LL + row));
            cells.push_back(std::to_string(row % 5000));
            cells.push_back(std::to_string(row % 977) + "." + std::to_string(10 + row % 90));
            cells.push_back(row % 2 ? "Buy" : "Sell");
            cells.push_back("Client " + std::to_string(row % 1234));
            cells.push_back(row % 7 == 0 ? "NA" : std::to_string(row % 100) + ".5");
        }
    }

    static int Provide(void* context, int row, int column, std::string& text, int& dataType)
    {
        const auto& list = *static_cast<const List*>(context);
        if (row == 0)
        {
            text = list.names[column];
            dataType = list.types[column];
        }
        else
            text =
                list.cells[static_cast<std::size_t>(row - 1) * kColumns + static_cast<std::size_t>(column)];
        return 1;
    }
};

void BM_ExportRows(benchmark::State& state)
{
    const List list;
    std::string pattern = (std::filesystem::temp_directory_path() / "kivo-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    const std::filesystem::path folder = pattern;
    setenv("KIVO_EXPORT_DIR", folder.c_str(), 1);

    for (auto _ : state)
    {
        CExcelInterface exporter(kRows + 1, kColumns, "Bench");
        exporter.m_pfnCellProvider = &List::Provide;
        exporter.m_pContext = const_cast<List*>(&list);
        if (!exporter.WriteToExcel())
        {
            state.SkipWithError(exporter.GetErrorText().c_str());
            break;
        }
        state.PauseTiming();
        std::filesystem::remove(exporter.GetFilePath());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ExportRows)->Unit(benchmark::kMillisecond);

} // namespace
