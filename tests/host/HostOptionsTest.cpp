// The terminal's command line and profile file.
#include "host/HostOptions.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    EXPECT_NE(error->find("'privilege' takes 0, 1, 2 or 4, not 'high'"), std::string::npos) << *error;

    Parse({"--profile", dir / "missing.profile"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("cannot read"), std::string::npos);
}

TEST(HostOptions, EachCommandLineErrorNamesTheArgumentAndWhatItExpects)
{
    const auto errorOf = [](std::vector<std::string> args)
    {
        std::optional<std::string> error;
        Parse(std::move(args), &error);
        return error.value_or("(accepted)");
    };
    // An option nobody knows is unknown, whether or not something follows it.
    EXPECT_EQ(errorOf({"--bogus"}), "unknown option '--bogus' (kivo-host --help lists them)");
    EXPECT_EQ(errorOf({"--colour", "red"}), "unknown option '--colour' (kivo-host --help lists them)");
    EXPECT_EQ(errorOf({"-x"}), "unknown option '-x' (kivo-host --help lists them)");
    EXPECT_EQ(errorOf({"stray"}), "unexpected argument 'stray': options start with --");
    // A missing value, or another option where the value should be.
    EXPECT_EQ(errorOf({"--script"}), "--script needs a value: a file of host actions");
    EXPECT_EQ(errorOf({"--user", "--broker", "B7"}),
              "--user needs a value: the user's identity, not the option --broker");
    EXPECT_EQ(errorOf({"--profile"}), "--profile needs a value: a profile file");
    // Values that are there but wrong.
    EXPECT_EQ(errorOf({"--modify-right", "perhaps"}),
              "option --modify-right: 'modify-right' takes yes or no, not 'perhaps'");
    EXPECT_EQ(errorOf({"--privilege", "high"}),
              "option --privilege: 'privilege' takes 0, 1, 2 or 4, not 'high'");
}

TEST(HostOptions, OnlyThePrivilegeLevelsThatChooseAFilterAreAccepted)
{
    for (const char* level : {"0", "1", "2", "4"})
        EXPECT_EQ(Parse({"--privilege", level}).profile.privilege, std::atoi(level));
    for (const char* level : {"3", "5", "7", "-1", "8", "1x"})
    {
        std::optional<std::string> error;
        Parse({"--privilege", level}, &error);
        ASSERT_TRUE(error.has_value()) << level;
        EXPECT_NE(error->find("takes 0, 1, 2 or 4"), std::string::npos) << *error;
    }
    ScopedTempDir dir;
    const std::string path = dir / "level.profile";
    std::ofstream(path) << "privilege = 3\n";
    std::optional<std::string> error;
    Parse({"--profile", path}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("level.profile:1: 'privilege' takes 0, 1, 2 or 4, not '3'"), std::string::npos)
        << *error;
}

TEST(HostOptions, AProfileThatIsNoTextFileIsRefusedByNameWithoutBeingRead)
{
    ScopedTempDir dir;
    std::optional<std::string> error;
    const host::HostOptions options = Parse({"--profile", dir.Path().string()}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, "cannot read the profile file: " + dir.Path().string() + " is a folder, not a file");
    EXPECT_EQ(options.profile.userId, "CHECKER1");
    // An endless device would fill the memory if it were read.
    Parse({"--profile", "/dev/zero"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("/dev/zero is a device, pipe or socket, not a file"), std::string::npos) << *error;
}

TEST(HostOptions, AByteOrderMarkBeforeTheFirstProfileLineIsSkipped)
{
    ScopedTempDir dir;
    const std::string path = dir / "bom.profile";
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFuser = ANITA\r\nprivilege = 4\r\n";
    const host::HostOptions options = Parse({"--profile", path});
    EXPECT_EQ(options.profile.userId, "ANITA");
    EXPECT_EQ(options.profile.privilege, 4);
}

TEST(HostOptions, ARelativeConfigurationFolderIsNamedInAWarning)
{
    ScopedEnv appData("APPDATA", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", "/nonexistent/kivo-user");
    const std::vector<std::string> warnings = host::EnvironmentWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("XDG_CONFIG_HOME=relative/config is not an absolute path"), std::string::npos)
        << warnings[0];
    ScopedEnv absolute("XDG_CONFIG_HOME", "/nonexistent/kivo-user/config");
    EXPECT_TRUE(host::EnvironmentWarnings().empty());
}

TEST(HostOptions, AScriptMeansHeadlessUnlessItsPicturesAreWanted)
{
    EXPECT_EQ(Parse({"--script", "a.kivo"}).mode, host::ScreenMode::Headless);
    EXPECT_EQ(Parse({"--screenshot", "a.png"}).mode, host::ScreenMode::Offscreen);
    EXPECT_EQ(Parse({"--offscreen", "--script", "a.kivo"}).mode, host::ScreenMode::Offscreen);
    const host::HostOptions checked = Parse({"--check-repaint", "--script", "a.kivo"});
    EXPECT_EQ(checked.mode, host::ScreenMode::Offscreen);
    EXPECT_TRUE(checked.checkRepaint);
    EXPECT_EQ(Parse({"--check-repaint"}).mode, host::ScreenMode::Screen);
    EXPECT_EQ(Parse({"--on-screen", "--check-repaint", "--script", "a.kivo"}).mode, host::ScreenMode::Screen);

    std::optional<std::string> error;
    Parse({"--headless", "--screenshot", "a.png"}, &error);
    EXPECT_TRUE(error.has_value());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--on-screen"}, {"--on-screen", "--offscreen", "--script", "a.kivo"}})
    {
        Parse(args, &error);
        ASSERT_TRUE(error.has_value());
        EXPECT_NE(error->find("--on-screen runs a --script on the display"), std::string::npos) << *error;
    }
    Parse({"--headless", "--check-repaint", "--script", "a.kivo"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("--check-repaint needs a screen"), std::string::npos) << *error;
    // Headless without a script would run unseen and never end.
    Parse({"--headless"}, &error);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error,
              "--headless needs --script FILE: without a screen there is nothing to show and nothing to do");
    EXPECT_TRUE(Parse({"--headless", "--help"}).showHelp);
}

} // namespace

namespace
{

TEST(HostOptions, APlaceAndTheBusCredentialsAreTakenWhole)
{
    EXPECT_TRUE(Parse({}).place.IsRectEmpty());
    EXPECT_EQ(Parse({"--geometry", "960x1000+960+0"}).place, CRect(960, 0, 1920, 1000));
    for (const char* bad : {"960x1000", "960x1000+1+2x", "100x100+0+0", "960x1000+-5+0", "x+0+0"})
    {
        std::optional<std::string> error;
        Parse({"--geometry", bad}, &error);
        ASSERT_TRUE(error) << bad;
        EXPECT_NE(error->find("WIDTHxHEIGHT+X+Y"), std::string::npos) << *error;
    }
    std::optional<std::string> error;
    Parse({"--bus-credentials", "u.creds", "--bus-ca", "ca.pem"}, &error);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("give --bus URL too"), std::string::npos);
    Parse({"--bus", "tls://bus:4222", "--bus-credentials", "u.creds"}, &error);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("needs both"), std::string::npos);
    const host::HostOptions secured =
        Parse({"--bus", "tls://bus:4222", "--bus-credentials", "u.creds", "--bus-ca", "ca.pem"});
    EXPECT_EQ(secured.server.busCredentials, "u.creds");
    EXPECT_EQ(secured.server.busCa, "ca.pem");
}

} // namespace
