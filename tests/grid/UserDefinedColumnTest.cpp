// User-defined columns as a list's user makes them: built in their dialog from the operand
// columns and the operator buttons, computed for every row, kept in the column profile and
// recreated at the next start, refused with a reason, and deleted with what depends on them.
#include "grid/FilterListTestSupport.h"

#include "base/UserSettings.h"
#include "grid/UserDefinedColDlg.h"

namespace
{

using filterlist::FilterListTest;
using Texts = std::vector<std::string>;

class UserDefinedColumnTest : public FilterListTest
{
protected:
    CUserDefinedColDlg& OpenFromHeaderMenu(const char* entry)
    {
        m_driver.AnswerNextPopupMenuByText(entry);
        CRect r;
        Header().GetItemRect(0, &r);
        m_driver.RightClick(Header().m_hWnd, r.CenterPoint());
        CUserDefinedColDlg& dialog = CUserDefinedColDlg::Shared();
        EXPECT_TRUE(dialog.m_hWnd && dialog.IsWindowVisible()) << entry;
        return dialog;
    }
    void PickOperand(CUserDefinedColDlg& dialog, const char* name)
    {
        dialog.Operands().SetCurSel(dialog.Operands().FindStringExact(-1, name));
    }
    std::string Expression(CUserDefinedColDlg& dialog)
    {
        std::string text;
        dialog.GetDlgItemText(CUserDefinedColDlg::IDC_EXPRESSION, text);
        return text;
    }
    // Adds a column by typing its name and expression and pressing Add.
    void AddTyped(const std::string& name, const std::string& expression)
    {
        CUserDefinedColDlg& dialog = OpenFromHeaderMenu("Add Custom Columns");
        dialog.SetDlgItemText(CUserDefinedColDlg::IDC_NAME, name.c_str());
        dialog.SetDlgItemText(CUserDefinedColDlg::IDC_EXPRESSION, expression.c_str());
        Press(dialog, IDOK);
    }
    int ColumnIndex(const std::string& name) const
    {
        for (std::size_t c = 0; c < m_list->m_arrColumns.size(); ++c)
        {
            if (m_list->m_arrColumns[c].GetName() == name)
                return static_cast<int>(c);
        }
        return -1;
    }
    // The cells of a column by name, through the header item that shows it.
    Texts Cells(const std::string& name) const { return Shown(m_list->GetItemOfColumn(ColumnIndex(name))); }
};

TEST_F(UserDefinedColumnTest, AColumnBuiltInTheDialogIsComputedSavedAndRecreated)
{
    Add("A", "Buy", "10", "2.5");
    Add("B", "Buy", "-", "4");
    CUserDefinedColDlg& dialog = OpenFromHeaderMenu("Add Custom Columns");
    std::string title;
    dialog.GetWindowText(title);
    EXPECT_EQ(title, "Orders: Add Custom Columns");
    EXPECT_FALSE(dialog.Columns().IsWindowVisible());
    EXPECT_EQ(gridtest::ListBoxTexts(dialog.Operands()), (Texts{"Qty", "Price"}))
        << "only the numeric columns";

    PickOperand(dialog, "Qty");
    Press(dialog, CUserDefinedColDlg::IDC_TIMES);
    PickOperand(dialog, "Price");
    Press(dialog, CUserDefinedColDlg::IDC_END);
    EXPECT_EQ(Expression(dialog), "\"Qty\" * \"Price\"");
    EXPECT_EQ(dialog.GetEvaluatorExpression(), "\"2\"*\"3\"");
    dialog.SetDlgItemText(CUserDefinedColDlg::IDC_NAME, "  Value ");
    Press(dialog, IDOK);
    EXPECT_FALSE(dialog.IsWindowVisible()) << "the dialog closes after adding";

    const int value = ColumnIndex("Value");
    ASSERT_EQ(value, 6);
    EXPECT_EQ(m_list->m_arrColumns[6].m_strExpression, " \"2\" * \"3\"");
    EXPECT_EQ(m_list->m_arrColumns[6].m_nDataType, 2);
    EXPECT_EQ(m_list->GetPositionOfColumn(6), 6) << "after the last shown column";
    EXPECT_EQ(Cells("Value"), (Texts{"25.00", "0.00"})) << "a dash counts as 0";
    std::string stored;
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_READ, "Orders", stored));
    EXPECT_NE(stored.find(",6,6,100,Value# \"2\" * \"3\"#\"Qty\" * \"Price\""), std::string::npos) << stored;

    // The next start brings it back, computed as before.
    MakeList();
    m_orders.clear();
    Add("C", "Buy", "3", "7");
    ASSERT_EQ(ColumnIndex("Value"), 6);
    EXPECT_EQ(Cells("Value"), Texts{"21.00"});

    // A filter on the computed column works like any other.
    m_list->SetColumnFilter(6, ">20");
    m_list->ApplyFilter();
    EXPECT_EQ(m_list->GetItemCount(), 1);
}

TEST_F(UserDefinedColumnTest, BadNamesAndExpressionsAreRefusedWithTheListUnchanged)
{
    struct Case
    {
        std::string name;
        std::string expression;
        std::string message;
    };
    const Case cases[] = {
        {"  ", "\"Qty\"", "Please Enter the column Name"},
        {"a#b", "\"Qty\"", "\"#,\" are not allowed as a custom column name , please choose a different name"},
        {"a,b", "\"Qty\"", "\"#,\" are not allowed as a custom column name , please choose a different name"},
        {"Total", "", "Column Expression is empty, please enter an expression to add a column"},
        {"Total", "\"Qyt\" * 2", "Invalid Expression, Please check the expression again"},
        {"Total", "\"qty\" * 2", "Invalid Expression, Please check the expression again"},
        {"Total", "\"Symbol\" * 2", "Invalid Expression, Please check the expression again"},
        {"Total", "\"Qty\" * (2", "Invalid Expression, Please check the expression again"},
        {"Qty", "\"Qty\" * 2", "This column name already present,Please choose different column Name"},
    };
    for (const Case& c : cases)
    {
        AddTyped(c.name, c.expression);
        ASSERT_FALSE(m_driver.MessageBoxTexts().empty()) << c.name << " / " << c.expression;
        EXPECT_EQ(m_driver.MessageBoxTexts().back(), c.message) << c.name << " / " << c.expression;
        EXPECT_TRUE(CUserDefinedColDlg::Shared().IsWindowVisible()) << "the dialog stays open";
        EXPECT_EQ(m_list->m_arrColumns.size(), 6u);
    }
    AddTyped("qty", "\"Qty\" * 2");
    EXPECT_EQ(ColumnIndex("qty"), 6) << "names differ by case";
}

TEST_F(UserDefinedColumnTest, TheButtonsFollowCtrlAndWantAColumn)
{
    CUserDefinedColDlg& dialog = OpenFromHeaderMenu("Add Custom Columns");
    Press(dialog, CUserDefinedColDlg::IDC_PLUS);
    EXPECT_EQ(m_driver.MessageBoxTexts().back(), "Please select a Column Name");
    Press(dialog, CUserDefinedColDlg::IDC_END);
    EXPECT_EQ(m_driver.MessageBoxTexts().back(), "No column is selected");
    Press(dialog, CUserDefinedColDlg::IDC_OPEN, winlib::testing::Ctrl);
    PickOperand(dialog, "Price");
    Press(dialog, CUserDefinedColDlg::IDC_SQUARE);
    Press(dialog, CUserDefinedColDlg::IDC_CLOSE, winlib::testing::Ctrl);
    Press(dialog, CUserDefinedColDlg::IDC_SQUARE, winlib::testing::Ctrl);
    EXPECT_EQ(Expression(dialog), "(\"Price\" ^ 2 )^ 2");
    EXPECT_EQ(dialog.GetEvaluatorExpression(), "(\"3\"^2)^2");
    Press(dialog, CUserDefinedColDlg::IDC_CLEAR);
    EXPECT_EQ(Expression(dialog), "");
    EXPECT_EQ(dialog.GetEvaluatorExpression(), "");
}

TEST_F(UserDefinedColumnTest, CellsFollowTheZeroAndSignRules)
{
    Add("A", "Buy", "10", "0");
    Add("B", "Buy", "abc", "4");
    Add("C", "Buy", "3", "-5");
    AddTyped("Ratio", "\"Qty\" / \"Price\"");
    AddTyped("Scaled", "2 *\"Price\"");
    AddTyped("Spaced", "2 * \"Price\"");
    AddTyped("Next", "\"Qty\" + 1");
    EXPECT_EQ(Cells("Ratio"), (Texts{"Divided by ZERO error", "0.00", "-0.60"}));
    EXPECT_EQ(Cells("Next")[1], "1.00") << "text counts as 0";
    // A negative cell right behind an operator reads as the evaluator reads 2*-5 (code 1, so 0);
    // with a blank between, the sign belongs to the number.
    EXPECT_EQ(Cells("Scaled")[2], "0.00");
    EXPECT_EQ(Cells("Spaced")[2], "-10.00");
    EXPECT_TRUE(m_driver.MessageBoxTexts().empty());
}

TEST_F(UserDefinedColumnTest, ACellLeavingValuesOverSaysSoOncePerPaint)
{
    for (int i = 0; i < 5; ++i)
        Add("A", "Buy", "5 6", "2"); // the blank leaves two values standing
    AddTyped("Ratio", "\"Qty\" / \"Price\"");
    EXPECT_EQ(Cells("Ratio")[0], "");
    ASSERT_EQ(m_driver.MessageBoxTexts(), Texts{"Invalid Expression,while calculating value"});
    m_list->Invalidate();
    m_driver.Pump();
    EXPECT_EQ(m_driver.MessageBoxTexts().size(), 2u) << "five bad rows painted, one message";
}

TEST_F(UserDefinedColumnTest, DeletingAColumnTakesItsDependentsAndKeepsTheOthersRight)
{
    Add("A", "Buy", "10", "3");
    AddTyped("Plus", "\"Price\" + 1");
    AddTyped("Double", "\"Qty\" * 2");
    AddTyped("Twice", "\"Plus\" * 2");
    AddTyped("Triple", "\"Double\" * 3");
    AddTyped("Both", "\"Twice\" + 1");
    ASSERT_EQ(Cells("Both"), Texts{"9.00"});

    CUserDefinedColDlg& dialog = OpenFromHeaderMenu("Delete Custom Columns");
    std::string title;
    dialog.GetWindowText(title);
    EXPECT_EQ(title, "Orders: Delete Custom Columns");
    Press(dialog, IDOK);
    EXPECT_EQ(m_driver.MessageBoxTexts().back(), "No user defined column selected to delete");
    dialog.Columns().SetCurSel(dialog.Columns().FindStringExact(-1, "Plus"));
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(CUserDefinedColDlg::IDC_COLUMNS, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(dialog.Columns().m_hWnd));
    EXPECT_EQ(Expression(dialog), "\"Price\" + 1");
    Press(dialog, IDOK);

    EXPECT_EQ(ColumnIndex("Plus"), -1);
    EXPECT_EQ(ColumnIndex("Twice"), -1) << "it used Plus";
    EXPECT_EQ(ColumnIndex("Both"), -1) << "it used Twice";
    ASSERT_EQ(ColumnIndex("Double"), 6);
    ASSERT_EQ(ColumnIndex("Triple"), 7);
    EXPECT_EQ(Cells("Triple"), Texts{"60.00"}) << "Triple still reads Double, now at index 6";
    EXPECT_EQ(Header().GetItemCount(), 8);
    std::string stored;
    ASSERT_TRUE(ReadWriteColumnProfile(SETTING_READ, "Orders", stored));
    EXPECT_EQ(stored.find("Plus"), std::string::npos) << stored;
    EXPECT_NE(stored.find("Triple# \"6\" * 3#"), std::string::npos) << stored;
}

} // namespace
