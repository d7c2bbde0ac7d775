// Request and reply round trips through the in-process transport and over a NATS server on
// loopback, and a publication's way from the server to a terminal's subscription over the bus.
// The bus's own server is started here, on a free port, with its storage in a temporary folder.
#include "connect/InProcessTransport.h"
#include "connect/NatsServerEndpoint.h"
#include "connect/NatsTransport.h"
#include "connect/ReplyStream.h"
#include "tests/support/NatsServerProcess.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

namespace
{

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

} // namespace
