#include "base/PluginGlobals.h"

#include "winlib/ImageList.h"

std::string g_strBrokerId;
std::string g_strPeerData2;
std::string g_strUserId;
std::string g_strPrivilegeInfo;
int g_nUserPrivilege = 0;
PFN_pu_add_to_tabbed_log g_pfnAddToTabbedLog = nullptr;
CImageList* g_pHeaderImageList = nullptr;
PFN_pu_get_find_menu_item_in_roles (*g_pfnConsoleRoles)() = nullptr;

PFN_pu_get_find_menu_item_in_roles ConsoleRolesFunction()
{
    return g_pfnConsoleRoles ? g_pfnConsoleRoles() : nullptr;
}

namespace
{
constexpr UINT kSortArrowBitmaps[] = {131, 132, 133};
constexpr int kArrowWidth = 9;
constexpr int kArrowHeight = 5;
} // namespace

void CreateHeaderImageList()
{
    // One list for the life of the library; a second start builds it afresh.
    static CImageList list;
    list.DeleteImageList();
    g_pHeaderImageList = &list;
    list.Create(kArrowWidth, kArrowHeight, ILC_COLOR24 | ILC_MASK, 3, 0);
    COLORMAP blackToText{RGB(0, 0, 0), GetSysColor(COLOR_BTNTEXT)};
    for (UINT id : kSortArrowBitmaps)
    {
        CBitmap bitmap;
        if (bitmap.LoadMappedBitmap(id, 0, &blackToText, 1))
            list.Add(&bitmap, RGB(255, 255, 255));
    }
}
