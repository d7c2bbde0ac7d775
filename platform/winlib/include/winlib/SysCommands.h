// The commands of WM_SYSCOMMAND (the system menu, the caption's boxes and the menu keys).
// The low four bits of wParam are the system's own; compare (wParam & 0xFFF0).
#pragma once

#include "winlib/WinDef.h"

constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_MAXIMIZE = 0xF030;
constexpr UINT SC_CLOSE = 0xF060;
// lParam: the character pressed with Alt, ' ' for the system menu, 0 for F10 or Alt alone.
constexpr UINT SC_KEYMENU = 0xF100;
constexpr UINT SC_RESTORE = 0xF120;
