// The header control ("SysHeader32"): messages, notification codes, styles, flags and structures,
// with the Windows names and values. Part of winlib/CommCtrl.h.
#pragma once

#include "winlib/CommCtrlCommon.h"

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
