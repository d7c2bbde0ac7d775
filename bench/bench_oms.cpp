// The order server's speed as a terminal meets it through the in-process transport, on a seeded
// database in a temporary folder (WAL, synchronous FULL, on the disk the temporary folder is on),
// each figure beside a baseline measured in the same run:
//
// - a detail query for an RMS limits request that changes every limit, from sending it to its
//   closing reply: p50 and p99, beside the same round trip answered by a handler that only
//   closes, and beside the same rows read with one prepared SELECT;
// - checkers' decisions applied and published (the closing reply and the outcome at a
//   subscriber, whichever comes later): decisions per second when they are sent all at once, and
//   the latency at a steady 200 per second; beside a bare SQLite insert and commit with the same
//   durability, at full speed and at 200 per second;
// - recovery of 100,000 pending requests to its closing reply, beside the same rows read with one
//   prepared SELECT.
//
// At the end the medians are printed side by side with their ratios, with the machine's load.
// Repetitions of all the cases take turns in random order (the disk's speed drifts).
#include "bench/ManyPending.h"
#include "connect/InProcessTransport.h"
#include "connect/ReplyStream.h"
#include "oms/FieldCatalogue.h"
#include "oms/MakerDesk.h"
#include "oms/OmsServer.h"
#include "oms/SqliteDatabase.h"
#include "oms/SqliteStatement.h"
#include "oms/SqliteTransaction.h"
#include "tests/support/ScopedTempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr int kRequestKey = 51803;
constexpr int kStatusField = 32766;
constexpr int kPublishedStatus = 54211;
constexpr int kDecisionsPerRun = 500;
constexpr double kPacedPerSecond = 200;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value at fraction 'p' of the sorted samples (nearest rank).
double Percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(samples.size())));
    return samples[std::max<std::size_t>(rank, 1) - 1];
}

void ReportLatencies(benchmark::State& state, const std::vector<double>& ms)
{
    state.counters["p50_ms"] = Percentile(ms, 0.50);
    state.counters["p99_ms"] = Percentile(ms, 0.99);
}

// One seeded database for the whole program (seeding takes a while); every benchmark's server
// opens it in turn.
struct Database
{
    Database()
    {
        path = folder / "kivo-oms.db";
        oms::OmsServer::Options options;
        options.databasePath = path;
        options.watchIntervalMs = 0;
        connect::InProcessTransport nobody;
        oms::OmsServer seeding(options, nobody);
    }
    ScopedTempDir folder;
    std::string path;
};

Database& TheDatabase()
{
    static Database database;
    return database;
}

// The server behind a terminal's transport, as the terminal embeds it.
class Server
{
public:
    Server() : m_server(Options(), m_transport)
    {
        m_server.Start();
        m_transport.SetRequestHandler(&m_server);
    }
    ~Server()
    {
        m_transport.SetRequestHandler(nullptr);
        m_transport.WaitIdle();
        m_server.Stop();
    }

    connect::InProcessTransport& Transport() { return m_transport; }
    oms::OmsServer& Oms() { return m_server; }

    // Enters the requests in one transaction and publishes them; their keys.
    std::vector<std::int64_t> Enter(const std::vector<oms::MakerRequest>& requests)
    {
        std::vector<std::int64_t> keys;
        m_server.WithStore(
            [&](oms::Store& store)
            {
                oms::SqliteTransaction transaction(store.Db());
                for (const oms::MakerRequest& request : requests)
                    keys.push_back(oms::MakerDesk(store).EnterWithin(request));
                transaction.Commit();
            });
        m_server.PublishOutbox();
        m_transport.WaitIdle();
        return keys;
    }

private:
    static oms::OmsServer::Options Options()
    {
        oms::OmsServer::Options options;
        options.databasePath = TheDatabase().path;
        options.watchIntervalMs = 0;
        return options;
    }

    connect::InProcessTransport m_transport;
    oms::OmsServer m_server;
};

// Counts closing replies and outcomes at a subscriber, and when each came.
class Arrivals : public std::enable_shared_from_this<Arrivals>
{
public:
    explicit Arrivals(std::size_t count) : m_replied(count), m_published(count) {}

    connect::Transport::Delivery ReplyTo(std::size_t index)
    {
        // Shared: a reply that comes after the benchmark gave up waiting finds it still there.
        return [self = shared_from_this(), index](std::vector<std::uint8_t> bytes)
        {
            const std::optional<connect::Message> reply = connect::Message::FromWire(bytes);
            if (reply && reply->Find(kStatusField))
                self->Mark(self->m_replied, index,
                           reply->Value(kStatusField, 0) && *reply->Value(kStatusField, 0) != "0");
        };
    }
    // Outcomes of the requests with these keys, in the order of 'keys'.
    connect::Transport::Delivery Outcomes(const std::vector<std::int64_t>& keys)
    {
        std::map<std::string, std::size_t> index;
        for (std::size_t i = 0; i < keys.size(); ++i)
            index[std::to_string(keys[i])] = i;
        return [self = shared_from_this(), index = std::move(index)](std::vector<std::uint8_t> bytes)
        {
            const std::optional<connect::Message> message = connect::Message::FromWire(bytes);
            const std::string* key = message ? message->Value(kRequestKey) : nullptr;
            const std::string* status = message ? message->Value(kPublishedStatus) : nullptr;
            if (!key || !status || *status == "auth pending")
                return;
            const auto at = index.find(*key);
            if (at != index.end())
                self->Mark(self->m_published, at->second, false);
        };
    }
    // False when not everything came within a minute.
    bool WaitForAll()
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_done.wait_for(guard, std::chrono::minutes(1),
                               [&] { return m_count == m_replied.size() + m_published.size(); });
    }
    // When both the closing reply and the outcome had come.
    Clock::time_point Done(std::size_t index) const
    {
        return std::max(*m_replied[index], *m_published[index]);
    }
    bool Refused() const { return m_refused; }

private:
    void Mark(std::vector<std::optional<Clock::time_point>>& what, std::size_t index, bool refused)
    {
        const Clock::time_point now = Clock::now();
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (what[index])
                return;
            what[index] = now;
            ++m_count;
            m_refused = m_refused || refused;
        }
        m_done.notify_all();
    }

    std::mutex m_lock;
    std::condition_variable m_done;
    std::vector<std::optional<Clock::time_point>> m_replied;
    std::vector<std::optional<Clock::time_point>> m_published;
    std::size_t m_count = 0;
    bool m_refused = false;
};

connect::Envelope Sent(connect::Message body, const std::string& user)
{
    connect::Envelope envelope;
    envelope.messageId = connect::NewMessageId();
    envelope.session = {user, "KIVO", 0};
    envelope.body = body.ToWire();
    return envelope;
}

// What came back for one request.
struct Answer
{
    std::mutex lock;
    std::condition_variable done;
    std::int64_t dataReplies = 0;
    std::optional<std::string> status; // the closing reply's code, once it came
};

// Sends one request and waits for its closing reply; empty when none came in ten seconds.
std::shared_ptr<Answer> RoundTrip(connect::Transport& transport, connect::Envelope envelope)
{
    auto answer = std::make_shared<Answer>();
    transport.SendRequest(
        std::move(envelope),
        [answer](std::vector<std::uint8_t> bytes)
        {
            const std::optional<connect::Message> reply = connect::Message::FromWire(bytes);
            {
                std::lock_guard<std::mutex> guard(answer->lock);
                if (!reply || !reply->Find(kStatusField))
                {
                    ++answer->dataReplies;
                    return;
                }
                answer->status = reply->Value(kStatusField, 0) ? *reply->Value(kStatusField, 0) : "?";
            }
            answer->done.notify_all();
        },
        nullptr);
    std::unique_lock<std::mutex> guard(answer->lock);
    if (!answer->done.wait_for(guard, std::chrono::seconds(10), [&] { return answer->status.has_value(); }))
        return nullptr;
    return answer;
}

// A value of the field's form that differs from 'current'.
std::string AnotherValue(const oms::FieldSpec& spec, const std::string& current)
{
    std::string value;
    switch (spec.form)
    {
    case oms::Form::Number:
        value = current == "7654321.50" ? "7654322.50" : "7654321.50";
        break;
    case oms::Form::Integer:
        value = current == "4321" ? "4322" : "4321";
        break;
    case oms::Form::YesNoWord:
        value = current == "yes" ? "no" : "yes";
        break;
    default:
        value = current == "Changed for the benchmark" ? "Changed again" : "Changed for the benchmark";
        break;
    }
    return value;
}

// A limits request of a broker that changes every limit there is; made once and left pending.
std::int64_t EveryLimitRequest(Server& server)
{
    static std::int64_t made = 0;
    if (made)
        return made;
    std::string owner;
    oms::FieldValues current;
    server.Oms().WithStore(
        [&](oms::Store& store)
        {
            for (const std::string& id : store.EntityIds(oms::EntityKind::Limits))
            {
                if (id.rfind("broker:", 0) == 0 && !store.PendingFor(oms::EntityKind::Limits, id))
                {
                    owner = id;
                    current = store.Fields(oms::EntityKind::Limits, id);
                    return;
                }
            }
        });
    oms::MakerRequest request{"MAKER1", oms::kRmsLimits, owner, {}};
    for (const oms::FieldSpec& spec : oms::FieldCatalogue::For(oms::EntityKind::Limits))
    {
        const auto now = current.find(spec.id);
        request.fields.emplace_back(spec.key,
                                    AnotherValue(spec, now == current.end() ? "" : now->second.front()));
    }
    made = server.Enter({request}).front();
    return made;
}

constexpr int kQueriesPerRun = 1000;

// Times 'one' (a query and its answer) kQueriesPerRun times an iteration; when it returns false
// the benchmark stops with 'failure'.
template <typename One> void TimeEach(benchmark::State& state, const char* failure, One one)
{
    for (auto _ : state)
    {
        std::vector<double> ms;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kQueriesPerRun; ++i)
        {
            const Clock::time_point sent = Clock::now();
            if (!one())
            {
                state.SkipWithError(failure);
                return;
            }
            ms.push_back(Milliseconds(Clock::now() - sent));
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        ReportLatencies(state, ms);
    }
}

connect::Message DetailQuery(std::int64_t key)
{
    return connect::Message()
        .Add(0, "om_get_auth_limits_details")
        .Add(54247, "CHECKER1")
        .Add(kRequestKey, std::to_string(key));
}

void BM_LimitsDetailQuery(benchmark::State& state)
{
    Server server;
    const std::int64_t key = EveryLimitRequest(server);
    std::size_t fields = 0;
    server.Oms().WithStore([&](oms::Store& store) { fields = store.Changes(key).size(); });
    if (fields != oms::FieldCatalogue::For(oms::EntityKind::Limits).size())
    {
        state.SkipWithError("the request does not change every limit");
        return;
    }
    TimeEach(state, "a query was not answered with the request's details",
             [&]
             {
                 const std::shared_ptr<Answer> answer =
                     RoundTrip(server.Transport(), Sent(DetailQuery(key), "CHECKER1"));
                 return answer && answer->status == "0" && answer->dataReplies == 1;
             });
    state.counters["limits"] = static_cast<double>(fields);
}

// Baseline: the same round trip through the transport, answered by a handler that only closes.
class ClosingOnly : public connect::RequestHandler
{
public:
    void OnRequest(const connect::Message&, connect::ReplyStream& replies) override
    {
        replies.Close(0, "done");
    }
};

void BM_EmptyReplyRoundTrip(benchmark::State& state)
{
    ClosingOnly handler;
    connect::InProcessTransport transport(&handler);
    TimeEach(state, "a request was not answered",
             [&]
             {
                 const std::shared_ptr<Answer> answer =
                     RoundTrip(transport, Sent(DetailQuery(100001), "CHECKER1"));
                 return answer && answer->status == "0";
             });
    transport.SetRequestHandler(nullptr);
    transport.WaitIdle();
}

// Baseline: the request's row and its changed fields read with one prepared SELECT.
void BM_LimitsRowsSelected(benchmark::State& state)
{
    std::int64_t key = 0;
    {
        Server server;
        key = EveryLimitRequest(server);
    }
    oms::SqliteDatabase db(TheDatabase().path, oms::SqliteDatabase::Mode::OpenExisting);
    oms::SqliteStatement& select =
        db.Prepare("SELECT r.type, r.entity, r.status, f.field, f.value, f.old_value FROM requests r "
                   "JOIN request_fields f ON f.key = r.key WHERE r.key = ? ORDER BY f.position");
    const std::size_t limits = oms::FieldCatalogue::For(oms::EntityKind::Limits).size();
    TimeEach(state, "the rows are not the request's",
             [&]
             {
                 std::vector<std::string> read;
                 select.Reset().Bind(1, key);
                 while (select.Step())
                 {
                     for (int column = 0; column < 6; ++column)
                         read.push_back(select.Text(column));
                 }
                 benchmark::DoNotOptimize(read);
                 return read.size() == 6 * limits;
             });
    select.Reset();
}

constexpr int kManyPending = 100000;

// A small seeded database with 100,000 more pending requests of every type, spread over the
// brokers and branches, each changing two fields; made once, when a benchmark first needs it.
const std::string& ManyPendingDatabase()
{
    static const std::string path = []
    {
        const std::string made = TheDatabase().folder / "many-pending.db";
        oms::OmsServer::Options options;
        options.databasePath = made;
        options.watchIntervalMs = 0;
        options.seedSize = {8, 10, 2, 20};
        connect::InProcessTransport nobody;
        oms::OmsServer server(options, nobody);
        server.WithStore([](oms::Store& store) { AddManyPending(store, kManyPending); });
        return made;
    }();
    return path;
}

// Recovery of every pending request, from sending it to its closing reply.
void BM_RecoveryOfManyPending(benchmark::State& state)
{
    oms::OmsServer::Options options;
    options.databasePath = ManyPendingDatabase();
    options.watchIntervalMs = 0;
    connect::InProcessTransport transport;
    oms::OmsServer server(options, transport);
    server.Start();
    transport.SetRequestHandler(&server);
    std::int64_t pending = 0;
    server.WithStore([&](oms::Store& store) { pending = store.CountRequests(oms::kPending); });
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        const std::shared_ptr<Answer> answer = RoundTrip(
            transport, Sent(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "CHECKER1"),
                            "CHECKER1"));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!answer || answer->status != "0" || answer->dataReplies != pending)
        {
            state.SkipWithError("not every pending request was recovered");
            break;
        }
    }
    state.counters["requests"] = static_cast<double>(pending);
    transport.SetRequestHandler(nullptr);
    transport.WaitIdle();
}

// Baseline: the columns the recovery's replies carry, read with one prepared SELECT.
void BM_PendingRowsSelected(benchmark::State& state)
{
    oms::SqliteDatabase db(ManyPendingDatabase(), oms::SqliteDatabase::Mode::OpenExisting);
    oms::SqliteStatement& select = db.Prepare(
        "SELECT key, type, category, maker, broker, branch, account_group, user_id, account_id, status "
        "FROM requests WHERE status = 'auth pending' ORDER BY key");
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        std::size_t rows = 0;
        select.Reset();
        while (select.Step())
        {
            std::vector<std::string> row;
            for (int column = 0; column < 10; ++column)
                row.push_back(select.Text(column));
            benchmark::DoNotOptimize(row);
            ++rows;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (rows < static_cast<std::size_t>(kManyPending))
            state.SkipWithError("the rows are not all there");
    }
    select.Reset();
}

// Pending requests to decide: limit changes of dealers and clients, and dealers' e-mail
// addresses, each of an entity with nothing pending.
std::vector<std::int64_t> EnterRequestsToDecide(Server& server, std::size_t count)
{
    static int round = 0;
    ++round;
    std::vector<oms::MakerRequest> requests;
    server.Oms().WithStore(
        [&](oms::Store& store)
        {
            for (const std::string& owner : store.EntityIds(oms::EntityKind::Limits))
            {
                if (requests.size() < count / 2 && owner.rfind("broker:", 0) != 0 &&
                    !store.PendingFor(oms::EntityKind::Limits, owner))
                    requests.push_back({"MAKER1",
                                        oms::kRmsLimits,
                                        owner,
                                        {{"cash-margin", std::to_string(100000 + round) + ".00"},
                                         {"remarks", "Round " + std::to_string(round)}}});
            }
            for (const std::string& user : store.EntityIds(oms::EntityKind::User, "DEALER"))
            {
                if (requests.size() < count && !store.PendingFor(oms::EntityKind::User, user))
                    requests.push_back({"MAKER1",
                                        oms::kModifyUser,
                                        user,
                                        {{"email", "desk" + std::to_string(round) + "@kivo-trade.in"}}});
            }
        });
    return server.Enter(requests);
}

connect::Message Decision(std::int64_t key, int type, std::size_t index)
{
    connect::Message message;
    message.Add(0, "om_authenticate_functionality")
        .Add(54294, "CHECKER2")
        .Add(kRequestKey, std::to_string(key))
        .Add(63713, std::to_string(type));
    // Two accepts (the change applied) to one rejection.
    if (index % 3 == 2)
        message.Add(kStatusField, "Not agreed with the client").Add(10303, "rejected");
    else
        message.Add(10303, "accepted");
    return message;
}

// Paced, waits for the i-th moment and returns it: work that starts late because the work before
// took long counts its wait. At once, now.
Clock::time_point WaitForTurn(Clock::time_point start, std::size_t i, double perSecond)
{
    if (perSecond <= 0)
        return Clock::now();
    const Clock::time_point turn =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(i / perSecond));
    std::this_thread::sleep_until(turn);
    return turn;
}

// Sends a decision on each request, at once or paced; the latency of each.
std::vector<double> Decide(Server& server, const std::vector<std::int64_t>& keys, double perSecond,
                           benchmark::State& state, double* seconds)
{
    std::vector<int> types;
    server.Oms().WithStore(
        [&](oms::Store& store)
        {
            for (const std::int64_t key : keys)
                types.push_back(store.Request(key)->type);
        });
    const auto arrivals = std::make_shared<Arrivals>(keys.size());
    std::uint64_t subscription = 0;
    server.Transport().Subscribe(connect::SubscriptionFilter(), arrivals->Outcomes(keys), &subscription,
                                 nullptr);
    std::vector<Clock::time_point> sent(keys.size());
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        sent[i] = WaitForTurn(start, i, perSecond);
        server.Transport().SendRequest(Sent(Decision(keys[i], types[i], i), "CHECKER2"), arrivals->ReplyTo(i),
                                       nullptr);
    }
    const bool all = arrivals->WaitForAll();
    server.Transport().Unsubscribe(subscription, nullptr);
    if (!all || arrivals->Refused())
    {
        state.SkipWithError(all ? "a decision was refused" : "a decision was not answered or published");
        return {};
    }
    std::vector<double> ms;
    Clock::time_point last = start;
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        ms.push_back(Milliseconds(arrivals->Done(i) - sent[i]));
        last = std::max(last, arrivals->Done(i));
    }
    *seconds = std::chrono::duration<double>(last - start).count();
    return ms;
}

void BM_Decisions(benchmark::State& state)
{
    const double perSecond = static_cast<double>(state.range(0));
    Server server;
    for (auto _ : state)
    {
        const std::vector<std::int64_t> keys = EnterRequestsToDecide(server, kDecisionsPerRun);
        if (keys.size() != static_cast<std::size_t>(kDecisionsPerRun))
        {
            state.SkipWithError("not enough entities to change");
            return;
        }
        double seconds = 0;
        const std::vector<double> ms = Decide(server, keys, perSecond, state, &seconds);
        if (ms.empty())
            return;
        state.SetIterationTime(seconds);
        ReportLatencies(state, ms);
        state.counters["per_s"] = static_cast<double>(keys.size()) / seconds;
    }
}

// Baseline: a row inserted and committed alone, durable as the server's transactions are, on
// the same disk; at once or paced.
void BM_BareCommits(benchmark::State& state)
{
    const double perSecond = static_cast<double>(state.range(0));
    const std::string path = TheDatabase().folder / "bare.db";
    oms::SqliteDatabase db(path, oms::SqliteDatabase::Mode::Create);
    db.Execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;"
               "CREATE TABLE IF NOT EXISTS log(seq INTEGER PRIMARY KEY, message TEXT NOT NULL)");
    for (auto _ : state)
    {
        std::vector<double> ms;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kDecisionsPerRun; ++i)
        {
            const Clock::time_point sent = WaitForTurn(start, static_cast<std::size_t>(i), perSecond);
            oms::SqliteTransaction transaction(db);
            db.Prepare("INSERT INTO log(message) VALUES(?)")
                .Bind(1, std::string_view("accepted by CHECKER2"))
                .Run();
            transaction.Commit();
            ms.push_back(Milliseconds(Clock::now() - sent));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        ReportLatencies(state, ms);
        state.counters["per_s"] = kDecisionsPerRun / seconds;
    }
}

void Common(benchmark::internal::Benchmark* b)
{
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_LimitsDetailQuery)->Apply(Common)->Repetitions(5);
BENCHMARK(BM_EmptyReplyRoundTrip)->Apply(Common)->Repetitions(5);
BENCHMARK(BM_LimitsRowsSelected)->Apply(Common)->Repetitions(5);
BENCHMARK(BM_RecoveryOfManyPending)->Apply(Common)->Repetitions(3);
BENCHMARK(BM_PendingRowsSelected)->Apply(Common)->Repetitions(3);
// Argument: decisions per second sent (0: all at once).
BENCHMARK(BM_Decisions)->Apply(Common)->Arg(0)->Arg(kPacedPerSecond)->Repetitions(3);
BENCHMARK(BM_BareCommits)->Apply(Common)->Arg(0)->Arg(kPacedPerSecond)->Repetitions(3);

std::string Load()
{
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five, fifteen;
    loadavg >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Keeps the medians of the counters and prints, after the usual table, each figure beside its
// baseline with the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    RatioReporter() : m_loadBefore(Load()) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const std::string benchmark =
                run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
            for (const auto& [name, counter] : run.counters)
                m_medians[benchmark + " " + name] = counter.value;
            m_medians[benchmark + " time_ms"] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nmedians of the repetitions | baseline | ratio (load average %s before, %s after)\n",
                    m_loadBefore.c_str(), Load().c_str());
        // The targets: a detail query's p50 at most 1 ms, recovery at most 1 s, at least 1,000
        // decisions per second, a decision's p99 at 200 per second at most 20 ms.
        Line("detail query p50 ms, every limit", "BM_LimitsDetailQuery p50_ms",
             "BM_EmptyReplyRoundTrip p50_ms", "empty reply", "<=", 1);
        Line("detail query p99 ms, every limit", "BM_LimitsDetailQuery p99_ms",
             "BM_EmptyReplyRoundTrip p99_ms", "empty reply");
        Line("detail query p50 ms, every limit", "BM_LimitsDetailQuery p50_ms",
             "BM_LimitsRowsSelected p50_ms", "one SELECT");
        Line("detail query p99 ms, every limit", "BM_LimitsDetailQuery p99_ms",
             "BM_LimitsRowsSelected p99_ms", "one SELECT");
        Line("recovery of 100,000 pending, ms", "BM_RecoveryOfManyPending time_ms",
             "BM_PendingRowsSelected time_ms", "one SELECT", "<=", 1000);
        Line("decisions per second, all at once", "BM_Decisions/0 per_s", "BM_BareCommits/0 per_s",
             "bare commits", ">=", 1000);
        Line("decision p50 ms at 200 per second", "BM_Decisions/200 p50_ms", "BM_BareCommits/200 p50_ms",
             "bare commit");
        Line("decision p99 ms at 200 per second", "BM_Decisions/200 p99_ms", "BM_BareCommits/200 p99_ms",
             "bare commit", "<=", 20);
    }

private:
    void Line(const char* what, const std::string& ours, const std::string& baseline,
              const char* baselineName, const char* compare = nullptr, double target = 0)
    {
        const auto mine = m_medians.find(ours);
        const auto theirs = m_medians.find(baseline);
        if (mine == m_medians.end() || theirs == m_medians.end())
        {
            std::printf("%-36s missing\n", what);
            return;
        }
        std::string verdict;
        if (compare)
        {
            const bool met = std::string(compare) == "<=" ? mine->second <= target : mine->second >= target;
            char text[64];
            std::snprintf(text, sizeof text, "  target %s %g: %s", compare, target, met ? "met" : "MISSED");
            verdict = text;
        }
        std::printf("%-36s %10.3f | %-12s %10.3f | %8.2f%s\n", what, mine->second, baselineName,
                    theirs->second, theirs->second > 0 ? mine->second / theirs->second : 0.0,
                    verdict.c_str());
    }

    std::string m_loadBefore;
    std::map<std::string, double> m_medians;
};

} // namespace

int main(int argc, char** argv)
{
    // The disk's speed drifts with the other work on the machine: repetitions of the server and of
    // its baselines take turns, so that a slow minute does not fall on one side only. A flag
    // given on the command line wins.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    argv = arguments.data();
    argc = count;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
