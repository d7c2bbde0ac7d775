// Reading helpers shared by the stored formats of the settings file.
#pragma once

#include "winlib/WinDef.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
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

inline std::string_view TrimSettingBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A stored colour: hexadecimal digits only (blanks around them allowed), at most 0xFFFFFF, as
// "%lX" writes a colour reference. Anything else is no colour, and the caller keeps the colour it
// has: junk must not turn into black (0), which on the default black background hides all text.
inline std::optional<COLORREF> ParseSettingColor(std::string_view token)
{
    token = TrimSettingBlanks(token);
    if (token.empty() || token.size() > 8)
        return std::nullopt;
    COLORREF value = 0;
    for (char c : token)
    {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<COLORREF>(digit);
    }
    if (value > 0xFFFFFF)
        return std::nullopt;
    return value;
}

// The largest font size in points a list takes, as the font dialog offers at most.
constexpr int kLargestFontPoints = 1638;
// The size the default appearance uses.
constexpr int kDefaultFontPoints = 8;

// A stored font size: whole points from 1 to kLargestFontPoints, optionally with a fraction that
// is dropped ("10.5" is 10, as the size was always read). Anything else is no size.
inline std::optional<int> ParseFontPoints(std::string_view text)
{
    text = TrimSettingBlanks(text);
    std::size_t digits = 0;
    long long points = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
    {
        points = std::min<long long>(points * 10 + (text[digits] - '0'), kLargestFontPoints + 1);
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    std::string_view rest = text.substr(digits);
    if (!rest.empty())
    {
        if (rest.front() != '.')
            return std::nullopt;
        rest.remove_prefix(1);
        for (char c : rest)
        {
            if (c < '0' || c > '9')
                return std::nullopt;
        }
    }
    if (points < 1 || points > kLargestFontPoints)
        return std::nullopt;
    return static_cast<int>(points);
}

// The largest size in pixels taken from the settings file for a pane, bar or column: no window can
// be larger, and sums of such sizes stay within an int.
constexpr int kLargestStoredSize = 32767;

// A stored size: a plain decimal number from 0 to kLargestStoredSize, blanks around it allowed.
// Anything else (text, a sign, a larger number) is no size, so that a damaged file never lays a
// window out wrongly.
inline std::optional<int> ParseStoredSize(std::string_view text)
{
    text = TrimSettingBlanks(text);
    if (text.empty())
        return std::nullopt;
    int value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = std::min(value * 10 + (c - '0'), kLargestStoredSize + 1);
    }
    if (value > kLargestStoredSize)
        return std::nullopt;
    return value;
}
