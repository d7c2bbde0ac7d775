// The filter list in data mode as its owner and its user meet it: records in and out, the filter
// row, the value picker, check boxes, sorting and the failure texts.
#include "grid/FilterListTestSupport.h"

#include "grid/DateTimeCompare.h"
#include "grid/FilterText.h"
#include "winlib/ListBox.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace
{

using filterlist::FilterListTest;
using filterlist::Order;
using winlib::testing::Ctrl;
using winlib::testing::Shift;
using Texts = std::vector<std::string>;

TEST_F(FilterListTest, DataModeStartsWithTheFilterRowHiddenAndCtrlFTogglesIt)
{
    EXPECT_TRUE(m_list->IsDataMode());
    EXPECT_FALSE(Header().GetStyle() & HDS_FILTERBAR);
    EXPECT_TRUE(m_list->m_appearance.m_bColumnText) << "keyword colouring is offered in data mode";
    m_list->SetFocus();
    m_driver.Press('F', Ctrl);
    EXPECT_TRUE(Header().GetStyle() & HDS_FILTERBAR);
    EXPECT_TRUE(::IsChild(Header().m_hWnd, ::GetFocus())) << "the first filter field is being edited";
    m_driver.Press('F', Ctrl);
    EXPECT_FALSE(Header().GetStyle() & HDS_FILTERBAR);
    EXPECT_EQ(::GetFocus(), m_list->m_hWnd) << "the focus comes back to the list";
}

TEST_F(FilterListTest, RowsComeFromTheDescriptorAndANewestFirstListShowsTheLastOnTop)
{
    Add("AAA");
    Add("BBB");
    Add("CCC");
    EXPECT_EQ(m_list->GetItemCount(), 3);
    EXPECT_EQ(Shown(), (Texts{"AAA", "BBB", "CCC"}));
    EXPECT_EQ(m_list->GetItemData(1), reinterpret_cast<DWORD_PTR>(&m_orders[1]));
    EXPECT_EQ(m_list->CListCtrl::GetItemCount(), 3) << "the list view shows as many rows";

    m_list->SetNewestFirst(TRUE);
    EXPECT_EQ(Shown(), (Texts{"CCC", "BBB", "AAA"}));
    Add("DDD");
    EXPECT_EQ(Shown(), (Texts{"DDD", "CCC", "BBB", "AAA"}));
    EXPECT_EQ(m_list->GetItemData(0), reinterpret_cast<DWORD_PTR>(&m_orders[3]));
}

TEST_F(FilterListTest, WithoutADescriptorNothingIsInsertedAndCellsSaySo)
{
    m_list->SetDataDescriptor(static_cast<PFN_FILTER_DATA_DESCRIPTOR>(nullptr));
    EXPECT_EQ(m_list->InsertItem(0, ""), 0);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_EQ(m_list->GetItemText(0, 0), "no data descriptor initialised");
    m_list->ApplyFilter(); // does nothing rather than fail
    EXPECT_EQ(m_list->GetItemCount(), 0);
}

TEST_F(FilterListTest, TypedFiltersHideRowsAndClearingOneCellKeepsTheOthers)
{
    Add("BUYER", "Buy", "10");
    Add("SELLER", "sell", "20");
    Add("HOLDER", "Hold", "30");
    Add("buyback", "Buy", "40");
    m_list->SetFocus();
    m_driver.Press('F', Ctrl);

    TypeFilter(1, "buy~SELL");
    EXPECT_EQ(Shown(), (Texts{"BUYER", "SELLER", "buyback"})) << "either word, in any case";
    ASSERT_FALSE(m_owner.m_codes.empty());
    EXPECT_EQ(m_owner.m_codes.back(), static_cast<UINT>(HDN_FILTERCHANGE));
    EXPECT_EQ(m_owner.m_ids.back(), 4000u) << "under the list's identifier";

    TypeFilter(0, "*er");
    EXPECT_EQ(Shown(), (Texts{"BUYER", "SELLER"}));
    EXPECT_EQ(m_list->GetFilteredColumns(), (std::vector<int>{1, 0}));

    // Clearing the side's cell removes its entry; the symbol's filter still applies.
    Header().EditFilter(1, FALSE);
    m_driver.Type(std::string(12, '\b'));
    m_driver.AdvanceClock(600);
    m_driver.Pump();
    EXPECT_EQ(m_list->GetFilteredColumns(), std::vector<int>{0});
    EXPECT_EQ(Shown(), (Texts{"BUYER", "SELLER", "HOLDER"}));
}

TEST_F(FilterListTest, NumberBoundsExactMatchingAndResetThroughTheHeaderMenu)
{
    Add("A", "buy", "150");
    Add("B", "buying", "NA");
    Add("C", "Buy", "99");
    m_list->SetColumnFilter(2, ">100");
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(), Texts{"A"}) << "a cell that is no number is hidden";

    m_list->SetColumnFilter(2, "");
    m_list->SetColumnFilter(1, "buy");
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(), (Texts{"A", "B", "C"}));

    m_driver.AnswerNextPopupMenuByText("Match Filter Exactly");
    m_driver.RightClick(Header().m_hWnd, HeaderPoint(0));
    EXPECT_EQ(
        gridtest::MenuTexts(m_driver),
        (Texts{"Reposition Columns", "Fit to Data", "Fit to Header", "Fit to Window", "", "Reset Filters",
               "Match Filter Exactly", "", "Add Custom Columns", "Delete Custom Columns"}));
    EXPECT_TRUE(m_list->m_bMatchExactly);
    EXPECT_EQ(Shown(), (Texts{"A", "C"})) << "buy no longer matches buying; the filter ran again";

    m_driver.AnswerNextPopupMenuByText("Reset Filters");
    m_driver.RightClick(Header().m_hWnd, HeaderPoint(0));
    EXPECT_TRUE(m_list->GetFilteredColumns().empty());
    EXPECT_EQ(m_list->GetItemCount(), 3);
}

TEST_F(FilterListTest, ARecordThatStopsMatchingIsHiddenAtOnce)
{
    m_list->SetColumnFilter(1, "buy");
    Add("A", "Buy");
    Add("B", "Sell");
    EXPECT_EQ(Shown(), Texts{"A"}) << "SetItemData filtered the new record";

    Order& a = m_orders[0];
    a.cells[1] = "Sell";
    EXPECT_EQ(m_list->RefreshDataItem(0), -1);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_EQ(m_list->RefreshDataItem(0), 0);
    m_orders[1].cells[1] = "Buy";
    a.cells[1] = "Buy";
    EXPECT_EQ(m_list->RefreshDataItem(1), 1);
    EXPECT_EQ(m_list->RefreshDataItem(0), 1);
    EXPECT_EQ(Shown(), (Texts{"A", "B"})) << "back in store order";
    EXPECT_EQ(m_list->RefreshDataItem(1), 0);
}

TEST_F(FilterListTest, DeletingByRowAndByStoreIndexRenumbersTheRest)
{
    for (const char* symbol : {"A", "B", "C", "D", "E"})
        Add(symbol, symbol[0] == 'C' ? "Sell" : "Buy");
    m_list->SetColumnFilter(1, "buy");
    m_list->ApplyFilter();
    ASSERT_EQ(Shown(), (Texts{"A", "B", "D", "E"}));

    EXPECT_TRUE(m_list->DeleteDataItem(2)) << "C is hidden: freed all the same";
    EXPECT_EQ(m_list->GetStoreCount(), 4);
    EXPECT_EQ(m_list->GetStoreIndex(2), 2) << "D moved down to store index 2";
    EXPECT_TRUE(m_list->DeleteDataItem(2));
    EXPECT_EQ(Shown(), (Texts{"A", "B", "E"}));
    EXPECT_TRUE(m_list->DeleteItem(0));
    EXPECT_EQ(Shown(), (Texts{"B", "E"}));
    EXPECT_EQ(m_list->GetStoreIndex(1), 1);
    // The last record of the store: nothing after it to renumber.
    EXPECT_TRUE(m_list->DeleteDataItem(1));
    EXPECT_EQ(Shown(), Texts{"B"});
    EXPECT_EQ(m_list->GetStoreIndex(0), 0);

    EXPECT_FALSE(m_list->DeleteItem(5));
    EXPECT_EQ(m_driver.MessageBoxTexts(), Texts{"Delete item: Item not found"});
    EXPECT_EQ(Shown(), Texts{"B"}) << "nothing deleted";
}

TEST_F(FilterListTest, InsertingInsideTheStoreMovesTheLaterRecordsUp)
{
    Add("A");
    Add("C");
    m_orders.push_back(Order{{"B", "Buy", "1", "1", "", ""}});
    EXPECT_EQ(m_list->InsertItem(1, ""), 1);
    EXPECT_TRUE(m_list->SetItemData(1, reinterpret_cast<DWORD_PTR>(&m_orders.back())));
    EXPECT_EQ(Shown(), (Texts{"A", "B", "C"}));
    EXPECT_EQ(m_list->GetStoreIndex(2), 2);
    EXPECT_TRUE(m_list->DeleteDataItem(2));
    EXPECT_EQ(Shown(), (Texts{"A", "B"}));
}

TEST_F(FilterListTest, ARecordInsertedWithItsItemShowsWhereItBelongsAmongTheVisibleRows)
{
    m_list->SetNewestFirst(TRUE);
    Add("A");
    Add("B", "Sell");
    Add("D");
    m_list->SetColumnFilter(1, "Buy");
    m_list->ApplyFilter();
    ASSERT_EQ(Shown(), (Texts{"D", "A"}));
    m_orders.push_back(Order{{"C", "Buy", "1", "1", "01/01/2024", "T"}});
    EXPECT_EQ(m_list->InsertDataItem(2, reinterpret_cast<DWORD_PTR>(&m_orders.back())), 2);
    EXPECT_EQ(Shown(), (Texts{"D", "C", "A"})) << "between the records around it in the store";
    m_orders.push_back(Order{{"E", "Sell", "1", "1", "01/01/2024", "T"}});
    EXPECT_EQ(m_list->InsertDataItem(0, reinterpret_cast<DWORD_PTR>(&m_orders.back())), 0);
    EXPECT_EQ(Shown(), (Texts{"D", "C", "A"})) << "filtered out, and still stored";
    EXPECT_EQ(m_list->GetStoreCount(), 5);
    m_list->SetColumnFilter(1, "");
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(), (Texts{"D", "C", "B", "A", "E"}));
    EXPECT_EQ(m_list->InsertDataItem(99, reinterpret_cast<DWORD_PTR>(&m_orders.back())), 5) << "past the end";
}

TEST_F(FilterListTest, DeletingASelectedRowSelectsTheNextOne)
{
    for (bool onRecords : {false, true})
    {
        m_list->DeleteAllItems();
        m_list->SetCallbackMask(onRecords ? LVIS_SELECTED : 0);
        Add("A");
        Add("B");
        Add("C");
        m_list->SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EXPECT_TRUE(m_list->DeleteItem(1));
        EXPECT_EQ(Shown(), (Texts{"A", "C"}));
        EXPECT_EQ(m_list->GetNextItem(-1, LVNI_SELECTED), 1)
            << (onRecords ? "kept on the records" : "in the view");
    }
}

TEST_F(FilterListTest, ANewestFirstListOutOfFocusScrollsBackToTheNewRow)
{
    m_list->SetNewestFirst(TRUE);
    for (int i = 0; i < 60; ++i)
        Add("R" + std::to_string(i));
    m_list->EnsureVisible(59, FALSE);
    ASSERT_GT(m_list->GetTopIndex(), 0);
    Add("NEW");
    EXPECT_EQ(m_list->GetTopIndex(), 0);
    EXPECT_EQ(m_list->GetItemText(0, 0), "NEW");

    m_list->EnsureVisible(60, FALSE);
    m_list->DeleteItem(60);
    EXPECT_EQ(m_list->GetTopIndex(), 0) << "a deletion too brings the newest row back";

    m_list->SetFocus();
    m_list->EnsureVisible(59, FALSE);
    const int top = m_list->GetTopIndex();
    Add("NEWER");
    EXPECT_EQ(m_list->GetTopIndex(), top) << "a user at work in the list keeps his place";
}

TEST_F(FilterListTest, TheListViewAsksTheListForTextsAndCheckStates)
{
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_CHECKBOXES);
    Add("A", "Buy");
    Add("B", "Sell");
    m_list->SetCheck(1, TRUE);
    EXPECT_EQ(m_list->CListCtrl::GetItemText(1, 1), "Sell") << "through the list view's own message";
    EXPECT_EQ(m_list->GetItemState(1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(m_list->GetItemState(0, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
}

TEST_F(FilterListTest, ADeletionStartsTheNextHeaderClickAfresh)
{
    Add("B");
    Add("A");
    Add("C");
    m_driver.Click(Header().m_hWnd, HeaderPoint(0)); // column 0 starts ascending: this descends
    m_driver.Click(Header().m_hWnd, HeaderPoint(0));
    ASSERT_EQ(Shown(), (Texts{"A", "B", "C"}));
    m_list->DeleteItem(0);
    m_driver.Click(Header().m_hWnd, HeaderPoint(0));
    EXPECT_EQ(Shown(), (Texts{"B", "C"})) << "ascending, as for a column not clicked before";
}

TEST_F(FilterListTest, ASelectionKeptOnTheRecordsStaysWithItsRowWhenNewRowsArrive)
{
    m_list->SetCallbackMask(LVIS_SELECTED);
    m_list->SetNewestFirst(TRUE);
    Add("A");
    Add("B");
    CRect r;
    m_list->GetItemRect(1, &r, LVIR_BOUNDS); // "A"
    m_driver.Click(m_list->m_hWnd, CPoint(r.left + 60, r.CenterPoint().y));
    ASSERT_EQ(m_list->GetItemText(m_list->GetNextItem(-1, LVNI_SELECTED), 0), "A");
    Add("C");
    EXPECT_EQ(m_list->GetItemText(m_list->GetNextItem(-1, LVNI_SELECTED), 0), "A") << "still A, now on row 2";
    EXPECT_EQ(m_list->GetSelectedCount(), 1u);
}

TEST_F(FilterListTest, AClickOnTheCheckBoxTicksTheRecordAndSelectsItsRow)
{
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_CHECKBOXES);
    Add("A");
    Add("B");
    CRect state;
    m_list->GetItemRect(1, &state, LVIR_BOUNDS);
    m_driver.Click(m_list->m_hWnd, CPoint(state.left + 4, state.CenterPoint().y));
    EXPECT_TRUE(m_list->GetCheck(1));
    EXPECT_FALSE(m_list->GetCheck(0));
    EXPECT_TRUE(m_list->GetItemState(1, LVIS_SELECTED) & LVIS_SELECTED);
    m_driver.Click(m_list->m_hWnd, CPoint(state.left + 4, state.CenterPoint().y));
    EXPECT_FALSE(m_list->GetCheck(1));
    m_list->SetCheck(0, TRUE);
    EXPECT_TRUE(m_list->GetCheck(0));
}

TEST_F(FilterListTest, HeaderClicksSortTheVisibleRowsByTheColumnsType)
{
    Add("A", "Buy", "10", "2.5", "", "");
    Add("B", "Buy", "9", "NA", "", "");
    Add("C", "Buy", "100", "-1", "", "");
    Add("D", "Sell", "-5", "-", "", "");
    m_list->SetColumnFilter(1, "buy");
    m_list->ApplyFilter();
    m_driver.Click(Header().m_hWnd, HeaderPoint(2));
    EXPECT_EQ(Shown(2), (Texts{"9", "10", "100"})) << "integers, ascending on the first click";
    HDITEM hdi{};
    hdi.mask = HDI_IMAGE | HDI_FORMAT;
    Header().GetItem(2, &hdi);
    EXPECT_EQ(hdi.iImage, 0);
    m_driver.Click(Header().m_hWnd, HeaderPoint(2));
    EXPECT_EQ(Shown(2), (Texts{"100", "10", "9"}));
    Header().GetItem(2, &hdi);
    EXPECT_EQ(hdi.iImage, 1);

    m_driver.Click(Header().m_hWnd, HeaderPoint(3));
    EXPECT_EQ(Shown(3), (Texts{"-1", "NA", "2.5"})) << "\"-\" and \"NA\" read as 0 here";
    Header().GetItem(2, &hdi);
    EXPECT_FALSE(hdi.fmt & HDF_IMAGE) << "the previous sort column loses its arrow";

    m_list->SetNewestFirst(TRUE);
    m_driver.Click(Header().m_hWnd, HeaderPoint(0));
    EXPECT_EQ(Shown(), (Texts{"A", "B", "C"})) << "a newest-first list shows the sorted order from the top";
}

// The order the rows had before they were sorted by keys: the list view's merge over the visible
// rows in their places (before newest-first), with the compare step of the column's type.
std::vector<const Order*> MergedByCompareStep(std::vector<const Order*> rows, int column, int direction)
{
    const auto sign = [](auto v) { return (v > 0) - (v < 0); };
    const auto decimal = [](const std::string& t)
    { return t == "-" || t == "NA" ? 0.0 : std::strtod(t.c_str(), nullptr); };
    const auto compare = [&](const Order* a, const Order* b)
    {
        const std::string& ta = a->cells[static_cast<std::size_t>(column)];
        const std::string& tb = b->cells[static_cast<std::size_t>(column)];
        switch (column)
        {
        case 2:
        {
            const auto clamp = [](const std::string& t)
            { return std::clamp<long long>(std::strtoll(t.c_str(), nullptr, 10), INT_MIN, INT_MAX); };
            return direction * sign(clamp(tb) - clamp(ta));
        }
        case 3:
            return direction * ((decimal(tb) > decimal(ta)) - (decimal(tb) < decimal(ta)));
        case 4:
            return sign(CompareDateTimeText(ta, tb, direction));
        default:
            return direction * sign(std::strcmp(tb.c_str(), ta.c_str()));
        }
    };
    std::vector<const Order*> scratch(rows.size());
    for (std::size_t width = 1; width < rows.size(); width *= 2)
    {
        for (std::size_t lo = 0; lo < rows.size(); lo += 2 * width)
        {
            const std::size_t mid = std::min(lo + width, rows.size());
            const std::size_t hi = std::min(lo + 2 * width, rows.size());
            std::size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                scratch[out++] = compare(rows[b], rows[a]) < 0 ? rows[b++] : rows[a++];
            while (a < mid)
                scratch[out++] = rows[a++];
            while (b < hi)
                scratch[out++] = rows[b++];
        }
        rows.swap(scratch);
    }
    return rows;
}

TEST_F(FilterListTest, RandomRowsSortAsTheComparisonSortDidWhateverTheirOrderInTheStore)
{
    std::mt19937 random(2027);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto text = [&](int prefixEvery)
    {
        std::string t = pick(prefixEvery) == 0 ? "SYMBOLAB" : "";
        for (int i = pick(11); i > 0; --i)
            t += "AB\xe9 "[pick(4)];
        return t;
    };
    const auto integer = [&]() -> std::string
    {
        switch (pick(4))
        {
        case 0:
            return std::to_string(static_cast<long long>(random()) * random() * (pick(2) ? 1 : -1));
        case 1:
            return " -" + std::to_string(pick(5)) + "x";
        default:
            return std::to_string(pick(9) - 4);
        }
    };
    const auto decimal = [&]() -> std::string
    {
        switch (pick(5))
        {
        case 0:
            return pick(2) ? "NA" : "-";
        case 1:
            return std::to_string(pick(100)) + "e" + std::to_string(pick(3));
        case 2:
            return "123456789012345678." + std::to_string(pick(9));
        default:
            return std::to_string(pick(200) - 100) + "." + std::to_string(pick(100));
        }
    };
    const auto stamp = [&]
    {
        char t[32];
        std::snprintf(t, sizeof t, "%02d/01/2026 %02d:00:00", 1 + pick(3), pick(3));
        return std::string(t);
    };
    for (int round = 0; round < 4; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        MakeList();
        m_list->SetNewestFirst(round % 2 ? TRUE : FALSE);
        const int rows = 1 + pick(round < 2 ? 40 : 600);
        for (int r = 0; r < rows; ++r)
            Add({text(3), pick(2) ? "Buy" : "Sell", integer(), decimal(), stamp(), text(50)});
        if (round >= 2)
        {
            m_list->SetColumnFilter(1, "b"); // only the buyers: rows of the store are left out
            m_list->ApplyFilter();
        }
        for (const int click : {0, 0, 3, 2, 5, 4, 1, 3, 0, 4})
        {
            SCOPED_TRACE("click on column " + std::to_string(click));
            std::vector<const Order*> places;
            for (int row = 0; row < m_list->GetItemCount(); ++row)
                places.push_back(reinterpret_cast<const Order*>(m_list->GetItemData(row)));
            if (round % 2)
                std::reverse(places.begin(), places.end());
            m_driver.Click(Header().m_hWnd, HeaderPoint(click));
            std::vector<const Order*> expected = MergedByCompareStep(places, click, m_list->m_nSortDirection);
            ASSERT_EQ(m_list->GetItemCount(), static_cast<int>(expected.size()));
            for (int row = 0; row < m_list->GetItemCount(); ++row)
                ASSERT_EQ(reinterpret_cast<const Order*>(m_list->GetItemData(row)),
                          expected[static_cast<std::size_t>(row)])
                    << "row " << row;
            // Rows deleted from a sorted list leave gaps in its visible index.
            for (int gone = 0; gone < 2 && m_list->GetItemCount() > 3; ++gone)
                m_list->DeleteItem(pick(m_list->GetItemCount()));
        }
    }
}

TEST_F(FilterListTest, DatesAndTimesSortLatestFirstOnTheFirstClick)
{
    for (const char* when : {"05/01/2024 10:00:01", "01/02/2024 00:00:00", "31/12/2023 23:59:59",
                             "05/01/2024 09:59:59", "05/01/2024 10:00:00"})
        Add("A", "", "", "", when);
    m_driver.Click(Header().m_hWnd, HeaderPoint(4));
    EXPECT_EQ(Shown(4), (Texts{"01/02/2024 00:00:00", "05/01/2024 10:00:01", "05/01/2024 10:00:00",
                               "05/01/2024 09:59:59", "31/12/2023 23:59:59"}));
    m_driver.Click(Header().m_hWnd, HeaderPoint(4));
    EXPECT_EQ(Shown(4).front(), "31/12/2023 23:59:59");
}

TEST_F(FilterListTest, TheValuePickerOffersTheColumnsVisibleTextsAndWritesTheFilter)
{
    Add("A", "Buy");
    Add("B", "Sell");
    Add("C", "Buy");
    Add("D", "Hold");
    Add("E", "");
    m_list->SetColumnFilter(0, "~A~B~D~E");
    m_list->ApplyFilter();
    m_list->SetFocus();
    m_driver.Press('F', Ctrl);
    // The filter button sits at the right end of the item's filter field.
    CRect item;
    Header().GetItemRect(1, &item);
    m_driver.Click(Header().m_hWnd, CPoint(item.right - 4, item.bottom - 5));
    CFilterText& picker = CFilterText::ForFilterLists();
    ASSERT_TRUE(picker.IsWindowVisible());
    EXPECT_EQ(gridtest::ListBoxTexts(picker.GetValues()), (Texts{"Buy", "Hold", "Sell"}))
        << "visible rows only, each once, no empty text";
    EXPECT_NE(
        std::find(m_owner.m_codes.begin(), m_owner.m_codes.end(), static_cast<UINT>(HDN_FILTERBTNCLICK)),
        m_owner.m_codes.end());

    picker.GetValues().SetSel(0);
    picker.GetValues().SetSel(2);
    picker.ApplySelection();
    EXPECT_EQ(Shown(1), (Texts{"Buy", "Sell"})) << "Buy~Sell written into the header and applied";
}

TEST_F(FilterListTest, TabAndShiftTabWalkTheFilterRowAndWrapAround)
{
    m_list->SetFocus();
    m_driver.Press('F', Ctrl);
    auto editedItem = [&]
    {
        CRect edit;
        ::GetWindowRect(::GetFocus(), &edit);
        Header().ScreenToClient(&edit);
        for (int i = 0; i < Header().GetItemCount(); ++i)
        {
            CRect r;
            Header().GetItemRect(i, &r);
            if (edit.CenterPoint().x >= r.left && edit.CenterPoint().x < r.right)
                return i;
        }
        return -1;
    };
    ASSERT_EQ(editedItem(), 0);
    m_driver.Press(VK_TAB);
    EXPECT_EQ(editedItem(), 1);
    m_driver.Press(VK_TAB, Shift);
    m_driver.Press(VK_TAB, Shift);
    EXPECT_EQ(editedItem(), 5) << "before the first comes the last";
    m_driver.Press(VK_TAB);
    EXPECT_EQ(editedItem(), 0) << "after the last comes the first";
    EXPECT_EQ(m_list->GetScrollPos(SB_HORZ), 0);
}

TEST_F(FilterListTest, FilterListsOutOfStepAreRefusedWithTheRowsKept)
{
    Add("A");
    m_list->m_arrFilterColumns.push_back(1);
    m_list->ApplyFilter();
    EXPECT_EQ(m_driver.MessageBoxTexts(), Texts{"Error occured while filtering"});
    EXPECT_EQ(Shown(), Texts{"A"});
}

TEST_F(FilterListTest, LeavingDataModeFreesTheRecordsAndTheFilterRow)
{
    Add("A");
    m_list->SetFocus();
    m_driver.Press('F', Ctrl);
    m_list->EnableFilter(FALSE);
    EXPECT_FALSE(m_list->IsDataMode());
    EXPECT_EQ(m_list->GetStoreCount(), 0);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_FALSE(Header().GetStyle() & HDS_FILTERBAR);
    EXPECT_FALSE(m_list->m_appearance.m_bColumnText);
}

TEST_F(FilterListTest, AbsurdFiltersFilterWithoutAMessageAndKeepNothingButWhatMatches)
{
    Add("V42", "Buy", "5");
    Add("W1", "Sell", "700");
    Add(std::string(1023, 'q') + "r", "Buy", "NA");

    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "~v" + std::to_string(i);
    m_list->SetColumnFilter(0, many);
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(), Texts{"V42"});

    // The filter row holds at most 1,023 characters: a longer text is cut there, not refused.
    m_list->ResetFilters();
    m_list->SetFilterText(0, std::string(1500, 'q'));
    EXPECT_EQ(m_list->m_arrFilterTexts, Texts{std::string(1023, 'q')});
    EXPECT_EQ(m_list->GetItemCount(), 1);

    m_list->ResetFilters();
    m_list->SetColumnFilter(2, ">");
    m_list->ApplyFilter();
    EXPECT_EQ(m_list->GetItemCount(), 0) << "a bound without a number lets no row through";
    m_list->SetColumnFilter(2, "<1e999~>");
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(2), (Texts{"5", "700"})) << "a cell that is no number never passes a bound";
    EXPECT_TRUE(m_driver.MessageBoxTexts().empty());
}

// The owner form of the descriptor: every cell it is asked for while filtering and while a record
// arrives comes with the list's owner.
std::vector<CWnd*> g_askedWith;

BOOL OwnerOrderCell(CWnd* owner, DWORD_PTR item, int column, std::string& text, COLORREF& textColor,
                    COLORREF& bkColor, int& image)
{
    g_askedWith.push_back(owner);
    return filterlist::OrderCell(item, column, text, textColor, bkColor, image);
}

TEST_F(FilterListTest, TheOwnerFormOfTheDescriptorIsAskedWithTheOwnerWhileFiltering)
{
    m_list->SetDataDescriptor(&OwnerOrderCell);
    Add("BUYER", "Buy");
    Add("SELLER", "Sell");
    Add("BOND", "Sell");
    m_list->SetColumnFilter(0, "b");
    m_list->SetColumnFilter(1, "s");
    g_askedWith.clear();
    m_list->ApplyFilter();
    EXPECT_EQ(Shown(), Texts{"BOND"});
    m_list->SetColumnFilter(1, "");
    m_list->ApplyFilter();
    Add("BASKET", "Buy");
    EXPECT_EQ(Shown(), (Texts{"BUYER", "BOND", "BASKET"}));
    ASSERT_GE(g_askedWith.size(), 6u) << "two columns of the two b rows, one of the others";
    EXPECT_EQ(std::count(g_askedWith.begin(), g_askedWith.end(), &m_owner),
              static_cast<std::ptrdiff_t>(g_askedWith.size()));
}

} // namespace
