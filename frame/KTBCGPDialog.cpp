#include "frame/KTBCGPDialog.h"

#include "base/HostFunctions.h"

IMPLEMENT_DYNAMIC(CKTBCGPDialog, CBCGPDialog)

CKTBCGPDialog::CKTBCGPDialog(UINT templateId, CWnd* parent) : CBCGPDialog(templateId, parent) {}

CKTBCGPDialog::~CKTBCGPDialog() = default;

BOOL CKTBCGPDialog::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    return TRUE;
}

int CKTBCGPDialog::ApplyDisplayAffinity()
{
    const auto defaultStatus =
        FindHostFunction<PFN_pu_GetDefaultScreenSharingStatus>("pu_GetDefaultScreenSharingStatus");
    const auto status = FindHostFunction<PFN_pu_GetScreenSharingStatus>("pu_GetScreenSharingStatus");
    const auto registerWindow =
        FindHostFunction<PFN_pu_RegisterForWindowDisplayAffinity>("pu_RegisterForWindowDisplayAffinity");
    // Without the default policy (an older host) nothing is done; shared by default, neither.
    if (!defaultStatus || LOBYTE(defaultStatus()))
        return 1;
    if (status && LOBYTE(status()))
    {
        if (m_bDisplayAffinityReset)
            return 1;
        const BOOL reset = SetWindowDisplayAffinity(m_hWnd, WDA_NONE);
        m_bDisplayAffinityReset = TRUE;
        return reset;
    }
    return registerWindow ? registerWindow(this) : 1;
}

void CKTBCGPDialog::OnShowWindow(BOOL show, UINT status)
{
    if (show)
        ApplyDisplayAffinity();
    CBCGPDialog::OnShowWindow(show, status);
}
