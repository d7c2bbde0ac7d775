// An exclusive lock on a file beside the database, held for as long as this object lives, so
// that two servers never serve one database (each would publish the other's outbox). The
// operating system drops the lock when the process ends, however it ends.
#pragma once

#include <string>

namespace oms
{

class FileLock
{
public:
    // False when another process holds the lock; 'error' says what went wrong otherwise.
    bool Acquire(const std::string& path, std::string* error);
    ~FileLock();

private:
    int m_fd = -1;
};

} // namespace oms
