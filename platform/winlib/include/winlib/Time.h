// Wall-clock time as the class library and the system hand it out: SYSTEMTIME from
// GetLocalTime, and CTime, a calendar time in seconds since 1970 read in local time.
#pragma once

#include "winlib/CommCtrl.h"

#include <ctime>
#include <optional>
#include <string>

void GetLocalTime(LPSYSTEMTIME time);

namespace winlib
{
// Makes GetLocalTime and CTime::GetCurrentTime answer this calendar time (local), so that tests
// see a fixed "now"; nullopt goes back to the real clock.
void SetCurrentTimeOverride(std::optional<std::time_t> now);
} // namespace winlib

class CTime
{
public:
    CTime() = default;
    explicit CTime(std::time_t time) : m_time(time) {}
    // Local date and time; an impossible or out-of-range date (before 1970) leaves the time 0 and
    // IsValid() false.
    CTime(int year, int month, int day, int hour, int minute, int second);
    explicit CTime(const SYSTEMTIME& time);

    static CTime GetCurrentTime();

    bool IsValid() const { return m_valid; }
    std::time_t GetTime() const { return m_time; }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }
    int GetDayOfWeek() const { return Local().tm_wday + 1; } // 1 = Sunday
    // strftime conversions ("%d/%m/%Y", "%H:%M:%S" ...).
    std::string Format(const char* format) const;
    bool GetAsSystemTime(SYSTEMTIME& time) const;

    bool operator==(const CTime& other) const { return m_time == other.m_time; }
    bool operator!=(const CTime& other) const { return m_time != other.m_time; }

private:
    std::tm Local() const;

    std::time_t m_time = 0;
    bool m_valid = true;
};
