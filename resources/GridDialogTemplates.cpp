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

} // namespace

void RegisterGridDialogTemplates()
{
    winlib::RegisterDialogTemplate(FontTemplate());
}
