// Host actions from a script, for headless and offscreen runs and end-to-end tests. One
// action a line; '#' starts a comment. See docs/host.md for the actions.
//
// The script is stepped by a timer of the loop rather than by a loop of its own: the next
// action runs once everything the last one caused has settled, and since modal loops (a
// popup menu opened from the keyboard, a dialog) run timers too, a script can act inside
// them as a user would.
#pragma once

#include "host/ConsoleScriptActions.h"
#include "host/HostApp.h"
#include "host/ScriptActions.h"
#include "host/ServerScriptActions.h"
#include "host/WindowScriptActions.h"

#include <functional>
#include <string>
#include <vector>

namespace host
{

// What a script can ask of the screen; empty functions where there is none (headless).
struct ScreenHooks
{
    // Every difference between the windows as shown and a complete repaint of them.
    std::function<std::vector<std::string>()> checkRepaint;
    // Writes the main window as it stands to a PNG file.
    std::function<bool(HWND, const std::string&)> screenshot;
    // Writes one window's image to a PNG file.
    std::function<bool(HWND, const std::string&)> saveWindow;
    // Resizes a top-level window from outside, as a window manager does.
    std::function<bool(HWND, int, int)> resizeFromOutside;
};

class ScriptRunner
{
public:
    explicit ScriptRunner(CKivoHostApp& app, ScreenHooks hooks = {});
    // Runs every line; returns 0 when all actions and expectations held, 1 otherwise.
    int Run(const std::vector<std::string>& lines);
    int RunFile(const std::string& path);
    const std::vector<std::string>& Failures() const { return m_failures; }

private:
    struct Step
    {
        int line;
        std::string text;
        std::string action;
        std::string argument;
    };

    void Tick();
    bool Execute(const std::string& action, const std::string& argument);
    // The runner's own actions: the terminal's windows and the script's pace.
    void AddActions();
    void AddExpectations();
    bool PressKeys(const std::string& keys);
    bool PressChord(const std::string& chord);
    bool ClickCloseBox();
    bool RightClick(const std::string& what);
    bool ClickMenuItem(const std::string& text);
    bool ClickControl(const std::string& argument);
    bool GridCommand(const std::string& argument);
    bool WindowScreenshot(const std::string& argument);
    bool Resize(const std::string& argument);
    static bool WaitForFile(const std::string& path);
    bool WaitForRows(const std::string& argument);
    bool ExpectShown(const std::string& argument);
    bool ExpectSize(const std::string& argument);
    bool ExpectFocus(const std::string& argument);
    void CheckAfter(const Step& step);

    CKivoHostApp& m_app;
    ServerScriptActions m_server;
    WindowScriptActions m_windows;
    ScreenHooks m_hooks;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    const Step* m_unchecked = nullptr; // the step whose effects the repaint check has not seen
    std::vector<std::string> m_chords; // keys of the running step still to be pressed, one a tick
    int m_quietTicks = 0;
    DWORD m_notBefore = 0;
    bool m_inTick = false;
    bool m_done = false;
    ConsoleScriptActions m_console;
    ScriptActionTable m_actions;
    std::vector<std::string> m_failures;
};

} // namespace host
