// The common list control as a grid's user and its owner see it: column layouts that come
// back at the next start, sorting by header clicks, menus, shortcuts, fitting, copying and
// export.
#include "grid/CommonListCtrl.h"
#include "GridTestSupport.h"
#include "base/PluginGlobals.h"
#include "base/UserSettings.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "grid/DateTimeCompare.h"
#include "grid/RepositionColumns.h"
#include "resources/PluginResources.h"
#include "support/ScopedTempDir.h"
#include "support/XlsxReadBack.h"
#include "winlib/HeaderCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{

int g_rolesAnswer = 0;
int Roles(int)
{
    return g_rolesAnswer;
}

// A list whose dialogs are only counted here.
class TestList : public CCommonListCtrl
{
public:
    int m_appearanceDialogs = 0;
    int m_profileDialogs = 0;

protected:
    void OnCustomizeAppearance() override { ++m_appearanceDialogs; }
    void OnRepositionColumns(BOOL) override { ++m_profileDialogs; }
};

using gridtest::Column;

class CommonListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_rolesAnswer = 0;
        m_console = std::make_unique<CDozizEdizizi>();
        m_console->m_pfnFindMenuItemInRoles = &Roles;
        g_pDozizEdizizi = m_console.get();
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
    }
    void TearDown() override
    {
        if (m_list && m_list->m_hWnd)
            m_list->DestroyWindow();
        m_list.reset();
        g_pDozizEdizizi = nullptr;
    }

    // A list named "Orders" with the given base columns, laid out from what is stored.
    TestList& MakeList(std::vector<sKivoColInfo> columns, DWORD style = 0)
    {
        if (m_list && m_list->m_hWnd)
            m_list->DestroyWindow();
        m_list = std::make_unique<TestList>();
        m_list->m_strListName = "Orders";
        m_list->m_arrColumns = std::move(columns);
        EXPECT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | style, CRect(0, 0, 500, 300),
                                   &m_parent, 4000));
        m_list->InitColumns();
        return *m_list;
    }
    static std::vector<sKivoColInfo> ThreeColumns()
    {
        return {Column("Symbol", 75, 0, 3), Column("Qty", 60, 1, 1), Column("Price", 70, 1, 2)};
    }
    std::vector<std::string> HeaderTexts() const { return gridtest::HeaderTexts(*m_list->GetHeaderCtrl()); }
    HDITEM HeaderItem(int item) const
    {
        HDITEM hdi{};
        hdi.mask = HDI_FORMAT | HDI_IMAGE | HDI_WIDTH;
        m_list->GetHeaderCtrl()->GetItem(item, &hdi);
        return hdi;
    }
    void AddRows(const std::vector<std::vector<std::string>>& rows)
    {
        for (const auto& cells : rows)
        {
            const int row = m_list->InsertItem(m_list->CListCtrl::GetItemCount(), cells[0].c_str());
            for (std::size_t c = 1; c < cells.size(); ++c)
                m_list->SetItemText(row, static_cast<int>(c), cells[c].c_str());
            m_list->SetItemData(row, static_cast<DWORD_PTR>(1000 + row));
        }
    }
    std::vector<std::string> ColumnTexts(int column) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < m_list->CListCtrl::GetItemCount(); ++row)
            texts.push_back(m_list->GetItemText(row, column));
        return texts;
    }
    void ClickHeader(int item)
    {
        CRect r;
        m_list->GetHeaderCtrl()->GetItemRect(item, &r);
        m_driver.Click(m_list->GetHeaderCtrl()->m_hWnd, r.CenterPoint());
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    std::unique_ptr<CDozizEdizizi> m_console;
    CWnd m_parent;
    std::unique_ptr<TestList> m_list;
};

TEST_F(CommonListTest, WithoutAProfileEveryColumnShowsInDeclarationOrder)
{
    MakeList(ThreeColumns());
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Qty", "Price"}));
    EXPECT_EQ(m_list->GetColumnWidth(1), 60);
    EXPECT_EQ(m_list->m_nBaseColumnCount, 3);
}

TEST_F(CommonListTest, AHiddenColumnIsSavedAsHiddenAndStaysHidden)
{
    MakeList(ThreeColumns());
    // Hide "Qty" as the column-profile dialog would: out of the header, position -1.
    m_list->DeleteColumnWithTip(1);
    m_list->m_mapPosition[1] = -1;
    m_list->m_mapPosition[2] = 1;
    m_list->SetColumnWidth(0, 75);
    m_list->SetColumnWidth(1, 120);
    ASSERT_TRUE(m_list->SaveColumnProfile());
    std::string stored;
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_READ, "Orders", stored));
    EXPECT_EQ(stored, "0,0,75,1,-1,0,2,1,120");

    MakeList(ThreeColumns());
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Price"}));
    EXPECT_EQ(m_list->GetPositionOfColumn(1), -1);
}

TEST_F(CommonListTest, ColumnsAddedSinceTheProfileWasSavedStartHidden)
{
    std::string profile = "0,0,75,1,1,60";
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_WRITE, "Orders", profile));
    MakeList(ThreeColumns());
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Qty"}));
    EXPECT_EQ(m_list->GetPositionOfColumn(2), -1);
    EXPECT_EQ(m_list->m_mapWidth[2], 100);

    m_list->DestroyWindow(); // it saves its own layout as it goes
    profile = "0,0,75,1,1,60,2,2,70,3,3,80";
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_WRITE, "Orders", profile));
    MakeList(ThreeColumns());
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Qty", "Price"}))
        << "a profile with more entries is ignored";
}

TEST_F(CommonListTest, AUserDefinedColumnIsRecreatedFromTheProfile)
{
    std::string profile = "0,0,75,1,2,60,2,1,70,3,3,90,Value#C1*C2#Qty*Price";
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_WRITE, "Orders", profile));
    MakeList(ThreeColumns());
    ASSERT_EQ(m_list->m_arrColumns.size(), 4u);
    const sKivoColInfo& value = m_list->m_arrColumns[3];
    EXPECT_EQ(value.GetName(), "Value");
    EXPECT_EQ(value.m_nFormat, 1);
    EXPECT_EQ(value.m_nDataType, 2);
    EXPECT_EQ(value.m_strExpression, "C1*C2");
    EXPECT_EQ(value.m_strDisplayExpression, "Qty*Price");
    EXPECT_EQ(HeaderTexts(), (std::vector<std::string>{"Symbol", "Price", "Qty", "Value"}));

    // Saved again, the user column keeps its three texts.
    m_list->DestroyWindow();
    std::string stored;
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_READ, "Orders", stored));
    EXPECT_NE(stored.find(",Value#C1*C2#Qty*Price"), std::string::npos) << stored;
}

TEST_F(CommonListTest, HeaderClicksSortAscendingThenDescendingWithTheArrows)
{
    MakeList(ThreeColumns());
    AddRows({{"B", "10", "2.5"}, {"A", "-3", "NA"}, {"C", "2147483647", "-"}, {"D", "-2147483648", "7"}});
    ClickHeader(1);
    EXPECT_EQ(ColumnTexts(1), (std::vector<std::string>{"-2147483648", "-3", "10", "2147483647"}))
        << "integers at the extremes of the range";
    EXPECT_EQ(HeaderItem(1).iImage, 0);
    EXPECT_EQ(HeaderItem(1).fmt & (HDF_IMAGE | HDF_BITMAP_ON_RIGHT | HDF_STRING),
              HDF_IMAGE | HDF_BITMAP_ON_RIGHT | HDF_STRING);
    // Each row kept its own item data through the sort.
    EXPECT_EQ(m_list->GetItemData(0), 1003u);

    ClickHeader(1);
    EXPECT_EQ(ColumnTexts(1), (std::vector<std::string>{"2147483647", "10", "-3", "-2147483648"}));
    EXPECT_EQ(HeaderItem(1).iImage, 1);

    ClickHeader(2);
    std::vector<std::string> prices = ColumnTexts(2);
    std::sort(prices.begin(), prices.begin() + 2);
    EXPECT_EQ(prices, (std::vector<std::string>{"-", "NA", "2.5", "7"}))
        << "a dash and NA sort as -1, before 2.5";
    EXPECT_EQ(HeaderItem(2).iImage, 0);
    EXPECT_EQ(HeaderItem(1).iImage, 2) << "the old sort column keeps the third image";

    ClickHeader(0);
    EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"A", "B", "C", "D"}));
}

// The order the list view's own comparison sort gives with the compare step, row by row: what
// the list sorted by before it read its keys once.
struct CompareStep
{
    const std::vector<std::vector<std::string>>* rows;
    int column;
    int dataType;
    int direction;
};

int CompareByStep(LPARAM a, LPARAM b, LPARAM param)
{
    const auto& step = *reinterpret_cast<const CompareStep*>(param);
    const std::string& ta = (*step.rows)[static_cast<std::size_t>(a)][static_cast<std::size_t>(step.column)];
    const std::string& tb = (*step.rows)[static_cast<std::size_t>(b)][static_cast<std::size_t>(step.column)];
    const int d = step.direction;
    const auto sign = [](auto v) { return (v > 0) - (v < 0); };
    const auto decimal = [](const std::string& t)
    { return t == "-" || t == "NA" ? -1.0 : std::strtod(t.c_str(), nullptr); };
    switch (step.dataType)
    {
    case 1:
    {
        const auto clamp = [](const std::string& t)
        { return std::clamp<long long>(std::strtoll(t.c_str(), nullptr, 10), INT_MIN, INT_MAX); };
        return d * sign(clamp(tb) - clamp(ta));
    }
    case 2:
    {
        const double va = decimal(ta);
        const double vb = decimal(tb);
        return d * ((vb > va) - (vb < va));
    }
    case 3:
        return d * sign(std::strcmp(tb.c_str(), ta.c_str()));
    case 4:
    {
        const long long va = std::strtoll(ta.c_str(), nullptr, 10);
        const long long vb = std::strtoll(tb.c_str(), nullptr, 10);
        return d * ((vb > va) - (vb < va));
    }
    case 6:
        return sign(CompareDateTimeText(ta, tb, d));
    default:
        return 0;
    }
}

TEST_F(CommonListTest, RandomColumnsOfEveryTypeSortAsTheComparisonSortDid)
{
    std::mt19937 random(27);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto integer = [&]() -> std::string
    {
        switch (pick(5))
        {
        case 0:
            return std::to_string(static_cast<long long>(random()) * random() * (pick(2) ? 1 : -1));
        case 1:
            return pick(2) ? "99999999999999999999" : "-99999999999999999999";
        case 2:
            return std::string(pick(2) ? " +" : "\t-") + std::to_string(pick(9)) + "x";
        case 3:
            return pick(2) ? "" : "abc";
        default:
            return std::to_string(pick(20) - 10);
        }
    };
    const auto decimal = [&]() -> std::string
    {
        switch (pick(6))
        {
        case 0:
            return std::to_string(pick(2000) - 1000) + "." + std::to_string(pick(100));
        case 1:
            return pick(2) ? "NA" : "-";
        case 2:
            return std::to_string(pick(1000)) + "e" + std::to_string(pick(3));
        case 3:
            return "12345678901234567." + std::to_string(pick(10)); // beyond exact digits
        case 4:
            return pick(2) ? "1.5abc" : "nan";
        default:
            return std::to_string(pick(30));
        }
    };
    const auto text = [&]
    {
        std::string t = pick(3) == 0 ? "abcdefgh" : ""; // runs of equal eight-byte prefixes
        const int length = pick(12);
        for (int i = 0; i < length; ++i)
            t += "ab\xe9 "[pick(4)];
        return t;
    };
    const auto dateTime = [&]
    {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02d/%02d/2026 %02d:%02d:00", 1 + pick(3), 1 + pick(2), pick(3),
                      pick(2) * 30);
        return std::string(stamp);
    };
    const std::vector<int> types = {1, 2, 3, 4, 6, 0};
    for (int round = 0; round < 6; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<sKivoColInfo> columns;
        for (std::size_t c = 0; c < types.size(); ++c)
            columns.push_back(Column(("C" + std::to_string(c)).c_str(), 50, 0, types[c]));
        MakeList(columns);
        std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(1 + pick(round < 3 ? 30 : 700)));
        for (auto& row : rows)
            row = {integer(), decimal(), text(), integer(), dateTime(), text()};
        for (std::size_t r = 0; r < rows.size(); ++r)
        {
            m_list->InsertItem(static_cast<int>(r), rows[r][0].c_str());
            for (std::size_t c = 1; c < types.size(); ++c)
                m_list->SetItemText(static_cast<int>(r), static_cast<int>(c), rows[r][c].c_str());
            m_list->SetItemData(static_cast<int>(r), r);
        }
        // The same rows in a plain list view, sorted by the comparison each click stands for.
        CListCtrl reference;
        ASSERT_TRUE(reference.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 100, 100), &m_parent, 4001));
        for (std::size_t r = 0; r < rows.size(); ++r)
            reference.InsertItem(LVIF_PARAM, static_cast<int>(r), "", 0, 0, 0, static_cast<LPARAM>(r));
        for (const int click : {2, 2, 0, 1, 4, 3, 5, 1, 4, 0})
        {
            SCOPED_TRACE("click on column " + std::to_string(click));
            ClickHeader(click);
            CompareStep step{&rows, click, types[static_cast<std::size_t>(click)], m_list->m_nSortDirection};
            ASSERT_TRUE(reference.SortItems(&CompareByStep, reinterpret_cast<DWORD_PTR>(&step)));
            for (int r = 0; r < static_cast<int>(rows.size()); ++r)
                ASSERT_EQ(m_list->GetItemData(r), reference.GetItemData(r)) << "row " << r;
        }
        reference.DestroyWindow();
    }
}

TEST_F(CommonListTest, ColumnZeroStartsAsTheAscendingSortSoItsFirstClickDescends)
{
    MakeList(ThreeColumns());
    AddRows({{"B", "1", "1"}, {"A", "2", "2"}, {"C", "3", "3"}});
    for (int item = 0; item < 3; ++item)
        EXPECT_FALSE(HeaderItem(item).fmt & HDF_IMAGE) << "rows in the order they came show no arrow";
    ClickHeader(0);
    EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"C", "B", "A"}));
    EXPECT_EQ(HeaderItem(0).iImage, 1);
    ClickHeader(0);
    EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(HeaderItem(0).iImage, 0);
}

TEST_F(CommonListTest, AfterAHeaderDragAClickSortsByTheClickedColumnsTypeWithItsArrow)
{
    std::vector<sKivoColInfo> columns = ThreeColumns();
    columns[2].m_nFormat = 2; // "Price" centred, unlike the right-aligned integer "Qty"
    MakeList(columns);
    AddRows({{"A", "1", "9.5"}, {"B", "2", "10"}, {"C", "3", "9.25"}});
    // "Price" (header item 2) dragged to the front: items keep their indexes, positions change.
    CRect price;
    m_list->GetHeaderCtrl()->GetItemRect(2, &price);
    m_driver.Drag(m_list->GetHeaderCtrl()->m_hWnd, price.CenterPoint(), CPoint(5, price.CenterPoint().y));
    m_driver.Pump();
    ASSERT_EQ(m_list->GetPositionOfColumn(2), 0);
    ASSERT_EQ(m_list->GetPositionOfColumn(1), 2) << "Qty now stands where Price was";

    ClickHeader(2);
    EXPECT_EQ(ColumnTexts(2), (std::vector<std::string>{"9.25", "9.5", "10"}))
        << "sorted as decimals, not integers";
    EXPECT_EQ(HeaderItem(2).iImage, 0);
    EXPECT_EQ(HeaderItem(2).fmt & HDF_JUSTIFYMASK, HDF_CENTER)
        << "the arrow keeps the clicked column's alignment";
    ClickHeader(2);
    EXPECT_EQ(ColumnTexts(2), (std::vector<std::string>{"10", "9.5", "9.25"}));
    EXPECT_EQ(HeaderItem(2).iImage, 1);
}

TEST_F(CommonListTest, TheArrowGoesWithItsColumnWhenTheHeaderIsBuiltAgain)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "2", "1"}, {"B", "1", "2"}});
    ClickHeader(1);
    ASSERT_EQ(ColumnTexts(1), (std::vector<std::string>{"1", "2"}));
    // "Symbol" hidden through the column profile: "Qty" is header item 0 now, and the rows have
    // not been ordered otherwise since.
    RegisterPluginResources();
    auto dialog = std::make_unique<CRepositionColumns>(m_list.get());
    ASSERT_TRUE(dialog->Open("Orders", {}, FALSE));
    dialog->Shown().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CRepositionColumns::IDC_HIDE, BN_CLICKED), 0);
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CRepositionColumns::IDC_VIEW, BN_CLICKED), 0);
    m_driver.Pump();
    ASSERT_EQ(m_list->GetColumnOfItem(0), 1);
    EXPECT_TRUE(HeaderItem(0).fmt & HDF_IMAGE);
    EXPECT_EQ(HeaderItem(0).iImage, 0) << "the ascending arrow on Qty's new item";
    EXPECT_NE(HeaderItem(1).iImage, 0);
}

TEST_F(CommonListTest, FitToHeaderTakesTheWiderOfHeaderAndData)
{
    MakeList({Column("A heading much wider than its numbers", 60, 1, 1), Column("Id", 60, 0, 3),
              Column("Qty", 60, 1, 1)});
    AddRows({{"7", "A cell far wider than its short heading", "1"}});
    m_list->FitColumns(ID_LIST_FIT_TO_DATA);
    const int dataOnly = m_list->GetColumnWidth(0);
    const int longCell = m_list->GetColumnWidth(1);
    EXPECT_EQ(dataOnly, 50) << "the data alone is narrow: a narrow column still gets 50 pixels";
    EXPECT_GT(longCell, 150) << "the widest cell decides";
    m_list->FitColumns(ID_LIST_FIT_TO_HEADER);
    CClientDC dc(m_list->GetHeaderCtrl());
    dc.SelectObject(m_list->GetHeaderCtrl()->GetFont());
    const int headerText = dc.GetTextExtent("A heading much wider than its numbers").cx;
    EXPECT_GT(m_list->GetColumnWidth(0), headerText) << "the whole heading fits";
    EXPECT_EQ(m_list->GetColumnWidth(1), longCell) << "a cell wider than the heading still decides";
    EXPECT_EQ(m_list->GetColumnWidth(2), 50) << "short heading and short data: 50 pixels";
}

TEST_F(CommonListTest, CopyPutsTabsAfterEveryCellAndLineEndsAfterEveryRow)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1.5"}, {"B", "2", "2.5"}, {"C", "3", "3.5"}});
    m_list->CopyToClipboard();
    EXPECT_EQ(m_list->m_strClipboardText, "");
    ASSERT_FALSE(m_driver.Observed().clipboardWrites.empty());
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "") << "nothing selected: an empty text";

    m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_list->SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    m_list->CopyToClipboard();
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "A\t1\t1.5\t\r\nC\t3\t3.5\t\r\n");
}

TEST_F(CommonListTest, CopyAndExportGiveTheColumnsInTheOrderTheUserDraggedThemInto)
{
    ScopedTempDir exports;
    ScopedEnv exportDir("KIVO_EXPORT_DIR", exports.Path().c_str());
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1.5"}, {"B", "2", "NA"}});
    CRect price;
    m_list->GetHeaderCtrl()->GetItemRect(2, &price);
    m_driver.Drag(m_list->GetHeaderCtrl()->m_hWnd, price.CenterPoint(), CPoint(5, price.CenterPoint().y));
    m_driver.Pump();
    ASSERT_EQ(m_list->GetPositionOfColumn(2), 0);

    m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_list->CopyToClipboard();
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "1.5\tA\t1\t\r\n");

    m_list->ExportToExcel();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(exports.Path()))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    ScopedTempDir scratch;
    std::string missing;
    const auto cells = ReadXlsxCells(files[0].string(), scratch.Path(), missing);
    if (!missing.empty())
        GTEST_SKIP() << "cannot read the file back: " << missing;
    EXPECT_EQ(cells.at("1,1"), "s 1 Price");
    EXPECT_EQ(cells.at("1,2"), "s 1 Symbol");
    EXPECT_EQ(cells.at("2,1"), "n 0 1.5") << "each cell under its own title, typed by its own column";
    EXPECT_EQ(cells.at("2,2"), "s 0 A");
    EXPECT_EQ(cells.at("3,3"), "n 0 2");
}

TEST_F(CommonListTest, TheRowMenuChecksDrawGridLinesWhileTheLinesAreDrawn)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1"}});
    const auto gridLinesChecked = [this]
    {
        m_driver.RightClick(m_list->m_hWnd, CPoint(20, 25));
        for (const winlib::MenuItemSnapshot& item : m_driver.PopupMenusShown().back().items)
        {
            if (item.id == ID_LIST_GRID_LINES)
                return (item.flags & MF_CHECKED) != 0;
        }
        ADD_FAILURE() << "no Draw Grid Lines";
        return false;
    };
    EXPECT_FALSE(gridLinesChecked());
    m_list->ToggleGridLines();
    EXPECT_TRUE(gridLinesChecked());
}

TEST_F(CommonListTest, TheMenuKeyOpensTheRowMenuOnlyWhereverThePointerRests)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1"}});
    // The pointer rests on the header.
    CRect title;
    m_list->GetHeaderCtrl()->GetItemRect(0, &title);
    m_list->GetHeaderCtrl()->ClientToScreen(&title);
    ::SetCursorPos(title.CenterPoint().x, title.CenterPoint().y);
    m_list->SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    m_list->SetFocus();
    m_driver.Press(VK_APPS);
    ASSERT_EQ(m_driver.PopupMenusShown().size(), 1u) << "one menu, not the header's after it";
    EXPECT_EQ(m_driver.PopupMenusShown()[0].items[1].text, "Draw Grid Lines\tShift+G");
    CRect row;
    m_list->GetItemRect(0, &row, LVIR_BOUNDS);
    m_list->ClientToScreen(&row);
    EXPECT_EQ(m_driver.PopupMenusShown()[0].point.y, row.bottom)
        << "below the focused row, not at the pointer";
}

TEST_F(CommonListTest, AListWithoutANameKeepsNoProfile)
{
    MakeList(ThreeColumns());
    m_list->m_strListName.clear();
    EXPECT_TRUE(m_list->SaveColumnProfile());
    std::string value;
    std::string error;
    EXPECT_FALSE(ReadWriteSetting(SETTING_READ, "", "COLUMNPROFILE", value, GetUserSettingsPath(), error))
        << "nothing stored under an empty section";
}

TEST_F(CommonListTest, ColumnsThatFollowTheViewFitTheirTextsAndShareTheRestUntilTheUserSizesOne)
{
    MakeList({Column("Entity Name", 75, 0, 3), Column("Auth Type", 75, 0, 3), Column("Key", 75, 1, 4)});
    AddRows({{"KV1001", "MODIFY CLIENT ACCOUNT", "100042"}});
    m_list->SetColumnsFollowView(TRUE);
    CRect client;
    m_list->GetClientRect(&client);
    int total = 0;
    for (int c = 0; c < 3; ++c)
        total += m_list->GetColumnWidth(c);
    EXPECT_EQ(total, client.Width()) << "no band of the view stays empty";
    EXPECT_GE(m_list->GetColumnWidth(1), m_list->GetStringWidth("MODIFY CLIENT ACCOUNT") + 8);

    // Narrower than the texts: each keeps what its texts need, the view scrolls.
    m_list->MoveWindow(0, 0, 120, 200);
    m_driver.Pump();
    EXPECT_GE(m_list->GetColumnWidth(1), m_list->GetStringWidth("MODIFY CLIENT ACCOUNT") + 8);
    EXPECT_GE(m_list->GetColumnWidth(0), m_list->GetStringWidth("Entity Name") + 8);

    // Once the user sizes a column, the widths are his.
    NMHEADER track{};
    track.hdr = NMHDR{m_list->GetHeaderCtrl()->m_hWnd, 0, static_cast<UINT>(HDN_BEGINTRACK)};
    m_list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&track));
    m_list->SetColumnWidth(0, 40);
    m_list->MoveWindow(0, 0, 700, 200);
    m_driver.Pump();
    EXPECT_EQ(m_list->GetColumnWidth(0), 40);
    EXPECT_FALSE(m_list->ColumnsFollowView());
}

TEST_F(CommonListTest, ShortcutsFollowTheirModifiersAndTheRole)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1"}});
    m_list->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    m_list->SetFocus();

    m_driver.Press('E',
                   static_cast<winlib::testing::Modifiers>(winlib::testing::Shift | winlib::testing::Ctrl));
    EXPECT_TRUE(m_driver.MessageBoxTexts().empty()) << "Shift+E with Ctrl held does nothing";

    const std::size_t writes = m_driver.Observed().clipboardWrites.size();
    m_driver.Press('C',
                   static_cast<winlib::testing::Modifiers>(winlib::testing::Shift | winlib::testing::Ctrl));
    EXPECT_EQ(m_driver.Observed().clipboardWrites.size(), writes + 1) << "Ctrl+Shift+C copies";
    EXPECT_EQ(m_list->m_appearanceDialogs, 1) << "and opens the appearance dialog";

    g_rolesAnswer = 1;
    m_driver.Press('C', winlib::testing::Ctrl);
    EXPECT_EQ(m_driver.Observed().clipboardWrites.size(), writes + 1) << "the role withholds copying";

    const DWORD before = m_list->GetExtendedStyle();
    m_driver.Press('G', winlib::testing::Shift);
    EXPECT_EQ(m_list->GetExtendedStyle() ^ before, static_cast<DWORD>(LVS_EX_GRIDLINES));
}

TEST_F(CommonListTest, TheContextMenuOffersExportAndCopyOnlyWithoutTheRole)
{
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1"}});
    m_driver.RightClick(m_list->m_hWnd, CPoint(20, 25));
    EXPECT_EQ(gridtest::MenuTexts(m_driver),
              (std::vector<std::string>{"Write to Excel\tShift+E", "Draw Grid Lines\tShift+G",
                                        "Customize \t Ctrl+Shift+C", "Copy to Clip Board\tCtrl+C"}));

    g_rolesAnswer = 1;
    m_list->m_bAppearanceCustomizable = FALSE;
    m_driver.AnswerNextPopupMenu(ID_LIST_GRID_LINES);
    const DWORD before = m_list->GetExtendedStyle();
    m_driver.RightClick(m_list->m_hWnd, CPoint(20, 25));
    ASSERT_EQ(m_driver.PopupMenusShown().size(), 2u);
    ASSERT_EQ(m_driver.PopupMenusShown()[1].items.size(), 1u);
    EXPECT_EQ(m_driver.PopupMenusShown()[1].items[0].text, "Draw Grid Lines\tShift+G");
    EXPECT_NE(m_list->GetExtendedStyle(), before) << "the chosen command reached the list";

    // From the keyboard: Shift+F10 opens the same menu as the menu key, once.
    m_list->SetFocus();
    m_driver.Press(VK_F10, winlib::testing::Shift);
    ASSERT_EQ(m_driver.PopupMenusShown().size(), 3u);
    EXPECT_EQ(m_driver.PopupMenusShown()[2].items[0].text, "Draw Grid Lines\tShift+G");
}

TEST_F(CommonListTest, TheHeaderMenuOffersTheFitModesAndFitToWindowSharesTheWidthOrFallsBackTo50)
{
    MakeList(ThreeColumns());
    CRect r;
    m_list->GetHeaderCtrl()->GetItemRect(0, &r);
    m_driver.AnswerNextPopupMenuByText("Fit to Window");
    m_driver.RightClick(m_list->GetHeaderCtrl()->m_hWnd, r.CenterPoint());
    EXPECT_EQ(gridtest::MenuTexts(m_driver), (std::vector<std::string>{"Reposition Columns", "Fit to Data",
                                                                       "Fit to Header", "Fit to Window"}));
    CRect client;
    m_list->GetClientRect(&client);
    EXPECT_EQ(m_list->GetColumnWidth(0), client.Width() / 3);
    m_list->MoveWindow(0, 0, 0, 0);
    m_list->FitColumns(ID_LIST_FIT_TO_WINDOW);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(m_list->GetColumnWidth(c), 50) << c;
}

TEST_F(CommonListTest, ExportingAnEmptyListSaysSo)
{
    MakeList(ThreeColumns());
    m_list->ExportToExcel();
    EXPECT_EQ(m_driver.MessageBoxTexts(), std::vector<std::string>{"No Items in the List"});
}

TEST_F(CommonListTest, ExportWritesTheHeaderAndEveryRowToAFile)
{
    ScopedTempDir exports;
    ScopedEnv exportDir("KIVO_EXPORT_DIR", exports.Path().c_str());
    MakeList(ThreeColumns());
    AddRows({{"A", "1", "1.5"}, {"B", "2", "NA"}});
    m_list->ExportToExcel();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(exports.Path()))
        files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    // The box names the file written.
    EXPECT_EQ(m_driver.MessageBoxTexts(),
              std::vector<std::string>{"File is generated\n\n" + files[0].string()});
    EXPECT_EQ(files[0].extension(), ".xlsx");

    ScopedTempDir scratch;
    std::string missing;
    const auto cells = ReadXlsxCells(files[0].string(), scratch.Path(), missing);
    if (!missing.empty())
        GTEST_SKIP() << "cannot read the file back: " << missing;
    // "row,column type bold value": a bold header, numbers where the column and text allow.
    const std::map<std::string, std::string> expected = {
        {"1,1", "s 1 Symbol"}, {"1,2", "s 1 Qty"}, {"1,3", "s 1 Price"}, {"2,1", "s 0 A"}, {"2,2", "n 0 1"},
        {"2,3", "n 0 1.5"},    {"3,1", "s 0 B"},   {"3,2", "n 0 2"},     {"3,3", "s 0 NA"}};
    EXPECT_EQ(cells, expected);
}

TEST_F(CommonListTest, TheLayoutChangeReachesTheHostingDialogBar)
{
    // A list inside a dialog bar tells the bar (1147) after laying out its columns.
    class Bar : public CBCGPDialogBar
    {
    public:
        std::vector<WPARAM> m_layoutChanges;

    protected:
        BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
        {
            if (message == WM_USER + 123)
                m_layoutChanges.push_back(wParam);
            return CBCGPDialogBar::OnWndMsg(message, wParam, lParam, result);
        }
    };
    Bar bar;
    ASSERT_TRUE(bar.CWnd::CreateEx(0, "AfxControlBar", "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 300),
                                   &m_parent, 77));
    m_list = std::make_unique<TestList>();
    m_list->m_strListName = "Orders";
    m_list->m_arrColumns = ThreeColumns();
    ASSERT_TRUE(m_list->Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 200), &bar, 4000));
    m_list->InitColumns();
    EXPECT_EQ(bar.m_layoutChanges, std::vector<WPARAM>{4000});
    m_list->DestroyWindow();
}

} // namespace
