#include "QtCanvas.h"

#include "QtFontCache.h"

#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace winlib::qt
{

namespace
{

constexpr QRgb kOpaque = 0xFF000000u;
constexpr QRgb kColourBits = 0x00FFFFFFu;

QRgb ToQRgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF ToColorRef(QRgb p)
{
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

// One channel of a gradient at step i of n, rounded to the nearest value; the first and
// the last step give the end colours exactly.
int Interpolate(int from, int to, int i, int n)
{
    if (n <= 0)
        return from;
    const int delta = (to - from) * i * 2;
    return from + (delta + (to >= from ? n : -n)) / (2 * n);
}

QRgb GradientAt(COLORREF from, COLORREF to, int i, int n)
{
    return qRgb(Interpolate(GetRValue(from), GetRValue(to), i, n),
                Interpolate(GetGValue(from), GetGValue(to), i, n),
                Interpolate(GetBValue(from), GetBValue(to), i, n));
}

// On/off run lengths of the cosmetic pen styles; PS_DOT and PS_ALTERNATE both set every
// other pixel.
std::vector<int> DashPattern(UINT style)
{
    switch (style)
    {
    case PS_DOT:
    case PS_ALTERNATE:
        return {1, 1};
    case PS_DASH:
        return {18, 6};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

QRgb ApplyRop(QRgb dest, QRgb source, DWORD rop)
{
    switch (rop)
    {
    case SRCPAINT:
        return dest | source;
    case SRCAND:
        return (dest & source) | kOpaque;
    case SRCINVERT:
        return (dest ^ source) | kOpaque;
    default:
        return source; // SRCCOPY and anything not modelled
    }
}

} // namespace

QtCanvas::QtCanvas(int width, int height, COLORREF background)
    : m_image(std::max(0, width), std::max(0, height), QImage::Format_RGB32), m_background(background)
{
    if (!m_image.isNull())
        m_image.fill(ToQRgb(background));
    m_clip = Region(CRect(0, 0, Width(), Height()));
}

void QtCanvas::Resize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    QImage resized(width, height, QImage::Format_RGB32);
    if (resized.isNull())
    {
        m_image = resized;
        return;
    }
    resized.fill(ToQRgb(m_background));
    const int keepWidth = std::min(width, Width());
    const int keepHeight = std::min(height, Height());
    for (int y = 0; y < keepHeight; ++y)
        std::memcpy(resized.scanLine(y), m_image.constScanLine(y),
                    static_cast<std::size_t>(keepWidth) * sizeof(QRgb));
    m_image = resized;
}

template <typename F> void QtCanvas::ForEachSpan(const RECT& r, F&& f)
{
    CRect target(r);
    target.NormalizeRect();
    target &= CRect(0, 0, Width(), Height());
    if (target.IsRectEmpty())
        return;
    // The clip's rectangles never overlap, so no pixel is visited twice (which matters
    // for the XOR operations).
    for (const CRect& piece : m_clip.Rects())
    {
        const CRect part = piece & target;
        if (part.IsRectEmpty())
            continue;
        for (int y = part.top; y < part.bottom; ++y)
            f(part.left, part.right, y);
    }
}

bool QtCanvas::Drawable(int x, int y) const
{
    return x >= 0 && y >= 0 && x < Width() && y < Height() && m_clip.Contains(POINT{x, y});
}

QRegion QtCanvas::ClipRegion() const
{
    const CRect bounds(0, 0, Width(), Height());
    std::vector<QRect> rects;
    for (const CRect& piece : m_clip.Rects())
    {
        const CRect part = piece & bounds;
        if (!part.IsRectEmpty())
            rects.emplace_back(part.left, part.top, part.Width(), part.Height());
    }
    QRegion region;
    if (!rects.empty())
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

void QtCanvas::FillRect(const RECT& r, COLORREF color)
{
    const QRgb value = ToQRgb(color);
    ForEachSpan(r, [&](int x0, int x1, int y) { std::fill(Row(y) + x0, Row(y) + x1, value); });
}

void QtCanvas::GradientRect(const RECT& r, COLORREF from, COLORREF to, bool vertical)
{
    CRect area(r);
    area.NormalizeRect();
    if (vertical)
    {
        const int steps = area.Height() - 1;
        ForEachSpan(area, [&](int x0, int x1, int y)
                    { std::fill(Row(y) + x0, Row(y) + x1, GradientAt(from, to, y - area.top, steps)); });
        return;
    }
    const int steps = area.Width() - 1;
    std::vector<QRgb> columns(static_cast<std::size_t>(area.Width()));
    for (int i = 0; i < area.Width(); ++i)
        columns[static_cast<std::size_t>(i)] = GradientAt(from, to, i, steps);
    ForEachSpan(
        area, [&](int x0, int x1, int y)
        { std::copy(columns.begin() + (x0 - area.left), columns.begin() + (x1 - area.left), Row(y) + x0); });
}

void QtCanvas::Plot(int x, int y, QRgb color, int width)
{
    if (width <= 1)
    {
        if (Drawable(x, y))
            Row(y)[x] = color;
        return;
    }
    const int start = -(width - 1) / 2;
    ForEachSpan(CRect(x + start, y + start, x + start + width, y + start + width),
                [&](int x0, int x1, int row) { std::fill(Row(row) + x0, Row(row) + x1, color); });
}

void QtCanvas::Line(POINT from, POINT to, const PenSpec& pen)
{
    if (pen.style == PS_NULL)
        return;
    const QRgb color = ToQRgb(pen.color);
    // Styled pens wider than one pixel come out solid, as CreatePen makes them.
    const std::vector<int> pattern = pen.width > 1 ? std::vector<int>{} : DashPattern(pen.style);
    std::size_t run = 0;
    int left = pattern.empty() ? 0 : pattern[0];

    // Bresenham's line, every pixel up to but not including the end point.
    int x = from.x;
    int y = from.y;
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1;
    const int sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    while (x != to.x || y != to.y)
    {
        if (pattern.empty() || run % 2 == 0)
            Plot(x, y, color, pen.width);
        if (!pattern.empty() && --left == 0)
        {
            run = (run + 1) % pattern.size();
            left = pattern[run];
        }
        const int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y += sy;
        }
    }
}

void QtCanvas::Text(int x, int y, std::string_view text, const LOGFONT& font, COLORREF color,
                    std::optional<COLORREF> background)
{
    const QtFont& resolved = QtFontCache::Get().Resolve(font);
    const int width = resolved.Width(text);
    if (background)
        FillRect(CRect(x, y, x + width, y + resolved.metrics.tmHeight), *background);
    if (text.empty() || m_image.isNull())
        return;
    QPainter painter(&m_image);
    painter.setClipRegion(ClipRegion());
    painter.setPen(QColor(ToQRgb(color)));
    const QPointF baseline(x, y + resolved.ascent);
    if (!resolved.raw.isValid())
    {
        painter.setFont(resolved.font);
        painter.drawText(baseline, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        return;
    }
    // Each glyph on the whole pixel its measured advance puts it at.
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(static_cast<qsizetype>(text.size()));
    positions.reserve(static_cast<qsizetype>(text.size()));
    int pen = 0;
    for (const char c : text)
    {
        const auto index = static_cast<unsigned char>(c);
        glyphs.append(resolved.glyph[index]);
        positions.append(QPointF(pen, 0));
        pen += resolved.advance[index];
    }
    QGlyphRun run;
    run.setRawFont(resolved.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(resolved.font.underline());
    run.setStrikeOut(resolved.font.strikeOut());
    painter.drawGlyphRun(baseline, run);
}

TEXTMETRIC QtCanvas::Metrics(const LOGFONT& font)
{
    return QtFontCache::Get().Resolve(font).metrics;
}

int QtCanvas::TextWidth(std::string_view text, const LOGFONT& font)
{
    return QtFontCache::Get().Resolve(font).Width(text);
}

void QtCanvas::InvertRect(const RECT& r)
{
    ForEachSpan(r,
                [&](int x0, int x1, int y)
                {
                    QRgb* row = Row(y);
                    for (int x = x0; x < x1; ++x)
                        row[x] ^= kColourBits;
                });
}

void QtCanvas::FocusRect(const RECT& r)
{
    CRect frame(r);
    frame.NormalizeRect();
    if (frame.IsRectEmpty())
        return;
    // Every other pixel of the outline inverted, starting at the top-left corner; each
    // pixel once, so that drawing it again takes it away.
    const auto invert = [&](int x, int y)
    {
        if (((x - frame.left) + (y - frame.top)) % 2 == 0 && Drawable(x, y))
            Row(y)[x] ^= kColourBits;
    };
    for (int x = frame.left; x < frame.right; ++x)
    {
        invert(x, frame.top);
        if (frame.bottom - 1 > frame.top)
            invert(x, frame.bottom - 1);
    }
    for (int y = frame.top + 1; y < frame.bottom - 1; ++y)
    {
        invert(frame.left, y);
        if (frame.right - 1 > frame.left)
            invert(frame.right - 1, y);
    }
}

void QtCanvas::SetPixel(int x, int y, COLORREF color)
{
    if (Drawable(x, y))
        Row(y)[x] = ToQRgb(color);
}

COLORREF QtCanvas::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return CLR_INVALID;
    return ToColorRef(m_image.pixel(x, y));
}

void QtCanvas::Blit(const RECT& dest, Canvas& source, POINT sourceOrigin, DWORD rop,
                    std::optional<COLORREF> transparent)
{
    auto* from = dynamic_cast<QtCanvas*>(&source);
    if (!from || from->m_image.isNull())
        return;
    CRect target(dest);
    target.NormalizeRect();
    // Copying within one image reads from a snapshot, so overlapping areas move intact.
    const QImage snapshot = from == this ? m_image.copy() : QImage();
    const QImage& pixels = from == this ? snapshot : from->m_image;
    const QRgb key = transparent ? (ToQRgb(*transparent) & kColourBits) : 0;
    ForEachSpan(target,
                [&](int x0, int x1, int y)
                {
                    const int sy = sourceOrigin.y + (y - target.top);
                    if (sy < 0 || sy >= pixels.height())
                        return;
                    const QRgb* in = reinterpret_cast<const QRgb*>(pixels.constScanLine(sy));
                    QRgb* out = Row(y);
                    for (int x = x0; x < x1; ++x)
                    {
                        const int sx = sourceOrigin.x + (x - target.left);
                        if (sx < 0 || sx >= pixels.width())
                            continue;
                        const QRgb s = in[sx];
                        if (transparent && (s & kColourBits) == key)
                            continue;
                        out[x] = ApplyRop(out[x], s, rop);
                    }
                });
}

std::unique_ptr<Canvas> QtCanvas::CreateCompatible(int width, int height)
{
    // A new bitmap starts black, as GDI's do.
    return std::make_unique<QtCanvas>(width, height, RGB(0, 0, 0));
}

} // namespace winlib::qt
