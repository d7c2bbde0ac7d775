#include "CellText.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace excel
{

namespace
{

// Beyond this a double no longer holds every integer, and a 64-bit id would come back altered.
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
constexpr std::size_t kMaxStemBytes = 100;

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Length of the valid UTF-8 sequence starting at text[i], 0 when none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    }
    else
        return 0;
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
    {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80)
        out += static_cast<char>(code);
    else if (code < 0x800)
    {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Windows-1252 from 0x80 to 0x9F; the five unassigned bytes become the replacement character.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

bool IsIntegerLiteral(std::string_view text)
{
    return text.find_first_of(".eE") == std::string_view::npos;
}

} // namespace

bool IsNumericDataType(int dataType)
{
    switch (dataType)
    {
    case 1:
    case 2:
    case 4:
    case 5:
    case 7:
    case 9:
        return true;
    default:
        return false;
    }
}

std::optional<double> NumericCellValue(std::string_view text)
{
    text = TrimBlanks(text);
    // from_chars knows no leading '+'; a sign must be followed by the number itself.
    std::string_view body = text;
    if (!body.empty() && (body.front() == '+' || body.front() == '-'))
        body.remove_prefix(1);
    if (body.empty() || body.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return std::nullopt; // also keeps out "inf", "nan" and hexadecimal
    if (body.front() != '.' && (body.front() < '0' || body.front() > '9'))
        return std::nullopt;

    double value = 0;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (error != std::errc() || end != body.data() + body.size())
        return std::nullopt;
    if (IsIntegerLiteral(body))
    {
        std::uint64_t magnitude = 0;
        const auto [intEnd, intError] = std::from_chars(body.data(), body.data() + body.size(), magnitude);
        if (intError != std::errc() || intEnd != body.data() + body.size() ||
            magnitude > kLargestExactInteger)
            return std::nullopt;
    }
    return text.front() == '-' && value != 0 ? -value : value;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();)
    {
        const std::size_t length = SequenceLength(text, i);
        if (!length)
            return false;
        i += length;
    }
    return true;
}

std::string ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
    {
        if (const std::size_t length = SequenceLength(text, i))
        {
            out.append(text.substr(i, length));
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i++]);
        AppendUtf8(out, byte < 0xA0 ? kCp1252High[byte - 0x80] : static_cast<char32_t>(byte));
    }
    return out;
}

std::size_t Utf16Length(std::string_view utf8)
{
    std::size_t units = 0;
    for (const char c : utf8)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            ++units; // a lead byte starts a character
        if (byte >= 0xF0)
            ++units; // characters above U+FFFF take a surrogate pair
    }
    return units;
}

std::string FileNameStem(std::string_view listName)
{
    std::string stem = ToUtf8(listName);
    for (char& c : stem)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    // Leading dots would hide the file; trailing ones and blanks are dropped by some file systems.
    const std::size_t first = stem.find_first_not_of(" .");
    if (first == std::string::npos)
        return "Export";
    stem.erase(0, first);
    stem.erase(stem.find_last_not_of(" .") + 1);
    if (stem.size() > kMaxStemBytes)
    {
        std::size_t cut = kMaxStemBytes;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;
        stem.resize(cut);
        stem.erase(stem.find_last_not_of(" .") + 1);
    }
    return stem.empty() ? "Export" : stem;
}

} // namespace excel
