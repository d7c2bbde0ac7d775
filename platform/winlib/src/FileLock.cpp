#include "FileLock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace winlib
{

namespace
{
constexpr auto kLongestWait = std::chrono::seconds(10);
constexpr auto kFirstPause = std::chrono::microseconds(200);
constexpr auto kLongestPause = std::chrono::milliseconds(2);
} // namespace

FileLock::FileLock(const std::string& nativePath)
{
    const std::string lockPath = nativePath + ".lock";
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (m_fd < 0)
        return;
    // flock belongs to the open file, so that two threads of one program exclude each other too.
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    std::chrono::microseconds pause = kFirstPause;
    for (;;)
    {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        {
            m_held = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    }
}

FileLock::~FileLock()
{
    // Closing releases the lock. The lock file stays: removing it would let a program that has
    // just opened it lock a file nobody else can find any more.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace winlib
