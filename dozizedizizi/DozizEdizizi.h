// The "Maker Checker" console: the single docked window of the library. It owns the
// messaging context, the pending requests and the values the checker edited, sends the
// queries and decisions, and keeps the request list current from published messages.
#pragma once

#include "connect/ConnectKivo.h"
#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"
#include "frame/HostFunctions.h"
#include "frame/KTBCGPDialogBar.h"

#include <memory>
#include <string>
#include <vector>

struct sMCConnection;

// The console's buttons.
constexpr UINT IDC_MC_ACCEPT = 1;
constexpr UINT IDC_MC_REJECT = 1963;
constexpr UINT IDC_MC_UPDATE = 1000;
constexpr UINT IDC_MC_RECOVER = 1001;

class CDozizEdizizi : public CKTBCGPDialogBar
{
    DECLARE_DYNAMIC(CDozizEdizizi)
public:
    CDozizEdizizi();
    ~CDozizEdizizi() override;

    // ---- Published requests ----
    // Registers the filter of the user's privilege level for published requests; always 1.
    int SubscribeRequests();
    // Drops the subscription; 0 (and a log line) when that fails.
    int UnsubscribeRequests();
    // A request the server published (or sent again on recovery): listed, refreshed or removed.
    void HandlePublishMsg(MnmHndl message);

    // ---- Queries ----
    // Clears the detail view and asks for the details that fit the request's type.
    void OpenRequest(sMakeCheckStruct* request);
    int RequestUserDetails(sMakeCheckStruct* request);
    int RequestAccountDetails(sMakeCheckStruct* request);
    int RequestLimitsDetails(sMakeCheckStruct* request);

    // ---- Decisions ----
    int SendAccept(sMakeCheckStruct* request);
    int SendReject(sMakeCheckStruct* request, const std::string& reason);
    // Accepts the requests in the order given; investor users and clients only in pairs.
    void AcceptRequests(const std::vector<sMakeCheckStruct*>& requests);
    // Asks for a reason and rejects the requests with it; nothing without a reason.
    void RejectRequests(const std::vector<sMakeCheckStruct*>& requests);
    void OnUpdate();
    void OnRecover();

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

    sMCConnection* GetConnection() const { return m_pConnection.get(); }
    // The pending request under the key; null when none is listed.
    sMakeCheckStruct* FindRequest(const std::string& key) const;
    int GetRequestCount() const { return m_mapPendingRequests.GetCount(); }

    std::string m_strDetailKey;
    CKTMap<std::string, const std::string&, sMakeCheckStruct*, sMakeCheckStruct*> m_mapPendingRequests;
    CKTMap<int, int, std::string, const std::string&> m_mapEditedValues;
    std::vector<sMakeCheckStruct*> m_arrInvestorUsers;   // not owned
    std::vector<sMakeCheckStruct*> m_arrInvestorClients; // not owned
    PFN_pu_get_find_menu_item_in_roles m_pfnFindMenuItemInRoles = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // A request that is listed no longer: its row, its record and its map entry go.
    void RemoveRequest(const std::string& key);
    void ClearDetailView();

    std::unique_ptr<sMCConnection> m_pConnection;
};
