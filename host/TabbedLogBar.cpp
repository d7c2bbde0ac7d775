#include "host/TabbedLogBar.h"

#include "winlib/Menu.h"

#include <algorithm>
#include <cstring>

namespace host
{

namespace
{
constexpr const char* kTabNames[] = {"Log", "Maker Checker"};
constexpr int kTabCount = 2;
constexpr UINT kListId = 1;
} // namespace

BOOL CTabbedLogBar::CreateBar(CWnd* frame)
{
    return Create("Tabbed Log", frame, CRect(0, 0, 600, 160), TRUE, kId,
                  WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | CBRS_BOTTOM | CBRS_GRIPPER);
}

int CTabbedLogBar::OnCreate(LPCREATESTRUCT cs)
{
    if (CBCGPDockingControlBar::OnCreate(cs) == -1)
        return -1;
    m_font.CreatePointFont(80, "MS Shell Dlg");
    if (!m_list.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                       CRect(0, kTabHeight, 100, 100), this, kListId))
        return -1;
    m_list.SetFont(&m_font);
    return 0;
}

CSize CTabbedLogBar::CalcFixedLayout(BOOL, BOOL horizontal)
{
    return horizontal ? CSize(600, 160) : CSize(300, 400);
}

void CTabbedLogBar::OnSize(UINT type, int cx, int cy)
{
    CBCGPDockingControlBar::OnSize(type, cx, cy);
    if (m_list.m_hWnd)
        m_list.MoveWindow(0, kTabHeight, cx, std::max(0, cy - kTabHeight));
}

bool CTabbedLogBar::BelongsToTab(const LogLine& line, int tab)
{
    return tab == 0 || line.text.rfind("Maker Checker Zam", 0) == 0;
}

void CTabbedLogBar::AddLine(const LogLine& line)
{
    m_lines.push_back(line);
    if (m_list.m_hWnd && BelongsToTab(line, m_activeTab))
    {
        const int index = m_list.AddString(("[" + line.time + "] " + line.text).c_str());
        m_list.SetTopIndex(index);
    }
}

void CTabbedLogBar::Refill()
{
    if (!m_list.m_hWnd)
        return;
    m_list.SetRedraw(FALSE);
    m_list.ResetContent();
    int last = -1;
    for (const LogLine& line : m_lines)
    {
        if (BelongsToTab(line, m_activeTab))
            last = m_list.AddString(("[" + line.time + "] " + line.text).c_str());
    }
    m_list.SetRedraw(TRUE);
    if (last >= 0)
        m_list.SetTopIndex(last);
    m_list.Invalidate();
}

void CTabbedLogBar::SetActiveTab(int tab)
{
    if (tab < 0 || tab >= kTabCount || tab == m_activeTab)
        return;
    m_activeTab = tab;
    Refill();
    InvalidateRect(CRect(0, 0, 10000, kTabHeight));
}

std::vector<std::string> CTabbedLogBar::VisibleLines() const
{
    std::vector<std::string> lines;
    for (int i = 0; m_list.m_hWnd && i < m_list.GetCount(); ++i)
    {
        std::string text;
        m_list.GetText(i, text);
        lines.push_back(text);
    }
    return lines;
}

CRect CTabbedLogBar::TabRect(int tab) const
{
    int x = 4;
    for (int i = 0; i < tab; ++i)
        x += 8 + 6 * static_cast<int>(std::string(kTabNames[i]).size()) + 12;
    const int width = 8 + 6 * static_cast<int>(std::string(kTabNames[tab]).size()) + 12;
    return CRect(x, 2, x + width, kTabHeight);
}

BOOL CTabbedLogBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CTabbedLogBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(0, 0, client.Width(), kTabHeight, GetSysColor(COLOR_BTNFACE));
    dc.FillSolidRect(0, kTabHeight - 1, client.Width(), 1, GetSysColor(COLOR_BTNSHADOW));
    CFont* old = dc.SelectObject(&m_font);
    dc.SetBkMode(TRANSPARENT);
    for (int tab = 0; tab < kTabCount; ++tab)
    {
        CRect r = TabRect(tab);
        const bool active = tab == m_activeTab;
        if (active)
        {
            dc.FillSolidRect(&r, GetSysColor(COLOR_WINDOW));
            dc.Draw3dRect(&r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        }
        dc.SetTextColor(GetSysColor(active ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        dc.DrawText(std::string(kTabNames[tab]), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    dc.SelectObject(old);
}

void CTabbedLogBar::OnLButtonDown(UINT flags, CPoint point)
{
    for (int tab = 0; tab < kTabCount; ++tab)
    {
        if (TabRect(tab).PtInRect(point))
        {
            SetActiveTab(tab);
            return;
        }
    }
    CBCGPDockingControlBar::OnLButtonDown(flags, point);
}

void CTabbedLogBar::OnContextMenu(CWnd*, CPoint point)
{
    if (point.x == -1 && point.y == -1)
    {
        // From the keyboard: at the list's top-left corner.
        CRect list;
        ListRect(&list);
        point = list.TopLeft() + CPoint(8, 8);
    }
    CMenu menu;
    menu.CreatePopupMenu();
    const UINT some = m_list.GetCount() > 0 ? MF_STRING : (MF_STRING | MF_GRAYED);
    menu.AppendMenu(some, kCopyCommand, "&Copy");
    menu.AppendMenu(some, kClearCommand, "C&lear");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

BOOL CTabbedLogBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case kCopyCommand:
        CopyLines();
        return TRUE;
    case kClearCommand:
        // The lines of the tab shown go; the other tab keeps its own.
        m_lines.erase(std::remove_if(m_lines.begin(), m_lines.end(),
                                     [this](const LogLine& line) { return BelongsToTab(line, m_activeTab); }),
                      m_lines.end());
        Refill();
        return TRUE;
    default:
        return CBCGPDockingControlBar::OnCommand(wParam, lParam);
    }
}

void CTabbedLogBar::CopyLines()
{
    std::string text;
    for (const std::string& line : VisibleLines())
        text += line + "\r\n";
    if (text.empty() || !::OpenClipboard(m_hWnd))
        return;
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    char* target = memory ? static_cast<char*>(::GlobalLock(memory)) : nullptr;
    if (target)
    {
        std::memcpy(target, text.c_str(), text.size() + 1);
        ::GlobalUnlock(memory);
        ::SetClipboardData(CF_TEXT, memory);
    }
    else if (memory)
        ::GlobalFree(memory);
    ::CloseClipboard();
}

} // namespace host
