// Reading helpers shared by the stored formats of the settings file.
#pragma once

#include <climits>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Tokens between commas. Empty tokens are skipped: no stored format writes them on purpose.
inline std::vector<std::string_view> SplitSettingTokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    while (!text.empty())
    {
        const std::size_t comma = text.find(',');
        const std::string_view token = text.substr(0, comma);
        if (!token.empty())
            tokens.push_back(token);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return tokens;
}

// strtol's reading of a decimal number (junk reads as 0), held to the int range.
inline int ParseSettingInt(std::string_view token)
{
    const long value = std::strtol(std::string(token).c_str(), nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
