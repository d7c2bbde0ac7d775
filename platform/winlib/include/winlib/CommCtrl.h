// Common controls (list view, header, tooltips, image lists, date/time picker and month
// calendar): messages, notification codes, styles, flags and structures, with the Windows
// names and values.
//
// Text is single-byte: the unsuffixed names are the A forms, as in a non-Unicode Windows
// build. The W notification codes are defined as well, with the W structures where a
// control has to answer in either form (tooltip text, header items, list-view display
// info and label editing, find and info-tip requests).
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

// ---- Header control --------------------------------------------------------------------
inline constexpr char WC_HEADERA[] = "SysHeader32";
inline constexpr char WC_HEADER[] = "SysHeader32";

constexpr DWORD HDS_HORZ = 0x0000;
constexpr DWORD HDS_BUTTONS = 0x0002;
constexpr DWORD HDS_HOTTRACK = 0x0004;
constexpr DWORD HDS_HIDDEN = 0x0008;
constexpr DWORD HDS_DRAGDROP = 0x0040;
constexpr DWORD HDS_FULLDRAG = 0x0080;
constexpr DWORD HDS_FILTERBAR = 0x0100;
constexpr DWORD HDS_FLAT = 0x0200;
constexpr DWORD HDS_CHECKBOXES = 0x0400;
constexpr DWORD HDS_NOSIZING = 0x0800;
constexpr DWORD HDS_OVERFLOW = 0x1000;

constexpr UINT HDI_WIDTH = 0x0001;
constexpr UINT HDI_HEIGHT = HDI_WIDTH;
constexpr UINT HDI_TEXT = 0x0002;
constexpr UINT HDI_FORMAT = 0x0004;
constexpr UINT HDI_LPARAM = 0x0008;
constexpr UINT HDI_BITMAP = 0x0010;
constexpr UINT HDI_IMAGE = 0x0020;
constexpr UINT HDI_DI_SETITEM = 0x0040;
constexpr UINT HDI_ORDER = 0x0080;
constexpr UINT HDI_FILTER = 0x0100;
constexpr UINT HDI_STATE = 0x0200;

constexpr UINT HDIS_FOCUSED = 0x00000001;

constexpr int HDF_LEFT = 0x0000;
constexpr int HDF_RIGHT = 0x0001;
constexpr int HDF_CENTER = 0x0002;
constexpr int HDF_JUSTIFYMASK = 0x0003;
constexpr int HDF_RTLREADING = 0x0004;
constexpr int HDF_CHECKBOX = 0x0040;
constexpr int HDF_CHECKED = 0x0080;
constexpr int HDF_FIXEDWIDTH = 0x0100;
constexpr int HDF_SORTDOWN = 0x0200;
constexpr int HDF_SORTUP = 0x0400;
constexpr int HDF_IMAGE = 0x0800;
constexpr int HDF_BITMAP_ON_RIGHT = 0x1000;
constexpr int HDF_BITMAP = 0x2000;
constexpr int HDF_STRING = 0x4000;
constexpr int HDF_OWNERDRAW = 0x8000;
constexpr int HDF_SPLITBUTTON = 0x1000000;

constexpr UINT HDFT_ISSTRING = 0x0000;
constexpr UINT HDFT_ISNUMBER = 0x0001;
constexpr UINT HDFT_ISDATE = 0x0002;
constexpr UINT HDFT_HASNOVALUE = 0x8000;

constexpr UINT HHT_NOWHERE = 0x0001;
constexpr UINT HHT_ONHEADER = 0x0002;
constexpr UINT HHT_ONDIVIDER = 0x0004;
constexpr UINT HHT_ONDIVOPEN = 0x0008;
constexpr UINT HHT_ONFILTER = 0x0010;
constexpr UINT HHT_ONFILTERBUTTON = 0x0020;
constexpr UINT HHT_ABOVE = 0x0100;
constexpr UINT HHT_BELOW = 0x0200;
constexpr UINT HHT_TORIGHT = 0x0400;
constexpr UINT HHT_TOLEFT = 0x0800;
constexpr UINT HHT_ONITEMSTATEICON = 0x1000;
constexpr UINT HHT_ONDROPDOWN = 0x2000;
constexpr UINT HHT_ONOVERFLOW = 0x4000;

constexpr int HDSIL_NORMAL = 0;
constexpr int HDSIL_STATE = 1;

constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0;
constexpr UINT HDM_INSERTITEMA = HDM_FIRST + 1;
constexpr UINT HDM_DELETEITEM = HDM_FIRST + 2;
constexpr UINT HDM_GETITEMA = HDM_FIRST + 3;
constexpr UINT HDM_SETITEMA = HDM_FIRST + 4;
constexpr UINT HDM_LAYOUT = HDM_FIRST + 5;
constexpr UINT HDM_HITTEST = HDM_FIRST + 6;
constexpr UINT HDM_GETITEMRECT = HDM_FIRST + 7;
constexpr UINT HDM_SETIMAGELIST = HDM_FIRST + 8;
constexpr UINT HDM_GETIMAGELIST = HDM_FIRST + 9;
constexpr UINT HDM_ORDERTOINDEX = HDM_FIRST + 15;
constexpr UINT HDM_CREATEDRAGIMAGE = HDM_FIRST + 16;
constexpr UINT HDM_GETORDERARRAY = HDM_FIRST + 17;
constexpr UINT HDM_SETORDERARRAY = HDM_FIRST + 18;
constexpr UINT HDM_SETHOTDIVIDER = HDM_FIRST + 19;
constexpr UINT HDM_SETBITMAPMARGIN = HDM_FIRST + 20;
constexpr UINT HDM_GETBITMAPMARGIN = HDM_FIRST + 21;
constexpr UINT HDM_SETFILTERCHANGETIMEOUT = HDM_FIRST + 22;
constexpr UINT HDM_EDITFILTER = HDM_FIRST + 23;
constexpr UINT HDM_CLEARFILTER = HDM_FIRST + 24;
constexpr UINT HDM_GETITEMDROPDOWNRECT = HDM_FIRST + 25;
constexpr UINT HDM_GETOVERFLOWRECT = HDM_FIRST + 26;
constexpr UINT HDM_GETFOCUSEDITEM = HDM_FIRST + 27;
constexpr UINT HDM_SETFOCUSEDITEM = HDM_FIRST + 28;
constexpr UINT HDM_SETUNICODEFORMAT = CCM_SETUNICODEFORMAT;
constexpr UINT HDM_GETUNICODEFORMAT = CCM_GETUNICODEFORMAT;
constexpr UINT HDM_INSERTITEM = HDM_INSERTITEMA;
constexpr UINT HDM_GETITEM = HDM_GETITEMA;
constexpr UINT HDM_SETITEM = HDM_SETITEMA;

constexpr UINT HDN_ITEMCHANGINGA = HDN_FIRST - 0;
constexpr UINT HDN_ITEMCHANGINGW = HDN_FIRST - 20;
constexpr UINT HDN_ITEMCHANGEDA = HDN_FIRST - 1;
constexpr UINT HDN_ITEMCHANGEDW = HDN_FIRST - 21;
constexpr UINT HDN_ITEMCLICKA = HDN_FIRST - 2;
constexpr UINT HDN_ITEMCLICKW = HDN_FIRST - 22;
constexpr UINT HDN_ITEMDBLCLICKA = HDN_FIRST - 3;
constexpr UINT HDN_ITEMDBLCLICKW = HDN_FIRST - 23;
constexpr UINT HDN_DIVIDERDBLCLICKA = HDN_FIRST - 5;
constexpr UINT HDN_DIVIDERDBLCLICKW = HDN_FIRST - 25;
constexpr UINT HDN_BEGINTRACKA = HDN_FIRST - 6;
constexpr UINT HDN_BEGINTRACKW = HDN_FIRST - 26;
constexpr UINT HDN_ENDTRACKA = HDN_FIRST - 7;
constexpr UINT HDN_ENDTRACKW = HDN_FIRST - 27;
constexpr UINT HDN_TRACKA = HDN_FIRST - 8;
constexpr UINT HDN_TRACKW = HDN_FIRST - 28;
constexpr UINT HDN_GETDISPINFOA = HDN_FIRST - 9;
constexpr UINT HDN_GETDISPINFOW = HDN_FIRST - 29;
constexpr UINT HDN_BEGINDRAG = HDN_FIRST - 10;
constexpr UINT HDN_ENDDRAG = HDN_FIRST - 11;
constexpr UINT HDN_FILTERCHANGE = HDN_FIRST - 12;
constexpr UINT HDN_FILTERBTNCLICK = HDN_FIRST - 13;
constexpr UINT HDN_BEGINFILTEREDIT = HDN_FIRST - 14;
constexpr UINT HDN_ENDFILTEREDIT = HDN_FIRST - 15;
constexpr UINT HDN_ITEMSTATEICONCLICK = HDN_FIRST - 16;
constexpr UINT HDN_ITEMKEYDOWN = HDN_FIRST - 17;
constexpr UINT HDN_DROPDOWN = HDN_FIRST - 18;
constexpr UINT HDN_OVERFLOWCLICK = HDN_FIRST - 19;
constexpr UINT HDN_ITEMCHANGING = HDN_ITEMCHANGINGA;
constexpr UINT HDN_ITEMCHANGED = HDN_ITEMCHANGEDA;
constexpr UINT HDN_ITEMCLICK = HDN_ITEMCLICKA;
constexpr UINT HDN_ITEMDBLCLICK = HDN_ITEMDBLCLICKA;
constexpr UINT HDN_DIVIDERDBLCLICK = HDN_DIVIDERDBLCLICKA;
constexpr UINT HDN_BEGINTRACK = HDN_BEGINTRACKA;
constexpr UINT HDN_ENDTRACK = HDN_ENDTRACKA;
constexpr UINT HDN_TRACK = HDN_TRACKA;
constexpr UINT HDN_GETDISPINFO = HDN_GETDISPINFOA;

struct HDITEMA
{
    UINT mask;
    int cxy;
    LPSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
    UINT type;
    void* pvFilter;
    UINT state;
};
struct HDITEMW
{
    UINT mask;
    int cxy;
    LPWSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
    UINT type;
    void* pvFilter;
    UINT state;
};
using HDITEM = HDITEMA;
using LPHDITEMA = HDITEMA*;
using LPHDITEMW = HDITEMW*;
using LPHDITEM = HDITEM*;
using HD_ITEMA = HDITEMA;
using HD_ITEMW = HDITEMW;
using HD_ITEM = HDITEM;

// HDITEM::pvFilter when type is HDFT_ISSTRING.
struct HD_TEXTFILTERA
{
    LPSTR pszText;
    INT cchTextMax;
};
using LPHD_TEXTFILTERA = HD_TEXTFILTERA*;
using HD_TEXTFILTER = HD_TEXTFILTERA;
using LPHD_TEXTFILTER = HD_TEXTFILTER*;
using HDTEXTFILTER = HD_TEXTFILTER;
using LPHDTEXTFILTER = HDTEXTFILTER*;

struct HDLAYOUT
{
    RECT* prc;
    WINDOWPOS* pwpos;
};
using LPHDLAYOUT = HDLAYOUT*;
using HD_LAYOUT = HDLAYOUT;

struct HDHITTESTINFO
{
    POINT pt;
    UINT flags;
    int iItem;
};
using LPHDHITTESTINFO = HDHITTESTINFO*;
using HD_HITTESTINFO = HDHITTESTINFO;

struct NMHEADERA
{
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEMA* pitem;
};
struct NMHEADERW
{
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEMW* pitem;
};
using NMHEADER = NMHEADERA;
using LPNMHEADERA = NMHEADERA*;
using LPNMHEADERW = NMHEADERW*;
using LPNMHEADER = NMHEADER*;
using HD_NOTIFYA = NMHEADERA;
using HD_NOTIFYW = NMHEADERW;
using HD_NOTIFY = NMHEADER;

struct NMHDDISPINFOA
{
    NMHDR hdr;
    int iItem;
    UINT mask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct NMHDDISPINFOW
{
    NMHDR hdr;
    int iItem;
    UINT mask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
using NMHDDISPINFO = NMHDDISPINFOA;
using LPNMHDDISPINFOA = NMHDDISPINFOA*;
using LPNMHDDISPINFOW = NMHDDISPINFOW*;
using LPNMHDDISPINFO = NMHDDISPINFO*;

struct NMHDFILTERBTNCLICK
{
    NMHDR hdr;
    INT iItem;
    RECT rc;
};
using LPNMHDFILTERBTNCLICK = NMHDFILTERBTNCLICK*;

// ---- List view -----------------------------------------------------------------------
inline constexpr char WC_LISTVIEWA[] = "SysListView32";
inline constexpr char WC_LISTVIEW[] = "SysListView32";

constexpr DWORD LVS_ICON = 0x0000;
constexpr DWORD LVS_REPORT = 0x0001;
constexpr DWORD LVS_SMALLICON = 0x0002;
constexpr DWORD LVS_LIST = 0x0003;
constexpr DWORD LVS_TYPEMASK = 0x0003;
constexpr DWORD LVS_SINGLESEL = 0x0004;
constexpr DWORD LVS_SHOWSELALWAYS = 0x0008;
constexpr DWORD LVS_SORTASCENDING = 0x0010;
constexpr DWORD LVS_SORTDESCENDING = 0x0020;
constexpr DWORD LVS_SHAREIMAGELISTS = 0x0040;
constexpr DWORD LVS_NOLABELWRAP = 0x0080;
constexpr DWORD LVS_AUTOARRANGE = 0x0100;
constexpr DWORD LVS_EDITLABELS = 0x0200;
constexpr DWORD LVS_OWNERDRAWFIXED = 0x0400;
constexpr DWORD LVS_ALIGNTOP = 0x0000;
constexpr DWORD LVS_ALIGNLEFT = 0x0800;
constexpr DWORD LVS_ALIGNMASK = 0x0C00;
constexpr DWORD LVS_OWNERDATA = 0x1000;
constexpr DWORD LVS_NOSCROLL = 0x2000;
constexpr DWORD LVS_NOCOLUMNHEADER = 0x4000;
constexpr DWORD LVS_NOSORTHEADER = 0x8000;
constexpr DWORD LVS_TYPESTYLEMASK = 0xFC00;

constexpr DWORD LVS_EX_GRIDLINES = 0x00000001;
constexpr DWORD LVS_EX_SUBITEMIMAGES = 0x00000002;
constexpr DWORD LVS_EX_CHECKBOXES = 0x00000004;
constexpr DWORD LVS_EX_TRACKSELECT = 0x00000008;
constexpr DWORD LVS_EX_HEADERDRAGDROP = 0x00000010;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x00000020;
constexpr DWORD LVS_EX_ONECLICKACTIVATE = 0x00000040;
constexpr DWORD LVS_EX_TWOCLICKACTIVATE = 0x00000080;
constexpr DWORD LVS_EX_FLATSB = 0x00000100;
constexpr DWORD LVS_EX_REGIONAL = 0x00000200;
constexpr DWORD LVS_EX_INFOTIP = 0x00000400;
constexpr DWORD LVS_EX_UNDERLINEHOT = 0x00000800;
constexpr DWORD LVS_EX_UNDERLINECOLD = 0x00001000;
constexpr DWORD LVS_EX_MULTIWORKAREAS = 0x00002000;
constexpr DWORD LVS_EX_LABELTIP = 0x00004000;
constexpr DWORD LVS_EX_BORDERSELECT = 0x00008000;
constexpr DWORD LVS_EX_DOUBLEBUFFER = 0x00010000;
constexpr DWORD LVS_EX_HIDELABELS = 0x00020000;
constexpr DWORD LVS_EX_SINGLEROW = 0x00040000;
constexpr DWORD LVS_EX_SNAPTOGRID = 0x00080000;
constexpr DWORD LVS_EX_SIMPLESELECT = 0x00100000;
constexpr DWORD LVS_EX_JUSTIFYCOLUMNS = 0x00200000;
constexpr DWORD LVS_EX_TRANSPARENTBKGND = 0x00400000;
constexpr DWORD LVS_EX_TRANSPARENTSHADOWTEXT = 0x00800000;
constexpr DWORD LVS_EX_AUTOAUTOARRANGE = 0x01000000;
constexpr DWORD LVS_EX_HEADERINALLVIEWS = 0x02000000;
constexpr DWORD LVS_EX_AUTOCHECKSELECT = 0x08000000;
constexpr DWORD LVS_EX_AUTOSIZECOLUMNS = 0x10000000;
constexpr DWORD LVS_EX_COLUMNSNAPPOINTS = 0x40000000;
constexpr DWORD LVS_EX_COLUMNOVERFLOW = 0x80000000;

constexpr DWORD LV_VIEW_ICON = 0x0000;
constexpr DWORD LV_VIEW_DETAILS = 0x0001;
constexpr DWORD LV_VIEW_SMALLICON = 0x0002;
constexpr DWORD LV_VIEW_LIST = 0x0003;
constexpr DWORD LV_VIEW_TILE = 0x0004;
constexpr DWORD LV_VIEW_MAX = 0x0004;

constexpr UINT LVIF_TEXT = 0x00000001;
constexpr UINT LVIF_IMAGE = 0x00000002;
constexpr UINT LVIF_PARAM = 0x00000004;
constexpr UINT LVIF_STATE = 0x00000008;
constexpr UINT LVIF_INDENT = 0x00000010;
constexpr UINT LVIF_GROUPID = 0x00000100;
constexpr UINT LVIF_COLUMNS = 0x00000200;
constexpr UINT LVIF_NORECOMPUTE = 0x00000800;
constexpr UINT LVIF_DI_SETITEM = 0x00001000;

constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;
constexpr UINT LVIS_CUT = 0x0004;
constexpr UINT LVIS_DROPHILITED = 0x0008;
constexpr UINT LVIS_GLOW = 0x0010;
constexpr UINT LVIS_ACTIVATING = 0x0020;
constexpr UINT LVIS_OVERLAYMASK = 0x0F00;
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;

// The one-based state image (check box: 1 unchecked, 2 checked) and overlay image
// index as stored in the item state.
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT index)
{
    return index << 12;
}
constexpr UINT INDEXTOOVERLAYMASK(UINT index)
{
    return index << 8;
}

constexpr UINT LVNI_ALL = 0x0000;
constexpr UINT LVNI_FOCUSED = 0x0001;
constexpr UINT LVNI_SELECTED = 0x0002;
constexpr UINT LVNI_CUT = 0x0004;
constexpr UINT LVNI_DROPHILITED = 0x0008;
constexpr UINT LVNI_STATEMASK = LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED;
constexpr UINT LVNI_VISIBLEORDER = 0x0010;
constexpr UINT LVNI_PREVIOUS = 0x0020;
constexpr UINT LVNI_VISIBLEONLY = 0x0040;
constexpr UINT LVNI_SAMEGROUPONLY = 0x0080;
constexpr UINT LVNI_ABOVE = 0x0100;
constexpr UINT LVNI_BELOW = 0x0200;
constexpr UINT LVNI_TOLEFT = 0x0400;
constexpr UINT LVNI_TORIGHT = 0x0800;
constexpr UINT LVNI_DIRECTIONMASK = LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT;

constexpr UINT LVCF_FMT = 0x0001;
constexpr UINT LVCF_WIDTH = 0x0002;
constexpr UINT LVCF_TEXT = 0x0004;
constexpr UINT LVCF_SUBITEM = 0x0008;
constexpr UINT LVCF_IMAGE = 0x0010;
constexpr UINT LVCF_ORDER = 0x0020;

constexpr int LVCFMT_LEFT = 0x0000;
constexpr int LVCFMT_RIGHT = 0x0001;
constexpr int LVCFMT_CENTER = 0x0002;
constexpr int LVCFMT_JUSTIFYMASK = 0x0003;
constexpr int LVCFMT_FIXED_WIDTH = 0x0100;
constexpr int LVCFMT_IMAGE = 0x0800;
constexpr int LVCFMT_BITMAP_ON_RIGHT = 0x1000;
constexpr int LVCFMT_COL_HAS_IMAGES = 0x8000;
constexpr int LVCFMT_SPLITBUTTON = 0x1000000;

constexpr int LVSCW_AUTOSIZE = -1;
constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;

constexpr DWORD LVSICF_NOINVALIDATEALL = 0x00000001;
constexpr DWORD LVSICF_NOSCROLL = 0x00000002;

// LVHT_ABOVE shares its bit with LVHT_ONITEMSTATEICON, as it always has.
constexpr UINT LVHT_NOWHERE = 0x00000001;
constexpr UINT LVHT_ONITEMICON = 0x00000002;
constexpr UINT LVHT_ONITEMLABEL = 0x00000004;
constexpr UINT LVHT_ONITEMSTATEICON = 0x00000008;
constexpr UINT LVHT_ONITEM = LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON;
constexpr UINT LVHT_ABOVE = 0x00000008;
constexpr UINT LVHT_BELOW = 0x00000010;
constexpr UINT LVHT_TORIGHT = 0x00000020;
constexpr UINT LVHT_TOLEFT = 0x00000040;

constexpr int LVIR_BOUNDS = 0;
constexpr int LVIR_ICON = 1;
constexpr int LVIR_LABEL = 2;
constexpr int LVIR_SELECTBOUNDS = 3;

constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;
constexpr int LVSIL_STATE = 2;
constexpr int LVSIL_GROUPHEADER = 3;

constexpr UINT LVA_DEFAULT = 0x0000;
constexpr UINT LVA_ALIGNLEFT = 0x0001;
constexpr UINT LVA_ALIGNTOP = 0x0002;
constexpr UINT LVA_SNAPTOGRID = 0x0005;

constexpr UINT LVFI_PARAM = 0x0001;
constexpr UINT LVFI_STRING = 0x0002;
constexpr UINT LVFI_SUBSTRING = 0x0004;
constexpr UINT LVFI_PARTIAL = 0x0008;
constexpr UINT LVFI_WRAP = 0x0020;
constexpr UINT LVFI_NEARESTXY = 0x0040;

constexpr UINT LVKF_ALT = 0x0001;
constexpr UINT LVKF_CONTROL = 0x0002;
constexpr UINT LVKF_SHIFT = 0x0004;

constexpr DWORD LVGIT_UNFOLDED = 0x0001;

constexpr DWORD LVCDI_ITEM = 0x00000000;
constexpr DWORD LVCDI_GROUP = 0x00000001;
constexpr DWORD LVCDI_ITEMSLIST = 0x00000002;
constexpr LRESULT LVCDRF_NOSELECT = 0x00010000;
constexpr LRESULT LVCDRF_NOGROUPFRAME = 0x00020000;

constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETBKCOLOR = LVM_FIRST + 0;
constexpr UINT LVM_SETBKCOLOR = LVM_FIRST + 1;
constexpr UINT LVM_GETIMAGELIST = LVM_FIRST + 2;
constexpr UINT LVM_SETIMAGELIST = LVM_FIRST + 3;
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_GETITEMA = LVM_FIRST + 5;
constexpr UINT LVM_SETITEMA = LVM_FIRST + 6;
constexpr UINT LVM_INSERTITEMA = LVM_FIRST + 7;
constexpr UINT LVM_DELETEITEM = LVM_FIRST + 8;
constexpr UINT LVM_DELETEALLITEMS = LVM_FIRST + 9;
constexpr UINT LVM_GETCALLBACKMASK = LVM_FIRST + 10;
constexpr UINT LVM_SETCALLBACKMASK = LVM_FIRST + 11;
constexpr UINT LVM_GETNEXTITEM = LVM_FIRST + 12;
constexpr UINT LVM_FINDITEMA = LVM_FIRST + 13;
constexpr UINT LVM_GETITEMRECT = LVM_FIRST + 14;
constexpr UINT LVM_SETITEMPOSITION = LVM_FIRST + 15;
constexpr UINT LVM_GETITEMPOSITION = LVM_FIRST + 16;
constexpr UINT LVM_GETSTRINGWIDTHA = LVM_FIRST + 17;
constexpr UINT LVM_HITTEST = LVM_FIRST + 18;
constexpr UINT LVM_ENSUREVISIBLE = LVM_FIRST + 19;
constexpr UINT LVM_SCROLL = LVM_FIRST + 20;
constexpr UINT LVM_REDRAWITEMS = LVM_FIRST + 21;
constexpr UINT LVM_ARRANGE = LVM_FIRST + 22;
constexpr UINT LVM_EDITLABELA = LVM_FIRST + 23;
constexpr UINT LVM_GETEDITCONTROL = LVM_FIRST + 24;
constexpr UINT LVM_GETCOLUMNA = LVM_FIRST + 25;
constexpr UINT LVM_SETCOLUMNA = LVM_FIRST + 26;
constexpr UINT LVM_INSERTCOLUMNA = LVM_FIRST + 27;
constexpr UINT LVM_DELETECOLUMN = LVM_FIRST + 28;
constexpr UINT LVM_GETCOLUMNWIDTH = LVM_FIRST + 29;
constexpr UINT LVM_SETCOLUMNWIDTH = LVM_FIRST + 30;
constexpr UINT LVM_GETHEADER = LVM_FIRST + 31;
constexpr UINT LVM_CREATEDRAGIMAGE = LVM_FIRST + 33;
constexpr UINT LVM_GETVIEWRECT = LVM_FIRST + 34;
constexpr UINT LVM_GETTEXTCOLOR = LVM_FIRST + 35;
constexpr UINT LVM_SETTEXTCOLOR = LVM_FIRST + 36;
constexpr UINT LVM_GETTEXTBKCOLOR = LVM_FIRST + 37;
constexpr UINT LVM_SETTEXTBKCOLOR = LVM_FIRST + 38;
constexpr UINT LVM_GETTOPINDEX = LVM_FIRST + 39;
constexpr UINT LVM_GETCOUNTPERPAGE = LVM_FIRST + 40;
constexpr UINT LVM_GETORIGIN = LVM_FIRST + 41;
constexpr UINT LVM_UPDATE = LVM_FIRST + 42;
constexpr UINT LVM_SETITEMSTATE = LVM_FIRST + 43;
constexpr UINT LVM_GETITEMSTATE = LVM_FIRST + 44;
constexpr UINT LVM_GETITEMTEXTA = LVM_FIRST + 45;
constexpr UINT LVM_SETITEMTEXTA = LVM_FIRST + 46;
constexpr UINT LVM_SETITEMCOUNT = LVM_FIRST + 47;
constexpr UINT LVM_SORTITEMS = LVM_FIRST + 48;
constexpr UINT LVM_SETITEMPOSITION32 = LVM_FIRST + 49;
constexpr UINT LVM_GETSELECTEDCOUNT = LVM_FIRST + 50;
constexpr UINT LVM_GETITEMSPACING = LVM_FIRST + 51;
constexpr UINT LVM_GETISEARCHSTRINGA = LVM_FIRST + 52;
constexpr UINT LVM_SETICONSPACING = LVM_FIRST + 53;
constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54;
constexpr UINT LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55;
constexpr UINT LVM_GETSUBITEMRECT = LVM_FIRST + 56;
constexpr UINT LVM_SUBITEMHITTEST = LVM_FIRST + 57;
constexpr UINT LVM_SETCOLUMNORDERARRAY = LVM_FIRST + 58;
constexpr UINT LVM_GETCOLUMNORDERARRAY = LVM_FIRST + 59;
constexpr UINT LVM_SETHOTITEM = LVM_FIRST + 60;
constexpr UINT LVM_GETHOTITEM = LVM_FIRST + 61;
constexpr UINT LVM_SETHOTCURSOR = LVM_FIRST + 62;
constexpr UINT LVM_GETHOTCURSOR = LVM_FIRST + 63;
constexpr UINT LVM_APPROXIMATEVIEWRECT = LVM_FIRST + 64;
constexpr UINT LVM_SETWORKAREAS = LVM_FIRST + 65;
constexpr UINT LVM_GETSELECTIONMARK = LVM_FIRST + 66;
constexpr UINT LVM_SETSELECTIONMARK = LVM_FIRST + 67;
constexpr UINT LVM_GETWORKAREAS = LVM_FIRST + 70;
constexpr UINT LVM_SETHOVERTIME = LVM_FIRST + 71;
constexpr UINT LVM_GETHOVERTIME = LVM_FIRST + 72;
constexpr UINT LVM_GETNUMBEROFWORKAREAS = LVM_FIRST + 73;
constexpr UINT LVM_SETTOOLTIPS = LVM_FIRST + 74;
constexpr UINT LVM_GETTOOLTIPS = LVM_FIRST + 78;
constexpr UINT LVM_SORTITEMSEX = LVM_FIRST + 81;
constexpr UINT LVM_SETSELECTEDCOLUMN = LVM_FIRST + 140;
constexpr UINT LVM_SETVIEW = LVM_FIRST + 142;
constexpr UINT LVM_GETVIEW = LVM_FIRST + 143;
constexpr UINT LVM_GETSELECTEDCOLUMN = LVM_FIRST + 174;
// This library's own list view messages, which the system's list view does not have: a whole
// column's texts read in one message, and the rows put in an order the caller computed. Together
// they sort a long list without a comparison callback per pair of rows (list-view.md).
constexpr UINT LVM_GETCOLUMNTEXTS = LVM_FIRST + 0x180; // wParam: sub-item; lParam: LVCOLUMNTEXTS*
constexpr UINT LVM_SETITEMORDER = LVM_FIRST + 0x181;   // wParam: count; lParam: const UINT* order
constexpr UINT LVM_SETUNICODEFORMAT = CCM_SETUNICODEFORMAT;
constexpr UINT LVM_GETUNICODEFORMAT = CCM_GETUNICODEFORMAT;
constexpr UINT LVM_GETITEM = LVM_GETITEMA;
constexpr UINT LVM_SETITEM = LVM_SETITEMA;
constexpr UINT LVM_INSERTITEM = LVM_INSERTITEMA;
constexpr UINT LVM_FINDITEM = LVM_FINDITEMA;
constexpr UINT LVM_GETSTRINGWIDTH = LVM_GETSTRINGWIDTHA;
constexpr UINT LVM_EDITLABEL = LVM_EDITLABELA;
constexpr UINT LVM_GETCOLUMN = LVM_GETCOLUMNA;
constexpr UINT LVM_SETCOLUMN = LVM_SETCOLUMNA;
constexpr UINT LVM_INSERTCOLUMN = LVM_INSERTCOLUMNA;
constexpr UINT LVM_GETITEMTEXT = LVM_GETITEMTEXTA;
constexpr UINT LVM_SETITEMTEXT = LVM_SETITEMTEXTA;
constexpr UINT LVM_GETISEARCHSTRING = LVM_GETISEARCHSTRINGA;

constexpr UINT LVN_ITEMCHANGING = LVN_FIRST - 0;
constexpr UINT LVN_ITEMCHANGED = LVN_FIRST - 1;
constexpr UINT LVN_INSERTITEM = LVN_FIRST - 2;
constexpr UINT LVN_DELETEITEM = LVN_FIRST - 3;
constexpr UINT LVN_DELETEALLITEMS = LVN_FIRST - 4;
constexpr UINT LVN_BEGINLABELEDITA = LVN_FIRST - 5;
constexpr UINT LVN_BEGINLABELEDITW = LVN_FIRST - 75;
constexpr UINT LVN_ENDLABELEDITA = LVN_FIRST - 6;
constexpr UINT LVN_ENDLABELEDITW = LVN_FIRST - 76;
constexpr UINT LVN_COLUMNCLICK = LVN_FIRST - 8;
constexpr UINT LVN_BEGINDRAG = LVN_FIRST - 9;
constexpr UINT LVN_BEGINRDRAG = LVN_FIRST - 11;
constexpr UINT LVN_ODCACHEHINT = LVN_FIRST - 13;
constexpr UINT LVN_ITEMACTIVATE = LVN_FIRST - 14;
constexpr UINT LVN_ODSTATECHANGED = LVN_FIRST - 15;
constexpr UINT LVN_HOTTRACK = LVN_FIRST - 21;
constexpr UINT LVN_GETDISPINFOA = LVN_FIRST - 50;
constexpr UINT LVN_GETDISPINFOW = LVN_FIRST - 77;
constexpr UINT LVN_SETDISPINFOA = LVN_FIRST - 51;
constexpr UINT LVN_SETDISPINFOW = LVN_FIRST - 78;
constexpr UINT LVN_ODFINDITEMA = LVN_FIRST - 52;
constexpr UINT LVN_ODFINDITEMW = LVN_FIRST - 79;
constexpr UINT LVN_KEYDOWN = LVN_FIRST - 55;
constexpr UINT LVN_MARQUEEBEGIN = LVN_FIRST - 56;
constexpr UINT LVN_GETINFOTIPA = LVN_FIRST - 57;
constexpr UINT LVN_GETINFOTIPW = LVN_FIRST - 58;
constexpr UINT LVN_INCREMENTALSEARCHA = LVN_FIRST - 62;
constexpr UINT LVN_INCREMENTALSEARCHW = LVN_FIRST - 63;
constexpr UINT LVN_COLUMNDROPDOWN = LVN_FIRST - 64;
constexpr UINT LVN_COLUMNOVERFLOWCLICK = LVN_FIRST - 66;
constexpr UINT LVN_BEGINSCROLL = LVN_FIRST - 80;
constexpr UINT LVN_ENDSCROLL = LVN_FIRST - 81;
constexpr UINT LVN_LINKCLICK = LVN_FIRST - 84;
constexpr UINT LVN_GETEMPTYMARKUP = LVN_FIRST - 87;
constexpr UINT LVN_BEGINLABELEDIT = LVN_BEGINLABELEDITA;
constexpr UINT LVN_ENDLABELEDIT = LVN_ENDLABELEDITA;
constexpr UINT LVN_GETDISPINFO = LVN_GETDISPINFOA;
constexpr UINT LVN_SETDISPINFO = LVN_SETDISPINFOA;
constexpr UINT LVN_ODFINDITEM = LVN_ODFINDITEMA;
constexpr UINT LVN_GETINFOTIP = LVN_GETINFOTIPA;
constexpr UINT LVN_INCREMENTALSEARCH = LVN_INCREMENTALSEARCHA;

struct LVITEMA
{
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
    int iGroupId;
    UINT cColumns;
    PUINT puColumns;
};
struct LVITEMW
{
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
    int iGroupId;
    UINT cColumns;
    PUINT puColumns;
};
using LVITEM = LVITEMA;
using LPLVITEMA = LVITEMA*;
using LPLVITEMW = LVITEMW*;
using LPLVITEM = LVITEM*;
using LV_ITEMA = LVITEMA;
using LV_ITEMW = LVITEMW;
using LV_ITEM = LVITEM;

struct LVCOLUMNA
{
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
};
using LVCOLUMN = LVCOLUMNA;
using LPLVCOLUMNA = LVCOLUMNA*;
using LPLVCOLUMN = LVCOLUMN*;
using LV_COLUMNA = LVCOLUMNA;
using LV_COLUMN = LVCOLUMN;

struct LVHITTESTINFO
{
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
    int iGroup;
};
using LPLVHITTESTINFO = LVHITTESTINFO*;
using LV_HITTESTINFO = LVHITTESTINFO;

struct LVFINDINFOA
{
    UINT flags;
    LPCSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
};
struct LVFINDINFOW
{
    UINT flags;
    LPCWSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
};
using LVFINDINFO = LVFINDINFOA;
using LPFINDINFOA = LVFINDINFOA*;
using LPFINDINFOW = LVFINDINFOW*;
using LPFINDINFO = LVFINDINFO*;
using LV_FINDINFOA = LVFINDINFOA;
using LV_FINDINFOW = LVFINDINFOW;
using LV_FINDINFO = LVFINDINFO;

using PFNLVCOMPARE = int (*)(LPARAM, LPARAM, LPARAM);

// LVM_GETCOLUMNTEXTS calls pfnText once for each item, in item order, with the sub-item's text as
// the list shows it (stored, or asked of the parent) and its length; the text is valid during the
// call only, and the callback must not change the list.
using PFNLVCOLUMNTEXT = void (*)(int item, LPCSTR text, int length, LPARAM param);
struct LVCOLUMNTEXTS
{
    PFNLVCOLUMNTEXT pfnText;
    LPARAM lParam;
};

// LVN_ITEMCHANGING, LVN_ITEMCHANGED, LVN_INSERTITEM, LVN_DELETEITEM, LVN_COLUMNCLICK,
// LVN_BEGINDRAG, LVN_HOTTRACK, ...
struct NMLISTVIEW
{
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
using LPNMLISTVIEW = NMLISTVIEW*;
using NM_LISTVIEW = NMLISTVIEW;
using LPNM_LISTVIEW = NM_LISTVIEW*;

// LVN_ITEMACTIVATE and the list view's NM_CLICK / NM_DBLCLK / NM_RCLICK.
struct NMITEMACTIVATE
{
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
using LPNMITEMACTIVATE = NMITEMACTIVATE*;

// LVN_GETDISPINFO, LVN_SETDISPINFO, LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT
struct NMLVDISPINFOA
{
    NMHDR hdr;
    LVITEMA item;
};
struct NMLVDISPINFOW
{
    NMHDR hdr;
    LVITEMW item;
};
using NMLVDISPINFO = NMLVDISPINFOA;
using LPNMLVDISPINFOA = NMLVDISPINFOA*;
using LPNMLVDISPINFOW = NMLVDISPINFOW*;
using LPNMLVDISPINFO = NMLVDISPINFO*;
using LV_DISPINFOA = NMLVDISPINFOA;
using LV_DISPINFOW = NMLVDISPINFOW;
using LV_DISPINFO = NMLVDISPINFO;

// LVN_KEYDOWN. Byte-packed, as on Windows: flags follows wVKey directly.
#pragma pack(push, 1)
struct NMLVKEYDOWN
{
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
#pragma pack(pop)
using LPNMLVKEYDOWN = NMLVKEYDOWN*;
using LV_KEYDOWN = NMLVKEYDOWN;

// LVN_ODCACHEHINT
struct NMLVCACHEHINT
{
    NMHDR hdr;
    int iFrom;
    int iTo;
};
using LPNMLVCACHEHINT = NMLVCACHEHINT*;
using NM_CACHEHINT = NMLVCACHEHINT;
using PNM_CACHEHINT = NM_CACHEHINT*;
using LPNM_CACHEHINT = NM_CACHEHINT*;

// LVN_ODFINDITEM
struct NMLVFINDITEMA
{
    NMHDR hdr;
    int iStart;
    LVFINDINFOA lvfi;
};
struct NMLVFINDITEMW
{
    NMHDR hdr;
    int iStart;
    LVFINDINFOW lvfi;
};
using NMLVFINDITEM = NMLVFINDITEMA;
using LPNMLVFINDITEMA = NMLVFINDITEMA*;
using LPNMLVFINDITEMW = NMLVFINDITEMW*;
using LPNMLVFINDITEM = NMLVFINDITEM*;
using NM_FINDITEM = NMLVFINDITEM;
using PNM_FINDITEM = NM_FINDITEM*;
using LPNM_FINDITEM = NM_FINDITEM*;

// LVN_ODSTATECHANGED
struct NMLVODSTATECHANGE
{
    NMHDR hdr;
    int iFrom;
    int iTo;
    UINT uNewState;
    UINT uOldState;
};
using LPNMLVODSTATECHANGE = NMLVODSTATECHANGE*;
using NM_ODSTATECHANGE = NMLVODSTATECHANGE;
using PNM_ODSTATECHANGE = NM_ODSTATECHANGE*;
using LPNM_ODSTATECHANGE = NM_ODSTATECHANGE*;

// LVN_GETINFOTIP
struct NMLVGETINFOTIPA
{
    NMHDR hdr;
    DWORD dwFlags;
    LPSTR pszText;
    int cchTextMax;
    int iItem;
    int iSubItem;
    LPARAM lParam;
};
struct NMLVGETINFOTIPW
{
    NMHDR hdr;
    DWORD dwFlags;
    LPWSTR pszText;
    int cchTextMax;
    int iItem;
    int iSubItem;
    LPARAM lParam;
};
using NMLVGETINFOTIP = NMLVGETINFOTIPA;
using LPNMLVGETINFOTIPA = NMLVGETINFOTIPA*;
using LPNMLVGETINFOTIPW = NMLVGETINFOTIPW*;
using LPNMLVGETINFOTIP = NMLVGETINFOTIP*;

// LVN_BEGINSCROLL, LVN_ENDSCROLL
struct NMLVSCROLL
{
    NMHDR hdr;
    int dx;
    int dy;
};
using LPNMLVSCROLL = NMLVSCROLL*;

// NM_CUSTOMDRAW from a list view.
struct NMLVCUSTOMDRAW
{
    NMCUSTOMDRAW nmcd;
    COLORREF clrText;
    COLORREF clrTextBk;
    int iSubItem;
    DWORD dwItemType;
    COLORREF clrFace;
    int iIconEffect;
    int iIconPhase;
    int iPartId;
    int iStateId;
    RECT rcText;
    UINT uAlign;
};
using LPNMLVCUSTOMDRAW = NMLVCUSTOMDRAW*;

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

// ---- Date/time picker and month calendar ---------------------------------------------
inline constexpr char DATETIMEPICK_CLASSA[] = "SysDateTimePick32";
inline constexpr char DATETIMEPICK_CLASS[] = "SysDateTimePick32";
inline constexpr char MONTHCAL_CLASSA[] = "SysMonthCal32";
inline constexpr char MONTHCAL_CLASS[] = "SysMonthCal32";

constexpr DWORD DTS_UPDOWN = 0x0001;
constexpr DWORD DTS_SHOWNONE = 0x0002;
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0000;
constexpr DWORD DTS_LONGDATEFORMAT = 0x0004;
constexpr DWORD DTS_SHORTDATECENTURYFORMAT = 0x000C;
constexpr DWORD DTS_TIMEFORMAT = 0x0009;
constexpr DWORD DTS_APPCANPARSE = 0x0010;
constexpr DWORD DTS_RIGHTALIGN = 0x0020;

constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;
constexpr UINT DTM_SETSYSTEMTIME = DTM_FIRST + 2;
constexpr UINT DTM_GETRANGE = DTM_FIRST + 3;
constexpr UINT DTM_SETRANGE = DTM_FIRST + 4;
constexpr UINT DTM_SETFORMATA = DTM_FIRST + 5;
constexpr UINT DTM_SETMCCOLOR = DTM_FIRST + 6;
constexpr UINT DTM_GETMCCOLOR = DTM_FIRST + 7;
constexpr UINT DTM_GETMONTHCAL = DTM_FIRST + 8;
constexpr UINT DTM_SETMCFONT = DTM_FIRST + 9;
constexpr UINT DTM_GETMCFONT = DTM_FIRST + 10;
constexpr UINT DTM_SETFORMAT = DTM_SETFORMATA;

// DTM_GETSYSTEMTIME results, DTM_SETSYSTEMTIME wParam and NMDATETIMECHANGE::dwFlags.
constexpr int GDT_ERROR = -1;
constexpr int GDT_VALID = 0;
constexpr int GDT_NONE = 1;

// DTM_GETRANGE / DTM_SETRANGE and MCM_GETRANGE / MCM_SETRANGE: which limits are set.
constexpr DWORD GDTR_MIN = 0x0001;
constexpr DWORD GDTR_MAX = 0x0002;

constexpr UINT DTN_DATETIMECHANGE = DTN_FIRST2 - 6;
constexpr UINT DTN_USERSTRINGA = DTN_FIRST2 - 5;
constexpr UINT DTN_USERSTRINGW = DTN_FIRST - 5;
constexpr UINT DTN_WMKEYDOWNA = DTN_FIRST2 - 4;
constexpr UINT DTN_WMKEYDOWNW = DTN_FIRST - 4;
constexpr UINT DTN_FORMATA = DTN_FIRST2 - 3;
constexpr UINT DTN_FORMATW = DTN_FIRST - 3;
constexpr UINT DTN_FORMATQUERYA = DTN_FIRST2 - 2;
constexpr UINT DTN_FORMATQUERYW = DTN_FIRST - 2;
constexpr UINT DTN_DROPDOWN = DTN_FIRST2 - 1;
constexpr UINT DTN_CLOSEUP = DTN_FIRST2 - 0;
constexpr UINT DTN_USERSTRING = DTN_USERSTRINGA;
constexpr UINT DTN_WMKEYDOWN = DTN_WMKEYDOWNA;
constexpr UINT DTN_FORMAT = DTN_FORMATA;
constexpr UINT DTN_FORMATQUERY = DTN_FORMATQUERYA;

constexpr DWORD MCS_DAYSTATE = 0x0001;
constexpr DWORD MCS_MULTISELECT = 0x0002;
constexpr DWORD MCS_WEEKNUMBERS = 0x0004;
constexpr DWORD MCS_NOTODAYCIRCLE = 0x0008;
constexpr DWORD MCS_NOTODAY = 0x0010;
constexpr DWORD MCS_NOTRAILINGDATES = 0x0040;
constexpr DWORD MCS_SHORTDAYSOFWEEK = 0x0080;
constexpr DWORD MCS_NOSELCHANGEONNAV = 0x0100;

constexpr UINT MCM_FIRST = 0x1000;
constexpr UINT MCM_GETCURSEL = MCM_FIRST + 1;
constexpr UINT MCM_SETCURSEL = MCM_FIRST + 2;
constexpr UINT MCM_GETMAXSELCOUNT = MCM_FIRST + 3;
constexpr UINT MCM_SETMAXSELCOUNT = MCM_FIRST + 4;
constexpr UINT MCM_GETSELRANGE = MCM_FIRST + 5;
constexpr UINT MCM_SETSELRANGE = MCM_FIRST + 6;
constexpr UINT MCM_GETMONTHRANGE = MCM_FIRST + 7;
constexpr UINT MCM_SETDAYSTATE = MCM_FIRST + 8;
constexpr UINT MCM_GETMINREQRECT = MCM_FIRST + 9;
constexpr UINT MCM_SETCOLOR = MCM_FIRST + 10;
constexpr UINT MCM_GETCOLOR = MCM_FIRST + 11;
constexpr UINT MCM_SETTODAY = MCM_FIRST + 12;
constexpr UINT MCM_GETTODAY = MCM_FIRST + 13;
constexpr UINT MCM_HITTEST = MCM_FIRST + 14;
constexpr UINT MCM_SETFIRSTDAYOFWEEK = MCM_FIRST + 15;
constexpr UINT MCM_GETFIRSTDAYOFWEEK = MCM_FIRST + 16;
constexpr UINT MCM_GETRANGE = MCM_FIRST + 17;
constexpr UINT MCM_SETRANGE = MCM_FIRST + 18;
constexpr UINT MCM_GETMONTHDELTA = MCM_FIRST + 19;
constexpr UINT MCM_SETMONTHDELTA = MCM_FIRST + 20;
constexpr UINT MCM_GETMAXTODAYWIDTH = MCM_FIRST + 21;

// MCM_SETCOLOR / MCM_GETCOLOR and DTM_SETMCCOLOR / DTM_GETMCCOLOR: which colour.
constexpr int MCSC_BACKGROUND = 0;
constexpr int MCSC_TEXT = 1;
constexpr int MCSC_TITLEBK = 2;
constexpr int MCSC_TITLETEXT = 3;
constexpr int MCSC_MONTHBK = 4;
constexpr int MCSC_TRAILINGTEXT = 5;

// MCM_GETMONTHRANGE: whole visible months or every day shown.
constexpr DWORD GMR_VISIBLE = 0;
constexpr DWORD GMR_DAYSTATE = 1;

constexpr UINT MCHT_TITLE = 0x00010000;
constexpr UINT MCHT_CALENDAR = 0x00020000;
constexpr UINT MCHT_TODAYLINK = 0x00030000;
constexpr UINT MCHT_CALENDARCONTROL = 0x00100000;
constexpr UINT MCHT_NEXT = 0x01000000;
constexpr UINT MCHT_PREV = 0x02000000;
constexpr UINT MCHT_NOWHERE = 0x00000000;
constexpr UINT MCHT_TITLEBK = MCHT_TITLE;
constexpr UINT MCHT_TITLEMONTH = MCHT_TITLE | 0x0001;
constexpr UINT MCHT_TITLEYEAR = MCHT_TITLE | 0x0002;
constexpr UINT MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr UINT MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr UINT MCHT_CALENDARBK = MCHT_CALENDAR;
constexpr UINT MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr UINT MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr UINT MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr UINT MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;
constexpr UINT MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003;
constexpr UINT MCHT_CALENDARDATEMIN = MCHT_CALENDAR | 0x0004;
constexpr UINT MCHT_CALENDARDATEMAX = MCHT_CALENDAR | 0x0005;

constexpr UINT MCN_SELECT = MCN_FIRST - 0;
constexpr UINT MCN_GETDAYSTATE = MCN_FIRST - 1;
constexpr UINT MCN_SELCHANGE = MCN_FIRST - 3;
constexpr UINT MCN_VIEWCHANGE = MCN_FIRST - 4;

using MONTHDAYSTATE = DWORD;
using LPMONTHDAYSTATE = MONTHDAYSTATE*;

struct MCHITTESTINFO
{
    UINT cbSize;
    POINT pt;
    UINT uHit;
    SYSTEMTIME st;
    RECT rc;
    int iOffset;
    int iRow;
    int iCol;
};
using PMCHITTESTINFO = MCHITTESTINFO*;

// DTN_DATETIMECHANGE
struct NMDATETIMECHANGE
{
    NMHDR nmhdr;
    DWORD dwFlags;
    SYSTEMTIME st;
};
using LPNMDATETIMECHANGE = NMDATETIMECHANGE*;

// DTN_USERSTRING (DTS_APPCANPARSE)
struct NMDATETIMESTRINGA
{
    NMHDR nmhdr;
    LPCSTR pszUserString;
    SYSTEMTIME st;
    DWORD dwFlags;
};
using LPNMDATETIMESTRINGA = NMDATETIMESTRINGA*;
using NMDATETIMESTRING = NMDATETIMESTRINGA;
using LPNMDATETIMESTRING = NMDATETIMESTRING*;

// DTN_WMKEYDOWN (callback fields)
struct NMDATETIMEWMKEYDOWNA
{
    NMHDR nmhdr;
    int nVirtKey;
    LPCSTR pszFormat;
    SYSTEMTIME st;
};
using LPNMDATETIMEWMKEYDOWNA = NMDATETIMEWMKEYDOWNA*;
using NMDATETIMEWMKEYDOWN = NMDATETIMEWMKEYDOWNA;
using LPNMDATETIMEWMKEYDOWN = NMDATETIMEWMKEYDOWN*;

// DTN_FORMAT (callback fields)
struct NMDATETIMEFORMATA
{
    NMHDR nmhdr;
    LPCSTR pszFormat;
    SYSTEMTIME st;
    LPCSTR pszDisplay;
    char szDisplay[64];
};
using LPNMDATETIMEFORMATA = NMDATETIMEFORMATA*;
using NMDATETIMEFORMAT = NMDATETIMEFORMATA;
using LPNMDATETIMEFORMAT = NMDATETIMEFORMAT*;

// DTN_FORMATQUERY (callback fields)
struct NMDATETIMEFORMATQUERYA
{
    NMHDR nmhdr;
    LPCSTR pszFormat;
    SIZE szMax;
};
using LPNMDATETIMEFORMATQUERYA = NMDATETIMEFORMATQUERYA*;
using NMDATETIMEFORMATQUERY = NMDATETIMEFORMATQUERYA;
using LPNMDATETIMEFORMATQUERY = NMDATETIMEFORMATQUERY*;

// MCN_SELCHANGE, MCN_SELECT
struct NMSELCHANGE
{
    NMHDR nmhdr;
    SYSTEMTIME stSelStart;
    SYSTEMTIME stSelEnd;
};
using LPNMSELCHANGE = NMSELCHANGE*;
using NMSELECT = NMSELCHANGE;
using LPNMSELECT = NMSELECT*;

// MCN_GETDAYSTATE (MCS_DAYSTATE)
struct NMDAYSTATE
{
    NMHDR nmhdr;
    SYSTEMTIME stStart;
    int cDayState;
    LPMONTHDAYSTATE prgDayState;
};
using LPNMDAYSTATE = NMDAYSTATE*;
