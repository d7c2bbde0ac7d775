// The drag list driven with the mouse: rows moved within a list and into another one, a row the
// parent keeps, a release over nothing that takes rows, scrolling on the timer near the edges, a
// lost capture, self-drawn rows, header tooltips and a drag of ten thousand rows.
#include "controls/KTDragListCtrl.h"
#include "winlib/Api.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{

// The parent: answers the keep question for the names it holds, and remembers every question.
class Owner : public CWnd
{
public:
    std::set<std::string> m_keep;
    std::vector<std::string> m_asked;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DRAGLIST_KEEP_ROW)
        {
            const std::string name = reinterpret_cast<const char*>(wParam);
            m_asked.push_back(lParam == 0 ? name : "lParam not 0");
            return m_keep.count(name) ? 1 : 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

HWND DragImageWindow()
{
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetClassNameString(h) == "ImageListDragImage")
            return h;
    return nullptr;
}

class KTDragListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 500, 400), nullptr, 0));
        MakeList(m_left, CRect(10, 10, 200, 210), 1);
        MakeList(m_right, CRect(250, 10, 440, 210), 2);
        m_driver.Pump();
    }

    void MakeList(CKTDragListCtrl& list, const CRect& rect, UINT id, DWORD style = 0)
    {
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | style,
                                rect, &m_owner, id));
        list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
        list.InsertColumn(0, "Name", LVCFMT_LEFT, 90);
        list.InsertColumn(1, "Note", LVCFMT_LEFT, 60);
    }
    static void Fill(CKTDragListCtrl& list, const std::vector<std::string>& names)
    {
        for (const std::string& name : names)
        {
            const int row = list.InsertItem(list.GetItemCount(), name.c_str());
            list.SetItemText(row, 1, ("n" + name).c_str());
            list.SetItemData(row, static_cast<DWORD_PTR>(row + 100));
        }
    }
    static std::vector<std::string> Texts(CListCtrl& list, int column = 0)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < list.GetItemCount(); ++row)
            texts.push_back(list.GetItemText(row, column));
        return texts;
    }
    static std::vector<int> Selected(CListCtrl& list)
    {
        std::vector<int> rows;
        POSITION position = list.GetFirstSelectedItemPosition();
        while (position)
            rows.push_back(list.GetNextSelectedItem(position));
        return rows;
    }
    static void Select(CListCtrl& list, const std::vector<int>& rows)
    {
        list.SetItemState(-1, 0, LVIS_SELECTED);
        for (const int row : rows)
            list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    static CPoint RowPoint(CListCtrl& list, int row, int x = 20)
    {
        CRect rect;
        list.GetItemRect(row, &rect, LVIR_BOUNDS);
        return CPoint(x, rect.CenterPoint().y);
    }
    // Presses on a selected row and moves past the drag distance: the list begins its drag.
    void StartDrag(CKTDragListCtrl& list, int row)
    {
        const CPoint at = RowPoint(list, row);
        m_driver.MouseDown(list.m_hWnd, at);
        m_driver.MouseMove(list.m_hWnd, CPoint(at.x + 6, at.y + 6));
        ASSERT_TRUE(list.IsDragging());
    }

    winlib::testing::Driver m_driver;
    Owner m_owner;
    CKTDragListCtrl m_left;
    CKTDragListCtrl m_right;
};

TEST_F(KTDragListCtrlTest, RowsOneAndThreeDraggedBelowRowFiveFollowItInTheirOrder)
{
    Fill(m_left, {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7"});
    m_left.SetCheck(3, TRUE);
    Select(m_left, {1, 3});
    StartDrag(m_left, 3);

    // One image of rows 1 to 3 (the union of the dragged rows) follows the mouse.
    const HWND image = DragImageWindow();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(IsWindowVisible(image));
    CRect first;
    CRect third;
    m_left.GetItemRect(1, &first, LVIR_BOUNDS);
    m_left.GetItemRect(3, &third, LVIR_BOUNDS);
    CRect imageRect;
    GetWindowRect(image, &imageRect);
    EXPECT_EQ(imageRect.Height(), third.bottom - first.top);
    EXPECT_EQ(GetCapture(), m_left.m_hWnd);

    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 4));
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 5));
    EXPECT_EQ(m_left.GetDropRow(), 5);
    EXPECT_TRUE(m_left.GetItemState(5, LVIS_SELECTED)) << "the drop row is marked";
    EXPECT_FALSE(m_left.GetItemState(4, LVIS_SELECTED)) << "the row passed over got its state back";
    m_driver.MouseUp(m_left.m_hWnd, RowPoint(m_left, 5));

    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"r0", "r2", "r4", "r5", "r1", "r3", "r6", "r7"}));
    EXPECT_EQ(Texts(m_left, 1),
              (std::vector<std::string>{"nr0", "nr2", "nr4", "nr5", "nr1", "nr3", "nr6", "nr7"}));
    EXPECT_EQ(m_left.GetItemData(5), static_cast<DWORD_PTR>(103));
    EXPECT_TRUE(m_left.GetCheck(5)) << "the check mark travels with its row";
    EXPECT_FALSE(m_left.GetCheck(2));
    EXPECT_EQ(Selected(m_left), (std::vector<int>{4, 5}));
    EXPECT_FALSE(m_left.IsDragging());
    EXPECT_EQ(DragImageWindow(), nullptr);
    EXPECT_NE(GetCapture(), m_left.m_hWnd);
    EXPECT_EQ(GetFocus(), m_left.m_hWnd);

    // Rows after the drop row move up in front of it, still in their order.
    Select(m_left, {6, 7});
    StartDrag(m_left, 6);
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 0));
    m_driver.MouseUp(m_left.m_hWnd, RowPoint(m_left, 0));
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"r0", "r6", "r7", "r2", "r4", "r5", "r1", "r3"}));
}

TEST_F(KTDragListCtrlTest, ASingleSelectionListLosesItsStyleForTheDragOnly)
{
    m_left.DestroyWindow();
    MakeList(m_left, CRect(10, 10, 200, 210), 1, LVS_SINGLESEL);
    Fill(m_left, {"a", "b", "c", "d"});
    Select(m_left, {0});
    StartDrag(m_left, 0);
    EXPECT_FALSE(m_left.GetStyle() & LVS_SINGLESEL);
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 2));
    EXPECT_EQ(Selected(m_left), (std::vector<int>{0, 2}))
        << "the dragged row stays selected beside the drop row";
    m_driver.MouseUp(m_left.m_hWnd, RowPoint(m_left, 2));
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"b", "c", "a", "d"}));
    EXPECT_TRUE(m_left.GetStyle() & LVS_SINGLESEL);

    // Released over nothing, the style comes back all the same.
    Select(m_left, {0});
    StartDrag(m_left, 0);
    m_driver.MouseUp(m_owner.m_hWnd, CPoint(220, 380));
    EXPECT_TRUE(m_left.GetStyle() & LVS_SINGLESEL);
}

TEST_F(KTDragListCtrlTest, RowsTheParentKeepsStayWithAMessageAndTheOthersMoveAcrossInOrder)
{
    Fill(m_left, {"Go1", "Keep", "Go2", "Stay"});
    Fill(m_right, {"x", "y"});
    m_owner.m_keep = {"Keep"};
    Select(m_left, {0, 1, 2});
    StartDrag(m_left, 1);
    m_driver.MouseMove(m_right.m_hWnd, RowPoint(m_right, 1));
    m_driver.AnswerNextMessageBox(IDOK);
    m_driver.MouseUp(m_right.m_hWnd, RowPoint(m_right, 1));

    EXPECT_EQ(m_owner.m_asked, (std::vector<std::string>{"Go1", "Keep", "Go2"}));
    EXPECT_EQ(m_driver.MessageBoxTexts(), (std::vector<std::string>{"Keep cannot be removed"}));
    EXPECT_EQ(Texts(m_right), (std::vector<std::string>{"x", "Go1", "Go2", "y"}));
    EXPECT_EQ(Texts(m_right, 1), (std::vector<std::string>{"nx", "nGo1", "nGo2", "ny"}));
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"Keep", "Stay"}));
    EXPECT_EQ(Texts(m_left, 1), (std::vector<std::string>{"nKeep", "nStay"}));
    EXPECT_EQ(m_left.GetItemData(1), static_cast<DWORD_PTR>(103));
    EXPECT_EQ(Selected(m_right), (std::vector<int>{1, 2}));
    EXPECT_EQ(Selected(m_left), (std::vector<int>{0})) << "the kept row stays as it was";
    EXPECT_EQ(GetFocus(), m_right.m_hWnd);
    EXPECT_EQ(DragImageWindow(), nullptr);

    // Below the other list's last row (and on its header: it is part of the list) rows go to the end.
    Select(m_left, {1});
    StartDrag(m_left, 1);
    m_driver.MouseUp(m_right.m_hWnd, CPoint(20, 180));
    EXPECT_EQ(Texts(m_right), (std::vector<std::string>{"x", "Go1", "Go2", "y", "Stay"}));
    Select(m_right, {0});
    StartDrag(m_right, 0);
    m_driver.MouseUp(m_left.m_hWnd, CPoint(20, 5));
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"Keep", "x"}));
}

TEST_F(KTDragListCtrlTest, ReleasedOverAnythingButADragListTheDragOnlyEnds)
{
    Fill(m_left, {"a", "b", "c", "d"});
    CListCtrl plain;
    ASSERT_TRUE(plain.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 250, 200, 380), &m_owner, 3));
    plain.InsertColumn(0, "Plain", LVCFMT_LEFT, 90);
    plain.InsertItem(0, "p");
    m_driver.Pump();

    for (const auto& [over, at] :
         {std::make_pair(plain.m_hWnd, CPoint(100, 60)), std::make_pair(m_owner.m_hWnd, CPoint(220, 380))})
    {
        Select(m_left, {0, 1});
        StartDrag(m_left, 1);
        m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 3));
        ASSERT_EQ(m_left.GetDropRow(), 3);
        m_driver.MouseUp(over, at);
        EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"a", "b", "c", "d"}));
        EXPECT_EQ(Selected(m_left), (std::vector<int>{0, 1})) << "the drop row's mark is taken back";
        EXPECT_FALSE(m_left.IsDragging());
        EXPECT_EQ(DragImageWindow(), nullptr);
        EXPECT_EQ(m_owner.m_asked.size(), 0U);
    }
    EXPECT_EQ(plain.GetItemCount(), 1);
}

TEST_F(KTDragListCtrlTest, HeldAboveOrBelowTheRowsTheListScrollsALineEveryHundredMilliseconds)
{
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i)
        names.push_back("row " + std::to_string(i));
    Fill(m_left, names);
    m_left.EnsureVisible(40, FALSE);
    const int top = m_left.GetTopIndex();
    ASSERT_GT(top, 20);
    Select(m_left, {top + 2});
    StartDrag(m_left, top + 2);
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, top + 1));
    ASSERT_EQ(m_left.GetDropRow(), top + 1);

    // Just above the first row on view: on the header.
    CRect header;
    m_left.GetHeaderCtrl()->GetWindowRect(&header);
    m_driver.MouseMove(m_left.m_hWnd, CPoint(20, header.Height() / 2));
    EXPECT_EQ(m_left.GetScrollDirection(), 1);
    m_driver.AdvanceClock(99);
    EXPECT_EQ(m_left.GetTopIndex(), top) << "not before the interval";
    m_driver.AdvanceClock(1);
    EXPECT_EQ(m_left.GetTopIndex(), top - 1);
    EXPECT_EQ(m_left.GetDropRow(), top);
    m_driver.AdvanceClock(100);
    EXPECT_EQ(m_left.GetTopIndex(), top - 2);
    EXPECT_EQ(m_left.GetDropRow(), top - 1);
    EXPECT_TRUE(m_left.GetItemState(top - 1, LVIS_SELECTED));
    EXPECT_FALSE(m_left.GetItemState(top, LVIS_SELECTED));

    // Back among the rows the scrolling stops.
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, top));
    EXPECT_EQ(m_left.GetScrollDirection(), 0);
    const int still = m_left.GetTopIndex();
    m_driver.AdvanceClock(500);
    EXPECT_EQ(m_left.GetTopIndex(), still);

    // Below the list it scrolls down.
    m_driver.MouseMove(m_owner.m_hWnd, CPoint(30, 260));
    EXPECT_EQ(m_left.GetScrollDirection(), 2);
    for (int tick = 0; tick < 3; ++tick)
        m_driver.AdvanceClock(100);
    EXPECT_EQ(m_left.GetTopIndex(), still + 3);

    // The release stops the timer: the list stays where it is.
    m_driver.MouseUp(m_owner.m_hWnd, CPoint(220, 380));
    const int end = m_left.GetTopIndex();
    m_driver.AdvanceClock(500);
    EXPECT_EQ(m_left.GetTopIndex(), end);
    EXPECT_EQ(m_left.GetScrollDirection(), 0);
}

TEST_F(KTDragListCtrlTest, ALostCaptureEndsTheDragWithNothingMoved)
{
    Fill(m_left, {"a", "b", "c"});
    Select(m_left, {0});
    StartDrag(m_left, 0);
    m_driver.MouseMove(m_left.m_hWnd, RowPoint(m_left, 2));
    m_driver.MouseMove(m_left.m_hWnd, CPoint(20, 2)); // scrolling up
    m_right.SetCapture();
    EXPECT_FALSE(m_left.IsDragging());
    EXPECT_EQ(DragImageWindow(), nullptr);
    EXPECT_EQ(m_left.GetScrollDirection(), 0);
    EXPECT_EQ(Selected(m_left), (std::vector<int>{0}));
    ReleaseCapture();
    m_driver.MouseUp(m_left.m_hWnd, RowPoint(m_left, 2));
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(KTDragListCtrlTest, TenThousandRowsMoveWithinAndAcross)
{
    constexpr int kRows = 10000;
    for (int i = 0; i <= kRows; ++i)
    {
        m_left.InsertItem(i, std::to_string(i).c_str());
        m_left.SetItemText(i, 1, ("n" + std::to_string(i)).c_str());
    }
    m_left.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    m_left.SetItemState(kRows, 0, LVIS_SELECTED);
    StartDrag(m_left, 0);
    CRect image;
    GetWindowRect(DragImageWindow(), &image);
    CRect client;
    m_left.GetClientRect(&client);
    CRect header;
    m_left.GetHeaderCtrl()->GetWindowRect(&header);
    EXPECT_LE(image.Height(), client.Height() - header.Height()) << "only the rows on view are pictured";

    // Below the last row on view, with the list scrolled to its end by hand.
    m_left.EnsureVisible(kRows, FALSE);
    m_driver.MouseMove(m_left.m_hWnd, CPoint(20, client.bottom - 2));
    ASSERT_EQ(m_left.GetDropRow(), kRows);
    m_driver.MouseUp(m_left.m_hWnd, CPoint(20, client.bottom - 2));
    ASSERT_EQ(m_left.GetItemCount(), kRows + 1);
    EXPECT_EQ(m_left.GetItemText(0, 0), "10000");
    EXPECT_EQ(m_left.GetItemText(1, 0), "0");
    EXPECT_EQ(m_left.GetItemText(kRows, 0), "9999");
    EXPECT_EQ(m_left.GetItemText(5001, 1), "n5000");
    EXPECT_EQ(m_left.GetSelectedCount(), static_cast<UINT>(kRows));

    // The same ten thousand into the other list.
    StartDrag(m_left, m_left.GetTopIndex() + 1);
    m_driver.MouseUp(m_right.m_hWnd, CPoint(20, 100));
    ASSERT_EQ(m_right.GetItemCount(), kRows);
    EXPECT_EQ(m_right.GetItemText(0, 0), "0");
    EXPECT_EQ(m_right.GetItemText(kRows - 1, 0), "9999");
    EXPECT_EQ(m_right.GetItemText(kRows - 1, 1), "n9999");
    EXPECT_EQ(Texts(m_left), (std::vector<std::string>{"10000"}));
    EXPECT_EQ(m_owner.m_asked.size(), static_cast<std::size_t>(kRows));
}

void CellText(CWnd* owner, int row, int column, int reserved, std::string& text)
{
    text = "cell " + std::to_string(row) + "." + std::to_string(column) + (owner ? "" : " without owner") +
           (reserved ? " reserved" : "");
}

TEST(KTDragListDrawingTest, SelfDrawnRowsTakeTheirTextsFromTheCallbackAndShowTheDropRowGrey)
{
    winlib::testing::Driver driver(winlib::HeadlessDrawing::Recording);
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    CKTDragListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 0, 300, 200),
                            &owner, 1));
    list.InsertColumn(0, "One", LVCFMT_LEFT, 100);
    list.InsertColumn(1, "Two", LVCFMT_LEFT, 100);
    for (int row = 0; row < 3; ++row)
        list.InsertItem(row, "stored");
    list.SetTextCallback(&CellText);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    driver.Repaint();

    std::vector<std::string> texts = driver.TextStrings(list.m_hWnd);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "cell 2.1"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "stored"), 0);
    CRect selected;
    list.GetItemRect(1, &selected, LVIR_BOUNDS);
    CRect plain;
    list.GetItemRect(2, &plain, LVIR_BOUNDS);
    bool grey = false;
    bool white = false;
    for (const winlib::DrawOp& op : driver.Fills(list.m_hWnd))
    {
        grey = grey || (op.local == selected && op.color == CKTDragListCtrl::kDropFill);
        white = white || (op.local == plain && op.color == RGB(255, 255, 255));
        EXPECT_FALSE(op.local == plain && op.color == CKTDragListCtrl::kDropFill);
    }
    EXPECT_TRUE(grey);
    EXPECT_TRUE(white);
}

TEST(KTDragListHeaderTest, EachColumnHeaderHasATooltipThatFollowsTheColumns)
{
    winlib::testing::Driver driver;
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    CKTDragListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &owner, 1));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Price", LVCFMT_RIGHT, 50);
    LVCOLUMN untitled{};
    untitled.mask = LVCF_WIDTH;
    untitled.cx = 40;
    list.InsertColumn(1, &untitled);
    CToolTipCtrl* tips = list.GetHeaderToolTip();
    ASSERT_TRUE(tips);
    CHeaderCtrl* header = list.GetHeaderCtrl();
    EXPECT_EQ(tips->GetToolCount(), 3);
    auto tool = [&](UINT_PTR id)
    {
        char text[81] = {};
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.lpszText = text;
        EXPECT_TRUE(tips->GetToolInfo(info, header, id)) << id;
        return std::make_pair(std::string(text), CRect(info.rect));
    };
    CRect headerRect;
    header->GetClientRect(&headerRect);
    EXPECT_EQ(tool(3), std::make_pair(std::string("Price"), CRect(120, 0, 170, headerRect.Height())));
    EXPECT_EQ(tool(2).second, CRect(80, 0, 120, headerRect.Height()));

    list.DeleteColumn(0);
    EXPECT_EQ(tips->GetToolCount(), 2);
    EXPECT_EQ(tool(2), std::make_pair(std::string("Price"), CRect(40, 0, 90, headerRect.Height())));

    CKTDragListCtrl quiet;
    quiet.EnableHeaderToolTips(FALSE);
    ASSERT_TRUE(quiet.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &owner, 2));
    quiet.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
    EXPECT_EQ(quiet.GetHeaderToolTip(), nullptr);
}

} // namespace
