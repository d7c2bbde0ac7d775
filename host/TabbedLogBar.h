// The terminal's tabbed log: a bar docked at the bottom of the main frame whose tabs show
// every line, or only the lines the Maker Checker plug-in wrote.
#pragma once

#include "host/HostServices.h"
#include "winlib/Frame.h"
#include "winlib/ListBox.h"

#include <string>
#include <vector>

namespace host
{

class CTabbedLogBar : public CBCGPDockingControlBar
{
public:
    static constexpr UINT kId = 0xE810;

    BOOL CreateBar(CWnd* frame);
    void AddLine(const LogLine& line);
    int GetActiveTab() const { return m_activeTab; }
    void SetActiveTab(int tab);
    // The lines the active tab shows, as they appear in the list.
    std::vector<std::string> VisibleLines() const;
    CSize CalcFixedLayout(BOOL stretch, BOOL horizontal) override;
    void FocusList() { m_list.SetFocus(); }
    // Where the list of lines is on the screen.
    void ListRect(CRect* rect) const { m_list.GetWindowRect(rect); }

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    // Right-click (or the menu key) on the log: copy its lines, or clear them.
    void OnContextMenu(CWnd* wnd, CPoint point) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int kTabHeight = 20;
    static constexpr UINT kCopyCommand = 0x8200;
    static constexpr UINT kClearCommand = 0x8201;
    static bool BelongsToTab(const LogLine& line, int tab);
    void CopyLines();
    CRect TabRect(int tab) const;
    void Refill();

    CListBox m_list;
    CFont m_font;
    int m_activeTab = 0;
    std::vector<LogLine> m_lines;
};

} // namespace host
