// Menus: the menu functions and the class library's CMenu. A popup menu shown with
// TrackPopupMenu first asks the modal answerer (Modal.h) with a snapshot of its items;
// headless and unanswered it is dismissed, on screen it is a real popup window ("#32768")
// with its own modal loop.
#pragma once

#include "winlib/Api.h"
#include "winlib/Object.h"
#include "winlib/Wnd.h"

#include <string>

// TrackPopupMenuEx: a rectangle the menu must not cover.
struct TPMPARAMS
{
    UINT cbSize;
    RECT rcExclude;
};
using LPTPMPARAMS = TPMPARAMS*;

// Asks a menu window ("#32768") for the menu it shows.
constexpr UINT MN_GETHMENU = 0x01E1;

constexpr UINT TPM_HORIZONTAL = 0x0000;
constexpr UINT TPM_VERTICAL = 0x0040;
constexpr UINT TPM_RECURSE = 0x0001;

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and every submenu it holds.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// MF_POPUP: 'idNewItem' is the submenu's handle. MF_SEPARATOR: no text.
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text);
// Inserts before the item at 'position' (MF_BYPOSITION; -1 or past the end appends) or
// before the item with the command 'position' (MF_BYCOMMAND, submenus searched too).
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text);
// Takes the item out; a submenu it opened stays alive.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
// Takes the item out and destroys the submenu it opened.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);

// Both return the previous state (MF_CHECKED; MF_GRAYED | MF_DISABLED), or -1 when there
// is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);
UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags);

int GetMenuItemCount(HMENU menu);
// The command of the item at 'position'; 0 for a separator, -1 for a submenu or no item.
UINT GetMenuItemID(HMENU menu, int position);
// Copies the item's text (with its '&' and "\t" parts); returns its length. A null
// buffer asks for the length only.
int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int maxCount, UINT flags);
// The item's MF_ flags; for a submenu item the high byte holds its item count. -1 when
// there is no such item.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);

// Shows a popup menu at a screen point (TPM_ alignment flags) and tracks it until the user
// chooses or dismisses. With TPM_RETURNCMD the chosen command (0 when dismissed) is
// returned; otherwise the command reaches the owner as WM_COMMAND after the menu has
// closed (unless TPM_NONOTIFY) and the result is non-zero.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
// The screen rectangle of an item of a menu that is showing; 'hwnd' may be null.
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, LPRECT rect);
// The position of the item of a showing menu under a screen point, or -1.
int MenuItemFromPoint(HWND hwnd, HMENU menu, POINT screen);
// Closes the popup menu being tracked, as a click outside it would.
BOOL EndMenu();

class CMenu : public CObject
{
    DECLARE_DYNAMIC(CMenu)
public:
    CMenu() = default;
    // Destroys an attached menu.
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }
    // The object attached to a handle, or a wrapper kept until the menu is destroyed.
    static CMenu* FromHandle(HMENU menu);
    BOOL Attach(HMENU menu);
    HMENU Detach();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCSTR text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCSTR text = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idNewItem = 0, LPCSTR text = nullptr);
    BOOL RemoveMenu(UINT position, UINT flags);
    BOOL DeleteMenu(UINT position, UINT flags);
    UINT CheckMenuItem(UINT item, UINT check);
    UINT EnableMenuItem(UINT item, UINT enable);
    BOOL SetDefaultItem(UINT item, BOOL byPosition = FALSE);
    UINT GetDefaultItem(UINT flags, BOOL byPosition = FALSE) const;

    UINT GetMenuItemCount() const;
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT item, LPSTR buffer, int maxCount, UINT flags) const;
    int GetMenuString(UINT item, std::string& text, UINT flags) const;
    UINT GetMenuState(UINT item, UINT flags) const;
    CMenu* GetSubMenu(int position) const;

    // The command with TPM_RETURNCMD, else non-zero on success.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);
    BOOL TrackPopupMenuEx(UINT flags, int x, int y, CWnd* wnd, LPTPMPARAMS params);
};
