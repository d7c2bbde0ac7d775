// Anchoring: nothing without a parent, the arithmetic of every flag, the minimum size and shrinking
// below it.
#include "frame/ControlPos.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

namespace
{

class ControlPosTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, "AfxWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr));
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(m_controls[i].CreateEx(0, "AfxWnd", nullptr, WS_CHILD | WS_VISIBLE,
                                               CRect(10, 20, 110, 70), &m_parent,
                                               static_cast<UINT>(100 + i)));
    }
    void ResizeParent(int width, int height)
    {
        m_parent.SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        m_pos.RepositionControls();
    }
    CRect Place(int i)
    {
        CRect r;
        m_controls[i].GetWindowRect(&r);
        m_parent.ScreenToClient(&r);
        return r;
    }
    static CRect R(int l, int t, int r, int b) { return CRect(l, t, r, b); }

    winlib::testing::Driver m_driver;
    CWnd m_parent;
    CWnd m_controls[4];
    CControlPos m_pos;
};

#define EXPECT_RECT(actual, l, t, r, b)                                                                      \
    do                                                                                                       \
    {                                                                                                        \
        const CRect got = (actual);                                                                          \
        EXPECT_EQ(got.left, l);                                                                              \
        EXPECT_EQ(got.top, t);                                                                               \
        EXPECT_EQ(got.right, r);                                                                             \
        EXPECT_EQ(got.bottom, b);                                                                            \
    } while (false)

TEST_F(ControlPosTest, WithoutAParentNothingIsAddedAndNothingMoves)
{
    EXPECT_FALSE(m_pos.AddControl(&m_controls[0], ANCHOR_MOVE_X));
    EXPECT_FALSE(m_pos.AddControl(100u, ANCHOR_MOVE_X));
    EXPECT_FALSE(m_pos.RemoveControl(&m_controls[0]));
    m_parent.SetWindowPos(nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    m_pos.RepositionControls();
    EXPECT_RECT(Place(0), 10, 20, 110, 70);
}

TEST_F(ControlPosTest, EachFlagMovesItsEdgesAndSizeWithMoveMovesTheFarEdgeTwice)
{
    m_pos.AttachParent(&m_parent);
    EXPECT_FALSE(m_pos.AddControl(static_cast<CWnd*>(nullptr), ANCHOR_MOVE_X));
    EXPECT_TRUE(m_pos.AddControl(100u, ANCHOR_MOVE_X));
    EXPECT_TRUE(m_pos.AddControl(&m_controls[1], ANCHOR_SIZE_X | ANCHOR_SIZE_Y));
    EXPECT_TRUE(m_pos.AddControl(&m_controls[2], ANCHOR_MOVE_Y | ANCHOR_SIZE_Y));
    ResizeParent(450, 330);
    EXPECT_RECT(Place(0), 60, 20, 160, 70);
    EXPECT_RECT(Place(1), 10, 20, 160, 100);
    EXPECT_RECT(Place(2), 10, 50, 110, 130);
    EXPECT_RECT(Place(3), 10, 20, 110, 70); // not listed

    EXPECT_TRUE(m_pos.RemoveControl(100u));
    EXPECT_FALSE(m_pos.RemoveControl(100u));
    ResizeParent(400, 330);
    EXPECT_RECT(Place(0), 60, 20, 160, 70);
    EXPECT_RECT(Place(1), 10, 20, 110, 100);
}

TEST_F(ControlPosTest, BelowTheMinimumControlsStayUnlessShrinkingIsAllowed)
{
    m_pos.AttachParent(&m_parent);
    m_pos.SetReferenceParentSize(300, 300);
    ASSERT_TRUE(m_pos.AddControl(&m_controls[0], ANCHOR_MOVE_X));
    // The last size is 300 now; grow to 400 first, then shrink to 250 and grow back.
    ResizeParent(400, 300);
    EXPECT_RECT(Place(0), 110, 20, 210, 70);
    ResizeParent(250, 300);
    EXPECT_RECT(Place(0), 10, 20, 110, 70); // -100, not -150
    ResizeParent(400, 300);
    EXPECT_RECT(Place(0), 110, 20, 210, 70);

    m_pos.AllowShrinkBelowMinimum(TRUE);
    EXPECT_TRUE(m_pos.GetAllowShrinkBelowMinimum());
    ResizeParent(250, 300);
    EXPECT_RECT(Place(0), -40, 20, 60, 70);
}

} // namespace
