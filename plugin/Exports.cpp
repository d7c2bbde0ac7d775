// The library's entry points. Every one runs on the host's user-interface thread.
#include "plugin/Exports.h"

#include "base/PluginGlobals.h"
#include "base/TabbedLog.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "holder/KTHolderFrame.h"
#include "resources/PluginResources.h"
#include "winlib/Frame.h"

namespace
{

constexpr UINT kConsoleTemplate = 1000;
constexpr UINT kConsoleId = 1000;
// Child, clip-siblings, clip-children, gripper, top alignment, bottom border, fly-by help,
// tool tips and dynamic size.
constexpr UINT kConsoleStyle = 0x46402834;
constexpr const char* kIncompatibleHost = "Exe is not compatible with ZAM";

CBCGPMDIFrameWnd* MainFrame()
{
    CWnd* main = AfxGetMainWnd();
    return (main && main->IsKindOf(RUNTIME_CLASS(CBCGPMDIFrameWnd))) ? static_cast<CBCGPMDIFrameWnd*>(main)
                                                                     : nullptr;
}

void LookUpRolesFunction(CDozizEdizizi& console)
{
    if (!console.m_pfnFindMenuItemInRoles)
        console.m_pfnFindMenuItemInRoles =
            FindHostFunction<PFN_pu_get_find_menu_item_in_roles>("pu_get_find_menu_item_in_roles");
}

BOOL CreateConsoleWindow(CDozizEdizizi& console, CBCGPMDIFrameWnd& frame)
{
    return console.Create("Maker Checker", &frame, TRUE, kConsoleTemplate, kConsoleStyle, kConsoleId);
}

} // namespace

int GetKivoPluginInfo(std::string& name, std::string& version, const char* text, unsigned int& pluginId,
                      int& reserved)
{
    pluginId = kKivoPluginId;
    name = text ? text : "";
    reserved = -1;
    version = "1.0.0.0";
    return 1;
}

void GetOptionalKivoPluginInfo(void*, std::vector<std::string>& list)
{
    list.clear();
}

void InitKivoPlugin(void*, const char*, void*, std::string)
{
    RegisterPluginResources();
    CreateHeaderImageList();

    const auto getPeerData = FindHostFunction<PFN_pu_get_peer_data>("pu_get_peer_data");
    if (!getPeerData)
    {
        AfxMessageBox(kIncompatibleHost);
        return;
    }
    getPeerData(g_strBrokerId, g_strPeerData2, g_strUserId);

    const auto getPrivilege = FindHostFunction<PFN_pu_get_user_privilige>("pu_get_user_privilige");
    if (!getPrivilege)
    {
        AfxMessageBox(kIncompatibleHost);
        return;
    }
    getPrivilege(g_strPrivilegeInfo, g_nUserPrivilege);

    CBCGPMDIFrameWnd* frame = MainFrame();
    if (!frame)
        return;
    g_pfnAddToTabbedLog = FindHostFunction<PFN_pu_add_to_tabbed_log>("pu_add_to_tabbed_log");

    if (!g_pDozizEdizizi)
        g_pDozizEdizizi = new CDozizEdizizi;
    CDozizEdizizi& console = *g_pDozizEdizizi;

    if (!console.m_hWnd)
    {
        if (!CreateConsoleWindow(console, *frame))
            return;
        console.EnableDocking(CBRS_ALIGN_ANY);
        frame->DockControlBar(&console);
        console.ShowControlBar(TRUE, FALSE, FALSE);
        LookUpRolesFunction(console);
        return;
    }

    // Started again while the console is there: dock and lay it out once more.
    LookUpRolesFunction(console);
    console.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(&console);
    console.ShowControlBar(TRUE, TRUE, TRUE);
    if (console.GetHolderFrame() && console.GetHolderFrame()->m_hWnd)
    {
        console.PlaceForRestart();
        frame->DockControlBar(&console);
    }
}

void ExitKivoPlugin()
{
    CDozizEdizizi* console = g_pDozizEdizizi;
    if (!console)
        return;
    console->UnsubscribeRequests();
    console->DestroyWindow();
    // The object goes with its window: nothing else refers to it once the library stops.
    g_pDozizEdizizi = nullptr;
    delete console;
}

int ProcessKivoPluginMsg(void*)
{
    return 0;
}

void PluginProcessHotKey(void*, int, int, void*)
{
    RegisterPluginResources();
    const auto getPeerData = FindHostFunction<PFN_pu_get_peer_data>("pu_get_peer_data");
    if (!getPeerData)
    {
        AfxMessageBox(kIncompatibleHost);
        return;
    }
    // Asked for its answer's sake only: the identity of the start is kept.
    std::string broker;
    std::string second;
    std::string user;
    getPeerData(broker, second, user);
    g_pfnAddToTabbedLog = FindHostFunction<PFN_pu_add_to_tabbed_log>("pu_add_to_tabbed_log");

    CBCGPMDIFrameWnd* frame = MainFrame();
    if (!frame)
        return;
    if (g_pDozizEdizizi && g_pDozizEdizizi->m_hWnd)
        return;

    // A console without a window (its creation failed) is replaced by a fresh one.
    delete g_pDozizEdizizi;
    g_pDozizEdizizi = new CDozizEdizizi;
    CDozizEdizizi& console = *g_pDozizEdizizi;
    if (!CreateConsoleWindow(console, *frame))
        return;
    console.EnableDocking(CBRS_ALIGN_ANY);
    console.ShowControlBar(TRUE, FALSE, FALSE);
    frame->DockControlBar(&console);
    console.SubscribeRequests();
}

void HandlePublishMsg(MnmHndl message)
{
    // Requests are kept only where they can be shown: in a console with its window.
    if (g_pDozizEdizizi && g_pDozizEdizizi->m_hWnd)
        g_pDozizEdizizi->HandlePublishMsg(message);
}
