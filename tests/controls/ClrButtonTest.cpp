// The colour button as it is drawn: its face and frame rings in the normal, pressed, default and
// focused states, the embossed label of a disabled button, and the font description label.
#include "controls/ClrButton.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace
{

constexpr COLORREF kText = RGB(10, 20, 30);
constexpr COLORREF kFace = RGB(200, 210, 220);
constexpr COLORREF kDisabledFace = RGB(90, 100, 110);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The colours of one ring's top, left, bottom and right sides as last filled; CLR_INVALID for a
// side nobody filled.
using Ring = std::array<COLORREF, 4>;
Ring Uniform(COLORREF color)
{
    return {color, color, color, color};
}
Ring Raised(COLORREF topLeft, COLORREF bottomRight)
{
    return {topLeft, topLeft, bottomRight, bottomRight};
}
Ring Unfilled()
{
    return Uniform(CLR_INVALID);
}

struct Frame
{
    std::vector<winlib::DrawOp> fills;
    std::vector<winlib::DrawOp> texts;
    int focusRects = 0;
    CRect focusRect;

    COLORREF LastFillOf(const CRect& rect) const
    {
        const auto found =
            std::find_if(fills.rbegin(), fills.rend(), [&](const auto& op) { return op.local == rect; });
        return found == fills.rend() ? CLR_INVALID : found->color;
    }

    // Ring 0 is the outermost pixel of 'client', ring 1 the one inside it ...
    Ring RingAt(CRect client, int ring) const
    {
        client.DeflateRect(ring, ring);
        return {LastFillOf(CRect(client.left, client.top, client.right - 1, client.top + 1)),
                LastFillOf(CRect(client.left, client.top, client.left + 1, client.bottom - 1)),
                LastFillOf(CRect(client.left, client.bottom - 1, client.right, client.bottom)),
                LastFillOf(CRect(client.right - 1, client.top, client.right, client.bottom))};
    }
};

class ClrButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "Parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200),
                                      nullptr, 0));
        ASSERT_TRUE(m_button.Create("Apply", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, CRect(10, 10, 110, 40),
                                    &m_parent, 100));
        m_parent.SetFocus();
        m_button.GetClientRect(&m_client);
    }

    Frame Paint()
    {
        m_driver.Pump();
        m_driver.ClearDrawing();
        m_button.Invalidate();
        m_driver.Pump();
        return Captured();
    }

    Frame Captured() const
    {
        Frame frame;
        for (const winlib::DrawOp& op : m_driver.Ops(m_button))
        {
            if (op.kind == winlib::DrawOp::Kind::Fill)
                frame.fills.push_back(op);
            else if (op.kind == winlib::DrawOp::Kind::Text)
                frame.texts.push_back(op);
            else if (op.kind == winlib::DrawOp::Kind::FocusRect)
            {
                ++frame.focusRects;
                frame.focusRect = op.local;
            }
        }
        return frame;
    }

    static COLORREF Sys(int index) { return GetSysColor(index); }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    CWnd m_parent;
    CClrButton m_button;
    CRect m_client;
};

TEST_F(ClrButtonTest, StartsWithTheSystemColoursAndIsOwnerDrawn)
{
    CClrButton fresh;
    EXPECT_EQ(fresh.GetTextColor(), Sys(COLOR_BTNTEXT));
    EXPECT_EQ(fresh.GetFontStyle(), -1);
    EXPECT_TRUE(fresh.GetFontName().empty() && fresh.GetFontSize().empty());

    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW) << "created as a plain push button";
    const Frame frame = Paint();
    EXPECT_EQ(frame.LastFillOf(m_client), Sys(COLOR_BTNFACE));
    ASSERT_EQ(frame.texts.size(), 1u);
    EXPECT_EQ(frame.texts[0].color, Sys(COLOR_BTNTEXT));

    m_driver.ClearDrawing();
    m_button.SetColors(kText, kFace);
    m_driver.Pump();
    EXPECT_EQ(Captured().LastFillOf(m_client), kFace) << "a colour change repaints";
    m_driver.ClearDrawing();
    m_button.ResetColors();
    m_driver.Pump();
    EXPECT_EQ(Captured().LastFillOf(m_client), Sys(COLOR_BTNFACE));
    EXPECT_EQ(m_button.GetTextColor(), Sys(COLOR_BTNTEXT));
}

TEST_F(ClrButtonTest, NormalStateIsTheFaceAndTheRaisedFrameWithTheLabelRaised)
{
    m_button.SetColors(kText, kFace);
    const Frame normal = Paint();
    EXPECT_EQ(normal.LastFillOf(m_client), kFace);
    EXPECT_EQ(normal.RingAt(m_client, 0), Raised(Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(normal.RingAt(m_client, 1), Raised(Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW)));
    EXPECT_EQ(normal.RingAt(m_client, 2), Unfilled()) << "nothing but the face inside the two rings";
    EXPECT_EQ(normal.focusRects, 0);
    ASSERT_EQ(normal.texts.size(), 1u);
    EXPECT_EQ(normal.texts[0].text, "Apply");
    EXPECT_EQ(normal.texts[0].color, kText);

    // Pressing shows the sunken rings and lets the label down by one pixel.
    m_driver.MouseDown(m_button, CPoint(50, 15));
    const Frame pressed = Paint();
    EXPECT_EQ(pressed.LastFillOf(m_client), kFace);
    EXPECT_EQ(pressed.RingAt(m_client, 0), Uniform(Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(pressed.RingAt(m_client, 1), Uniform(Sys(COLOR_BTNSHADOW)));
    ASSERT_EQ(pressed.texts.size(), 1u);
    EXPECT_EQ(pressed.texts[0].color, kText);
    EXPECT_EQ(pressed.texts[0].local.TopLeft(), normal.texts[0].local.TopLeft() + CPoint(1, 1));
    EXPECT_EQ(pressed.focusRects, 1) << "the press gave it the focus";
    CRect inset = m_client;
    inset.DeflateRect(4, 4);
    EXPECT_EQ(pressed.focusRect, inset);
    m_driver.MouseUp(m_button, CPoint(50, 15));
}

TEST_F(ClrButtonTest, DefaultOrFocusedAddsABlackRingOutsideTheRaisedFrame)
{
    m_button.SetColors(kText, kFace);
    m_button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW)
        << "becoming the default keeps the owner drawing";
    EXPECT_TRUE(m_button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);

    const Frame asDefault = Paint();
    EXPECT_EQ(asDefault.LastFillOf(m_client), kFace);
    EXPECT_EQ(asDefault.RingAt(m_client, 0), Uniform(kBlack));
    EXPECT_EQ(asDefault.RingAt(m_client, 1), Raised(Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(asDefault.RingAt(m_client, 2), Raised(Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW)));
    EXPECT_EQ(asDefault.focusRects, 0);

    m_button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(m_button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(Paint().RingAt(m_client, 0), Raised(Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW)));

    m_button.SetFocus();
    const Frame focused = Paint();
    EXPECT_EQ(focused.RingAt(m_client, 0), Uniform(kBlack));
    EXPECT_EQ(focused.RingAt(m_client, 1), Raised(Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(focused.focusRects, 1);
}

TEST_F(ClrButtonTest, ASubclassedDefaultButtonBecomesOwnerDrawnAndStaysDefault)
{
    m_button.DestroyWindow();
    const HWND plain =
        CreateWindowEx(0, "Button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 10, 10, 100, 30, m_parent,
                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(101)), nullptr, nullptr);
    ASSERT_TRUE(m_button.SubclassWindow(plain));
    EXPECT_EQ(m_button.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(Paint().RingAt(m_client, 0), Uniform(kBlack)) << "drawn by the colour button, as the default";
}

TEST_F(ClrButtonTest, ADisabledButtonIsEmbossedWithoutAFocusRectangle)
{
    m_button.SetColors(kText, kFace, kDisabledFace);
    m_button.EnableWindow(FALSE);
    m_button.SetFocus();
    ASSERT_EQ(CWnd::GetFocus(), &m_button) << "the focus state must reach the drawing";

    const Frame disabled = Paint();
    EXPECT_EQ(disabled.LastFillOf(m_client), kDisabledFace);
    EXPECT_EQ(disabled.focusRects, 0);
    ASSERT_EQ(disabled.texts.size(), 2u);
    EXPECT_EQ(disabled.texts[0].text, "Apply");
    EXPECT_EQ(disabled.texts[1].text, "Apply");
    EXPECT_EQ(disabled.texts[0].color, RGB(255, 255, 255));
    EXPECT_EQ(disabled.texts[1].color, RGB(0x80, 0x80, 0x80)) << "grey drawn last, on top";
    EXPECT_EQ(disabled.texts[1].local.TopLeft(), disabled.texts[0].local.TopLeft() - CPoint(1, 1));

    // The two-colour form gives the disabled face back to the system.
    m_button.SetColors(kText, kFace);
    EXPECT_EQ(Paint().LastFillOf(m_client), Sys(COLOR_BTNFACE));
}

TEST_F(ClrButtonTest, AFontDescriptionBecomesTheLabel)
{
    m_button.SetFontDescription("Arial", "10", 1);
    EXPECT_EQ(m_button.GetWindowText(), "Arial (Bold , 10)");
    EXPECT_EQ(m_button.GetFontName(), "Arial");
    EXPECT_EQ(m_button.GetFontSize(), "10");
    EXPECT_EQ(m_button.GetFontStyle(), 1);
    m_driver.Pump();
    EXPECT_EQ(m_driver.TextStrings(m_button), std::vector<std::string>{"Arial (Bold , 10)"}) << "repainted";

    m_button.SetFontDescription("Courier New", "12", -1);
    EXPECT_EQ(m_button.GetWindowText(), "Courier New (12)") << "no style: the size alone";
    EXPECT_EQ(m_button.GetFontStyle(), -1);

    for (const auto& [style, label] :
         {std::pair{2, "Tahoma (Italic , 8)"}, {3, "Tahoma (Bold Italic , 8)"}, {0, "Tahoma (Regular , 8)"}})
    {
        m_button.SetFontDescription("Tahoma", "8", style);
        EXPECT_EQ(m_button.GetWindowText(), label);
    }
    m_button.SetFontName("Times New Roman");
    m_button.SetFontSize("10");
    m_button.SetFontStyle(2);
    EXPECT_EQ(m_button.GetFontName(), "Times New Roman");
    EXPECT_EQ(m_button.GetWindowText(), "Tahoma (Regular , 8)") << "the setters leave the label alone";
}

TEST_F(ClrButtonTest, TheLabelIsCutAt512Characters)
{
    m_button.SetWindowText(std::string(600, 'w'));
    const Frame frame = Paint();
    ASSERT_EQ(frame.texts.size(), 1u);
    EXPECT_EQ(frame.texts[0].text, std::string(512, 'w'));
}

} // namespace
