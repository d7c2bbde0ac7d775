// The colour dialog: answered and cancelled through the test driver, cancelled headless
// when nobody answers, and the real dialog on a scripted screen, driven with the mouse and
// the keyboard.
#include "winlib/ColorDialog.h"
#include "ScriptedScreen.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

using kivo::test::ScriptedScreen;

class ColorDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 700, 500),
                                     nullptr, 0));
    }
    winlib::testing::Driver m_driver;
    CWnd m_owner;
};

TEST_F(ColorDialogTest, AnAnsweredDialogReturnsTheColourChosen)
{
    CColorDialog dialog(RGB(10, 20, 30), CC_FULLOPEN | CC_ANYCOLOR, &m_owner);
    EXPECT_EQ(dialog.m_cc.Flags, CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT)
        << "a given colour starts the dialog";

    winlib::ModalRequest seen(winlib::ModalKind::Dialog);
    auto driver = winlib::SetModalAnswerer(
        [&seen](const winlib::ModalRequest& request)
        {
            seen = request;
            return winlib::ModalAnswer{true, IDOK, RGB(200, 100, 50)};
        });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    winlib::SetModalAnswerer(driver);
    EXPECT_EQ(seen.kind, winlib::ModalKind::ColorDialog);
    EXPECT_EQ(seen.color, RGB(10, 20, 30));
    EXPECT_EQ(seen.window, m_owner.m_hWnd);
    EXPECT_EQ(dialog.GetColor(), RGB(200, 100, 50));
    EXPECT_EQ(dialog.m_cc.rgbResult, RGB(200, 100, 50));

    m_driver.AnswerNextColorDialog(RGB(1, 2, 3));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetColor(), RGB(1, 2, 3));
}

TEST_F(ColorDialogTest, ACancelledDialogKeepsTheColour)
{
    CColorDialog dialog(RGB(10, 20, 30), 0, &m_owner);
    m_driver.CancelNextColorDialog();
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetColor(), RGB(10, 20, 30));

    CColorDialog black;
    EXPECT_EQ(black.m_cc.Flags & CC_RGBINIT, 0u) << "black is no initial colour";
    EXPECT_NE(black.m_cc.lpCustColors, nullptr);
}

TEST_F(ColorDialogTest, NobodyToAnswerMeansCancelledHeadless)
{
    const int before = winlib::UnansweredModalCount();
    CColorDialog dialog(RGB(10, 20, 30), 0, &m_owner);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(winlib::UnansweredModalCount(), before + 1);

    winlib::ModalAnswerer driver = winlib::SetModalAnswerer(nullptr);
    CHOOSECOLOR cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = m_owner.m_hWnd;
    EXPECT_FALSE(ChooseColor(&cc));
    winlib::SetModalAnswerer(driver);
    EXPECT_FALSE(ChooseColor(nullptr));
}

// ---- The dialog on a scripted screen ----------------------------------------------------------

class ColorDialogWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, CRect(100, 100, 900, 700),
                                     nullptr, 0));
    }
    void TearDown() override { EXPECT_EQ(m_screen.Starved(), 0); }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    ScriptedScreen& m_screen = ScriptedScreen::Install();
    CWnd m_owner;
};

std::string Field(HWND dialog, int id)
{
    return GetWindowTextString(GetDlgItem(dialog, id));
}

TEST_F(ColorDialogWindowTest, ASwatchAndTheFieldsMakeTheColour)
{
    int swatches = 0;
    std::string caption;
    std::string red;
    std::string green;
    COLORREF previewed = CLR_INVALID;
    m_driver.AnswerNextDialog(
        [&](HWND dialog)
        {
            caption = GetWindowTextString(dialog);
            for (int i = 0; i < 48; ++i)
            {
                const HWND swatch = GetDlgItem(dialog, COLOR_BOX1 + i);
                if (swatch && (GetWindowLong(swatch, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW)
                    ++swatches;
            }
            red = Field(dialog, COLOR_RED);
            green = Field(dialog, COLOR_GREEN);

            // The second row starts with pure red.
            m_driver.Click(GetDlgItem(dialog, COLOR_BOX1 + 8), CPoint(4, 4));
            EXPECT_EQ(Field(dialog, COLOR_RED), "255");
            EXPECT_EQ(Field(dialog, COLOR_GREEN), "0");
            EXPECT_EQ(Field(dialog, COLOR_BLUE), "0");

            const HWND greenField = GetDlgItem(dialog, COLOR_GREEN);
            m_driver.Click(greenField, CPoint(2, 2));
            SendMessage(greenField, EM_SETSEL, 0, -1);
            m_driver.Type("128");

            const HWND preview = GetDlgItem(dialog, COLOR_CURRENT);
            m_driver.ClearDrawing();
            RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            const std::vector<winlib::DrawOp> fills = m_driver.Fills(preview);
            if (!fills.empty())
                previewed = fills.back().color;
            m_driver.Click(GetDlgItem(dialog, IDOK), CPoint(5, 5));
        });
    CColorDialog dialog(RGB(0, 64, 255), 0, &m_owner);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(caption, "Color");
    EXPECT_EQ(swatches, 48);
    EXPECT_EQ(red, "0") << "the fields start from the initial colour";
    EXPECT_EQ(green, "64");
    EXPECT_EQ(previewed, RGB(255, 128, 0)) << "the preview follows the fields";
    EXPECT_EQ(dialog.GetColor(), RGB(255, 128, 0));
    EXPECT_TRUE(IsWindowEnabled(m_owner.m_hWnd)) << "the owner is given back";
}

TEST_F(ColorDialogWindowTest, EscapeCancels)
{
    m_driver.AnswerNextDialog(
        [&](HWND dialog)
        {
            m_driver.Click(GetDlgItem(dialog, COLOR_BOX1), CPoint(4, 4));
            m_driver.Press(VK_ESCAPE);
        });
    CColorDialog dialog(RGB(0, 64, 255), 0, &m_owner);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetColor(), RGB(0, 64, 255));
}

TEST_F(ColorDialogWindowTest, TheChosenSwatchIsFramedAndOutOfRangeFieldsAreClamped)
{
    COLORREF frame = CLR_INVALID;
    m_driver.AnswerNextDialog(
        [&](HWND dialog)
        {
            const HWND swatch = GetDlgItem(dialog, COLOR_BOX1 + 40); // black, first of the last row
            m_driver.Click(swatch, CPoint(4, 4));
            m_driver.ClearDrawing();
            RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            for (const winlib::DrawOp& op : m_driver.Fills(swatch))
            {
                if (op.local.left == 0 && op.local.top == 0)
                    frame = op.color;
            }
            const HWND blue = GetDlgItem(dialog, COLOR_BLUE);
            m_driver.Click(blue, CPoint(2, 2));
            SendMessage(blue, EM_SETSEL, 0, -1);
            m_driver.Type("999");
            m_driver.Press(VK_RETURN);
        });
    CColorDialog dialog(RGB(0, 64, 255), 0, &m_owner);
    EXPECT_EQ(dialog.DoModal(), IDOK) << "Enter presses OK";
    EXPECT_EQ(frame, GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(dialog.GetColor(), RGB(0, 0, 255));
}

} // namespace
