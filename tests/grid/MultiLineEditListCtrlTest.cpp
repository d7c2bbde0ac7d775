// Editing the sectioned grid as the checker does: a click on a value opens the editor the owner
// asks for in the same click, the result goes back to the owner, Tab walks the row lines and
// skips the titles, and nothing is ever edited on a title line.
#include "grid/MultiLineEditListCtrl.h"
#include "GridTestSupport.h"
#include "controls/InPlaceCombo.h"
#include "controls/InPlaceDTPicker.h"
#include "controls/InPlaceEdit.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

struct Question
{
    int line;
    int column;
};

struct Answer
{
    int line;
    int column;
    std::string text;
};

// The window the grid asks; 'answer' fills the edit description.
class OwnerWnd : public CWnd
{
public:
    std::vector<Question> questions;
    std::vector<Answer> answers;
    int clicks = 0;
    std::function<void(int line, int column, sCellEditInfo&)> answer;

    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        switch (message)
        {
        case WM_MULTILINE_LINE_CLICKED:
            ++clicks;
            *result = 0;
            return TRUE;
        case WM_MULTILINE_EDIT_BEGIN:
        {
            const int line = LOWORD(wParam);
            const int column = HIWORD(wParam);
            questions.push_back({line, column});
            if (answer)
                answer(line, column, *reinterpret_cast<sCellEditInfo*>(lParam));
            *result = 0;
            return TRUE;
        }
        case WM_MULTILINE_EDIT_END:
        {
            const auto* info = reinterpret_cast<const NMLVDISPINFO*>(lParam);
            answers.push_back({info->item.iItem, info->item.iSubItem, info->item.pszText});
            *result = 0;
            return TRUE;
        }
        default:
            return CWnd::OnWndMsg(message, wParam, lParam, result);
        }
    }
};

class MultiLineEditTest : public gridtest::SectionedGridTest<CMultiLineEditListCtrl, OwnerWnd>
{
protected:
    void SetUp() override
    {
        SectionedGridTest::SetUp();
        m_owner.answer = [](int, int, sCellEditInfo& info) { info.m_nEditorKind = CELL_EDITOR_TEXT; };
        // Sections A (two rows) and B (one row), both open: A, A.1, A.2, B, B.1.
        AddSection({"A", "A title value"}, {{"A.1", "10"}, {"A.2", "20"}});
        AddSection({"B", "B title value"}, {{"B.1", ""}});
        m_grid.ExpandAllSections();
        m_driver.Pump();
    }
    HWND Focus() const { return ::GetFocus(); }
};

TEST_F(MultiLineEditTest, OneClickOnAValueSelectsTheLineAndOpensTheEditor)
{
    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    EXPECT_EQ(m_grid.CListCtrl::GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(m_owner.clicks, 1);
    ASSERT_EQ(m_owner.questions.size(), 1u);
    EXPECT_EQ(m_owner.questions[0].line, 2);
    EXPECT_EQ(m_owner.questions[0].column, 1);
    CInPlaceEdit* edit = CInPlaceEdit::GetInstance();
    ASSERT_NE(edit->m_hWnd, nullptr);
    EXPECT_EQ(Focus(), edit->m_hWnd);
    EXPECT_EQ(edit->GetWindowText(), "20") << "the cell's text without its indent";
    CRect cell;
    edit->GetWindowRect(&cell);
    m_grid.ScreenToClient(&cell);
    EXPECT_EQ(cell.left, 160);
    EXPECT_EQ(cell.Width(), 200);

    m_driver.Type("35\r");
    m_driver.Pump();
    ASSERT_EQ(m_owner.answers.size(), 1u);
    EXPECT_EQ(m_owner.answers[0].line, 2);
    EXPECT_EQ(m_owner.answers[0].column, 1);
    EXPECT_EQ(m_owner.answers[0].text, "35");
    EXPECT_EQ(m_grid.m_nEditedLine, -2);
}

// Without a mouse: F2, or Enter on a row line, opens the editor of the first display column the
// owner offers one for, as a click there would; on a title line Enter still toggles the section.
TEST_F(MultiLineEditTest, F2OrEnterOnARowLineOpensItsEditorAndEnterOnATitleToggles)
{
    m_owner.answer = [](int, int column, sCellEditInfo& info)
    {
        if (column == 1)
            info.m_nEditorKind = CELL_EDITOR_TEXT;
    };
    m_grid.SetFocus();
    m_grid.CListCtrl::SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_driver.Press(VK_F2);
    ASSERT_EQ(m_owner.questions.size(), 2u) << "the Field column first, then the Value column";
    EXPECT_EQ(m_owner.questions[0].column, 0);
    EXPECT_EQ(m_owner.questions[1].column, 1);
    CInPlaceEdit* edit = CInPlaceEdit::GetInstance();
    ASSERT_EQ(Focus(), edit->m_hWnd);
    EXPECT_EQ(edit->GetWindowText(), "10");
    m_driver.Type("15\r");
    m_driver.Pump();
    ASSERT_EQ(m_owner.answers.size(), 1u);
    EXPECT_EQ(m_owner.answers[0].line, 1);
    EXPECT_EQ(m_owner.answers[0].text, "15");
    EXPECT_EQ(Focus(), m_grid.m_hWnd) << "back in the grid for the next key";

    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_RETURN);
    ASSERT_EQ(Focus(), edit->m_hWnd) << "Enter on a row line edits it";
    EXPECT_EQ(edit->GetWindowText(), "20");
    m_driver.Press(VK_ESCAPE);
    m_driver.Pump();
    EXPECT_EQ(m_owner.answers.back().text, "20") << "Escape gives the text back";

    // A title line takes no editor: Enter toggles its section.
    const int lines = m_grid.GetLineCount();
    m_grid.CListCtrl::SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_driver.Press(VK_RETURN);
    EXPECT_EQ(m_grid.GetLineCount(), lines - 2) << "section A closed";
    EXPECT_EQ(Focus(), m_grid.m_hWnd);
}

TEST_F(MultiLineEditTest, TheGridsShortcutsLeaveAnOpenEditorsKeysAlone)
{
    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    CInPlaceEdit* edit = CInPlaceEdit::GetInstance();
    ASSERT_EQ(Focus(), edit->m_hWnd);
    const DWORD gridStyle = m_grid.GetExtendedStyle();
    m_driver.Press('A', winlib::testing::Ctrl);
    m_driver.Pump();
    int start = -1, end = -1;
    edit->GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 2) << "Ctrl+A selects the editor's text";
    EXPECT_EQ(m_grid.CListCtrl::GetSelectedCount(), 1u) << "and not every line of the grid";
    m_driver.Press('G', winlib::testing::Shift);
    m_driver.Pump();
    EXPECT_EQ(m_grid.GetExtendedStyle(), gridStyle) << "Shift+G types a G; the grid lines stay";

    // With the grid itself in the focus the shortcuts are the grid's.
    m_driver.Press(VK_ESCAPE);
    m_grid.SetFocus();
    m_driver.Press('A', winlib::testing::Ctrl);
    EXPECT_EQ(m_grid.CListCtrl::GetSelectedCount(), static_cast<UINT>(m_grid.CListCtrl::GetItemCount()));
}

TEST_F(MultiLineEditTest, TitlesTheThirdColumnAndModifiersStartNoEdit)
{
    m_driver.Click(m_grid.m_hWnd, CellPoint(0, 1)); // a title line
    m_driver.Click(m_grid.m_hWnd, CellPoint(3, 0));
    EXPECT_EQ(m_owner.clicks, 0);
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 2)); // the old value
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1), winlib::testing::Ctrl);
    EXPECT_EQ(m_owner.clicks, 1) << "the Ctrl click is reported but starts nothing";
    EXPECT_TRUE(m_owner.questions.empty());
    EXPECT_EQ(CInPlaceEdit::GetInstance()->m_hWnd, nullptr);

    m_grid.SetReadOnlyColumn(1, true);
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    EXPECT_TRUE(m_owner.questions.empty());
}

TEST_F(MultiLineEditTest, AnEmptyCellShowsTheOwnersTextAndAnUnsetKindOpensNothing)
{
    m_owner.answer = [](int, int, sCellEditInfo& info)
    {
        info.m_nEditorKind = CELL_EDITOR_TEXT;
        info.m_strText = "suggested";
    };
    m_driver.Click(m_grid.m_hWnd, CellPoint(4, 1)); // B.1 is empty
    ASSERT_NE(CInPlaceEdit::GetInstance()->m_hWnd, nullptr);
    EXPECT_EQ(CInPlaceEdit::GetInstance()->GetWindowText(), "suggested");
    m_grid.SetFocus();
    m_driver.Pump();

    m_owner.answer = nullptr;
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    m_driver.Pump();
    EXPECT_EQ(m_owner.questions.size(), 2u);
    EXPECT_EQ(CInPlaceEdit::GetInstance()->m_hWnd, nullptr);
    EXPECT_EQ(Focus(), m_grid.m_hWnd);
}

TEST_F(MultiLineEditTest, TabWalksTheRowLinesAndWrapsOverTheTitles)
{
    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    m_driver.Press(VK_TAB);
    m_driver.Pump();
    EXPECT_EQ(m_grid.m_nEditLine, 4) << "B's title is skipped";
    EXPECT_EQ(m_grid.CListCtrl::GetNextItem(-1, LVNI_SELECTED), 4);
    m_driver.Press(VK_TAB);
    m_driver.Pump();
    EXPECT_EQ(m_grid.m_nEditLine, 1) << "from the last row line to the first, past A's title";
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    m_driver.Pump();
    EXPECT_EQ(m_grid.m_nEditLine, 4);
    ASSERT_EQ(m_owner.questions.size(), 4u);
    EXPECT_EQ(m_owner.questions.back().line, 4);
    EXPECT_EQ(m_owner.questions.back().column, 1);
    EXPECT_EQ(m_owner.answers.size(), 3u) << "every move reported the edit it ended";
    EXPECT_EQ(Focus(), CInPlaceEdit::GetInstance()->m_hWnd);

    // A closed section has no row lines to visit.
    m_grid.SetFocus();
    m_driver.Pump();
    m_grid.ToggleSection(3);
    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    m_driver.Press(VK_TAB);
    m_driver.Pump();
    EXPECT_EQ(m_grid.m_nEditLine, 1);
}

TEST_F(MultiLineEditTest, DropDownHeightFollowsTheChoices)
{
    std::vector<std::string> choices;
    m_owner.answer = [&choices](int, int, sCellEditInfo& info)
    {
        info.m_nEditorKind = CELL_EDITOR_DROPDOWN;
        info.m_arrChoices = choices;
    };
    choices = {"10", "20", "30"};
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    CInPlaceCombo* combo = CInPlaceCombo::GetInstance();
    ASSERT_NE(combo->m_hWnd, nullptr);
    EXPECT_EQ(combo->GetWindowText(), "10");
    CRect line;
    m_grid.CListCtrl::GetItemRect(1, &line, LVIR_BOUNDS);
    combo->SendMessage(CB_SHOWDROPDOWN, TRUE);
    RECT dropped{};
    combo->SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    CRect field;
    combo->GetWindowRect(&field);
    const int item = static_cast<int>(combo->SendMessage(CB_GETITEMHEIGHT, 0));
    EXPECT_EQ(dropped.bottom - dropped.top, field.Height() + 3 * item + 2) << "every choice shows";
    combo->SendMessage(CB_SHOWDROPDOWN, FALSE);
    m_driver.Pump();

    choices.assign(10000, "x");
    for (std::size_t i = 0; i < choices.size(); ++i)
        choices[i] = std::to_string(100000 + i);
    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    ASSERT_NE(combo->m_hWnd, nullptr);
    combo->SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_LE(dropped.bottom - dropped.top, line.Height() * 12)
        << "never more than eleven lines below the cell";
    EXPECT_GT(dropped.bottom - dropped.top, line.Height() * 11 - item);
    EXPECT_EQ(combo->GetCount(), 10000);

    // Too narrow a column takes no drop-down.
    m_grid.SetFocus();
    m_driver.Pump();
    m_grid.CListCtrl::SetColumnWidth(1, 8);
    m_grid.m_nEditLine = 1;
    sCellEditInfo info;
    info.m_nEditorKind = CELL_EDITOR_DROPDOWN;
    EXPECT_FALSE(m_grid.OpenEditor(1, 1, "10", info));
}

TEST_F(MultiLineEditTest, PickerStartsAtTheCellsTimeOrDate)
{
    m_owner.answer = [](int, int, sCellEditInfo& info) { info.m_nEditorKind = CELL_EDITOR_DATETIME; };
    m_sections[0]->m_arrRows[0]->m_strValue = "10:30:05 PM";
    m_sections[0]->m_arrRows[1]->m_strValue = "07/03/2024";
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    CInPlaceDTPicker* picker = CInPlaceDTPicker::GetInstance();
    ASSERT_NE(picker->m_hWnd, nullptr);
    EXPECT_TRUE(picker->IsTimeMode());
    EXPECT_EQ(picker->GetWindowText(), "22:30:05");
    EXPECT_EQ(Focus(), picker->m_hWnd);
    CRect box;
    picker->GetWindowRect(&box);
    CRect line;
    m_grid.CListCtrl::GetItemRect(1, &line, LVIR_BOUNDS);
    EXPECT_EQ(box.Height(), line.Height() + 5);

    m_driver.Click(m_grid.m_hWnd, CellPoint(2, 1));
    m_driver.Pump();
    ASSERT_NE(picker->m_hWnd, nullptr);
    EXPECT_FALSE(picker->IsTimeMode());
    EXPECT_EQ(picker->GetWindowText(), "07/03/2024");
    ASSERT_EQ(m_owner.answers.size(), 1u);
    EXPECT_EQ(m_owner.answers[0].text, "22:30:05");

    m_sections[0]->m_arrRows[0]->m_strValue = "12:15:00 AM";
    m_grid.SetFocus();
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    m_driver.Pump();
    EXPECT_EQ(picker->GetWindowText(), "00:15:00") << "12 AM is midnight";
}

TEST_F(MultiLineEditTest, ScrollingEndsTheEditAndLongTextsFit)
{
    m_sections[0]->m_arrRows[0]->m_strValue = std::string(5000, '7');
    m_driver.Click(m_grid.m_hWnd, CellPoint(1, 1));
    CInPlaceEdit* edit = CInPlaceEdit::GetInstance();
    ASSERT_NE(edit->m_hWnd, nullptr);
    EXPECT_EQ(edit->GetWindowText().size(), 5000u);
    m_grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    m_driver.Pump();
    EXPECT_EQ(edit->m_hWnd, nullptr);
    ASSERT_EQ(m_owner.answers.size(), 1u);
    EXPECT_EQ(m_owner.answers[0].text.size(), 5000u);
}

} // namespace
