// Common-control constants and structures: values that code written for Windows
// compares against, and the layouts it casts notification pointers to.
#include "winlib/CommCtrl.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <set>
#include <type_traits>
#include <utility>

namespace
{

// ---- Layouts ------------------------------------------------------------------------------
// Every notification structure begins with its NMHDR, so the receiver can cast the lParam.
static_assert(offsetof(NMLVDISPINFO, hdr) == 0 && std::is_same_v<decltype(NMLVDISPINFO::hdr), NMHDR>);
static_assert(std::is_same_v<decltype(NMLVDISPINFO::item), LVITEM>);
static_assert(std::is_same_v<decltype(NMLVDISPINFOW::item), LVITEMW>);
static_assert(std::is_same_v<decltype(LVITEMW::pszText), wchar_t*>);
static_assert(std::is_same_v<decltype(NMLVCUSTOMDRAW::nmcd), NMCUSTOMDRAW> &&
              offsetof(NMLVCUSTOMDRAW, nmcd) == 0);
static_assert(offsetof(NMLVCUSTOMDRAW, clrText) == sizeof(NMCUSTOMDRAW));
static_assert(std::is_same_v<decltype(NMHEADERW::pitem), HDITEMW*>);
static_assert(std::is_same_v<decltype(NMHEADER::pitem), HDITEM*>);
static_assert(std::is_same_v<decltype(NMTTDISPINFOA::szText), char[80]>);
static_assert(std::is_same_v<decltype(NMTTDISPINFOW::szText), wchar_t[80]>);
static_assert(std::is_same_v<TOOLTIPTEXT, NMTTDISPINFOA> && std::is_same_v<TOOLTIPTEXTW, NMTTDISPINFOW>);

// The A and W forms differ only in the character type of the text.
static_assert(sizeof(LVITEMA) == sizeof(LVITEMW) &&
              offsetof(LVITEMA, puColumns) == offsetof(LVITEMW, puColumns));
static_assert(sizeof(HDITEMA) == sizeof(HDITEMW) && offsetof(HDITEMA, state) == offsetof(HDITEMW, state));

// NMITEMACTIVATE is an NMLISTVIEW with the key flags appended.
static_assert(offsetof(NMITEMACTIVATE, iItem) == offsetof(NMLISTVIEW, iItem));
static_assert(offsetof(NMITEMACTIVATE, ptAction) == offsetof(NMLISTVIEW, ptAction));
static_assert(offsetof(NMITEMACTIVATE, lParam) == offsetof(NMLISTVIEW, lParam));
static_assert(offsetof(NMITEMACTIVATE, uKeyFlags) == offsetof(NMLISTVIEW, lParam) + sizeof(LPARAM));

// Member order of the structures filled in by callers.
static_assert(offsetof(LVITEM, iItem) < offsetof(LVITEM, iSubItem) &&
              offsetof(LVITEM, stateMask) < offsetof(LVITEM, pszText) &&
              offsetof(LVITEM, cchTextMax) < offsetof(LVITEM, iImage) &&
              offsetof(LVITEM, lParam) < offsetof(LVITEM, iIndent) &&
              offsetof(LVITEM, iGroupId) < offsetof(LVITEM, cColumns));
static_assert(offsetof(LVCOLUMN, fmt) < offsetof(LVCOLUMN, cx) &&
              offsetof(LVCOLUMN, iSubItem) < offsetof(LVCOLUMN, iImage) &&
              offsetof(LVCOLUMN, iImage) < offsetof(LVCOLUMN, iOrder));
static_assert(offsetof(HDITEM, hbm) < offsetof(HDITEM, cchTextMax) &&
              offsetof(HDITEM, fmt) < offsetof(HDITEM, lParam) &&
              offsetof(HDITEM, type) < offsetof(HDITEM, pvFilter));
static_assert(offsetof(TOOLINFO, uFlags) < offsetof(TOOLINFO, hwnd) &&
              offsetof(TOOLINFO, uId) < offsetof(TOOLINFO, rect) &&
              offsetof(TOOLINFO, hinst) < offsetof(TOOLINFO, lpszText) &&
              offsetof(TOOLINFO, lParam) < offsetof(TOOLINFO, lpReserved));
static_assert(offsetof(NMDATETIMECHANGE, dwFlags) < offsetof(NMDATETIMECHANGE, st));

// LVN_KEYDOWN is byte-packed: the flags follow the key code with no padding.
static_assert(offsetof(NMLVKEYDOWN, flags) == sizeof(NMHDR) + sizeof(WORD));
static_assert(sizeof(SYSTEMTIME) == 8 * sizeof(WORD));

// ---- Derived values -------------------------------------------------------------------------
static_assert(INDEXTOSTATEIMAGEMASK(1) == 0x1000 && INDEXTOSTATEIMAGEMASK(2) == 0x2000);
static_assert(INDEXTOSTATEIMAGEMASK(15) == LVIS_STATEIMAGEMASK);
static_assert(INDEXTOOVERLAYMASK(15) == LVIS_OVERLAYMASK);
static_assert((INDEXTOSTATEIMAGEMASK(2) & ~LVIS_STATEIMAGEMASK) == 0);
static_assert(LVHT_ONITEM == 0x0E && LVNI_STATEMASK == 0x0F);
static_assert(CDDS_ITEMPREPAINT == 0x00010001 && CDDS_ITEMPOSTPAINT == 0x00010002);
static_assert(CDRF_NOTIFYITEMDRAW == CDRF_NOTIFYSUBITEMDRAW);

// The single-byte build: unsuffixed names are the A forms.
static_assert(LVN_GETDISPINFO == LVN_GETDISPINFOA && LVN_GETDISPINFO != LVN_GETDISPINFOW);
static_assert(TTN_NEEDTEXT == TTN_GETDISPINFOA && TTN_NEEDTEXTW == TTN_GETDISPINFOW);
static_assert(LVM_GETITEM == LVM_GETITEMA && HDM_GETITEM == HDM_GETITEMA && TTM_ADDTOOL == TTM_ADDTOOLA);
static_assert(std::is_same_v<LVITEM, LVITEMA> && std::is_same_v<LV_ITEM, LVITEM> &&
              std::is_same_v<HD_NOTIFY, NMHEADER>);

int Signed(UINT code)
{
    return static_cast<int>(code);
}

} // namespace

TEST(CommCtrl, NotificationCodesHaveTheWindowsValues)
{
    EXPECT_EQ(Signed(NM_CLICK), -2);
    EXPECT_EQ(Signed(NM_CUSTOMDRAW), -12);
    EXPECT_EQ(Signed(NM_THEMECHANGED), -22);
    EXPECT_EQ(Signed(LVN_COLUMNCLICK), -108);
    EXPECT_EQ(Signed(LVN_GETDISPINFOA), -150);
    EXPECT_EQ(Signed(LVN_GETDISPINFOW), -177);
    EXPECT_EQ(Signed(LVN_ENDSCROLL), -181);
    EXPECT_EQ(Signed(HDN_FILTERCHANGE), -312);
    EXPECT_EQ(Signed(TTN_GETDISPINFOA), -520);
    EXPECT_EQ(Signed(TTN_GETDISPINFOW), -530);
    EXPECT_EQ(Signed(DTN_DATETIMECHANGE), -759);
    EXPECT_EQ(Signed(DTN_CLOSEUP), -753);
    EXPECT_EQ(Signed(MCN_SELCHANGE), -749);
    EXPECT_EQ(Signed(MCN_SELECT), -746);

    // A control sends the code it stored in an NMHDR; the parent compares it with the name.
    NMHDR hdr{};
    hdr.code = static_cast<UINT>(-12);
    EXPECT_EQ(hdr.code, NM_CUSTOMDRAW);
}

TEST(CommCtrl, NotificationCodesStayInsideTheirFamilyRange)
{
    auto inRange = [](UINT first, UINT last, std::initializer_list<UINT> codes)
    {
        for (UINT code : codes)
            EXPECT_TRUE(Signed(code) <= Signed(first) && Signed(code) >= Signed(last)) << Signed(code);
    };
    inRange(NM_FIRST, NM_LAST,
            {NM_OUTOFMEMORY, NM_CLICK, NM_KILLFOCUS, NM_CUSTOMDRAW, NM_TOOLTIPSCREATED, NM_THEMECHANGED});
    inRange(LVN_FIRST, LVN_LAST,
            {LVN_ITEMCHANGING, LVN_ITEMCHANGED, LVN_BEGINLABELEDITW, LVN_ENDLABELEDITW, LVN_GETDISPINFOW,
             LVN_ODFINDITEMW, LVN_KEYDOWN, LVN_GETINFOTIPW, LVN_BEGINSCROLL, LVN_ENDSCROLL});
    inRange(HDN_FIRST, HDN_LAST,
            {HDN_ITEMCHANGINGA, HDN_TRACKW, HDN_GETDISPINFOW, HDN_ENDFILTEREDIT, HDN_OVERFLOWCLICK});
    inRange(TTN_FIRST, TTN_LAST, {TTN_GETDISPINFOA, TTN_GETDISPINFOW, TTN_SHOW, TTN_POP, TTN_LINKCLICK});
    // The ANSI date/time codes live in the second block, the wide ones in the first.
    inRange(DTN_FIRST2, DTN_LAST2,
            {DTN_DATETIMECHANGE, DTN_USERSTRINGA, DTN_WMKEYDOWNA, DTN_FORMATA, DTN_FORMATQUERYA, DTN_DROPDOWN,
             DTN_CLOSEUP});
    inRange(DTN_FIRST, DTN_LAST, {DTN_USERSTRINGW, DTN_WMKEYDOWNW, DTN_FORMATW, DTN_FORMATQUERYW});
    inRange(MCN_FIRST, MCN_LAST, {MCN_SELECT, MCN_GETDAYSTATE, MCN_SELCHANGE, MCN_VIEWCHANGE});
}

TEST(CommCtrl, CodesOfOneFamilyAreDistinct)
{
    auto distinct = [](std::initializer_list<UINT> values)
    { EXPECT_EQ(std::set<UINT>(values).size(), values.size()); };
    distinct({LVN_ITEMCHANGING,   LVN_ITEMCHANGED,     LVN_INSERTITEM,      LVN_DELETEITEM,
              LVN_DELETEALLITEMS, LVN_BEGINLABELEDITA, LVN_BEGINLABELEDITW, LVN_ENDLABELEDITA,
              LVN_ENDLABELEDITW,  LVN_COLUMNCLICK,     LVN_BEGINDRAG,       LVN_BEGINRDRAG,
              LVN_ODCACHEHINT,    LVN_ITEMACTIVATE,    LVN_ODSTATECHANGED,  LVN_HOTTRACK,
              LVN_GETDISPINFOA,   LVN_GETDISPINFOW,    LVN_SETDISPINFOA,    LVN_SETDISPINFOW,
              LVN_ODFINDITEMA,    LVN_ODFINDITEMW,     LVN_KEYDOWN,         LVN_MARQUEEBEGIN,
              LVN_GETINFOTIPA,    LVN_GETINFOTIPW,     LVN_BEGINSCROLL,     LVN_ENDSCROLL});
    distinct({HDN_ITEMCHANGINGA,    HDN_ITEMCHANGEDA,    HDN_ITEMCLICKA,       HDN_ITEMDBLCLICKA,
              HDN_DIVIDERDBLCLICKA, HDN_BEGINTRACKA,     HDN_ENDTRACKA,        HDN_TRACKA,
              HDN_GETDISPINFOA,     HDN_BEGINDRAG,       HDN_ENDDRAG,          HDN_FILTERCHANGE,
              HDN_FILTERBTNCLICK,   HDN_BEGINFILTEREDIT, HDN_ENDFILTEREDIT,    HDN_ITEMCHANGINGW,
              HDN_ITEMCHANGEDW,     HDN_ITEMCLICKW,      HDN_DIVIDERDBLCLICKW, HDN_BEGINTRACKW,
              HDN_ENDTRACKW,        HDN_TRACKW});
    distinct({LVM_GETITEMCOUNT,
              LVM_GETITEM,
              LVM_SETITEM,
              LVM_INSERTITEM,
              LVM_GETNEXTITEM,
              LVM_GETHEADER,
              LVM_SETITEMSTATE,
              LVM_GETITEMSTATE,
              LVM_SETITEMCOUNT,
              LVM_SORTITEMS,
              LVM_SORTITEMSEX,
              LVM_SETEXTENDEDLISTVIEWSTYLE,
              LVM_GETEXTENDEDLISTVIEWSTYLE,
              LVM_GETSUBITEMRECT,
              LVM_SUBITEMHITTEST,
              LVM_SETCOLUMNORDERARRAY,
              LVM_GETCOLUMNORDERARRAY,
              LVM_SETTOOLTIPS,
              LVM_GETTOOLTIPS,
              LVM_SETVIEW,
              LVM_GETVIEW});
    distinct({HDM_GETITEMCOUNT, HDM_INSERTITEM, HDM_DELETEITEM, HDM_GETITEM, HDM_SETITEM, HDM_LAYOUT,
              HDM_HITTEST, HDM_GETITEMRECT, HDM_ORDERTOINDEX, HDM_GETORDERARRAY, HDM_SETORDERARRAY,
              HDM_SETFILTERCHANGETIMEOUT, HDM_EDITFILTER, HDM_CLEARFILTER});
    distinct({TTM_ACTIVATE, TTM_SETDELAYTIME, TTM_ADDTOOL, TTM_DELTOOL, TTM_RELAYEVENT, TTM_GETTOOLINFO,
              TTM_SETTOOLINFO, TTM_HITTEST, TTM_UPDATETIPTEXT, TTM_TRACKACTIVATE, TTM_TRACKPOSITION, TTM_POP,
              TTM_UPDATE, TTM_POPUP});
}

TEST(CommCtrl, HeaderWideCodesAreTwentyBelowTheAnsiOnes)
{
    const std::pair<UINT, UINT> pairs[] = {{HDN_ITEMCHANGINGA, HDN_ITEMCHANGINGW},
                                           {HDN_ITEMCHANGEDA, HDN_ITEMCHANGEDW},
                                           {HDN_ITEMCLICKA, HDN_ITEMCLICKW},
                                           {HDN_ITEMDBLCLICKA, HDN_ITEMDBLCLICKW},
                                           {HDN_DIVIDERDBLCLICKA, HDN_DIVIDERDBLCLICKW},
                                           {HDN_BEGINTRACKA, HDN_BEGINTRACKW},
                                           {HDN_ENDTRACKA, HDN_ENDTRACKW},
                                           {HDN_TRACKA, HDN_TRACKW},
                                           {HDN_GETDISPINFOA, HDN_GETDISPINFOW}};
    for (const auto& [ansi, wide] : pairs)
        EXPECT_EQ(Signed(ansi) - Signed(wide), 20);
}

TEST(CommCtrl, MessageNumbers)
{
    EXPECT_EQ(LVM_GETHEADER, 0x101Fu);
    EXPECT_EQ(LVM_SETITEMCOUNT, 0x102Fu);
    EXPECT_EQ(LVM_SETEXTENDEDLISTVIEWSTYLE, 0x1036u);
    EXPECT_EQ(HDM_SETFILTERCHANGETIMEOUT, 0x1216u);
    EXPECT_EQ(HDM_CLEARFILTER, 0x1218u);
    EXPECT_EQ(TTM_ADDTOOLA, WM_USER + 4);
    EXPECT_EQ(DTM_GETSYSTEMTIME, 0x1001u);
    EXPECT_EQ(MCM_SETRANGE, 0x1012u);
}

TEST(CommCtrl, TextCallbackAndClassNames)
{
    EXPECT_EQ(reinterpret_cast<INT_PTR>(LPSTR_TEXTCALLBACK), -1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(LPSTR_TEXTCALLBACKW), -1);
    EXPECT_STREQ(WC_LISTVIEW, "SysListView32");
    EXPECT_STREQ(WC_HEADER, "SysHeader32");
    EXPECT_STREQ(TOOLTIPS_CLASS, "tooltips_class32");
    EXPECT_STREQ(DATETIMEPICK_CLASS, "SysDateTimePick32");
    EXPECT_STREQ(MONTHCAL_CLASS, "SysMonthCal32");
}

TEST(CommCtrl, InitCommonControlsExChecksItsArgument)
{
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    EXPECT_EQ(InitCommonControlsEx(&init), TRUE);
    init.dwSize = 0;
    EXPECT_EQ(InitCommonControlsEx(&init), FALSE);
    EXPECT_EQ(InitCommonControlsEx(nullptr), FALSE);
    InitCommonControls();
}
