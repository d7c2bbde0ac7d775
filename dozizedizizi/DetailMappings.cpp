#include "dozizedizizi/DetailMappings.h"

#include "dozizedizizi/ExchangeTables.h"

#include <algorithm>
#include <cctype>
#include <string_view>

std::string MapEnabledFlag(const std::string& value)
{
    return value == "Y" ? "Enabled" : "Disabled";
}

std::string MapReset(const std::string&)
{
    return "Reset";
}

std::string MapZeroDate(const std::string& value)
{
    return value == "0" ? kNotAvailable : value;
}

std::string MapDefaultMarker(const std::string& value)
{
    return value == "-1" ? "Default" : value;
}

std::string MapRouteFlag(const std::string& value)
{
    return value == "OK" ? "Yes" : "NO";
}

std::string MapProductList(const std::string& value)
{
    if (value == "ML")
        return "MLB";
    constexpr std::string_view kShort = "|ML";
    if (value.starts_with(kShort))
        return value;
    std::string shown;
    std::size_t from = 0;
    for (std::size_t at = value.find(kShort); at != std::string::npos; at = value.find(kShort, from))
    {
        shown.append(value, from, at - from).append("|MLB");
        from = at + kShort.size();
    }
    shown.append(value, from, std::string::npos);
    return shown;
}

std::string MapExchangeTitle(const std::string& segment)
{
    return "Exchange:" + GetSegmentCode(segment);
}

std::pair<std::string, std::string> MapSquareOff(const std::string& value)
{
    if (value == "Online-Sqroff")
        return {"Internet", "Included"};
    if (value == "Offline-Sqroff")
        return {"Offline", "Included"};
    if (value == "Online-NonSqroff")
        return {"Internet", "Excluded"};
    if (value == "Offline-NonSqroff")
        return {"Offline", "Excluded"};
    return {};
}

std::string MapSorEnabled(const std::string& value)
{
    if (value == "Y")
        return "YES";
    if (value == "N")
        return "NO";
    return {};
}

std::string MapGroupWiseValidation(const std::string& value)
{
    if (value == "yes")
        return "E";
    if (value == "no")
        return "D";
    return value;
}

bool GroupWiseValidationForServer(const std::string& display, std::string& serverText)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(display.begin(), display.end(), blank);
    auto last = std::find_if_not(display.rbegin(), std::string::const_reverse_iterator(first), blank).base();
    std::string word(first, last);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (word == "E" || word == "YES" || word == "Y")
    {
        serverText = "yes";
        return true;
    }
    if (word == "D" || word == "NO" || word == "N")
    {
        serverText = "no";
        return true;
    }
    return false;
}
