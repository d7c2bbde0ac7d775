// A window that shows the window framework at work, for trying it by hand: a holder frame with a
// list, a tree and a rich edit side by side. Not part of the console; the terminal opens it from
// its View menu (or a host script) through the export below.
#pragma once

#include "winlib/WinDef.h"

extern "C"
{
    // Opens the window in 'workspace' (or brings it to the front); non-zero when it is shown.
    int KivoShowFrameworkDemo(HWND workspace);
}

using PFN_KivoShowFrameworkDemo = decltype(&KivoShowFrameworkDemo);
