// Holder frames as pixels on the screen backend (offscreen): the caption bar's gradient, frame and
// text, the flat splitter bar between two panes, and the close button's glyph.
#include "controls/ClrButton.h"
#include "holder/HolderView.h"
#include "holder/KTHolderFrame.h"
#include "winlib_qt/QtTestSupport.h"

namespace
{

int Grey(COLORREF c)
{
    return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c) ? GetRValue(c) : -1;
}

class HolderPixelTest : public qttest::QtWindowTest
{
protected:
    void Make()
    {
        ASSERT_TRUE(m_top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 420, 320), nullptr, 0));
        std::vector<sHOLDERFRAMECTRL> panes(2);
        panes[0].m_nKind = HFC_LIST_CTRL;
        panes[0].m_nCtrlId = 10;
        panes[0].m_strCaption = "Upper";
        panes[1].m_nKind = HFC_LIST_CTRL;
        panes[1].m_nCtrlId = 11;
        panes[1].m_strCaption = "Lower";
        ASSERT_TRUE(m_frame.CreateHolderFrame(&m_top, HOLDER_HORIZONTAL, CRect(0, 0, 420, 320), panes));
        m_driver.Pump();
    }
    // A point of a window in the top-level window's coordinates.
    CPoint In(CWnd& wnd, int x, int y)
    {
        CPoint p(x, y);
        wnd.MapWindowPoints(&m_top, &p, 1);
        return p;
    }
    COLORREF Pixel(CWnd& wnd, int x, int y)
    {
        const CPoint p = In(wnd, x, y);
        return winlib::qt::WindowPixel(m_top.m_hWnd, p.x, p.y);
    }
    int Count(CWnd& wnd, const CRect& area, const std::function<bool(COLORREF)>& match)
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
        {
            for (int x = area.left; x < area.right; ++x)
                n += match(Pixel(wnd, x, y)) ? 1 : 0;
        }
        return n;
    }

    CWnd m_top;
    CKTHolderFrame m_frame;
};

TEST_F(HolderPixelTest, TheCaptionBarIsAFramedGreyGradientWithWhiteText)
{
    Make();
    CHolderView& view = *m_frame.GetPaneView(0);
    CRect client;
    view.GetClientRect(&client);
    const int barRight = client.right - CHolderView::kCloseButtonWidth;
    // The frame: highlight at the top and left, grey 7E at the bottom and right.
    EXPECT_EQ(Pixel(view, 40, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Pixel(view, 0, 8), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Pixel(view, 40, 16), RGB(126, 126, 126));
    EXPECT_EQ(Pixel(view, barRight - 1, 8), RGB(126, 126, 126));
    // Inside, the gradient runs from grey 7E at the top to the button shadow at the bottom.
    const int top = Grey(Pixel(view, barRight - 20, 1));
    const int bottom = Grey(Pixel(view, barRight - 20, 15));
    EXPECT_GE(top, 126);
    EXPECT_LE(top, bottom);
    EXPECT_LE(bottom, GetRValue(GetSysColor(COLOR_BTNSHADOW)));
    // The caption's text is white, at the left of the bar.
    EXPECT_GT(Count(view, CRect(1, 1, 60, 16), [](COLORREF c) { return c == RGB(255, 255, 255); }), 10);
    EXPECT_EQ(
        Count(view, CRect(120, 1, barRight - 2, 16), [](COLORREF c) { return c == RGB(255, 255, 255); }), 0);

    // The caption-colour message repaints the text in the colour given.
    view.SendMessage(WM_HOLDER_SET_CAPTION_COLOR, RGB(255, 0, 0));
    m_driver.Pump();
    EXPECT_GT(Count(view, CRect(1, 1, 60, 16), [](COLORREF c) { return c == RGB(255, 0, 0); }), 10);
}

TEST_F(HolderPixelTest, TheFlatBarIsButtonFaceBetweenOnePixelPaneFrames)
{
    Make();
    CFlatSplitterWnd& splitter = m_frame.GetSplitter();
    int upper = 0;
    int minimum = 0;
    splitter.GetRowInfo(0, upper, minimum);
    const int paneBottom = 1 + upper; // first row below the upper pane
    // The upper pane's frame: shadow at its top, highlight below it; then three pixels of bar.
    EXPECT_EQ(Pixel(splitter, 100, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(Pixel(splitter, 100, paneBottom), GetSysColor(COLOR_BTNHIGHLIGHT));
    for (int y = paneBottom + 1; y < paneBottom + 4; ++y)
        EXPECT_EQ(Pixel(splitter, 100, y), GetSysColor(COLOR_BTNFACE)) << y;
    EXPECT_EQ(Pixel(splitter, 100, paneBottom + 4), GetSysColor(COLOR_BTNSHADOW)); // the lower pane's frame
}

TEST_F(HolderPixelTest, TheCloseButtonShowsAnXAtTheCaptionsRightEnd)
{
    Make();
    CClrButton* button = m_frame.GetPaneView(0)->GetCloseButton();
    ASSERT_NE(button, nullptr);
    CRect face;
    button->GetClientRect(&face);
    face.DeflateRect(3, 3);
    const auto dark = [](COLORREF c) { return Grey(c) >= 0 && Grey(c) < 64; };
    EXPECT_GT(Count(*button, face, dark), 4);
    // The glyph is a cross: dark pixels on both diagonals' halves, left and right of the middle.
    const CPoint mid = face.CenterPoint();
    EXPECT_GT(Count(*button, CRect(face.left, face.top, mid.x, face.bottom), dark), 1);
    EXPECT_GT(Count(*button, CRect(mid.x, face.top, face.right, face.bottom), dark), 1);
}

} // namespace
