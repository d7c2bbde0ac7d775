// GDI objects, device contexts and the drawing functions. Every drawing function maps
// logical to device coordinates, clips to the context's region and hands one primitive
// to the canvas.
#include "GdiInternal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace winlib::detail
{

namespace
{
constexpr int kDefaultBitmapStock = 100; // the 1 x 1 bitmap a new memory context starts with

LOGFONT MakeFont(LONG height, LONG weight, const char* face)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}
} // namespace

GdiTable& GdiTable::Get()
{
    // Never destroyed: objects of other modules may give their handles back during exit.
    static GdiTable* table = new GdiTable;
    return *table;
}

GdiTable::GdiTable()
{
    const auto brush = [this](int index, UINT style, COLORREF color) {
        auto o = std::make_unique<GdiObject>();
        o->type = GdiObject::Type::Brush;
        o->brush = LOGBRUSH{style, color, 0};
        o->stock = true;
        m_stock[index] = Add(std::move(o));
    };
    const auto pen = [this](int index, UINT style, COLORREF color) {
        auto o = std::make_unique<GdiObject>();
        o->type = GdiObject::Type::Pen;
        o->pen = LOGPEN{style, POINT{1, 0}, color};
        o->stock = true;
        m_stock[index] = Add(std::move(o));
    };
    const auto font = [this](int index, const LOGFONT& lf) {
        auto o = std::make_unique<GdiObject>();
        o->type = GdiObject::Type::Font;
        o->font = lf;
        o->stock = true;
        m_stock[index] = Add(std::move(o));
    };
    brush(WHITE_BRUSH, BS_SOLID, RGB(255, 255, 255));
    brush(LTGRAY_BRUSH, BS_SOLID, RGB(192, 192, 192));
    brush(GRAY_BRUSH, BS_SOLID, RGB(128, 128, 128));
    brush(DKGRAY_BRUSH, BS_SOLID, RGB(64, 64, 64));
    brush(BLACK_BRUSH, BS_SOLID, RGB(0, 0, 0));
    brush(NULL_BRUSH, BS_NULL, 0);
    pen(WHITE_PEN, PS_SOLID, RGB(255, 255, 255));
    pen(BLACK_PEN, PS_SOLID, RGB(0, 0, 0));
    pen(NULL_PEN, PS_NULL, 0);
    font(OEM_FIXED_FONT, MakeFont(-12, FW_NORMAL, "Terminal"));
    font(ANSI_FIXED_FONT, MakeFont(-13, FW_NORMAL, "Courier"));
    font(ANSI_VAR_FONT, MakeFont(-11, FW_NORMAL, "MS Sans Serif"));
    font(SYSTEM_FONT, MakeFont(-13, FW_BOLD, "System"));
    font(DEVICE_DEFAULT_FONT, MakeFont(-13, FW_BOLD, "System"));
    font(SYSTEM_FIXED_FONT, MakeFont(-12, FW_NORMAL, "Fixedsys"));
    font(DEFAULT_GUI_FONT, MakeFont(-11, FW_NORMAL, "MS Shell Dlg"));
    auto bitmap = std::make_unique<GdiObject>();
    bitmap->type = GdiObject::Type::Bitmap;
    bitmap->width = 1;
    bitmap->height = 1;
    bitmap->stock = true;
    m_stock[kDefaultBitmapStock] = Add(std::move(bitmap));
}

GdiObject* GdiTable::Object(HGDIOBJ h)
{
    const auto it = m_objects.find(reinterpret_cast<UINT_PTR>(h));
    return it == m_objects.end() ? nullptr : it->second.get();
}

DcRecord* GdiTable::Dc(HDC h)
{
    const auto it = m_dcs.find(reinterpret_cast<UINT_PTR>(h));
    return it == m_dcs.end() ? nullptr : it->second.get();
}

HGDIOBJ GdiTable::Add(std::unique_ptr<GdiObject> object)
{
    m_next += 2;
    const HGDIOBJ h = reinterpret_cast<HGDIOBJ>(m_next);
    m_objects.emplace(m_next, std::move(object));
    return h;
}

HDC GdiTable::AddDc(std::unique_ptr<DcRecord> dc)
{
    m_next += 2;
    const HDC h = reinterpret_cast<HDC>(m_next);
    dc->handle = h;
    m_dcs.emplace(m_next, std::move(dc));
    return h;
}

void GdiTable::RemoveObject(HGDIOBJ h)
{
    const auto it = m_objects.find(reinterpret_cast<UINT_PTR>(h));
    if (it == m_objects.end())
        return;
    if (it->second->wrapper)
        it->second->wrapper->m_hObject = nullptr;
    if (it->second->attached)
        it->second->attached->m_hObject = nullptr;
    m_objects.erase(it);
}

void GdiTable::RemoveDc(HDC h)
{
    const auto it = m_dcs.find(reinterpret_cast<UINT_PTR>(h));
    if (it == m_dcs.end())
        return;
    DcRecord& dc = *it->second;
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(static_cast<void*>(dc.state.pen)), static_cast<HGDIOBJ>(static_cast<void*>(dc.state.brush)),
                      static_cast<HGDIOBJ>(static_cast<void*>(dc.state.font)), static_cast<HGDIOBJ>(static_cast<void*>(dc.bitmap))})
    {
        if (GdiObject* obj = Object(o))
            obj->selections = std::max(0, obj->selections - 1);
    }
    if (dc.wrapper)
        dc.wrapper->m_hDC = nullptr;
    m_dcs.erase(it);
}

HGDIOBJ GdiTable::Stock(int index)
{
    const auto it = m_stock.find(index);
    return it == m_stock.end() ? nullptr : it->second;
}

const LOGFONT& DcFont(const DcRecord& dc)
{
    GdiTable& t = GdiTable::Get();
    const GdiObject* font = t.Object(static_cast<HGDIOBJ>(static_cast<void*>(dc.state.font)));
    if (!font || font->type != GdiObject::Type::Font)
        font = t.Object(t.Stock(DEFAULT_GUI_FONT));
    return font->font;
}

POINT ToDevice(const DcRecord& dc, POINT p)
{
    return POINT{p.x + dc.state.viewport.x + dc.origin.x, p.y + dc.state.viewport.y + dc.origin.y};
}

CRect ToDevice(const DcRecord& dc, const RECT& r)
{
    CRect d(r);
    d.OffsetRect(dc.state.viewport.x + dc.origin.x, dc.state.viewport.y + dc.origin.y);
    return d;
}

Canvas& Prepare(DcRecord& dc)
{
    dc.canvas->SetSource(dc.window, ToDevice(dc, POINT{0, 0}));
    dc.canvas->SetClip(dc.state.clip);
    return *dc.canvas;
}

namespace
{

template <typename T> HGDIOBJ AsObject(T h) { return static_cast<HGDIOBJ>(static_cast<void*>(h)); }

DcRecord* FindDc(HDC hdc) { return GdiTable::Get().Dc(hdc); }

COLORREF BrushColor(HBRUSH brush, bool* hollow)
{
    *hollow = false;
    const UINT_PTR value = reinterpret_cast<UINT_PTR>(brush);
    // A system colour index + 1 stands for that colour's brush, as class backgrounds allow.
    if (value > 0 && value <= 31)
        return GetSysColor(static_cast<int>(value - 1));
    const GdiObject* o = GdiTable::Get().Object(AsObject(brush));
    if (!o || o->type != GdiObject::Type::Brush || o->brush.lbStyle == BS_NULL)
    {
        *hollow = true;
        return 0;
    }
    return o->brush.lbColor;
}

PenSpec CurrentPen(const DcRecord& dc)
{
    const GdiObject* o = GdiTable::Get().Object(AsObject(dc.state.pen));
    if (!o || o->type != GdiObject::Type::Pen)
        return PenSpec{PS_SOLID, 1, 0};
    return PenSpec{o->pen.lopnStyle & PS_STYLE_MASK, std::max<int>(1, o->pen.lopnWidth.x), o->pen.lopnColor};
}

void FillDevice(DcRecord& dc, const CRect& device, COLORREF color)
{
    CRect r = device;
    r.NormalizeRect();
    if (r.IsRectEmpty())
        return;
    Prepare(dc).FillRect(r, color);
}

void FillLogical(DcRecord& dc, const RECT& logical, COLORREF color) { FillDevice(dc, ToDevice(dc, logical), color); }

void Edge(DcRecord& dc, CRect& r, COLORREF topLeft, COLORREF bottomRight, UINT flags)
{
    if (flags & BF_TOP)
        FillLogical(dc, CRect(r.left, r.top, r.right, r.top + 1), topLeft);
    if (flags & BF_LEFT)
        FillLogical(dc, CRect(r.left, r.top, r.left + 1, r.bottom), topLeft);
    if (flags & BF_BOTTOM)
        FillLogical(dc, CRect(r.left, r.bottom - 1, r.right, r.bottom), bottomRight);
    if (flags & BF_RIGHT)
        FillLogical(dc, CRect(r.right - 1, r.top, r.right, r.bottom), bottomRight);
    if (flags & BF_LEFT)
        r.left += 1;
    if (flags & BF_TOP)
        r.top += 1;
    if (flags & BF_RIGHT)
        r.right -= 1;
    if (flags & BF_BOTTOM)
        r.bottom -= 1;
}

} // namespace

} // namespace winlib::detail

using namespace winlib::detail;

// ---- GDI objects -------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Pen;
    o->pen = LOGPEN{static_cast<UINT>(style), POINT{width, 0}, color};
    return static_cast<HPEN>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Brush;
    o->brush = LOGBRUSH{BS_SOLID, color, 0};
    return static_cast<HBRUSH>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (!font)
        return nullptr;
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Font;
    o->font = *font;
    o->font.lfFaceName[LF_FACESIZE - 1] = '\0';
    return static_cast<HFONT>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, LPCSTR faceName)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Bitmap;
    o->width = width;
    o->height = height;
    const DcRecord* dc = FindDc(hdc);
    o->bitmap = dc && dc->canvas ? dc->canvas->CreateCompatible(width, height)
                                 : winlib::GetBackend().CreateMemoryCanvas(width, height);
    return static_cast<HBITMAP>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
}

HBITMAP CreateBitmapFromPixels(int width, int height, const DWORD* pixels)
{
    if (width <= 0 || height <= 0 || !pixels)
        return nullptr;
    auto o = std::make_unique<GdiObject>();
    o->type = GdiObject::Type::Bitmap;
    o->width = width;
    o->height = height;
    o->bitmap = winlib::GetBackend().CreateMemoryCanvas(width, height);
    winlib::Region all(CRect(0, 0, width, height));
    o->bitmap->SetClip(all);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const DWORD p = pixels[y * width + x];
            o->bitmap->SetPixel(x, y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    }
    return static_cast<HBITMAP>(static_cast<void*>(GdiTable::Get().Add(std::move(o))));
}

HGDIOBJ GetStockObject(int index) { return GdiTable::Get().Stock(index); }

BOOL DeleteObject(HGDIOBJ object)
{
    GdiObject* o = GdiTable::Get().Object(object);
    if (!o)
        return FALSE;
    if (o->stock)
        return TRUE;
    if (o->selections > 0)
        return FALSE; // still selected into a device context
    GdiTable::Get().RemoveObject(object);
    return TRUE;
}

int GetObject(HGDIOBJ object, int size, LPVOID buffer)
{
    const GdiObject* o = GdiTable::Get().Object(object);
    if (!o)
        return 0;
    const auto copy = [&](const auto& value) {
        const int n = static_cast<int>(sizeof(value));
        if (!buffer)
            return n;
        if (size < n)
            return 0;
        std::memcpy(buffer, &value, sizeof(value));
        return n;
    };
    switch (o->type)
    {
    case GdiObject::Type::Pen:
        return copy(o->pen);
    case GdiObject::Type::Brush:
        return copy(o->brush);
    case GdiObject::Type::Font:
        return copy(o->font);
    case GdiObject::Type::Bitmap:
    {
        BITMAP bm{0, o->width, o->height, o->width * 4, 1, 32, nullptr};
        return copy(bm);
    }
    }
    return 0;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    DcRecord* dc = FindDc(hdc);
    GdiObject* o = GdiTable::Get().Object(object);
    if (!dc || !o)
        return nullptr;
    const auto swap = [o](auto& slot, auto handle) {
        auto previous = slot;
        if (GdiObject* old = GdiTable::Get().Object(AsObject(previous)))
            old->selections = std::max(0, old->selections - 1);
        slot = handle;
        o->selections++;
        return AsObject(previous);
    };
    switch (o->type)
    {
    case GdiObject::Type::Pen:
        return swap(dc->state.pen, static_cast<HPEN>(static_cast<void*>(object)));
    case GdiObject::Type::Brush:
        return swap(dc->state.brush, static_cast<HBRUSH>(static_cast<void*>(object)));
    case GdiObject::Type::Font:
        return swap(dc->state.font, static_cast<HFONT>(static_cast<void*>(object)));
    case GdiObject::Type::Bitmap:
    {
        if (dc->window)
            return nullptr; // only memory contexts take bitmaps
        const HGDIOBJ previous = dc->bitmap ? AsObject(dc->bitmap) : GdiTable::Get().Stock(kDefaultBitmapStock);
        swap(dc->bitmap, static_cast<HBITMAP>(static_cast<void*>(object)));
        dc->canvas = o->bitmap ? o->bitmap.get() : dc->own.get();
        dc->baseClip = winlib::Region(CRect(0, 0, dc->canvas->Width(), dc->canvas->Height()));
        dc->state.clip = dc->baseClip;
        return previous;
    }
    }
    return nullptr;
}

// ---- Device contexts ---------------------------------------------------------------------

HDC CreateCompatibleDC(HDC)
{
    auto dc = std::make_unique<DcRecord>();
    dc->own = winlib::GetBackend().CreateMemoryCanvas(1, 1);
    dc->canvas = dc->own.get();
    dc->baseClip = winlib::Region(CRect(0, 0, 1, 1));
    dc->state.clip = dc->baseClip;
    dc->state.pen = static_cast<HPEN>(static_cast<void*>(GetStockObject(BLACK_PEN)));
    dc->state.brush = static_cast<HBRUSH>(static_cast<void*>(GetStockObject(WHITE_BRUSH)));
    dc->state.font = static_cast<HFONT>(static_cast<void*>(GetStockObject(DEFAULT_GUI_FONT)));
    return GdiTable::Get().AddDc(std::move(dc));
}

BOOL DeleteDC(HDC hdc)
{
    if (!FindDc(hdc))
        return FALSE;
    GdiTable::Get().RemoveDc(hdc);
    return TRUE;
}

int SaveDC(HDC hdc)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || dc->saved.empty())
        return FALSE;
    const int count = static_cast<int>(dc->saved.size());
    const int index = saved < 0 ? count + saved : saved - 1;
    if (index < 0 || index >= count)
        return FALSE;
    dc->state = dc->saved[static_cast<std::size_t>(index)];
    dc->saved.resize(static_cast<std::size_t>(index));
    return TRUE;
}

int GetDeviceCaps(HDC, int index)
{
    switch (index)
    {
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    case HORZRES:
        return winlib::GetBackend().ScreenSize().cx;
    case VERTRES:
        return winlib::GetBackend().ScreenSize().cy;
    case BITSPIXEL:
        return 32;
    default:
        return 0;
    }
}

COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return CLR_INVALID;
    return std::exchange(dc->state.textColor, color);
}

COLORREF GetTextColor(HDC hdc)
{
    const DcRecord* dc = FindDc(hdc);
    return dc ? dc->state.textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return CLR_INVALID;
    return std::exchange(dc->state.bkColor, color);
}

COLORREF GetBkColor(HDC hdc)
{
    const DcRecord* dc = FindDc(hdc);
    return dc ? dc->state.bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    return std::exchange(dc->state.bkMode, mode);
}

int GetBkMode(HDC hdc)
{
    const DcRecord* dc = FindDc(hdc);
    return dc ? dc->state.bkMode : 0;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport = POINT{x, y};
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    return SetViewportOrgEx(hdc, dc->state.viewport.x + dx, dc->state.viewport.y + dy, previous);
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin)
{
    const DcRecord* dc = FindDc(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->state.viewport;
    return TRUE;
}

namespace
{
int RegionKind(const winlib::Region& r)
{
    if (r.IsEmpty())
        return NULLREGION;
    return r.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
} // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return ERROR_REGION;
    dc->state.clip.Intersect(ToDevice(*dc, CRect(left, top, right, bottom)));
    return RegionKind(dc->state.clip);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return ERROR_REGION;
    dc->state.clip.Subtract(ToDevice(*dc, CRect(left, top, right, bottom)));
    return RegionKind(dc->state.clip);
}

int GetClipBox(HDC hdc, LPRECT rect)
{
    const DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return ERROR_REGION;
    CRect box = dc->state.clip.Bounds();
    box.OffsetRect(-(dc->state.viewport.x + dc->origin.x), -(dc->state.viewport.y + dc->origin.y));
    *rect = box;
    return RegionKind(dc->state.clip);
}

BOOL PtVisible(HDC hdc, int x, int y)
{
    const DcRecord* dc = FindDc(hdc);
    return (dc && dc->state.clip.Contains(ToDevice(*dc, POINT{x, y}))) ? TRUE : FALSE;
}

BOOL RectVisible(HDC hdc, const RECT* rect)
{
    const DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return FALSE;
    winlib::Region r(ToDevice(*dc, *rect));
    r.Intersect(dc->state.clip);
    return r.IsEmpty() ? FALSE : TRUE;
}

// ---- Drawing -------------------------------------------------------------------------------

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return 0;
    bool hollow = false;
    const COLORREF color = BrushColor(brush, &hollow);
    if (!hollow)
        FillLogical(*dc, *rect, color);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return 0;
    bool hollow = false;
    const COLORREF color = BrushColor(brush, &hollow);
    if (hollow)
        return 1;
    CRect r(*rect);
    Edge(*dc, r, color, color, BF_RECT);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return FALSE;
    Prepare(*dc).InvertRect(ToDevice(*dc, *rect));
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return FALSE;
    Prepare(*dc).FocusRect(ToDevice(*dc, *rect));
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    const winlib::PenSpec pen = CurrentPen(*dc);
    if (pen.style != PS_NULL)
        Prepare(*dc).Line(ToDevice(*dc, dc->state.position), ToDevice(*dc, POINT{x, y}), pen);
    dc->state.position = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    if (!FindDc(hdc) || !points || count < 2)
        return FALSE;
    POINT saved{};
    MoveToEx(hdc, points[0].x, points[0].y, &saved);
    for (int i = 1; i < count; ++i)
        LineTo(hdc, points[i].x, points[i].y);
    MoveToEx(hdc, saved.x, saved.y, nullptr);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !points || count < 2)
        return FALSE;
    bool hollow = false;
    const COLORREF fill = BrushColor(dc->state.brush, &hollow);
    if (!hollow)
    {
        // Even-odd scan conversion at pixel centres, one filled run per span.
        int top = points[0].y;
        int bottom = points[0].y;
        for (int i = 1; i < count; ++i)
        {
            top = std::min<int>(top, points[i].y);
            bottom = std::max<int>(bottom, points[i].y);
        }
        std::vector<double> crossings;
        for (int y = top; y < bottom; ++y)
        {
            const double cy = y + 0.5;
            crossings.clear();
            for (int i = 0; i < count; ++i)
            {
                const POINT a = points[i];
                const POINT b = points[(i + 1) % count];
                if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy))
                    crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            {
                const int x0 = static_cast<int>(std::ceil(crossings[i] - 0.5));
                const int x1 = static_cast<int>(std::ceil(crossings[i + 1] - 0.5));
                if (x1 > x0)
                    FillLogical(*dc, CRect(x0, y, x1, y + 1), fill);
            }
        }
    }
    std::vector<POINT> closed(points, points + count);
    closed.push_back(points[0]);
    return Polyline(hdc, closed.data(), static_cast<int>(closed.size()));
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    bool hollow = false;
    const COLORREF fill = BrushColor(dc->state.brush, &hollow);
    if (!hollow)
        FillLogical(*dc, CRect(left, top, right, bottom), fill);
    const POINT corners[] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
    return Polyline(hdc, corners, 5);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return CLR_INVALID;
    const POINT p = ToDevice(*dc, POINT{x, y});
    if (!dc->state.clip.Contains(p))
        return CLR_INVALID;
    Prepare(*dc).SetPixel(p.x, p.y, color);
    return color;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    const DcRecord* dc = FindDc(hdc);
    if (!dc)
        return CLR_INVALID;
    const POINT p = ToDevice(*dc, POINT{x, y});
    return dc->canvas->GetPixel(p.x, p.y);
}

BOOL GradientFill(HDC hdc, TRIVERTEX* vertices, ULONG vertexCount, void* mesh, ULONG meshCount, ULONG mode)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !vertices || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return FALSE;
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < meshCount; ++i)
    {
        if (rects[i].UpperLeft >= vertexCount || rects[i].LowerRight >= vertexCount)
            return FALSE;
        const TRIVERTEX& a = vertices[rects[i].UpperLeft];
        const TRIVERTEX& b = vertices[rects[i].LowerRight];
        CRect r(a.x, a.y, b.x, b.y);
        r.NormalizeRect();
        if (r.IsRectEmpty())
            continue;
        const COLORREF from = RGB(a.Red >> 8, a.Green >> 8, a.Blue >> 8);
        const COLORREF to = RGB(b.Red >> 8, b.Green >> 8, b.Blue >> 8);
        Prepare(*dc).GradientRect(ToDevice(*dc, r), from, to, mode == GRADIENT_FILL_RECT_V);
    }
    return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return FALSE;
    CRect r(*rect);
    const bool mono = (flags & BF_MONO) != 0;
    const bool flat = (flags & BF_FLAT) != 0;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Outer ring, then inner ring, as the classic look draws them.
    if (edge & BDR_OUTER)
    {
        COLORREF tl;
        COLORREF br;
        if (mono)
            tl = br = GetSysColor(COLOR_WINDOWFRAME);
        else if (flat)
            tl = br = GetSysColor(COLOR_BTNSHADOW);
        else if (edge & BDR_RAISEDOUTER)
        {
            tl = GetSysColor(COLOR_3DLIGHT);
            br = GetSysColor(COLOR_3DDKSHADOW);
        }
        else
        {
            tl = GetSysColor(COLOR_BTNSHADOW);
            br = GetSysColor(COLOR_BTNHIGHLIGHT);
        }
        Edge(*dc, r, tl, br, flags & BF_RECT);
    }
    if (edge & BDR_INNER)
    {
        COLORREF tl;
        COLORREF br;
        if (mono || flat)
            tl = br = face;
        else if (edge & BDR_RAISEDINNER)
        {
            tl = GetSysColor(COLOR_BTNHIGHLIGHT);
            br = GetSysColor(COLOR_BTNSHADOW);
        }
        else
        {
            tl = GetSysColor(COLOR_3DDKSHADOW);
            br = GetSysColor(COLOR_3DLIGHT);
        }
        Edge(*dc, r, tl, br, flags & BF_RECT);
    }
    if (flags & BF_MIDDLE)
        FillLogical(*dc, r, mono ? GetSysColor(COLOR_WINDOW) : face);
    if (flags & BF_ADJUST)
        *rect = r;
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !rect)
        return FALSE;
    CRect r(*rect);
    const COLORREF text = (state & DFCS_INACTIVE) ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_BTNTEXT);
    if (type == DFC_BUTTON && (state & 0x1F) == DFCS_BUTTONCHECK)
    {
        if (state & (DFCS_FLAT | DFCS_MONO))
        {
            FrameRect(hdc, &r, reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_BTNSHADOW + 1)));
            r.DeflateRect(1, 1);
        }
        else
            DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        FillLogical(*dc, r, (state & (DFCS_PUSHED | DFCS_INACTIVE)) ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
        if (state & DFCS_CHECKED)
        {
            // The classic 7 x 7 tick: every column three pixels tall, down for three columns
            // from the left, then up for four, so the bottom is a point and not a flat "U".
            const int x = r.left + (r.Width() - 7) / 2;
            const int y = r.top + (r.Height() - 7) / 2;
            for (int i = 0; i < 3; ++i)
                FillLogical(*dc, CRect(x + i, y + 2 + i, x + i + 1, y + 5 + i), text);
            for (int i = 0; i < 4; ++i)
                FillLogical(*dc, CRect(x + 3 + i, y + 3 - i, x + 4 + i, y + 6 - i), text);
        }
        return TRUE;
    }
    if (type == DFC_BUTTON)
    {
        DrawEdge(hdc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        return TRUE;
    }
    if (type == DFC_SCROLL)
    {
        DrawEdge(hdc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED,
                 BF_RECT | BF_MIDDLE | BF_ADJUST | ((state & DFCS_FLAT) ? BF_FLAT : 0));
        // A small filled triangle pointing the scroll direction.
        const UINT dir = state & 0xF;
        const CPoint c = r.CenterPoint();
        const int s = std::max(2, std::min(r.Width(), r.Height()) / 4);
        const int off = (state & DFCS_PUSHED) ? 1 : 0;
        for (int i = 0; i < s; ++i)
        {
            switch (dir)
            {
            case DFCS_SCROLLUP:
                FillLogical(*dc, CRect(c.x - i + off, c.y - s / 2 + i + off, c.x + i + 1 + off, c.y - s / 2 + i + 1 + off), text);
                break;
            case DFCS_SCROLLDOWN:
            case DFCS_SCROLLCOMBOBOX:
                FillLogical(*dc, CRect(c.x - (s - 1 - i) + off, c.y - s / 2 + i + off, c.x + (s - i) + off,
                                       c.y - s / 2 + i + 1 + off),
                            text);
                break;
            case DFCS_SCROLLLEFT:
                FillLogical(*dc, CRect(c.x - s / 2 + i + off, c.y - i + off, c.x - s / 2 + i + 1 + off, c.y + i + 1 + off), text);
                break;
            case DFCS_SCROLLRIGHT:
                FillLogical(*dc, CRect(c.x - s / 2 + i + off, c.y - (s - 1 - i) + off, c.x - s / 2 + i + 1 + off,
                                       c.y + (s - i) + off),
                            text);
                break;
            default:
                break;
            }
        }
        return TRUE;
    }
    if (type == DFC_CAPTION)
    {
        DrawEdge(hdc, &r, (state & DFCS_PUSHED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
        // The close cross.
        // A small box (a tool window's caption) keeps a cross that can be seen.
        const int side = std::min(r.Width(), r.Height());
        const int n = side >= 9 ? side - 6 : std::max(0, side - 2);
        const CPoint o(r.left + (r.Width() - n) / 2, r.top + (r.Height() - n) / 2);
        for (int i = 0; i < n; ++i)
        {
            FillLogical(*dc, CRect(o.x + i, o.y + i, o.x + i + 2, o.y + i + 1), text);
            FillLogical(*dc, CRect(o.x + n - 2 - i, o.y + i, o.x + n - i, o.y + i + 1), text);
        }
        return TRUE;
    }
    return FALSE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop)
{
    DcRecord* d = FindDc(dest);
    if (!d)
        return FALSE;
    const CRect target = ToDevice(*d, CRect(x, y, x + width, y + height));
    if (rop == BLACKNESS || rop == WHITENESS)
    {
        FillDevice(*d, target, rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
        return TRUE;
    }
    if (rop == DSTINVERT)
    {
        Prepare(*d).InvertRect(target);
        return TRUE;
    }
    DcRecord* s = FindDc(source);
    if (!s)
        return FALSE;
    Prepare(*d).Blit(target, *s->canvas, ToDevice(*s, POINT{sx, sy}), rop, std::nullopt);
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc)
        return FALSE;
    const CRect r = ToDevice(*dc, CRect(x, y, x + width, y + height));
    switch (rop)
    {
    case BLACKNESS:
        FillDevice(*dc, r, RGB(0, 0, 0));
        return TRUE;
    case WHITENESS:
        FillDevice(*dc, r, RGB(255, 255, 255));
        return TRUE;
    case DSTINVERT:
        Prepare(*dc).InvertRect(r);
        return TRUE;
    default:
    {
        bool hollow = false;
        const COLORREF color = BrushColor(dc->state.brush, &hollow);
        if (!hollow)
            FillDevice(*dc, r, color);
        return TRUE;
    }
    }
}

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !text)
        return FALSE;
    const std::string_view s(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    const POINT p = ToDevice(*dc, POINT{x, y});
    std::optional<COLORREF> background;
    if (dc->state.bkMode == OPAQUE)
        background = dc->state.bkColor;
    Prepare(*dc).Text(p.x, p.y, s, DcFont(*dc), dc->state.textColor, background);
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int count, LPSIZE size)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !size)
        return FALSE;
    const std::string_view s(text ? text : "", text ? static_cast<std::size_t>(std::max(0, count)) : 0);
    const LOGFONT& font = DcFont(*dc);
    size->cx = dc->canvas->TextWidth(s, font);
    size->cy = dc->canvas->Metrics(font).tmHeight;
    return TRUE;
}

BOOL GetTextMetrics(HDC hdc, LPTEXTMETRIC metrics)
{
    DcRecord* dc = FindDc(hdc);
    if (!dc || !metrics)
        return FALSE;
    *metrics = dc->canvas->Metrics(DcFont(*dc));
    return TRUE;
}

int GetTextFace(HDC hdc, int size, LPSTR face)
{
    const DcRecord* dc = FindDc(hdc);
    if (!dc)
        return 0;
    const LOGFONT& font = DcFont(*dc);
    const int length = static_cast<int>(std::strlen(font.lfFaceName));
    if (!face || size <= 0)
        return length + 1;
    const int n = std::min(length, size - 1);
    std::memcpy(face, font.lfFaceName, static_cast<std::size_t>(n));
    face[n] = '\0';
    return n;
}

int DrawText(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format)
{
    if (!FindDc(hdc) || !text || !rect)
        return 0;
    const std::string_view s(text, count < 0 ? std::strlen(text) : static_cast<std::size_t>(count));
    return LayoutAndDrawText(hdc, s, rect, format);
}
