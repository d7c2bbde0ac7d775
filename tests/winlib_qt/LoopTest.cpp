// The loop on the Qt backend: waiting for Qt events, being woken from other threads, the
// real clock, and what comes from Qt's system services (clipboard, screen).
#include "QtTestSupport.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <thread>

namespace qttest
{
namespace
{

// Never reached when a wait ends as it should; a wait that ends only here missed its cause.
constexpr int kLongWait = 60000;
constexpr qint64 kTooLong = 30000;

using QtLoopTest = QtWindowTest;

// Runs 'during' from inside the next wait, then waits; true when the wait ended early.
bool WaitEndedBy(const std::function<void()>& during)
{
    QTimer::singleShot(0, during);
    QElapsedTimer clock;
    clock.start();
    winlib::GetBackend().WaitForEvents(kLongWait);
    return clock.elapsed() < kTooLong;
}

TEST_F(QtLoopTest, WaitEndsOnAWakeFromAnotherThreadOrOnInput)
{
    winlib::Backend& backend = winlib::GetBackend();
    std::thread waker;
    EXPECT_TRUE(WaitEndedBy([&] { waker = std::thread([&backend] { backend.Wake(); }); }));
    ASSERT_TRUE(waker.joinable());
    waker.join();

    // A wake that came before the wait ends the next one at once.
    backend.Wake();
    EXPECT_TRUE(WaitEndedBy([] {}));

    std::vector<WPARAM> keys;
    const HWND hwnd = MakeWindow(WS_POPUP | WS_VISIBLE, CRect(0, 0, 40, 40),
                                 [&](HWND h, UINT m, WPARAM w, LPARAM l)
                                 {
                                     if (m == WM_KEYDOWN)
                                         keys.push_back(w);
                                     return DefWindowProc(h, m, w, l);
                                 });
    SetFocus(hwnd);
    winlib::PumpPending();
    EXPECT_TRUE(WaitEndedBy([hwnd] { SendKey(hwnd, QEvent::KeyPress, Qt::Key_F5); }));
    winlib::PumpPending();
    EXPECT_EQ(keys, std::vector<WPARAM>{static_cast<WPARAM>(VK_F5)});
}

TEST_F(QtLoopTest, TaskPostedFromAnotherThreadRunsFromTheLoop)
{
    bool ran = false;
    std::thread poster;
    QTimer::singleShot(0, [&]
                       { poster = std::thread([&ran] { winlib::PostToUiThread([&ran] { ran = true; }); }); });
    // No timers: the loop waits without a limit, so only the post can end it.
    winlib::RunUntil([&] { return ran; });
    ASSERT_TRUE(poster.joinable());
    poster.join();
}

TEST_F(QtLoopTest, TimersAndTimeoutsRunOnTheRealClock)
{
    winlib::Backend& backend = winlib::GetBackend();
    const DWORD before = backend.Now();
    backend.WaitForEvents(25);
    EXPECT_GE(backend.Now() - before, 25u);

    int fired = 0;
    const HWND hwnd = MakeWindow(WS_POPUP, CRect(0, 0, 10, 10),
                                 [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT
                                 {
                                     if (m != WM_TIMER)
                                         return DefWindowProc(h, m, w, l);
                                     ++fired;
                                     KillTimer(h, w);
                                     return 0;
                                 });
    const DWORD start = GetTickCount();
    ASSERT_NE(SetTimer(hwnd, 5, 30, nullptr), 0u);
    winlib::RunUntil([&] { return fired > 0; });
    EXPECT_EQ(fired, 1);
    EXPECT_GE(GetTickCount() - start, 30u);
}

TEST_F(QtLoopTest, ClipboardAndScreenComeFromQt)
{
    ASSERT_TRUE(winlib::qt::QtBackendInstalled());
    winlib::Backend& backend = winlib::GetBackend();
    backend.SetClipboardText("caf\xe9 12,5");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromLatin1("caf\xe9 12,5"));
    QGuiApplication::clipboard()->setText(QStringLiteral("from Qt"));
    EXPECT_EQ(backend.GetClipboardText(), "from Qt");

    const SIZE screen = backend.ScreenSize();
    EXPECT_GE(screen.cx, 1024);
    EXPECT_GE(screen.cy, 768);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), screen.cx);
}

} // namespace
} // namespace qttest
