// A newest-first filter list that keeps the user's place: while he works in it, rows coming and
// going never move the rows he sees, the focus stays on its record, and the new rows are counted
// until he has seen them.
#include "FilterListTestSupport.h"

namespace filterlist
{
namespace
{

using Texts = std::vector<std::string>;

// The owner counts the list's reports of unseen rows.
class PlaceOwner : public Owner
{
public:
    int m_nReports = 0;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (reinterpret_cast<const NMHDR*>(lParam)->code == FLN_UNSEENROWSCHANGED)
            ++m_nReports;
        return Owner::OnNotify(wParam, lParam, result);
    }
};

class FilterListPlaceTest : public FilterListTest
{
protected:
    void SetUp() override
    {
        RegisterPluginResources();
        ASSERT_TRUE(
            m_placeOwner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 400), nullptr, 0));
        m_list = std::make_unique<CFilterListCtrl>();
        m_placeOwner.m_pList = m_list.get();
        m_list->m_arrColumns = {gridtest::Column("Symbol", 75, 0, 3), gridtest::Column("Side", 75, 0, 3)};
        ASSERT_TRUE(m_list->CreateEx(0, kGridStyle, CRect(0, 0, 600, 300), &m_placeOwner, 4000));
        m_list->InitColumns();
        m_list->SetDataDescriptor(&OrderCell);
        m_list->EnableFilter(TRUE);
        m_list->SetNewestFirst(TRUE);
        m_list->SetCallbackMask(LVIS_SELECTED);
        m_list->SetKeepPlace(TRUE);
        PointerAway();
    }

    void PointerAway() { m_driver.MouseMove(m_placeOwner.m_hWnd, CPoint(650, 350)); }
    void PointerOnList() { m_driver.MouseMove(m_list->m_hWnd, CPoint(100, 100)); }
    std::string TopText() const { return m_list->GetItemText(m_list->GetTopIndex(), 0); }
    std::string FocusedText() const
    {
        return m_list->GetItemText(m_list->CListCtrl::GetNextItem(-1, LVNI_FOCUSED), 0);
    }
    void Fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
            Add("R" + std::to_string(i));
    }
    // Scrolls the list by whole rows, as the wheel or the scroll bar does.
    void ScrollRows(int rows)
    {
        CRect row;
        m_list->GetItemRect(0, &row, LVIR_BOUNDS);
        m_list->Scroll(CSize(0, rows * row.Height()));
    }

    PlaceOwner m_placeOwner;
};

TEST_F(FilterListPlaceTest, WithNobodyAtWorkNewRowsComeOnTopAsEver)
{
    Fill(40);
    ASSERT_EQ(m_list->GetTopIndex(), 0);
    Add("NEW");
    EXPECT_EQ(m_list->GetTopIndex(), 0);
    EXPECT_EQ(TopText(), "NEW");
    EXPECT_EQ(m_list->GetUnseenNewRows(), 0);
    EXPECT_EQ(m_placeOwner.m_nReports, 0);
}

TEST_F(FilterListPlaceTest, AScrolledListKeepsItsRowsWhileNewOnesGoAboveThemAndAreCounted)
{
    Fill(60);
    ScrollRows(20);
    ASSERT_EQ(TopText(), "R39");
    for (const char* name : {"N1", "N2", "N3"})
        Add(name);
    EXPECT_EQ(TopText(), "R39") << "the rows on screen stay where they are";
    EXPECT_EQ(m_list->GetTopIndex(), 23);
    EXPECT_EQ(m_list->GetItemText(0, 0), "N3") << "the newest is still the first row";
    EXPECT_EQ(m_list->GetUnseenNewRows(), 3);
    EXPECT_EQ(m_placeOwner.m_nReports, 3) << "the owner heard of each";

    // A row above the view that goes takes the view up with it; a new one that goes is no longer
    // unseen, an older one changes nothing of the count.
    m_list->DeleteItem(1); // N2
    EXPECT_EQ(TopText(), "R39");
    EXPECT_EQ(m_list->GetUnseenNewRows(), 2);
    m_list->DeleteItem(10); // R52
    EXPECT_EQ(TopText(), "R39");
    EXPECT_EQ(m_list->GetUnseenNewRows(), 2);

    // Scrolling up shows them: those that came into view are seen.
    ScrollRows(-20);
    m_driver.Pump();
    EXPECT_EQ(m_list->GetTopIndex(), 1);
    EXPECT_EQ(m_list->GetUnseenNewRows(), 1);
    ScrollRows(-1);
    m_driver.Pump();
    EXPECT_EQ(m_list->GetUnseenNewRows(), 0);
}

TEST_F(FilterListPlaceTest, TheFocusStaysOnItsRecordAndSpaceOrEnterActOnIt)
{
    m_list->SetExtendedStyle(m_list->GetExtendedStyle() | LVS_EX_CHECKBOXES);
    Fill(60);
    m_list->SetFocus();
    m_driver.Press(VK_HOME);
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_DOWN);
    ASSERT_EQ(FocusedText(), "R57");
    Add("N1");
    Add("N2");
    EXPECT_EQ(FocusedText(), "R57") << "the focus moved down with its record";
    EXPECT_EQ(m_list->GetItemText(m_list->GetNextItem(-1, LVNI_SELECTED), 0), "R57");
    EXPECT_EQ(m_list->GetSelectedCount(), 1u);
    EXPECT_EQ(m_list->GetTopIndex(), 2) << "the top rows stay on screen";
    EXPECT_EQ(m_list->GetUnseenNewRows(), 2) << "both came above the view that showed the top";
    m_driver.Press(VK_SPACE);
    EXPECT_TRUE(m_list->GetCheck(4)) << "Space ticks the focused record";
    EXPECT_FALSE(m_list->GetCheck(2));

    // A row above the focus that goes takes the focus up with its record.
    m_list->DeleteItem(0);
    EXPECT_EQ(FocusedText(), "R57");
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(FocusedText(), "R56");
}

TEST_F(FilterListPlaceTest, AShortListHoldsNewRowsBackWhileTheUserWorksInItUntilHeAsksForThem)
{
    Fill(3);
    PointerOnList();
    Add("N1");
    Add("N2");
    EXPECT_EQ(Shown(), (Texts{"R2", "R1", "R0"})) << "too short to scroll: the rows stay, the new ones wait";
    EXPECT_EQ(m_list->GetStoreCount(), 5);
    EXPECT_EQ(m_list->GetHeldRows(), 2);
    EXPECT_EQ(m_list->GetUnseenNewRows(), 2);

    // A held row that goes is gone from the count; refreshing one does not show it.
    m_list->DeleteDataItem(3); // N1
    EXPECT_EQ(m_list->GetUnseenNewRows(), 1);
    EXPECT_EQ(m_list->RefreshDataItem(3), 0);
    EXPECT_EQ(m_list->GetItemCount(), 3);

    // The wheel turned up at the top asks for them.
    m_driver.Wheel(m_list->m_hWnd, CPoint(100, 100), 120);
    EXPECT_EQ(Shown(), (Texts{"N2", "R2", "R1", "R0"}));
    EXPECT_EQ(m_list->GetUnseenNewRows(), 0);

    // So does Home, which then goes to the newest.
    Add("N3");
    ASSERT_EQ(m_list->GetHeldRows(), 1);
    m_list->SetFocus();
    m_driver.Press(VK_HOME);
    EXPECT_EQ(Shown(), (Texts{"N3", "N2", "R2", "R1", "R0"}));
    EXPECT_EQ(FocusedText(), "N3");

    // A new filter shows whatever was held with the rest.
    Add("N4");
    ASSERT_EQ(m_list->GetHeldRows(), 1);
    m_list->ApplyFilter();
    EXPECT_EQ(m_list->GetItemCount(), 6);
    EXPECT_EQ(m_list->GetUnseenNewRows(), 0);
}

TEST_F(FilterListPlaceTest, EachMarkOfWorkHoldsTheRowsAndNoneLetsThemCome)
{
    const auto newRowHeld = [this]
    {
        const int held = m_list->GetHeldRows();
        Add("N");
        return m_list->GetHeldRows() > held;
    };
    Fill(3);
    EXPECT_FALSE(newRowHeld()) << "nobody at work";
    PointerOnList();
    EXPECT_TRUE(newRowHeld()) << "the pointer on the list";
    PointerAway();
    m_list->SetFocus();
    EXPECT_TRUE(newRowHeld()) << "the keyboard focus in it";
    m_placeOwner.SetFocus();
    m_list->ShowNewRows();
    CRect row;
    m_list->GetItemRect(1, &row, LVIR_LABEL);
    m_driver.Click(m_list->m_hWnd, row.CenterPoint());
    m_placeOwner.SetFocus();
    PointerAway();
    EXPECT_TRUE(newRowHeld()) << "a row selected";

    // Held rows come out above the rows on screen once there is room for them there.
    m_list->ShowNewRows();
    m_list->SetItemState(-1, 0, LVIS_SELECTED);
    Fill(30);
    ScrollRows(5);
    const std::string top = TopText();
    Add("ABOVE");
    EXPECT_EQ(TopText(), top);
    EXPECT_EQ(m_list->GetHeldRows(), 0);
}

} // namespace
} // namespace filterlist
