#include "frame/KTBCGPDialogBar.h"

#include "base/HostFunctions.h"

IMPLEMENT_DYNAMIC(CKTBCGPDialogBar, CBCGPDialogBar)

CKTBCGPDialogBar::CKTBCGPDialogBar() = default;

int ApplyWindowDisplayAffinity(CWnd* wnd)
{
    if (!wnd)
        return 0;
    const auto defaultStatus =
        FindHostFunction<PFN_pu_GetDefaultScreenSharingStatus>("pu_GetDefaultScreenSharingStatus");
    const auto status = FindHostFunction<PFN_pu_GetScreenSharingStatus>("pu_GetScreenSharingStatus");
    const auto registerWindow =
        FindHostFunction<PFN_pu_RegisterForWindowDisplayAffinity>("pu_RegisterForWindowDisplayAffinity");
    int result = 1;
    if (defaultStatus && !LOBYTE(defaultStatus()))
    {
        // No once-only flag here: a bar resets its frame on every show and every float.
        if (status && LOBYTE(status()))
            return SetWindowDisplayAffinity(wnd->m_hWnd, WDA_NONE);
        if (registerWindow)
            result = registerWindow(wnd);
    }
    return result;
}

void CKTBCGPDialogBar::OnShowWindow(BOOL show, UINT status)
{
    (void)status;
    if (show)
        ApplyWindowDisplayAffinity(CWnd::FromHandle(::GetParent(m_hWnd)));
    Default();
}

void CKTBCGPDialogBar::OnAfterFloat()
{
    ApplyWindowDisplayAffinity(CWnd::FromHandle(::GetParent(m_hWnd)));
    CBCGPControlBar::OnAfterFloat();
}
