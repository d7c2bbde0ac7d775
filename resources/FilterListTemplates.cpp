#include "resources/FilterListTemplates.h"

#include "winlib/Resources.h"
#include "winlib/WinUser.h"

namespace
{

using winlib::DialogItemTemplate;
using winlib::DialogTemplate;

// The value picker: a borderless popup that is all list, closed by Escape through the hidden
// cancel button.
DialogTemplate FilterTextTemplate()
{
    DialogTemplate t{};
    t.id = 1010;
    t.style = WS_POPUP | WS_BORDER | DS_SETFONT;
    t.cx = 110;
    t.cy = 120;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"ListBox", "", 1032,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY |
                               LBS_SORT | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT,
                           0, 0, 0, 110, 120},
        DialogItemTemplate{"Button", "Cancel", 2, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 1, 1},
    };
    return t;
}

// Adding and deleting user-defined columns: the name (or, to delete, the column), the operand
// columns, the operator buttons and the expression.
DialogTemplate UserDefinedColumnTemplate()
{
    constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    DialogTemplate t{};
    t.id = 1008;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.cx = 262;
    t.cy = 168;
    t.caption = "Add User Defined Column";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"Static", "Column Name", -1, WS_CHILD | WS_VISIBLE, 0, 7, 9, 50, 8},
        DialogItemTemplate{"Edit", "", 1022, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
                           0, 60, 7, 124, 14},
        DialogItemTemplate{"ComboBox", "", 1011, WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 60,
                           7, 124, 100},
        DialogItemTemplate{"ListBox", "", 1009,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                               LBS_NOINTEGRALHEIGHT,
                           0, 7, 28, 90, 114},
        DialogItemTemplate{"Button", "+", 1012, kButton, 0, 104, 28, 32, 14},
        DialogItemTemplate{"Button", "-", 1013, kButton, 0, 140, 28, 32, 14},
        DialogItemTemplate{"Button", "*", 1014, kButton, 0, 176, 28, 32, 14},
        DialogItemTemplate{"Button", "/", 1015, kButton, 0, 212, 28, 32, 14},
        DialogItemTemplate{"Button", "(", 1016, kButton, 0, 104, 46, 32, 14},
        DialogItemTemplate{"Button", ")", 1017, kButton, 0, 140, 46, 32, 14},
        DialogItemTemplate{"Button", "x ^ 2", 10013, kButton, 0, 176, 46, 32, 14},
        DialogItemTemplate{"Button", "x ^ y", 10014, kButton, 0, 212, 46, 32, 14},
        DialogItemTemplate{"Button", "End", 1018, kButton, 0, 104, 64, 68, 14},
        DialogItemTemplate{"Button", "Clear", 1019, kButton, 0, 176, 64, 68, 14},
        DialogItemTemplate{"Button", "Column Expression", -1, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 104, 84,
                           151, 58},
        DialogItemTemplate{"Edit", "", 1010,
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE |
                               ES_AUTOVSCROLL,
                           0, 110, 96, 139, 40},
        DialogItemTemplate{"Button", "&Add", 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 148,
                           148, 50, 14},
        DialogItemTemplate{"Button", "&Cancel", 2, kButton, 0, 205, 148, 50, 14},
    };
    return t;
}

} // namespace

void RegisterFilterListTemplates()
{
    winlib::RegisterDialogTemplate(FilterTextTemplate());
    winlib::RegisterDialogTemplate(UserDefinedColumnTemplate());
}
