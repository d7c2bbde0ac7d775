#include "dozizedizizi/PendingRequests.h"

#include "dozizedizizi/AuthTypes.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/MessageFields.h"
#include "protocol/Functions.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace
{

bool HasRole(PFN_pu_get_find_menu_item_in_roles roles, int role)
{
    return role == 0 || (roles && roles(role) != 0);
}

// The owner of a limits request, as the list names it: the first of broker, branch, account
// group, dealer and client that the message carries.
std::string LimitOwner(MnmHndl message)
{
    static constexpr std::pair<const char*, int> kOwners[] = {
        {"Broker - ", protocol::fid::kBroker},
        {"Branch - ", protocol::fid::kBranch},
        {"Account Group - ", protocol::fid::kAccountGroup},
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

// A key of digits only, without the zeros in front; empty for a key that is no number.
std::string_view KeyNumber(const std::string& key)
{
    if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos)
        return {};
    const std::size_t first = std::min(key.find_first_not_of('0'), key.size() - 1);
    return std::string_view(key).substr(first);
}

// Whether key 'a' is a number greater than the number 'b'.
bool NewerKey(const std::string& a, std::string_view b)
{
    const std::string_view number = KeyNumber(a);
    if (number.empty() || b.empty())
        return false;
    return number.size() != b.size() ? number.size() > b.size() : number > b;
}

// The entity a request is about, by its type: the user, the account (with the investor's user
// beside an investor client's), or the limits' owner. Other types name none.
void ReadEntity(MnmHndl message, sMakeCheckStruct& request)
{
    const std::string& type = request.m_strAuthType;
    if (type == AUTH_ADD_USER || type == AUTH_MODIFY_USER || type == AUTH_DELETE_USER)
        ReadFieldText(message, MNM_USER, 0, request.m_strEntity);
    else if (type == AUTH_ADD_CLIENT || type == AUTH_MODIFY_CLIENT || type == AUTH_DELETE_ACCOUNT)
    {
        ReadFieldText(message, MNM_ACCOUNT_ID, 0, request.m_strEntity);
        request.m_strLinkedUser.clear();
        if (request.m_strCategory == CATEGORY_INVESTOR_CLIENT)
            ReadFieldText(message, MNM_USER, 0, request.m_strLinkedUser);
    }
    else if (type == AUTH_RMS_LIMITS)
        request.m_strEntity = LimitOwner(message);
}

} // namespace

CPendingRequests::~CPendingRequests()
{
    DeleteRecords();
}

// The map hands its records out in the order of their hashes, all over the heap. Freed in that
// order, a million of them leave the allocator's heap in a state where the next million take
// about a tenth longer to list: they are freed by address instead, from the highest down, the
// reverse of the order they were made in.
void CPendingRequests::DeleteRecords()
{
    std::vector<sPendingRequest*> records;
    records.reserve(static_cast<std::size_t>(m_mapByKey.GetCount()));
    m_mapByKey.ForEach([&](const std::string&, sPendingRequest* request) { records.push_back(request); });
    std::sort(records.begin(), records.end(), std::greater<>());
    for (sPendingRequest* request : records)
        delete request;
}

sPublishedOutcome CPendingRequests::Apply(MnmHndl message, PFN_pu_get_find_menu_item_in_roles roles,
                                          const std::string& checker)
{
    sPublishedOutcome outcome;
    std::string status;
    if (!ReadFieldText(message, protocol::fid::kPublishedStatus, 0, status))
        return outcome;
    const bool decided = status == protocol::kAccepted || status == protocol::kRejected;
    if ((!decided && status != protocol::kAuthPending) ||
        !ReadFieldText(message, protocol::fid::kRequestKey, 0, outcome.key))
        return outcome;
    if (decided)
    {
        Remove(outcome.key);
        outcome.effect = PublishedEffect::Decided;
        return outcome;
    }

    sPendingRequest* request = nullptr;
    std::unique_ptr<sPendingRequest> fresh;
    if (!m_mapByKey.Lookup(outcome.key, request))
    {
        fresh = std::make_unique<sPendingRequest>();
        fresh->m_strKey = outcome.key;
        request = fresh.get();
    }
    ReadFieldText(message, protocol::fid::kAuthType, 0, request->m_strAuthType);
    ReadFieldText(message, protocol::fid::kCategory, 0, request->m_strCategory);
    if (!HasRole(roles, GetAuthTypeRole(request->m_strAuthType, request->m_strCategory)))
    {
        // A listed request that now needs a role the checker lacks leaves the list rather than
        // staying there with data it may not show.
        if (!fresh && Remove(outcome.key))
            outcome.effect = PublishedEffect::Unlisted;
        return outcome;
    }
    ReadEntity(message, *request);
    ReadFieldText(message, protocol::fid::kMaker, 0, request->m_strMaker);
    ReadFieldText(message, protocol::fid::kBroker, 0, request->m_strBroker);
    ReadFieldText(message, protocol::fid::kBranch, 0, request->m_strBranch);

    // The checker's own request is not listed, and announced neither way: a new one is dropped,
    // one already listed stays as it was refreshed (the server refuses his decision on it).
    if (request->m_strMaker == checker)
        return outcome;
    if (fresh)
    {
        m_mapByKey.SetAt(outcome.key, fresh.get());
        Add(fresh.release());
        outcome.effect = PublishedEffect::Listed;
    }
    else
    {
        if (m_pView)
            m_pView->RowChanged(IndexOf(*request));
        outcome.effect = PublishedEffect::Refreshed;
    }
    return outcome;
}

// The rows run oldest first, and a request is new by its key, which the server gives in the
// order the makers enter them, not by when it reached this console. One that arrives after newer
// ones (Recover sends every pending request again, the oldest first) goes below them, so that
// after a Recover the list is newest on top.
int CPendingRequests::PlaceFor(const sPendingRequest& request) const
{
    if (!m_pView)
        return 0;
    // After the last request that is not newer; requests come in order almost always, so the
    // walk back from the end is short.
    int index = m_pView->RowCount();
    const std::string_view key = KeyNumber(request.m_strKey);
    if (key.empty())
        return index;
    for (; index > 0; --index)
    {
        const sMakeCheckStruct* above = m_pView->RequestAt(index - 1);
        if (!above || !NewerKey(above->m_strKey, key))
            break;
    }
    return index;
}

void CPendingRequests::Add(sPendingRequest* request)
{
    if (m_pView)
        request->m_nRow = m_pView->RowInserted(PlaceFor(*request), *request);
}

int CPendingRequests::IndexOf(const sPendingRequest& request) const
{
    return m_pView ? m_pView->IndexOfRow(request.m_nRow, request) : -1;
}

bool CPendingRequests::Remove(const std::string& key)
{
    sPendingRequest* found = nullptr;
    if (!m_mapByKey.Lookup(key, found))
        return false;
    // The record outlives its row and its key: the view may read it while the row goes, and the
    // key may be the record's own.
    const std::unique_ptr<sPendingRequest> record(found);
    const int index = IndexOf(*record);
    if (index >= 0)
        m_pView->RowRemoved(index);
    m_mapByKey.RemoveKey(key);
    return true;
}

void CPendingRequests::Clear()
{
    if (m_pView)
        m_pView->AllRemoved();
    DeleteRecords();
    m_mapByKey.RemoveAll();
}
