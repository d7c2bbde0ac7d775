#include "winlib/FileSystem.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string RoamingAppDataFolder()
{
    std::string folder = EnvironmentValue("APPDATA");
    if (folder.empty())
        folder = EnvironmentValue("XDG_CONFIG_HOME");
    if (folder.empty())
    {
        const std::string home = EnvironmentValue("HOME");
        if (!home.empty())
            folder = home + "/.config";
    }
    return folder;
}
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
    return std::fopen(ToNativePath(path).c_str(), nativeMode.c_str());
}
