// The behaviour every window class falls back on.
#include "GdiInternal.h"
#include "Internal.h"
#include "winlib/Cursors.h"
#include "winlib/Menu.h"
#include "winlib/SysCommands.h"

#include <algorithm>
#include <cstring>

using namespace winlib::detail;

namespace
{
// The system menu of a top-level window. Moving, sizing, minimising and maximising from it
// are not offered by this library, so they stay greyed; Close is there.
void ShowSystemMenu(HWND hwnd, POINT at)
{
    const HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING | MF_GRAYED, SC_RESTORE, "&Restore");
    AppendMenu(menu, MF_STRING | MF_GRAYED, SC_MOVE, "&Move");
    AppendMenu(menu, MF_STRING | MF_GRAYED, SC_SIZE, "&Size");
    AppendMenu(menu, MF_STRING | MF_GRAYED, SC_MINIMIZE, "Mi&nimize");
    AppendMenu(menu, MF_STRING | MF_GRAYED, SC_MAXIMIZE, "Ma&ximize");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr));
    DestroyMenu(menu);
    if (command && IsWindow(hwnd))
        SendMessage(hwnd, WM_SYSCOMMAND, command, MAKELPARAM(at.x, at.y));
}

void EraseWithClassBackground(HWND hwnd, HDC hdc, const WindowRecord& w)
{
    RECT client;
    GetClientRect(hwnd, &client);
    if (w.cls->background)
        FillRect(hdc, &client, w.cls->background);
    else if (w.cls->backgroundSysColor >= 0)
        FillRect(hdc, &client, GetSysColorBrush(w.cls->backgroundSysColor));
}
// The class cursor over the client area, a sizing arrow over a sizing border.
HCURSOR CursorForHit(int hit, const WindowRecord& w)
{
    switch (hit)
    {
    case HTCLIENT:
        return w.cls->cursor ? w.cls->cursor : LoadCursor(nullptr, IDC_ARROW);
    case HTLEFT:
    case HTRIGHT:
        return LoadCursor(nullptr, IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM:
        return LoadCursor(nullptr, IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        return LoadCursor(nullptr, IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        return LoadCursor(nullptr, IDC_SIZENESW);
    default:
        return LoadCursor(nullptr, IDC_ARROW);
    }
}
// The standard frame; a window that wants more takes it from what is left.
void TakeStandardFrame(const WindowRecord& w, WPARAM wParam, LPARAM lParam)
{
    RECT* r =
        wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
    if (!r)
        return;
    const CRect insets = StandardNonClientInsets(w);
    r->left += insets.left;
    r->top += insets.top;
    r->right = std::max(r->left, r->right - insets.right);
    r->bottom = std::max(r->top, r->bottom - insets.bottom);
}

void SetRecordText(WindowRecord& w, const char* text)
{
    w.text = text ? text : "";
    if ((w.style & WS_CAPTION) == WS_CAPTION)
        w.frameNeeded = true;
    if (w.surface)
        w.surface->SetTitle(w.text);
}

LRESULT CopyRecordText(const WindowRecord& w, char* buffer, WPARAM size)
{
    if (!buffer || size == 0)
        return 0;
    const std::size_t n = std::min(w.text.size(), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, w.text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

void ReportMoveAndSize(HWND hwnd, const WindowRecord& w, const WINDOWPOS* pos)
{
    const CRect client = ClientRectOf(w);
    if (pos && !(pos->flags & SWP_NOSIZE))
        Dispatch(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    if (pos && !(pos->flags & SWP_NOMOVE) && State::Get().Find(hwnd))
        Dispatch(hwnd, WM_MOVE, 0, MAKELPARAM(w.rect.left + client.left, w.rect.top + client.top));
}

LRESULT SysCommand(HWND hwnd, const WindowRecord& w, WPARAM wParam, LPARAM lParam)
{
    switch (wParam & 0xFFF0)
    {
    case SC_CLOSE:
        Dispatch(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case SC_KEYMENU:
        // Alt+Space opens the system menu; other menu keys belong to the window's menus,
        // which an owned window without any (a floating bar's frame) leaves to its owner.
        if (lParam == ' ' && (w.style & WS_SYSMENU))
        {
            const POINT at = WindowOriginOnScreen(hwnd);
            ShowSystemMenu(hwnd, POINT{at.x + 4, at.y + GetSystemMetrics(SM_CYCAPTION)});
        }
        else if (w.owner && !w.parent)
            return SendMessage(w.owner, WM_SYSCOMMAND, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

// The keys the system handles: menu keys, Alt+F4, F10 and the context-menu keys.
LRESULT SystemKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SYSCHAR:
        // Alt and a character: a menu key for the top-level window.
        return SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (1 << 29)))
            return SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSKEYUP:
        // F10 selects the menu bar, as Alt alone would; Shift+F10 asks for a context menu.
        if (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000))
            return Dispatch(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), static_cast<LPARAM>(-1));
        if (wParam == VK_F10)
            return SendMessage(TopLevelOf(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
        return 0;
    default: // WM_KEYUP
        // The menu key asks for the focus window's context menu, from the keyboard.
        if (wParam == VK_APPS)
            Dispatch(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), static_cast<LPARAM>(-1));
        return 0;
    }
}

LRESULT ContextMenu(HWND hwnd, const WindowRecord& w, WPARAM wParam, LPARAM lParam)
{
    if (w.parent)
        return Dispatch(w.parent, WM_CONTEXTMENU, wParam, lParam);
    // What nobody below took: on the caption of a window with a system menu, that menu.
    if ((w.style & WS_SYSMENU) && lParam != -1)
    {
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const LRESULT hit = SendMessage(hwnd, WM_NCHITTEST, 0, lParam);
        if (hit == HTCAPTION || hit == HTSYSMENU)
            ShowSystemMenu(hwnd, at);
    }
    return 0;
}

// The mouse messages a child passes on to its parent when it does not handle them.
LRESULT MouseForParent(HWND hwnd, const WindowRecord& w, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_RBUTTONUP:
    {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &screen);
        Dispatch(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
        return 0;
    }
    case WM_NCRBUTTONUP:
        Dispatch(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
        return 0;
    case WM_MOUSEACTIVATE:
        if (w.parent)
        {
            const LRESULT parentAnswer = Dispatch(w.parent, message, wParam, lParam);
            if (parentAnswer)
                return parentAnswer;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        if (w.parent && Dispatch(w.parent, message, wParam, lParam))
            return TRUE;
        // Parents may only overrule; the window under the mouse picks the cursor.
        if (reinterpret_cast<HWND>(wParam) != hwnd || !State::Get().Find(hwnd))
            return FALSE;
        SetCursor(CursorForHit(static_cast<short>(LOWORD(lParam)), w));
        return TRUE;
    default: // WM_HELP, WM_MOUSEWHEEL
        return w.parent ? Dispatch(w.parent, message, wParam, lParam) : 0;
    }
}

LRESULT ControlColours(HDC hdc, int background)
{
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}
} // namespace

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return 0;
    switch (message)
    {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCCALCSIZE:
        TakeStandardFrame(*w, wParam, lParam);
        return 0;
    case WM_SETTEXT:
        SetRecordText(*w, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return CopyRecordText(*w, reinterpret_cast<char*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateWindow(hwnd, nullptr, true, true);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_PAINT:
    {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (!w->cls->background && w->cls->backgroundSysColor < 0)
            return 0;
        EraseWithClassBackground(hwnd, reinterpret_cast<HDC>(wParam), *w);
        return 1;
    case WM_NCPAINT:
        PaintNonClient(hwnd);
        return 0;
    case WM_NCHITTEST:
        return NonClientHitTest(hwnd, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        HandleNonClientMouse(hwnd, message, wParam, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_NCACTIVATE:
        w->frameNeeded = true;
        return TRUE;
    case WM_WINDOWPOSCHANGED:
        ReportMoveAndSize(hwnd, *w, reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        return SysCommand(hwnd, *w, wParam, lParam);
    case WM_SYSCHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_KEYUP:
        return SystemKey(hwnd, message, wParam, lParam);
    case WM_CONTEXTMENU:
        return ContextMenu(hwnd, *w, wParam, lParam);
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
    case WM_HELP:
    case WM_MOUSEWHEEL:
    case WM_MOUSEACTIVATE:
    case WM_SETCURSOR:
        return MouseForParent(hwnd, *w, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && (!s.focus || (s.focus != hwnd && !IsChild(hwnd, s.focus))))
            SetFocus(hwnd);
        return 0;
    case WM_SETREDRAW:
        w->redraw = wParam != 0;
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        return ControlColours(reinterpret_cast<HDC>(wParam), COLOR_BTNFACE);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return ControlColours(reinterpret_cast<HDC>(wParam), COLOR_WINDOW);
    case WM_NOTIFYFORMAT:
        return 1; // single-byte notifications
    default:      // WM_GETDLGCODE and everything else
        return 0;
    }
}
