// The tooltip control ("tooltips_class32"): messages, notification codes, styles, flags and structures,
// with the Windows names and values. Part of winlib/CommCtrl.h.
#pragma once

#include "winlib/CommCtrlCommon.h"

// ---- Tooltips ------------------------------------------------------------------------
inline constexpr char TOOLTIPS_CLASSA[] = "tooltips_class32";
inline constexpr char TOOLTIPS_CLASS[] = "tooltips_class32";

constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;
constexpr DWORD TTS_NOANIMATE = 0x10;
constexpr DWORD TTS_NOFADE = 0x20;
constexpr DWORD TTS_BALLOON = 0x40;
constexpr DWORD TTS_CLOSE = 0x80;
constexpr DWORD TTS_USEVISUALSTYLE = 0x100;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_RTLREADING = 0x0004;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRACK = 0x0020;
constexpr UINT TTF_ABSOLUTE = 0x0080;
constexpr UINT TTF_TRANSPARENT = 0x0100;
constexpr UINT TTF_PARSELINKS = 0x1000;
constexpr UINT TTF_DI_SETITEM = 0x8000;

constexpr int TTDT_AUTOMATIC = 0;
constexpr int TTDT_RESHOW = 1;
constexpr int TTDT_AUTOPOP = 2;
constexpr int TTDT_INITIAL = 3;

constexpr int TTI_NONE = 0;
constexpr int TTI_INFO = 1;
constexpr int TTI_WARNING = 2;
constexpr int TTI_ERROR = 3;

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_ADDTOOLA = WM_USER + 4;
constexpr UINT TTM_DELTOOLA = WM_USER + 5;
constexpr UINT TTM_NEWTOOLRECTA = WM_USER + 6;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLINFOA = WM_USER + 8;
constexpr UINT TTM_SETTOOLINFOA = WM_USER + 9;
constexpr UINT TTM_HITTESTA = WM_USER + 10;
constexpr UINT TTM_GETTEXTA = WM_USER + 11;
constexpr UINT TTM_UPDATETIPTEXTA = WM_USER + 12;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_ENUMTOOLSA = WM_USER + 14;
constexpr UINT TTM_GETCURRENTTOOLA = WM_USER + 15;
constexpr UINT TTM_WINDOWFROMPOINT = WM_USER + 16;
constexpr UINT TTM_TRACKACTIVATE = WM_USER + 17;
constexpr UINT TTM_TRACKPOSITION = WM_USER + 18;
constexpr UINT TTM_SETTIPBKCOLOR = WM_USER + 19;
constexpr UINT TTM_SETTIPTEXTCOLOR = WM_USER + 20;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_GETTIPBKCOLOR = WM_USER + 22;
constexpr UINT TTM_GETTIPTEXTCOLOR = WM_USER + 23;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
constexpr UINT TTM_SETMARGIN = WM_USER + 26;
constexpr UINT TTM_GETMARGIN = WM_USER + 27;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_UPDATE = WM_USER + 29;
constexpr UINT TTM_GETBUBBLESIZE = WM_USER + 30;
constexpr UINT TTM_ADJUSTRECT = WM_USER + 31;
constexpr UINT TTM_SETTITLEA = WM_USER + 32;
constexpr UINT TTM_POPUP = WM_USER + 34;
constexpr UINT TTM_GETTITLE = WM_USER + 35;
constexpr UINT TTM_ADDTOOL = TTM_ADDTOOLA;
constexpr UINT TTM_DELTOOL = TTM_DELTOOLA;
constexpr UINT TTM_NEWTOOLRECT = TTM_NEWTOOLRECTA;
constexpr UINT TTM_GETTOOLINFO = TTM_GETTOOLINFOA;
constexpr UINT TTM_SETTOOLINFO = TTM_SETTOOLINFOA;
constexpr UINT TTM_HITTEST = TTM_HITTESTA;
constexpr UINT TTM_GETTEXT = TTM_GETTEXTA;
constexpr UINT TTM_UPDATETIPTEXT = TTM_UPDATETIPTEXTA;
constexpr UINT TTM_ENUMTOOLS = TTM_ENUMTOOLSA;
constexpr UINT TTM_GETCURRENTTOOL = TTM_GETCURRENTTOOLA;
constexpr UINT TTM_SETTITLE = TTM_SETTITLEA;

constexpr UINT TTN_GETDISPINFOA = TTN_FIRST - 0;
constexpr UINT TTN_GETDISPINFOW = TTN_FIRST - 10;
constexpr UINT TTN_SHOW = TTN_FIRST - 1;
constexpr UINT TTN_POP = TTN_FIRST - 2;
constexpr UINT TTN_LINKCLICK = TTN_FIRST - 3;
constexpr UINT TTN_GETDISPINFO = TTN_GETDISPINFOA;
constexpr UINT TTN_NEEDTEXTA = TTN_GETDISPINFOA;
constexpr UINT TTN_NEEDTEXTW = TTN_GETDISPINFOW;
constexpr UINT TTN_NEEDTEXT = TTN_NEEDTEXTA;

// Named TOOLINFOA so that the forward declaration in Wnd.h (CWnd::OnToolHitTest) is this type.
struct TOOLINFOA
{
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
    void* lpReserved;
};
using TTTOOLINFOA = TOOLINFOA;
using PTTTOOLINFOA = TTTOOLINFOA*;
using LPTTTOOLINFOA = TTTOOLINFOA*;
using TTTOOLINFO = TTTOOLINFOA;
using PTTTOOLINFO = TTTOOLINFO*;
using LPTTTOOLINFO = TTTOOLINFO*;
using PTOOLINFOA = TOOLINFOA*;
using LPTOOLINFOA = TOOLINFOA*;
using TOOLINFO = TTTOOLINFO;
using PTOOLINFO = TOOLINFO*;
using LPTOOLINFO = TOOLINFO*;

struct TTHITTESTINFOA
{
    HWND hwnd;
    POINT pt;
    TTTOOLINFOA ti;
};
using LPTTHITTESTINFOA = TTHITTESTINFOA*;
using TTHITTESTINFO = TTHITTESTINFOA;
using LPTTHITTESTINFO = TTHITTESTINFO*;
using LPHITTESTINFO = LPTTHITTESTINFO;

// TTN_GETDISPINFO: the receiver points lpszText at its text, copies it into szText or
// names a string resource through hinst and lpszText.
struct NMTTDISPINFOA
{
    NMHDR hdr;
    LPSTR lpszText;
    char szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
};
struct NMTTDISPINFOW
{
    NMHDR hdr;
    LPWSTR lpszText;
    wchar_t szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
};
using NMTTDISPINFO = NMTTDISPINFOA;
using LPNMTTDISPINFOA = NMTTDISPINFOA*;
using LPNMTTDISPINFOW = NMTTDISPINFOW*;
using LPNMTTDISPINFO = NMTTDISPINFO*;
using TOOLTIPTEXTA = NMTTDISPINFOA;
using TOOLTIPTEXTW = NMTTDISPINFOW;
using TOOLTIPTEXT = NMTTDISPINFO;
using LPTOOLTIPTEXTA = TOOLTIPTEXTA*;
using LPTOOLTIPTEXTW = TOOLTIPTEXTW*;
using LPTOOLTIPTEXT = TOOLTIPTEXT*;

// NM_CUSTOMDRAW from a tooltip.
struct NMTTCUSTOMDRAW
{
    NMCUSTOMDRAW nmcd;
    UINT uDrawFlags;
};
using LPNMTTCUSTOMDRAW = NMTTCUSTOMDRAW*;
