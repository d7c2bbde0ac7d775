#include "TestHost.h"

#include "base/HostFunctions.h"
#include "base/PluginGlobals.h"
#include "connect/Faults.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "plugin/Exports.h"
#include "resources/AppBitmaps.h"
#include "winlib/Modules.h"

TestHostState& TestHost()
{
    static TestHostState state;
    return state;
}

extern "C"
{
    void pu_get_peer_data(std::string& brokerId, std::string& peerData2, std::string& userId)
    {
        TestHost().calls.push_back("pu_get_peer_data");
        brokerId = TestHost().brokerId;
        peerData2 = TestHost().peerData2;
        userId = TestHost().userId;
    }
    void pu_get_user_privilige(std::string& privilegeInfo, int& privilege)
    {
        TestHost().calls.push_back("pu_get_user_privilige");
        privilegeInfo = "info";
        privilege = TestHost().privilege;
    }
    void pu_add_to_tabbed_log(std::string line)
    {
        TestHost().log.push_back(std::move(line));
    }
    int pu_get_find_menu_item_in_roles(int roleOrMenuItem)
    {
        return TestHost().roles.count(roleOrMenuItem) ? 1 : 0;
    }
    int pu_get_maker_checker_Modify_Right()
    {
        return TestHost().modifyRight;
    }
    int pu_RegisterForWindowDisplayAffinity(CWnd* wnd)
    {
        TestHost().calls.push_back("pu_RegisterForWindowDisplayAffinity");
        TestHost().registered.push_back(wnd);
        return TestHost().registerResult;
    }
    int pu_GetScreenSharingStatus()
    {
        TestHost().calls.push_back("pu_GetScreenSharingStatus");
        return TestHost().sharing;
    }
    int pu_GetDefaultScreenSharingStatus()
    {
        TestHost().calls.push_back("pu_GetDefaultScreenSharingStatus");
        return TestHost().defaultSharing;
    }
    CDarvRxControl* GetDarvRxControl(INT_PTR kindOrControl, CDarvRxNotifierBase* receiver)
    {
        TestHostState& host = TestHost();
        if (!host.controls)
            return nullptr;
        if (host.controls->Owns(reinterpret_cast<const void*>(kindOrControl)))
        {
            host.controlEvents.push_back(
                "back " + std::to_string(host.controlKinds[reinterpret_cast<const void*>(kindOrControl)]));
            host.controls->GiveBack(reinterpret_cast<CDarvRxControl*>(kindOrControl));
            return nullptr;
        }
        host.controlEvents.push_back("give " + std::to_string(kindOrControl));
        // As in the terminal: published requests matching the plug-in's subscription reach it
        // through its entry point.
        CDarvRxControl* control = kindOrControl == 0 ? host.controls->Create(receiver, [](MnmHndl message)
                                                                             { HandlePublishMsg(message); })
                                                     : host.controls->Create(receiver);
        host.controlKinds[control] = kindOrControl;
        return control;
    }
}

// The plug-in looks these up by name: keep them in the program even when no test calls them.
static_assert(sizeof(&pu_get_peer_data) > 0);

PluginFixture::PluginFixture(const std::function<void()>& beforeWindows)
{
    if (beforeWindows)
        beforeWindows();
    TestHost() = TestHostState{};
    controls = std::make_unique<connect::ControlFactory>(wire);
    TestHost().controls = controls.get();
    RegisterAppBitmaps();
    frame.Create(nullptr, "Terminal", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CRect(0, 0, 1400, 900));
    frame.EnableDocking(CBRS_ALIGN_ANY);
    frame.ShowWindow(SW_SHOW);
    app.m_pMainWnd = &frame;
    driver.Pump();
}

PluginFixture::~PluginFixture()
{
    ExitKivoPlugin();
    delete g_pDozizEdizizi;
    g_pDozizEdizizi = nullptr;
    app.m_pMainWnd = nullptr;
    if (frame.m_hWnd)
        frame.DestroyWindow();
    TestHost().controls = nullptr;
    controls.reset();
    winlib::UnhideAllExports();
    connect::ClearOpenFaults();
}
