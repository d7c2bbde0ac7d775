// The date and time picker and its month calendar as a user drives them: fields edited with
// the arrow keys and digits, the calendar dropped from the button or F4 and a day picked in it
// by mouse or keys, Escape and a press outside closing it unchanged, and the notifications the
// parent hears on the way; the calendar on its own (navigation, range, hit tests).
#include "winlib/DateTimeCtrl.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

constexpr int kPickerId = 30;

SYSTEMTIME Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    return st;
}

class ParentWnd : public CWnd
{
public:
    std::vector<UINT> codes; // notifications in arrival order
    std::vector<SYSTEMTIME> changes;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        codes.push_back(hdr->code);
        if (hdr->code == DTN_DATETIMECHANGE)
            changes.push_back(reinterpret_cast<const NMDATETIMECHANGE*>(lParam)->st);
        return CWnd::OnNotify(wParam, lParam, result);
    }
    int Count(UINT code) const { return static_cast<int>(std::count(codes.begin(), codes.end(), code)); }
};

// A point of a calendar where a hit test finds 'hit' (and, when given, 'day' of the shown month).
POINT FindInCalendar(HWND calendar, UINT hit, int day = 0)
{
    MCHITTESTINFO info{};
    info.cbSize = sizeof info;
    for (int y = 0; y < 300; y += 3)
    {
        for (int x = 0; x < 300; x += 3)
        {
            info.pt = POINT{x, y};
            if (static_cast<UINT>(SendMessage(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))) ==
                    hit &&
                (day == 0 || info.st.wDay == day))
                return info.pt;
        }
    }
    ADD_FAILURE() << "no such place in the calendar";
    return POINT{0, 0};
}

class DateTimePickTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(100, 100, 500, 400), nullptr, 0));
    }

    void Make(DWORD style, SYSTEMTIME value)
    {
        ASSERT_TRUE(m_picker.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | style, CRect(10, 10, 160, 32),
                                    &m_parent, kPickerId));
        ASSERT_TRUE(m_picker.SetTime(&value));
        m_picker.SetFocus();
        m_parent.codes.clear();
    }
    SYSTEMTIME Value() const
    {
        SYSTEMTIME st{};
        EXPECT_EQ(m_picker.GetTime(&st), static_cast<DWORD>(GDT_VALID));
        return st;
    }
    winlib::testing::Driver m_driver;
    ParentWnd m_parent;
    CDateTimeCtrl m_picker;
};

TEST_F(DateTimePickTest, FormatsFollowTheStyleAndSetFormat)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7, 9, 5, 2));
    EXPECT_EQ(m_picker.GetWindowText(), "07/03/2024");
    m_picker.SetFormat("HH:mm:ss");
    EXPECT_EQ(m_picker.GetWindowText(), "09:05:02");
    m_picker.SetFormat(nullptr);
    EXPECT_EQ(m_picker.GetWindowText(), "07/03/2024");
    m_picker.ModifyStyle(0, DTS_TIMEFORMAT);
    EXPECT_EQ(m_picker.GetWindowText(), "09:05:02");

    // An impossible date is refused and the value stays.
    const SYSTEMTIME bad = Date(2023, 2, 29);
    EXPECT_FALSE(m_picker.SetTime(&bad));
    EXPECT_EQ(Value().wDay, 7);
    EXPECT_TRUE(m_parent.codes.empty()) << "setting the value is no change by the user";

    m_picker.SetFormat("dd'/'MM 'o''clock' yyyy, ddd h:mm tt");
    EXPECT_EQ(m_picker.GetWindowText(), "07/03 o'clock 2024, Thu 9:05 AM");
    const SYSTEMTIME midnight = Date(2000, 1, 1, 0, 5);
    m_picker.SetTime(&midnight);
    EXPECT_EQ(m_picker.GetWindowText(), "01/01 o'clock 2000, Sat 12:05 AM");
}

TEST_F(DateTimePickTest, ArrowsStepTheFocusedFieldAndWrap)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 1, 31));
    m_driver.Press(VK_UP); // day 31 wraps to 1
    EXPECT_EQ(m_picker.GetWindowText(), "01/01/2024");
    m_driver.Press(VK_DOWN);
    m_driver.Press(VK_RIGHT); // to the month
    m_driver.Press(VK_UP);    // February keeps the day inside the month
    EXPECT_EQ(m_picker.GetWindowText(), "29/02/2024");
    m_driver.Press(VK_RIGHT);
    m_driver.Press(VK_DOWN);
    EXPECT_EQ(m_picker.GetWindowText(), "28/02/2023");
    ASSERT_EQ(m_parent.changes.size(), 4u);
    EXPECT_EQ(m_parent.changes.back().wYear, 2023);
    EXPECT_EQ(m_parent.changes.back().wDayOfWeek, 2); // a Tuesday
}

TEST_F(DateTimePickTest, DigitsFillFieldsAndMoveOn)
{
    Make(DTS_SHORTDATEFORMAT, Date(2020, 1, 1));
    m_driver.Type("7");    // a 7 cannot take a second digit: the day is done
    m_driver.Type("12");   // the month
    m_driver.Type("2031"); // the year
    EXPECT_EQ(m_picker.GetWindowText(), "07/12/2031");
    m_driver.Press(VK_LEFT);
    m_driver.Press(VK_LEFT); // back to the day
    m_driver.Type("3");
    m_driver.Type("5"); // 35 is no day: it starts again at 5
    EXPECT_EQ(Value().wDay, 5);

    m_picker.DestroyWindow();
    Make(DTS_TIMEFORMAT, Date(2024, 3, 7, 10, 20, 30));
    EXPECT_EQ(m_picker.GetWindowText(), "10:20:30");
    m_driver.Type("23");
    m_driver.Type("59");
    m_driver.Press(VK_UP); // seconds 30 -> 31
    EXPECT_EQ(m_picker.GetWindowText(), "23:59:31");
    EXPECT_EQ(m_picker.GetMonthCalHandle(), nullptr);
    m_driver.Press(VK_F4); // a time picker has no calendar
    EXPECT_EQ(m_picker.GetMonthCalHandle(), nullptr);
}

TEST_F(DateTimePickTest, RangeHoldsTheValue)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7));
    const CTime low(2024, 3, 1, 0, 0, 0);
    const CTime high(2024, 3, 10, 23, 59, 59);
    ASSERT_TRUE(m_picker.SetRange(&low, &high));
    m_driver.Type("2");
    m_driver.Type("0"); // day 20 is past the end: the value stops at the limit
    EXPECT_EQ(m_picker.GetWindowText(), "10/03/2024");
}

TEST_F(DateTimePickTest, CalendarDropsAndAPickedDayCloses)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7, 14, 30, 0));
    m_driver.Press(VK_F4);
    const HWND calendar = m_picker.GetMonthCalHandle();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(::GetFocus(), calendar);
    EXPECT_EQ(m_parent.Count(DTN_DROPDOWN), 1);
    EXPECT_EQ(m_parent.Count(NM_KILLFOCUS), 0) << "the focus only moved into the calendar";
    SYSTEMTIME shown{};
    ASSERT_TRUE(SendMessage(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown)));
    EXPECT_EQ(shown.wDay, 7);

    m_driver.Click(calendar, FindInCalendar(calendar, MCHT_CALENDARDATE, 21));
    m_driver.Pump();

    EXPECT_FALSE(::IsWindow(calendar));
    EXPECT_EQ(m_picker.GetMonthCalHandle(), nullptr);
    EXPECT_EQ(::GetFocus(), m_picker.m_hWnd);
    EXPECT_EQ(m_picker.GetWindowText(), "21/03/2024");
    EXPECT_EQ(Value().wHour, 14) << "the time stays";
    EXPECT_EQ(m_parent.Count(DTN_CLOSEUP), 1);
    EXPECT_EQ(m_parent.Count(DTN_DATETIMECHANGE), 1);
}

TEST_F(DateTimePickTest, CalendarKeysPickAndEscapeLeavesTheValue)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7));
    m_driver.Press(VK_DOWN, winlib::testing::Alt);
    ASSERT_NE(m_picker.GetMonthCalHandle(), nullptr);
    m_driver.Press(VK_RIGHT);
    m_driver.Press(VK_NEXT); // 8 March, then a month on
    m_driver.Press(VK_RETURN);
    m_driver.Pump();
    EXPECT_EQ(m_picker.GetMonthCalHandle(), nullptr);
    EXPECT_EQ(m_picker.GetWindowText(), "08/04/2024");

    CRect picker;
    m_picker.GetClientRect(&picker);
    m_driver.Click(m_picker.m_hWnd, POINT{picker.right - 5, picker.Height() / 2}); // the button
    ASSERT_NE(m_picker.GetMonthCalHandle(), nullptr);
    m_driver.Press(VK_RIGHT);
    m_driver.Press(VK_ESCAPE);
    m_driver.Pump();
    EXPECT_EQ(m_picker.GetMonthCalHandle(), nullptr);
    EXPECT_EQ(m_picker.GetWindowText(), "08/04/2024");
    EXPECT_EQ(::GetFocus(), m_picker.m_hWnd);
}

TEST_F(DateTimePickTest, PressOutsideTheCalendarClosesIt)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7));
    m_driver.Press(VK_F4);
    const HWND calendar = m_picker.GetMonthCalHandle();
    ASSERT_NE(calendar, nullptr);
    m_driver.ClickScreen(POINT{450, 380});
    m_driver.Pump();
    EXPECT_FALSE(::IsWindow(calendar));
    EXPECT_EQ(m_picker.GetWindowText(), "07/03/2024");
    EXPECT_EQ(m_parent.Count(DTN_CLOSEUP), 1);
}

TEST_F(DateTimePickTest, DestroyingThePickerWithTheCalendarOpenTakesBoth)
{
    Make(DTS_SHORTDATEFORMAT, Date(2024, 3, 7));
    m_driver.Press(VK_F4);
    const HWND calendar = m_picker.GetMonthCalHandle();
    ASSERT_NE(calendar, nullptr);
    m_picker.DestroyWindow();
    m_driver.Pump();
    EXPECT_FALSE(::IsWindow(calendar));
}

class MonthCalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            m_parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 400), nullptr, 0));
        ASSERT_TRUE(m_calendar.Create(WS_CHILD | WS_VISIBLE, POINT{0, 0}, &m_parent, 40));
        const SYSTEMTIME today = Date(2024, 3, 7);
        m_calendar.SetToday(&today);
        ASSERT_TRUE(m_calendar.SetCurSel(&today));
        m_parent.codes.clear();
    }
    POINT Find(UINT hit, int day = 0) { return FindInCalendar(m_calendar.m_hWnd, hit, day); }

    winlib::testing::Driver m_driver;
    ParentWnd m_parent;
    CMonthCalCtrl m_calendar;
};

TEST_F(MonthCalTest, WeeksStartOnMondayWithTheNeighbouringMonthsGreyedAround)
{
    MCHITTESTINFO info{};
    RECT need{};
    ASSERT_TRUE(m_calendar.GetMinReqRect(&need));
    info.pt = Find(MCHT_CALENDARDATEPREV, 26);
    m_calendar.HitTest(&info);
    EXPECT_EQ(info.st.wMonth, 2); // 1 March 2024 was a Friday: the first row starts on 26 February
    EXPECT_EQ(info.iRow, 0);
    SYSTEMTIME range[2];
    EXPECT_EQ(
        SendMessage(m_calendar.m_hWnd, MCM_GETMONTHRANGE, GMR_DAYSTATE, reinterpret_cast<LPARAM>(range)), 3);
    EXPECT_EQ(range[0].wDay, 26);
    EXPECT_EQ(range[1].wMonth, 4);
    EXPECT_EQ(range[1].wDay, 7);
}

TEST_F(MonthCalTest, ClicksSelectNavigateAndGoToToday)
{
    m_driver.Click(m_calendar.m_hWnd, Find(MCHT_CALENDARDATE, 15));
    SYSTEMTIME sel{};
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wDay, 15);
    EXPECT_EQ(m_parent.codes, (std::vector<UINT>{NM_SETFOCUS, MCN_SELCHANGE, MCN_SELECT}));

    m_driver.Click(m_calendar.m_hWnd, Find(MCHT_TITLEBTNNEXT));
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wMonth, 4);
    EXPECT_EQ(sel.wDay, 15);
    EXPECT_EQ(m_parent.Count(MCN_SELECT), 1) << "navigating is no pick";

    m_driver.Click(m_calendar.m_hWnd, Find(MCHT_CALENDARDATENEXT, 5)); // 5 May among April's days
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wMonth, 5);

    m_driver.Click(m_calendar.m_hWnd, Find(MCHT_TODAYLINK));
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wDay, 7);
}

TEST_F(MonthCalTest, DaysOutsideTheRangeCannotBePicked)
{
    const SYSTEMTIME low = Date(2024, 3, 5);
    const SYSTEMTIME high = Date(2024, 3, 20);
    ASSERT_TRUE(m_calendar.SetRange(&low, &high));
    m_driver.Click(m_calendar.m_hWnd, Find(MCHT_CALENDARDATE, 25));
    SYSTEMTIME sel{};
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wDay, 7);
    EXPECT_EQ(m_parent.Count(MCN_SELECT), 0);
    m_driver.Press(VK_NEXT); // a month on stops at the range's end
    m_calendar.GetCurSel(&sel);
    EXPECT_EQ(sel.wDay, 20);
    const SYSTEMTIME outside = Date(2024, 4, 1);
    EXPECT_FALSE(m_calendar.SetCurSel(&outside));
}


// A colour by an index the calendar knows replaces the old one, which comes back; an unknown
// index changes nothing and answers CLR_INVALID. The picker keeps the same table for its calendar.
TEST_F(MonthCalTest, ColoursAreKeptByTheirIndexAndAnUnknownIndexChangesNothing)
{
    const COLORREF before = m_calendar.GetColor(MCSC_TITLEBK);
    EXPECT_EQ(m_calendar.SetColor(MCSC_TITLEBK, RGB(1, 2, 3)), before);
    EXPECT_EQ(m_calendar.GetColor(MCSC_TITLEBK), RGB(1, 2, 3));
    EXPECT_EQ(m_calendar.SetColor(6, RGB(4, 5, 6)), CLR_INVALID);
    EXPECT_EQ(m_calendar.GetColor(6), CLR_INVALID);
    EXPECT_EQ(m_calendar.GetColor(MCSC_TITLEBK), RGB(1, 2, 3));
}

} // namespace
