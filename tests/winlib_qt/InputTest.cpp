// Qt input events reaching windows as the messages Windows would send, and a close asked by the
// window system turning into WM_CLOSE (a resize from outside: the repaint check tests).
#include "QtTestSupport.h"

#include <QPointer>
#include <QWheelEvent>

#include <string>
#include <vector>

namespace qttest
{
namespace
{

// A window that notes the messages a test looks at; it stays open when asked to close.
Handler Recorder(std::vector<MSG>& log, std::vector<UINT> wanted)
{
    return [&log, wanted](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
    {
        if (std::find(wanted.begin(), wanted.end(), message) != wanted.end())
            log.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
        return message == WM_CLOSE ? 0 : DefWindowProc(hwnd, message, wParam, lParam);
    };
}

std::vector<UINT> Kinds(const std::vector<MSG>& log)
{
    std::vector<UINT> kinds;
    for (const MSG& m : log)
        kinds.push_back(m.message);
    return kinds;
}

using QtInputTest = QtWindowTest;

TEST_F(QtInputTest, ClickOnTheQtWindowPressesTheButtonUnderIt)
{
    std::vector<MSG> log;
    const HWND dialog =
        MakeWindow(WS_POPUP | WS_VISIBLE, CRect(300, 200, 500, 300), Recorder(log, {WM_COMMAND}));
    const HWND button = CreateWindowEx(0, "Button", "Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 30, 80,
                                       24, dialog, reinterpret_cast<HMENU>(42), nullptr, nullptr);
    winlib::PumpPending();
    for (const QPoint at : {QPoint(10, 10), QPoint(30, 40)}) // beside the button, then on it
    {
        SendMouse(dialog, QEvent::MouseButtonPress, at);
        SendMouse(dialog, QEvent::MouseButtonRelease, at);
        winlib::PumpPending();
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].wParam, MAKEWPARAM(42, BN_CLICKED));
    EXPECT_EQ(reinterpret_cast<HWND>(log[0].lParam), button);
}

TEST_F(QtInputTest, KeysTypeIntoTheFocusedEdit)
{
    const HWND dialog = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 60), nullptr);
    const HWND edit = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10,
                                     10, 150, 22, dialog, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    SetFocus(edit);
    SendKey(dialog, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    SendKeyPress(dialog, Qt::Key_H, Qt::ShiftModifier, "H");
    SendKey(dialog, QEvent::KeyRelease, Qt::Key_Shift);
    for (const char c : std::string("ello"))
        SendKeyPress(dialog, Qt::Key_A + (c - 'a'), Qt::NoModifier, QString(QLatin1Char(c)));
    SendKeyPress(dialog, Qt::Key_Backspace, Qt::NoModifier, "\b");
    SendKeyPress(dialog, Qt::Key_Exclam, Qt::ShiftModifier, "!");
    SendKeyPress(dialog, Qt::Key_Home);
    SendKeyPress(dialog, Qt::Key_Delete, Qt::NoModifier, "\x7f");
    winlib::PumpPending();
    EXPECT_EQ(GetWindowTextString(edit), "ell!");
}

TEST_F(QtInputTest, QtKeysArriveAsVirtualKeysAndCharacters)
{
    struct Case
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        int vk;
        std::string chars;
        UINT down = WM_KEYDOWN;
    };
    const std::vector<Case> cases = {
        {Qt::Key_A, Qt::NoModifier, "a", 'A', "a"},
        {Qt::Key_F1, Qt::NoModifier, "", VK_F1, ""},
        {Qt::Key_Left, Qt::NoModifier, "", VK_LEFT, ""},
        {Qt::Key_PageUp, Qt::NoModifier, "", VK_PRIOR, ""},
        {Qt::Key_Insert, Qt::NoModifier, "", VK_INSERT, ""},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", VK_DELETE, ""},
        {Qt::Key_Return, Qt::NoModifier, "\r", VK_RETURN, "\r"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", VK_RETURN, "\r"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", VK_ESCAPE, "\x1b"},
        {Qt::Key_Tab, Qt::NoModifier, "\t", VK_TAB, "\t"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "", VK_TAB, "\t"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", VK_BACK, "\b"},
        {Qt::Key_Space, Qt::NoModifier, " ", VK_SPACE, " "},
        {Qt::Key_Menu, Qt::NoModifier, "", VK_APPS, ""},
        {Qt::Key_Shift, Qt::NoModifier, "", VK_SHIFT, ""},
        {Qt::Key_Question, Qt::ShiftModifier, "?", VK_OEM_2, "?"},
        {Qt::Key_5, Qt::KeypadModifier, "5", VK_NUMPAD0 + 5, "5"},
        {Qt::Key_E, Qt::NoModifier, "\xe9", 'E', "\xe9"},
        {Qt::Key_A, Qt::ControlModifier, "\x01", 'A', "\x01"},
        {Qt::Key_C, Qt::ControlModifier, "", 'C', "\x03"},
        {Qt::Key_Z, Qt::ControlModifier, "", 'Z', "\x1a"},
        {Qt::Key_5, Qt::ControlModifier, "5", '5', ""},
        {Qt::Key_F, Qt::AltModifier, "f", 'F', "", WM_SYSKEYDOWN},
    };
    for (const Case& c : cases)
    {
        std::vector<MSG> log;
        const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50),
                                     Recorder(log, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR}));
        SetFocus(hwnd);
        // Alt is held on the keyboard for the Alt case, as the device layer needs to know.
        if (c.modifiers & Qt::AltModifier)
            SendKey(hwnd, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        SendKeyPress(hwnd, c.key, c.modifiers, QString::fromLatin1(c.text));
        if (c.modifiers & Qt::AltModifier)
            SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Alt);
        winlib::PumpPending();

        const std::string what = "Qt key 0x" + std::to_string(c.key);
        const MSG* down = nullptr; // the key's own, after any Alt
        std::string chars;
        for (const MSG& m : log)
        {
            if (m.message == WM_CHAR)
                chars += static_cast<char>(m.wParam);
            else
                down = &m;
        }
        ASSERT_NE(down, nullptr) << what;
        EXPECT_EQ(down->message, c.down) << what;
        EXPECT_EQ(static_cast<int>(down->wParam), c.vk) << what;
        EXPECT_EQ(chars, c.chars) << what;
        DestroyWindow(hwnd);
    }
}

TEST_F(QtInputTest, AutoRepeatIsARunOfKeyDownsWithoutReleases)
{
    std::vector<MSG> log;
    const HWND hwnd =
        MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), Recorder(log, {WM_KEYDOWN, WM_KEYUP}));
    SetFocus(hwnd);
    SendKey(hwnd, QEvent::KeyPress, Qt::Key_Right);
    SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    SendKey(hwnd, QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Right);
    winlib::PumpPending();
    ASSERT_EQ(Kinds(log), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP}));
    EXPECT_TRUE(log[1].lParam & (1 << 30)) << "the repeat says the key was down";
}

TEST_F(QtInputTest, MouseMessagesCarryTheirPointsAndDoubleClicks)
{
    std::vector<MSG> log;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(200, 150, 300, 250),
                                 Recorder(log, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE, WM_MOUSEWHEEL}));
    winlib::PumpPending();
    SendMouse(hwnd, QEvent::MouseMove, QPoint(7, 9), Qt::NoButton);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
        SendMouse(hwnd, type, QPoint(7, 9));
    SendMouse(hwnd, QEvent::MouseButtonPress, QPoint(50, 60), Qt::RightButton);
    SendMouse(hwnd, QEvent::MouseButtonRelease, QPoint(50, 60), Qt::RightButton);
    QWidget* widget = WidgetOf(hwnd);
    QWheelEvent wheel(QPointF(11, 12), QPointF(widget->mapToGlobal(QPoint(11, 12))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
    winlib::PumpPending();

    ASSERT_EQ(Kinds(log), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                             WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL}));
    EXPECT_EQ(log[1].lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(log[3].lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(log[5].lParam, MAKELPARAM(50, 60));
    EXPECT_EQ(static_cast<short>(HIWORD(log[7].wParam)), -120);
    EXPECT_EQ(log[7].lParam, MAKELPARAM(211, 162)) << "wheel points are on the screen";
}

TEST_F(QtInputTest, CloseFromTheWindowSystemAsksTheWindowFirst)
{
    std::vector<MSG> log;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40), Recorder(log, {WM_CLOSE}));
    winlib::PumpPending();
    QWidget* widget = WidgetOf(hwnd);
    EXPECT_FALSE(widget->close());
    winlib::PumpPending();
    EXPECT_EQ(Kinds(log), std::vector<UINT>{WM_CLOSE});
    EXPECT_TRUE(widget->isVisible());
}

TEST_F(QtInputTest, WindowDestroyedByItsOwnClickGoesAwayQuietly)
{
    const HWND other = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 30, 30), nullptr);
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(100, 0, 160, 40),
                                 [](HWND h, UINT m, WPARAM w, LPARAM l)
                                 {
                                     if (m != WM_MOUSEACTIVATE)
                                         return DefWindowProc(h, m, w, l);
                                     DestroyWindow(h);
                                     return static_cast<LRESULT>(MA_NOACTIVATEANDEAT);
                                 });
    SetActiveWindow(other); // so that the click activates, which asks the window first
    QPointer<QWidget> widget = WidgetOf(hwnd);
    SendMouse(hwnd, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_FALSE(widget.isNull()) << "not deleted under its own event handler";
    EXPECT_FALSE(widget->isVisible());
    winlib::GetBackend().WaitForEvents(0);
    EXPECT_TRUE(widget.isNull());
}

} // namespace
} // namespace qttest
