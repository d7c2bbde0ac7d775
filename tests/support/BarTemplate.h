// The dialog template of a docking dialog bar as the tests host their windows in one: a control
// child with the dialog font, sized in dialog units. Callers add items before registering it.
#pragma once

#include "winlib/Resources.h"
#include "winlib/WinUser.h"

inline winlib::DialogTemplate BarTemplate(UINT id, short cx, short cy)
{
    winlib::DialogTemplate t{};
    t.id = id;
    t.style = WS_CHILD | DS_CONTROL | DS_SETFONT;
    t.cx = cx;
    t.cy = cy;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    return t;
}
