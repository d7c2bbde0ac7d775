// Publication through the outbox: a crash between a decision's commit and its publication
// loses nothing, and what other programs enter into the database reaches the subscribers.
#include "OmsTestSupport.h"

#include "oms/MakerDesk.h"
#include "oms/RequestGenerator.h"
#include "oms/ServerStatus.h"

#include <chrono>
#include <csignal>
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

} // namespace
