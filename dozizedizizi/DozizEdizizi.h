// The "Maker Checker" console: the single docked window of the library. It owns the
// messaging context, the pending requests and the values the checker edited, sends the
// queries and decisions, and keeps the request list current from published messages.
#pragma once

#include "base/HostFunctions.h"
#include "connect/ConnectKivo.h"
#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"
#include "frame/ControlPos.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/FilterListCtrl.h"
#include "grid/LiveSlots.h"
#include "grid/MultiLineEditListCtrl.h"

#include <memory>
#include <string>
#include <vector>

struct sMCConnection;
struct sMCListStruct;
class CKTHolderFrame;

// The console's buttons.
constexpr UINT IDC_MC_ACCEPT = 1;
constexpr UINT IDC_MC_REJECT = 1963;
constexpr UINT IDC_MC_UPDATE = 1000;
constexpr UINT IDC_MC_RECOVER = 1001;
// The two grids.
constexpr UINT IDC_MC_REQUEST_LIST = 4000;
constexpr UINT IDC_MC_DETAIL_LIST = 4001;

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

    // ---- The request list ----
    void RedrawRequestList();
    // Empties the detail grid and deletes the sections it showed; the key on view stays.
    void ClearDetailView();

    // ---- Queries ----
    // Clears the detail view and asks for the details that fit the request's type.
    void OpenRequest(sMakeCheckStruct* request);
    int RequestUserDetails(sMakeCheckStruct* request);
    int RequestAccountDetails(sMakeCheckStruct* request);
    int RequestLimitsDetails(sMakeCheckStruct* request);
    // A reply to a detail query: its sections go to the detail grid.
    void AddDetails(const std::string& functionName, MnmHndl reply);
    // The last reply came: every section is opened and the columns fill the grid.
    void CompleteDetailView();

    // ---- Decisions ----
    int SendAccept(sMakeCheckStruct* request);
    int SendReject(sMakeCheckStruct* request, const std::string& reason);
    // Accepts the requests in the order given; investor users and clients only in pairs.
    void AcceptRequests(const std::vector<sMakeCheckStruct*>& requests);
    // The "Rejection" dialog; empty when it was closed without a reason.
    std::string AskRejectionReason();
    void RejectRequests(const std::vector<sMakeCheckStruct*>& requests, const std::string& reason);
    void OnAccept();
    void OnReject();
    void OnUpdate();
    void OnRecover();

    // The start call's fixed placement when the terminal starts the library again: the lists, the
    // holder frame and the bar to the sizes of a wide screen, then docked again by the caller.
    void PlaceForRestart();

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // F6 and Shift+F6: the focus goes round the console's three parts, the buttons (Accept), the
    // request list and the detail grid, skipping a part that is not shown.
    void FocusNextPart(bool backwards);
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

    sMCConnection* GetConnection() const { return m_pConnection.get(); }
    CFilterListCtrl& GetRequestList() { return m_wndRequestList; }
    CMultiLineEditListCtrl& GetDetailList() { return m_wndDetailList; }
    CKTHolderFrame* GetHolderFrame() const { return m_pHolderFrame.get(); }
    // The pending request under the key; null when none is listed.
    sMakeCheckStruct* FindRequest(const std::string& key) const;
    int GetRequestCount() const { return m_mapPendingRequests.GetCount(); }

    CControlPos m_controlPos; // given no controls: the holder frame lays the grids out
    CFilterListCtrl m_wndRequestList;
    CMultiLineEditListCtrl m_wndDetailList;
    std::string m_strDetailKey;
    // Detail queries sent and answered (closed) so far. The server answers a connection's
    // queries in order, so a reply while an earlier query is still open belongs to a request
    // the checker has already left, and is not shown under the one on view.
    int m_nDetailQueriesSent = 0;
    int m_nDetailQueriesAnswered = 0;
    CKTMap<std::string, const std::string&, sMakeCheckStruct*, sMakeCheckStruct*> m_mapPendingRequests;
    CKTMap<int, int, std::string, const std::string&> m_mapEditedValues;
    std::vector<sMakeCheckStruct*> m_arrInvestorUsers;   // not owned
    std::vector<sMakeCheckStruct*> m_arrInvestorClients; // not owned
    PFN_pu_get_find_menu_item_in_roles m_pfnFindMenuItemInRoles = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    // A right click on a pane's caption (or the console's own band) offers the panes to close or
    // bring back.
    void OnContextMenu(CWnd* wnd, CPoint point) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // A listed request: the record and where it stands among the records of the list's store.
    struct sListedRequest : sMakeCheckStruct
    {
        std::uint32_t m_nOrderSlot = 0;
    };

    // The first start's split of the grids: the request list gets its share of the height, again at
    // every size change, until the checker moves the bar; his split is what the next start loads.
    void ApplyDefaultSplit();
    bool CheckerMovedSplit() const;

    // The detail grid asks which editor a value takes (33788) and hands the edited text back (33789).
    void OnBeginEdit(int line, int column, sCellEditInfo& info);
    void OnEndEdit(const NMLVDISPINFO& edit);
    void UnmarkEditedRows();
    void ShowUnseenRequests();
    std::string NothingToUpdate() const;
    // The row shown at a line of the detail grid; null for a title line or no line.
    sMCListStruct* DetailRowAt(int line) const;
    void InitialiseRequestList();
    void InitialiseDetailList();
    // Lists a request: the console keeps its record, and a row on top of the list shows it.
    void AddRequestRow(std::unique_ptr<sListedRequest> request);
    // Takes the request's row out of the list and gives its record back to the caller.
    std::unique_ptr<sListedRequest> RemoveRequestRow(sListedRequest& request);
    // A request that is listed no longer: its row, its record and its map entry go.
    void RemoveRequest(const std::string& key);
    // The records of the rows shown (hidden ones left out), in display order, that are ticked.
    std::vector<sMakeCheckStruct*> TickedRequests() const;
    // Deletes every listed record and its row.
    void DeleteAllRequests();
    // The store index of the request's record in the list: records are appended and removed in
    // the order kept here, so its rank among the live slots is its place in the store.
    int StoreIndexOf(const sListedRequest& request) const;
    std::unique_ptr<sListedRequest> ForgetOrder(sListedRequest& request);
    // Where a new request goes among the listed ones (a store index), and putting it there.
    int OrderIndexFor(const sListedRequest& request) const;
    void InsertOrder(std::unique_ptr<sListedRequest> request, int index);

    std::unique_ptr<CKTHolderFrame> m_pHolderFrame;
    COLORREF m_clrRequestCaption = CLR_NONE; // the caption's own colour while the count shows
    bool m_bDefaultSplit = false;
    int m_nDefaultSplit = -1; // the request list's height the default split gave last
    std::unique_ptr<sMCConnection> m_pConnection;
    LiveSlots m_orderSlots;
    // The listed records, owned here, by slot; null for a slot whose request left. Records are
    // allocated as sListedRequest and must be deleted as one: sMakeCheckStruct has no virtual
    // destructor.
    std::vector<std::unique_ptr<sListedRequest>> m_arrOrder;
};

// The library's single console while it exists.
extern CDozizEdizizi* g_pDozizEdizizi;
