#include "resources/ConsoleResources.h"

#include "winlib/Resources.h"
#include "winlib/WinUser.h"

namespace
{

using winlib::DialogItemTemplate;
using winlib::DialogTemplate;

// The reason of a rejection: one line under its prompt, and OK.
DialogTemplate RejectionTemplate()
{
    DialogTemplate t{};
    t.id = 330;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = 186;
    t.cy = 55;
    t.caption = "Rejection";
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"Static", "Enter Rejection Reason", -1, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 12, 6,
                           103, 10},
        DialogItemTemplate{"Edit", "", 1548, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                           0, 9, 19, 167, 12},
        DialogItemTemplate{"Button", "&OK", 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 69,
                           38, 49, 13},
    };
    return t;
}

} // namespace

void RegisterConsoleResources()
{
    winlib::RegisterDialogTemplate(RejectionTemplate());
}
