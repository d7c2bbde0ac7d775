// The input is an INI file. Every section and key it lists must read back consistently whatever the
// buffer size, and writing one key must change that key only.
#include "winlib/Profile.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace
{
class FuzzFile
{
public:
    FuzzFile()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kivo-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_dir = pattern;
        m_path = (m_dir / "input.ini").string();
    }
    ~FuzzFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const char* Path() const { return m_path.c_str(); }

private:
    std::filesystem::path m_dir;
    std::string m_path;
};

std::vector<std::string> List(const char* section, const char* path)
{
    std::vector<char> buffer(8192);
    const DWORD length =
        GetPrivateProfileString(section, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()), path);
    if (length + 1 >= buffer.size() || buffer[length] != '\0')
        __builtin_trap();
    std::vector<std::string> names;
    for (DWORD start = 0; start < length;)
    {
        names.emplace_back(buffer.data() + start);
        start += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

std::string Read(const std::string& section, const std::string& key, const char* path, DWORD size = 4096)
{
    std::vector<char> buffer(size + 1, '#');
    const DWORD length =
        GetPrivateProfileString(section.c_str(), key.c_str(), "<none>", buffer.data(), size, path);
    if (length >= size || buffer[length] != '\0' || buffer[size] != '#')
        __builtin_trap();
    return std::string(buffer.data(), length);
}

bool SameName(const std::string& name, const std::string& lowerCase)
{
    if (name.size() != lowerCase.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        if (std::tolower(static_cast<unsigned char>(name[i])) != lowerCase[i])
            return false;
    }
    return true;
}

// Everything readable, by section and key as listed.
std::map<std::pair<std::string, std::string>, std::string> Snapshot(const char* path)
{
    std::map<std::pair<std::string, std::string>, std::string> values;
    const std::vector<std::string> sections = List(nullptr, path);
    for (std::size_t s = 0; s < sections.size() && s < 16; ++s)
    {
        const std::vector<std::string> keys = List(sections[s].c_str(), path);
        for (std::size_t k = 0; k < keys.size() && k < 16; ++k)
            values[{sections[s], keys[k]}] = Read(sections[s], keys[k], path);
    }
    return values;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzFile file;
    std::ofstream(file.Path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    // A name holding a NUL cannot be told apart in a NUL-separated list (on Windows neither), so the
    // checks that go by the lists need text without NULs; the calls themselves run on anything.
    const bool listsAreExact = std::memchr(data, 0, size) == nullptr;
    const auto before = Snapshot(file.Path());
    for (const auto& [name, value] : before)
    {
        // A small buffer gets the start of the same value.
        const std::string cut = Read(name.first, name.second, file.Path(), 5);
        if (cut != value.substr(0, 4))
            __builtin_trap();
        GetPrivateProfileInt(name.first.c_str(), name.second.c_str(), 7, file.Path());
    }

    if (!WritePrivateProfileString("Fuzz Section", "fuzz key", "written=1", file.Path()))
        __builtin_trap();
    if (Read("fuzz section", "FUZZ KEY", file.Path()) != "written=1")
        __builtin_trap();
    for (const auto& [name, value] : Snapshot(file.Path()))
    {
        const auto old = before.find(name);
        const bool written = SameName(name.first, "fuzz section") && SameName(name.second, "fuzz key");
        if (listsAreExact && !written && old != before.end() && old->second != value)
            __builtin_trap();
    }

    if (!WritePrivateProfileString("Fuzz Section", "fuzz key", nullptr, file.Path()) ||
        Read("Fuzz Section", "fuzz key", file.Path()) != "<none>")
        __builtin_trap();
    if (!WritePrivateProfileString("Fuzz Section", nullptr, nullptr, file.Path()))
        __builtin_trap();
    for (const std::string& section : List(nullptr, file.Path()))
    {
        if (listsAreExact && SameName(section, "fuzz section"))
            __builtin_trap();
    }
    return 0;
}
