// The server when its database fails under it. The failures are injected as SQLite's own tests
// inject them (FaultyVfs): the n-th read, write or sync fails, for n = 1, 2, 3 ... until the work
// gets through without the fault firing. At every n the server must answer with the database's
// reason, leave each decision or request whole or absent (never half), lose nothing it answered
// as done, keep nobody else out of the database, and serve the same messages once the disk works.
#include "FaultyVfs.h"
#include "OmsTestSupport.h"

#include "oms/MakerCommand.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteDatabase.h"
#include "oms/StoreError.h"

#include <gmock/gmock.h>

#include <fstream>
#include <iterator>

using namespace oms_test;
using Op = FaultyVfs::Op;
using testing::HasSubstr;
using testing::StartsWith;

namespace
{

std::filesystem::path MemoryFolder()
{
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                            : std::filesystem::temp_directory_path();
}

struct Fault
{
    const char* name;
    Op op;
    int code;
    bool garbled = false; // the read succeeds with the page's bytes garbled
};

const Fault kReadError{"ReadError", Op::Read, SQLITE_IOERR_READ};
const Fault kBadPage{"BadPage", Op::Read, SQLITE_OK, true};
const Fault kWriteError{"WriteError", Op::Write, SQLITE_IOERR_WRITE};
const Fault kDiskFull{"DiskFull", Op::Write, SQLITE_FULL};
const Fault kSyncError{"SyncError", Op::Sync, SQLITE_IOERR_FSYNC};

// A request as every other program sees it: read by a connection of its own, so that only what
// was committed counts.
struct RequestState
{
    std::string status;
    std::string decidedBy;
    oms::FieldValues fields;
    std::vector<std::string> log; // each decision: outcome, decision, message id, answer

    bool operator==(const RequestState&) const = default;
};

std::string Describe(const RequestState& state)
{
    std::string text = state.status + " by '" + state.decidedBy + "', " +
                       std::to_string(state.fields.size()) + " fields, log:";
    for (const std::string& entry : state.log)
        text += " [" + entry + "]";
    return text;
}

void PrintTo(const RequestState& state, std::ostream* out)
{
    *out << Describe(state);
}

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

// The database's failure as the server must answer it: status 9 and the reason after the colon.
void ExpectFailureAnswer(const Answer& answer, const std::string& start)
{
    EXPECT_EQ(answer.Code(), oms::kStatusServerFault) << answer.Text();
    EXPECT_THAT(answer.Text(), StartsWith(start));
    EXPECT_GT(answer.Text().size(), start.size()) << "the answer gives the database's reason";
}

class FaultInjectionTest : public ServerTest
{
protected:
    FaultInjectionTest() : ServerTest(MemoryFolder()) {}
    void SetUp() override { FreshServer(); }
    void TearDown() override
    {
        vfs.Clear();
        server.reset();
    }

    // The seeded database as it was made, and a server started on it through the faulty VFS.
    // Its cache holds a few pages only: the start's checks read the whole small database into
    // it, and the work under test must read (and spill) through the disk at every step instead.
    void FreshServer()
    {
        server.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(DatabasePath() + suffix);
        publisher.Clear();
        Restart();
        server->WithStore([](oms::Store& s) { s.Db().Execute("PRAGMA cache_size = 1"); });
    }

    void Arm(const Fault& fault, int n)
    {
        if (fault.garbled)
            vfs.ArmGarbledRead(n);
        else
            vfs.Arm(fault.op, n, fault.code);
    }

    // Runs 'attempt' with the n-th call of the fault failing, for n = 1, 2 ... on a fresh server
    // each time, and then 'check' with the fault cleared and whether it fired, until an attempt
    // runs without it. How many attempts it failed.
    int Sweep(const Fault& fault, const std::function<void()>& attempt,
              const std::function<void(bool)>& check)
    {
        for (int n = 1;; ++n)
        {
            if (n > 2000)
            {
                ADD_FAILURE() << "the work never got through";
                return n;
            }
            SCOPED_TRACE(std::string(fault.name) + " at call " + std::to_string(n));
            FreshServer();
            Arm(fault, n);
            attempt();
            const bool fired = vfs.Fired();
            vfs.Clear();
            check(fired);
            if (!fired || HasFailure())
                return n - 1;
        }
    }

    std::vector<RequestState> StatesOf(const std::vector<oms::RequestRecord>& requests)
    {
        oms::Store::Options reading;
        reading.readOnly = true;
        const std::unique_ptr<oms::Store> reader = oms::Store::Open(DatabasePath(), reading);
        std::vector<RequestState> states;
        for (const oms::RequestRecord& request : requests)
        {
            RequestState& state = states.emplace_back();
            const std::optional<oms::RequestRecord> now = reader->Request(request.key);
            state.status = now->status;
            state.decidedBy = now->decidedBy;
            state.fields = reader->Fields(request.kind, request.entity);
            for (const oms::DecisionEntry& entry : reader->Decisions(request.key))
                state.log.push_back(entry.outcome + " " + entry.decision + " " + entry.messageId + " " +
                                    std::to_string(entry.statusCode) + " " + entry.statusText);
        }
        return states;
    }

    std::int64_t PendingCount()
    {
        oms::Store::Options reading;
        reading.readOnly = true;
        return oms::Store::Open(DatabasePath(), reading)->CountRequests(oms::kPending);
    }

    // A failure leaves no lock behind: another program can write at once.
    void ExpectNothingHeld()
    {
        oms::SqliteDatabase other(DatabasePath(), oms::SqliteDatabase::Mode::OpenExisting);
        other.SetBusyTimeout(0);
        EXPECT_NO_THROW(other.Execute("BEGIN IMMEDIATE; ROLLBACK"))
            << "the server still holds the write lock";
    }

    FaultyVfs vfs;
};

class DecisionBatchFaults : public FaultInjectionTest, public testing::WithParamInterface<Fault>
{
};

// Three decisions of three kinds, handed over together as the transport hands those that waited
// together: one transaction, one savepoint each. Every decision answered as applied is applied
// whole and committed; every other one is answered with the reason and is nowhere.
TEST_P(DecisionBatchFaults, EachDecisionIsAppliedWholeOrAnsweredWithTheReasonAndNowhere)
{
    const std::vector<oms::RequestRecord> requests = {Pending(oms::kModifyUser, "DEALER"),
                                                      Pending(oms::kModifyClient), Pending(oms::kRmsLimits)};
    const std::vector<std::pair<connect::Message, std::string>> batch = {
        {Accept(requests[0], "CHECKER2"), "fault-1"},
        {Reject(requests[1], "CHECKER2", "Bank proof missing"), "fault-2"},
        {Update(requests[2].key, "CHECKER2", {{41000, "75000.00"}}), "fault-3"}};
    // Without a fault: each request before and after its decision.
    const std::vector<RequestState> before = StatesOf(requests);
    for (const Answer& answer : AskTogether(batch))
        ASSERT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    const std::vector<RequestState> after = StatesOf(requests);

    std::vector<Answer> answers;
    const int failed = Sweep(
        GetParam(), [&] { answers = AskTogether(batch); },
        [&](bool fired)
        {
            const std::vector<RequestState> now = StatesOf(requests);
            for (std::size_t i = 0; i < requests.size(); ++i)
            {
                const std::size_t published = publisher.About(requests[i].key).size();
                if (answers[i].Code() == oms::kStatusOk)
                {
                    EXPECT_EQ(now[i], after[i]) << "answered as applied";
                    EXPECT_LE(published, 1u);
                    continue;
                }
                EXPECT_TRUE(fired) << answers[i].Text();
                ExpectFailureAnswer(answers[i], "The server's database failed; nothing was recorded: ");
                EXPECT_EQ(now[i], before[i]) << "answered as not recorded";
                EXPECT_EQ(published, 0u);
            }
            ExpectNothingHeld();
            EXPECT_EQ(Problems(), std::vector<std::string>{});

            // The disk works again: the same messages decide each request once, and whatever was
            // decided is published once (what waited in the outbox goes with this commit).
            const std::vector<Answer> again = AskTogether(batch);
            for (std::size_t i = 0; i < requests.size(); ++i)
            {
                EXPECT_EQ(again[i].Code(), oms::kStatusOk) << again[i].Text();
                EXPECT_EQ(publisher.About(requests[i].key).size(), 1u);
            }
            EXPECT_EQ(StatesOf(requests), after);
        });
    EXPECT_GT(failed, 0) << "the fault never reached the batch";
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, DecisionBatchFaults,
                         testing::Values(kReadError, kBadPage, kWriteError, kDiskFull, kSyncError),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

class MakersLinesFaults : public FaultInjectionTest, public testing::WithParamInterface<Fault>
{
};

// A makers' tool's lines over the bus are entered together or not at all, whatever fails.
TEST_P(MakersLinesFaults, AllLinesAreEnteredOrNoneAndTheAnswerSaysWhy)
{
    connect::Message lines;
    lines.Add(0, oms::MakerCommand::kEnterFunction)
        .Add(oms::MakerCommand::kLineField, "maker=MAKER1 limits " + FreeOwner("broker:") + " slbm=4400")
        .Add(oms::MakerCommand::kLineField, "maker=MAKER1 limits " + FreeOwner("branch:") + " slbm=4500");
    const std::int64_t pendingBefore = PendingCount();

    Answer answer;
    const int failed = Sweep(
        GetParam(), [&] { answer = Ask(lines, "lines-1"); },
        [&](bool)
        {
            if (answer.Code() == oms::kStatusOk)
            {
                EXPECT_EQ(PendingCount(), pendingBefore + 2);
                EXPECT_LE(publisher.Published().size(), 2u);
            }
            else
            {
                ExpectFailureAnswer(answer, "The server's database failed; nothing was entered: ");
                EXPECT_EQ(PendingCount(), pendingBefore);
                EXPECT_TRUE(publisher.Published().empty());
                ExpectNothingHeld();
                const Answer again = Ask(lines, "lines-2");
                EXPECT_EQ(again.Code(), oms::kStatusOk) << again.Text();
                EXPECT_EQ(PendingCount(), pendingBefore + 2);
            }
            // Whatever was entered is published once, at the latest with the next commit.
            EXPECT_EQ(Ask(Reject(Pending(oms::kModifyClient), "CHECKER2", "to commit"), "commit").Code(),
                      oms::kStatusOk);
            EXPECT_EQ(publisher.Published().size(), 3u);
            EXPECT_EQ(Problems(), std::vector<std::string>{});
        });
    EXPECT_GT(failed, 0);
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, MakersLinesFaults,
                         testing::Values(kReadError, kBadPage, kWriteError, kDiskFull, kSyncError),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

class QueryFaults : public FaultInjectionTest, public testing::WithParamInterface<Fault>
{
};

// A detail query and a recovery that cannot read what they answer with: the reason, and the
// same answer as ever once the disk reads again.
TEST_P(QueryFaults, AQueryAnswersWholeOrWithTheReason)
{
    const oms::RequestRecord limits = Pending(oms::kRmsLimits);
    const connect::Session checker{"CHECKER2", "KIVO", 0};
    const connect::Message details = Details("om_get_auth_limits_details", limits.key, "CHECKER2");
    const connect::Message recovery =
        connect::Message().Add(0, "om_get_functionality_details").Add(31003, "CHECKER2");
    const std::vector<connect::Message> detailReplies = Ask(details, "", checker).replies;
    const std::vector<connect::Message> recoveryReplies = Ask(recovery, "", checker).replies;
    ASSERT_EQ(Answer{detailReplies}.Code(), oms::kStatusOk);
    ASSERT_GT(recoveryReplies.size(), 10u);

    Answer first;
    Answer second;
    const int failed = Sweep(
        GetParam(),
        [&]
        {
            first = Ask(details, "", checker);
            second = Ask(recovery, "", checker);
        },
        [&](bool)
        {
            for (const auto& [answer, whole] :
                 {std::pair{&first, &detailReplies}, {&second, &recoveryReplies}})
            {
                if (answer->Code() == oms::kStatusOk)
                    EXPECT_EQ(answer->replies, *whole) << "answered as done, so answered whole";
                else
                    ExpectFailureAnswer(*answer, "The server's database failed: ");
            }
            EXPECT_EQ(Ask(details, "", checker).replies, detailReplies);
            EXPECT_EQ(Ask(recovery, "", checker).replies, recoveryReplies);
        });
    EXPECT_GT(failed, 0);
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, QueryFaults, testing::Values(kReadError, kBadPage),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

// A message decided before, sent again in a batch whose transaction then fails, is answered as it
// was the first time: that answer was true before the batch and stays true.
TEST_F(FaultInjectionTest, AnEarlierDecisionSentAgainKeepsItsAnswerWhenItsBatchFails)
{
    const oms::RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    const oms::RequestRecord account = Pending(oms::kModifyClient);
    const Answer first = Ask(Accept(user, "CHECKER2"), "earlier");
    ASSERT_EQ(first.Code(), oms::kStatusOk);

    vfs.Arm(Op::Sync, 1, SQLITE_IOERR_FSYNC);
    std::vector<Answer> answers = AskTogether(
        {{Accept(user, "CHECKER2"), "earlier"}, {Reject(account, "CHECKER2", "Bank proof missing"), "now"}});
    EXPECT_TRUE(vfs.Fired()) << "the batch's commit failed";
    vfs.Clear();
    EXPECT_EQ(answers[0].Code(), oms::kStatusOk);
    EXPECT_EQ(answers[0].Text(), first.Text());
    ExpectFailureAnswer(answers[1], "The server's database failed; nothing was recorded: ");
    EXPECT_EQ(Request(account.key)->status, oms::kPending);

    // Decided and sent again within the failing batch itself: neither answer holds.
    vfs.Arm(Op::Sync, 1, SQLITE_IOERR_FSYNC);
    answers = AskTogether({{Reject(account, "CHECKER2", "Bank proof missing"), "twice"},
                           {Reject(account, "CHECKER2", "Bank proof missing"), "twice"}});
    vfs.Clear();
    ExpectFailureAnswer(answers[0], "The server's database failed; nothing was recorded: ");
    ExpectFailureAnswer(answers[1], "The server's database failed; nothing was recorded: ");
    EXPECT_EQ(Request(account.key)->status, oms::kPending);
    EXPECT_EQ(Ask(Reject(account, "CHECKER2", "Bank proof missing"), "twice").Code(), oms::kStatusOk);
}

// Starting on a disk that fails: the server says why, and the database stays byte for byte.
TEST_F(FaultInjectionTest, AServerThatCannotReadItsDatabaseAtStartSaysWhyAndChangesNothing)
{
    server.reset();
    const auto bytes = [this]
    {
        std::ifstream in(DatabasePath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string original = bytes();
    for (const Fault& fault : {kReadError, kBadPage})
    {
        int refused = 0;
        for (int n = 1; n < 5000; ++n)
        {
            SCOPED_TRACE(std::string(fault.name) + " at call " + std::to_string(n));
            Arm(fault, n);
            try
            {
                MakeServer();
            }
            catch (const oms::StoreError& error)
            {
                EXPECT_THAT(error.what(), HasSubstr("Nothing was changed"));
                ++refused;
            }
            const bool fired = vfs.Fired();
            vfs.Clear();
            server.reset();
            EXPECT_EQ(bytes(), original);
            if (HasFailure() || !fired)
                break;
        }
        EXPECT_GT(refused, 0) << fault.name;
    }
    vfs.Arm(Op::Open, 1, SQLITE_CANTOPEN, true);
    EXPECT_THROW(MakeServer(), oms::StoreError);
    vfs.Clear();
    MakeServer();
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

// Another program holds the write lock longer than the server waits: the decision is answered
// with that reason, and applied when it is sent again after the lock is given back.
TEST_F(FaultInjectionTest, ADecisionWhileAnotherProgramHoldsTheDatabaseIsAnsweredAndAppliedLater)
{
    const oms::RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    const std::vector<RequestState> before = StatesOf({user});
    server.reset();
    oms::OmsServer::Options options;
    options.databasePath = DatabasePath();
    options.busyTimeoutMs = 50;
    options.watchIntervalMs = 0;
    server = std::make_unique<oms::OmsServer>(options, publisher);
    server->Start();

    oms::SqliteDatabase other(DatabasePath(), oms::SqliteDatabase::Mode::OpenExisting);
    other.Execute("BEGIN IMMEDIATE");
    const Answer busy = Ask(Accept(user, "CHECKER2"), "busy-1");
    ExpectFailureAnswer(busy, "The server's database failed; nothing was recorded: ");
    EXPECT_THAT(busy.Text(), HasSubstr("locked"));
    other.Execute("ROLLBACK");
    EXPECT_EQ(StatesOf({user}), before);
    EXPECT_TRUE(publisher.About(user.key).empty());

    EXPECT_EQ(Ask(Accept(user, "CHECKER2"), "busy-1").Code(), oms::kStatusOk);
    EXPECT_EQ(Request(user.key)->status, "accepted");
    EXPECT_EQ(publisher.About(user.key).size(), 1u);
}

} // namespace
