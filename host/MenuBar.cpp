#include "host/MenuBar.h"

namespace host
{

namespace
{
constexpr int kHeight = 20;
}

BOOL CMenuBar::CreateBar(CWnd* frame)
{
    if (!CWnd::Create("AfxControlBar", "Menu", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, kHeight), frame, kId))
        return FALSE;
    SetBarStyle(CBRS_TOP);
    return TRUE;
}

void CMenuBar::AddMenu(const std::string& title, std::unique_ptr<CMenu> popup)
{
    m_menus.push_back(Entry{title, std::move(popup)});
    Invalidate();
}

CSize CMenuBar::CalcFixedLayout(BOOL, BOOL horizontal) { return horizontal ? CSize(400, kHeight) : CSize(60, 400); }

CRect CMenuBar::TitleRect(int index) const
{
    int x = 2;
    for (int i = 0; i < index; ++i)
        x += 6 * static_cast<int>(m_menus[static_cast<std::size_t>(i)].title.size()) + 16;
    return CRect(x, 0, x + 6 * static_cast<int>(m_menus[static_cast<std::size_t>(index)].title.size()) + 16, kHeight);
}

BOOL CMenuBar::OnEraseBkgnd(CDC*) { return TRUE; }

void CMenuBar::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_MENUBAR));
    dc.SetBkMode(TRANSPARENT);
    for (int i = 0; i < static_cast<int>(m_menus.size()); ++i)
    {
        CRect r = TitleRect(i);
        if (i == m_open)
        {
            dc.FillSolidRect(&r, GetSysColor(COLOR_HIGHLIGHT));
            dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        else
            dc.SetTextColor(GetSysColor(COLOR_MENUTEXT));
        dc.DrawText(m_menus[static_cast<std::size_t>(i)].title, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void CMenuBar::OpenMenu(int index)
{
    if (index < 0 || index >= static_cast<int>(m_menus.size()))
        return;
    m_open = index;
    Invalidate();
    UpdateWindow();
    CRect title = TitleRect(index);
    ClientToScreen(&title);
    m_menus[static_cast<std::size_t>(index)].popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
                                                                   title.left, title.bottom, GetParent());
    m_open = -1;
    if (m_hWnd)
        Invalidate();
}

void CMenuBar::OnLButtonDown(UINT, CPoint point)
{
    for (int i = 0; i < static_cast<int>(m_menus.size()); ++i)
    {
        if (TitleRect(i).PtInRect(point))
        {
            OpenMenu(i);
            return;
        }
    }
}

} // namespace host
