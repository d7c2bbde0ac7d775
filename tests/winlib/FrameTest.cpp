// Frames: docked bars along every edge around the workspace, the choice of the dock side,
// showing and hiding bars with the relayout, the gripper band, views and command routing,
// and the idle work of a frame.
#include "winlib/Frame.h"
#include "winlib/Runtime.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// A bar of a given size that logs the shows and hides it is told about.
class LoggingBar : public CBCGPDockingControlBar
{
public:
    std::vector<std::string> log;

protected:
    void OnShowWindow(BOOL show, UINT status) override
    {
        log.push_back(show ? "show" : "hide");
        CBCGPDockingControlBar::OnShowWindow(show, status);
    }
};

class CountingFrame : public CBCGPMDIFrameWnd
{
public:
    int idleCalls = 0;
    std::vector<UINT> commands;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (CBCGPMDIFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
        if (nCode != CN_COMMAND && HIWORD(nCode) != BN_CLICKED)
            return FALSE;
        commands.push_back(nID);
        return TRUE;
    }

protected:
    void OnIdle() override
    {
        ++idleCalls;
        CBCGPMDIFrameWnd::OnIdle();
    }
};

CRect RectInParent(const CWnd& wnd)
{
    CRect r;
    wnd.GetWindowRect(&r);
    wnd.GetParent()->ScreenToClient(&r);
    return r;
}

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_frame.Create(nullptr, "Terminal", WS_OVERLAPPEDWINDOW, CRect(100, 100, 1000, 800)));
        m_frame.ShowWindow(SW_SHOW);
        m_frame.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.GetClientRect(&m_client);
    }

    // The loop does something and then runs dry, as after any input.
    void RunIdle()
    {
        ::PostMessage(nullptr, WM_NULL, 0, 0);
        m_driver.Pump();
    }

    void MakeBar(LoggingBar& bar, const char* caption, CSize size, BOOL gripper = FALSE)
    {
        ASSERT_TRUE(bar.Create(caption, &m_frame, CRect(CPoint(0, 0), size), gripper, 0, WS_CHILD | WS_VISIBLE));
        bar.EnableDocking(CBRS_ALIGN_ANY);
    }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    CountingFrame m_frame;
    CRect m_client;
};

TEST_F(FrameTest, DockedBarsTakeTheEdgesInDockingOrderAndLeaveTheWorkspaceInTheMiddle)
{
    LoggingBar top1, top2, bottom, left, right;
    MakeBar(top1, "Top one", CSize(200, 30));
    MakeBar(top2, "Top two", CSize(200, 20));
    MakeBar(bottom, "Bottom", CSize(200, 25));
    MakeBar(left, "Left", CSize(40, 100));
    MakeBar(right, "Right", CSize(50, 100), TRUE);
    // Docked out of side order: each side keeps its own docking order.
    m_frame.DockControlBar(&left, CBRS_ALIGN_LEFT);
    m_frame.DockControlBar(&top1, CBRS_ALIGN_TOP);
    m_frame.DockControlBar(&bottom, CBRS_ALIGN_BOTTOM);
    m_frame.DockControlBar(&right, CBRS_ALIGN_RIGHT);
    m_frame.DockControlBar(&top2, CBRS_ALIGN_TOP);
    m_frame.RecalcLayout();

    const int w = m_client.Width();
    const int h = m_client.Height();
    const int grip = CBCGPBaseControlBar::kGripperBand;
    EXPECT_EQ(RectInParent(top1), CRect(0, 0, w, 30));
    EXPECT_EQ(RectInParent(top2), CRect(0, 30, w, 50));
    EXPECT_EQ(RectInParent(bottom), CRect(0, h - 25, w, h));
    EXPECT_EQ(RectInParent(left), CRect(0, 50, 40, h - 25));
    // The gripper band of a bar docked on the right runs down its left edge.
    EXPECT_EQ(RectInParent(right), CRect(w - 50 - grip, 50, w, h - 25));
    CRect rightClient;
    right.GetClientRect(&rightClient);
    EXPECT_EQ(rightClient.Size(), CSize(50, h - 75));
    EXPECT_EQ(right.GetGripperRect(), CRect(0, 0, grip, h - 75));

    const CRect workspace(40, 50, w - 50 - grip, h - 25);
    EXPECT_EQ(m_frame.GetWorkspaceRect(), workspace);
    CWnd* mdiClient = m_frame.GetMDIClient();
    EXPECT_EQ(RectInParent(*mdiClient), workspace);
    EXPECT_EQ(GetClassNameString(mdiClient->m_hWnd), "MDIClient");
    EXPECT_EQ(mdiClient->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
    EXPECT_EQ(m_frame.GetControlBars().size(), 5u);
    EXPECT_EQ(left.GetCurrentAlignment(), CBRS_ALIGN_LEFT);

    // The workspace is painted in the application-workspace colour.
    m_driver.Repaint();
    const auto fills = m_driver.Fills(mdiClient->m_hWnd);
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [](const winlib::DrawOp& op) {
        return op.color == GetSysColor(COLOR_APPWORKSPACE) && op.local.Width() > 0;
    }));
}

TEST_F(FrameTest, ABarDocksOnTheFirstSideBothAllowOrOnTheOneAsked)
{
    LoggingBar sideways, any, asked, nowhere;
    MakeBar(sideways, "Sideways", CSize(30, 30));
    MakeBar(any, "Any", CSize(30, 30));
    MakeBar(asked, "Asked", CSize(30, 30));
    MakeBar(nowhere, "Nowhere", CSize(30, 30));
    sideways.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    nowhere.EnableDocking(0);

    m_frame.DockControlBar(&sideways);
    m_frame.DockControlBar(&any);
    m_frame.DockControlBar(&asked, CBRS_ALIGN_RIGHT);
    m_frame.DockControlBar(&nowhere);
    EXPECT_EQ(sideways.GetCurrentAlignment(), CBRS_ALIGN_LEFT);
    EXPECT_EQ(any.GetCurrentAlignment(), CBRS_ALIGN_TOP);
    EXPECT_EQ(asked.GetCurrentAlignment(), CBRS_ALIGN_RIGHT);
    EXPECT_FALSE(nowhere.IsDocked());
    EXPECT_EQ(nowhere.GetDockSiteFrameWnd(), nullptr);
    EXPECT_EQ(m_frame.GetControlBars().size(), 3u);
    // Asked for a side by name, a bar that never enabled docking is docked there.
    m_frame.DockControlBar(&nowhere, CBRS_ALIGN_BOTTOM);
    EXPECT_EQ(nowhere.GetCurrentAlignment(), CBRS_ALIGN_BOTTOM);

    // A side the frame does not allow is not taken even when asked for.
    CountingFrame bottomOnly;
    ASSERT_TRUE(bottomOnly.Create(nullptr, "Bottom only", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    bottomOnly.EnableDocking(CBRS_ALIGN_BOTTOM);
    LoggingBar moved;
    ASSERT_TRUE(moved.Create("Moved", &m_frame, CRect(0, 0, 30, 30), FALSE, 0, WS_CHILD | WS_VISIBLE));
    moved.EnableDocking(CBRS_ALIGN_ANY);
    bottomOnly.DockControlBar(&moved, CBRS_ALIGN_TOP);
    EXPECT_EQ(moved.GetCurrentAlignment(), CBRS_ALIGN_BOTTOM);
    EXPECT_EQ(moved.GetParent(), &bottomOnly) << "docking makes the frame the bar's parent";
}

TEST_F(FrameTest, DockingLaysOutOnTheNextIdleAndAResizeAtOnce)
{
    LoggingBar bar;
    MakeBar(bar, "Bar", CSize(100, 40));
    bar.MoveWindow(5, 35, 300, 80);
    m_frame.DockControlBar(&bar);
    EXPECT_TRUE(m_frame.IsLayoutPending());
    EXPECT_EQ(RectInParent(bar), CRect(5, 35, 305, 115)) << "until the loop is idle the bar stays where it was put";

    RunIdle();
    EXPECT_FALSE(m_frame.IsLayoutPending());
    EXPECT_EQ(RectInParent(bar), CRect(0, 0, m_client.Width(), 40));

    m_frame.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    CRect client;
    m_frame.GetClientRect(&client);
    EXPECT_EQ(RectInParent(bar), CRect(0, 0, client.Width(), 40));
}

TEST_F(FrameTest, ShowingAndHidingABarRelaysOutTheFrame)
{
    LoggingBar bottom;
    MakeBar(bottom, "Log", CSize(100, 60));
    m_frame.DockControlBar(&bottom);
    m_frame.DockControlBar(&bottom, CBRS_ALIGN_BOTTOM);
    EXPECT_EQ(m_frame.GetControlBars().size(), 1u) << "docking twice keeps one entry";
    m_frame.RecalcLayout();
    EXPECT_EQ(m_frame.GetWorkspaceRect().bottom, m_client.bottom - 60);

    m_frame.ShowControlBar(&bottom, FALSE, FALSE, FALSE);
    EXPECT_FALSE(bottom.IsVisible());
    EXPECT_EQ(m_frame.GetWorkspaceRect(), m_client);
    EXPECT_EQ(RectInParent(*m_frame.GetMDIClient()), m_client);

    // Delayed: the workspace keeps its size until the loop is idle.
    m_frame.ShowControlBar(&bottom, TRUE, TRUE, FALSE);
    EXPECT_TRUE(bottom.IsVisible());
    EXPECT_EQ(RectInParent(*m_frame.GetMDIClient()), m_client);
    RunIdle();
    EXPECT_EQ(RectInParent(*m_frame.GetMDIClient()).bottom, m_client.bottom - 60);

    // Showing a shown bar tells it nothing new.
    m_frame.ShowControlBar(&bottom, TRUE, FALSE, FALSE);
    EXPECT_EQ(bottom.log, (std::vector<std::string>{"show", "hide", "show"}));

    // Activation gives the bar the keyboard focus.
    EXPECT_NE(CWnd::GetFocus(), &bottom);
    bottom.ShowControlBar(TRUE, FALSE, TRUE);
    EXPECT_EQ(CWnd::GetFocus(), &bottom);
}

TEST_F(FrameTest, TheGripperBandIsNonClientHitAsACaptionAndShowsTheCaption)
{
    LoggingBar bar;
    MakeBar(bar, "Maker Checker", CSize(300, 50), TRUE);
    m_frame.DockControlBar(&bar);
    m_frame.RecalcLayout();
    const int grip = CBCGPBaseControlBar::kGripperBand;
    CRect window;
    bar.GetWindowRect(&window);
    EXPECT_EQ(window.Height(), 50 + grip);
    CRect client;
    bar.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, m_client.Width(), 50));
    CPoint origin(0, 0);
    bar.ClientToScreen(&origin);
    EXPECT_EQ(origin.y - window.top, grip) << "the client area starts below the band";

    EXPECT_EQ(bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.top + 5)), HTCAPTION);
    EXPECT_EQ(bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(window.left + 40, window.top + grip + 5)), HTCLIENT);

    m_driver.Repaint();
    const auto texts = m_driver.TextStrings(bar.m_hWnd);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Maker Checker"), texts.end());
    const auto fills = m_driver.Fills(bar.m_hWnd);
    EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [&](const winlib::DrawOp& op) {
        return op.color == GetSysColor(COLOR_BTNFACE) && op.device.Height() == grip &&
               op.device.Width() == m_client.Width();
    }));
}

// ---- Views, command routing and idle work -------------------------------------------------

std::vector<std::string>* g_route = nullptr;

class RoutedView : public CView
{
    DECLARE_DYNCREATE(RoutedView)
public:
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (nID == 500 && nCode == CN_COMMAND)
        {
            g_route->push_back("view 500");
            return TRUE;
        }
        return CView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }
};
IMPLEMENT_DYNCREATE(RoutedView, CView)

class ViewFrame : public CBCGPFrameWnd
{
public:
    std::vector<UINT> commands;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (CBCGPFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
            return TRUE;
        if (nCode != CN_COMMAND)
            return FALSE;
        commands.push_back(nID);
        return TRUE;
    }
};

TEST_F(FrameTest, AViewFromTheCreateContextFillsTheClientAndSeesCommandsFirst)
{
    std::vector<std::string> route;
    g_route = &route;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(RoutedView);
    ViewFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, "With view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 400), nullptr,
                             nullptr, 0, &context));
    CView* view = frame.GetActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(RoutedView)));
    EXPECT_EQ(view->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
    EXPECT_EQ(view->GetParentFrame(), &frame);
    CRect client;
    frame.GetClientRect(&client);
    EXPECT_EQ(RectInParent(*view), client);

    frame.SendMessage(WM_COMMAND, MAKEWPARAM(500, 0), 0);
    frame.SendMessage(WM_COMMAND, MAKEWPARAM(501, 0), 0);
    EXPECT_EQ(route, (std::vector<std::string>{"view 500"}));
    EXPECT_EQ(frame.commands, (std::vector<UINT>{501})) << "what the view leaves goes to the frame";

    view->DestroyWindow();
    EXPECT_EQ(frame.GetActiveView(), nullptr);
    g_route = nullptr;
}

TEST_F(FrameTest, IdleWorkRunsWhileTheFrameLivesAndStopsWithIt)
{
    RunIdle();
    const int before = m_frame.idleCalls;
    EXPECT_GT(before, 0);
    RunIdle();
    EXPECT_EQ(m_frame.idleCalls, before + 1);
    m_frame.DestroyWindow();
    RunIdle();
    EXPECT_EQ(m_frame.idleCalls, before + 1);
}

TEST_F(FrameTest, TheControlThatHadTheFocusGetsItBackWhenTheFrameIsActivatedAgain)
{
    CWnd first, second, popup;
    ASSERT_TRUE(first.Create("BUTTON", "First", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(0, 0, 80, 20),
                             &m_frame, 1));
    ASSERT_TRUE(second.Create("EDIT", "Second", WS_CHILD | WS_VISIBLE, CRect(0, 30, 80, 50), &m_frame, 2));
    ASSERT_TRUE(
        popup.CreateEx(0, "STATIC", "Picker", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), &m_frame, 0));
    ::SetActiveWindow(m_frame.m_hWnd);
    second.SetFocus();

    // A picker takes the activation and the focus, then gives them back.
    ::SetActiveWindow(popup.m_hWnd);
    ::SetFocus(popup.m_hWnd);
    ::SetActiveWindow(m_frame.m_hWnd);
    EXPECT_EQ(::GetFocus(), second.m_hWnd);

    // A control hidden meanwhile is not given the focus: the frame takes it as before.
    ::SetActiveWindow(popup.m_hWnd);
    second.ShowWindow(SW_HIDE);
    ::SetActiveWindow(m_frame.m_hWnd);
    EXPECT_EQ(::GetFocus(), m_frame.m_hWnd);

    // Nor is a control destroyed meanwhile.
    second.ShowWindow(SW_SHOW);
    second.SetFocus();
    ::SetActiveWindow(popup.m_hWnd);
    second.DestroyWindow();
    ::SetActiveWindow(m_frame.m_hWnd);
    EXPECT_EQ(::GetFocus(), m_frame.m_hWnd);
    popup.DestroyWindow();
}

} // namespace
