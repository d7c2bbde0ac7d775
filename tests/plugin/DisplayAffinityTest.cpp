// The screen-sharing policy of the dialog and dialog-bar bases, against the host's answers.
#include "TestHost.h"
#include "frame/KTBCGPDialog.h"
#include "frame/KTBCGPDialogBar.h"
#include "support/BarTemplate.h"
#include "winlib/Modules.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

constexpr UINT kDialogTemplate = 7301;
constexpr UINT kBarTemplate = 7302;

void RegisterTemplates()
{
    winlib::DialogTemplate dialog = BarTemplate(kDialogTemplate, 100, 40);
    dialog.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    dialog.caption = "Policy";
    dialog.items = {{"Button", "OK", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 20, 20, 50, 14}};
    winlib::RegisterDialogTemplate(dialog);
    winlib::DialogTemplate bar = BarTemplate(kBarTemplate, 200, 60);
    bar.items = {{"Button", "Go", 10, WS_VISIBLE | WS_TABSTOP, 0, 5, 5, 50, 14}};
    winlib::RegisterDialogTemplate(bar);
}

class DisplayAffinityTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterTemplates(); }

    int Calls(const std::string& name) const
    {
        return static_cast<int>(std::count(TestHost().calls.begin(), TestHost().calls.end(), name));
    }
    int AffinityChangesOn(HWND hwnd) const
    {
        int n = 0;
        for (const winlib::AffinityRecord& r : m_host.driver.Observed().affinityChanges)
            n += r.window == hwnd;
        return n;
    }
    // A dialog shown, hidden and shown again.
    void ShowHideShow(CKTBCGPDialog& dialog)
    {
        ASSERT_TRUE(dialog.Create(kDialogTemplate, &m_host.frame));
        dialog.ShowWindow(SW_SHOW);
        dialog.ShowWindow(SW_HIDE);
        dialog.ShowWindow(SW_SHOW);
    }
    BOOL CreateBar(CKTBCGPDialogBar& bar)
    {
        if (!bar.Create("Bar", &m_host.frame, TRUE, kBarTemplate, WS_CHILD | CBRS_TOP | CBRS_GRIPPER, 0x7302))
            return FALSE;
        bar.EnableDocking(CBRS_ALIGN_ANY);
        m_host.frame.DockControlBar(&bar);
        return TRUE;
    }

    PluginFixture m_host;
};

TEST_F(DisplayAffinityTest, AnOlderHostWithoutTheFunctionsLeavesAffinityAlone)
{
    for (const char* name : {"pu_GetDefaultScreenSharingStatus", "pu_GetScreenSharingStatus",
                             "pu_RegisterForWindowDisplayAffinity"})
        winlib::HideExport(name);
    CKTBCGPDialog dialog(kDialogTemplate, &m_host.frame);
    ShowHideShow(dialog);
    EXPECT_EQ(dialog.ApplyDisplayAffinity(), 1);
    CKTBCGPDialogBar bar;
    ASSERT_TRUE(CreateBar(bar));
    bar.ShowControlBar(TRUE, FALSE, FALSE);
    EXPECT_TRUE(m_host.driver.Observed().affinityChanges.empty());
    EXPECT_EQ(Calls("pu_GetDefaultScreenSharingStatus") + Calls("pu_GetScreenSharingStatus") +
                  Calls("pu_RegisterForWindowDisplayAffinity"),
              0);
}

TEST_F(DisplayAffinityTest, SharedByDefaultAsksNothingElse)
{
    TestHost().defaultSharing = 1;
    CKTBCGPDialog dialog(kDialogTemplate, &m_host.frame);
    ShowHideShow(dialog);
    EXPECT_GE(Calls("pu_GetDefaultScreenSharingStatus"), 2);
    EXPECT_EQ(Calls("pu_GetScreenSharingStatus"), 0);
    EXPECT_EQ(Calls("pu_RegisterForWindowDisplayAffinity"), 0);
    EXPECT_TRUE(m_host.driver.Observed().affinityChanges.empty());
}

TEST_F(DisplayAffinityTest, WhenSharingIsAllowedADialogResetsItsAffinityOnce)
{
    TestHost().defaultSharing = 0;
    TestHost().sharing = 1;
    CKTBCGPDialog dialog(kDialogTemplate, &m_host.frame);
    ShowHideShow(dialog);
    EXPECT_EQ(AffinityChangesOn(dialog.m_hWnd), 1);
    EXPECT_TRUE(dialog.m_bDisplayAffinityReset);
    EXPECT_EQ(m_host.driver.Observed().affinityChanges[0].affinity, WDA_NONE);
    EXPECT_EQ(Calls("pu_RegisterForWindowDisplayAffinity"), 0);
}

TEST_F(DisplayAffinityTest, WhenSharingIsAllowedABarResetsItsFrameOnEveryShowAndFloat)
{
    TestHost().defaultSharing = 0;
    TestHost().sharing = 1;
    CKTBCGPDialogBar bar;
    ASSERT_TRUE(CreateBar(bar));
    bar.ShowControlBar(TRUE, FALSE, FALSE);
    bar.ShowControlBar(FALSE, FALSE, FALSE);
    bar.ShowControlBar(TRUE, FALSE, FALSE);
    EXPECT_EQ(AffinityChangesOn(m_host.frame.m_hWnd), 2) << "its parent, the frame, at each show";

    CRect floating(200, 200, 500, 320);
    ASSERT_TRUE(bar.FloatControlBar(floating));
    CWnd* mini = bar.GetParent();
    ASSERT_NE(mini, &m_host.frame);
    EXPECT_GE(AffinityChangesOn(mini->m_hWnd), 1) << "after the float, the mini-frame that now carries it";
}

TEST_F(DisplayAffinityTest, WhenSharingIsNotAllowedEveryShowRegistersWithTheHostAndHidingAsksNothing)
{
    TestHost().defaultSharing = 0;
    TestHost().sharing = 0;
    CKTBCGPDialog dialog(kDialogTemplate, &m_host.frame);
    ShowHideShow(dialog);
    EXPECT_EQ(TestHost().registered, (std::vector<CWnd*>{&dialog, &dialog}))
        << "the dialog object, each show";
    EXPECT_EQ(dialog.ApplyDisplayAffinity(), TestHost().registerResult);

    TestHost().registered.clear();
    CKTBCGPDialogBar bar;
    ASSERT_TRUE(CreateBar(bar));
    bar.ShowControlBar(TRUE, FALSE, FALSE);
    ASSERT_EQ(TestHost().registered.size(), 1u);
    EXPECT_EQ(TestHost().registered[0]->m_hWnd, m_host.frame.m_hWnd) << "the bar registers its parent frame";
    EXPECT_TRUE(m_host.driver.Observed().affinityChanges.empty());
    EXPECT_EQ(ApplyWindowDisplayAffinity(nullptr), 0);

    // Hiding asks the host nothing.
    TestHost().calls.clear();
    dialog.ShowWindow(SW_HIDE);
    EXPECT_TRUE(TestHost().calls.empty());
    EXPECT_FALSE(dialog.IsWindowVisible());
}

} // namespace
