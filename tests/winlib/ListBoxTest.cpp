// The list box as its users drive it: clicks and keys through the queue, the notifications
// its parent receives, sorting, scrolling a long list, owner draw through the class
// library's reflection (in a dialog: the dialog tests).
#include "winlib/ListBox.h"
#include "winlib/Controls.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using winlib::DrawOp;
using winlib::testing::Ctrl;
using winlib::testing::Modifiers;
using winlib::testing::Shift;

constexpr int kItemHeight = 13; // the default font's cell
constexpr int kListId = 10;

// A parent that keeps the notifications of its controls and can colour them.
class ParentWnd : public CWnd
{
public:
    std::vector<UINT> codes; // notification codes in arrival order
    HBRUSH listBrush = nullptr;
    COLORREF listText = 0;
    std::function<LRESULT(UINT, WPARAM, LPARAM)> onKeyToItem;

    int Count(UINT code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }

    std::function<void(UINT)> onCode;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        codes.push_back(HIWORD(wParam));
        if (onCode)
            onCode(HIWORD(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if ((message == WM_VKEYTOITEM || message == WM_CHARTOITEM) && onKeyToItem)
            return onKeyToItem(message, wParam, lParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }

protected:
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) override
    {
        if (type == WM_CTLCOLORLISTBOX - WM_CTLCOLORMSGBOX && listBrush)
        {
            dc->SetTextColor(listText);
            return listBrush;
        }
        return CWnd::OnCtlColor(dc, wnd, type);
    }
};

class ListBoxTest : public ::testing::Test
{
protected:
    explicit ListBoxTest(winlib::HeadlessDrawing drawing = winlib::HeadlessDrawing::Null) : m_driver(drawing)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 500), nullptr, 0));
    }

    // A list of 'count' items "Item 0" ... (or as 'text' names them) with 'visible' items in its
    // client area.
    void MakeList(CListBox& list, DWORD style, int count, int visible = 10,
                  const std::function<std::string(int)>& text = nullptr)
    {
        ASSERT_TRUE(list.Create(WS_VISIBLE | WS_BORDER | style,
                                CRect(10, 10, 210, 10 + visible * kItemHeight + 2), &m_parent, kListId));
        for (int i = 0; i < count; ++i)
            list.AddString(text ? text(i).c_str() : ("Item " + std::to_string(i)).c_str());
        m_driver.Pump();
        m_parent.codes.clear();
    }

    static CPoint ItemPoint(const CListBox& list, int index)
    {
        return CPoint(20, (index - list.GetTopIndex()) * kItemHeight + kItemHeight / 2);
    }

    static std::vector<int> Selected(const CListBox& list)
    {
        std::vector<int> items(static_cast<std::size_t>(std::max(0, list.GetSelCount())));
        items.resize(
            static_cast<std::size_t>(list.GetSelItems(static_cast<int>(items.size()), items.data())));
        return items;
    }

    winlib::testing::Driver m_driver;
    ParentWnd m_parent;
};

class ListBoxPaintTest : public ListBoxTest
{
protected:
    ListBoxPaintTest() : ListBoxTest(winlib::HeadlessDrawing::Recording) {}
};

TEST_F(ListBoxTest, ExtendedSelectionFollowsClicksShiftAndCtrl)
{
    CListBox list;
    MakeList(list, LBS_EXTENDEDSEL | LBS_NOTIFY, 10);

    m_driver.Click(list, ItemPoint(list, 2));
    EXPECT_EQ(GetFocus(), list.m_hWnd) << "a click takes the focus";
    EXPECT_EQ(Selected(list), (std::vector<int>{2}));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{LBN_SETFOCUS, LBN_SELCHANGE}));

    m_parent.codes.clear();
    m_driver.Click(list, ItemPoint(list, 5), Shift);
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 3, 4, 5})) << "Shift+click selects from the anchor";
    EXPECT_EQ(list.GetAnchorIndex(), 2);
    EXPECT_EQ(list.GetCaretIndex(), 5);

    m_driver.Click(list, ItemPoint(list, 3), Ctrl);
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 4, 5})) << "Ctrl+click toggles one item";
    EXPECT_EQ(list.GetAnchorIndex(), 3);

    m_driver.Click(list, ItemPoint(list, 7), static_cast<Modifiers>(Shift | Ctrl));
    EXPECT_EQ(Selected(list), (std::vector<int>{2})) << "the range takes the state of its (now clear) anchor";

    m_driver.Press(VK_DOWN, Shift);
    EXPECT_EQ(Selected(list), (std::vector<int>{3, 4, 5, 6, 7, 8})) << "Shift+Down extends from the anchor";
    EXPECT_EQ(m_parent.Count(LBN_SELCHANGE), 4);

    m_driver.Press(VK_UP, Ctrl);
    EXPECT_EQ(list.GetCaretIndex(), 7);
    EXPECT_EQ(m_parent.Count(LBN_SELCHANGE), 4) << "Ctrl+arrow moves only the caret";
    m_driver.Press(VK_SPACE, Ctrl);
    EXPECT_EQ(Selected(list), (std::vector<int>{3, 4, 5, 6, 8}));

    m_driver.Click(list, ItemPoint(list, 4));
    EXPECT_EQ(Selected(list), (std::vector<int>{4}));
    m_parent.codes.clear();
    m_driver.Click(list, ItemPoint(list, 4));
    EXPECT_TRUE(m_parent.codes.empty()) << "clicking the only selected item again changes nothing";
    m_driver.Drag(list, ItemPoint(list, 1), ItemPoint(list, 3));
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 2, 3})) << "dragging selects the range under the mouse";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ListBoxTest, AParentMayDestroyTheListWhileItIsTold)
{
    CListBox list;
    MakeList(list, LBS_EXTENDEDSEL | LBS_NOTIFY, 5);
    list.SetFocus();
    m_parent.onCode = [&list](UINT code)
    {
        if (code == LBN_SELCHANGE)
            list.DestroyWindow();
    };
    m_driver.Press(VK_DOWN, Shift);
    EXPECT_EQ(list.m_hWnd, nullptr);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_KILLFOCUS}))
        << "nothing more than the loss of the focus its destruction brought";
}

TEST_F(ListBoxTest, MultipleSelectionTogglesByClickAndSpace)
{
    CListBox list;
    MakeList(list, LBS_MULTIPLESEL | LBS_NOTIFY, 6);
    m_driver.Click(list, ItemPoint(list, 1));
    m_driver.Click(list, ItemPoint(list, 3));
    EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
    m_driver.Click(list, ItemPoint(list, 1));
    EXPECT_EQ(Selected(list), (std::vector<int>{3}));
    EXPECT_EQ(list.GetCurSel(), 1) << "a multiple-selection list answers its caret";

    m_parent.codes.clear();
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(Selected(list), (std::vector<int>{3})) << "arrows move the caret only";
    EXPECT_EQ(m_parent.Count(LBN_SELCHANGE), 2) << "yet each arrow is reported";
    EXPECT_EQ(list.GetCaretIndex(), 3);
    m_driver.Press(VK_SPACE);
    EXPECT_TRUE(Selected(list).empty()) << "Space toggles the caret item";
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_SPACE);
    EXPECT_EQ(Selected(list), (std::vector<int>{4}));

    EXPECT_EQ(list.SetSel(-1, TRUE), 0);
    EXPECT_EQ(list.GetSelCount(), 6);
    list.SelItemRange(FALSE, 1, 4);
    EXPECT_EQ(Selected(list), (std::vector<int>{0, 5}));
    list.SendMessage(LB_SELITEMRANGEEX, 5, 4);
    EXPECT_EQ(Selected(list), (std::vector<int>{0})) << "a reversed range is taken off";
    EXPECT_EQ(list.SetCurSel(2), LB_ERR);
}

TEST_F(ListBoxTest, SortedListsOrderAsWindowsDoes)
{
    CListBox list;
    MakeList(list, LBS_SORT, 0);
    EXPECT_EQ(list.AddString("banana"), 0);
    EXPECT_EQ(list.AddString("Apple"), 0);
    EXPECT_EQ(list.AddString("cherry"), 2);
    for (const char* word : {"apple pie", "_x", "10", "co-op", "coop", "Banana"})
        list.AddString(word);
    std::vector<std::string> order;
    for (int i = 0; i < list.GetCount(); ++i)
    {
        std::string text;
        list.GetText(i, text);
        order.push_back(text);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"_x", "10", "Apple", "apple pie", "banana", "Banana", "cherry",
                                               "coop", "co-op"}))
        << "case ignored, symbols before digits before letters, hyphens count last";
    EXPECT_EQ(list.InsertString(0, "zebra"), 0) << "inserting keeps the position asked for";

    EXPECT_EQ(list.FindString(-1, "CO"), 8);
    EXPECT_EQ(list.FindString(8, "co"), 9) << "searching starts after the given item";
    EXPECT_EQ(list.FindString(9, "co"), 8) << "and wraps round";
    EXPECT_EQ(list.FindStringExact(-1, "APPLE"), 3);
    EXPECT_EQ(list.FindStringExact(-1, "appl"), LB_ERR);
    EXPECT_EQ(list.SelectString(-1, "ch"), 7);
    EXPECT_EQ(list.GetCurSel(), 7);
    EXPECT_TRUE(m_parent.codes.empty()) << "no notification for a selection made by a message";
}

TEST_F(ListBoxTest, MessagesAnswerWithTheValuesOfWindows)
{
    CListBox list;
    MakeList(list, LBS_NOTIFY, 0, 4);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    EXPECT_EQ(list.SetCurSel(0), LB_ERR);
    for (const char* word : {"one", "two", "three"})
        list.AddString(word);
    EXPECT_EQ(list.InsertString(5, "far"), LB_ERR);
    EXPECT_EQ(list.InsertString(-1, "four"), 3);
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_GT(list.GetSel(1), 0);
    EXPECT_EQ(list.GetSel(0), 0);
    EXPECT_EQ(list.GetSel(9), LB_ERR);
    EXPECT_EQ(list.SetCurSel(9), LB_ERR);
    EXPECT_EQ(list.GetCurSel(), 1) << "a bad index leaves the selection";
    EXPECT_EQ(list.GetSelCount(), LB_ERR) << "a single-selection list has no count";
    EXPECT_EQ(list.SetSel(0), LB_ERR);
    EXPECT_EQ(list.GetTextLen(7), LB_ERR);
    char buffer[16] = {};
    EXPECT_EQ(list.GetText(7, buffer), LB_ERR);
    EXPECT_EQ(list.GetText(2, buffer), 5);
    EXPECT_STREQ(buffer, "three");

    EXPECT_NE(list.SetItemData(1, 77), LB_ERR);
    EXPECT_EQ(list.GetItemData(1), 77u);
    EXPECT_EQ(list.SetItemData(9, 1), LB_ERR);
    EXPECT_EQ(static_cast<LRESULT>(list.GetItemData(9)), LB_ERR);

    EXPECT_EQ(list.DeleteString(9), LB_ERR);
    EXPECT_EQ(list.DeleteString(0), 3) << "the count left";
    EXPECT_EQ(list.GetCurSel(), 0) << "the selection stays on its item";
    EXPECT_EQ(list.GetItemData(0), 77u);
    list.DeleteString(0);
    EXPECT_EQ(list.GetCurSel(), LB_ERR) << "deleting the selected item leaves none";

    EXPECT_EQ(list.SetTopIndex(99), LB_ERR);
    EXPECT_EQ(list.GetItemHeight(0), kItemHeight);
    EXPECT_EQ(list.SetItemHeight(0, 300), LB_ERR);
    BOOL outside = FALSE;
    EXPECT_EQ(list.ItemFromPoint(CPoint(5, 2 * kItemHeight - 1), outside), 1u);
    EXPECT_FALSE(outside);
    EXPECT_EQ(list.ItemFromPoint(CPoint(5, 2 * kItemHeight + 2), outside), 1u)
        << "below the last item: the last";
    EXPECT_TRUE(outside);
    CRect item;
    EXPECT_NE(list.GetItemRect(1, &item), LB_ERR);
    EXPECT_EQ(item, CRect(0, kItemHeight, 200 - 2, 2 * kItemHeight));

    list.SetCaretIndex(0);
    EXPECT_EQ(list.GetCaretIndex(), 0);
    EXPECT_EQ(list.GetCurSel(), LB_ERR) << "the caret moves without selecting";
    m_driver.Click(list, ItemPoint(list, 1));
    m_parent.codes.clear();
    m_driver.Click(list, ItemPoint(list, 1), Ctrl);
    EXPECT_EQ(list.GetCurSel(), LB_ERR) << "Ctrl+click takes the selection off";
    EXPECT_EQ(m_parent.codes, std::vector<UINT>{LBN_SELCANCEL});

    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(ListBoxTest, IntegralHeightTrimsThePartialItemUnlessAskedNotTo)
{
    CListBox trimmed;
    ASSERT_TRUE(
        trimmed.Create(WS_VISIBLE | WS_BORDER, CRect(0, 0, 100, 2 + 3 * kItemHeight + 7), &m_parent, 1));
    CRect client;
    trimmed.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 3 * kItemHeight);
    trimmed.SetItemHeight(0, 20);
    trimmed.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 20) << "a new item height keeps the height whole";

    CListBox kept;
    ASSERT_TRUE(kept.Create(WS_VISIBLE | WS_BORDER | LBS_NOINTEGRALHEIGHT,
                            CRect(0, 0, 100, 2 + 3 * kItemHeight + 7), &m_parent, 2));
    kept.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 3 * kItemHeight + 7);
}

TEST_F(ListBoxTest, DoubleClickReportsWithNotifyOnly)
{
    CListBox list;
    MakeList(list, LBS_NOTIFY, 5);
    m_driver.DoubleClick(list, ItemPoint(list, 3));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK}));
    m_parent.codes.clear();
    m_driver.DoubleClick(list, CPoint(20, 8 * kItemHeight));
    EXPECT_TRUE(m_parent.codes.empty()) << "not below the items";

    CListBox quiet;
    ASSERT_TRUE(quiet.Create(WS_VISIBLE, CRect(220, 10, 320, 100), &m_parent, kListId + 1));
    quiet.AddString("a");
    quiet.AddString("b");
    m_parent.codes.clear();
    m_driver.DoubleClick(quiet, CPoint(5, 5));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{LBN_KILLFOCUS, LBN_SETFOCUS}))
        << "focus changes are always told, selections and double clicks only with LBS_NOTIFY";
    EXPECT_EQ(quiet.GetCurSel(), 0);
}

TEST_F(ListBoxTest, KeyboardAndWheelScrollAListOfHundredsOfItems)
{
    CListBox list;
    // Every item starts with a letter of its own, round the alphabet.
    MakeList(list, WS_VSCROLL | LBS_NOTIFY, 300, 10,
             [](int i) { return std::string(1, static_cast<char>('a' + i % 26)) + " " + std::to_string(i); });
    list.SetFocus();
    m_driver.Pump();
    m_parent.codes.clear();

    m_driver.Press(VK_DOWN);
    EXPECT_EQ(list.GetCurSel(), 0) << "the first arrow selects the caret item";
    m_driver.Press(VK_END);
    EXPECT_EQ(list.GetCurSel(), 299);
    EXPECT_EQ(list.GetTopIndex(), 290);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(list.GetScrollInfo(SB_VERT, &info));
    EXPECT_EQ(info.nMax, 299);
    EXPECT_EQ(info.nPage, 10u);
    EXPECT_EQ(info.nPos, 290);

    m_driver.Press(VK_HOME);
    EXPECT_EQ(list.GetTopIndex(), 0);
    m_driver.Press(VK_NEXT);
    EXPECT_EQ(list.GetCurSel(), 9) << "first to the last visible item";
    m_driver.Press(VK_NEXT);
    EXPECT_EQ(list.GetCurSel(), 18) << "then a page on";
    EXPECT_EQ(list.GetTopIndex(), 9);
    m_driver.Press(VK_PRIOR);
    EXPECT_EQ(list.GetCurSel(), 9);
    m_driver.Press(VK_PRIOR);
    EXPECT_EQ(list.GetCurSel(), 0);
    m_driver.Type("c");
    EXPECT_EQ(list.GetCurSel(), 2);
    m_driver.Type("c");
    EXPECT_EQ(list.GetCurSel(), 28) << "type-ahead goes on to the next item with that letter";
    EXPECT_EQ(list.GetTopIndex(), 19);
    EXPECT_EQ(m_parent.Count(LBN_SELCHANGE), 9);

    m_driver.Wheel(list, CPoint(20, 20), -WHEEL_DELTA);
    EXPECT_EQ(list.GetTopIndex(), 22) << "three lines a notch";
    EXPECT_EQ(list.GetCurSel(), 28) << "the wheel does not select";

    // The scroll bar's down arrow, then the track below the thumb.
    CRect window;
    list.GetWindowRect(&window);
    m_driver.ClickScreen(CPoint(window.right - 9, window.bottom - 9));
    EXPECT_EQ(list.GetTopIndex(), 23);
    m_driver.ClickScreen(CPoint(window.right - 9, window.bottom - 1 - 17 - 3));
    EXPECT_EQ(list.GetTopIndex(), 33);
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100));
    EXPECT_EQ(list.GetTopIndex(), 100);
    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(list.GetTopIndex(), 290);
}

TEST_F(ListBoxPaintTest, OnlyTheVisibleItemsArePainted)
{
    CListBox list;
    MakeList(list, WS_VSCROLL, 300);
    list.SetTopIndex(120);
    m_driver.Repaint();
    std::vector<std::string> expected;
    for (int i = 120; i < 130; ++i)
        expected.push_back("Item " + std::to_string(i));
    EXPECT_EQ(m_driver.TextStrings(list), expected);
    const std::vector<DrawOp> texts = m_driver.Texts(list);
    ASSERT_EQ(texts.size(), 10u);
    EXPECT_EQ(texts[3].local.top, 3 * kItemHeight);
}

TEST_F(ListBoxPaintTest, ColoursComeFromTheParentAndTheSelectionIsHighlighted)
{
    CBrush brush(RGB(10, 20, 30));
    m_parent.listBrush = brush;
    m_parent.listText = RGB(200, 0, 0);
    CListBox list;
    MakeList(list, 0, 3, 5);
    list.SetCurSel(1);
    list.SetFocus();
    m_driver.Repaint();

    const std::vector<DrawOp> texts = m_driver.Texts(list);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].color, RGB(200, 0, 0));
    EXPECT_EQ(texts[1].color, GetSysColor(COLOR_HIGHLIGHTTEXT));
    const std::vector<DrawOp> fills = m_driver.Fills(list);
    const auto filled = [&](COLORREF color, int top)
    {
        return std::any_of(fills.begin(), fills.end(),
                           [&](const DrawOp& op) { return op.color == color && op.local.top == top; });
    };
    EXPECT_TRUE(filled(RGB(10, 20, 30), 0));
    EXPECT_TRUE(filled(GetSysColor(COLOR_HIGHLIGHT), kItemHeight));
    EXPECT_TRUE(filled(RGB(10, 20, 30), 3 * kItemHeight)) << "below the items too";
    std::vector<DrawOp> ops = m_driver.Ops(list);
    const auto focus = std::find_if(ops.begin(), ops.end(),
                                    [](const DrawOp& op) { return op.kind == DrawOp::Kind::FocusRect; });
    ASSERT_NE(focus, ops.end());
    EXPECT_EQ(focus->local, CRect(0, kItemHeight, 198, 2 * kItemHeight));

    m_parent.SetFocus();
    m_driver.Repaint();
    ops = m_driver.Ops(list);
    EXPECT_TRUE(std::none_of(ops.begin(), ops.end(),
                             [](const DrawOp& op) { return op.kind == DrawOp::Kind::FocusRect; }))
        << "no focus rectangle without the focus";
}

// An owner-drawn list of numbers: each item is as high as 10 plus its number.
class NumberList : public CListBox
{
public:
    std::vector<UINT> measured;
    std::vector<DRAWITEMSTRUCT> drawn;
    std::vector<ULONG_PTR> deleted;
    int comparisons = 0;

    void MeasureItem(LPMEASUREITEMSTRUCT mis) override
    {
        measured.push_back(mis->itemID);
        mis->itemHeight = 10 + static_cast<UINT>(mis->itemData);
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back(*dis); }
    int CompareItem(LPCOMPAREITEMSTRUCT cis) override
    {
        ++comparisons;
        return cis->itemData1 < cis->itemData2 ? -1 : cis->itemData1 > cis->itemData2 ? 1 : 0;
    }
    void DeleteItem(LPDELETEITEMSTRUCT dis) override { deleted.push_back(dis->itemData); }

    int Add(ULONG_PTR number) { return AddString(reinterpret_cast<LPCSTR>(number)); }
};

TEST_F(ListBoxTest, OwnerDrawnItemsAreMeasuredSortedDrawnAndDeletedByTheControlsObject)
{
    NumberList list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_SORT | LBS_NOTIFY,
                            CRect(10, 10, 110, 70), &m_parent, kListId));
    for (ULONG_PTR n : {30u, 10u, 20u, 5u})
        list.Add(n);
    EXPECT_EQ(list.measured, (std::vector<UINT>{0, 0, 1, 0})) << "each item at the index it went to";
    EXPECT_GT(list.comparisons, 0) << "a sorted list without strings asks its owner";
    EXPECT_EQ(list.GetItemData(0), 5u);
    EXPECT_EQ(list.GetItemData(3), 30u);
    EXPECT_EQ(list.GetItemHeight(1), 20);
    ULONG_PTR data = 0;
    EXPECT_EQ(list.GetText(2, reinterpret_cast<LPSTR>(&data)), static_cast<int>(sizeof(ULONG_PTR)));
    EXPECT_EQ(data, 20u) << "an item without a string gives its data as its text";
    EXPECT_EQ(list.FindString(-1, reinterpret_cast<LPCSTR>(ULONG_PTR{20})), 2);

    m_driver.Pump();
    std::vector<UINT> ids;
    for (const DRAWITEMSTRUCT& dis : list.drawn)
        ids.push_back(dis.itemID);
    EXPECT_EQ(ids, (std::vector<UINT>{0, 1, 2})) << "the fourth item is below the 60 pixels shown";
    ASSERT_EQ(list.drawn.size(), 3u);
    EXPECT_EQ(list.drawn[1].CtlType, static_cast<UINT>(ODT_LISTBOX));
    EXPECT_EQ(list.drawn[1].hwndItem, list.m_hWnd);
    EXPECT_EQ(CRect(list.drawn[1].rcItem), CRect(0, 15, 100, 35));
    EXPECT_EQ(list.drawn[2].itemData, 20u);

    BOOL outside = TRUE;
    EXPECT_EQ(list.ItemFromPoint(CPoint(5, 36), outside), 2u);
    list.drawn.clear();
    m_driver.Click(list, CPoint(5, 20));
    m_driver.Pump();
    const auto item1 = std::find_if(list.drawn.begin(), list.drawn.end(),
                                    [](const DRAWITEMSTRUCT& d) { return d.itemID == 1; });
    ASSERT_NE(item1, list.drawn.end());
    EXPECT_EQ(item1->itemState, ODS_SELECTED | ODS_FOCUS);

    list.DeleteString(0);
    EXPECT_EQ(list.deleted, std::vector<ULONG_PTR>{5});
    list.ResetContent();
    EXPECT_EQ(list.deleted, (std::vector<ULONG_PTR>{5, 10, 20, 30}));
}

TEST_F(ListBoxTest, AFixedOwnerDrawnListMeasuresOnceAndAnEmptyOneStillShowsTheFocus)
{
    NumberList list;
    ASSERT_TRUE(list.Create(WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, CRect(10, 10, 110, 70),
                            &m_parent, kListId));
    EXPECT_EQ(list.measured, std::vector<UINT>{0}) << "one item height for all, asked at creation";
    EXPECT_EQ(list.GetItemHeight(5), 10);
    list.SetFocus();
    m_driver.Pump();
    ASSERT_EQ(list.drawn.size(), 1u);
    EXPECT_EQ(list.drawn[0].itemID, static_cast<UINT>(-1)) << "no items: item -1 with the focus";
    EXPECT_EQ(list.drawn[0].itemAction, static_cast<UINT>(ODA_FOCUS));
    EXPECT_EQ(CRect(list.drawn[0].rcItem), CRect(0, 0, 100, 10));

    list.AddString("kept as text");
    std::string text;
    list.GetText(0, text);
    EXPECT_EQ(text, "kept as text");
    EXPECT_EQ(list.measured.size(), 1u);
}

TEST_F(ListBoxTest, WantKeyboardInputLetsTheParentDecide)
{
    CListBox list;
    MakeList(list, LBS_WANTKEYBOARDINPUT | LBS_NOTIFY, 20);
    std::vector<UINT> keys;
    m_parent.onKeyToItem = [&](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
    {
        EXPECT_EQ(message, WM_VKEYTOITEM);
        EXPECT_EQ(reinterpret_cast<HWND>(lParam), list.m_hWnd);
        keys.push_back(LOWORD(wParam));
        switch (LOWORD(wParam))
        {
        case VK_DOWN:
            return -2; // handled here
        case VK_NEXT:
            return 7; // go to item 7
        default:
            return -1;
        }
    };
    list.SetFocus();
    list.SetCurSel(3);
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(list.GetCurSel(), 3);
    m_driver.Press(VK_NEXT);
    EXPECT_EQ(list.GetCurSel(), 7);
    m_driver.Press(VK_END);
    EXPECT_EQ(list.GetCurSel(), 19);
    EXPECT_EQ(keys, (std::vector<UINT>{VK_DOWN, VK_NEXT, VK_END}));
}

} // namespace
