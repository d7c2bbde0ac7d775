// Date and time texts as a date-time column sorts them.
#include "grid/DateTimeCompare.h"

#include <gtest/gtest.h>

namespace
{

TEST(DateTimeCompare, SameLengthDatesOrderLatestFirstForTheFirstDirection)
{
    // d x (a - b): with direction -1 a later date sorts before an earlier one.
    EXPECT_EQ(CompareDateTimeText("05/12/2026", "04/12/2026", -1), -1);
    EXPECT_EQ(CompareDateTimeText("05/12/2026", "04/12/2026", 1), 1);
    EXPECT_EQ(CompareDateTimeText("01/01/2027", "31/12/2026", 1), 1) << "the year decides first";
    EXPECT_EQ(CompareDateTimeText("10-11-2026", "11-10-2026", 1), 1) << "day/month: November is later";
    EXPECT_EQ(CompareDateTimeText("05/12/2026", "05/12/2026", 1), 0);
}

TEST(DateTimeCompare, EqualDatesFallBackToTheTimeAfterTheYear)
{
    EXPECT_EQ(CompareDates("05/12/2026 10:15:00", "05/12/2026 09:59:59", '/'), 1);
    EXPECT_EQ(CompareDates("05/12/2026 10:15:00", "05/12/2026 10:16:00", '/'), -1);
    EXPECT_EQ(CompareDates("05/12/2026 10:15:00", "05/12/2026 10:15:01", '/'), -1);
    EXPECT_EQ(CompareDates("05/12/2026 10:15:00 PM", "05/12/2026 11:15:00 AM", '/'), 1);
}

TEST(DateTimeCompare, TimesCompareByHoursMinutesSecondsAndTheHalfOfTheDay)
{
    EXPECT_EQ(CompareDateTimeText("10:00:01", "10:00:00", 1), 1);
    EXPECT_EQ(CompareDateTimeText("09:59:59", "10:00:00", 1), -1);
    EXPECT_EQ(CompareDateTimeText("11:00 AM", "01:00 PM", 1), -1) << "AM before PM whatever the digits";
    EXPECT_EQ(CompareDateTimeText("01:00 PM", "11:00 AM", -1), -1);
}

TEST(DateTimeCompare, DatesWithoutSeparatorsReadTheMonthAbbreviation)
{
    EXPECT_EQ(CompareDateTimeText("05Dec2026", "05Jan2026", 1), 1);
    EXPECT_EQ(CompareDateTimeText("05Xyz2026", "05Jan2026", 1), 0) << "an unknown month counts as January";
    EXPECT_EQ(CompareDateTimeText("06Jan2026", "05Jan2027", 1), -1);
}

TEST(DateTimeCompare, TextsOfDifferentLengthCompareByteWiseTheOtherWayRound)
{
    // d x (b compared with a).
    EXPECT_EQ(CompareDateTimeText("1/1/2026", "10/1/2026", 1), 1);
    EXPECT_EQ(CompareDateTimeText("1/1/2026", "10/1/2026", -1), -1);
    EXPECT_EQ(CompareDateTimeText("", "x", 1), 1);
}

TEST(DateTimeCompare, ShortOrOddTextsDoNotReadPastTheirEnd)
{
    // Fields are read at fixed places from the end: "1:2" has none of them complete.
    EXPECT_EQ(CompareDateTimeText("1:2", "1:3", 1), 0);
    EXPECT_EQ(CompareDateTimeText("/", "/", 1), 0);
    EXPECT_EQ(CompareDateTimeText("-", "-", -1), 0);
    EXPECT_EQ(CompareDateTimeText("ab", "cd", 1), 0) << "no separator: read as dates without one";
}

} // namespace
