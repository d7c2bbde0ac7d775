// Basic types of the window library, with the names and sizes of the Windows API
// so that code written against it reads as it would there.
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using COLORREF = DWORD;
using ATOM = WORD;
using TCHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPTSTR = char*;
using LPCTSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPVOID = void*;
using LPINT = int*;
using LPCVOID = const void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles are opaque pointers to distinct incomplete types, as in the strict Windows
// headers, so that an HWND cannot be passed where an HFONT is expected.
#define WINLIB_DECLARE_HANDLE(name)                                                                          \
    struct name##__;                                                                                         \
    using name = name##__*

WINLIB_DECLARE_HANDLE(HWND);
WINLIB_DECLARE_HANDLE(HDC);

WINLIB_DECLARE_HANDLE(HPEN);
WINLIB_DECLARE_HANDLE(HBRUSH);
WINLIB_DECLARE_HANDLE(HFONT);
WINLIB_DECLARE_HANDLE(HBITMAP);
WINLIB_DECLARE_HANDLE(HRGN);
WINLIB_DECLARE_HANDLE(HICON);
WINLIB_DECLARE_HANDLE(HCURSOR);
WINLIB_DECLARE_HANDLE(HMENU);
WINLIB_DECLARE_HANDLE(HINSTANCE);
WINLIB_DECLARE_HANDLE(HGLOBAL);
WINLIB_DECLARE_HANDLE(HIMAGELIST);
WINLIB_DECLARE_HANDLE(HTREEITEM);
WINLIB_DECLARE_HANDLE(HTHEME);
using HMODULE = HINSTANCE;
using HANDLE = void*;
using HGDIOBJ = void*;
using FARPROC = void (*)();

struct POINT
{
    LONG x;
    LONG y;
};
struct SIZE
{
    LONG cx;
    LONG cy;
};
struct RECT
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPPOINT = POINT*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using LPSIZE = SIZE*;

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr WORD LOWORD(DWORD_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(DWORD_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(DWORD_PTR v) { return static_cast<BYTE>(v & 0xFF); }
constexpr BYTE HIBYTE(DWORD_PTR v) { return static_cast<BYTE>((v >> 8) & 0xFF); }
constexpr LONG MAKELONG(DWORD_PTR lo, DWORD_PTR hi)
{
    return static_cast<LONG>(static_cast<DWORD>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(DWORD_PTR lo, DWORD_PTR hi) { return static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))); }
constexpr LPARAM MAKELPARAM(DWORD_PTR lo, DWORD_PTR hi) { return static_cast<LPARAM>(MAKELONG(lo, hi)); }
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<DWORD_PTR>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<DWORD_PTR>(lp))); }
constexpr short GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<short>(HIWORD(wp)); }
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wp) { return LOWORD(wp); }

// Multiplies two 32-bit values and divides by a third with rounding to the nearest
// integer (halves away from zero), as the system's MulDiv does; -1 when c is 0.
int MulDiv(int a, int b, int c);
