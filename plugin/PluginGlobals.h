// The library's process-wide state: the single console, the logged-in user's identity and
// privilege as the host gave them at start, the host's log function and the image list of
// sort arrows every list header shares.
#pragma once

#include "frame/HostFunctions.h"

#include <string>

class CDozizEdizizi;
class CImageList;

extern CDozizEdizizi* g_pDozizEdizizi;
extern std::string g_strBrokerId;
extern std::string g_strPeerData2;
extern std::string g_strUserId;
extern std::string g_strPrivilegeInfo;
extern int g_nUserPrivilege;
extern PFN_pu_add_to_tabbed_log g_pfnAddToTabbedLog;
extern CImageList* g_pHeaderImageList;

// The host's role check as the console found it; null before the console looked it up.
PFN_pu_get_find_menu_item_in_roles ConsoleRolesFunction();

// Builds the shared header image list from the application's bitmaps 131, 132 and 133
// (black drawn in the button-text colour, white transparent).
void CreateHeaderImageList();
