#include "winlib/DateTimeCtrl.h"

#include "winlib/Api.h"

IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CMonthCalCtrl, CWnd)

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(DATETIMEPICK_CLASS, "", style, rect, parent, id);
}

DWORD CDateTimeCtrl::GetTime(LPSYSTEMTIME time) const
{
    return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time)
{
    return static_cast<BOOL>(
        SendMessage(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(time)));
}

DWORD CDateTimeCtrl::GetTime(CTime& time) const
{
    SYSTEMTIME st{};
    const DWORD result = GetTime(&st);
    if (result != static_cast<DWORD>(GDT_VALID))
        return result;
    const CTime converted(st);
    if (!converted.IsValid())
        return static_cast<DWORD>(GDT_ERROR);
    time = converted;
    return result;
}

BOOL CDateTimeCtrl::SetTime(const CTime* time)
{
    if (!time)
        return SetTime(static_cast<const SYSTEMTIME*>(nullptr));
    SYSTEMTIME st{};
    if (!time->GetAsSystemTime(st))
        return FALSE;
    return SetTime(&st);
}

BOOL CDateTimeCtrl::SetFormat(LPCSTR format)
{
    return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)));
}

DWORD CDateTimeCtrl::GetRange(CTime* minimum, CTime* maximum) const
{
    SYSTEMTIME range[2] = {};
    const auto flags = static_cast<DWORD>(SendMessage(DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
    if (minimum && (flags & GDTR_MIN))
        *minimum = CTime(range[0]);
    if (maximum && (flags & GDTR_MAX))
        *maximum = CTime(range[1]);
    return flags;
}

BOOL CDateTimeCtrl::SetRange(const CTime* minimum, const CTime* maximum)
{
    SYSTEMTIME range[2] = {};
    DWORD flags = 0;
    if (minimum && minimum->GetAsSystemTime(range[0]))
        flags |= GDTR_MIN;
    if (maximum && maximum->GetAsSystemTime(range[1]))
        flags |= GDTR_MAX;
    return static_cast<BOOL>(SendMessage(DTM_SETRANGE, flags, reinterpret_cast<LPARAM>(range)));
}

COLORREF CDateTimeCtrl::GetMonthCalColor(int index) const
{
    return static_cast<COLORREF>(SendMessage(DTM_GETMCCOLOR, static_cast<WPARAM>(index)));
}

COLORREF CDateTimeCtrl::SetMonthCalColor(int index, COLORREF color)
{
    return static_cast<COLORREF>(
        SendMessage(DTM_SETMCCOLOR, static_cast<WPARAM>(index), static_cast<LPARAM>(color)));
}

CMonthCalCtrl* CDateTimeCtrl::GetMonthCalCtrl() const
{
    const HWND calendar = GetMonthCalHandle();
    if (!calendar)
        return nullptr;
    if (auto* own = dynamic_cast<CMonthCalCtrl*>(CWnd::FromHandlePermanent(calendar)))
        return own;
    m_monthCal.m_hWnd = calendar;
    return &m_monthCal;
}

BOOL CMonthCalCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(MONTHCAL_CLASS, "", style, rect, parent, id);
}

BOOL CMonthCalCtrl::Create(DWORD style, const POINT& point, CWnd* parent, UINT id)
{
    if (!Create(style, CRect(point.x, point.y, point.x + 1, point.y + 1), parent, id))
        return FALSE;
    RECT need{};
    if (GetMinReqRect(&need))
        SetWindowPos(nullptr, 0, 0, need.right - need.left, need.bottom - need.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CMonthCalCtrl::GetCurSel(LPSYSTEMTIME time) const
{
    return static_cast<BOOL>(SendMessage(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(time)));
}

BOOL CMonthCalCtrl::SetCurSel(const SYSTEMTIME* time)
{
    return static_cast<BOOL>(SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(time)));
}

BOOL CMonthCalCtrl::GetToday(LPSYSTEMTIME time) const
{
    return static_cast<BOOL>(SendMessage(MCM_GETTODAY, 0, reinterpret_cast<LPARAM>(time)));
}

void CMonthCalCtrl::SetToday(const SYSTEMTIME* time)
{
    SendMessage(MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(time));
}

BOOL CMonthCalCtrl::GetMinReqRect(RECT* rect) const
{
    return static_cast<BOOL>(SendMessage(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(rect)));
}

DWORD CMonthCalCtrl::HitTest(PMCHITTESTINFO info)
{
    return static_cast<DWORD>(SendMessage(MCM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

BOOL CMonthCalCtrl::SetRange(const SYSTEMTIME* minimum, const SYSTEMTIME* maximum)
{
    SYSTEMTIME range[2] = {};
    DWORD flags = 0;
    if (minimum)
    {
        range[0] = *minimum;
        flags |= GDTR_MIN;
    }
    if (maximum)
    {
        range[1] = *maximum;
        flags |= GDTR_MAX;
    }
    return static_cast<BOOL>(SendMessage(MCM_SETRANGE, flags, reinterpret_cast<LPARAM>(range)));
}

DWORD CMonthCalCtrl::GetRange(LPSYSTEMTIME minimum, LPSYSTEMTIME maximum) const
{
    SYSTEMTIME range[2] = {};
    const auto flags = static_cast<DWORD>(SendMessage(MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
    if (minimum)
        *minimum = range[0];
    if (maximum)
        *maximum = range[1];
    return flags;
}

COLORREF CMonthCalCtrl::GetColor(int index) const
{
    return static_cast<COLORREF>(SendMessage(MCM_GETCOLOR, static_cast<WPARAM>(index)));
}

COLORREF CMonthCalCtrl::SetColor(int index, COLORREF color)
{
    return static_cast<COLORREF>(
        SendMessage(MCM_SETCOLOR, static_cast<WPARAM>(index), static_cast<LPARAM>(color)));
}

int CMonthCalCtrl::GetFirstDayOfWeek() const
{
    return LOWORD(SendMessage(MCM_GETFIRSTDAYOFWEEK));
}

BOOL CMonthCalCtrl::SetFirstDayOfWeek(int day, int* old)
{
    const LRESULT result = SendMessage(MCM_SETFIRSTDAYOFWEEK, 0, static_cast<LPARAM>(day));
    if (old)
        *old = LOWORD(result);
    return TRUE;
}

int CMonthCalCtrl::GetMonthDelta() const
{
    return static_cast<int>(SendMessage(MCM_GETMONTHDELTA));
}

int CMonthCalCtrl::SetMonthDelta(int delta)
{
    return static_cast<int>(SendMessage(MCM_SETMONTHDELTA, static_cast<WPARAM>(delta)));
}
