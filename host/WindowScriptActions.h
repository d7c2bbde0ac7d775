// Host-script actions on the terminal's windows as a user sees them: dialogs found by their
// caption and their buttons by their text, the open popup menu's check marks, the console's grids'
// headers (arrows, dragging, clicks), its panes and the clipboard. Everything through the windows
// and real input. See docs/host.md.
#pragma once

#include "host/HostApp.h"
#include "host/ScriptActions.h"

#include <functional>
#include <string>
#include <vector>

namespace host
{

class WindowScriptActions
{
public:
    explicit WindowScriptActions(CKivoHostApp& app) : m_app(app) {}

    // Puts these actions into the script's table.
    void AddActions(ScriptActionTable& table);
    // The list views inside the console, depth first in creation order (the request list first).
    static std::vector<HWND> ConsoleGrids(CKivoHostApp& app);

private:
    // The actions on one of the console's grids or panes, its number first.
    void AddGridActions(ScriptActionTable& table);
    static ScriptAction
    OnGrid(std::function<bool(const std::string& action, int grid, const std::string& rest)> step);

    static bool DialogClick(const std::string& argument);
    static bool PrintWindows();
    static bool ExpectMenuCheck(const std::string& text, bool checked);
    static bool ExpectClipboard(const std::string& argument);
    // The console's Nth grid (1 the request list, 2 the detail grid); null when there is none.
    HWND Grid(int number) const;
    // The console's Nth pane (a holder view), in the order the grids are.
    HWND Pane(int number) const;
    bool ClickHeader(int grid, const std::string& text, bool right);
    bool ClickFilterButton(int grid, const std::string& text);
    bool DragHeader(int grid, const std::string& from, const std::string& to);
    bool ExpectArrows(int grid, const std::string& expected) const;
    bool ExpectColumnsFit(int grid) const;
    bool ExpectColumns(int grid, const std::string& expected) const;
    bool ExpectRowsOnView(int grid, const std::string& rows) const;
    bool ClosePane(int grid);
    bool RightClickPane(int grid);
    bool ExpectPane(int grid, const std::string& state) const;

    CKivoHostApp& m_app;
};

} // namespace host
