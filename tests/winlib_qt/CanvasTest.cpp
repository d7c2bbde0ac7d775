// The Qt backend's canvases on their own: lines, clipping, raster operations, masked
// blits, resizing and the text metrics that layouts rely on.
#include "QtTestSupport.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qttest
{
namespace
{

using winlib::Canvas;
using winlib::PenSpec;
using winlib::Region;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(10, 90, 200);

class QtCanvasTest : public QtWindowTest
{
protected:
    std::unique_ptr<Canvas> Make(int width, int height, COLORREF fill = kWhite)
    {
        auto canvas = winlib::GetBackend().CreateMemoryCanvas(width, height);
        canvas->SetClip(Region(CRect(0, 0, width, height)));
        canvas->FillRect(CRect(0, 0, width, height), fill);
        return canvas;
    }

    static std::vector<POINT> PixelsOf(const Canvas& canvas, COLORREF color)
    {
        std::vector<POINT> found;
        for (int y = 0; y < canvas.Height(); ++y)
        {
            for (int x = 0; x < canvas.Width(); ++x)
            {
                if (canvas.GetPixel(x, y) == color)
                    found.push_back(POINT{x, y});
            }
        }
        return found;
    }

    static CRect BoundsOf(const std::vector<POINT>& points)
    {
        CRect bounds(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        for (const POINT& p : points)
            bounds = CRect(std::min<int>(bounds.left, p.x), std::min<int>(bounds.top, p.y),
                           std::max<int>(bounds.right, p.x + 1), std::max<int>(bounds.bottom, p.y + 1));
        return bounds;
    }

    static LOGFONT Font(const char* face, LONG height, LONG weight = FW_NORMAL)
    {
        LOGFONT lf{};
        lf.lfHeight = height;
        lf.lfWeight = weight;
        std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        return lf;
    }
};

TEST_F(QtCanvasTest, LinesStopBeforeTheirEndAndFollowThePenStyle)
{
    struct Case
    {
        const char* name;
        POINT from;
        POINT to;
        PenSpec pen;
        std::vector<POINT> on;
        std::vector<POINT> off;
    };
    const std::vector<Case> cases = {
        {"solid", {2, 5}, {10, 5}, {PS_SOLID, 1, kInk}, {{2, 5}, {9, 5}}, {{10, 5}, {1, 5}, {5, 4}, {5, 6}}},
        {"backwards", {10, 5}, {2, 5}, {PS_SOLID, 1, kInk}, {{10, 5}, {3, 5}}, {{2, 5}}},
        {"vertical", {4, 1}, {4, 8}, {PS_SOLID, 1, kInk}, {{4, 1}, {4, 7}}, {{4, 8}}},
        {"diagonal", {0, 0}, {6, 6}, {PS_SOLID, 1, kInk}, {{0, 0}, {3, 3}, {5, 5}}, {{6, 6}, {1, 0}}},
        {"dot",
         {2, 5},
         {10, 5},
         {PS_DOT, 1, kInk},
         {{2, 5}, {4, 5}, {6, 5}, {8, 5}},
         {{3, 5}, {5, 5}, {7, 5}, {9, 5}}},
        {"alternate",
         {3, 2},
         {3, 9},
         {PS_ALTERNATE, 1, kInk},
         {{3, 2}, {3, 4}, {3, 8}},
         {{3, 3}, {3, 7}, {3, 9}}},
        {"wide", {2, 5}, {10, 5}, {PS_SOLID, 3, kInk}, {{2, 4}, {2, 6}, {9, 4}, {9, 6}}, {{2, 3}, {2, 7}}},
        {"wide dotted is solid", {2, 5}, {10, 5}, {PS_DOT, 3, kInk}, {{3, 5}, {5, 4}, {7, 6}}, {{2, 7}}},
        {"null pen", {2, 5}, {10, 5}, {PS_NULL, 1, kInk}, {}, {{2, 5}, {5, 5}}},
        {"empty", {5, 5}, {5, 5}, {PS_SOLID, 1, kInk}, {}, {{5, 5}}},
    };
    for (const Case& c : cases)
    {
        auto canvas = Make(16, 12);
        canvas->Line(c.from, c.to, c.pen);
        for (const POINT& p : c.on)
            EXPECT_EQ(canvas->GetPixel(p.x, p.y), kInk) << c.name << " at " << p.x << "," << p.y;
        for (const POINT& p : c.off)
            EXPECT_EQ(canvas->GetPixel(p.x, p.y), kWhite) << c.name << " at " << p.x << "," << p.y;
    }
}

TEST_F(QtCanvasTest, EveryOperationStaysInsideTheClip)
{
    LOGFONT font = Font("Tahoma", -14);
    auto source = Make(40, 30, RGB(1, 2, 3));
    const std::vector<std::pair<const char*, std::function<void(Canvas&)>>> operations = {
        {"fill", [](Canvas& c) { c.FillRect(CRect(0, 0, 40, 30), kInk); }},
        {"gradient", [](Canvas& c) { c.GradientRect(CRect(0, 0, 40, 30), kInk, RGB(0, 0, 0), false); }},
        {"line",
         [](Canvas& c) {
             c.Line(POINT{0, 12}, POINT{40, 12}, PenSpec{PS_SOLID, 1, kInk});
         }},
        {"wide line",
         [](Canvas& c) {
             c.Line(POINT{0, 12}, POINT{40, 12}, PenSpec{PS_SOLID, 5, kInk});
         }},
        {"text", [&](Canvas& c) { c.Text(0, 5, "MMMMMMMMMMMM", font, kInk, RGB(0, 0, 0)); }},
        {"invert", [](Canvas& c) { c.InvertRect(CRect(0, 0, 40, 30)); }},
        {"focus", [](Canvas& c) { c.FocusRect(CRect(8, 8, 30, 20)); }},
        {"pixel",
         [](Canvas& c)
         {
             for (int x = 0; x < 40; ++x)
                 c.SetPixel(x, 10, kInk);
         }},
        {"blit",
         [&](Canvas& c) {
             c.Blit(CRect(0, 0, 40, 30), *source, POINT{0, 0}, SRCCOPY, std::nullopt);
         }},
    };
    // Two pieces with a hole between them, as a parent without its child.
    Region clip(CRect(10, 8, 30, 20));
    clip.Subtract(CRect(15, 0, 20, 30));
    for (const auto& [name, draw] : operations)
    {
        auto canvas = Make(40, 30);
        canvas->SetClip(clip);
        draw(*canvas);
        int changed = 0;
        for (int y = 0; y < 30; ++y)
        {
            for (int x = 0; x < 40; ++x)
            {
                const bool inside = clip.Contains(POINT{x, y});
                if (!inside)
                    ASSERT_EQ(canvas->GetPixel(x, y), kWhite) << name << " at " << x << "," << y;
                else
                    changed += canvas->GetPixel(x, y) != kWhite;
            }
        }
        EXPECT_GT(changed, 0) << name;
    }
}

TEST_F(QtCanvasTest, XorOperationsUndoThemselves)
{
    auto canvas = Make(30, 20);
    canvas->GradientRect(CRect(0, 0, 30, 20), RGB(0, 50, 100), RGB(255, 128, 3), false);
    auto before = Make(30, 20);
    before->Blit(CRect(0, 0, 30, 20), *canvas, POINT{0, 0}, SRCCOPY, std::nullopt);

    canvas->InvertRect(CRect(3, 3, 20, 15));
    EXPECT_EQ(canvas->GetPixel(3, 3), before->GetPixel(3, 3) ^ 0x00FFFFFF);
    canvas->FocusRect(CRect(1, 1, 28, 18));
    canvas->FocusRect(CRect(1, 1, 28, 18));
    canvas->InvertRect(CRect(3, 3, 20, 15));
    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(canvas->GetPixel(x, y), before->GetPixel(x, y)) << x << "," << y;
    }
}

TEST_F(QtCanvasTest, MaskedBlitSkipsItsTransparentColour)
{
    const COLORREF key = RGB(255, 0, 255);
    auto sprite = Make(10, 10, key);
    sprite->FillRect(CRect(3, 3, 7, 7), kInk);
    sprite->SetPixel(0, 9, RGB(254, 0, 255)); // one step off the key is copied

    auto canvas = Make(30, 30, RGB(0, 80, 0));
    canvas->Blit(CRect(10, 10, 20, 20), *sprite, POINT{0, 0}, SRCCOPY, key);
    EXPECT_EQ(canvas->GetPixel(13, 13), kInk);
    EXPECT_EQ(canvas->GetPixel(16, 16), kInk);
    EXPECT_EQ(canvas->GetPixel(10, 10), RGB(0, 80, 0));
    EXPECT_EQ(canvas->GetPixel(12, 16), RGB(0, 80, 0));
    EXPECT_EQ(canvas->GetPixel(10, 19), RGB(254, 0, 255));
    EXPECT_EQ(PixelsOf(*canvas, key).size(), 0u);
    EXPECT_EQ(PixelsOf(*canvas, kInk).size(), 16u);
}

TEST_F(QtCanvasTest, BlitWithinOneCanvasMovesOverlappingPixelsIntact)
{
    auto canvas = Make(20, 4);
    for (int x = 0; x < 20; ++x)
        canvas->SetPixel(x, 1, RGB(x * 10, 0, 0));
    // Scrolling right by three: each pixel must come from the original row.
    canvas->Blit(CRect(3, 1, 20, 2), *canvas, POINT{0, 1}, SRCCOPY, std::nullopt);
    for (int x = 3; x < 20; ++x)
        EXPECT_EQ(canvas->GetPixel(x, 1), RGB((x - 3) * 10, 0, 0)) << x;
    EXPECT_EQ(canvas->GetPixel(2, 1), RGB(20, 0, 0));
}

TEST_F(QtCanvasTest, ResizeKeepsWhatFitsAndGradientsKeepExactEnds)
{
    auto canvas = Make(10, 10, kInk);
    canvas->Resize(14, 6);
    EXPECT_EQ(canvas->Width(), 14);
    EXPECT_EQ(canvas->Height(), 6);
    EXPECT_EQ(canvas->GetPixel(9, 5), kInk);
    EXPECT_EQ(canvas->GetPixel(10, 0), RGB(0, 0, 0)) << "new bitmap area is black, as GDI's";
    EXPECT_EQ(canvas->GetPixel(0, 6), CLR_INVALID);

    // One column or row: the start colour. Falling channels end exactly too.
    canvas->SetClip(Region(CRect(0, 0, 14, 6)));
    canvas->GradientRect(CRect(0, 0, 1, 6), RGB(7, 8, 9), RGB(200, 200, 200), false);
    EXPECT_EQ(canvas->GetPixel(0, 5), RGB(7, 8, 9));
    canvas->GradientRect(CRect(1, 0, 14, 6), RGB(255, 100, 3), RGB(0, 99, 250), true);
    EXPECT_EQ(canvas->GetPixel(1, 0), RGB(255, 100, 3));
    EXPECT_EQ(canvas->GetPixel(13, 5), RGB(0, 99, 250));

    auto empty = winlib::GetBackend().CreateMemoryCanvas(0, 0);
    empty->SetClip(Region(CRect(0, 0, 10, 10)));
    empty->FillRect(CRect(0, 0, 10, 10), kInk);
    EXPECT_EQ(empty->GetPixel(0, 0), CLR_INVALID);
}

TEST_F(QtCanvasTest, TextStaysInTheCellItsWidthIsMeasuredAs)
{
    for (const char* face : {"MS Shell Dlg", "Courier New"})
    {
        for (LONG height : {-11, -16, 20})
        {
            const LOGFONT font = Font(face, height);
            auto canvas = Make(200, 40);
            const std::string text = "Hamburg 42";
            canvas->Text(20, 5, text, font, kInk, std::nullopt);
            const TEXTMETRIC tm = canvas->Metrics(font);
            const int width = canvas->TextWidth(text, font);
            const CRect inked = BoundsOf(PixelsOf(*canvas, kInk));
            SCOPED_TRACE(std::string(face) + " " + std::to_string(height));
            EXPECT_GE(inked.left, 20);
            EXPECT_LE(inked.right, 20 + width);
            EXPECT_GT(inked.right, 20 + width - tm.tmMaxCharWidth);
            EXPECT_GE(inked.top, 5);
            EXPECT_LE(inked.bottom, 5 + tm.tmHeight);
            EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
            // Widths add up, as layouts that measure word by word expect.
            EXPECT_EQ(width, canvas->TextWidth("Hamburg", font) + canvas->TextWidth(" 42", font));
        }
    }
}

TEST_F(QtCanvasTest, LogicalFontsMapToInstalledFacesAndSizes)
{
    auto canvas = Make(1, 1);
    // Dialog faces are proportional, the terminal faces monospaced.
    for (const char* face :
         {"MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif", "Tahoma", "Segoe UI", "Arial"})
    {
        const LOGFONT font = Font(face, -12);
        EXPECT_NE(canvas->TextWidth("iiii", font), canvas->TextWidth("MMMM", font)) << face;
        EXPECT_EQ(canvas->TextWidth("Quantity", font), canvas->TextWidth("Quantity", Font("Tahoma", -12)))
            << face;
    }
    for (const char* face : {"Courier", "Courier New", "Fixedsys", "Terminal"})
    {
        const LOGFONT font = Font(face, -12);
        EXPECT_EQ(canvas->TextWidth("iiii", font), canvas->TextWidth("MMMM", font)) << face;
    }

    // Negative: the character height; positive: the whole cell; zero: the 8-point default.
    const TEXTMETRIC character = canvas->Metrics(Font("Tahoma", -20));
    EXPECT_GT(character.tmHeight, 20);
    EXPECT_EQ(character.tmHeight - character.tmInternalLeading, 20);
    const TEXTMETRIC cell = canvas->Metrics(Font("Tahoma", 20));
    EXPECT_LE(cell.tmHeight, 20);
    EXPECT_GE(cell.tmHeight, 18);
    const TEXTMETRIC standard = canvas->Metrics(Font("MS Shell Dlg", -11));
    EXPECT_EQ(canvas->Metrics(Font("MS Shell Dlg", 0)).tmHeight, standard.tmHeight);

    const LOGFONT bold = Font("Tahoma", -12, FW_BOLD);
    EXPECT_GT(canvas->TextWidth("Quantity", bold), canvas->TextWidth("Quantity", Font("Tahoma", -12)));
    EXPECT_EQ(canvas->Metrics(bold).tmWeight, FW_BOLD);
}

TEST_F(QtCanvasTest, UnderlineAndItalicChangeTheGlyphs)
{
    LOGFONT plain = Font("Arial", -16);
    LOGFONT underlined = plain;
    underlined.lfUnderline = TRUE;
    LOGFONT italic = plain;
    italic.lfItalic = TRUE;
    const TEXTMETRIC tm = Make(1, 1)->Metrics(plain);

    const auto draw = [&](const LOGFONT& font)
    {
        auto canvas = Make(80, 30);
        canvas->Text(4, 2, "HHHH", font, kInk, std::nullopt);
        return canvas;
    };
    // "H" has no descender: below the baseline only an underline leaves ink.
    const auto belowBaseline = [&](const Canvas& canvas)
    {
        int count = 0;
        for (const POINT& p : PixelsOf(canvas, kInk))
            count += p.y >= 2 + tm.tmAscent;
        return count;
    };
    EXPECT_EQ(belowBaseline(*draw(plain)), 0);
    EXPECT_GE(belowBaseline(*draw(underlined)), Make(1, 1)->TextWidth("HHHH", plain) - 2);

    // Slanted strokes: the top row of ink lies further right than in the upright face.
    const auto topLeft = [](const Canvas& canvas)
    {
        const std::vector<POINT> ink = PixelsOf(canvas, kInk);
        return ink.empty() ? -1 : static_cast<int>(ink.front().x);
    };
    EXPECT_GT(topLeft(*draw(italic)), topLeft(*draw(plain)));
}

} // namespace
} // namespace qttest
