// The filter value picker as a list's user meets it: the distinct texts of a column, picked with
// the mouse or the keyboard, written back into the list as one filter.
#include "grid/FilterText.h"
#include "GridTestSupport.h"
#include "resources/PluginResources.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

// Stands for a list: it only records what the picker writes into it.
class PickerTarget : public CWnd, public CFilterTextTarget
{
public:
    std::vector<std::pair<int, std::string>> m_written;
    void SetPickedFilter(int position, const std::string& text) override
    {
        m_written.emplace_back(position, text);
    }
};

class FilterTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterPluginResources();
        ASSERT_TRUE(m_top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
        ASSERT_TRUE(
            m_list.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 300), &m_top, 4000));
    }

    CFilterText& OpenWith(std::vector<std::string> cells, int position = 2)
    {
        CFilterText& picker = CFilterText::ForFilterLists();
        EXPECT_TRUE(picker.Open(
            &m_list, &m_list, position,
            [cells](const auto& add)
            {
                for (const std::string& cell : cells)
                    add(cell);
            },
            CPoint(40, 60)));
        return picker;
    }
    static std::vector<std::string> Values(CFilterText& picker)
    {
        return gridtest::ListBoxTexts(picker.GetValues());
    }
    void ClickValue(CFilterText& picker, int index,
                    winlib::testing::Modifiers held = winlib::testing::NoModifiers)
    {
        CRect r;
        picker.GetValues().GetItemRect(index, &r);
        m_driver.Click(picker.GetValues().m_hWnd, r.CenterPoint(), held);
    }

    winlib::testing::Driver m_driver;
    CWnd m_top;
    PickerTarget m_list;
};

TEST_F(FilterTextTest, ShowsEachNonEmptyTextOnceInOrderAtThePoint)
{
    CFilterText& picker = OpenWith({"sell", "Buy", "", "sell", "Apple", "Buy", "buy"});
    EXPECT_EQ(Values(picker), (std::vector<std::string>{"Apple", "Buy", "buy", "sell"}));
    EXPECT_TRUE(picker.IsWindowVisible());
    CRect where;
    picker.GetWindowRect(&where);
    EXPECT_EQ(where.TopLeft(), CPoint(40, 60));
    EXPECT_EQ(CWnd::GetFocus(), &picker.GetValues());

    // Opened again for another column it holds only that column's texts.
    OpenWith({"x"}, 0);
    EXPECT_EQ(Values(picker), std::vector<std::string>{"x"});
}

TEST_F(FilterTextTest, EnterWritesThePickedTextsJoinedWithATildeAndCloses)
{
    CFilterText& picker = OpenWith({"sell", "buy", "hold"});
    ClickValue(picker, 0);                        // buy
    ClickValue(picker, 2, winlib::testing::Ctrl); // sell
    m_driver.Press(VK_RETURN);
    ASSERT_EQ(m_list.m_written.size(), 1u);
    EXPECT_EQ(m_list.m_written[0], (std::pair<int, std::string>{2, "buy~sell"}));
    EXPECT_FALSE(picker.IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &m_list) << "the keys go back to the list";
}

TEST_F(FilterTextTest, ADoubleClickWritesTheValueClicked)
{
    CFilterText& picker = OpenWith({"sell", "buy"});
    CRect r;
    picker.GetValues().GetItemRect(1, &r);
    m_driver.DoubleClick(picker.GetValues().m_hWnd, r.CenterPoint());
    ASSERT_EQ(m_list.m_written.size(), 1u);
    EXPECT_EQ(m_list.m_written[0].second, "sell");
}

TEST_F(FilterTextTest, AValueOnlyRepeatedInAnotherCaseIsJoinedOnceButAValueInsideAnotherStays)
{
    CFilterText& picker = OpenWith({"AB", "B", "ab"});
    picker.GetValues().SelItemRange(TRUE, 0, 2);
    EXPECT_EQ(picker.JoinSelection(), "AB~B");
}

TEST_F(FilterTextTest, EscapeAndLosingActivationCloseWithoutWriting)
{
    CFilterText& picker = OpenWith({"buy"});
    ClickValue(picker, 0);
    m_driver.Press(VK_ESCAPE);
    EXPECT_FALSE(picker.IsWindowVisible());
    EXPECT_EQ(CWnd::GetFocus(), &m_list);

    OpenWith({"buy"});
    ClickValue(picker, 0);
    m_driver.Click(m_top.m_hWnd, CPoint(550, 350));
    EXPECT_FALSE(picker.IsWindowVisible()) << "a click elsewhere takes the activation away";
    EXPECT_TRUE(m_list.m_written.empty());
}

TEST_F(FilterTextTest, APickerWhoseListWentAwayWritesNothing)
{
    CFilterText& picker = OpenWith({"buy"});
    picker.GetValues().SetSel(0);
    m_list.DestroyWindow();
    picker.ApplySelection();
    EXPECT_TRUE(m_list.m_written.empty());
}

TEST_F(FilterTextTest, FilterListsAndMultiLineListsHaveAPickerEach)
{
    EXPECT_NE(&CFilterText::ForFilterLists(), &CFilterText::ForMultiLineLists());
    EXPECT_EQ(&CFilterText::ForFilterLists(), &CFilterText::ForFilterLists());
}

} // namespace
