#include "host/MainFrame.h"

#include "host/HostServices.h"
#include "winlib/SysCommands.h"

#include <algorithm>

namespace host
{

namespace
{
std::unique_ptr<CMenu> Popup(std::initializer_list<std::pair<UINT, const char*>> items)
{
    auto menu = std::make_unique<CMenu>();
    menu->CreatePopupMenu();
    for (const auto& [id, text] : items)
    {
        if (id == 0)
            menu->AppendMenu(MF_SEPARATOR);
        else
            menu->AppendMenu(MF_STRING, id, text);
    }
    return menu;
}
} // namespace

CRect CMainFrame::InitialRect(SIZE screen)
{
    constexpr int margin = 10;
    const int width = std::clamp(static_cast<int>(screen.cx) - 2 * margin, 320, 1680);
    const int height = std::clamp(static_cast<int>(screen.cy) - 2 * margin, 240, 1020);
    return CRect(margin, margin, margin + width, margin + height);
}

BOOL CMainFrame::CreateFrame()
{
    return Create(nullptr, "Kivo Terminal", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  InitialRect(SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
}

int CMainFrame::OnCreate(LPCREATESTRUCT cs)
{
    if (CBCGPMDIFrameWnd::OnCreate(cs) == -1)
        return -1;
    EnableDocking(CBRS_ALIGN_ANY);
    if (!m_menuBar.CreateBar(this) || !m_logBar.CreateBar(this))
        return -1;
    m_menuBar.AddMenu("&File", Popup({{ID_HOST_EXIT, "E&xit"}}));
    m_menuBar.AddMenu("&Plug-in", Popup({{ID_HOST_PLUGIN_HOTKEY, "&Maker Checker\tCtrl+Shift+M"},
                                         {ID_HOST_PLUGIN_RESTART, "&Start again"},
                                         {ID_HOST_PLUGIN_STOP, "S&top"}}));
    m_menuBar.AddMenu("&View", Popup({{ID_HOST_CONSOLE_FLOAT, "&Float Maker Checker"},
                                      {ID_HOST_CONSOLE_DOCK, "&Dock Maker Checker"},
                                      {0, nullptr},
                                      {ID_HOST_VIEW_LOG, "Tabbed &Log"},
                                      {0, nullptr},
                                      {ID_HOST_FRAMEWORK_DEMO, "Window &Framework Demo"}}));
    DockControlBar(&m_menuBar, CBRS_ALIGN_TOP);
    m_logBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_logBar, CBRS_ALIGN_BOTTOM);

    HostServices& services = HostServices::Get();
    for (const LogLine& line : services.log)
        m_logBar.AddLine(line);
    services.onLogLine = [this](const LogLine& line) { m_logBar.AddLine(line); };
    return 0;
}

CBCGPBaseControlBar* CMainFrame::FindBar(const std::string& caption) const
{
    for (CBCGPBaseControlBar* bar : GetControlBars())
    {
        if (bar && bar->m_hWnd && bar->GetWindowText() == caption)
            return bar;
    }
    return nullptr;
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (msg->message == WM_KEYDOWN && msg->wParam == 'M' && ctrl && shift)
    {
        HotKey();
        return TRUE;
    }
    // Tab anywhere outside the console (the frame, the workspace, the log) enters it.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && !ctrl)
    {
        CBCGPBaseControlBar* console = FindBar("Maker Checker");
        const HWND focus = ::GetFocus();
        const bool inConsole =
            console && focus && (focus == console->m_hWnd || ::IsChild(console->m_hWnd, focus));
        if (!inConsole && FocusConsole(shift))
            return TRUE;
    }
    return CBCGPMDIFrameWnd::PreTranslateMessage(msg);
}

bool CMainFrame::FocusConsole(bool last)
{
    CBCGPBaseControlBar* bar = FindBar("Maker Checker");
    if (!bar || !bar->IsWindowVisible())
        return false;
    const HWND first = ::GetNextDlgTabItem(bar->m_hWnd, nullptr, last ? TRUE : FALSE);
    if (!first)
        return false;
    ::SetFocus(first);
    return true;
}

void CMainFrame::OnSetFocus(CWnd* oldWnd)
{
    // The frame has nothing to type into: the focus goes on to the console's first control,
    // as a frame gives it to its view, or to the log when there is no console.
    if (!FocusConsole(false) && m_logBar.m_hWnd)
        m_logBar.FocusList();
    else if (!::GetFocus())
        CBCGPMDIFrameWnd::OnSetFocus(oldWnd);
}

BOOL CMainFrame::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The menu keys (F10, Alt and a title's letter) open the menu bar's menus.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU && lParam != ' ')
    {
        if (!m_menuBar.OpenMenuByKey(static_cast<char>(lParam)))
            MessageBeep(0);
        *result = 0;
        return TRUE;
    }
    return CBCGPMDIFrameWnd::OnWndMsg(message, wParam, lParam, result);
}

void CMainFrame::HotKey()
{
    m_plugin.HotKey();
    // The plug-in leaves a console it already has alone; one the user closed is brought back
    // into view, as the terminal does for every bar it carries.
    if (CBCGPBaseControlBar* bar = FindBar("Maker Checker"); bar && !bar->IsVisible())
        bar->ShowControlBar(TRUE, FALSE, TRUE);
}

void CMainFrame::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu)
{
    CBCGPMDIFrameWnd::OnInitMenuPopup(popup, index, sysMenu);
    if (!popup || sysMenu)
        return;
    popup->CheckMenuItem(ID_HOST_VIEW_LOG,
                         MF_BYCOMMAND | (m_logBar.IsWindowVisible() ? MF_CHECKED : MF_UNCHECKED));
    popup->EnableMenuItem(ID_HOST_PLUGIN_STOP, MF_BYCOMMAND | (m_plugin.IsStarted() ? MF_ENABLED : MF_GRAYED));
}

CRect CMainFrame::FloatingRectFor(CBCGPBaseControlBar& bar) const
{
    // Below and right of where the bar is, and no larger than the frame's client area less
    // that offset, so that the floating console never reaches past the main window.
    constexpr int kOffset = 40;
    CRect place;
    bar.GetWindowRect(&place);
    CRect client;
    GetClientRect(&client);
    ClientToScreen(&client);
    const int width = std::max(200, std::min<int>(place.Width(), client.Width() - 2 * kOffset));
    const int height = std::max(120, std::min<int>(place.Height(), client.Height() - 2 * kOffset));
    const CPoint origin(std::max<int>(place.left, client.left) + kOffset,
                        std::max<int>(place.top, client.top) + kOffset);
    return CRect(origin, CSize(width, height));
}

BOOL CMainFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case ID_HOST_EXIT:
        PostMessage(WM_CLOSE);
        return TRUE;
    case ID_HOST_PLUGIN_HOTKEY:
        HotKey();
        return TRUE;
    case ID_HOST_PLUGIN_RESTART:
        m_plugin.Start();
        return TRUE;
    case ID_HOST_PLUGIN_STOP:
        m_plugin.Stop();
        return TRUE;
    case ID_HOST_CONSOLE_FLOAT:
        if (CBCGPBaseControlBar* bar = FindBar("Maker Checker"))
        {
            if (!bar->IsFloating())
                bar->FloatControlBar(FloatingRectFor(*bar));
            // A console closed by its close box comes back.
            if (!bar->IsVisible())
                bar->ShowControlBar(TRUE, FALSE, TRUE);
        }
        return TRUE;
    case ID_HOST_CONSOLE_DOCK:
        if (CBCGPBaseControlBar* bar = FindBar("Maker Checker"))
        {
            if (bar->IsFloating())
                bar->DockToFrameWindow();
            if (!bar->IsVisible())
                bar->ShowControlBar(TRUE, FALSE, TRUE);
        }
        return TRUE;
    case ID_HOST_FRAMEWORK_DEMO:
        m_plugin.ShowFrameworkDemo(GetMDIClient()->m_hWnd);
        return TRUE;
    case ID_HOST_VIEW_LOG:
        ShowControlBar(&m_logBar, !m_logBar.IsWindowVisible(), FALSE, FALSE);
        return TRUE;
    default:
        return CBCGPMDIFrameWnd::OnCommand(wParam, lParam);
    }
}

void CMainFrame::OnClose()
{
    // The plug-in goes first, while the frame it docks in still stands.
    m_plugin.Stop();
    CBCGPMDIFrameWnd::OnClose();
}

void CMainFrame::OnDestroy()
{
    HostServices::Get().onLogLine = nullptr;
    CBCGPMDIFrameWnd::OnDestroy();
    PostQuitMessage(0);
}

} // namespace host
