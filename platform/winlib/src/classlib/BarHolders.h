// The windows a frame owns that carry its control bars once they float: the frame's idle update
// reaches them as it reaches its own children. The docking part adds its mini-frames' class.
#pragma once

#include "winlib/Wnd.h"

namespace winlib::detail
{

void AddBarHolderClass(CRuntimeClass* holder);
bool IsBarHolder(const CWnd& wnd);

} // namespace winlib::detail
