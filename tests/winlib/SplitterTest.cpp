// The static splitter (panes from a view class, sizes, dragging a bar, Escape), cursors chosen
// by the window under the mouse, batched window moves and form views.
#include "winlib/Splitter.h"
#include "winlib/Cursors.h"
#include "winlib/FormView.h"
#include "winlib/Resources.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

class CPaneView : public CView
{
    DECLARE_DYNCREATE(CPaneView)
};
IMPLEMENT_DYNCREATE(CPaneView, CView)

class SplitterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, "AfxWnd", "Parent", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 640, 480,
                                      nullptr, nullptr));
    }
    void Make(int rows, int cols, int width = 400, int height = 300)
    {
        ASSERT_TRUE(m_splitter.CreateStatic(&m_parent, rows, cols));
        for (int r = 0; r < rows; ++r)
        {
            for (int c = 0; c < cols; ++c)
                ASSERT_TRUE(m_splitter.CreateView(r, c, RUNTIME_CLASS(CPaneView), CSize(80, 60), nullptr));
        }
        m_splitter.MoveWindow(0, 0, width, height);
    }
    int Row(int row)
    {
        int current = 0;
        int minimum = 0;
        m_splitter.GetRowInfo(row, current, minimum);
        return current;
    }
    int Col(int col)
    {
        int current = 0;
        int minimum = 0;
        m_splitter.GetColumnInfo(col, current, minimum);
        return current;
    }
    CRect PaneRect(int row, int col)
    {
        CRect r;
        m_splitter.GetPane(row, col)->GetWindowRect(&r);
        m_splitter.ScreenToClient(&r);
        return r;
    }

    winlib::testing::Driver m_driver;
    CWnd m_parent;
    CSplitterWnd m_splitter;
};

TEST_F(SplitterTest, PanesAreViewsWithRowColumnIdsLaidOutFromTheirInitialSizes)
{
    Make(2, 3);
    EXPECT_EQ(m_splitter.GetRowCount(), 2);
    EXPECT_EQ(m_splitter.GetColumnCount(), 3);
    EXPECT_EQ(m_splitter.GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
    CWnd* pane = m_splitter.GetPane(1, 2);
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(pane->IsKindOf(RUNTIME_CLASS(CPaneView)));
    EXPECT_EQ(pane->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST) + 16 + 2);
    int row = -1;
    int col = -1;
    EXPECT_TRUE(m_splitter.IsChildPane(pane, &row, &col));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(col, 2);
    EXPECT_EQ(m_splitter.GetPane(2, 0), nullptr);
    // A taken cell cannot be made twice; out of range neither.
    EXPECT_FALSE(m_splitter.CreateView(0, 0, RUNTIME_CLASS(CPaneView), CSize(1, 1), nullptr));
    EXPECT_FALSE(m_splitter.CreateView(0, 3, RUNTIME_CLASS(CPaneView), CSize(1, 1), nullptr));

    // Border 2 and gap 7: every row and column but the last at its initial size, the last the rest.
    EXPECT_EQ(Row(0), 60);
    EXPECT_EQ(Row(1), 300 - 4 - 60 - 7);
    EXPECT_EQ(Col(1), 80);
    EXPECT_EQ(Col(2), 400 - 4 - 160 - 14);
    const CRect pane11 = PaneRect(1, 1);
    EXPECT_EQ(pane11.left, 2 + 80 + 7);
    EXPECT_EQ(pane11.top, 2 + 60 + 7);
    EXPECT_EQ(pane11.right, 2 + 80 + 7 + 80);
    EXPECT_EQ(pane11.bottom, 300 - 2);

    // An ideal below the minimum hides the row.
    m_splitter.SetRowInfo(0, 20, 30);
    m_splitter.RecalcLayout();
    EXPECT_EQ(Row(0), 0);
    EXPECT_EQ(Row(1), 300 - 4 - 7);
}

TEST_F(SplitterTest, CreateStaticRefusesImpossibleGrids)
{
    CSplitterWnd none;
    EXPECT_FALSE(none.CreateStatic(&m_parent, 0, 1));
    EXPECT_FALSE(none.CreateStatic(&m_parent, 1, 17));
    EXPECT_FALSE(none.CreateStatic(nullptr, 1, 1));
}

TEST_F(SplitterTest, DraggingABarMovesItOnReleaseAndEscapeCancels)
{
    Make(2, 1);
    const CPoint bar(100, 2 + 60 + 3);
    // Over the bar the sizing cursor shows; over a pane the arrow.
    m_driver.MouseMove(m_splitter.m_hWnd, bar);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZENS));
    m_driver.MouseMove(m_splitter.m_hWnd, CPoint(100, 20));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));

    m_driver.MouseDown(m_splitter.m_hWnd, bar);
    EXPECT_TRUE(m_splitter.IsTracking());
    m_driver.MouseMove(m_splitter.m_hWnd, CPoint(100, 150));
    EXPECT_EQ(Row(0), 60); // only the tracker moves while dragging
    m_driver.MouseUp(m_splitter.m_hWnd, CPoint(100, 150));
    EXPECT_FALSE(m_splitter.IsTracking());
    EXPECT_EQ(Row(0), 150 - 3 - 2);

    // The bar cannot be dragged past the pane below it.
    const CPoint moved(100, 2 + Row(0) + 3);
    m_driver.Drag(m_splitter.m_hWnd, moved, CPoint(100, 1000));
    EXPECT_EQ(Row(1), 0);

    m_driver.Drag(m_splitter.m_hWnd, CPoint(100, 2 + Row(0) + 3), CPoint(100, 100));
    const int before = Row(0);
    m_driver.MouseDown(m_splitter.m_hWnd, CPoint(100, 2 + before + 3));
    m_driver.MouseMove(m_splitter.m_hWnd, CPoint(100, 30));
    m_driver.Press(VK_ESCAPE);
    EXPECT_FALSE(m_splitter.IsTracking());
    m_driver.MouseUp(m_splitter.m_hWnd, CPoint(100, 30));
    EXPECT_EQ(Row(0), before);
}

TEST_F(SplitterTest, ColumnBarsTrackSideways)
{
    Make(1, 2);
    m_driver.MouseMove(m_splitter.m_hWnd, CPoint(2 + 80 + 3, 50));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZEWE));
    m_driver.Drag(m_splitter.m_hWnd, CPoint(2 + 80 + 3, 50), CPoint(200, 50));
    EXPECT_EQ(Col(0), 200 - 3 - 2);
    EXPECT_EQ(Col(1), 400 - 4 - Col(0) - 7);
}

TEST(CursorTest, StandardCursorsClassCursorsAndRegisteredClasses)
{
    winlib::testing::Driver driver;
    EXPECT_NE(LoadCursor(nullptr, IDC_SIZENS), nullptr);
    EXPECT_NE(LoadCursor(nullptr, IDC_SIZENS), LoadCursor(nullptr, IDC_SIZEWE));
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(1234)), nullptr);
    EXPECT_EQ(winlib::StandardCursorId(LoadCursor(nullptr, IDC_HAND)), 32649);
    const HCURSOR before = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    EXPECT_EQ(SetCursor(before), LoadCursor(nullptr, IDC_WAIT));

    // The same class asked for twice is registered once under one name.
    LPCSTR hand = AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_HAND));
    EXPECT_STREQ(hand, AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_HAND)));
    EXPECT_STRNE(hand, AfxRegisterWndClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_CROSS)));
    WNDCLASS info{};
    ASSERT_TRUE(GetClassInfo(nullptr, hand, &info));
    EXPECT_EQ(info.hCursor, LoadCursor(nullptr, IDC_HAND));

    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, hand, "Hand", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr));
    CWnd child;
    ASSERT_TRUE(
        child.CreateEx(0, "AfxWnd", nullptr, WS_CHILD | WS_VISIBLE, CRect(100, 100, 150, 150), &top, 1));
    driver.MouseMove(top.m_hWnd, CPoint(10, 10));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
    driver.MouseMove(child.m_hWnd, CPoint(5, 5));
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

TEST(DeferWindowPosTest, MovesAreCarriedOutTogetherAndABadWindowDropsTheBatch)
{
    winlib::testing::Driver driver;
    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, "AfxWnd", nullptr, WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr));
    CWnd a;
    CWnd b;
    ASSERT_TRUE(a.CreateEx(0, "AfxWnd", nullptr, WS_CHILD, CRect(0, 0, 10, 10), &parent, 1));
    ASSERT_TRUE(b.CreateEx(0, "AfxWnd", nullptr, WS_CHILD, CRect(0, 0, 10, 10), &parent, 2));
    HDWP batch = BeginDeferWindowPos(2);
    batch = DeferWindowPos(batch, a.m_hWnd, nullptr, 5, 6, 20, 30, SWP_NOZORDER);
    batch = DeferWindowPos(batch, b.m_hWnd, nullptr, 50, 60, 70, 80, SWP_NOZORDER);
    CRect r;
    a.GetClientRect(&r);
    EXPECT_EQ(r.Width(), 10); // nothing moves before the end
    EXPECT_TRUE(EndDeferWindowPos(batch));
    b.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(50, 60, 120, 140));

    batch = BeginDeferWindowPos(1);
    EXPECT_EQ(DeferWindowPos(batch, reinterpret_cast<HWND>(0x7777), nullptr, 0, 0, 1, 1, 0), nullptr);
    EXPECT_FALSE(EndDeferWindowPos(nullptr));
}

class CExchangeForm : public CBCGPFormView
{
public:
    CExchangeForm() : CBCGPFormView(9401) {}
    std::string m_strName = "initial";

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 11, m_strName); }
};

TEST(FormViewTest, AFormViewIsItsTemplatesDialogFilledOnItsFirstUpdate)
{
    winlib::testing::Driver driver;
    winlib::DialogTemplate t{};
    t.id = 9401;
    t.style = WS_CHILD | DS_SETFONT;
    t.cx = 100;
    t.cy = 60;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        winlib::DialogItemTemplate{"Edit", "", 11, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 60, 12},
        winlib::DialogItemTemplate{"Edit", "", 12, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 5, 25, 60, 12}};
    winlib::RegisterDialogTemplate(t);
    CWnd parent;
    ASSERT_TRUE(
        parent.CreateEx(0, "AfxWnd", nullptr, WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr));
    auto* form = new CExchangeForm;
    ASSERT_TRUE(
        form->CreateEx(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 110), &parent, 77));
    EXPECT_EQ(form->GetDlgCtrlID(), 77);
    EXPECT_EQ(GetClassNameString(form->m_hWnd), "#32770");
    form->SendMessage(WM_INITIALUPDATE);
    EXPECT_EQ(form->GetDlgItem(11)->GetWindowText(), "initial");
    // The dialog manager moves the focus with Tab.
    form->GetDlgItem(11)->SetFocus();
    driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), form->GetDlgItem(12));
    form->DestroyWindow(); // a view deletes itself with its window
}

} // namespace
