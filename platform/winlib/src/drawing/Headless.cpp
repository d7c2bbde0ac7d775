// The headless backend and the installed-backend slot.
#include "winlib/Backend.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace winlib
{

namespace
{

class HeadlessSurface : public Surface
{
public:
    HeadlessSurface(std::unique_ptr<Canvas> canvas) : m_canvas(std::move(canvas)) {}
    Canvas& GetCanvas() override { return *m_canvas; }
    void SetGeometry(const RECT& screenRect) override
    {
        const CRect r(screenRect);
        m_canvas->Resize(r.Width(), r.Height());
    }
    void SetVisible(bool) override {}
    void SetTitle(const std::string&) override {}
    void Present(const RECT&) override {}

private:
    std::unique_ptr<Canvas> m_canvas;
};

std::unique_ptr<Backend>& Installed()
{
    static std::unique_ptr<Backend> backend = std::make_unique<HeadlessBackend>();
    return backend;
}

} // namespace

struct HeadlessBackend::Impl
{
    std::mutex lock;
    std::condition_variable woken;
    bool wake = false;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

HeadlessBackend::HeadlessBackend(bool manualClock, HeadlessDrawing drawing)
    : m_impl(std::make_unique<Impl>()), m_manualClock(manualClock), m_drawing(drawing)
{
}

HeadlessBackend::~HeadlessBackend() = default;

std::unique_ptr<Surface> HeadlessBackend::CreateSurface(HWND, const RECT& screenRect)
{
    const CRect r(screenRect);
    return std::make_unique<HeadlessSurface>(CreateMemoryCanvas(r.Width(), r.Height()));
}

std::unique_ptr<Canvas> HeadlessBackend::CreateMemoryCanvas(int width, int height)
{
    if (m_drawing == HeadlessDrawing::Recording)
        return std::make_unique<RecordingCanvas>(width, height);
    return std::make_unique<NullCanvas>(width, height);
}

DWORD HeadlessBackend::Now()
{
    if (m_manualClock)
        return m_manualNow;
    const auto elapsed = std::chrono::steady_clock::now() - m_impl->start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void HeadlessBackend::WaitForEvents(int timeoutMs)
{
    if (m_manualClock)
        return;
    std::unique_lock<std::mutex> guard(m_impl->lock);
    const auto ready = [this] { return m_impl->wake; };
    if (timeoutMs < 0)
        m_impl->woken.wait(guard, ready);
    else
        m_impl->woken.wait_for(guard, std::chrono::milliseconds(timeoutMs), ready);
    m_impl->wake = false;
}

void HeadlessBackend::Wake()
{
    {
        std::lock_guard<std::mutex> guard(m_impl->lock);
        m_impl->wake = true;
    }
    m_impl->woken.notify_all();
}

void HeadlessBackend::AdvanceClock(DWORD ms) { m_manualNow += ms; }

namespace
{
unsigned g_backendGeneration = 0;
} // namespace

void SetBackend(std::unique_ptr<Backend> backend)
{
    Installed() = std::move(backend);
    ++g_backendGeneration;
}

unsigned BackendGeneration() { return g_backendGeneration; }

Backend& GetBackend() { return *Installed(); }

HeadlessBackend* GetHeadlessBackend() { return dynamic_cast<HeadlessBackend*>(Installed().get()); }

} // namespace winlib
