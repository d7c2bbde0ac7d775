// The terminal's main frame: menu bar on top, the tabbed log at the bottom, the workspace in
// the middle and whatever bars the plug-in docks around it. Ctrl+Shift+M and the Plug-in
// menu call the plug-in's hot key.
#pragma once

#include "host/MenuBar.h"
#include "host/PluginHost.h"
#include "host/TabbedLogBar.h"
#include "winlib/Frame.h"

namespace host
{

enum HostCommand : UINT
{
    ID_HOST_EXIT = 0x8100,
    ID_HOST_PLUGIN_HOTKEY,
    ID_HOST_PLUGIN_RESTART,
    ID_HOST_CONSOLE_FLOAT,
    ID_HOST_CONSOLE_DOCK,
    ID_HOST_VIEW_LOG,
    ID_HOST_ABOUT,
    ID_HOST_FRAMEWORK_DEMO,
    ID_HOST_PLUGIN_STOP
};

class CMainFrame : public CBCGPMDIFrameWnd
{
public:
    explicit CMainFrame(PluginHost& plugin) : m_plugin(plugin) {}

    BOOL CreateFrame();
    // Where the frame opens on a screen of that size: 1680 x 1020 pixels 10 pixels from its
    // corner, smaller on a smaller screen so that every edge and the log are in view.
    static CRect InitialRect(SIZE screen);
    CTabbedLogBar& LogBar() { return m_logBar; }
    CMenuBar& MenuBar() { return m_menuBar; }
    // The plug-in's docked bar, found by its caption; null when it has none.
    CBCGPBaseControlBar* FindBar(const std::string& caption) const;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Ctrl+Shift+M and Plug-in > Maker Checker.
    void HotKey();

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnSetFocus(CWnd* oldWnd) override;
    // The menus show what is on (Tabbed Log) and offer only what can be done (Start or Stop).
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnClose() override;
    void OnDestroy() override;

private:
    // Gives the focus to the console's first control (or its last); false without a console.
    bool FocusConsole(bool last);
    // Where the console floats when View > Float Maker Checker takes it out (screen).
    CRect FloatingRectFor(CBCGPBaseControlBar& bar) const;

    PluginHost& m_plugin;
    CMenuBar m_menuBar;
    CTabbedLogBar m_logBar;
};

} // namespace host
