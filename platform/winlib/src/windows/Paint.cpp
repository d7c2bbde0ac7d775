// Invalidation, paint scheduling and window device contexts. Painting runs parent before
// children, each window clipped to its visible client area (and its children removed
// when it has WS_CLIPCHILDREN); the pump sends WM_PAINT only when no other message waits.
#include "GdiInternal.h"
#include "Internal.h"

#include <algorithm>

namespace winlib::detail
{

namespace
{

POINT SurfaceOffset(HWND hwnd)
{
    const POINT mine = WindowOriginOnScreen(hwnd);
    const POINT top = WindowOriginOnScreen(TopLevelOf(hwnd));
    return POINT{mine.x - top.x, mine.y - top.y};
}

CRect WindowRectOnSurface(const WindowRecord& w)
{
    const POINT offset = SurfaceOffset(w.handle);
    return CRect(CPoint(offset), w.rect.Size());
}

CRect ClientRectOnSurface(const WindowRecord& w)
{
    CRect client = ClientRectOf(w);
    const POINT offset = SurfaceOffset(w.handle);
    client.OffsetRect(offset.x, offset.y);
    return client;
}

void SubtractSiblingsAbove(Region& region, const WindowRecord& w)
{
    State& s = State::Get();
    if (!w.parent)
        return;
    for (HWND sibling : s.Require(w.parent).children)
    {
        if (sibling == w.handle)
            break;
        const WindowRecord* other = s.Find(sibling);
        if (other && (other->style & WS_VISIBLE))
            region.Subtract(WindowRectOnSurface(*other));
    }
}

Region VisibleRegion(HWND hwnd, bool client, bool clipChildren)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w || !IsVisibleChain(hwnd))
        return Region();
    Region region(client ? ClientRectOnSurface(*w) : WindowRectOnSurface(*w));
    for (const WindowRecord* a = w; a && a->parent; a = s.Find(a->parent))
    {
        const WindowRecord& parent = s.Require(a->parent);
        region.Intersect(ClientRectOnSurface(parent));
        if (a->style & WS_CLIPSIBLINGS)
            SubtractSiblingsAbove(region, *a);
    }
    if (clipChildren)
    {
        for (HWND child : w->children)
        {
            const WindowRecord* c = s.Find(child);
            if (c && (c->style & WS_VISIBLE))
                region.Subtract(WindowRectOnSurface(*c));
        }
    }
    return region;
}

void PaintTree(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || !w->redraw)
        return;
    if (NeedsPaint(*w))
        PaintWindowNow(hwnd);
    w = s.Find(hwnd);
    if (!w)
        return;
    const std::vector<HWND> children = w->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        PaintTree(*it);
}

HWND FindInTree(HWND hwnd)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w || !(w->style & WS_VISIBLE) || !w->redraw)
        return nullptr;
    if (NeedsPaint(*w))
        return hwnd;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
    {
        if (HWND found = FindInTree(*it))
            return found;
    }
    return nullptr;
}

} // namespace

void InvalidateWindow(HWND hwnd, const RECT* clientRect, bool erase, bool includeChildren)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    const CRect client = ClientRectOf(*w);
    const CRect all(0, 0, client.Width(), client.Height());
    CRect area = clientRect ? (CRect(*clientRect) & all) : all;
    if (!clientRect)
        w->frameNeeded = true;
    if (area.IsRectEmpty())
        return;
    w->invalid |= area;
    if (erase)
        w->eraseNeeded = true;
    if (!includeChildren || (w->style & WS_CLIPCHILDREN))
        return;
    for (HWND child : w->children)
    {
        const WindowRecord* c = s.Find(child);
        if (!c || !(c->style & WS_VISIBLE))
            continue;
        CRect overlap = area & c->rect;
        if (overlap.IsRectEmpty())
            continue;
        // Into the child's client coordinates; its frame is part of what it must redraw.
        const CRect childClient = ClientRectOf(*c);
        overlap.OffsetRect(-(c->rect.left + childClient.left), -(c->rect.top + childClient.top));
        s.Require(child).frameNeeded = true;
        InvalidateWindow(child, &overlap, erase, true);
    }
}

void InvalidateUncovered(HWND hwnd, const RECT* clientRect)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    const CRect client = ClientRectOf(*w);
    const CRect all(0, 0, client.Width(), client.Height());
    const CRect area = clientRect ? (CRect(*clientRect) & all) : all;
    // The frame lies outside the client area; a part of the window that appears needs it too.
    w->frameNeeded = true;
    if (area.IsRectEmpty())
        return;
    w->invalid |= area;
    w->eraseNeeded = true;
    for (HWND child : w->children)
    {
        const WindowRecord* c = s.Find(child);
        if (!c || !(c->style & WS_VISIBLE))
            continue;
        CRect overlap = area & c->rect;
        if (overlap.IsRectEmpty())
            continue;
        const CRect childClient = ClientRectOf(*c);
        overlap.OffsetRect(-(c->rect.left + childClient.left), -(c->rect.top + childClient.top));
        InvalidateUncovered(child, &overlap);
    }
}

bool NeedsPaint(const WindowRecord& w)
{
    return w.redraw && (!w.invalid.IsRectEmpty() || w.frameNeeded) && IsVisibleChain(w.handle);
}

HWND FindWindowNeedingPaint()
{
    State& s = State::Get();
    const std::vector<HWND> tops = s.topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    {
        if (HWND found = FindInTree(*it))
            return found;
    }
    return nullptr;
}

void PaintWindowNow(HWND hwnd)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return;
    if (w->frameNeeded)
    {
        w->frameNeeded = false;
        Dispatch(hwnd, WM_NCPAINT, 1, 0);
        w = s.Find(hwnd);
        if (!w)
            return;
    }
    if (!w->invalid.IsRectEmpty())
        Dispatch(hwnd, WM_PAINT, 0, 0);
    // A window that does not validate its area would be painted forever.
    if (WindowRecord* after = s.Find(hwnd))
    {
        after->invalid.SetRectEmpty();
        after->eraseNeeded = false;
    }
}

Canvas& MeasuringCanvas()
{
    static std::unique_ptr<Canvas> canvas;
    static unsigned generation = 0;
    if (!canvas || generation != winlib::BackendGeneration())
    {
        generation = winlib::BackendGeneration();
        canvas = winlib::GetBackend().CreateMemoryCanvas(1, 1);
    }
    return *canvas;
}

Canvas& CanvasFor(HWND hwnd)
{
    WindowRecord* top = State::Get().Find(TopLevelOf(hwnd));
    if (top && top->surface)
        return top->surface->GetCanvas();
    return MeasuringCanvas();
}

Region VisibleClientRegion(HWND hwnd, bool clipChildren) { return VisibleRegion(hwnd, true, clipChildren); }

void PresentTopLevel(HWND hwnd, const RECT& dirtyWindowRect)
{
    WindowRecord* top = State::Get().Find(TopLevelOf(hwnd));
    if (top && top->surface)
        top->surface->Present(dirtyWindowRect);
}

HDC CreateWindowDc(HWND hwnd, bool client, const Region* clip)
{
    State& s = State::Get();
    const WindowRecord* w = s.Find(hwnd);
    if (!w)
        return nullptr;
    auto dc = std::make_unique<DcRecord>();
    dc->window = hwnd;
    dc->client = client;
    dc->canvas = &CanvasFor(hwnd);
    const CRect area = client ? ClientRectOnSurface(*w) : WindowRectOnSurface(*w);
    dc->origin = area.TopLeft();
    dc->baseClip = clip ? *clip : VisibleRegion(hwnd, client, (w->style & WS_CLIPCHILDREN) != 0);
    dc->state.clip = dc->baseClip;
    dc->state.pen = static_cast<HPEN>(static_cast<void*>(GetStockObject(BLACK_PEN)));
    dc->state.brush = static_cast<HBRUSH>(static_cast<void*>(GetStockObject(WHITE_BRUSH)));
    dc->state.font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
    return GdiTable::Get().AddDc(std::move(dc));
}

void ReleaseWindowDc(HDC hdc)
{
    DcRecord* dc = GdiTable::Get().Dc(hdc);
    if (!dc)
        return;
    if (dc->window && State::Get().Find(dc->window))
    {
        const Region& drawn = dc->baseClip;
        if (!drawn.IsEmpty())
            PresentTopLevel(dc->window, drawn.Bounds());
    }
    GdiTable::Get().RemoveDc(hdc);
}

} // namespace winlib::detail

using namespace winlib::detail;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!hwnd)
    {
        // The whole screen: every top-level window.
        for (HWND top : State::Get().topLevels)
            InvalidateWindow(top, nullptr, erase != FALSE, true);
        return TRUE;
    }
    if (!IsWindow(hwnd))
        return FALSE;
    InvalidateWindow(hwnd, rect, erase != FALSE, true);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return FALSE;
    if (!rect || (CRect(*rect) & w->invalid) == w->invalid)
    {
        w->invalid.SetRectEmpty();
        w->eraseNeeded = false;
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return FALSE;
    if (NeedsPaint(*w))
        PaintWindowNow(hwnd);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    const bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
    if (flags & RDW_INVALIDATE)
    {
        const DWORD savedStyle = w->style;
        if (flags & RDW_ALLCHILDREN)
            w->style &= ~WS_CLIPCHILDREN; // so that InvalidateWindow descends
        InvalidateWindow(hwnd, rect, (flags & RDW_ERASE) != 0, children);
        if (WindowRecord* again = s.Find(hwnd))
            again->style = (again->style & ~WS_CLIPCHILDREN) | (savedStyle & WS_CLIPCHILDREN);
        if (flags & RDW_FRAME)
            s.Require(hwnd).frameNeeded = true;
    }
    if (flags & RDW_VALIDATE)
    {
        ValidateRect(hwnd, rect);
        if (flags & RDW_NOFRAME)
            s.Require(hwnd).frameNeeded = false;
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
    {
        if (children)
            PaintTree(hwnd);
        else
            UpdateWindow(hwnd);
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL)
{
    const WindowRecord* w = State::Get().Find(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->invalid;
    return w->invalid.IsRectEmpty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w || !ps)
        return nullptr;
    *ps = PAINTSTRUCT{};
    if (w->frameNeeded)
    {
        w->frameNeeded = false;
        Dispatch(hwnd, WM_NCPAINT, 1, 0);
        w = s.Find(hwnd);
        if (!w)
            return nullptr;
    }
    const CRect paint = w->invalid;
    const bool erase = w->eraseNeeded;
    w->invalid.SetRectEmpty();
    w->eraseNeeded = false;

    winlib::Region clip = VisibleClientRegion(hwnd, (w->style & WS_CLIPCHILDREN) != 0);
    CRect paintOnSurface = paint;
    const CRect client = ClientRectOf(*w);
    const POINT windowOrigin = WindowOriginOnScreen(hwnd);
    const POINT topOrigin = WindowOriginOnScreen(TopLevelOf(hwnd));
    paintOnSurface.OffsetRect(windowOrigin.x - topOrigin.x + client.left, windowOrigin.y - topOrigin.y + client.top);
    clip.Intersect(paintOnSurface);
    const HDC hdc = CreateWindowDc(hwnd, true, &clip);
    ps->hdc = hdc;
    ps->rcPaint = paint;
    if (erase)
        ps->fErase = Dispatch(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps)
{
    if (!ps)
        return FALSE;
    ReleaseWindowDc(ps->hdc);
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    if (!hwnd)
    {
        // A screen context: good for measuring text.
        auto dc = std::make_unique<DcRecord>();
        dc->canvas = &MeasuringCanvas();
        dc->state.pen = static_cast<HPEN>(static_cast<void*>(GetStockObject(BLACK_PEN)));
        dc->state.brush = static_cast<HBRUSH>(static_cast<void*>(GetStockObject(WHITE_BRUSH)));
        dc->state.font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
        return GdiTable::Get().AddDc(std::move(dc));
    }
    return CreateWindowDc(hwnd, true, nullptr);
}

HDC GetWindowDC(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return nullptr;
    return CreateWindowDc(hwnd, false, nullptr);
}

int ReleaseDC(HWND, HDC hdc)
{
    if (!GdiTable::Get().Dc(hdc))
        return 0;
    ReleaseWindowDc(hdc);
    return 1;
}

BOOL LockWindowUpdate(HWND) { return TRUE; }

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT*)
{
    State& s = State::Get();
    WindowRecord* w = s.Find(hwnd);
    if (!w)
        return FALSE;
    if (!scrollRect)
    {
        for (HWND child : w->children)
        {
            WindowRecord& c = s.Require(child);
            c.rect.OffsetRect(dx, dy);
            Dispatch(child, WM_MOVE, 0, MAKELPARAM(c.rect.left, c.rect.top));
        }
    }
    // Everything scrolled is drawn again rather than copied.
    InvalidateWindow(hwnd, scrollRect, true, true);
    return TRUE;
}
