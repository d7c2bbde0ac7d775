// The exporter's reading of cell texts: which become numbers, how texts are made valid UTF-8 and
// measured, and how a list name becomes the start of a file name.
#include "platform/excel/src/CellText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

using excel::FileNameStem;
using excel::NumericCellValue;

TEST(CellText, WholeNumbersWithBlanksTrimmedAreNumbersInTheNumericTypes)
{
    for (int type : {1, 2, 4, 5, 7, 9})
        EXPECT_TRUE(excel::IsNumericDataType(type)) << type;
    for (int type : {-1, 0, 3, 6, 8, 10})
        EXPECT_FALSE(excel::IsNumericDataType(type)) << type;

    EXPECT_EQ(NumericCellValue("12"), 12.0);
    EXPECT_EQ(NumericCellValue("  7\t"), 7.0);
    EXPECT_EQ(NumericCellValue("-3.25"), -3.25);
    EXPECT_EQ(NumericCellValue("+4"), 4.0);
    EXPECT_EQ(NumericCellValue(".5"), 0.5);
    EXPECT_EQ(NumericCellValue("-.5"), -0.5);
    EXPECT_EQ(NumericCellValue("1e3"), 1000.0);
    EXPECT_EQ(NumericCellValue("2.5E-2"), 0.025);
    EXPECT_EQ(NumericCellValue("007"), 7.0);

    const auto zero = NumericCellValue("-0");
    ASSERT_TRUE(zero);
    EXPECT_FALSE(std::signbit(*zero)) << "a negative zero would show as -0";
}

TEST(CellText, PlaceholdersAndPartialNumbersStayText)
{
    for (const char* text :
         {"",    "   ", "-",   "+",   "NA",   ".",   "12abc",    "abc12", "1,234", "1 234", "1e",
          "--1", "+-1", "1-2", "inf", "-inf", "nan", "infinity", "0x10",  "1e999", "12..5"})
        EXPECT_FALSE(NumericCellValue(text)) << '"' << text << '"';
}

TEST(CellText, IntegersADoubleCannotHoldExactlyStayText)
{
    EXPECT_EQ(NumericCellValue("9007199254740992"), 9007199254740992.0) << "2^53 is still exact";
    EXPECT_EQ(NumericCellValue("-9007199254740992"), -9007199254740992.0);
    EXPECT_FALSE(NumericCellValue("9007199254740993"));
    EXPECT_FALSE(NumericCellValue("-9223372036854775808"));
    EXPECT_FALSE(NumericCellValue("123456789012345678901234567890"));
    EXPECT_TRUE(NumericCellValue("9007199254740993.0")) << "a decimal is allowed to round";
}

TEST(CellText, InvalidUtf8IsReadAsWindows1252AndLengthsCountUtf16Units)
{
    EXPECT_TRUE(excel::IsValidUtf8("plain"));
    EXPECT_TRUE(excel::IsValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_EQ(excel::ToUtf8("caf\xC3\xA9"), "caf\xC3\xA9") << "valid text is kept";

    EXPECT_FALSE(excel::IsValidUtf8("Caf\xE9"));
    EXPECT_EQ(excel::ToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(excel::ToUtf8("\x81"), "\xEF\xBF\xBD")
        << "an unassigned byte becomes the replacement character";
    EXPECT_EQ(excel::ToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF") << "an overlong form is two single bytes";
    EXPECT_EQ(excel::ToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC")
        << "an encoded surrogate is no character";
    EXPECT_EQ(excel::ToUtf8("ok\xE2\x82"), "ok\xC3\xA2\xE2\x80\x9A") << "a sequence cut short at the end";
    EXPECT_TRUE(excel::IsValidUtf8(excel::ToUtf8("\xFF\xFE\x9F\xA0")));

    EXPECT_EQ(excel::Utf16Length("abc"), 3u);
    EXPECT_EQ(excel::Utf16Length("\xC3\xA9\xE2\x82\xAC"), 2u);
    EXPECT_EQ(excel::Utf16Length("\xF0\x9F\x98\x80"), 2u) << "a character above U+FFFF is a surrogate pair";
}

TEST(CellText, ListNamesBecomeSafeFileNameStems)
{
    EXPECT_EQ(FileNameStem("Request List"), "Request List");
    EXPECT_EQ(FileNameStem("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(FileNameStem("tab\there\nnew"), "tab_here_new");
    EXPECT_EQ(FileNameStem("  ..hidden. "), "hidden");
    EXPECT_EQ(FileNameStem(""), "Export");
    EXPECT_EQ(FileNameStem(" . .. "), "Export");
    EXPECT_EQ(FileNameStem("Liste \xE9t\xE9"), "Liste \xC3\xA9t\xC3\xA9");

    const std::string stem = FileNameStem(std::string(99, 'x') + "\xC3\xA9" + "tail");
    EXPECT_EQ(stem, std::string(99, 'x')) << "cut at 100 bytes without splitting a character";
    EXPECT_EQ(FileNameStem(std::string(98, 'x') + " .." + "tail"), std::string(98, 'x'))
        << "a cut that ends in blanks and dots drops them too";
}

} // namespace
