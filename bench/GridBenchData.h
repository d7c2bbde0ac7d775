// The rows every grid benchmark works on, ours and the Qt baseline alike: six columns (symbol,
// side, price, quantity, value, trader) of short texts, the same for the same row number.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace gridbench
{

constexpr int kColumns = 6;
constexpr const char* kNames[kColumns] = {"Symbol", "Side", "Price", "Quantity", "Value", "Trader"};
// Data types of the columns: text, text, decimal, integer, decimal, text.
constexpr int kTypes[kColumns] = {3, 3, 2, 1, 2, 3};

// A small, fast generator, so that both programs make the same rows without sharing a library.
struct Random
{
    std::uint64_t state;
    explicit Random(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
};

struct RowData
{
    std::array<std::string, kColumns> cells;
    double price = 0;
    int quantity = 0;
    double value = 0; // -1 stands for "NA"
};

inline RowData MakeRow(std::uint64_t row)
{
    Random random(row + 1);
    RowData data;
    std::string symbol(6, 'A');
    for (char& c : symbol)
        c = static_cast<char>('A' + random.Next() % 26);
    data.cells[0] = symbol;
    data.cells[1] = (random.Next() % 2) ? "BUY" : "SELL";
    data.price = 1 + static_cast<double>(random.Next() % 499900) / 100.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", data.price);
    data.cells[2] = text;
    data.quantity = static_cast<int>(random.Next() % 10000);
    data.cells[3] = std::to_string(data.quantity);
    if (row % 97 == 0)
    {
        data.value = -1;
        data.cells[4] = "NA";
    }
    else
    {
        data.value = static_cast<double>(random.Next() % 5000000) / 100.0;
        std::snprintf(text, sizeof text, "%.2f", data.value);
        data.cells[4] = text;
    }
    data.cells[5] = "T" + std::to_string(row % 50);
    return data;
}

// The two-column filter: symbols beginning with "a" and sides beginning with "b", in any case.
constexpr const char* kSymbolFilter = "a";
constexpr const char* kSideFilter = "b";

} // namespace gridbench
