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

TEST_F(PriceEditTest, DigitsGoIntoTheIntegerPartAndKeepTheGroups)
{
    Start("", 0);
    m_driver.Type("5");
    EXPECT_EQ(m_edit.GetWindowText(), "5.00");
    EXPECT_EQ(Caret(), 1);
    m_driver.Type("3");
    EXPECT_EQ(m_edit.GetWindowText(), "53.00");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 53.0);

    Start("1,234.56", 5); // before the point
    m_driver.Type("7");
    EXPECT_EQ(m_edit.GetWindowText(), "12,347.56");
    EXPECT_EQ(Caret(), 6);
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 12347.56);

    Start("999.00", 0);
    m_driver.Type("1");
    EXPECT_EQ(m_edit.GetWindowText(), "1,999.00");
    EXPECT_EQ(Caret(), 2) << "the caret stays before the digits it stood before";
    Start("1,234.00", 1);
    m_driver.Type("5");
    EXPECT_EQ(m_edit.GetWindowText(), "15,234.00");
    EXPECT_EQ(Caret(), 3) << "the caret steps over the separator it lands on";
}

TEST_F(PriceEditTest, DigitsInTheFractionOverwrite)
{
    Start("12.34", 3);
    m_driver.Type("9");
    EXPECT_EQ(m_edit.GetWindowText(), "12.94");
    EXPECT_EQ(Caret(), 4);
    m_driver.Type("8");
    m_driver.Type("7"); // at the end nothing more is typed
    EXPECT_EQ(m_edit.GetWindowText(), "12.98");
}

TEST_F(PriceEditTest, BackspaceTakesDigitsAndSeparatorsTogether)
{
    Start("1,234.00", 1);
    m_driver.Type("\b");
    EXPECT_EQ(m_edit.GetWindowText(), "234.00");

    Start("1,234.00", 2); // just after the separator: it goes with the 1
    m_driver.Type("\b");
    EXPECT_EQ(m_edit.GetWindowText(), "234.00");

    Start("12.34", 4);
    m_driver.Type("\b");
    EXPECT_EQ(m_edit.GetWindowText(), "12.40");
    EXPECT_EQ(Caret(), 3);

    Start("12.34", 3); // right after the point: the last integer digit goes
    m_driver.Type("\b");
    EXPECT_EQ(m_edit.GetWindowText(), "1.34");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 1.34);
}

TEST_F(PriceEditTest, SignsAndThePoint)
{
    Start("12.00", 2);
    m_driver.Type("-");
    EXPECT_EQ(m_edit.GetWindowText(), "-12.00");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), -12.0);
    m_driver.Type("-");
    EXPECT_EQ(m_edit.GetWindowText(), "12.00");
    m_driver.Type("+");
    EXPECT_EQ(m_edit.GetWindowText(), "12.00");

    Start("12,345.00", 2);
    m_driver.Type(".");
    EXPECT_EQ(m_edit.GetWindowText(), "12.00");
    EXPECT_EQ(Caret(), 3);
}

TEST_F(PriceEditTest, OtherCharactersAndSelections)
{
    Start("1,234.56", 3);
    m_driver.Type("a");
    m_driver.Type(" ");
    EXPECT_EQ(m_edit.GetWindowText(), "1,234.56");

    // A digit over a selection replaces it, the text taking its full shape again.
    m_edit.SetSel(0, 8);
    m_driver.Type("7");
    EXPECT_EQ(m_edit.GetWindowText(), "7.00");
    EXPECT_DOUBLE_EQ(m_edit.GetValue(), 7.0);
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
