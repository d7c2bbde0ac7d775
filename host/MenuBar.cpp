#include "host/MenuBar.h"

#include <cctype>

namespace host
{

namespace
{
constexpr int kHeight = 20;

// The width of a title as shown: the '&' marking its mnemonic takes no room.
int TitleWidth(const std::string& title)
{
    const auto shown =
        static_cast<int>(title.size()) - static_cast<int>(title.find('&') != std::string::npos);
    return 6 * shown + 16;
}

} // namespace

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

CSize CMenuBar::CalcFixedLayout(BOOL, BOOL horizontal)
{
    return horizontal ? CSize(400, kHeight) : CSize(60, 400);
}

CRect CMenuBar::TitleRect(int index) const
{
    int x = 2;
    for (int i = 0; i < index; ++i)
        x += TitleWidth(m_menus[static_cast<std::size_t>(i)].title);
    return CRect(x, 0, x + TitleWidth(m_menus[static_cast<std::size_t>(index)].title), kHeight);
}

bool CMenuBar::OpenMenuByKey(char key)
{
    int index = key == 0 ? 0 : -1;
    for (int i = 0; index < 0 && i < static_cast<int>(m_menus.size()); ++i)
    {
        const std::string& title = m_menus[static_cast<std::size_t>(i)].title;
        const auto amp = title.find('&');
        if (amp != std::string::npos && amp + 1 < title.size() &&
            std::tolower(static_cast<unsigned char>(title[amp + 1])) ==
                std::tolower(static_cast<unsigned char>(key)))
            index = i;
    }
    if (index < 0 || index >= static_cast<int>(m_menus.size()))
        return false;
    // Opened from the keyboard, a menu starts on its first item, as a press of Down would.
    PostMessage(WM_KEYDOWN, VK_DOWN, 1);
    PostMessage(WM_KEYUP, VK_DOWN, static_cast<LPARAM>(1u | (1u << 30) | (1u << 31)));
    OpenMenu(index);
    return true;
}

BOOL CMenuBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

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
    m_menus[static_cast<std::size_t>(index)].popup->TrackPopupMenu(
        TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, title.left, title.bottom, GetParent());
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
