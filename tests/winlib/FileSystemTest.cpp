#include "winlib/FileSystem.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace
{
std::string AppDataFolder()
{
    char path[MAX_PATH] = {};
    return SHGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, FALSE) ? path : "(failed)";
}

TEST(FileSystem, AppDataComesFromAppDataThenXdgThenHome)
{
    ScopedEnv appData("APPDATA", "/roaming");
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
    ScopedEnv home("HOME", "/users/someone");
    EXPECT_EQ(AppDataFolder(), "/roaming");
    {
        ScopedEnv unset("APPDATA", nullptr);
        EXPECT_EQ(AppDataFolder(), "/xdg");
        ScopedEnv empty("XDG_CONFIG_HOME", "");
        EXPECT_EQ(AppDataFolder(), "/users/someone/.config");
        ScopedEnv noHome("HOME", nullptr);
        EXPECT_EQ(AppDataFolder(), "(failed)");
    }
    char path[MAX_PATH] = {};
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, 0x0005, FALSE)); // only the app-data folder is known
}

TEST(FileSystem, ARelativeFolderInTheEnvironmentIsPassedOver)
{
    ScopedEnv appData("APPDATA", "roaming");
    ScopedEnv xdg("XDG_CONFIG_HOME", "./config");
    ScopedEnv home("HOME", "/users/someone");
    EXPECT_EQ(AppDataFolder(), "/users/someone/.config");
    EXPECT_EQ(winlib::RefusedAppDataVariables(),
              (std::vector<std::string>{"APPDATA=roaming", "XDG_CONFIG_HOME=./config"}));
    ScopedEnv relativeHome("HOME", "someone");
    EXPECT_EQ(AppDataFolder(), "(failed)")
        << "no folder rather than one that moves with the working directory";
}

TEST(FileSystem, OnlyPlainFilesOpenOrAreRead)
{
    ScopedTempDir temp;
    EXPECT_EQ(_tfopen(temp.Path().c_str(), "rt"), nullptr);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(_tfopen("/dev/zero", "rt"), nullptr);
    EXPECT_EQ(errno, ENODEV);

    std::string content = "left over";
    EXPECT_EQ(winlib::ReadPlainFile(temp.Path().c_str(), 100, content), winlib::FileReadStatus::Folder);
    EXPECT_EQ(content, "");
    EXPECT_EQ(winlib::ReadPlainFile("/dev/zero", 100, content), winlib::FileReadStatus::NotAPlainFile);
    EXPECT_EQ(winlib::ReadPlainFile((temp / "missing").c_str(), 100, content),
              winlib::FileReadStatus::Missing);
    const std::string pipe = temp / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(winlib::ReadPlainFile(pipe.c_str(), 100, content), winlib::FileReadStatus::NotAPlainFile)
        << "refused at once, without waiting for a writer";
    EXPECT_EQ(_tfopen(pipe.c_str(), "rt"), nullptr);

    const std::string file = temp / "ten.txt";
    std::ofstream(file) << "0123456789";
    EXPECT_EQ(winlib::ReadPlainFile(file.c_str(), 10, content), winlib::FileReadStatus::Read);
    EXPECT_EQ(content, "0123456789");
    EXPECT_EQ(winlib::ReadPlainFile(file.c_str(), 9, content), winlib::FileReadStatus::TooLarge);
    EXPECT_EQ(content, "");
    EXPECT_EQ(winlib::DescribeFileRead(winlib::FileReadStatus::TooLarge, "a.txt", 9),
              "a.txt is larger than 9 bytes");
}

TEST(FileSystem, AppDataIsCreatedOnlyWhenAskedTo)
{
    ScopedTempDir temp;
    const std::string folder = temp / "roaming/deeper";
    ScopedEnv appData("APPDATA", folder.c_str());
    char path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_FALSE(std::filesystem::exists(folder));
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_APPDATA, TRUE));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(FileSystem, CreateDirectoryMakesOneLevelOnly)
{
    ScopedTempDir temp;
    const std::string parent = temp.Path().string() + "\\DarvKIVO";
    EXPECT_FALSE(CreateDirectory((parent + "\\KivoVovode").c_str(), nullptr));
    EXPECT_TRUE(CreateDirectory(parent.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectory(parent.c_str(), nullptr)); // exists already
    EXPECT_TRUE(CreateDirectory((parent + "\\KivoVovode").c_str(), nullptr));
    EXPECT_EQ(GetFileAttributes((parent + "\\KivoVovode").c_str()), FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FileSystem, FilesOpenAndAreFoundThroughWindowsStylePaths)
{
    ScopedTempDir temp;
    const std::string file = temp.Path().string() + "\\UserSetting.ini";
    EXPECT_FALSE(PathFileExists(file.c_str()));
    EXPECT_EQ(GetFileAttributes(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(_tfopen(file.c_str(), "rt"), nullptr);
    FILE* created = _tfopen(file.c_str(), "wt");
    ASSERT_NE(created, nullptr);
    std::fputs("[s]\n", created);
    std::fclose(created);
    EXPECT_TRUE(PathFileExists(file.c_str()));
    EXPECT_EQ(GetFileAttributes(file.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ToNativePath("a\\b\\\\c"), "a/b//c");
}
} // namespace
