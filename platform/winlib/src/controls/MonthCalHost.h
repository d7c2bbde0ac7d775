// What a month calendar dropped by a date/time picker tells the picker. The picker passes
// itself as the calendar's creation parameter; the calendar then reports a cancel (Escape, a
// press outside it) and the focus leaving it for another window. Its picks arrive as the usual
// MCN_SELECT notification.
#pragma once

#include "winlib/WinDef.h"

namespace winlib::detail
{

class MonthCalHost
{
public:
    virtual HWND PickerWindow() const = 0;
    virtual void CalendarCancelled() = 0;
    // The keyboard focus went from the calendar to 'to', which is not the picker.
    virtual void CalendarFocusLeft(HWND to) = 0;
    // The calendar was destroyed by someone else than the picker.
    virtual void CalendarGone() = 0;

protected:
    ~MonthCalHost() = default;
};

} // namespace winlib::detail
