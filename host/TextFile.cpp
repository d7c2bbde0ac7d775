#include "host/TextFile.h"

#include "winlib/FileSystem.h"

#include <string_view>

namespace host
{

std::optional<std::string> ReadTextLines(const std::string& path, const std::string& what,
                                         std::vector<std::string>& lines)
{
    lines.clear();
    std::string content;
    const winlib::FileReadStatus status = winlib::ReadPlainFile(path.c_str(), kLargestTextFile, content);
    if (status != winlib::FileReadStatus::Read)
        return "cannot read the " + what +
               " file: " + winlib::DescribeFileRead(status, path, kLargestTextFile);
    std::string_view rest = content;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty())
    {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return std::nullopt;
}

} // namespace host
