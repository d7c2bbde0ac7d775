// Calendar arithmetic and the display formats shared by the date/time picker and the month
// calendar: days in a month, the day of the week, picture formats ("dd/MM/yyyy", "HH:mm:ss")
// split into fields, and their text.
#pragma once

#include "winlib/CommCtrl.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace winlib::detail
{

inline constexpr int kMinYear = 1601; // as SYSTEMTIME allows
inline constexpr int kMaxYear = 9999;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 0 = Sunday, as SYSTEMTIME's wDayOfWeek.
int DayOfWeek(int year, int month, int day);
// A SYSTEMTIME with a real date and time (the day of the week is not checked).
bool IsValidSystemTime(const SYSTEMTIME& st);
// Sets the day of the week from the date and clears the milliseconds.
void Normalise(SYSTEMTIME& st);
// Negative, zero or positive as a is earlier than, equal to or later than b; dates only when
// 'dateOnly'.
int CompareSystemTime(const SYSTEMTIME& a, const SYSTEMTIME& b, bool dateOnly);
// Moves a date by whole days or months (the day clamped to the new month's length).
SYSTEMTIME AddDays(SYSTEMTIME st, int days);
SYSTEMTIME AddMonths(SYSTEMTIME st, int months);
// The time clamped into [min, max] of the limits that 'flags' (GDTR_MIN, GDTR_MAX) set.
SYSTEMTIME ClampToRange(const SYSTEMTIME& st, DWORD flags, const SYSTEMTIME range[2], bool dateOnly);

// The dates a picker or a calendar allows (DTM_SETRANGE and MCM_SETRANGE, and their GET): which
// ends hold (GDTR_MIN, GDTR_MAX) and the ends.
struct DateRange
{
    DWORD flags = 0;
    std::array<SYSTEMTIME, 2> ends{};

    // Takes the ends 'which' names; false, and nothing changed, when there are no times or an
    // end it names is no date.
    bool Set(WPARAM which, const SYSTEMTIME* times);
    // The ends into 'times' when given; the flags.
    DWORD Get(SYSTEMTIME* times) const;
    SYSTEMTIME Clamp(const SYSTEMTIME& st, bool dateOnly) const { return ClampToRange(st, flags, ends.data(), dateOnly); }
};
SYSTEMTIME LocalNow();

const char* MonthName(int month);      // "January"
const char* ShortMonthName(int month); // "Jan"
const char* DayName(int dayOfWeek);    // "Sunday"
const char* ShortDayName(int dayOfWeek);

enum class DateFieldKind
{
    Literal,
    Day,
    DayName,
    Month,
    Year,
    Hour12,
    Hour24,
    Minute,
    Second,
    AmPm
};

struct DateField
{
    DateFieldKind kind = DateFieldKind::Literal;
    int width = 1;       // letters in the picture (d = 1, dd = 2, yyyy = 4 ...)
    std::string literal; // for Literal
    bool Editable() const { return kind != DateFieldKind::Literal; }
};

// Splits a picture format: runs of d, M, y, h, H, m, s and t are fields; text in single quotes
// and every other character is literal ('' is a quote).
std::vector<DateField> ParseDateFormat(std::string_view format);
std::string FormatField(const DateField& field, const SYSTEMTIME& st);
std::string FormatDate(const std::vector<DateField>& fields, const SYSTEMTIME& st);

} // namespace winlib::detail
