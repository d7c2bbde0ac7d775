// Global memory as the clipboard sees it: the clipboard takes over the blocks it is given.
#pragma once

#include "winlib/WinDef.h"

#include <vector>

namespace winlib::detail
{

// The bytes of a live block of GlobalAlloc; null for any other handle.
std::vector<char>* GlobalBytes(HGLOBAL memory);

} // namespace winlib::detail
