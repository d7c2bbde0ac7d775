// Dialog bars in a docking frame: made from a template, driven by mouse and keyboard,
// updated on idle, floated into a mini-frame by a gripper drag or on request, and docked
// back by a double-click on the mini-frame's caption or by moving it onto an edge.
#include "support/BarTemplate.h"
#include "winlib/Frame.h"
#include "winlib/Input.h"
#include "winlib/Runtime.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr UINT kTemplateId = 7100;
constexpr int kAccept = 1;
constexpr int kReject = 1963;
constexpr int kUpdate = 1000;
constexpr int kAuto = 1100;
constexpr UINT kBarStyle = 0x46402834; // child, clip siblings and children, gripper, top, bottom border,
                                       // fly-by, tool tips, dynamic size
constexpr int kGrip = CBCGPBaseControlBar::kGripperBand;

void RegisterBarTemplate()
{
    winlib::DialogTemplate t = BarTemplate(kTemplateId, 200, 60);
    t.items = {
        {"Button", "Accept", kAccept, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 10, 6, 50, 14},
        {"Button", "Reject", kReject, WS_VISIBLE | WS_TABSTOP, 0, 70, 6, 50, 14},
        {"Button", "Update", kUpdate, WS_VISIBLE | WS_TABSTOP, 0, 130, 6, 50, 14},
        {"Button", "Auto", kAuto, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 10, 30, 60, 10},
        {"Static", "Label", -1, WS_VISIBLE, 0, 80, 30, 60, 10},
    };
    winlib::RegisterDialogTemplate(t);
}

class ConsoleBar : public CBCGPDialogBar
{
public:
    int initCalls = 0;
    bool controlsAtInit = false;
    BOOL keepButtonsEnabled = FALSE;
    std::vector<UINT> commands;
    std::vector<std::string> shows;
    int floats = 0;
    int docks = 0;
    HWND parentAtFloat = nullptr;

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam) override
    {
        ++initCalls;
        controlsAtInit = GetDlgItem(kReject) != nullptr && GetDlgItem(kAuto) != nullptr;
        return CBCGPDialogBar::HandleInitDialog(wParam, lParam);
    }
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override
    {
        CBCGPDialogBar::OnUpdateCmdUI(target, keepButtonsEnabled ? FALSE : disableIfNoHandler);
    }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (nID == kAccept && nCode == CN_UPDATE_COMMAND_UI)
        {
            static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
            return TRUE;
        }
        return CBCGPDialogBar::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == kAccept)
            return TRUE;
        return CBCGPDialogBar::OnCommand(wParam, lParam);
    }
    void OnAfterFloat() override
    {
        ++floats;
        parentAtFloat = ::GetParent(m_hWnd);
        CBCGPDialogBar::OnAfterFloat();
    }
    void OnAfterDock() override
    {
        ++docks;
        CBCGPDialogBar::OnAfterDock();
    }

protected:
    void OnShowWindow(BOOL show, UINT status) override
    {
        shows.push_back(show ? "show" : "hide");
        CBCGPDialogBar::OnShowWindow(show, status);
    }
};

class MainFrame : public CBCGPMDIFrameWnd
{
public:
    std::vector<UINT> commands;
    int f5Seen = 0;

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override
    {
        if (nID == kUpdate && nCode == CN_UPDATE_COMMAND_UI)
        {
            static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
            return TRUE;
        }
        if (nCode == CN_UPDATE_COMMAND_UI)
            return CBCGPMDIFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
        commands.push_back(nID);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F5)
        {
            ++f5Seen;
            return TRUE;
        }
        return CBCGPMDIFrameWnd::PreTranslateMessage(msg);
    }
};

CRect ScreenRect(HWND hwnd)
{
    CRect r;
    ::GetWindowRect(hwnd, &r);
    return r;
}

class DockingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterBarTemplate();
        ASSERT_TRUE(m_frame.Create(nullptr, "Terminal", WS_OVERLAPPEDWINDOW, CRect(100, 100, 1100, 800)));
        m_frame.ShowWindow(SW_SHOW);
        m_frame.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.GetClientRect(&m_client);
    }

    // Creates, docks and shows the bar as the plug-in does.
    void DockConsole(DWORD side = 0)
    {
        ASSERT_TRUE(m_bar.Create("Maker Checker", &m_frame, TRUE, kTemplateId, kBarStyle, 1000));
        m_bar.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.DockControlBar(&m_bar, side);
        m_frame.ShowControlBar(&m_bar, TRUE, FALSE, FALSE);
    }

    void RunIdle()
    {
        ::PostMessage(nullptr, WM_NULL, 0, 0);
        m_driver.Pump();
    }

    void Button(CPoint screen, bool down, bool doubleClick = false)
    {
        winlib::input::MouseButton(screen, winlib::input::Button::Left, down, doubleClick);
        m_driver.Pump();
    }

    void MoveTo(CPoint screen)
    {
        winlib::input::MouseMove(screen);
        m_driver.Pump();
    }

    CPoint CenterOf(int id)
    {
        const CRect r = ScreenRect(m_bar.GetDlgItem(id)->m_hWnd);
        return r.CenterPoint();
    }

    winlib::testing::Driver m_driver;
    MainFrame m_frame;
    ConsoleBar m_bar;
    CRect m_client;
};

TEST_F(DockingTest, TheBarIsTheTemplatesDialogAsAChildOfTheFrame)
{
    ASSERT_TRUE(m_bar.Create("Maker Checker", &m_frame, TRUE, kTemplateId, kBarStyle, 1000));
    EXPECT_EQ(GetClassNameString(m_bar.m_hWnd), "#32770");
    EXPECT_EQ(m_bar.GetParent(), &m_frame);
    const DWORD style = m_bar.GetStyle();
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
              WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_FALSE(style & WS_DLGFRAME) << "the gripper bit is the bar's, not a dialog frame";
    EXPECT_EQ(m_bar.GetBarStyle(), 0x00402834u);
    EXPECT_EQ(m_bar.GetWindowText(), "Maker Checker");
    EXPECT_EQ(m_bar.GetDlgCtrlID(), 1000);
    EXPECT_EQ(m_bar.initCalls, 1);
    EXPECT_TRUE(m_bar.controlsAtInit) << "WM_INITDIALOG comes once the template's controls exist";

    // The template's size is the client area; the gripper band comes on top of it.
    const CSize templateSize(MulDiv(200, 6, 4), MulDiv(60, 13, 8));
    CRect client;
    m_bar.GetClientRect(&client);
    EXPECT_EQ(client.Size(), templateSize);
    EXPECT_EQ(ScreenRect(m_bar.m_hWnd).Height(), templateSize.cy + kGrip);
    CRect accept = ScreenRect(m_bar.GetDlgItem(kAccept)->m_hWnd);
    m_bar.ScreenToClient(&accept);
    EXPECT_EQ(accept, CRect(15, 10, 90, 33));

    EXPECT_EQ(m_bar.CalcFixedLayout(FALSE, TRUE), CSize(templateSize.cx, templateSize.cy + kGrip));
    EXPECT_EQ(m_bar.CalcFixedLayout(TRUE, TRUE), CSize(32767, templateSize.cy + kGrip));
    EXPECT_EQ(m_bar.CalcFixedLayout(FALSE, FALSE), CSize(templateSize.cx + kGrip, templateSize.cy));

    ConsoleBar missing;
    EXPECT_FALSE(missing.Create("Missing", &m_frame, TRUE, 7199, kBarStyle, 1001));
    EXPECT_EQ(missing.m_hWnd, nullptr);
    EXPECT_EQ(missing.initCalls, 0);
}

TEST_F(DockingTest, KeysAndClicksReachTheBarAfterTheFrameSawTheKeysAndWhatItLeavesReachesTheFrame)
{
    DockConsole();
    m_bar.keepButtonsEnabled = TRUE; // the idle update would disable Reject, which nobody answers for
    m_bar.GetDlgItem(kAccept)->SetFocus();
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), m_bar.GetDlgItem(kReject));
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), m_bar.GetDlgItem(kUpdate));
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    EXPECT_EQ(CWnd::GetFocus(), m_bar.GetDlgItem(kReject));

    m_driver.Press(VK_F5);
    EXPECT_EQ(m_frame.f5Seen, 1) << "the frame's accelerators come first";

    // Enter clicks the focused push button; the bar does not handle Reject, the frame does.
    m_driver.Press(VK_RETURN);
    m_driver.ClickScreen(CenterOf(kAccept));
    EXPECT_EQ(m_bar.commands, (std::vector<UINT>{kReject, kAccept}));
    EXPECT_EQ(m_frame.commands, (std::vector<UINT>{kReject})) << "the bar handled Accept";

    // Floating, the frame is no longer on the way up from the bar's controls, and is still asked.
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(300, 300, 700, 500)));
    m_bar.GetDlgItem(kAccept)->SetFocus();
    m_driver.Press(VK_F5);
    EXPECT_EQ(m_frame.f5Seen, 2);
    m_driver.Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), m_bar.GetDlgItem(kReject));
}

TEST_F(DockingTest, TheIdleUpdateDisablesButtonsNobodyAnswersForUnlessTheBarSaysNot)
{
    DockConsole();
    RunIdle();
    EXPECT_TRUE(m_bar.GetDlgItem(kAccept)->IsWindowEnabled()) << "the bar answers for Accept";
    EXPECT_TRUE(m_bar.GetDlgItem(kUpdate)->IsWindowEnabled()) << "the frame answers for Update";
    EXPECT_FALSE(m_bar.GetDlgItem(kReject)->IsWindowEnabled());
    EXPECT_TRUE(m_bar.GetDlgItem(kAuto)->IsWindowEnabled()) << "a check box that checks itself needs nobody";

    m_bar.GetDlgItem(kReject)->EnableWindow(TRUE);
    m_bar.keepButtonsEnabled = TRUE;
    RunIdle();
    EXPECT_TRUE(m_bar.GetDlgItem(kReject)->IsWindowEnabled());

    // A floating bar is updated through its mini-frame.
    m_bar.keepButtonsEnabled = FALSE;
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(300, 300, 700, 500)));
    RunIdle();
    EXPECT_FALSE(m_bar.GetDlgItem(kReject)->IsWindowEnabled());
}

TEST_F(DockingTest, DraggingTheGripperFloatsTheBarInAMiniFrameThatFollowsTheMouse)
{
    DockConsole();
    m_bar.shows.clear();
    const CRect docked = ScreenRect(m_bar.m_hWnd);
    const CPoint grip(docked.left + 60, docked.top + 5);
    EXPECT_EQ(m_bar.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), HTCAPTION);

    Button(grip, true);
    MoveTo(grip + CPoint(2, 2));
    EXPECT_FALSE(m_bar.IsFloating()) << "within the drag distance nothing moves";
    MoveTo(grip + CPoint(30, 40));
    ASSERT_TRUE(m_bar.IsFloating());

    CWnd* mini = m_bar.GetParentMiniFrame();
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(m_bar.GetParent(), mini);
    EXPECT_EQ(m_bar.parentAtFloat, mini->m_hWnd) << "OnAfterFloat sees the mini-frame as the parent";
    EXPECT_EQ(m_bar.floats, 1);
    EXPECT_TRUE(mini->IsKindOf(RUNTIME_CLASS(CBCGPMiniFrameWnd)));
    const DWORD frameBits = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
    EXPECT_EQ(mini->GetStyle() & frameBits, frameBits);
    EXPECT_TRUE(mini->GetExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_EQ(mini->GetWindowText(), "Maker Checker");
    EXPECT_EQ(::GetWindow(mini->m_hWnd, GW_OWNER), m_frame.m_hWnd);
    EXPECT_TRUE(mini->IsWindowVisible());
    EXPECT_TRUE(m_bar.shows.empty()) << "floating is not a show";

    EXPECT_EQ(ScreenRect(mini->m_hWnd).TopLeft(), docked.TopLeft() + CPoint(30, 40));
    EXPECT_EQ(m_frame.GetWorkspaceRect(), m_client) << "the frame no longer gives the bar room";
    EXPECT_EQ(m_bar.GetGripperSize(), 0);
    CRect barClient;
    m_bar.GetClientRect(&barClient);
    EXPECT_EQ(barClient.Size(), CSize(MulDiv(200, 6, 4), MulDiv(60, 13, 8)));

    MoveTo(grip + CPoint(90, 130));
    EXPECT_EQ(ScreenRect(mini->m_hWnd).TopLeft(), docked.TopLeft() + CPoint(90, 130));
    Button(grip + CPoint(90, 130), false);
    MoveTo(grip + CPoint(150, 150));
    EXPECT_EQ(ScreenRect(mini->m_hWnd).TopLeft(), docked.TopLeft() + CPoint(90, 130)) << "the drag ended";
    EXPECT_EQ(m_bar.floats, 1);
}

TEST_F(DockingTest, ADoubleClickOnTheMiniFramesCaptionDocksTheBarBack)
{
    DockConsole(CBRS_ALIGN_LEFT);
    RunIdle();
    const int docksBefore = m_bar.docks;
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(300, 300, 700, 500)));
    EXPECT_EQ(m_bar.floats, 1);
    CWnd* mini = m_bar.GetParentMiniFrame();
    ASSERT_NE(mini, nullptr);
    const HWND miniHandle = mini->m_hWnd;
    EXPECT_EQ(ScreenRect(miniHandle), CRect(300, 300, 700, 500));
    CRect miniClient;
    mini->GetClientRect(&miniClient);
    CRect barClient;
    m_bar.GetClientRect(&barClient);
    EXPECT_EQ(barClient.Size(), miniClient.Size()) << "the bar fills the mini-frame";
    EXPECT_EQ(m_frame.GetWorkspaceRect(), m_client);

    const CPoint caption(340, 310);
    ASSERT_EQ(::SendMessage(miniHandle, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
    Button(caption, true);
    Button(caption, false);
    Button(caption, true, true);
    Button(caption, false);

    EXPECT_FALSE(m_bar.IsFloating());
    EXPECT_FALSE(::IsWindow(miniHandle)) << "the empty mini-frame goes away";
    EXPECT_EQ(m_bar.GetParent(), &m_frame);
    EXPECT_EQ(m_bar.GetCurrentAlignment(), CBRS_ALIGN_LEFT) << "back on the side it came from";
    EXPECT_EQ(m_bar.docks, docksBefore + 1);
    EXPECT_EQ(m_frame.GetWorkspaceRect().left, MulDiv(200, 6, 4) + kGrip);
    EXPECT_EQ(m_bar.floats, 1);
}

TEST_F(DockingTest, ClosingTheMiniFrameHidesTheBarUntilItIsShownAgain)
{
    DockConsole();
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(300, 300, 700, 500)));
    CWnd* mini = m_bar.GetParentMiniFrame();
    m_bar.shows.clear();

    // The close box at the right of the small caption.
    m_driver.ClickScreen(CPoint(700 - 4 - 7, 300 + 4 + 7));
    EXPECT_FALSE(m_bar.IsVisible());
    EXPECT_FALSE(mini->IsWindowVisible());
    EXPECT_TRUE(m_bar.IsFloating()) << "closing hides, it does not dock";
    EXPECT_EQ(m_bar.shows, (std::vector<std::string>{"hide"}));

    m_frame.ShowControlBar(&m_bar, TRUE, FALSE, FALSE);
    EXPECT_TRUE(mini->IsWindowVisible());
    EXPECT_TRUE(m_bar.IsWindowVisible());
    EXPECT_EQ(m_bar.shows, (std::vector<std::string>{"hide", "show"}));

    // The docking command of a menu docks it back.
    EXPECT_TRUE(m_bar.DockToFrameWindow());
    EXPECT_EQ(m_bar.GetCurrentAlignment(), CBRS_ALIGN_TOP);
    EXPECT_EQ(m_frame.GetWorkspaceRect().top, MulDiv(60, 13, 8) + kGrip);
}

TEST_F(DockingTest, MovingTheMiniFrameOntoAFrameEdgeDocksTheBarThere)
{
    DockConsole();
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(400, 300, 800, 500)));
    const HWND miniHandle = m_bar.GetParentMiniFrame()->m_hWnd;
    CRect client = m_client;
    m_frame.ClientToScreen(&client);

    const CPoint caption(450, 310);
    Button(caption, true);
    MoveTo(CPoint(500, 400));
    EXPECT_TRUE(m_bar.IsFloating()) << "the middle of the frame is no dock edge";
    EXPECT_EQ(ScreenRect(miniHandle).TopLeft(), CPoint(450, 390));
    MoveTo(CPoint(500, client.bottom - 5));
    Button(CPoint(500, client.bottom - 5), false);

    EXPECT_FALSE(m_bar.IsFloating());
    EXPECT_FALSE(::IsWindow(miniHandle));
    EXPECT_EQ(m_bar.GetCurrentAlignment(), CBRS_ALIGN_BOTTOM);
    EXPECT_EQ(m_frame.GetWorkspaceRect().bottom, m_client.bottom - MulDiv(60, 13, 8) - kGrip);
}

TEST_F(DockingTest, DestroyingTheFrameOrAFloatingBarLeavesNothingBehind)
{
    DockConsole();
    ASSERT_TRUE(m_bar.FloatControlBar(CRect(300, 300, 700, 500)));
    const HWND miniHandle = m_bar.GetParentMiniFrame()->m_hWnd;
    m_bar.DestroyWindow();
    EXPECT_EQ(m_bar.m_hWnd, nullptr);
    EXPECT_TRUE(m_frame.GetControlBars().empty());
    m_driver.Pump();
    EXPECT_FALSE(::IsWindow(miniHandle)) << "the empty mini-frame closes itself";

    ConsoleBar other;
    ASSERT_TRUE(other.Create("Other", &m_frame, TRUE, kTemplateId, kBarStyle, 1001));
    other.EnableDocking(CBRS_ALIGN_ANY);
    m_frame.DockControlBar(&other);
    ASSERT_TRUE(other.FloatControlBar(CRect(300, 300, 700, 500)));
    const HWND otherMini = other.GetParentMiniFrame()->m_hWnd;
    m_frame.DestroyWindow();
    EXPECT_FALSE(::IsWindow(otherMini));
    EXPECT_EQ(other.m_hWnd, nullptr);
    EXPECT_EQ(other.GetDockSiteFrameWnd(), nullptr);
}

} // namespace
