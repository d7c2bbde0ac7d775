#include "host/ScriptRunner.h"

#include "host/HostServices.h"
#include "host/ScriptBackend.h"
#include "host/TextFile.h"
#include "winlib/Backend.h"
#include "winlib/CommCtrl.h"
#include "winlib/Input.h"
#include "winlib/Runtime.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <thread>

namespace host
{

namespace
{

// Ticks of the stepping timer; a step runs after two quiet ticks in a row, so that the idle
// work the last one caused (a delayed layout, the control bars' update) has run in between.
constexpr UINT kTickMs = 10;
constexpr int kQuietTicks = 2;

ScriptRunner* g_running = nullptr;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

CBCGPBaseControlBar* ConsoleBar(CKivoHostApp& app)
{
    return app.Frame() ? app.Frame()->FindBar("Maker Checker") : nullptr;
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

void Click(POINT at, winlib::input::Button button)
{
    winlib::input::MouseMove(at);
    winlib::input::MouseButton(at, button, true);
    winlib::input::MouseButton(at, button, false);
}

struct KeyName
{
    const char* name;
    int vk;
    char ch;
};

constexpr KeyName kKeys[] = {{"tab", VK_TAB, '\t'},
                             {"enter", VK_RETURN, '\r'},
                             {"escape", VK_ESCAPE, '\x1b'},
                             {"space", VK_SPACE, ' '},
                             {"up", VK_UP, 0},
                             {"down", VK_DOWN, 0},
                             {"left", VK_LEFT, 0},
                             {"right", VK_RIGHT, 0},
                             {"home", VK_HOME, 0},
                             {"end", VK_END, 0},
                             {"f1", VK_F1, 0},
                             {"f10", VK_F10, 0},
                             {"f2", VK_F2, 0},
                             {"f6", VK_F6, 0},
                             {"apps", VK_APPS, 0},
                             {"pageup", VK_PRIOR, 0},
                             {"pagedown", VK_NEXT, 0},
                             {"backspace", VK_BACK, '\b'},
                             {"minus", VK_OEM_MINUS, '-'},
                             {"alt", VK_MENU, 0},
                             {"shift", VK_SHIFT, 0},
                             {"ctrl", VK_CONTROL, 0}};

// Whether a visible popup menu window is open.
bool PopupMenuOpen()
{
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        char cls[16] = {};
        ::GetClassName(top, cls, sizeof cls);
        if (std::string(cls) == "#32768" && ::IsWindowVisible(top))
            return true;
    }
    return false;
}

// The window, its whole rectangle inside the frame's client area and not empty.
bool ShownWithinFrame(CWnd* wnd, CWnd& frame)
{
    if (!wnd || !wnd->m_hWnd || !wnd->IsWindowVisible())
        return false;
    CRect rect;
    wnd->GetWindowRect(&rect);
    CRect client;
    frame.GetClientRect(&client);
    frame.ClientToScreen(&client);
    return !rect.IsRectEmpty() && (rect & client) == rect;
}

// The console's request list, as the plug-in makes it.
constexpr int kRequestListId = 4000;

// The window with the id among the descendants of 'parent', depth first.
HWND FindDescendant(HWND parent, int id)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        if (::GetDlgCtrlID(child) == id)
            return child;
        if (HWND found = FindDescendant(child, id))
            return found;
    }
    return nullptr;
}

// Pumps until 'done' holds, within a generous limit: what comes from another process (a server
// on the message bus) comes when it comes. The script's own tick does not run meanwhile. On a
// screen the display's events are taken too (real input from a test that drives the terminal).
bool PumpUntil(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done())
    {
        if (std::chrono::steady_clock::now() > until)
            return false;
        winlib::PumpPending();
        if (ScriptBackend::Installed())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        else
            winlib::GetBackend().WaitForEvents(10);
    }
    return true;
}

} // namespace

ScriptRunner::ScriptRunner(CKivoHostApp& app, ScreenHooks hooks)
    : m_app(app), m_server(app), m_windows(app), m_hooks(std::move(hooks)),
      m_console(app,
                [this](const std::string& word) -> std::optional<std::string>
                {
                    const auto key = m_server.Key(word);
                    return key ? std::optional(std::to_string(*key)) : std::nullopt;
                })
{
    // One table for every set. A name is in one set only (the table refuses it twice), so the
    // order the sets go in does not decide which one runs a step.
    AddActions();
    m_server.AddActions(m_actions);
    m_console.AddActions(m_actions);
    m_windows.AddActions(m_actions);
}

int ScriptRunner::RunFile(const std::string& path)
{
    std::vector<std::string> lines;
    if (const auto error = ReadTextLines(path, "script", lines))
    {
        // Nothing was run, so nothing may pass.
        std::cerr << "kivo-host: " << *error << "\n";
        return 1;
    }
    return Run(lines);
}

int ScriptRunner::Run(const std::vector<std::string>& lines)
{
    m_steps.clear();
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        std::string line = lines[i];
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.resize(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        m_steps.push_back(Step{static_cast<int>(i + 1), line, line.substr(0, space),
                               space == std::string::npos ? "" : Trim(line.substr(space + 1))});
    }
    m_next = 0;
    m_unchecked = nullptr;
    m_done = false;
    ScriptRunner* const outer = g_running;
    g_running = this;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs,
                                      [](HWND, UINT, UINT_PTR, DWORD)
                                      {
                                          if (g_running)
                                              g_running->Tick();
                                      });
    winlib::RunUntil([this] { return m_done || winlib::QuitRequested(); });
    ::KillTimer(nullptr, timer);
    g_running = outer;
    if (!m_done)
    {
        // The terminal closed itself before the script was over.
        for (; m_next < m_steps.size(); ++m_next)
            m_failures.push_back("line " + std::to_string(m_steps[m_next].line) + ": " +
                                 m_steps[m_next].text + " (the terminal had closed)");
    }
    for (const std::string& failure : m_failures)
        std::cerr << "kivo-host script: failed at " << failure << "\n";
    return m_failures.empty() ? 0 : 1;
}

void ScriptRunner::Tick()
{
    if (m_inTick || m_done || m_console.IsAnswering())
        return;
    m_inTick = true;
    // Replies and deliveries of the server thread arrive as posted work first.
    m_app.Transport().WaitIdle();
    if (!winlib::IsIdle() || static_cast<int>(GetTickCount() - m_notBefore) < 0)
        m_quietTicks = 0;
    else if (++m_quietTicks >= kQuietTicks)
    {
        m_quietTicks = 0;
        // A step's keys are pressed one chord at a time, each once the last has settled, as
        // a user types them.
        if (!m_chords.empty())
        {
            const std::string chord = m_chords.front();
            m_chords.erase(m_chords.begin());
            if (!PressChord(chord) && m_unchecked)
                m_failures.push_back("line " + std::to_string(m_unchecked->line) + ": " + m_unchecked->text);
            m_inTick = false;
            return;
        }
        if (m_unchecked)
            CheckAfter(*m_unchecked);
        m_unchecked = nullptr;
        if (m_next >= m_steps.size())
            m_done = true;
        else
        {
            const Step& step = m_steps[m_next++];
            if (!Execute(step.action, step.argument))
                m_failures.push_back("line " + std::to_string(step.line) + ": " + step.text);
            m_unchecked = &step;
            if (step.action == "quit")
                m_done = true;
        }
    }
    m_inTick = false;
}

void ScriptRunner::CheckAfter(const Step& step)
{
    if (!m_hooks.checkRepaint)
        return;
    for (const std::string& difference : m_hooks.checkRepaint())
        m_failures.push_back("line " + std::to_string(step.line) + ": " + step.text +
                             ": repaint check: " + difference);
}

bool ScriptRunner::PressKeys(const std::string& keys)
{
    std::istringstream words(keys);
    std::vector<std::string> chords;
    for (std::string word; words >> word;)
        chords.push_back(Lower(word));
    if (chords.empty())
        return false;
    m_chords.assign(chords.begin() + 1, chords.end());
    return PressChord(chords.front());
}

bool ScriptRunner::PressChord(const std::string& chord)
{
    std::vector<KeyName> held;
    std::stringstream parts(chord);
    for (std::string name; std::getline(parts, name, '+');)
    {
        KeyName key{nullptr, 0, 0};
        for (const KeyName& known : kKeys)
        {
            if (name == known.name)
                key = known;
        }
        if (!key.vk && name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
            key = KeyName{nullptr, std::toupper(static_cast<unsigned char>(name[0])), name[0]};
        if (!key.vk)
        {
            std::cerr << "kivo-host script: unknown key '" << name << "'\n";
            m_chords.clear();
            return false;
        }
        held.push_back(key);
    }
    if (held.empty())
        return false;
    const bool ctrl =
        std::any_of(held.begin(), held.end(), [](const KeyName& k) { return k.vk == VK_CONTROL; });
    for (const KeyName& key : held)
        winlib::input::KeyDown(key.vk);
    // The character the last key types, as the keyboard would give it.
    if (const KeyName& last = held.back(); last.ch && !ctrl)
        winlib::input::Char(last.ch);
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        winlib::input::KeyUp(it->vk);
    return true;
}

bool ScriptRunner::ClickCloseBox()
{
    CBCGPBaseControlBar* console = ConsoleBar(m_app);
    CWnd* miniFrame = console ? console->GetParentMiniFrame() : nullptr;
    if (!miniFrame || !miniFrame->IsWindowVisible())
        return false;
    CRect window;
    miniFrame->GetWindowRect(&window);
    // The close box is where the caption hit-tests as one.
    for (int y = window.top; y < window.top + 30 && y < window.bottom; ++y)
    {
        for (int x = window.right - 1; x > window.right - 40 && x > window.left; --x)
        {
            if (miniFrame->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
            {
                Click(POINT{x, y}, winlib::input::Button::Left);
                return true;
            }
        }
    }
    return false;
}

bool ScriptRunner::RightClick(const std::string& what)
{
    CMainFrame* frame = m_app.Frame();
    if (!frame)
        return false;
    CRect rect;
    if (what == "log")
        frame->LogBar().ListRect(&rect);
    else if (what == "caption")
    {
        frame->GetWindowRect(&rect);
        rect = CRect(rect.left + 40, rect.top + 4, rect.left + 200, rect.top + 14);
    }
    else if (what == "console")
    {
        CWnd* console = ConsoleBar(m_app);
        if (!console || !console->IsWindowVisible())
            return false;
        console->GetWindowRect(&rect);
    }
    else if (what.rfind("grid", 0) == 0)
    {
        // "grid N": the console's Nth grid, on its first row (its middle when it has none);
        // "grid-header N": its header, over the first column's caption.
        const bool header = what.rfind("grid-header ", 0) == 0;
        const std::vector<HWND> grids = WindowScriptActions::ConsoleGrids(m_app);
        const auto space = what.find(' ');
        const int index = space == std::string::npos ? 0 : std::atoi(what.c_str() + space + 1);
        if ((!header && what.rfind("grid ", 0) != 0) || index < 1 || index > static_cast<int>(grids.size()))
            return false;
        const HWND grid = grids[static_cast<std::size_t>(index - 1)];
        const HWND headerWindow = reinterpret_cast<HWND>(::SendMessage(grid, LVM_GETHEADER, 0, 0));
        rect.left = LVIR_BOUNDS;
        if (header)
        {
            if (!headerWindow || !::IsWindowVisible(headerWindow))
                return false;
            ::GetWindowRect(headerWindow, &rect);
            rect.right = rect.left + 40;
        }
        else if (::SendMessage(grid, LVM_GETITEMCOUNT, 0, 0) > 0 &&
                 ::SendMessage(grid, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect)))
        {
            rect.right = rect.left + 40;
            ::MapWindowPoints(grid, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        }
        else
            ::GetWindowRect(grid, &rect);
    }
    else
        return false;
    Click(rect.CenterPoint(), winlib::input::Button::Right);
    return true;
}

// A click on the open popup menu's item whose text, without its '&' marks and shortcut, starts
// with 'text'.
bool ScriptRunner::ClickMenuItem(const std::string& text)
{
    HWND popup = nullptr;
    for (HWND top = ::GetTopWindow(nullptr); top; top = ::GetWindow(top, GW_HWNDNEXT))
    {
        char cls[16] = {};
        ::GetClassName(top, cls, sizeof cls);
        if (std::string(cls) == "#32768" && ::IsWindowVisible(top))
        {
            popup = top; // the topmost open menu: a submenu shows above its parent
            break;
        }
    }
    const HMENU menu = popup ? reinterpret_cast<HMENU>(::SendMessage(popup, MN_GETHMENU, 0, 0)) : nullptr;
    if (!menu || text.empty())
        return false;
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position)
    {
        char buffer[256] = {};
        ::GetMenuString(menu, static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
        std::string label;
        for (const char* c = buffer; *c && *c != '\t'; ++c)
        {
            if (*c != '&')
                label += *c;
        }
        CRect item;
        if (label.rfind(text, 0) == 0 && ::GetMenuItemRect(popup, menu, static_cast<UINT>(position), &item))
        {
            Click(item.CenterPoint(), winlib::input::Button::Left);
            return true;
        }
    }
    return false;
}

bool ScriptRunner::Execute(const std::string& action, const std::string& argument)
{
    if (const ScriptAction* run = m_actions.Find(action))
        return (*run)(action, argument);
    std::cerr << "kivo-host script: unknown action '" << action << "'\n";
    return false;
}

void ScriptRunner::AddActions()
{
    ScriptActionTable& table = m_actions;
    table.Add("hotkey", [this](const auto&, const auto&) { return PressKeys("ctrl+shift+m"); });
    table.Add("keys", Bound(this, &ScriptRunner::PressKeys));
    table.Add("start",
              [this](const auto&, const auto&)
              {
                  m_app.Plugin().Start();
                  return true;
              });
    table.Add("stop",
              [this](const auto&, const auto&)
              {
                  m_app.Plugin().Stop();
                  return true;
              });
    table.Add("framework-demo",
              [this](const auto&, const auto&)
              {
                  CMainFrame* frame = m_app.Frame();
                  return frame && m_app.Plugin().ShowFrameworkDemo(frame->GetMDIClient()->m_hWnd);
              });
    table.Add({"float-console", "dock-console"},
              [this](const std::string& action, const auto&)
              {
                  CMainFrame* frame = m_app.Frame();
                  if (!frame)
                      return false;
                  frame->SendMessage(WM_COMMAND, action == "float-console" ? ID_HOST_CONSOLE_FLOAT
                                                                           : ID_HOST_CONSOLE_DOCK);
                  return true;
              });
    table.Add("close-console", [this](const auto&, const auto&) { return ClickCloseBox(); });
    table.Add("right-click", Bound(this, &ScriptRunner::RightClick));
    table.Add("click", Bound(this, &ScriptRunner::ClickControl));
    table.Add("grid-command", Bound(this, &ScriptRunner::GridCommand));
    table.Add("window-screenshot", Bound(this, &ScriptRunner::WindowScreenshot));
    table.Add("wait",
              [this](const auto&, const std::string& argument)
              {
                  // The next step waits on the clock; the loop goes on meanwhile.
                  m_notBefore = GetTickCount() + static_cast<DWORD>(std::max(0, std::atoi(argument.c_str())));
                  return true;
              });
    table.Add("resize", Bound(this, &ScriptRunner::Resize));
    table.Add("screenshot",
              [this](const auto&, const std::string& argument)
              {
                  CMainFrame* frame = m_app.Frame();
                  return frame && m_hooks.screenshot && !argument.empty() &&
                         m_hooks.screenshot(frame->m_hWnd, argument);
              });
    table.Add("wait-for-log", [](const auto&, const std::string& argument)
              { return PumpUntil([&] { return HostServices::Get().LogContains(argument); }); });
    table.Add("wait-for-file",
              [](const auto&, const std::string& argument) { return WaitForFile(argument); });
    table.Add("wait-for-rows", Bound(this, &ScriptRunner::WaitForRows));
    table.Add("menu-item", Bound(this, &ScriptRunner::ClickMenuItem));
    table.Add("echo",
              [](const auto&, const std::string& argument)
              {
                  // Tells whoever runs the script how far it got (a test that drives the server meanwhile).
                  std::cout << argument << std::endl;
                  return true;
              });
    table.Add("log",
              [](const auto&, const std::string& argument)
              {
                  HostServices::Get().Log(argument);
                  return true;
              });
    table.Add("quit",
              [this](const auto&, const auto&)
              {
                  if (CMainFrame* frame = m_app.Frame())
                      frame->SendMessage(WM_CLOSE);
                  return true;
              });
    AddExpectations();
}

void ScriptRunner::AddExpectations()
{
    ScriptActionTable& table = m_actions;
    table.Add("expect-log", [](const auto&, const std::string& argument)
              { return HostServices::Get().LogContains(argument); });
    table.Add("expect-no-log", [](const auto&, const std::string& argument)
              { return !HostServices::Get().LogContains(argument); });
    table.Add("expect-console",
              [this](const auto&, const std::string& argument)
              {
                  // Shown, or with "hidden", there but hidden (closed by its close box).
                  CWnd* console = ConsoleBar(m_app);
                  return console && console->m_hWnd && (console->IsWindowVisible() != (argument == "hidden"));
              });
    table.Add("expect-no-console", [this](const auto&, const auto&) { return ConsoleBar(m_app) == nullptr; });
    table.Add("expect-floating",
              [this](const auto&, const std::string& argument)
              {
                  auto* bar = ConsoleBar(m_app);
                  return bar && bar->IsFloating() == (argument != "no");
              });
    table.Add("expect-hidden",
              [this](const auto&, const std::string& argument)
              {
                  CWnd* console = ConsoleBar(m_app);
                  CWnd* control = console ? console->GetDlgItem(std::atoi(argument.c_str())) : nullptr;
                  return control && !control->IsWindowVisible();
              });
    table.Add("expect-shown", Bound(this, &ScriptRunner::ExpectShown));
    table.Add("expect-size", Bound(this, &ScriptRunner::ExpectSize));
    table.Add("expect-focus", Bound(this, &ScriptRunner::ExpectFocus));
    table.Add("expect-popup",
              [](const auto&, const std::string& argument) { return PopupMenuOpen() == (argument != "no"); });
}

bool ScriptRunner::ClickControl(const std::string& argument)
{
    CWnd* console = ConsoleBar(m_app);
    CWnd* control = console ? console->GetDlgItem(std::atoi(argument.c_str())) : nullptr;
    if (!control || !control->IsWindowVisible())
        return false;
    CRect r;
    control->GetWindowRect(&r);
    Click(r.CenterPoint(), winlib::input::Button::Left);
    return true;
}

bool ScriptRunner::GridCommand(const std::string& argument)
{
    // "grid-command N ID": the command a grid's menu item sends, to the console's Nth grid.
    const std::vector<HWND> grids = WindowScriptActions::ConsoleGrids(m_app);
    const auto space = argument.find(' ');
    const int index = std::atoi(argument.substr(0, space).c_str());
    if (space == std::string::npos || index < 1 || index > static_cast<int>(grids.size()))
        return false;
    // Posted, as a menu posts its command: a dialog it opens runs its own loop, in which
    // the next steps act.
    ::PostMessage(grids[static_cast<std::size_t>(index - 1)], WM_COMMAND,
                  static_cast<WPARAM>(std::atoi(argument.substr(space + 1).c_str())), 0);
    return true;
}

bool ScriptRunner::WindowScreenshot(const std::string& argument)
{
    // "window-screenshot FILE TITLE": the active window, when its caption starts with TITLE.
    const auto space = argument.find(' ');
    const HWND window = space == std::string::npos ? nullptr : ActiveWindowTitled(argument.substr(space + 1));
    return window && m_hooks.saveWindow && m_hooks.saveWindow(window, argument.substr(0, space));
}

bool ScriptRunner::Resize(const std::string& argument)
{
    CMainFrame* frame = m_app.Frame();
    int width = 0;
    int height = 0;
    std::istringstream(argument) >> width >> height;
    if (!frame || width <= 0 || height <= 0)
        return false;
    if (m_hooks.resizeFromOutside)
        return m_hooks.resizeFromOutside(frame->m_hWnd, width, height);
    frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

bool ScriptRunner::WaitForFile(const std::string& path)
{
    // A test driving the terminal from outside says it is done by making the file; what it
    // sent before is in the display's queue, and is taken before the next step.
    if (!PumpUntil([&] { return std::ifstream(path).good(); }))
        return false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
    return true;
}

bool ScriptRunner::WaitForRows(const std::string& argument)
{
    // wait-for-rows N: the console's request list holds N rows; "N+": N or more (requests
    // that keep arriving, an investor's pair two at once).
    const LRESULT rows = std::atoi(argument.c_str());
    const bool orMore = !argument.empty() && argument.back() == '+';
    LRESULT now = -1;
    const bool held = PumpUntil(
        [&]
        {
            CWnd* console = ConsoleBar(m_app);
            HWND list = console ? FindDescendant(console->m_hWnd, kRequestListId) : nullptr;
            now = list ? ::SendMessage(list, LVM_GETITEMCOUNT, 0, 0) : -1;
            return orMore ? now >= rows : now == rows;
        });
    if (!held)
        std::cerr << "kivo-host script: the request list has " << now << " rows, not " << rows
                  << (orMore ? " or more" : "") << "\n";
    return held;
}

bool ScriptRunner::ExpectShown(const std::string& argument)
{
    // Each named window is visible and wholly inside the frame's client area.
    CMainFrame* frame = m_app.Frame();
    if (!frame)
        return false;
    std::istringstream names(argument);
    for (std::string name; names >> name;)
    {
        CWnd* wnd = name == "log"         ? static_cast<CWnd*>(&frame->LogBar())
                    : name == "console"   ? static_cast<CWnd*>(ConsoleBar(m_app))
                    : name == "workspace" ? frame->GetMDIClient()
                                          : nullptr;
        if (!ShownWithinFrame(wnd, *frame))
            return false;
    }
    return true;
}

bool ScriptRunner::ExpectSize(const std::string& argument)
{
    // The main window's size, as the window library has it.
    CMainFrame* frame = m_app.Frame();
    int width = 0;
    int height = 0;
    std::istringstream(argument) >> width >> height;
    CRect rect;
    if (frame)
        frame->GetWindowRect(&rect);
    return frame && rect.Width() == width && rect.Height() == height;
}

bool ScriptRunner::ExpectFocus(const std::string& argument)
{
    // A window's text, or "grid N": the console's Nth grid (the keyboard's place in a list).
    const HWND focus = ::GetFocus();
    HWND wanted = nullptr;
    if (argument.rfind("grid ", 0) == 0)
    {
        const std::vector<HWND> grids = WindowScriptActions::ConsoleGrids(m_app);
        const int index = std::atoi(argument.c_str() + 5);
        if (index >= 1 && index <= static_cast<int>(grids.size()))
            wanted = grids[static_cast<std::size_t>(index - 1)];
    }
    if (focus && (wanted ? focus == wanted : ::GetWindowTextString(focus) == argument))
        return true;
    char name[64] = {};
    if (focus)
        ::GetClassName(focus, name, sizeof name);
    std::cerr << "kivo-host script: the focus is on " << (focus ? name : "no window") << " '"
              << (focus ? ::GetWindowTextString(focus) : "") << "' (id "
              << (focus ? ::GetDlgCtrlID(focus) : 0) << ")\n";
    return false;
}

} // namespace host
