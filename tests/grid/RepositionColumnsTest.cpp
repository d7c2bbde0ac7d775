// The column profile dialog from the header menu: hidden and shown columns, moving them across,
// fixed columns kept, "&View" rebuilding the header (widths kept, filters cleared) and "&Save"
// storing the profile, columns dragged across and within the sides, the second mode, and a list of
// 500 columns.
#include "grid/RepositionColumns.h"
#include "FilterListTestSupport.h"
#include "base/UserSettings.h"
#include "winlib/Api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using filterlist::FilterListTest;

class RepositionColumnsTest : public FilterListTest
{
protected:
    // Opens the dialog through the header menu, as the user does.
    CRepositionColumns& OpenFromMenu()
    {
        m_driver.AnswerNextPopupMenuByText("Reposition Columns");
        m_driver.RightClick(Header().m_hWnd, HeaderPoint(0));
        m_driver.Pump();
        CRepositionColumns* dialog = m_list->RepositionColumnsDialog();
        EXPECT_TRUE(dialog && dialog->m_hWnd && dialog->IsWindowVisible());
        return *dialog;
    }
    static std::vector<std::string> Texts(CListCtrl& list) { return gridtest::ListTexts(list); }
    std::vector<std::string> HeaderTexts() { return gridtest::HeaderTexts(Header()); }
    static void Select(CListCtrl& list, std::vector<int> rows)
    {
        for (int row = 0; row < list.GetItemCount(); ++row)
            list.SetItemState(row, 0, LVIS_SELECTED);
        for (const int row : rows)
            list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    void Press(CWnd& dialog, int id)
    {
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        m_driver.Pump();
    }
    std::string StoredProfile()
    {
        std::string value;
        ReadWriteColumnProfile(SETTING_READ, "Orders", value);
        return value;
    }
};

TEST_F(RepositionColumnsTest, TheHeaderMenuShowsTheShownColumnsInDisplayOrderAndTheHiddenOnesReversed)
{
    CRepositionColumns& first = OpenFromMenu();
    EXPECT_EQ(Texts(first.Shown()),
              (std::vector<std::string>{"Symbol", "Side", "Qty", "Price", "Time", "Trader"}));
    EXPECT_TRUE(Texts(first.Hidden()).empty());
    // The default-sort controls belong to one list only.
    EXPECT_FALSE(first.GetDlgItem(CRepositionColumns::IDC_SORT_COLUMN)->IsWindowVisible());

    Select(first.Shown(), {1, 4});
    Press(first, CRepositionColumns::IDC_HIDE);
    Press(first, CRepositionColumns::IDC_VIEW);
    EXPECT_FALSE(first.m_hWnd) << "viewing closes the dialog";
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Qty", "Price", "Trader"}));
    EXPECT_EQ(m_list->m_mapPosition[1], -1);
    EXPECT_EQ(m_list->m_mapPosition[4], -1);
    EXPECT_EQ(m_list->m_mapPosition[3], 2);

    CRepositionColumns& again = OpenFromMenu();
    EXPECT_EQ(Texts(again.Shown()), (std::vector<std::string>{"Symbol", "Qty", "Price", "Trader"}));
    EXPECT_EQ(Texts(again.Hidden()), (std::vector<std::string>{"Time", "Side"}));
}

TEST_F(RepositionColumnsTest, ColumnsMoveInAfterTheSelectedOneAndKeepTheirWidthWhenBack)
{
    m_list->SetColumnWidth(1, 133);
    CRepositionColumns& dialog = OpenFromMenu();
    Select(dialog.Shown(), {1});
    Press(dialog, CRepositionColumns::IDC_HIDE);
    Press(dialog, CRepositionColumns::IDC_VIEW);

    CRepositionColumns& back = OpenFromMenu();
    Select(back.Hidden(), {0});
    Select(back.Shown(), {3}); // after Time
    Press(back, CRepositionColumns::IDC_SHOW);
    EXPECT_EQ(Texts(back.Shown()),
              (std::vector<std::string>{"Symbol", "Qty", "Price", "Time", "Side", "Trader"}));
    Press(back, CRepositionColumns::IDC_VIEW);
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Qty", "Price", "Time", "Side", "Trader"}));
    EXPECT_EQ(m_list->GetColumnWidth(4), 133);
    EXPECT_EQ(m_list->m_nFirstColumn, 0);
}

TEST_F(RepositionColumnsTest, AFixedColumnStaysShownWithAMessageAndTheOthersMove)
{
    m_list->m_arrFixedColumns = {"Symbol"};
    CRepositionColumns& dialog = OpenFromMenu();
    EXPECT_EQ(dialog.SendMessage(WM_REPOSITION_IS_FIXED, reinterpret_cast<WPARAM>("Symbol")), 1);
    EXPECT_EQ(dialog.SendMessage(WM_REPOSITION_IS_FIXED, reinterpret_cast<WPARAM>("symbol")), 0);
    Select(dialog.Shown(), {0, 1});
    Press(dialog, CRepositionColumns::IDC_HIDE);
    EXPECT_EQ(m_driver.MessageBoxTexts(), (std::vector<std::string>{"Symbol cannot be removed"}));
    EXPECT_EQ(Texts(dialog.Shown()), (std::vector<std::string>{"Symbol", "Qty", "Price", "Time", "Trader"}));
    EXPECT_EQ(Texts(dialog.Hidden()), (std::vector<std::string>{"Side"}));
}

TEST_F(RepositionColumnsTest, ColumnsDraggedBetweenAndWithinTheSidesChangeTheShownColumns)
{
    m_list->m_arrFixedColumns = {"Symbol"};
    CRepositionColumns& dialog = OpenFromMenu();
    CKTDragListCtrl& shown = dialog.Shown();
    CKTDragListCtrl& hidden = dialog.Hidden();
    auto drag = [&](CKTDragListCtrl& from, int row, CKTDragListCtrl& to, int onto)
    {
        CRect source;
        from.GetItemRect(row, &source, LVIR_LABEL);
        CRect target;
        if (onto < to.GetItemCount())
            to.GetItemRect(onto, &target, LVIR_LABEL);
        else
            to.GetClientRect(&target); // nothing under the point: the end of the list
        const CPoint at(source.left + 10, source.CenterPoint().y);
        m_driver.Click(from.m_hWnd, at);
        m_driver.MouseDown(from.m_hWnd, at);
        m_driver.MouseMove(from.m_hWnd, CPoint(at.x + 8, at.y + 8));
        ASSERT_TRUE(from.IsDragging());
        const CPoint drop(target.left + 10,
                          onto < to.GetItemCount() ? target.CenterPoint().y : target.bottom - 5);
        m_driver.MouseMove(to.m_hWnd, drop);
        m_driver.MouseUp(to.m_hWnd, drop);
    };

    drag(shown, 1, hidden, 0); // Side
    drag(shown, 3, hidden, 0); // Time, before Side
    EXPECT_EQ(Texts(hidden), (std::vector<std::string>{"Time", "Side"}));
    m_driver.AnswerNextMessageBox(IDOK);
    drag(shown, 0, hidden, 0); // Symbol is fixed
    EXPECT_EQ(m_driver.MessageBoxTexts(), (std::vector<std::string>{"Symbol cannot be removed"}));
    drag(hidden, 1, shown, 1); // Side back, in front of Qty
    drag(shown, 4, shown, 0);  // Trader dropped on Symbol goes after it
    EXPECT_EQ(Texts(shown), (std::vector<std::string>{"Symbol", "Trader", "Side", "Qty", "Price"}));
    EXPECT_EQ(Texts(hidden), (std::vector<std::string>{"Time"}));

    Press(dialog, CRepositionColumns::IDC_VIEW);
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Trader", "Side", "Qty", "Price"}));
    EXPECT_EQ(m_list->m_mapPosition[4], -1);
    EXPECT_EQ(m_list->m_mapPosition[5], 1);

    // A fixed column that the profile left hidden may be dragged back in.
    m_list->m_arrFixedColumns = {"Time"};
    CRepositionColumns& again = OpenFromMenu();
    ASSERT_EQ(Texts(again.Hidden()), (std::vector<std::string>{"Time"}));
    drag(again.Hidden(), 0, again.Shown(), 5);
    EXPECT_EQ(Texts(again.Shown()),
              (std::vector<std::string>{"Symbol", "Trader", "Side", "Qty", "Price", "Time"}));
    EXPECT_EQ(m_driver.MessageBoxTexts().size(), 1U);
    EXPECT_EQ(again.SendMessage(WM_REPOSITION_IS_FIXED, reinterpret_cast<WPARAM>("Time")), 1);
}

TEST_F(RepositionColumnsTest, EveryColumnHiddenLeavesNoHeaderAndSaveStoresThemAllHidden)
{
    CRepositionColumns& dialog = OpenFromMenu();
    Select(dialog.Shown(), {0, 1, 2, 3, 4, 5});
    Press(dialog, CRepositionColumns::IDC_HIDE);
    Press(dialog, CRepositionColumns::IDC_SAVE);
    EXPECT_EQ(Header().GetItemCount(), 0);
    EXPECT_EQ(StoredProfile(), "0,-1,0,1,-1,0,2,-1,0,3,-1,0,4,-1,0,5,-1,0");
}

TEST_F(RepositionColumnsTest, ViewClearsTheFiltersOfAFilterList)
{
    Add("INFY");
    Add("TCS");
    m_list->ToggleFilterBar();
    TypeFilter(0, "INF");
    ASSERT_EQ(m_list->GetItemCount(), 1);
    CRepositionColumns& dialog = OpenFromMenu();
    Press(dialog, CRepositionColumns::IDC_VIEW);
    EXPECT_EQ(m_list->GetItemCount(), 2);
    EXPECT_TRUE(m_list->GetFilteredColumns().empty());
}

TEST_F(RepositionColumnsTest, TheSecondModeStoresTheHiddenColumnsWithoutRebuildingTheHeader)
{
    m_list->SendMessage(WM_COMMAND, ID_LIST_REPOSITION_COLUMNS_SORT);
    CRepositionColumns& dialog = *m_list->RepositionColumnsDialog();
    ASSERT_TRUE(dialog.m_hWnd);
    Select(dialog.Shown(), {2});
    Press(dialog, CRepositionColumns::IDC_HIDE);
    Press(dialog, CRepositionColumns::IDC_SAVE);
    EXPECT_EQ(Header().GetItemCount(), 0) << "the owner lays the list out again";
    EXPECT_EQ(m_list->m_mapPosition[2], -1);
    EXPECT_EQ(m_list->m_mapPosition[3], 3) << "only hidden columns are marked";
}

TEST_F(RepositionColumnsTest, FiveHundredColumnsAreListedAndMoved)
{
    m_list->DestroyWindow();
    m_list = std::make_unique<CFilterListCtrl>();
    m_owner.m_pList = m_list.get(); // the owner must not hear of the list that went
    m_list->m_strListName = "Wide";
    for (int c = 0; c < 500; ++c)
        m_list->m_arrColumns.push_back(gridtest::Column(("Column " + std::to_string(c)).c_str(), 75, 0, 3));
    ASSERT_TRUE(m_list->CreateEx(0, kGridStyle, CRect(0, 0, 600, 300), &m_owner, 4000));
    m_list->InitColumns();
    CRepositionColumns& dialog = OpenFromMenu();
    EXPECT_EQ(dialog.Shown().GetItemCount(), 500);
    std::vector<int> half;
    for (int row = 0; row < 500; row += 2)
        half.push_back(row);
    Select(dialog.Shown(), half);
    Press(dialog, CRepositionColumns::IDC_HIDE);
    Press(dialog, CRepositionColumns::IDC_VIEW);
    EXPECT_EQ(Header().GetItemCount(), 250);
}

} // namespace

namespace
{

// The header items showing an arrow (images 0 and 1; the third image is blank), by their titles.
std::vector<std::string> Arrows(CHeaderCtrl& header)
{
    std::vector<std::string> titled;
    for (int item = 0; item < header.GetItemCount(); ++item)
    {
        char text[64] = {};
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT | HDI_IMAGE | HDI_TEXT;
        hdi.pszText = text;
        hdi.cchTextMax = sizeof text;
        header.GetItem(item, &hdi);
        if ((hdi.fmt & HDF_IMAGE) && (hdi.iImage == 0 || hdi.iImage == 1))
            titled.push_back(text);
    }
    return titled;
}

TEST_F(RepositionColumnsTest, OneArrowOnTheColumnThatOrdersTheRowsAndNoneInArrivalOrder)
{
    using Column = std::vector<std::string>;
    m_list->SetNewestFirst(TRUE);
    Add("B", "Buy", "2");
    Add("A", "Sell", "3");
    Add("C", "Buy", "1");
    EXPECT_TRUE(Arrows(Header()).empty()) << "rows in the order they came";

    m_driver.Click(Header().m_hWnd, HeaderPoint(2));
    EXPECT_EQ(Arrows(Header()), Column{"Qty"});
    // A deleted row resets the previous sort column; the next sort still leaves one arrow.
    EXPECT_TRUE(m_list->DeleteItem(0));
    m_driver.Click(Header().m_hWnd, HeaderPoint(0));
    EXPECT_EQ(Shown(), (Column{"A", "B"}));
    EXPECT_EQ(Arrows(Header()), Column{"Symbol"});

    // Filtered again, the rows are back in the order they came: no arrow.
    m_driver.Click(Header().m_hWnd, HeaderPoint(2));
    EXPECT_EQ(Shown(2), (Column{"2", "3"}));
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(2), (Column{"3", "2"}));
    EXPECT_TRUE(Arrows(Header()).empty());
    // So after View, which clears the filters: the rows show in the order they came, unmarked.
    m_driver.Click(Header().m_hWnd, HeaderPoint(2));
    CRepositionColumns& dialog = OpenFromMenu();
    Select(dialog.Shown(), {1});
    Press(dialog, CRepositionColumns::IDC_HIDE);
    Press(dialog, CRepositionColumns::IDC_VIEW);
    ASSERT_EQ(HeaderTexts()[1], "Qty");
    EXPECT_EQ(Shown(1), (Column{"3", "2"}));
    EXPECT_TRUE(Arrows(Header()).empty());
}

} // namespace
