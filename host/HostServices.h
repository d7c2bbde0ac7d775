// The terminal's side of the plug-in interface: the state behind the host functions the
// executable exports (the logged-in user, the tabbed log, the messaging controls) and the
// functions themselves, with C linkage so that the plug-in finds them by name.
#pragma once

#include "base/HostFunctions.h"
#include "connect/ConnectKivo.h"
#include "host/HostOptions.h"

#include <functional>
#include <string>
#include <vector>

namespace connect
{
class ControlFactory;
}

namespace host
{

struct LogLine
{
    std::string time; // HH:MM:SS
    std::string text;
};

class HostServices
{
public:
    static HostServices& Get();

    UserProfile profile;
    // Where new log lines go besides the list kept here (the tabbed log panel).
    std::function<void(const LogLine&)> onLogLine;
    std::vector<LogLine> log;
    // Hands controls out to the plug-in (GetDarvRxControl); null until the transport is up.
    connect::ControlFactory* controls = nullptr;
    // Passes a published message to the plug-in's entry point.
    std::function<void(MnmHndl)> publishToPlugin;

    void Log(const std::string& text);
    bool LogContains(const std::string& part) const;
};

} // namespace host

extern "C"
{
    void pu_get_peer_data(std::string& brokerId, std::string& peerData2, std::string& userId);
    void pu_get_user_privilige(std::string& privilegeInfo, int& privilege);
    void pu_add_to_tabbed_log(std::string line);
    int pu_get_find_menu_item_in_roles(int roleOrMenuItem);
    int pu_get_maker_checker_Modify_Right();
    int pu_RegisterForWindowDisplayAffinity(CWnd* wnd);
    int pu_GetScreenSharingStatus();
    int pu_GetDefaultScreenSharingStatus();
    CDarvRxControl* GetDarvRxControl(INT_PTR kindOrControl, CDarvRxNotifierBase* receiver);
}
