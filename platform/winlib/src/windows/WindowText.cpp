// Window texts, the window longs and the dialog-item shortcuts over them.
#include "Internal.h"

#include <algorithm>
#include <cctype>
#include <string>

using namespace winlib::detail;

BOOL SetWindowText(HWND hwnd, LPCSTR text)
{
    if (!IsWindow(hwnd))
        return FALSE;
    return static_cast<BOOL>(SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

int GetWindowTextLength(HWND hwnd)
{
    return IsWindow(hwnd) ? static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

int GetWindowText(HWND hwnd, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    if (!IsWindow(hwnd))
        return 0;
    return static_cast<int>(
        SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

std::string GetWindowTextString(HWND hwnd)
{
    const int length = GetWindowTextLength(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowText(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, copied)));
    return text;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return 0;
    switch (index)
    {
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWL_ID:
        return static_cast<LONG_PTR>(w->id);
    case GWL_USERDATA:
        return w->userData;
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return 0;
    switch (index)
    {
    case GWL_STYLE:
    case GWL_EXSTYLE:
    {
        const bool isStyle = index == GWL_STYLE;
        STYLESTRUCT change{isStyle ? w->style : w->exStyle, static_cast<DWORD>(value)};
        Dispatch(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        w = s.Find(hwnd);
        if (!w)
            return 0;
        const DWORD old = change.styleOld;
        if (isStyle)
            w->style = (change.styleNew & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
        else
            w->exStyle = change.styleNew;
        Dispatch(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return static_cast<LONG_PTR>(static_cast<LONG>(old));
    }
    case GWL_ID:
    {
        const LONG_PTR old = static_cast<LONG_PTR>(w->id);
        w->id = static_cast<UINT_PTR>(value);
        return old;
    }
    case GWL_USERDATA:
    {
        const LONG_PTR old = w->userData;
        w->userData = value;
        return old;
    }
    case GWL_HWNDPARENT:
    {
        const LONG_PTR old = reinterpret_cast<LONG_PTR>(w->owner);
        if (!w->parent)
            w->owner = reinterpret_cast<HWND>(value);
        return old;
    }
    default:
        return 0;
    }
}

BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text)
{
    return SetWindowText(GetDlgItem(dialog, id), text);
}

UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int size)
{
    return static_cast<UINT>(GetWindowText(GetDlgItem(dialog, id), buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    const std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemText(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    const std::string text = GetWindowTextString(GetDlgItem(dialog, id));
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == '-')
    {
        negative = true;
        ++i;
    }
    const std::size_t digitsStart = i;
    unsigned long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
    {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > 0xFFFFFFFFull)
            break;
        ++i;
    }
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const bool ok = i == text.size() && i > digitsStart &&
                    value <= (isSigned ? 0x7FFFFFFFull + (negative ? 1 : 0) : 0xFFFFFFFFull);
    if (translated)
        *translated = ok ? TRUE : FALSE;
    if (!ok)
        return 0;
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return FALSE;
    SendMessage(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return button ? static_cast<UINT>(SendMessage(button, BM_GETCHECK, 0, 0)) : 0;
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessage(item, message, wParam, lParam) : 0;
}
