#include "dozizedizizi/DozizEdizizi.h"

#include "connect/DarvRxControl.h"
#include "controls/DisplayTextDlg.h"
#include "dozizedizizi/AuthTypes.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/FieldLabels.h"
#include "dozizedizizi/MessageFields.h"
#include "dozizedizizi/RequestMessages.h"
#include "plugin/MCConnection.h"
#include "plugin/PluginGlobals.h"
#include "plugin/TabbedLog.h"

IMPLEMENT_DYNAMIC(CDozizEdizizi, CKTBCGPDialogBar)

namespace
{
constexpr UINT kAlwaysEnabled[] = {4000, IDC_MC_ACCEPT, IDC_MC_REJECT, IDC_MC_UPDATE, IDC_MC_RECOVER};

// Published statuses.
constexpr const char* kAuthPending = "auth pending";
constexpr const char* kAccepted = "accepted";
constexpr const char* kRejected = "rejected";

// A new request is announced with a short, quiet tone.
constexpr DWORD kBeepFrequency = 500;
constexpr DWORD kBeepDuration = 100;

bool HasRole(PFN_pu_get_find_menu_item_in_roles roles, int role)
{
    return role == 0 || (roles && roles(role) != 0);
}

// The owner of a limits request, as the list names it: the first of broker, branch, account
// group, dealer and client that the message carries.
std::string LimitOwner(MnmHndl message)
{
    static constexpr std::pair<const char*, int> kOwners[] = {{"Broker - ", field_id::kBroker},
                                                              {"Branch - ", field_id::kBranch},
                                                              {"Account Group - ", field_id::kAccountGroup},
                                                              {"Dealer - ", MNM_USER},
                                                              {"Client - ", MNM_ACCOUNT_ID}};
    for (const auto& [label, fieldId] : kOwners)
    {
        std::string value;
        if (ReadFieldText(message, fieldId, 0, value))
            return label + value;
    }
    return {};
}

} // namespace

PFN_pu_get_find_menu_item_in_roles ConsoleRolesFunction()
{
    return g_pDozizEdizizi ? g_pDozizEdizizi->m_pfnFindMenuItemInRoles : nullptr;
}

CDozizEdizizi::CDozizEdizizi() = default;

CDozizEdizizi::~CDozizEdizizi()
{
    m_mapPendingRequests.ForEach([](const std::string&, sMakeCheckStruct* request) { delete request; });
    m_mapPendingRequests.RemoveAll();
    ClearDetailView();
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
    const auto modifyRight =
        FindHostFunction<PFN_pu_get_maker_checker_Modify_Right>("pu_get_maker_checker_Modify_Right");
    if (!modifyRight || modifyRight() == 0)
    {
        if (CWnd* update = GetDlgItem(IDC_MC_UPDATE))
            update->ShowWindow(SW_HIDE);
    }
    return result;
}

void CDozizEdizizi::DoDataExchange(CDataExchange* dx)
{
    CKTBCGPDialogBar::DoDataExchange(dx);
}

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

BOOL CDozizEdizizi::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_MC_UPDATE:
            OnUpdate();
            return TRUE;
        case IDC_MC_RECOVER:
            ClearDetailView();
            OnRecover();
            return TRUE;
        default:
            break;
        }
    }
    return CKTBCGPDialogBar::OnCommand(wParam, lParam);
}

// ---- Published requests ----------------------------------------------------------------

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
    if (!control || !control->Subscribe(&handle, ids.data(), values, static_cast<int>(ids.size()), control,
                                        false, 0, true, &error))
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

sMakeCheckStruct* CDozizEdizizi::FindRequest(const std::string& key) const
{
    sMakeCheckStruct* request = nullptr;
    return m_mapPendingRequests.Lookup(key, request) ? request : nullptr;
}

void CDozizEdizizi::HandlePublishMsg(MnmHndl message)
{
    const auto roles = FindHostFunction<PFN_pu_get_find_menu_item_in_roles>("pu_get_find_menu_item_in_roles");
    std::string status;
    if (!ReadFieldText(message, field_id::kPublishedStatus, 0, status))
        return;
    if (status == kAccepted || status == kRejected)
    {
        std::string key;
        if (!ReadFieldText(message, field_id::kRequestKey, 0, key))
            return;
        RemoveRequest(key);
        // The view goes even when the request was never listed here: what it showed is decided.
        if (key == m_strDetailKey)
            ClearDetailView();
        return;
    }
    if (status != kAuthPending)
        return;

    std::string key;
    if (!ReadFieldText(message, field_id::kRequestKey, 0, key))
        return;
    sMakeCheckStruct* request = FindRequest(key);
    std::unique_ptr<sMakeCheckStruct> fresh;
    if (!request)
    {
        fresh = std::make_unique<sMakeCheckStruct>();
        fresh->m_strKey = key;
        request = fresh.get();
    }
    ReadFieldText(message, field_id::kAuthType, 0, request->m_strAuthType);
    ReadFieldText(message, field_id::kCategory, 0, request->m_strCategory);

    const std::string& type = request->m_strAuthType;
    bool listable = HasRole(roles, GetAuthTypeRole(type, request->m_strCategory));
    if (listable)
    {
        if (type == AUTH_ADD_USER || type == AUTH_MODIFY_USER || type == AUTH_DELETE_USER)
            ReadFieldText(message, MNM_USER, 0, request->m_strEntity);
        else if (type == AUTH_ADD_CLIENT || type == AUTH_MODIFY_CLIENT || type == AUTH_DELETE_ACCOUNT)
        {
            ReadFieldText(message, MNM_ACCOUNT_ID, 0, request->m_strEntity);
            request->m_strLinkedUser.clear();
            if (request->m_strCategory == CATEGORY_INVESTOR_CLIENT)
                ReadFieldText(message, MNM_USER, 0, request->m_strLinkedUser);
        }
        else if (type == AUTH_RMS_LIMITS)
            request->m_strEntity = LimitOwner(message);

        ReadFieldText(message, field_id::kMaker, 0, request->m_strMaker);
        ReadFieldText(message, field_id::kBroker, 0, request->m_strBroker);
        ReadFieldText(message, field_id::kBranch, 0, request->m_strBranch);
        // The checker never decides his own requests.
        listable = request->m_strMaker != g_strUserId;
    }

    if (!listable)
    {
        // A listed request that now needs a role the checker lacks (or that turns out to be his
        // own) leaves the list rather than staying there with data it may not show.
        if (!fresh)
        {
            RemoveRequest(key);
            if (key == m_strDetailKey)
                ClearDetailView();
        }
        return;
    }
    if (fresh)
        m_mapPendingRequests.SetAt(key, fresh.release());
    Beep(kBeepFrequency, kBeepDuration);
}

void CDozizEdizizi::RemoveRequest(const std::string& key)
{
    sMakeCheckStruct* request = FindRequest(key);
    if (!request)
        return;
    m_mapPendingRequests.RemoveKey(key);
    delete request;
}

void CDozizEdizizi::ClearDetailView() {}

// ---- Queries ---------------------------------------------------------------------------

void CDozizEdizizi::OpenRequest(sMakeCheckStruct* request)
{
    if (!request)
        return;
    ClearDetailView();
    const std::string& type = request->m_strAuthType;
    if (type == AUTH_ADD_USER || type == AUTH_MODIFY_USER)
        RequestUserDetails(request);
    else if (type == AUTH_ADD_CLIENT || type == AUTH_MODIFY_CLIENT)
        RequestAccountDetails(request);
    else if (type == AUTH_RMS_LIMITS)
    {
        // Edits belong to the limits on view: a fresh view starts without any.
        m_mapEditedValues.RemoveAll();
        RequestLimitsDetails(request);
    }
}

int CDozizEdizizi::RequestUserDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), kUserDetailsFunction, *request,
                            "Request for getting entities details sent ", m_strDetailKey);
}

int CDozizEdizizi::RequestAccountDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), kAccountDetailsFunction, *request,
                            "Request for getting account details sent ", m_strDetailKey);
}

int CDozizEdizizi::RequestLimitsDetails(sMakeCheckStruct* request)
{
    return SendDetailsQuery(m_pConnection.get(), kLimitsDetailsFunction, *request,
                            "Request for getting entities details sent ", m_strDetailKey);
}

// ---- Decisions -------------------------------------------------------------------------

int CDozizEdizizi::SendAccept(sMakeCheckStruct* request)
{
    return request ? SendAcceptMessage(m_pConnection.get(), *request) : 0;
}

int CDozizEdizizi::SendReject(sMakeCheckStruct* request, const std::string& reason)
{
    return request ? SendRejectMessage(m_pConnection.get(), *request, reason) : 0;
}

void CDozizEdizizi::AcceptRequests(const std::vector<sMakeCheckStruct*>& requests)
{
    m_arrInvestorUsers.clear();
    m_arrInvestorClients.clear();
    for (sMakeCheckStruct* request : requests)
    {
        if (request->m_strCategory == CATEGORY_INVESTOR_CLIENT && request->m_strAuthType == AUTH_ADD_USER)
            m_arrInvestorUsers.push_back(request);
        else if (request->m_strCategory == CATEGORY_INVESTOR_CLIENT &&
                 request->m_strAuthType == AUTH_ADD_CLIENT)
            m_arrInvestorClients.push_back(request);
        else
            SendAccept(request);
    }

    // An investor's user and client account are accepted together, the user first.
    for (std::size_t c = m_arrInvestorClients.size(); c-- > 0;)
    {
        sMakeCheckStruct* client = m_arrInvestorClients[c];
        for (std::size_t u = m_arrInvestorUsers.size(); u-- > 0;)
        {
            sMakeCheckStruct* user = m_arrInvestorUsers[u];
            if (user->m_strEntity != client->m_strLinkedUser)
                continue;
            SendAccept(user);
            SendAccept(client);
            m_arrInvestorUsers.erase(m_arrInvestorUsers.begin() + static_cast<std::ptrdiff_t>(u));
            m_arrInvestorClients.erase(m_arrInvestorClients.begin() + static_cast<std::ptrdiff_t>(c));
            break;
        }
    }

    const std::vector<sMakeCheckStruct*>& unpaired =
        m_arrInvestorUsers.empty() ? m_arrInvestorClients : m_arrInvestorUsers;
    if (unpaired.empty())
        return;
    std::string names;
    for (auto it = unpaired.rbegin(); it != unpaired.rend(); ++it)
        names += "  " + (*it)->m_strEntity;
    std::string text = "Autenticate User and Account for" + names;
    AfxMessageBox(text);
    text += "For Investor client Autenticate User and Client Together";
    AddToTabbedLog(std::move(text), 2);
}

void CDozizEdizizi::RejectRequests(const std::vector<sMakeCheckStruct*>& requests)
{
    CDisplayTextDlg dialog(this);
    if (dialog.DoModal() != IDOK || dialog.m_strText.empty())
        return;
    for (sMakeCheckStruct* request : requests)
        SendReject(request, dialog.m_strText);
}

void CDozizEdizizi::OnUpdate()
{
    if (m_mapEditedValues.IsEmpty())
        return;
    if (SendUpdateMessage(m_pConnection.get(), m_strDetailKey, m_mapEditedValues))
        m_mapEditedValues.RemoveAll();
}

void CDozizEdizizi::OnRecover()
{
    SendRecoverMessage(m_pConnection.get());
}
