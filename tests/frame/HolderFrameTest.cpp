// Holder frames: panes made for every kind, collapse and restore by the bar and by the close
// buttons, the layout of a single open pane, forwarding to the window that built the frame,
// focus and Tab, stored pane sizes and the failure texts.
#include "base/UserSettings.h"
#include "controls/ClrButton.h"
#include "frame/KTBCGPDialog.h"
#include "grid/CommonListCtrl.h"
#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"
#include "support/BarTemplate.h"
#include "support/ScopedTempDir.h"
#include "winlib/Faults.h"
#include "winlib/ListBox.h"
#include "winlib/ListCtrl.h"
#include "winlib/Resources.h"
#include "winlib/RichEdit.h"
#include "winlib/TreeCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

// The window that builds the frame; it logs what reaches it.
class CHolderOwnerWnd : public CWnd
{
    DECLARE_DYNAMIC(CHolderOwnerWnd)
public:
    std::vector<HWND> contextMenus;
    std::vector<UINT> notifyCodes;
    std::vector<UINT> commandIds;
    std::vector<CSize> paneSizes;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message)
        {
        case WM_CONTEXTMENU:
            contextMenus.push_back(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_NOTIFY:
            notifyCodes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
            break;
        case WM_COMMAND:
            commandIds.push_back(LOWORD(wParam));
            break;
        case WM_HOLDER_PANE_SIZE:
            paneSizes.emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        default:
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};
IMPLEMENT_DYNAMIC(CHolderOwnerWnd, CWnd)

constexpr UINT kTabDialog = 9301;

class HolderFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, "AfxWnd", "Owner", WS_OVERLAPPED | WS_VISIBLE | WS_CLIPCHILDREN, 50,
                                     50, 700, 560, nullptr, nullptr));
    }

    // Two grids stacked, as the console makes them.
    void MakeTwoGrids(const CRect& rect = CRect(5, 55, 605, 455))
    {
        m_frame = std::make_unique<CKTHolderFrame>();
        ASSERT_TRUE(m_frame->CreateTwoGridHolder(&m_owner, HOLDER_HORIZONTAL, rect, &m_grid1,
                                                 "Maker checker List", 4000, &m_grid2,
                                                 "Maker Checker Details List", 4001));
        ASSERT_EQ(m_frame->GetPaneCount(), 2);
    }

    BOOL Make(DWORD style, std::vector<sHOLDERFRAMECTRL>& records, const CRect& rect = CRect(0, 0, 600, 400))
    {
        m_frame = std::make_unique<CKTHolderFrame>();
        return m_frame->CreateHolderFrame(&m_owner, style, rect, records);
    }

    static sHOLDERFRAMECTRL Record(short kind, UINT id, const std::string& caption = {})
    {
        sHOLDERFRAMECTRL record;
        record.m_nKind = kind;
        record.m_nCtrlId = id;
        record.m_strCaption = caption;
        return record;
    }

    CFlatSplitterWnd& Splitter() { return m_frame->GetSplitter(); }
    int RowSize(int row)
    {
        int current = 0;
        int minimum = 0;
        Splitter().GetRowInfo(row, current, minimum);
        return current;
    }
    int ColumnSize(int col)
    {
        int current = 0;
        int minimum = 0;
        Splitter().GetColumnInfo(col, current, minimum);
        return current;
    }
    CRect ClientOf(CWnd& wnd)
    {
        CRect r;
        wnd.GetClientRect(&r);
        return r;
    }
    CRect RectIn(CWnd& wnd, CWnd& in)
    {
        CRect r;
        wnd.GetWindowRect(&r);
        in.ScreenToClient(&r);
        return r;
    }
    // The middle of the bar below row 'row', in the splitter's client coordinates.
    CPoint RowBar(int row)
    {
        int y = 1;
        for (int i = 0; i <= row; ++i)
            y += RowSize(i) + (i < row ? 5 : 0);
        return CPoint(ClientOf(Splitter()).Width() / 2, y + 2);
    }
    void ResizeFrame(int width, int height)
    {
        m_frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        m_driver.Pump();
    }
    void ClickClose(int pane)
    {
        CHolderView* view = m_frame->GetPaneView(pane);
        ASSERT_NE(view, nullptr);
        ASSERT_NE(view->GetCloseButton(), nullptr);
        CRect button = ClientOf(*view->GetCloseButton());
        m_driver.Click(view->GetCloseButton()->m_hWnd, button.CenterPoint());
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    CHolderOwnerWnd m_owner;
    CCommonListCtrl m_grid1;
    CCommonListCtrl m_grid2;
    std::unique_ptr<CKTHolderFrame> m_frame;
};

TEST_F(HolderFrameTest, TwoGridsAreStackedUnderGradientCaptionsAndNotifyTheRequester)
{
    MakeTwoGrids();
    EXPECT_EQ(Splitter().GetRowCount(), 2);
    EXPECT_EQ(Splitter().GetColumnCount(), 1);
    EXPECT_TRUE(m_frame->GetExStyle() & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(m_frame->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(m_frame->GetStyle() & WS_TABSTOP);
    EXPECT_EQ(Splitter().GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
    // The splitter fills the frame inside its double border.
    EXPECT_EQ(ClientOf(Splitter()).Size(), ClientOf(*m_frame).Size());

    const auto& panes = m_frame->GetPanes();
    EXPECT_EQ(panes[0].m_strName, "CHolderOwnerWnd4000");
    EXPECT_EQ(panes[1].m_strName, "CHolderOwnerWnd4001");
    for (int i = 0; i < 2; ++i)
    {
        CHolderView* view = m_frame->GetPaneView(i);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->GetHolderStyle(), HVS_CAPTION | HVS_CLOSE_BUTTON | HVS_GRADIENT);
        EXPECT_EQ(view->GetCaptionColor(), RGB(255, 255, 255));
        EXPECT_EQ(view->GetOwnerWindow(), &m_owner);
    }
    EXPECT_EQ(m_frame->GetPaneView(0)->GetCaption(), " Maker checker List");
    EXPECT_EQ(m_frame->GetPaneView(1)->GetControl(), &m_grid2);
    EXPECT_EQ(m_frame->GetPaneView(2), nullptr);
    EXPECT_EQ(m_grid1.GetStyle(), 0x50811401u);
    EXPECT_EQ(m_grid1.GetDlgCtrlID(), 4000);
    EXPECT_EQ(m_grid1.GetOwner(), &m_owner);
    // The grid sits below the caption and fills the rest of its pane.
    CHolderView* upper = m_frame->GetPaneView(0);
    const CRect gridRect = RectIn(m_grid1, *upper);
    EXPECT_EQ(gridRect, CRect(0, 17, ClientOf(*upper).right, ClientOf(*upper).bottom));
    // The views were made 100 high; the lower one takes the rest.
    EXPECT_EQ(RowSize(0), 100);
    EXPECT_EQ(RowSize(1), ClientOf(Splitter()).Height() - 2 - 100 - 5);

    // A notification of the grid reaches the window that built the frame.
    m_owner.notifyCodes.clear();
    NMHDR header{m_grid1.m_hWnd, 4000, NM_DBLCLK};
    upper->SendMessage(WM_NOTIFY, 4000, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(m_owner.notifyCodes, std::vector<UINT>{static_cast<UINT>(NM_DBLCLK)});
}

TEST_F(HolderFrameTest, DoubleClickOnTheBarCollapsesTheUpperPaneAndBringsItBackAt120)
{
    MakeTwoGrids();
    m_driver.DoubleClick(Splitter().m_hWnd, RowBar(0));
    EXPECT_EQ(RowSize(0), 0);
    // Resized, the lower pane fills the frame.
    ResizeFrame(640, 420);
    const int inside = ClientOf(Splitter()).Height() - 2;
    EXPECT_EQ(RowSize(0), 0);
    EXPECT_EQ(RowSize(1), inside - 5);
    EXPECT_EQ(RectIn(*m_frame->GetPaneView(1), Splitter()).top, 1 + 5);

    m_driver.DoubleClick(Splitter().m_hWnd, CPoint(100, 3));
    EXPECT_EQ(RowSize(0), 120);
    EXPECT_EQ(RowSize(1), inside - 120 - 5);
}

TEST_F(HolderFrameTest, TheCloseButtonOfEitherPaneLeavesTheOtherFillingTheFrame)
{
    MakeTwoGrids();
    const int inside = ClientOf(Splitter()).Height() - 2;
    ClickClose(1);
    EXPECT_EQ(RowSize(1), 0);
    // No room is left for the bar below the open pane, which stops short of it.
    EXPECT_EQ(RowSize(0), inside - 3);
    EXPECT_EQ(m_frame->GetPaneView(1)->GetCloseButton()->GetCheck(), BST_UNCHECKED);
    // Grown, the frame gives the room to the open pane, not to the closed last one.
    ResizeFrame(640, 560);
    EXPECT_EQ(RowSize(1), 0);
    EXPECT_EQ(RowSize(0), ClientOf(Splitter()).Height() - 2 - 3);

    MakeTwoGrids();
    ClickClose(0);
    EXPECT_EQ(RowSize(0), 0);
    EXPECT_EQ(RowSize(1), inside - 5);
    // The close command also reaches the owner, as every command does.
    EXPECT_NE(std::find(m_owner.commandIds.begin(), m_owner.commandIds.end(), ID_HOLDER_CLOSE),
              m_owner.commandIds.end());
}

TEST_F(HolderFrameTest, AClosedLastPaneComesBackByItsBarAndByThePanesMenu)
{
    MakeTwoGrids();
    const int inside = ClientOf(Splitter()).Height() - 2;
    ClickClose(1);
    ASSERT_EQ(RowSize(1), 0);
    // The bar's last pixels stay below the open pane: a double-click there brings the closed pane
    // back, rather than closing the open one.
    m_driver.DoubleClick(Splitter().m_hWnd, CPoint(100, 1 + RowSize(0) + 1));
    EXPECT_EQ(RowSize(1), 120 - 5 + 3);
    EXPECT_GT(RowSize(0), 0);
    EXPECT_EQ(RowSize(0) + 5 + RowSize(1), inside);

    // The menu lists the captioned panes, checked while open, and brings a closed one back.
    ClickClose(1);
    m_driver.AnswerNextPopupMenuByText("Maker Checker Details List");
    m_frame->ShowPanesMenu(CPoint(10, 10));
    const std::vector<winlib::MenuItemSnapshot>& items = m_driver.PopupMenusShown().back().items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "Maker checker List");
    EXPECT_TRUE(items[0].flags & MF_CHECKED);
    EXPECT_FALSE(items[1].flags & MF_CHECKED);
    EXPECT_GT(RowSize(1), 100);
    // And closes an open one as its close button does.
    m_driver.AnswerNextPopupMenuByText("Maker checker List");
    m_frame->ShowPanesMenu(CPoint(10, 10));
    EXPECT_EQ(RowSize(0), 0);
}

TEST_F(HolderFrameTest, AnOpenPaneWithAMinimumKeepsItWhateverThePaneBeforeItAsks)
{
    MakeTwoGrids();
    Splitter().SetRowInfo(0, 5000, 0);
    Splitter().SetRowInfo(1, 100, 90);
    Splitter().RecalcLayout();
    EXPECT_EQ(RowSize(1), 90);
    // Shrunk below both, the lower one goes; grown back, it comes back with its minimum.
    ResizeFrame(640, 60);
    EXPECT_EQ(RowSize(1), 0);
    ResizeFrame(640, 420);
    EXPECT_EQ(RowSize(1), 90);
}

TEST_F(HolderFrameTest, ARightClickOnAGridReachesTheOwnerAsAContextMenu)
{
    MakeTwoGrids();
    m_grid1.InsertColumn(0, "Key", LVCFMT_LEFT, 80);
    m_driver.AnswerNextPopupMenu(0); // the grid's own menu is dismissed
    m_driver.RightClick(m_grid1.m_hWnd, CPoint(40, 60));
    ASSERT_EQ(m_owner.contextMenus.size(), 1u);
    EXPECT_EQ(m_owner.contextMenus[0], m_grid1.m_hWnd);
}

TEST_F(HolderFrameTest, EveryKindGetsItsControlAndCaptionRule)
{
    CListBox existing;
    ASSERT_TRUE(existing.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 0, 50, 50), &m_owner, 77));
    CListBox moved;
    ASSERT_TRUE(moved.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(0, 0, 50, 50), &m_owner, 78));
    std::vector<sHOLDERFRAMECTRL> records{Record(HFC_LIST_CTRL, 10), Record(HFC_LIST_BOX, 11),
                                          Record(HFC_ATTACH, 77),    Record(HFC_REPARENT, 78),
                                          Record(3, 12, "Empty"),    Record(HFC_LIST_CTRL, 13, "List")};
    records[1].m_dwStyle = LBS_MULTIPLESEL;
    records[2].m_pCtrl = &existing;
    records[3].m_pCtrl = &moved;
    ASSERT_TRUE(Make(HOLDER_VERTICAL, records, CRect(0, 0, 900, 300)));
    EXPECT_EQ(Splitter().GetRowCount(), 1);
    EXPECT_EQ(Splitter().GetColumnCount(), 6);

    // The frame made and owns the list control and list box; the records carry them.
    auto* list = dynamic_cast<CListCtrl*>(records[0].m_pCtrl);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetStyle() & (LVS_TYPEMASK | WS_BORDER | WS_TABSTOP),
              LVS_REPORT | WS_BORDER | WS_TABSTOP);
    EXPECT_EQ(list->GetParent(), m_frame->GetPaneView(0));
    auto* box = dynamic_cast<CListBox*>(records[1].m_pCtrl);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetStyle() & (LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL | WS_VSCROLL),
              LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL | WS_VSCROLL);
    // Attached stays where it is; moved changes its parent.
    EXPECT_EQ(existing.GetParent(), &m_owner);
    EXPECT_EQ(moved.GetParent(), m_frame->GetPaneView(3));

    // A list control without a caption has no caption bar; a list box always has one.
    EXPECT_EQ(m_frame->GetPaneView(0)->GetHolderStyle(), 0u);
    EXPECT_EQ(m_frame->GetPaneView(1)->GetHolderStyle(), HVS_CAPTION | HVS_CLOSE_BUTTON | HVS_GRADIENT);
    EXPECT_EQ(m_frame->GetPaneView(4)->GetControl(), nullptr);
    EXPECT_EQ(m_frame->GetPaneView(5)->GetHolderStyle(), HVS_CAPTION | HVS_CLOSE_BUTTON | HVS_GRADIENT);
    // Vertical holders read their stored widths; with none stored the views keep 100.
    EXPECT_EQ(ColumnSize(0), 100);
    EXPECT_EQ(ColumnSize(4), 100);
}

// A frame whose splitter cannot be made: the next window creation after its own fails.
class CSplitterFailingFrame : public CKTHolderFrame
{
protected:
    int OnCreate(LPCREATESTRUCT cs) override
    {
        const int result = CKTHolderFrame::OnCreate(cs);
        winlib::FailNext(winlib::Fault::CreateWindow);
        return result;
    }
};

TEST_F(HolderFrameTest, FailuresShowTheirTextsAndReturnFalse)
{
    std::vector<sHOLDERFRAMECTRL> none;
    EXPECT_FALSE(Make(HOLDER_HORIZONTAL, none));
    std::vector<sHOLDERFRAMECTRL> two{Record(HFC_LIST_CTRL, 1), Record(HFC_LIST_CTRL, 2)};
    EXPECT_FALSE(Make(0, two));
    winlib::FailNext(winlib::Fault::CreateWindow);
    EXPECT_FALSE(Make(HOLDER_VERTICAL, two));
    winlib::FailNext(winlib::Fault::CreateWindow);
    EXPECT_FALSE(Make(HOLDER_HORIZONTAL, two));
    // Without an owner there is nothing to make the frame in.
    m_frame = std::make_unique<CKTHolderFrame>();
    m_frame->CreateHolderFrame(nullptr, HOLDER_HORIZONTAL, CRect(0, 0, 10, 10), two);
    // The frame is made, then its splitter fails.
    CSplitterFailingFrame horizontal;
    EXPECT_FALSE(horizontal.CreateHolderFrame(&m_owner, HOLDER_HORIZONTAL, CRect(0, 0, 300, 200), two));
    CSplitterFailingFrame vertical;
    EXPECT_FALSE(vertical.CreateHolderFrame(&m_owner, HOLDER_VERTICAL, CRect(0, 0, 300, 200), two));
    EXPECT_EQ(m_driver.MessageBoxTexts(),
              (std::vector<std::string>{
                  "Number of Pane should be Greater Than One", "Failed To Create Vertical Holder Frame",
                  "Failed To Create Horizontal Holder Frame", "Failed To Create Horizontal Holder Frame",
                  "Failed To Create Horizontal Splitter", "Failed To Create Vertical Splitter"}));
}

// A dialog with an edit before the holder frame and a button after it, in tab order.
class CTabDialog : public CKTBCGPDialog
{
public:
    CTabDialog() : CKTBCGPDialog(kTabDialog, nullptr) {}
};

class HolderFocusTest : public HolderFrameTest
{
protected:
    void SetUp() override
    {
        HolderFrameTest::SetUp();
        winlib::DialogTemplate t = BarTemplate(kTabDialog, 400, 300);
        t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
        t.items = {winlib::DialogItemTemplate{"Edit", "", 501, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER,
                                              0, 5, 5, 80, 12}};
        winlib::RegisterDialogTemplate(t);
    }

    void MakeInDialog()
    {
        ASSERT_TRUE(m_dialog.Create(kTabDialog, nullptr));
        std::vector<sHOLDERFRAMECTRL> records{Record(HFC_LIST_CTRL, 10, "First"), Record(HFC_LIST_BOX, 11)};
        m_frame = std::make_unique<CKTHolderFrame>();
        ASSERT_TRUE(
            m_frame->CreateHolderFrame(&m_dialog, HOLDER_HORIZONTAL, CRect(5, 30, 400, 300), records));
        m_first = dynamic_cast<CListCtrl*>(records[0].m_pCtrl);
        m_second = dynamic_cast<CListBox*>(records[1].m_pCtrl);
        ASSERT_TRUE(m_first && m_second);
        ASSERT_TRUE(m_after.Create("After", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                   CRect(5, 320, 80, 340), &m_dialog, 502));
    }

    CTabDialog m_dialog;
    CButton m_after;
    CListCtrl* m_first = nullptr;
    CListBox* m_second = nullptr;
};

TEST_F(HolderFocusTest, TabWalksThePanesAndLeavesTheFrameForTheDialogsNeighbours)
{
    MakeInDialog();
    m_first->InsertColumn(0, "A", LVCFMT_LEFT, 50);
    m_first->InsertItem(0, "one");
    m_first->InsertItem(1, "two");
    // Arriving, the focus goes to the first pane; the list's selection mark is put on its first row.
    m_frame->SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), m_first);
    EXPECT_EQ(m_first->GetSelectionMark(), 0);

    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), m_second);
    EXPECT_EQ(m_frame->GetFocusPane(), 1);
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), &m_after);

    m_first->SetFocus();
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    EXPECT_EQ(CWnd::GetFocus(), m_dialog.GetDlgItem(501));
}

TEST_F(HolderFocusTest, TabInTheLastPaneOutsideADialogStaysThere)
{
    std::vector<sHOLDERFRAMECTRL> records{Record(HFC_LIST_BOX, 10), Record(HFC_LIST_BOX, 11)};
    ASSERT_TRUE(Make(HOLDER_HORIZONTAL, records));
    auto* last = dynamic_cast<CListBox*>(records[1].m_pCtrl);
    last->AddString("b");
    last->AddString("a");
    last->SetCurSel(1);
    m_frame->SetFocus();
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), last);
    // Arriving in a list box clears its selection and keeps the caret on the selected item.
    EXPECT_EQ(last->GetCurSel(), -1);
    EXPECT_EQ(last->GetCaretIndex(), 1);
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), last);
}

TEST_F(HolderFrameTest, APaneWithoutAWindowAsksItsOwnerForTheFocus)
{
    std::vector<sHOLDERFRAMECTRL> records{Record(3, 10), Record(3, 11)};
    ASSERT_TRUE(Make(HOLDER_HORIZONTAL, records));
    m_frame->GetPaneView(0)->SetOwner(&m_owner);
    m_owner.paneSizes.clear();
    m_frame->SetFocus();
    EXPECT_EQ(m_owner.paneSizes, std::vector<CSize>{CSize(0, 0)});
}

TEST_F(HolderFrameTest, TreeAndRichEditPanesAreMadeWithTheirStylesUnderACaption)
{
    std::vector<sHOLDERFRAMECTRL> records{Record(HFC_TREE_CTRL, 21), Record(HFC_RICH_EDIT, 22)};
    ASSERT_TRUE(Make(HOLDER_VERTICAL, records));
    auto* tree = dynamic_cast<CTreeCtrl*>(records[0].m_pCtrl);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->GetStyle() & (TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP |
                                  TVS_SHOWSELALWAYS | WS_TABSTOP),
              TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS |
                  WS_TABSTOP);
    auto* edit = dynamic_cast<CRichEditCtrl*>(records[1].m_pCtrl);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetStyle() & (ES_MULTILINE | ES_READONLY | WS_HSCROLL | WS_VSCROLL),
              ES_MULTILINE | ES_READONLY | WS_HSCROLL | WS_VSCROLL);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(m_frame->GetPaneView(i)->GetHolderStyle(), HVS_CAPTION | HVS_CLOSE_BUTTON | HVS_GRADIENT);
        EXPECT_EQ(RectIn(*m_frame->GetPaneView(i)->GetControl(), *m_frame->GetPaneView(i)).top, 17);
    }
    // A record bringing an object of another class for a kind the frame makes is refused.
    CListBox wrong;
    std::vector<sHOLDERFRAMECTRL> mismatched{Record(HFC_TREE_CTRL, 23), Record(HFC_LIST_BOX, 24)};
    mismatched[0].m_pCtrl = &wrong;
    EXPECT_FALSE(Make(HOLDER_HORIZONTAL, mismatched));
}

} // namespace
