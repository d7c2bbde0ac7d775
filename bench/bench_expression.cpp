// EvaluateExpression on the texts user-defined columns hand it once cell values are in place.
#include "grid/ExpressionEvaluator.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
void Evaluate(benchmark::State& state, const std::string& text)
{
    for (auto _ : state)
    {
        double value = 0;
        benchmark::DoNotOptimize(EvaluateExpression(text, value));
        benchmark::DoNotOptimize(value);
    }
}

void BM_PriceTimesQuantity(benchmark::State& state)
{
    Evaluate(state, " 12.5*(3+4)");
}
BENCHMARK(BM_PriceTimesQuantity);

void BM_TenOperands(benchmark::State& state)
{
    Evaluate(state, " 1520.75*250+(98.5-12.25)*3/4-1000\\7+64.5*2-0.75*(18+6)");
}
BENCHMARK(BM_TenOperands);

void BM_NegativeCell(benchmark::State& state)
{
    Evaluate(state, " 1520.75* -250");
}
BENCHMARK(BM_NegativeCell);
} // namespace
