// The in-place editors over a list, as the user ends them: Enter keeps what was typed, Escape
// gives back the starting text, Tab and the arrows ask the list for the next or previous cell,
// and leaving the editor reports to the list and closes the editor's window. Also what each
// editor refuses (characters, pastes) and what it is given too much of.
#include "controls/InPlaceCombo.h"
#include "controls/InPlaceDTPicker.h"
#include "controls/InPlaceEdit.h"
#include "controls/InPlaceEditing.h"
#include "controls/InPlacePriceEdit.h"
#include "winlib/Api.h"
#include "winlib/ListCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

constexpr UINT kListId = 4001;
constexpr UINT kEditorId = 77;

struct EditResult
{
    HWND from;
    UINT_PTR id;
    int row;
    int column;
    std::string text;
};

// A list that keeps what its editors tell it.
class TestList : public CListCtrl
{
public:
    std::vector<EditResult> results;
    std::vector<UINT> moves;

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_NOTIFY)
        {
            const auto* info = reinterpret_cast<const NMLVDISPINFO*>(lParam);
            if (info->hdr.code == LVN_ENDLABELEDIT)
            {
                results.push_back({info->hdr.hwndFrom, info->hdr.idFrom, info->item.iItem, info->item.iSubItem,
                                   std::string(info->item.pszText, static_cast<std::size_t>(info->item.cchTextMax))});
                *result = 1;
                return TRUE;
            }
        }
        return CListCtrl::OnChildNotify(message, wParam, lParam, result);
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_INPLACE_NEXT_CELL || message == WM_INPLACE_PREVIOUS_CELL)
        {
            moves.push_back(message);
            *result = 0;
            return TRUE;
        }
        return CListCtrl::OnWndMsg(message, wParam, lParam, result);
    }
};

void PutOnClipboard(const std::string& text)
{
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_TEXT, memory);
    ::CloseClipboard();
}

class InPlaceEditorsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 600, 400), nullptr, 0));
        ASSERT_TRUE(m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 600, 400), &m_parent, kListId));
        m_list.SetFocus();
    }
    void TearDown() override
    {
        CInPlaceEdit::DeleteInstance();
        CInPlacePriceEdit::DeleteInstance();
        CInPlaceCombo::DeleteInstance();
        CInPlaceDTPicker::DeleteInstance();
    }
    CInPlaceEdit* OpenEdit(const std::string& text, const std::string& accepted = "0123456789", int column = 1)
    {
        CInPlaceEdit* edit = CInPlaceEdit::GetInstance();
        EXPECT_TRUE(edit->ShowEditCtrl(0x1C1, CRect(10, 20, 110, 40), &m_list, kEditorId, 3, column, accepted, text,
                                       &m_list));
        return edit;
    }

    winlib::testing::Driver m_driver;
    CWnd m_parent;
    TestList m_list;
};

TEST_F(InPlaceEditorsTest, EditEndsWithEnterEscapeOrTheFocusLeaving)
{
    CInPlaceEdit* edit = OpenEdit("12");
    ASSERT_NE(edit->m_hWnd, nullptr);
    const HWND window = edit->m_hWnd;
    EXPECT_EQ(::GetFocus(), window);
    m_driver.Type("345");
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "345") << "the whole text was selected and typed over";
    EXPECT_EQ(m_list.results[0].from, m_list.m_hWnd);
    EXPECT_EQ(m_list.results[0].id, kEditorId);
    EXPECT_EQ(m_list.results[0].row, 3);
    EXPECT_EQ(m_list.results[0].column, 1);
    EXPECT_FALSE(::IsWindow(window)) << "the window goes, the object stays";
    EXPECT_EQ(CInPlaceEdit::GetInstance(), edit);

    OpenEdit("12");
    m_driver.Type("99");
    m_driver.Press(VK_ESCAPE);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 2u);
    EXPECT_EQ(m_list.results[1].text, "12");

    OpenEdit("5");
    m_parent.SetFocus();
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 3u);
    EXPECT_EQ(m_list.results[2].text, "5");
    EXPECT_TRUE(m_list.moves.empty());
}

TEST_F(InPlaceEditorsTest, EditRefusesCharactersAndPastesOutsideItsSet)
{
    CInPlaceEdit* edit = OpenEdit("");
    m_driver.Type("4x2");
    EXPECT_EQ(edit->GetWindowText(), "42");
    EXPECT_EQ(m_driver.Observed().beeps.size(), 1u);
    EXPECT_EQ(m_driver.Observed().beeps[0].messageBeepType, static_cast<UINT>(MB_ICONEXCLAMATION));
    m_driver.Type("\b");
    EXPECT_EQ(edit->GetWindowText(), "4");

    PutOnClipboard("7a");
    m_driver.Type("\x16"); // Ctrl+V
    EXPECT_EQ(edit->GetWindowText(), "4");
    PutOnClipboard("789");
    m_driver.Type("\x16"); // Ctrl+V
    EXPECT_EQ(edit->GetWindowText(), "4789");
    EXPECT_EQ(m_driver.Observed().beeps.size(), 1u) << "a refused paste does not beep";

    // With no set of accepted characters everything may be typed, and nothing pasted.
    m_list.SetFocus();
    edit = OpenEdit("", "");
    m_driver.Type("a1");
    m_driver.Type("\x16"); // Ctrl+V
    EXPECT_EQ(edit->GetWindowText(), "a1");
}

TEST_F(InPlaceEditorsTest, TabAndArrowsAskForAnotherCell)
{
    OpenEdit("1");
    m_driver.Press(VK_TAB);
    m_driver.Pump();
    OpenEdit("1");
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    m_driver.Pump();
    OpenEdit("1");
    m_driver.Press(VK_DOWN);
    m_driver.Pump();
    OpenEdit("1");
    m_driver.Press(VK_UP);
    m_driver.Pump();
    EXPECT_EQ(m_list.moves, (std::vector<UINT>{WM_INPLACE_NEXT_CELL, WM_INPLACE_PREVIOUS_CELL, WM_INPLACE_NEXT_CELL,
                                                WM_INPLACE_PREVIOUS_CELL}));
    EXPECT_EQ(m_list.results.size(), 4u) << "each move first ends the edit";
}

TEST_F(InPlaceEditorsTest, ArrowsStepTheNumberInColumnSeven)
{
    CInPlaceEdit* edit = OpenEdit("25", "0123456789", 7);
    m_driver.Press(VK_UP);
    EXPECT_EQ(edit->GetWindowText(), "50");
    edit->SetWindowText("1");
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(edit->GetWindowText(), "1");
    edit->SetWindowText("3");
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(edit->GetWindowText(), "1");
    EXPECT_TRUE(m_list.moves.empty());
    EXPECT_TRUE(m_list.results.empty()) << "the edit goes on";

    CInPlacePriceEdit* price = CInPlacePriceEdit::GetInstance();
    m_list.SetFocus();
    ASSERT_TRUE(price->ShowPriceEditCtrl(0x1C1, CRect(10, 20, 110, 40), &m_list, kEditorId, 0, 7, "0123456789.-,",
                                         "25", &m_list));
    m_driver.Press(VK_UP);
    EXPECT_EQ(price->GetWindowText(), "50");
}

TEST_F(InPlaceEditorsTest, ClickingAnotherCellWhileAnEditCloses)
{
    // A new edit asked for before the old window's close came through gets a window of its own.
    OpenEdit("1");
    m_list.SetFocus(); // ends the edit; its close is still queued
    CInPlaceEdit* edit = OpenEdit("2");
    m_driver.Pump();
    ASSERT_NE(edit->m_hWnd, nullptr);
    EXPECT_EQ(edit->GetWindowText(), "2");
    EXPECT_EQ(::GetFocus(), edit->m_hWnd);
}

TEST_F(InPlaceEditorsTest, AnEditEndsOnceWhileItsWindowWaitsToClose)
{
    CInPlaceEdit* edit = OpenEdit("12");
    m_driver.Type("3");
    m_list.SetFocus(); // ends the edit; its close is still queued
    ASSERT_EQ(m_list.results.size(), 1u);
    // The window, still there, takes the focus and loses it again before it closes.
    edit->SetFocus();
    m_driver.Type("4");
    m_list.SetFocus();
    m_driver.Pump();
    EXPECT_EQ(m_list.results.size(), 1u) << "the list hears of an edit once";
    EXPECT_EQ(m_list.results[0].text, "3");
    EXPECT_EQ(edit->m_hWnd, nullptr);
}

TEST_F(InPlaceEditorsTest, AnOpenEditorTakesTheNextEditInItsWindow)
{
    CInPlaceEdit* edit = OpenEdit("12");
    const HWND window = edit->m_hWnd;
    ASSERT_TRUE(edit->ShowEditCtrl(0x1C1, CRect(10, 60, 90, 80), &m_list, kEditorId, 6, 2, "0123456789", "34",
                                   &m_list));
    EXPECT_EQ(edit->m_hWnd, window);
    EXPECT_EQ(edit->GetWindowText(), "34");
    CRect box;
    edit->GetWindowRect(&box);
    m_list.ScreenToClient(&box);
    EXPECT_EQ(box, CRect(10, 60, 90, 80));
    EXPECT_EQ(::GetFocus(), window);
    m_driver.Type("5"); // over the whole text, selected again
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_FALSE(m_list.results.empty());
    EXPECT_EQ(m_list.results.back().row, 6);
    EXPECT_EQ(m_list.results.back().column, 2);
    EXPECT_EQ(m_list.results.back().text, "5");
}

TEST_F(InPlaceEditorsTest, EveryEditorWritesInTheListsFont)
{
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(140, "Courier New"));
    m_list.SetFont(&font);
    const auto fontOf = [](CWnd* editor) { return editor->SendMessage(WM_GETFONT); };
    const LRESULT listFont = fontOf(&m_list);
    ASSERT_NE(listFont, 0);

    EXPECT_EQ(fontOf(OpenEdit("1")), listFont);
    m_list.SetFocus();
    CInPlacePriceEdit* price = CInPlacePriceEdit::GetInstance();
    ASSERT_TRUE(price->ShowPriceEditCtrl(0x1C1, CRect(10, 20, 160, 40), &m_list, kEditorId, 0, 1,
                                         "0123456789.-,", "1", &m_list));
    EXPECT_EQ(fontOf(price), listFont);
    m_list.SetFocus();
    CInPlaceCombo* combo = CInPlaceCombo::GetInstance();
    ASSERT_TRUE(
        combo->ShowComboCtrl(0x508009C3, CRect(10, 20, 160, 200), &m_list, kEditorId, 0, 1, {"a"}, "a", -1));
    EXPECT_EQ(fontOf(combo), listFont);
    m_list.SetFocus();
    CInPlaceDTPicker* picker = CInPlaceDTPicker::GetInstance();
    ASSERT_TRUE(picker->ShowDateTimeCtrl(0, CRect(10, 20, 160, 45), &m_list, kEditorId, 0, 1,
                                         CTime(2024, 3, 7, 0, 0, 0)));
    EXPECT_EQ(fontOf(picker), listFont);
}

TEST_F(InPlaceEditorsTest, PriceEditShowsItsTextGroupedAndInItsColours)
{
    CInPlacePriceEdit* price = CInPlacePriceEdit::GetInstance();
    ASSERT_TRUE(price->ShowPriceEditCtrl(0x1C1, CRect(10, 20, 160, 40), &m_list, kEditorId, 2, 1, "0123456789.-,",
                                         "  1234567.5 ", &m_list));
    EXPECT_EQ(price->GetWindowText(), "1,234,567.5");
    CDC* dc = price->GetDC();
    const auto brush = reinterpret_cast<HBRUSH>(
        m_list.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc->m_hDC), reinterpret_cast<LPARAM>(price->m_hWnd)));
    EXPECT_EQ(brush, price->m_brBackground.GetSafeHandle());
    EXPECT_EQ(dc->GetTextColor(), RGB(139, 69, 19));
    EXPECT_EQ(dc->GetBkColor(), RGB(238, 232, 170));
    price->ReleaseDC(dc);

    m_driver.Type("9");
    EXPECT_EQ(price->GetWindowText(), "9.00") << "typing over the selected text";
    m_driver.Press(VK_ESCAPE);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "1234567.5");

    // A whole number is grouped without a point, and Enter gives back the same number.
    ASSERT_TRUE(price->ShowPriceEditCtrl(0x1C1, CRect(10, 20, 160, 40), &m_list, kEditorId, 2, 1,
                                         "0123456789.-,", "853000000", &m_list));
    EXPECT_EQ(price->GetWindowText(), "853,000,000");
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 2u);
    EXPECT_EQ(m_list.results[1].text, "853,000,000");
}

TEST_F(InPlaceEditorsTest, ComboStartsOnTheMatchingChoiceAndEndsWhenItsListCloses)
{
    CInPlaceCombo* combo = CInPlaceCombo::GetInstance();
    ASSERT_TRUE(combo->ShowComboCtrl(0x508009C3, CRect(10, 20, 160, 200), &m_list, kEditorId, 4, 1,
                                     {"Sell", "Buy", "Both"}, "Bu", -1));
    EXPECT_EQ(::GetFocus(), combo->m_hWnd);
    EXPECT_EQ(combo->GetWindowText(), "Buy");
    EXPECT_EQ(combo->GetCount(), 3);

    // Opened and closed again by the keys: the chosen line is the result.
    m_driver.Press(VK_F4);
    ASSERT_TRUE(combo->SendMessage(CB_GETDROPPEDSTATE));
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "Sell"); // the choices are sorted: Both, Buy, Sell
    EXPECT_EQ(m_list.results[0].row, 4);

    ASSERT_TRUE(combo->ShowComboCtrl(0x508009C3, CRect(10, 20, 160, 200), &m_list, kEditorId, 4, 1,
                                     {"Sell", "Buy"}, "Sell", -1));
    m_driver.Press(VK_DOWN); // Buy -> Sell... then Escape gives back the start
    m_driver.Press(VK_ESCAPE);
    m_driver.Type("\x1b");
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 2u);
    EXPECT_EQ(m_list.results[1].text, "Sell");

    ASSERT_TRUE(combo->ShowComboCtrl(0x508009C3, CRect(10, 20, 160, 200), &m_list, kEditorId, 4, 1, {"a", "b"}, "",
                                     -1));
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    m_driver.Pump();
    EXPECT_EQ(m_list.moves, std::vector<UINT>{WM_INPLACE_PREVIOUS_CELL});
    EXPECT_EQ(m_list.results.back().text, "a") << "an empty text starts on the first choice";
}

TEST_F(InPlaceEditorsTest, ComboTakesTenThousandChoices)
{
    std::vector<std::string> choices;
    for (int i = 0; i < 10000; ++i)
        choices.push_back("choice " + std::to_string(100000 + i));
    CInPlaceCombo* combo = CInPlaceCombo::GetInstance();
    ASSERT_TRUE(combo->ShowComboCtrl(0x508009C3, CRect(10, 20, 160, 200), &m_list, kEditorId, 0, 1, choices,
                                     "choice 109999", -1));
    EXPECT_EQ(combo->GetCount(), 10000);
    EXPECT_EQ(combo->GetWindowText(), "choice 109999");
    m_driver.Press(VK_F4);
    m_driver.Press(VK_END);
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "choice 109999");
}

class InPlaceDTPickerTest : public InPlaceEditorsTest
{
protected:
    CInPlaceDTPicker* Open(DWORD style, const CTime& value)
    {
        CInPlaceDTPicker* picker = CInPlaceDTPicker::GetInstance();
        picker->m_pOwnerList = &m_list;
        EXPECT_TRUE(picker->ShowDateTimeCtrl(style, CRect(10, 20, 160, 45), &m_list, kEditorId, 5, 1, value));
        picker->SetFocus();
        return picker;
    }
};

TEST_F(InPlaceDTPickerTest, TypedDateIsReportedInFullForm)
{
    CInPlaceDTPicker* picker = Open(0, CTime(2020, 1, 1, 0, 0, 0));
    EXPECT_FALSE(picker->IsTimeMode());
    m_driver.Type("7");
    m_driver.Type("3");
    m_driver.Type("2024");
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "07/03/2024");
    EXPECT_EQ(m_list.results[0].row, 5);
    EXPECT_EQ(picker->NormalisedText("7/3/2024"), "07/03/2024");
    EXPECT_EQ(picker->NormalisedText("31/2/2024"), "31/2/2024") << "no such day: left as it was";
}

TEST_F(InPlaceDTPickerTest, LeavingForTheCalendarDoesNotEndTheEdit)
{
    CInPlaceDTPicker* picker = Open(0, CTime(2024, 3, 7, 0, 0, 0));
    m_driver.Press(VK_F4);
    const HWND calendar = picker->GetMonthCalHandle();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(m_list.results.empty());
    EXPECT_TRUE(::IsWindow(picker->m_hWnd));
    m_driver.Press(VK_RIGHT);
    m_driver.Press(VK_RETURN); // picks 8 March; the focus is back in the picker
    m_driver.Pump();
    EXPECT_TRUE(m_list.results.empty());
    EXPECT_EQ(::GetFocus(), picker->m_hWnd);
    m_driver.Press(VK_TAB);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "08/03/2024");
    EXPECT_EQ(m_list.moves, std::vector<UINT>{WM_INPLACE_NEXT_CELL});
}

TEST_F(InPlaceDTPickerTest, EscapeReportsTheStartingTime)
{
    Open(DTS_TIMEFORMAT, CTime(2024, 3, 7, 9, 30, 15));
    m_driver.Press(VK_UP);
    m_driver.Press(VK_ESCAPE);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 1u);
    EXPECT_EQ(m_list.results[0].text, "09:30:15");

    Open(DTS_TIMEFORMAT, CTime(2024, 3, 7, 9, 30, 15));
    m_driver.Press(VK_UP);
    m_driver.Press(VK_TAB, winlib::testing::Shift);
    m_driver.Pump();
    ASSERT_EQ(m_list.results.size(), 2u);
    EXPECT_EQ(m_list.results[1].text, "10:30:15");
    EXPECT_EQ(m_list.moves, std::vector<UINT>{WM_INPLACE_PREVIOUS_CELL});
}

} // namespace
