// The "Maker Checker" console: the single docked window of the library. It owns the
// messaging context, the pending requests (CPendingRequests, shown by the request list) and the
// values the checker edited, sends the queries and decisions, and tells the checker of what
// published messages change.
#pragma once

#include "base/HostFunctions.h"
#include "connect/ConnectKivo.h"
#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"
#include "dozizedizizi/PendingRequests.h"
#include "dozizedizizi/RequestListView.h"
#include "frame/KTBCGPDialogBar.h"
#include "grid/FilterListCtrl.h"
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
    sMakeCheckStruct* FindRequest(const std::string& key) const { return m_requests.Find(key); }
    int GetRequestCount() const { return m_requests.Count(); }
    const CPendingRequests& GetPendingRequests() const { return m_requests; }

    // The request whose details are on view.
    std::string m_strDetailKey;
    // The limits the checker edited, by field id, as Update sends them.
    CKTMap<int, int, std::string, const std::string&> m_mapEditedValues;
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
    // The records of the rows shown (hidden ones left out), in display order, that are ticked.
    std::vector<sMakeCheckStruct*> TickedRequests() const;

    CFilterListCtrl m_wndRequestList;
    CMultiLineEditListCtrl m_wndDetailList;
    // The pending requests, and the request list as their view (which must outlive them).
    CRequestListView m_requestListView{m_wndRequestList};
    CPendingRequests m_requests;
    // Detail queries sent and answered (closed) so far. The server answers a connection's
    // queries in order, so a reply while an earlier query is still open belongs to a request
    // the checker has already left, and is not shown under the one on view.
    int m_nDetailQueriesSent = 0;
    int m_nDetailQueriesAnswered = 0;
    std::unique_ptr<CKTHolderFrame> m_pHolderFrame;
    COLORREF m_clrRequestCaption = CLR_NONE; // the caption's own colour while the count shows
    bool m_bDefaultSplit = false;
    int m_nDefaultSplit = -1; // the request list's height the default split gave last
    std::unique_ptr<sMCConnection> m_pConnection;
};

// The library's single console while it exists.
extern CDozizEdizizi* g_pDozizEdizizi;
