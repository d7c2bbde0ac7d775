#include "winlib/CommCtrl.h"

// The common control classes are registered with the library itself, so there is nothing
// to load; only the argument is checked, as the system does.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    if (init == nullptr || init->dwSize != sizeof(INITCOMMONCONTROLSEX))
        return FALSE;
    return TRUE;
}

void InitCommonControls() {}
