// An advisory lock that serialises the programs rewriting one file. It is taken on a lock file
// beside the file ("<file>.lock"), never on the file itself, because a rewrite replaces the file
// and a lock held on the old one would no longer stop anyone.
#pragma once

#include <string>

namespace winlib
{

class FileLock
{
public:
    // Waits its turn for the lock, up to a few seconds: a program that saves again and again
    // cannot keep one that waits out. A holder that keeps the lock longer is taken to be stuck,
    // and the lock is then not held. Not held either when the lock file cannot be created (its
    // folder is missing or not writable).
    explicit FileLock(const std::string& nativePath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace winlib
