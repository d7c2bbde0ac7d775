// The appearance dialog's effect and the extended list's cells as pixels on the screen backend
// (offscreen): a list's background, text and keyword row after "Apply Settings", a colour-box
// cell and a check-box cell with its tick.
#include "controls/XListCtrl.h"
#include "grid/CustomizedAppearance.h"
#include "grid/FilterListCtrl.h"
#include "resources/PluginResources.h"
#include "support/ScopedTempDir.h"
#include "winlib_qt/QtTestSupport.h"

#include <array>
#include <deque>
#include <string>

namespace
{

using Row = std::array<std::string, 2>;

BOOL RowCell(DWORD_PTR item, int column, std::string& text, COLORREF&, COLORREF&, int&)
{
    const auto* row = reinterpret_cast<const Row*>(item);
    if (!row || column < 0 || column > 1)
        return FALSE;
    text = (*row)[static_cast<std::size_t>(column)];
    return TRUE;
}

class AppearancePixelTest : public qttest::QtWindowTest
{
protected:
    void SetUp() override
    {
        RegisterPluginResources();
        ASSERT_TRUE(m_top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, 260), nullptr, 0));
    }
    // The colours of every pixel of a window's area, in the top window's image.
    std::vector<COLORREF> Pixels(CWnd& wnd, CRect area)
    {
        wnd.MapWindowPoints(&m_top, &area);
        return winlib::qt::WindowPixels(m_top.m_hWnd, area);
    }
    static int Count(const std::vector<COLORREF>& pixels, COLORREF color)
    {
        return static_cast<int>(std::count(pixels.begin(), pixels.end(), color));
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    CWnd m_top;
};

TEST_F(AppearancePixelTest, AnAppliedAppearanceColoursTheListAndItsKeywordRows)
{
    CFilterListCtrl list;
    list.m_strListName = "Orders";
    sKivoColInfo symbol, side;
    symbol.SetName("Symbol");
    symbol.m_nWidth = 120;
    side.SetName("Side");
    side.m_nWidth = 120;
    list.m_arrColumns = {symbol, side};
    ASSERT_TRUE(list.CreateEx(0, WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA,
                              CRect(0, 0, 400, 240), &m_top, 4000));
    list.InitColumns();
    list.SetDataDescriptor(&RowCell);
    list.EnableFilter(TRUE);
    std::deque<Row> rows{{"INFY", "Buy Back"}, {"TCS", "Sell"}};
    for (Row& row : rows)
    {
        list.InsertItem(0, "");
        list.SetItemData(0, reinterpret_cast<DWORD_PTR>(&row));
    }

    constexpr COLORREF kBackground = RGB(255, 255, 224);
    constexpr COLORREF kText = RGB(0, 0, 160);
    constexpr COLORREF kBuyBack = RGB(220, 0, 0);
    OpenCustomizedAppearance(&list);
    CCustomizedAppearance* dialog = CCustomizedAppearance::Shared();
    m_driver.AnswerNextColorDialog(kBackground);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CCustomizedAppearance::IDC_COLOR, BN_CLICKED), 0);
    dialog->PropertyCombo().SetCurSel(CCustomizedAppearance::kPropertyText);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CCustomizedAppearance::IDC_PROPERTY, CBN_SELCHANGE), 0);
    m_driver.AnswerNextColorDialog(kText);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CCustomizedAppearance::IDC_COLOR, BN_CLICKED), 0);
    ASSERT_TRUE(dialog->AddKeyword("buy back"));
    dialog->Keywords().SetItemColorBox(0, 1, kBuyBack);
    dialog->ColumnCombo().SetCurSel(1);
    dialog->ApplySettings();
    dialog->ShowWindow(SW_HIDE);
    m_driver.Pump();

    CRect first, second, empty;
    list.GetItemRect(0, &first, LVIR_BOUNDS);
    list.GetItemRect(1, &second, LVIR_BOUNDS);
    list.GetClientRect(&empty);
    empty.top = second.bottom + 20;
    const std::vector<COLORREF> below = Pixels(list, empty);
    EXPECT_EQ(Count(below, kBackground), static_cast<int>(below.size())) << "the background below the rows";

    // Row 0 is INFY, whose side reads Buy Back; row 1 TCS in the plain text colour.
    const std::vector<COLORREF> keyword = Pixels(list, first);
    const std::vector<COLORREF> plain = Pixels(list, second);
    EXPECT_GT(Count(plain, kText), 5);
    EXPECT_EQ(Count(plain, kBuyBack), 0);
    EXPECT_GT(Count(keyword, kBuyBack), 5);
    EXPECT_EQ(Count(keyword, kText), 0);
    winlib::qt::SaveWindowPng(m_top.m_hWnd, testing::TempDir() + "appearance-applied.png");
}

TEST_F(AppearancePixelTest, AColourBoxAndACheckBoxCellAsTheListPaintsThem)
{
    CXListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &m_top, 7));
    list.InsertColumn(0, "Keyword", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Color", LVCFMT_LEFT, 100);
    list.InsertItem(0, "sell");
    list.InsertItem(1, "");
    list.SetItemColorBox(0, 1, RGB(0, 128, 255));
    list.SetCheckbox(1, 1, 1);
    list.SetCheckbox(1, 0, 0);
    m_driver.Pump();

    CRect box;
    list.GetSubItemRect(0, 1, LVIR_LABEL, box);
    const std::vector<COLORREF> colour = Pixels(list, box);
    EXPECT_EQ(Count(colour, RGB(0, 128, 255)), static_cast<int>(colour.size()))
        << "the whole cell is the colour";

    CRect checked, unchecked;
    list.GetSubItemRect(1, 1, LVIR_LABEL, checked);
    list.GetSubItemRect(1, 0, LVIR_LABEL, unchecked);
    const std::vector<COLORREF> tick = Pixels(list, checked);
    const std::vector<COLORREF> empty = Pixels(list, unchecked);
    EXPECT_GE(Count(tick, RGB(0, 0, 0)), 14) << "seven strokes of the tick";
    EXPECT_EQ(Count(empty, RGB(0, 0, 0)), 0);
    // The sunken edge of both boxes.
    EXPECT_GT(Count(tick, GetSysColor(COLOR_BTNSHADOW)), 4);
    EXPECT_GT(Count(empty, GetSysColor(COLOR_BTNSHADOW)), 4);
    winlib::qt::SaveWindowPng(m_top.m_hWnd, testing::TempDir() + "xlist-cells.png");
}

} // namespace
