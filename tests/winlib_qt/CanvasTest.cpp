// The Qt backend's canvases on their own: lines, clipping, blits, resizing, and the fonts
// and text metrics that layouts rely on.
#include "QtTestSupport.h"

#include <climits>
#include <cstring>
#include <memory>
#include <string>
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
    static std::unique_ptr<Canvas> Make(int width, int height, COLORREF fill = kWhite)
    {
        auto canvas = winlib::GetBackend().CreateMemoryCanvas(width, height);
        canvas->SetClip(Region(CRect(0, 0, width, height)));
        canvas->FillRect(CRect(0, 0, width, height), fill);
        return canvas;
    }

    // The bounds of the pixels of one colour, and how many there are.
    static CRect Find(const Canvas& canvas, COLORREF color, int* count = nullptr)
    {
        CRect bounds(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        int n = 0;
        for (int y = 0; y < canvas.Height(); ++y)
        {
            for (int x = 0; x < canvas.Width(); ++x)
            {
                if (canvas.GetPixel(x, y) != color)
                    continue;
                ++n;
                bounds = CRect(std::min<int>(bounds.left, x), std::min<int>(bounds.top, y),
                               std::max<int>(bounds.right, x + 1), std::max<int>(bounds.bottom, y + 1));
            }
        }
        if (count)
            *count = n;
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
        POINT from, to;
        PenSpec pen;
        std::vector<POINT> on, off;
    };
    const std::vector<Case> cases = {
        {"solid", {2, 5}, {10, 5}, {PS_SOLID, 1, kInk}, {{2, 5}, {9, 5}}, {{10, 5}, {1, 5}, {5, 4}}},
        {"backwards", {10, 5}, {2, 5}, {PS_SOLID, 1, kInk}, {{10, 5}, {3, 5}}, {{2, 5}}},
        {"diagonal", {0, 0}, {6, 6}, {PS_SOLID, 1, kInk}, {{0, 0}, {5, 5}}, {{6, 6}, {1, 0}}},
        {"dot", {2, 5}, {10, 5}, {PS_DOT, 1, kInk}, {{2, 5}, {4, 5}, {8, 5}}, {{3, 5}, {5, 5}, {9, 5}}},
        {"alternate", {3, 2}, {3, 9}, {PS_ALTERNATE, 1, kInk}, {{3, 2}, {3, 8}}, {{3, 3}, {3, 7}}},
        {"wide", {2, 5}, {10, 5}, {PS_SOLID, 3, kInk}, {{2, 4}, {9, 6}}, {{2, 3}, {2, 7}}},
        {"wide dotted is solid", {2, 5}, {10, 5}, {PS_DOT, 3, kInk}, {{3, 5}, {5, 4}}, {{2, 7}}},
        {"null pen", {2, 5}, {10, 5}, {PS_NULL, 1, kInk}, {}, {{2, 5}}},
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
    const LOGFONT font = Font("Tahoma", -14);
    auto source = Make(40, 30, RGB(1, 2, 3));
    const std::vector<std::pair<const char*, std::function<void(Canvas&)>>> operations = {
        {"fill", [](Canvas& c) { c.FillRect(CRect(0, 0, 40, 30), kInk); }},
        {"gradient", [](Canvas& c) { c.GradientRect(CRect(0, 0, 40, 30), kInk, 0, true); }},
        {"wide line",
         [](Canvas& c) {
             c.Line(POINT{0, 12}, POINT{40, 12}, PenSpec{PS_SOLID, 5, kInk});
         }},
        {"text", [&](Canvas& c) { c.Text(0, 5, "MMMMMMMMMMMM", font, kInk, RGB(0, 0, 0)); }},
        {"invert", [](Canvas& c) { c.InvertRect(CRect(0, 0, 40, 30)); }},
        {"focus", [](Canvas& c) { c.FocusRect(CRect(8, 8, 30, 20)); }},
        {"pixels",
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
    // Two pieces with a gap between them, as a parent around a child.
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
                if (!clip.Contains(POINT{x, y}))
                {
                    ASSERT_EQ(canvas->GetPixel(x, y), kWhite) << name << " at " << x << "," << y;
                }
                changed += canvas->GetPixel(x, y) != kWhite;
            }
        }
        EXPECT_GT(changed, 0) << name;
    }
}

TEST_F(QtCanvasTest, BlitsSkipTheTransparentColourMoveOverlapsIntactAndSurviveResizing)
{
    const COLORREF key = RGB(255, 0, 255);
    auto sprite = Make(10, 10, key);
    sprite->FillRect(CRect(3, 3, 7, 7), kInk);
    sprite->SetPixel(0, 9, RGB(254, 0, 255)); // one step off the key is copied
    auto canvas = Make(30, 30, RGB(0, 80, 0));
    canvas->Blit(CRect(10, 10, 20, 20), *sprite, POINT{0, 0}, SRCCOPY, key);
    int inked = 0;
    EXPECT_EQ(Find(*canvas, kInk, &inked), CRect(13, 13, 17, 17));
    EXPECT_EQ(inked, 16);
    EXPECT_EQ(canvas->GetPixel(10, 19), RGB(254, 0, 255));
    EXPECT_EQ(canvas->GetPixel(10, 10), RGB(0, 80, 0));

    // XOR with the sprite: the key's bits flip what lies beneath.
    canvas->Blit(CRect(0, 0, 10, 10), *sprite, POINT{0, 0}, SRCINVERT, std::nullopt);
    EXPECT_EQ(canvas->GetPixel(0, 0), RGB(0 ^ 255, 80, 0 ^ 255));

    // Within one canvas, scrolling a row right by three takes every pixel from the original.
    auto row = Make(20, 1);
    for (int x = 0; x < 20; ++x)
        row->SetPixel(x, 0, RGB(x * 10, 0, 0));
    row->Blit(CRect(3, 0, 20, 1), *row, POINT{0, 0}, SRCCOPY, std::nullopt);
    for (int x = 3; x < 20; ++x)
        EXPECT_EQ(row->GetPixel(x, 0), RGB((x - 3) * 10, 0, 0)) << x;

    // Resizing keeps what fits; what it adds is black, as a new bitmap is.
    row->Resize(22, 2);
    EXPECT_EQ(row->GetPixel(19, 0), RGB(160, 0, 0));
    EXPECT_EQ(row->GetPixel(21, 1), RGB(0, 0, 0));
    EXPECT_EQ(row->GetPixel(22, 0), CLR_INVALID);
}

TEST_F(QtCanvasTest, FontHeightsBeyondAnyScreenAreTakenAsTheLargestOne)
{
    auto canvas = Make(80, 30);
    const TEXTMETRIC largest = canvas->Metrics(Font("Tahoma", -4096));
    for (const LONG height : {static_cast<LONG>(-2147483647 - 1), static_cast<LONG>(-533333333)})
        EXPECT_EQ(canvas->Metrics(Font("Tahoma", height)).tmHeight, largest.tmHeight) << height;
    // A cell height is found by shrinking the size until the font fits: from 4096, not from
    // two thousand million.
    EXPECT_LE(canvas->Metrics(Font("Tahoma", 2147483647)).tmHeight, 4096);
    const std::string longText(2000000, 'M');
    EXPECT_EQ(canvas->TextWidth(longText, Font("Tahoma", -4096)), 2147483647) << "saturates, not wraps";
}

TEST_F(QtCanvasTest, LogicalFontsMapToInstalledFacesSizesAndStyles)
{
    auto canvas = Make(80, 30);
    for (const char* face :
         {"MS Shell Dlg", "MS Shell Dlg 2", "MS Sans Serif", "Tahoma", "Segoe UI", "Arial"})
    {
        EXPECT_NE(canvas->TextWidth("iiii", Font(face, -12)), canvas->TextWidth("MMMM", Font(face, -12)))
            << face;
        EXPECT_EQ(canvas->TextWidth("Quantity", Font(face, -12)),
                  canvas->TextWidth("Quantity", Font("Tahoma", -12)));
    }
    // Widths add up, as layouts that measure word by word expect.
    EXPECT_EQ(canvas->TextWidth("Ham burg", Font("Arial", -13)),
              canvas->TextWidth("Ham", Font("Arial", -13)) + canvas->TextWidth(" burg", Font("Arial", -13)));
    for (const char* face : {"Courier", "Courier New", "Fixedsys", "Terminal"})
        EXPECT_EQ(canvas->TextWidth("iiii", Font(face, -12)), canvas->TextWidth("MMMM", Font(face, -12)))
            << face;

    // Negative: the character height; positive: the whole cell; zero: the 8-point default.
    const TEXTMETRIC character = canvas->Metrics(Font("Tahoma", -20));
    EXPECT_EQ(character.tmHeight - character.tmInternalLeading, 20);
    EXPECT_GT(character.tmHeight, 20);
    const TEXTMETRIC cell = canvas->Metrics(Font("Tahoma", 20));
    EXPECT_LE(cell.tmHeight, 20);
    EXPECT_GE(cell.tmHeight, 18);
    EXPECT_EQ(canvas->Metrics(Font("MS Shell Dlg", 0)).tmHeight,
              canvas->Metrics(Font("MS Shell Dlg", -11)).tmHeight);
    EXPECT_GT(canvas->TextWidth("Quantity", Font("Tahoma", -12, FW_BOLD)),
              canvas->TextWidth("Quantity", Font("Tahoma", -12)));

    // "H" has no descender: below the baseline only an underline leaves ink.
    LOGFONT underlined = Font("Arial", -16);
    underlined.lfUnderline = TRUE;
    const int baseline = 2 + canvas->Metrics(underlined).tmAscent;
    for (const bool underline : {false, true})
    {
        underlined.lfUnderline = underline;
        canvas->FillRect(CRect(0, 0, 80, 30), kWhite);
        canvas->Text(4, 2, "HHHH", underlined, kInk, std::nullopt);
        const CRect inked = Find(*canvas, kInk);
        EXPECT_EQ(inked.bottom > baseline, underline);
    }
}

} // namespace
} // namespace qttest
