// The order a sort by keys gives, against a stable sort that compares the texts themselves with
// the lists' compare step: d x sign(value of b - value of a), values read by the C library.
#include "grid/SortKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace
{

int Sign(double v)
{
    return (v > 0) - (v < 0);
}

double PlainDecimal(const std::string& text, double missing)
{
    return (text == "-" || text == "NA") ? missing : std::strtod(text.c_str(), nullptr);
}

// The compare step over values read by the C library, and a stable sort over it.
std::vector<std::uint32_t> ReferenceOrder(const std::vector<std::string>& texts, const SortRule& rule)
{
    std::vector<double> decimals;
    std::vector<long long> integers;
    for (const std::string& t : texts)
    {
        decimals.push_back(PlainDecimal(t, rule.missingDecimal));
        const long long value = std::strtoll(t.c_str(), nullptr, 10);
        integers.push_back(rule.kind == SortKind::Integer32 ? std::clamp<long long>(value, INT_MIN, INT_MAX)
                                                            : value);
    }
    const int d = rule.direction;
    const auto compare = [&](std::uint32_t a, std::uint32_t b)
    {
        switch (rule.kind)
        {
        case SortKind::Integer32:
        case SortKind::Integer64:
            return d * ((integers[b] > integers[a]) - (integers[b] < integers[a]));
        case SortKind::Decimal:
            return d * ((decimals[b] > decimals[a]) - (decimals[b] < decimals[a]));
        case SortKind::Text:
            return d * Sign(std::strcmp(texts[b].c_str(), texts[a].c_str()));
        default:
            return 0;
        }
    };
    std::vector<std::uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
    return order;
}

std::vector<std::uint32_t> KeyOrder(const std::vector<std::string>& texts, const SortRule& rule,
                                    const std::vector<std::uint32_t>* readOrder = nullptr)
{
    return SortOrder(
        static_cast<std::uint32_t>(texts.size()), rule,
        [&](std::uint32_t row, std::string& text) { text = texts[row]; }, readOrder);
}

void ExpectSameOrderBothWays(const std::vector<std::string>& texts, SortKind kind, double missing = -1)
{
    for (const int direction : {-1, 1})
    {
        SCOPED_TRACE(direction < 0 ? "ascending" : "descending");
        SortRule rule;
        rule.kind = kind;
        rule.direction = direction;
        rule.missingDecimal = missing;
        ASSERT_EQ(KeyOrder(texts, rule), ReferenceOrder(texts, rule));
    }
}

TEST(SortKeys, DecimalsOrderAsTheirDoublesWhateverTheirForm)
{
    struct Case
    {
        const char* name;
        std::vector<std::string> texts;
        double missing;
    };
    const std::vector<Case> cases = {
        {"scales differ, equal values tie in row order",
         {"1.5", "1.50", "1.499", "-0", "0", "-0.0", "2", "1.5000", ".5", "5.", "007.25", "-1.5"},
         -1},
        {"dash and NA take the missing value", {"NA", "-1", "-", "-1.00", "0", "-0.5", "NA", "-2"}, -1},
        {"a missing value of zero", {"NA", "0.00", "-", "0.01", "-0.01"}, 0},
        {"a missing value that is no integer", {"NA", "0.25", "0.5", "-", "0.75"}, 0.5},
        {"fifteen significant digits", {"123456789012345", "123456789012344", "0.000000000000001", "0"}, -1},
        {"whole digits and a fine scale beyond 64 bits together",
         {"123456789012345", "0.0001", "123456789012345.1", "0.00011"},
         -1},
        {"more digits than a double keeps: equal doubles tie",
         {"0.10000000000000001", "0.1", "0.09999999999999999", "1.0000000000000001", "1"},
         -1},
        {"a text far beyond a double's digits", {"0.1000000000000000055511151231257827", "0.1", "0.2"}, -1},
        {"texts the C library reads only in part",
         {"12abc", "1e3", " 12", "", "abc", "+5", "--3", "1.2.3", "12", "1000"},
         -1},
        {"infinities and huge exponents", {"1e400", "-1e400", "5", "1e308", "inf"}, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ExpectSameOrderBothWays(c.texts, SortKind::Decimal, c.missing);
    }
}

TEST(SortKeys, RandomColumnsOfEveryKindOrderAsTheCompareStepSays)
{
    std::mt19937 random(20261206);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto decimal = [&]
    {
        switch (pick(6))
        {
        case 0:
            return std::to_string(pick(2000) - 1000) + "." + std::to_string(pick(100));
        case 1:
            return std::string(pick(2) ? "NA" : "-");
        case 2:
            return std::to_string(pick(50)); // many ties
        case 3:
            return std::to_string(pick(1000000)) + "." + std::to_string(pick(1000000)) +
                   std::to_string(pick(1000000)); // up to 18 digits
        case 4:
            return std::to_string(pick(1000)) + "e" + std::to_string(pick(5)); // not plain
        default:
            return std::to_string(pick(1000)) + ".0" + std::to_string(pick(10));
        }
    };
    const auto integer = [&]
    {
        switch (pick(3))
        {
        case 0:
            return std::to_string(static_cast<long long>(random()) * random() * (pick(2) ? 1 : -1) * 4097);
        case 1:
            return std::string("99999999999999999999"); // beyond 64 bits
        default:
            return std::to_string(pick(20) - 10);
        }
    };
    const auto text = [&]
    {
        std::string t;
        const int length = pick(12);
        for (int i = 0; i < length; ++i)
            t += static_cast<char>('a' + pick(3));
        return t;
    };
    for (int round = 0; round < 16; ++round)
    {
        const int rows = 1 + pick(round < 8 ? 40 : 2000);
        std::vector<std::string> decimals, integers, texts;
        for (int r = 0; r < rows; ++r)
        {
            decimals.push_back(decimal());
            integers.push_back(integer());
            texts.push_back(text());
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameOrderBothWays(decimals, SortKind::Decimal, round % 2 ? 0 : -1);
        ExpectSameOrderBothWays(integers, SortKind::Integer64);
        ExpectSameOrderBothWays(integers, SortKind::Integer32);
        ExpectSameOrderBothWays(texts, SortKind::Text);
    }
}

TEST(SortKeys, RowsAreReadOnceEachInTheGivenOrderAndTiesStillKeepRowOrder)
{
    std::mt19937 random(7);
    std::vector<std::string> texts;
    for (int r = 0; r < 500; ++r)
        texts.push_back(r % 7 == 0 ? "NA" : std::to_string(static_cast<int>(random() % 20)) + ".5");
    std::vector<std::uint32_t> readOrder(texts.size());
    std::iota(readOrder.begin(), readOrder.end(), 0u);
    std::shuffle(readOrder.begin(), readOrder.end(), random);
    for (const SortKind kind : {SortKind::Decimal, SortKind::Integer64, SortKind::Text})
    {
        SCOPED_TRACE(static_cast<int>(kind));
        SortRule rule;
        rule.kind = kind;
        std::vector<std::uint32_t> reads;
        const std::vector<std::uint32_t> order = SortOrder(
            static_cast<std::uint32_t>(texts.size()), rule,
            [&](std::uint32_t row, std::string& text)
            {
                reads.push_back(row);
                text = texts[row];
            },
            &readOrder);
        EXPECT_EQ(reads, readOrder);
        EXPECT_EQ(order, ReferenceOrder(texts, rule));
    }
}


// Columns longer than the caches are sorted part by part (split by their keys' top digit): the
// parts, one of them far larger than the rest, must join into the same order, read in row order
// or out of it.
TEST(SortKeys, ColumnsOfHundredsOfThousandsOrderAsTheCompareStepSays)
{
    std::mt19937 random(31);
    const std::size_t rows = 300000;
    std::vector<std::string> decimals, integers, texts;
    for (std::size_t r = 0; r < rows; ++r)
    {
        const bool common = random() % 3 == 0; // a third of the rows share a value
        decimals.push_back(common ? "2500.00"
                                  : std::to_string(1 + random() % 5000) + "." + std::to_string(10 + random() % 90));
        integers.push_back(common ? "77" : std::to_string(static_cast<long long>(random() % 2000000) - 1000000));
        std::string text(6, 'A');
        for (char& c : text)
            c = static_cast<char>('A' + random() % 26);
        texts.push_back(common ? "MMMMMM" : text);
    }
    std::vector<std::uint32_t> shuffled(rows);
    std::iota(shuffled.begin(), shuffled.end(), 0u);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    const std::pair<const std::vector<std::string>*, SortKind> columns[] = {
        {&decimals, SortKind::Decimal}, {&integers, SortKind::Integer64}, {&texts, SortKind::Text}};
    for (const auto& [column, kind] : columns)
    {
        for (const int direction : {-1, 1})
        {
            SCOPED_TRACE(std::to_string(static_cast<int>(kind)) + (direction < 0 ? " ascending" : " descending"));
            SortRule rule;
            rule.kind = kind;
            rule.direction = direction;
            const std::vector<std::uint32_t> expected = ReferenceOrder(*column, rule);
            EXPECT_EQ(KeyOrder(*column, rule), expected);
            EXPECT_EQ(KeyOrder(*column, rule, &shuffled), expected);
        }
    }
}

// A column of few values read out of row order: each value's rows, hundreds of them, still come in
// row order, both ways, long texts and short alike.
TEST(SortKeys, LongRunsOfEqualTextsReadShuffledKeepRowOrder)
{
    std::mt19937 random(11);
    const char* const values[] = {"BUY", "SELL", "BUY-TO-COVER", ""};
    std::vector<std::string> texts;
    for (int r = 0; r < 3000; ++r)
        texts.push_back(values[random() % 4]);
    std::vector<std::uint32_t> readOrder(texts.size());
    std::iota(readOrder.begin(), readOrder.end(), 0u);
    std::shuffle(readOrder.begin(), readOrder.end(), random);
    for (const int direction : {-1, 1})
    {
        SortRule rule;
        rule.kind = SortKind::Text;
        rule.direction = direction;
        const std::vector<std::uint32_t> order = SortOrder(
            static_cast<std::uint32_t>(texts.size()), rule,
            [&](std::uint32_t row, std::string& text) { text = texts[row]; }, &readOrder);
        EXPECT_EQ(order, ReferenceOrder(texts, rule)) << direction;
    }
}

} // namespace
