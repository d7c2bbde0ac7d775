// Standard cursors and icons, the cursor shown now, and window classes registered by the
// class library's rule (a name made of the class's style, cursor, brush and icon).
#include "winlib/Cursors.h"

#include "Internal.h"
#include "winlib/Api.h"

#include <cstdio>
#include <set>
#include <string>

namespace
{

constexpr int kStandardCursors[] = {32512, 32513, 32514, 32515, 32516, 32642,
                                    32643, 32644, 32645, 32646, 32648, 32649};

HCURSOR g_cursor = nullptr;

} // namespace

namespace winlib
{

int StandardCursorId(HCURSOR cursor)
{
    const auto value = reinterpret_cast<UINT_PTR>(cursor);
    for (int id : kStandardCursors)
    {
        if (value == static_cast<UINT_PTR>(id))
            return id;
    }
    return 0;
}

} // namespace winlib

// A standard cursor's handle is its IDC_ number: nothing to load and nothing to free.
HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name)
{
    if (instance || !IS_INTRESOURCE(name))
        return nullptr;
    const auto id = reinterpret_cast<HCURSOR>(reinterpret_cast<UINT_PTR>(name));
    return winlib::StandardCursorId(id) ? id : nullptr;
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name)
{
    if (instance || name != IDI_APPLICATION)
        return nullptr;
    return reinterpret_cast<HICON>(reinterpret_cast<UINT_PTR>(IDI_APPLICATION));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    const HCURSOR previous = g_cursor;
    g_cursor = cursor;
    if (previous != cursor)
        winlib::GetBackend().SetCursorShape(winlib::StandardCursorId(cursor));
    return previous;
}

HCURSOR GetCursor()
{
    return g_cursor;
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::set<std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%x:%lx:%lx:%lx", classStyle,
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(cursor)),
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(background)),
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(icon)));
    const std::string& kept = *names.insert(name).first;
    WNDCLASS existing{};
    if (!GetClassInfo(nullptr, kept.c_str(), &existing))
    {
        WNDCLASS wc{};
        wc.style = classStyle;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = kept.c_str();
        RegisterClass(&wc);
    }
    return kept.c_str();
}
