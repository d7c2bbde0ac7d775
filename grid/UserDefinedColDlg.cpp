#include "grid/UserDefinedColDlg.h"

#include "grid/ExpressionEvaluator.h"
#include "grid/FilterListCtrl.h"
#include "grid/UserColumnFormula.h"
#include "winlib/Api.h"

#include <algorithm>
#include <cstdio>
#include <set>

IMPLEMENT_DYNAMIC(CUserDefinedColDlg, CKTBCGPDialog)

namespace
{

CUserDefinedColDlg* g_pUserDefinedColDlg = nullptr;

constexpr int kNewColumnWidth = 100;

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string QuotedIndex(int index)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "\"%d\"", index);
    return buffer;
}

bool OperandType(int dataType)
{
    return dataType == KIVO_DT_INT64 || dataType == KIVO_DT_INTEGER || dataType == KIVO_DT_DECIMAL ||
           dataType == 5;
}

} // namespace

CUserDefinedColDlg::CUserDefinedColDlg(CUserDefinedColDlg** slot)
    : CKTBCGPDialog(IDD, nullptr), m_ppSlot(slot)
{
}

CUserDefinedColDlg& CUserDefinedColDlg::Shared()
{
    if (!g_pUserDefinedColDlg)
        g_pUserDefinedColDlg = new CUserDefinedColDlg(&g_pUserDefinedColDlg); // goes with its window
    return *g_pUserDefinedColDlg;
}

void CUserDefinedColDlg::PostNcDestroy()
{
    if (m_ppSlot && *m_ppSlot == this)
        *m_ppSlot = nullptr;
    delete this;
}

void OpenUserDefinedColumns(CFilterListCtrl* list, BOOL addMode)
{
    CUserDefinedColDlg::Shared().Open(list, addMode);
}

BOOL CUserDefinedColDlg::OnInitDialog()
{
    CKTBCGPDialog::OnInitDialog();
    m_cbColumns.SubclassDlgItem(IDC_COLUMNS, this);
    m_lbOperands.SubclassDlgItem(IDC_OPERANDS, this);
    return TRUE;
}

void CUserDefinedColDlg::DoDataExchange(CDataExchange* dx)
{
    CKTBCGPDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_NAME, m_strName);
    DDX_Text(dx, IDC_EXPRESSION, m_strDisplayExpression);
}

BOOL CUserDefinedColDlg::Open(CFilterListCtrl* list, BOOL addMode)
{
    if (!list || !list->m_hWnd)
        return FALSE;
    if (list->m_nBaseColumnCount > static_cast<int>(list->m_arrColumns.size()))
    {
        AfxMessageBox("Error while adding user defined cols");
        return FALSE;
    }
    if (!m_hWnd && !Create(IDD, list))
        return FALSE;
    m_pList = list;
    m_hList = list->m_hWnd;
    m_bAddMode = addMode;

    m_cbColumns.ResetContent();
    m_lbOperands.ResetContent();
    m_strName.clear();
    m_strDisplayExpression.clear();
    m_strExpression.clear();
    UpdateData(FALSE);

    GetDlgItem(IDC_COLUMNS)->ShowWindow(addMode ? SW_HIDE : SW_SHOW);
    GetDlgItem(IDC_NAME)->ShowWindow(addMode ? SW_SHOW : SW_HIDE);
    char title[512];
    std::snprintf(title, sizeof title, addMode ? "%s: Add Custom Columns" : "%s: Delete Custom Columns",
                  list->m_strListName.c_str());
    SetWindowText(title);

    const auto& columns = list->m_arrColumns;
    for (std::size_t c = 0; c < columns.size(); ++c)
    {
        const std::string name(columns[c].GetName());
        if (static_cast<int>(c) >= list->m_nBaseColumnCount)
        {
            const int at = m_cbColumns.AddString(name.c_str());
            m_cbColumns.SetItemData(at, c);
        }
        if (OperandType(columns[c].m_nDataType))
        {
            const int at = m_lbOperands.AddString(name.c_str());
            m_lbOperands.SetItemData(at, c);
        }
    }
    ShowWindow(SW_SHOW);
    SetActiveWindow();
    GetDlgItem(addMode ? IDC_NAME : IDC_COLUMNS)->SetFocus();
    return TRUE;
}

BOOL CUserDefinedColDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    switch (id)
    {
    case IDC_PLUS:
    case IDC_MINUS:
    case IDC_TIMES:
    case IDC_DIVIDE:
    case IDC_OPEN:
    case IDC_CLOSE:
    case IDC_SQUARE:
    case IDC_POWER:
    case IDC_END:
        if (code == BN_CLICKED)
        {
            AppendOperator(id);
            return TRUE;
        }
        break;
    case IDC_CLEAR:
        if (code == BN_CLICKED)
        {
            UpdateData(TRUE);
            m_strDisplayExpression.clear();
            m_strExpression.clear();
            UpdateData(FALSE);
            return TRUE;
        }
        break;
    case IDC_COLUMNS:
        if (code == CBN_SELCHANGE)
        {
            ShowChosenColumn();
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CKTBCGPDialog::OnCommand(wParam, lParam);
}

void CUserDefinedColDlg::AppendOperator(int button)
{
    struct Texts
    {
        int button;
        const char* display;     // after the column's name in quotes
        const char* evaluator;   // after the column's index in quotes
        const char* withCtrl;    // display and evaluator alike ...
        const char* ctrlDisplay; // ... unless the display differs
    };
    static const Texts kTexts[] = {
        {IDC_PLUS, " + ", "+", "+", nullptr},     {IDC_MINUS, " - ", "-", "-", nullptr},
        {IDC_TIMES, " * ", "*", "*", nullptr},    {IDC_DIVIDE, " / ", "/", "/", nullptr},
        {IDC_OPEN, " ( ", "(", "(", nullptr},     {IDC_CLOSE, " ) ", ")", ")", nullptr},
        {IDC_SQUARE, " ^ 2 ", "^2", "^2", "^ 2"}, {IDC_POWER, " ^ ", "^", "^", nullptr},
        {IDC_END, "", "", nullptr, nullptr},
    };
    const auto* texts = std::find_if(std::begin(kTexts), std::end(kTexts),
                                     [button](const Texts& t) { return t.button == button; });
    if (texts == std::end(kTexts))
        return;
    UpdateData(TRUE);
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (ctrl && texts->withCtrl)
    {
        m_strDisplayExpression += texts->ctrlDisplay ? texts->ctrlDisplay : texts->withCtrl;
        m_strExpression += texts->withCtrl;
        UpdateData(FALSE);
        return;
    }
    const int selected = m_lbOperands.GetCurSel();
    if (selected < 0)
    {
        AfxMessageBox(button == IDC_END ? "No column is selected" : "Please select a Column Name");
        return;
    }
    std::string name;
    m_lbOperands.GetText(selected, name);
    m_strDisplayExpression += Quoted(name) + texts->display;
    m_strExpression += QuotedIndex(static_cast<int>(m_lbOperands.GetItemData(selected))) + texts->evaluator;
    UpdateData(FALSE);
}

void CUserDefinedColDlg::ShowChosenColumn()
{
    const int chosen = m_cbColumns.GetCurSel();
    if (chosen < 0 || !m_pList)
        return;
    const auto index = static_cast<std::size_t>(m_cbColumns.GetItemData(chosen));
    if (index >= m_pList->m_arrColumns.size())
        return;
    UpdateData(TRUE);
    m_strDisplayExpression = m_pList->m_arrColumns[index].m_strDisplayExpression;
    UpdateData(FALSE);
}

void CUserDefinedColDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (!m_pList || !::IsWindow(m_hList) || CWnd::FromHandlePermanent(m_hList) != m_pList)
    {
        ShowWindow(SW_HIDE);
        return;
    }
    if (!(m_bAddMode ? AddColumn() : DeleteColumn()))
        return;
    ShowWindow(SW_HIDE);
    m_pList->SaveColumnProfile();
}

void CUserDefinedColDlg::OnCancel()
{
    ShowWindow(SW_HIDE);
}

bool CUserDefinedColDlg::AddColumn()
{
    const std::string name = Trimmed(m_strName);
    if (name.empty())
    {
        AfxMessageBox("Please Enter the column Name");
        return false;
    }
    if (name.find_first_of("#,") != std::string::npos)
    {
        AfxMessageBox("\"#,\" are not allowed as a custom column name , please choose a different name");
        return false;
    }
    // One line: the expression is stored in a settings value, where a line end would end it.
    std::replace_if(
        m_strDisplayExpression.begin(), m_strDisplayExpression.end(),
        [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (m_strDisplayExpression.empty())
    {
        AfxMessageBox("Column Expression is empty, please enter an expression to add a column");
        return false;
    }
    // The evaluator form is built again from what the user sees, which he may have typed.
    std::string expression;
    std::string test;
    for (const FormulaPiece& piece : SplitFormula(" " + m_strDisplayExpression))
    {
        if (!piece.reference)
        {
            expression += piece.text;
            test += piece.text;
            continue;
        }
        const int found = m_lbOperands.FindStringExact(-1, piece.text.c_str());
        std::string listed;
        if (found >= 0)
            m_lbOperands.GetText(found, listed);
        if (found < 0 || listed != piece.text) // the list box finds names in any case
        {
            AfxMessageBox("Invalid Expression, Please check the expression again");
            return false;
        }
        const int column = static_cast<int>(m_lbOperands.GetItemData(found));
        expression += QuotedIndex(column);
        test += std::to_string(column);
    }
    double value = 0;
    if (EvaluateExpression(test, value) != EXPR_OK)
    {
        AfxMessageBox("Invalid Expression, Please check the expression again");
        return false;
    }
    for (const sKivoColInfo& column : m_pList->m_arrColumns)
    {
        if (column.GetName() == name)
        {
            AfxMessageBox("This column name already present,Please choose different column Name");
            return false;
        }
    }
    sKivoColInfo info;
    info.SetName(name);
    info.m_nWidth = kNewColumnWidth;
    info.m_nFormat = KIVO_ALIGN_RIGHT;
    info.m_nDataType = KIVO_DT_DECIMAL;
    info.m_strExpression = expression;
    info.m_strDisplayExpression = m_strDisplayExpression;
    m_strExpression = expression;
    m_pList->AddUserColumn(info);
    return true;
}

bool CUserDefinedColDlg::DeleteColumn()
{
    const int chosen = m_cbColumns.GetCurSel();
    if (chosen < 0)
    {
        AfxMessageBox("No user defined column selected to delete");
        return false;
    }
    const auto& columns = m_pList->m_arrColumns;
    const auto index = static_cast<std::size_t>(m_cbColumns.GetItemData(chosen));
    if (index >= columns.size())
        return false;
    // Every column that uses the chosen one, and every column that uses those, goes with it.
    std::set<std::string> going{std::string(columns[index].GetName())};
    for (bool grew = true; grew;)
    {
        grew = false;
        for (std::size_t c = static_cast<std::size_t>(m_pList->m_nBaseColumnCount); c < columns.size(); ++c)
        {
            const std::string name(columns[c].GetName());
            if (going.count(name))
                continue;
            for (const std::string& gone : going)
            {
                if (columns[c].m_strDisplayExpression.find(Quoted(gone)) != std::string::npos)
                {
                    going.insert(name);
                    grew = true;
                    break;
                }
            }
        }
    }
    // Highest index first, so that the indexes still to remove stay where they are.
    for (std::size_t c = columns.size(); c-- > static_cast<std::size_t>(m_pList->m_nBaseColumnCount);)
    {
        if (going.count(std::string(columns[c].GetName())))
            m_pList->RemoveUserColumn(static_cast<int>(c));
    }
    return true;
}
