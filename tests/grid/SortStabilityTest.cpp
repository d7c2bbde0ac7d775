// Sorting by a column whose compare step is no consistent order, date-time texts and decimals
// that read as NaN, goes through the list view's merge: rows that compare equal keep the order
// they had, in both directions, whatever order the rows are read in.
#include "grid/SortKeys.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace
{

using Order = std::vector<std::uint32_t>;

Order Sorted(const std::vector<std::string>& texts, SortKind kind, int direction, bool shuffledReads = false)
{
    SortRule rule;
    rule.kind = kind;
    rule.direction = direction;
    Order readOrder(texts.size());
    std::iota(readOrder.begin(), readOrder.end(), 0u);
    if (shuffledReads)
        std::shuffle(readOrder.begin(), readOrder.end(), std::mt19937(31));
    return SortOrder(
        static_cast<std::uint32_t>(texts.size()), rule,
        [&](std::uint32_t row, std::string& text) { text = texts[row]; },
        shuffledReads ? &readOrder : nullptr);
}

// Both directions, with the rows read in order and shuffled: the same order each time.
void ExpectOrders(const std::vector<std::string>& texts, SortKind kind, const Order& ascending,
                  const Order& descending)
{
    for (const bool shuffled : {false, true})
    {
        SCOPED_TRACE(shuffled ? "rows read shuffled" : "rows read in order");
        EXPECT_EQ(Sorted(texts, kind, -1, shuffled), ascending);
        EXPECT_EQ(Sorted(texts, kind, 1, shuffled), descending);
    }
}

TEST(SortStability, EqualDateTimesKeepTheirRowOrderBothWays)
{
    // The first click (-1) puts the latest first; equal stamps stay in row order either way.
    ExpectOrders({"05/12/2026 10:00:00", "04/12/2026 09:00:00", "05/12/2026 10:00:00", "04/12/2026 09:00:00",
                  "05/12/2026 10:00:00", "06/12/2026 08:00:00"},
                 SortKind::DateTime, {5, 0, 2, 4, 1, 3}, {1, 3, 0, 2, 4, 5});
    ExpectOrders({"05-12-2026", "04-12-2026", "05-12-2026", "04-12-2026"}, SortKind::DateTime, {0, 2, 1, 3},
                 {1, 3, 0, 2});
    ExpectOrders({"05Dec2026", "04Dec2026", "05Dec2026", "05Jan2027", "04Dec2026"}, SortKind::DateTime,
                 {3, 0, 2, 1, 4}, {1, 4, 0, 2, 3});
    ExpectOrders({"10:00:00", "09:30:00", "10:00:00", "09:30:00"}, SortKind::DateTime, {0, 2, 1, 3},
                 {1, 3, 0, 2});
}

TEST(SortStability, AColumnOfOneDateTimeKeepsEveryRowWhereItWas)
{
    const std::vector<std::string> same(37, "01/01/2026 00:00:00");
    Order unchanged(same.size());
    std::iota(unchanged.begin(), unchanged.end(), 0u);
    ExpectOrders(same, SortKind::DateTime, unchanged, unchanged);
}

// A NaN equals everything in the compare step; the merge still never puts a right-hand row
// before a left-hand one that compares equal, so equal values and the NaNs keep their order.
TEST(SortStability, CellsThatReadAsNanKeepEqualRowsInTheirOrder)
{
    ExpectOrders({"2", "nan", "1", "2", "nan", "1"}, SortKind::Decimal, {2, 0, 1, 3, 4, 5},
                 {0, 1, 3, 2, 4, 5});
    ExpectOrders({"NaN", "3", "-nan", "3", "nan(7)"}, SortKind::Decimal, {0, 1, 2, 3, 4}, {0, 1, 2, 3, 4});

    const std::vector<std::string> nans = {"nan", "NaN", "-nan", "nan(1)", "NAN", "nan", "-NaN"};
    Order unchanged(nans.size());
    std::iota(unchanged.begin(), unchanged.end(), 0u);
    ExpectOrders(nans, SortKind::Decimal, unchanged, unchanged);
}

} // namespace
