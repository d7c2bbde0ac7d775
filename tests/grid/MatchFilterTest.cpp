// The filter's matching rule for one cell: "~" alternatives, "*" forms, number bounds and exact
// matching, and filters far beyond what anyone types.
#include "grid/FilterListCtrl.h"
#include "grid/FilterPattern.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

bool Match(const std::string& cell, const std::string& filter, bool exact = false)
{
    return CFilterListCtrl::MatchFilter(cell, filter, exact ? TRUE : FALSE) != FALSE;
}

TEST(MatchFilter, AlternativesMatchTheStartOfTheCellInAnyCase)
{
    EXPECT_TRUE(Match("Buying", "buy~sell"));
    EXPECT_TRUE(Match("SELL", "buy~sell"));
    EXPECT_FALSE(Match("hold", "buy~sell"));
    EXPECT_FALSE(Match("bu", "buy")) << "the cell must hold the whole alternative";
    EXPECT_TRUE(Match("anything", "")) << "an empty filter lets everything through";
    EXPECT_TRUE(Match("sell", "~~sell~"));
    EXPECT_FALSE(Match("hold", "~~sell~")) << "empty alternatives are skipped, not read as matching all";
    EXPECT_TRUE(Match("anything", "~")) << "a filter with no alternative at all filters nothing";
    EXPECT_FALSE(Match("", "buy"));
    EXPECT_TRUE(Match("BUYING", "bUy")) << "one alternative alone, in any case";
    EXPECT_FALSE(Match("BUT", "buy"));
}

TEST(MatchFilter, StarFormsMatchTheEndOrAnyPlace)
{
    EXPECT_TRUE(Match("XAB", "*ab"));
    EXPECT_FALSE(Match("ABX", "*ab"));
    EXPECT_FALSE(Match("b", "*ab")) << "a cell shorter than the ending";
    EXPECT_TRUE(Match("XAB", "*ab*"));
    EXPECT_TRUE(Match("ABX", "*ab*"));
    EXPECT_FALSE(Match("AXB", "*ab*"));
    EXPECT_TRUE(Match("anything", "*"));
    EXPECT_TRUE(Match("", "**"));
    // Words found inside the cell through a shorter word's ending: abcd holds bcd.
    EXPECT_TRUE(Match("xabcd", "*abcx*~*bcd*"));
    EXPECT_TRUE(Match("ushers", "*she*~*hers*~*his*"));
    EXPECT_TRUE(Match("abcx", "*abcd*~*bc*")) << "bc ends inside the longer word's start";
    EXPECT_FALSE(Match("ushe", "*hers*~*his*"));
}

TEST(MatchFilter, BoundsCompareNumbersAndHideCellsThatAreNone)
{
    EXPECT_TRUE(Match("150", ">100"));
    EXPECT_FALSE(Match("100", ">100"));
    EXPECT_FALSE(Match("abc", ">100"));
    EXPECT_FALSE(Match("150abc", ">100")) << "the whole cell must be a number";
    EXPECT_TRUE(Match(" 1e3 ", ">100"));
    EXPECT_TRUE(Match("-5", "<0"));
    EXPECT_TRUE(Match("-150", ">-200"));
    EXPECT_FALSE(Match("-250", ">-200"));
    EXPECT_TRUE(Match("0012", ">11")) << "leading zeros";
    EXPECT_FALSE(Match("-", "<0"));
    EXPECT_TRUE(Match("999999999999999", ">999999999999998")) << "fifteen digits";
    EXPECT_TRUE(Match("12345678901234567890", ">12345678901234560000"));
    EXPECT_FALSE(Match("NA", "<0"));
    EXPECT_TRUE(Match("5", ">100~<10")) << "either bound";
    EXPECT_TRUE(Match("50", ">10~>100")) << "the lowest lower bound decides";
    EXPECT_TRUE(Match("50", "<100~<10")) << "and the highest upper bound";
    EXPECT_FALSE(Match("150", ">")) << "a bound without a number lets no cell through";
    EXPECT_FALSE(Match("150", ">abc"));
}

TEST(MatchFilter, ExactMatchingWantsTheWholeCellInAnyCase)
{
    EXPECT_TRUE(Match("BUY", "buy", true));
    EXPECT_FALSE(Match("buying", "buy", true));
    EXPECT_TRUE(Match("sell", "buy~SELL", true));
    EXPECT_FALSE(Match("xab", "*ab", true)) << "no star forms";
    EXPECT_TRUE(Match("*ab", "*ab", true));
}

TEST(MatchFilter, AbsurdFiltersStillAnswerRightly)
{
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += (i ? "~v" : "v") + std::to_string(i);
    const FilterPattern pattern(many, false);
    EXPECT_TRUE(pattern.Matches("v9999"));
    EXPECT_TRUE(pattern.Matches("V5000x"));
    EXPECT_FALSE(pattern.Matches("w1"));

    const std::string longText(1023, 'q');
    EXPECT_TRUE(Match(longText + "r", longText));
    EXPECT_FALSE(Match(std::string(1022, 'q'), longText));
    EXPECT_TRUE(Match("zzqqqz", "*" + std::string(3, 'q') + "*"));
}

TEST(MatchFilter, OnlySeparatorsOrBadBoundsGiveAPlainAnswer)
{
    const std::string tildes(5000, '~');
    EXPECT_TRUE(Match("anything", tildes)) << "thousands of empty alternatives are still no alternative";
    EXPECT_TRUE(Match("sell", tildes + "sell" + tildes));
    EXPECT_FALSE(Match("buy", tildes + "sell" + tildes));

    // A bound that is no number lets nothing through, whatever else it is next to.
    for (const char* bound : {">", "<", ">>5", "<<5", ">5x", "<--5", "> ", ">nan", "<NaN"})
    {
        EXPECT_FALSE(Match("5", bound)) << bound;
        EXPECT_FALSE(Match("-1e300", bound)) << bound;
    }
    EXPECT_TRUE(Match("buy", ">~buy")) << "the bad bound does not spoil the other alternatives";
    EXPECT_TRUE(Match("3", "<nan~<5"));
    EXPECT_TRUE(Match("9", ">nan~>5"));
    EXPECT_TRUE(Match("7", "< 10 ")) << "blanks around the number";
    // Bounds past what a double holds read as infinity: nothing is above it, everything finite below.
    EXPECT_FALSE(Match("1e308", ">1e999"));
    EXPECT_TRUE(Match("1e308", "<1e999"));
    EXPECT_FALSE(Match("inf", ">inf"));
    EXPECT_TRUE(Match(std::string(400, '9'), ">1e300")) << "a cell past a double's range is still a number";
}

} // namespace
