// The functions the terminal (the host) exports from its executable, as the library finds
// them: by exact name, in the main program, at every use. The host includes this header to
// define them with exactly these types.
#pragma once

#include "winlib/Api.h"

#include <string>

class CWnd;
class CDarvRxControl;
class CDarvRxNotifierBase;

using PFN_pu_get_peer_data = void (*)(std::string& brokerId, std::string& peerData2, std::string& userId);
using PFN_pu_get_user_privilige = void (*)(std::string& privilegeInfo, int& privilege);
using PFN_pu_add_to_tabbed_log = void (*)(std::string line);
using PFN_pu_get_find_menu_item_in_roles = int (*)(int roleOrMenuItem);
using PFN_pu_get_maker_checker_Modify_Right = int (*)();
using PFN_pu_RegisterForWindowDisplayAffinity = int (*)(CWnd* wnd);
// Both answer a Boolean in the low byte of the result.
using PFN_pu_GetScreenSharingStatus = int (*)();
using PFN_pu_GetDefaultScreenSharingStatus = int (*)();
// A kind (0 or 3) gives out a receiver control bound to the receiver; a control given as the
// first argument is given back (the result is then null).
using PFN_GetDarvRxControl = CDarvRxControl* (*)(INT_PTR kindOrControl, CDarvRxNotifierBase* receiver);

// Looks a host function up in the main program; null when the host does not have it.
template <typename Function> Function FindHostFunction(const char* name)
{
    return reinterpret_cast<Function>(GetProcAddress(GetModuleHandle(nullptr), name));
}
