#include "oms/Store.h"

#include "oms/AuditTrail.h"
#include "oms/JsonText.h"

#include "oms/SqliteError.h"
#include "oms/SqliteTransaction.h"
#include "oms/StoreError.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>

namespace oms
{

namespace
{

namespace fs = std::filesystem;

// "KIVO" in the database header, so that a database of another program is recognised.
constexpr std::int64_t kApplicationId = 0x4B49564F;
// 2: the decision log's hash chain (content_hash, applied, row_hash, audit_head), the bus
// grants and the log of refused requests.
// 3: a request's changed fields in its own row (requests.changes), request_fields a view of them.
constexpr std::int64_t kSchemaVersion = 3;
// Values of a field with several values are kept in one text, separated by the unit separator,
// which no value may contain (values are printable).
constexpr char kValueSeparator = '\x1f';

const char* const kSchema = R"sql(
CREATE TABLE brokers(
    code TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    city TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE branches(
    code TEXT PRIMARY KEY,
    broker TEXT NOT NULL REFERENCES brokers(code),
    name TEXT NOT NULL,
    city TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE account_groups(
    code TEXT PRIMARY KEY,
    broker TEXT NOT NULL REFERENCES brokers(code),
    name TEXT NOT NULL
) WITHOUT ROWID;

-- Users, accounts and limit owners, with the columns they are found and published by; every
-- other field is in entity_fields.
CREATE TABLE entities(
    kind TEXT NOT NULL CHECK(kind IN ('user', 'account', 'limits')),
    id TEXT NOT NULL,
    broker TEXT NOT NULL REFERENCES brokers(code),
    branch TEXT REFERENCES branches(code),
    account_group TEXT REFERENCES account_groups(code),
    category TEXT NOT NULL,
    linked_user TEXT,
    PRIMARY KEY(kind, id)
) WITHOUT ROWID;
CREATE INDEX entities_linked_user ON entities(linked_user) WHERE linked_user IS NOT NULL;
CREATE TABLE entity_fields(
    kind TEXT NOT NULL,
    entity TEXT NOT NULL,
    field INTEGER NOT NULL,
    value TEXT NOT NULL,
    PRIMARY KEY(kind, entity, field),
    FOREIGN KEY(kind, entity) REFERENCES entities(kind, id) ON DELETE CASCADE
) WITHOUT ROWID;

CREATE TABLE requests(
    key INTEGER PRIMARY KEY,
    type INTEGER NOT NULL,
    kind TEXT NOT NULL,
    entity TEXT NOT NULL,
    category TEXT NOT NULL,
    maker TEXT NOT NULL,
    broker TEXT NOT NULL,
    branch TEXT NOT NULL,
    account_group TEXT NOT NULL,
    user_id TEXT NOT NULL,
    account_id TEXT NOT NULL,
    status TEXT NOT NULL CHECK(status IN ('auth pending', 'accepted', 'rejected')),
    entered_at TEXT NOT NULL,
    decided_by TEXT,
    decided_at TEXT,
    changes TEXT NOT NULL DEFAULT '[]'
);
-- One pending request per entity: a second change waits until the first is decided.
CREATE UNIQUE INDEX requests_one_pending ON requests(kind, entity) WHERE status = 'auth pending';
CREATE INDEX requests_pending ON requests(key) WHERE status = 'auth pending';

-- Every decision message, applied or refused, with the id of the message that carried it.
CREATE TABLE decision_log(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER,
    checker TEXT NOT NULL,
    decision TEXT NOT NULL,
    outcome TEXT NOT NULL CHECK(outcome IN ('applied', 'refused')),
    reason TEXT NOT NULL,
    edited TEXT NOT NULL,
    decided_at TEXT NOT NULL,
    message_id TEXT UNIQUE,
    status_code INTEGER NOT NULL,
    status_text TEXT NOT NULL,
    content_hash TEXT NOT NULL DEFAULT '',
    applied TEXT NOT NULL DEFAULT '',
    row_hash TEXT NOT NULL DEFAULT ''
);
CREATE INDEX decision_log_key ON decision_log(key);

-- Messages to publish, written in the transaction that caused them.
CREATE TABLE outbox(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    message BLOB NOT NULL
);

-- For people reading the database.
CREATE VIEW users AS
    SELECT id, broker, branch, category AS type,
           (SELECT value FROM entity_fields f WHERE f.kind = 'user' AND f.entity = e.id AND f.field = 30001) AS name
    FROM entities e WHERE kind = 'user';
CREATE VIEW accounts AS
    SELECT id, broker, branch, account_group, category, linked_user,
           (SELECT value FROM entity_fields f WHERE f.kind = 'account' AND f.entity = e.id AND f.field = 54002) AS name
    FROM entities e WHERE kind = 'account';
)sql";

// A request's changed fields are kept in its own row, as a JSON array of [field, value, value
// before] in order (JSON so that SQLite itself reads them): a row a field cost the makers' entering
// two more B-tree inserts a field, a third of its time. Readers see them as before.
const char* const kRequestFieldsView = R"sql(
CREATE VIEW request_fields AS
    SELECT r.key AS key, j.key AS position, j.value ->> 0 AS field, j.value ->> 1 AS value,
           j.value ->> 2 AS old_value
    FROM requests r, json_each(r.changes) j;
)sql";

// The decision log's append-only rule: dropped and made again only by the upgrade from schema 1,
// which seals the rows written before the chain existed.
const char* const kDecisionLogRules = R"sql(
CREATE TRIGGER decision_log_no_update BEFORE UPDATE ON decision_log
BEGIN SELECT RAISE(ABORT, 'the decision log is append-only'); END;
CREATE TRIGGER decision_log_no_delete BEFORE DELETE ON decision_log
BEGIN SELECT RAISE(ABORT, 'the decision log is append-only'); END;
)sql";

// The tables schema 2 added.
const char* const kSchema2Tables = R"sql(
-- Where the decision log's chain ends, as the server last wrote it.
CREATE TABLE audit_head(
    id INTEGER PRIMARY KEY CHECK(id = 1),
    rows INTEGER NOT NULL,
    last_seq INTEGER NOT NULL,
    last_hash TEXT NOT NULL
);
-- Who may use the message bus (the bus's authorisation is written from here).
CREATE TABLE bus_users(
    user TEXT PRIMARY KEY,
    password_hash TEXT NOT NULL,
    granted_at TEXT NOT NULL,
    revoked_at TEXT
) WITHOUT ROWID;
-- Requests other than decisions that the server refused: who, what, why (the text bounded).
CREATE TABLE refusals(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    at TEXT NOT NULL,
    sender TEXT NOT NULL,
    function TEXT NOT NULL,
    status_code INTEGER NOT NULL,
    status_text TEXT NOT NULL
);
CREATE TRIGGER refusals_no_update BEFORE UPDATE ON refusals
BEGIN SELECT RAISE(ABORT, 'the refusals are append-only'); END;
CREATE TRIGGER refusals_no_delete BEFORE DELETE ON refusals
BEGIN SELECT RAISE(ABORT, 'the refusals are append-only'); END;
)sql";

std::string KindText(EntityKind kind)
{
    return FieldCatalogue::KindName(kind);
}

EntityKind KindFrom(const std::string& text)
{
    if (text == "account")
        return EntityKind::Account;
    if (text == "limits")
        return EntityKind::Limits;
    return EntityKind::User;
}

std::string Join(const Values& values)
{
    std::string joined;
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        if (i)
            joined += kValueSeparator;
        joined += values[i];
    }
    return joined;
}

Values Split(const std::string& joined)
{
    Values values;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t at = joined.find(kValueSeparator, start);
        values.push_back(joined.substr(start, at - start));
        if (at == std::string::npos)
            return values;
        start = at + 1;
    }
}

// [[field, "value", "value before" or null], ...] in the order given.
std::string ChangesJson(const std::vector<ChangedField>& changes)
{
    std::string json = "[";
    for (const ChangedField& change : changes)
    {
        if (json.size() > 1)
            json += ',';
        json += '[';
        json += std::to_string(change.id);
        json += ',';
        AppendJsonString(json, Join(change.values));
        json += ',';
        if (change.oldValues)
            AppendJsonString(json, Join(*change.oldValues));
        else
            json += "null";
        json += ']';
    }
    json += ']';
    return json;
}

std::optional<std::string> NonEmpty(const std::string& text)
{
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

[[noreturn]] void Refuse(StoreError::Reason reason, const std::string& message)
{
    throw StoreError(reason, message);
}

[[noreturn]] void RefuseFor(const std::string& path, const SqliteError& error)
{
    switch (error.Code())
    {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        Refuse(StoreError::Reason::Damaged,
               "The database " + path + " is damaged (" + error.what() +
                   "). Nothing was changed. Restore it from a backup, or start afresh with --fresh (the "
                   "damaged file is kept as " +
                   path + ".bak).");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        Refuse(StoreError::Reason::Locked, "The database " + path +
                                               " is locked by another program. Nothing was changed. Close "
                                               "that program, or choose another database with --db.");
    default:
        Refuse(StoreError::Reason::Unusable,
               "The database " + path + " cannot be used (" + error.what() + "). Nothing was changed.");
    }
}

} // namespace

Store::Store(std::string path, std::unique_ptr<SqliteDatabase> db, bool created)
    : m_path(std::move(path)), m_db(std::move(db)), m_created(created)
{
}

std::string Store::Now()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool Store::MoveAside(const std::string& path)
{
    std::error_code ignored;
    if (!fs::exists(path, ignored))
        return false;
    const std::string aside = path + ".bak";
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(aside + suffix, ignored);
    for (const char* suffix : {"", "-wal", "-shm"})
    {
        if (fs::exists(path + suffix, ignored))
        {
            std::error_code error;
            fs::rename(path + suffix, aside + suffix, error);
            if (error)
                Refuse(StoreError::Reason::Unusable,
                       "Cannot move " + path + suffix + " aside to start afresh: " + error.message());
        }
    }
    return true;
}

void Store::CreateSchema(SqliteDatabase& db)
{
    SqliteTransaction transaction(db);
    db.Execute(kSchema);
    db.Execute(kDecisionLogRules);
    db.Execute(kSchema2Tables);
    db.Execute(kRequestFieldsView);
    db.Execute("PRAGMA application_id = " + std::to_string(kApplicationId));
    db.Execute("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
}

void Store::Upgrade(SqliteDatabase& db, std::int64_t version)
{
    SqliteTransaction transaction(db);
    if (version < 2)
    {
        db.Execute("ALTER TABLE decision_log ADD COLUMN content_hash TEXT NOT NULL DEFAULT '';"
                   "ALTER TABLE decision_log ADD COLUMN applied TEXT NOT NULL DEFAULT '';"
                   "ALTER TABLE decision_log ADD COLUMN row_hash TEXT NOT NULL DEFAULT '';");
        db.Execute(kSchema2Tables);
        // The rows written before the chain existed are sealed as they stand, in order.
        db.Execute("DROP TRIGGER IF EXISTS decision_log_no_update; DROP TRIGGER IF EXISTS decision_log_no_delete;");
        AuditTrail(db).Seal();
        db.Execute(kDecisionLogRules);
    }
    if (version < 3)
    {
        // Each request's fields into its row, in their order; then the table gives way to the view.
        db.Execute("ALTER TABLE requests ADD COLUMN changes TEXT NOT NULL DEFAULT '[]';"
                   "UPDATE requests SET changes = (SELECT json_group_array(json_array(f.field, f.value, "
                   "f.old_value)) FROM (SELECT field, value, old_value FROM request_fields f WHERE f.key = "
                   "requests.key ORDER BY position) f) WHERE key IN (SELECT key FROM request_fields);"
                   "DROP TABLE request_fields;");
        db.Execute(kRequestFieldsView);
    }
    db.Execute("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
}

std::unique_ptr<SqliteDatabase> Store::OpenChecked(const std::string& path, const Options& options)
{
    std::unique_ptr<SqliteDatabase> db;
    try
    {
        db = std::make_unique<SqliteDatabase>(
            path, options.readOnly ? SqliteDatabase::Mode::ReadOnly : SqliteDatabase::Mode::OpenExisting);
        db->SetBusyTimeout(options.busyTimeoutMs);
        // Reading the header first: a file that is no database fails here, before anything is
        // written.
        const std::string application = db->QueryText("PRAGMA application_id");
        if (std::stoll(application) != kApplicationId)
            Refuse(StoreError::Reason::Foreign,
                   path +
                       " is not a database of this server. Nothing was changed. Choose another file with "
                       "--db, or start afresh with --fresh (the file is kept as " +
                       path + ".bak).");
        const std::int64_t version = std::stoll(db->QueryText("PRAGMA user_version"));
        if (version > kSchemaVersion)
            Refuse(StoreError::Reason::TooNew,
                   "The database " + path + " was made by a newer server (schema " + std::to_string(version) +
                       ", this one knows " + std::to_string(kSchemaVersion) + "). Nothing was changed.");
        const std::string check = db->QueryText("PRAGMA quick_check(1)");
        if (check != "ok")
            Refuse(StoreError::Reason::Damaged,
                   "The database " + path + " is damaged (" + check +
                       "). Nothing was changed. Restore it from a backup, or start afresh with --fresh (the "
                       "damaged file is kept as " +
                       path + ".bak).");
        if (options.readOnly)
            return db;
        // The write lock, taken and given back: a database that another program holds is
        // reported now rather than at the first decision.
        db->Execute("BEGIN IMMEDIATE");
        db->Execute("ROLLBACK");
        db->Execute("PRAGMA journal_mode = WAL");
        db->Execute("PRAGMA synchronous = FULL");
        db->Execute("PRAGMA foreign_keys = ON");
        if (version < kSchemaVersion)
            Upgrade(*db, version);
    }
    catch (const SqliteError& error)
    {
        RefuseFor(path, error);
    }
    return db;
}

std::unique_ptr<Store> Store::Open(const std::string& path, const Options& options)
{
    std::error_code ignored;
    if (options.readOnly)
    {
        if (!fs::exists(path, ignored))
            Refuse(StoreError::Reason::Unusable,
                   "There is no database " + path + ". Create it with kivo-oms init, or choose another with --db.");
        return std::unique_ptr<Store>(new Store(path, OpenChecked(path, options), false));
    }
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::exists(folder, ignored))
    {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error)
            Refuse(StoreError::Reason::Unusable,
                   "Cannot create the folder " + folder.string() + " for the database: " + error.message());
    }
    std::unique_ptr<FileLock> lock;
    if (options.serverLock)
    {
        lock = std::make_unique<FileLock>();
        std::string error;
        if (!lock->Acquire(path + ".lock", &error))
            Refuse(error.empty() ? StoreError::Reason::Locked : StoreError::Reason::Unusable,
                   error.empty()
                       ? "The database " + path +
                             " is served by another server already (another terminal?). Nothing was "
                             "changed. Close it, or choose another database with --db."
                       : "Cannot lock the database " + path + ": " + error);
    }

    bool created = false;
    if (!fs::exists(path, ignored))
    {
        const std::string building = path + ".new";
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            fs::remove(building + suffix, ignored);
        try
        {
            auto db = std::make_unique<SqliteDatabase>(building, SqliteDatabase::Mode::Create);
            db->Execute("PRAGMA journal_mode = WAL");
            // Built under another name, so nothing needs syncing until the whole file is there.
            db->Execute("PRAGMA synchronous = OFF");
            db->Execute("PRAGMA foreign_keys = ON");
            CreateSchema(*db);
            Store store(building, std::move(db), true);
            if (options.seed)
                options.seed(store);
            store.Db().ResetAll();
            store.Db().Execute("PRAGMA synchronous = FULL");
            store.Db().Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        }
        catch (const SqliteError& error)
        {
            Refuse(StoreError::Reason::Unusable, "Cannot create the database " + path + ": " + error.what());
        }
        // Closed: its write-ahead log is folded in and gone, so the file alone is the database.
        fs::rename(building, path, ignored);
        if (ignored)
            Refuse(StoreError::Reason::Unusable,
                   "Cannot create the database " + path + ": " + ignored.message());
        created = true;
    }

    auto store = std::unique_ptr<Store>(new Store(path, OpenChecked(path, options), created));
    store->m_lock = std::move(lock);
    return store;
}

void Store::AddBroker(const std::string& code, const std::string& name, const std::string& city)
{
    m_db->Prepare("INSERT INTO brokers(code, name, city) VALUES(?, ?, ?)")
        .Bind(1, code)
        .Bind(2, name)
        .Bind(3, city)
        .Run();
}

void Store::AddBranch(const std::string& code, const std::string& broker, const std::string& name,
                      const std::string& city)
{
    m_db->Prepare("INSERT INTO branches(code, broker, name, city) VALUES(?, ?, ?, ?)")
        .Bind(1, code)
        .Bind(2, broker)
        .Bind(3, name)
        .Bind(4, city)
        .Run();
}

void Store::AddAccountGroup(const std::string& code, const std::string& broker, const std::string& name)
{
    m_db->Prepare("INSERT INTO account_groups(code, broker, name) VALUES(?, ?, ?)")
        .Bind(1, code)
        .Bind(2, broker)
        .Bind(3, name)
        .Run();
}

std::optional<std::string> Store::BrokerOfBranch(const std::string& branch)
{
    SqliteStatement& q = m_db->Prepare("SELECT broker FROM branches WHERE code = ?").Bind(1, branch);
    return q.Step() ? std::optional<std::string>(q.Text(0)) : std::nullopt;
}

std::optional<std::string> Store::BrokerOfGroup(const std::string& group)
{
    SqliteStatement& q = m_db->Prepare("SELECT broker FROM account_groups WHERE code = ?").Bind(1, group);
    return q.Step() ? std::optional<std::string>(q.Text(0)) : std::nullopt;
}

bool Store::BrokerExists(const std::string& broker)
{
    return m_db->Prepare("SELECT 1 FROM brokers WHERE code = ?").Bind(1, broker).Step();
}

std::optional<EntityRow> Store::Entity(EntityKind kind, const std::string& id)
{
    SqliteStatement& q = m_db->Prepare("SELECT broker, branch, account_group, category, linked_user FROM "
                                       "entities WHERE kind = ? AND id = ?")
                             .Bind(1, KindText(kind))
                             .Bind(2, id);
    if (!q.Step())
        return std::nullopt;
    return EntityRow{q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4)};
}

void Store::PutEntity(EntityKind kind, const std::string& id, const EntityRow& row)
{
    m_db->Prepare("INSERT INTO entities(kind, id, broker, branch, account_group, category, linked_user) "
                  "VALUES(?, ?, ?, ?, ?, ?, ?) ON CONFLICT(kind, id) DO UPDATE SET broker = excluded.broker, "
                  "branch = excluded.branch, account_group = excluded.account_group, "
                  "category = excluded.category, linked_user = excluded.linked_user")
        .Bind(1, KindText(kind))
        .Bind(2, id)
        .Bind(3, row.broker)
        .BindOptional(4, NonEmpty(row.branch))
        .BindOptional(5, NonEmpty(row.accountGroup))
        .Bind(6, row.category)
        .BindOptional(7, NonEmpty(row.linkedUser))
        .Run();
}

void Store::DeleteEntity(EntityKind kind, const std::string& id)
{
    m_db->Prepare("DELETE FROM entities WHERE kind = ? AND id = ?").Bind(1, KindText(kind)).Bind(2, id).Run();
}

FieldValues Store::Fields(EntityKind kind, const std::string& id)
{
    FieldValues fields;
    SqliteStatement& q = m_db->Prepare("SELECT field, value FROM entity_fields WHERE kind = ? AND entity = ?")
                             .Bind(1, KindText(kind))
                             .Bind(2, id);
    while (q.Step())
        fields[static_cast<std::int32_t>(q.Int(0))] = Split(q.Text(1));
    return fields;
}

void Store::PutFields(EntityKind kind, const std::string& id, const FieldValues& fields)
{
    SqliteStatement& put =
        m_db->Prepare("INSERT OR REPLACE INTO entity_fields(kind, entity, field, value) VALUES(?, ?, ?, ?)");
    for (const auto& [field, values] : fields)
        put.Reset()
            .Bind(1, KindText(kind))
            .Bind(2, id)
            .Bind(3, std::int64_t{field})
            .Bind(4, Join(values))
            .Run();
}

namespace
{
std::vector<std::string> Column(SqliteStatement& q)
{
    std::vector<std::string> texts;
    while (q.Step())
        texts.push_back(q.Text(0));
    return texts;
}
} // namespace

std::vector<std::string> Store::EntityIds(EntityKind kind, const std::string& category)
{
    return Column(
        m_db->Prepare("SELECT id FROM entities WHERE kind = ? AND (? = '' OR category = ?) ORDER BY id")
            .Bind(1, KindText(kind))
            .Bind(2, category)
            .Bind(3, category));
}

std::vector<std::string> Store::Brokers()
{
    return Column(m_db->Prepare("SELECT code FROM brokers ORDER BY code"));
}

std::vector<std::string> Store::BranchesOf(const std::string& broker)
{
    return Column(m_db->Prepare("SELECT code FROM branches WHERE broker = ? ORDER BY code").Bind(1, broker));
}

std::vector<std::string> Store::GroupsOf(const std::string& broker)
{
    return Column(
        m_db->Prepare("SELECT code FROM account_groups WHERE broker = ? ORDER BY code").Bind(1, broker));
}

std::vector<std::string> Store::UsersWithRole(const std::string& broker, const std::string& role)
{
    return Column(
        m_db->Prepare("SELECT e.id FROM entities e JOIN entity_fields f ON f.kind = 'user' AND "
                      "f.entity = e.id AND f.field = 64060 WHERE e.kind = 'user' AND e.broker = ? AND "
                      "f.value = ? ORDER BY e.id")
            .Bind(1, broker)
            .Bind(2, role));
}

std::vector<std::string> Store::AccountsLinkedTo(const std::string& user)
{
    std::vector<std::string> accounts;
    SqliteStatement& q =
        m_db->Prepare("SELECT id FROM entities WHERE kind = 'account' AND linked_user = ? ORDER BY id")
            .Bind(1, user);
    while (q.Step())
        accounts.push_back(q.Text(0));
    return accounts;
}

std::int64_t Store::InsertRequest(RequestRecord& request, const std::vector<ChangedField>& changes)
{
    // Keys are never reused: the next is one past the highest ever given.
    SqliteStatement& next = m_db->Prepare("SELECT COALESCE(MAX(key), 100000) + 1 FROM requests");
    next.Step();
    request.key = next.Int(0);
    m_db->Prepare(
            "INSERT INTO requests(key, type, kind, entity, category, maker, broker, branch, account_group, "
            "user_id, account_id, status, entered_at, changes) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(1, request.key)
        .Bind(2, std::int64_t{request.type})
        .Bind(3, KindText(request.kind))
        .Bind(4, request.entity)
        .Bind(5, request.category)
        .Bind(6, request.maker)
        .Bind(7, request.broker)
        .Bind(8, request.branch)
        .Bind(9, request.accountGroup)
        .Bind(10, request.user)
        .Bind(11, request.account)
        .Bind(12, request.status)
        .Bind(13, request.enteredAt)
        .Bind(14, std::string_view(ChangesJson(changes)))
        .Run();
    return request.key;
}

RequestRecord Store::ReadRequest(const SqliteStatement& q)
{
    RequestRecord r;
    r.key = q.Int(0);
    r.type = static_cast<int>(q.Int(1));
    r.kind = KindFrom(q.Text(2));
    r.entity = q.Text(3);
    r.category = q.Text(4);
    r.maker = q.Text(5);
    r.broker = q.Text(6);
    r.branch = q.Text(7);
    r.accountGroup = q.Text(8);
    r.user = q.Text(9);
    r.account = q.Text(10);
    r.status = q.Text(11);
    r.enteredAt = q.Text(12);
    r.decidedBy = q.Text(13);
    r.decidedAt = q.Text(14);
    return r;
}

namespace
{
constexpr const char* kRequestColumns = "SELECT key, type, kind, entity, category, maker, broker, branch, "
                                        "account_group, user_id, account_id, status, entered_at, decided_by, "
                                        "decided_at FROM requests ";
}

std::optional<RequestRecord> Store::Request(std::int64_t key)
{
    SqliteStatement& q = m_db->Prepare(std::string(kRequestColumns) + "WHERE key = ?").Bind(1, key);
    if (!q.Step())
        return std::nullopt;
    return ReadRequest(q);
}

std::vector<ChangedField> Store::Changes(std::int64_t key)
{
    std::vector<ChangedField> changes;
    SqliteStatement& q =
        m_db->Prepare("SELECT field, value, old_value FROM request_fields WHERE key = ? ORDER BY position")
            .Bind(1, key);
    while (q.Step())
    {
        ChangedField change;
        change.id = static_cast<std::int32_t>(q.Int(0));
        change.values = Split(q.Text(1));
        if (!q.IsNull(2))
            change.oldValues = Split(q.Text(2));
        changes.push_back(std::move(change));
    }
    return changes;
}

std::optional<std::int64_t> Store::PendingFor(EntityKind kind, const std::string& entity)
{
    SqliteStatement& q =
        m_db->Prepare("SELECT key FROM requests WHERE kind = ? AND entity = ? AND status = 'auth pending'")
            .Bind(1, KindText(kind))
            .Bind(2, entity);
    return q.Step() ? std::optional<std::int64_t>(q.Int(0)) : std::nullopt;
}

void Store::MarkDecided(std::int64_t key, const std::string& status, const std::string& checker,
                        const std::string& at)
{
    m_db->Prepare("UPDATE requests SET status = ?, decided_by = ?, decided_at = ? WHERE key = ?")
        .Bind(1, status)
        .Bind(2, checker)
        .Bind(3, at)
        .Bind(4, key)
        .Run();
}

void Store::ForEachPending(const std::function<void(const RequestRecord&)>& visit)
{
    SqliteStatement& q =
        m_db->Prepare(std::string(kRequestColumns) + "WHERE status = 'auth pending' ORDER BY key");
    while (q.Step())
        visit(ReadRequest(q));
}

std::int64_t Store::CountRequests(const std::string& status)
{
    SqliteStatement& q = m_db->Prepare("SELECT COUNT(*) FROM requests WHERE status = ?").Bind(1, status);
    q.Step();
    return q.Int(0);
}

std::optional<DecisionEntry> Store::DecisionByMessageId(const std::string& messageId)
{
    return AuditTrail(*m_db).ByMessageId(messageId);
}

std::vector<DecisionEntry> Store::Decisions(std::int64_t key)
{
    return AuditTrail(*m_db).ForRequest(key);
}

void Store::AppendDecision(DecisionEntry& entry)
{
    AuditTrail(*m_db).Append(entry);
}

void Store::AppendRefusal(const std::string& sender, const std::string& function, int statusCode,
                          const std::string& statusText)
{
    m_db->Prepare("INSERT INTO refusals(at, sender, function, status_code, status_text) VALUES(?, ?, ?, ?, ?)")
        .Bind(1, Now())
        .Bind(2, sender)
        .Bind(3, function)
        .Bind(4, std::int64_t{statusCode})
        .Bind(5, statusText)
        .Run();
}

void Store::AppendOutbox(const connect::Message& message)
{
    const std::vector<std::uint8_t> bytes = message.ToWire();
    m_db->Prepare("INSERT INTO outbox(message) VALUES(?)")
        .Bind(1, std::span<const std::uint8_t>(bytes))
        .Run();
}

std::vector<std::pair<std::int64_t, connect::Message>> Store::Outbox(std::int64_t afterSeq, int limit)
{
    return ReadOutbox(*m_db, afterSeq, limit);
}

std::vector<std::pair<std::int64_t, connect::Message>> Store::ReadOutbox(SqliteDatabase& db, std::int64_t afterSeq,
                                                                        int limit)
{
    std::vector<std::pair<std::int64_t, connect::Message>> entries;
    SqliteStatement& q = db.Prepare("SELECT seq, message FROM outbox WHERE seq > ? ORDER BY seq LIMIT ?")
                             .Bind(1, afterSeq)
                             .Bind(2, std::int64_t{limit});
    while (q.Step())
    {
        const std::vector<std::uint8_t> bytes = q.Blob(1);
        // Only this server writes the outbox; an entry it cannot read is skipped, not published.
        if (std::optional<connect::Message> message = connect::Message::FromWire(bytes))
            entries.emplace_back(q.Int(0), std::move(*message));
    }
    return entries;
}

void Store::DeleteOutboxThrough(std::int64_t seq)
{
    m_db->Prepare("DELETE FROM outbox WHERE seq <= ?").Bind(1, seq).Run();
}

std::vector<std::string> Store::CheckConsistency()
{
    std::vector<std::string> problems;
    const auto each = [&](const std::string& sql, const std::string& what)
    {
        SqliteStatement q(m_db->Handle(), sql);
        while (q.Step())
            problems.push_back(what + ": " + q.Text(0));
    };
    {
        SqliteStatement q(m_db->Handle(), "PRAGMA integrity_check");
        while (q.Step())
        {
            if (q.Text(0) != "ok")
                problems.push_back("integrity: " + q.Text(0));
        }
    }
    each("PRAGMA foreign_key_check", "a reference to nothing in table");
    each("SELECT key FROM requests r WHERE status != 'auth pending' AND (SELECT COUNT(*) FROM decision_log d "
         "WHERE d.key = r.key AND d.outcome = 'applied') != 1",
         "a decided request without exactly one applied decision");
    each("SELECT key FROM requests r WHERE status = 'auth pending' AND EXISTS(SELECT 1 FROM decision_log d "
         "WHERE d.key = r.key AND d.outcome = 'applied')",
         "a pending request with an applied decision");
    each("SELECT r.key FROM requests r JOIN decision_log d ON d.key = r.key AND d.outcome = 'applied' "
         "WHERE d.checker = r.maker OR r.decided_by IS NOT d.checker",
         "a request decided by its maker, or by someone the log does not name");
    each("SELECT r.key FROM requests r JOIN decision_log d ON d.key = r.key AND d.outcome = 'applied' "
         "WHERE (d.decision = 'reject') != (r.status = 'rejected')",
         "a request whose status disagrees with its decision");
    each("SELECT kind || ' ' || entity FROM requests WHERE status = 'auth pending' GROUP BY kind, entity "
         "HAVING COUNT(*) > 1",
         "two pending requests for");
    each("SELECT e.kind || ' ' || e.id FROM entities e WHERE e.kind != 'limits' AND ("
         "e.broker IS NOT (SELECT value FROM entity_fields f WHERE f.kind = e.kind AND f.entity = e.id AND "
         "f.field = 64056) OR e.branch IS NOT (SELECT value FROM entity_fields f WHERE f.kind = e.kind AND "
         "f.entity = e.id AND f.field = 64053))",
         "an entity whose broker or branch disagrees with its fields");
    each("SELECT e.kind || ' ' || e.id FROM entities e JOIN branches b ON b.code = e.branch WHERE b.broker "
         "!= e.broker",
         "an entity whose branch belongs to another broker");
    each("SELECT a.id FROM entities a WHERE a.kind = 'account' AND a.linked_user IS NOT NULL AND NOT EXISTS("
         "SELECT 1 FROM entities u WHERE u.kind = 'user' AND u.id = a.linked_user)",
         "an account linked to a user who does not exist");
    each("SELECT key FROM requests WHERE NOT json_valid(changes) OR json_type(changes) != 'array'",
         "a request whose changed fields cannot be read");
    each("SELECT DISTINCT r.key FROM (SELECT key, changes FROM requests WHERE json_valid(changes) AND "
         "json_type(changes) = 'array') r, json_each(r.changes) j GROUP BY r.key, j.value ->> 0 HAVING "
         "COUNT(*) > 1",
         "a request that changes one field twice");
    return problems;
}

} // namespace oms
