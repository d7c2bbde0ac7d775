// The embedded server's options on the terminal's command line.
#include "host/HostOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

std::optional<std::string> Parse(std::vector<std::string> args, host::HostOptions& options)
{
    args.insert(args.begin(), "kivo-host");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return host::ParseOptions(static_cast<int>(argv.size()), argv.data(), options);
}

TEST(ServerOptions, TheServerIsEmbeddedWithItsMakerUnlessToldOtherwise)
{
    host::HostOptions options;
    ASSERT_FALSE(Parse({}, options));
    EXPECT_TRUE(options.server.embedded);
    EXPECT_TRUE(options.server.database.empty());
    EXPECT_FALSE(options.server.fresh);
    EXPECT_LT(options.server.makerEvery, 0); // the default: every 5 seconds, none in a script

    host::HostOptions told;
    ASSERT_FALSE(
        Parse({"--db", "/data/oms.db", "--fresh", "--maker-every", "2.5", "--user", "CHECKER2"}, told));
    EXPECT_EQ(told.server.database, "/data/oms.db");
    EXPECT_TRUE(told.server.fresh);
    EXPECT_DOUBLE_EQ(told.server.makerEvery, 2.5);
    // The server's options are not taken for profile settings.
    EXPECT_EQ(told.profile.userId, "CHECKER2");

    host::HostOptions quiet;
    ASSERT_FALSE(Parse({"--no-maker", "--no-server"}, quiet));
    EXPECT_EQ(quiet.server.makerEvery, 0);
    EXPECT_FALSE(quiet.server.embedded);
}

TEST(ServerOptions, ABadValueIsRefusedWithTheOption)
{
    host::HostOptions options;
    EXPECT_EQ(Parse({"--maker-every", "soon"}, options),
              "--maker-every takes a number of seconds, not 'soon'");
    EXPECT_EQ(Parse({"--maker-every", "-1"}, options), "--maker-every takes a number of seconds, not '-1'");
    EXPECT_EQ(Parse({"--db"}, options), "--db needs a value: the server's database file");
}

TEST(ServerOptions, TheBusTakesAUrlAndLeavesNoRoomForAnEmbeddedServer)
{
    host::HostOptions options;
    ASSERT_FALSE(
        Parse({"--bus", "nats://127.0.0.1:4222,nats://10.0.0.2:4222", "--user", "CHECKER2"}, options));
    EXPECT_EQ(options.server.bus, "nats://127.0.0.1:4222,nats://10.0.0.2:4222");

    host::HostOptions bad;
    const auto wrong = Parse({"--bus", "127.0.0.1:4222"}, bad);
    ASSERT_TRUE(wrong);
    EXPECT_NE(wrong->find("nats://127.0.0.1:4222"), std::string::npos) << *wrong;
    const auto port = Parse({"--bus", "nats://host:70000"}, bad);
    ASSERT_TRUE(port);
    EXPECT_NE(port->find("port"), std::string::npos) << *port;
    EXPECT_TRUE(Parse({"--bus"}, bad));
    // The embedded server's options mean nothing with a server elsewhere: said, not ignored.
    for (const char* embedded : {"--fresh", "--no-maker", "--no-server"})
        EXPECT_TRUE(Parse({"--bus", "nats://127.0.0.1:4222", embedded}, bad)) << embedded;
    EXPECT_TRUE(Parse({"--db", "x.db", "--bus", "nats://127.0.0.1:4222"}, bad));
}

} // namespace
