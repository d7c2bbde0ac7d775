// Wall-clock time: GetLocalTime and CTime over the C library's local time.
#include "winlib/Time.h"

#include "DateFields.h"

#include <mutex>

namespace
{

std::mutex g_overrideLock;
std::optional<std::time_t> g_override;

std::time_t Now()
{
    std::lock_guard<std::mutex> lock(g_overrideLock);
    return g_override ? *g_override : std::time(nullptr);
}

std::tm LocalOf(std::time_t t)
{
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

} // namespace

void winlib::SetCurrentTimeOverride(std::optional<std::time_t> now)
{
    std::lock_guard<std::mutex> lock(g_overrideLock);
    g_override = now;
}

void GetLocalTime(LPSYSTEMTIME time)
{
    if (!time)
        return;
    const std::tm local = LocalOf(Now());
    *time = SYSTEMTIME{};
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second)
{
    // The calendar time starts in 1970; days beyond a month's length are no date.
    if (year < 1970 || year > 3000 || month < 1 || month > 12 || day < 1 ||
        day > winlib::detail::DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
    {
        m_valid = false;
        return;
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    m_time = std::mktime(&local);
    m_valid = m_time != static_cast<std::time_t>(-1);
    if (!m_valid)
        m_time = 0;
}

CTime::CTime(const SYSTEMTIME& time)
    : CTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond)
{
}

CTime CTime::GetCurrentTime()
{
    return CTime(Now());
}

std::tm CTime::Local() const
{
    return LocalOf(m_time);
}

std::string CTime::Format(const char* format) const
{
    if (!format)
        return {};
    const std::tm local = Local();
    char buffer[256];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}

bool CTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    if (!m_valid)
        return false;
    const std::tm local = Local();
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(local.tm_year + 1900);
    time.wMonth = static_cast<WORD>(local.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time.wDay = static_cast<WORD>(local.tm_mday);
    time.wHour = static_cast<WORD>(local.tm_hour);
    time.wMinute = static_cast<WORD>(local.tm_min);
    time.wSecond = static_cast<WORD>(local.tm_sec);
    return true;
}
