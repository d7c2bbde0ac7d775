// Holder views as bricks: the brick menu, "Fit To Window" over three columns, colours and the
// default font for every brick, the font dialog for one brick or all, and a plain view's size
// reports.
#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"
#include "support/ScopedTempDir.h"
#include "winlib/FontDialog.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{

class CBrickOwner : public CWnd
{
public:
    std::vector<CSize> sizes;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_HOLDER_PANE_SIZE)
            sizes.emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class HolderViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_owner.CreateEx(0, "AfxWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 800, 400, nullptr, nullptr));
        std::vector<sHOLDERFRAMECTRL> records(3);
        for (int i = 0; i < 3; ++i)
        {
            records[static_cast<std::size_t>(i)].m_nKind = 3;
            records[static_cast<std::size_t>(i)].m_nCtrlId = static_cast<UINT>(60 + i);
        }
        // 300 pixels of client area inside the frame's double border.
        CRect rect(0, 0, 300, 200);
        ASSERT_TRUE(m_frame.CreateHolderFrame(&m_owner, HOLDER_VERTICAL, rect, records));
        CRect client;
        m_frame.GetClientRect(&client);
        m_frame.SetWindowPos(nullptr, 0, 0, 300 + (300 - client.Width()), 200, SWP_NOMOVE | SWP_NOZORDER);
        for (int i = 0; i < 3; ++i)
        {
            m_fonts[i].CreatePointFont(90, "Arial");
            m_frame.GetPaneView(i)->AddStyle(HVS_BRICK);
            m_frame.GetPaneView(i)->SetBrickFont(&m_fonts[i]);
        }
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    CBrickOwner m_owner;
    CKTHolderFrame m_frame;
    CFont m_fonts[3];
};

TEST_F(HolderViewTest, TheBrickMenuOffersItsCommandsAndFitToWindowSharesTheWidthAmongTheColumns)
{
    CRect client;
    m_frame.GetClientRect(&client);
    ASSERT_EQ(client.Width(), 300);
    m_frame.GetSplitter().SetColumnInfo(0, 40, 0);
    m_frame.GetSplitter().SetColumnInfo(1, 210, 0);
    m_driver.AnswerNextPopupMenuByText("Fit To Window");
    CHolderView* view = m_frame.GetPaneView(1);
    view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->m_hWnd), MAKELPARAM(120, 20));
    ASSERT_EQ(m_driver.PopupMenusShown().size(), 1u);
    std::vector<std::string> texts;
    for (const auto& item : m_driver.PopupMenusShown()[0].items)
        texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Set Color", "Set Font", "", "Set Color to All Bricks",
                                               "Set Font to All Bricks", "", "Fit To Window",
                                               "Set Default Values"}));
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(m_frame.GetSplitter().GetColumnIdeal(col), 100) << col;
}

TEST_F(HolderViewTest, ColoursAndTheDefaultFontGoToEveryBrick)
{
    m_driver.AnswerNextColorDialog(RGB(10, 20, 30));
    m_frame.GetPaneView(2)->SendMessage(WM_COMMAND, ID_HOLDER_SET_COLOR_ALL);
    m_driver.AnswerNextColorDialog(RGB(200, 0, 0));
    m_frame.GetPaneView(1)->SendMessage(WM_COMMAND, ID_HOLDER_SET_COLOR);
    EXPECT_EQ(m_frame.GetPaneView(0)->GetCaptionColor(), RGB(10, 20, 30));
    EXPECT_EQ(m_frame.GetPaneView(1)->GetCaptionColor(), RGB(200, 0, 0));
    EXPECT_EQ(m_frame.GetPaneView(2)->GetCaptionColor(), RGB(10, 20, 30));

    m_frame.GetPaneView(0)->SendMessage(WM_COMMAND, ID_HOLDER_DEFAULTS);
    for (int i = 0; i < 3; ++i)
    {
        LOGFONT lf{};
        ASSERT_EQ(m_frame.GetPaneView(i)->GetBrickFont(), &m_fonts[i]) << "replaced in place";
        m_fonts[i].GetLogFont(&lf);
        EXPECT_STREQ(lf.lfFaceName, "Times New Roman");
        EXPECT_EQ(lf.lfHeight, 13);
        EXPECT_EQ(lf.lfWeight, 600);
        EXPECT_EQ(lf.lfPitchAndFamily, 32);
    }
}

LOGFONT ChosenFont(const char* face, LONG height, LONG weight)
{
    LOGFONT lf{};
    std::strcpy(lf.lfFaceName, face);
    lf.lfHeight = height;
    lf.lfWeight = weight;
    return lf;
}

TEST_F(HolderViewTest, SetFontOpensTheFontDialogOnTheBrickFontAndKeepsTheObject)
{
    LOGFONT preset{};
    auto driver = winlib::SetModalAnswerer(
        [&](const winlib::ModalRequest& request)
        {
            if (request.kind != winlib::ModalKind::FontDialog)
                return winlib::ModalAnswer{};
            preset = request.font;
            EXPECT_EQ(request.type & (CF_SCREENFONTS | CF_EFFECTS), CF_SCREENFONTS | CF_EFFECTS);
            return winlib::ModalAnswer{true, IDOK, 0, ChosenFont("Tahoma", -16, FW_BOLD)};
        });
    CHolderView* view = m_frame.GetPaneView(1);
    view->SendMessage(WM_COMMAND, ID_HOLDER_SET_FONT);
    winlib::SetModalAnswerer(driver);
    EXPECT_STREQ(preset.lfFaceName, "Arial");
    LOGFONT lf{};
    ASSERT_EQ(view->GetBrickFont(), &m_fonts[1]) << "re-created in place";
    m_fonts[1].GetLogFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    m_fonts[0].GetLogFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "Arial") << "the other bricks keep theirs";

    m_driver.CancelNextFontDialog();
    view->SendMessage(WM_COMMAND, ID_HOLDER_SET_FONT);
    m_fonts[1].GetLogFont(&lf);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma") << "a cancelled dialog changes nothing";
}

TEST_F(HolderViewTest, SetFontToAllBricksGivesEveryBrickTheChoice)
{
    m_driver.AnswerNextFontDialog(ChosenFont("Verdana", -13, FW_NORMAL));
    m_frame.GetPaneView(2)->SendMessage(WM_COMMAND, ID_HOLDER_SET_FONT_ALL);
    for (int i = 0; i < 3; ++i)
    {
        LOGFONT lf{};
        m_fonts[i].GetLogFont(&lf);
        EXPECT_STREQ(lf.lfFaceName, "Verdana") << i;
        EXPECT_EQ(lf.lfHeight, -13) << i;
    }
}

TEST_F(HolderViewTest, APlainViewReportsItsSizeToItsOwner)
{
    CHolderView* view = m_frame.GetPaneView(0);
    view->AddStyle(HVS_PLAIN);
    view->SetOwner(&m_owner);
    m_owner.sizes.clear();
    view->SetWindowPos(nullptr, 0, 0, 90, 70, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_FALSE(m_owner.sizes.empty());
    EXPECT_EQ(m_owner.sizes.back(), CSize(90, 70));
}

} // namespace
