#include "winlib/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// The application-data variables in the order they are asked.
constexpr const char* kAppDataVariables[] = {"APPDATA", "XDG_CONFIG_HOME", "HOME"};

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// A folder named by the environment counts only when it is absolute: a relative one would mean a
// different folder for every working directory the program is started from.
bool IsUsableFolder(const std::string& folder)
{
    return !folder.empty() && folder.front() == '/';
}

std::string RoamingAppDataFolder()
{
    if (const std::string appData = EnvironmentValue("APPDATA"); IsUsableFolder(appData))
        return appData;
    if (const std::string xdg = EnvironmentValue("XDG_CONFIG_HOME"); IsUsableFolder(xdg))
        return xdg;
    if (const std::string home = EnvironmentValue("HOME"); IsUsableFolder(home))
        return home + "/.config";
    return {};
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};
} // namespace

std::string ToNativePath(LPCSTR path)
{
    std::string native = path ? path : "";
    for (char& c : native)
    {
        if (c == '\\')
            c = '/';
    }
    return native;
}

BOOL SHGetSpecialFolderPath(HWND /*owner*/, LPSTR path, int csidl, BOOL create)
{
    if (!path || csidl != CSIDL_APPDATA)
        return FALSE;
    const std::string folder = RoamingAppDataFolder();
    if (folder.empty() || folder.size() >= MAX_PATH)
        return FALSE;
    if (create)
    {
        std::error_code error;
        fs::create_directories(ToNativePath(folder.c_str()), error);
        if (error)
            return FALSE;
    }
    std::memcpy(path, folder.c_str(), folder.size() + 1);
    return TRUE;
}

BOOL CreateDirectory(LPCSTR path, void* /*securityAttributes*/)
{
    if (!path || !*path)
        return FALSE;
    std::error_code error;
    return fs::create_directory(ToNativePath(path), error) ? TRUE : FALSE;
}

DWORD GetFileAttributes(LPCSTR path)
{
    if (!path || !*path)
        return INVALID_FILE_ATTRIBUTES;
    std::error_code error;
    const fs::file_status status = fs::status(ToNativePath(path), error);
    if (error || !fs::exists(status))
        return INVALID_FILE_ATTRIBUTES;
    return fs::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL PathFileExists(LPCSTR path)
{
    return GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE;
}

FILE* _tfopen(LPCSTR path, LPCSTR mode)
{
    if (!path || !mode)
        return nullptr;
    std::string nativeMode;
    for (const char* c = mode; *c; ++c)
    {
        if (*c != 't')
            nativeMode += *c;
    }
    const std::string native = ToNativePath(path);
    struct stat info
    {
    };
    if (::stat(native.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    {
        errno = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
        return nullptr;
    }
    return std::fopen(native.c_str(), nativeMode.c_str());
}

namespace winlib
{
FileReadStatus ReadPlainFile(LPCSTR path, std::size_t limit, std::string& content)
{
    content.clear();
    const std::string native = ToNativePath(path);
    if (native.empty())
        return FileReadStatus::Missing;
    // Not blocking: opening a pipe would otherwise wait for a writer before it could be refused.
    const Descriptor file(::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.Get() < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::Missing : FileReadStatus::Unreadable;
    struct stat info
    {
    };
    if (::fstat(file.Get(), &info) != 0)
        return FileReadStatus::Unreadable;
    if (S_ISDIR(info.st_mode))
        return FileReadStatus::Folder;
    if (!S_ISREG(info.st_mode))
        return FileReadStatus::NotAPlainFile;
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > limit)
        return FileReadStatus::TooLarge;
    // One read of the whole file where possible; a file that grows meanwhile is read to its end,
    // up to the limit.
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;)
    {
        if (used == content.size())
        {
            if (content.size() > limit)
            {
                content.clear();
                return FileReadStatus::TooLarge;
            }
            content.resize(std::min(limit + 1, content.size() * 2));
        }
        const ssize_t got = ::read(file.Get(), content.data() + used, content.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
        {
            content.clear();
            return FileReadStatus::Unreadable;
        }
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    if (used > limit)
    {
        content.clear();
        return FileReadStatus::TooLarge;
    }
    content.resize(used);
    return FileReadStatus::Read;
}

std::string DescribeFileRead(FileReadStatus status, const std::string& path, std::size_t limit)
{
    switch (status)
    {
    case FileReadStatus::Read:
        return path + " was read";
    case FileReadStatus::Missing:
        return path + " does not exist";
    case FileReadStatus::Folder:
        return path + " is a folder, not a file";
    case FileReadStatus::NotAPlainFile:
        return path + " is a device, pipe or socket, not a file";
    case FileReadStatus::TooLarge:
        return path + " is larger than " + std::to_string(limit) + " bytes";
    case FileReadStatus::Unreadable:
        break;
    }
    return path + " cannot be read";
}

std::vector<std::string> RefusedAppDataVariables()
{
    std::vector<std::string> refused;
    for (const char* name : kAppDataVariables)
    {
        const std::string value = EnvironmentValue(name);
        if (!value.empty() && !IsUsableFolder(value))
            refused.push_back(std::string(name) + "=" + value);
    }
    return refused;
}
} // namespace winlib
