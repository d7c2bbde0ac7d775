// kivo-oms stats, pending and show while a server holds the database (a terminal's embedded
// server, or kivo-oms --bus): they read beside it, see what it committed, and leave it serving.
#include "OmsTestSupport.h"

#include "oms/ServerStatus.h"
#include "support/ChildProcess.h"

#include <gmock/gmock.h>

using namespace oms_test;
using testing::HasSubstr;

namespace
{

class ReadingCommandsTest : public ServerTest
{
protected:
    struct Run
    {
        int exitCode;
        std::string output;
    };

    Run Oms(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> argv = {KIVO_OMS_PROGRAM, "--db", DatabasePath()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::string log = folder / ("kivo-oms-" + std::to_string(++m_runs) + ".log");
        ChildProcess program(argv, log);
        const int code = program.Wait(std::chrono::seconds(60));
        return {code, program.Output()};
    }

private:
    int m_runs = 0;
};

TEST_F(ReadingCommandsTest, StatsPendingAndShowReadBesideARunningServer)
{
    // Committed by the running server, still in its write-ahead log.
    const oms::RequestRecord decided = Pending(oms::kModifyUser, "DEALER");
    ASSERT_EQ(Ask(Accept(decided, "CHECKER2"), "read-1").Code(), oms::kStatusOk);
    const std::int64_t pending = Read<std::int64_t>([](oms::Store& s) { return s.CountRequests(oms::kPending); });

    const Run stats = Oms({"stats"});
    EXPECT_EQ(stats.exitCode, 0) << stats.output;
    EXPECT_THAT(stats.output, HasSubstr("auth pending: " + std::to_string(pending) + "\n"));
    EXPECT_THAT(stats.output, HasSubstr("accepted: 1\n"));
    EXPECT_THAT(stats.output, HasSubstr("decisions logged: 1\n"));

    const Run list = Oms({"pending"});
    EXPECT_EQ(list.exitCode, 0) << list.output;
    EXPECT_EQ(std::count(list.output.begin(), list.output.end(), '\n'), pending);
    EXPECT_THAT("\n" + list.output, testing::Not(HasSubstr("\n" + std::to_string(decided.key) + "  ")));

    const Run show = Oms({"show", std::to_string(decided.key)});
    EXPECT_EQ(show.exitCode, 0) << show.output;
    EXPECT_THAT(show.output, HasSubstr("54211: [accepted]"));
    EXPECT_THAT(show.output, HasSubstr("54294: [CHECKER2]"));
    const Run unknown = Oms({"show", "999999"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_THAT(unknown.output, HasSubstr("there is no request 999999"));

    // A command that would serve the database is still refused while the server holds it.
    const Run init = Oms({"init"});
    EXPECT_EQ(init.exitCode, 1);
    EXPECT_THAT(init.output, HasSubstr("is served by another server already"));

    // The server serves on, and the readers took nothing from it.
    EXPECT_EQ(Ask(Accept(Pending(oms::kModifyClient), "CHECKER2"), "read-2").Code(), oms::kStatusOk);
    EXPECT_THAT(Oms({"stats"}).output, HasSubstr("accepted: 2\n"));
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

} // namespace
