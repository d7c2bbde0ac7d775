// What every common control shares: basic types, initialisation, the messages and notification
// codes of all of them, custom draw and image lists, with the Windows names and values.
// Include winlib/CommCtrl.h, which holds every control family.
#pragma once

#include "winlib/WinDef.h"
#include "winlib/WinGdi.h"
#include "winlib/WinUser.h"

// ---- Basic types ---------------------------------------------------------------------
using PUINT = UINT*;

struct SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using PSYSTEMTIME = SYSTEMTIME*;
using LPSYSTEMTIME = SYSTEMTIME*;

// Text or image supplied on demand through LVN_GETDISPINFO / TTN_GETDISPINFO.
inline char* const LPSTR_TEXTCALLBACKA = reinterpret_cast<char*>(static_cast<INT_PTR>(-1));
inline wchar_t* const LPSTR_TEXTCALLBACKW = reinterpret_cast<wchar_t*>(static_cast<INT_PTR>(-1));
inline char* const LPSTR_TEXTCALLBACK = LPSTR_TEXTCALLBACKA;
constexpr int I_IMAGECALLBACK = -1;
constexpr int I_IMAGENONE = -2;
constexpr int I_INDENTCALLBACK = -1;
constexpr int I_GROUPIDCALLBACK = -1;
constexpr int I_GROUPIDNONE = -2;
constexpr UINT I_COLUMNSCALLBACK = static_cast<UINT>(-1);

constexpr COLORREF CLR_HILIGHT = CLR_DEFAULT;

// ---- Initialisation --------------------------------------------------------------------
struct INITCOMMONCONTROLSEX
{
    DWORD dwSize;
    DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;

constexpr DWORD ICC_LISTVIEW_CLASSES = 0x00000001;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x00000002;
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
constexpr DWORD ICC_TAB_CLASSES = 0x00000008;
constexpr DWORD ICC_UPDOWN_CLASS = 0x00000010;
constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
constexpr DWORD ICC_ANIMATE_CLASS = 0x00000080;
constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
constexpr DWORD ICC_DATE_CLASSES = 0x00000100;
constexpr DWORD ICC_USEREX_CLASSES = 0x00000200;
constexpr DWORD ICC_COOL_CLASSES = 0x00000400;
constexpr DWORD ICC_INTERNET_CLASSES = 0x00000800;
constexpr DWORD ICC_PAGESCROLLER_CLASS = 0x00001000;
constexpr DWORD ICC_NATIVEFNTCTL_CLASS = 0x00002000;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;
constexpr DWORD ICC_LINK_CLASS = 0x00008000;

// The common control classes are always registered in this library: InitCommonControlsEx
// only checks its argument, InitCommonControls does nothing.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void InitCommonControls();

// ---- Messages shared by all common controls -------------------------------------------
constexpr UINT CCM_FIRST = 0x2000;
constexpr UINT CCM_LAST = CCM_FIRST + 0x200;
constexpr UINT CCM_SETBKCOLOR = CCM_FIRST + 1;
constexpr UINT CCM_SETCOLORSCHEME = CCM_FIRST + 2;
constexpr UINT CCM_GETCOLORSCHEME = CCM_FIRST + 3;
constexpr UINT CCM_GETDROPTARGET = CCM_FIRST + 4;
constexpr UINT CCM_SETUNICODEFORMAT = CCM_FIRST + 5;
constexpr UINT CCM_GETUNICODEFORMAT = CCM_FIRST + 6;
constexpr UINT CCM_SETVERSION = CCM_FIRST + 7;
constexpr UINT CCM_GETVERSION = CCM_FIRST + 8;
constexpr UINT CCM_SETNOTIFYWINDOW = CCM_FIRST + 9;
constexpr UINT CCM_SETWINDOWTHEME = CCM_FIRST + 0xB;
constexpr UINT CCM_DPISCALE = CCM_FIRST + 0xC;

// ---- Notification code ranges (WM_NOTIFY, NMHDR::code) ---------------------------------
constexpr UINT NM_FIRST = 0U;
constexpr UINT NM_LAST = static_cast<UINT>(-99);
constexpr UINT LVN_FIRST = static_cast<UINT>(-100);
constexpr UINT LVN_LAST = static_cast<UINT>(-199);
constexpr UINT HDN_FIRST = static_cast<UINT>(-300);
constexpr UINT HDN_LAST = static_cast<UINT>(-399);
constexpr UINT TVN_FIRST = static_cast<UINT>(-400);
constexpr UINT TVN_LAST = static_cast<UINT>(-499);
constexpr UINT TTN_FIRST = static_cast<UINT>(-520);
constexpr UINT TTN_LAST = static_cast<UINT>(-549);
constexpr UINT TCN_FIRST = static_cast<UINT>(-550);
constexpr UINT TCN_LAST = static_cast<UINT>(-580);
constexpr UINT CDN_FIRST = static_cast<UINT>(-601);
constexpr UINT CDN_LAST = static_cast<UINT>(-699);
constexpr UINT TBN_FIRST = static_cast<UINT>(-700);
constexpr UINT TBN_LAST = static_cast<UINT>(-720);
constexpr UINT UDN_FIRST = static_cast<UINT>(-721);
constexpr UINT UDN_LAST = static_cast<UINT>(-729);
constexpr UINT DTN_FIRST = static_cast<UINT>(-740);
constexpr UINT DTN_LAST = static_cast<UINT>(-745);
constexpr UINT MCN_FIRST = static_cast<UINT>(-746);
constexpr UINT MCN_LAST = static_cast<UINT>(-752);
constexpr UINT DTN_FIRST2 = static_cast<UINT>(-753);
constexpr UINT DTN_LAST2 = static_cast<UINT>(-799);
constexpr UINT CBEN_FIRST = static_cast<UINT>(-800);
constexpr UINT CBEN_LAST = static_cast<UINT>(-830);
constexpr UINT RBN_FIRST = static_cast<UINT>(-831);
constexpr UINT RBN_LAST = static_cast<UINT>(-859);
constexpr UINT IPN_FIRST = static_cast<UINT>(-860);
constexpr UINT IPN_LAST = static_cast<UINT>(-879);
constexpr UINT SBN_FIRST = static_cast<UINT>(-880);
constexpr UINT SBN_LAST = static_cast<UINT>(-899);
constexpr UINT PGN_FIRST = static_cast<UINT>(-900);
constexpr UINT PGN_LAST = static_cast<UINT>(-950);
constexpr UINT WMN_FIRST = static_cast<UINT>(-1000);
constexpr UINT WMN_LAST = static_cast<UINT>(-1200);
constexpr UINT BCN_FIRST = static_cast<UINT>(-1250);
constexpr UINT BCN_LAST = static_cast<UINT>(-1350);
constexpr UINT TRBN_FIRST = static_cast<UINT>(-1501);
constexpr UINT TRBN_LAST = static_cast<UINT>(-1519);

// ---- Generic notifications -------------------------------------------------------------
constexpr UINT NM_OUTOFMEMORY = NM_FIRST - 1;
constexpr UINT NM_CLICK = NM_FIRST - 2;
constexpr UINT NM_DBLCLK = NM_FIRST - 3;
constexpr UINT NM_RETURN = NM_FIRST - 4;
constexpr UINT NM_RCLICK = NM_FIRST - 5;
constexpr UINT NM_RDBLCLK = NM_FIRST - 6;
constexpr UINT NM_SETFOCUS = NM_FIRST - 7;
constexpr UINT NM_KILLFOCUS = NM_FIRST - 8;
constexpr UINT NM_CUSTOMDRAW = NM_FIRST - 12;
constexpr UINT NM_HOVER = NM_FIRST - 13;
constexpr UINT NM_NCHITTEST = NM_FIRST - 14;
constexpr UINT NM_KEYDOWN = NM_FIRST - 15;
constexpr UINT NM_RELEASEDCAPTURE = NM_FIRST - 16;
constexpr UINT NM_SETCURSOR = NM_FIRST - 17;
constexpr UINT NM_CHAR = NM_FIRST - 18;
constexpr UINT NM_TOOLTIPSCREATED = NM_FIRST - 19;
constexpr UINT NM_LDOWN = NM_FIRST - 20;
constexpr UINT NM_RDOWN = NM_FIRST - 21;
constexpr UINT NM_THEMECHANGED = NM_FIRST - 22;

// NM_CLICK, NM_DBLCLK, NM_RCLICK, NM_RDBLCLK and NM_SETCURSOR from toolbars and status bars.
struct NMMOUSE
{
    NMHDR hdr;
    DWORD_PTR dwItemSpec;
    DWORD_PTR dwItemData;
    POINT pt;
    LPARAM dwHitInfo;
};
using LPNMMOUSE = NMMOUSE*;
using NMCLICK = NMMOUSE;
using LPNMCLICK = NMCLICK*;

// NM_KEYDOWN
struct NMKEY
{
    NMHDR hdr;
    UINT nVKey;
    UINT uFlags;
};
using LPNMKEY = NMKEY*;

// NM_CHAR
struct NMCHAR
{
    NMHDR hdr;
    UINT ch;
    DWORD dwItemPrev;
    DWORD dwItemNext;
};
using LPNMCHAR = NMCHAR*;

// NM_TOOLTIPSCREATED
struct NMTOOLTIPSCREATED
{
    NMHDR hdr;
    HWND hwndToolTips;
};
using LPNMTOOLTIPSCREATED = NMTOOLTIPSCREATED*;

// ---- Custom draw (NM_CUSTOMDRAW) -------------------------------------------------------
constexpr DWORD CDDS_PREPAINT = 0x00000001;
constexpr DWORD CDDS_POSTPAINT = 0x00000002;
constexpr DWORD CDDS_PREERASE = 0x00000003;
constexpr DWORD CDDS_POSTERASE = 0x00000004;
constexpr DWORD CDDS_ITEM = 0x00010000;
constexpr DWORD CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
constexpr DWORD CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;
constexpr DWORD CDDS_ITEMPREERASE = CDDS_ITEM | CDDS_PREERASE;
constexpr DWORD CDDS_ITEMPOSTERASE = CDDS_ITEM | CDDS_POSTERASE;
constexpr DWORD CDDS_SUBITEM = 0x00020000;

constexpr LRESULT CDRF_DODEFAULT = 0x00000000;
constexpr LRESULT CDRF_NEWFONT = 0x00000002;
constexpr LRESULT CDRF_SKIPDEFAULT = 0x00000004;
constexpr LRESULT CDRF_DOERASE = 0x00000008;
constexpr LRESULT CDRF_SKIPPOSTPAINT = 0x00000100;
constexpr LRESULT CDRF_NOTIFYPOSTPAINT = 0x00000010;
constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x00000020;
constexpr LRESULT CDRF_NOTIFYSUBITEMDRAW = 0x00000020;
constexpr LRESULT CDRF_NOTIFYPOSTERASE = 0x00000040;

constexpr UINT CDIS_SELECTED = 0x0001;
constexpr UINT CDIS_GRAYED = 0x0002;
constexpr UINT CDIS_DISABLED = 0x0004;
constexpr UINT CDIS_CHECKED = 0x0008;
constexpr UINT CDIS_FOCUS = 0x0010;
constexpr UINT CDIS_DEFAULT = 0x0020;
constexpr UINT CDIS_HOT = 0x0040;
constexpr UINT CDIS_MARKED = 0x0080;
constexpr UINT CDIS_INDETERMINATE = 0x0100;
constexpr UINT CDIS_SHOWKEYBOARDCUES = 0x0200;
constexpr UINT CDIS_NEARHOT = 0x0400;
constexpr UINT CDIS_OTHERSIDEHOT = 0x0800;
constexpr UINT CDIS_DROPHILITED = 0x1000;

struct NMCUSTOMDRAW
{
    NMHDR hdr;
    DWORD dwDrawStage;
    HDC hdc;
    RECT rc;
    DWORD_PTR dwItemSpec;
    UINT uItemState;
    LPARAM lItemlParam;
};
using LPNMCUSTOMDRAW = NMCUSTOMDRAW*;

// ---- Image lists ---------------------------------------------------------------------
constexpr UINT ILC_MASK = 0x00000001;
constexpr UINT ILC_COLOR = 0x00000000;
constexpr UINT ILC_COLORDDB = 0x000000FE;
constexpr UINT ILC_COLOR4 = 0x00000004;
constexpr UINT ILC_COLOR8 = 0x00000008;
constexpr UINT ILC_COLOR16 = 0x00000010;
constexpr UINT ILC_COLOR24 = 0x00000018;
constexpr UINT ILC_COLOR32 = 0x00000020;
constexpr UINT ILC_PALETTE = 0x00000800;
constexpr UINT ILC_MIRROR = 0x00002000;
constexpr UINT ILC_PERITEMMIRROR = 0x00008000;

constexpr UINT ILD_NORMAL = 0x00000000;
constexpr UINT ILD_TRANSPARENT = 0x00000001;
constexpr UINT ILD_MASK = 0x00000010;
constexpr UINT ILD_IMAGE = 0x00000020;
constexpr UINT ILD_ROP = 0x00000040;
constexpr UINT ILD_BLEND25 = 0x00000002;
constexpr UINT ILD_BLEND50 = 0x00000004;
constexpr UINT ILD_OVERLAYMASK = 0x00000F00;
constexpr UINT ILD_PRESERVEALPHA = 0x00001000;
constexpr UINT ILD_SCALE = 0x00002000;
constexpr UINT ILD_DPISCALE = 0x00004000;
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND = ILD_BLEND50;

constexpr UINT ILCF_MOVE = 0x00000000;
constexpr UINT ILCF_SWAP = 0x00000001;

struct IMAGEINFO
{
    HBITMAP hbmImage;
    HBITMAP hbmMask;
    int Unused1;
    int Unused2;
    RECT rcImage;
};
using LPIMAGEINFO = IMAGEINFO*;
