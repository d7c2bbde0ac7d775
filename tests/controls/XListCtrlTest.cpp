// The extended list: per-cell colours drawn by the list itself, colour boxes picked with the
// colour dialog, check boxes with the header's check state, disabled rows, and the messages the
// owner hears.
#include "controls/XListCtrl.h"
#include "winlib/Api.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// The owner: keeps what the list tells it.
class Owner : public CWnd
{
public:
    std::vector<std::pair<WPARAM, LPARAM>> m_checkClicks;
    std::vector<std::pair<std::string, COLORREF>> m_colorClicks;
    std::vector<int> m_headerRows;
    int m_clicks = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_XLISTCTRL_CHECKBOX_CLICKED)
            m_checkClicks.emplace_back(wParam, lParam);
        else if (message == WM_XLISTCTRL_COLORBOX_CLICKED)
        {
            const char* block = reinterpret_cast<const char*>(wParam);
            m_colorClicks.emplace_back(block, static_cast<COLORREF>(lParam));
            delete[] block; // the receiver owns the block
        }
        else if (message == WM_XLISTCTRL_HEADER_CHECK)
            m_headerRows.push_back(*reinterpret_cast<int*>(wParam));
        else if (message == WM_XLISTCTRL_LBUTTONDOWN)
            ++m_clicks;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class XListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                  CRect(0, 0, 300, 200), &m_owner, 7));
        m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        m_list.InsertColumn(0, "Keyword", LVCFMT_LEFT, 100);
        m_list.InsertColumn(1, "Color", LVCFMT_LEFT, 100);
        for (int row = 0; row < 3; ++row)
            m_list.InsertItem(row, ("row " + std::to_string(row)).c_str());
    }

    CPoint CellCentre(int row, int column)
    {
        CRect rect;
        m_list.GetSubItemRect(row, column, LVIR_BOUNDS, rect);
        return rect.CenterPoint();
    }

    // The colour the list last filled a cell's label rectangle with.
    COLORREF CellFill(int row, int column)
    {
        m_driver.Repaint();
        CRect rect;
        m_list.GetSubItemRect(row, column, LVIR_LABEL, rect);
        COLORREF found = CLR_INVALID;
        for (const winlib::DrawOp& op : m_driver.Fills(m_list.m_hWnd))
            if (op.local == rect)
                found = op.color;
        return found;
    }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    Owner m_owner;
    CXListCtrl m_list;
};

TEST_F(XListCtrlTest, TheMessagesAreRegisteredOnceAndShared)
{
    EXPECT_GE(WM_XLISTCTRL_CHECKBOX_CLICKED, 0xC000u);
    EXPECT_EQ(WM_XLISTCTRL_CHECKBOX_CLICKED, RegisterWindowMessage("WM_XLISTCTRL_CHECKBOX_CLICKED"));
    EXPECT_EQ(WM_XLISTCTRL_COLORBOX_CLICKED, RegisterWindowMessage("WM_XLISTCTRL_COLORBOX_CLICKED"));
    EXPECT_EQ(WM_XLISTCTRL_COMBO_SELECTION, RegisterWindowMessage("WM_XLISTCTRL_COMBO_SELECTION"));
}

TEST_F(XListCtrlTest, RowColoursGoToColumnZeroOnlyAndCellColoursToTheirCell)
{
    const int row = m_list.InsertItem(3, "coloured", RGB(255, 0, 0), RGB(0, 0, 128));
    EXPECT_EQ(CellFill(row, 0), RGB(0, 0, 128));
    EXPECT_EQ(CellFill(row, 1), GetSysColor(COLOR_WINDOW));

    ASSERT_TRUE(m_list.SetItemText(0, 1, "cell", RGB(1, 2, 3), RGB(200, 100, 50)));
    EXPECT_EQ(CellFill(0, 1), RGB(200, 100, 50));
    // -1 stands for the list's own colours; a null text keeps the text.
    ASSERT_TRUE(m_list.SetItemText(0, 1, nullptr, static_cast<COLORREF>(-1), static_cast<COLORREF>(-1)));
    EXPECT_EQ(CellFill(0, 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(m_list.GetItemText(0, 1), "cell");

    // The text of a cell goes in its own colour; a disabled row's in grey.
    m_driver.Repaint();
    bool red = false;
    for (const winlib::DrawOp& op : m_driver.Texts(m_list.m_hWnd))
        red |= op.text == "coloured" && op.color == RGB(255, 0, 0);
    EXPECT_TRUE(red);
    m_list.SetEnabled(row, FALSE);
    m_driver.Repaint();
    bool grey = false;
    for (const winlib::DrawOp& op : m_driver.Texts(m_list.m_hWnd))
        grey |= op.text == "coloured" && op.color == GetSysColor(COLOR_GRAYTEXT);
    EXPECT_TRUE(grey);
}

TEST_F(XListCtrlTest, BadIndexesFailQuietly)
{
    EXPECT_FALSE(m_list.SetItemText(5, 0, "x", 0, 0));
    EXPECT_FALSE(m_list.SetCheckbox(0, 2, 1));
    EXPECT_EQ(m_list.GetCheckbox(-1, 0), -1);
    EXPECT_EQ(m_list.GetHeaderCheckedState(9), -1);
    COLORREF color = 0;
    EXPECT_FALSE(m_list.GetItemColorBox(0, 7, color));
    EXPECT_FALSE(m_list.SetEnabled(3, FALSE));
    EXPECT_EQ(m_list.CountCheckedItems(4), 0);
    // The row's own value lives beside the cells, not in their place.
    EXPECT_TRUE(m_list.SetItemData(1, 42));
    EXPECT_EQ(m_list.GetItemData(1), 42u);
    EXPECT_TRUE(m_list.SetItemColorBox(1, 1, RGB(9, 9, 9)));
    EXPECT_EQ(m_list.GetItemData(1), 42u);
    EXPECT_TRUE(m_list.DeleteItem(0));
    EXPECT_EQ(m_list.GetItemData(0), 42u);
}

TEST_F(XListCtrlTest, ADisabledRowIgnoresClicks)
{
    m_list.SetCheckbox(1, 1, 0);
    m_list.SetEnabled(1, FALSE);
    m_driver.Click(m_list.m_hWnd, CellCentre(1, 1));
    EXPECT_EQ(m_list.GetCheckbox(1, 1), 0);
    EXPECT_EQ(m_list.GetCurSel(), -1);
    EXPECT_EQ(m_owner.m_clicks, 0);
    EXPECT_TRUE(m_owner.m_checkClicks.empty());

    m_list.SetEnabled(1, TRUE);
    m_driver.Click(m_list.m_hWnd, CellCentre(1, 1));
    EXPECT_EQ(m_list.GetCheckbox(1, 1), 1);
    EXPECT_EQ(m_owner.m_clicks, 1);
    ASSERT_EQ(m_owner.m_checkClicks.size(), 1u);
    EXPECT_EQ(m_owner.m_checkClicks[0], (std::pair<WPARAM, LPARAM>{1, 1}));
}

TEST_F(XListCtrlTest, AColourBoxTakesTheChosenColourAndACancelledDialogChangesNothing)
{
    m_list.SetItemColorBox(2, 1, RGB(10, 20, 30));
    EXPECT_EQ(CellFill(2, 1), RGB(10, 20, 30));

    m_driver.CancelNextColorDialog();
    m_driver.Click(m_list.m_hWnd, CellCentre(2, 1));
    m_driver.Pump();
    COLORREF color = 0;
    ASSERT_TRUE(m_list.GetItemColorBox(2, 1, color));
    EXPECT_EQ(color, RGB(10, 20, 30));
    EXPECT_TRUE(m_owner.m_colorClicks.empty());
    EXPECT_EQ(m_list.GetCurSel(), 2); // the row was selected before the dialog opened

    m_driver.AnswerNextColorDialog(RGB(250, 0, 5));
    m_driver.Click(m_list.m_hWnd, CellCentre(2, 1));
    m_driver.Pump();
    ASSERT_TRUE(m_list.GetItemColorBox(2, 1, color));
    EXPECT_EQ(color, RGB(250, 0, 5));
    EXPECT_EQ(CellFill(2, 1), RGB(250, 0, 5));
    ASSERT_EQ(m_owner.m_colorClicks.size(), 1u);
    EXPECT_EQ(m_owner.m_colorClicks[0].first, "2|1");
    EXPECT_EQ(m_owner.m_colorClicks[0].second, RGB(250, 0, 5));

    // A plain cell opens no dialog.
    m_driver.Click(m_list.m_hWnd, CellCentre(0, 1));
    m_driver.Pump();
    EXPECT_EQ(m_owner.m_colorClicks.size(), 1u);
}

TEST_F(XListCtrlTest, TheHeaderCheckStateFollowsTheRowsAndFlipsTheEnabledOnes)
{
    for (int row = 0; row < 3; ++row)
        m_list.SetCheckbox(row, 0, 0);
    CHeaderCtrl* header = m_list.GetHeaderCtrl();
    CRect item;
    header->GetItemRect(0, &item);

    // State 0: no header check box, a column click touches no row.
    EXPECT_EQ(m_list.GetHeaderCheckedState(0), 0);
    m_driver.Click(header->m_hWnd, item.CenterPoint());
    EXPECT_EQ(m_list.CountCheckedItems(0), 0);
    EXPECT_TRUE(m_owner.m_headerRows.empty());

    m_list.SetHeaderCheckedState(0, 1);
    m_list.SetEnabled(2, FALSE);
    m_driver.Click(header->m_hWnd, item.CenterPoint());
    EXPECT_EQ(m_list.GetHeaderCheckedState(0), 2);
    EXPECT_EQ(m_list.GetCheckbox(0, 0), 1);
    EXPECT_EQ(m_list.GetCheckbox(1, 0), 1);
    EXPECT_EQ(m_list.GetCheckbox(2, 0), 0); // disabled rows keep their state
    EXPECT_EQ(m_owner.m_headerRows, (std::vector<int>{0, 1, 2}));

    m_driver.Click(header->m_hWnd, item.CenterPoint());
    EXPECT_EQ(m_list.GetHeaderCheckedState(0), 1);
    EXPECT_EQ(m_list.CountCheckedItems(0), 0);

    // Checking every row by hand checks the header; unchecking one clears it again.
    m_list.SetEnabled(2, TRUE);
    for (int row = 0; row < 3; ++row)
        m_driver.Click(m_list.m_hWnd, CellCentre(row, 0));
    EXPECT_EQ(m_list.GetHeaderCheckedState(0), 2);
    m_list.SetCheckbox(1, 0, 0);
    EXPECT_EQ(m_list.GetHeaderCheckedState(0), 1);
}

} // namespace
