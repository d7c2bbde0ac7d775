// The report list view driven through real input: scrolling, mouse and keyboard selection,
// check boxes, hit tests, columns, sorting and the notifications the parent receives.
#include "ListTestSupport.h"

#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <random>

using listtest::Note;
using listtest::RecordingParent;
using winlib::testing::Ctrl;
using winlib::testing::Driver;
using winlib::testing::Shift;

namespace
{

class ListViewTest : public ::testing::Test
{
protected:
    void MakeList(int rows, DWORD style = LVS_REPORT | LVS_SHOWSELALWAYS,
                  DWORD exStyle = LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES,
                  CRect rect = CRect(10, 10, 410, 250))
    {
        ASSERT_TRUE(list.Create(style | WS_VISIBLE, rect, parent.get(), 77));
        list.SetExtendedStyle(exStyle);
        list.InsertColumn(0, "Key", LVCFMT_LEFT, 100);
        list.InsertColumn(1, "Name", LVCFMT_LEFT, 100);
        list.InsertColumn(2, "Amount", LVCFMT_RIGHT, 100);
        for (int i = 0; i < rows; ++i)
        {
            const std::string n = std::to_string(i);
            list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, ("key" + n).c_str(), 0, 0, 0, 1000 + i);
            list.SetItemText(i, 1, ("name" + n).c_str());
            list.SetItemText(i, 2, n.c_str());
        }
        driver.Pump();
        parent->Clear();
    }

    CRect Rect(int item, UINT code = LVIR_BOUNDS) const
    {
        CRect r;
        list.GetItemRect(item, &r, code);
        return r;
    }
    // A point inside a row's label, away from the check box.
    POINT RowPoint(int item) const
    {
        const CRect label = Rect(item, LVIR_LABEL);
        return POINT{label.left + 20, label.top + label.Height() / 2};
    }
    std::vector<int> Selected() const
    {
        std::vector<int> items;
        POSITION pos = list.GetFirstSelectedItemPosition();
        while (pos)
            items.push_back(list.GetNextSelectedItem(pos));
        return items;
    }
    static std::vector<int> Range(int first, int last)
    {
        std::vector<int> items;
        for (int i = first; i <= last; ++i)
            items.push_back(i);
        return items;
    }

    Driver driver;
    std::unique_ptr<RecordingParent> parent = std::make_unique<RecordingParent>();
    CListCtrl list;
};

TEST_F(ListViewTest, ScrollsByWheelBarAndThumbInWholeRows)
{
    MakeList(300);
    const int perPage = list.GetCountPerPage();
    ASSERT_GT(perPage, 3);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(list, SB_VERT, &info);
    EXPECT_EQ(info.nMax, 299);
    EXPECT_EQ(static_cast<int>(info.nPage), perPage);
    // The header sits on top of the first row.
    CRect header;
    list.GetHeaderCtrl()->GetWindowRect(&header);
    list.ScreenToClient(&header);
    EXPECT_EQ(Rect(0).top, header.bottom);

    driver.Wheel(list, RowPoint(0), -WHEEL_DELTA);
    EXPECT_EQ(list.GetTopIndex(), 3);
    driver.Wheel(list, RowPoint(3), WHEEL_DELTA / 2);
    EXPECT_EQ(list.GetTopIndex(), 3) << "half a notch does not scroll yet";
    driver.Wheel(list, RowPoint(3), WHEEL_DELTA / 2);
    EXPECT_EQ(list.GetTopIndex(), 0);

    // The bar's down arrow moves one row, and the first visible row moves to the top.
    CRect window;
    list.GetWindowRect(&window);
    driver.ClickScreen(POINT{window.right - 8, window.bottom - 8});
    EXPECT_EQ(list.GetTopIndex(), 1);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 1);
    EXPECT_EQ(Rect(1).top, header.bottom);

    // Dragging the thumb to the end of its track reaches the last page.
    list.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(list.GetTopIndex(), 1 + perPage);
    namespace input = winlib::input;
    GetScrollInfo(list, SB_VERT, &info);
    const int arrow = GetSystemMetrics(SM_CYVSCROLL);
    const int track = window.Height() - 2 * arrow;
    const int thumb = std::max(8, track * static_cast<int>(info.nPage) / (info.nMax + 1));
    const int range = info.nMax + 1 - static_cast<int>(info.nPage);
    const int thumbY = window.top + arrow + (track - thumb) * info.nPos / range + thumb / 2;
    input::MouseButton(POINT{window.right - 8, thumbY}, input::Button::Left, true);
    driver.Pump();
    input::MouseMove(POINT{window.right - 8, window.bottom + 200});
    driver.Pump();
    EXPECT_EQ(list.GetTopIndex(), 300 - perPage) << "the list follows the thumb while it is dragged";
    input::MouseButton(POINT{window.right - 8, window.bottom + 200}, input::Button::Left, false);
    driver.Pump();
    EXPECT_EQ(list.GetTopIndex(), 300 - perPage);

    // EnsureVisible scrolls only as far as needed, and Scroll rounds to whole rows.
    list.EnsureVisible(10, FALSE);
    EXPECT_EQ(list.GetTopIndex(), 10);
    list.EnsureVisible(10 + perPage, FALSE);
    EXPECT_EQ(list.GetTopIndex(), 11);
    const int row = Rect(0).Height();
    list.Scroll(CSize(0, row * 2 + row / 2 + 1));
    EXPECT_EQ(list.GetTopIndex(), 14);
    list.Scroll(CSize(0, -row * 100));
    EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(ListViewTest, ClickShiftClickAndCtrlClickSelectAndNotify)
{
    MakeList(300);
    list.EnsureVisible(120, FALSE);
    const int top = list.GetTopIndex();
    const int first = top + 1;
    const int last = top + 5;

    driver.Click(list, RowPoint(first));
    EXPECT_EQ(GetFocus(), list.m_hWnd);
    EXPECT_EQ(parent->Count(NM_SETFOCUS), 1) << "the click takes the focus";
    EXPECT_EQ(Selected(), std::vector<int>{first});
    EXPECT_EQ(list.GetItemState(first, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.GetSelectionMark(), first);
    ASSERT_EQ(parent->Count(NM_CLICK), 1);
    const Note click = parent->Of(NM_CLICK)[0];
    EXPECT_EQ(click.item, first);
    EXPECT_EQ(click.subItem, 0);
    EXPECT_EQ(click.point.y, RowPoint(first).y);
    EXPECT_EQ(click.lParam, 1000 + first);
    const std::vector<Note> changes = parent->Of(LVN_ITEMCHANGED);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back().item, first);
    EXPECT_EQ(changes.back().changed, static_cast<UINT>(LVIF_STATE));
    EXPECT_TRUE(changes.back().newState & LVIS_FOCUSED);
    EXPECT_EQ(parent->Events().back(), NM_CLICK) << "the click is reported after the selection changed";

    parent->Clear();
    driver.Click(list, RowPoint(last), Shift);
    EXPECT_EQ(Selected(), Range(first, last));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), last);
    EXPECT_EQ(list.GetSelectionMark(), first) << "Shift+click keeps the anchor";
    ASSERT_EQ(parent->Count(NM_CLICK), 1);
    EXPECT_TRUE(parent->Of(NM_CLICK)[0].keyFlags & LVKF_SHIFT);

    driver.Click(list, RowPoint(first + 2), Ctrl);
    EXPECT_EQ(Selected(), (std::vector<int>{first, first + 1, first + 3, first + 4}));
    EXPECT_EQ(list.GetSelectionMark(), first + 2);

    // A plain click on one of several selected rows leaves only that one once released.
    driver.MouseDown(list, RowPoint(first + 3));
    EXPECT_EQ(list.GetSelectedCount(), 4U);
    driver.MouseUp(list, RowPoint(first + 3));
    EXPECT_EQ(Selected(), std::vector<int>{first + 3});

    // A click below the last row clears the selection.
    list.EnsureVisible(299, FALSE);
    const CRect lastRow = Rect(299);
    CRect client;
    list.GetClientRect(&client);
    ASSERT_LT(lastRow.bottom, client.bottom - 2) << "the list leaves part of a row empty below the last";
    driver.Click(list, POINT{50, client.bottom - 1});
    EXPECT_EQ(list.GetSelectedCount(), 0U);
    EXPECT_EQ(parent->Of(NM_CLICK).back().item, -1);
    ::SetFocus(*parent);
    EXPECT_EQ(parent->Count(NM_KILLFOCUS), 1);
}

TEST_F(ListViewTest, ShiftClickClearsACtrlSelectedItemOutsideTheRangeFromTheAnchor)
{
    MakeList(20);
    driver.Click(list, RowPoint(12));
    driver.Click(list, RowPoint(2), Ctrl);
    ASSERT_EQ(Selected(), (std::vector<int>{2, 12}));
    ASSERT_EQ(list.GetSelectionMark(), 2) << "the Ctrl+click moved the anchor";
    driver.Click(list, RowPoint(5), Shift);
    EXPECT_EQ(Selected(), Range(2, 5)) << "row 12 lies outside the range and is cleared";
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 5);
    EXPECT_EQ(list.GetSelectionMark(), 2);
}

TEST_F(ListViewTest, SingleSelectionListKeepsOneSelectedAndVetoesAreHonoured)
{
    MakeList(20, LVS_REPORT | LVS_SINGLESEL);
    driver.Click(list, RowPoint(2));
    driver.Click(list, RowPoint(6), Shift);
    EXPECT_EQ(Selected(), std::vector<int>{6});
    driver.Click(list, RowPoint(8), Ctrl);
    EXPECT_EQ(Selected(), std::vector<int>{8});
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(Selected(), std::vector<int>{3});

    // A parent answering TRUE to LVN_ITEMCHANGING keeps the item as it is.
    parent->Clear();
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == LVN_ITEMCHANGING ? TRUE : FALSE; };
    driver.Click(list, RowPoint(5));
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(parent->Count(LVN_ITEMCHANGED), 0);
}

TEST_F(ListViewTest, KeyboardMovesFocusAndExtendsSelection)
{
    MakeList(300);
    const int perPage = list.GetCountPerPage();
    driver.Click(list, RowPoint(2));
    parent->Clear();

    driver.Press(VK_DOWN);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    driver.Press(VK_DOWN, Shift);
    driver.Press(VK_DOWN, Shift);
    EXPECT_EQ(Selected(), Range(3, 5));
    driver.Press(VK_UP, Shift);
    EXPECT_EQ(Selected(), Range(3, 4));
    // Ctrl moves the focus alone; Ctrl+Space then adds the focused row.
    driver.Press(VK_DOWN, Ctrl);
    driver.Press(VK_DOWN, Ctrl);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 6);
    EXPECT_EQ(Selected(), Range(3, 4));
    driver.Press(VK_SPACE, Ctrl);
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4, 6}));

    // Every key reaches the parent as LVN_KEYDOWN, modifiers included.
    std::vector<UINT> keys;
    for (const Note& n : parent->Of(LVN_KEYDOWN))
        keys.push_back(n.key);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), static_cast<UINT>(VK_DOWN)), 5);
    EXPECT_EQ(std::count(keys.begin(), keys.end(), static_cast<UINT>(VK_SHIFT)), 3);

    driver.Press(VK_END);
    EXPECT_EQ(Selected(), std::vector<int>{299});
    EXPECT_EQ(list.GetTopIndex(), 300 - perPage);
    driver.Press(VK_HOME);
    EXPECT_EQ(Selected(), std::vector<int>{0});
    EXPECT_EQ(list.GetTopIndex(), 0);
    driver.Press(VK_NEXT);
    EXPECT_EQ(Selected(), std::vector<int>{perPage - 1}) << "first to the bottom of the page";
    driver.Press(VK_NEXT);
    EXPECT_EQ(Selected(), std::vector<int>{2 * perPage - 1});
    EXPECT_EQ(list.GetTopIndex(), perPage);
    driver.Press(VK_PRIOR);
    EXPECT_EQ(Selected(), std::vector<int>{perPage}) << "first to the top of the page";
    driver.Press(VK_END, Shift);
    EXPECT_EQ(list.GetSelectedCount(), static_cast<UINT>(300 - perPage));
    EXPECT_EQ(SendMessage(list, WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_WANTARROWS | DLGC_WANTCHARS));
}

TEST_F(ListViewTest, CheckBoxesToggleByClickAndSpace)
{
    MakeList(30);
    EXPECT_FALSE(list.GetCheck(4)) << "check boxes start unchecked";
    const CRect bounds = Rect(4);
    LVHITTESTINFO hit{};
    hit.pt = POINT{bounds.left + 8, bounds.top + bounds.Height() / 2};
    EXPECT_EQ(list.HitTest(&hit), 4);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMSTATEICON));

    driver.Click(list, hit.pt);
    EXPECT_TRUE(list.GetCheck(4));
    const std::vector<Note> changes = parent->Of(LVN_ITEMCHANGED);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes[0].item, 4);
    EXPECT_EQ(changes[0].newState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(changes[0].oldState & LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(list.GetSelectedCount(), 0U) << "the box toggles without selecting";
    driver.Click(list, hit.pt);
    EXPECT_FALSE(list.GetCheck(4));

    // Space toggles the focused row, and every selected row with it.
    driver.Click(list, RowPoint(7));
    driver.Click(list, RowPoint(9), Shift);
    driver.Press(VK_SPACE);
    EXPECT_TRUE(list.GetCheck(7));
    EXPECT_TRUE(list.GetCheck(8));
    EXPECT_TRUE(list.GetCheck(9));
    EXPECT_FALSE(list.GetCheck(10));
    list.SetCheck(9, FALSE);
    EXPECT_FALSE(list.GetCheck(9));

    // A double click on a box toggles it once: the first press does, the double-click press not.
    parent->Clear();
    driver.DoubleClick(list, hit.pt);
    EXPECT_TRUE(list.GetCheck(4));
    driver.DoubleClick(list, hit.pt);
    EXPECT_FALSE(list.GetCheck(4));
    const std::vector<Note> toggles = parent->Of(LVN_ITEMCHANGED);
    EXPECT_EQ(std::count_if(toggles.begin(), toggles.end(),
                            [](const Note& n) { return n.item == 4 && (n.changed & LVIF_STATE); }),
              2);
}

TEST_F(ListViewTest, DoubleClickRightClickEnterAndDragNotify)
{
    MakeList(10);
    driver.DoubleClick(list, RowPoint(3));
    std::vector<UINT> events = parent->Events();
    const auto dbl = std::find(events.begin(), events.end(), NM_DBLCLK);
    ASSERT_NE(dbl, events.end());
    ASSERT_NE(dbl + 1, events.end());
    EXPECT_EQ(*(dbl + 1), LVN_ITEMACTIVATE);
    EXPECT_EQ(parent->Count(NM_CLICK), 1) << "only the first press of a double click is a click";
    EXPECT_EQ(parent->Of(LVN_ITEMACTIVATE)[0].item, 3);

    parent->Clear();
    driver.RightClick(list, RowPoint(5));
    ASSERT_EQ(parent->Count(NM_RCLICK), 1);
    EXPECT_EQ(parent->Of(NM_RCLICK)[0].item, 5);
    EXPECT_EQ(Selected(), std::vector<int>{5});
    EXPECT_EQ(parent->contextMenus, 1) << "an unanswered right click becomes a context menu";
    parent->answer = [](NMHDR* h) -> LRESULT { return h->code == NM_RCLICK ? 1 : 0; };
    driver.RightClick(list, RowPoint(5));
    EXPECT_EQ(parent->contextMenus, 1);
    parent->answer = nullptr;

    parent->Clear();
    driver.Press(VK_RETURN);
    EXPECT_EQ(parent->Events(), (std::vector<UINT>{LVN_KEYDOWN, NM_RETURN, LVN_ITEMACTIVATE}));

    // Dragging a row past the drag distance hands the drag to the parent.
    parent->Clear();
    const POINT from = RowPoint(2);
    driver.Drag(list, from, POINT{from.x + 2, from.y + 40});
    ASSERT_EQ(parent->Count(LVN_BEGINDRAG), 1);
    EXPECT_EQ(parent->Of(LVN_BEGINDRAG)[0].item, 2);
    EXPECT_EQ(parent->Of(LVN_BEGINDRAG)[0].point.y, from.y);
    EXPECT_EQ(parent->Count(NM_CLICK), 0) << "a drag is not a click";
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ListViewTest, HitTestsAndRectanglesAgreeWithTheHeader)
{
    MakeList(20, LVS_REPORT, LVS_EX_CHECKBOXES);
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    CRect column1;
    header->GetItemRect(1, &column1);
    CRect cell;
    ASSERT_TRUE(list.GetSubItemRect(2, 1, LVIR_BOUNDS, cell));
    EXPECT_EQ(cell.left, column1.left);
    EXPECT_EQ(cell.right, column1.right);
    EXPECT_EQ(cell.top, Rect(2).top);

    const CRect bounds = Rect(2);
    const CRect icon = Rect(2, LVIR_ICON);
    const CRect label = Rect(2, LVIR_LABEL);
    EXPECT_EQ(bounds.right - bounds.left, 300);
    EXPECT_GT(label.left, bounds.left) << "the check box comes first";
    EXPECT_EQ(label.right, column1.left);
    EXPECT_GE(icon.left, bounds.left);

    LVHITTESTINFO hit{};
    hit.pt = POINT{label.left + 5, label.top + 2};
    EXPECT_EQ(list.HitTest(&hit), 2);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
    // Without full-row select only the first column belongs to the item, but the
    // sub-item hit test still finds the cell.
    hit.pt = POINT{cell.left + 5, cell.top + 2};
    EXPECT_EQ(list.HitTest(&hit), -1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_NOWHERE));
    EXPECT_EQ(list.SubItemHitTest(&hit), 2);
    EXPECT_EQ(hit.iSubItem, 1);
    EXPECT_EQ(hit.flags, static_cast<UINT>(LVHT_ONITEMLABEL));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    EXPECT_EQ(list.HitTest(&hit), 2);

    CRect client;
    list.GetClientRect(&client);
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(CPoint(5, -3), &flags), -1);
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_ABOVE));
    EXPECT_EQ(list.HitTest(CPoint(client.right + 2, client.bottom + 2), &flags), -1);
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_BELOW | LVHT_TORIGHT));
    EXPECT_EQ(list.HitTest(CPoint(-1, 30), &flags), -1);
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_TOLEFT));
    EXPECT_EQ(list.HitTest(CPoint(350, Rect(2).top + 2), &flags), -1) << "right of the last column";
    EXPECT_EQ(flags, static_cast<UINT>(LVHT_NOWHERE));
    EXPECT_EQ(list.HitTest(CPoint(5, 3), &flags), -1) << "on the header";

    // Scrolled horizontally, rectangles move left and the header with them.
    list.SetColumnWidth(2, 500);
    list.Scroll(CSize(40, 0));
    CRect moved;
    list.GetSubItemRect(2, 1, LVIR_BOUNDS, moved);
    EXPECT_EQ(moved.left, cell.left - 40);
    CRect headerWindow;
    header->GetWindowRect(&headerWindow);
    list.ScreenToClient(&headerWindow);
    EXPECT_EQ(headerWindow.left, -40);
    EXPECT_EQ(GetScrollPos(list, SB_HORZ), 40) << "horizontal scrolling is in pixels";
    list.SendMessage(WM_HSCROLL, SB_LINELEFT);
    list.GetSubItemRect(2, 1, LVIR_BOUNDS, moved);
    EXPECT_GT(moved.left, cell.left - 40);
    list.SendMessage(WM_HSCROLL, SB_PAGELEFT);
    EXPECT_EQ(GetScrollPos(list, SB_HORZ), 0);
    list.GetSubItemRect(2, 1, LVIR_BOUNDS, moved);
    EXPECT_EQ(moved.left, cell.left);
    EXPECT_FALSE(list.GetItemRect(20, &moved, LVIR_BOUNDS));
}

TEST_F(ListViewTest, ColumnsInsertDeleteGetSetAndAutoSize)
{
    MakeList(5, LVS_REPORT, 0);
    char text[32] = {};
    LVCOLUMN column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM | LVCF_ORDER;
    column.pszText = text;
    column.cchTextMax = sizeof(text);
    ASSERT_TRUE(list.GetColumn(2, &column));
    EXPECT_STREQ(text, "Amount");
    EXPECT_EQ(column.cx, 100);
    EXPECT_EQ(column.fmt, LVCFMT_RIGHT);
    EXPECT_EQ(column.iSubItem, 2);
    EXPECT_EQ(column.iOrder, 2);

    // Deleting a column takes its sub-items with it.
    ASSERT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(3, 1), "3");
    EXPECT_EQ(list.GetItemText(3, 0), "key3");
    EXPECT_EQ(list.InsertColumn(1, "Note", LVCFMT_CENTER, 60), 1);
    EXPECT_EQ(list.GetItemText(3, 1), "");
    EXPECT_EQ(list.GetItemText(3, 2), "3");
    EXPECT_FALSE(list.SetItemText(3, 5, "beyond the columns"));

    LVCOLUMN change{};
    change.mask = LVCF_TEXT;
    change.pszText = const_cast<char*>("Total");
    list.SetColumn(2, &change);
    column.mask = LVCF_TEXT;
    list.GetColumn(2, &column);
    EXPECT_STREQ(text, "Total");

    // LVSCW_AUTOSIZE fits the widest text in the list's font.
    list.SetItemText(2, 1, "a much longer note than the others");
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    const int fitted = list.GetColumnWidth(1);
    const int longest = list.GetStringWidth("a much longer note than the others");
    EXPECT_GT(fitted, longest);
    EXPECT_LT(fitted, longest + 20);
    list.SetItemText(2, 1, "short");
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_EQ(list.GetColumnWidth(1) - fitted, list.GetStringWidth("short") - longest);

    // With the header text, wider than "short"; the last column takes the rest of the client.
    list.SetColumnWidth(1, 10);
    list.SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_GE(list.GetColumnWidth(1), list.GetStringWidth("Note"));
    list.SetColumnWidth(2, LVSCW_AUTOSIZE_USEHEADER);
    CRect client;
    list.GetClientRect(&client);
    EXPECT_EQ(list.GetColumnWidth(0) + list.GetColumnWidth(1) + list.GetColumnWidth(2), client.Width());

    // The order array moves columns; the list paints and hit-tests in that order.
    int order[3] = {2, 0, 1};
    ASSERT_TRUE(list.SetColumnOrderArray(3, order));
    int back[3] = {};
    ASSERT_TRUE(list.GetColumnOrderArray(back, 3));
    EXPECT_EQ(std::vector<int>(back, back + 3), std::vector<int>(order, order + 3));
    CRect first;
    list.GetSubItemRect(0, 2, LVIR_BOUNDS, first);
    EXPECT_EQ(first.left, 0);
    int bad[3] = {0, 0, 1};
    EXPECT_FALSE(list.SetColumnOrderArray(3, bad));
}

TEST_F(ListViewTest, ItemsInsertDeleteAndTheirNotifications)
{
    MakeList(3, LVS_REPORT, 0);
    EXPECT_EQ(list.InsertItem(1, "inserted"), 1);
    EXPECT_EQ(parent->Of(LVN_INSERTITEM).back().item, 1);
    EXPECT_EQ(list.GetItemText(2, 0), "key1");
    list.SetItemState(2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    list.SetSelectionMark(2);
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(parent->Of(LVN_DELETEITEM).back().item, 1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1) << "the focus follows its item";
    EXPECT_EQ(list.GetSelectionMark(), 1);
    EXPECT_EQ(list.GetItemData(1), static_cast<DWORD_PTR>(1001));

    // Text and image on demand, and what the parent asks the list to keep.
    list.InsertItem(LVIF_TEXT | LVIF_IMAGE, 0, LPSTR_TEXTCALLBACK, 0, 0, I_IMAGECALLBACK, 0);
    EXPECT_EQ(list.GetItemText(0, 0), "R0C0");
    parent->dispInfo = [](NMLVDISPINFO* di)
    {
        std::snprintf(di->item.pszText, static_cast<std::size_t>(di->item.cchTextMax), "kept");
        di->item.iImage = 7;
        di->item.mask |= LVIF_DI_SETITEM;
    };
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 0;
    ASSERT_TRUE(list.GetItem(&item));
    EXPECT_EQ(item.iImage, 7);
    EXPECT_EQ(list.GetItemText(0, 0), "kept");
    parent->dispInfo = nullptr;
    EXPECT_EQ(list.GetItemText(0, 0), "kept") << "LVIF_DI_SETITEM stores the answer";

    parent->Clear();
    list.DeleteAllItems();
    EXPECT_EQ(parent->Count(LVN_DELETEALLITEMS), 1);
    EXPECT_EQ(parent->Count(LVN_DELETEITEM), 4);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), -1);
}

int ByDataDescending(LPARAM a, LPARAM b, LPARAM)
{
    return a < b ? 1 : (a > b ? -1 : 0);
}

struct SortProbe
{
    CListCtrl* list;
    std::vector<std::string> seen;
};

int ByTextOfIndex(LPARAM a, LPARAM b, LPARAM data)
{
    auto* probe = reinterpret_cast<SortProbe*>(data);
    const std::string ta = probe->list->GetItemText(static_cast<int>(a), 1);
    const std::string tb = probe->list->GetItemText(static_cast<int>(b), 1);
    probe->seen.push_back(ta);
    return ta.compare(tb);
}

TEST_F(ListViewTest, SortingKeepsStatesWithTheirItems)
{
    MakeList(6, LVS_REPORT, 0);
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_TRUE(list.SortItems(ByDataDescending, 0));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(1005 - i));
    EXPECT_EQ(Selected(), std::vector<int>{4});
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 4);

    // SortItemsEx passes indexes, and the rows stay put while the callback reads them.
    const char* names[] = {"pear", "apple", "fig", "date", "kiwi", "cherry"};
    for (int i = 0; i < 6; ++i)
        list.SetItemText(i, 1, names[i]);
    SortProbe probe{&list, {}};
    ASSERT_TRUE(list.SortItemsEx(ByTextOfIndex, reinterpret_cast<DWORD_PTR>(&probe)));
    std::vector<std::string> sorted;
    for (int i = 0; i < 6; ++i)
        sorted.push_back(list.GetItemText(i, 1));
    EXPECT_EQ(sorted, (std::vector<std::string>{"apple", "cherry", "date", "fig", "kiwi", "pear"}));
    for (const std::string& name : probe.seen)
        EXPECT_NE(std::find(std::begin(names), std::end(names), name), std::end(names));
}

// A comparison that is no order at all: the rows end where the list's own merge puts them.
int Capricious(LPARAM a, LPARAM b, LPARAM)
{
    return static_cast<int>((a * 7 + b * 3) % 3) - 1;
}

TEST_F(ListViewTest, ALongListIsMergedInPassesOfRunsOfOneTwoFour)
{
    constexpr int kRows = 9000;
    MakeList(0, LVS_REPORT, 0);
    for (int i = 0; i < kRows; ++i)
        list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, "", 0, 0, 0, (i * 7919) % kRows);
    std::vector<LPARAM> expected(kRows);
    for (int i = 0; i < kRows; ++i)
        expected[static_cast<std::size_t>(i)] = static_cast<LPARAM>(list.GetItemData(i));
    std::vector<LPARAM> scratch(expected.size());
    for (std::size_t width = 1; width < expected.size(); width *= 2)
    {
        for (std::size_t lo = 0; lo < expected.size(); lo += 2 * width)
        {
            const std::size_t mid = std::min(lo + width, expected.size());
            const std::size_t hi = std::min(lo + 2 * width, expected.size());
            std::size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                scratch[out++] = Capricious(expected[b], expected[a], 0) < 0 ? expected[b++] : expected[a++];
            while (a < mid)
                scratch[out++] = expected[a++];
            while (b < hi)
                scratch[out++] = expected[b++];
        }
        expected.swap(scratch);
    }
    ASSERT_TRUE(list.SortItems(Capricious, 0));
    for (int i = 0; i < kRows; ++i)
        ASSERT_EQ(static_cast<LPARAM>(list.GetItemData(i)), expected[static_cast<std::size_t>(i)])
            << "row " << i;
}

// The texts handed over, in item order; each item must come at most once, whatever the order.
std::vector<std::string> ColumnTexts(const CListCtrl& list, int subItem, int* count = nullptr)
{
    std::map<int, std::string> byItem;
    const int read = list.GetColumnTexts(
        subItem,
        [](int item, LPCSTR text, int length, LPARAM param)
        {
            auto* out = reinterpret_cast<std::map<int, std::string>*>(param);
            EXPECT_TRUE(out->emplace(item, std::string(text, static_cast<std::size_t>(length))).second)
                << "item " << item << " came twice";
        },
        reinterpret_cast<LPARAM>(&byItem));
    if (count)
        *count = read;
    EXPECT_EQ(static_cast<std::size_t>(read), byItem.size()) << "the count is what was handed over";
    std::vector<std::string> texts;
    for (const auto& [item, text] : byItem)
    {
        EXPECT_GE(item, 0);
        EXPECT_LT(item, list.GetItemCount());
        texts.push_back(text);
    }
    return texts;
}

TEST_F(ListViewTest, AColumnIsReadWholeInOneMessageAsTheItemsShowIt)
{
    MakeList(3, LVS_REPORT, 0);
    const std::string longText = std::string(700, 'y') + "end";
    list.SetItemText(1, 2, longText.c_str());
    int count = 0;
    EXPECT_EQ(ColumnTexts(list, 2, &count), (std::vector<std::string>{"0", longText, "2"}));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(ColumnTexts(list, 7), (std::vector<std::string>{"", "", ""})) << "no such column";

    // A callback text is asked of the parent, in a buffer that grows until it fits.
    const std::string asked = std::string(5000, 'z') + "!";
    list.SetItemText(2, 1, LPSTR_TEXTCALLBACK);
    parent->dispInfo = [&](NMLVDISPINFO* di)
    { std::snprintf(di->item.pszText, static_cast<std::size_t>(di->item.cchTextMax), "%s", asked.c_str()); };
    EXPECT_EQ(ColumnTexts(list, 1), (std::vector<std::string>{"name0", "name1", asked}));

    // A long list is read in batches: every row once, in order, a callback text far down too.
    for (int i = 3; i < 203; ++i)
        list.InsertItem(i, ("key" + std::to_string(i)).c_str());
    list.SetItemText(130, 1, LPSTR_TEXTCALLBACK);
    list.SetItemText(202, 1, "last");
    const std::vector<std::string> texts = ColumnTexts(list, 1, &count);
    ASSERT_EQ(texts.size(), 203u);
    EXPECT_EQ(count, 203);
    EXPECT_EQ(texts[130], asked);
    EXPECT_EQ(texts[129], "");
    EXPECT_EQ(texts[202], "last");
    EXPECT_EQ(ColumnTexts(list, 0)[150], "key150");

    // A parent that deletes rows while it answers ends the reading there.
    parent->dispInfo = [&](NMLVDISPINFO*) { list.DeleteItem(0); };
    const std::vector<std::string> cut = ColumnTexts(list, 1, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(cut.size(), 2u) << "nothing handed over from the rows as they were";
    EXPECT_EQ(list.GetItemCount(), 202);
}

TEST_F(ListViewTest, AnOrderTheCallerComputedMovesRowsWithTheirStates)
{
    MakeList(5, LVS_REPORT, 0);
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetSelectionMark(3);
    const UINT order[] = {3, 1, 4, 0, 2};
    ASSERT_TRUE(list.SetItemOrder(order, 5));
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(1000 + order[i]));
        EXPECT_EQ(list.GetItemText(i, 1), "name" + std::to_string(order[i]));
    }
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(list.GetSelectionMark(), 0);

    // Anything but a permutation of every item changes nothing.
    const UINT repeated[] = {0, 1, 1, 3, 4};
    const UINT outside[] = {0, 1, 2, 3, 5};
    EXPECT_FALSE(list.SetItemOrder(repeated, 5));
    EXPECT_FALSE(list.SetItemOrder(outside, 5));
    EXPECT_FALSE(list.SetItemOrder(order, 4));
    EXPECT_FALSE(list.SetItemOrder(nullptr, 5));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(1000 + order[i]));
}

TEST_F(ListViewTest, TextsLongerThanTheFirstBufferAreReadWhole)
{
    MakeList(2, LVS_REPORT, 0);
    const std::string longText = std::string(1000, 'x') + "end";
    list.SetItemText(1, 1, longText.c_str());
    EXPECT_EQ(list.GetItemText(1, 1), longText);
    char small[8];
    EXPECT_EQ(list.GetItemText(1, 1, small, sizeof small), 7) << "a caller's own buffer cuts the text";
    EXPECT_STREQ(small, "xxxxxxx");
    EXPECT_EQ(list.GetItemText(0, 5), "") << "no such cell";
}

TEST(ListViewPaint, RedrawOffPaintsNothingUntilTheCallerRepaints)
{
    Driver recording(winlib::HeadlessDrawing::Recording);
    RecordingParent host;
    CListCtrl painted;
    ASSERT_TRUE(painted.Create(LVS_REPORT | WS_VISIBLE, CRect(0, 0, 300, 200), &host, 5));
    painted.InsertColumn(0, "A", LVCFMT_LEFT, 120);
    painted.InsertItem(0, "first");
    recording.Pump();
    recording.ClearDrawing();
    painted.SetRedraw(FALSE);
    painted.InsertItem(1, "second");
    painted.SetItemText(0, 0, "changed");
    recording.Pump();
    for (const auto& op : recording.Ops(painted))
        ADD_FAILURE() << "drawn while redraw was off: " << static_cast<int>(op.kind) << " " << op.text << " "
                      << op.local.left << "," << op.local.top;
    painted.SetRedraw(TRUE);
    painted.Invalidate();
    recording.Pump();
    const std::vector<std::string> texts = recording.TextStrings(painted);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "changed"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "second"), texts.end());
}


// What the list should hold: each row's item data and its texts by column.
struct ModelRow
{
    DWORD_PTR data;
    std::vector<std::string> texts;
};

// Every column read whole hands over every item once with that item's own text, whatever
// order the cells were read in; item by item reads agree.
void ExpectListHolds(const CListCtrl& list, const std::vector<ModelRow>& model, int columns, const char* step)
{
    ASSERT_EQ(list.GetItemCount(), static_cast<int>(model.size())) << step;
    for (int c = 0; c < columns; ++c)
    {
        int count = 0;
        const std::vector<std::string> texts = ColumnTexts(list, c, &count);
        ASSERT_EQ(count, static_cast<int>(model.size())) << step << ", column " << c;
        ASSERT_EQ(texts.size(), model.size()) << step << ", column " << c;
        for (std::size_t i = 0; i < model.size(); ++i)
        {
            ASSERT_EQ(texts[i], model[i].texts[static_cast<std::size_t>(c)])
                << step << ", item " << i << ", column " << c;
            ASSERT_EQ(list.GetItemText(static_cast<int>(i), c), model[i].texts[static_cast<std::size_t>(c)])
                << step << ", item " << i << ", column " << c;
        }
    }
    for (std::size_t i = 0; i < model.size(); ++i)
        ASSERT_EQ(list.GetItemData(static_cast<int>(i)), model[i].data) << step << ", item " << i;
}

TEST_F(ListViewTest, CellsFollowTheirRowsThroughOrdersInsertionsAndDeletions)
{
    MakeList(0, LVS_REPORT, 0);
    std::mt19937 random(7);
    std::vector<ModelRow> model;
    int made = 0;
    const auto insert = [&](int count)
    {
        for (int n = 0; n < count; ++n)
        {
            const int at = static_cast<int>(random() % (model.size() + 1));
            const std::string id = std::to_string(made++);
            ModelRow row{static_cast<DWORD_PTR>(5000 + made), {"k" + id, "n" + id, id}};
            if (made % 3 == 0)
                row.texts[1] = ""; // a row without that cell
            ASSERT_EQ(list.InsertItem(LVIF_TEXT | LVIF_PARAM, at, row.texts[0].c_str(), 0, 0, 0,
                                      static_cast<LPARAM>(row.data)),
                      at);
            if (!row.texts[1].empty())
                list.SetItemText(at, 1, row.texts[1].c_str());
            list.SetItemText(at, 2, row.texts[2].c_str());
            model.insert(model.begin() + at, row);
        }
    };
    const auto reorder = [&]
    {
        std::vector<UINT> order(model.size());
        std::iota(order.begin(), order.end(), 0u);
        std::shuffle(order.begin(), order.end(), random);
        ASSERT_TRUE(list.SetItemOrder(order.data(), static_cast<int>(order.size())));
        std::vector<ModelRow> moved;
        for (const UINT from : order)
            moved.push_back(model[from]);
        model.swap(moved);
    };
    const auto erase = [&](int count)
    {
        for (int n = 0; n < count; ++n)
        {
            const int at = static_cast<int>(random() % model.size());
            ASSERT_TRUE(list.DeleteItem(at));
            model.erase(model.begin() + at);
        }
    };

    insert(1500);
    ExpectListHolds(list, model, 3, "inserted");
    reorder();
    ExpectListHolds(list, model, 3, "sorted");
    erase(300);
    insert(200); // into the slots the deleted rows left
    reorder();
    ExpectListHolds(list, model, 3, "deleted, inserted and sorted again");
    // Most rows gone: the rest are laid out again, and must keep their own cells.
    erase(1100);
    ExpectListHolds(list, model, 3, "most rows deleted");
    reorder();
    insert(50);
    list.SetItemText(10, 1, "changed");
    model[10].texts[1] = "changed";
    ExpectListHolds(list, model, 3, "after the rows were laid out again");

    // A column inserted before the others shifts their cells with it, on every row.
    ASSERT_EQ(list.InsertColumn(1, "Inserted", LVCFMT_LEFT, 60), 1);
    for (ModelRow& row : model)
        row.texts.insert(row.texts.begin() + 1, "");
    list.SetItemText(3, 1, "new");
    model[3].texts[1] = "new";
    reorder();
    ExpectListHolds(list, model, 4, "a column inserted");
    ASSERT_TRUE(list.DeleteColumn(0));
    for (ModelRow& row : model)
        row.texts.erase(row.texts.begin());
    ExpectListHolds(list, model, 3, "the first column deleted");

    ASSERT_TRUE(list.DeleteAllItems());
    model.clear();
    insert(20);
    ExpectListHolds(list, model, 3, "emptied and filled again");
}

} // namespace
