// Painting as windows see it: erase and paint in order, parents before children,
// children clipped out of a parent that asks for it, text laid out by DrawText, and
// double buffering through memory contexts.
#include "winlib/Canvas.h"
#include "winlib/Wnd.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using winlib::DrawOp;

std::vector<std::string>* g_order = nullptr;

class PaintingWnd : public CWnd
{
public:
    PaintingWnd(std::string name, COLORREF color) : m_name(std::move(name)), m_color(color) {}
    std::string m_name;
    COLORREF m_color;
    std::function<void(CDC&, const CRect&)> m_draw;

protected:
    BOOL OnEraseBkgnd(CDC*) override
    {
        if (g_order)
            g_order->push_back(m_name + ":erase");
        return TRUE;
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        if (g_order)
            g_order->push_back(m_name + ":paint");
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, m_color);
        if (m_draw)
            m_draw(dc, client);
    }
};

class PaintTest : public ::testing::Test
{
protected:
    void SetUp() override { g_order = &m_order; }
    void TearDown() override { g_order = nullptr; }
    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    std::vector<std::string> m_order;
};

TEST_F(PaintTest, EraseComesBeforePaintAndParentsBeforeChildren)
{
    PaintingWnd parent("parent", RGB(255, 0, 0));
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    PaintingWnd first("first", RGB(0, 255, 0));
    PaintingWnd second("second", RGB(0, 0, 255));
    ASSERT_TRUE(first.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), &parent, 1));
    ASSERT_TRUE(second.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(100, 10, 150, 60), &parent, 2));
    m_driver.Pump();
    EXPECT_EQ(m_order, (std::vector<std::string>{"parent:erase", "parent:paint", "second:erase",
                                                 "second:paint", "first:erase", "first:paint"}))
        << "children from the bottom of the z-order up: the first created is on top and drawn last";

    m_order.clear();
    first.Invalidate(FALSE);
    m_driver.Pump();
    EXPECT_EQ(m_order, std::vector<std::string>{"first:paint"}) << "no erase asked, only the one window";

    m_order.clear();
    parent.Invalidate();
    m_driver.Pump();
    EXPECT_EQ(m_order, (std::vector<std::string>{"parent:erase", "parent:paint", "second:erase",
                                                 "second:paint", "first:erase", "first:paint"}))
        << "without WS_CLIPCHILDREN the children are repainted after their parent";
}

TEST_F(PaintTest, EnablingDisablingOrRefontingAWindowPaintsItsChildrenAgainWithIt)
{
    // A window is erased when it is enabled or disabled (or given a font to draw with at once);
    // what it erases over its children is theirs to paint again, or a dialog under a modal one
    // shows its background where its controls were.
    PaintingWnd parent("parent", RGB(255, 0, 0));
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    PaintingWnd child("child", RGB(0, 255, 0));
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), &parent, 1));
    m_driver.Pump();
    const std::vector<std::string> both{"parent:erase", "parent:paint", "child:erase", "child:paint"};
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { parent.EnableWindow(FALSE); }, [&] { parent.EnableWindow(TRUE); },
             [&] { parent.SendMessage(WM_SETFONT, 0, TRUE); }})
    {
        m_order.clear();
        change();
        m_driver.Pump();
        EXPECT_EQ(m_order, both);
    }
}

TEST_F(PaintTest, AParentWithClipChildrenDoesNotPaintOverItsChildren)
{
    PaintingWnd parent("parent", RGB(255, 0, 0));
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                CRect(0, 0, 100, 100), nullptr, 0));
    PaintingWnd child("child", RGB(0, 255, 0));
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(40, 40, 60, 60), &parent, 1));
    m_driver.Repaint();

    const std::vector<DrawOp> fills = m_driver.Fills(parent.m_hWnd);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].color, RGB(255, 0, 0));
    int covered = 0;
    for (const CRect& part : fills[0].visible)
    {
        EXPECT_TRUE((part & CRect(40, 40, 60, 60)).IsRectEmpty()) << "the child's area is left out";
        covered += part.Width() * part.Height();
    }
    EXPECT_EQ(covered, 100 * 100 - 20 * 20);

    const std::vector<DrawOp> childFills = m_driver.Fills(child.m_hWnd);
    ASSERT_EQ(childFills.size(), 1u);
    EXPECT_EQ(childFills[0].device, CRect(40, 40, 60, 60));
    EXPECT_EQ(childFills[0].local, CRect(0, 0, 20, 20)) << "in the child's own coordinates";
}

TEST_F(PaintTest, RedrawOffSuspendsPainting)
{
    PaintingWnd wnd("wnd", RGB(1, 2, 3));
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0));
    m_driver.Pump();
    m_order.clear();
    wnd.SetRedraw(FALSE);
    wnd.Invalidate();
    m_driver.Pump();
    EXPECT_TRUE(m_order.empty());
    wnd.SetRedraw(TRUE);
    wnd.Invalidate();
    m_driver.Pump();
    EXPECT_EQ(m_order, (std::vector<std::string>{"wnd:erase", "wnd:paint"}));
}

TEST_F(PaintTest, DrawTextAlignsClipsAndEndsWithAnEllipsis)
{
    PaintingWnd wnd("wnd", RGB(255, 255, 255));
    wnd.m_draw = [](CDC& dc, const CRect&)
    {
        dc.SetBkMode(TRANSPARENT);
        CRect left(0, 0, 120, 20);
        dc.DrawText(std::string("left"), &left, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        CRect right(0, 20, 120, 40);
        dc.DrawText(std::string("right"), &right, DT_RIGHT | DT_SINGLELINE);
        CRect centre(0, 40, 120, 60);
        dc.DrawText(std::string("mid"), &centre, DT_CENTER | DT_SINGLELINE);
        CRect narrow(0, 60, 40, 80);
        dc.SetTextColor(RGB(0, 0, 255));
        dc.DrawText(std::string("Maker Checker"), &narrow,
                    DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        CRect prefixed(0, 80, 120, 100);
        dc.DrawText(std::string("&Accept"), &prefixed, DT_LEFT | DT_SINGLELINE);
    };
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 120, 100), nullptr, 0));
    m_driver.Repaint();

    const std::vector<DrawOp> texts = m_driver.Texts(wnd.m_hWnd);
    ASSERT_EQ(texts.size(), 5u);
    // The headless text model: 6 x 13 pixels a character for the default font.
    EXPECT_EQ(texts[0].local, CRect(0, 3, 24, 16)) << "vertically centred in 20 pixels";
    EXPECT_EQ(texts[1].local.right, 120) << "right-aligned";
    EXPECT_EQ(texts[2].local.left, (120 - 18) / 2) << "centred";
    EXPECT_EQ(texts[3].text, "Mak...") << "cut to fit 40 pixels with the dots";
    EXPECT_EQ(texts[3].color, RGB(0, 0, 255));
    EXPECT_EQ(texts[4].text, "Accept") << "the prefix character is not drawn";
}

TEST_F(PaintTest, CalcRectMeasuresWithoutDrawing)
{
    PaintingWnd wnd("wnd", RGB(255, 255, 255));
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    CClientDC dc(&wnd);
    CRect r(0, 0, 0, 0);
    const int height = dc.DrawText(std::string("two\nlines"), &r, DT_CALCRECT);
    EXPECT_EQ(height, 26);
    EXPECT_EQ(r, CRect(0, 0, 30, 26));
    CRect wrap(0, 0, 40, 0);
    dc.DrawText(std::string("word wrap here"), &wrap, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(wrap.Height(), 39) << "three lines in 40 pixels";
    EXPECT_EQ(dc.GetTextExtent(std::string("abc")), CSize(18, 13));
}

TEST_F(PaintTest, DoubleBufferedPaintingReadsBackLikeDirectPainting)
{
    PaintingWnd wnd("wnd", RGB(255, 255, 255));
    wnd.m_draw = [](CDC& dc, const CRect& client)
    {
        CDC memory;
        memory.CreateCompatibleDC(&dc);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
        CBitmap* old = memory.SelectObject(&bitmap);
        memory.FillSolidRect(0, 0, client.Width(), client.Height(), RGB(0, 0, 0));
        memory.SetTextColor(RGB(0, 255, 0));
        memory.SetBkMode(TRANSPARENT);
        memory.TextOut(5, 5, std::string("buffered"));
        dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
        memory.SelectObject(old);
    };
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 30), nullptr, 0));
    m_driver.Repaint();
    const std::vector<DrawOp> texts = m_driver.Texts(wnd.m_hWnd);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "buffered");
    EXPECT_EQ(texts[0].color, RGB(0, 255, 0));
    EXPECT_EQ(texts[0].local.TopLeft(), CPoint(5, 5));
}

TEST_F(PaintTest, ShapesMapToFillsAndLines)
{
    PaintingWnd wnd("wnd", RGB(255, 255, 255));
    wnd.m_draw = [](CDC& dc, const CRect&)
    {
        dc.Draw3dRect(CRect(10, 10, 30, 30), RGB(255, 0, 0), RGB(0, 0, 255));
        CPen dotted(PS_ALTERNATE, 1, RGB(9, 9, 9));
        CPen* old = dc.SelectObject(&dotted);
        dc.MoveTo(0, 40);
        dc.LineTo(50, 40);
        dc.SelectObject(old);
        TRIVERTEX v[2] = {{0, 50, 0xE100, 0x7B00, 0x5200, 0}, {60, 60, 0xFF00, 0xA600, 0x3C00, 0}};
        GRADIENT_RECT g{0, 1};
        dc.GradientFill(v, 2, &g, 1, GRADIENT_FILL_RECT_H);
    };
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    m_driver.Repaint();
    std::vector<DrawOp> ops = m_driver.Ops(wnd.m_hWnd);
    ASSERT_EQ(ops.size(), 1u + 4u + 1u + 1u) << "background, four edges, a line, a gradient";
    EXPECT_EQ(ops[1].local, CRect(10, 10, 29, 11));
    EXPECT_EQ(ops[1].color, RGB(255, 0, 0));
    EXPECT_EQ(ops[3].local, CRect(29, 10, 30, 30)) << "the right edge, normalised from a negative width";
    EXPECT_EQ(ops[3].color, RGB(0, 0, 255));
    EXPECT_EQ(ops[5].kind, DrawOp::Kind::Line);
    EXPECT_EQ(ops[5].pen.style, PS_ALTERNATE);
    EXPECT_EQ(ops[5].local, CRect(0, 40, 50, 40)) << "a line keeps its end points";
    EXPECT_EQ(ops[6].kind, DrawOp::Kind::Gradient);
    EXPECT_EQ(ops[6].color, RGB(0xE1, 0x7B, 0x52));
    EXPECT_EQ(ops[6].color2, RGB(0xFF, 0xA6, 0x3C));
    EXPECT_FALSE(ops[6].vertical);
}

TEST(TextModel, FontHeightsBeyondAnyScreenAreTakenAsTheLargestOne)
{
    LOGFONT font{};
    font.lfHeight = -4096;
    const TEXTMETRIC largest = winlib::ModelTextMetrics(font);
    EXPECT_EQ(largest.tmHeight, 4096 + 4096 / 5);
    for (const LONG height : {static_cast<LONG>(-2147483647 - 1), static_cast<LONG>(-533333333)})
    {
        font.lfHeight = height;
        EXPECT_EQ(winlib::ModelTextMetrics(font).tmHeight, largest.tmHeight) << height;
    }
    font.lfHeight = 2147483647;
    EXPECT_EQ(winlib::ModelTextMetrics(font).tmHeight, 4096);
    EXPECT_EQ(winlib::ModelTextWidth(std::string(2000000, 'x'), font), 2147483647) << "saturates, not wraps";
}

} // namespace
