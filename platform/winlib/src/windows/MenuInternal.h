// Menu records behind HMENU handles, shared by the menu functions, CMenu and the popup
// menu window.
#pragma once

#include "Internal.h"
#include "winlib/Menu.h"

#include <memory>
#include <string>
#include <vector>

namespace winlib::detail
{

struct MenuItem
{
    UINT flags = 0;   // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP, MF_DEFAULT ...
    UINT_PTR id = 0;  // the command; for MF_POPUP the submenu's handle
    std::string text; // with its '&' prefix and "\t" accelerator part
    HMENU Submenu() const { return (flags & MF_POPUP) ? reinterpret_cast<HMENU>(id) : nullptr; }
    bool Selectable() const { return !(flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)); }
};

struct MenuRecord
{
    HMENU handle = nullptr;
    bool popup = true;
    std::vector<MenuItem> items;
    CMenu* attached = nullptr;      // the class-library object owning the handle
    std::unique_ptr<CMenu> wrapper; // handed out by CMenu::FromHandle for an unowned handle
};

MenuRecord* FindMenu(HMENU menu);
// Frees the wrappers CMenu::FromHandle handed out for menus destroyed since.
void FreeRetiredMenuWrappers();

// An item found by command (searching submenus, depth first) or by position.
struct MenuItemRef
{
    MenuRecord* menu = nullptr;
    std::size_t index = 0;
    MenuItem& Item() const { return menu->items[index]; }
};
MenuItemRef LocateMenuItem(HMENU menu, UINT item, UINT flags);

// True when 'command' is an item somewhere in the menu that a user could choose: not
// greyed, disabled or a separator, and reached only through enabled submenus.
bool IsChoosableCommand(HMENU menu, UINT command);

// The popup window ("#32768") and its tracking loop (PopupMenuControl.cpp). Returns the
// chosen command, 0 when dismissed.
UINT RunPopupMenuWindow(HMENU menu, UINT flags, POINT at, HWND owner, const RECT* exclude);

} // namespace winlib::detail
