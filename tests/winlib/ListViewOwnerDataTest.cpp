// Owner-data list views: the parent holds the rows; the list asks only for what it paints
// and keeps the selection as ranges.
#include "ListTestSupport.h"

#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using listtest::Note;
using listtest::RecordingParent;
using winlib::testing::Driver;
using winlib::testing::Shift;

namespace
{

class OwnerDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(list.Create(LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_VISIBLE,
                                CRect(0, 0, 420, 300), parent.get(), 9));
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
        list.InsertColumn(0, "Id", LVCFMT_LEFT, 120);
        list.InsertColumn(1, "Value", LVCFMT_LEFT, 120);
        list.SetItemCountEx(100000, LVSICF_NOSCROLL);
        driver.Pump();
    }

    // The rows the parent was asked about since the last Clear.
    std::set<int> AskedRows() const
    {
        std::set<int> rows;
        for (const Note& n : parent->Of(LVN_GETDISPINFO))
            rows.insert(n.item);
        return rows;
    }

    POINT RowPoint(int item) const
    {
        CRect r;
        list.GetItemRect(item, &r, LVIR_BOUNDS);
        return POINT{r.left + 30, r.top + r.Height() / 2};
    }

    Driver driver;
    std::unique_ptr<RecordingParent> parent = std::make_unique<RecordingParent>();
    CListCtrl list;
};

TEST_F(OwnerDataTest, AsksOnlyForTheRowsItPaints)
{
    const int perPage = list.GetCountPerPage();
    std::set<int> asked = AskedRows();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(*asked.begin(), 0);
    EXPECT_LE(*asked.rbegin(), perPage) << "the visible rows and the partly visible one, no more";
    std::set<int> columns;
    for (const Note& n : parent->Of(LVN_GETDISPINFO))
        columns.insert(n.subItem);
    EXPECT_EQ(columns, (std::set<int>{0, 1}));
    // A cache hint for the page comes before the rows are asked for.
    const std::vector<UINT> codes = parent->Codes();
    const auto hint = std::find(codes.begin(), codes.end(), LVN_ODCACHEHINT);
    const auto firstAsk = std::find(codes.begin(), codes.end(), LVN_GETDISPINFO);
    ASSERT_NE(hint, codes.end());
    EXPECT_LT(hint - codes.begin(), firstAsk - codes.begin());
    EXPECT_EQ(parent->Of(LVN_ODCACHEHINT)[0].from_, 0);
    EXPECT_EQ(parent->Of(LVN_ODCACHEHINT)[0].to, *asked.rbegin());

    // Scrolled far down, only the new page is asked for.
    parent->Clear();
    list.EnsureVisible(50000, FALSE);
    driver.Pump();
    const int top = list.GetTopIndex();
    asked = AskedRows();
    ASSERT_FALSE(asked.empty());
    EXPECT_GE(*asked.begin(), top);
    EXPECT_LE(*asked.rbegin(), top + perPage);
    EXPECT_LE(static_cast<int>(asked.size()), perPage + 1);

    // Selecting a row repaints that row alone.
    parent->Clear();
    list.SetItemState(top + 2, LVIS_SELECTED, LVIS_SELECTED);
    driver.Pump();
    EXPECT_EQ(AskedRows(), std::set<int>{top + 2});
    EXPECT_EQ(list.GetItemText(top + 2, 1), "R" + std::to_string(top + 2) + "C1");
}

TEST_F(OwnerDataTest, TheThumbReachesRowsBeyondWhatTheMessageCanCarry)
{
    // The scroll message carries 16 bits of position; a drag down a long list must not wrap.
    namespace input = winlib::input;
    CRect window;
    list.GetWindowRect(&window);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const POINT grip{window.right - 8, window.top + arrow + 4};
    input::MouseButton(grip, input::Button::Left, true);
    driver.Pump();
    const POINT rest{grip.x, window.top + arrow + (window.Height() - 2 * arrow) * 4 / 5};
    input::MouseMove(rest);
    driver.Pump();
    const int dragged = list.GetTopIndex();
    EXPECT_GT(dragged, 65535);
    input::MouseButton(rest, input::Button::Left, false);
    driver.Pump();
    EXPECT_EQ(list.GetTopIndex(), dragged) << "letting go keeps the row the drag reached";
    EXPECT_EQ(GetScrollPos(list, SB_VERT), dragged);

    // A thumb position sent by a program is taken as it is.
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120));
    EXPECT_EQ(list.GetTopIndex(), 120);
}

TEST_F(OwnerDataTest, SelectionIsKeptAsRangesWithRangeNotifications)
{
    list.EnsureVisible(2000, FALSE);
    const int top = list.GetTopIndex();
    driver.Click(list, RowPoint(top + 1));
    ASSERT_EQ(list.GetSelectedCount(), 1U);
    parent->Clear();
    driver.Click(list, RowPoint(top + 6), Shift);
    EXPECT_EQ(list.GetSelectedCount(), 6U);
    const std::vector<Note> ranges = parent->Of(LVN_ODSTATECHANGED);
    ASSERT_EQ(ranges.size(), 1U);
    EXPECT_EQ(ranges[0].from_, top + 1);
    EXPECT_EQ(ranges[0].to, top + 6);
    EXPECT_EQ(ranges[0].newState, static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(parent->Count(LVN_ITEMCHANGING), 0) << "owner-data lists do not ask before changing";

    // Shift+End selects to the last of a hundred thousand rows in one step.
    parent->Clear();
    driver.Press(VK_END, Shift);
    EXPECT_EQ(list.GetSelectedCount(), static_cast<UINT>(100000 - (top + 1)));
    EXPECT_EQ(list.GetNextItem(top + 6, LVNI_SELECTED), top + 7);
    EXPECT_EQ(list.GetNextItem(99999, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetNextItem(top + 5, LVNI_SELECTED | LVNI_ABOVE), top + 4);
    EXPECT_EQ(list.GetTopIndex(), 100000 - list.GetCountPerPage());

    // A click elsewhere clears the rest in one notification for every item.
    parent->Clear();
    driver.Click(list, RowPoint(list.GetTopIndex()));
    EXPECT_EQ(list.GetSelectedCount(), 1U);
    const std::vector<Note> changes = parent->Of(LVN_ITEMCHANGED);
    const auto all = std::find_if(changes.begin(), changes.end(), [](const Note& n) { return n.item == -1; });
    ASSERT_NE(all, changes.end());
    EXPECT_EQ(all->oldState, static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(all->newState, 0U);
    EXPECT_EQ(std::count_if(changes.begin(), changes.end(), [](const Note& n) { return n.item == -1; }), 1);

    // Shrinking the list drops the selection beyond its end; NOSCROLL keeps the top row.
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 100000U);
    list.EnsureVisible(500, FALSE);
    const int keptTop = list.GetTopIndex();
    list.SetItemCountEx(40000, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    EXPECT_EQ(list.GetSelectedCount(), 40000U);
    EXPECT_EQ(list.GetTopIndex(), keptTop);
    list.SetItemCountEx(10, 0);
    EXPECT_EQ(list.GetTopIndex(), 0) << "without NOSCROLL the list scrolls back so that it is full";
    EXPECT_EQ(list.GetItemCount(), 10);
}

TEST_F(OwnerDataTest, FocusAtTheNewCountIsDroppedWhenTheListShrinksToIt)
{
    list.SetItemState(5, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    list.SetSelectionMark(5);
    ASSERT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 5);
    list.SetItemCountEx(6, 0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 5) << "row 5 is still there";
    list.SetItemCountEx(5, 0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), -1) << "row 5 is gone, and its focus with it";
    EXPECT_EQ(list.GetSelectionMark(), -1);
    EXPECT_EQ(list.GetSelectedCount(), 0U);
}

TEST_F(OwnerDataTest, CallbackMaskStatesComeFromTheParent)
{
    list.SetCallbackMask(LVIS_STATEIMAGEMASK);
    parent->dispInfo = [](NMLVDISPINFO* di)
    {
        if (di->item.mask & LVIF_STATE)
            di->item.state = INDEXTOSTATEIMAGEMASK(di->item.iItem % 2 ? 2 : 1);
        if ((di->item.mask & LVIF_TEXT) && di->item.pszText)
            std::snprintf(di->item.pszText, static_cast<std::size_t>(di->item.cchTextMax), "row %d",
                          di->item.iItem);
    };
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_FALSE(list.GetCheck(4));
    const std::vector<Note> asked = parent->Of(LVN_GETDISPINFO);
    ASSERT_FALSE(asked.empty());
    EXPECT_TRUE(asked.back().mask & LVIF_STATE);
    EXPECT_EQ(asked.back().newState, static_cast<UINT>(LVIS_STATEIMAGEMASK))
        << "asked for the masked bits only";
    // Selection stays with the list.
    list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetItemState(4, LVIS_SELECTED | LVIS_STATEIMAGEMASK),
              LVIS_SELECTED | INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(list.GetItemText(12345, 0), "row 12345");
    EXPECT_EQ(list.InsertItem(0, "not for owner data"), -1);
}

// An owner-drawn list measures its rows through its parent and draws each visible row there.
class MeasuredList : public CListCtrl
{
public:
    UINT height = 24;
    std::vector<DRAWITEMSTRUCT> drawn;
    int measures = 0;

protected:
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override
    {
        ++measures;
        EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_LISTVIEW));
        mis->itemHeight = height;
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back(*dis); }
};

TEST(OwnerDrawList, MeasuresAtCreationAndFontChangeAndDrawsVisibleRows)
{
    Driver driver;
    RecordingParent parent;
    CFont font;
    MeasuredList list;
    ASSERT_TRUE(list.Create(LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_OWNERDATA | WS_VISIBLE,
                            CRect(0, 0, 300, 200), &parent, 11));
    EXPECT_EQ(list.measures, 1);
    list.InsertColumn(0, "A", LVCFMT_LEFT, 150);
    list.InsertColumn(1, "B", LVCFMT_LEFT, 100);
    list.SetItemCountEx(50, LVSICF_NOSCROLL);
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(row.Height(), 24);

    list.height = 30;
    font.CreatePointFont(120, "MS Shell Dlg");
    list.SetFont(&font);
    EXPECT_EQ(list.measures, 2);
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(row.Height(), 30);

    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetFocus();
    list.drawn.clear();
    list.Invalidate();
    driver.Pump();
    const int perPage = list.GetCountPerPage();
    ASSERT_GE(static_cast<int>(list.drawn.size()), perPage);
    EXPECT_LE(static_cast<int>(list.drawn.size()), perPage + 1);
    EXPECT_TRUE(parent.drawn.empty()) << "the list drew its rows itself, the parent saw nothing";
    for (std::size_t i = 0; i < list.drawn.size(); ++i)
    {
        const DRAWITEMSTRUCT& dis = list.drawn[i];
        EXPECT_EQ(dis.itemID, i);
        EXPECT_EQ(dis.CtlType, static_cast<UINT>(ODT_LISTVIEW));
        EXPECT_EQ(dis.hwndItem, list.m_hWnd);
        CRect expected;
        list.GetItemRect(static_cast<int>(i), &expected, LVIR_BOUNDS);
        EXPECT_EQ(CRect(dis.rcItem), expected);
        EXPECT_EQ(dis.itemState, i == 2 ? (ODS_SELECTED | ODS_FOCUS) : 0U);
    }
    EXPECT_EQ(CRect(list.drawn[0].rcItem).Width(), 250);
    EXPECT_EQ(parent.Count(LVN_GETDISPINFO), 0) << "owner-drawn rows are not asked for text by the list";
}

TEST(OwnerDrawList, UnsubclassedListDrawsThroughItsParent)
{
    Driver driver;
    RecordingParent parent;
    parent.measuredHeight = 21;
    const HWND list =
        CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, 0, 0, 300,
                       200, parent, reinterpret_cast<HMENU>(4), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(parent.measured.size(), 1U);
    EXPECT_EQ(parent.measured[0].CtlID, 4U);
    LVCOLUMN column{};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = const_cast<char*>("x");
    item.lParam = 0x1234;
    SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
    parent.drawn.clear();
    driver.Pump();
    ASSERT_EQ(parent.drawn.size(), 1U);
    EXPECT_EQ(parent.drawn[0].itemData, static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(CRect(parent.drawn[0].rcItem).Height(), 21);
    // The list is measured again when it is told that its position changed.
    parent.measuredHeight = 25;
    WINDOWPOS pos{list, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER};
    SendMessage(list, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(parent.measured.size(), 2U);
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    SendMessage(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
    EXPECT_EQ(rect.bottom - rect.top, 25);
}

} // namespace
