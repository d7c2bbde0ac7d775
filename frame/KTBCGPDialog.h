// The dialog base of every dialog of the system: a docking-library dialog that follows the
// host's screen-sharing policy each time it is shown.
#pragma once

#include "winlib/Frame.h"

class CKTBCGPDialog : public CBCGPDialog
{
    DECLARE_DYNAMIC(CKTBCGPDialog)
public:
    CKTBCGPDialog(UINT templateId, CWnd* parent);
    ~CKTBCGPDialog() override;

    BOOL OnInitDialog() override;
    // Applies the policy to the dialog itself; resets its affinity at most once in its life.
    int ApplyDisplayAffinity();

    BYTE m_bDisplayAffinityReset = FALSE;

protected:
    void OnShowWindow(BOOL show, UINT status) override;
};
