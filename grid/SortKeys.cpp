#include "grid/SortKeys.h"

#include "grid/DateTimeCompare.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace
{

struct KeyedRow
{
    std::uint64_t key;
    std::uint32_t row;
};

// A stable radix sort on the 64-bit keys, a byte at a time from the lowest; bytes that every key
// shares cost no pass.
void RadixSort(std::vector<KeyedRow>& rows)
{
    const std::size_t n = rows.size();
    if (n < 2)
        return;
    std::array<std::array<std::uint32_t, 256>, 8> counts{};
    for (const KeyedRow& r : rows)
    {
        for (int b = 0; b < 8; ++b)
            ++counts[static_cast<std::size_t>(b)][(r.key >> (8 * b)) & 0xFF];
    }
    std::vector<KeyedRow> scratch(n);
    for (int b = 0; b < 8; ++b)
    {
        auto& count = counts[static_cast<std::size_t>(b)];
        const std::uint64_t digit = (rows[0].key >> (8 * b)) & 0xFF;
        if (count[digit] == n)
            continue;
        std::uint32_t offset = 0;
        for (std::uint32_t& c : count)
        {
            const std::uint32_t here = c;
            c = offset;
            offset += here;
        }
        for (const KeyedRow& r : rows)
            scratch[count[(r.key >> (8 * b)) & 0xFF]++] = r;
        rows.swap(scratch);
    }
}

std::uint64_t KeyOfSigned(long long value)
{
    return static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << 63);
}

std::uint64_t KeyOfDouble(double value)
{
    if (value == 0)
        value = 0; // -0 and 0 compare equal
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits >> 63) ? ~bits : bits | (std::uint64_t{1} << 63);
}

long long ReadInteger(const std::string& text)
{
    return std::strtoll(text.c_str(), nullptr, 10); // saturates at the 64-bit limits
}

// The first eight bytes, big-endian, zero after the end: ordered as the bytes are.
std::uint64_t Prefix(const std::string& text)
{
    std::uint64_t key = 0;
    const std::size_t n = std::min<std::size_t>(text.size(), 8);
    for (std::size_t i = 0; i < 8; ++i)
        key = (key << 8) | (i < n ? static_cast<unsigned char>(text[i]) : 0u);
    return key;
}

std::vector<std::uint32_t> Rows(const std::vector<KeyedRow>& keyed)
{
    std::vector<std::uint32_t> order(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].row;
    return order;
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

double SortDecimal(const std::string& text, double missing)
{
    if (text == "-" || text == "NA")
        return missing;
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error == std::errc{} && stop == end)
        return value;
    return std::strtod(text.c_str(), nullptr);
}

std::vector<std::uint32_t> MergeOrder(std::uint32_t rows,
                                      const std::function<int(std::uint32_t a, std::uint32_t b)>& compare)
{
    std::vector<std::uint32_t> items(rows);
    for (std::uint32_t i = 0; i < rows; ++i)
        items[i] = i;
    std::vector<std::uint32_t> scratch(rows);
    for (std::size_t width = 1; width < items.size(); width *= 2)
    {
        for (std::size_t lo = 0; lo < items.size(); lo += 2 * width)
        {
            const std::size_t mid = std::min(lo + width, items.size());
            const std::size_t hi = std::min(lo + 2 * width, items.size());
            std::size_t a = lo;
            std::size_t b = mid;
            std::size_t out = lo;
            while (a < mid && b < hi)
                scratch[out++] = compare(items[b], items[a]) < 0 ? items[b++] : items[a++];
            while (a < mid)
                scratch[out++] = items[a++];
            while (b < hi)
                scratch[out++] = items[b++];
        }
        items.swap(scratch);
    }
    return items;
}

std::vector<std::uint32_t> SortOrder(std::uint32_t rows, const SortRule& rule, const ReadSortText& readRow,
                                     const std::vector<std::uint32_t>* readOrder)
{
    const int d = rule.direction;
    std::string text;
    std::vector<KeyedRow> keyed(rows);
    // Every loop below reads rows 0, 1, 2 ...; the i-th read goes to the i-th row of the order.
    const bool reordered = readOrder && readOrder->size() == rows;
    const auto row = [&](std::uint32_t i) { return reordered ? (*readOrder)[i] : i; };
    // Keys are stored by row, whatever order they were read in, so that ties keep the rows' order.
    switch (rule.kind)
    {
    case SortKind::Integer32:
    case SortKind::Integer64:
        for (std::uint32_t i = 0; i < rows; ++i)
        {
            const std::uint32_t r = row(i);
            readRow(r, text);
            long long value = ReadInteger(text);
            if (rule.kind == SortKind::Integer32)
                value = std::clamp<long long>(value, INT_MIN, INT_MAX);
            const std::uint64_t key = KeyOfSigned(value);
            keyed[r] = {d < 0 ? key : ~key, r};
        }
        RadixSort(keyed);
        return Rows(keyed);
    case SortKind::Decimal:
    {
        std::vector<double> values(rows);
        bool unordered = false;
        for (std::uint32_t i = 0; i < rows; ++i)
        {
            const std::uint32_t r = row(i);
            readRow(r, text);
            values[r] = SortDecimal(text, rule.missingDecimal);
            unordered = unordered || values[r] != values[r];
        }
        if (unordered)
        {
            // A NaN equals everything in the compare step, which no key order can say.
            return MergeOrder(rows,
                              [&](std::uint32_t a, std::uint32_t b)
                              {
                                  const double va = values[a];
                                  const double vb = values[b];
                                  return d * ((vb < va) ? -1 : (va < vb) ? 1 : 0); // d x sign(b - a)
                              });
        }
        for (std::uint32_t r = 0; r < rows; ++r)
        {
            const std::uint64_t key = KeyOfDouble(values[r]);
            keyed[r] = {d < 0 ? key : ~key, r};
        }
        RadixSort(keyed);
        return Rows(keyed);
    }
    case SortKind::Text:
    {
        std::vector<std::string> texts(rows);
        for (std::uint32_t i = 0; i < rows; ++i)
        {
            const std::uint32_t r = row(i);
            readRow(r, texts[r]);
            texts[r].resize(std::strlen(texts[r].c_str())); // compared as C strings
            const std::uint64_t key = Prefix(texts[r]);
            keyed[r] = {d < 0 ? key : ~key, r};
        }
        RadixSort(keyed);
        // Rows whose first eight bytes agree lie together, in their old order; the rest of their
        // texts decides among them.
        std::size_t start = 0;
        while (start < keyed.size())
        {
            std::size_t end = start + 1;
            while (end < keyed.size() && keyed[end].key == keyed[start].key)
                ++end;
            if (end - start > 1 && texts[keyed[start].row].size() >= 8)
            {
                std::stable_sort(keyed.begin() + static_cast<std::ptrdiff_t>(start),
                                 keyed.begin() + static_cast<std::ptrdiff_t>(end),
                                 [&](const KeyedRow& x, const KeyedRow& y)
                                 {
                                     const int c =
                                         std::strcmp(texts[x.row].c_str() + 8, texts[y.row].c_str() + 8);
                                     return d < 0 ? c < 0 : c > 0;
                                 });
            }
            start = end;
        }
        return Rows(keyed);
    }
    case SortKind::DateTime:
    {
        std::vector<std::string> texts(rows);
        for (std::uint32_t i = 0; i < rows; ++i)
            readRow(row(i), texts[row(i)]);
        return MergeOrder(rows, [&](std::uint32_t a, std::uint32_t b)
                          { return Sign(CompareDateTimeText(texts[a], texts[b], d)); });
    }
    case SortKind::None:
    default:
    {
        // Nothing orders the rows, but every text is still read once, as the compare step would.
        for (std::uint32_t i = 0; i < rows; ++i)
            readRow(row(i), text);
        std::vector<std::uint32_t> order(rows);
        for (std::uint32_t r = 0; r < rows; ++r)
            order[r] = r;
        return order;
    }
    }
}
