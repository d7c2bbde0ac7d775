// The month calendar's colours by their MCSC_ index, as the calendar keeps them and as the date
// and time picker keeps them for the calendar it drops (MCM_SETCOLOR, DTM_SETMCCOLOR and their GET).
#pragma once

#include "winlib/WinGdi.h"

#include <array>
#include <cstddef>

namespace winlib::detail
{

inline constexpr std::size_t kCalendarColours = 6;
using CalendarColours = std::array<COLORREF, kCalendarColours>;

// The colour the index had, or CLR_INVALID (nothing changed) for an index out of range.
inline LRESULT SetCalendarColour(CalendarColours& colours, WPARAM index, LPARAM colour)
{
    if (index >= colours.size())
        return static_cast<LRESULT>(CLR_INVALID);
    const COLORREF old = colours[index];
    colours[index] = static_cast<COLORREF>(colour);
    return static_cast<LRESULT>(old);
}

inline LRESULT CalendarColour(const CalendarColours& colours, WPARAM index)
{
    return static_cast<LRESULT>(index < colours.size() ? colours[index] : CLR_INVALID);
}

} // namespace winlib::detail
