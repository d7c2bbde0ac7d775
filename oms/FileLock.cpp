#include "oms/FileLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace oms
{

bool FileLock::Acquire(const std::string& path, std::string* error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
    {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        if (error)
            *error = errno == EWOULDBLOCK ? "" : std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace oms
