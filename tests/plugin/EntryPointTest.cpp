// The plug-in's entry points as the terminal calls them.
#include "TestHost.h"
#include "base/PluginGlobals.h"
#include "base/TabbedLog.h"
#include "connect/Faults.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "dozizedizizi/MCConnection.h"
#include "plugin/Exports.h"
#include "winlib/Faults.h"
#include "winlib/ImageList.h"
#include "winlib/Modules.h"

#include <gtest/gtest.h>

namespace
{

TEST(PluginInfo, ReportsTheLibrarysIdentity)
{
    std::string name = "untouched";
    std::string version;
    unsigned int id = 0;
    int reserved = 0;
    EXPECT_EQ(GetKivoPluginInfo(name, version, "Host Text", id, reserved), 1);
    EXPECT_EQ(name, "Host Text");
    EXPECT_EQ(version, "1.0.0.0");
    EXPECT_EQ(id, 29032010u);
    EXPECT_EQ(reserved, -1);

    std::vector<std::string> optional{"left over"};
    GetOptionalKivoPluginInfo(nullptr, optional);
    EXPECT_TRUE(optional.empty());
    EXPECT_EQ(ProcessKivoPluginMsg(nullptr), 0);
}

class EntryPointTest : public ::testing::Test
{
protected:
    PluginFixture m_host;
};

TEST_F(EntryPointTest, StartCreatesAndDocksTheConsoleAndReadsTheIdentity)
{
    InitKivoPlugin(nullptr, "Terminal", nullptr, "c");
    m_host.driver.Pump();
    ASSERT_NE(g_pDozizEdizizi, nullptr);
    EXPECT_TRUE(::IsWindow(g_pDozizEdizizi->m_hWnd));
    EXPECT_EQ(g_pDozizEdizizi->GetWindowText(), "Maker Checker");
    EXPECT_EQ(g_pDozizEdizizi->GetDlgCtrlID(), 1000);
    EXPECT_TRUE(g_pDozizEdizizi->IsDocked());
    EXPECT_TRUE(g_pDozizEdizizi->IsWindowVisible());
    EXPECT_EQ(g_strBrokerId, "BRK1");
    EXPECT_EQ(g_strPeerData2, "second");
    EXPECT_EQ(g_strUserId, "CHK1");
    EXPECT_EQ(g_nUserPrivilege, 0);
    EXPECT_NE(g_pDozizEdizizi->m_pfnFindMenuItemInRoles, nullptr);
    ASSERT_NE(g_pHeaderImageList, nullptr);
    EXPECT_EQ(g_pHeaderImageList->GetImageCount(), 3);

    // The template's buttons, at their places: dialog units of the 8-point shell font.
    for (const auto& [id, text, x] : {std::tuple{1, "Accept", 99}, std::tuple{1963, "Reject", 159},
                                      std::tuple{1000, "Update", 219}, std::tuple{1001, "Recover", 279}})
    {
        CWnd* button = g_pDozizEdizizi->GetDlgItem(id);
        ASSERT_NE(button, nullptr) << text;
        EXPECT_EQ(button->GetWindowText(), text);
        EXPECT_TRUE(button->IsWindowVisible()) << text;
        EXPECT_TRUE(button->IsWindowEnabled()) << text;
        CRect r;
        button->GetWindowRect(&r);
        g_pDozizEdizizi->ScreenToClient(&r);
        EXPECT_EQ(r.left, MulDiv(x, 6, 4)) << text;
        EXPECT_EQ(r.Width(), MulDiv(50, 6, 4)) << text;
        EXPECT_EQ(r.Height(), MulDiv(14, 13, 8)) << text;
    }
    EXPECT_FALSE(g_pDozizEdizizi->GetDlgItem(2)->IsWindowVisible()) << "the template's Cancel is not shown";
}

TEST_F(EntryPointTest, AHostWithoutTheIdentityFunctionsIsRefused)
{
    for (const char* missing : {"pu_get_peer_data", "pu_get_user_privilige"})
    {
        winlib::Observed().Clear();
        winlib::HideExport(missing);
        InitKivoPlugin(nullptr, "Terminal", nullptr, "");
        EXPECT_EQ(g_pDozizEdizizi, nullptr) << missing;
        ASSERT_EQ(m_host.driver.MessageBoxTexts().size(), 1u) << missing;
        EXPECT_EQ(m_host.driver.MessageBoxTexts()[0], "Exe is not compatible with ZAM");
        winlib::UnhideExport(missing);
    }
    winlib::Observed().Clear();
    winlib::HideExport("pu_get_peer_data");
    PluginProcessHotKey(nullptr, 1, 2, nullptr);
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
    EXPECT_EQ(m_host.driver.MessageBoxTexts(), std::vector<std::string>{"Exe is not compatible with ZAM"});
}

TEST_F(EntryPointTest, WithoutAMainFrameNothingIsCreated)
{
    m_host.app.m_pMainWnd = nullptr;
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    PluginProcessHotKey(nullptr, 0, 0, nullptr);
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
    EXPECT_TRUE(m_host.driver.MessageBoxTexts().empty());
}

TEST_F(EntryPointTest, ASecondStartCreatesNoSecondConsole)
{
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    CDozizEdizizi* first = g_pDozizEdizizi;
    const HWND window = first->m_hWnd;
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    m_host.driver.Pump();
    EXPECT_EQ(g_pDozizEdizizi, first);
    EXPECT_EQ(g_pDozizEdizizi->m_hWnd, window);
    EXPECT_TRUE(g_pDozizEdizizi->IsWindowVisible());
    int consoles = 0;
    for (CBCGPBaseControlBar* bar : m_host.frame.GetControlBars())
        consoles += bar && bar->m_hWnd && bar->GetWindowText() == "Maker Checker";
    EXPECT_EQ(consoles, 1);
}

TEST_F(EntryPointTest, TheHotKeyWithTheConsoleShownChangesNothing)
{
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    CDozizEdizizi* console = g_pDozizEdizizi;
    const HWND window = console->m_hWnd;
    TestHost().controlEvents.clear();
    PluginProcessHotKey(reinterpret_cast<void*>(0x1234), 99, -5, nullptr);
    PluginProcessHotKey(nullptr, 0, 0, reinterpret_cast<void*>(0x42));
    EXPECT_EQ(g_pDozizEdizizi, console);
    EXPECT_EQ(console->m_hWnd, window);
    EXPECT_TRUE(TestHost().controlEvents.empty()) << "no new messaging context, no subscription";
}

TEST_F(EntryPointTest, TheHotKeyAfterAFailedCreationTriesAgain)
{
    winlib::FailNext(winlib::Fault::CreateWindow);
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    ASSERT_NE(g_pDozizEdizizi, nullptr) << "the object exists";
    EXPECT_EQ(g_pDozizEdizizi->m_hWnd, nullptr) << "but its window could not be made";

    PluginProcessHotKey(nullptr, 0, 0, nullptr);
    ASSERT_NE(g_pDozizEdizizi, nullptr);
    EXPECT_TRUE(::IsWindow(g_pDozizEdizizi->m_hWnd));
    EXPECT_TRUE(g_pDozizEdizizi->IsWindowVisible());
}

TEST_F(EntryPointTest, TheUpdateButtonIsHiddenWithoutTheModifyRightAndTheOthersStayEnabled)
{
    TestHost().modifyRight = 0;
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    m_host.driver.Pump(); // the idle update of the bar's buttons runs here
    EXPECT_FALSE(g_pDozizEdizizi->GetDlgItem(1000)->IsWindowVisible());
    for (int id : {1, 1963, 1001})
        EXPECT_TRUE(g_pDozizEdizizi->GetDlgItem(id)->IsWindowEnabled()) << id;
}

TEST_F(EntryPointTest, TheHotKeyConsoleSubscribesByPrivilegeAndExitUnsubscribes)
{
    TestHost().privilege = 2;
    PluginProcessHotKey(nullptr, 0, 0, nullptr);
    ASSERT_NE(g_pDozizEdizizi, nullptr);
    ASSERT_NE(g_pDozizEdizizi->m_hWnd, nullptr) << "the hot key alone brings the console up";
    ASSERT_NE(g_pDozizEdizizi->GetConnection()->m_pControl0, nullptr);
    EXPECT_TRUE(TestHost().log.empty()) << "subscribed without a failure line";
    ExitKivoPlugin();
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
    EXPECT_TRUE(TestHost().log.empty()) << "unsubscribed without a failure line";
}

// Passes everything to the test host's transport and notes, at each unsubscription, whether the
// console still had its window.
class UnsubscribeWatch : public connect::Transport
{
public:
    explicit UnsubscribeWatch(connect::Transport& inner) : m_inner(inner) {}
    bool SendRequest(connect::Envelope request, Delivery onReply, int* err) override
    {
        return m_inner.SendRequest(std::move(request), std::move(onReply), err);
    }
    bool Subscribe(const connect::SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                   int* err) override
    {
        return m_inner.Subscribe(filter, std::move(onMessage), id, err);
    }
    bool Unsubscribe(std::uint64_t id, int* err) override
    {
        m_windowAtUnsubscribe.push_back(g_pDozizEdizizi && ::IsWindow(g_pDozizEdizizi->m_hWnd));
        return m_inner.Unsubscribe(id, err);
    }
    std::vector<bool> m_windowAtUnsubscribe;

private:
    connect::Transport& m_inner;
};

TEST_F(EntryPointTest, ExitUnsubscribesWhileTheConsoleWindowExistsAndThenDestroysIt)
{
    UnsubscribeWatch watch(m_host.transport);
    connect::ControlFactory controls(watch);
    TestHost().controls = &controls;
    // Whatever happens below, the fixture's own factory is back before this one goes.
    const std::unique_ptr<void, void (*)(void*)> restore(&controls,
                                                         [](void*)
                                                         {
                                                             ExitKivoPlugin();
                                                             TestHost().controls = nullptr;
                                                         });
    PluginProcessHotKey(nullptr, 0, 0, nullptr);
    ASSERT_NE(g_pDozizEdizizi, nullptr);
    const HWND console = g_pDozizEdizizi->m_hWnd;
    ASSERT_TRUE(::IsWindow(console));
    ExitKivoPlugin();
    ASSERT_FALSE(watch.m_windowAtUnsubscribe.empty()) << "exit unsubscribed";
    EXPECT_TRUE(watch.m_windowAtUnsubscribe.front()) << "the window was still there when it did";
    EXPECT_FALSE(::IsWindow(console)) << "and is gone afterwards";
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
}

TEST_F(EntryPointTest, TheMessagingContextTakesTheControlsInOrderAndGivesThemBackInReverse)
{
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    EXPECT_EQ(TestHost().controlEvents, (std::vector<std::string>{"give 0", "give 3"}));
    sMCConnection* connection = g_pDozizEdizizi->GetConnection();
    ASSERT_NE(connection, nullptr);
    EXPECT_NE(connection->m_hMnm, nullptr);
    EXPECT_NE(connection->m_hBuf, nullptr);
    EXPECT_NE(connection->m_hTimeBuf, nullptr);
    EXPECT_NE(connection->m_hTm, nullptr);
    ExitKivoPlugin();
    EXPECT_EQ(TestHost().controlEvents, (std::vector<std::string>{"give 0", "give 3", "back 3", "back 0"}))
        << "kind 3 goes back before kind 0";
}

TEST_F(EntryPointTest, HandlesThatCannotBeOpenedAreReportedOneByOneAndOpeningGoesOn)
{
    connect::FailNextOpen(connect::OpenFault::Message);
    connect::FailNextOpen(connect::OpenFault::Scratch, 2);
    connect::FailNextOpen(connect::OpenFault::Time);
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    EXPECT_EQ(m_host.driver.MessageBoxTexts(),
              (std::vector<std::string>{
                  "MnmHndl Open failed in Market Context", "BufHndl Open failed in Market Context",
                  "TimeBufHndl Open failed in Market Context", "TmHndl Open failed in Market Context"}));
    sMCConnection* connection = g_pDozizEdizizi->GetConnection();
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->m_hMnm, nullptr);
    EXPECT_EQ(connection->m_hTm, nullptr);
    EXPECT_EQ(TestHost().controlEvents, (std::vector<std::string>{"give 0", "give 3"}))
        << "the controls still come";
    ExitKivoPlugin();
    EXPECT_EQ(TestHost().controlEvents.size(), 4u);
}

TEST_F(EntryPointTest, WithoutTheControlFunctionTheContextSaysSoAndReleasesNothing)
{
    winlib::HideExport("GetDarvRxControl");
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    EXPECT_EQ(m_host.driver.MessageBoxTexts(),
              std::vector<std::string>{"From ZAM Connection to darv failed"});
    ASSERT_NE(g_pDozizEdizizi, nullptr);
    EXPECT_NE(g_pDozizEdizizi->m_hWnd, nullptr) << "the console still opens";
    delete g_pDozizEdizizi;
    g_pDozizEdizizi = nullptr;
    ASSERT_FALSE(TestHost().log.empty());
    EXPECT_EQ(TestHost().log.back(), "Maker Checker Zam Message : Destroying Darv Connection Failed");
}

TEST_F(EntryPointTest, TheOneReportingFunctionFormatsByLevel)
{
    InitKivoPlugin(nullptr, "Terminal", nullptr, "");
    TestHost().log.clear();
    AddToTabbedLog("something broke", 1);
    AddToTabbedLog("all is well", 2);
    AddToTabbedLog("ignored", 3);
    EXPECT_EQ(TestHost().log, (std::vector<std::string>{"Maker Checker Zam Error : something broke",
                                                        "Maker Checker Zam Message : all is well", ""}));
    EXPECT_EQ(m_host.driver.MessageBoxTexts(),
              std::vector<std::string>{"Maker Checker Zam Error : something broke"});
}

} // namespace
