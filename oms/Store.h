// The server's database: brokers, branches, account groups, users, accounts and RMS limits;
// the makers' requests with the fields they change and the values before the change; the
// append-only decision log; the outbox of messages to publish. SQLite in WAL mode with
// synchronous FULL, so that a committed transaction survives a crash of the process or the
// machine.
#pragma once

#include "connect/Message.h"
#include "oms/FileLock.h"
#include "oms/RequestRecord.h"
#include "oms/SqliteDatabase.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace oms
{

// The values of one field (one for most fields; one per exchange or a list for some).
using Values = std::vector<std::string>;
using FieldValues = std::map<std::int32_t, Values>;

// The columns by which an entity is found and its requests are published.
struct EntityRow
{
    std::string broker;
    std::string branch;
    std::string accountGroup;
    std::string category;
    std::string linkedUser;
};

struct DecisionEntry
{
    std::int64_t seq = 0; // its place in the log, given when it is written
    std::optional<std::int64_t> key;
    std::string checker;
    std::string decision; // "accept", "reject", "update", or what the message said
    std::string outcome;  // "applied" or "refused"
    std::string reason;   // a rejection's reason
    std::string edited;   // an update's edited values, "id=value" joined by ';'
    std::string decidedAt;
    std::string messageId; // empty when the message came without one
    int statusCode = 0;    // what the checker was answered
    std::string statusText;
    std::string contentHash; // SHA-256 of the message, so that a reused message id shows
    // What an applied decision changed, one field a line: "id<TAB>new<TAB>old" (several values
    // joined by '|', no old value for a field the entity did not have).
    std::string applied;
    std::string rowHash; // the chain: SHA-256 of the row before's hash and this row
};

class Store
{
public:
    struct Options
    {
        // How long to wait for another program's lock (a maker tool writing) before giving up.
        int busyTimeoutMs = 5000;
        // Fills a new database before it takes its name (so a half-seeded file never exists).
        std::function<void(Store&)> seed;
        // A server holds "<path>.lock" for as long as it runs, and refuses a database that
        // another server holds. Makers' tools do not take it: they write beside the server.
        bool serverLock = false;
        // Reads only, beside a server that may be writing (each statement reads one committed
        // state): nothing is created, written or locked, and a missing database is refused.
        bool readOnly = false;
    };

    // Opens the database at 'path', or creates it (with its folder) when there is no file.
    // A damaged, foreign, newer or locked database throws StoreError and is left as it was.
    static std::unique_ptr<Store> Open(const std::string& path, const Options& options);
    // Moves the database and its journal files aside ("<path>.bak", replacing an older one) so
    // that the next Open starts afresh; nothing is lost by accident. False when there was none.
    static bool MoveAside(const std::string& path);

    bool WasCreated() const { return m_created; }
    const std::string& Path() const { return m_path; }
    SqliteDatabase& Db() { return *m_db; }

    // Reference data.
    void AddBroker(const std::string& code, const std::string& name, const std::string& city);
    void AddBranch(const std::string& code, const std::string& broker, const std::string& name,
                   const std::string& city);
    void AddAccountGroup(const std::string& code, const std::string& broker, const std::string& name);
    std::optional<std::string> BrokerOfBranch(const std::string& branch);
    std::optional<std::string> BrokerOfGroup(const std::string& group);
    bool BrokerExists(const std::string& broker);

    // Entities: users, accounts and limit owners ("client:KVC10001").
    std::optional<EntityRow> Entity(EntityKind kind, const std::string& id);
    void PutEntity(EntityKind kind, const std::string& id, const EntityRow& row);
    // Removes the entity and its fields.
    void DeleteEntity(EntityKind kind, const std::string& id);
    FieldValues Fields(EntityKind kind, const std::string& id);
    // Sets each field to its values, replacing what was there.
    void PutFields(EntityKind kind, const std::string& id, const FieldValues& fields);
    // Ids of one kind, in order; only those of the category when one is given.
    std::vector<std::string> EntityIds(EntityKind kind, const std::string& category = "");
    std::vector<std::string> Brokers();
    std::vector<std::string> BranchesOf(const std::string& broker);
    std::vector<std::string> GroupsOf(const std::string& broker);
    // Users of the broker whose role (field 64060) is the given one.
    std::vector<std::string> UsersWithRole(const std::string& broker, const std::string& role);
    // Accounts whose investor user is this one.
    std::vector<std::string> AccountsLinkedTo(const std::string& user);

    // Requests. InsertRequest gives the request its key.
    std::int64_t InsertRequest(RequestRecord& request, const std::vector<ChangedField>& changes);
    std::optional<RequestRecord> Request(std::int64_t key);
    std::vector<ChangedField> Changes(std::int64_t key);
    // The pending request about this entity, when there is one.
    std::optional<std::int64_t> PendingFor(EntityKind kind, const std::string& entity);
    void MarkDecided(std::int64_t key, const std::string& status, const std::string& checker,
                     const std::string& at);
    // Every pending request, oldest first.
    void ForEachPending(const std::function<void(const RequestRecord&)>& visit);
    std::int64_t CountRequests(const std::string& status);

    // The append-only decision log (AuditTrail keeps its chain).
    std::optional<DecisionEntry> DecisionByMessageId(const std::string& messageId);
    std::vector<DecisionEntry> Decisions(std::int64_t key);
    // Gives the entry its place in the log and its hash.
    void AppendDecision(DecisionEntry& entry);
    // A request other than a decision that was refused; the caller bounds the texts.
    void AppendRefusal(const std::string& sender, const std::string& function, int statusCode,
                       const std::string& statusText);

    // The outbox: what is to be published, in order.
    void AppendOutbox(const connect::Message& message);
    // Up to 'limit' entries after 'afterSeq', in order.
    std::vector<std::pair<std::int64_t, connect::Message>> Outbox(std::int64_t afterSeq, int limit);
    // The same, read through another connection to the database (the publisher's own).
    static std::vector<std::pair<std::int64_t, connect::Message>> ReadOutbox(SqliteDatabase& db,
                                                                             std::int64_t afterSeq, int limit);
    void DeleteOutboxThrough(std::int64_t seq);

    // The database's own checks and the server's rules (each request decided once, never by
    // its maker; the entities' columns agree with their fields ...): an empty list when all hold.
    std::vector<std::string> CheckConsistency();

    // The time as the store writes it: UTC, "2024-06-01T10:22:33Z".
    static std::string Now();

private:
    Store(std::string path, std::unique_ptr<SqliteDatabase> db, bool created);
    static std::unique_ptr<SqliteDatabase> OpenChecked(const std::string& path, const Options& options);
    static void CreateSchema(SqliteDatabase& db);
    // Brings a database of an older schema to this one, in one transaction.
    static void Upgrade(SqliteDatabase& db, std::int64_t version);
    static RequestRecord ReadRequest(const SqliteStatement& statement);

    std::unique_ptr<FileLock> m_lock;
    std::string m_path;
    std::unique_ptr<SqliteDatabase> m_db;
    bool m_created = false;
};

} // namespace oms
