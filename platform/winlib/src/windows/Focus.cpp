// Keyboard focus, activation of top-level windows, mouse capture, key state and cursor.
#include "Internal.h"

#include <algorithm>

using namespace winlib::detail;

HWND SetFocus(HWND hwnd)
{
    State& s = State::Get();
    if (hwnd && !s.Find(hwnd))
        return nullptr;
    const HWND old = s.focus;
    if (hwnd == old)
        return old;

    if (hwnd)
    {
        const HWND top = TopLevelOf(hwnd);
        if (top != s.active)
        {
            ::SetActiveWindow(top);
            // Activation may already have placed the focus.
            if (s.focus == hwnd || !s.Find(hwnd))
                return old;
        }
    }

    const HWND previous = s.focus;
    if (previous && s.Find(previous))
    {
        Dispatch(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
        if (s.focus != previous)
            return old; // the handler moved the focus itself
    }
    s.focus = (hwnd && s.Find(hwnd)) ? hwnd : nullptr;
    if (s.focus)
        Dispatch(s.focus, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return old;
}

HWND GetFocus() { return State::Get().focus; }

HWND SetActiveWindow(HWND hwnd)
{
    State& s = State::Get();
    if (hwnd)
    {
        hwnd = TopLevelOf(hwnd);
        if (!hwnd)
            return nullptr;
    }
    const HWND old = s.active;
    if (hwnd == old)
        return old;
    s.active = hwnd;
    if (old && s.Find(old))
    {
        Dispatch(old, WM_NCACTIVATE, FALSE, 0);
        Dispatch(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd && s.Find(hwnd) && s.active == hwnd)
    {
        auto& tops = s.topLevels;
        tops.erase(std::remove(tops.begin(), tops.end(), hwnd), tops.end());
        tops.insert(tops.begin(), hwnd);
        Dispatch(hwnd, WM_NCACTIVATE, TRUE, 0);
        Dispatch(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    }
    if (!hwnd && s.focus)
    {
        // Nothing active: nothing has the focus.
        const HWND previous = s.focus;
        s.focus = nullptr;
        if (s.Find(previous))
            Dispatch(previous, WM_KILLFOCUS, 0, 0);
    }
    return old;
}

HWND GetActiveWindow() { return State::Get().active; }

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    SetActiveWindow(hwnd);
    return TRUE;
}

HWND GetForegroundWindow() { return State::Get().active; }

HWND SetCapture(HWND hwnd)
{
    State& s = State::Get();
    const HWND old = s.capture;
    if (hwnd && !s.Find(hwnd))
        return old;
    s.capture = hwnd;
    if (old && old != hwnd && s.Find(old))
        Dispatch(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    State& s = State::Get();
    const HWND old = s.capture;
    s.capture = nullptr;
    if (old && s.Find(old))
        Dispatch(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return State::Get().capture; }

SHORT GetKeyState(int virtualKey)
{
    const BYTE k = State::Get().keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

namespace winlib::detail
{
// Key state as the input devices see it now, ahead of the queue.
BYTE g_asyncKeys[256] = {};
} // namespace winlib::detail

SHORT GetAsyncKeyState(int virtualKey)
{
    return static_cast<SHORT>((g_asyncKeys[virtualKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    *point = State::Get().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    State::Get().cursor = POINT{x, y};
    return TRUE;
}

UINT GetDoubleClickTime() { return 500; }
