#include "controls/DisplayTextDlg.h"

#include "winlib/Api.h"

IMPLEMENT_DYNAMIC(CDisplayTextDlg, CKTBCGPDialog)

CDisplayTextDlg::CDisplayTextDlg(CWnd* parent) : CKTBCGPDialog(IDD_DISPLAY_TEXT, parent) {}

void CDisplayTextDlg::DoDataExchange(CDataExchange* dx)
{
    CKTBCGPDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_DISPLAY_TEXT_EDIT, m_strText);
    DDV_MaxChars(dx, m_strText, kMaxRejectionReason);
}

// An empty line is no answer: the dialog stays open until something is typed or it is cancelled,
// and says so with the warning beep, the caret back in the line.
void CDisplayTextDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_strText.empty())
    {
        MessageBeep(MB_ICONEXCLAMATION);
        if (CWnd* edit = GetDlgItem(IDC_DISPLAY_TEXT_EDIT))
            GotoDlgCtrl(edit);
        return;
    }
    EndDialog(IDOK);
}
