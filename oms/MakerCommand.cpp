#include "oms/MakerCommand.h"

#include "oms/RequestRecord.h"

namespace oms
{

namespace
{
struct Verb
{
    const char* word;
    int type;
};
constexpr Verb kVerbs[] = {
    {"add-user", kAddUser},      {"modify-user", kModifyUser},      {"delete-user", kDeleteUser},
    {"add-account", kAddClient}, {"modify-account", kModifyClient}, {"delete-account", kDeleteAccount},
    {"limits", kRmsLimits}};
} // namespace

std::optional<std::vector<std::string>> MakerCommand::Split(std::string_view line, std::string* error)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        const char c = line[i];
        if (quoted)
        {
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                word += line[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        }
        else if (c == '"')
        {
            quoted = true;
            inWord = true;
        }
        else if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
        {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        }
        else
        {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
    {
        if (error)
            *error = "a quote is not closed";
        return std::nullopt;
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<MakerRequest> MakerCommand::Parse(const std::vector<std::string>& words,
                                                const std::string& maker, std::string* error)
{
    const auto fail = [error](const std::string& why) -> std::optional<MakerRequest>
    {
        if (error)
            *error = why;
        return std::nullopt;
    };
    MakerRequest request;
    request.maker = maker;
    std::size_t at = 0;
    if (at < words.size() && words[at].rfind("maker=", 0) == 0)
        request.maker = words[at++].substr(6);
    if (at >= words.size())
        return fail("a request starts with what it does: add-user, modify-user, delete-user, add-account, "
                    "modify-account, delete-account or limits");
    const std::string& verb = words[at++];
    for (const Verb& known : kVerbs)
    {
        if (verb == known.word)
            request.type = known.type;
    }
    if (!request.type)
        return fail("'" + verb +
                    "' is not a request: add-user, modify-user, delete-user, add-account, modify-account, "
                    "delete-account or limits");
    if (at >= words.size())
        return fail(verb + " needs the " +
                    (request.type == kRmsLimits ? "limit owner (e.g. client:KVC10001)"
                                                : std::string("user or account id")));
    request.entity = words[at++];
    for (; at < words.size(); ++at)
    {
        const std::size_t equals = words[at].find('=');
        if (equals == std::string::npos || equals == 0)
            return fail("'" + words[at] + "' is not FIELD=VALUE");
        request.fields.emplace_back(words[at].substr(0, equals), words[at].substr(equals + 1));
    }
    if (request.maker.empty())
        return fail("the request needs its maker (--maker ID, or maker=ID first on the line)");
    return request;
}

std::optional<std::vector<MakerCommand::Line>> MakerCommand::ParseLines(const std::vector<std::string>& lines,
                                                                        const std::string& maker,
                                                                        std::string* error, int* badLine)
{
    std::vector<Line> requests;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const std::string& line = lines[i];
        if (const std::size_t first = line.find_first_not_of(" \t\r");
            first == std::string::npos || line[first] == '#')
            continue;
        const auto words = Split(line, error);
        const auto request = words ? Parse(*words, maker, error) : std::nullopt;
        if (!request)
        {
            if (badLine)
                *badLine = static_cast<int>(i + 1);
            return std::nullopt;
        }
        requests.push_back(Line{*request, static_cast<int>(i + 1)});
    }
    return requests;
}

std::string MakerCommand::Quote(const std::string& word)
{
    if (!word.empty() && word.find_first_of(" \t\r\n\"\\") == std::string::npos)
        return word;
    std::string quoted = "\"";
    for (const char c : word)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

const char* MakerCommand::VerbOf(int type)
{
    for (const Verb& known : kVerbs)
    {
        if (known.type == type)
            return known.word;
    }
    return "";
}

} // namespace oms
