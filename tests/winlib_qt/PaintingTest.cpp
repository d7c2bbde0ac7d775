// What windows paint on the Qt backend, read back pixel by pixel from the window images.
#include "QtTestSupport.h"
#include "support/ScopedTempDir.h"

#include <QImage>

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

int Channel(COLORREF c, int shift)
{
    return static_cast<int>((c >> shift) & 0xFF);
}

// Within one step of each channel: the middle of a gradient may round either way.
bool Near(COLORREF a, COLORREF b)
{
    for (int shift : {0, 8, 16})
    {
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > 1)
            return false;
    }
    return true;
}

void Gradient(HDC hdc, const RECT& r, COLORREF from, COLORREF to, bool vertical)
{
    TRIVERTEX v[2] = {
        {r.left, r.top, static_cast<COLOR16>(GetRValue(from) << 8),
         static_cast<COLOR16>(GetGValue(from) << 8), static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {r.right, r.bottom, static_cast<COLOR16>(GetRValue(to) << 8),
         static_cast<COLOR16>(GetGValue(to) << 8), static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT mesh{0, 1};
    GradientFill(hdc, v, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

using QtPaintingTest = QtWindowTest;

TEST_F(QtPaintingTest, FillsAndGradientsLandOnExactlyTheirPixels)
{
    const COLORREF from = RGB(0, 200, 40);
    const COLORREF to = RGB(250, 10, 140);
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(100, 80, 300, 200),
                                 Painter(
                                     [&](HDC hdc)
                                     {
                                         Fill(hdc, CRect(0, 0, 200, 120), kWhite);
                                         Fill(hdc, CRect(10, 10, 40, 30), kRed);
                                         Fill(hdc, CRect(40, 10, 60, 30), kBlue);
                                         Gradient(hdc, CRect(70, 10, 171, 20), from, to, false);
                                         Gradient(hdc, CRect(10, 40, 20, 91), from, to, true);
                                     }));
    ASSERT_NE(hwnd, nullptr);
    winlib::PumpPending();

    // Fills cover left/top inclusive, right/bottom exclusive.
    EXPECT_EQ(WindowPixel(hwnd, 10, 10), kRed);
    EXPECT_EQ(WindowPixel(hwnd, 39, 29), kRed);
    EXPECT_EQ(WindowPixel(hwnd, 40, 29), kBlue);
    EXPECT_EQ(WindowPixel(hwnd, 59, 10), kBlue);
    EXPECT_EQ(WindowPixel(hwnd, 60, 10), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 10, 30), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 9, 10), kWhite);

    // Horizontal: 101 columns, the ends exact, column 50 half way, every row alike.
    EXPECT_EQ(WindowPixel(hwnd, 70, 10), from);
    EXPECT_EQ(WindowPixel(hwnd, 170, 19), to);
    EXPECT_TRUE(Near(WindowPixel(hwnd, 120, 15), RGB(125, 105, 90)))
        << std::hex << WindowPixel(hwnd, 120, 15);
    EXPECT_EQ(WindowPixel(hwnd, 120, 10), WindowPixel(hwnd, 120, 19));
    EXPECT_EQ(WindowPixel(hwnd, 171, 15), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 69, 15), kWhite);

    // Vertical: 51 rows.
    EXPECT_EQ(WindowPixel(hwnd, 10, 40), from);
    EXPECT_EQ(WindowPixel(hwnd, 19, 90), to);
    EXPECT_TRUE(Near(WindowPixel(hwnd, 15, 65), RGB(125, 105, 90))) << std::hex << WindowPixel(hwnd, 15, 65);
    EXPECT_EQ(WindowPixel(hwnd, 10, 65), WindowPixel(hwnd, 19, 65));
    EXPECT_EQ(WindowPixel(hwnd, 15, 91), kWhite);

    // Out of the image.
    EXPECT_EQ(WindowPixel(hwnd, 200, 0), CLR_INVALID);
    EXPECT_EQ(WindowPixel(hwnd, -1, 0), CLR_INVALID);
}

TEST_F(QtPaintingTest, FocusRectangleIsDottedAndDrawingItAgainTakesItAway)
{
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 60),
                                 Painter(
                                     [](HDC hdc)
                                     {
                                         Fill(hdc, CRect(0, 0, 80, 60), kWhite);
                                         const RECT once{10, 10, 30, 20};
                                         DrawFocusRect(hdc, &once);
                                         const RECT twice{40, 30, 70, 50};
                                         DrawFocusRect(hdc, &twice);
                                         DrawFocusRect(hdc, &twice);
                                     }));
    winlib::PumpPending();

    // Every other pixel of each edge, the corners on; white inverts to black.
    for (int x = 10; x < 30; ++x)
    {
        const COLORREF expected = (x - 10) % 2 == 0 ? kBlack : kWhite;
        EXPECT_EQ(WindowPixel(hwnd, x, 10), expected) << "top " << x;
        EXPECT_EQ(WindowPixel(hwnd, x, 19), (x - 10 + 9) % 2 == 0 ? kBlack : kWhite) << "bottom " << x;
    }
    for (int y = 11; y < 19; ++y)
    {
        EXPECT_EQ(WindowPixel(hwnd, 10, y), (y - 10) % 2 == 0 ? kBlack : kWhite) << "left " << y;
        EXPECT_EQ(WindowPixel(hwnd, 29, y), (19 + y - 10) % 2 == 0 ? kBlack : kWhite) << "right " << y;
    }
    EXPECT_EQ(WindowPixel(hwnd, 20, 15), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 30, 10), kWhite);
    EXPECT_EQ(WindowPixel(hwnd, 10, 20), kWhite);

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
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 160, 80),
                                 Painter(
                                     [&](HDC hdc)
                                     {
                                         Fill(hdc, CRect(0, 0, 160, 80), kWhite);
                                         SetTextColor(hdc, ink);
                                         SetBkMode(hdc, TRANSPARENT);
                                         TextOut(hdc, 12, 8, "Hamburg", 7);
                                         SetBkMode(hdc, OPAQUE);
                                         SetBkColor(hdc, paper);
                                         TextOut(hdc, 12, 40, "Hamburg", 7);
                                         GetTextExtentPoint32(hdc, "Hamburg", 7, &cell);
                                     }));
    winlib::PumpPending();
    ASSERT_GT(cell.cx, 20);
    ASSERT_GT(cell.cy, 8);

    const CRect transparentCell(12, 8, 12 + cell.cx, 8 + cell.cy);
    const CRect opaqueCell(12, 40, 12 + cell.cx, 40 + cell.cy);
    int inked = 0;
    for (int y = 0; y < 80; ++y)
    {
        for (int x = 0; x < 160; ++x)
        {
            const COLORREF p = WindowPixel(hwnd, x, y);
            if (transparentCell.PtInRect(CPoint(x, y)))
            {
                inked += p == ink;
                ASSERT_TRUE(p == ink || p == kWhite) << x << "," << y;
            }
            else if (opaqueCell.PtInRect(CPoint(x, y)))
                ASSERT_TRUE(p == ink || p == paper) << x << "," << y;
            else
                ASSERT_EQ(p, kWhite) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 30);
    // The opaque cell is filled to its corners.
    EXPECT_EQ(WindowPixel(hwnd, opaqueCell.left, opaqueCell.top), paper);
    EXPECT_EQ(WindowPixel(hwnd, opaqueCell.right - 1, opaqueCell.bottom - 1), paper);
}

TEST_F(QtPaintingTest, ChildWindowIsLeftOutOfItsParentsPainting)
{
    int parentPaints = 0;
    const HWND parent = MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(50, 50, 250, 150),
                                   Painter(
                                       [&](HDC hdc)
                                       {
                                           ++parentPaints;
                                           Fill(hdc, CRect(0, 0, 200, 100), kRed);
                                       }));
    int childPaints = 0;
    const HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, CRect(20, 30, 80, 70),
                                  Painter(
                                      [&](HDC hdc)
                                      {
                                          ++childPaints;
                                          Fill(hdc, CRect(0, 0, 60, 40), kGreen);
                                      }),
                                  parent);
    ASSERT_NE(child, nullptr);
    winlib::PumpPending();
    ASSERT_EQ(WindowPixel(parent, 25, 35), kGreen);

    // Only the parent paints again; with WS_CLIPCHILDREN its fill cannot reach the child.
    InvalidateRect(parent, nullptr, TRUE);
    winlib::PumpPending();
    EXPECT_EQ(parentPaints, 2);
    EXPECT_EQ(childPaints, 1);
    EXPECT_EQ(WindowPixel(parent, 20, 30), kGreen);
    EXPECT_EQ(WindowPixel(parent, 79, 69), kGreen);
    EXPECT_EQ(WindowPixel(parent, 19, 30), kRed);
    EXPECT_EQ(WindowPixel(parent, 80, 69), kRed);
    // Pixels are read through any window of the tree.
    EXPECT_EQ(WindowPixel(child, 25, 35), kGreen);
}

TEST_F(QtPaintingTest, MemoryBitmapsBlitWithTheirRasterOperation)
{
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 60),
                                 Painter(
                                     [](HDC hdc)
                                     {
                                         Fill(hdc, CRect(0, 0, 100, 60), RGB(0x0F, 0xF0, 0x33));
                                         const HDC memory = CreateCompatibleDC(hdc);
                                         const HBITMAP bitmap = CreateCompatibleBitmap(hdc, 20, 20);
                                         const HGDIOBJ old = SelectObject(memory, bitmap);
                                         Fill(memory, CRect(0, 0, 20, 20), RGB(0xFF, 0x0F, 0x11));
                                         BitBlt(hdc, 10, 10, 20, 20, memory, 0, 0, SRCCOPY);
                                         BitBlt(hdc, 40, 10, 20, 20, memory, 0, 0, SRCINVERT);
                                         BitBlt(hdc, 70, 10, 20, 20, memory, 10, 10, SRCAND);
                                         SelectObject(memory, old);
                                         DeleteObject(bitmap);
                                         DeleteDC(memory);
                                     }));
    winlib::PumpPending();
    EXPECT_EQ(WindowPixel(hwnd, 10, 10), RGB(0xFF, 0x0F, 0x11));
    EXPECT_EQ(WindowPixel(hwnd, 29, 29), RGB(0xFF, 0x0F, 0x11));
    EXPECT_EQ(WindowPixel(hwnd, 30, 30), RGB(0x0F, 0xF0, 0x33));
    EXPECT_EQ(WindowPixel(hwnd, 45, 15), RGB(0x0F ^ 0xFF, 0xF0 ^ 0x0F, 0x33 ^ 0x11));
    // Only half the source lies beyond (10, 10): the rest of the target is left alone.
    EXPECT_EQ(WindowPixel(hwnd, 75, 15), RGB(0x0F & 0xFF, 0xF0 & 0x0F, 0x33 & 0x11));
    EXPECT_EQ(WindowPixel(hwnd, 85, 25), RGB(0x0F, 0xF0, 0x33));
}

TEST_F(QtPaintingTest, PngHoldsTheWindowWithWhatWasStillToBePainted)
{
    ScopedTempDir dir;
    const HWND hwnd = MakeWindow(WS_POPUP, CRect(30, 40, 130, 90),
                                 Painter(
                                     [](HDC hdc)
                                     {
                                         Fill(hdc, CRect(0, 0, 100, 50), kBlue);
                                         Fill(hdc, CRect(60, 20, 100, 50), kGreen);
                                     }));
    ShowWindow(hwnd, SW_SHOW);
    // Not pumped: saving paints first.
    const std::string path = dir / "window.png";
    ASSERT_TRUE(winlib::qt::SaveWindowPng(hwnd, path));
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(100, 50));
    EXPECT_EQ(image.pixel(0, 0), qRgb(GetRValue(kBlue), GetGValue(kBlue), GetBValue(kBlue)));
    EXPECT_EQ(image.pixel(99, 49), qRgb(GetRValue(kGreen), GetGValue(kGreen), GetBValue(kGreen)));
    EXPECT_EQ(image.pixel(59, 49), qRgb(GetRValue(kBlue), GetGValue(kBlue), GetBValue(kBlue)));

    EXPECT_FALSE(winlib::qt::SaveWindowPng(nullptr, dir / "none.png"));
    EXPECT_FALSE(winlib::qt::SaveWindowPng(hwnd, dir / "missing-folder/window.png"));
}

TEST_F(QtPaintingTest, ResizedWindowKeepsItsImageAndPaintsTheNewPart)
{
    int paints = 0;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 30),
                                 Painter(
                                     [&](HDC hdc)
                                     {
                                         ++paints;
                                         // The device context keeps it to the window.
                                         Fill(hdc, CRect(0, 0, 1000, 1000), paints == 1 ? kRed : kBlue);
                                     }));
    winlib::PumpPending();
    ASSERT_EQ(WindowPixel(hwnd, 39, 29), kRed);

    SetWindowPos(hwnd, nullptr, 0, 0, 70, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(WindowPixel(hwnd, 39, 29), kRed) << "the old image is kept until painted";
    EXPECT_EQ(WindowPixel(hwnd, 69, 49), GetSysColor(COLOR_BTNFACE));
    winlib::PumpPending();
    EXPECT_EQ(WindowPixel(hwnd, 69, 49), kBlue);
    EXPECT_EQ(WidgetOf(hwnd)->size(), QSize(70, 50));
}

} // namespace
} // namespace qttest
