// The price edit as the user types into it: the text keeps its grouped, fixed-point shape after
// every key, with the caret where the user expects it, and the number follows the text.
#include "controls/PriceEditControl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace
{

class TestPriceEdit : public CPriceEditControl
{
};

class PriceEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 100), nullptr, 0));
        ASSERT_TRUE(
            m_edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(5, 5, 250, 30), &m_parent, 10));
        m_edit.SetFocus();
    }
    // Starts from 'text' with the caret at 'caret'.
    void Start(const std::string& text, int caret)
    {
        m_edit.SetWindowText(text.c_str());
        m_edit.SetSel(caret, caret);
        m_edit.m_dValue = m_edit.ParseText(text);
    }
    int Caret() const
    {
        int start = 0;
        int end = 0;
        m_edit.GetSel(start, end);
        EXPECT_EQ(start, end) << "nothing is selected after a key";
        return start;
    }

    winlib::testing::Driver m_driver;
    CWnd m_parent;
    TestPriceEdit m_edit;
};

// One key (or a few) typed into a starting text with the caret at a place: the text and caret after.
struct Keystroke
{
    const char* name;
    const char* start;
    int caret;
    const char* typed;
    const char* text;
    int caretAfter; // -1: not checked
    double value;
};

TEST_F(PriceEditTest, EachKeyLeavesTheTextInItsFullShapeAndTheCaretWhereTheUserExpects)
{
    const Keystroke cases[] = {
        {"first digit of an empty edit", "", 0, "5", "5.00", 1, 5},
        {"a second integer digit", "5.00", 1, "3", "53.00", 2, 53},
        {"a digit before the point regroups", "1,234.56", 5, "7", "12,347.56", 6, 12347.56},
        {"the caret stays before the digits it stood before", "999.00", 0, "1", "1,999.00", 2, 1999},
        {"the caret steps over the separator it lands on", "1,234.00", 1, "5", "15,234.00", 3, 15234},
        {"a fraction digit overwrites", "12.34", 3, "9", "12.94", 4, 12.94},
        {"at the end of the fraction nothing more is typed", "12.94", 4, "87", "12.98", 5, 12.98},
        {"backspace takes a digit and its separator", "1,234.00", 1, "\b", "234.00", -1, 234},
        {"backspace just after a separator takes it with the digit", "1,234.00", 2, "\b", "234.00", -1, 234},
        {"backspace in the fraction pulls the digits left", "12.34", 4, "\b", "12.40", 3, 12.4},
        {"backspace after the point takes the last integer digit", "12.34", 3, "\b", "1.34", 1, 1.34},
        {"minus makes it negative", "12.00", 2, "-", "-12.00", -1, -12},
        {"minus again makes it positive", "12.00", 2, "--", "12.00", -1, 12},
        {"minus on an empty value stays in front of the digit typed next", ".00", 0, "-5", "-5.00", 2, -5},
        {"minus, point and a digit", ".00", 0, "-.5", "-.50", 3, -0.5},
        {"plus takes the sign of a negative zero away", "-.00", 1, "+", ".00", 0, 0},
        {"plus on a positive number changes nothing", "12.00", 2, "+", "12.00", -1, 12},
        {"the point drops the digits after the caret", "12,345.00", 2, ".", "12.00", 3, 12},
        {"the point after a whole number brings the decimals", "32,000", 6, ".5", "32,000.50", 8, 32000.5},
        {"letters and blanks are refused", "1,234.56", 3, "a ", "1,234.56", 3, 1234.56},
    };
    for (const Keystroke& c : cases)
    {
        SCOPED_TRACE(c.name);
        Start(c.start, c.caret);
        m_driver.Type(c.typed);
        EXPECT_EQ(m_edit.GetWindowText(), c.text);
        if (c.caretAfter >= 0)
        {
            EXPECT_EQ(Caret(), c.caretAfter);
        }
        EXPECT_DOUBLE_EQ(m_edit.GetValue(), c.value) << "the number follows the text";
    }
}

TEST_F(PriceEditTest, ADigitOverASelectionReplacesIt)
{
    Start("1,234.56", 3);
    m_edit.SetSel(0, 8);
    m_driver.Type("7");
    EXPECT_EQ(m_edit.GetWindowText(), "7.00");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 7.0);
}

// The in-place editor opens with the cell's text selected: a minus typed over it, then digits.
TEST_F(PriceEditTest, AMinusTypedOverASelectionStaysInFrontOfTheDigitsThatFollow)
{
    Start("2,500,000.00", 0);
    m_edit.SetSel(0, -1);
    m_driver.Type("-5");
    EXPECT_EQ(m_edit.GetWindowText(), "-5.00");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), -5.0);
    m_driver.Type("0");
    EXPECT_EQ(m_edit.GetWindowText(), "-50.00");

    m_edit.SetValue(-0.0);
    EXPECT_EQ(m_edit.GetWindowText(), "-.00") << "a negative zero keeps its sign";
    m_edit.SetValue(-0.001);
    EXPECT_EQ(m_edit.GetWindowText(), ".00") << "a negative value that rounds to zero shows none";
}

TEST_F(PriceEditTest, ValuesShowInFullShape)
{
    m_edit.SetValue(0.5);
    EXPECT_EQ(m_edit.GetWindowText(), ".50");
    EXPECT_EQ(Caret(), 0);
    m_edit.SetValue(-1234567.891);
    EXPECT_EQ(m_edit.GetWindowText(), "-1,234,567.89");
    m_edit.m_nDecimals = 0;
    m_edit.SetValue(1234);
    EXPECT_EQ(m_edit.GetWindowText(), "1,234");
    m_edit.m_bGrouping = FALSE;
    m_edit.SetValue(1234);
    EXPECT_EQ(m_edit.GetWindowText(), "1234");
}

TEST_F(PriceEditTest, NumbersBeyondTheLimitAreRefusedWithoutHarm)
{
    Start("999,999,999,999,999.00", 0); // fifteen integer digits
    m_driver.Type("1");
    EXPECT_EQ(m_edit.GetWindowText(), "999,999,999,999,999.00");
    EXPECT_FALSE(m_driver.Observed().beeps.empty());

    m_edit.SetValue(1e300);
    EXPECT_NEAR(m_edit.GetValue(), 1e300, 1e285);
    m_edit.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(m_edit.GetWindowText(), ".00");
}

TEST_F(PriceEditTest, ATextWithMoreDigitsThanTheEditTakesKeepsEveryDigit)
{
    // Twenty integer digits, more than a double holds: rebuilt from the value they would change.
    const std::string huge = "12,345,678,901,234,567,891.25";
    Start(huge, 26);
    m_driver.Type("5");
    EXPECT_EQ(m_edit.GetWindowText(), huge) << "a refused digit changes nothing";
    EXPECT_FALSE(m_driver.Observed().beeps.empty());
    m_driver.Type("-");
    EXPECT_EQ(m_edit.GetWindowText(), "-" + huge);
    m_driver.Type("+");
    EXPECT_EQ(m_edit.GetWindowText(), huge);
    m_edit.SetSel(27, 27);
    m_driver.Type("7"); // the fraction still takes digits in place
    EXPECT_EQ(m_edit.GetWindowText(), "12,345,678,901,234,567,891.75");
    m_edit.SetSel(3, 3);
    m_driver.Type(".");
    EXPECT_EQ(m_edit.GetWindowText(), "12.75") << "the point drops the digits after the caret";
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 12.75);
}

} // namespace
