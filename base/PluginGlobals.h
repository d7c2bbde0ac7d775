// The library's process-wide state: the logged-in user's identity and privilege as the host gave
// them at start, the host's log function, the host's role check as the console found it, and the
// image list of sort arrows every list header shares.
#pragma once

#include "base/HostFunctions.h"

#include <string>

class CImageList;

extern std::string g_strBrokerId;
extern std::string g_strPeerData2;
extern std::string g_strUserId;
extern std::string g_strPrivilegeInfo;
extern int g_nUserPrivilege;
extern PFN_pu_add_to_tabbed_log g_pfnAddToTabbedLog;
extern CImageList* g_pHeaderImageList;

// The host's role check as the console found it; null while there is no console or before it
// looked it up. The console keeps it; it answers through g_pfnConsoleRoles, which it sets, so
// that the lists below it can ask for the export right without knowing the console.
extern PFN_pu_get_find_menu_item_in_roles (*g_pfnConsoleRoles)();
PFN_pu_get_find_menu_item_in_roles ConsoleRolesFunction();

// Builds the shared header image list from the application's bitmaps 131, 132 and 133
// (black drawn in the button-text colour, white transparent).
void CreateHeaderImageList();
