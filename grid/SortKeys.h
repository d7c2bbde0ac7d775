// The order in which a sort by one column puts the rows of a list, computed from each row's text
// read and parsed once. The order is exactly the one a stable merge sort gives with the lists'
// compare step (sign of direction x (value of b - value of a) by the column's data type), which is
// also the order the list view's own sort produces; only the work per comparison is gone.
//
// Numbers sort as keys by radix, texts by their first eight bytes and then the rest; where the
// compare step is no consistent order (date-time texts, decimals that read as NaN) the rows are
// merged exactly as the list view merges them, with the texts and values already at hand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class SortKind
{
    None,      // every row compares equal: the order stays
    Integer32, // decimal integer text, cut to the 32-bit range
    Integer64,
    Decimal, // decimal number text; "-" and "NA" take the missing value
    Text,    // byte-wise, case-sensitive
    DateTime // the date and time comparison (DateTimeCompare.h)
};

struct SortRule
{
    SortKind kind = SortKind::None;
    int direction = -1;         // -1 ascending, +1 descending
    double missingDecimal = -1; // what "-" and "NA" count as in a decimal column
};

// The keys of one sort, fed a row's text at a time by whoever reads the rows (a list view's
// column read in one message, an owner's records): each text is parsed as it comes and only its
// key is kept, with the rest of a long text for ties.
class SortKeys
{
public:
    // Texts come in row order, or in 'readOrder' (a permutation of the rows) when given.
    SortKeys(std::uint32_t rows, const SortRule& rule, const std::vector<std::uint32_t>* readOrder = nullptr);
    ~SortKeys();
    SortKeys(const SortKeys&) = delete;
    SortKeys& operator=(const SortKeys&) = delete;

    // The next row's text; it counts up to its first NUL, as the compare step reads C strings.
    void Add(std::string_view text);
    // order[i] is the row that goes to place i; once every row's text was added. The array may
    // go back to work_buffers::Keep (WorkBuffers.h) when the caller is done with it.
    std::vector<std::uint32_t> Order();

private:
    std::vector<std::uint32_t> TextOrder();

    struct Keys;
    std::unique_ptr<Keys> m_keys;
};

// Writes the text of row 'row' into 'text'.
using ReadSortText = std::function<void(std::uint32_t row, std::string& text)>;

// order[i] is the row that goes to place i. Each row's text is read exactly once, in row order,
// or in 'readOrder' (a permutation of the rows) when given: reading the owner's records in the
// order they lie in memory can save more time than anything else here.
std::vector<std::uint32_t> SortOrder(std::uint32_t rows, const SortRule& rule, const ReadSortText& read,
                                     const std::vector<std::uint32_t>* readOrder = nullptr);

// The list view's merge: bottom-up, runs of 1, 2, 4 ..., taking the right run's row first only when
// compare(right, left) < 0. Stable, and in bounds whatever the comparison answers.
std::vector<std::uint32_t> MergeOrder(std::uint32_t rows,
                                      const std::function<int(std::uint32_t a, std::uint32_t b)>& compare);

// The decimal value the compare step reads from a cell: the C library's reading of its leading
// number (0 when there is none), or 'missing' for "-" and "NA".
double SortDecimal(const std::string& text, double missing);
