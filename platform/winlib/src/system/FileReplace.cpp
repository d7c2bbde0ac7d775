#include "FileReplace.h"

#include "winlib/Faults.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace winlib
{

namespace
{
std::atomic<unsigned> g_temporaryCount{0};

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporaries are ".<name>.<process>.<count>.tmp": hidden, and never taken for the file itself.
std::string TemporaryName(const std::string& name)
{
    return "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(++g_temporaryCount) + ".tmp";
}

bool IsDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

bool IsTemporaryOf(std::string_view entry, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    if (!entry.starts_with(prefix) || !entry.ends_with(".tmp"))
        return false;
    entry.remove_prefix(prefix.size());
    entry.remove_suffix(4);
    const std::size_t dot = entry.find('.');
    return dot != std::string_view::npos && IsDigits(entry.substr(0, dot)) && IsDigits(entry.substr(dot + 1));
}

void RemoveLeftTemporaries(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir))
    {
        if (IsTemporaryOf(entry->d_name, name))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool WriteAll(int fd, std::string_view content)
{
    // A full disk, as tests arm it: half of the text is written, then the write fails.
    const bool fail = ShouldFail(Fault::FileWrite);
    if (fail)
        content = content.substr(0, content.size() / 2);
    while (!content.empty())
    {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    if (fail)
    {
        errno = ENOSPC;
        return false;
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems cannot sync a folder; the rename has happened all the same.
    ::fsync(fd);
    ::close(fd);
}
} // namespace

std::string ResolveFileLinks(const std::string& nativePath)
{
    struct stat info
    {
    };
    if (::lstat(nativePath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return nativePath;
    char* resolved = ::realpath(nativePath.c_str(), nullptr);
    if (!resolved)
        return nativePath; // a dangling link: the write goes where the path points, as before
    std::string target = resolved;
    std::free(resolved);
    return target;
}

bool ReplaceFileContent(const std::string& nativePath, std::string_view content)
{
    const std::string folder = FolderOf(nativePath);
    const std::string name = NameOf(nativePath);
    RemoveLeftTemporaries(folder, name);

    const std::string temporary = (folder == "/" ? "" : folder) + "/" + TemporaryName(name);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return false;
    struct stat old
    {
    };
    if (::stat(nativePath.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    const bool written = WriteAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), nativePath.c_str()) != 0)
    {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace winlib
