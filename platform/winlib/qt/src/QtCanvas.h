// The canvas that paints real pixels: a 32-bit image, drawn on directly for fills,
// gradients, lines and raster operations (so that every pixel is exactly the colour GDI
// would give it) and through QPainter for text.
#pragma once

#include "winlib/Canvas.h"

#include <QImage>
#include <QRegion>

namespace winlib::qt
{

class QtCanvas : public Canvas
{
public:
    // 'background' fills the canvas at first and whatever a resize adds.
    QtCanvas(int width, int height, COLORREF background);

    int Width() const override { return m_image.width(); }
    int Height() const override { return m_image.height(); }
    void Resize(int width, int height) override;

    void SetClip(const Region& clip) override { m_clip = clip; }
    void FillRect(const RECT& r, COLORREF color) override;
    void GradientRect(const RECT& r, COLORREF from, COLORREF to, bool vertical) override;
    void Line(POINT from, POINT to, const PenSpec& pen) override;
    void Text(int x, int y, std::string_view text, const LOGFONT& font, COLORREF color,
              std::optional<COLORREF> background) override;
    TEXTMETRIC Metrics(const LOGFONT& font) override;
    int TextWidth(std::string_view text, const LOGFONT& font) override;
    void InvertRect(const RECT& r) override;
    void FocusRect(const RECT& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    COLORREF GetPixel(int x, int y) const override;
    void Blit(const RECT& dest, Canvas& source, POINT sourceOrigin, DWORD rop,
              std::optional<COLORREF> transparent) override;
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override;

    const QImage& Image() const { return m_image; }

private:
    // Calls f(x0, x1, y) for each run of pixels of 'r' that the clip and the canvas leave.
    template <typename F> void ForEachSpan(const RECT& r, F&& f);
    bool Drawable(int x, int y) const;
    QRgb* Row(int y) { return reinterpret_cast<QRgb*>(m_image.scanLine(y)); }
    QRegion ClipRegion() const;
    void Plot(int x, int y, QRgb color, int width);

    QImage m_image;
    Region m_clip;
    COLORREF m_background;
};

} // namespace winlib::qt
