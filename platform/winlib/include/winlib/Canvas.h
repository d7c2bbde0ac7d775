// The surfaces that device contexts draw on. A canvas works in device pixels and is
// told its clip region before every operation; the device context does coordinate
// mapping, text layout and the choice of pen, brush and font.
//
// Three canvases exist: NullCanvas (headless, draws nothing, with a fixed text-metric
// model so that layouts are stable), RecordingCanvas (keeps every operation, while it is told
// to keep, so that tests and scripts can read back what was drawn) and the Qt canvas of the
// screen backend.
#pragma once

#include "winlib/Geometry.h"
#include "winlib/WinGdi.h"
#include "winlib/WinUser.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winlib
{

// A set of disjoint rectangles; enough for clipping windows against their children.
class Region
{
public:
    Region() = default;
    explicit Region(const RECT& r);

    bool IsEmpty() const { return m_rects.empty(); }
    const std::vector<CRect>& Rects() const { return m_rects; }
    CRect Bounds() const;
    bool Contains(POINT p) const;

    void Union(const RECT& r);
    void Subtract(const RECT& r);
    void Intersect(const RECT& r);
    void Intersect(const Region& other);
    void Offset(int dx, int dy);

private:
    std::vector<CRect> m_rects;
};

struct PenSpec
{
    UINT style = PS_SOLID; // PS_SOLID, PS_DOT, PS_ALTERNATE, PS_NULL ...
    int width = 1;
    COLORREF color = 0;
};

class Canvas
{
public:
    virtual ~Canvas() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Resize(int width, int height) = 0;

    // Who is drawing now and where that window's client origin lies on this canvas;
    // only the recording canvas uses it.
    virtual void SetSource(HWND window, POINT origin);

    virtual void SetClip(const Region& clip) = 0;
    virtual void FillRect(const RECT& r, COLORREF color) = 0;
    virtual void GradientRect(const RECT& r, COLORREF from, COLORREF to, bool vertical) = 0;
    // A line from 'from' up to, but not including, 'to'.
    virtual void Line(POINT from, POINT to, const PenSpec& pen) = 0;
    // Text whose cell starts at (x, y); 'background' paints the cell first (opaque mode).
    virtual void Text(int x, int y, std::string_view text, const LOGFONT& font, COLORREF color,
                      std::optional<COLORREF> background) = 0;
    virtual TEXTMETRIC Metrics(const LOGFONT& font) = 0;
    virtual int TextWidth(std::string_view text, const LOGFONT& font) = 0;
    virtual void InvertRect(const RECT& r) = 0;
    virtual void FocusRect(const RECT& r) = 0;
    virtual void SetPixel(int x, int y, COLORREF color) = 0;
    // CLR_INVALID when this canvas keeps no pixels.
    virtual COLORREF GetPixel(int x, int y) const = 0;
    // Copies from another canvas; pixels equal to 'transparent' are skipped.
    virtual void Blit(const RECT& dest, Canvas& source, POINT sourceOrigin, DWORD rop,
                      std::optional<COLORREF> transparent) = 0;
    // A new canvas of the same kind, for memory device contexts and bitmaps.
    virtual std::unique_ptr<Canvas> CreateCompatible(int width, int height) = 0;
};

// The fixed text-metric model of the headless canvases (see docs/architecture.md):
// a font of character height c (lfHeight = -c; 0 means the default 8-point font, c = 11)
// has cell height c + c/5; a positive lfHeight is the cell height itself. Every
// character is (cell * 6 + 6) / 13 pixels wide, so the default font is 6 x 13 pixels.
TEXTMETRIC ModelTextMetrics(const LOGFONT& font);
int ModelTextWidth(std::string_view text, const LOGFONT& font);

class NullCanvas : public Canvas
{
public:
    NullCanvas(int width, int height) : m_width(width), m_height(height) {}
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Resize(int width, int height) override
    {
        m_width = width;
        m_height = height;
    }
    void SetClip(const Region&) override {}
    void FillRect(const RECT&, COLORREF) override {}
    void GradientRect(const RECT&, COLORREF, COLORREF, bool) override {}
    void Line(POINT, POINT, const PenSpec&) override {}
    void Text(int, int, std::string_view, const LOGFONT&, COLORREF, std::optional<COLORREF>) override {}
    TEXTMETRIC Metrics(const LOGFONT& font) override { return ModelTextMetrics(font); }
    int TextWidth(std::string_view text, const LOGFONT& font) override { return ModelTextWidth(text, font); }
    void InvertRect(const RECT&) override {}
    void FocusRect(const RECT&) override {}
    void SetPixel(int, int, COLORREF) override {}
    COLORREF GetPixel(int, int) const override { return CLR_INVALID; }
    void Blit(const RECT&, Canvas&, POINT, DWORD, std::optional<COLORREF>) override {}
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override
    {
        return std::make_unique<NullCanvas>(width, height);
    }

private:
    int m_width;
    int m_height;
};

// One drawing operation as a test reads it back.
struct DrawOp
{
    enum class Kind
    {
        Fill,
        Gradient,
        Line,
        Text,
        Invert,
        FocusRect,
        Pixel,
        Blit
    };
    explicit DrawOp(Kind k = Kind::Fill) : kind(k) {}
    Kind kind;
    HWND window = nullptr;      // the window whose device context drew it (null: a memory DC)
    CRect device;               // on the canvas, clipped (the bounds of 'visible')
    std::vector<CRect> visible; // the parts on the canvas that the clip let through
    CRect full;                 // on the canvas, unclipped (a line: its end points, start then end)
    CRect local;                // 'full' in the drawing window's client coordinates
    COLORREF color = 0;         // fill, line, text or pixel colour; gradient start
    COLORREF color2 = 0;        // gradient end, or the opaque text background
    bool vertical = false;      // gradient direction
    bool opaque = false;        // text drawn with an opaque background
    std::string text;
    LOGFONT font{};
    PenSpec pen{};
    std::optional<COLORREF> transparent; // a blit's colour that was not copied
};

class RecordingCanvas : public Canvas
{
public:
    RecordingCanvas(int width, int height) : m_width(width), m_height(height) {}

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Resize(int width, int height) override;
    void SetSource(HWND window, POINT origin) override;
    void SetClip(const Region& clip) override { m_clip = clip; }
    void FillRect(const RECT& r, COLORREF color) override;
    void GradientRect(const RECT& r, COLORREF from, COLORREF to, bool vertical) override;
    void Line(POINT from, POINT to, const PenSpec& pen) override;
    void Text(int x, int y, std::string_view text, const LOGFONT& font, COLORREF color,
              std::optional<COLORREF> background) override;
    TEXTMETRIC Metrics(const LOGFONT& font) override { return ModelTextMetrics(font); }
    int TextWidth(std::string_view text, const LOGFONT& font) override { return ModelTextWidth(text, font); }
    void InvertRect(const RECT& r) override;
    void FocusRect(const RECT& r) override;
    void SetPixel(int x, int y, COLORREF color) override;
    COLORREF GetPixel(int, int) const override { return CLR_INVALID; }
    void Blit(const RECT& dest, Canvas& source, POINT sourceOrigin, DWORD rop,
              std::optional<COLORREF> transparent) override;
    std::unique_ptr<Canvas> CreateCompatible(int width, int height) override
    {
        return std::make_unique<RecordingCanvas>(width, height);
    }

    const std::vector<DrawOp>& Ops() const { return m_ops; }
    void Clear() { m_ops.clear(); }
    // Not keeping, operations are drawn into nothing and the record stays empty. A reader that
    // looks only now and then (a headless script) keeps only while it looks, so that the record
    // does not grow between its looks however long the program runs. Stopping drops the record.
    void SetKeeping(bool keeping);
    bool Keeping() const { return m_keeping; }

private:
    // Records an operation when any of it lies inside the clip; false when clipped away or not keeping.
    bool Record(DrawOp op, const RECT& full);

    int m_width;
    int m_height;
    Region m_clip;
    HWND m_source = nullptr;
    POINT m_origin{0, 0};
    bool m_keeping = true;
    std::vector<DrawOp> m_ops;
};

} // namespace winlib
