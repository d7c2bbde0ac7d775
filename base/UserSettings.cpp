#include "base/UserSettings.h"

#include "base/TabbedLog.h"
#include "winlib/FileSystem.h"
#include "winlib/Profile.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

std::string g_strUserFolder;

namespace
{
constexpr const char* kColumnProfileKey = "COLUMNPROFILE";
constexpr const char* kKeyNotFound = "Key not found";
constexpr const char* kSettingsNotFound = "Settings not found";
constexpr const char* kNotDetected = "Did not detect : ";
constexpr std::size_t kReadBufferSize = 4096;
// No value can be longer than the settings file, which the reader takes up to 256 MiB.
constexpr DWORD kLargestValue = 512u << 20;

std::string FileNameOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A folder, device or pipe where the settings file should be is said once in the log: without it
// the user would only see layouts that are never kept.
void ReportUnusableFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributes(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return; // simply missing: nothing to report
    static std::set<std::string> reported;
    if (!reported.insert(path).second)
        return;
    const winlib::FileReadStatus kind = attributes == FILE_ATTRIBUTE_DIRECTORY
                                            ? winlib::FileReadStatus::Folder
                                            : winlib::FileReadStatus::NotAPlainFile;
    AddToTabbedLog(winlib::DescribeFileRead(kind, ToNativePath(path.c_str()), 0) +
                       ": settings are neither read from it nor saved to it",
                   2);
}

// The whole stored value, however long: the buffer grows until the value fits, so that a value
// longer than the usual 4096-byte buffer (a profile of many user-defined columns) is never read
// cut and then saved back shorter.
DWORD ReadWholeValue(const std::string& section, const std::string& key, const char* defaultText,
                     const std::string& path, std::string& value)
{
    std::vector<char> buffer(kReadBufferSize);
    for (;;)
    {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetPrivateProfileString(section.c_str(), key.c_str(), defaultText, buffer.data(),
                                                     size, path.c_str());
        if (length + 1 < size || size >= kLargestValue)
        {
            // The value is the string the call wrote, up to its first NUL, as the framework's
            // string takes it: a file holding a NUL inside a value (no writer of ours puts one
            // there) must not read as more than the same value written back gives.
            const std::size_t text = strnlen(buffer.data(), length);
            value.assign(buffer.data(), text);
            return static_cast<DWORD>(text);
        }
        buffer.resize(static_cast<std::size_t>(size) * 2);
    }
}

// A value equal to the default text means the key was missing.
int ReadValue(const std::string& section, const std::string& key, std::string& value, const std::string& path,
              const char* defaultText, std::string* error)
{
    // Opened only to learn that the file is there: a missing file must not read as a missing key.
    FILE* file = _tfopen(path.c_str(), "rt");
    if (!file)
    {
        ReportUnusableFile(path);
        if (error)
            *error = kNotDetected + FileNameOf(path);
        return 0;
    }
    const DWORD length = ReadWholeValue(section, key, defaultText, path, value);
    std::fclose(file);
    if (length == 0)
        return 0;
    return value == defaultText ? 0 : 1;
}

int WriteValue(const std::string& section, const std::string& key, const std::string& value,
               const std::string& path, std::string* error)
{
    // Opened to create the file when missing, never to empty it: the private-profile write replaces
    // the file whole, and emptying it first would lose every other setting if that write failed.
    FILE* file = _tfopen(path.c_str(), "a");
    if (!file)
        file = _tfopen(path.c_str(), "r+");
    if (!file)
    {
        ReportUnusableFile(path);
        if (error)
            *error = kNotDetected + FileNameOf(path);
        return 0;
    }
    const BOOL written = WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), path.c_str());
    std::fclose(file);
    return written ? 1 : 0;
}
} // namespace

std::string GetUserSettingsPath()
{
    char appData[MAX_PATH] = {};
    // Created when missing, like every level below it: with only the last level created, a fresh
    // user would never get a settings file.
    if (!SHGetSpecialFolderPath(nullptr, appData, CSIDL_APPDATA, TRUE))
        return {};
    std::string path = appData;
    for (const std::string& level : {std::string("DarvKIVO"), std::string("KivoVovode"), g_strUserFolder})
    {
        path += "\\" + level;
        CreateDirectory(path.c_str(), nullptr); // fails harmlessly when it exists
    }
    return path + "\\UserSetting.ini";
}

int ReadWriteSetting(int nMode, const std::string& strSection, const std::string& strKey,
                     std::string& strValue, const std::string& strPath, std::string& strError)
{
    if (nMode == SETTING_READ)
        return ReadValue(strSection, strKey, strValue, strPath, kKeyNotFound, &strError);
    if (nMode == SETTING_WRITE)
        return WriteValue(strSection, strKey, strValue, strPath, &strError);
    return 0;
}

int ReadWriteColumnProfile(int nMode, const std::string& strListName, std::string& strValue)
{
    const std::string path = GetUserSettingsPath();
    if (nMode == SETTING_READ)
        return ReadValue(strListName, kColumnProfileKey, strValue, path, kSettingsNotFound, nullptr);
    if (nMode == SETTING_WRITE)
        return WriteValue(strListName, kColumnProfileKey, strValue, path, nullptr);
    return 0;
}
