#include "dozizedizizi/DozizEdizizi.h"

#include "connect/DarvRxControl.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/FieldLabels.h"
#include "plugin/MCConnection.h"
#include "plugin/PluginGlobals.h"
#include "plugin/TabbedLog.h"

IMPLEMENT_DYNAMIC(CDozizEdizizi, CKTBCGPDialogBar)

namespace
{
constexpr int kUpdateButton = 1000;
constexpr UINT kAlwaysEnabled[] = {4000, 1, 1963, 1000, 1001};
} // namespace

PFN_pu_get_find_menu_item_in_roles ConsoleRolesFunction()
{
    return g_pDozizEdizizi ? g_pDozizEdizizi->m_pfnFindMenuItemInRoles : nullptr;
}

CDozizEdizizi::CDozizEdizizi() = default;

CDozizEdizizi::~CDozizEdizizi()
{
    ClearFieldLabels();
    m_mapEditedValues.RemoveAll();
    if (m_pConnection)
    {
        m_pConnection->Close();
        m_pConnection.reset();
    }
}

LRESULT CDozizEdizizi::HandleInitDialog(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CKTBCGPDialogBar::HandleInitDialog(wParam, lParam);
    if (!m_pConnection)
    {
        m_pConnection = std::make_unique<sMCConnection>();
        m_pConnection->Open();
    }
    FillFieldLabels();
    const auto modifyRight = FindHostFunction<PFN_pu_get_maker_checker_Modify_Right>("pu_get_maker_checker_Modify_Right");
    if (!modifyRight || modifyRight() == 0)
    {
        if (CWnd* update = GetDlgItem(kUpdateButton))
            update->ShowWindow(SW_HIDE);
    }
    return result;
}

void CDozizEdizizi::DoDataExchange(CDataExchange* dx) { CKTBCGPDialogBar::DoDataExchange(dx); }

// Every button stays enabled: controls without a handler are never disabled here.
void CDozizEdizizi::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    CKTBCGPDialogBar::OnUpdateCmdUI(target, FALSE);
}

BOOL CDozizEdizizi::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo)
{
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra)
    {
        for (UINT id : kAlwaysEnabled)
        {
            if (id == nID)
            {
                static_cast<CCmdUI*>(pExtra)->Enable(TRUE);
                return TRUE;
            }
        }
    }
    return CKTBCGPDialogBar::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

int CDozizEdizizi::SubscribeRequests()
{
    std::vector<int> ids;
    std::vector<std::string> values;
    switch (g_nUserPrivilege)
    {
    case 0:
        ids = {field_id::kBroker, field_id::kAuthType, field_id::kRequestKey};
        values = {"", "", ""};
        break;
    case 1:
        ids = {field_id::kAuthType, field_id::kBroker, field_id::kRequestKey};
        values = {"", g_strUserId, ""};
        break;
    case 2:
        ids = {field_id::kBroker, field_id::kAuthType, field_id::kBranch, field_id::kRequestKey};
        values = {g_strBrokerId, "", g_strUserId, ""};
        break;
    case 4:
        ids = {field_id::kAuthType, MNM_USER, field_id::kRequestKey};
        values = {"", g_strUserId, ""};
        break;
    default:
        return 1;
    }
    CDarvRxControl* control = m_pConnection ? m_pConnection->m_pControl0 : nullptr;
    void* handle = nullptr;
    int error = 0;
    if (!control ||
        !control->Subscribe(&handle, ids.data(), values, static_cast<int>(ids.size()), control, false, 0, true, &error))
        AddToTabbedLog("Failed to subscribe ", 2);
    return 1;
}

int CDozizEdizizi::UnsubscribeRequests()
{
    CDarvRxControl* control = m_pConnection ? m_pConnection->m_pControl0 : nullptr;
    if (control && control->Unsubscribe(0))
        return 1;
    AddToTabbedLog("Failed to Unsubscribe", 2);
    return 0;
}
