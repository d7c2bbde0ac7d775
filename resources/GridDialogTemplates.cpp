#include "resources/GridDialogTemplates.h"

#include "winlib/CommCtrl.h"
#include "winlib/Resources.h"
#include "winlib/WinUser.h"

namespace
{

using winlib::DialogItemTemplate;
using winlib::DialogTemplate;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;

DialogTemplate FontTemplate()
{
    DialogTemplate t{};
    t.id = 302;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = 211;
    t.cy = 47;
    t.caption = "Font Dialog";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"ComboBox", "", 33076,
                           kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                               CBS_SORT | CBS_HASSTRINGS,
                           0, 31, 7, 110, 57},
        DialogItemTemplate{"ComboBox", "", 33077, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 169,
                           7, 34, 55},
        DialogItemTemplate{"Button", "&OK", 1, kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 112, 27, 44, 14},
        DialogItemTemplate{"Button", "&Cancel", 2, kButton, 0, 161, 27, 44, 14},
        DialogItemTemplate{"Static", "Size:", -1, kChild | SS_LEFT, 0, 151, 9, 18, 8},
        DialogItemTemplate{"Static", "Font:", -1, kChild | SS_LEFT, 0, 8, 9, 16, 8},
        DialogItemTemplate{"Button", "", -1, kChild | BS_GROUPBOX, 0, 7, 0, 204, 24},
    };
    return t;
}

// The appearance of a list, laid out with the keyword section open; the dialog closes it up
// whenever the section is not wanted.
DialogTemplate AppearanceTemplate()
{
    DialogTemplate t{};
    t.id = 1007;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 200;
    t.cy = 194;
    t.caption = "Customized Appearance";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"Button", "Customize Appearance", 3214, kChild | BS_GROUPBOX, 0, 7, 4, 186, 32},
        DialogItemTemplate{"Static", "Property For", -1, kChild | SS_LEFT, 0, 14, 18, 46, 8},
        DialogItemTemplate{"ComboBox", "", 1694, kChild | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 62, 16, 56, 40},
        DialogItemTemplate{"Static", "Colour", -1, kChild | SS_LEFT, 0, 124, 18, 22, 8},
        DialogItemTemplate{"Button", "", 1026, kChild | WS_TABSTOP | BS_OWNERDRAW, 0, 148, 15, 38, 14},
        DialogItemTemplate{"Button", "Depends on Column Text", 3215, kChild | BS_GROUPBOX, 0, 7, 40, 186,
                           110},
        DialogItemTemplate{"ComboBox", "", 3205, kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 14,
                           52, 150, 100},
        DialogItemTemplate{"Button", "...", 3206, kButton, 0, 168, 52, 18, 13},
        DialogItemTemplate{"Edit", "", 3207, kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 14, 70, 150,
                           13},
        DialogItemTemplate{"Button", "+", 3216, kButton, 0, 168, 70, 18, 13},
        DialogItemTemplate{"SysListView32", "", 3208,
                           kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 14, 88, 172,
                           56},
        DialogItemTemplate{"Static", "Font", 3217, kChild | SS_LEFT, 0, 14, 159, 20, 8},
        DialogItemTemplate{"Button", "", 1695, kChild | WS_TABSTOP | BS_OWNERDRAW, 0, 40, 156, 146, 14},
        DialogItemTemplate{"Button", " &Apply Settings", 1696, kButton, 0, 76, 176, 60, 14},
        DialogItemTemplate{"Button", "&Cancel", 2, kButton, 0, 140, 176, 50, 14},
    };
    return t;
}

// The column profile: hidden columns on the left, shown ones on the right, the default-sort
// row (for one list only) and the closing buttons.
DialogTemplate ColumnProfileTemplate()
{
    constexpr DWORD kList = kChild | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS;
    DialogTemplate t{};
    t.id = 9002;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 262;
    t.cy = 200;
    t.caption = " Column Profile";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"SysListView32", "", 10007, kList, 0, 7, 7, 104, 148},
        DialogItemTemplate{"Button", ">", 10003, kButton, 0, 116, 58, 30, 14},
        DialogItemTemplate{"Button", "<", 10004, kButton, 0, 116, 78, 30, 14},
        DialogItemTemplate{"SysListView32", "", 10008, kList, 0, 151, 7, 104, 148},
        DialogItemTemplate{"Static", "Default Sort For: ", 10009, kChild | SS_LEFT, 0, 7, 163, 60, 8},
        DialogItemTemplate{"Edit", "", 10012, kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 0, 68, 161,
                           104, 13},
        DialogItemTemplate{"Button", "Sort", 10010, kButton, 0, 176, 161, 30, 13},
        DialogItemTemplate{"Button", "&Default", 10006, kButton, 0, 210, 161, 45, 13},
        DialogItemTemplate{"Button", "&View", 10001, kButton, 0, 97, 180, 50, 14},
        DialogItemTemplate{"Button", "&Save", 10005, kButton, 0, 151, 180, 50, 14},
        DialogItemTemplate{"Button", "&Cancel", 2, kButton, 0, 205, 180, 50, 14},
        DialogItemTemplate{"ListBox", "", 10002, WS_CHILD | LBS_NOTIFY, 0, 0, 0, 1, 1},
        DialogItemTemplate{"ListBox", "", 10011, WS_CHILD | LBS_NOTIFY, 0, 0, 0, 1, 1},
    };
    return t;
}

} // namespace

void RegisterGridDialogTemplates()
{
    winlib::RegisterDialogTemplate(FontTemplate());
    winlib::RegisterDialogTemplate(AppearanceTemplate());
    winlib::RegisterDialogTemplate(ColumnProfileTemplate());
}
