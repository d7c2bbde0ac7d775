// The message box as a real dialog, for the screen: text, an icon letter and the buttons
// of its type. Tests and headless runs answer message boxes without one (SystemWindows.cpp).
#include "Internal.h"
#include "winlib/Dialog.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

struct ButtonSpec
{
    int id;
    const char* text;
};

std::vector<ButtonSpec> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

INT_PTR MessageBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
    {
        const int id = LOWORD(wParam);
        // Without a Cancel button, Escape and the close box answer with the only button.
        if (id == IDCANCEL && !GetDlgItem(hwnd, IDCANCEL))
        {
            const HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
            EndDialog(hwnd, first ? GetDlgCtrlID(first) : IDOK);
        }
        else
            EndDialog(hwnd, id);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int RunMessageBoxWindow(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
    const std::vector<ButtonSpec> buttons = ButtonsOf(type);
    const std::size_t defaultIndex = std::min<std::size_t>((type & MB_DEFMASK) >> 8, buttons.size() - 1);

    // Size the text in dialog units: a character is about 4 units wide and 8 high.
    std::size_t longest = 0;
    std::size_t lines = 1;
    std::size_t current = 0;
    for (char c : text)
    {
        if (c == '\n')
        {
            ++lines;
            longest = std::max(longest, current);
            current = 0;
        }
        else
            ++current;
    }
    longest = std::max(longest, current);
    const int textWidth = std::clamp(static_cast<int>(longest) * 4 + 8, 60, 300);
    const int wrapped = static_cast<int>(lines) + static_cast<int>(longest * 4 / 300);
    const int textHeight = std::max(8, wrapped * 8 + 2);
    const int buttonsWidth = static_cast<int>(buttons.size()) * 56;
    const int width = std::max(textWidth + 44, buttonsWidth + 14);
    const bool icon = (type & MB_ICONMASK) != 0;

    winlib::DialogTemplate t{};
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
    t.cx = static_cast<short>(width);
    t.cy = static_cast<short>(textHeight + 40);
    t.caption = caption;
    t.fontFace = "MS Shell Dlg";
    t.pointSize = 8;
    if (icon)
    {
        const DWORD kind = type & MB_ICONMASK;
        const char* mark = kind == MB_ICONHAND ? "X" : kind == MB_ICONQUESTION ? "?" : kind == MB_ICONEXCLAMATION ? "!" : "i";
        t.items.push_back({"Static", mark, -1, SS_CENTER | WS_VISIBLE, WS_EX_STATICEDGE, 8, 8, 14, 14});
    }
    t.items.push_back({"Static", text, 0xFFFF, SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 0,
                       static_cast<short>(icon ? 30 : 10), 10, static_cast<short>(textWidth),
                       static_cast<short>(textHeight)});
    short x = static_cast<short>((width - buttonsWidth) / 2 + 3);
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        const DWORD style = WS_VISIBLE | WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                            (i == 0 ? WS_GROUP : 0);
        t.items.push_back({"Button", buttons[i].text, buttons[i].id, style, 0, x,
                           static_cast<short>(textHeight + 18), 50, 14});
        x = static_cast<short>(x + 56);
    }
    const INT_PTR result = DialogBoxIndirectParam(nullptr, &t, owner, &MessageBoxProc, 0);
    return result <= 0 ? buttons[defaultIndex].id : static_cast<int>(result);
}

} // namespace winlib::detail
