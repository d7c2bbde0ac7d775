// The comparison of date and time cell texts that sorting uses for date-time columns (data
// type 6): dates with "/" or "-" separators (day/month/year, then the time after the year),
// dates like 05Dec2026, and times with AM/PM or as HH:MM:SS.
#pragma once

#include <string_view>

// The sort step for a of the first row and b of the second with direction d (+1 or -1).
// Texts of the same length order as d x (a - b) — latest first on the first click — while
// texts of different lengths order as d x (b compared with a), byte by byte.
int CompareDateTimeText(std::string_view a, std::string_view b, int direction);

// 1 when date a is later than b, -1 when earlier, 0 when equal. 'separator' 0 means the
// form without separators (day, month abbreviation, year).
int CompareDates(std::string_view a, std::string_view b, char separator);
