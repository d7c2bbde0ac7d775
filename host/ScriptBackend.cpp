#include "host/ScriptBackend.h"

namespace host
{

namespace
{
ScriptBackend* g_installed = nullptr;
}

// The headless surface, known to the backend for as long as it lives.
class ScriptBackend::TrackedSurface : public winlib::Surface
{
public:
    TrackedSurface(ScriptBackend& owner, HWND window, std::unique_ptr<winlib::Surface> surface)
        : m_owner(owner), m_window(window), m_surface(std::move(surface))
    {
        m_owner.m_surfaces[m_window] = this;
    }
    ~TrackedSurface() override { m_owner.m_surfaces.erase(m_window); }

    winlib::Canvas& GetCanvas() override { return m_surface->GetCanvas(); }
    void SetGeometry(const RECT& screenRect) override { m_surface->SetGeometry(screenRect); }
    void SetVisible(bool visible) override { m_surface->SetVisible(visible); }
    void SetTitle(const std::string& title) override { m_surface->SetTitle(title); }
    void Present(const RECT& dirty) override { m_surface->Present(dirty); }

private:
    ScriptBackend& m_owner;
    HWND m_window;
    std::unique_ptr<winlib::Surface> m_surface;
};

ScriptBackend::ScriptBackend() : HeadlessBackend(false, winlib::HeadlessDrawing::Recording)
{
    g_installed = this;
}

ScriptBackend::~ScriptBackend()
{
    if (g_installed == this)
        g_installed = nullptr;
}

ScriptBackend* ScriptBackend::Installed()
{
    return g_installed;
}

std::unique_ptr<winlib::Surface> ScriptBackend::CreateSurface(HWND topLevel, const RECT& screenRect)
{
    auto surface = std::make_unique<TrackedSurface>(*this, topLevel,
                                                    HeadlessBackend::CreateSurface(topLevel, screenRect));
    if (auto* canvas = dynamic_cast<winlib::RecordingCanvas*>(&surface->GetCanvas()))
        canvas->SetKeeping(m_reading);
    return surface;
}

void ScriptBackend::KeepDrawing(bool keeping)
{
    m_reading = keeping;
    for (const auto& [window, surface] : m_surfaces)
    {
        if (auto* canvas = dynamic_cast<winlib::RecordingCanvas*>(&surface->GetCanvas()))
        {
            canvas->Clear();
            canvas->SetKeeping(keeping);
        }
    }
}

void ScriptBackend::BeginReading()
{
    KeepDrawing(true);
}

std::vector<winlib::DrawOp> ScriptBackend::EndReading(HWND window)
{
    std::vector<winlib::DrawOp> texts;
    for (const auto& [top, surface] : m_surfaces)
    {
        const auto* canvas = dynamic_cast<const winlib::RecordingCanvas*>(&surface->GetCanvas());
        if (!canvas)
            continue;
        for (const winlib::DrawOp& op : canvas->Ops())
        {
            if (op.window == window && op.kind == winlib::DrawOp::Kind::Text)
                texts.push_back(op);
        }
    }
    KeepDrawing(false);
    return texts;
}

} // namespace host
