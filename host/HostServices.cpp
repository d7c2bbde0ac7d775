#include "host/HostServices.h"

#include "connect/ControlFactory.h"
#include "winlib/Wnd.h"

#include <chrono>
#include <ctime>
#include <type_traits>

// The exported functions must keep the types the plug-in looks them up with.
static_assert(std::is_same_v<decltype(&pu_get_peer_data), PFN_pu_get_peer_data>);
static_assert(std::is_same_v<decltype(&pu_get_user_privilige), PFN_pu_get_user_privilige>);
static_assert(std::is_same_v<decltype(&pu_add_to_tabbed_log), PFN_pu_add_to_tabbed_log>);
static_assert(std::is_same_v<decltype(&pu_get_find_menu_item_in_roles), PFN_pu_get_find_menu_item_in_roles>);
static_assert(std::is_same_v<decltype(&pu_get_maker_checker_Modify_Right), PFN_pu_get_maker_checker_Modify_Right>);
static_assert(std::is_same_v<decltype(&pu_RegisterForWindowDisplayAffinity), PFN_pu_RegisterForWindowDisplayAffinity>);
static_assert(std::is_same_v<decltype(&pu_GetScreenSharingStatus), PFN_pu_GetScreenSharingStatus>);
static_assert(std::is_same_v<decltype(&pu_GetDefaultScreenSharingStatus), PFN_pu_GetDefaultScreenSharingStatus>);
static_assert(std::is_same_v<decltype(&GetDarvRxControl), PFN_GetDarvRxControl>);

namespace host
{

HostServices& HostServices::Get()
{
    static HostServices services;
    return services;
}

void HostServices::Log(const std::string& text)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    log.push_back(LogLine{stamp, text});
    if (onLogLine)
        onLogLine(log.back());
}

bool HostServices::LogContains(const std::string& part) const
{
    for (const LogLine& line : log)
    {
        if (line.text.find(part) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace host

using host::HostServices;

void pu_get_peer_data(std::string& brokerId, std::string& peerData2, std::string& userId)
{
    const host::UserProfile& p = HostServices::Get().profile;
    brokerId = p.brokerId;
    peerData2 = p.peerData2;
    userId = p.userId;
}

void pu_get_user_privilige(std::string& privilegeInfo, int& privilege)
{
    const host::UserProfile& p = HostServices::Get().profile;
    privilegeInfo = p.privilegeInfo;
    privilege = p.privilege;
}

void pu_add_to_tabbed_log(std::string line) { HostServices::Get().Log(line); }

int pu_get_find_menu_item_in_roles(int roleOrMenuItem)
{
    return HostServices::Get().profile.roles.count(roleOrMenuItem) ? 1 : 0;
}

int pu_get_maker_checker_Modify_Right() { return HostServices::Get().profile.modifyRight ? 1 : 0; }

// The terminal keeps registered windows out of screen captures while sharing is not allowed.
int pu_RegisterForWindowDisplayAffinity(CWnd* wnd)
{
    if (!wnd || !wnd->m_hWnd)
        return 0;
    CWnd* top = wnd->GetTopLevelParent();
    const DWORD affinity = HostServices::Get().profile.sharingStatus ? WDA_NONE : WDA_MONITOR;
    return SetWindowDisplayAffinity(top ? top->m_hWnd : wnd->m_hWnd, affinity);
}

int pu_GetScreenSharingStatus() { return HostServices::Get().profile.sharingStatus ? 1 : 0; }

int pu_GetDefaultScreenSharingStatus() { return HostServices::Get().profile.sharingDefault ? 1 : 0; }

CDarvRxControl* GetDarvRxControl(INT_PTR kindOrControl, CDarvRxNotifierBase* receiver)
{
    HostServices& services = HostServices::Get();
    if (!services.controls)
        return nullptr;
    const auto* asControl = reinterpret_cast<const void*>(kindOrControl);
    if (services.controls->Owns(asControl))
    {
        services.controls->GiveBack(reinterpret_cast<CDarvRxControl*>(kindOrControl));
        return nullptr;
    }
    switch (kindOrControl)
    {
    case 0:
        // Published requests the plug-in subscribes to reach it through its entry point.
        return services.controls->Create(receiver, [](MnmHndl message) {
            if (HostServices::Get().publishToPlugin)
                HostServices::Get().publishToPlugin(message);
        });
    case 3:
        return services.controls->Create(receiver);
    default:
        return nullptr;
    }
}
