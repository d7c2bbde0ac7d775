// What the filter list's source files share.
#pragma once

#include "winlib/WinDef.h"

namespace filter_list
{

// A cell's colour the owner left to the list: the list's own text or background colour.
constexpr COLORREF kNoColor = static_cast<COLORREF>(-1);
constexpr COLORREF kNoColor2 = static_cast<COLORREF>(-2);

} // namespace filter_list
