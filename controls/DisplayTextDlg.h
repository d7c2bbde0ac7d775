// A small modal dialog that asks for one line of text (the reason of a rejection) and does not
// close with OK while that line is empty.
#pragma once

#include "frame/KTBCGPDialog.h"
#include "protocol/Functions.h"

#include <string>

// The dialog's template and its edit.
constexpr UINT IDD_DISPLAY_TEXT = 330;
constexpr int IDC_DISPLAY_TEXT_EDIT = 1548;
// The longest reason the server keeps; the line takes no more, so nothing typed is refused later.
constexpr int kMaxRejectionReason = protocol::kMaxReasonLength;

class CDisplayTextDlg : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CDisplayTextDlg)
public:
    explicit CDisplayTextDlg(CWnd* parent = nullptr);

    // The text typed; valid after DoModal returned IDOK.
    std::string m_strText;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
};
