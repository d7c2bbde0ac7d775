#include "controls/DisplayTextDlg.h"

IMPLEMENT_DYNAMIC(CDisplayTextDlg, CKTBCGPDialog)

CDisplayTextDlg::CDisplayTextDlg(CWnd* parent) : CKTBCGPDialog(IDD_DISPLAY_TEXT, parent) {}

void CDisplayTextDlg::DoDataExchange(CDataExchange* dx)
{
    CKTBCGPDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_DISPLAY_TEXT_EDIT, m_strText);
}

// An empty line is no answer: the dialog stays open until something is typed or it is cancelled.
void CDisplayTextDlg::OnOK()
{
    if (!UpdateData(TRUE) || m_strText.empty())
        return;
    EndDialog(IDOK);
}
