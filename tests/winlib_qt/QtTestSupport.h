// Windows on the Qt backend under the offscreen platform: a fixture that puts the backend
// in place, windows whose messages a lambda handles, and Qt events sent to the Qt window
// of a top-level window as the window system would send them.
#pragma once

#include "winlib/Api.h"
#include "winlib/Backend.h"
#include "winlib/Gdi.h"
#include "winlib/Runtime.h"
#include "winlib/qt/QtBackend.h"
#include "winlib/testing/Driver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

namespace qttest
{

using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

inline std::map<HWND, Handler>& Handlers()
{
    static std::map<HWND, Handler> handlers;
    return handlers;
}

inline Handler& NextHandler() // bound to the window being created on its first message
{
    static Handler next;
    return next;
}

inline LRESULT TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto it = Handlers().find(hwnd);
    if (it == Handlers().end() && NextHandler())
        it = Handlers().emplace(hwnd, std::exchange(NextHandler(), nullptr)).first;
    if (message == WM_NCDESTROY || it == Handlers().end())
    {
        Handlers().erase(hwnd);
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
    return it->second(hwnd, message, wParam, lParam);
}

// A window of the test class; 'handler' sees every message, DefWindowProc when it is null.
inline HWND MakeWindow(DWORD style, const RECT& r, Handler handler, HWND parent = nullptr, DWORD exStyle = 0)
{
    WNDCLASS wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TestWindowProc;
    wc.lpszClassName = "QtTestWindow";
    RegisterClass(&wc);
    NextHandler() = handler ? std::move(handler) : Handler(DefWindowProc);
    const HWND hwnd = CreateWindowEx(exStyle, wc.lpszClassName, "", style, r.left, r.top, r.right - r.left,
                                     r.bottom - r.top, parent, nullptr, nullptr, nullptr);
    NextHandler() = nullptr;
    return hwnd;
}

// Paints with the window's WM_PAINT device context; erasing is left to 'paint'.
inline Handler Painter(std::function<void(HDC)> paint)
{
    return [paint = std::move(paint)](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT
    {
        if (message == WM_ERASEBKGND)
            return 1;
        if (message != WM_PAINT)
            return DefWindowProc(hwnd, message, wParam, lParam);
        PAINTSTRUCT ps{};
        paint(BeginPaint(hwnd, &ps));
        EndPaint(hwnd, &ps);
        return 0;
    };
}

inline void Fill(HDC hdc, const RECT& r, COLORREF color)
{
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(hdc, &r, brush);
    DeleteObject(brush);
}

inline QWidget* WidgetOf(HWND hwnd)
{
    for (QWidget* w : QApplication::topLevelWidgets())
    {
        if (w->property("hwnd").value<quintptr>() == reinterpret_cast<quintptr>(hwnd))
            return w;
    }
    return nullptr;
}

inline void SendMouse(HWND top, QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* widget = WidgetOf(top);
    ASSERT_NE(widget, nullptr);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

inline void SendKey(HWND top, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                    const QString& text = QString(), bool autoRepeat = false)
{
    QWidget* widget = WidgetOf(top);
    ASSERT_NE(widget, nullptr);
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QCoreApplication::sendEvent(widget, &event);
}

inline void SendKeyPress(HWND top, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                         const QString& text = QString())
{
    SendKey(top, QEvent::KeyPress, key, modifiers, text);
    SendKey(top, QEvent::KeyRelease, key, modifiers, text);
}

inline QRgb Rgb(COLORREF c)
{
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The driver brings the window library back to a clean state before and after each test;
// the Qt backend (offscreen) then takes the place of its headless one.
class QtWindowTest : public ::testing::Test
{
protected:
    QtWindowTest()
    {
        static int argc = 1;
        static char name[] = "winlib_qt_tests";
        static char* argv[] = {name, nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        winlib::qt::InstallQtBackend(argc, argv);
    }

    // Handlers capture the test's locals, which are gone once the body ends; the windows
    // the driver destroys afterwards fall back to DefWindowProc.
    void TearDown() override { Handlers().clear(); }

    winlib::testing::Driver m_driver;
};

} // namespace qttest
