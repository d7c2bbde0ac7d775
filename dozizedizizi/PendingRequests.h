// The pending requests the console lists: their records, found by key, and what each published
// message does to them. The rows that show them are the view's; the model keeps no order of its
// own beside them. It tells the view of every change and asks it only where a row stands.
#pragma once

#include "base/HostFunctions.h"
#include "connect/ConnectKivo.h"
#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"

#include <cstdint>
#include <string>

// The rows of the pending requests, in store order: the oldest request first, each row holding
// one request's record. A row is known to the model by the handle the view gave it when it was
// inserted; a view that renumbers its rows tells the model each handle's new value (RowMoved).
class CPendingRequestsView
{
public:
    static constexpr std::uint32_t kNoRow = 0xFFFFFFFFu;

    virtual ~CPendingRequestsView() = default;

    virtual int RowCount() const = 0;
    // The request of the row at a store index; null when the row holds none.
    virtual const sMakeCheckStruct* RequestAt(int index) const = 0;
    // Where the row with this handle stands, -1 when the view no longer holds it for the request
    // (it was emptied behind the model's back).
    virtual int IndexOfRow(std::uint32_t row, const sMakeCheckStruct& request) const = 0;

    // A row for the request at a store index (every later row moves up by one); its handle, or
    // kNoRow when the view shows nothing.
    virtual std::uint32_t RowInserted(int index, sMakeCheckStruct& request) = 0;
    // The request's fields changed; -1 when it has no row.
    virtual void RowChanged(int index) = 0;
    virtual void RowRemoved(int index) = 0;
    virtual void AllRemoved() = 0;
};

// What a published message did.
enum class PublishedEffect
{
    None,      // nothing the checker is told of
    Listed,    // a new request has a row
    Refreshed, // a listed request took the message's fields
    Unlisted,  // a listed request now needs a role the checker lacks: it left
    Decided    // accepted or rejected: it left, if it was listed
};

struct sPublishedOutcome
{
    PublishedEffect effect = PublishedEffect::None;
    std::string key; // the request's key, when the message had one
};

class CPendingRequests
{
public:
    CPendingRequests() = default;
    CPendingRequests(const CPendingRequests&) = delete;
    CPendingRequests& operator=(const CPendingRequests&) = delete;
    // Frees the records without telling the view, which may be gone already.
    ~CPendingRequests();

    // The view is told nothing of what was there before it.
    void SetView(CPendingRequestsView* view) { m_pView = view; }

    // Applies a published request (or one recovery sends again). 'roles' answers whether the
    // checker holds a role (null: none but role 0); 'checker' is his user id, whose own requests
    // are never listed.
    sPublishedOutcome Apply(MnmHndl message, PFN_pu_get_find_menu_item_in_roles roles,
                            const std::string& checker);

    // The request under the key; null when none is listed.
    sMakeCheckStruct* Find(const std::string& key) const
    {
        sPendingRequest* request = nullptr;
        return m_mapByKey.Lookup(key, request) ? request : nullptr;
    }
    int Count() const { return m_mapByKey.GetCount(); }
    template <class Fn> void ForEach(Fn&& fn) const
    {
        m_mapByKey.ForEach([&](const std::string& key, sPendingRequest* request) { fn(key, request); });
    }

    // A request that is listed no longer: its row, its record and its key go. False when none was.
    bool Remove(const std::string& key);
    // Every request goes, rows first.
    void Clear();

    // The view renumbered the request's row: this is its handle now.
    static void RowMoved(sMakeCheckStruct& request, std::uint32_t row)
    {
        static_cast<sPendingRequest&>(request).m_nRow = row;
    }

private:
    // A listed request and the handle of its row. Records are made as this type and must be
    // deleted as it: sMakeCheckStruct has no virtual destructor.
    struct sPendingRequest : sMakeCheckStruct
    {
        std::uint32_t m_nRow = CPendingRequestsView::kNoRow;
    };

    // Where a new request goes among the rows (a store index).
    int PlaceFor(const sPendingRequest& request) const;
    void Add(sPendingRequest* request);
    int IndexOf(const sPendingRequest& request) const;
    // Deletes every record; the map still holds them.
    void DeleteRecords();

    CPendingRequestsView* m_pView = nullptr;
    // Owns the records.
    CKTMap<std::string, const std::string&, sPendingRequest*, sPendingRequest*> m_mapByKey;
};
