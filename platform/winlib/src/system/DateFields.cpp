#include "DateFields.h"

#include "winlib/Time.h"

#include <algorithm>
#include <cstdio>

namespace winlib::detail
{

namespace
{

constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
constexpr const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Days since 1 January of year 0 in the proleptic Gregorian calendar.
long DayNumber(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int m = month <= 2 ? month + 9 : month - 3;
    return 365L * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
}

void FromDayNumber(long n, int& year, int& month, int& day)
{
    long y = (10000 * n + 14780) / 3652425;
    long dayOfYear = n - (365 * y + y / 4 - y / 100 + y / 400);
    if (dayOfYear < 0)
    {
        --y;
        dayOfYear = n - (365 * y + y / 4 - y / 100 + y / 400);
    }
    const long mi = (100 * dayOfYear + 52) / 3060;
    month = static_cast<int>((mi + 2) % 12 + 1);
    year = static_cast<int>(y + (mi + 2) / 12);
    day = static_cast<int>(dayOfYear - (mi * 306 + 5) / 10 + 1);
}

std::string Number(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

} // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDaysIn[month - 1];
}

int DayOfWeek(int year, int month, int day)
{
    // Day number 0 (1 March of year 0) was a Wednesday.
    return static_cast<int>((DayNumber(year, month, day) + 3) % 7);
}

bool IsValidSystemTime(const SYSTEMTIME& st)
{
    return st.wYear >= kMinYear && st.wYear <= kMaxYear && st.wMonth >= 1 && st.wMonth <= 12 &&
           st.wDay >= 1 && st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 &&
           st.wSecond < 60;
}

void Normalise(SYSTEMTIME& st)
{
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(st.wYear, st.wMonth, st.wDay));
    st.wMilliseconds = 0;
}

int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b, bool dateOnly)
{
    const auto key = [dateOnly](const SYSTEMTIME& t)
    {
        const long long date = DayNumber(t.wYear, t.wMonth, t.wDay);
        return dateOnly ? date : date * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    };
    const long long ka = key(a);
    const long long kb = key(b);
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

SYSTEMTIME AddDays(SYSTEMTIME st, int days)
{
    int year = 0;
    int month = 0;
    int day = 0;
    FromDayNumber(DayNumber(st.wYear, st.wMonth, st.wDay) + days, year, month, day);
    if (year < kMinYear || year > kMaxYear)
        return st;
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    Normalise(st);
    return st;
}

SYSTEMTIME AddMonths(SYSTEMTIME st, int months)
{
    const int index = st.wYear * 12 + (st.wMonth - 1) + months;
    const int year = index / 12;
    if (index < 0 || year < kMinYear || year > kMaxYear)
        return st;
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(index % 12 + 1);
    st.wDay = static_cast<WORD>(std::min<int>(st.wDay, DaysInMonth(st.wYear, st.wMonth)));
    Normalise(st);
    return st;
}

SYSTEMTIME ClampToRange(const SYSTEMTIME& st, DWORD flags, const SYSTEMTIME range[2], bool dateOnly)
{
    SYSTEMTIME result = st;
    if ((flags & GDTR_MIN) && CompareSystemTime(result, range[0], dateOnly) < 0)
        result = range[0];
    if ((flags & GDTR_MAX) && CompareSystemTime(result, range[1], dateOnly) > 0)
        result = range[1];
    if (dateOnly)
    {
        result.wHour = st.wHour;
        result.wMinute = st.wMinute;
        result.wSecond = st.wSecond;
    }
    Normalise(result);
    return result;
}

bool DateRange::Set(WPARAM which, const SYSTEMTIME* times)
{
    const DWORD asked = static_cast<DWORD>(which) & (GDTR_MIN | GDTR_MAX);
    if (!times || ((asked & GDTR_MIN) && !IsValidSystemTime(times[0])) ||
        ((asked & GDTR_MAX) && !IsValidSystemTime(times[1])))
        return false;
    flags = asked;
    ends = {times[0], times[1]};
    return true;
}

DWORD DateRange::Get(SYSTEMTIME* times) const
{
    if (times)
    {
        times[0] = ends[0];
        times[1] = ends[1];
    }
    return flags;
}

SYSTEMTIME LocalNow()
{
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return st;
}

const char* MonthName(int month)
{
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}
const char* ShortMonthName(int month)
{
    return month >= 1 && month <= 12 ? kShortMonths[month - 1] : "";
}
const char* DayName(int dayOfWeek)
{
    return dayOfWeek >= 0 && dayOfWeek < 7 ? kDays[dayOfWeek] : "";
}
const char* ShortDayName(int dayOfWeek)
{
    return dayOfWeek >= 0 && dayOfWeek < 7 ? kShortDays[dayOfWeek] : "";
}

std::vector<DateField> ParseDateFormat(std::string_view format)
{
    std::vector<DateField> fields;
    const auto literal = [&fields](char c)
    {
        if (fields.empty() || fields.back().kind != DateFieldKind::Literal)
            fields.push_back(DateField{});
        fields.back().literal += c;
    };
    for (std::size_t i = 0; i < format.size();)
    {
        const char c = format[i];
        if (c == '\'')
        {
            // Quoted text; '' stands for one quote.
            std::size_t j = i + 1;
            if (j < format.size() && format[j] == '\'')
            {
                literal('\'');
                i = j + 1;
                continue;
            }
            while (j < format.size())
            {
                if (format[j] == '\'')
                {
                    if (j + 1 < format.size() && format[j + 1] == '\'')
                    {
                        literal('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal(format[j++]);
            }
            i = j + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        DateField field;
        field.width = static_cast<int>(run);
        switch (c)
        {
        case 'd':
            field.kind = run >= 3 ? DateFieldKind::DayName : DateFieldKind::Day;
            break;
        case 'M':
            field.kind = DateFieldKind::Month;
            break;
        case 'y':
            field.kind = DateFieldKind::Year;
            break;
        case 'h':
            field.kind = DateFieldKind::Hour12;
            break;
        case 'H':
            field.kind = DateFieldKind::Hour24;
            break;
        case 'm':
            field.kind = DateFieldKind::Minute;
            break;
        case 's':
            field.kind = DateFieldKind::Second;
            break;
        case 't':
            field.kind = DateFieldKind::AmPm;
            break;
        default:
            for (std::size_t k = 0; k < run; ++k)
                literal(c);
            i += run;
            continue;
        }
        field.width = std::min(field.width, 4);
        fields.push_back(field);
        i += run;
    }
    return fields;
}

std::string FormatField(const DateField& field, const SYSTEMTIME& st)
{
    const int w = field.width;
    switch (field.kind)
    {
    case DateFieldKind::Literal:
        return field.literal;
    case DateFieldKind::Day:
        return Number(st.wDay, w >= 2 ? 2 : 1);
    case DateFieldKind::DayName:
        return w >= 4 ? DayName(st.wDayOfWeek) : ShortDayName(st.wDayOfWeek);
    case DateFieldKind::Month:
        if (w >= 4)
            return MonthName(st.wMonth);
        if (w == 3)
            return ShortMonthName(st.wMonth);
        return Number(st.wMonth, w);
    case DateFieldKind::Year:
        if (w <= 2)
            return Number(st.wYear % 100, w);
        return Number(st.wYear, 4);
    case DateFieldKind::Hour12:
    {
        const int hour = st.wHour % 12 == 0 ? 12 : st.wHour % 12;
        return Number(hour, w >= 2 ? 2 : 1);
    }
    case DateFieldKind::Hour24:
        return Number(st.wHour, w >= 2 ? 2 : 1);
    case DateFieldKind::Minute:
        return Number(st.wMinute, w >= 2 ? 2 : 1);
    case DateFieldKind::Second:
        return Number(st.wSecond, w >= 2 ? 2 : 1);
    case DateFieldKind::AmPm:
        return w >= 2 ? (st.wHour < 12 ? "AM" : "PM") : (st.wHour < 12 ? "A" : "P");
    }
    return {};
}

std::string FormatDate(const std::vector<DateField>& fields, const SYSTEMTIME& st)
{
    std::string text;
    for (const DateField& field : fields)
        text += FormatField(field, st);
    return text;
}

} // namespace winlib::detail
