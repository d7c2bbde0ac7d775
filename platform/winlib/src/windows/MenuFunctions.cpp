// Menu handles and the functions that build, change and read menus.
#include "MenuInternal.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace winlib::detail
{

namespace
{

// The MF_ bits an item keeps; the rest of a flags word says how to find or change it.
constexpr UINT kItemFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP | MF_DEFAULT |
                            MF_BITMAP | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK | MF_HILITE;

struct MenuTable
{
    std::unordered_map<UINT_PTR, std::unique_ptr<MenuRecord>> menus;
    UINT_PTR next = 0x30001;
};

MenuTable& Table()
{
    static MenuTable table;
    return table;
}

// Wrappers of destroyed menus live on until the next wrapper is handed out, so that a
// wrapper whose DestroyMenu is running is not freed under it.
std::vector<std::unique_ptr<CMenu>>& RetiredWrappers()
{
    static std::vector<std::unique_ptr<CMenu>> retired;
    return retired;
}

HMENU NewMenu(bool popup)
{
    MenuTable& t = Table();
    t.next += 2;
    auto record = std::make_unique<MenuRecord>();
    record->handle = reinterpret_cast<HMENU>(t.next);
    record->popup = popup;
    const HMENU handle = record->handle;
    t.menus.emplace(t.next, std::move(record));
    return handle;
}

MenuItem MakeItem(UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    MenuItem item;
    item.flags = flags & kItemFlags;
    item.id = (flags & MF_SEPARATOR) ? 0 : idNewItem;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text)
        item.text = text;
    return item;
}

// Depth-first search for a command; submenus are searched where they appear.
MenuItemRef FindCommand(MenuRecord& menu, UINT command, int depth)
{
    if (depth > 32)
        return {};
    for (std::size_t i = 0; i < menu.items.size(); ++i)
    {
        const MenuItem& item = menu.items[i];
        if (HMENU sub = item.Submenu())
        {
            if (MenuRecord* child = FindMenu(sub))
            {
                if (MenuItemRef found = FindCommand(*child, command, depth + 1); found.menu)
                    return found;
            }
            // A submenu item can itself be addressed by its handle, as the system allows.
            if (static_cast<UINT>(reinterpret_cast<UINT_PTR>(sub)) == command)
                return MenuItemRef{&menu, i};
        }
        else if (!(item.flags & MF_SEPARATOR) && static_cast<UINT>(item.id) == command)
            return MenuItemRef{&menu, i};
    }
    return {};
}

bool Choosable(const MenuRecord& menu, UINT command, int depth)
{
    if (depth > 32)
        return false;
    for (const MenuItem& item : menu.items)
    {
        if (!item.Selectable())
            continue;
        if (HMENU sub = item.Submenu())
        {
            if (const MenuRecord* child = FindMenu(sub); child && Choosable(*child, command, depth + 1))
                return true;
        }
        else if (static_cast<UINT>(item.id) == command)
            return true;
    }
    return false;
}

void DestroyTree(HMENU menu, int depth)
{
    MenuTable& t = Table();
    const auto it = t.menus.find(reinterpret_cast<UINT_PTR>(menu));
    if (it == t.menus.end() || depth > 32)
        return;
    std::unique_ptr<MenuRecord> record = std::move(it->second);
    t.menus.erase(it);
    if (record->attached)
        record->attached->m_hMenu = nullptr;
    if (record->wrapper)
    {
        record->wrapper->m_hMenu = nullptr;
        RetiredWrappers().push_back(std::move(record->wrapper));
    }
    for (const MenuItem& item : record->items)
    {
        if (HMENU sub = item.Submenu())
            DestroyTree(sub, depth + 1);
    }
}

} // namespace

MenuRecord* FindMenu(HMENU menu)
{
    MenuTable& t = Table();
    const auto it = t.menus.find(reinterpret_cast<UINT_PTR>(menu));
    return it == t.menus.end() ? nullptr : it->second.get();
}

MenuItemRef LocateMenuItem(HMENU menu, UINT item, UINT flags)
{
    MenuRecord* record = FindMenu(menu);
    if (!record)
        return {};
    if (flags & MF_BYPOSITION)
        return item < record->items.size() ? MenuItemRef{record, item} : MenuItemRef{};
    return FindCommand(*record, item, 0);
}

void FreeRetiredMenuWrappers()
{
    RetiredWrappers().clear();
}

bool IsChoosableCommand(HMENU menu, UINT command)
{
    const MenuRecord* record = FindMenu(menu);
    return record && command != 0 && Choosable(*record, command, 0);
}

} // namespace winlib::detail

using namespace winlib::detail;

HMENU CreateMenu()
{
    return NewMenu(false);
}
HMENU CreatePopupMenu()
{
    return NewMenu(true);
}

BOOL DestroyMenu(HMENU menu)
{
    if (!FindMenu(menu))
        return FALSE;
    DestroyTree(menu, 0);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    return FindMenu(menu) ? TRUE : FALSE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    MenuRecord* record = FindMenu(menu);
    if (!record || ((flags & MF_POPUP) && !FindMenu(reinterpret_cast<HMENU>(idNewItem))))
        return FALSE;
    record->items.push_back(MakeItem(flags, idNewItem, text));
    return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    MenuRecord* record = FindMenu(menu);
    if (!record || ((flags & MF_POPUP) && !FindMenu(reinterpret_cast<HMENU>(idNewItem))))
        return FALSE;
    MenuItem item = MakeItem(flags, idNewItem, text);
    if (flags & MF_BYPOSITION)
    {
        const std::size_t at = std::min<std::size_t>(position, record->items.size());
        record->items.insert(record->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
        return TRUE;
    }
    const MenuItemRef ref = LocateMenuItem(menu, position, MF_BYCOMMAND);
    if (!ref.menu)
        return FALSE;
    ref.menu->items.insert(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index), std::move(item));
    return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text)
{
    if ((flags & MF_POPUP) && !FindMenu(reinterpret_cast<HMENU>(idNewItem)))
        return FALSE;
    const MenuItemRef ref = LocateMenuItem(menu, position, flags);
    if (!ref.menu)
        return FALSE;
    ref.Item() = MakeItem(flags, idNewItem, text);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, position, flags);
    if (!ref.menu)
        return FALSE;
    ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, position, flags);
    if (!ref.menu)
        return FALSE;
    const HMENU sub = ref.Item().Submenu();
    ref.menu->items.erase(ref.menu->items.begin() + static_cast<std::ptrdiff_t>(ref.index));
    if (sub)
        DestroyMenu(sub);
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, item, flags);
    if (!ref.menu)
        return static_cast<DWORD>(-1);
    UINT& state = ref.Item().flags;
    const DWORD previous = state & MF_CHECKED;
    state = (state & ~MF_CHECKED) | (flags & MF_CHECKED);
    return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, item, flags);
    if (!ref.menu)
        return -1;
    UINT& state = ref.Item().flags;
    const BOOL previous = static_cast<BOOL>(state & (MF_GRAYED | MF_DISABLED));
    state = (state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return previous;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition)
{
    MenuRecord* record = FindMenu(menu);
    if (!record)
        return FALSE;
    MenuItemRef ref;
    if (item != static_cast<UINT>(-1))
    {
        // The default item is looked for in this menu only, not in its submenus.
        for (std::size_t i = 0; i < record->items.size(); ++i)
        {
            const MenuItem& candidate = record->items[i];
            if (byPosition ? i == item : (!(candidate.flags & MF_POPUP) && candidate.id == item))
                ref = MenuItemRef{record, i};
        }
        if (!ref.menu)
            return FALSE;
    }
    for (MenuItem& other : record->items)
        other.flags &= ~MF_DEFAULT;
    if (ref.menu)
        ref.Item().flags |= MF_DEFAULT;
    return TRUE;
}

UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT)
{
    const MenuRecord* record = FindMenu(menu);
    if (!record)
        return static_cast<UINT>(-1);
    for (std::size_t i = 0; i < record->items.size(); ++i)
    {
        const MenuItem& item = record->items[i];
        if (item.flags & MF_DEFAULT)
            return byPosition ? static_cast<UINT>(i) : static_cast<UINT>(item.id);
    }
    return static_cast<UINT>(-1);
}

int GetMenuItemCount(HMENU menu)
{
    const MenuRecord* record = FindMenu(menu);
    return record ? static_cast<int>(record->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    const MenuRecord* record = FindMenu(menu);
    if (!record || position < 0 || static_cast<std::size_t>(position) >= record->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& item = record->items[static_cast<std::size_t>(position)];
    return (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
}

int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int maxCount, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, item, flags);
    if (!ref.menu)
        return 0;
    const std::string& text = ref.Item().text;
    if (!buffer || maxCount <= 0)
        return static_cast<int>(text.size());
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(maxCount - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    const MenuItemRef ref = LocateMenuItem(menu, item, flags);
    if (!ref.menu)
        return static_cast<UINT>(-1);
    const MenuItem& found = ref.Item();
    UINT state = found.flags & ~MF_POPUP;
    if (HMENU sub = found.Submenu())
        state = (state & 0xFF) | MF_POPUP | (static_cast<UINT>(std::max(0, GetMenuItemCount(sub))) << 8);
    return state;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    const MenuRecord* record = FindMenu(menu);
    if (!record || position < 0 || static_cast<std::size_t>(position) >= record->items.size())
        return nullptr;
    return record->items[static_cast<std::size_t>(position)].Submenu();
}
