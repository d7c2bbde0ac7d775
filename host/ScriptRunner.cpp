#include "host/ScriptRunner.h"

#include "host/HostServices.h"
#include "winlib/Backend.h"
#include "winlib/Input.h"
#include "winlib/Runtime.h"

#include <fstream>
#include <iostream>

namespace host
{

namespace
{
std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

CWnd* ConsoleBar(CKivoHostApp& app)
{
    return app.Frame() ? app.Frame()->FindBar("Maker Checker") : nullptr;
}

// The list views inside a window, depth first in creation order.
void CollectGrids(HWND parent, std::vector<HWND>& grids)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        char name[64] = {};
        ::GetClassName(child, name, sizeof name);
        if (std::string(name) == "SysListView32")
            grids.push_back(child);
        CollectGrids(child, grids);
    }
}

// The active window when its caption starts with 'title'.
HWND ActiveWindowTitled(const std::string& title)
{
    const HWND active = ::GetActiveWindow();
    char text[256] = {};
    if (active)
        ::GetWindowText(active, text, sizeof text);
    return active && ::IsWindowVisible(active) && std::string(text).rfind(title, 0) == 0 ? active : nullptr;
}
} // namespace

void ScriptRunner::Settle()
{
    // Lets replies and deliveries queued by other threads arrive, then everything they cause.
    m_app.Transport().WaitIdle();
    winlib::PumpPending();
}

int ScriptRunner::RunFile(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
    {
        std::cerr << "kivo-host: cannot read the script " << path << "\n";
        return 1;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return Run(lines);
}

int ScriptRunner::Run(const std::vector<std::string>& lines)
{
    Settle();
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        std::string line = lines[i];
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.resize(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        const std::string action = line.substr(0, space);
        const std::string argument = space == std::string::npos ? "" : Trim(line.substr(space + 1));
        if (!Execute(action, argument))
            m_failures.push_back("line " + std::to_string(i + 1) + ": " + line);
        Settle();
        if (action == "quit")
            break;
    }
    for (const std::string& failure : m_failures)
        std::cerr << "kivo-host script: failed at " << failure << "\n";
    return m_failures.empty() ? 0 : 1;
}

bool ScriptRunner::Execute(const std::string& action, const std::string& argument)
{
    HostServices& services = HostServices::Get();
    CMainFrame* frame = m_app.Frame();
    if (action == "hotkey")
    {
        winlib::input::KeyDown(VK_CONTROL);
        winlib::input::KeyDown(VK_SHIFT);
        winlib::input::KeyDown('M');
        winlib::input::KeyUp('M');
        winlib::input::KeyUp(VK_SHIFT);
        winlib::input::KeyUp(VK_CONTROL);
        return true;
    }
    if (action == "start")
    {
        m_app.Plugin().Start();
        return true;
    }
    if (action == "stop")
    {
        m_app.Plugin().Stop();
        return true;
    }
    if (action == "framework-demo")
        return frame && m_app.Plugin().ShowFrameworkDemo(frame->GetMDIClient()->m_hWnd);
    if (action == "float-console" || action == "dock-console")
    {
        if (!frame)
            return false;
        frame->SendMessage(WM_COMMAND,
                           action == "float-console" ? ID_HOST_CONSOLE_FLOAT : ID_HOST_CONSOLE_DOCK);
        return true;
    }
    if (action == "click")
    {
        CWnd* console = ConsoleBar(m_app);
        CWnd* control = console ? console->GetDlgItem(std::atoi(argument.c_str())) : nullptr;
        if (!control || !control->IsWindowVisible())
            return false;
        CRect r;
        control->GetWindowRect(&r);
        const CPoint centre = r.CenterPoint();
        winlib::input::MouseButton(centre, winlib::input::Button::Left, true);
        winlib::PumpPending();
        winlib::input::MouseButton(centre, winlib::input::Button::Left, false);
        return true;
    }
    if (action == "grid-command")
    {
        // "grid-command N ID": the command a grid's menu item sends, to the console's Nth grid.
        CWnd* console = ConsoleBar(m_app);
        std::vector<HWND> grids;
        if (console)
            CollectGrids(console->m_hWnd, grids);
        const auto space = argument.find(' ');
        const int index = std::atoi(argument.substr(0, space).c_str());
        if (space == std::string::npos || index < 1 || index > static_cast<int>(grids.size()))
            return false;
        ::SendMessage(grids[static_cast<std::size_t>(index - 1)], WM_COMMAND,
                      static_cast<WPARAM>(std::atoi(argument.substr(space + 1).c_str())), 0);
        return true;
    }
    if (action == "window-screenshot")
    {
        // "window-screenshot FILE TITLE": the active window, when its caption starts with TITLE.
        const auto space = argument.find(' ');
        const HWND window =
            space == std::string::npos ? nullptr : ActiveWindowTitled(argument.substr(space + 1));
        return window && m_saveWindow && m_saveWindow(window, argument.substr(0, space));
    }
    if (action == "wait")
    {
        const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(argument.c_str()));
        winlib::RunUntil([until] { return static_cast<int>(GetTickCount() - until) >= 0; });
        return true;
    }
    if (action == "expect-log")
        return services.LogContains(argument);
    if (action == "expect-no-log")
        return !services.LogContains(argument);
    if (action == "expect-console")
        return ConsoleBar(m_app) != nullptr && ConsoleBar(m_app)->IsWindowVisible();
    if (action == "expect-no-console")
        return ConsoleBar(m_app) == nullptr;
    if (action == "expect-floating")
    {
        auto* bar = frame ? frame->FindBar("Maker Checker") : nullptr;
        return bar && bar->IsFloating() == (argument != "no");
    }
    if (action == "expect-hidden")
    {
        CWnd* console = ConsoleBar(m_app);
        CWnd* control = console ? console->GetDlgItem(std::atoi(argument.c_str())) : nullptr;
        return control && !control->IsWindowVisible();
    }
    if (const std::optional<bool> held = m_server.Run(action, argument))
        return *held;
    if (action == "log")
    {
        services.Log(argument);
        return true;
    }
    if (action == "quit")
    {
        if (frame)
            frame->SendMessage(WM_CLOSE);
        return true;
    }
    std::cerr << "kivo-host script: unknown action '" << action << "'\n";
    return false;
}

} // namespace host
