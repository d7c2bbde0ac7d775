// The dialog that adds a user-defined column to a filter list, or deletes one: a name and an
// arithmetic expression over the list's numeric columns, built with the operator buttons or
// typed. One dialog serves every filter list; it is made on first use and closes itself after a
// successful add or delete, which also saves the list's column profile.
#pragma once

#include "frame/KTBCGPDialog.h"
#include "winlib/ListBox.h"

#include <string>

class CFilterListCtrl;

class CUserDefinedColDlg : public CKTBCGPDialog
{
    DECLARE_DYNAMIC(CUserDefinedColDlg)
public:
    static constexpr UINT IDD = 1008;
    static constexpr int IDC_NAME = 1022;
    static constexpr int IDC_COLUMNS = 1011; // existing user-defined columns (delete mode)
    static constexpr int IDC_OPERANDS = 1009;
    static constexpr int IDC_PLUS = 1012;
    static constexpr int IDC_MINUS = 1013;
    static constexpr int IDC_TIMES = 1014;
    static constexpr int IDC_DIVIDE = 1015;
    static constexpr int IDC_OPEN = 1016;
    static constexpr int IDC_CLOSE = 1017;
    static constexpr int IDC_SQUARE = 10013;
    static constexpr int IDC_POWER = 10014;
    static constexpr int IDC_END = 1018;
    static constexpr int IDC_CLEAR = 1019;
    static constexpr int IDC_EXPRESSION = 1010;

    // The dialog every filter list shares, made on first use.
    static CUserDefinedColDlg& Shared();

    // Shows the dialog for a list in add or delete mode; FALSE when it cannot be shown.
    BOOL Open(CFilterListCtrl* list, BOOL addMode);

    CComboBox& Columns() { return m_cbColumns; }
    CListBox& Operands() { return m_lbOperands; }
    const std::string& GetEvaluatorExpression() const { return m_strExpression; }

    std::string m_strName;
    std::string m_strDisplayExpression;

protected:
    explicit CUserDefinedColDlg(CUserDefinedColDlg** slot);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    void AppendOperator(int button);
    void ShowChosenColumn();
    bool AddColumn();
    bool DeleteColumn();

    CUserDefinedColDlg** m_ppSlot;
    CComboBox m_cbColumns;
    CListBox m_lbOperands;
    CFilterListCtrl* m_pList = nullptr;
    HWND m_hList = nullptr;
    BOOL m_bAddMode = TRUE;
    std::string m_strExpression; // the evaluator form the buttons build
};

// Opens the shared dialog for a list (commands 33079 and 33080).
void OpenUserDefinedColumns(CFilterListCtrl* list, BOOL addMode);
