#include "winlib/Profile.h"

#include "FileLock.h"
#include "FileReplace.h"
#include "winlib/FileSystem.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace
{
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Larger than any settings file a user could make by hand or by use, small enough to hold in memory.
constexpr std::size_t kLargestProfileFile = 256u << 20;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class LineKind
{
    Other, // blank, comment, or text without "=": never a key
    Section,
    Entry,
};

struct Line
{
    LineKind kind = LineKind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // entry value, trimmed, quotes kept
};

Line ParseLine(std::string_view text)
{
    text = Trim(text);
    Line line;
    if (text.empty() || text.front() == ';')
        return line;
    if (text.front() == '[')
    {
        const std::size_t close = text.find(']');
        line.kind = LineKind::Section;
        line.name =
            Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return line;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return line;
    line.kind = LineKind::Entry;
    line.name = Trim(text.substr(0, equals));
    line.value = Trim(text.substr(equals + 1));
    return line;
}

// The whole file as lines without their terminators. The lines point into content, so the text
// stays where it was loaded: no copies, no moves.
struct IniText
{
    IniText() = default;
    IniText(const IniText&) = delete;
    IniText& operator=(const IniText&) = delete;

    std::string content;
    std::vector<std::string_view> lines;
    std::string_view newline = "\n";
    bool byteOrderMark = false;
};

winlib::FileReadStatus LoadIni(LPCSTR fileName, IniText& ini)
{
    const winlib::FileReadStatus status = winlib::ReadPlainFile(fileName, kLargestProfileFile, ini.content);
    if (status != winlib::FileReadStatus::Read)
        return status;
    std::string_view rest = ini.content;
    if (rest.starts_with(kByteOrderMark))
    {
        ini.byteOrderMark = true;
        rest.remove_prefix(kByteOrderMark.size());
    }
    const std::size_t firstBreak = rest.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak > 0 && rest[firstBreak - 1] == '\r')
        ini.newline = "\r\n";
    while (!rest.empty())
    {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ini.lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return winlib::FileReadStatus::Read;
}

// Index of the first header of the section, or npos.
std::size_t FindSection(const std::vector<std::string_view>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const Line line = ParseLine(lines[i]);
        if (line.kind == LineKind::Section && EqualNoCase(line.name, section))
            return i;
    }
    return std::string_view::npos;
}

// One past the last line of the section whose header is at index header.
std::size_t SectionEnd(const std::vector<std::string_view>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < lines.size() && ParseLine(lines[i]).kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<std::string_view> FindValue(const std::vector<std::string_view>& lines,
                                          std::string_view section, std::string_view key)
{
    const std::size_t header = FindSection(lines, section);
    if (header == std::string_view::npos)
        return std::nullopt;
    for (std::size_t i = header + 1; i < lines.size(); ++i)
    {
        const Line line = ParseLine(lines[i]);
        if (line.kind == LineKind::Section)
            break;
        if (line.kind == LineKind::Entry && EqualNoCase(line.name, key))
            return Unquote(line.value);
    }
    return std::nullopt;
}

// Section names, or the key names of one section, each once, in file order.
std::vector<std::string_view> ListNames(const std::vector<std::string_view>& lines, LPCSTR section)
{
    std::vector<std::string_view> names;
    auto addOnce = [&names](std::string_view name)
    {
        for (std::string_view known : names)
        {
            if (EqualNoCase(known, name))
                return;
        }
        names.push_back(name);
    };
    if (!section)
    {
        for (std::string_view text : lines)
        {
            const Line line = ParseLine(text);
            if (line.kind == LineKind::Section)
                addOnce(line.name);
        }
        return names;
    }
    const std::size_t header = FindSection(lines, Trim(section));
    if (header == std::string_view::npos)
        return names;
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i)
    {
        const Line line = ParseLine(lines[i]);
        if (line.kind == LineKind::Entry)
            addOnce(line.name);
    }
    return names;
}

DWORD CopyText(std::string_view text, LPSTR buffer, DWORD size)
{
    if (size == 0)
        return 0;
    const std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

DWORD CopyList(const std::vector<std::string_view>& names, LPSTR buffer, DWORD size)
{
    if (size == 0)
        return 0;
    if (size == 1)
    {
        buffer[0] = '\0';
        return 0;
    }
    std::string list;
    for (std::string_view name : names)
    {
        list.append(name);
        list.push_back('\0');
    }
    if (list.size() + 1 <= size)
    {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty())
            buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool SaveIni(const std::string& nativePath, bool byteOrderMark, std::string_view newline,
             const std::vector<std::string>& lines)
{
    std::string content;
    if (byteOrderMark)
        content.append(kByteOrderMark);
    for (const std::string& line : lines)
        content.append(line).append(newline);
    return winlib::ReplaceFileContent(nativePath, content);
}

bool Loaded(winlib::FileReadStatus status)
{
    return status == winlib::FileReadStatus::Read;
}
} // namespace

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                              LPCSTR fileName)
{
    if (!buffer || !fileName)
        return 0;
    IniText ini;
    const bool loaded = Loaded(LoadIni(fileName, ini));
    if (!section || !key)
        return CopyList(loaded ? ListNames(ini.lines, section) : std::vector<std::string_view>{}, buffer,
                        size);
    if (loaded)
    {
        if (const std::optional<std::string_view> value = FindValue(ini.lines, Trim(section), Trim(key)))
            return CopyText(*value, buffer, size);
    }
    std::string_view fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);
    return CopyText(fallback, buffer, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName)
{
    if (!section || !key || !fileName)
        return static_cast<UINT>(defaultValue);
    IniText ini;
    if (!Loaded(LoadIni(fileName, ini)))
        return static_cast<UINT>(defaultValue);
    const std::optional<std::string_view> found = FindValue(ini.lines, Trim(section), Trim(key));
    if (!found || found->empty())
        return static_cast<UINT>(defaultValue);
    std::string_view text = *found;
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+')
        text.remove_prefix(1);
    UINT base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        base = 16;
        text.remove_prefix(2);
    }
    UINT number = 0; // unsigned, so that long numbers wrap instead of overflowing
    for (char c : text)
    {
        UINT digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<UINT>(c - '0');
        else if (base == 16 && LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f')
            digit = static_cast<UINT>(LowerAscii(c) - 'a' + 10);
        else
            break;
        number = number * base + digit;
    }
    return negative ? 0u - number : number;
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName)
{
    if (!fileName)
        return FALSE;
    if (!section)
        return (!key && !value) ? TRUE : FALSE; // nothing is cached, so there is nothing to flush
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = key ? Trim(key) : std::string_view();
    if (HasLineBreak(sectionName) || sectionName.find(']') != std::string_view::npos)
        return FALSE;
    if (key && (HasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
                keyName.starts_with('[') || keyName.starts_with(';')))
        return FALSE;
    if (value && HasLineBreak(value))
        return FALSE;

    // Read, change and write under the file's lock, so that two programs saving at once both keep
    // their change; the new text replaces the old whole, so that a crash leaves one or the other.
    const std::string target = winlib::ResolveFileLinks(ToNativePath(fileName));
    const bool deleting = !key || !value;
    if (deleting && !PathFileExists(target.c_str()))
        return TRUE; // nothing to delete, and no lock file for it either
    const winlib::FileLock lock(target);
    if (!lock.Held())
        return FALSE;
    IniText ini;
    const winlib::FileReadStatus status = LoadIni(target.c_str(), ini);
    if (status != winlib::FileReadStatus::Read && status != winlib::FileReadStatus::Missing)
        return FALSE; // there but unreadable: never overwrite what could not be read
    std::vector<std::string> lines(ini.lines.begin(), ini.lines.end());
    const std::size_t header = FindSection(ini.lines, sectionName);

    if (!key || !value)
    {
        // Deleting: a key goes from its section, a section goes with every header of that name, so
        // that no later duplicate comes to light.
        std::vector<std::string> kept;
        bool inSection = false;
        for (std::size_t i = 0; i < lines.size(); ++i)
        {
            const Line line = ParseLine(ini.lines[i]);
            if (line.kind == LineKind::Section)
                inSection = key ? i == header : EqualNoCase(line.name, sectionName);
            const bool drop =
                key ? inSection && line.kind == LineKind::Entry && EqualNoCase(line.name, keyName)
                    : inSection;
            if (!drop)
                kept.push_back(lines[i]);
        }
        if (kept.size() == lines.size())
            return TRUE;
        return SaveIni(target, ini.byteOrderMark, ini.newline, kept) ? TRUE : FALSE;
    }

    const std::string entry = std::string(keyName) + "=" + value;
    if (header == std::string_view::npos)
    {
        lines.push_back(std::string("[").append(sectionName).append("]"));
        lines.push_back(entry);
    }
    else
    {
        const std::size_t end = SectionEnd(ini.lines, header);
        std::size_t insertAt = header + 1;
        bool replaced = false;
        for (std::size_t i = header + 1; i < end && !replaced; ++i)
        {
            const Line line = ParseLine(ini.lines[i]);
            if (line.kind != LineKind::Entry)
                continue;
            if (EqualNoCase(line.name, keyName))
            {
                // Keep the line's own spelling of the key and anything before the "=".
                lines[i] = std::string(ini.lines[i].substr(0, ini.lines[i].find('='))) + "=" + value;
                replaced = true;
            }
            insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
    return SaveIni(target, ini.byteOrderMark, ini.newline, lines) ? TRUE : FALSE;
}
