// Qt input events reaching windows as the messages Windows would send, and the requests
// of the window system (close, show, resize) turning into window messages.
#include "QtTestSupport.h"

#include <QCloseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWindow>

#include <string>
#include <vector>

namespace qttest
{
namespace
{

struct Message
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that notes the messages a test is interested in.
Handler Recorder(std::vector<Message>& log, std::vector<UINT> wanted)
{
    return [&log, wanted](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
    {
        if (std::find(wanted.begin(), wanted.end(), message) != wanted.end())
            log.push_back(Message{message, wParam, lParam});
        if (message == WM_CLOSE)
            return 0; // kept open: the test checks what asked
        return DefWindowProc(hwnd, message, wParam, lParam);
    };
}

std::vector<UINT> Kinds(const std::vector<Message>& log)
{
    std::vector<UINT> kinds;
    for (const Message& m : log)
        kinds.push_back(m.message);
    return kinds;
}

using QtInputTest = QtWindowTest;

TEST_F(QtInputTest, ClickOnTheQtWindowPressesTheButtonUnderIt)
{
    std::vector<Message> log;
    const HWND dialog =
        MakeWindow(WS_POPUP | WS_VISIBLE, CRect(300, 200, 500, 300), Recorder(log, {WM_COMMAND}));
    const HWND button = CreateWindowEx(0, "Button", "Send", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 30, 80,
                                       24, dialog, reinterpret_cast<HMENU>(42), nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    winlib::PumpPending();

    SendClick(dialog, QPoint(10, 10)); // beside the button
    winlib::PumpPending();
    EXPECT_TRUE(log.empty());

    SendClick(dialog, QPoint(30, 40));
    winlib::PumpPending();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(LOWORD(log[0].wParam), 42);
    EXPECT_EQ(HIWORD(log[0].wParam), BN_CLICKED);
    EXPECT_EQ(reinterpret_cast<HWND>(log[0].lParam), button);
}

TEST_F(QtInputTest, KeysTypeIntoTheFocusedEdit)
{
    const HWND dialog = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 60), nullptr);
    const HWND edit = CreateWindowEx(0, "Edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10,
                                     10, 150, 22, dialog, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
    winlib::PumpPending();

    SendKey(dialog, QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    SendKeyPress(dialog, Qt::Key_H, Qt::ShiftModifier, "H");
    SendKey(dialog, QEvent::KeyRelease, Qt::Key_Shift);
    for (const char* c : {"e", "l", "l", "o"})
        SendKeyPress(dialog, Qt::Key_A + (c[0] - 'a'), Qt::NoModifier, c);
    SendKeyPress(dialog, Qt::Key_Backspace, Qt::NoModifier, "\b");
    SendKeyPress(dialog, Qt::Key_P, Qt::NoModifier, "p");
    SendKeyPress(dialog, Qt::Key_Space, Qt::NoModifier, " ");
    SendKeyPress(dialog, Qt::Key_Exclam, Qt::ShiftModifier, "!");
    SendKeyPress(dialog, Qt::Key_Home);
    SendKeyPress(dialog, Qt::Key_Delete, Qt::NoModifier, "\x7f");
    winlib::PumpPending();
    EXPECT_EQ(GetWindowTextString(edit), "ellp !");
}

TEST_F(QtInputTest, QtKeysArriveAsVirtualKeysAndCharacters)
{
    struct Case
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        UINT downMessage;
        int vk;
        std::string chars;
    };
    const std::vector<Case> cases = {
        {Qt::Key_A, Qt::NoModifier, "a", WM_KEYDOWN, 'A', "a"},
        {Qt::Key_7, Qt::NoModifier, "7", WM_KEYDOWN, '7', "7"},
        {Qt::Key_F1, Qt::NoModifier, "", WM_KEYDOWN, VK_F1, ""},
        {Qt::Key_F12, Qt::NoModifier, "", WM_KEYDOWN, VK_F12, ""},
        {Qt::Key_Left, Qt::NoModifier, "", WM_KEYDOWN, VK_LEFT, ""},
        {Qt::Key_Down, Qt::NoModifier, "", WM_KEYDOWN, VK_DOWN, ""},
        {Qt::Key_Home, Qt::NoModifier, "", WM_KEYDOWN, VK_HOME, ""},
        {Qt::Key_End, Qt::NoModifier, "", WM_KEYDOWN, VK_END, ""},
        {Qt::Key_PageUp, Qt::NoModifier, "", WM_KEYDOWN, VK_PRIOR, ""},
        {Qt::Key_PageDown, Qt::NoModifier, "", WM_KEYDOWN, VK_NEXT, ""},
        {Qt::Key_Insert, Qt::NoModifier, "", WM_KEYDOWN, VK_INSERT, ""},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", WM_KEYDOWN, VK_DELETE, ""},
        {Qt::Key_Return, Qt::NoModifier, "\r", WM_KEYDOWN, VK_RETURN, "\r"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", WM_KEYDOWN, VK_RETURN, "\r"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", WM_KEYDOWN, VK_ESCAPE, "\x1b"},
        {Qt::Key_Tab, Qt::NoModifier, "\t", WM_KEYDOWN, VK_TAB, "\t"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "", WM_KEYDOWN, VK_TAB, "\t"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", WM_KEYDOWN, VK_BACK, "\b"},
        {Qt::Key_Space, Qt::NoModifier, " ", WM_KEYDOWN, VK_SPACE, " "},
        {Qt::Key_Menu, Qt::NoModifier, "", WM_KEYDOWN, VK_APPS, ""},
        {Qt::Key_Shift, Qt::NoModifier, "", WM_KEYDOWN, VK_SHIFT, ""},
        {Qt::Key_Control, Qt::NoModifier, "", WM_KEYDOWN, VK_CONTROL, ""},
        {Qt::Key_Question, Qt::ShiftModifier, "?", WM_KEYDOWN, VK_OEM_2, "?"},
        {Qt::Key_5, Qt::KeypadModifier, "5", WM_KEYDOWN, VK_NUMPAD0 + 5, "5"},
        {Qt::Key_E, Qt::NoModifier, "\xe9", WM_KEYDOWN, 'E', "\xe9"},
        // Ctrl+letter types the control characters editors act on.
        {Qt::Key_A, Qt::ControlModifier, "\x01", WM_KEYDOWN, 'A', "\x01"},
        {Qt::Key_C, Qt::ControlModifier, "", WM_KEYDOWN, 'C', "\x03"},
        {Qt::Key_V, Qt::ControlModifier, "\x16", WM_KEYDOWN, 'V', "\x16"},
        {Qt::Key_X, Qt::ControlModifier, "", WM_KEYDOWN, 'X', "\x18"},
        {Qt::Key_Z, Qt::ControlModifier, "", WM_KEYDOWN, 'Z', "\x1a"},
        {Qt::Key_5, Qt::ControlModifier, "5", WM_KEYDOWN, '5', ""},
    };
    for (const Case& c : cases)
    {
        std::vector<Message> log;
        const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50),
                                     Recorder(log, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP, WM_CHAR}));
        SetFocus(hwnd);
        winlib::PumpPending();
        SendKeyPress(hwnd, c.key, c.modifiers, QString::fromLatin1(c.text));
        winlib::PumpPending();

        const std::string what = "key 0x" + std::to_string(c.key);
        ASSERT_GE(log.size(), 2u) << what;
        EXPECT_EQ(log.front().message, c.downMessage) << what;
        EXPECT_EQ(static_cast<int>(log.front().wParam), c.vk) << what;
        EXPECT_EQ(log.back().message, WM_KEYUP) << what;
        std::string chars;
        for (const Message& m : log)
        {
            if (m.message == WM_CHAR)
                chars += static_cast<char>(m.wParam);
        }
        EXPECT_EQ(chars, c.chars) << what;
        DestroyWindow(hwnd);
    }
}

TEST_F(QtInputTest, AltTypesNothingAndAutoRepeatHasNoReleases)
{
    std::vector<Message> log;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50),
                                 Recorder(log, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_KEYUP, WM_SYSKEYUP, WM_CHAR}));
    SetFocus(hwnd);
    SendKey(hwnd, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    SendKeyPress(hwnd, Qt::Key_F, Qt::AltModifier, "f");
    SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Alt);
    winlib::PumpPending();
    EXPECT_EQ(Kinds(log), (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_KEYUP}));
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].wParam, static_cast<WPARAM>('F'));

    log.clear();
    SendKey(hwnd, QEvent::KeyPress, Qt::Key_Right);
    SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    SendKey(hwnd, QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    SendKey(hwnd, QEvent::KeyRelease, Qt::Key_Right);
    winlib::PumpPending();
    EXPECT_EQ(Kinds(log), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_KEYUP}));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(log[1].lParam & (1 << 30)) << "the repeat says the key was down";
}

TEST_F(QtInputTest, MouseMessagesCarryWindowCoordinatesAndDoubleClicks)
{
    std::vector<Message> log;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(200, 150, 300, 250),
                                 Recorder(log, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                                WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE, WM_MOUSEWHEEL}));
    winlib::PumpPending();

    SendMouse(hwnd, QEvent::MouseMove, QPoint(7, 9), Qt::NoButton);
    SendMouse(hwnd, QEvent::MouseButtonPress, QPoint(7, 9));
    SendMouse(hwnd, QEvent::MouseButtonRelease, QPoint(7, 9));
    SendMouse(hwnd, QEvent::MouseButtonDblClick, QPoint(7, 9));
    SendMouse(hwnd, QEvent::MouseButtonRelease, QPoint(7, 9));
    SendMouse(hwnd, QEvent::MouseButtonPress, QPoint(50, 60), Qt::RightButton);
    SendMouse(hwnd, QEvent::MouseButtonRelease, QPoint(50, 60), Qt::RightButton);
    QWidget* widget = WidgetOf(hwnd);
    QWheelEvent wheel(QPointF(11, 12), QPointF(widget->mapToGlobal(QPoint(11, 12))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
    winlib::PumpPending();

    EXPECT_EQ(Kinds(log), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                             WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEWHEEL}));
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[1].lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(log[3].lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(log[5].lParam, MAKELPARAM(50, 60));
    EXPECT_EQ(static_cast<short>(HIWORD(log[7].wParam)), -120);
    EXPECT_EQ(log[7].lParam, MAKELPARAM(211, 162)) << "wheel positions are on the screen";
}

TEST_F(QtInputTest, WindowSystemRequestsBecomeWindowMessages)
{
    std::vector<Message> log;
    int paints = 0;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 60, 40),
                                 [&](HWND h, UINT m, WPARAM w, LPARAM l)
                                 {
                                     if (m == WM_PAINT)
                                         ++paints;
                                     return Recorder(log, {WM_CLOSE})(h, m, w, l);
                                 });
    winlib::PumpPending();
    const int paintedAtFirst = paints;
    ASSERT_GE(paintedAtFirst, 1);

    // Closing from the window manager only asks.
    QWidget* widget = WidgetOf(hwnd);
    EXPECT_FALSE(widget->close());
    winlib::PumpPending();
    EXPECT_EQ(Kinds(log), std::vector<UINT>{WM_CLOSE});
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(widget->isVisible());

    // Shown or resized by the window system: painted again.
    QResizeEvent resize(widget->size(), widget->size());
    QCoreApplication::sendEvent(widget, &resize);
    winlib::PumpPending();
    EXPECT_EQ(paints, paintedAtFirst + 1);
}

TEST_F(QtInputTest, WindowDestroyedByItsOwnClickGoesAwayQuietly)
{
    const HWND other = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 30, 30), nullptr);
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(100, 0, 160, 40),
                                 [](HWND h, UINT m, WPARAM w, LPARAM l)
                                 {
                                     if (m == WM_MOUSEACTIVATE)
                                     {
                                         DestroyWindow(h);
                                         return static_cast<LRESULT>(MA_NOACTIVATEANDEAT);
                                     }
                                     return DefWindowProc(h, m, w, l);
                                 });
    SetActiveWindow(other); // so that the click activates, and asks first
    winlib::PumpPending();
    QPointer<QWidget> widget = WidgetOf(hwnd);
    ASSERT_FALSE(widget.isNull());

    SendMouse(hwnd, QEvent::MouseButtonPress, QPoint(5, 5));
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_FALSE(widget.isNull()) << "not deleted under its own event handler";
    EXPECT_FALSE(widget->isVisible());
    winlib::GetBackend().WaitForEvents(0);
    EXPECT_TRUE(widget.isNull());
}

TEST_F(QtInputTest, PopupKindsBecomeToolWindowsThatStayOnTop)
{
    const HWND main = MakeWindow(WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100), nullptr);
    const HWND menu = MakeWindow(WS_POPUP | WS_BORDER, CRect(10, 10, 80, 80), nullptr, main,
                                 WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const HWND dialog = MakeWindow(WS_POPUP | WS_CAPTION, CRect(10, 10, 80, 80), nullptr, main);

    const Qt::WindowFlags mainFlags = WidgetOf(main)->windowFlags();
    EXPECT_TRUE(mainFlags & Qt::FramelessWindowHint);
    EXPECT_EQ(mainFlags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_FALSE(mainFlags & Qt::WindowStaysOnTopHint);

    QWidget* menuWidget = WidgetOf(menu);
    EXPECT_EQ(menuWidget->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(menuWidget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(menuWidget->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(menuWidget->testAttribute(Qt::WA_ShowWithoutActivating));
    ASSERT_NE(menuWidget->windowHandle(), nullptr);
    EXPECT_EQ(menuWidget->windowHandle()->transientParent(), WidgetOf(main)->windowHandle());

    QWidget* dialogWidget = WidgetOf(dialog);
    EXPECT_EQ(dialogWidget->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    EXPECT_FALSE(dialogWidget->testAttribute(Qt::WA_ShowWithoutActivating));

    // The Qt window follows the window's geometry, visibility and title.
    SetWindowText(main, "Maker");
    SetWindowPos(main, nullptr, 40, 30, 220, 120, SWP_NOZORDER);
    ShowWindow(main, SW_SHOW);
    EXPECT_EQ(WidgetOf(main)->windowTitle(), QString("Maker"));
    EXPECT_EQ(WidgetOf(main)->geometry(), QRect(40, 30, 220, 120));
    EXPECT_TRUE(WidgetOf(main)->isVisible());
    ShowWindow(main, SW_HIDE);
    EXPECT_FALSE(WidgetOf(main)->isVisible());
    DestroyWindow(main);
    EXPECT_EQ(WidgetOf(main), nullptr);
    EXPECT_EQ(WidgetOf(menu), nullptr) << "owned windows go with their owner";
}

} // namespace
} // namespace qttest
