// The sectioned grid and its editors as pixels on the screen backend (offscreen): the tree glyphs
// of a closed and an open section, the title line's colours, an open drop-down list and an open
// calendar, and the editors the grid lays over a value cell. With KIVO_MULTILINE_SCREENSHOTS set
// to a folder, the grid with its open price editor is also saved there (editor.png).
#include "controls/InPlaceCombo.h"
#include "controls/InPlaceDTPicker.h"
#include "controls/InPlacePriceEdit.h"
#include "dozizedizizi/DetailSection.h"
#include "grid/MultiLineEditListCtrl.h"
#include "support/ScopedTempDir.h"
#include "winlib_qt/QtTestSupport.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr COLORREF kGlyph = RGB(180, 180, 180);
constexpr COLORREF kWhite = RGB(255, 255, 255);

sKivoColInfo Column(const char* name, int width)
{
    sKivoColInfo info;
    info.SetName(name);
    info.m_nWidth = width;
    info.m_nDataType = 3;
    return info;
}

class MultiLinePixelTest : public qttest::QtWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 300), nullptr, 0));
    }
    void TearDown() override
    {
        CInPlaceCombo::DeleteInstance();
        CInPlaceDTPicker::DeleteInstance();
        CInPlacePriceEdit::DeleteInstance();
        qttest::QtWindowTest::TearDown();
    }
    // The detail view's grid: field, value and old value, black on white, in sections.
    static bool MakeDetailGrid(CMultiLineListCtrl& grid, CWnd& parent)
    {
        grid.m_arrColumns = {Column("Field", 160), Column("Value", 150), Column("Old Value", 150)};
        if (!grid.CreateEx(0, 0x50811401, CRect(0, 0, 480, 280), &parent, 4001))
            return false;
        grid.InitColumns();
        grid.SetBkColor(kWhite);
        grid.SetTextColor(RGB(0, 0, 0));
        grid.EnableSectionMode(TRUE);
        grid.SetDataDescriptor(&DescribeDetailSection);
        return true;
    }
    COLORREF Pixel(CWnd& wnd, int x, int y)
    {
        CPoint point(x, y);
        wnd.MapWindowPoints(&m_top, &point, 1);
        return winlib::qt::WindowPixel(m_top.m_hWnd, point.x, point.y);
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    CWnd m_top;
};

TEST_F(MultiLinePixelTest, TreeGlyphsAndTheTitleLinesColours)
{
    CMultiLineListCtrl grid;
    ASSERT_TRUE(MakeDetailGrid(grid, m_top));
    std::vector<std::unique_ptr<sDetailSection>> sections;
    for (const char* title : {"Open", "Closed"})
    {
        auto section = std::make_unique<sDetailSection>();
        section->m_pTitle = std::make_unique<sMCListStruct>();
        section->m_pTitle->m_strField = title;
        for (int i = 0; i < 2; ++i)
            section->m_arrRows.push_back(std::make_unique<sMCListStruct>());
        grid.InsertSectionItem(grid.GetSectionCount(), " ");
        grid.SetSectionData(grid.GetSectionCount(), section.get(), section->GetLineCount());
        sections.push_back(std::move(section));
    }
    grid.ToggleSection(0);
    m_driver.Pump();

    CRect open;
    grid.CListCtrl::GetItemRect(0, &open, LVIR_BOUNDS);
    CRect closed;
    grid.CListCtrl::GetItemRect(3, &closed, LVIR_BOUNDS);
    const int x = open.left + 2; // the glyph's origin
    // The box's corners and the minus bar on both; the plus's vertical bar only on the closed one.
    EXPECT_EQ(Pixel(grid, x, open.top + 2), kGlyph);
    EXPECT_EQ(Pixel(grid, x + 8, open.top + 10), kGlyph);
    EXPECT_EQ(Pixel(grid, x + 3, open.top + 6), kGlyph);
    EXPECT_EQ(Pixel(grid, x + 4, closed.top + 5), kGlyph);
    EXPECT_EQ(Pixel(grid, x + 3, closed.top + 6), kGlyph);
    // Inside the open box, above the bar, the title's own background shows.
    EXPECT_EQ(Pixel(grid, x + 4, open.top + 4), RGB(238, 223, 223));
    EXPECT_EQ(Pixel(grid, x + 4, open.top + 5), RGB(238, 223, 223));
    // Below the open box a dotted line runs down: one of every two pixels.
    const bool dotted =
        Pixel(grid, x + 4, open.top + 12) == kGlyph || Pixel(grid, x + 4, open.top + 13) == kGlyph;
    EXPECT_TRUE(dotted);
    EXPECT_NE(Pixel(grid, x + 4, open.top + 12), Pixel(grid, x + 4, open.top + 13));
    // A row line's branch.
    CRect row;
    grid.CListCtrl::GetItemRect(1, &row, LVIR_BOUNDS);
    const bool branch =
        Pixel(grid, x + 6, row.top + 6) == kGlyph || Pixel(grid, x + 7, row.top + 6) == kGlyph;
    EXPECT_TRUE(branch);

    // The title line's background across its cells; row lines in the grid's white.
    EXPECT_EQ(Pixel(grid, 400, open.top + 2), RGB(238, 223, 223));
    EXPECT_EQ(Pixel(grid, 400, row.top + 2), kWhite);
    grid.DestroyWindow();
}

TEST_F(MultiLinePixelTest, OpenCalendarShowsTheMonthWithTheValueSelected)
{
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 480, 280), &m_top, 4001));
    CInPlaceDTPicker* picker = CInPlaceDTPicker::GetInstance();
    picker->m_pOwnerList = &list;
    ASSERT_TRUE(
        picker->ShowDateTimeCtrl(0, CRect(20, 30, 200, 52), &list, 1, 0, 1, CTime(2024, 3, 7, 0, 0, 0)));
    picker->SetFocus();
    m_driver.Press(VK_F4);
    m_driver.Pump();
    const HWND calendar = picker->GetMonthCalHandle();
    ASSERT_NE(calendar, nullptr);
    ASSERT_TRUE(::IsWindowVisible(calendar));

    const COLORREF title = GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(winlib::qt::WindowPixel(calendar, 4, 4), title) << "the title bar";
    MCHITTESTINFO hit{};
    hit.cbSize = sizeof hit;
    bool found = false;
    for (int y = 0; y < 250 && !found; y += 2)
    {
        for (int x = 0; x < 250 && !found; x += 2)
        {
            hit.pt = POINT{x, y};
            found = ::SendMessage(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) ==
                        static_cast<LRESULT>(MCHT_CALENDARDATE) &&
                    hit.st.wDay == 7;
        }
    }
    ASSERT_TRUE(found);
    // The selected day is filled with the title colour; its neighbour is on white.
    EXPECT_EQ(winlib::qt::WindowPixel(calendar, hit.rc.left + 2, hit.rc.top + 2), title);
    const int width = hit.rc.right - hit.rc.left;
    EXPECT_EQ(winlib::qt::WindowPixel(calendar, hit.rc.left + width + 2, hit.rc.top + 2),
              GetSysColor(COLOR_WINDOW));
}

// The console's part: every value cell takes the editor kind it is given here.
class EditOwner : public CWnd
{
public:
    sCellEditInfo answer;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_MULTILINE_EDIT_BEGIN)
        {
            *reinterpret_cast<sCellEditInfo*>(lParam) = answer;
            *result = 0;
            return TRUE;
        }
        return CWnd::OnWndMsg(message, wParam, lParam, result);
    }
};

class EditableGridPixelTest : public MultiLinePixelTest
{
protected:
    void SetUp() override
    {
        MultiLinePixelTest::SetUp();
        ASSERT_TRUE(
            m_owner.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 300), &m_top, 1));
        ASSERT_TRUE(MakeDetailGrid(m_grid, m_owner));
        m_grid.SetHighlightSelectedLine(TRUE);
        auto section = std::make_unique<sDetailSection>();
        section->m_pTitle = std::make_unique<sMCListStruct>();
        section->m_pTitle->m_strField = "RMS Limits";
        section->m_pTitle->m_strValue = "Value";
        section->m_pTitle->m_strOldValue = "Old Value";
        for (const char* field : {"Cash Margin", "Turnover Limit", "Exposure Limit"})
        {
            auto row = std::make_unique<sMCListStruct>();
            row->m_strField = field;
            row->m_strValue = "1234567.50";
            row->m_strOldValue = "1000000.00";
            section->m_arrRows.push_back(std::move(row));
        }
        m_grid.InsertSectionItem(0, " ");
        m_grid.SetSectionData(1, section.get(), section->GetLineCount());
        m_section = std::move(section);
        m_grid.ExpandAllSections();
        m_driver.Pump();
    }
    void TearDown() override
    {
        m_grid.DestroyWindow();
        MultiLinePixelTest::TearDown();
    }
    CRect LineRect(int line) const
    {
        CRect rect;
        m_grid.CListCtrl::GetItemRect(line, &rect, LVIR_BOUNDS);
        return rect;
    }

    EditOwner m_owner;
    CMultiLineEditListCtrl m_grid;
    std::unique_ptr<sDetailSection> m_section;
};

TEST_F(EditableGridPixelTest, APriceEditorCoversTheClickedValueCellInItsOwnColours)
{
    m_owner.answer.m_nEditorKind = CELL_EDITOR_PRICE;
    const CRect line = LineRect(2);
    m_driver.Click(m_grid.m_hWnd, POINT{240, line.CenterPoint().y});
    CInPlacePriceEdit* price = CInPlacePriceEdit::GetInstance();
    ASSERT_NE(price->m_hWnd, nullptr);
    m_driver.Press(VK_END); // the text starts selected; unselected it shows in the editor's colours
    m_driver.Pump();
    CRect box;
    price->GetWindowRect(&box);
    m_grid.ScreenToClient(&box);
    EXPECT_EQ(box.left, 160);
    EXPECT_EQ(box.right, 310);

    // Pale yellow in the editor (the grid's white around it), the grouped text in saddle brown.
    constexpr COLORREF kPaper = RGB(238, 232, 170);
    constexpr COLORREF kInk = RGB(139, 69, 19);
    EXPECT_EQ(Pixel(m_grid, box.left + 4, box.top + 3), kPaper);
    EXPECT_EQ(Pixel(m_grid, box.right - 6, box.bottom - 3), kPaper);
    EXPECT_EQ(Pixel(m_grid, box.left - 3, line.top + 2), GetSysColor(COLOR_HIGHLIGHT))
        << "the line is selected";
    EXPECT_EQ(Pixel(m_grid, box.right + 3, line.top + 2), GetSysColor(COLOR_HIGHLIGHT))
        << "and goes on after it";
    EXPECT_EQ(Pixel(m_grid, box.right + 3, LineRect(3).top + 2), kWhite) << "the line below is not";
    int ink = 0;
    for (int y = box.top; y < box.bottom; ++y)
    {
        for (int x = box.left; x < box.right; ++x)
            ink += Pixel(m_grid, x, y) == kInk ? 1 : 0;
    }
    EXPECT_GT(ink, 20) << "the digits are drawn";
    EXPECT_EQ(price->GetWindowText(), "1,234,567.50");
    // The section's title above keeps its colours.
    EXPECT_EQ(Pixel(m_grid, 400, LineRect(0).top + 2), RGB(238, 223, 223));

    if (const char* folder = std::getenv("KIVO_MULTILINE_SCREENSHOTS"))
    {
        EXPECT_TRUE(winlib::qt::SaveWindowPng(m_top.m_hWnd, std::string(folder) + "/editor.png"));
    }
}

TEST_F(EditableGridPixelTest, AnOpenDropDownHangsBelowTheValueCellWithTheCellsValueHighlighted)
{
    m_owner.answer.m_nEditorKind = CELL_EDITOR_DROPDOWN;
    m_owner.answer.m_arrChoices = {"1000000.00", "1234567.50", "2000000.00"};
    const CRect line = LineRect(1);
    m_driver.Click(m_grid.m_hWnd, POINT{240, line.CenterPoint().y});
    CInPlaceCombo* combo = CInPlaceCombo::GetInstance();
    ASSERT_NE(combo->m_hWnd, nullptr);
    m_driver.Press(VK_F4);
    m_driver.Pump();
    ASSERT_TRUE(combo->SendMessage(CB_GETDROPPEDSTATE));
    CRect field;
    combo->GetWindowRect(&field);
    const HWND dropped = ::WindowFromPoint(POINT{field.left + 5, field.bottom + 5});
    ASSERT_NE(dropped, nullptr);
    ASSERT_NE(dropped, m_grid.m_hWnd) << "the list drops over the grid";
    CRect list;
    ::GetWindowRect(dropped, &list);
    EXPECT_EQ(list.left, field.left);
    EXPECT_EQ(list.top, field.bottom);
    const int itemHeight = static_cast<int>(combo->SendMessage(CB_GETITEMHEIGHT, 0));
    EXPECT_GE(list.Height(), 3 * itemHeight) << "every choice shows";
    // The cell's own value (the second choice) is the highlighted one.
    EXPECT_EQ(winlib::qt::WindowPixel(dropped, 3, 1 + itemHeight + itemHeight / 2),
              GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(winlib::qt::WindowPixel(dropped, 3, 1 + itemHeight / 2), GetSysColor(COLOR_WINDOW));
}

} // namespace
