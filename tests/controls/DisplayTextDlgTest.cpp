// The reason dialog: its template, and OK refused while the line is empty.
#include "controls/DisplayTextDlg.h"
#include "resources/PluginResources.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

class DisplayTextDlgTest : public ::testing::Test
{
protected:
    DisplayTextDlgTest() { RegisterPluginResources(); }
    winlib::testing::Driver m_driver;
};

TEST_F(DisplayTextDlgTest, ShowsThePromptAndTakesTheTypedLine)
{
    CDisplayTextDlg dialog;
    m_driver.AnswerNextDialog(
        [this](HWND hwnd)
        {
            EXPECT_EQ(GetWindowTextString(hwnd), "Rejection");
            HWND edit = GetDlgItem(hwnd, IDC_DISPLAY_TEXT_EDIT);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(GetFocus(), edit) << "the line takes the typing at once";
            EXPECT_TRUE(GetWindowLong(edit, GWL_STYLE) & ES_AUTOHSCROLL);
            CRect r;
            GetWindowRect(edit, &r);
            EXPECT_EQ(r.Width(), MulDiv(167, 6, 4));
            EXPECT_EQ(GetWindowTextString(GetDlgItem(hwnd, IDOK)), "&OK");
            m_driver.Type("wrong branch");
            m_driver.Click(GetDlgItem(hwnd, IDOK), CPoint(3, 3));
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strText, "wrong branch");
}

TEST_F(DisplayTextDlgTest, OkWithAnEmptyLineKeepsTheDialogOpenAndABlankIsAnAnswer)
{
    CDisplayTextDlg dialog;
    m_driver.AnswerNextDialog(
        [&](HWND hwnd)
        {
            m_driver.Click(GetDlgItem(hwnd, IDOK), CPoint(3, 3));
            EXPECT_EQ(m_driver.Observed().beeps.size(), 1u) << "OK on an empty line is refused with the beep";
            EXPECT_EQ(GetFocus(), GetDlgItem(hwnd, IDC_DISPLAY_TEXT_EDIT))
                << "and the caret back in the line";
            m_driver.Type(" ");
            m_driver.Press(VK_RETURN);
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strText, " ");
    EXPECT_TRUE(m_driver.MessageBoxTexts().empty()) << "refused without a message box";
    EXPECT_EQ(m_driver.Observed().beeps.size(), 1u) << "a blank is an answer";

    CDisplayTextDlg empty;
    m_driver.AnswerNextDialog([&](HWND) { m_driver.Press(VK_RETURN); });
    EXPECT_EQ(empty.DoModal(), IDCANCEL) << "still open after OK; closed only when nothing was left to do";
}

TEST_F(DisplayTextDlgTest, TheLineTakesNoMoreThanTheServerKeeps)
{
    CDisplayTextDlg dialog;
    m_driver.AnswerNextDialog(
        [this](HWND hwnd)
        {
            m_driver.Type(std::string(kMaxRejectionReason - 1, 'r') + "st and more");
            EXPECT_EQ(GetWindowTextString(GetDlgItem(hwnd, IDC_DISPLAY_TEXT_EDIT)).size(),
                      static_cast<std::size_t>(kMaxRejectionReason));
            m_driver.Press(VK_RETURN);
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strText, std::string(kMaxRejectionReason - 1, 'r') + "s");
    EXPECT_TRUE(m_driver.MessageBoxTexts().empty());
}

TEST_F(DisplayTextDlgTest, EscapeCancels)
{
    CDisplayTextDlg dialog;
    m_driver.AnswerNextDialog(
        [this](HWND)
        {
            m_driver.Type("half a reason");
            m_driver.Press(VK_ESCAPE);
        });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

} // namespace
