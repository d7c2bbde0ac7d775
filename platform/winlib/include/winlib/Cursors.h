// Cursors and icons: the system's standard cursors by their IDC_ numbers, the cursor shown
// now, and the class library's registration of window classes with a cursor, a background
// brush and an icon. The library keeps no cursor or icon resources of its own: LoadCursor
// and LoadIcon know the standard shapes only.
#pragma once

#include "winlib/WinDef.h"

#define MAKEINTRESOURCE(i) (reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(r) ((reinterpret_cast<UINT_PTR>(r) >> 16) == 0)

#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)

#define IDI_APPLICATION MAKEINTRESOURCE(32512)

// A standard cursor (instance null, name an IDC_ value); null for anything else.
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
HICON LoadIcon(HINSTANCE instance, LPCSTR name);
// Shows 'cursor' (null hides it) and returns the one shown before.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// Registers (once) a window class with these class style, cursor, background and icon and
// returns its name, which stays valid for the life of the process.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);

namespace winlib
{
// The IDC_ number of a standard cursor handle, 0 for none.
int StandardCursorId(HCURSOR cursor);
} // namespace winlib
