// A stand-in for the screen in tests of what only happens on screen (the popup menu
// window, the colour dialog): the backend is not headless, so modal loops wait for input,
// and each wait runs the next step of a script, which delivers input as a user would.
// Surfaces record their drawing like the headless recording backend.
//
// Install it right after the test's Driver; the library owns it until the Driver ends.
// It replaces the Driver's headless backend, so Driver::AdvanceClock and Driver::Backend
// are not to be used in such a test.
#pragma once

#include "winlib/Backend.h"
#include "winlib/Input.h"
#include "winlib/Runtime.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace kivo::test
{

class ScriptedScreen : public winlib::Backend
{
public:
    static ScriptedScreen& Install()
    {
        auto screen = std::make_unique<ScriptedScreen>();
        ScriptedScreen& installed = *screen;
        winlib::SetBackend(std::move(screen));
        return installed;
    }

    // The next thing the user does while a modal loop waits.
    void Then(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    std::size_t StepsLeft() const { return m_steps.size(); }
    // How often a loop waited with no step left (it was sent Escape, then told to quit).
    int Starved() const { return m_starved; }

    std::unique_ptr<winlib::Surface> CreateSurface(HWND topLevel, const RECT& screenRect) override
    {
        return m_inner.CreateSurface(topLevel, screenRect);
    }
    std::unique_ptr<winlib::Canvas> CreateMemoryCanvas(int width, int height) override
    {
        return m_inner.CreateMemoryCanvas(width, height);
    }
    DWORD Now() override { return m_inner.Now(); }
    void WaitForEvents(int) override
    {
        if (!m_steps.empty())
        {
            auto step = std::move(m_steps.front());
            m_steps.pop_front();
            step();
            return;
        }
        // A loop that nobody scripted far enough must still end.
        if (m_starved++ == 0)
        {
            winlib::input::KeyDown(VK_ESCAPE);
            winlib::input::KeyUp(VK_ESCAPE);
        }
        else
            PostQuitMessage(0);
    }
    void Wake() override {}
    SIZE ScreenSize() override { return SIZE{1920, 1080}; }
    void SetClipboardText(const std::string& text) override { m_inner.SetClipboardText(text); }
    std::string GetClipboardText() override { return m_inner.GetClipboardText(); }

private:
    winlib::HeadlessBackend m_inner{true, winlib::HeadlessDrawing::Recording};
    std::deque<std::function<void()>> m_steps;
    int m_starved = 0;
};

} // namespace kivo::test
