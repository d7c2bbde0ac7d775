// The largest font a canvas draws with, whatever a caller (or a hand-edited settings file) asks for.
#pragma once

#include "winlib/WinDef.h"

namespace winlib
{

// Every canvas takes a font height beyond this many pixels, either way, as this many: no screen
// shows a larger glyph, and text measured in such a font stays far from the int range.
inline constexpr LONG kLargestFontHeight = 4096;

inline LONG LimitedFontHeight(LONG height)
{
    return height < -kLargestFontHeight ? -kLargestFontHeight
                                        : (height > kLargestFontHeight ? kLargestFontHeight : height);
}

} // namespace winlib
