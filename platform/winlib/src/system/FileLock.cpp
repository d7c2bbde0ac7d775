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

using Clock = std::chrono::steady_clock;

enum class Attempt
{
    Taken,
    Busy,
    Failed
};

// Tries 'attempt' until it is taken, fails, or the deadline passes; true when taken.
template <typename Try> bool TakeBefore(Clock::time_point deadline, Try attempt)
{
    std::chrono::microseconds pause = kFirstPause;
    for (;;)
    {
        const Attempt result = attempt();
        if (result != Attempt::Busy)
            return result == Attempt::Taken;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, kLongestPause);
    }
}

// The turnstile: a lock on the lock file's first byte (an open file description's own, as flock
// is). A program takes it before it waits for the file's lock and gives it back once it holds
// that lock, so a program that gives the lock back and wants it again at once must pass the
// turnstile too, and a program already waiting there gets the lock first.
Attempt Turnstile(int fd, short type)
{
    struct flock range
    {
    };
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &range) == 0)
        return Attempt::Taken;
    return (errno == EACCES || errno == EAGAIN || errno == EINTR) ? Attempt::Busy : Attempt::Failed;
}
} // namespace

FileLock::FileLock(const std::string& nativePath)
{
    const std::string lockPath = nativePath + ".lock";
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (m_fd < 0)
        return;
    const auto deadline = Clock::now() + kLongestWait;
    // A file system without byte-range locks leaves the turnstile out: the lock still excludes,
    // only not in turn.
    const bool queued = TakeBefore(deadline, [this] { return Turnstile(m_fd, F_WRLCK); });
    if (!queued && Clock::now() >= deadline)
        return;
    // flock belongs to the open file, so that two threads of one program exclude each other too.
    m_held = TakeBefore(deadline,
                        [this]
                        {
                            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
                                return Attempt::Taken;
                            return (errno == EWOULDBLOCK || errno == EINTR) ? Attempt::Busy : Attempt::Failed;
                        });
    if (queued)
        Turnstile(m_fd, F_UNLCK);
}

FileLock::~FileLock()
{
    // Closing releases the lock. The lock file stays: removing it would let a program that has
    // just opened it lock a file nobody else can find any more.
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace winlib
