#include "winlib/Input.h"
#include "Internal.h"

#include <cctype>

namespace winlib::detail
{
extern BYTE g_asyncKeys[256];

HWND KeyboardTarget()
{
    State& s = State::Get();
    if (s.focus && s.Find(s.focus))
        return s.focus;
    return (s.active && s.Find(s.active)) ? s.active : nullptr;
}
} // namespace winlib::detail

using namespace winlib::detail;

namespace winlib::input
{

namespace
{

UINT MouseKeyFlags()
{
    UINT flags = 0;
    if (g_asyncKeys[VK_LBUTTON] & 0x80)
        flags |= MK_LBUTTON;
    if (g_asyncKeys[VK_RBUTTON] & 0x80)
        flags |= MK_RBUTTON;
    if (g_asyncKeys[VK_MBUTTON] & 0x80)
        flags |= MK_MBUTTON;
    if (g_asyncKeys[VK_SHIFT] & 0x80)
        flags |= MK_SHIFT;
    if (g_asyncKeys[VK_CONTROL] & 0x80)
        flags |= MK_CONTROL;
    return flags;
}

void SetAsync(int vk, bool down)
{
    if (down)
        g_asyncKeys[vk & 0xFF] |= 0x80;
    else
        g_asyncKeys[vk & 0xFF] &= static_cast<BYTE>(~0x80);
    const auto follow = [](int generic, int left, int right)
    {
        g_asyncKeys[generic] = static_cast<BYTE>((g_asyncKeys[generic] & ~0x80) |
                                                 ((g_asyncKeys[left] | g_asyncKeys[right]) & 0x80));
    };
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        follow(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        follow(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    if (vk == VK_LMENU || vk == VK_RMENU)
        follow(VK_MENU, VK_LMENU, VK_RMENU);
}

HWND MouseTarget(POINT screen, int* hitTest)
{
    State& s = State::Get();
    if (s.capture && s.Find(s.capture))
    {
        *hitTest = HTCLIENT;
        return s.capture;
    }
    HWND target = WindowFromPoint(screen);
    // A disabled window takes no mouse input, and neither does anything inside it (the windows
    // a modal loop disabled).
    if (!target || !IsWindowEnabled(TopLevelOf(target)))
        return nullptr;
    *hitTest = static_cast<int>(Dispatch(target, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)));
    return target;
}

void PostMouse(HWND target, int hitTest, UINT clientMessage, UINT ncMessage, POINT screen, WPARAM extra = 0)
{
    // As the system does, the window under a free mouse picks the cursor first.
    if (!State::Get().capture)
    {
        Dispatch(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                 MAKELPARAM(hitTest, hitTest == HTCLIENT ? clientMessage : ncMessage));
        if (!State::Get().Find(target))
            return;
    }
    if (hitTest == HTCLIENT)
    {
        POINT client = screen;
        ScreenToClient(target, &client);
        PostMessage(target, clientMessage, MouseKeyFlags() | extra, MAKELPARAM(client.x, client.y));
    }
    else if (ncMessage)
        PostMessage(target, ncMessage, static_cast<WPARAM>(hitTest), MAKELPARAM(screen.x, screen.y));
}

HWND KeyTarget()
{
    return KeyboardTarget();
}

} // namespace

void MouseMove(POINT screen)
{
    State::Get().cursor = screen;
    int hit = HTNOWHERE;
    if (HWND target = MouseTarget(screen, &hit))
        PostMouse(target, hit, WM_MOUSEMOVE, WM_NCMOUSEMOVE, screen);
}

void MouseButton(POINT screen, Button button, bool down, bool doubleClick)
{
    State& s = State::Get();
    s.cursor = screen;
    const int vk = button == Button::Left ? VK_LBUTTON : button == Button::Right ? VK_RBUTTON : VK_MBUTTON;
    SetAsync(vk, down);
    int hit = HTNOWHERE;
    HWND target = MouseTarget(screen, &hit);
    if (!target)
        return;
    if (down && !s.capture)
    {
        // Clicking a window of another top-level window activates it first.
        const HWND top = TopLevelOf(target);
        if (top && top != s.active && !(s.Require(top).exStyle & WS_EX_NOACTIVATE))
        {
            const LRESULT how =
                Dispatch(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                         MAKELPARAM(hit, button == Button::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN));
            if (how == MA_ACTIVATE || how == MA_ACTIVATEANDEAT)
                SetActiveWindow(top);
            if (how == MA_ACTIVATEANDEAT || how == MA_NOACTIVATEANDEAT)
                return;
            if (!s.Find(target))
                return;
        }
    }
    const bool dbl = down && doubleClick && (s.Require(target).cls->style & CS_DBLCLKS);
    UINT clientMessage = 0;
    UINT ncMessage = 0;
    switch (button)
    {
    case Button::Left:
        clientMessage = !down ? WM_LBUTTONUP : dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        ncMessage = !down ? WM_NCLBUTTONUP : dbl ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN;
        break;
    case Button::Right:
        clientMessage = !down ? WM_RBUTTONUP : dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
        ncMessage = !down ? WM_NCRBUTTONUP : WM_NCRBUTTONDOWN;
        break;
    case Button::Middle:
        clientMessage = !down ? WM_MBUTTONUP : dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
        ncMessage = 0;
        break;
    }
    PostMouse(target, hit, clientMessage, ncMessage, screen);
}

void MouseWheel(POINT screen, int delta)
{
    State& s = State::Get();
    s.cursor = screen;
    HWND target = s.capture ? s.capture : WindowFromPoint(screen);
    if (!target)
        target = KeyTarget();
    if (target)
        PostMessage(target, WM_MOUSEWHEEL,
                    MAKEWPARAM(MouseKeyFlags(), static_cast<WORD>(static_cast<short>(delta))),
                    MAKELPARAM(screen.x, screen.y));
}

void KeyDown(int virtualKey)
{
    const bool wasDown = (g_asyncKeys[virtualKey & 0xFF] & 0x80) != 0;
    SetAsync(virtualKey, true);
    if (virtualKey == VK_SHIFT)
        SetAsync(VK_LSHIFT, true);
    if (virtualKey == VK_CONTROL)
        SetAsync(VK_LCONTROL, true);
    if (virtualKey == VK_MENU)
        SetAsync(VK_LMENU, true);
    HWND target = KeyTarget();
    if (!target)
        return;
    const bool alt = (g_asyncKeys[VK_MENU] & 0x80) != 0;
    LPARAM lParam = 1 | (wasDown ? (1 << 30) : 0) | (alt ? (1 << 29) : 0) | kDeviceKeyBit;
    PostMessage(target, (alt || virtualKey == VK_F10) ? WM_SYSKEYDOWN : WM_KEYDOWN,
                static_cast<WPARAM>(virtualKey), lParam);
}

void KeyUp(int virtualKey)
{
    const bool alt = (g_asyncKeys[VK_MENU] & 0x80) != 0;
    SetAsync(virtualKey, false);
    if (virtualKey == VK_SHIFT)
        SetAsync(VK_LSHIFT, false);
    if (virtualKey == VK_CONTROL)
        SetAsync(VK_LCONTROL, false);
    if (virtualKey == VK_MENU)
        SetAsync(VK_LMENU, false);
    HWND target = KeyTarget();
    if (!target)
        return;
    const LPARAM lParam =
        static_cast<LPARAM>(1 | (1u << 30) | (1u << 31) | (alt ? (1u << 29) : 0u)) | kDeviceKeyBit;
    PostMessage(target, ((alt || virtualKey == VK_F10) && virtualKey != VK_MENU) ? WM_SYSKEYUP : WM_KEYUP,
                static_cast<WPARAM>(virtualKey), lParam);
}

void Char(char ch)
{
    // With Alt held (and not Ctrl) the character is a menu key, as TranslateMessage makes it.
    const bool alt = (g_asyncKeys[VK_MENU] & 0x80) != 0 && (g_asyncKeys[VK_CONTROL] & 0x80) == 0;
    if (HWND target = KeyTarget())
        PostMessage(target, alt ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(ch)),
                    (alt ? (1 | (1 << 29)) : 1) | kDeviceKeyBit);
}

int VirtualKeyForChar(char ch, bool* needsShift)
{
    bool shift = false;
    int vk = 0;
    const unsigned char c = static_cast<unsigned char>(ch);
    if (std::isalpha(c))
    {
        vk = std::toupper(c);
        shift = std::isupper(c) != 0;
    }
    else if (std::isdigit(c))
        vk = c;
    else
    {
        static const struct
        {
            char ch;
            int vk;
            bool shift;
        } table[] = {{' ', VK_SPACE, false},
                     {'\t', VK_TAB, false},
                     {'\r', VK_RETURN, false},
                     {'\n', VK_RETURN, false},
                     {'\b', VK_BACK, false},
                     {'\x1b', VK_ESCAPE, false},
                     {'.', VK_OEM_PERIOD, false},
                     {',', VK_OEM_COMMA, false},
                     {'-', VK_OEM_MINUS, false},
                     {'=', VK_OEM_PLUS, false},
                     {';', VK_OEM_1, false},
                     {'/', VK_OEM_2, false},
                     {'`', VK_OEM_3, false},
                     {'[', VK_OEM_4, false},
                     {'\\', VK_OEM_5, false},
                     {']', VK_OEM_6, false},
                     {'\'', VK_OEM_7, false},
                     {'>', VK_OEM_PERIOD, true},
                     {'<', VK_OEM_COMMA, true},
                     {'_', VK_OEM_MINUS, true},
                     {'+', VK_OEM_PLUS, true},
                     {':', VK_OEM_1, true},
                     {'?', VK_OEM_2, true},
                     {'~', VK_OEM_3, true},
                     {'{', VK_OEM_4, true},
                     {'|', VK_OEM_5, true},
                     {'}', VK_OEM_6, true},
                     {'"', VK_OEM_7, true},
                     {'!', '1', true},
                     {'@', '2', true},
                     {'#', '3', true},
                     {'$', '4', true},
                     {'%', '5', true},
                     {'^', '6', true},
                     {'&', '7', true},
                     {'*', '8', true},
                     {'(', '9', true},
                     {')', '0', true}};
        for (const auto& entry : table)
        {
            if (entry.ch == ch)
            {
                vk = entry.vk;
                shift = entry.shift;
                break;
            }
        }
    }
    if (needsShift)
        *needsShift = shift;
    return vk;
}

} // namespace winlib::input
