// The seam between the window library and whatever shows its windows: a headless
// backend (the default; tests advance its clock) or the Qt screen backend.
#pragma once

#include "winlib/Canvas.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace winlib
{

// A top-level window's presence on the backend: its pixels and, on screen, a real window.
class Surface
{
public:
    virtual ~Surface() = default;
    virtual Canvas& GetCanvas() = 0;
    // Geometry in screen coordinates, the whole window including its frame.
    virtual void SetGeometry(const RECT& screenRect) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Painting of 'dirty' (window coordinates) has finished; show it.
    virtual void Present(const RECT& dirty) = 0;
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual std::unique_ptr<Surface> CreateSurface(HWND topLevel, const RECT& screenRect) = 0;
    // A canvas for device contexts that belong to no visible window (measuring text,
    // memory bitmaps created before any window exists).
    virtual std::unique_ptr<Canvas> CreateMemoryCanvas(int width, int height) = 0;
    // Milliseconds on the library's clock.
    virtual DWORD Now() = 0;
    // Waits until the backend has input to deliver, Wake() is called, or timeoutMs
    // passes (negative: no limit), delivering the backend's own events meanwhile.
    virtual void WaitForEvents(int timeoutMs) = 0;
    // Thread-safe: makes a waiting WaitForEvents return.
    virtual void Wake() = 0;
    // Screen size in pixels.
    virtual SIZE ScreenSize() = 0;
    // Plain-text clipboard of the system; the headless backend keeps its own.
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;
    // Shows a standard cursor (an IDC_ number; 0 hides it) over the backend's windows.
    virtual void SetCursorShape(int cursorId) { (void)cursorId; }
    // The font families installed, for the Latin (ANSI) character set. Without a screen this is
    // the fixed set of DefaultFontFamilies(), so that what tests see never depends on the machine.
    virtual std::vector<std::string> FontFamilies();
};

// How headless surfaces draw: into nothing (fast) or into recording canvases that tests read.
enum class HeadlessDrawing
{
    Null,
    Recording
};

// The default backend: no screen. With a manual clock the time only moves when told to
// (tests); with the real clock it follows the steady clock (headless runs of the host).
class HeadlessBackend : public Backend
{
public:
    explicit HeadlessBackend(bool manualClock = true, HeadlessDrawing drawing = HeadlessDrawing::Null);
    ~HeadlessBackend() override;

    std::unique_ptr<Surface> CreateSurface(HWND topLevel, const RECT& screenRect) override;
    std::unique_ptr<Canvas> CreateMemoryCanvas(int width, int height) override;
    DWORD Now() override;
    void WaitForEvents(int timeoutMs) override;
    void Wake() override;
    SIZE ScreenSize() override { return SIZE{1920, 1080}; }
    void SetClipboardText(const std::string& text) override { m_clipboard = text; }
    std::string GetClipboardText() override { return m_clipboard; }

    void AdvanceClock(DWORD ms);
    bool ManualClock() const { return m_manualClock; }
    void SetDrawing(HeadlessDrawing drawing) { m_drawing = drawing; }
    HeadlessDrawing Drawing() const { return m_drawing; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_manualClock;
    HeadlessDrawing m_drawing;
    DWORD m_manualNow = 0;
    std::string m_clipboard;
};

// The faces a backend without fonts of its own reports: Arial, Courier New, Microsoft Sans Serif,
// MS Sans Serif, MS Shell Dlg, Segoe UI, Tahoma, Times New Roman and Verdana, in that order.
const std::vector<std::string>& DefaultFontFamilies();

// Installs the backend; every window created afterwards uses it. Call before creating windows.
void SetBackend(std::unique_ptr<Backend> backend);
Backend& GetBackend();
// Changes with every SetBackend, so that what was made by an earlier backend can be told apart
// even when the new one happens to live at the same address.
unsigned BackendGeneration();
// The installed backend when it is headless, else null.
HeadlessBackend* GetHeadlessBackend();

} // namespace winlib
