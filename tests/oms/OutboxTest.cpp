// Publication through the outbox: a crash between a decision's commit and its publication
// loses nothing, and what other programs enter into the database reaches the subscribers.
#include "OmsTestSupport.h"

#include "oms/MakerDesk.h"
#include "oms/RequestGenerator.h"
#include "oms/ServerStatus.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace oms_test;

namespace
{

TEST_F(ServerTest, AProcessKilledBetweenCommitAndPublicationPublishesAfterRestart)
{
    const oms::RequestRecord request = Pending(oms::kModifyClient);
    server.reset(); // the child is the server now

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        RecordingPublisher nobody;
        oms::OmsServer::Options options;
        options.databasePath = DatabasePath();
        options.watchIntervalMs = 0;
        oms::OmsServer crashing(options, nobody);
        crashing.SetAfterCommitHook([] { ::kill(::getpid(), SIGKILL); });
        connect::ReplyStream replies(
            "om_authenticate_functionality", [](const connect::Message&) {}, "crash-1",
            connect::Session{"CHECKER2", "KIVO", 0});
        crashing.OnRequest(Accept(request, "CHECKER2"), replies);
        ::_exit(3); // not reached: the hook kills the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    ASSERT_EQ(WTERMSIG(status), SIGKILL);

    publisher.Clear();
    MakeServer();
    // Committed before the crash, not yet published.
    EXPECT_EQ(Request(request.key)->status, "accepted");
    EXPECT_TRUE(publisher.Published().empty());
    server->Start();
    const std::vector<connect::Message> about = publisher.About(request.key);
    ASSERT_FALSE(about.empty());
    EXPECT_EQ(Values(about.back(), 54211), std::vector<std::string>{"accepted"});
    // The decision is there once; the terminal's resend after the crash changes nothing.
    EXPECT_EQ(Log(request.key).size(), 1u);
    const Answer resend = Ask(Accept(request, "CHECKER2"), "crash-1", {"CHECKER2", "KIVO", 0});
    EXPECT_EQ(resend.Code(), oms::kStatusOk);
    EXPECT_EQ(Log(request.key).size(), 1u);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, RequestsThatAnotherProgramEntersArePublished)
{
    MakeServer(10);
    server->Start();
    publisher.Clear();

    // The maker tool: a connection of its own, beside the server.
    oms::Store::Options plain;
    const std::unique_ptr<oms::Store> tool = oms::Store::Open(DatabasePath(), plain);
    const std::int64_t key = oms::MakerDesk(*tool).Enter(
        {"MAKER1", oms::kRmsLimits, FreeLimitOwner(*tool, "broker:"), {{"slbm", "4400"}}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (publisher.About(key).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(publisher.About(key).size(), 1u);

    // Entered while no server runs: published when one starts.
    server.reset();
    const std::int64_t later = oms::MakerDesk(*tool).Enter(
        {"MAKER1", oms::kRmsLimits, FreeLimitOwner(*tool, "branch:"), {{"slbm", "4400"}}});
    MakeServer();
    EXPECT_TRUE(publisher.About(later).empty());
    server->Start();
    EXPECT_EQ(publisher.About(later).size(), 1u);
}

// A checker's decision handed to the server; the status code it was answered with.
int DecisionCode(oms::OmsServer& server, const connect::Message& decision, const std::string& id)
{
    int code = -1;
    connect::ReplyStream replies(
        "om_authenticate_functionality",
        [&code](const connect::Message& reply)
        {
            if (const std::string* status = reply.Value(connect::kClosingField))
                code = std::stoi(*status);
        },
        id, connect::Session{"CHECKER2", "KIVO", 0});
    server.OnRequest(decision, replies);
    return code;
}

// A bus that takes its time to confirm what it stored (a cluster choosing a new leader): what
// waits for it is published while it waits, and nothing is published before it lets go.
class GatedPublisher : public connect::Publisher
{
public:
    bool Publish(const connect::Message& message) override
    {
        std::unique_lock<std::mutex> guard(m_lock);
        m_open.wait(guard, [this] { return m_opened; });
        m_published.push_back(message);
        return true;
    }
    void Open()
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_opened = true;
        }
        m_open.notify_all();
    }
    std::size_t Count()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_published.size();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_open;
    bool m_opened = false;
    std::vector<connect::Message> m_published;
};

TEST_F(ServerTest, ABusSlowToConfirmPublicationsDoesNotHoldTheAnswers)
{
    const oms::RequestRecord first = Pending(oms::kModifyClient);
    const oms::RequestRecord second = Pending(oms::kAddUser);
    server.reset();
    GatedPublisher bus;
    oms::OmsServer::Options options;
    options.databasePath = DatabasePath();
    options.watchIntervalMs = 20;
    options.publishInBackground = true;
    auto gated = std::make_unique<oms::OmsServer>(options, bus);
    gated->Start();

    const auto decide = [&](const connect::Message& decision, const std::string& id)
    {
        return std::async(std::launch::async,
                          [&gated, decision, id] { return DecisionCode(*gated, decision, id); });
    };
    // The first decision's publication waits for the bus; the second decision is answered
    // meanwhile, the store not held by the waiting publication.
    std::future<int> accepted = decide(Accept(first, "CHECKER2"), "slow-1");
    const bool firstAnswered = accepted.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::future<int> rejected = decide(Reject(second, "CHECKER2", "wrong branch"), "slow-2");
    const bool secondAnswered = rejected.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    EXPECT_EQ(bus.Count(), 0u);
    bus.Open();
    ASSERT_TRUE(firstAnswered) << "the answer waited for the bus";
    ASSERT_TRUE(secondAnswered) << "the answer waited for the bus";
    EXPECT_EQ(accepted.get(), oms::kStatusOk);
    EXPECT_EQ(rejected.get(), oms::kStatusOk);

    // Once the bus lets go, both outcomes go out, and none is left for the next start.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (bus.Count() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(bus.Count(), 2u);
    gated.reset();
    MakeServer();
    publisher.Clear();
    server->Start();
    EXPECT_TRUE(publisher.Published().empty());
}

TEST_F(ServerTest, TheGeneratorEntersAndPublishesRequestsButNeverTheCheckersOwn)
{
    publisher.Clear();
    oms::RequestGenerator generator(*server, std::chrono::milliseconds(2), "MAKER1", 11);
    generator.Start();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (generator.Entered() < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    generator.Stop();
    const std::size_t entered = generator.Entered();
    ASSERT_GE(entered, 8u);
    const std::vector<connect::Message> published = publisher.Published();
    EXPECT_EQ(published.size(), entered);
    for (const connect::Message& message : published)
    {
        EXPECT_EQ(Values(message, 54211), std::vector<std::string>{"auth pending"});
        EXPECT_NE(Values(message, 54247), std::vector<std::string>{"MAKER1"});
    }
    // Stopped means stopped.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(generator.Entered(), entered);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}


// A batch of decisions being applied holds the store for as long as it takes; what the batch
// before it committed is published meanwhile, the publisher reading the outbox on a connection of
// its own.
TEST_F(ServerTest, WhatIsCommittedIsPublishedWhileTheNextBatchHoldsTheStore)
{
    const oms::RequestRecord first = Pending(oms::kModifyClient);
    const oms::RequestRecord second = Pending(oms::kAddUser);
    server.reset();
    publisher.Clear();
    oms::OmsServer::Options options;
    options.databasePath = DatabasePath();
    options.watchIntervalMs = 10;
    options.publishInBackground = true;
    oms::OmsServer background(options, publisher);
    background.Start();
    // The hook runs after a batch's commit with the store still held, as a long batch holds it.
    int commits = 0;
    bool publishedWhileHeld = false;
    background.SetAfterCommitHook(
        [&]
        {
            if (++commits != 2)
                return;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (publisher.Published().empty() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            publishedWhileHeld = !publisher.Published().empty();
        });
    const auto decide = [&](const connect::Message& decision, const std::string& id)
    { return DecisionCode(background, decision, id); };
    // The first decision goes out as usual, and is forgotten.
    ASSERT_EQ(decide(Reject(first, "CHECKER2", "wrong branch"), "held-1"), oms::kStatusOk);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (publisher.Published().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_FALSE(publisher.Published().empty());
    publisher.Clear();
    // The second's outcome is published while the store is still held after its commit.
    ASSERT_EQ(decide(Accept(second, "CHECKER2"), "held-2"), oms::kStatusOk);
    EXPECT_TRUE(publishedWhileHeld) << "the publication waited for the store";
    background.Stop();
}

} // namespace
