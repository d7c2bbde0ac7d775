#include "base/UserSettings.h"
#include "base/PluginGlobals.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// Every test gets an application-data folder of its own.
class UserSettings : public ::testing::Test
{
protected:
    ScopedTempDir m_appData;
    ScopedEnv m_env{"APPDATA", m_appData.Path().c_str()};

    fs::path SettingsFolder() const { return m_appData.Path() / "DarvKIVO" / "KivoVovode"; }
    fs::path SettingsFile() const { return SettingsFolder() / "UserSetting.ini"; }

    void WriteSettingsFile(const std::string& content)
    {
        fs::create_directories(SettingsFolder());
        std::ofstream(SettingsFile()) << content;
    }

    std::string ReadSettingsFile() const
    {
        std::ifstream in(SettingsFile());
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
};

TEST_F(UserSettings, PathFollowsTheLocationRuleAndCreatesTheMissingFolders)
{
    EXPECT_FALSE(fs::exists(m_appData.Path() / "DarvKIVO"));
    const std::string path = GetUserSettingsPath();
    EXPECT_EQ(path, m_appData.Path().string() + "\\DarvKIVO\\KivoVovode\\\\UserSetting.ini");
    EXPECT_TRUE(fs::is_directory(SettingsFolder()));
    EXPECT_FALSE(fs::exists(SettingsFile())); // the folder only; the file comes with the first write
}

TEST_F(UserSettings, FreshUserReadsNothingAndTheFirstSavedProfileCreatesTheFile)
{
    std::string value = "untouched";
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", value), 0);
    EXPECT_EQ(value, "untouched");

    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", "Requests-1001", value, GetUserSettingsPath(),
                               error),
              0);
    EXPECT_EQ(error, "Did not detect : UserSetting.ini");

    std::string profile = "0,0,75,1,-1,0,2,1,120";
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Requests", profile), 1);
    EXPECT_EQ(ReadSettingsFile(), "[Requests]\nCOLUMNPROFILE=0,0,75,1,-1,0,2,1,120\n");
    std::string read;
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", read), 1);
    EXPECT_EQ(read, profile);
}

TEST_F(UserSettings, MissingKeyGivesZeroWithoutErrorText)
{
    WriteSettingsFile("[CUSTOMIZE_LISTS]\nOther-1=0,FF00,MS Shell Dlg 2,8\n");
    std::string value;
    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", "Requests-1001", value, GetUserSettingsPath(),
                               error),
              0);
    EXPECT_EQ(value, "Key not found");
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", value), 0);
}

TEST_F(UserSettings, StoredDefaultTextsReadAsMissing)
{
    WriteSettingsFile("[Requests]\nCOLUMNPROFILE=Settings not found\n[S]\nK=Key not found\nE=\n");
    std::string value;
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", value), 0);
    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "S", "K", value, GetUserSettingsPath(), error), 0);
    // An empty stored value is a read of nothing.
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "S", "E", value, GetUserSettingsPath(), error), 0);
    EXPECT_EQ(value, "");
    EXPECT_EQ(error, "");
}

TEST_F(UserSettings, LongValuesAreReadWholeSoThatTheyAreSavedBackWhole)
{
    std::string longValue;
    for (int i = 0; i < 100000; ++i)
        longValue += static_cast<char>('a' + i % 26);
    const std::string path = GetUserSettingsPath();
    std::string error;
    for (const std::size_t length : {4095u, 4096u, 5000u, 100000u})
    {
        std::string value = longValue.substr(0, length);
        ASSERT_EQ(ReadWriteSetting(SETTING_WRITE, "Big", "Value", value, path, error), 1);
        std::string read;
        EXPECT_EQ(ReadWriteSetting(SETTING_READ, "Big", "Value", read, path, error), 1);
        EXPECT_EQ(read.size(), length);
        EXPECT_TRUE(read == value);
        ASSERT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Big", value), 1);
        EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Big", read), 1);
        EXPECT_EQ(read.size(), length);
    }
}

// A value is the text up to its first NUL, as written back it would be: a file holding one must not
// read as more columns than saving them again keeps.
TEST_F(UserSettings, AValueReadsUpToItsFirstNulAsItWouldBeWrittenBack)
{
    GetUserSettingsPath();
    WriteSettingsFile(std::string("[Trades]\nCOLUMNPROFILE=0,0,80,Name\0\0hidden,1,1,60\n", 50));
    std::string value;
    ASSERT_EQ(ReadWriteColumnProfile(SETTING_READ, "Trades", value), 1);
    EXPECT_EQ(value, "0,0,80,Name");
    ASSERT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Trades", value), 1);
    std::string again;
    ASSERT_EQ(ReadWriteColumnProfile(SETTING_READ, "Trades", again), 1);
    EXPECT_EQ(again, value);
}

TEST_F(UserSettings, UnknownModesDoNothing)
{
    std::string value = "x";
    std::string error;
    EXPECT_EQ(ReadWriteSetting(2, "S", "K", value, GetUserSettingsPath(), error), 0);
    EXPECT_EQ(ReadWriteColumnProfile(-1, "Requests", value), 0);
    EXPECT_FALSE(fs::exists(SettingsFile()));
    EXPECT_EQ(value, "x");
    EXPECT_EQ(error, "");
}

TEST_F(UserSettings, FileThatCannotBeCreatedReportsItsName)
{
    const std::string path = m_appData / "missing\\folder\\Layout.ini";
    std::string value = "v";
    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_WRITE, "S", "K", value, path, error), 0);
    EXPECT_EQ(error, "Did not detect : Layout.ini");
    EXPECT_FALSE(fs::exists(m_appData.Path() / "missing"));
}

std::vector<std::string> g_log;
void Log(std::string line)
{
    g_log.push_back(std::move(line));
}

TEST_F(UserSettings, AFolderWhereTheFileShouldBeIsReportedOnceAndNeitherReadNorWritten)
{
    fs::create_directories(SettingsFile() / "inside");
    g_log.clear();
    g_pfnAddToTabbedLog = &Log;
    const std::string path = GetUserSettingsPath();
    std::string value = "0,0,75";
    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "CUSTOMIZE_LISTS", "Requests-1001", value, path, error), 0);
    EXPECT_EQ(error, "Did not detect : UserSetting.ini");
    error.clear();
    EXPECT_EQ(ReadWriteSetting(SETTING_WRITE, "CUSTOMIZE_LISTS", "Requests-1001", value, path, error), 0);
    EXPECT_EQ(error, "Did not detect : UserSetting.ini");
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Requests", value), 0);
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", value), 0);
    g_pfnAddToTabbedLog = nullptr;
    ASSERT_EQ(g_log.size(), 1u) << "said once, however often it is tried";
    EXPECT_NE(g_log[0].find("UserSetting.ini is a folder, not a file"), std::string::npos) << g_log[0];
    EXPECT_TRUE(fs::is_directory(SettingsFile() / "inside")) << "the folder is left as it was";
}

TEST_F(UserSettings, ADeviceWhereTheFileShouldBeIsNeitherReadNorWritten)
{
    fs::create_directories(SettingsFolder());
    std::error_code linked;
    fs::create_symlink("/dev/zero", SettingsFile(), linked);
    if (linked)
        GTEST_SKIP() << "cannot link to /dev/zero here";
    std::string value = "0,0,75";
    std::string error;
    EXPECT_EQ(ReadWriteSetting(SETTING_READ, "S", "K", value, GetUserSettingsPath(), error), 0);
    EXPECT_EQ(error, "Did not detect : UserSetting.ini");
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Requests", value), 0);
    EXPECT_TRUE(fs::is_symlink(SettingsFile()));
}

TEST(UserSettingsWithoutAppData, ApplicationDataBlockedByAFileGivesNoSettings)
{
    ScopedTempDir temp;
    std::ofstream(temp / "blocker") << "a file, not a folder";
    ScopedEnv env("APPDATA", (temp / "blocker/appdata").c_str());
    EXPECT_EQ(GetUserSettingsPath(), "");
    std::string value = "0,0,50";
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_WRITE, "Requests", value), 0);
    EXPECT_EQ(ReadWriteColumnProfile(SETTING_READ, "Requests", value), 0);
}
} // namespace
