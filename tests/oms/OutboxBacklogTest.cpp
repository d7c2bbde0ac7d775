// What the server has published leaves the outbox, so that a server that only reads does not
// publish the same backlog again at every start; and a message the bus refused goes out once the
// bus takes messages again, whether or not anything is decided meanwhile.
#include "OmsTestSupport.h"

#include "oms/MakerDesk.h"
#include "oms/ServerStatus.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace oms_test;

namespace
{

// A bus that refuses every publication while it is down, as the NATS connection does.
class OutageBus : public connect::Publisher
{
public:
    bool Publish(const connect::Message& message) override { return !down && delivered.Publish(message); }

    std::atomic<bool> down{false};
    RecordingPublisher delivered;
};

class OutboxBacklogTest : public ServerTest
{
protected:
    // The server goes before the bus it publishes on.
    ~OutboxBacklogTest() override { server.reset(); }

    std::int64_t OutboxRows()
    {
        const std::unique_ptr<oms::Store> reader = oms::Store::Open(DatabasePath(), oms::Store::Options{});
        return std::stoll(reader->Db().QueryText("SELECT COUNT(*) FROM outbox"));
    }

    // A server that publishes on 'bus' and looks for work every 10 ms.
    void ServeOn(connect::Publisher& bus)
    {
        server.reset();
        oms::OmsServer::Options options;
        options.databasePath = DatabasePath();
        options.watchIntervalMs = 10;
        server = std::make_unique<oms::OmsServer>(options, bus);
        server->Start();
    }

    template <typename Condition> static bool WaitFor(Condition condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return condition();
    }

    OutageBus bus;
};

TEST_F(OutboxBacklogTest, RequestsEnteredWhileNoServerRanArePublishedAtOneStartOnly)
{
    server.reset();
    std::vector<std::int64_t> keys;
    {
        const std::unique_ptr<oms::Store> tool = oms::Store::Open(DatabasePath(), oms::Store::Options{});
        for (const char* level : {"broker:", "branch:", "client:"})
            keys.push_back(oms::MakerDesk(*tool).Enter(
                {"MAKER1", oms::kRmsLimits, FreeLimitOwner(*tool, level), {{"slbm", "4400"}}}));
    }
    ASSERT_EQ(OutboxRows(), 3);

    publisher.Clear();
    Restart();
    ASSERT_EQ(publisher.Published().size(), 3u);
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(*publisher.Published()[i].Value(51803), std::to_string(keys[i]));
    EXPECT_EQ(OutboxRows(), 0) << "what was published left the outbox";

    // A terminal that only reads: its next start publishes nothing again.
    publisher.Clear();
    Restart();
    EXPECT_TRUE(publisher.Published().empty());
}

TEST_F(OutboxBacklogTest, WhatTheServerPublishedIsGoneFromTheOutboxWhenItStops)
{
    ASSERT_EQ(Ask(Accept(Pending(oms::kModifyUser, "DEALER"), "CHECKER2"), "stop-1").Code(), oms::kStatusOk);
    ASSERT_EQ(Ask(Reject(Pending(oms::kModifyClient), "CHECKER2", "Bank proof missing"), "stop-2").Code(),
              oms::kStatusOk);
    ASSERT_EQ(publisher.Published().size(), 2u);
    server.reset();
    EXPECT_EQ(OutboxRows(), 0);
    publisher.Clear();
    Restart();
    EXPECT_TRUE(publisher.Published().empty());
}

TEST_F(OutboxBacklogTest, RequestsAnotherProgramEntersBesideTheServerLeaveTheOutboxOncePublished)
{
    ServeOn(bus);
    const std::unique_ptr<oms::Store> tool = oms::Store::Open(DatabasePath(), oms::Store::Options{});
    const std::int64_t key = oms::MakerDesk(*tool).Enter(
        {"MAKER1", oms::kRmsLimits, FreeLimitOwner(*tool, "broker:"), {{"slbm", "4400"}}});
    ASSERT_TRUE(WaitFor([&] { return !bus.delivered.About(key).empty(); }));
    EXPECT_TRUE(WaitFor([&] { return OutboxRows() == 0; })) << OutboxRows() << " rows stay";
    EXPECT_EQ(bus.delivered.About(key).size(), 1u);
}

TEST_F(OutboxBacklogTest, AMessageTheBusRefusedGoesOutWhenTheBusIsBackWithoutAnotherDecision)
{
    ServeOn(bus);
    const oms::RequestRecord first = Pending(oms::kModifyUser, "DEALER");
    const oms::RequestRecord second = Pending(oms::kModifyClient);
    bus.down = true;
    EXPECT_EQ(Ask(Accept(first, "CHECKER2"), "outage-1").Code(), oms::kStatusOk);
    EXPECT_EQ(Ask(Reject(second, "CHECKER2", "Bank proof missing"), "outage-2").Code(), oms::kStatusOk);
    // The watcher looks a few times while the bus is down; the messages wait in the outbox.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(bus.delivered.Published().empty());

    bus.down = false;
    ASSERT_TRUE(WaitFor([&] { return bus.delivered.Published().size() >= 2; }))
        << "the held messages never went";
    const std::vector<connect::Message> delivered = bus.delivered.Published();
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(*delivered[0].Value(51803), std::to_string(first.key));
    EXPECT_EQ(*delivered[1].Value(51803), std::to_string(second.key));
    EXPECT_TRUE(WaitFor([&] { return OutboxRows() == 0; }));
}

} // namespace
