// A top-level window on screen: a frameless Qt window that shows the window's image and
// turns the input it receives into device input of the window library.
#pragma once

#include "QtCanvas.h"
#include "winlib/Backend.h"

#include <QWidget>

#include <memory>
#include <unordered_map>
#include <vector>

namespace winlib::qt
{

class QtSurface;
class SurfaceWidget;

// What the backend and its surfaces share. Surfaces belong to window records and may
// outlive the backend that made them, so this is held by both.
struct SurfaceRegistry
{
    std::unordered_map<HWND, QtSurface*> surfaces;
    // Widgets whose window was destroyed while they were handling an event; deleted
    // once no event handler runs.
    std::vector<QWidget*> orphans;
    // Input or a repaint request reached the window library since the last wait began.
    bool delivered = false;
    // Counts what was painted and shown, so that a watcher knows when to look again.
    unsigned presented = 0;

    void DeleteOrphans();
};

class QtSurface : public Surface
{
public:
    QtSurface(HWND hwnd, const RECT& screenRect, std::shared_ptr<SurfaceRegistry> registry);
    ~QtSurface() override;
    QtSurface(const QtSurface&) = delete;
    QtSurface& operator=(const QtSurface&) = delete;

    Canvas& GetCanvas() override { return m_shadow ? *m_shadow : m_canvas; }
    void SetGeometry(const RECT& screenRect) override;
    void SetVisible(bool visible) override;
    void SetTitle(const std::string& title) override;
    void Present(const RECT& dirty) override;

    HWND Window() const { return m_hwnd; }
    const QImage& Image() const { return m_canvas.Image(); }
    QWidget* Widget() const;
    // While a shadow canvas is set, painting goes there and nothing reaches the screen: the
    // repaint check draws the window afresh into it beside what the screen shows.
    void SetShadow(QtCanvas* shadow) { m_shadow = shadow; }
    // The size the window library last gave the Qt window; a resize to any other size came
    // from outside.
    QSize RequestedSize() const { return m_requested; }
    void TakeOutsideSize(QSize size) { m_requested = size; }

private:
    HWND m_hwnd;
    QtCanvas m_canvas;
    QtCanvas* m_shadow = nullptr;
    QSize m_requested;
    std::shared_ptr<SurfaceRegistry> m_registry;
    SurfaceWidget* m_widget; // owned: deleted with the surface, or handed to the orphans
};

} // namespace winlib::qt
