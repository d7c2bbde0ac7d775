#include "grid/SortKeys.h"

#include "grid/DateTimeCompare.h"
#include "grid/WorkBuffers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace
{

struct KeyedRow
{
    std::uint64_t key;
    std::uint32_t row;
};

// A key that fits 32 bits beside its row: half the bytes to move per pass.
struct CompactRow
{
    std::uint32_t key;
    std::uint32_t row;
};

std::uint64_t KeyOf(const KeyedRow& r)
{
    return r.key;
}
std::uint64_t KeyOf(const CompactRow& r)
{
    return r.key;
}
std::uint64_t KeyOf(std::uint64_t packed)
{
    return packed;
}

// Stable LSD radix passes over bits [lowBit, lowBit + bits) of the keys of data[0, n), with
// temp[0, n) beside, in digits of at most 'maxDigitBits'. A digit every key shares costs no pass.
// True when the result lies in temp.
template <typename Entry, typename Key>
bool LsdPasses(Entry* data, Entry* temp, std::size_t n, int lowBit, int bits, int maxDigitBits, const Key& keyOf,
               std::vector<std::uint32_t>& counts)
{
    if (n < 2 || bits <= 0)
        return false;
    const int passes = (bits + maxDigitBits - 1) / maxDigitBits;
    const int digitBits = (bits + passes - 1) / passes;
    const std::size_t buckets = std::size_t{1} << digitBits;
    const auto mask = static_cast<std::uint64_t>(buckets - 1);
    counts.assign(buckets * static_cast<std::size_t>(passes), 0);
    for (std::size_t i = 0; i < n; ++i)
    {
        const std::uint64_t key = keyOf(data[i]) >> lowBit;
        for (int p = 0; p < passes; ++p)
            ++counts[static_cast<std::size_t>(p) * buckets + ((key >> (p * digitBits)) & mask)];
    }
    bool inTemp = false;
    for (int p = 0; p < passes; ++p)
    {
        std::uint32_t* count = counts.data() + static_cast<std::size_t>(p) * buckets;
        const int shift = lowBit + p * digitBits;
        const Entry* from = inTemp ? temp : data;
        Entry* to = inTemp ? data : temp;
        if (count[(keyOf(from[0]) >> shift) & mask] == n)
            continue;
        std::uint32_t offset = 0;
        for (std::size_t b = 0; b < buckets; ++b)
        {
            const std::uint32_t here = count[b];
            count[b] = offset;
            offset += here;
        }
        for (std::size_t i = 0; i < n; ++i)
            to[count[(keyOf(from[i]) >> shift) & mask]++] = from[i];
        inTemp = !inTemp;
    }
    return inTemp;
}

// Stable radix sort on the low 'bits' bits of each entry's key. Digits have at most thirteen
// bits, so that the counts of a pass stay in the first-level cache. An array larger than the
// second-level cache is split by its top digit first, into parts of about a thousand entries
// each sorted by the rest in cache: every pass over the whole array scatters its entries to
// thousands of places at once, and at a million rows those writes miss the caches, where the
// passes within a part do not.
template <typename Entry, typename Key> void RadixPasses(std::vector<Entry>& rows, int bits, const Key& keyOf)
{
    constexpr int kMaxDigitBits = 13;
    constexpr std::size_t kSplitFrom = std::size_t{1} << 18;
    constexpr int kPartDigitBits = 8;
    const std::size_t n = rows.size();
    std::vector<Entry> scratch = work_buffers::Take<Entry>(n);
    std::vector<std::uint32_t> counts;
    if (n < kSplitFrom || bits <= kMaxDigitBits)
    {
        if (LsdPasses(rows.data(), scratch.data(), n, 0, bits, kMaxDigitBits, keyOf, counts))
            rows.swap(scratch);
        work_buffers::Keep(scratch);
        return;
    }
    const int topBits = std::min(12, static_cast<int>(std::bit_width(n >> 10)));
    const int lowBits = bits - topBits;
    const std::size_t parts = std::size_t{1} << topBits;
    std::vector<std::uint32_t> starts(parts + 1, 0);
    const auto top = static_cast<std::uint64_t>(parts - 1);
    for (const Entry& r : rows)
        ++starts[((keyOf(r) >> lowBits) & top) + 1];
    for (std::size_t b = 0; b < parts; ++b)
        starts[b + 1] += starts[b];
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    for (const Entry& r : rows)
        scratch[next[(keyOf(r) >> lowBits) & top]++] = r;
    for (std::size_t b = 0; b < parts; ++b)
    {
        const std::size_t first = starts[b];
        const std::size_t size = starts[b + 1] - first;
        const int digitBits = size <= 4096 ? kPartDigitBits : kMaxDigitBits;
        if (!LsdPasses(scratch.data() + first, rows.data() + first, size, 0, lowBits, digitBits, keyOf, counts))
            std::copy_n(scratch.data() + first, size, rows.data() + first);
    }
    work_buffers::Keep(scratch);
}

template <typename Entry> void RadixPasses(std::vector<Entry>& rows, int bits)
{
    RadixPasses(rows, bits, [](const Entry& r) { return KeyOf(r); });
}

// A stable sort on the 64-bit keys. Keys are sorted as distances from the least of them, so
// that a column whose values lie close together costs a pass or two of small entries.
void RadixSort(std::vector<KeyedRow>& rows)
{
    const std::size_t n = rows.size();
    if (n < 2)
        return;
    std::uint64_t least = rows[0].key;
    std::uint64_t most = rows[0].key;
    for (const KeyedRow& r : rows)
    {
        least = std::min(least, r.key);
        most = std::max(most, r.key);
    }
    const int bits = 64 - std::countl_zero(most - least);
    if (bits == 0)
        return;
    if (bits <= 32)
    {
        std::vector<CompactRow> compact = work_buffers::Take<CompactRow>(n);
        for (std::size_t i = 0; i < n; ++i)
            compact[i] = {static_cast<std::uint32_t>(rows[i].key - least), rows[i].row};
        RadixPasses(compact, bits);
        for (std::size_t i = 0; i < n; ++i)
            rows[i] = {compact[i].key + least, compact[i].row};
        work_buffers::Keep(compact);
        return;
    }
    for (KeyedRow& r : rows)
        r.key -= least;
    RadixPasses(rows, bits);
    for (KeyedRow& r : rows)
        r.key += least;
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

// What strtoll(text, nullptr, 10) gives: blanks skipped, a sign, the digits, saturated at the
// 64-bit limits; read here from a text that need not end with a NUL.
long long ReadInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (limit - digit) / 10)
            return negative ? LLONG_MIN : LLONG_MAX;
        value = value * 10 + digit;
    }
    return static_cast<long long>(negative ? ~value + 1 : value);
}

// The first eight bytes, big-endian, zero after the end: ordered as the bytes are.
std::uint64_t Prefix(std::string_view text)
{
    unsigned char bytes[8] = {};
    std::memcpy(bytes, text.data(), std::min<std::size_t>(text.size(), 8));
    std::uint64_t key = 0;
    for (const unsigned char b : bytes)
        key = (key << 8) | b;
    return key;
}

// Every decimal of at most 15 significant digits reads as a double of its own, and reading is
// monotonic: so such decimals order as their doubles do, ties included.
constexpr int kExactDigits = 15;
constexpr int kScaledDigits = 18; // what a scaled value may take and stay inside 64 bits

constexpr std::array<std::int64_t, kScaledDigits + 1> kPowersOfTen = []
{
    std::array<std::int64_t, kScaledDigits + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i)
        powers[i] = powers[i - 1] * 10;
    return powers;
}();

// Plain decimal texts read exactly, the i-th into place i: the integer of a text's digits and how
// many of them follow the point ("-12.50" is -1250 at scale 2); "-" and "NA" take the missing
// value. Plain means an optional '-', digits and at most one point, at least one digit and no
// more than kExactDigits significant ones.
class ExactDecimals
{
public:
    explicit ExactDecimals(std::size_t count)
        : m_digits(work_buffers::Take<std::uint64_t>(count)), m_scale(work_buffers::Take<std::uint8_t>(count))
    {
    }
    ~ExactDecimals()
    {
        work_buffers::Keep(m_digits);
        work_buffers::Keep(m_scale);
    }
    ExactDecimals(const ExactDecimals&) = delete;
    ExactDecimals& operator=(const ExactDecimals&) = delete;

    // False, with nothing kept, when the text is not a plain decimal.
    bool Read(std::size_t i, std::string_view text)
    {
        if ((text.size() == 1 && text[0] == '-') || (text.size() == 2 && text[0] == 'N' && text[1] == 'A'))
        {
            m_scale[i] = kMissing;
            return true;
        }
        const char* p = text.data();
        const char* const end = p + text.size();
        const bool negative = p < end && *p == '-';
        p += negative ? 1 : 0;
        std::int64_t digits = 0;
        int scale = 0;
        int whole = 0; // significant digits before the point
        int significant = 0;
        bool point = false;
        bool anyDigit = false;
        for (; p < end; ++p)
        {
            if (*p == '.' && !point)
            {
                point = true;
                continue;
            }
            if (*p < '0' || *p > '9')
                return false;
            anyDigit = true;
            scale += point ? 1 : 0;
            if (digits == 0 && *p == '0')
                continue; // a leading zero
            if (++significant > kExactDigits)
                return false;
            whole += point ? 0 : 1;
            digits = digits * 10 + (*p - '0');
        }
        if (!anyDigit || scale >= kScaledDigits)
            return false;
        m_digits[i] = static_cast<std::uint64_t>(negative ? -digits : digits);
        m_scale[i] = static_cast<std::uint8_t>(scale);
        m_maxScale = std::max(m_maxScale, scale);
        m_maxWhole = std::max(m_maxWhole, whole);
        return true;
    }

    // The double text i reads as: both operands are exact, and one division rounds correctly.
    double Value(std::size_t i, double missing) const
    {
        if (m_scale[i] == kMissing)
            return missing;
        return static_cast<double>(static_cast<std::int64_t>(m_digits[i])) /
               static_cast<double>(kPowersOfTen[m_scale[i]]);
    }

    // Hands over the keys of the values as integers at the largest scale among them, keys[i] for
    // text i; false, with nothing handed over, when a value or the missing value does not fit
    // 64 bits that way or would not read exactly.
    bool TakeScaledKeys(double missing, int direction, std::vector<std::uint64_t>& keys)
    {
        if (m_maxWhole + m_maxScale > kScaledDigits)
            return false;
        if (!(std::abs(missing) < static_cast<double>(kPowersOfTen[kExactDigits])) ||
            missing != std::floor(missing))
            return false;
        std::int64_t scaledMissing = static_cast<std::int64_t>(missing);
        for (int i = 0; i < m_maxScale; ++i)
        {
            if (std::abs(scaledMissing) >= kPowersOfTen[kScaledDigits - 1])
                return false;
            scaledMissing *= 10;
        }
        for (std::size_t i = 0; i < m_digits.size(); ++i)
        {
            const std::int64_t scaled =
                m_scale[i] == kMissing ? scaledMissing
                                       : static_cast<std::int64_t>(m_digits[i]) *
                                             kPowersOfTen[static_cast<std::size_t>(m_maxScale - m_scale[i])];
            const std::uint64_t key = KeyOfSigned(scaled);
            m_digits[i] = direction < 0 ? key : ~key;
        }
        keys = std::move(m_digits);
        return true;
    }

private:
    static constexpr std::uint8_t kMissing = 0xFF;
    std::vector<std::uint64_t> m_digits; // the digits' integer, two's complement
    std::vector<std::uint8_t> m_scale;   // kMissing for "-" and "NA"
    int m_maxScale = 0;
    int m_maxWhole = 0;
};

std::vector<std::uint32_t> Rows(const std::vector<KeyedRow>& keyed)
{
    std::vector<std::uint32_t> order = work_buffers::Take<std::uint32_t>(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].row;
    return order;
}

// The rows in the order of their keys, ties in row order; keys[i] is the key of row rowOf(i).
// Where the keys' spread and the row numbers fit 64 bits together, each key carries its row in
// its low bits, in place, and the rows are never gathered into row order first: that gather is a
// write to a random place per row.
template <class RowOf>
std::vector<std::uint32_t> OrderOfKeys(std::vector<std::uint64_t>& keys, const RowOf& rowOf)
{
    const std::size_t n = keys.size();
    std::uint64_t least = n ? keys[0] : 0;
    std::uint64_t most = least;
    for (const std::uint64_t k : keys)
    {
        least = std::min(least, k);
        most = std::max(most, k);
    }
    const int keyBits = 64 - std::countl_zero(most - least);
    const int rowBits = n < 2 ? 1 : 64 - std::countl_zero(static_cast<std::uint64_t>(n - 1));
    std::vector<std::uint32_t> order = work_buffers::Take<std::uint32_t>(n);
    if (keyBits + rowBits > 64)
    {
        std::vector<KeyedRow> byRow = work_buffers::Take<KeyedRow>(n);
        for (std::size_t i = 0; i < n; ++i)
            byRow[rowOf(static_cast<std::uint32_t>(i))] = {keys[i], rowOf(static_cast<std::uint32_t>(i))};
        RadixSort(byRow);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = byRow[i].row;
        work_buffers::Keep(byRow);
        return order;
    }
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = ((keys[i] - least) << rowBits) | rowOf(static_cast<std::uint32_t>(i));
    if (n > 1)
        RadixPasses(keys, keyBits + rowBits);
    const std::uint64_t rowMask = (std::uint64_t{1} << rowBits) - 1;
    for (std::size_t i = 0; i < n; ++i)
        order[i] = static_cast<std::uint32_t>(keys[i] & rowMask);
    return order;
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

double DecimalOf(std::string_view text, double missing)
{
    if (text == "-" || text == "NA")
        return missing;
    double value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error == std::errc{} && stop == end)
        return value;
    return std::strtod(std::string(text).c_str(), nullptr); // the C library's leading number
}

} // namespace

double SortDecimal(const std::string& text, double missing)
{
    return DecimalOf(text, missing);
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

// ---- SortKeys -------------------------------------------------------------------------------

struct SortKeys::Keys
{
    Keys(std::uint32_t n, const SortRule& r, const std::vector<std::uint32_t>* order)
        : rows(n), rule(r), readOrder(order && order->size() == n ? order : nullptr)
    {
    }
    ~Keys()
    {
        work_buffers::Keep(keys);
        work_buffers::Keep(prefixes);
    }
    Keys(const Keys&) = delete;
    Keys& operator=(const Keys&) = delete;

    std::uint32_t RowOf(std::uint32_t i) const { return readOrder ? (*readOrder)[i] : i; }

    const std::uint32_t rows;
    const SortRule rule;
    const std::vector<std::uint32_t>* const readOrder;
    std::uint32_t added = 0;

    std::vector<std::uint64_t> keys;    // integers: by read; decimals once exact: by read
    std::optional<ExactDecimals> exact; // decimals while every text so far is plain
    bool inexact = false;               // a decimal text that is not plain came: values[] by row
    std::vector<double> values;

    // Texts: the prefix key with its row, in read order; the rest of each text longer than eight
    // bytes in one buffer, where tail[row] says.
    std::vector<KeyedRow> prefixes;
    struct Tail
    {
        std::uint64_t offset = 0;
        std::uint32_t length = 0;
    };
    std::vector<Tail> tails;
    std::string tailChars;

    std::vector<std::string> texts; // date-time texts by row
};

SortKeys::SortKeys(std::uint32_t rows, const SortRule& rule, const std::vector<std::uint32_t>* readOrder)
    : m_keys(std::make_unique<Keys>(rows, rule, readOrder))
{
    Keys& k = *m_keys;
    switch (rule.kind)
    {
    case SortKind::Integer32:
    case SortKind::Integer64:
        k.keys = work_buffers::Take<std::uint64_t>(rows);
        break;
    case SortKind::Decimal:
        k.exact.emplace(rows);
        break;
    case SortKind::Text:
        k.prefixes = work_buffers::Take<KeyedRow>(rows);
        break;
    case SortKind::DateTime:
        k.texts.resize(rows);
        break;
    case SortKind::None:
    default:
        break;
    }
}

SortKeys::~SortKeys() = default;

void SortKeys::Add(std::string_view text)
{
    Keys& k = *m_keys;
    if (k.added >= k.rows)
        return;
    const std::uint32_t i = k.added++;
    const int d = k.rule.direction;
    switch (k.rule.kind)
    {
    case SortKind::Integer32:
    case SortKind::Integer64:
    {
        long long value = ReadInteger(text);
        if (k.rule.kind == SortKind::Integer32)
            value = std::clamp<long long>(value, INT_MIN, INT_MAX);
        const std::uint64_t key = KeyOfSigned(value);
        k.keys[i] = d < 0 ? key : ~key;
        break;
    }
    case SortKind::Decimal:
        // Plain decimals sort as integers at a common scale, mostly a few passes of small keys;
        // the first text that is not one turns the rows read so far into doubles.
        if (!k.inexact && k.exact->Read(i, text))
            break;
        if (!k.inexact)
        {
            k.inexact = true;
            k.values.resize(k.rows);
            for (std::uint32_t j = 0; j < i; ++j)
                k.values[k.RowOf(j)] = k.exact->Value(j, k.rule.missingDecimal);
            k.exact.reset();
        }
        k.values[k.RowOf(i)] = DecimalOf(text, k.rule.missingDecimal);
        break;
    case SortKind::Text:
    {
        text = text.substr(0, std::min(text.size(), text.find('\0'))); // compared as C strings
        const std::uint32_t row = k.RowOf(i);
        const std::uint64_t key = Prefix(text);
        k.prefixes[i] = {d < 0 ? key : ~key, row};
        if (text.size() > 8)
        {
            if (k.tails.empty())
                k.tails.resize(k.rows);
            k.tails[row] = {k.tailChars.size(), static_cast<std::uint32_t>(text.size() - 8)};
            k.tailChars.append(text.substr(8));
        }
        break;
    }
    case SortKind::DateTime:
        k.texts[k.RowOf(i)] = std::string(text);
        break;
    case SortKind::None:
    default:
        break;
    }
}

std::vector<std::uint32_t> SortKeys::Order()
{
    Keys& k = *m_keys;
    const std::uint32_t rows = k.rows;
    const int d = k.rule.direction;
    // Rows never added read as empty texts.
    while (k.added < rows)
        Add(std::string_view());
    const auto rowOf = [&k](std::uint32_t i) { return k.RowOf(i); };
    const auto byRow = [](std::uint32_t r) { return r; };
    switch (k.rule.kind)
    {
    case SortKind::Integer32:
    case SortKind::Integer64:
        return OrderOfKeys(k.keys, rowOf);
    case SortKind::Decimal:
    {
        std::vector<std::uint64_t>& keys = k.keys;
        if (!k.inexact && k.exact->TakeScaledKeys(k.rule.missingDecimal, d, keys))
            return OrderOfKeys(keys, rowOf);
        if (!k.inexact)
        {
            k.values.resize(rows);
            for (std::uint32_t j = 0; j < rows; ++j)
                k.values[k.RowOf(j)] = k.exact->Value(j, k.rule.missingDecimal);
        }
        const std::vector<double>& values = k.values;
        bool unordered = false;
        for (const double v : values)
            unordered = unordered || v != v;
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
        keys = work_buffers::Take<std::uint64_t>(rows);
        for (std::uint32_t r = 0; r < rows; ++r)
        {
            const std::uint64_t key = KeyOfDouble(values[r]);
            keys[r] = d < 0 ? key : ~key;
        }
        return OrderOfKeys(keys, byRow);
    }
    case SortKind::Text:
        return TextOrder();
    case SortKind::DateTime:
        return MergeOrder(rows, [&](std::uint32_t a, std::uint32_t b)
                          { return Sign(CompareDateTimeText(k.texts[a], k.texts[b], d)); });
    case SortKind::None:
    default:
    {
        std::vector<std::uint32_t> order = work_buffers::Take<std::uint32_t>(rows);
        for (std::uint32_t r = 0; r < rows; ++r)
            order[r] = r;
        return order;
    }
    }
}

// Puts a run of rows with equal keys back in row order. The keys were read in another order
// (the owner's records as they lie in memory), and the radix passes keep the order they came in.
void RowOrderWithin(std::vector<KeyedRow>::iterator first, std::vector<KeyedRow>::iterator last)
{
    const auto size = static_cast<std::size_t>(last - first);
    if (size < 64)
    {
        std::sort(first, last, [](const KeyedRow& x, const KeyedRow& y) { return x.row < y.row; });
        return;
    }
    // A long run (a column of few values) in linear time.
    std::vector<KeyedRow> run = work_buffers::Take<KeyedRow>(size);
    std::copy(first, last, run.begin());
    std::uint32_t most = 0;
    for (const KeyedRow& r : run)
        most = std::max(most, r.row);
    RadixPasses(run, std::max(1, 32 - std::countl_zero(most)), [](const KeyedRow& r) { return std::uint64_t{r.row}; });
    std::copy(run.begin(), run.end(), first);
    work_buffers::Keep(run);
}

std::vector<std::uint32_t> SortKeys::TextOrder()
{
    Keys& k = *m_keys;
    const int d = k.rule.direction;
    std::vector<KeyedRow>& keyed = k.prefixes;
    RadixSort(keyed);
    // Rows whose first eight bytes agree lie together, in the order they were read. Where eight
    // bytes did not hold the whole text, the rest decides among them, compared only within such
    // a run; rows equal to the end go in row order.
    const auto tail = [&k](std::uint32_t row)
    {
        if (k.tails.empty())
            return std::string_view();
        const Keys::Tail& t = k.tails[row];
        return std::string_view(k.tailChars).substr(t.offset, t.length);
    };
    std::size_t start = 0;
    while (start < keyed.size())
    {
        std::size_t end = start + 1;
        while (end < keyed.size() && keyed[end].key == keyed[start].key)
            ++end;
        const auto first = keyed.begin() + static_cast<std::ptrdiff_t>(start);
        const auto last = keyed.begin() + static_cast<std::ptrdiff_t>(end);
        const bool longTexts = ((d < 0 ? keyed[start].key : ~keyed[start].key) & 0xFF) != 0;
        if (end - start > 1 && longTexts)
        {
            std::sort(first, last,
                      [&](const KeyedRow& x, const KeyedRow& y)
                      {
                          const int c = tail(x.row).compare(tail(y.row));
                          if (c != 0)
                              return d < 0 ? c < 0 : c > 0;
                          return x.row < y.row;
                      });
        }
        else if (end - start > 1 && k.readOrder)
            RowOrderWithin(first, last);
        start = end;
    }
    return Rows(keyed);
}

std::vector<std::uint32_t> SortOrder(std::uint32_t rows, const SortRule& rule, const ReadSortText& readRow,
                                     const std::vector<std::uint32_t>* readOrder)
{
    SortKeys keys(rows, rule, readOrder);
    const bool reordered = readOrder && readOrder->size() == rows;
    std::string text;
    for (std::uint32_t i = 0; i < rows; ++i)
    {
        readRow(reordered ? (*readOrder)[i] : i, text);
        keys.Add(text);
    }
    return keys.Order();
}
