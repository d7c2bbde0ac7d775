#include "grid/DateTimeCompare.h"

#include <array>
#include <cstdlib>
#include <string>

namespace
{

int Sign(int v) { return (v > 0) - (v < 0); }

// A decimal number from the text, as the C runtime reads it (leading blanks, digits, stop).
int Number(std::string_view text) { return std::atoi(std::string(text).c_str()); }

// The characters 'first' and 'second' places from the end, read as a number; missing places
// read as nothing.
int FromEnd(std::string_view text, std::size_t first, std::size_t second)
{
    std::string digits;
    for (std::size_t place : {first, second})
    {
        if (place <= text.size())
            digits += text[text.size() - place];
    }
    return Number(digits);
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Step 3 of the comparison: 1 when time a is later, -1 earlier, 0 equal.
int CompareTimes(std::string_view a, std::string_view b)
{
    if (Contains(a, "AM") && Contains(b, "PM"))
        return -1;
    if (Contains(b, "AM") && Contains(a, "PM"))
        return 1;
    a = a.substr(0, 8);
    b = b.substr(0, 8);
    const std::array<std::pair<std::size_t, std::size_t>, 3> fields{{{8, 7}, {5, 4}, {2, 1}}};
    for (const auto& [first, second] : fields)
    {
        const int difference = FromEnd(a, first, second) - FromEnd(b, first, second);
        if (difference != 0)
            return Sign(difference);
    }
    return 0;
}

int MonthNumber(std::string_view abbreviation)
{
    static constexpr std::array<std::string_view, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (std::size_t i = 0; i < months.size(); ++i)
    {
        if (abbreviation == months[i])
            return static_cast<int>(i) + 1;
    }
    return 1;
}

std::string_view Part(std::string_view text, std::size_t start, std::size_t length)
{
    return start < text.size() ? text.substr(start, length) : std::string_view();
}

struct Date
{
    int year;
    int month;
    int day;
    std::string_view rest; // what follows the year
};

Date ParseDate(std::string_view text, char separator)
{
    if (!separator)
        return Date{Number(Part(text, 5, 4)), MonthNumber(Part(text, 2, 3)), Number(Part(text, 0, 2)), {}};
    const std::size_t first = text.find(separator);
    const std::size_t second = first == std::string_view::npos ? std::string_view::npos : text.find(separator, first + 1);
    Date date{0, 0, Number(text.substr(0, first)), {}};
    if (first != std::string_view::npos)
        date.month = Number(text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
    if (second != std::string_view::npos)
    {
        date.year = Number(Part(text, second + 1, 4));
        // The time follows the year after a blank; the blank is not part of the time.
        date.rest = Part(text, second + 5, std::string_view::npos);
        while (!date.rest.empty() && date.rest.front() == ' ')
            date.rest.remove_prefix(1);
    }
    return date;
}

} // namespace

int CompareDates(std::string_view a, std::string_view b, char separator)
{
    const Date da = ParseDate(a, separator);
    const Date db = ParseDate(b, separator);
    for (const auto& [x, y] : {std::pair{da.year, db.year}, std::pair{da.month, db.month}, std::pair{da.day, db.day}})
    {
        if (x != y)
            return x > y ? 1 : -1;
    }
    return separator ? CompareTimes(da.rest, db.rest) : 0;
}

int CompareDateTimeText(std::string_view a, std::string_view b, int direction)
{
    if (a.size() != b.size())
        return direction * Sign(b.compare(a));
    if (Contains(a, "/"))
        return direction * CompareDates(a, b, '/');
    if (Contains(a, "-"))
        return direction * CompareDates(a, b, '-');
    if (Contains(a, ":"))
        return direction * CompareTimes(a, b);
    return direction * CompareDates(a, b, 0);
}
