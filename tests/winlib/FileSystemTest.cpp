#include "winlib/FileSystem.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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
