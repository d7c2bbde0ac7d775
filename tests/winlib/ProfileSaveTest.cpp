// Saving a private-profile file while other programs save it too, or while the saving program is
// killed: every change kept, and the file always whole.
#include "winlib/Faults.h"
#include "winlib/Profile.h"

#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
// Syncing to a disk takes milliseconds a save; what these tests check does not depend on it.
std::filesystem::path FastFolder()
{
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                            : std::filesystem::temp_directory_path();
}

// A copy of this test program started with this variable set saves instead of testing:
//   "keys <file> <section> <count>"  saves keys k0 ... in the section, one save each, then exits;
//   "rounds <file>"                  saves the payload of the next round, again and again, until
//                                    it is killed.
constexpr const char* kWriterVariable = "KIVO_PROFILE_WRITER";

constexpr std::size_t kPayloadLength = 300000;

// The payload of round n: its number again and again, so that a cut or mixed value shows.
std::string Payload(unsigned round)
{
    const std::string unit = std::to_string(round) + ";";
    std::string payload;
    while (payload.size() + unit.size() <= kPayloadLength)
        payload += unit;
    return payload;
}

std::string ReadValue(const std::string& file, const char* section, const char* key, DWORD size = 64)
{
    std::vector<char> buffer(size);
    const DWORD length = GetPrivateProfileString(section, key, "", buffer.data(), size, file.c_str());
    return std::string(buffer.data(), length);
}

[[noreturn]] void RunWriter(const char* job)
{
    std::istringstream words(job);
    std::string kind;
    std::string file;
    words >> kind >> file;
    if (kind == "keys")
    {
        std::string section;
        int count = 0;
        words >> section >> count;
        bool failed = false;
        for (int i = 0; i < count; ++i)
        {
            const std::string key = "k" + std::to_string(i);
            const std::string value = section + "-" + std::to_string(i);
            if (!WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
                failed = true;
        }
        _exit(failed ? 3 : 0);
    }
    if (kind == "rounds")
    {
        unsigned round = static_cast<unsigned>(std::atoi(ReadValue(file, "Data", "round").c_str()));
        for (;;)
        {
            ++round;
            // Two keys, two saves: the round number first, then its payload.
            WritePrivateProfileString("Data", "round", std::to_string(round).c_str(), file.c_str());
            WritePrivateProfileString("Data", "payload", Payload(round).c_str(), file.c_str());
        }
    }
    _exit(2);
}

// Runs before the tests, in the copies started as writers only.
const bool g_isWriter = []
{
    if (const char* job = std::getenv(kWriterVariable))
        RunWriter(job);
    return false;
}();

pid_t StartWriter(const std::string& job)
{
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.emplace_back(*e);
    environment.push_back(std::string(kWriterVariable) + "=" + job);
    std::vector<char*> envp;
    for (std::string& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe";
    char* argv[] = {self.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    return pid;
}

int WaitFor(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    return status;
}

std::string FileContent(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Many sections before the keys under test, so that every save has a large file to rewrite.
std::string Filler(int sections)
{
    std::string text;
    for (int i = 0; i < sections; ++i)
        text += "[List" + std::to_string(i) + "]\nCOLUMNPROFILE=0,0,75,1,1,60,2,2,70,3,-1,0\n";
    return text;
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Changes with every save, whether the save replaces the file or writes into it.
std::pair<ino_t, long long> FileIdentity(const std::string& file)
{
    struct stat info
    {
    };
    if (::stat(file.c_str(), &info) != 0)
        return {0, 0};
    return {info.st_ino, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec};
}

// Waits until a save has put a new file in place.
bool WaitForNewFile(const std::string& file)
{
    const auto old = FileIdentity(file);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FileIdentity(file) == old)
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

std::vector<std::string> Temporaries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(".tmp"))
            names.push_back(name);
    }
    return names;
}

TEST(ProfileSave, TwoProgramsSavingDifferentKeysAtOnceBothKeepEveryKey)
{
    ScopedTempDir dir(FastFolder());
    const std::string file = dir / "UserSetting.ini";
    const std::string filler = Filler(500);
    std::ofstream(file, std::ios::binary) << filler;
    constexpr int kKeys = 60;
    const pid_t first = StartWriter("keys " + file + " First " + std::to_string(kKeys));
    const pid_t second = StartWriter("keys " + file + " Second " + std::to_string(kKeys));
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    const int firstStatus = WaitFor(first);
    const int secondStatus = WaitFor(second);
    EXPECT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0) << "every save succeeded";
    EXPECT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0) << "every save succeeded";

    for (const char* section : {"First", "Second"})
    {
        for (int i = 0; i < kKeys; ++i)
        {
            const std::string key = "k" + std::to_string(i);
            EXPECT_EQ(ReadValue(file, section, key.c_str()), section + std::string("-") + std::to_string(i))
                << section << " " << key;
        }
    }
    const std::string content = FileContent(file);
    EXPECT_TRUE(content.starts_with(filler)) << "the other sections are untouched";
    EXPECT_EQ(Occurrences(content, "[First]"), 1);
    EXPECT_EQ(Occurrences(content, "[Second]"), 1);
    std::size_t added = 0;
    for (const std::string section : {"First", "Second"})
    {
        added += ("[" + section + "]\n").size();
        for (int i = 0; i < kKeys; ++i)
            added += ("k" + std::to_string(i) + "=" + section + "-" + std::to_string(i) + "\n").size();
    }
    EXPECT_EQ(content.size(), filler.size() + added) << "nothing but the two sections was added";
    EXPECT_TRUE(Temporaries(dir.Path()).empty());
}

TEST(ProfileSave, AProgramKilledWhileSavingLeavesTheOldFileOrTheNewOneWhole)
{
    ScopedTempDir dir(FastFolder());
    const std::string file = dir / "UserSetting.ini";
    const std::string filler = Filler(500);
    std::ofstream(file, std::ios::binary) << filler;

    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> share(0.0, 1.5);
    unsigned last = 0;
    int torn = 0;
    constexpr int kRounds = 50;
    for (int i = 0; i < kRounds; ++i)
    {
        const pid_t writer = StartWriter("rounds " + file);
        ASSERT_GT(writer, 0);
        // Every save puts a new file in place. Two saves seen give the time one takes; the kill then
        // comes at a random point of the saves that follow.
        ASSERT_TRUE(WaitForNewFile(file)) << "the writer saves";
        const auto firstSave = std::chrono::steady_clock::now();
        // What a reader sees while the writer saves is whole too.
        const std::string during = ReadValue(file, "Data", "payload", kPayloadLength + 10);
        ASSERT_TRUE(WaitForNewFile(file)) << "the writer saves again";
        const auto saveTime = std::chrono::steady_clock::now() - firstSave;
        std::this_thread::sleep_for(
            std::chrono::duration_cast<std::chrono::microseconds>(saveTime * share(random)));
        ::kill(writer, SIGKILL);
        const int status = WaitFor(writer);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer never stops by itself";
        EXPECT_TRUE(during.empty() || during == Payload(static_cast<unsigned>(std::atoi(during.c_str()))));

        // The round number is saved before its payload, so the payload is of this round or older.
        const std::string content = FileContent(file);
        const unsigned round = static_cast<unsigned>(std::atoi(ReadValue(file, "Data", "round").c_str()));
        const std::string payload = ReadValue(file, "Data", "payload", kPayloadLength + 10);
        const unsigned payloadRound = static_cast<unsigned>(std::atoi(payload.c_str()));
        EXPECT_LE(payloadRound, round);
        const std::string whole =
            round == 0 ? filler
                       : filler + "[Data]\nround=" + std::to_string(round) + "\n" +
                             (payloadRound ? "payload=" + Payload(payloadRound) + "\n" : std::string());
        if (content != whole)
            ++torn;
        EXPECT_EQ(content.size(), whole.size()) << "run " << i;
        EXPECT_GE(round, last);
        last = round;
    }
    EXPECT_EQ(torn, 0) << "files found neither old nor new";
    // The next save clears what the killed writers left half-done.
    ASSERT_TRUE(WritePrivateProfileString("Data", "after", "1", file.c_str()));
    EXPECT_TRUE(Temporaries(dir.Path()).empty());
}

TEST(ProfileSave, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    ScopedTempDir dir(FastFolder());
    const std::string file = dir / "UserSetting.ini";
    const std::string before = Filler(100);
    std::ofstream(file, std::ios::binary) << before;
    winlib::FailNext(winlib::Fault::FileWrite);
    EXPECT_FALSE(WritePrivateProfileString("List0", "COLUMNPROFILE", "0,0,10", file.c_str()));
    EXPECT_EQ(FileContent(file), before);
    EXPECT_TRUE(Temporaries(dir.Path()).empty());
    EXPECT_TRUE(WritePrivateProfileString("List0", "COLUMNPROFILE", "0,0,10", file.c_str()));
    EXPECT_EQ(ReadValue(file, "List0", "COLUMNPROFILE"), "0,0,10");
}

TEST(ProfileSave, ASavedFileKeepsItsPermissionsAndALinkStaysALink)
{
    ScopedTempDir dir(FastFolder());
    const std::string real = dir / "real.ini";
    const std::string link = dir / "UserSetting.ini";
    std::ofstream(real, std::ios::binary) << "[s]\nk=1\n";
    std::filesystem::permissions(real,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(FileContent(real), "[s]\nk=2\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}
} // namespace
