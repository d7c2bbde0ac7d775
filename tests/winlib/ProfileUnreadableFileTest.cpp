// A settings file that is there but cannot be read, whatever the reason (no read permission, a
// pipe, a file too large to hold), is never replaced by a save: the save fails, and what stands
// at the path stays there as it was.
#include "winlib/Profile.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

std::filesystem::path FastFolder()
{
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                            : std::filesystem::temp_directory_path();
}

constexpr const char* kSettings = "[List0]\nCOLUMNPROFILE=0,0,75,1,1,60\nOLDKEY=1\n";

// A list's two kinds of save: a value written, a key deleted.
struct Saves
{
    bool written;
    bool deleted;
};

Saves Save(const std::string& file)
{
    return {WritePrivateProfileString("List0", "COLUMNPROFILE", "0,0,10", file.c_str()) != FALSE,
            WritePrivateProfileString("List0", "OLDKEY", nullptr, file.c_str()) != FALSE};
}

// The saves made by a user whom permissions stop: root reads any file, so as root they are made
// in a child that becomes 'user' first.
Saves SaveAs(uid_t user, const std::string& file)
{
    if (::geteuid() != 0)
        return Save(file);
    const pid_t child = ::fork();
    if (child == 0)
    {
        if (::setgid(user) != 0 || ::setuid(user) != 0)
            ::_exit(9);
        const Saves saves = Save(file);
        ::_exit((saves.written ? 1 : 0) | (saves.deleted ? 2 : 0));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 3)
        throw std::runtime_error("the saving child did not run");
    return {(WEXITSTATUS(status) & 1) != 0, (WEXITSTATUS(status) & 2) != 0};
}

std::string Content(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct stat Status(const std::string& file)
{
    struct stat status
    {
    };
    ::lstat(file.c_str(), &status);
    return status;
}

TEST(ProfileUnreadableFile, AFileWithoutReadPermissionIsNeverReplaced)
{
    constexpr uid_t kNobody = 65534;
    ScopedTempDir dir(FastFolder());
    // The saving user may make the lock file and the temporary file beside it.
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const std::string file = dir / "UserSetting.ini";
    std::ofstream(file, std::ios::binary) << kSettings;
    if (::geteuid() == 0)
    {
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(file.c_str(), 0200), 0) << "written, never read";
    const ino_t before = Status(file).st_ino;

    const Saves refused = SaveAs(kNobody, file);
    EXPECT_FALSE(refused.written);
    EXPECT_FALSE(refused.deleted);
    EXPECT_EQ(Status(file).st_ino, before) << "the file was replaced";
    EXPECT_EQ(Status(file).st_mode & 07777, 0200u);
    EXPECT_EQ(Content(file), kSettings);

    // Readable again, the same saves go through: they failed because the file could not be read.
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    const Saves made = SaveAs(kNobody, file);
    EXPECT_TRUE(made.written);
    EXPECT_TRUE(made.deleted);
    EXPECT_EQ(Content(file), "[List0]\nCOLUMNPROFILE=0,0,10\n");
}

TEST(ProfileUnreadableFile, APipeOrAFileTooLargeToReadIsNeverReplaced)
{
    ScopedTempDir dir(FastFolder());
    const std::string pipe = dir / "UserSetting.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const Saves onPipe = Save(pipe);
    EXPECT_FALSE(onPipe.written);
    EXPECT_FALSE(onPipe.deleted);
    EXPECT_TRUE(S_ISFIFO(Status(pipe).st_mode)) << "the pipe is still there";

    // Beyond 256 MiB (sparse: it takes no room), a settings file is not read, so not rewritten.
    ScopedTempDir other(FastFolder());
    const std::string large = other / "UserSetting.ini";
    std::ofstream(large, std::ios::binary) << kSettings;
    std::filesystem::resize_file(large, (257u << 20));
    const ino_t before = Status(large).st_ino;
    const Saves onLarge = Save(large);
    EXPECT_FALSE(onLarge.written);
    EXPECT_FALSE(onLarge.deleted);
    EXPECT_EQ(Status(large).st_ino, before);
    EXPECT_EQ(std::filesystem::file_size(large), (257u << 20));
}

} // namespace
