#include "winlib/Canvas.h"

#include "winlib/FontLimits.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace winlib
{

Region::Region(const RECT& r)
{
    if (!CRect(r).IsRectEmpty())
        m_rects.push_back(CRect(r));
}

CRect Region::Bounds() const
{
    CRect bounds;
    for (const CRect& r : m_rects)
        bounds |= r;
    return bounds;
}

bool Region::Contains(POINT p) const
{
    return std::any_of(m_rects.begin(), m_rects.end(), [p](const CRect& r) { return r.PtInRect(p); });
}

void Region::Union(const RECT& r)
{
    if (CRect(r).IsRectEmpty())
        return;
    Subtract(r);
    m_rects.push_back(CRect(r));
}

void Region::Subtract(const RECT& cut)
{
    const CRect c(cut);
    if (c.IsRectEmpty())
        return;
    std::vector<CRect> result;
    result.reserve(m_rects.size() + 4);
    for (const CRect& r : m_rects)
    {
        CRect overlap;
        if (!overlap.IntersectRect(&r, &c))
        {
            result.push_back(r);
            continue;
        }
        // Up to four pieces of r remain around the overlap.
        if (r.top < overlap.top)
            result.emplace_back(r.left, r.top, r.right, overlap.top);
        if (overlap.bottom < r.bottom)
            result.emplace_back(r.left, overlap.bottom, r.right, r.bottom);
        if (r.left < overlap.left)
            result.emplace_back(r.left, overlap.top, overlap.left, overlap.bottom);
        if (overlap.right < r.right)
            result.emplace_back(overlap.right, overlap.top, r.right, overlap.bottom);
    }
    m_rects = std::move(result);
}

void Region::Intersect(const RECT& r)
{
    std::vector<CRect> result;
    for (const CRect& mine : m_rects)
    {
        CRect overlap;
        if (overlap.IntersectRect(&mine, &r))
            result.push_back(overlap);
    }
    m_rects = std::move(result);
}

void Region::Intersect(const Region& other)
{
    std::vector<CRect> result;
    for (const CRect& mine : m_rects)
    {
        for (const CRect& theirs : other.m_rects)
        {
            CRect overlap;
            if (overlap.IntersectRect(&mine, &theirs))
                result.push_back(overlap);
        }
    }
    m_rects = std::move(result);
}

void Region::Offset(int dx, int dy)
{
    for (CRect& r : m_rects)
        r.OffsetRect(dx, dy);
}

void Canvas::SetSource(HWND, POINT) {}

TEXTMETRIC ModelTextMetrics(const LOGFONT& font)
{
    int charHeight = 11;
    int cell = 0;
    const LONG height = LimitedFontHeight(font.lfHeight);
    if (height < 0)
        charHeight = -height;
    if (height > 0)
    {
        cell = height;
        charHeight = cell - cell / 6;
    }
    else
        cell = charHeight + charHeight / 5;
    TEXTMETRIC tm{};
    tm.tmHeight = cell;
    tm.tmAscent = (cell * 4 + 2) / 5;
    tm.tmDescent = cell - tm.tmAscent;
    tm.tmInternalLeading = cell - charHeight;
    tm.tmExternalLeading = 0;
    tm.tmAveCharWidth = std::max(1, (cell * 6 + 6) / 13);
    tm.tmMaxCharWidth = tm.tmAveCharWidth * 2;
    tm.tmWeight = font.lfWeight ? font.lfWeight : FW_NORMAL;
    tm.tmItalic = font.lfItalic;
    tm.tmUnderlined = font.lfUnderline;
    tm.tmFirstChar = ' ';
    tm.tmLastChar = '~';
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    return tm;
}

// Saturates at INT_MAX rather than overflowing, however long the text.
int ModelTextWidth(std::string_view text, const LOGFONT& font)
{
    const long long width = static_cast<long long>(text.size()) * ModelTextMetrics(font).tmAveCharWidth;
    return static_cast<int>(std::min<long long>(width, INT_MAX));
}

void RecordingCanvas::Resize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void RecordingCanvas::SetSource(HWND window, POINT origin)
{
    m_source = window;
    m_origin = origin;
}

void RecordingCanvas::SetKeeping(bool keeping)
{
    m_keeping = keeping;
    if (!keeping)
        std::vector<DrawOp>().swap(m_ops);
}

bool RecordingCanvas::Record(DrawOp op, const RECT& full)
{
    if (!m_keeping)
        return false;
    CRect bounds(full);
    bounds.NormalizeRect();
    if (op.kind == DrawOp::Kind::Line)
    {
        bounds.right += 1;
        bounds.bottom += 1;
    }
    Region visible(bounds);
    visible.Intersect(m_clip);
    if (visible.IsEmpty())
        return false;
    op.window = m_source;
    op.device = visible.Bounds();
    op.visible = visible.Rects();
    op.full = CRect(full);
    op.local = op.full - m_origin;
    m_ops.push_back(std::move(op));
    return true;
}

void RecordingCanvas::FillRect(const RECT& r, COLORREF color)
{
    DrawOp op{DrawOp::Kind::Fill};
    op.color = color;
    Record(std::move(op), r);
}

void RecordingCanvas::GradientRect(const RECT& r, COLORREF from, COLORREF to, bool vertical)
{
    DrawOp op{DrawOp::Kind::Gradient};
    op.color = from;
    op.color2 = to;
    op.vertical = vertical;
    Record(std::move(op), r);
}

void RecordingCanvas::Line(POINT from, POINT to, const PenSpec& pen)
{
    if (pen.style == PS_NULL)
        return;
    DrawOp op{DrawOp::Kind::Line};
    op.color = pen.color;
    op.pen = pen;
    Record(std::move(op), CRect(from, to));
}

void RecordingCanvas::Text(int x, int y, std::string_view text, const LOGFONT& font, COLORREF color,
                           std::optional<COLORREF> background)
{
    DrawOp op{DrawOp::Kind::Text};
    op.text = std::string(text);
    op.font = font;
    op.color = color;
    op.opaque = background.has_value();
    op.color2 = background.value_or(0);
    const TEXTMETRIC tm = ModelTextMetrics(font);
    Record(std::move(op), CRect(x, y, x + std::max(1, ModelTextWidth(text, font)), y + tm.tmHeight));
}

void RecordingCanvas::InvertRect(const RECT& r)
{
    Record(DrawOp{DrawOp::Kind::Invert}, r);
}

void RecordingCanvas::FocusRect(const RECT& r)
{
    Record(DrawOp{DrawOp::Kind::FocusRect}, r);
}

void RecordingCanvas::SetPixel(int x, int y, COLORREF color)
{
    DrawOp op{DrawOp::Kind::Pixel};
    op.color = color;
    Record(std::move(op), CRect(x, y, x + 1, y + 1));
}

void RecordingCanvas::Blit(const RECT& dest, Canvas& source, POINT sourceOrigin, DWORD,
                           std::optional<COLORREF> transparent)
{
    auto* recorded = dynamic_cast<RecordingCanvas*>(&source);
    // A plain copy reads back as what it copied; a transparent one also as the blit itself.
    if (!recorded || transparent)
    {
        DrawOp blit{DrawOp::Kind::Blit};
        blit.transparent = transparent;
        Record(std::move(blit), dest);
    }
    if (!recorded || recorded == this)
        return;
    // Replays what was drawn on the memory canvas, as if the current source drew it here;
    // pixels of the transparent colour stay behind.
    const CPoint shift(dest.left - sourceOrigin.x, dest.top - sourceOrigin.y);
    const Region savedClip = m_clip;
    m_clip.Intersect(dest);
    for (const DrawOp& original : recorded->Ops())
    {
        if (transparent && original.kind == DrawOp::Kind::Pixel && original.color == *transparent)
            continue;
        Record(original, original.full + shift);
    }
    m_clip = savedClip;
}

} // namespace winlib
