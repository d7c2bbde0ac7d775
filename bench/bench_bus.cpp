// Request and reply round trips through the in-process transport and over a NATS server on
// loopback, a publication's way from the server to a terminal's subscription over the bus, a
// maker's request from the maker's send to the terminal's subscription through the server
// (which enters it in its database and publishes it) by both ways, and a checker's decision from
// its send to its outcome at the terminal, with p50 and p99. Over the bus both on an unsecured
// bus and on a secured one (users, TLS, the server's authorisation of every message), in the
// same run, so that what the security costs shows as a ratio.
// The buses' own servers are started here, on free ports, with their storage in temporary folders.
#include "bench/ManyPending.h"
#include "connect/BusSubjects.h"
#include "connect/InProcessTransport.h"
#include "connect/NatsServerEndpoint.h"
#include "connect/NatsTransport.h"
#include "connect/ReplyStream.h"
#include "oms/MakerCommand.h"
#include "oms/OmsServer.h"
#include "oms/Publication.h"
#include "oms/Seeder.h"
#include "protocol/Visibility.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NatsServerProcess.h"
#include "tests/support/OmsProcess.h"
#include "tests/support/ScopedTempDir.h"
#include "tests/support/SecuredBus.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace
{

using Clock = std::chrono::steady_clock;

// Answers every request as the server answers a detail query: one data reply, the closing one.
class EchoServer : public connect::RequestHandler
{
public:
    void OnRequest(const connect::Message& request, connect::ReplyStream& replies) override
    {
        replies.Reply(
            connect::Message().Add(51803, request.Value(51803) ? *request.Value(51803) : "").Add(1, "x"));
        replies.Close(0, "done");
    }
};

// Counts deliveries and lets the caller wait for the next count.
class Waiter
{
public:
    connect::Transport::Delivery Delivery()
    {
        return [this](std::vector<std::uint8_t>)
        {
            {
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_count;
            }
            m_done.notify_all();
        };
    }
    // False when the count did not come within ten seconds.
    bool WaitFor(std::size_t count)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_done.wait_for(guard, std::chrono::seconds(10), [&] { return m_count >= count; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    std::size_t m_count = 0;
};

connect::Envelope Request()
{
    connect::Envelope envelope;
    envelope.messageId = connect::NewMessageId();
    envelope.session = {"CHECKER1", "KIVO", 0};
    envelope.body = connect::Message().Add(0, "om_get_auth_user_details").Add(51803, "100001").ToWire();
    return envelope;
}

void RoundTrips(benchmark::State& state, connect::Transport& transport)
{
    for (auto _ : state)
    {
        Waiter replies;
        transport.SendRequest(Request(), replies.Delivery(), nullptr);
        if (!replies.WaitFor(2))
        {
            state.SkipWithError("a request was not answered");
            return;
        }
    }
}

// A small seeded database, made once: every server of the run starts from a copy, and on a
// secured bus the users' grants are in it.
struct Seed
{
    Seed()
    {
        oms::Store::Options options;
        options.seed = [](oms::Store& store) {
            oms::Seeder(store, oms::Seeder::kDefaultSeed, {10, 10, 2, 5}).Run();
        };
        oms::Store::Open(path, options);
    }
    ScopedTempDir folder;
    std::string path = folder / "seed.db";
};

Seed& TheSeed()
{
    static Seed seed;
    return seed;
}

// A NATS server for the whole program: unsecured (anyone says who he is), or secured as a
// deployment secures it.
struct Bus
{
    explicit Bus(bool secure) : secured(secure)
    {
        if (!NatsServerProcess::Available())
            return;
        if (secured)
        {
            securedBus = std::make_unique<SecuredBus>(folder.Path(), TheSeed().path);
            started = securedBus->Start();
        }
        else
        {
            server = std::make_unique<NatsServerProcess>(folder.Path() / "bus");
            started = server->Start();
        }
    }
    // A user's options; the server's for BusSubjects::kServerUser.
    connect::BusOptions For(const std::string& user)
    {
        if (secured)
            return user == connect::BusSubjects::kServerUser ? securedBus->ServerOptions()
                                                             : securedBus->OptionsFor(user);
        connect::BusOptions options;
        options.url = server->Url();
        options.user = user;
        return options;
    }

    bool secured = false;
    ScopedTempDir folder;
    std::unique_ptr<NatsServerProcess> server;
    std::unique_ptr<SecuredBus> securedBus;
    bool started = false;
};

Bus& TheBus(bool secured = false)
{
    static Bus unsecured(false);
    static Bus withUsers(true);
    return secured ? withUsers : unsecured;
}

constexpr const char* kServer = connect::BusSubjects::kServerUser;

void BM_RoundTripInProcess(benchmark::State& state)
{
    EchoServer server;
    connect::InProcessTransport transport;
    transport.SetRequestHandler(&server);
    RoundTrips(state, transport);
    transport.SetRequestHandler(nullptr);
    transport.WaitIdle();
}
BENCHMARK(BM_RoundTripInProcess)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RoundTripOverNats(benchmark::State& state)
{
    Bus& bus = TheBus();
    if (!bus.started)
    {
        state.SkipWithError("nats-server is not installed or did not start");
        return;
    }
    EchoServer server;
    connect::NatsServerEndpoint endpoint(bus.For(kServer));
    endpoint.Serve(server);
    connect::NatsTransport transport(bus.For("CHECKER1"));
    RoundTrips(state, transport);
    endpoint.Stop();
}
BENCHMARK(BM_RoundTripOverNats)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A publication stored by the bus and delivered to a terminal's subscription.
void BM_PublishedToSubscriberOverNats(benchmark::State& state)
{
    Bus& bus = TheBus();
    if (!bus.started)
    {
        state.SkipWithError("nats-server is not installed or did not start");
        return;
    }
    connect::NatsServerEndpoint endpoint(bus.For(kServer));
    connect::NatsTransport terminal(bus.For(kServer));
    Waiter arrived;
    terminal.Subscribe(connect::SubscriptionFilter().Require(64056, "KIVO"), arrived.Delivery(), nullptr,
                       nullptr);
    std::size_t sent = 0;
    // The benchmark runs this function several times on one bus: each run's keys are its own.
    static int run = 0;
    const std::string prefix = std::to_string(++run) + "-";
    for (auto _ : state)
    {
        // Each message differs, or the bus would drop it as one it stored already.
        const connect::Message message = connect::Message()
                                             .Add(54211, "auth pending")
                                             .Add(51803, prefix + std::to_string(++sent))
                                             .Add(64056, "KIVO")
                                             .Add(64053, "KIVO-MUM")
                                             .Add(63713, "340");
        if (!endpoint.Publish(message) || !arrived.WaitFor(sent))
        {
            state.SkipWithError("a publication did not arrive");
            return;
        }
    }
}
BENCHMARK(BM_PublishedToSubscriberOverNats)->Unit(benchmark::kMicrosecond)->UseRealTime();

// When each account's request arrived at a terminal's subscription in each state, by its id
// (54001) and its status (54211).
class Arrivals
{
public:
    connect::Transport::Delivery Delivery()
    {
        return [this](std::vector<std::uint8_t> wire)
        {
            const auto arrived = Clock::now();
            const std::optional<connect::Message> message = connect::Message::FromWire(wire);
            const std::string* account = message ? message->Value(54001) : nullptr;
            const std::string* status = message ? message->Value(54211) : nullptr;
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_arrived[(account ? *account : "") + "/" + (status ? *status : "")] = arrived;
            }
            m_done.notify_all();
        };
    }
    // When the account's request arrived in the state; nothing when it did not within ten seconds.
    std::optional<Clock::time_point> WaitFor(const std::string& account,
                                             const std::string& status = "auth pending")
    {
        const std::string key = account + "/" + status;
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_done.wait_for(guard, std::chrono::seconds(10), [&] { return m_arrived.count(key) > 0; }))
            return std::nullopt;
        return m_arrived[key];
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    std::map<std::string, Clock::time_point> m_arrived;
};

// Medians and 99th percentiles of the in-process way, for the bus's ratios in the same run.
struct Percentiles
{
    double p50 = 0;
    double p99 = 0;
};

// A folder for the server's database: on disk (argument 0), where each entered request waits
// for the disk's sync as it does in service; or in memory (1), where the sync costs nothing and
// what remains is the transport's and the server's own work.
std::unique_ptr<ScopedTempDir> DatabaseFolder(const benchmark::State& state)
{
    if (state.range(0) == 1 && std::filesystem::is_directory("/dev/shm"))
        return std::make_unique<ScopedTempDir>("/dev/shm");
    return std::make_unique<ScopedTempDir>();
}

// The server on a copy of the small seeded database in a temporary folder.
oms::OmsServer::Options SmallDatabase(const ScopedTempDir& folder)
{
    oms::OmsServer::Options options;
    options.databasePath = (folder.Path() / "oms.db").string();
    std::filesystem::copy_file(TheSeed().path, options.databasePath);
    options.seedSize = {10, 10, 2, 5};
    options.watchIntervalMs = 0;
    return options;
}

Percentiles Summarise(benchmark::State& state, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share)
    { return samples[static_cast<std::size_t>(share * (samples.size() - 1))]; };
    const Percentiles measured{at(0.5), at(0.99)};
    state.counters["p50_ms"] = measured.p50;
    state.counters["p99_ms"] = measured.p99;
    return measured;
}

// The maker enters a new account of KIVO-MUM; the branch administrator's terminal receives it.
// Each run's ids are its own: the bus keeps a publication it stored once.
Percentiles MakerToTerminal(benchmark::State& state, connect::Transport& maker, connect::Transport& terminal)
{
    Arrivals arrivals;
    terminal.Subscribe(*protocol::VisibilityFilter(2, "KIVO-MUM", "KIVO"), arrivals.Delivery(), nullptr,
                       nullptr);
    static int run = 0;
    const std::string prefix = "B" + std::to_string(getpid() % 100000) + "R" + std::to_string(++run) + "N";
    std::vector<double> samples;
    for (auto _ : state)
    {
        const std::string account = prefix + std::to_string(samples.size());
        connect::Envelope envelope;
        envelope.messageId = connect::NewMessageId();
        envelope.session = {"MAKER1", "KIVO", 0};
        envelope.body = connect::Message()
                            .Add(0, oms::MakerCommand::kEnterFunction)
                            .Add(oms::MakerCommand::kLineField, "maker=MAKER1 add-account " + account +
                                                                    " name=\"Bench Account\" branch=KIVO-MUM")
                            .ToWire();
        const auto sent = Clock::now();
        maker.SendRequest(
            envelope, [](std::vector<std::uint8_t>) {}, nullptr);
        const std::optional<Clock::time_point> arrived = arrivals.WaitFor(account);
        if (!arrived)
        {
            state.SkipWithError("a maker's request did not reach the terminal");
            return {};
        }
        const double seconds = std::chrono::duration<double>(*arrived - sent).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1000);
    }
    return Summarise(state, std::move(samples));
}

// A checker rejects requests the server entered before the timing; each from his send to the
// outcome at the branch administrator's terminal.
Percentiles DecisionToOutcome(benchmark::State& state, oms::OmsServer& server, connect::Transport& checker,
                              connect::Transport& terminal)
{
    Arrivals arrivals;
    terminal.Subscribe(*protocol::VisibilityFilter(2, "KIVO-MUM", "KIVO"), arrivals.Delivery(), nullptr,
                       nullptr);
    static int run = 0;
    const std::string prefix = "D" + std::to_string(getpid() % 100000) + "R" + std::to_string(++run) + "N";
    std::vector<std::int64_t> keys;
    for (std::int64_t i = 0; i < state.max_iterations; ++i)
        keys.push_back(server.Enter({"MAKER1",
                                     oms::kAddClient,
                                     prefix + std::to_string(i),
                                     {{"name", "Bench Account"}, {"branch", "KIVO-MUM"}}}));
    std::vector<double> samples;
    for (auto _ : state)
    {
        const std::size_t n = samples.size();
        const std::string account = prefix + std::to_string(n);
        connect::Envelope envelope;
        envelope.messageId = connect::NewMessageId();
        envelope.session = {"CHECKER2", "KIVO", 0};
        envelope.body = connect::Message()
                            .Add(0, "om_authenticate_functionality")
                            .Add(54001, account)
                            .Add(54294, "CHECKER2")
                            .Add(32766, "Not this one")
                            .Add(63713, "353")
                            .Add(51803, std::to_string(keys[n]))
                            .Add(10303, "rejected")
                            .ToWire();
        const auto sent = Clock::now();
        auto answer = std::make_shared<std::string>();
        auto answered = std::make_shared<std::mutex>();
        checker.SendRequest(
            envelope,
            [answer, answered](std::vector<std::uint8_t> wire)
            {
                const std::optional<connect::Message> reply = connect::Message::FromWire(wire);
                const std::size_t count = reply ? reply->ValueCount(32766) : 0;
                std::lock_guard<std::mutex> guard(*answered);
                if (count)
                    *answer = *reply->Value(32766, count - 1);
            },
            nullptr);
        const std::optional<Clock::time_point> arrived = arrivals.WaitFor(account, "rejected");
        if (!arrived)
        {
            std::lock_guard<std::mutex> guard(*answered);
            state.SkipWithError(("a decision's outcome did not reach the terminal: " + *answer).c_str());
            return {};
        }
        const double seconds = std::chrono::duration<double>(*arrived - sent).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds * 1000);
    }
    return Summarise(state, std::move(samples));
}

// A thousand requests, with the database on disk and in memory.
void MakerToTerminalRuns(benchmark::internal::Benchmark* runs)
{
    runs->ArgName("memory")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1000);
}

void BM_MakerToTerminalInProcess(benchmark::State& state)
{
    const std::unique_ptr<ScopedTempDir> folder = DatabaseFolder(state);
    connect::InProcessTransport transport;
    oms::OmsServer server(SmallDatabase(*folder), transport);
    server.Start();
    transport.SetRequestHandler(&server);
    MakerToTerminal(state, transport, transport);
    transport.SetRequestHandler(nullptr);
    transport.WaitIdle();
}
BENCHMARK(BM_MakerToTerminalInProcess)->Apply(MakerToTerminalRuns);

// Arguments: the database's place (0 disk, 1 memory), the bus (0 unsecured, 1 secured).
// bench/compare --bus runs them interleaved and prints the ratios of their medians.
void OverNatsRuns(benchmark::internal::Benchmark* runs)
{
    runs->ArgNames({"memory", "secured"})
        ->Args({0, 0})
        ->Args({0, 1})
        ->Args({1, 0})
        ->Args({1, 1})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1000);
}

// The server on the bus, and what the ratios are taken against.
struct OverNats
{
    explicit OverNats(benchmark::State& state)
        : bus(TheBus(state.range(1) == 1)), folder(DatabaseFolder(state))
    {
        if (!bus.started)
            return;
        endpoint = std::make_unique<connect::NatsServerEndpoint>(bus.For(kServer));
        oms::OmsServer::Options options = SmallDatabase(*folder);
        options.busGrants = bus.secured;
        server = std::make_unique<oms::OmsServer>(options, *endpoint);
        server->Start();
        endpoint->Serve(*server);
    }
    ~OverNats()
    {
        if (endpoint)
            endpoint->Stop();
    }
    // False, and the run skipped with the reason, when there is no server on a bus.
    bool Ready(benchmark::State& state) const
    {
        if (!server)
            state.SkipWithError("nats-server is not installed or did not start");
        return server != nullptr;
    }
    Bus& bus;
    std::unique_ptr<ScopedTempDir> folder;
    std::unique_ptr<connect::NatsServerEndpoint> endpoint;
    std::unique_ptr<oms::OmsServer> server;
};

void BM_MakerToTerminalOverNats(benchmark::State& state)
{
    OverNats nats(state);
    if (!nats.Ready(state))
        return;
    connect::NatsTransport maker(nats.bus.For("MAKER1"));
    connect::NatsTransport terminal(nats.bus.For("KIVO-MUM"));
    MakerToTerminal(state, maker, terminal);
}
BENCHMARK(BM_MakerToTerminalOverNats)->Apply(OverNatsRuns);

void BM_DecisionToOutcomeOverNats(benchmark::State& state)
{
    OverNats nats(state);
    if (!nats.Ready(state))
        return;
    connect::NatsTransport checker(nats.bus.For("CHECKER2"));
    connect::NatsTransport terminal(nats.bus.For("KIVO-MUM"));
    DecisionToOutcome(state, *nats.server, checker, terminal);
}
BENCHMARK(BM_DecisionToOutcomeOverNats)->Apply(OverNatsRuns);

// Makers' requests at a steady 1,000 a second over the secured bus, each from its send to the
// branch terminal's subscription: the tail of a steady load rather than of one request at a time.
void BM_MakerToTerminalAt1000PerSecond(benchmark::State& state)
{
    OverNats nats(state);
    if (!nats.Ready(state))
        return;
    connect::NatsTransport maker(nats.bus.For("MAKER1"));
    connect::NatsTransport terminal(nats.bus.For("KIVO-MUM"));
    Arrivals arrivals;
    terminal.Subscribe(*protocol::VisibilityFilter(2, "KIVO-MUM", "KIVO"), arrivals.Delivery(), nullptr,
                       nullptr);
    static int run = 0;
    const std::string prefix = "S" + std::to_string(getpid() % 100000) + "R" + std::to_string(++run) + "N";
    constexpr int kRequests = 3000;
    std::vector<Clock::time_point> sent(kRequests);
    std::vector<double> samples;
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kRequests; ++i)
        {
            std::this_thread::sleep_until(start + std::chrono::microseconds(1000 * i));
            connect::Envelope envelope;
            envelope.messageId = connect::NewMessageId();
            envelope.body =
                connect::Message()
                    .Add(0, oms::MakerCommand::kEnterFunction)
                    .Add(oms::MakerCommand::kLineField, "add-account " + prefix + std::to_string(i) +
                                                            " name=\"Bench Account\" branch=KIVO-MUM")
                    .ToWire();
            sent[static_cast<std::size_t>(i)] = Clock::now();
            maker.SendRequest(
                envelope, [](std::vector<std::uint8_t>) {}, nullptr);
        }
        for (int i = 0; i < kRequests; ++i)
        {
            const std::optional<Clock::time_point> arrived = arrivals.WaitFor(prefix + std::to_string(i));
            if (!arrived)
            {
                state.SkipWithError("a maker's request did not reach the terminal");
                return;
            }
            samples.push_back(
                std::chrono::duration<double>(*arrived - sent[static_cast<std::size_t>(i)]).count() * 1000);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    Summarise(state, std::move(samples));
}
BENCHMARK(BM_MakerToTerminalAt1000PerSecond)
    ->ArgNames({"memory", "secured"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// A level-0 checker's Recover of every pending request over the secured bus (the database on
// disk), from the request's send to its closing reply at the terminal's transport: the time, and
// the bytes of the replies per request recovered (their wire bytes as the transport hands them
// over; the bus adds its own header to each message). Arguments: the pending requests added to
// the small seeded database.
void BM_RecoverOverTheBus(benchmark::State& state)
{
    Bus& bus = TheBus(true);
    if (!bus.started)
    {
        state.SkipWithError("nats-server is not installed or did not start");
        return;
    }
    ScopedTempDir folder;
    connect::NatsServerEndpoint endpoint(bus.For(kServer));
    oms::OmsServer::Options options = SmallDatabase(folder);
    options.busGrants = true;
    oms::OmsServer server(options, endpoint);
    std::int64_t pending = 0;
    server.WithStore(
        [&](oms::Store& store)
        {
            AddManyPending(store, static_cast<int>(state.range(0)));
            pending = store.CountRequests(oms::kPending);
        });
    server.Start();
    endpoint.Serve(server);
    connect::BusOptions terminalOptions = bus.For("CHECKER1");
    terminalOptions.requestTimeLimit = std::chrono::minutes(5);
    connect::NatsTransport terminal(terminalOptions);
    for (auto _ : state)
    {
        struct Tally
        {
            std::mutex lock;
            std::condition_variable closed;
            std::int64_t data = 0;
            std::int64_t bytes = 0;
            std::string status;
        } tally;
        connect::Envelope recover;
        recover.messageId = connect::NewMessageId();
        recover.session = {"CHECKER1", "KIVO", 0};
        recover.body =
            connect::Message().Add(0, "om_get_functionality_details").Add(31003, "CHECKER1").ToWire();
        const Clock::time_point start = Clock::now();
        terminal.SendRequest(
            recover,
            [&tally](std::vector<std::uint8_t> wire)
            {
                const std::optional<connect::Message> reply = connect::Message::FromWire(wire);
                std::lock_guard<std::mutex> guard(tally.lock);
                tally.bytes += static_cast<std::int64_t>(wire.size());
                const std::string* closing = reply ? reply->Value(32766) : nullptr;
                if (!closing)
                {
                    ++tally.data;
                    return;
                }
                tally.status = *closing;
                tally.closed.notify_all();
            },
            nullptr);
        std::unique_lock<std::mutex> guard(tally.lock);
        tally.closed.wait_for(guard, std::chrono::minutes(5), [&] { return !tally.status.empty(); });
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (tally.status != "0" || tally.data != pending)
        {
            state.SkipWithError(("recovered " + std::to_string(tally.data) + " of " +
                                 std::to_string(pending) + ", closing status '" + tally.status + "'")
                                    .c_str());
            break;
        }
        state.counters["bytes_per_request"] = static_cast<double>(tally.bytes) / static_cast<double>(pending);
    }
    state.counters["requests"] = static_cast<double>(pending);
    endpoint.Stop();
}
BENCHMARK(BM_RecoverOverTheBus)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

#if defined(KIVO_OMS_PROGRAM) && defined(KIVO_MAKER_PROGRAM) && defined(KIVO_HOST_PROGRAM)
// Twenty thousand requests in four files of five thousand, each handed over the secured bus by a
// kivo-maker of its own, to a headless terminal that lists them all: from the makers' start to
// the last row, as requests a second (counter "per_second").
// A level-0 checker's terminal, headless, on the bus, running the script; its files in the folder.
ChildProcess HeadlessChecker(SecuredBus& bus, const ScopedTempDir& folder,
                             const std::filesystem::path& script)
{
    return ChildProcess({KIVO_HOST_PROGRAM, "--headless", "--user", "CHECKER1", "--broker", "KIVO",
                         "--privilege", "0", "--bus", bus.Url(), "--bus-credentials",
                         bus.CredentialsOf("CHECKER1").string(), "--bus-ca", bus.CaFile().string(),
                         "--script", script.string()},
                        (folder.Path() / "terminal.log").string(),
                        {"HOME=" + folder.Path().string(), "XDG_CONFIG_HOME=" + (folder / "config"),
                         "XDG_DATA_HOME=" + (folder / "data")});
}

// True once the program has printed the word; false when it ends or the patience runs out first.
bool Says(ChildProcess& program, const char* word, std::chrono::seconds patience)
{
    const auto until = Clock::now() + patience;
    while (program.Output().find(word) == std::string::npos)
    {
        if (Clock::now() > until || !program.Running())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void BM_MakerFilesToHeadlessTerminal(benchmark::State& state)
{
    if (!NatsServerProcess::Available())
    {
        state.SkipWithError("nats-server is not installed");
        return;
    }
    constexpr int kFiles = 4;
    constexpr int kLines = 5000;
    static const char* const kMakers[kFiles] = {"MAKER1", "MAKER2", "MAKER3", "MAKER1"};
    static const char* const kBranches[kFiles] = {"KIVO-MUM", "KIVO-PUN", "KIVO-DEL", "KIVO-BLR"};
    for (auto _ : state)
    {
        ScopedTempDir folder;
        const std::optional<std::filesystem::path> seeded =
            SeededOmsDatabase(KIVO_OMS_PROGRAM, folder.Path());
        if (!seeded)
        {
            state.SkipWithError("kivo-oms could not seed a database");
            return;
        }
        std::filesystem::copy_file(*seeded, folder.Path() / "oms.db");
        SecuredBus bus(folder.Path(), folder.Path() / "oms.db");
        OmsProcess server(KIVO_OMS_PROGRAM, folder.Path() / "oms.db", folder.Path() / "kivo-oms.log");
        server.SetCredentials(bus.ServerCredentials(), bus.CaFile());
        if (!bus.Start() || !server.Start(bus.Url()))
        {
            state.SkipWithError("the bus or the server did not start");
            return;
        }
        std::vector<std::filesystem::path> files;
        for (int f = 0; f < kFiles; ++f)
        {
            files.push_back(folder.Path() / ("requests-" + std::to_string(f) + ".txt"));
            std::ofstream out(files.back());
            for (int i = 0; i < kLines; ++i)
                out << (i % 2 ? "add-account T" : "add-user T") << f << "N" << i << " name=\"Throughput " << i
                    << "\" branch=" << kBranches[f] << "\n";
            bus.CredentialsOf(kMakers[f]);
        }
        const std::filesystem::path script = folder.Path() / "terminal.kivo";
        std::ofstream(script) << "wait-for-log Message bus\nwait 1000\necho ready\n"
                              << "wait-for-rows " << kFiles * kLines << "+\necho listed\nquit\n";
        ChildProcess terminal = HeadlessChecker(bus, folder, script);
        const auto says = [&terminal](const char* word, std::chrono::seconds patience)
        { return Says(terminal, word, patience); };
        if (!says("ready", std::chrono::seconds(60)))
        {
            state.SkipWithError("the terminal did not start");
            return;
        }
        const Clock::time_point start = Clock::now();
        std::vector<std::unique_ptr<ChildProcess>> makers;
        for (int f = 0; f < kFiles; ++f)
            makers.push_back(std::make_unique<ChildProcess>(
                std::vector<std::string>{KIVO_MAKER_PROGRAM, "--bus", bus.Url(), "--bus-credentials",
                                         bus.CredentialsOf(kMakers[f]).string(), "--bus-ca",
                                         bus.CaFile().string(), "--file",
                                         files[static_cast<std::size_t>(f)].string()},
                (folder.Path() / ("maker-" + std::to_string(f) + ".log")).string()));
        for (const auto& maker : makers)
            maker->Wait(std::chrono::seconds(120));
        state.counters["entered_s"] = std::chrono::duration<double>(Clock::now() - start).count();
        if (!says("listed", std::chrono::seconds(120)))
        {
            state.SkipWithError(("the terminal did not list every request: " + terminal.Output()).c_str());
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["per_second"] = kFiles * kLines / seconds;
        terminal.Wait(std::chrono::seconds(30));
    }
}
BENCHMARK(BM_MakerFilesToHeadlessTerminal)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// A level-0 checker's terminal (headless kivo-host) against a server (kivo-oms on the secured bus)
// that holds the given number of pending requests more than its seed: the time from the checker's
// click on Recover to the request list holding them all (the server's replies, the bus, and the
// console's listing of every reply).
void BM_RecoverIntoHeadlessTerminal(benchmark::State& state)
{
    if (!NatsServerProcess::Available())
    {
        state.SkipWithError("nats-server is not installed");
        return;
    }
    const int added = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        ScopedTempDir folder;
        const std::optional<std::filesystem::path> seeded =
            SeededOmsDatabase(KIVO_OMS_PROGRAM, folder.Path());
        if (!seeded)
        {
            state.SkipWithError("kivo-oms could not seed a database");
            return;
        }
        const std::filesystem::path database = folder.Path() / "oms.db";
        std::filesystem::copy_file(*seeded, database);
        std::int64_t pending = 0;
        {
            const std::unique_ptr<oms::Store> store =
                oms::Store::Open(database.string(), oms::Store::Options{});
            AddManyPending(*store, added);
            pending = store->CountRequests(oms::kPending);
        }
        SecuredBus bus(folder.Path(), database);
        OmsProcess server(KIVO_OMS_PROGRAM, database, folder.Path() / "kivo-oms.log");
        server.SetCredentials(bus.ServerCredentials(), bus.CaFile());
        if (!bus.Start() || !server.Start(bus.Url()))
        {
            state.SkipWithError("the bus or the server did not start");
            return;
        }
        // The checker's own requests are not listed to him; the seed's and the added ones are
        // all another maker's but for a few.
        const std::filesystem::path script = folder.Path() / "terminal.kivo";
        std::ofstream(script) << "wait-for-log Message bus\necho connected\nclick 1001\nwait-for-rows "
                              << added << "+\necho listed\nquit\n";
        ChildProcess terminal = HeadlessChecker(bus, folder, script);
        const auto says = [&terminal](const char* word, std::chrono::seconds patience)
        { return Says(terminal, word, patience); };
        if (!says("connected", std::chrono::seconds(60)))
        {
            state.SkipWithError("the terminal did not reach the bus");
            return;
        }
        const Clock::time_point start = Clock::now();
        if (!says("listed", std::chrono::seconds(300)) ||
            terminal.Output().find("rows, not") != std::string::npos)
        {
            state.SkipWithError(("the terminal did not list every request: " + terminal.Output()).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.counters["pending"] = static_cast<double>(pending);
        terminal.Wait(std::chrono::seconds(60));
    }
}
BENCHMARK(BM_RecoverIntoHeadlessTerminal)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
#endif

} // namespace
