// The non-client area every window class shares: borders, caption with its close button,
// and the standard scroll bars with their hit-testing, clicking and thumb dragging.
#include "GdiInternal.h"
#include "Internal.h"
#include "winlib/SysCommands.h"

#include <algorithm>
#include <cstring>

namespace winlib::detail
{

namespace
{

struct Frame
{
    CRect window;  // window coordinates
    CRect border;  // inside the borders
    CRect caption; // empty without a caption
    CRect close;   // empty without a close box
    CRect vscroll; // the vertical bar, empty when absent
    CRect hscroll;
    CRect client;
};

Frame Layout(const WindowRecord& w)
{
    Frame f;
    f.window = CRect(0, 0, w.rect.Width(), w.rect.Height());
    CRect insets = NonClientInsets(w);
    const int scrollV = (w.style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int scrollH = (w.style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    const int captionHeight = ((w.style & WS_CAPTION) == WS_CAPTION)
                                  ? ((w.exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                                                    : GetSystemMetrics(SM_CYCAPTION))
                                  : 0;
    const int edge = insets.left;
    f.border = CRect(edge, edge, f.window.right - edge, f.window.bottom - edge);
    if (captionHeight)
    {
        f.caption = CRect(f.border.left, f.border.top, f.border.right, f.border.top + captionHeight - 1);
        if (w.style & WS_SYSMENU)
        {
            const int size = captionHeight - 5;
            f.close = CRect(f.caption.right - size - 2, f.caption.top + 2, f.caption.right - 2,
                            f.caption.top + 2 + size);
        }
    }
    f.client = ClientRectOf(w);
    if (scrollV)
        f.vscroll = CRect(f.client.right, f.client.top, f.client.right + scrollV, f.client.bottom);
    if (scrollH)
        f.hscroll = CRect(f.client.left, f.client.bottom, f.client.right, f.client.bottom + scrollH);
    (void)insets;
    return f;
}

ScrollBarState& Bar(WindowRecord& w, int bar)
{
    return bar == SB_HORZ ? w.hscroll : w.vscroll;
}

// The parts of a scroll bar, in the bar's direction.
struct BarParts
{
    CRect bar;
    CRect arrowLess;
    CRect arrowMore;
    CRect track;
    CRect thumb; // empty when the bar cannot scroll
};

int ScrollRangeOf(const ScrollBarState& s)
{
    return std::max(0, s.max - s.min + 1 - static_cast<int>(s.page));
}

BarParts PartsOf(const WindowRecord& w, int bar)
{
    const Frame f = Layout(w);
    BarParts p;
    const bool vertical = bar == SB_VERT;
    p.bar = vertical ? f.vscroll : f.hscroll;
    if (p.bar.IsRectEmpty())
        return p;
    const int arrow =
        vertical ? std::min(p.bar.Width(), p.bar.Height() / 2) : std::min(p.bar.Height(), p.bar.Width() / 2);
    if (vertical)
    {
        p.arrowLess = CRect(p.bar.left, p.bar.top, p.bar.right, p.bar.top + arrow);
        p.arrowMore = CRect(p.bar.left, p.bar.bottom - arrow, p.bar.right, p.bar.bottom);
        p.track = CRect(p.bar.left, p.arrowLess.bottom, p.bar.right, p.arrowMore.top);
    }
    else
    {
        p.arrowLess = CRect(p.bar.left, p.bar.top, p.bar.left + arrow, p.bar.bottom);
        p.arrowMore = CRect(p.bar.right - arrow, p.bar.top, p.bar.right, p.bar.bottom);
        p.track = CRect(p.arrowLess.right, p.bar.top, p.arrowMore.left, p.bar.bottom);
    }
    const ScrollBarState& s = vertical ? w.vscroll : w.hscroll;
    const int range = ScrollRangeOf(s);
    const int trackLength = vertical ? p.track.Height() : p.track.Width();
    if (range <= 0 || trackLength < 8)
        return p;
    const int total = s.max - s.min + 1;
    int thumb = s.page ? static_cast<int>(static_cast<long long>(trackLength) * s.page / total)
                       : GetSystemMetrics(SM_CXVSCROLL);
    thumb = std::clamp(thumb, 8, trackLength);
    const int offset =
        static_cast<int>(static_cast<long long>(trackLength - thumb) * (s.pos - s.min) / range);
    if (vertical)
        p.thumb = CRect(p.track.left, p.track.top + offset, p.track.right, p.track.top + offset + thumb);
    else
        p.thumb = CRect(p.track.left + offset, p.track.top, p.track.left + offset + thumb, p.track.bottom);
    return p;
}

void PaintBar(HDC hdc, const WindowRecord& w, int bar)
{
    const BarParts p = PartsOf(w, bar);
    if (p.bar.IsRectEmpty())
        return;
    const bool vertical = bar == SB_VERT;
    const bool enabled = !p.thumb.IsRectEmpty();
    CRect less = p.arrowLess;
    CRect more = p.arrowMore;
    const UINT inactive = enabled ? 0 : DFCS_INACTIVE;
    DrawFrameControl(hdc, &less, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive);
    DrawFrameControl(hdc, &more, DFC_SCROLL, (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive);
    CDC* dc = CDC::FromHandle(hdc);
    dc->FillSolidRect(&p.track, RGB(0xE8, 0xE6, 0xE2));
    if (enabled)
    {
        CRect thumb = p.thumb;
        DrawEdge(hdc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

struct Tracking
{
    HWND hwnd = nullptr;
    int hit = HTNOWHERE;
    int bar = SB_VERT;
    int startPos = 0;
    POINT start{0, 0};
    CRect startRect;
    UINT pendingCode = SB_ENDSCROLL;
    bool active = false;
};

Tracking g_tracking;

UINT ScrollMessage(int bar)
{
    return bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
}

void SendScroll(HWND hwnd, int bar, UINT code, int pos = 0)
{
    Dispatch(hwnd, ScrollMessage(bar), MAKEWPARAM(code, static_cast<WORD>(pos)), 0);
}

} // namespace

void PaintNonClient(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    const Frame f = Layout(*w);
    if (f.window == f.client)
        return;
    const HDC hdc = GetWindowDC(hwnd);
    CDC* dc = CDC::FromHandle(hdc);
    // Keep the client area out of it.
    ExcludeClipRect(hdc, f.client.left, f.client.top, f.client.right, f.client.bottom);

    CRect r = f.window;
    if (w->style & WS_THICKFRAME)
    {
        DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc->Draw3dRect(&r, GetSysColor(COLOR_ACTIVEBORDER), GetSysColor(COLOR_ACTIVEBORDER));
        r.DeflateRect(1, 1);
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
        r.DeflateRect(1, 1);
    }
    else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME))
    {
        DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        dc->Draw3dRect(&r, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE));
        r.DeflateRect(1, 1);
    }
    else if (w->style & WS_BORDER)
    {
        dc->Draw3dRect(&r, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_WINDOWFRAME));
        r.DeflateRect(1, 1);
    }
    if (!f.caption.IsRectEmpty())
    {
        const bool active = s.active == hwnd;
        TRIVERTEX v[2] = {};
        const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
        const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
        v[0] = TRIVERTEX{f.caption.left,
                         f.caption.top,
                         static_cast<COLOR16>(GetRValue(from) << 8),
                         static_cast<COLOR16>(GetGValue(from) << 8),
                         static_cast<COLOR16>(GetBValue(from) << 8),
                         0};
        v[1] = TRIVERTEX{f.caption.right,
                         f.caption.bottom,
                         static_cast<COLOR16>(GetRValue(to) << 8),
                         static_cast<COLOR16>(GetGValue(to) << 8),
                         static_cast<COLOR16>(GetBValue(to) << 8),
                         0};
        GRADIENT_RECT g{0, 1};
        GradientFill(hdc, v, 2, &g, 1, GRADIENT_FILL_RECT_H);
        dc->FillSolidRect(f.caption.left, f.caption.bottom, f.caption.Width(), 1, GetSysColor(COLOR_BTNFACE));
        LOGFONT lf{};
        lf.lfHeight = (w->exStyle & WS_EX_TOOLWINDOW) ? -10 : -11;
        lf.lfWeight = FW_BOLD;
        std::strncpy(lf.lfFaceName, "MS Shell Dlg", LF_FACESIZE - 1);
        const HFONT font = CreateFontIndirect(&lf);
        const HGDIOBJ old = SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        CRect text = f.caption;
        text.left += 4;
        if (!f.close.IsRectEmpty())
            text.right = f.close.left - 2;
        DrawText(hdc, w->text.c_str(), -1, &text,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(hdc, old);
        DeleteObject(font);
        if (!f.close.IsRectEmpty())
        {
            CRect close = f.close;
            DrawFrameControl(hdc, &close, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        }
        r.top = f.caption.bottom + 1;
    }
    if (w->exStyle & WS_EX_CLIENTEDGE)
        DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    if (w->exStyle & WS_EX_STATICEDGE)
        DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    PaintBar(hdc, *w, SB_VERT);
    PaintBar(hdc, *w, SB_HORZ);
    if (!f.vscroll.IsRectEmpty() && !f.hscroll.IsRectEmpty())
        dc->FillSolidRect(f.vscroll.left, f.hscroll.top, f.vscroll.Width(), f.hscroll.Height(),
                          GetSysColor(COLOR_BTNFACE));
    ReleaseDC(hwnd, hdc);
}

int NonClientHitTest(HWND hwnd, POINT screenPoint)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return HTNOWHERE;
    const POINT origin = WindowOriginOnScreen(hwnd);
    const CPoint p(screenPoint.x - origin.x, screenPoint.y - origin.y);
    const Frame f = Layout(*w);
    if (!f.window.PtInRect(p))
        return HTNOWHERE;
    if (f.client.PtInRect(p))
        return HTCLIENT;
    if (f.vscroll.PtInRect(p))
        return HTVSCROLL;
    if (f.hscroll.PtInRect(p))
        return HTHSCROLL;
    if (f.close.PtInRect(p))
        return HTCLOSE;
    if (f.caption.PtInRect(p))
        return HTCAPTION;
    if ((w->style & WS_THICKFRAME) && !f.border.PtInRect(p))
    {
        const bool left = p.x < f.border.left;
        const bool right = p.x >= f.border.right;
        const bool top = p.y < f.border.top;
        const bool bottom = p.y >= f.border.bottom;
        if (top && left)
            return HTTOPLEFT;
        if (top && right)
            return HTTOPRIGHT;
        if (bottom && left)
            return HTBOTTOMLEFT;
        if (bottom && right)
            return HTBOTTOMRIGHT;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
        if (top)
            return HTTOP;
        return HTBOTTOM;
    }
    return HTBORDER;
}

bool HandleNonClientMouse(HWND hwnd, UINT message, WPARAM hitTest, POINT screenPoint)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || (message != WM_NCLBUTTONDOWN && message != WM_NCLBUTTONDBLCLK))
        return false;
    const int hit = static_cast<int>(hitTest);
    const POINT origin = WindowOriginOnScreen(hwnd);
    const CPoint p(screenPoint.x - origin.x, screenPoint.y - origin.y);
    g_tracking = Tracking{};
    g_tracking.hwnd = hwnd;
    g_tracking.hit = hit;
    g_tracking.start = screenPoint;
    g_tracking.startRect = w->rect;
    if (hit == HTVSCROLL || hit == HTHSCROLL)
    {
        const int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
        const BarParts parts = PartsOf(*w, bar);
        if (parts.thumb.IsRectEmpty())
            return true;
        g_tracking.bar = bar;
        UINT code;
        if (parts.arrowLess.PtInRect(p))
            code = SB_LINEUP;
        else if (parts.arrowMore.PtInRect(p))
            code = SB_LINEDOWN;
        else if (parts.thumb.PtInRect(p))
        {
            g_tracking.startPos = Bar(*w, bar).pos;
            g_tracking.pendingCode = SB_THUMBPOSITION;
            g_tracking.active = true;
            Bar(*w, bar).trackPos = Bar(*w, bar).pos;
            SetCapture(hwnd);
            return true;
        }
        else
        {
            const bool before = bar == SB_VERT ? p.y < parts.thumb.top : p.x < parts.thumb.left;
            code = before ? SB_PAGEUP : SB_PAGEDOWN;
        }
        SendScroll(hwnd, bar, code);
        g_tracking.pendingCode = SB_ENDSCROLL;
        g_tracking.active = true;
        SetCapture(hwnd);
        return true;
    }
    if (hit == HTCAPTION || hit == HTCLOSE ||
        ((w->style & WS_THICKFRAME) && hit >= HTLEFT && hit <= HTBOTTOMRIGHT))
    {
        g_tracking.active = true;
        SetCapture(hwnd);
        return true;
    }
    return false;
}

// Mouse messages while a scroll bar, caption or border is being dragged go here instead
// of to the window, as the system's own tracking loop would take them.
bool FilterTrackingMessage(const MSG& msg)
{
    if (!g_tracking.active || msg.hwnd != g_tracking.hwnd)
        return false;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONUP && msg.message != WM_NCMOUSEMOVE &&
        msg.message != WM_NCLBUTTONUP)
        return false;
    State& s = State::Get();
    WindowRecord* w = s.Find(g_tracking.hwnd);
    if (!w)
    {
        g_tracking = Tracking{};
        return true;
    }
    POINT screen;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)
    {
        screen = CPoint(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
        ClientToScreen(g_tracking.hwnd, &screen);
    }
    else
        screen = CPoint(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
    const bool release = msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP;
    const int dx = screen.x - g_tracking.start.x;
    const int dy = screen.y - g_tracking.start.y;
    const HWND hwnd = g_tracking.hwnd;
    const int hit = g_tracking.hit;

    if (hit == HTVSCROLL || hit == HTHSCROLL)
    {
        const int bar = g_tracking.bar;
        if (g_tracking.pendingCode == SB_THUMBPOSITION)
        {
            const BarParts parts = PartsOf(*w, bar);
            ScrollBarState& sb = Bar(*w, bar);
            const int trackLength = bar == SB_VERT ? parts.track.Height() : parts.track.Width();
            const int thumbLength = bar == SB_VERT ? parts.thumb.Height() : parts.thumb.Width();
            const int range = ScrollRangeOf(sb);
            const int free = std::max(1, trackLength - thumbLength);
            const int delta = bar == SB_VERT ? dy : dx;
            const int pos = std::clamp(g_tracking.startPos +
                                           static_cast<int>(static_cast<long long>(delta) * range / free),
                                       sb.min, sb.min + range);
            sb.trackPos = pos;
            SendScroll(hwnd, bar, release ? SB_THUMBPOSITION : SB_THUMBTRACK, pos);
        }
        if (release)
        {
            g_tracking = Tracking{};
            ReleaseCapture();
            SendScroll(hwnd, bar, SB_ENDSCROLL);
        }
        return true;
    }
    if (hit == HTCAPTION && !w->parent)
    {
        SetWindowPos(hwnd, nullptr, g_tracking.startRect.left + dx, g_tracking.startRect.top + dy, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
    {
        CRect r = g_tracking.startRect;
        if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT)
            r.left = std::min<LONG>(r.left + dx, r.right - GetSystemMetrics(SM_CXMIN));
        if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT)
            r.right = std::max<LONG>(r.right + dx, r.left + GetSystemMetrics(SM_CXMIN));
        if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT)
            r.top = std::min<LONG>(r.top + dy, r.bottom - GetSystemMetrics(SM_CYMIN));
        if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT)
            r.bottom = std::max<LONG>(r.bottom + dy, r.top + GetSystemMetrics(SM_CYMIN));
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (release)
    {
        g_tracking = Tracking{};
        ReleaseCapture();
        if (hit == HTCLOSE && NonClientHitTest(hwnd, screen) == HTCLOSE)
            Dispatch(hwnd, WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(screen.x, screen.y));
    }
    return true;
}

} // namespace winlib::detail

using namespace winlib::detail;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || !info || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    ScrollBarState& sb = Bar(*w, bar);
    if (info->fMask & SIF_RANGE)
    {
        sb.min = info->nMin;
        sb.max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE)
        sb.page = std::min<UINT>(info->nPage, static_cast<UINT>(sb.max - sb.min + 1));
    if (info->fMask & SIF_POS)
        sb.pos = info->nPos;
    sb.pos = std::clamp(sb.pos, sb.min, sb.min + ScrollRangeOf(sb));

    // The bar shows while there is something to scroll (or always, when asked to stay).
    const DWORD flag = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    const bool wanted = ScrollRangeOf(sb) > 0 || (info->fMask & SIF_DISABLENOSCROLL);
    if (wanted != ((w->style & flag) != 0) && (info->fMask & (SIF_RANGE | SIF_PAGE)))
        ShowScrollBar(hwnd, bar, wanted ? TRUE : FALSE);
    else if (redraw && (w->style & flag))
        w->frameNeeded = true;
    return sb.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w || !info || (bar != SB_HORZ && bar != SB_VERT))
        return FALSE;
    const ScrollBarState& sb = Bar(*w, bar);
    if (info->fMask & SIF_RANGE)
    {
        info->nMin = sb.min;
        info->nMax = sb.max;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = sb.page;
    if (info->fMask & SIF_POS)
        info->nPos = sb.pos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = sb.trackPos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    const int old = Bar(*w, bar).pos;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &info, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    return Bar(*w, bar).pos;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    return SetScrollInfo(hwnd, bar, &info, redraw) >= 0 ? TRUE : FALSE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos)
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &info))
        return FALSE;
    if (minPos)
        *minPos = info.nMin;
    if (maxPos)
        *maxPos = info.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    DWORD flags = 0;
    if (bar == SB_HORZ || bar == SB_BOTH)
        flags |= WS_HSCROLL;
    if (bar == SB_VERT || bar == SB_BOTH)
        flags |= WS_VSCROLL;
    const DWORD newStyle = show ? (w->style | flags) : (w->style & ~flags);
    if (newStyle == w->style)
        return TRUE;
    const CRect oldClient = ClientRectOf(*w);
    w->style = newStyle;
    const CRect newClient = ClientRectOf(*w);
    w->frameNeeded = true;
    InvalidateWindow(hwnd, nullptr, true, true);
    if (oldClient.Size() != newClient.Size())
        Dispatch(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(newClient.Width(), newClient.Height()));
    return TRUE;
}
