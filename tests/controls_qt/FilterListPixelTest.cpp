// The filter list's rows as pixels on the screen backend (offscreen): the selected row's gradient
// with and without the focus, a gradient row background, and a row coloured by a keyword.
#include "grid/FilterListCtrl.h"
#include "support/ScopedTempDir.h"
#include "winlib_qt/QtTestSupport.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRowBack = RGB(200, 40, 40);
constexpr COLORREF kKeyword = RGB(0, 170, 0);

struct Line
{
    std::array<std::string, 3> cells;
    COLORREF back = static_cast<COLORREF>(-1);
};

BOOL LineCell(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF& bkColor, int&)
{
    const auto* line = reinterpret_cast<const Line*>(item);
    if (!line || column < 0 || column >= 3)
        return FALSE;
    text = line->cells[static_cast<std::size_t>(column)];
    if (column == 0)
        bkColor = line->back;
    return TRUE;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 4)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class FilterListPixelTest : public qttest::QtWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr, 0));
        ASSERT_TRUE(
            m_other.Create("BUTTON", "", WS_CHILD | WS_VISIBLE, CRect(0, 280, 40, 300), &m_top, 4002));
        m_list.m_strListName = "Pixels";
        for (const char* name : {"Symbol", "Side", "Qty"})
        {
            sKivoColInfo info;
            info.SetName(name);
            info.m_nWidth = 150;
            info.m_nDataType = 3;
            m_list.m_arrColumns.push_back(info);
        }
        ASSERT_TRUE(m_list.CreateEx(0,
                                    WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA,
                                    CRect(0, 0, 480, 270), &m_top, 4001));
        m_list.InitColumns();
        m_list.SetBkColor(kWhite);
        m_list.SetTextColor(RGB(0, 0, 0));
        m_list.SetDataDescriptor(&LineCell);
        m_list.EnableFilter(TRUE);
        for (Line& line : m_lines)
        {
            m_list.InsertItem(0, "");
            m_list.SetItemData(0, reinterpret_cast<DWORD_PTR>(&line));
        }
    }
    void TearDown() override
    {
        m_list.DestroyWindow();
        qttest::QtWindowTest::TearDown();
    }
    CRect Row(int row)
    {
        CRect rect;
        m_list.CListCtrl::GetItemRect(row, &rect, LVIR_BOUNDS);
        return rect;
    }
    COLORREF Pixel(int x, int y)
    {
        CPoint point(x, y);
        m_list.MapWindowPoints(&m_top, &point, 1);
        return winlib::qt::WindowPixel(m_top.m_hWnd, point.x, point.y);
    }
    // The top pixel line of a row, where no text reaches: left end, middle and right end.
    std::array<COLORREF, 3> Ends(int row)
    {
        const CRect r = Row(row);
        return {Pixel(r.left, r.top + 1), Pixel(r.CenterPoint().x, r.top + 1), Pixel(r.right - 1, r.top + 1)};
    }
    // Pixels of a row's text that are clearly of the given colour's hue and not grey.
    int PixelsLike(int row, COLORREF color)
    {
        const CRect r = Row(row);
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
        {
            for (int x = r.left; x < r.left + 140; ++x)
            {
                const COLORREF p = Pixel(x, y);
                if (p != kWhite && Near(p, color, 60) && GetGValue(p) > GetRValue(p) + 40)
                    ++count;
            }
        }
        return count;
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    CWnd m_top;
    CWnd m_other;
    CFilterListCtrl m_list;
    std::array<Line, 3> m_lines{Line{{"ABC", "Buy", "10"}}, Line{{"DEF", "Sell", "20"}, kRowBack},
                                Line{{"GHI", "Buy", "30"}}};
};

TEST_F(FilterListPixelTest, ASelectedRowIsABlueGradientWithTheFocusAndAGreyOneWithout)
{
    m_list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_list.SetFocus();
    m_driver.Pump();
    const auto focused = Ends(0);
    EXPECT_TRUE(Near(focused[0], kSelectionFocusFrom)) << std::hex << focused[0];
    EXPECT_TRUE(Near(focused[2], kSelectionFocusTo, 8)) << std::hex << focused[2];
    // Halfway, each channel lies between its ends.
    EXPECT_GT(GetGValue(focused[1]), GetGValue(kSelectionFocusFrom) + 10);
    EXPECT_LT(GetGValue(focused[1]), GetGValue(kSelectionFocusTo) - 10);
    EXPECT_EQ(Ends(2)[0], kWhite) << "an unselected row keeps its background";

    m_other.SetFocus();
    m_driver.Pump();
    const auto unfocused = Ends(0);
    EXPECT_TRUE(Near(unfocused[0], kSelectionNoFocusFrom)) << std::hex << unfocused[0];
    EXPECT_TRUE(Near(unfocused[2], kSelectionNoFocusTo, 8)) << std::hex << unfocused[2];
    EXPECT_TRUE(Near(unfocused[1], RGB(0x3F, 0x3F, 0x3F), 12)) << std::hex << unfocused[1];
}

TEST_F(FilterListPixelTest, RowBackgroundsAreSolidOrAGradientToWhite)
{
    m_driver.Pump();
    const auto solid = Ends(1);
    EXPECT_EQ(solid[0], kRowBack);
    EXPECT_EQ(solid[2], kRowBack);

    m_list.m_bGradientRows = TRUE;
    m_list.Invalidate();
    m_driver.Pump();
    const auto gradient = Ends(1);
    EXPECT_TRUE(Near(gradient[0], kRowBack)) << std::hex << gradient[0];
    EXPECT_TRUE(Near(gradient[2], kWhite, 8)) << std::hex << gradient[2];
    EXPECT_TRUE(Near(gradient[1], RGB(228, 148, 148), 12)) << std::hex << gradient[1];
    EXPECT_TRUE(Near(Ends(0)[0], kWhite)) << "a row without a colour runs from the list's white";
}

TEST_F(FilterListPixelTest, ARowWhoseKeywordCellHoldsAKeywordIsWrittenInItsColour)
{
    m_list.m_appearance.m_pKeywords =
        std::make_unique<std::vector<std::string>>(std::vector<std::string>{"ELL"});
    m_list.m_appearance.m_pKeywordColors =
        std::make_unique<std::vector<COLORREF>>(std::vector<COLORREF>{kKeyword});
    m_list.m_appearance.m_nKeywordColumn = 1;
    m_list.Invalidate();
    m_driver.Pump();
    // Row 1 holds "Sell" (its background is red, so the green text is told apart from it).
    EXPECT_GT(PixelsLike(1, kKeyword), 10);
    EXPECT_EQ(PixelsLike(0, kKeyword), 0);
    EXPECT_EQ(PixelsLike(2, kKeyword), 0);
}

} // namespace
