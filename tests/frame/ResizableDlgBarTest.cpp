// The resizable dialog bar: its stored size (good, damaged, missing, no settings file), sizes that
// ignore a squeeze to nothing, and the dynamic layout the docking frame and the mini-frame ask for.
#include "frame/ResizableDlgBar.h"
#include "support/BarTemplate.h"
#include "support/ScopedTempDir.h"
#include "winlib/Profile.h"
#include "winlib/Resources.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

constexpr UINT kBarTemplate = 9501;
constexpr UINT kBarId = 4321;

class ResizableDlgBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winlib::RegisterDialogTemplate(BarTemplate(kBarTemplate, 200, 100));
        ASSERT_TRUE(m_frame.Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW, CRect(0, 0, 1000, 800)));
        m_frame.EnableDocking(CBRS_ALIGN_ANY);
        m_frame.ShowWindow(SW_SHOW);
    }
    void MakeBar(BOOL keepInStep, UINT style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_SIZE_DYNAMIC)
    {
        ASSERT_TRUE(m_bar.Create("Sizes", &m_frame, FALSE, kBarTemplate, style, kBarId, keepInStep));
        m_bar.EnableDocking(CBRS_ALIGN_ANY);
    }
    void Store(const char* value)
    {
        ASSERT_TRUE(WritePrivateProfileString(CResizableDlgBar::kSection, "4321", value, m_file.c_str()));
    }
    static void ExpectSize(CSize size, int cx, int cy)
    {
        EXPECT_EQ(size.cx, cx);
        EXPECT_EQ(size.cy, cy);
    }

    ScopedTempDir m_dir;
    std::string m_file = m_dir / "UserSetting.ini";
    winlib::testing::Driver m_driver;
    CBCGPMDIFrameWnd m_frame;
    CResizableDlgBar m_bar;
};

TEST_F(ResizableDlgBarTest, StoredSizesAreTakenWholeOrNotAtAll)
{
    MakeBar(FALSE);
    m_bar.SetSettingsFile(m_file);
    Store("640,300");
    m_bar.LoadBarSize();
    ExpectSize(m_bar.GetCurrentSize(), 640, 300);
    ExpectSize(m_bar.GetDockedSize(), 640, 300);
    ExpectSize(m_bar.GetFloatingSize(), 640, 300);

    for (const char* damaged : {"0,200", "abc", "300", "200,-4"})
    {
        Store(damaged);
        m_bar.LoadBarSize();
        ExpectSize(m_bar.GetCurrentSize(), 640, 300);
        ExpectSize(m_bar.GetDockedSize(), 640, 300);
    }

    ASSERT_TRUE(WritePrivateProfileString(CResizableDlgBar::kSection, "4321", nullptr, m_file.c_str()));
    m_bar.LoadBarSize();
    ExpectSize(m_bar.GetCurrentSize(), 500, 27);
    ExpectSize(m_bar.GetFloatingSize(), 500, 27);

    m_bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 90));
    m_bar.SaveBarSize();
    char stored[32] = {};
    GetPrivateProfileString(CResizableDlgBar::kSection, "4321", "", stored, sizeof stored, m_file.c_str());
    EXPECT_STREQ(stored, "480,90");
}

TEST_F(ResizableDlgBarTest, WithoutASettingsFileNoFileIsTouched)
{
    MakeBar(FALSE);
    m_bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 90));
    m_bar.SaveBarSize();
    m_bar.LoadBarSize();
    ExpectSize(m_bar.GetCurrentSize(), 500, 27);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(ResizableDlgBarTest, ASizeChangeToNothingIsIgnored)
{
    MakeBar(FALSE);
    m_bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 90));
    m_bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 0));
    m_bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(0, 60));
    ExpectSize(m_bar.GetCurrentSize(), 480, 90);
}

TEST_F(ResizableDlgBarTest, DynamicLayoutFollowsTheDragAndTheFixedSizes)
{
    MakeBar(TRUE);
    m_bar.LoadBarSize(); // 500 x 27 everywhere
    ExpectSize(m_bar.CalcDynamicLayout(320, LM_HORZ), 320, 27);
    ExpectSize(m_bar.CalcDynamicLayout(150, LM_HORZ | LM_LENGTHY), 320, 150);
    ExpectSize(m_bar.GetDockedSize(), 320, 150); // kept in step
    ExpectSize(m_bar.CalcDynamicLayout(0, LM_HORZ | LM_HORZDOCK | LM_STRETCH), 32767, 150);
    ExpectSize(m_bar.CalcDynamicLayout(0, LM_VERTDOCK | LM_STRETCH), 320, 32767);
    m_bar.SetFixedHeight(40);
    ExpectSize(m_bar.CalcDynamicLayout(0, LM_MRUWIDTH), 320, 40);
    ExpectSize(m_bar.CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK), 320, 40);

    CResizableDlgBar apart;
    ASSERT_TRUE(apart.Create("Apart", &m_frame, FALSE, kBarTemplate, WS_CHILD | CBRS_TOP, kBarId + 1, FALSE));
    apart.LoadBarSize();
    apart.CalcDynamicLayout(320, LM_HORZ);
    ExpectSize(apart.GetDockedSize(), 500, 27);
}

TEST_F(ResizableDlgBarTest, TheFrameDocksItAtItsDynamicSizeAndTheMiniFrameTellsItTheDraggedSize)
{
    MakeBar(TRUE);
    m_bar.SetSettingsFile(m_file);
    Store("600,120");
    m_bar.LoadBarSize();
    // A floating height kept in step changes the docked one, not the bar's current size.
    m_bar.CalcDynamicLayout(80, LM_HORZ | LM_LENGTHY);
    m_frame.DockControlBar(&m_bar, CBRS_ALIGN_TOP);
    m_frame.RecalcLayout();
    CRect docked;
    m_bar.GetWindowRect(&docked);
    EXPECT_EQ(docked.Height(), 80);
    m_bar.CalcDynamicLayout(120, LM_HORZ | LM_LENGTHY);

    ASSERT_TRUE(m_bar.FloatControlBar(CRect()));
    CWnd* mini = m_bar.GetParentMiniFrame();
    ASSERT_NE(mini, nullptr);
    CRect client;
    mini->GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(600, 120));
    CRect window;
    mini->GetWindowRect(&window);
    mini->SetWindowPos(nullptr, 0, 0, window.Width() + 50, window.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
    ExpectSize(m_bar.GetFloatingSize(), 650, 150);
    ExpectSize(m_bar.GetDockedSize(), 650, 150);
}

} // namespace
