// Request and reply round trips through the in-process transport and over a NATS server on
// loopback, a publication's way from the server to a terminal's subscription over the bus, and
// a maker's request from the maker's send to the terminal's subscription through the server
// (which enters it in its database and publishes it) by both ways, with p50 and p99.
// The bus's own server is started here, on a free port, with its storage in a temporary folder.
#include "connect/InProcessTransport.h"
#include "connect/NatsServerEndpoint.h"
#include "connect/NatsTransport.h"
#include "connect/ReplyStream.h"
#include "oms/MakerCommand.h"
#include "oms/OmsServer.h"
#include "oms/Publication.h"
#include "tests/support/NatsServerProcess.h"
#include "tests/support/ScopedTempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

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

// One NATS server for the whole program.
struct Bus
{
    Bus() : folder(std::filesystem::temp_directory_path() / ("kivo-bench-bus-" + std::to_string(getpid())))
    {
        server = std::make_unique<NatsServerProcess>(folder);
        started = NatsServerProcess::Available() && server->Start();
    }
    ~Bus()
    {
        server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    connect::BusOptions Options() const
    {
        connect::BusOptions options;
        options.url = server->Url();
        options.user = "CHECKER1";
        return options;
    }

    std::filesystem::path folder;
    std::unique_ptr<NatsServerProcess> server;
    bool started = false;
};

Bus& TheBus()
{
    static Bus bus;
    return bus;
}

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
    connect::NatsServerEndpoint endpoint(bus.Options());
    endpoint.Serve(server);
    connect::NatsTransport transport(bus.Options());
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
    connect::NatsServerEndpoint endpoint(bus.Options());
    connect::NatsTransport terminal(bus.Options());
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

// When each account arrived at a terminal's subscription, by its id (54001).
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
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_arrived[account ? *account : ""] = arrived;
            }
            m_done.notify_all();
        };
    }
    // When the account arrived; nothing when it did not within ten seconds.
    std::optional<Clock::time_point> WaitFor(const std::string& account)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_done.wait_for(guard, std::chrono::seconds(10), [&] { return m_arrived.count(account) > 0; }))
            return std::nullopt;
        return m_arrived[account];
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
// By the benchmark's argument: 0 the database on disk, 1 in memory.
Percentiles g_inProcess[2];

// A folder for the server's database: on disk (argument 0), where each entered request waits
// for the disk's sync as it does in service; or in memory (1), where the sync costs nothing and
// what remains is the transport's and the server's own work.
std::unique_ptr<ScopedTempDir> DatabaseFolder(const benchmark::State& state)
{
    if (state.range(0) == 1 && std::filesystem::is_directory("/dev/shm"))
        return std::make_unique<ScopedTempDir>("/dev/shm");
    return std::make_unique<ScopedTempDir>();
}

// The server on a small database of its own in a temporary folder.
oms::OmsServer::Options SmallDatabase(const ScopedTempDir& folder)
{
    oms::OmsServer::Options options;
    options.databasePath = (folder.Path() / "oms.db").string();
    options.seedSize = {10, 10, 2, 5};
    options.watchIntervalMs = 0;
    return options;
}

// The maker enters a new account of KIVO-MUM; the branch administrator's terminal receives it.
// Each run's ids are its own: the bus keeps a publication it stored once.
Percentiles MakerToTerminal(benchmark::State& state, connect::Transport& maker, connect::Transport& terminal)
{
    Arrivals arrivals;
    terminal.Subscribe(*oms::VisibilityFilter(2, "KIVO-MUM", "KIVO"), arrivals.Delivery(), nullptr, nullptr);
    static int run = 0;
    const std::string prefix = "B" + std::to_string(getpid() % 100000) + "R" + std::to_string(++run) + "N";
    std::vector<double> samples;
    for (auto _ : state)
    {
        const std::string account = prefix + std::to_string(samples.size());
        connect::Envelope envelope;
        envelope.messageId = connect::NewMessageId();
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
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share)
    { return samples[static_cast<std::size_t>(share * (samples.size() - 1))]; };
    const Percentiles measured{at(0.5), at(0.99)};
    state.counters["p50_ms"] = measured.p50;
    state.counters["p99_ms"] = measured.p99;
    return measured;
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
    g_inProcess[state.range(0)] = MakerToTerminal(state, transport, transport);
    transport.SetRequestHandler(nullptr);
    transport.WaitIdle();
}
BENCHMARK(BM_MakerToTerminalInProcess)->Apply(MakerToTerminalRuns);

void BM_MakerToTerminalOverNats(benchmark::State& state)
{
    Bus& bus = TheBus();
    if (!bus.started)
    {
        state.SkipWithError("nats-server is not installed or did not start");
        return;
    }
    const std::unique_ptr<ScopedTempDir> folder = DatabaseFolder(state);
    connect::NatsServerEndpoint endpoint(bus.Options());
    oms::OmsServer server(SmallDatabase(*folder), endpoint);
    server.Start();
    endpoint.Serve(server);
    connect::NatsTransport maker(bus.Options());
    connect::NatsTransport terminal(bus.Options());
    const Percentiles measured = MakerToTerminal(state, maker, terminal);
    endpoint.Stop();
    const Percentiles& inProcess = g_inProcess[state.range(0)];
    if (inProcess.p50 > 0 && measured.p50 > 0)
    {
        state.counters["p50_ratio"] = measured.p50 / inProcess.p50;
        state.counters["p99_ratio"] = measured.p99 / inProcess.p99;
    }
}
BENCHMARK(BM_MakerToTerminalOverNats)->Apply(MakerToTerminalRuns);

} // namespace
