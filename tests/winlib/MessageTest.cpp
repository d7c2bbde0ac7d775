// Messages as a user of the library relies on them: notifications reflected to the control
// that sent them, subclassing ahead of the built-in behaviour, the PreTranslateMessage
// walk, timers on the test clock and the order of focus messages.
#include "winlib/Controls.h"
#include "winlib/Runtime.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace
{

constexpr UINT kNotifyCode = 12345;

class NotifyingControl : public CWnd
{
public:
    bool m_eat = false;
    int m_reflected = 0;

    LRESULT Notify()
    {
        NMHDR header{m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), kNotifyCode};
        return GetParent()->SendMessage(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == kNotifyCode)
        {
            ++m_reflected;
            *result = 77;
            return m_eat ? TRUE : FALSE;
        }
        return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
};

class ParentWnd : public CWnd
{
public:
    std::vector<UINT> m_notifications;
    std::vector<UINT> m_commands;
    std::vector<std::string>* m_trace = nullptr;
    bool m_eatKeysAtParent = false;

    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (CWnd::OnNotify(wParam, lParam, result))
            return TRUE;
        m_notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        *result = 5;
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        m_commands.push_back(static_cast<UINT>(wParam));
        return CWnd::OnCommand(wParam, lParam);
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (m_trace && msg->message == WM_KEYDOWN)
            m_trace->push_back("parent");
        return m_eatKeysAtParent && msg->message == WM_KEYDOWN;
    }
};

TEST(Reflection, ANotificationIsOfferedToTheControlBeforeTheParent)
{
    winlib::testing::Driver driver;
    ParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    NotifyingControl control;
    ASSERT_TRUE(control.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 9));

    EXPECT_EQ(control.Notify(), 5) << "not eaten: the parent's handler answers";
    EXPECT_EQ(control.m_reflected, 1);
    EXPECT_EQ(parent.m_notifications, std::vector<UINT>{kNotifyCode});

    control.m_eat = true;
    EXPECT_EQ(control.Notify(), 77) << "eaten: the control's answer is the result";
    EXPECT_EQ(control.m_reflected, 2);
    EXPECT_EQ(parent.m_notifications.size(), 1u) << "the parent never saw the eaten one";
}

class DigitEatingEdit : public CEdit
{
protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override
    {
        if (ch >= '0' && ch <= '9')
            return; // swallowed: the built-in edit never sees it
        CEdit::OnChar(ch, repeat, flags);
    }
};

TEST(Subclassing, TheObjectsHandlerRunsBeforeTheBuiltInBehaviourAndCanSwallowIt)
{
    winlib::testing::Driver driver;
    ParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    const HWND edit = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 5, 5, 150, 20,
                                     parent.m_hWnd, reinterpret_cast<HMENU>(100), nullptr, nullptr);
    ASSERT_TRUE(edit);
    DigitEatingEdit subclass;
    ASSERT_TRUE(subclass.SubclassDlgItem(100, &parent));
    subclass.SetFocus();
    driver.Type("a1b2c3");
    EXPECT_EQ(subclass.GetWindowText(), "abc");
    // The edit told its parent about each change it made.
    EXPECT_EQ(std::count(parent.m_commands.begin(), parent.m_commands.end(), MAKEWPARAM(100, EN_CHANGE)), 3);
}

class TracingChild : public CWnd
{
public:
    std::vector<std::string>* m_trace = nullptr;
    std::vector<UINT> m_keys;
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_KEYDOWN)
            m_trace->push_back("child");
        return FALSE;
    }

protected:
    void OnKeyDown(UINT ch, UINT repeat, UINT flags) override
    {
        m_keys.push_back(ch);
        CWnd::OnKeyDown(ch, repeat, flags);
    }
};

TEST(PreTranslate, InputWalksFromTheTargetUpToItsTopLevelWindowBeforeDispatch)
{
    winlib::testing::Driver driver;
    std::vector<std::string> trace;
    ParentWnd parent;
    parent.m_trace = &trace;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    TracingChild child;
    child.m_trace = &trace;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &parent, 3));
    child.SetFocus();

    driver.Press('K');
    EXPECT_EQ(trace, (std::vector<std::string>{"child", "parent"}));
    EXPECT_EQ(child.m_keys, std::vector<UINT>{'K'});

    parent.m_eatKeysAtParent = true;
    driver.Press('L');
    EXPECT_EQ(child.m_keys, std::vector<UINT>{'K'}) << "consumed on the way up: never dispatched";
}

class TimerWnd : public CWnd
{
public:
    std::vector<std::pair<UINT_PTR, DWORD>> m_ticks;

protected:
    void OnTimer(UINT_PTR id) override { m_ticks.emplace_back(id, GetTickCount()); }
};

TEST(Timers, FireOnlyWhenTheClockPassesThem)
{
    winlib::testing::Driver driver;
    TimerWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    wnd.SetTimer(1, 100);
    wnd.SetTimer(2, 250);
    driver.Pump();
    EXPECT_TRUE(wnd.m_ticks.empty()) << "no time has passed";
    driver.AdvanceClock(99);
    EXPECT_TRUE(wnd.m_ticks.empty());
    driver.AdvanceClock(1);
    ASSERT_EQ(wnd.m_ticks.size(), 1u);
    EXPECT_EQ(wnd.m_ticks[0].first, 1u);
    driver.AdvanceClock(150);
    ASSERT_EQ(wnd.m_ticks.size(), 3u) << "timer 1 again at 200 and timer 2 at 250";
    EXPECT_EQ(wnd.m_ticks[1].first, 1u);
    EXPECT_EQ(wnd.m_ticks[2].first, 2u);

    wnd.KillTimer(1);
    driver.AdvanceClock(1000);
    ASSERT_EQ(wnd.m_ticks.size(), 4u) << "only timer 2, and only once: ticks do not pile up";
    EXPECT_EQ(wnd.m_ticks[3].first, 2u);
}

class FocusWnd : public CWnd
{
public:
    std::vector<std::string>* m_trace = nullptr;
    std::string m_name;

protected:
    static std::string NameOf(CWnd* wnd)
    {
        if (!wnd)
            return "nothing";
        const auto* named = dynamic_cast<FocusWnd*>(wnd);
        return named ? named->m_name : "the top window";
    }
    void OnSetFocus(CWnd* old) override { m_trace->push_back(m_name + " gets focus from " + NameOf(old)); }
    void OnKillFocus(CWnd* next) override { m_trace->push_back(m_name + " loses focus to " + NameOf(next)); }
};

TEST(Focus, KillFocusReachesTheOldWindowBeforeSetFocusReachesTheNewOne)
{
    winlib::testing::Driver driver;
    std::vector<std::string> trace;
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    FocusWnd a;
    FocusWnd b;
    a.m_trace = b.m_trace = &trace;
    a.m_name = "a";
    b.m_name = "b";
    ASSERT_TRUE(a.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &top, 1));
    ASSERT_TRUE(b.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(20, 0, 30, 10), &top, 2));

    EXPECT_EQ(CWnd::GetFocus(), &top) << "showing the window activated it, and activation gave it the focus";
    a.SetFocus();
    b.SetFocus();
    EXPECT_EQ(trace, (std::vector<std::string>{"a gets focus from the top window", "a loses focus to b",
                                               "b gets focus from a"}));
    EXPECT_EQ(CWnd::GetFocus(), &b);

    trace.clear();
    b.ShowWindow(SW_HIDE);
    EXPECT_EQ(CWnd::GetFocus(), &top) << "a hidden window gives the focus to its parent";
    EXPECT_EQ(trace, std::vector<std::string>{"b loses focus to the top window"});
}

TEST(Messages, PostedMessagesWaitForThePumpAndRegisteredNamesAreStable)
{
    winlib::testing::Driver driver;
    TimerWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    wnd.PostMessage(WM_TIMER, 42);
    EXPECT_TRUE(wnd.m_ticks.empty());
    driver.Pump();
    ASSERT_EQ(wnd.m_ticks.size(), 1u);
    EXPECT_EQ(wnd.m_ticks[0].first, 42u);

    const UINT first = RegisterWindowMessage("WM_XLISTCTRL_CHECKBOX_CLICKED");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("wm_xlistctrl_checkbox_clicked"), first) << "names compare without case";
    EXPECT_NE(RegisterWindowMessage("WM_XLISTCTRL_COLORBOX_CLICKED"), first);
}

TEST(Messages, TasksPostedFromAnotherThreadRunOnThePump)
{
    winlib::testing::Driver driver;
    std::vector<int> order;
    std::thread worker([&order] {
        winlib::PostToUiThread([&order] { order.push_back(1); });
        winlib::PostToUiThread([&order] { order.push_back(2); });
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "nothing runs before the pump";
    driver.Pump();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace
