// The tree view: items and their order, expanding and collapsing by button, double-click and keys,
// selection with its notifications, scrolling a long tree; and the read-only rich edit's scroll bars.
#include "winlib/TreeCtrl.h"
#include "winlib/RichEdit.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

class CTreeParent : public CWnd
{
public:
    std::vector<UINT> codes;
    BOOL vetoSelection = FALSE;

protected:
    BOOL OnNotify(WPARAM, LPARAM lParam, LRESULT* result) override
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        codes.push_back(header->code);
        *result = header->code == TVN_SELCHANGING ? vetoSelection : 0;
        return TRUE;
    }
};

class TreeCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, "AfxWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr));
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  CRect(0, 0, 200, 160), &m_parent, 31));
        m_fruit = m_tree.InsertItem("Fruit");
        m_apple = m_tree.InsertItem("Apple", m_fruit);
        m_pear = m_tree.InsertItem("Pear", m_fruit);
        m_veg = m_tree.InsertItem("Vegetables");
        m_tree.InsertItem("Leek", m_veg);
    }
    std::vector<std::string> Visible()
    {
        std::vector<std::string> texts;
        for (HTREEITEM item = m_tree.GetFirstVisibleItem(); item; item = m_tree.GetNextVisibleItem(item))
            texts.push_back(m_tree.GetItemText(item));
        return texts;
    }
    CPoint ButtonOf(HTREEITEM item)
    {
        CRect label;
        EXPECT_TRUE(m_tree.GetItemRect(item, &label, TRUE));
        const int indent = static_cast<int>(m_tree.SendMessage(TVM_GETINDENT));
        return CPoint(label.left - 3 - indent / 2, label.CenterPoint().y);
    }
    CPoint LabelOf(HTREEITEM item)
    {
        CRect label;
        EXPECT_TRUE(m_tree.GetItemRect(item, &label, TRUE));
        return label.CenterPoint();
    }

    winlib::testing::Driver m_driver;
    CTreeParent m_parent;
    CTreeCtrl m_tree;
    HTREEITEM m_fruit = nullptr;
    HTREEITEM m_apple = nullptr;
    HTREEITEM m_pear = nullptr;
    HTREEITEM m_veg = nullptr;
};

TEST_F(TreeCtrlTest, ItemsKeepTheirOrderAndTheirData)
{
    EXPECT_EQ(m_tree.GetCount(), 5u);
    EXPECT_EQ(m_tree.GetRootItem(), m_fruit);
    EXPECT_EQ(m_tree.GetNextSiblingItem(m_fruit), m_veg);
    EXPECT_EQ(m_tree.GetChildItem(m_fruit), m_apple);
    EXPECT_EQ(m_tree.GetParentItem(m_pear), m_fruit);
    EXPECT_EQ(m_tree.GetParentItem(m_fruit), nullptr);
    EXPECT_TRUE(m_tree.ItemHasChildren(m_fruit));
    EXPECT_FALSE(m_tree.ItemHasChildren(m_apple));
    const HTREEITEM banana = m_tree.InsertItem("Banana", m_fruit, TVI_SORT);
    EXPECT_EQ(m_tree.GetNextSiblingItem(m_apple), banana);
    const HTREEITEM first = m_tree.InsertItem("Cherry", m_fruit, TVI_FIRST);
    EXPECT_EQ(m_tree.GetChildItem(m_fruit), first);
    EXPECT_TRUE(m_tree.SetItemData(m_pear, 42));
    EXPECT_EQ(m_tree.GetItemData(m_pear), 42u);
    // Only the roots show until a branch is opened.
    EXPECT_EQ(Visible(), (std::vector<std::string>{"Fruit", "Vegetables"}));

    EXPECT_TRUE(m_tree.DeleteItem(m_fruit));
    EXPECT_EQ(m_tree.GetCount(), 2u);
    EXPECT_EQ(m_tree.GetItemText(m_apple), ""); // gone with its parent
    EXPECT_TRUE(m_tree.DeleteAllItems());
    EXPECT_EQ(m_tree.GetCount(), 0u);
}

TEST_F(TreeCtrlTest, ButtonsDoubleClicksAndKeysOpenAndCloseBranches)
{
    m_driver.Click(m_tree.m_hWnd, ButtonOf(m_fruit));
    EXPECT_EQ(Visible(), (std::vector<std::string>{"Fruit", "Apple", "Pear", "Vegetables"}));
    EXPECT_TRUE(m_tree.GetItemState(m_fruit, TVIS_EXPANDED));
    EXPECT_EQ(m_tree.GetSelectedItem(), nullptr); // the button does not select
    m_driver.DoubleClick(m_tree.m_hWnd, LabelOf(m_veg));
    EXPECT_EQ(m_tree.GetSelectedItem(), m_veg);
    EXPECT_EQ(Visible(), (std::vector<std::string>{"Fruit", "Apple", "Pear", "Vegetables", "Leek"}));

    m_driver.Press(VK_LEFT); // closes the open branch
    EXPECT_FALSE(m_tree.GetItemState(m_veg, TVIS_EXPANDED));
    m_driver.Press(VK_UP);
    EXPECT_EQ(m_tree.GetSelectedItem(), m_pear);
    m_driver.Press(VK_LEFT); // to the parent
    EXPECT_EQ(m_tree.GetSelectedItem(), m_fruit);
    m_driver.Press(VK_LEFT);
    EXPECT_EQ(Visible(), (std::vector<std::string>{"Fruit", "Vegetables"}));
    m_driver.Press(VK_RIGHT);
    m_driver.Press(VK_RIGHT); // to the first child
    EXPECT_EQ(m_tree.GetSelectedItem(), m_apple);
    // Closing a branch moves a selection inside it up to the branch.
    m_tree.Expand(m_fruit, TVE_COLLAPSE);
    EXPECT_EQ(m_tree.GetSelectedItem(), m_fruit);
}

TEST_F(TreeCtrlTest, SelectionIsAnnouncedAndCanBeRefused)
{
    m_parent.codes.clear();
    EXPECT_TRUE(m_tree.SelectItem(m_pear));
    EXPECT_EQ(m_tree.GetSelectedItem(), m_pear);
    EXPECT_TRUE(m_tree.GetItemState(m_fruit, TVIS_EXPANDED)) << "its branch opens";
    EXPECT_TRUE(m_tree.GetItemState(m_pear, TVIS_SELECTED));
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{TVN_SELCHANGING, TVN_SELCHANGED}));
    m_parent.vetoSelection = TRUE;
    EXPECT_FALSE(m_tree.SelectItem(m_apple));
    EXPECT_EQ(m_tree.GetSelectedItem(), m_pear);
}

TEST_F(TreeCtrlTest, ALongTreeScrollsToKeepTheSelectionInSight)
{
    HTREEITEM last = nullptr;
    for (int i = 0; i < 40; ++i)
        last = m_tree.InsertItem(("Item " + std::to_string(i)).c_str());
    const UINT page = m_tree.GetVisibleCount();
    ASSERT_GT(page, 2u);
    ASSERT_LT(page, 42u);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    m_tree.GetScrollInfo(SB_VERT, &info);
    EXPECT_EQ(info.nMax, 41);
    EXPECT_EQ(info.nPage, page);
    m_tree.SelectItem(last);
    EXPECT_EQ(m_tree.GetFirstVisibleItem() != m_fruit, true);
    CRect rect;
    ASSERT_TRUE(m_tree.GetItemRect(last, &rect, FALSE));
    CRect client;
    m_tree.GetClientRect(&client);
    EXPECT_LE(rect.bottom, client.bottom);
    m_tree.SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(m_tree.GetFirstVisibleItem(), m_fruit);
    EXPECT_EQ(m_tree.HitTest(LabelOf(m_fruit)), m_fruit);
}

TEST(RichEditTest, AReadOnlyRichEditScrollsBothWays)
{
    winlib::testing::Driver driver;
    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, "AfxWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr));
    CRichEditCtrl edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                            CRect(0, 0, 120, 80), &parent, 5));
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + " with a tail long enough to pass the right edge\r\n";
    edit.SetWindowText(text);
    EXPECT_EQ(edit.GetLineCount(), 31);
    edit.SetFocus();
    driver.Type("x");
    EXPECT_EQ(edit.GetWindowText(), text) << "read-only";

    SCROLLINFO horizontal{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    edit.GetScrollInfo(SB_HORZ, &horizontal);
    EXPECT_GT(horizontal.nMax, 120);
    edit.SendMessage(WM_HSCROLL, SB_PAGERIGHT);
    EXPECT_GT(edit.GetScrollPos(SB_HORZ), 0);
    edit.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_GT(edit.GetFirstVisibleLine(), 0);
}

} // namespace
