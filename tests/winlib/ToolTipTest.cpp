// The tooltip control: tools by rectangle and by window, text given or asked for in the
// single-byte and the wide form, the delays on the library's clock, and the tooltips of
// windows that call EnableToolTips.
#include "winlib/ToolTip.h"
#include "winlib/Controls.h"
#include "winlib/Menu.h"
#include "winlib/Modal.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace
{

struct Notice
{
    UINT code;
    UINT_PTR id;
};

// A window whose tools the tests place; it relays its mouse messages like a dialog would
// and answers the tooltip's text requests.
class ToolHost : public CWnd
{
public:
    CToolTipCtrl* m_tip = nullptr;
    bool m_wide = false; // answers WM_NOTIFYFORMAT with NFR_UNICODE
    std::string m_answer = "Callback";
    bool m_keep = false; // answers with TTF_DI_SETITEM
    std::vector<Notice> m_notices;

    int Count(UINT code) const
    {
        return static_cast<int>(std::count_if(m_notices.begin(), m_notices.end(),
                                              [code](const Notice& n) { return n.code == code; }));
    }

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (m_tip && m_tip->m_hWnd)
            m_tip->RelayEvent(msg);
        return CWnd::PreTranslateMessage(msg);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFYFORMAT && lParam == NF_QUERY)
            return m_wide ? NFR_UNICODE : NFR_ANSI;
        return CWnd::WindowProc(message, wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        m_notices.push_back(Notice{header->code, header->idFrom});
        if (header->code == TTN_GETDISPINFOA)
        {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            const std::string text = m_answer + " " + std::to_string(header->idFrom);
            std::snprintf(info->szText, sizeof info->szText, "%s", text.c_str());
            if (m_keep)
                info->uFlags |= TTF_DI_SETITEM;
            return TRUE;
        }
        if (header->code == TTN_GETDISPINFOW)
        {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            static const wchar_t wide[] = L"Wide \u00e9t\u00e9";
            info->lpszText = const_cast<wchar_t*>(wide);
            return TRUE;
        }
        return CWnd::OnNotify(wParam, lParam, result);
    }
};

class ToolTipTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.CreateEx(0, nullptr, "Host", WS_POPUP | WS_VISIBLE, CRect(200, 100, 600, 400),
                                    nullptr, 0));
        ASSERT_TRUE(m_tip.Create(&m_host));
        m_host.m_tip = &m_tip;
    }
    bool Shown() const { return IsWindowVisible(m_tip.m_hWnd) != FALSE; }
    // The colour the tip's client area was filled with (its border is drawn apart).
    COLORREF Background()
    {
        CRect client;
        GetClientRect(m_tip.m_hWnd, &client);
        for (const winlib::DrawOp& op : m_driver.Fills(m_tip.m_hWnd))
        {
            if (op.local == client)
                return op.color;
        }
        return CLR_INVALID;
    }
    std::vector<std::string> Painted() { return m_driver.TextStrings(m_tip.m_hWnd); }

    winlib::testing::Driver m_driver{winlib::HeadlessDrawing::Recording};
    ToolHost m_host;
    CToolTipCtrl m_tip;
};

TEST_F(ToolTipTest, ARectangleToolShowsItsTipOnlyAfterTheMouseRestsForTheInitialDelay)
{
    const CRect tool(10, 10, 110, 40);
    ASSERT_TRUE(m_tip.AddTool(&m_host, "Hello", &tool, 7));
    EXPECT_EQ(m_tip.GetToolCount(), 1);
    EXPECT_EQ(m_tip.GetDelayTime(TTDT_INITIAL), 500);
    EXPECT_EQ(m_tip.GetDelayTime(TTDT_AUTOPOP), 5000);
    const DWORD style = static_cast<DWORD>(GetWindowLong(m_tip.m_hWnd, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(GetParent(m_tip.m_hWnd), m_host.m_hWnd) << "owned by its parent, a popup of its own";

    m_driver.MouseMove(m_host.m_hWnd, CPoint(20, 20));
    m_driver.AdvanceClock(300);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(30, 20)); // still moving: the wait starts again
    m_driver.AdvanceClock(300);
    EXPECT_FALSE(Shown());
    m_driver.AdvanceClock(199);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(m_host.Count(TTN_SHOW), 0);
    m_driver.AdvanceClock(1);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(m_host.Count(TTN_SHOW), 1);
    EXPECT_EQ(m_host.m_notices.back().id, 7u);

    // Painted in the info colours, sized to the text, just below the cursor.
    EXPECT_EQ(Painted(), (std::vector<std::string>{"Hello"}));
    const std::vector<winlib::DrawOp> texts = m_driver.Texts(m_tip.m_hWnd);
    EXPECT_EQ(texts.front().color, GetSysColor(COLOR_INFOTEXT));
    EXPECT_EQ(Background(), GetSysColor(COLOR_INFOBK));
    CRect tipRect;
    GetWindowRect(m_tip.m_hWnd, &tipRect);
    CPoint cursor(30, 20);
    m_host.ClientToScreen(&cursor);
    EXPECT_EQ(tipRect.left, cursor.x);
    EXPECT_GT(tipRect.top, cursor.y);
    EXPECT_LT(tipRect.top, cursor.y + 32);
    EXPECT_GE(tipRect.Width(), texts.front().full.Width());
    EXPECT_LE(tipRect.Width(), texts.front().full.Width() + 12);
    EXPECT_EQ(GetActiveWindow(), m_host.m_hWnd) << "the tip never takes the activation";

    m_driver.MouseMove(m_host.m_hWnd, CPoint(40, 25));
    EXPECT_TRUE(Shown()) << "moving within the tool keeps the tip";
    m_driver.MouseMove(m_host.m_hWnd, CPoint(200, 200));
    EXPECT_FALSE(Shown()) << "leaving the tool hides it";
    EXPECT_EQ(m_host.Count(TTN_POP), 1);
}

TEST_F(ToolTipTest, TheTipGoesOnAClickAndAfterTheAutoPopTimeUntilTheMouseComesBack)
{
    const CRect tool(10, 10, 110, 40);
    m_tip.AddTool(&m_host, "Hello", &tool, 1);
    m_tip.SetDelayTime(200);
    EXPECT_EQ(m_tip.GetDelayTime(TTDT_AUTOPOP), 2000);
    EXPECT_EQ(m_tip.GetDelayTime(TTDT_RESHOW), 40);

    m_driver.MouseMove(m_host.m_hWnd, CPoint(20, 20));
    m_driver.AdvanceClock(200);
    ASSERT_TRUE(Shown());
    m_driver.Click(m_host.m_hWnd, CPoint(20, 20));
    EXPECT_FALSE(Shown()) << "a click hides the tip";
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown()) << "and it stays away while the mouse stays";

    m_driver.MouseMove(m_host.m_hWnd, CPoint(200, 200));
    m_driver.MouseMove(m_host.m_hWnd, CPoint(20, 20));
    m_driver.AdvanceClock(200);
    ASSERT_TRUE(Shown()) << "back on the tool: shown again";
    m_driver.AdvanceClock(1999);
    EXPECT_TRUE(Shown());
    m_driver.AdvanceClock(1);
    EXPECT_FALSE(Shown()) << "the auto-pop time has passed";
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(m_host.Count(TTN_SHOW), 2);
    EXPECT_EQ(m_host.Count(TTN_POP), 2);
}

TEST_F(ToolTipTest, APopupMenuTakesTheTipAwayAsItOpens)
{
    const CRect tool(10, 10, 110, 40);
    m_tip.AddTool(&m_host, "Hello", &tool, 1);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(20, 20));
    m_driver.AdvanceClock(500);
    ASSERT_TRUE(Shown());
    bool shownWhileOpen = true;
    m_driver.AnswerNextPopupMenu(0);
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 1, "Item");
    const winlib::ModalAnswerer driver = winlib::SetModalAnswerer(nullptr);
    winlib::SetModalAnswerer(
        [&](const winlib::ModalRequest& request)
        {
            shownWhileOpen = Shown();
            return driver(request);
        });
    menu.TrackPopupMenu(TPM_LEFTALIGN, 300, 200, &m_host);
    winlib::SetModalAnswerer(driver);
    EXPECT_FALSE(shownWhileOpen) << "no tip over the menu";
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown()) << "nor after it, while the mouse stays";
}

TEST_F(ToolTipTest, CallbackTextIsAskedInTheFormTheWindowWants)
{
    const CRect tool(0, 0, 100, 100);
    m_tip.AddTool(&m_host, LPSTR_TEXTCALLBACK, &tool, 3);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(5, 5));
    m_driver.AdvanceClock(500);
    EXPECT_EQ(Painted(), (std::vector<std::string>{"Callback 3"}));
    EXPECT_EQ(m_host.Count(TTN_GETDISPINFOA), 1);
    EXPECT_EQ(m_host.Count(TTN_GETDISPINFOW), 0);

    // Asked again on every show, unless the answer asked to be kept.
    m_host.m_answer = "Changed";
    m_host.m_keep = true;
    m_tip.Pop();
    m_driver.MouseMove(m_host.m_hWnd, CPoint(300, 200));
    m_driver.ClearDrawing();
    m_driver.MouseMove(m_host.m_hWnd, CPoint(5, 5));
    m_driver.AdvanceClock(500);
    EXPECT_EQ(Painted(), (std::vector<std::string>{"Changed 3"}));
    m_driver.MouseMove(m_host.m_hWnd, CPoint(300, 200));
    m_host.m_answer = "Ignored";
    m_driver.MouseMove(m_host.m_hWnd, CPoint(5, 5));
    m_driver.AdvanceClock(500);
    EXPECT_EQ(m_host.Count(TTN_GETDISPINFOA), 2) << "TTF_DI_SETITEM keeps the text";
    std::string text;
    m_tip.GetText(text, &m_host, 3);
    EXPECT_EQ(text, "Changed 3");
}

TEST_F(ToolTipTest, AWindowAnsweringUnicodeGetsTheWideRequest)
{
    m_host.m_wide = true;
    const CRect tool(0, 0, 100, 100);
    m_tip.AddTool(&m_host, LPSTR_TEXTCALLBACK, &tool, 4);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(5, 5));
    m_driver.AdvanceClock(500);
    EXPECT_EQ(m_host.Count(TTN_GETDISPINFOW), 1);
    EXPECT_EQ(m_host.Count(TTN_GETDISPINFOA), 0);
    EXPECT_EQ(Painted(), (std::vector<std::string>{"Wide \xe9t\xe9"})) << "shown in single-byte text";
}

TEST_F(ToolTipTest, SetToolRectMovesTheToolAndDelToolRemovesIt)
{
    const CRect first(0, 0, 50, 50);
    const CRect moved(200, 100, 260, 150);
    m_tip.AddTool(&m_host, "Moving", &first, 9);
    m_tip.SetToolRect(&m_host, 9, &moved);

    TOOLINFOA info{};
    EXPECT_FALSE(m_tip.HitTest(&m_host, CPoint(10, 10), &info));
    ASSERT_TRUE(m_tip.HitTest(&m_host, CPoint(210, 110), &info));
    EXPECT_EQ(info.uId, 9u);
    EXPECT_EQ(CRect(info.rect), moved);

    m_driver.MouseMove(m_host.m_hWnd, CPoint(10, 10));
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown()) << "nothing at the old place";
    m_driver.MouseMove(m_host.m_hWnd, CPoint(210, 110));
    m_driver.AdvanceClock(500);
    ASSERT_TRUE(Shown());

    m_tip.DelTool(&m_host, 9);
    EXPECT_FALSE(Shown()) << "deleting the tool on show takes its tip away";
    EXPECT_EQ(m_host.Count(TTN_POP), 1);
    EXPECT_EQ(m_tip.GetToolCount(), 0);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(215, 115));
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown());
}

TEST_F(ToolTipTest, AWholeWindowToolAnswersForItsChildThroughItsParent)
{
    CButton button;
    ASSERT_TRUE(
        button.Create("Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(50, 50, 150, 80), &m_host, 12));
    ASSERT_TRUE(m_tip.AddTool(&button));
    TOOLINFOA info{};
    char buffer[80] = {};
    info.lpszText = buffer;
    ASSERT_TRUE(m_tip.GetToolInfo(info, &button));
    EXPECT_TRUE(info.uFlags & TTF_IDISHWND);
    EXPECT_EQ(info.hwnd, m_host.m_hWnd);
    EXPECT_EQ(info.uId, reinterpret_cast<UINT_PTR>(button.m_hWnd));
    EXPECT_EQ(info.lpszText, LPSTR_TEXTCALLBACK);

    // Relayed directly, as a window procedure that is not the dialog's would do.
    MSG move{button.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3), 0, {0, 0}};
    m_tip.RelayEvent(&move);
    m_driver.AdvanceClock(500);
    ASSERT_TRUE(Shown());
    const std::string expected = "Callback " + std::to_string(reinterpret_cast<UINT_PTR>(button.m_hWnd));
    EXPECT_EQ(Painted(), (std::vector<std::string>{expected}))
        << "the parent was asked, with the window as id";

    m_tip.UpdateTipText("Given", &button);
    m_driver.Pump();
    EXPECT_TRUE(Shown());
    EXPECT_EQ(Painted().back(), "Given") << "a new text on show is painted at once";
    info.lpszText = buffer;
    ASSERT_TRUE(m_tip.GetToolInfo(info, &button));
    EXPECT_STREQ(buffer, "Given");

    m_tip.Activate(FALSE);
    EXPECT_FALSE(Shown());
    m_tip.RelayEvent(&move);
    m_driver.AdvanceClock(1000);
    EXPECT_FALSE(Shown()) << "an inactive control shows nothing";
}

TEST_F(ToolTipTest, ColoursMarginsAndWidthAreTheCallersToChoose)
{
    const CRect tool(0, 0, 100, 100);
    m_tip.AddTool(&m_host, "one two three four", &tool, 1);
    m_tip.SetTipBkColor(RGB(0, 0, 128));
    m_tip.SetTipTextColor(RGB(255, 255, 0));
    EXPECT_EQ(m_tip.GetTipBkColor(), RGB(0, 0, 128));
    EXPECT_EQ(m_tip.SetMaxTipWidth(40), -1);
    EXPECT_EQ(m_tip.GetMaxTipWidth(), 40);
    m_driver.MouseMove(m_host.m_hWnd, CPoint(5, 5));
    m_driver.AdvanceClock(500);
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Background(), RGB(0, 0, 128));
    const std::vector<winlib::DrawOp> texts = m_driver.Texts(m_tip.m_hWnd);
    ASSERT_GT(texts.size(), 1u) << "broken into lines at the maximum width";
    EXPECT_EQ(texts.front().color, RGB(255, 255, 0));
    CRect tipRect;
    GetWindowRect(m_tip.m_hWnd, &tipRect);
    EXPECT_LE(tipRect.Width(), 40 + 12);
}

// ---- EnableToolTips and OnToolHitTest ------------------------------------------------------

// Rows 20 pixels high above y = 100; each row is its own tool, its text asked for.
class RowsWindow : public CWnd
{
public:
    mutable int m_hitTests = 0;
    std::vector<UINT_PTR> m_asked;

    INT_PTR OnToolHitTest(CPoint point, TOOLINFOA* info) const override
    {
        ++m_hitTests;
        if (point.y < 0 || point.y >= 100)
            return -1;
        const int row = point.y / 20;
        info->hwnd = m_hWnd;
        info->uId = static_cast<UINT_PTR>(row + 1);
        info->rect = CRect(0, row * 20, 300, row * 20 + 20);
        info->lpszText = LPSTR_TEXTCALLBACK;
        return row;
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TTN_NEEDTEXT)
        {
            auto* info = reinterpret_cast<TOOLTIPTEXT*>(lParam);
            m_asked.push_back(header->idFrom);
            std::snprintf(info->szText, sizeof info->szText, "Row %d", static_cast<int>(header->idFrom) - 1);
            return TRUE;
        }
        return CWnd::OnNotify(wParam, lParam, result);
    }
};

HWND ProcessTip()
{
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    {
        if (GetClassNameString(h) == TOOLTIPS_CLASS)
            return h;
    }
    return nullptr;
}

TEST(WindowToolTips, OnToolHitTestDrivesOneTipForTheProcess)
{
    winlib::testing::Driver driver(winlib::HeadlessDrawing::Recording);
    RowsWindow rows;
    ASSERT_TRUE(
        rows.CreateEx(0, nullptr, "Rows", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300), nullptr, 0));
    driver.MouseMove(rows.m_hWnd, CPoint(10, 10));
    EXPECT_EQ(rows.m_hitTests, 0) << "nothing is asked before EnableToolTips";

    rows.EnableToolTips(TRUE);
    driver.MouseMove(rows.m_hWnd, CPoint(10, 30));
    EXPECT_GT(rows.m_hitTests, 0);
    const HWND tip = ProcessTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(IsWindowVisible(tip));
    driver.AdvanceClock(500);
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(driver.TextStrings(tip), (std::vector<std::string>{"Row 1"}));
    EXPECT_EQ(rows.m_asked, (std::vector<UINT_PTR>{2}));

    // Another row is another tool: the tip changes after the short reshow delay.
    driver.ClearDrawing();
    driver.MouseMove(rows.m_hWnd, CPoint(10, 65));
    EXPECT_FALSE(IsWindowVisible(tip));
    driver.AdvanceClock(100);
    ASSERT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(driver.TextStrings(tip), (std::vector<std::string>{"Row 3"}));
    EXPECT_EQ(ProcessTip(), tip) << "still the one control";

    driver.MouseMove(rows.m_hWnd, CPoint(10, 150));
    EXPECT_FALSE(IsWindowVisible(tip)) << "no tool under the mouse";

    rows.EnableToolTips(FALSE);
    const int asked = rows.m_hitTests;
    driver.MouseMove(rows.m_hWnd, CPoint(10, 30));
    driver.AdvanceClock(1000);
    EXPECT_EQ(rows.m_hitTests, asked);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST(WindowToolTips, TheTipLeavesWithTheMouseAndNeverTakesIt)
{
    winlib::testing::Driver driver;
    RowsWindow rows;
    ASSERT_TRUE(
        rows.CreateEx(0, nullptr, "Rows", WS_POPUP | WS_VISIBLE, CRect(100, 100, 400, 300), nullptr, 0));
    CWnd other;
    ASSERT_TRUE(
        other.CreateEx(0, nullptr, "Other", WS_POPUP | WS_VISIBLE, CRect(500, 100, 700, 300), nullptr, 0));
    rows.EnableToolTips(TRUE);
    driver.MouseMove(rows.m_hWnd, CPoint(10, 10));
    driver.AdvanceClock(500);
    const HWND tip = ProcessTip();
    ASSERT_TRUE(tip && IsWindowVisible(tip));

    // The tip lies under the cursor's tail; the point below it still belongs to the rows.
    CRect tipRect;
    GetWindowRect(tip, &tipRect);
    EXPECT_EQ(WindowFromPoint(tipRect.CenterPoint()), rows.m_hWnd);

    // Onto another window, whose messages nobody relays: the tip notices by itself.
    driver.MouseMove(other.m_hWnd, CPoint(10, 10));
    driver.AdvanceClock(100);
    EXPECT_FALSE(IsWindowVisible(tip));
}

} // namespace
