// Where the terminal opens: its full size where the screen has room, inside the screen where not.
#include "host/MainFrame.h"

#include <gtest/gtest.h>

namespace
{

TEST(MainFrame, OpensAtItsFullSizeOnALargeScreenAndInsideASmallerOne)
{
    EXPECT_EQ(host::CMainFrame::InitialRect(SIZE{1920, 1080}), CRect(10, 10, 1690, 1030));
    EXPECT_EQ(host::CMainFrame::InitialRect(SIZE{1700, 1040}), CRect(10, 10, 1690, 1030));
    // A 1400 x 900 screen: the right edge and the log at the bottom stay in view.
    EXPECT_EQ(host::CMainFrame::InitialRect(SIZE{1400, 900}), CRect(10, 10, 1390, 890));
    // A screen smaller than any usable frame still gets one the layout can share out.
    EXPECT_EQ(host::CMainFrame::InitialRect(SIZE{200, 100}), CRect(10, 10, 330, 250));
}

} // namespace
