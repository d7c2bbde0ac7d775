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

} // namespace

void RegisterFilterListTemplates()
{
    winlib::RegisterDialogTemplate(FilterTextTemplate());
}
