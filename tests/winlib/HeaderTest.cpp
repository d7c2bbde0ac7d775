// The header control, alone and as the column header of a list view: the filter bar and
// its time-out, divider tracking, drag reordering, clicks and its notifications.
#include "ListTestSupport.h"

#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>

using listtest::Note;
using listtest::RecordingParent;
using winlib::testing::Driver;

namespace
{

std::string FilterText(CHeaderCtrl& header, int item)
{
    char text[64] = {};
    HD_TEXTFILTER filter{text, sizeof(text)};
    HDITEM info{};
    info.mask = HDI_FILTER;
    info.type = HDFT_ISSTRING;
    info.pvFilter = &filter;
    header.GetItem(item, &info);
    return text;
}

// A list whose header shows the filter bar, as the filter lists use it.
class HeaderFilterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.Create(LVS_REPORT | WS_VISIBLE, CRect(0, 0, 400, 250), parent.get(), 21));
        list.InsertColumn(0, "Side", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "Symbol", LVCFMT_LEFT, 100);
        list.InsertColumn(2, "Qty", LVCFMT_RIGHT, 100);
        list.InsertItem(0, "buy");
        header = list.GetHeaderCtrl();
        CRect before;
        list.GetItemRect(0, &before, LVIR_BOUNDS);
        rowTopWithoutFilters = before.top;
        header->ModifyStyle(0, HDS_FILTERBAR);
        driver.Pump();
        parent->Clear();
    }

    // The middle of an item's filter field, left of its filter button.
    POINT FieldPoint(int item) const
    {
        CRect column;
        header->GetItemRect(item, &column);
        HDHITTESTINFO hit{};
        hit.pt = POINT{column.left + 10, column.bottom - 5};
        header->HitTest(&hit);
        EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONFILTER));
        return hit.pt;
    }

    int FilterChanges() const { return parent->Count(HDN_FILTERCHANGE); }

    Driver driver;
    std::unique_ptr<RecordingParent> parent = std::make_unique<RecordingParent>();
    CListCtrl list;
    CHeaderCtrl* header = nullptr;
    int rowTopWithoutFilters = 0;
};

TEST_F(HeaderFilterTest, FilterBarMakesTheHeaderTallerAndTheRowsMoveDown)
{
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    CRect headerRect;
    header->GetWindowRect(&headerRect);
    EXPECT_GT(row.top, rowTopWithoutFilters);
    EXPECT_EQ(row.top, headerRect.Height());
    header->ModifyStyle(HDS_FILTERBAR, 0);
    driver.Pump();
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(row.top, rowTopWithoutFilters);
}

TEST_F(HeaderFilterTest, TypedFilterIsReportedOnlyWhenTheTimeOutExpires)
{
    driver.Click(*header, FieldPoint(1));
    const HWND edit = GetFocus();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetClassNameString(edit), "Edit");
    EXPECT_EQ(GetParent(edit), header->m_hWnd);
    EXPECT_EQ(parent->Count(HDN_BEGINFILTEREDIT), 1);

    driver.Type("ab");
    driver.AdvanceClock(600);
    driver.Type("c");
    driver.AdvanceClock(999);
    EXPECT_EQ(FilterChanges(), 0) << "each key starts the time-out again";
    EXPECT_EQ(FilterText(*header, 1), "abc") << "the text is there before it is reported";
    driver.AdvanceClock(1);
    ASSERT_EQ(FilterChanges(), 1);
    EXPECT_EQ(parent->Of(HDN_FILTERCHANGE)[0].item, 1);
    EXPECT_EQ(parent->Of(HDN_FILTERCHANGE)[0].from, header->m_hWnd) << "the list passes it on unchanged";
    driver.AdvanceClock(5000);
    EXPECT_EQ(FilterChanges(), 1) << "one report per change";

    EXPECT_EQ(header->SetFilterChangeTimeout(300), 1000);
    driver.Type("d");
    driver.AdvanceClock(299);
    EXPECT_EQ(FilterChanges(), 1);
    driver.AdvanceClock(1);
    EXPECT_EQ(FilterChanges(), 2);

    // Enter reports a waiting change at once and gives the focus back to the list.
    driver.Type("e");
    driver.Press(VK_RETURN);
    EXPECT_EQ(FilterChanges(), 3);
    EXPECT_EQ(GetFocus(), list.m_hWnd);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_EQ(parent->Count(HDN_ENDFILTEREDIT), 1);
    EXPECT_EQ(FilterText(*header, 1), "abcde");
    driver.AdvanceClock(1000);
    EXPECT_EQ(FilterChanges(), 3);

    // Losing the focus does the same.
    ASSERT_TRUE(header->EditFilter(0, FALSE));
    EXPECT_EQ(GetFocus(), edit);
    driver.Type("buy");
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    driver.Click(list, POINT{row.left + 20, row.top + 3});
    ASSERT_EQ(FilterChanges(), 4);
    EXPECT_EQ(parent->Of(HDN_FILTERCHANGE).back().item, 0);
    EXPECT_EQ(FilterText(*header, 0), "buy");
}

TEST_F(HeaderFilterTest, EscapeRestoresAndClearingReportsAtOnce)
{
    ASSERT_TRUE(header->EditFilter(2, FALSE));
    driver.Type("100");
    driver.Press(VK_RETURN);
    ASSERT_EQ(FilterChanges(), 1);

    header->EditFilter(2, FALSE);
    driver.Type(">5");
    driver.AdvanceClock(1000);
    EXPECT_EQ(FilterText(*header, 2), ">5");
    driver.Press(VK_ESCAPE);
    EXPECT_EQ(FilterText(*header, 2), "100");
    EXPECT_EQ(FilterChanges(), 3) << "the intermediate text was reported, so is its undoing";

    // Setting a filter through HDM_SETITEM reports it straight away.
    char text[] = "sell";
    HD_TEXTFILTER filter{text, sizeof(text)};
    HDITEM info{};
    info.mask = HDI_FILTER;
    info.type = HDFT_ISSTRING;
    info.pvFilter = &filter;
    ASSERT_TRUE(header->SetItem(0, &info));
    EXPECT_EQ(FilterChanges(), 4);
    EXPECT_EQ(FilterText(*header, 0), "sell");

    header->ClearFilter(0);
    EXPECT_EQ(FilterText(*header, 0), "");
    EXPECT_EQ(FilterText(*header, 2), "100");
    EXPECT_EQ(parent->Of(HDN_FILTERCHANGE).back().item, 0);
    header->ClearAllFilters();
    EXPECT_EQ(FilterText(*header, 2), "");
    EXPECT_EQ(parent->Of(HDN_FILTERCHANGE).back().item, -1);
    info.mask = HDI_FILTER;
    info.type = HDFT_ISSTRING;
    info.pvFilter = &filter;
    header->GetItem(2, &info);
    EXPECT_TRUE(info.type & HDFT_HASNOVALUE);
}

TEST_F(HeaderFilterTest, FilterButtonAsksTheParentWhetherToApplyAgain)
{
    CRect column;
    header->GetItemRect(1, &column);
    HDHITTESTINFO hit{};
    hit.pt = POINT{column.right - 4, column.bottom - 5};
    EXPECT_EQ(header->HitTest(&hit), 1);
    ASSERT_EQ(hit.flags, static_cast<UINT>(HHT_ONFILTERBUTTON));
    driver.Click(*header, hit.pt);
    EXPECT_EQ(parent->Count(HDN_FILTERBTNCLICK), 1);
    EXPECT_EQ(parent->Of(HDN_FILTERBTNCLICK)[0].item, 1);
    EXPECT_EQ(FilterChanges(), 0);
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == HDN_FILTERBTNCLICK ? 1 : 0; };
    driver.Click(*header, hit.pt);
    EXPECT_EQ(FilterChanges(), 1);
    // Released away from the button, the press is not a click.
    driver.MouseDown(*header, hit.pt);
    driver.MouseUp(*header, POINT{column.left + 5, 5});
    EXPECT_EQ(parent->Count(HDN_FILTERBTNCLICK), 2);
}

class ListHeaderTest : public ::testing::Test
{
protected:
    void MakeList(DWORD style = LVS_REPORT, DWORD exStyle = LVS_EX_HEADERDRAGDROP)
    {
        ASSERT_TRUE(list.Create(style | WS_VISIBLE, CRect(0, 0, 500, 200),
                                parent->m_hWnd ? parent.get() : nullptr, 31));
        list.SetExtendedStyle(exStyle);
        list.InsertColumn(0, "One", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "Two", LVCFMT_LEFT, 80);
        list.InsertColumn(2, "Three", LVCFMT_LEFT, 120);
        list.InsertItem(0, "a rather long first cell");
        list.SetItemText(0, 1, "b");
        list.SetItemText(0, 2, "c");
        header = list.GetHeaderCtrl();
        driver.Pump();
        parent->Clear();
    }

    Driver driver;
    std::unique_ptr<RecordingParent> parent = std::make_unique<RecordingParent>();
    CListCtrl list;
    CHeaderCtrl* header = nullptr;
};

TEST_F(ListHeaderTest, DividerDragResizesTheColumnWithTrackNotifications)
{
    MakeList();
    driver.Drag(*header, POINT{100, 8}, POINT{160, 8});
    EXPECT_EQ(list.GetColumnWidth(0), 160);
    CRect cell;
    list.GetSubItemRect(0, 1, LVIR_BOUNDS, cell);
    EXPECT_EQ(cell.left, 160) << "the list follows its header";
    const std::vector<UINT> events = parent->Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), HDN_BEGINTRACKA);
    EXPECT_EQ(parent->Of(HDN_ENDTRACKA).size(), 1U);
    EXPECT_EQ(parent->Of(HDN_ENDTRACKA)[0].width, 160);
    EXPECT_GE(parent->Count(HDN_TRACKA), 1);
    ASSERT_GE(parent->Count(HDN_ITEMCHANGEDA), 1);
    EXPECT_EQ(parent->Of(HDN_ITEMCHANGEDA).back().width, 160);
    EXPECT_EQ(parent->Count(HDN_ITEMCHANGINGA), parent->Count(HDN_ITEMCHANGEDA));

    // The parent can refuse the track before it starts, or a change of width.
    parent->Clear();
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == HDN_BEGINTRACKA ? TRUE : FALSE; };
    driver.Drag(*header, POINT{160, 8}, POINT{200, 8});
    EXPECT_EQ(list.GetColumnWidth(0), 160);
    EXPECT_EQ(parent->Count(HDN_TRACKA), 0);
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == HDN_ITEMCHANGINGA ? TRUE : FALSE; };
    EXPECT_FALSE(list.SetColumnWidth(0, 50));
    EXPECT_EQ(list.GetColumnWidth(0), 160);
    parent->answer = nullptr;

    // A double click on a divider fits the column to its contents.
    driver.DoubleClick(*header, POINT{160, 8});
    EXPECT_EQ(parent->Count(HDN_DIVIDERDBLCLICKA), 1);
    EXPECT_GT(list.GetColumnWidth(0), list.GetStringWidth("a rather long first cell"));
    EXPECT_LT(list.GetColumnWidth(0), 160);
}

TEST_F(ListHeaderTest, AWidthNoWindowCanHaveIsHeldToTheLargestOne)
{
    MakeList();
    // Through the column and through the header item (SetColumnWidth carries only 16 bits, as on
    // Windows, so it cannot ask for more).
    LVCOLUMNA wide{};
    wide.mask = LVCF_WIDTH;
    wide.cx = 2147483647;
    EXPECT_TRUE(list.SetColumn(0, &wide));
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = 2147483647;
    EXPECT_TRUE(header->SetItem(1, &item));
    EXPECT_EQ(list.GetColumnWidth(0), 32767);
    EXPECT_EQ(list.GetColumnWidth(1), 32767);
    CRect third;
    header->GetItemRect(2, &third);
    EXPECT_EQ(third.left, 2 * 32767) << "the edges add up without overflowing";
    EXPECT_EQ(third.right, 2 * 32767 + 120);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 2147483647;
    column.pszText = const_cast<char*>("Four");
    EXPECT_EQ(list.InsertColumn(3, &column), 3);
    EXPECT_EQ(list.GetColumnWidth(3), 32767);
    list.SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    driver.Pump();
}

TEST_F(ListHeaderTest, WideNotificationsForAParentThatAsksForThem)
{
    parent->notifyFormat = NFR_UNICODE;
    MakeList();
    HDITEM item{};
    item.mask = HDI_TEXT;
    item.pszText = const_cast<char*>("Renamed");
    header->SetItem(1, &item);
    ASSERT_EQ(parent->Count(HDN_ITEMCHANGINGW), 1);
    EXPECT_EQ(parent->Count(HDN_ITEMCHANGINGA), 0);
    EXPECT_EQ(parent->Of(HDN_ITEMCHANGINGW)[0].text, "Renamed");
    EXPECT_EQ(parent->Of(HDN_ITEMCHANGEDW)[0].item, 1);
    driver.Drag(*header, POINT{100, 8}, POINT{90, 8});
    EXPECT_EQ(parent->Count(HDN_BEGINTRACKW), 1);
    EXPECT_EQ(parent->Count(HDN_ENDTRACKW), 1);
    EXPECT_EQ(list.GetColumnWidth(0), 90) << "the list understands the wide form too";
}

TEST_F(ListHeaderTest, DraggingAHeaderItemReordersTheColumns)
{
    MakeList();
    driver.Drag(*header, POINT{30, 8}, POINT{290, 8});
    ASSERT_EQ(parent->Count(HDN_BEGINDRAG), 1);
    ASSERT_EQ(parent->Count(HDN_ENDDRAG), 1);
    EXPECT_EQ(parent->Of(HDN_ENDDRAG)[0].item, 0);
    EXPECT_EQ(parent->Of(HDN_ENDDRAG)[0].order, 2);
    int order[3] = {};
    ASSERT_TRUE(list.GetColumnOrderArray(order, 3));
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(header->OrderToIndex(0), 1);
    CRect first;
    list.GetSubItemRect(0, 1, LVIR_BOUNDS, first);
    EXPECT_EQ(first.left, 0);
    CRect moved;
    list.GetItemRect(0, &moved, LVIR_LABEL);
    EXPECT_EQ(moved.right, 300) << "column 0 is now last";
    EXPECT_EQ(parent->Count(HDN_ITEMCLICKA), 0) << "a drag is not a click";

    // Dropped into the gap on either side of itself, an item stays where it is.
    parent->Clear();
    driver.Drag(*header, POINT{120, 8}, POINT{95, 8});
    EXPECT_EQ(parent->Of(HDN_ENDDRAG).at(0).order, 1);
    driver.Drag(*header, POINT{120, 8}, POINT{185, 8});
    EXPECT_EQ(parent->Of(HDN_ENDDRAG).at(1).order, 1);
    list.GetColumnOrderArray(order, 3);
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));

    // A parent answering TRUE to HDN_ENDDRAG keeps the order.
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == HDN_ENDDRAG ? TRUE : FALSE; };
    driver.Drag(*header, POINT{10, 8}, POINT{290, 8});
    list.GetColumnOrderArray(order, 3);
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 2, 0}));
}

TEST_F(ListHeaderTest, HeaderClickBecomesColumnClickUnlessSortHeadersAreOff)
{
    MakeList(LVS_REPORT, 0);
    driver.Click(*header, POINT{130, 8});
    EXPECT_EQ(parent->Events(), (std::vector<UINT>{HDN_ITEMCLICKA, LVN_COLUMNCLICK}));
    EXPECT_EQ(parent->Of(LVN_COLUMNCLICK)[0].subItem, 1);
    EXPECT_EQ(parent->Of(LVN_COLUMNCLICK)[0].item, -1);
    // Without drag and drop a move does not start a drag, and releasing outside is no click.
    parent->Clear();
    driver.Drag(*header, POINT{130, 8}, POINT{30, 8});
    EXPECT_EQ(parent->Count(HDN_BEGINDRAG), 0);
    EXPECT_EQ(parent->Count(HDN_ITEMCLICKA), 0);

    list.ModifyStyle(0, LVS_NOSORTHEADER);
    parent->Clear();
    driver.Click(*header, POINT{130, 8});
    EXPECT_EQ(parent->Count(LVN_COLUMNCLICK), 0);
    EXPECT_EQ(parent->Count(HDN_ITEMCLICKA), 0);
}

TEST_F(ListHeaderTest, NoColumnHeaderListHasAHiddenHeaderAndRowsAtTheTop)
{
    MakeList(LVS_REPORT | LVS_NOCOLUMNHEADER, 0);
    ASSERT_NE(header, nullptr);
    EXPECT_FALSE(header->IsWindowVisible());
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(row.top, 0);
    EXPECT_EQ(list.GetColumnWidth(2), 120) << "the hidden header still keeps the columns";
}

TEST(HeaderAlone, HitTestsLayoutAndOrder)
{
    Driver driver;
    RecordingParent parent;
    CHeaderCtrl header;
    ASSERT_TRUE(header.Create(HDS_BUTTONS | HDS_DRAGDROP | WS_VISIBLE, CRect(0, 0, 400, 24), &parent, 5));
    for (int i = 0; i < 3; ++i)
    {
        HDITEM item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_LPARAM;
        item.pszText = const_cast<char*>("column");
        item.cxy = 90 + 10 * i;
        item.lParam = 700 + i;
        EXPECT_EQ(header.InsertItem(i, &item), i);
    }
    EXPECT_EQ(header.GetItemCount(), 3);

    HDHITTESTINFO hit{};
    hit.pt = POINT{50, 10};
    EXPECT_EQ(header.HitTest(&hit), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONHEADER));
    hit.pt = POINT{91, 10};
    EXPECT_EQ(header.HitTest(&hit), 0);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_ONDIVIDER));
    hit.pt = POINT{350, 10};
    EXPECT_EQ(header.HitTest(&hit), -1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_NOWHERE));
    hit.pt = POINT{450, 10};
    header.HitTest(&hit);
    EXPECT_EQ(hit.flags, static_cast<UINT>(HHT_TORIGHT));

    RECT area{0, 0, 400, 300};
    WINDOWPOS pos{};
    HDLAYOUT layout{&area, &pos};
    ASSERT_TRUE(header.Layout(&layout));
    EXPECT_EQ(area.top, pos.cy);
    const int plain = pos.cy;
    EXPECT_GT(plain, 13);
    header.ModifyStyle(0, HDS_FILTERBAR);
    area = RECT{0, 0, 400, 300};
    header.Layout(&layout);
    EXPECT_GT(pos.cy, plain + 13) << "the filter bar adds a row";

    // Inserting at a position shifts the order of the items behind it.
    HDITEM item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = const_cast<char*>("new");
    item.cxy = 40;
    EXPECT_EQ(header.InsertItem(1, &item), 1);
    int order[4] = {};
    ASSERT_TRUE(header.GetOrderArray(order));
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}));
    CRect rect;
    header.GetItemRect(2, &rect);
    EXPECT_EQ(rect.left, 130);
    item.mask = HDI_LPARAM | HDI_ORDER;
    ASSERT_TRUE(header.GetItem(2, &item));
    EXPECT_EQ(item.lParam, 701);
    EXPECT_EQ(item.iOrder, 2);
    EXPECT_TRUE(header.DeleteItem(0));
    ASSERT_TRUE(header.GetOrderArray(order, 3));
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(header.DeleteItem(3));
    EXPECT_FALSE(header.GetItemRect(3, &rect));
}

} // namespace
