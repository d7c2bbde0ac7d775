// The class library's wrappers of the date/time picker ("SysDateTimePick32") and the month
// calendar ("SysMonthCal32"). Every operation is a message to the control.
#pragma once

#include "winlib/CommCtrl.h"
#include "winlib/Time.h"
#include "winlib/Wnd.h"

class CMonthCalCtrl : public CWnd
{
    DECLARE_DYNAMIC(CMonthCalCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // At its smallest size, with its top left at 'point'.
    BOOL Create(DWORD style, const POINT& point, CWnd* parent, UINT id);

    BOOL GetCurSel(LPSYSTEMTIME time) const;
    BOOL SetCurSel(const SYSTEMTIME* time);
    BOOL GetToday(LPSYSTEMTIME time) const;
    void SetToday(const SYSTEMTIME* time);
    BOOL GetMinReqRect(RECT* rect) const;
    DWORD HitTest(PMCHITTESTINFO info);
    BOOL SetRange(const SYSTEMTIME* minimum, const SYSTEMTIME* maximum);
    DWORD GetRange(LPSYSTEMTIME minimum, LPSYSTEMTIME maximum) const;
    COLORREF GetColor(int index) const;
    COLORREF SetColor(int index, COLORREF color);
    // 0 = Monday ... 6 = Sunday.
    int GetFirstDayOfWeek() const;
    BOOL SetFirstDayOfWeek(int day, int* old = nullptr);
    int GetMonthDelta() const;
    int SetMonthDelta(int delta);
};

class CDateTimeCtrl : public CWnd
{
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // GDT_VALID, GDT_NONE or GDT_ERROR.
    DWORD GetTime(LPSYSTEMTIME time) const;
    BOOL SetTime(const SYSTEMTIME* time);
    // The value as a calendar time; GDT_ERROR when it cannot be one (a year before 1970).
    DWORD GetTime(CTime& time) const;
    BOOL SetTime(const CTime* time);
    BOOL SetFormat(LPCSTR format);
    DWORD GetRange(CTime* minimum, CTime* maximum) const;
    BOOL SetRange(const CTime* minimum, const CTime* maximum);
    COLORREF GetMonthCalColor(int index) const;
    COLORREF SetMonthCalColor(int index, COLORREF color);
    // The dropped calendar, null while it is closed.
    CMonthCalCtrl* GetMonthCalCtrl() const;
    HWND GetMonthCalHandle() const { return reinterpret_cast<HWND>(SendMessage(DTM_GETMONTHCAL)); }

private:
    // Stands for the calendar when no object of its own is attached to it.
    mutable CMonthCalCtrl m_monthCal;
};
