// The "Maker Checker" console: the single docked window of the library. It owns the
// messaging context, the pending requests and the values the checker edited.
#pragma once

#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"
#include "frame/HostFunctions.h"
#include "frame/KTBCGPDialogBar.h"

#include <memory>
#include <string>
#include <vector>

struct sMCConnection;

class CDozizEdizizi : public CKTBCGPDialogBar
{
    DECLARE_DYNAMIC(CDozizEdizizi)
public:
    CDozizEdizizi();
    ~CDozizEdizizi() override;

    // Registers the filter of the user's privilege level for published requests; always 1.
    int SubscribeRequests();
    // Drops the subscription; 0 (and a log line) when that fails.
    int UnsubscribeRequests();

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

    sMCConnection* GetConnection() const { return m_pConnection.get(); }

    std::string m_strDetailKey;
    CKTMap<std::string, const std::string&, sMakeCheckStruct*, sMakeCheckStruct*> m_mapPendingRequests;
    CKTMap<int, int, std::string, const std::string&> m_mapEditedValues;
    std::vector<sMakeCheckStruct*> m_arrInvestorUsers;   // not owned
    std::vector<sMakeCheckStruct*> m_arrInvestorClients; // not owned
    PFN_pu_get_find_menu_item_in_roles m_pfnFindMenuItemInRoles = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    std::unique_ptr<sMCConnection> m_pConnection;
};
