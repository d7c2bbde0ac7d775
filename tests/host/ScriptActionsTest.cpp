// A script's steps are found in one table of every set of actions: a name is there once, a name
// that is not there fails its line with the same words wherever it stands, and each set's
// actions are reached through it.
#include "host/ScriptActions.h"
#include "host/HostApp.h"
#include "host/ScriptBackend.h"
#include "host/ScriptRunner.h"
#include "winlib/testing/Driver.h"

#include <gmock/gmock.h>

#include <stdexcept>

namespace
{

using testing::HasSubstr;

TEST(ScriptActionTable, ANameIsThereOnceAndNamesThatShareAHandlerPassTheirOwn)
{
    host::ScriptActionTable table;
    std::vector<std::string> ran;
    const auto note = [&ran](const std::string& action, const std::string& argument)
    {
        ran.push_back(action + ":" + argument);
        return argument != "no";
    };
    table.Add({"tick-row", "untick-row"}, note);
    table.Add("echo", note);
    EXPECT_EQ(table.Size(), 3u);
    EXPECT_THROW(table.Add("untick-row", note), std::logic_error);
    EXPECT_THROW(table.Add({"print-rows", "echo"}, note), std::logic_error);

    ASSERT_NE(table.Find("untick-row"), nullptr);
    EXPECT_TRUE((*table.Find("untick-row"))("untick-row", "last"));
    EXPECT_FALSE((*table.Find("tick-row"))("tick-row", "no"));
    EXPECT_EQ(ran, (std::vector<std::string>{"untick-row:last", "tick-row:no"}));
    EXPECT_EQ(table.Find("tick"), nullptr);
    EXPECT_EQ(table.Find("Echo"), nullptr);
}

TEST(ScriptRunner, FindsEachSetsActionsAndFailsAnUnknownOneWithoutStopping)
{
    winlib::testing::Driver driver;
    winlib::SetBackend(std::make_unique<host::ScriptBackend>());
    {
        // Neither frame nor embedded server: the steps below need neither to say whether they held.
        host::CKivoHostApp app(host::HostOptions{});
        host::ScriptRunner runner(app);
        testing::internal::CaptureStderr();
        const int code =
            runner.Run({"log script started", "expect-log script started", "no-such-action at all",
                        "expect-no-console", "maker add-user KV9", "expect-rows 0", "expect-rows 2",
                        "expect-no-window Column Profile", "Echo", "expect-window Column Profile"});
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 1);
        EXPECT_EQ(runner.Failures(),
                  (std::vector<std::string>{"line 3: no-such-action at all", "line 5: maker add-user KV9",
                                            "line 7: expect-rows 2", "line 9: Echo",
                                            "line 10: expect-window Column Profile"}));
        EXPECT_THAT(errors, HasSubstr("kivo-host script: unknown action 'no-such-action'\n"));
        EXPECT_THAT(errors, HasSubstr("kivo-host script: unknown action 'Echo'\n"));
        EXPECT_THAT(errors, HasSubstr("kivo-host script: maker needs the embedded server\n"));
        EXPECT_THAT(errors, HasSubstr("kivo-host script: expect-rows 2: the list has 0 rows\n"));
    }
}

} // namespace
