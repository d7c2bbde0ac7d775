// The terminal's command line and profile file.
#include "host/HostOptions.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace
{

host::HostOptions Parse(std::vector<std::string> args, std::optional<std::string>* error = nullptr)
{
    args.insert(args.begin(), "kivo-host");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    host::HostOptions options;
    const auto result = host::ParseOptions(static_cast<int>(argv.size()), argv.data(), options);
    if (error)
        *error = result;
    else
        EXPECT_FALSE(result.has_value()) << *result;
    return options;
}

TEST(HostOptions, TheDemoUserNeedsNoOptions)
{
    const host::HostOptions options = Parse({});
    EXPECT_EQ(options.mode, host::ScreenMode::Screen);
    EXPECT_EQ(options.profile.userId, "CHECKER1");
    EXPECT_EQ(options.profile.privilege, 0);
    EXPECT_TRUE(options.profile.modifyRight);
    EXPECT_EQ(options.profile.roles, (std::set<int>{60302, 60303, 60304}));
}

TEST(HostOptions, AProfileFileIsReadFirstAndTheCommandLineWins)
{
    ScopedTempDir dir;
    const std::string path = dir / "checker.profile";
    std::ofstream(path) << "# a checker of branch 7\n"
                           "user = ANITA\n"
                           "broker=B7 \n"
                           "privilege = 2\n"
                           "roles = 60302, 64169\n"
                           "modify-right = no\n"
                           "sharing-default = no\n";
    const host::HostOptions options = Parse({"--user", "RAVI", "--profile", path});
    EXPECT_EQ(options.profile.userId, "RAVI");
    EXPECT_EQ(options.profile.brokerId, "B7");
    EXPECT_EQ(options.profile.privilege, 2);
    EXPECT_EQ(options.profile.roles, (std::set<int>{60302, 64169}));
    EXPECT_FALSE(options.profile.modifyRight);
    EXPECT_FALSE(options.profile.sharingDefault);
    EXPECT_TRUE(options.profile.sharingStatus);
}

TEST(HostOptions, BadInputIsNamedPrecisely)
{
    ScopedTempDir dir;
    const std::string path = dir / "bad.profile";
    std::ofstream(path) << "user = X\nprivilege = high\n";
    std::optional<std::string> error;
    Parse({"--profile", path}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("bad.profile:2"), std::string::npos) << *error;
    EXPECT_NE(error->find("'privilege' takes a number"), std::string::npos) << *error;

    Parse({"--colour", "red"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("unknown profile setting 'colour'"), std::string::npos);
    Parse({"--modify-right", "perhaps"}, &error);
    ASSERT_TRUE(error.has_value());
    Parse({"--script"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "--script needs a value");
    Parse({"--profile", dir / "missing.profile"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("cannot read"), std::string::npos);
}

TEST(HostOptions, AScriptMeansHeadlessAndAScreenshotOffscreen)
{
    EXPECT_EQ(Parse({"--script", "a.kivo"}).mode, host::ScreenMode::Headless);
    EXPECT_EQ(Parse({"--screenshot", "a.png"}).mode, host::ScreenMode::Offscreen);
    std::optional<std::string> error;
    Parse({"--headless", "--screenshot", "a.png"}, &error);
    EXPECT_TRUE(error.has_value());
}

} // namespace
