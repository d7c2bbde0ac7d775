// The backend that puts the window library on screen through Qt.
#pragma once

#include "QtSurface.h"
#include "winlib/Backend.h"

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <memory>

class QAbstractEventDispatcher;

namespace winlib::qt
{

class QtBackend : public Backend
{
public:
    // Needs the Qt application; made on the thread that runs the window library.
    QtBackend();
    ~QtBackend() override;
    QtBackend(const QtBackend&) = delete;
    QtBackend& operator=(const QtBackend&) = delete;

    std::unique_ptr<Surface> CreateSurface(HWND topLevel, const RECT& screenRect) override;
    std::unique_ptr<Canvas> CreateMemoryCanvas(int width, int height) override;
    DWORD Now() override;
    void WaitForEvents(int timeoutMs) override;
    void Wake() override;
    SIZE ScreenSize() override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;
    // QtSystem.cpp: the cursor shown over every window of the application, and the families of
    // the font database.
    void SetCursorShape(int cursorId) override;
    std::vector<std::string> FontFamilies() override;

    // The surface of a top-level window made by this backend; null when there is none.
    QtSurface* FindSurface(HWND topLevel) const;
    SurfaceRegistry& Registry() { return *m_registry; }

private:
    std::shared_ptr<SurfaceRegistry> m_registry;
    std::atomic<bool> m_woken{false};
    QAbstractEventDispatcher* m_dispatcher;
    QElapsedTimer m_clock;
    QTimer m_timeout; // ends a blocking wait when the caller's time-out runs out
};

} // namespace winlib::qt
