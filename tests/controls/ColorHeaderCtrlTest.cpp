// The filter-aware header: plain without a filter, tinted while one is set, the filtered
// columns strongly.
#include "controls/ColorHeaderCtrl.h"
#include "winlib/ListCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

// A list that answers the header's question about its filters.
class FilteredList : public CListCtrl, public CHeaderFilterState
{
public:
    std::vector<int> m_filtered;
    BOOL m_filterOn = FALSE;
    std::vector<int> GetFilteredColumns() const override { return m_filtered; }
    int GetColumnAtPosition(int position) const override { return position; }
    BOOL IsFilterOn() const override { return m_filterOn; }
};

class ColorHeaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr, 0));
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &m_parent, 1));
        for (int c = 0; c < 3; ++c)
            m_list.InsertColumn(c, ("Column " + std::to_string(c)).c_str(), LVCFMT_LEFT, 100);
        ASSERT_TRUE(m_header.SubclassWindow(m_list.GetHeaderCtrl()->m_hWnd));
    }
    // The colours the header filled its items with in the last full paint.
    std::vector<COLORREF> ItemFills()
    {
        m_driver.Repaint();
        std::vector<COLORREF> colours;
        for (int item = 0; item < 3; ++item)
        {
            CRect r;
            m_header.GetItemRect(item, &r);
            COLORREF found = CLR_INVALID;
            for (const winlib::DrawOp& op : m_driver.Fills(m_header.m_hWnd))
            {
                // The item's face: a fill over most of it, not an edge line.
                if ((op.local & r) == CRect(op.local) && op.local.Width() > 20 && op.local.Height() > 4)
                    found = op.color;
            }
            colours.push_back(found);
        }
        return colours;
    }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    CWnd m_parent;
    FilteredList m_list;
    CColorHeaderCtrl m_header;
};

TEST_F(ColorHeaderTest, WithoutAFilterTheHeaderLooksPlain)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(ItemFills(), (std::vector<COLORREF>{face, face, face}));
    EXPECT_EQ(m_header.ItemBackground(1), face);
}

TEST_F(ColorHeaderTest, AFilteredColumnIsStronglyTintedAndTheOthersLightly)
{
    m_list.m_filtered = {2};
    m_list.m_filterOn = TRUE;
    EXPECT_EQ(ItemFills(), (std::vector<COLORREF>{kFilterTint, kFilterTint, kFilteredColumnTint}));
    // The erased background behind the items takes the light tint too.
    bool lightBackground = false;
    CRect client;
    m_header.GetClientRect(&client);
    for (const winlib::DrawOp& op : m_driver.Fills(m_header.m_hWnd))
        lightBackground |= op.local == client && op.color == kFilterTint;
    EXPECT_TRUE(lightBackground);
}

TEST_F(ColorHeaderTest, TheTintFollowsTheColumnThroughTheUsersOrder)
{
    m_list.m_filtered = {0};
    int order[] = {2, 0, 1}; // column 0 is shown second
    m_list.SetColumnOrderArray(3, order);
    // Item 2 is shown first, at the position whose column (in this list) is 0: filtered.
    EXPECT_EQ(m_header.ItemBackground(2), kFilteredColumnTint);
    EXPECT_EQ(m_header.ItemBackground(0), kFilterTint) << "item 0 sits at position 1, column 1";
}

} // namespace
