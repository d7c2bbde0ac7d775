// The built-in static, button and edit controls driven as a user would drive them.
#include "winlib/Controls.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

class Host : public CWnd
{
public:
    std::vector<std::pair<int, UINT>> m_commands; // control id, notification code

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        m_commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }
    int Count(int id, UINT code) const
    {
        return static_cast<int>(std::count(m_commands.begin(), m_commands.end(), std::make_pair(id, code)));
    }
};

class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0));
    }
    winlib::testing::Driver m_driver;
    Host m_host;
};

TEST_F(ControlTest, APushButtonClicksOnlyWhenReleasedInside)
{
    CButton button;
    ASSERT_TRUE(button.Create("OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 35), &m_host, 1));
    m_driver.Click(button.m_hWnd, CPoint(5, 5));
    EXPECT_EQ(m_host.Count(1, BN_CLICKED), 1);
    EXPECT_EQ(CWnd::GetFocus(), &button) << "a click takes the focus";

    m_driver.MouseDown(button.m_hWnd, CPoint(5, 5));
    EXPECT_TRUE(button.GetState() & BST_PUSHED);
    m_driver.MouseMove(button.m_hWnd, CPoint(200, 5));
    EXPECT_FALSE(button.GetState() & BST_PUSHED) << "dragged off: released look";
    m_driver.MouseUp(button.m_hWnd, CPoint(200, 5));
    EXPECT_EQ(m_host.Count(1, BN_CLICKED), 1) << "released outside: no click";

    m_driver.Press(VK_SPACE);
    EXPECT_EQ(m_host.Count(1, BN_CLICKED), 2) << "Space clicks the focused button";

    button.EnableWindow(FALSE);
    m_driver.Click(button.m_hWnd, CPoint(5, 5));
    EXPECT_EQ(m_host.Count(1, BN_CLICKED), 2) << "a disabled button gets no mouse";
}

TEST_F(ControlTest, CheckBoxesAndRadioButtonsKeepTheirState)
{
    CButton check;
    ASSERT_TRUE(check.Create("Check", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 120, 30), &m_host, 2));
    m_driver.Click(check.m_hWnd, CPoint(3, 3));
    EXPECT_EQ(check.GetCheck(), BST_CHECKED);
    m_driver.Click(check.m_hWnd, CPoint(3, 3));
    EXPECT_EQ(check.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(m_host.Count(2, BN_CLICKED), 2);

    CButton one;
    CButton two;
    ASSERT_TRUE(one.Create("One", WS_CHILD | WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 40, 120, 60), &m_host, 3));
    ASSERT_TRUE(two.Create("Two", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, CRect(10, 70, 120, 90), &m_host, 4));
    m_driver.Click(one.m_hWnd, CPoint(3, 3));
    m_driver.Click(two.m_hWnd, CPoint(3, 3));
    EXPECT_EQ(one.GetCheck(), BST_UNCHECKED) << "one choice per group";
    EXPECT_EQ(two.GetCheck(), BST_CHECKED);
}

class OwnDrawnButton : public CButton
{
public:
    std::vector<UINT> m_states;
    void DrawItem(LPDRAWITEMSTRUCT dis) override { m_states.push_back(dis->itemState); }
};

TEST_F(ControlTest, AnOwnerDrawnButtonDrawsItselfThroughReflection)
{
    OwnDrawnButton button;
    ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 50, 30), &m_host, 5));
    m_driver.Pump();
    ASSERT_FALSE(button.m_states.empty());
    button.m_states.clear();
    m_driver.MouseDown(button.m_hWnd, CPoint(2, 2));
    ASSERT_FALSE(button.m_states.empty());
    EXPECT_EQ(button.m_states.back() & (ODS_SELECTED | ODS_FOCUS), ODS_SELECTED | ODS_FOCUS);
    m_driver.MouseUp(button.m_hWnd, CPoint(2, 2));
    EXPECT_FALSE(button.m_states.back() & ODS_SELECTED);
}

class EditTest : public ControlTest
{
protected:
    void Make(DWORD style)
    {
        ASSERT_TRUE(m_edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | style, CRect(10, 10, 210, 34), &m_host, 10));
        m_edit.SetFocus();
    }
    CEdit m_edit;
};

TEST_F(EditTest, TypingSelectingAndReplacing)
{
    Make(ES_AUTOHSCROLL);
    m_driver.Type("Hello world");
    EXPECT_EQ(m_edit.GetWindowText(), "Hello world");
    EXPECT_EQ(m_host.Count(10, EN_CHANGE), 11);

    m_edit.SetSel(0, 5);
    int start = -1;
    int end = -1;
    m_edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 5);
    m_driver.Type("Goodbye");
    EXPECT_EQ(m_edit.GetWindowText(), "Goodbye world");

    m_driver.Press(VK_HOME);
    m_driver.Press(VK_RIGHT, winlib::testing::Shift);
    m_driver.Press(VK_RIGHT, winlib::testing::Shift);
    m_edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 2);
    m_driver.Press(VK_DELETE);
    EXPECT_EQ(m_edit.GetWindowText(), "odbye world");
    m_driver.Type("\b");
    EXPECT_EQ(m_edit.GetWindowText(), "odbye world") << "backspace at the start deletes nothing";
    m_edit.SetSel(-1, 0);
    m_edit.ReplaceSel("X");
    EXPECT_EQ(m_edit.GetWindowText(), "Xodbye world");
    EXPECT_FALSE(m_edit.CanUndo()) << "ReplaceSel without undo leaves nothing to undo";
}

TEST_F(EditTest, LimitsAndReadOnly)
{
    Make(ES_AUTOHSCROLL);
    m_edit.LimitText(4);
    m_driver.Type("123456");
    EXPECT_EQ(m_edit.GetWindowText(), "1234");
    EXPECT_GE(m_host.Count(10, EN_MAXTEXT), 1);

    m_edit.SetReadOnly(TRUE);
    m_driver.Type("z");
    EXPECT_EQ(m_edit.GetWindowText(), "1234");
    EXPECT_FALSE(m_driver.Observed().beeps.empty()) << "typing into a read-only edit beeps";
}

TEST_F(EditTest, WithoutAutoScrollTheTextStopsAtTheWidth)
{
    Make(0);
    // 200 pixels less the border and margins hold 32 characters of 6 pixels.
    m_driver.Type(std::string(40, 'w'));
    EXPECT_EQ(m_edit.GetWindowTextLength(), 32);
}

TEST_F(EditTest, ClipboardCutCopyPasteAndUndo)
{
    Make(ES_AUTOHSCROLL);
    m_driver.Type("alpha beta");
    m_edit.SetSel(0, 5);
    m_driver.Press('C', winlib::testing::Ctrl);
    m_driver.Type(std::string(1, '\x03'));
    ASSERT_FALSE(m_driver.Observed().clipboardWrites.empty());
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "alpha");
    m_edit.SetSel(10, 10);
    m_edit.Paste();
    EXPECT_EQ(m_edit.GetWindowText(), "alpha betaalpha");
    EXPECT_TRUE(m_edit.Undo());
    EXPECT_EQ(m_edit.GetWindowText(), "alpha beta");
    m_edit.SetSel(6, 10);
    m_edit.Cut();
    EXPECT_EQ(m_edit.GetWindowText(), "alpha ");
    EXPECT_EQ(m_driver.Observed().clipboardWrites.back(), "beta");
}

TEST_F(EditTest, MultiLineTextKeepsCarriageReturnLineFeed)
{
    ASSERT_TRUE(m_edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL,
                              CRect(10, 10, 210, 110), &m_host, 11));
    m_edit.SetFocus();
    m_driver.Type("one\ntwo\nthree");
    EXPECT_EQ(m_edit.GetWindowText(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(m_edit.GetLineCount(), 3);
    EXPECT_EQ(m_edit.LineIndex(2), 10);
    EXPECT_EQ(m_edit.LineLength(5), 3) << "the line holding character 5";
    m_driver.Press(VK_UP);
    m_driver.Press(VK_HOME);
    m_driver.Type(">");
    EXPECT_EQ(m_edit.GetWindowText(), "one\r\n>two\r\nthree");
}

TEST_F(EditTest, AClickPlacesTheCaretUnderTheMouse)
{
    Make(ES_AUTOHSCROLL);
    m_driver.Type("abcdefgh");
    // Characters are 6 pixels wide after a 1-pixel margin: x = 1 + 3 * 6 is before 'd'.
    m_driver.Click(m_edit.m_hWnd, CPoint(1 + 3 * 6 + 1, 5));
    m_driver.Type("-");
    EXPECT_EQ(m_edit.GetWindowText(), "abc-defgh");
    m_driver.DoubleClick(m_edit.m_hWnd, CPoint(1 + 6 * 6, 5));
    int start = 0;
    int end = 0;
    m_edit.GetSel(start, end);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 9) << "a double click selects the word";
}

TEST_F(ControlTest, AStaticPassesClicksThroughUnlessItNotifies)
{
    CStatic quiet;
    ASSERT_TRUE(quiet.Create("quiet", WS_CHILD | WS_VISIBLE, CRect(10, 10, 100, 30), &m_host, 20));
    CPoint onLabel(20, 15);
    m_host.ClientToScreen(&onLabel);
    EXPECT_EQ(CWnd::WindowFromPoint(onLabel), &m_host) << "a plain static is transparent to the mouse";
    CStatic notifying;
    ASSERT_TRUE(notifying.Create("loud", WS_CHILD | WS_VISIBLE | SS_NOTIFY, CRect(10, 40, 100, 60), &m_host, 21));
    m_driver.Click(notifying.m_hWnd, CPoint(5, 5));
    EXPECT_EQ(m_host.Count(21, STN_CLICKED), 1);
}

} // namespace
