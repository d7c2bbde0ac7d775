// The dialog-bar base of the system's docked windows: it applies the host's screen-sharing
// policy to the frame that carries it on every show and after every float.
#pragma once

#include "winlib/Frame.h"

class CKTBCGPDialogBar : public CBCGPDialogBar
{
    DECLARE_DYNAMIC(CKTBCGPDialogBar)
public:
    CKTBCGPDialogBar();
    void OnAfterFloat() override;

protected:
    void OnShowWindow(BOOL show, UINT status) override;
};

// The bar policy: applied to a window (the bar's parent frame); 0 for no window.
int ApplyWindowDisplayAffinity(CWnd* wnd);
