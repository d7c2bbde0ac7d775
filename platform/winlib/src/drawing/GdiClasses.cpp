// The class library's wrappers over GDI handles and device contexts (the contexts of a window
// are with the windows of the class library, WindowDc.cpp).
#include "GdiInternal.h"
#include "winlib/Resources.h"

#include <cstring>
#include <vector>

using namespace winlib::detail;

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CDC, CObject)

CGdiObject* GdiObjectFromHandle(HGDIOBJ object)
{
    GdiObject* o = GdiTable::Get().Object(object);
    if (!o)
        return nullptr;
    if (o->attached)
        return o->attached;
    if (!o->wrapper)
    {
        switch (o->type)
        {
        case GdiObject::Type::Pen:
            o->wrapper = std::make_unique<CPen>();
            break;
        case GdiObject::Type::Brush:
            o->wrapper = std::make_unique<CBrush>();
            break;
        case GdiObject::Type::Font:
            o->wrapper = std::make_unique<CFont>();
            break;
        case GdiObject::Type::Bitmap:
            o->wrapper = std::make_unique<CBitmap>();
            break;
        }
        o->wrapper->m_hObject = object;
    }
    return o->wrapper.get();
}

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ object)
{
    GdiObject* o = GdiTable::Get().Object(object);
    if (!o || m_hObject)
        return FALSE;
    o->attached = this;
    m_hObject = object;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    const HGDIOBJ object = m_hObject;
    if (GdiObject* o = GdiTable::Get().Object(object); o && o->attached == this)
        o->attached = nullptr;
    m_hObject = nullptr;
    return object;
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    GdiObject* o = GdiTable::Get().Object(m_hObject);
    if (o && o->wrapper.get() == this)
        return FALSE; // a wrapper never owns its handle
    const HGDIOBJ object = Detach();
    return ::DeleteObject(object);
}

int CGdiObject::GetObject(int size, LPVOID buffer) const { return ::GetObject(m_hObject, size, buffer); }

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
BOOL CBrush::CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(GetSysColor(index))); }
CBrush* CBrush::FromHandle(HBRUSH brush)
{
    return static_cast<CBrush*>(GdiObjectFromHandle(static_cast<HGDIOBJ>(static_cast<void*>(brush))));
}

BOOL CFont::CreateFontIndirect(const LOGFONT* font) { return Attach(::CreateFontIndirect(font)); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCSTR faceName)
{
    return Attach(::CreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                               outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSizeTenths, LPCSTR faceName, CDC* dc)
{
    LOGFONT lf{};
    const int dpi = ::GetDeviceCaps(dc ? dc->m_hDC : nullptr, LOGPIXELSY);
    lf.lfHeight = -MulDiv(pointSizeTenths, dpi, 720);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

CFont* CFont::FromHandle(HFONT font)
{
    return static_cast<CFont*>(GdiObjectFromHandle(static_cast<HGDIOBJ>(static_cast<void*>(font))));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
}

BOOL CBitmap::LoadBitmap(UINT resourceId) { return LoadMappedBitmap(resourceId); }

BOOL CBitmap::LoadMappedBitmap(UINT resourceId, UINT, LPCOLORMAP colorMap, int mapSize)
{
    const winlib::BitmapResource* resource = winlib::FindBitmapResource(resourceId);
    if (!resource)
        return FALSE;
    std::vector<DWORD> pixels = resource->pixels;
    // Resource pixels are 0x00RRGGBB; colour maps speak COLORREF (0x00BBGGRR).
    const auto toPixel = [](COLORREF c) { return (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c); };
    for (DWORD& p : pixels)
    {
        for (int i = 0; colorMap && i < mapSize; ++i)
        {
            if (p == toPixel(colorMap[i].from))
            {
                p = toPixel(colorMap[i].to);
                break;
            }
        }
    }
    return Attach(::CreateBitmapFromPixels(resource->width, resource->height, pixels.data()));
}

// ---- CDC ------------------------------------------------------------------------------------

CDC::~CDC()
{
    if (m_hDC)
    {
        DcRecord* dc = GdiTable::Get().Dc(m_hDC);
        if (dc && dc->wrapper.get() == this)
            return; // a wrapper never owns its context
        if (dc && !dc->window)
            ::DeleteDC(m_hDC);
    }
}

BOOL CDC::Attach(HDC hdc)
{
    if (!hdc || m_hDC)
        return FALSE;
    m_hDC = hdc;
    m_hAttribDC = hdc;
    return TRUE;
}

HDC CDC::Detach()
{
    const HDC hdc = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return hdc;
}

CDC* CDC::FromHandle(HDC hdc)
{
    DcRecord* dc = GdiTable::Get().Dc(hdc);
    if (!dc)
        return nullptr;
    if (!dc->wrapper)
    {
        dc->wrapper = std::make_unique<CDC>();
        dc->wrapper->m_hDC = hdc;
        dc->wrapper->m_hAttribDC = hdc;
    }
    return dc->wrapper.get();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }

BOOL CDC::DeleteDC()
{
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

namespace
{
template <typename T> T* Previous(HGDIOBJ previous) { return static_cast<T*>(GdiObjectFromHandle(previous)); }
} // namespace

CPen* CDC::SelectObject(CPen* pen) { return pen ? Previous<CPen>(::SelectObject(m_hDC, pen->m_hObject)) : nullptr; }
CBrush* CDC::SelectObject(CBrush* brush) { return brush ? Previous<CBrush>(::SelectObject(m_hDC, brush->m_hObject)) : nullptr; }
CFont* CDC::SelectObject(CFont* font) { return font ? Previous<CFont>(::SelectObject(m_hDC, font->m_hObject)) : nullptr; }
CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    return bitmap ? Previous<CBitmap>(::SelectObject(m_hDC, bitmap->m_hObject)) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) { return GdiObjectFromHandle(::SelectObject(m_hDC, ::GetStockObject(index))); }

CFont* CDC::GetCurrentFont() const
{
    const DcRecord* dc = GdiTable::Get().Dc(m_hDC);
    if (!dc)
        return nullptr;
    const HFONT font = dc->state.font ? dc->state.font : static_cast<HFONT>(static_cast<void*>(::GetStockObject(DEFAULT_GUI_FONT)));
    return CFont::FromHandle(font);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT previous{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

CPoint CDC::OffsetViewportOrg(int dx, int dy)
{
    POINT previous{0, 0};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &previous);
    return CPoint(previous);
}

CPoint CDC::GetViewportOrg() const
{
    POINT origin{0, 0};
    ::GetViewportOrgEx(m_hDC, &origin);
    return CPoint(origin);
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color)
{
    // As the class library does it: the background colour changes as a side effect.
    ::SetBkColor(m_hDC, color);
    DcRecord* dc = GdiTable::Get().Dc(m_hDC);
    if (!dc || !rect)
        return;
    CRect r(*rect);
    r.NormalizeRect();
    if (!r.IsRectEmpty())
        Prepare(*dc).FillRect(ToDevice(*dc, r), color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    const CRect r(x, y, x + cx, y + cy);
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx, y, -1, cy, bottomRight);
    FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight)
{
    const CRect r(*rect);
    Draw3dRect(r.left, r.top, r.Width(), r.Height(), topLeft, bottomRight);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT previous{0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}

int CDC::DrawText(const std::string& text, LPRECT rect, UINT format)
{
    return ::DrawText(m_hDC, text.c_str(), static_cast<int>(text.size()), rect, format);
}

BOOL CDC::TextOut(int x, int y, const std::string& text)
{
    return ::TextOut(m_hDC, x, y, text.c_str(), static_cast<int>(text.size()));
}

CSize CDC::GetTextExtent(const std::string& text) const
{
    return GetTextExtent(text.c_str(), static_cast<int>(text.size()));
}

CSize CDC::GetTextExtent(LPCSTR text, int count) const
{
    SIZE size{0, 0};
    ::GetTextExtentPoint32(m_hDC, text, count, &size);
    return CSize(size);
}
