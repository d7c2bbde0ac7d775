// The floor the grids are measured against: only the essential work on the same rows as
// bench_grid_million, done the fastest way known, with no list, no window and no messages.
// A sort parses each row's cell once and orders the rows by a radix sort of integer keys
// (decimals as integers at their scale, texts by their first eight bytes, ties of those by
// comparing the rest); the filter tests two cells per row for a prefix in any case; inserting at
// the top appends a pointer; a deletion by rank finds and clears a bit in a counted bit set; a
// request found by its key is one probe of an open-addressed table holding the short keys
// themselves beside their records' addresses, in large pages.
// Work arrays are made once, outside the measurement: a fresh page costs a fault, which is no
// essential work. bench/compare prints each of our figures as a multiple of its floor.
#include "bench/GridBenchData.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <sys/mman.h>
#include <map>
#include <random>
#include <string_view>
#include <string>
#include <vector>

namespace
{

using gridbench::kColumns;

struct Record
{
    std::array<std::string, kColumns> cells;
};

const std::vector<Record>& Records(int count)
{
    static std::map<int, std::vector<Record>> made;
    std::vector<Record>& records = made[count];
    if (records.empty())
    {
        records.resize(static_cast<std::size_t>(count));
        for (int row = 0; row < count; ++row)
            records[static_cast<std::size_t>(row)].cells =
                gridbench::MakeRow(static_cast<std::uint64_t>(row)).cells;
    }
    return records;
}

// Stable LSD radix sort of 64-bit entries on their low 'bits' bits, 11-bit digits; a digit that
// every entry shares costs no pass.
void RadixSort(std::vector<std::uint64_t>& keys, std::vector<std::uint64_t>& scratch, int bits)
{
    constexpr int kDigit = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigit;
    const int passes = (bits + kDigit - 1) / kDigit;
    std::vector<std::uint32_t> counts(kBuckets * static_cast<std::size_t>(passes), 0);
    for (const std::uint64_t k : keys)
        for (int p = 0; p < passes; ++p)
            ++counts[static_cast<std::size_t>(p) * kBuckets + ((k >> (p * kDigit)) & (kBuckets - 1))];
    for (int p = 0; p < passes; ++p)
    {
        std::uint32_t* count = counts.data() + static_cast<std::size_t>(p) * kBuckets;
        const int shift = p * kDigit;
        if (count[(keys[0] >> shift) & (kBuckets - 1)] == keys.size())
            continue;
        std::uint32_t offset = 0;
        for (std::size_t b = 0; b < kBuckets; ++b)
            offset += std::exchange(count[b], offset);
        for (const std::uint64_t k : keys)
            scratch[count[(k >> shift) & (kBuckets - 1)]++] = k;
        keys.swap(scratch);
    }
}

// The same on (key, row) pairs, by the key.
struct KeyRow
{
    std::uint64_t key;
    std::uint32_t row;
};

void RadixSort(std::vector<KeyRow>& rows, std::vector<KeyRow>& scratch, int bits)
{
    constexpr int kDigit = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigit;
    const int passes = (bits + kDigit - 1) / kDigit;
    std::vector<std::uint32_t> counts(kBuckets * static_cast<std::size_t>(passes), 0);
    for (const KeyRow& r : rows)
        for (int p = 0; p < passes; ++p)
            ++counts[static_cast<std::size_t>(p) * kBuckets + ((r.key >> (p * kDigit)) & (kBuckets - 1))];
    for (int p = 0; p < passes; ++p)
    {
        std::uint32_t* count = counts.data() + static_cast<std::size_t>(p) * kBuckets;
        const int shift = p * kDigit;
        if (count[(rows[0].key >> shift) & (kBuckets - 1)] == rows.size())
            continue;
        std::uint32_t offset = 0;
        for (std::size_t b = 0; b < kBuckets; ++b)
            offset += std::exchange(count[b], offset);
        for (const KeyRow& r : rows)
            scratch[count[(r.key >> shift) & (kBuckets - 1)]++] = r;
        rows.swap(scratch);
    }
}

// A decimal cell of the benchmark's rows ("1234.56", or "NA" for a missing value) as an integer
// at two places.
std::int64_t ParseCents(const std::string& text)
{
    if (text == "NA")
        return 0;
    std::int64_t value = 0;
    for (const char c : text)
    {
        if (c != '.')
            value = value * 10 + (c - '0');
    }
    return value;
}

void Floor_SortDecimal(benchmark::State& state)
{
    const auto& records = Records(static_cast<int>(state.range(0)));
    const std::size_t n = records.size();
    const int rowBits = std::bit_width(n - 1);
    std::vector<std::uint64_t> keys(n);
    std::vector<std::uint64_t> scratch(n);
    std::vector<std::uint32_t> order(n);
    for (auto _ : state)
    {
        std::uint64_t most = 0;
        for (std::size_t i = 0; i < n; ++i)
        {
            const auto value = static_cast<std::uint64_t>(ParseCents(records[i].cells[2]));
            most = std::max(most, value);
            keys[i] = (value << rowBits) | i;
        }
        RadixSort(keys, scratch, std::bit_width(most) + rowBits);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = static_cast<std::uint32_t>(keys[i] & ((std::uint64_t{1} << rowBits) - 1));
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(Floor_SortDecimal)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

std::uint64_t Prefix(const std::string& text)
{
    std::uint64_t key = 0;
    const std::size_t n = std::min<std::size_t>(text.size(), 8);
    std::memcpy(&key, text.data(), n);
    return __builtin_bswap64(key);
}

void Floor_SortText(benchmark::State& state)
{
    const auto& records = Records(static_cast<int>(state.range(0)));
    const std::size_t n = records.size();
    std::vector<KeyRow> rows(n);
    std::vector<KeyRow> scratch(n);
    for (auto _ : state)
    {
        std::uint64_t least = ~std::uint64_t{0};
        std::uint64_t most = 0;
        for (std::size_t i = 0; i < n; ++i)
        {
            const std::uint64_t key = Prefix(records[i].cells[0]);
            least = std::min(least, key);
            most = std::max(most, key);
            rows[i] = {key, static_cast<std::uint32_t>(i)};
        }
        for (KeyRow& r : rows)
            r.key -= least;
        RadixSort(rows, scratch, std::bit_width(most - least));
        // Equal prefixes of texts longer than eight bytes: the rest, then the row, decides.
        for (std::size_t start = 0; start < n;)
        {
            std::size_t end = start + 1;
            while (end < n && rows[end].key == rows[start].key)
                ++end;
            if (end - start > 1 && (rows[start].key + least) % 256 != 0)
                std::sort(rows.begin() + static_cast<std::ptrdiff_t>(start),
                          rows.begin() + static_cast<std::ptrdiff_t>(end),
                          [&](const KeyRow& a, const KeyRow& b)
                          {
                              const int c = std::strcmp(records[a.row].cells[0].c_str() + 8,
                                                        records[b.row].cells[0].c_str() + 8);
                              return c != 0 ? c < 0 : a.row < b.row;
                          });
            start = end;
        }
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(Floor_SortText)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

bool StartsWithAnyCase(const std::string& text, char lower)
{
    return !text.empty() && (text[0] | 0x20) == lower;
}

void Floor_FilterTwoColumns(benchmark::State& state)
{
    const auto& records = Records(static_cast<int>(state.range(0)));
    const char symbol = gridbench::kSymbolFilter[0];
    const char side = gridbench::kSideFilter[0];
    std::vector<std::uint64_t> shown((records.size() + 63) / 64);
    for (auto _ : state)
    {
        std::fill(shown.begin(), shown.end(), 0);
        for (std::size_t i = 0; i < records.size(); ++i)
        {
            const bool pass = StartsWithAnyCase(records[i].cells[0], symbol) &&
                              StartsWithAnyCase(records[i].cells[1], side);
            shown[i / 64] |= static_cast<std::uint64_t>(pass) << (i % 64);
        }
        benchmark::DoNotOptimize(shown.data());
    }
}
BENCHMARK(Floor_FilterTwoColumns)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Newest first: the newest record goes to the end of an array read backwards.
void Floor_InsertTop(benchmark::State& state)
{
    const auto& records = Records(static_cast<int>(state.range(0)));
    std::vector<const Record*> rows;
    rows.reserve(records.size());
    for (auto _ : state)
    {
        rows.clear();
        for (const Record& record : records)
            rows.push_back(&record);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(Floor_InsertTop)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Deletion by rank: a bit per record and a count per 512 bits in a Fenwick tree.
void Floor_DeleteRandom(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    constexpr std::size_t kBlock = 512;
    const std::size_t blocks = (count + kBlock - 1) / kBlock;
    gridbench::Random random(99);
    std::vector<std::uint64_t> bits(blocks * kBlock / 64);
    std::vector<std::uint32_t> tree(blocks + 1);
    for (auto _ : state)
    {
        std::fill(bits.begin(), bits.end(), 0);
        for (std::size_t i = 0; i < count; ++i)
            bits[i / 64] |= std::uint64_t{1} << (i % 64);
        std::fill(tree.begin(), tree.end(), 0);
        for (std::size_t b = 1; b <= blocks; ++b)
        {
            tree[b] += static_cast<std::uint32_t>(std::min(kBlock, count - (b - 1) * kBlock));
            const std::size_t parent = b + (b & (~b + 1));
            if (parent <= blocks)
                tree[parent] += tree[b];
        }
        const std::size_t top = std::bit_floor(blocks);
        for (std::size_t left = count; left > 0; --left)
        {
            auto rank = static_cast<std::uint32_t>(random.Next() % left);
            std::size_t at = 0;
            for (std::size_t step = top; step > 0; step /= 2)
            {
                if (at + step <= blocks && tree[at + step] <= rank)
                {
                    at += step;
                    rank -= tree[at];
                }
            }
            for (std::size_t b = at + 1; b <= blocks; b += b & (~b + 1))
                --tree[b];
            std::size_t word = at * kBlock / 64;
            while (static_cast<std::uint32_t>(std::popcount(bits[word])) <= rank)
                rank -= static_cast<std::uint32_t>(std::popcount(bits[word++]));
            std::uint64_t w = bits[word];
            for (; rank > 0; --rank)
                w &= w - 1;
            bits[word] &= ~(w & (~w + 1));
        }
        benchmark::DoNotOptimize(bits.data());
    }
}
BENCHMARK(Floor_DeleteRandom)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The console's request keys (ten digits, as the server sends them), every one looked up once in
// a random order, as bench_console's BM_FoundByKey does: a table of twice as many slots as keys,
// each slot the key's bytes, their hash and the record's address, probed linearly; in 2 MB pages,
// so that the table's few dozen pages stay in the address cache.
struct KeySlot
{
    std::uint32_t hash = 0;
    std::uint8_t length = 0; // 0: empty
    char key[11] = {};
    const void* record = nullptr;
};

struct LargePageFree
{
    std::size_t bytes;
    void operator()(void* block) const { munmap(block, bytes); }
};

void Floor_FindByKey(benchmark::State& state)
{
    constexpr std::int64_t kKeyBase = 4000000000LL;
    constexpr std::size_t kPage = std::size_t{2} << 20;
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back(std::to_string(kKeyBase + i));
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(20240607));
    std::vector<std::string> lookups;
    for (const int i : order)
        lookups.push_back(keys[static_cast<std::size_t>(i)]);

    const std::size_t slots = std::bit_ceil(static_cast<std::size_t>(count) * 2);
    const std::size_t bytes = (slots * sizeof(KeySlot) + kPage - 1) / kPage * kPage;
    void* area = mmap(nullptr, bytes + kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
    {
        state.SkipWithError("no memory for the table");
        return;
    }
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(area) + kPage - 1) / kPage * kPage);
    madvise(aligned, bytes, MADV_HUGEPAGE);
    const std::unique_ptr<void, LargePageFree> owner(area, LargePageFree{bytes + kPage});
    auto* table = new (aligned) KeySlot[slots];
    const auto hashOf = [](std::string_view key) { return static_cast<std::uint32_t>(std::hash<std::string_view>{}(key)); };
    for (int i = 0; i < count; ++i)
    {
        const std::string& key = keys[static_cast<std::size_t>(i)];
        const std::uint32_t hash = hashOf(key);
        std::size_t at = hash & (slots - 1);
        while (table[at].length)
            at = (at + 1) & (slots - 1);
        table[at].hash = hash;
        table[at].length = static_cast<std::uint8_t>(key.size());
        std::memcpy(table[at].key, key.data(), key.size());
        table[at].record = &keys[static_cast<std::size_t>(i)];
    }
    for (auto _ : state)
    {
        int found = 0;
        for (const std::string& key : lookups)
        {
            const std::uint32_t hash = hashOf(key);
            for (std::size_t at = hash & (slots - 1); table[at].length; at = (at + 1) & (slots - 1))
            {
                const KeySlot& slot = table[at];
                if (slot.hash == hash && slot.length == key.size() && std::memcmp(slot.key, key.data(), key.size()) == 0)
                {
                    found += slot.record != nullptr;
                    break;
                }
            }
        }
        if (found != count)
            state.SkipWithError("a key was not found");
    }
}
BENCHMARK(Floor_FindByKey)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
