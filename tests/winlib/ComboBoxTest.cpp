// The combo box as its users drive it: the drop-down list opened and closed by mouse and
// keys with the notifications in their order, the items' messages, owner draw through
// the class library's reflection and the drop-down with its edit (in a dialog: the dialog tests).
#include "winlib/Dialog.h"
#include "winlib/ListBox.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{

using winlib::DrawOp;
using winlib::testing::Alt;

constexpr int kItemHeight = 13; // list items in the default font
constexpr int kFieldHeight = 15;
constexpr int kComboHeight = kFieldHeight + 6;
constexpr int kComboId = 20;

class ParentWnd : public CWnd
{
public:
    std::vector<UINT> codes; // combo box notifications in arrival order
    HBRUSH editBrush = nullptr;
    std::function<void(UINT)> onCode;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == kComboId)
        {
            codes.push_back(HIWORD(wParam));
            if (onCode)
                onCode(HIWORD(wParam));
        }
        return CWnd::OnCommand(wParam, lParam);
    }

protected:
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) override
    {
        if (type == WM_CTLCOLOREDIT - WM_CTLCOLORMSGBOX && editBrush)
            return editBrush;
        return CWnd::OnCtlColor(dc, wnd, type);
    }
};

class ComboBoxTest : public ::testing::Test
{
protected:
    explicit ComboBoxTest(winlib::HeadlessDrawing drawing = winlib::HeadlessDrawing::Null) : m_driver(drawing)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 500), nullptr, 0));
    }

    void MakeCombo(CComboBox& combo, DWORD style, std::initializer_list<const char*> items, int height = 200)
    {
        ASSERT_TRUE(combo.Create(WS_VISIBLE | WS_TABSTOP | style, CRect(20, 20, 220, 20 + height), &m_parent,
                                 kComboId));
        for (const char* item : items)
            combo.AddString(item);
        m_driver.Pump();
        m_parent.codes.clear();
    }

    // The dropped list: the window just below the combo box.
    static HWND DroppedList(const CComboBox& combo)
    {
        CRect window;
        combo.GetWindowRect(&window);
        return WindowFromPoint(CPoint(window.left + 5, window.bottom + 3));
    }

    static CPoint ItemPoint(int index) { return CPoint(10, index * kItemHeight + kItemHeight / 2); }

    winlib::testing::Driver m_driver;
    ParentWnd m_parent;
};

class ComboBoxPaintTest : public ComboBoxTest
{
protected:
    ComboBoxPaintTest() : ComboBoxTest(winlib::HeadlessDrawing::Recording) {}
};

TEST_F(ComboBoxTest, ADropDownListOpensOnAClickAndAClickInTheListChooses)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST | WS_VSCROLL, {"red", "green", "blue", "cyan", "magenta"});
    CRect window;
    combo.GetWindowRect(&window);
    EXPECT_EQ(window.Height(), kComboHeight) << "the window is the field; the list drops below it";
    EXPECT_EQ(combo.GetItemHeight(-1), kFieldHeight);
    EXPECT_EQ(combo.GetItemHeight(0), kItemHeight);
    combo.SetCurSel(0);

    m_driver.Click(combo, CPoint(30, 10));
    EXPECT_TRUE(combo.GetDroppedState());
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_SETFOCUS, CBN_DROPDOWN}));
    EXPECT_EQ(GetFocus(), combo.m_hWnd) << "the focus stays on the combo box";
    const HWND list = DroppedList(combo);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetClassNameString(list), "ComboLBox");
    EXPECT_EQ(GetParent(list), m_parent.m_hWnd) << "a popup owned by the combo box's window";
    CRect listRect;
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect, CRect(window.left, window.bottom, window.right, window.bottom + 5 * kItemHeight + 2))
        << "below the combo box, as wide, as high as its five items";

    m_parent.codes.clear();
    m_driver.MouseMove(list, ItemPoint(3));
    EXPECT_EQ(combo.GetCurSel(), 0) << "the item under the mouse is not chosen yet";
    m_driver.Click(list, ItemPoint(2));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_SELENDOK, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetWindowText(), "blue");

    m_parent.codes.clear();
    m_driver.Click(combo, CPoint(30, 10));
    m_driver.Click(list, ItemPoint(2));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP}))
        << "the same item again is no change";

    m_parent.codes.clear();
    m_driver.Click(combo, CPoint(30, 10));
    m_driver.Click(combo, CPoint(30, 10));
    EXPECT_FALSE(combo.GetDroppedState()) << "a second click on the combo box closes it";
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, EscapeAClickOutsideAndTheFocusLeavingCancel)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST, {"one", "two", "three", "four", "five"});
    combo.SetCurSel(1);
    combo.SetFocus();
    m_parent.codes.clear();

    m_driver.Press(VK_F4);
    EXPECT_TRUE(combo.GetDroppedState());
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(SendMessage(DroppedList(combo), LB_GETCURSEL, 0, 0), 3) << "the list follows the keys";
    EXPECT_EQ(combo.GetCurSel(), 1);
    m_driver.Press(VK_ESCAPE);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetWindowText(), "two");

    m_parent.codes.clear();
    m_driver.Press(VK_DOWN, Alt);
    EXPECT_TRUE(combo.GetDroppedState());
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_RETURN);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDOK, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(combo.GetCurSel(), 2);

    m_parent.codes.clear();
    m_driver.Click(combo, CPoint(30, 10));
    const HWND list = DroppedList(combo);
    m_driver.MouseMove(list, ItemPoint(4));
    m_driver.Click(m_parent, CPoint(350, 350));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2) << "the list is back on the selection";

    CComboBox other;
    ASSERT_TRUE(
        other.Create(WS_VISIBLE | CBS_DROPDOWNLIST, CRect(250, 20, 350, 120), &m_parent, kComboId + 1));
    m_parent.codes.clear();
    combo.ShowDropDown();
    other.SetFocus();
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(m_parent.codes,
              (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
}

TEST_F(ComboBoxTest, KeysChangeTheSelectionOfAClosedDropDownList)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST, {"alpha", "bravo", "charlie", "delta", "echo"});
    combo.SetFocus();
    m_parent.codes.clear();
    // From no selection Down takes the first item.
    for (const auto& [key, selected] :
         {std::pair{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_END, 4}, {VK_UP, 3}, {VK_HOME, 0}})
    {
        m_driver.Press(key);
        EXPECT_EQ(combo.GetCurSel(), selected) << "after key " << key;
    }
    m_driver.Type("c");
    EXPECT_EQ(combo.GetCurSel(), 2) << "type-ahead";
    EXPECT_EQ(combo.GetWindowText(), "charlie");
    m_driver.Press(VK_HOME);
    m_driver.Press(VK_HOME);
    EXPECT_EQ(m_parent.codes, std::vector<UINT>(7, CBN_SELCHANGE))
        << "one per change, none for Home at the top";
    EXPECT_FALSE(combo.GetDroppedState());
}

TEST_F(ComboBoxTest, ItemMessagesAnswerAsWindowsDoes)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST | CBS_SORT, {});
    EXPECT_EQ(combo.AddString("Delta"), 0);
    EXPECT_EQ(combo.AddString("alpha"), 0);
    EXPECT_EQ(combo.AddString("Charlie"), 1);
    EXPECT_EQ(combo.AddString("bravo"), 1);
    EXPECT_EQ(combo.FindString(-1, "c"), 2);
    EXPECT_EQ(combo.FindString(2, ""), 3) << "the search starts after the given item";
    EXPECT_EQ(combo.FindStringExact(-1, "CHARLIE"), 2);
    EXPECT_EQ(combo.FindStringExact(-1, "char"), CB_ERR);

    EXPECT_EQ(combo.SelectString(-1, "d"), 3);
    EXPECT_EQ(combo.GetCurSel(), 3);
    EXPECT_EQ(combo.GetWindowText(), "Delta");
    EXPECT_EQ(combo.SelectString(-1, "zulu"), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), 3) << "no match leaves the selection";
    EXPECT_TRUE(m_parent.codes.empty()) << "no notification for selections by message";

    std::string text;
    combo.GetLBText(1, text);
    EXPECT_EQ(text, "bravo");
    EXPECT_EQ(combo.GetLBTextLen(1), 5);
    EXPECT_EQ(combo.GetLBTextLen(9), CB_ERR);
    char buffer[8] = {};
    EXPECT_EQ(combo.GetLBText(9, buffer), CB_ERR);
    int payload = 0;
    EXPECT_NE(combo.SetItemDataPtr(1, &payload), CB_ERR);
    EXPECT_EQ(combo.GetItemDataPtr(1), &payload);
    EXPECT_EQ(combo.SetItemData(9, 1), CB_ERR);

    EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR) << "a bad index clears the selection";
    combo.SetCurSel(2);
    EXPECT_EQ(combo.DeleteString(2), 3);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.GetWindowTextLength(), 0);

    EXPECT_EQ(combo.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), CB_ERR)
        << "no edit to take text";
    EXPECT_EQ(combo.SendMessage(CB_GETEDITSEL), CB_ERR);
    EXPECT_EQ(combo.SetDroppedWidth(300), 300);
    EXPECT_EQ(combo.GetDroppedWidth(), 300);
    EXPECT_EQ(combo.SetDroppedWidth(50), 200) << "never narrower than the combo box";
    EXPECT_EQ(combo.SetItemHeight(-1, 0), CB_ERR);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ComboBoxTest, TheDroppedHeightComesFromCreationAndTheListGoesAboveWithoutRoom)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST | WS_VSCROLL, {}, kComboHeight + 2 + 5 * kItemHeight);
    for (int i = 0; i < 30; ++i)
        combo.AddString(std::to_string(i).c_str());
    CRect window;
    combo.GetWindowRect(&window);
    CRect dropped;
    combo.GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped, CRect(window.left, window.top, window.right, window.bottom + 5 * kItemHeight + 2));

    combo.SetCurSel(20);
    combo.ShowDropDown();
    const HWND list = DroppedList(combo);
    CRect listRect;
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.Height(), 5 * kItemHeight + 2) << "five of the thirty items fit";
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 20) << "the selection at the top of the list";
    combo.ShowDropDown(FALSE);
    combo.SetCurSel(28);
    combo.ShowDropDown();
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 25) << "as far as the last items allow";
    combo.ShowDropDown(FALSE);

    combo.MoveWindow(20, 20, 200, 300);
    combo.GetWindowRect(&window);
    EXPECT_EQ(window.Height(), kComboHeight);
    combo.GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), kComboHeight + 21 * kItemHeight + 2) << "a taller move is a taller list";
    combo.MoveWindow(20, 20, 200, kComboHeight);
    combo.GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), kComboHeight + 21 * kItemHeight + 2)
        << "a move to the field's height keeps it";

    m_parent.MoveWindow(100, GetSystemMetrics(SM_CYSCREEN) - 60, 400, 60);
    combo.ShowDropDown();
    combo.GetWindowRect(&window);
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.bottom, window.top) << "no room below: the list opens above";
}

TEST_F(ComboBoxTest, AParentMayDestroyTheComboBoxWhileItIsTold)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST, {"keep", "drop"});
    m_parent.onCode = [&combo](UINT code)
    {
        if (code == CBN_SELENDOK)
            combo.DestroyWindow();
    };
    m_driver.Click(combo, CPoint(30, 10));
    const HWND list = DroppedList(combo);
    m_driver.Click(list, ItemPoint(1));
    EXPECT_FALSE(IsWindow(list)) << "the list went with its combo box";
    EXPECT_EQ(combo.m_hWnd, nullptr);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_KILLFOCUS}))
        << "only the loss of the focus after the choice: the list is not closed again";
    EXPECT_EQ(GetCapture(), nullptr);
}

// An owner-drawn combo box with strings: 20 pixels for the field, 18 for the items.
class SwatchCombo : public CComboBox
{
public:
    std::vector<UINT> measured;
    std::vector<DRAWITEMSTRUCT> drawn;

    void MeasureItem(LPMEASUREITEMSTRUCT mis) override
    {
        EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_COMBOBOX));
        measured.push_back(mis->itemID);
        mis->itemHeight = mis->itemID == static_cast<UINT>(-1) ? 20 : 18;
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override { drawn.push_back(*dis); }

    std::vector<DRAWITEMSTRUCT> Field() const
    {
        std::vector<DRAWITEMSTRUCT> field;
        for (const DRAWITEMSTRUCT& dis : drawn)
        {
            if (dis.itemState & ODS_COMBOBOXEDIT)
                field.push_back(dis);
        }
        return field;
    }
};

TEST_F(ComboBoxTest, AnOwnerDrawnFixedComboMeasuresAndDrawsThroughItsObject)
{
    SwatchCombo combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | CBS_SORT,
                             CRect(20, 20, 220, 220), &m_parent, kComboId));
    EXPECT_EQ(combo.measured, (std::vector<UINT>{static_cast<UINT>(-1), 0}))
        << "the field, then the list's items";
    EXPECT_EQ(combo.GetItemHeight(-1), 20);
    EXPECT_EQ(combo.GetItemHeight(0), 18);
    CRect window;
    combo.GetWindowRect(&window);
    EXPECT_EQ(window.Height(), 20 + 6);

    m_driver.Pump();
    ASSERT_EQ(combo.Field().size(), 1u);
    EXPECT_EQ(combo.Field()[0].itemID, static_cast<UINT>(-1)) << "an empty field is item -1";
    EXPECT_EQ(combo.Field()[0].CtlType, static_cast<UINT>(ODT_COMBOBOX));
    EXPECT_EQ(combo.Field()[0].hwndItem, combo.m_hWnd);
    EXPECT_EQ(CRect(combo.Field()[0].rcItem).Height(), 20);

    combo.AddString("teal");
    combo.AddString("navy");
    std::string text;
    combo.GetLBText(0, text);
    EXPECT_EQ(text, "navy") << "sorted, with strings";
    combo.SetCurSel(1);
    combo.SetFocus();
    combo.drawn.clear();
    m_driver.Pump();
    ASSERT_FALSE(combo.Field().empty());
    EXPECT_EQ(combo.Field().back().itemID, 1u);
    EXPECT_EQ(combo.Field().back().itemState, ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS);

    combo.drawn.clear();
    m_driver.Press(VK_F4);
    m_driver.Pump();
    std::vector<DRAWITEMSTRUCT> items;
    for (const DRAWITEMSTRUCT& dis : combo.drawn)
    {
        if (!(dis.itemState & ODS_COMBOBOXEDIT))
            items.push_back(dis);
    }
    ASSERT_EQ(items.size(), 2u) << "the dropped list draws its items through the combo box's parent";
    EXPECT_EQ(items[0].hwndItem, combo.m_hWnd);
    EXPECT_EQ(CRect(items[1].rcItem), CRect(0, 18, 198, 36));
    EXPECT_TRUE(items[1].itemState & ODS_SELECTED);
    EXPECT_FALSE(items[0].itemState & ODS_SELECTED);
}

TEST_F(ComboBoxTest, ADropDownTypesInItsEditAndChoosesFromItsList)
{
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWN | CBS_AUTOHSCROLL, {"apple", "apricot", "banana"});
    CWnd* edit = combo.GetDlgItem(1001);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetClassNameString(*edit), "Edit");

    m_driver.Click(*edit, CPoint(5, 5));
    EXPECT_EQ(GetFocus(), edit->m_hWnd);
    m_driver.Type("apr");
    EXPECT_EQ(combo.GetWindowText(), "apr");
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    std::vector<UINT> typing{CBN_SETFOCUS};
    for (int i = 0; i < 3; ++i)
    {
        typing.push_back(CBN_EDITUPDATE);
        typing.push_back(CBN_EDITCHANGE);
    }
    EXPECT_EQ(m_parent.codes, typing);

    m_parent.codes.clear();
    m_driver.Press(VK_F4);
    EXPECT_EQ(SendMessage(DroppedList(combo), LB_GETCURSEL, 0, 0), 1)
        << "the list shows what the text starts";
    m_driver.Press(VK_RETURN);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDOK, CBN_SELCHANGE, CBN_CLOSEUP}));
    EXPECT_EQ(combo.GetWindowText(), "apricot");
    EXPECT_EQ(combo.GetCurSel(), 1);

    m_parent.codes.clear();
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(combo.GetWindowText(), "banana");
    EXPECT_EQ(m_parent.codes, std::vector<UINT>{CBN_SELCHANGE}) << "the edit's new text is not typing";

    CRect window;
    combo.GetWindowRect(&window);
    m_driver.Click(combo, CPoint(window.Width() - 10, 10));
    EXPECT_TRUE(combo.GetDroppedState()) << "the arrow button drops the list";
    m_driver.Press(VK_ESCAPE);
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(GetFocus(), edit->m_hWnd);

    EXPECT_TRUE(combo.SetEditSel(1, 3));
    EXPECT_EQ(combo.GetEditSel(), static_cast<DWORD>(MAKELONG(1, 3)));
    combo.LimitText(4);
    combo.SetEditSel(0, -1);
    m_driver.Type("grapefruit");
    EXPECT_EQ(combo.GetWindowText(), "grap");
    m_parent.codes.clear();
    combo.SetWindowText("kiwi");
    EXPECT_EQ(combo.GetWindowText(), "kiwi");
    EXPECT_TRUE(m_parent.codes.empty());

    m_parent.SetFocus();
    EXPECT_EQ(m_parent.codes, std::vector<UINT>{CBN_KILLFOCUS});
    m_parent.codes.clear();
    combo.SetFocus();
    EXPECT_EQ(GetFocus(), edit->m_hWnd) << "the combo box passes its focus to its edit";
    EXPECT_EQ(combo.GetEditSel(), static_cast<DWORD>(MAKELONG(0, 4))) << "with all the text selected";
    EXPECT_EQ(m_parent.codes, std::vector<UINT>{CBN_SETFOCUS});
}

TEST_F(ComboBoxPaintTest, TheFieldShowsTheSelectionAndTheListPaintsItsItems)
{
    CBrush brush(RGB(1, 2, 3));
    m_parent.editBrush = brush;
    CComboBox combo;
    MakeCombo(combo, CBS_DROPDOWNLIST, {"north", "south"});
    combo.SetCurSel(1);
    m_driver.Repaint();
    EXPECT_EQ(m_driver.TextStrings(combo), std::vector<std::string>{"south"});
    const std::vector<DrawOp> fills = m_driver.Fills(combo);
    EXPECT_TRUE(
        std::any_of(fills.begin(), fills.end(), [](const DrawOp& op) { return op.color == RGB(1, 2, 3); }))
        << "the field in the parent's edit colours";

    combo.SetFocus();
    m_driver.Repaint();
    const std::vector<DrawOp> texts = m_driver.Texts(combo);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].color, GetSysColor(COLOR_HIGHLIGHTTEXT)) << "a focused field is highlighted";
    const std::vector<DrawOp> ops = m_driver.Ops(combo);
    EXPECT_TRUE(std::any_of(ops.begin(), ops.end(),
                            [](const DrawOp& op) { return op.kind == DrawOp::Kind::FocusRect; }));

    combo.ShowDropDown();
    m_driver.Pump();
    EXPECT_EQ(m_driver.TextStrings(DroppedList(combo)), (std::vector<std::string>{"north", "south"}));
}

TEST_F(ComboBoxTest, ASimpleComboShowsItsListUnderItsEdit)
{
    CComboBox combo;
    MakeCombo(combo, CBS_SIMPLE, {"one", "two", "three"}, 120);
    CRect window;
    combo.GetWindowRect(&window);
    EXPECT_EQ(window.Height(), 120) << "a simple combo box keeps its height";
    const HWND list = GetDlgItem(combo, 1000);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsWindowVisible(list));
    CRect listRect;
    GetWindowRect(list, &listRect);
    EXPECT_EQ(listRect.top, window.top + kComboHeight);

    m_driver.Click(list, CPoint(10, kItemHeight + 5));
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetWindowText(), "two");
    EXPECT_EQ(GetFocus(), combo.GetDlgItem(1001)->m_hWnd);
    m_driver.DoubleClick(list, CPoint(10, 2 * kItemHeight + 5));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{CBN_SETFOCUS, CBN_SELCHANGE, CBN_SELCHANGE, CBN_DBLCLK}));
    EXPECT_FALSE(combo.GetDroppedState());
}

} // namespace
