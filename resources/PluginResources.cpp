#include "resources/PluginResources.h"

#include "resources/ConsoleResources.h"
#include "resources/FilterListTemplates.h"
#include "resources/GridDialogTemplates.h"

#include "winlib/Resources.h"
#include "winlib/WinUser.h"

namespace
{

using winlib::DialogItemTemplate;
using winlib::DialogTemplate;

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// The console: four decision buttons along the top; the grids go below them.
DialogTemplate ConsoleTemplate()
{
    DialogTemplate t{};
    t.id = 1000;
    t.style = WS_CHILD | DS_CONTROL | DS_SETFONT;
    t.cx = 793;
    t.cy = 459;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    t.items = {
        DialogItemTemplate{"Button", "Accept", 1, kButton | BS_DEFPUSHBUTTON, 0, 99, 6, 50, 14},
        DialogItemTemplate{"Button", "Reject", 1963, kButton | BS_PUSHBUTTON, 0, 159, 6, 50, 14},
        DialogItemTemplate{"Button", "Update", 1000, kButton | BS_PUSHBUTTON, 0, 219, 6, 50, 14},
        DialogItemTemplate{"Button", "Recover", 1001, kButton | BS_PUSHBUTTON, 0, 279, 6, 50, 14},
        DialogItemTemplate{"Button", "Cancel", 2, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 241, 49, 14, 6},
    };
    return t;
}

} // namespace

void RegisterPluginResources()
{
    static const bool registered = []
    {
        winlib::RegisterDialogTemplate(ConsoleTemplate());
        RegisterFilterListTemplates();
        RegisterConsoleResources();
        RegisterGridDialogTemplates();
        return true;
    }();
    (void)registered;
}
