// What windows paint on the Qt backend, read back pixel by pixel from the window images.
#include "QtTestSupport.h"
#include "support/ScopedTempDir.h"

#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>

namespace qttest
{
namespace
{

using winlib::qt::WindowPixel;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(220, 20, 10);
constexpr COLORREF kBlue = RGB(10, 30, 200);
constexpr COLORREF kGreen = RGB(0, 160, 40);

// Within one step per channel: the middle of a gradient may round either way.
bool Near(COLORREF a, COLORREF b)
{
    for (int shift : {0, 8, 16})
    {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 1)
            return false;
    }
    return true;
}

void Gradient(HDC hdc, const RECT& r, COLORREF from, COLORREF to, bool vertical)
{
    const auto vertex = [](LONG x, LONG y, COLORREF c)
    {
        return TRIVERTEX{x,
                         y,
                         static_cast<COLOR16>(GetRValue(c) << 8),
                         static_cast<COLOR16>(GetGValue(c) << 8),
                         static_cast<COLOR16>(GetBValue(c) << 8),
                         0};
    };
    TRIVERTEX v[2] = {vertex(r.left, r.top, from), vertex(r.right, r.bottom, to)};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(hdc, v, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

using QtPaintingTest = QtWindowTest;

TEST_F(QtPaintingTest, FillsAndGradientsLandOnExactlyTheirPixels)
{
    const COLORREF from = RGB(0, 200, 40);
    const COLORREF to = RGB(250, 10, 140);
    const auto paint = [&](HDC hdc)
    {
        Fill(hdc, CRect(0, 0, 200, 120), kWhite);
        Fill(hdc, CRect(10, 10, 40, 30), kRed);
        Gradient(hdc, CRect(70, 10, 171, 20), from, to, false); // 101 columns
        Gradient(hdc, CRect(10, 40, 20, 91), from, to, true);   // 51 rows
    };
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(100, 80, 300, 200), Painter(paint));
    winlib::PumpPending();

    // Left and top inclusive, right and bottom exclusive.
    EXPECT_EQ(WindowPixel(hwnd, 10, 10), kRed);
    EXPECT_EQ(WindowPixel(hwnd, 39, 29), kRed);
    EXPECT_EQ(WindowPixel(hwnd, 40, 29), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 39, 30), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 9, 10), kWhite);

    // Exact end colours in the first and last column or row, half way in the middle.
    EXPECT_EQ(WindowPixel(hwnd, 70, 10), from);
    EXPECT_EQ(WindowPixel(hwnd, 170, 19), to);
    EXPECT_TRUE(Near(WindowPixel(hwnd, 120, 15), RGB(125, 105, 90)))
        << std::hex << WindowPixel(hwnd, 120, 15);
    EXPECT_EQ(WindowPixel(hwnd, 120, 10), WindowPixel(hwnd, 120, 19));
    EXPECT_EQ(WindowPixel(hwnd, 171, 15), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 10, 40), from);
    EXPECT_EQ(WindowPixel(hwnd, 19, 90), to);
    EXPECT_TRUE(Near(WindowPixel(hwnd, 15, 65), RGB(125, 105, 90))) << std::hex << WindowPixel(hwnd, 15, 65);
    EXPECT_EQ(WindowPixel(hwnd, 15, 91), kWhite);

    EXPECT_EQ(WindowPixel(hwnd, 200, 0), CLR_INVALID);
    EXPECT_EQ(WindowPixel(hwnd, -1, 0), CLR_INVALID);
}

TEST_F(QtPaintingTest, ACheckedBoxShowsTheClassicTickWithAPointedBottom)
{
    // A 13-pixel box: a 2-pixel sunken edge around 9 x 9 of window colour, the 7 x 7 tick centred.
    const auto paint = [](HDC hdc)
    {
        Fill(hdc, CRect(0, 0, 40, 40), GetSysColor(COLOR_BTNFACE));
        RECT box{10, 10, 23, 23};
        DrawFrameControl(hdc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    };
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 40), Painter(paint));
    winlib::PumpPending();

    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    std::string tick;
    for (int y = 13; y < 20; ++y)
    {
        for (int x = 13; x < 20; ++x)
            tick += WindowPixel(hwnd, x, y) == ink ? '#' : '.';
        tick += '\n';
    }
    EXPECT_EQ(tick, "......#\n"
                    ".....##\n"
                    "#...###\n"
                    "##.###.\n"
                    "#####..\n"
                    ".###...\n"
                    "..#....\n");
    EXPECT_EQ(WindowPixel(hwnd, 12, 12), GetSysColor(COLOR_WINDOW)) << "the box's inside around the tick";
}

TEST_F(QtPaintingTest, FocusRectangleIsDottedAndDrawingItAgainTakesItAway)
{
    const auto paint = [](HDC hdc)
    {
        Fill(hdc, CRect(0, 0, 80, 60), kWhite);
        const RECT once{10, 10, 30, 20};
        const RECT twice{40, 30, 70, 50};
        DrawFocusRect(hdc, &once);
        DrawFocusRect(hdc, &twice);
        DrawFocusRect(hdc, &twice);
    };
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 60), Painter(paint));
    winlib::PumpPending();

    // Every other pixel of the outline, from the top-left corner on; white inverts to black.
    const auto dotted = [](int x, int y) { return (x + y) % 2 == 0 ? kBlack : kWhite; };
    for (int x = 10; x < 30; ++x)
    {
        EXPECT_EQ(WindowPixel(hwnd, x, 10), dotted(x, 10)) << x;
        EXPECT_EQ(WindowPixel(hwnd, x, 19), dotted(x, 19)) << x;
    }
    for (int y = 11; y < 19; ++y)
    {
        EXPECT_EQ(WindowPixel(hwnd, 10, y), dotted(10, y)) << y;
        EXPECT_EQ(WindowPixel(hwnd, 29, y), dotted(29, y)) << y;
        EXPECT_EQ(WindowPixel(hwnd, 20, y), kWhite) << y;
    }
    for (int y = 30; y < 50; ++y)
    {
        for (int x = 40; x < 70; ++x)
            ASSERT_EQ(WindowPixel(hwnd, x, y), kWhite) << x << "," << y;
    }
}

TEST_F(QtPaintingTest, TextIsDrawnInItsColourInsideItsCellOnly)
{
    const COLORREF ink = RGB(200, 0, 30);
    const COLORREF paper = RGB(255, 240, 0);
    SIZE cell{};
    const auto paint = [&](HDC hdc)
    {
        Fill(hdc, CRect(0, 0, 160, 80), kWhite);
        SetTextColor(hdc, ink);
        SetBkMode(hdc, TRANSPARENT);
        TextOut(hdc, 12, 8, "Hamburg", 7);
        SetBkMode(hdc, OPAQUE);
        SetBkColor(hdc, paper);
        TextOut(hdc, 12, 40, "Hamburg", 7);
        GetTextExtentPoint32(hdc, "Hamburg", 7, &cell);
    };
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 160, 80), Painter(paint));
    winlib::PumpPending();
    ASSERT_GT(cell.cx, 20);

    const CRect clear(CPoint(12, 8), cell);
    const CRect opaque(CPoint(12, 40), cell);
    int inked = 0;
    int rightmost = 0;
    for (int y = 0; y < 80; ++y)
    {
        for (int x = 0; x < 160; ++x)
        {
            const COLORREF p = WindowPixel(hwnd, x, y);
            if (clear.PtInRect(CPoint(x, y)))
            {
                inked += p == ink;
                rightmost = p == ink ? std::max(rightmost, x) : rightmost;
            }
            else if (opaque.PtInRect(CPoint(x, y)))
                ASSERT_TRUE(p == ink || p == paper) << x << "," << y;
            else
                ASSERT_EQ(p, kWhite) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 30);
    EXPECT_GT(rightmost, clear.right - 6) << "the measured width is the width drawn";
    EXPECT_EQ(WindowPixel(hwnd, opaque.left, opaque.top), paper);
    EXPECT_EQ(WindowPixel(hwnd, opaque.right - 1, opaque.bottom - 1), paper);
}

TEST_F(QtPaintingTest, ChildWindowIsLeftOutOfItsParentsPainting)
{
    int parentPaints = 0;
    int childPaints = 0;
    const HWND parent = MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(50, 50, 250, 150),
                                   Painter(
                                       [&](HDC hdc)
                                       {
                                           ++parentPaints;
                                           Fill(hdc, CRect(0, 0, 200, 100), kRed);
                                       }));
    MakeWindow(WS_CHILD | WS_VISIBLE, CRect(20, 30, 80, 70),
               Painter(
                   [&](HDC hdc)
                   {
                       ++childPaints;
                       Fill(hdc, CRect(0, 0, 60, 40), kGreen);
                   }),
               parent);
    winlib::PumpPending();
    ASSERT_EQ(WindowPixel(parent, 25, 35), kGreen);

    // Only the parent paints again, and its fill cannot reach the child.
    InvalidateRect(parent, nullptr, TRUE);
    winlib::PumpPending();
    EXPECT_EQ(parentPaints, 2);
    EXPECT_EQ(childPaints, 1);
    EXPECT_EQ(WindowPixel(parent, 20, 30), kGreen);
    EXPECT_EQ(WindowPixel(parent, 79, 69), kGreen);
    EXPECT_EQ(WindowPixel(parent, 19, 30), kRed);
    EXPECT_EQ(WindowPixel(parent, 80, 69), kRed);
}

TEST_F(QtPaintingTest, PngHoldsTheWindowWithWhatWasStillToBePainted)
{
    ScopedTempDir dir;
    const auto paint = [](HDC hdc)
    {
        Fill(hdc, CRect(0, 0, 1000, 1000), kBlue);
        Fill(hdc, CRect(60, 20, 100, 50), kGreen);
    };
    const HWND hwnd = MakeWindow(WS_POPUP, CRect(30, 40, 130, 90), Painter(paint));
    ShowWindow(hwnd, SW_SHOW);
    const std::string path = dir / "window.png";
    ASSERT_TRUE(winlib::qt::SaveWindowPng(hwnd, path)); // not pumped: saving paints first
    QImage image(QString::fromStdString(path));
    EXPECT_EQ(image.size(), QSize(100, 50));
    EXPECT_EQ(image.pixel(0, 0), Rgb(kBlue));
    EXPECT_EQ(image.pixel(99, 49), Rgb(kGreen));
    EXPECT_EQ(image.pixel(59, 49), Rgb(kBlue));

    // A grown window: its image grows with it, and the new part is painted.
    SetWindowPos(hwnd, nullptr, 0, 0, 140, 70, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(winlib::qt::SaveWindowPng(hwnd, path));
    image.load(QString::fromStdString(path));
    EXPECT_EQ(image.size(), QSize(140, 70));
    EXPECT_EQ(image.pixel(139, 69), Rgb(kBlue));

    EXPECT_FALSE(winlib::qt::SaveWindowPng(nullptr, dir / "none.png"));
    EXPECT_FALSE(winlib::qt::SaveWindowPng(hwnd, dir / "missing-folder/window.png"));
}

TEST_F(QtPaintingTest, QtWindowShowsWhatWasPaintedOnceQtHasRepainted)
{
    COLORREF colour = kRed;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(120, 90, 180, 130),
                                 Painter([&](HDC hdc) { Fill(hdc, CRect(10, 5, 60, 40), colour); }));
    // What the window system holds of the Qt window: its backing store, offscreen.
    const auto shown = [hwnd](int x, int y)
    {
        QWidget* widget = WidgetOf(hwnd);
        const QImage screen = widget->screen()->grabWindow(widget->winId()).toImage();
        return screen.isNull() ? QRgb(0) : screen.pixel(x, y);
    };
    winlib::PumpPending();
    winlib::GetBackend().WaitForEvents(0);
    EXPECT_EQ(shown(10, 5), Rgb(kRed));

    colour = kBlue;
    const RECT part{30, 20, 60, 40};
    InvalidateRect(hwnd, &part, FALSE);
    winlib::PumpPending();
    winlib::GetBackend().WaitForEvents(0);
    EXPECT_EQ(shown(59, 39), Rgb(kBlue));
    EXPECT_EQ(shown(10, 5), Rgb(kRed));
}

} // namespace
} // namespace qttest
