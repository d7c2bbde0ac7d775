// The repaint check (what the screen shows against a complete repaint), and the invalidation
// it guards: windows that are reparented, shown, grown or resized from outside paint what
// they must.
#include "QtTestSupport.h"

namespace qttest
{
namespace
{

using winlib::qt::CheckRepaint;
using winlib::qt::WindowPixel;

constexpr COLORREF kRed = RGB(220, 20, 10);
constexpr COLORREF kBlue = RGB(10, 30, 200);
constexpr COLORREF kGreen = RGB(0, 160, 40);
constexpr COLORREF kGrey = RGB(120, 120, 120);

Handler FillWith(const COLORREF& colour)
{
    return Painter(
        [&colour](HDC hdc)
        {
            RECT r{0, 0, 2000, 2000};
            Fill(hdc, r, colour);
        });
}

using QtRepaintCheckTest = QtWindowTest;

TEST_F(QtRepaintCheckTest, AChangeNobodyInvalidatedIsFoundInItsWindowAndRectangle)
{
    COLORREF back = kGrey;
    COLORREF panel = kRed;
    const HWND top =
        MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(100, 100, 400, 300), FillWith(back));
    const HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, CRect(50, 40, 150, 90), FillWith(panel), top);
    winlib::PumpPending();
    EXPECT_FALSE(CheckRepaint(top).has_value());

    // The state changes, and the window is told nothing.
    panel = kBlue;
    const auto difference = CheckRepaint(child);
    ASSERT_TRUE(difference.has_value());
    EXPECT_EQ(difference->topLevel, top);
    EXPECT_EQ(difference->window, child);
    EXPECT_EQ(CRect(difference->rect), CRect(50, 40, 150, 90));
    EXPECT_EQ(difference->pixels, 100 * 50);
    EXPECT_NE(difference->text.find("differs from a repaint in (50,40)-(150,90)"), std::string::npos)
        << difference->text;
    // The check leaves the screen as it was.
    EXPECT_EQ(WindowPixel(top, 60, 50), kRed);

    InvalidateRect(child, nullptr, TRUE);
    winlib::PumpPending();
    EXPECT_FALSE(CheckRepaint(top).has_value());
    EXPECT_EQ(WindowPixel(top, 60, 50), kBlue);
}

TEST_F(QtRepaintCheckTest, AMoveWithoutRedrawingLeavesStalePixelsTheCheckSees)
{
    const COLORREF back = kGrey;
    const COLORREF panel = kGreen;
    const HWND top =
        MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 300, 200), FillWith(back));
    const HWND child = MakeWindow(WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), FillWith(panel), top);
    winlib::PumpPending();

    SetWindowPos(child, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
    winlib::PumpPending();
    const auto difference = CheckRepaint(top);
    ASSERT_TRUE(difference.has_value());
    EXPECT_EQ(difference->window, top) << "the first stale pixel is where the child was";
    EXPECT_EQ(CRect(difference->rect), CRect(10, 10, 60, 60));

    // A move that redraws leaves nothing behind.
    SetWindowPos(child, nullptr, 150, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    winlib::PumpPending();
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_FALSE(CheckRepaint(top).has_value());
}

TEST_F(QtRepaintCheckTest, AReparentedOrShownPanelPaintsItsClippedChildren)
{
    const COLORREF back = kGrey;
    const COLORREF panel = kRed;
    const COLORREF button = kBlue;
    const HWND first =
        MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 300, 200), FillWith(back));
    const HWND second =
        MakeWindow(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(400, 0, 700, 200), FillWith(back));
    const HWND holder =
        MakeWindow(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(20, 20, 220, 120), FillWith(panel), first);
    MakeWindow(WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 30), FillWith(button), holder);
    winlib::PumpPending();
    ASSERT_EQ(WindowPixel(first, 35, 35), kBlue);

    // Into another top-level window: nothing of it is on that surface yet.
    SetParent(holder, second);
    winlib::PumpPending();
    EXPECT_EQ(WindowPixel(second, 35, 35), kBlue);
    EXPECT_EQ(WindowPixel(first, 35, 35), kGrey);
    EXPECT_FALSE(CheckRepaint(first).has_value());
    EXPECT_FALSE(CheckRepaint(second).has_value());

    // Hidden, moved while hidden, and shown again: children and all.
    ShowWindow(holder, SW_HIDE);
    SetWindowPos(holder, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    winlib::PumpPending();
    ShowWindow(holder, SW_SHOW);
    winlib::PumpPending();
    EXPECT_EQ(WindowPixel(second, 75, 75), kBlue);
    EXPECT_FALSE(CheckRepaint(second).has_value());

    // Shrunk until its child is clipped, then grown again: the child's part comes back.
    SetWindowPos(holder, nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER);
    winlib::PumpPending();
    SetWindowPos(holder, nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
    winlib::PumpPending();
    EXPECT_EQ(WindowPixel(second, 100, 75), kBlue);
    EXPECT_FALSE(CheckRepaint(second).has_value());
}

TEST_F(QtRepaintCheckTest, AToolWindowsCloseBoxShowsItsCross)
{
    const HWND tool = MakeWindow(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                 CRect(100, 100, 300, 200), nullptr, nullptr, WS_EX_TOOLWINDOW);
    winlib::PumpPending();
    RECT window{};
    GetWindowRect(tool, &window);
    // The close box is where the caption hit-tests as one; its cross is in the button text colour.
    int box = 0;
    int ink = 0;
    for (int y = window.top; y < window.top + 24; ++y)
    {
        for (int x = window.right - 30; x < window.right; ++x)
        {
            if (SendMessage(tool, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != HTCLOSE)
                continue;
            ++box;
            ink += WindowPixel(tool, x - window.left, y - window.top) == GetSysColor(COLOR_BTNTEXT);
        }
    }
    ASSERT_GT(box, 30);
    EXPECT_GE(ink, 6);
}

TEST_F(QtRepaintCheckTest, AWindowResizedFromOutsideTakesItsNewSize)
{
    const COLORREF back = kGreen;
    CSize sized;
    const HWND top = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(50, 50, 250, 150),
                                [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
                                {
                                    if (message == WM_SIZE)
                                        sized = CSize(LOWORD(lParam), HIWORD(lParam));
                                    return FillWith(back)(hwnd, message, wParam, lParam);
                                });
    winlib::PumpPending();
    ASSERT_TRUE(winlib::qt::ResizeFromOutside(top, 320, 240));
    winlib::PumpPending();
    CRect rect;
    GetWindowRect(top, &rect);
    EXPECT_EQ(rect, CRect(50, 50, 370, 290));
    EXPECT_EQ(sized, CSize(320, 240));
    EXPECT_EQ(WindowPixel(top, 319, 239), kGreen);
    EXPECT_FALSE(CheckRepaint(top).has_value());
    EXPECT_FALSE(winlib::qt::ResizeFromOutside(nullptr, 10, 10));
}

} // namespace
} // namespace qttest
