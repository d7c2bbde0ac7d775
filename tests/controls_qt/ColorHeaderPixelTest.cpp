// The filter-aware header as pixels on the screen backend (offscreen): the strong tint on
// the filtered column, the light tint on the others.
#include "controls/ColorHeaderCtrl.h"
#include "winlib/ListCtrl.h"
#include "winlib_qt/QtTestSupport.h"

namespace
{

class FilteredList : public CListCtrl, public CHeaderFilterState
{
public:
    std::vector<int> m_filtered;
    std::vector<int> GetFilteredColumns() const override { return m_filtered; }
    int GetColumnAtPosition(int position) const override { return position; }
    BOOL IsFilterOn() const override { return !m_filtered.empty(); }
};

class ColorHeaderPixelTest : public qttest::QtWindowTest
{
};

TEST_F(ColorHeaderPixelTest, TheFilteredColumnShowsTheStrongTintAndTheOthersTheLightOne)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 200), nullptr, 0));
    FilteredList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &top, 1));
    for (int c = 0; c < 3; ++c)
        list.InsertColumn(c, "", LVCFMT_LEFT, 100);
    CColorHeaderCtrl header;
    ASSERT_TRUE(header.SubclassWindow(list.GetHeaderCtrl()->m_hWnd));
    CRect item;
    header.GetItemRect(1, &item);
    CPoint inside = item.CenterPoint();
    header.MapWindowPoints(&top, &inside, 1);

    m_driver.Pump();
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, inside.x, inside.y), GetSysColor(COLOR_BTNFACE)) << "no filter";

    list.m_filtered = {1};
    header.Invalidate();
    m_driver.Pump();
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, inside.x, inside.y), kFilteredColumnTint);
    CPoint other(inside.x + item.Width(), inside.y);
    EXPECT_EQ(winlib::qt::WindowPixel(top.m_hWnd, other.x, other.y), kFilterTint);
    header.UnsubclassWindow();
}

} // namespace
