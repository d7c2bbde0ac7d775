// System metrics, which follow the screen the backend reports, and the brushes of the
// system colours.
#include "GdiInternal.h"

#include <map>

using namespace winlib::detail;

int GetSystemMetrics(int index)
{
    switch (index)
    {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
        return winlib::GetBackend().ScreenSize().cx;
    case SM_CYSCREEN:
    case SM_CYFULLSCREEN:
        return winlib::GetBackend().ScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CYSMCAPTION:
        return 15;
    case SM_CYMENU:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXMIN:
        return 112;
    case SM_CYMIN:
        return 27;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    default:
        return 0;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::map<int, HBRUSH> brushes;
    auto it = brushes.find(index);
    if (it != brushes.end())
        return it->second;
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Brush;
    o->brush = LOGBRUSH{BS_SOLID, GetSysColor(index), 0};
    o->stock = true;
    const HBRUSH brush = static_cast<HBRUSH>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
    brushes.emplace(index, brush);
    return brush;
}
