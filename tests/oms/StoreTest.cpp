// The database at start: made and seeded once, kept across runs, moved aside for a fresh start;
// a damaged, foreign, locked or already served database is refused with a clear message and
// left exactly as it was.
#include "OmsTestSupport.h"

#include "oms/SqliteDatabase.h"
#include "oms/SqliteError.h"
#include "oms/SqliteTransaction.h"
#include "oms/StoreError.h"

#include <fstream>
#include <iterator>
#include <set>

using namespace oms_test;
using oms::EntityKind;
using oms::StoreError;

namespace
{

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Opens as a server does; the reason it was refused, or nothing.
std::optional<StoreError::Reason> Refusal(const std::string& path, std::string* message = nullptr)
{
    try
    {
        oms::Store::Options options;
        options.busyTimeoutMs = 50;
        options.serverLock = true;
        oms::Store::Open(path, options);
        return std::nullopt;
    }
    catch (const StoreError& error)
    {
        if (message)
            *message = error.what();
        return error.GetReason();
    }
}

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

TEST(StoreTest, ASeededDatabaseIsVariedAndConsistent)
{
    ScopedTempDir folder;
    oms::Store::Options options;
    options.seed = [](oms::Store& store) { oms::Seeder(store).Run(); };
    std::unique_ptr<oms::Store> store = oms::Store::Open(folder / "seeded.db", options);
    EXPECT_TRUE(store->WasCreated());
    EXPECT_EQ(store->CheckConsistency(), std::vector<std::string>{});

    EXPECT_EQ(store->Brokers().size(), 3u);
    EXPECT_GE(store->EntityIds(EntityKind::User).size(), 300u);
    EXPECT_GE(store->EntityIds(EntityKind::Account).size(), 450u);
    // Limits at every level, and every limit field somewhere.
    std::set<std::string> levels;
    std::set<int> limitFields;
    for (const std::string& owner : store->EntityIds(EntityKind::Limits))
    {
        levels.insert(owner.substr(0, owner.find(':')));
        for (const auto& [id, values] : store->Fields(EntityKind::Limits, owner))
            limitFields.insert(id);
    }
    EXPECT_EQ(levels, (std::set<std::string>{"broker", "branch", "group", "dealer", "client"}));
    EXPECT_EQ(limitFields.size(), oms::FieldCatalogue::For(EntityKind::Limits).size());
    // Investors have their users.
    const std::vector<std::string> investors = store->EntityIds(EntityKind::Account, oms::kInvestorClient);
    EXPECT_GE(investors.size(), 30u);
    for (const std::string& id : investors)
        EXPECT_EQ(store->Entity(EntityKind::Account, id)->linkedUser, id);

    // Pending requests of every type, investor pairs among them.
    std::set<int> types;
    std::set<std::string> investorUsers;
    std::set<std::string> investorClients;
    store->ForEachPending(
        [&](const oms::RequestRecord& r)
        {
            types.insert(r.type);
            if (r.category == oms::kInvestorClient && r.type == oms::kAddUser)
                investorUsers.insert(r.entity);
            if (r.category == oms::kInvestorClient && r.type == oms::kAddClient)
                investorClients.insert(r.user);
        });
    EXPECT_EQ(types, (std::set<int>{339, 340, 353, 354, 360, 365, 366}));
    EXPECT_GE(investorUsers.size(), 2u);
    EXPECT_EQ(investorUsers, investorClients);
    EXPECT_GE(store->CountRequests(oms::kPending), 40);
}

TEST(StoreTest, TheDatabaseIsKeptAcrossRunsUnlessAFreshStartIsAsked)
{
    ScopedTempDir folder;
    const std::string path = folder / "data/kivo-oms.db";
    RecordingPublisher publisher;
    oms::OmsServer::Options options;
    options.databasePath = path;
    options.seedSize = SmallSeed();
    options.watchIntervalMs = 0;
    std::int64_t key = 0;
    {
        oms::OmsServer server(options, publisher);
        EXPECT_TRUE(server.WasCreated());
        std::string owner;
        server.WithStore([&](oms::Store& s) { owner = FreeLimitOwner(s, "broker:"); });
        key = server.Enter({"MAKER1", oms::kRmsLimits, owner, {{"exposure", "1"}}});
    }
    {
        oms::OmsServer server(options, publisher);
        EXPECT_FALSE(server.WasCreated());
        server.WithStore([&](oms::Store& s) { EXPECT_TRUE(s.Request(key)); });
    }
    options.fresh = true;
    {
        oms::OmsServer server(options, publisher);
        EXPECT_TRUE(server.WasCreated());
        server.WithStore([&](oms::Store& s) { EXPECT_FALSE(s.Request(key)); });
    }
    // The old one is kept aside, whole.
    oms::Store::Options plain;
    const std::unique_ptr<oms::Store> aside = oms::Store::Open(path + ".bak", plain);
    EXPECT_TRUE(aside->Request(key));
}

TEST(StoreTest, ADamagedOrForeignDatabaseIsRefusedAndLeftAsItWas)
{
    ScopedTempDir folder;
    std::string message;

    const std::string garbage = folder / "garbage.db";
    const std::string text = "This is a spreadsheet, honestly.\n" + std::string(5000, 'x');
    Write(garbage, text);
    EXPECT_EQ(Refusal(garbage, &message), StoreError::Reason::Damaged);
    EXPECT_NE(message.find("is damaged"), std::string::npos) << message;
    EXPECT_NE(message.find("Nothing was changed"), std::string::npos);
    EXPECT_EQ(Bytes(garbage), text);
    EXPECT_FALSE(Exists(garbage + "-wal"));
    EXPECT_FALSE(Exists(garbage + "-shm"));

    // A database whose pages are damaged: its header still reads, its check does not.
    const std::string broken = folder / "broken.db";
    std::filesystem::copy_file(SeededTemplate(), broken);
    std::string bytes = Bytes(broken);
    ASSERT_GT(bytes.size(), 40000u);
    for (std::size_t at = 8192; at < 40000; at += 97)
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    Write(broken, bytes);
    EXPECT_EQ(Refusal(broken, &message), StoreError::Reason::Damaged);
    EXPECT_EQ(Bytes(broken), bytes);

    // A database of another program.
    const std::string foreign = folder / "foreign.db";
    {
        oms::SqliteDatabase other(foreign, oms::SqliteDatabase::Mode::Create);
        other.Execute("CREATE TABLE invoices(id INTEGER PRIMARY KEY, amount REAL)");
    }
    const std::string before = Bytes(foreign);
    EXPECT_EQ(Refusal(foreign, &message), StoreError::Reason::Foreign);
    EXPECT_NE(message.find("is not a database of this server"), std::string::npos);
    EXPECT_EQ(Bytes(foreign), before);
}

TEST(StoreTest, ALockedOrServedDatabaseIsRefusedAndLeftAsItWas)
{
    ScopedTempDir folder;
    const std::string path = folder / "kivo-oms.db";
    std::filesystem::copy_file(SeededTemplate(), path);
    std::string message;
    {
        // Another program holds the write lock.
        oms::SqliteDatabase other(path, oms::SqliteDatabase::Mode::OpenExisting);
        other.Execute("BEGIN EXCLUSIVE");
        other.Execute("UPDATE requests SET changes = '[]'");
        EXPECT_EQ(Refusal(path, &message), StoreError::Reason::Locked);
        EXPECT_NE(message.find("is locked by another program"), std::string::npos) << message;
        other.Execute("ROLLBACK");
    }
    {
        // Another server serves it.
        RecordingPublisher publisher;
        oms::OmsServer::Options options;
        options.databasePath = path;
        options.watchIntervalMs = 0;
        oms::OmsServer first(options, publisher);
        EXPECT_EQ(Refusal(path, &message), StoreError::Reason::Locked);
        EXPECT_NE(message.find("is served by another server"), std::string::npos) << message;
    }
    // Once free, it opens, and nothing was lost meanwhile.
    EXPECT_EQ(Refusal(path), std::nullopt);
    oms::Store::Options plain;
    EXPECT_NE(oms::Store::Open(path, plain)->Db().QueryText("SELECT COUNT(*) FROM request_fields"), "0");
}

// A request's changed fields live in its own row: every value comes back as entered, in order,
// with or without a value before, also after the upgrade from the table of a row a field.
TEST(StoreTest, ChangedFieldsComeBackAsEnteredAlsoAfterTheUpgradeFromARowAField)
{
    ScopedTempDir folder;
    const std::string path = folder / "changes.db";
    const std::vector<oms::ChangedField> entered = {
        {30001, {"Asha \"Quoted\" Rao \\ back"}, std::nullopt},
        {63001, {"nse_cm", "bse_cm", ""}, std::vector<std::string>{"mcx_fo"}},
        {10046, {"Line one\nline two\ttab \x01 \xe2\x82\xb9 [1,2] {}"}, std::vector<std::string>{""}},
        {54002, {"null"}, std::vector<std::string>{"42", "x"}},
    };
    const auto expectEntered = [&entered](const std::vector<oms::ChangedField>& read)
    {
        ASSERT_EQ(read.size(), entered.size());
        for (std::size_t i = 0; i < read.size(); ++i)
        {
            EXPECT_EQ(read[i].id, entered[i].id) << i;
            EXPECT_EQ(read[i].values, entered[i].values) << i;
            EXPECT_EQ(read[i].oldValues, entered[i].oldValues) << i;
        }
    };
    std::int64_t key = 0;
    {
        std::unique_ptr<oms::Store> store = oms::Store::Open(path, {});
        oms::RequestRecord request;
        request.type = oms::kModifyUser;
        request.entity = request.user = "U1";
        request.maker = "MAKER1";
        key = store->InsertRequest(request, entered);
        oms::RequestRecord none = request;
        none.entity = none.user = "U2";
        const std::int64_t empty = store->InsertRequest(none, {});
        expectEntered(store->Changes(key));
        EXPECT_TRUE(store->Changes(empty).empty());
        EXPECT_EQ(store->CheckConsistency(), std::vector<std::string>{});
        // As the server of schema 2 left it.
        store->Db().Execute(kRequestFieldsAsATable);
        store->Db().Execute("PRAGMA user_version = 2");
        EXPECT_EQ(store->Db().QueryText("SELECT COUNT(*) FROM request_fields"), "4");
    }
    std::unique_ptr<oms::Store> store = oms::Store::Open(path, {});
    EXPECT_EQ(store->Db().QueryText("PRAGMA user_version"), "3");
    expectEntered(store->Changes(key));
    EXPECT_EQ(store->CheckConsistency(), std::vector<std::string>{});

    // What the check finds in a row written by hand.
    store->Db().Execute("UPDATE requests SET changes = '[[30001,\"a\",null],[30001,\"b\",null]]' WHERE key = " +
                        std::to_string(key));
    EXPECT_EQ(store->CheckConsistency(),
              std::vector<std::string>{"a request that changes one field twice: " + std::to_string(key)});
    store->Db().Execute("UPDATE requests SET changes = '[[30001,' WHERE key = " + std::to_string(key));
    EXPECT_EQ(store->CheckConsistency(),
              std::vector<std::string>{"a request whose changed fields cannot be read: " + std::to_string(key)});
}

TEST(StoreTest, TheDecisionLogCannotBeRewritten)
{
    ScopedTempDir folder;
    std::filesystem::copy_file(SeededTemplate(), folder / "kivo-oms.db");
    oms::Store::Options plain;
    std::unique_ptr<oms::Store> store = oms::Store::Open(folder / "kivo-oms.db", plain);
    oms::DecisionEntry entry;
    entry.key = 1;
    entry.checker = "CHECKER1";
    entry.decision = "accept";
    entry.outcome = "refused";
    entry.decidedAt = oms::Store::Now();
    entry.statusText = "There is no request 1";
    store->AppendDecision(entry);
    for (const char* sql : {"UPDATE decision_log SET checker = 'SOMEONE'", "DELETE FROM decision_log"})
    {
        try
        {
            store->Db().Execute(sql);
            ADD_FAILURE() << sql << " went through";
        }
        catch (const oms::SqliteError& error)
        {
            EXPECT_NE(std::string(error.what()).find("append-only"), std::string::npos);
        }
    }
    EXPECT_EQ(store->Decisions(1).size(), 1u);
}

} // namespace

// Two programs writing one database (a maker entering beside the server): a write waits for the
// other's lock, also when its own last read stopped at its first row after the other wrote.
TEST(StoreTest, AWriteWaitsForAnotherProgramsWriteAfterAReadLeftOpen)
{
    ScopedTempDir folder;
    const std::string path = folder / "kivo-oms.db";
    std::filesystem::copy_file(SeededTemplate(), path);
    oms::Store::Options options;
    std::unique_ptr<oms::Store> mine = oms::Store::Open(path, options);
    std::unique_ptr<oms::Store> other = oms::Store::Open(path, options);

    // A kept statement read one row and was left there: its snapshot stays open.
    oms::SqliteStatement& read = mine->Db().Prepare("SELECT name FROM sqlite_master");
    ASSERT_TRUE(read.Step());
    other->Db().Execute("CREATE TABLE written_meanwhile(x)");

    {
        oms::SqliteTransaction transaction(mine->Db());
        mine->Db().Execute("CREATE TABLE written_after(x)");
        transaction.Commit();
    }
    EXPECT_EQ(other->Db().QueryText("SELECT COUNT(*) FROM sqlite_master WHERE name = 'written_after'"), "1");
}
