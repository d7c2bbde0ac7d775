// CMenu: the class library's object over a menu handle.
#include "MenuInternal.h"

using namespace winlib::detail;

IMPLEMENT_DYNAMIC(CMenu, CObject)

CMenu::~CMenu()
{
    MenuRecord* record = FindMenu(m_hMenu);
    if (record && record->wrapper.get() == this)
        return; // a wrapper never owns its handle
    if (record && record->attached == this)
        ::DestroyMenu(Detach());
}

CMenu* CMenu::FromHandle(HMENU menu)
{
    MenuRecord* record = FindMenu(menu);
    if (!record)
        return nullptr;
    if (record->attached)
        return record->attached;
    if (!record->wrapper)
    {
        FreeRetiredMenuWrappers();
        record->wrapper = std::make_unique<CMenu>();
        record->wrapper->m_hMenu = menu;
    }
    return record->wrapper.get();
}

BOOL CMenu::Attach(HMENU menu)
{
    MenuRecord* record = FindMenu(menu);
    if (!record || m_hMenu || record->attached)
        return FALSE;
    record->attached = this;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach()
{
    const HMENU menu = m_hMenu;
    if (MenuRecord* record = FindMenu(menu); record && record->attached == this)
        record->attached = nullptr;
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::CreateMenu()
{
    return !m_hMenu && Attach(::CreateMenu());
}
BOOL CMenu::CreatePopupMenu()
{
    return !m_hMenu && Attach(::CreatePopupMenu());
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    const MenuRecord* record = FindMenu(m_hMenu);
    if (record && record->wrapper.get() == this)
        return ::DestroyMenu(m_hMenu); // clears this wrapper's handle
    return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    return ::AppendMenu(m_hMenu, flags, idNewItem, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    return ::InsertMenu(m_hMenu, position, flags, idNewItem, text);
}

BOOL CMenu::ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    return ::ModifyMenu(m_hMenu, position, flags, idNewItem, text);
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags)
{
    return ::RemoveMenu(m_hMenu, position, flags);
}
BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    return ::DeleteMenu(m_hMenu, position, flags);
}
UINT CMenu::CheckMenuItem(UINT item, UINT check)
{
    return static_cast<UINT>(::CheckMenuItem(m_hMenu, item, check));
}
UINT CMenu::EnableMenuItem(UINT item, UINT enable)
{
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable));
}
BOOL CMenu::SetDefaultItem(UINT item, BOOL byPosition)
{
    return ::SetMenuDefaultItem(m_hMenu, item, static_cast<UINT>(byPosition));
}

UINT CMenu::GetDefaultItem(UINT flags, BOOL byPosition) const
{
    return ::GetMenuDefaultItem(m_hMenu, static_cast<UINT>(byPosition), flags);
}

UINT CMenu::GetMenuItemCount() const
{
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}
UINT CMenu::GetMenuItemID(int position) const
{
    return ::GetMenuItemID(m_hMenu, position);
}

int CMenu::GetMenuString(UINT item, LPSTR buffer, int maxCount, UINT flags) const
{
    return ::GetMenuString(m_hMenu, item, buffer, maxCount, flags);
}

int CMenu::GetMenuString(UINT item, std::string& text, UINT flags) const
{
    const int length = ::GetMenuString(m_hMenu, item, nullptr, 0, flags);
    text.assign(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetMenuString(m_hMenu, item, text.data(), length + 1, flags);
    text.resize(static_cast<std::size_t>(copied));
    return copied;
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const
{
    return ::GetMenuState(m_hMenu, item, flags);
}
CMenu* CMenu::GetSubMenu(int position) const
{
    return FromHandle(::GetSubMenu(m_hMenu, position));
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect)
{
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd ? wnd->m_hWnd : nullptr, rect);
}

BOOL CMenu::TrackPopupMenuEx(UINT flags, int x, int y, CWnd* wnd, LPTPMPARAMS params)
{
    return ::TrackPopupMenuEx(m_hMenu, flags, x, y, wnd ? wnd->m_hWnd : nullptr, params);
}
