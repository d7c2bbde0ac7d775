// The flat splitter's layout pass (never a negative size), locked bars, and the pane sizes kept
// in the settings file: stored, missing and damaged values.
#include "base/UserSettings.h"
#include "holder/KTHolderFrame.h"
#include "support/ScopedTempDir.h"
#include "winlib/Cursors.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using Info = CSplitterWnd::CRowColInfo;

std::vector<int> Lay(std::vector<Info> info, int size, int gap = 5)
{
    CFlatSplitterWnd::LayoutFlat(info, size, gap);
    std::vector<int> sizes;
    for (const Info& one : info)
        sizes.push_back(one.nCurSize);
    return sizes;
}

Info Ideal(int ideal, int minimum = 0)
{
    Info info;
    info.nIdealSize = ideal;
    info.nMinSize = minimum;
    return info;
}

TEST(FlatLayoutTest, IdealSizesFirstTheLastTakesTheRestLessTheGaps)
{
    EXPECT_EQ(Lay({Ideal(100), Ideal(100)}, 400), (std::vector<int>{100, 295}));
    EXPECT_EQ(Lay({Ideal(100), Ideal(50), Ideal(7)}, 400), (std::vector<int>{100, 50, 240}));
    // An ideal below its minimum hides the pane; its gap stays.
    EXPECT_EQ(Lay({Ideal(20, 30), Ideal(0)}, 400), (std::vector<int>{0, 395}));
    // A pane larger than the room gets what is left; without room for the bar it stops 3 short.
    EXPECT_EQ(Lay({Ideal(1000), Ideal(0)}, 400), (std::vector<int>{397, 0}));
    // Less than the gap left: the pane before swallows it.
    EXPECT_EQ(Lay({Ideal(397), Ideal(0)}, 400), (std::vector<int>{397, 0}));
    // A later pane whose minimum does not fit gives what is left (and 2) to the one before.
    EXPECT_EQ(Lay({Ideal(300), Ideal(0, 200)}, 400), (std::vector<int>{397, 0}));
}

TEST(FlatLayoutTest, NoPaneIsEverLaidOutAtANegativeSize)
{
    const std::vector<int> ideals{-100000, -1, 0, 1, 3, 5, 7, 120, 32767, 2147483647};
    const std::vector<int> minimums{-50, 0, 4, 200};
    for (int size : {-40, 0, 1, 4, 6, 11, 250})
    {
        for (int a : ideals)
        {
            for (int b : ideals)
            {
                for (int m : minimums)
                {
                    for (int s : Lay({Ideal(a, m), Ideal(b, m), Ideal(0, m)}, size))
                        ASSERT_GE(s, 0) << "size " << size << " ideals " << a << "," << b << " min " << m;
                }
            }
        }
    }
}

class PaneSizesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_owner.CreateEx(0, "AfxWnd", "Owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 900, 600,
                                     nullptr, nullptr));
    }

    void Make(DWORD style, int panes = 3)
    {
        std::vector<sHOLDERFRAMECTRL> records(static_cast<std::size_t>(panes));
        for (int i = 0; i < panes; ++i)
        {
            records[static_cast<std::size_t>(i)].m_nKind = 3;
            records[static_cast<std::size_t>(i)].m_nCtrlId = static_cast<UINT>(700 + i);
        }
        m_frame = std::make_unique<CKTHolderFrame>();
        ASSERT_TRUE(m_frame->CreateHolderFrame(&m_owner, style, CRect(0, 0, 806, 406), records));
    }
    void Store(const std::string& key, std::string value)
    {
        std::string error;
        ASSERT_TRUE(
            ReadWriteSetting(SETTING_WRITE, kHolderSizeSection, key, value, GetUserSettingsPath(), error));
    }
    std::string Stored(const std::string& key)
    {
        std::string value;
        std::string error;
        ReadWriteSetting(SETTING_READ, kHolderSizeSection, key, value, GetUserSettingsPath(), error);
        return value;
    }
    int Width(int col)
    {
        int current = 0;
        int minimum = 0;
        m_frame->GetSplitter().GetColumnInfo(col, current, minimum);
        return current;
    }

    ScopedTempDir m_settings;
    ScopedEnv m_appData{"APPDATA", m_settings.Path().c_str()};
    winlib::testing::Driver m_driver;
    CWnd m_owner;
    std::unique_ptr<CKTHolderFrame> m_frame;
};

TEST_F(PaneSizesTest, AVerticalHolderTakesItsStoredWidthsAndSavesThemBack)
{
    Store("CWnd700", "250");
    Store("CWnd701", " 40 ");
    Make(HOLDER_VERTICAL);
    EXPECT_EQ(Width(0), 250);
    EXPECT_EQ(Width(1), 40);
    const int inside = 800 - 2; // the frame's double border and the splitter's own
    EXPECT_EQ(Width(2), inside - 250 - 40 - 10);

    m_frame->GetSplitter().SetColumnInfo(0, 180, 0);
    m_frame->GetSplitter().RecalcLayout();
    m_frame->SavePaneSizes();
    EXPECT_EQ(Stored("CWnd700"), "180");
    EXPECT_EQ(Stored("CWnd701"), "40");
    EXPECT_EQ(Stored("CWnd702"), std::to_string(Width(2)));
}

TEST_F(PaneSizesTest, MissingDamagedNegativeAndHugeSizesAreIgnored)
{
    Store("CWnd700", "-60");
    Store("CWnd701", "abc");
    Store("CWnd702", "99999999999");
    Make(HOLDER_VERTICAL);
    EXPECT_EQ(Width(0), 100);
    EXPECT_EQ(Width(1), 100);

    Store("CWnd700", "12px");
    Store("CWnd701", "40000");
    m_frame->LoadPaneSizes();
    EXPECT_EQ(Width(0), 100);
    EXPECT_EQ(Width(1), 100);
    // A stored 0 is a pane that was closed when the window went down: a start shows it again.
    Store("CWnd700", "0");
    m_frame->LoadPaneSizes();
    EXPECT_EQ(Width(0), 100);
}

TEST_F(PaneSizesTest, AHorizontalHolderStartsFromItsViewsEveryTimeAndASinglePaneStoresNothing)
{
    Store("CWnd700", "250");
    Make(HOLDER_HORIZONTAL);
    int height = 0;
    int minimum = 0;
    m_frame->GetSplitter().GetRowInfo(0, height, minimum);
    EXPECT_EQ(height, 100);

    Make(HOLDER_VERTICAL, 1);
    m_frame->SavePaneSizes();
    EXPECT_EQ(Stored("CWnd700"), "250");
}

TEST_F(PaneSizesTest, LockedBarsDoNotMoveAndLeaveTheLastRow36Pixels)
{
    Make(HOLDER_HORIZONTAL, 2);
    CFlatSplitterWnd& splitter = m_frame->GetSplitter();
    splitter.SetBarsMovable(FALSE);
    m_frame->SetWindowPos(nullptr, 0, 0, 806, 306, SWP_NOMOVE | SWP_NOZORDER);
    CRect client;
    splitter.GetClientRect(&client);
    EXPECT_EQ(splitter.GetRowIdeal(0), client.Height() - 36);

    int before = 0;
    int minimum = 0;
    splitter.GetRowInfo(0, before, minimum);
    const CPoint bar(100, 1 + before + 2);
    ::SetCursor(nullptr);
    m_driver.MouseMove(splitter.m_hWnd, bar);
    EXPECT_NE(GetCursor(), LoadCursor(nullptr, IDC_SIZENS));
    m_driver.Drag(splitter.m_hWnd, bar, CPoint(100, 40));
    int after = 0;
    splitter.GetRowInfo(0, after, minimum);
    EXPECT_EQ(after, before);

    splitter.SetBarsMovable(TRUE);
    splitter.SetRowInfo(0, before, 0); // the lock's minimum goes with it
    m_driver.MouseMove(splitter.m_hWnd, bar);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_SIZENS));
    m_driver.Drag(splitter.m_hWnd, bar, CPoint(100, 40));
    splitter.GetRowInfo(0, after, minimum);
    EXPECT_EQ(after, 40 - 2 - 1);
}

} // namespace
