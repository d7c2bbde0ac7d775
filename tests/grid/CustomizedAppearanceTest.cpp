// The appearance dialog opened from a list's menu: colours and font picked, keywords kept longest
// first and stored in lower case, the keyword section only for lists over records, what "Apply
// Settings" gives the list and stores, and the input it refuses.
#include "grid/CustomizedAppearance.h"
#include "FilterListTestSupport.h"
#include "base/UserSettings.h"
#include "winlib/Api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using filterlist::FilterListTest;

class CustomizedAppearanceTest : public FilterListTest
{
protected:
    // Opens the dialog through the list's context menu, as the user does.
    CCustomizedAppearance& OpenFromMenu()
    {
        m_driver.AnswerNextPopupMenuByText("Customize \t Ctrl+Shift+C");
        m_driver.RightClick(m_list->m_hWnd, CPoint(50, 60));
        m_driver.Pump();
        CCustomizedAppearance* dialog = CCustomizedAppearance::Shared();
        EXPECT_TRUE(dialog->m_hWnd && dialog->IsWindowVisible());
        return *dialog;
    }
    void ChooseProperty(CCustomizedAppearance& dialog, int property)
    {
        dialog.PropertyCombo().SetCurSel(property);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(CCustomizedAppearance::IDC_PROPERTY, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(dialog.PropertyCombo().m_hWnd));
    }
    void TypeKeyword(CCustomizedAppearance& dialog, const std::string& keyword)
    {
        dialog.GetDlgItem(CCustomizedAppearance::IDC_KEYWORD)->SetWindowText(keyword.c_str());
        Press(dialog, CCustomizedAppearance::IDC_ADD_KEYWORD);
    }
    std::vector<std::string> ListedKeywords(CCustomizedAppearance& dialog)
    {
        return gridtest::ListTexts(dialog.Keywords());
    }
    std::string Stored()
    {
        std::string value, error;
        ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", "Orders-4000", value, GetUserSettingsPath(), error);
        return value;
    }
};

TEST_F(CustomizedAppearanceTest, TheMenuOpensTheDialogForTheListWithItsColoursAndFont)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    EXPECT_EQ(dialog.GetWindowText(), "Customize Appearance :Orders");
    EXPECT_EQ(dialog.PropertyCombo().GetCurSel(), CCustomizedAppearance::kPropertyBackground);
    EXPECT_EQ(dialog.ColorButton().GetTextColor(), m_list->m_appearance.m_clrBackground);
    EXPECT_EQ(dialog.FontButton().GetWindowText(), "MS Shell Dlg 2 (8)");
    EXPECT_FALSE(dialog.KeywordSectionShown());
    // Every column of the list, in index order, and locked until "..." is pressed.
    EXPECT_EQ(dialog.ColumnCombo().GetCount(), 6);
    EXPECT_FALSE(dialog.ColumnCombo().IsWindowEnabled());
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    Press(dialog, CCustomizedAppearance::IDC_UNLOCK_COLUMN);
    EXPECT_TRUE(dialog.ColumnCombo().IsWindowEnabled());

    // Ctrl+Shift+C opens it too, aimed at the list again.
    dialog.ShowWindow(SW_HIDE);
    m_list->SetFocus();
    m_driver.Press('C', winlib::testing::Modifiers(winlib::testing::Ctrl | winlib::testing::Shift));
    EXPECT_TRUE(dialog.IsWindowVisible());
}

TEST_F(CustomizedAppearanceTest, TheTextPropertyShowsTheKeywordSectionOnlyForAListOverRecords)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    CRect collapsed;
    dialog.GetWindowRect(&collapsed);
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    EXPECT_TRUE(dialog.KeywordSectionShown());
    EXPECT_TRUE(dialog.GetDlgItem(CCustomizedAppearance::IDC_KEYWORDS)->IsWindowVisible());
    CRect expanded;
    dialog.GetWindowRect(&expanded);
    EXPECT_GT(expanded.Height(), collapsed.Height() + 100);
    // The buttons below moved down with it and stay inside the dialog.
    CRect apply;
    dialog.GetDlgItem(CCustomizedAppearance::IDC_APPLY)->GetWindowRect(&apply);
    EXPECT_LT(apply.bottom, expanded.bottom);
    EXPECT_GT(apply.top, expanded.top + collapsed.Height() - 10);
    EXPECT_EQ(dialog.ColorButton().GetTextColor(), m_list->m_appearance.m_clrText);
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyBackground);
    EXPECT_FALSE(dialog.KeywordSectionShown());

    // Out of data mode the list offers no keyword colouring.
    m_list->EnableFilter(FALSE);
    OpenFromMenu();
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    EXPECT_FALSE(dialog.KeywordSectionShown());
    EXPECT_FALSE(dialog.GetDlgItem(CCustomizedAppearance::IDC_KEYWORDS)->IsWindowVisible());
    EXPECT_EQ(dialog.ColumnCombo().GetCount(), 0);
}

TEST_F(CustomizedAppearanceTest, KeywordsAreListedLongestFirstAndStoredInLowerCase)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    TypeKeyword(dialog, "buy");
    TypeKeyword(dialog, "buy back");
    TypeKeyword(dialog, "SELL");
    TypeKeyword(dialog, "bid"); // as long as "buy": the newer goes first
    EXPECT_EQ(ListedKeywords(dialog), (std::vector<std::string>{"buy back", "SELL", "bid", "buy"}));
    EXPECT_EQ(dialog.GetDlgItem(CCustomizedAppearance::IDC_KEYWORD)->GetWindowText(), "");
    // Each keyword starts in the text colour.
    COLORREF color = 0;
    ASSERT_TRUE(dialog.Keywords().GetItemColorBox(0, 1, color));
    EXPECT_EQ(color, m_list->m_appearance.m_clrText);

    dialog.Keywords().SetItemColorBox(0, 1, RGB(255, 0, 0));   // buy back
    dialog.Keywords().SetItemColorBox(1, 1, RGB(0, 0, 255));   // SELL
    dialog.Keywords().SetItemColorBox(3, 1, RGB(0, 255, 255)); // buy
    Press(dialog, CCustomizedAppearance::IDC_UNLOCK_COLUMN);
    dialog.ColumnCombo().SetCurSel(1); // Side
    Press(dialog, CCustomizedAppearance::IDC_APPLY);

    EXPECT_TRUE(m_list->m_bStoredAppearanceLoaded);
    EXPECT_EQ(m_list->m_appearance.m_nKeywordColumn, 1);
    EXPECT_EQ(*m_list->m_appearance.m_pKeywords,
              (std::vector<std::string>{"buy back", "sell", "bid", "buy"}));
    COLORREF row = 0;
    ASSERT_TRUE(m_list->m_appearance.KeywordColor("Buy Back", row));
    EXPECT_EQ(row, RGB(255, 0, 0));
    ASSERT_TRUE(m_list->m_appearance.KeywordColor("short Sell", row));
    EXPECT_EQ(row, RGB(0, 0, 255));
    EXPECT_EQ(Stored(), "0,FF00,MS Shell Dlg 2,8,1,buy back,FF,sell,FF0000,bid,FF00,buy,FFFF00,");
    EXPECT_TRUE(dialog.IsWindowVisible()); // applying leaves the dialog open

    // Delete removes every selected keyword.
    dialog.Keywords().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    dialog.Keywords().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    dialog.Keywords().SetFocus();
    m_driver.Press(VK_DELETE);
    EXPECT_EQ(ListedKeywords(dialog), (std::vector<std::string>{"SELL", "buy"}));
}

TEST_F(CustomizedAppearanceTest, KeywordsWithoutAColumnAreStoredButNotRestored)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    TypeKeyword(dialog, "sell");
    Press(dialog, CCustomizedAppearance::IDC_APPLY);
    EXPECT_EQ(Stored(), "0,FF00,MS Shell Dlg 2,8,sell,FF00,");
    EXPECT_EQ(m_list->m_appearance.GetKeywordCount(), 1);
    // Read back at the next start: colours and font, no keywords.
    sListAppearance restored;
    restored.ParseSetting(Stored());
    EXPECT_EQ(restored.m_clrText, RGB(0, 255, 0));
    EXPECT_EQ(restored.GetKeywordCount(), 0);
}

TEST_F(CustomizedAppearanceTest, BadKeywordsAreRefusedWithAMessageAndTheTextKept)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    TypeKeyword(dialog, "");
    TypeKeyword(dialog, "buy,sell");
    TypeKeyword(dialog, "buy");
    TypeKeyword(dialog, "BUY");
    EXPECT_EQ(m_driver.MessageBoxTexts(),
              (std::vector<std::string>{"Enter text to add a new keyword to list",
                                        "A keyword cannot contain a comma: \"buy,sell\"",
                                        "The keyword \"BUY\" is already in the list"}));
    EXPECT_EQ(ListedKeywords(dialog), (std::vector<std::string>{"buy"}));
    EXPECT_EQ(dialog.GetDlgItem(CCustomizedAppearance::IDC_KEYWORD)->GetWindowText(), "BUY");
}

TEST_F(CustomizedAppearanceTest, ColoursAndFontArePickedAndAppliedToTheList)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    m_driver.CancelNextColorDialog();
    Press(dialog, CCustomizedAppearance::IDC_COLOR);
    EXPECT_EQ(dialog.Working().m_clrBackground, RGB(0, 0, 0));
    m_driver.AnswerNextColorDialog(RGB(20, 30, 40));
    Press(dialog, CCustomizedAppearance::IDC_COLOR);
    EXPECT_EQ(dialog.ColorButton().GetTextColor(), RGB(20, 30, 40));
    ChooseProperty(dialog, CCustomizedAppearance::kPropertyText);
    m_driver.AnswerNextColorDialog(RGB(250, 250, 0));
    Press(dialog, CCustomizedAppearance::IDC_COLOR);

    m_driver.AnswerNextDialog(
        [](HWND font)
        {
            HWND faces = GetDlgItem(font, 33076);
            SendMessage(faces, CB_SETCURSEL,
                        SendMessage(faces, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("Verdana")), 0);
            HWND sizes = GetDlgItem(font, 33077);
            SendMessage(sizes, CB_SETCURSEL, SendMessage(sizes, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("12")),
                        0);
            SendMessage(font, WM_COMMAND, IDOK, 0);
        });
    Press(dialog, CCustomizedAppearance::IDC_FONT);
    EXPECT_EQ(dialog.FontButton().GetWindowText(), "Verdana (12)");
    // Nothing reaches the list before "Apply Settings".
    EXPECT_EQ(m_list->GetBkColor(), RGB(0, 0, 0));

    Press(dialog, CCustomizedAppearance::IDC_APPLY);
    EXPECT_EQ(m_list->GetBkColor(), RGB(20, 30, 40));
    EXPECT_EQ(m_list->GetTextBkColor(), RGB(20, 30, 40));
    EXPECT_EQ(m_list->GetTextColor(), RGB(250, 250, 0));
    EXPECT_EQ(m_list->m_appearance.m_strFontFace, "Verdana");
    EXPECT_EQ(Stored(), "281E14,FAFA,Verdana,12");
}

TEST_F(CustomizedAppearanceTest, AThousandKeywordsAreAppliedButRefusedForStorage)
{
    CCustomizedAppearance& dialog = OpenFromMenu();
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(dialog.AddKeyword("keyword " + std::to_string(i)));
    EXPECT_EQ(dialog.Keywords().GetItemCount(), 1000);
    dialog.ApplySettings();
    ASSERT_EQ(m_driver.MessageBoxTexts().size(), 1u);
    EXPECT_NE(m_driver.MessageBoxTexts()[0].find("not stored"), std::string::npos);
    EXPECT_EQ(m_list->m_appearance.GetKeywordCount(), 1000);
    EXPECT_EQ(Stored(), "");
}

} // namespace
