#include "QtSurface.h"

#include "QtKeyMap.h"
#include "winlib/Api.h"
#include "winlib/Input.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QWindow>

namespace winlib::qt
{

// The Qt side of a surface. It paints the surface's image and hands input to the window
// library; after its surface is gone (Detach) it ignores everything.
class SurfaceWidget : public QWidget
{
public:
    SurfaceWidget(QtSurface* surface, std::shared_ptr<SurfaceRegistry> registry, Qt::WindowFlags flags)
        : QWidget(nullptr, flags), m_surface(surface), m_hwnd(surface->Window()),
          m_registry(std::move(registry))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        // Tools find the window library's window of a Qt window by this property.
        setProperty("hwnd", QVariant::fromValue(reinterpret_cast<quintptr>(m_hwnd)));
    }

    void Detach() { m_surface = nullptr; }
    bool Busy() const { return m_depth > 0; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    POINT ToScreen(QPointF local) const;
    void Mouse(QMouseEvent* e);
    void Wheel(QWheelEvent* e);
    void Key(QKeyEvent* e);
    // Input can destroy the window (a click that activates it, say), so after handing
    // input over only the registry is used.
    void Delivered() { m_registry->delivered = true; }

    QtSurface* m_surface;
    const HWND m_hwnd;
    std::shared_ptr<SurfaceRegistry> m_registry;
    int m_depth = 0;
};

namespace
{

Qt::WindowFlags FlagsFor(DWORD style, DWORD exStyle)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    // Menus, drop-downs and tooltips: no taskbar entry, above their owner.
    if ((style & WS_POPUP) && (exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST)))
        flags = Qt::Tool | Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;
    if (exStyle & WS_EX_NOACTIVATE)
        flags |= Qt::WindowDoesNotAcceptFocus;
    return flags;
}

// A topmost tool popup without a caption (a menu, a list dropping down, a tooltip) must
// not take the activation from the window it belongs to.
bool ShowsWithoutActivating(DWORD style, DWORD exStyle)
{
    if (exStyle & WS_EX_NOACTIVATE)
        return true;
    return (style & WS_POPUP) && (exStyle & WS_EX_TOOLWINDOW) && (exStyle & WS_EX_TOPMOST) &&
           (style & WS_CAPTION) != WS_CAPTION;
}

input::Button ButtonOf(Qt::MouseButton button, bool* known)
{
    *known = true;
    switch (button)
    {
    case Qt::LeftButton:
        return input::Button::Left;
    case Qt::RightButton:
        return input::Button::Right;
    case Qt::MiddleButton:
        return input::Button::Middle;
    default:
        *known = false;
        return input::Button::Left;
    }
}

} // namespace

void SurfaceRegistry::DeleteOrphans()
{
    std::vector<QWidget*> dead;
    dead.swap(orphans);
    for (QWidget* widget : dead)
        delete widget;
}

bool SurfaceWidget::event(QEvent* e)
{
    struct Depth
    {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } guard(m_depth);

    switch (e->type())
    {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (m_surface)
            Mouse(static_cast<QMouseEvent*>(e));
        return true;
    case QEvent::Wheel:
        if (m_surface)
            Wheel(static_cast<QWheelEvent*>(e));
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Taken here rather than in keyPressEvent so that Tab reaches the window library
        // instead of moving Qt's focus.
        if (m_surface)
            Key(static_cast<QKeyEvent*>(e));
        return true;
    case QEvent::Close:
        // The window manager asks; the window decides, as on WM_CLOSE.
        e->ignore();
        if (m_surface && IsWindow(m_hwnd))
        {
            PostMessage(m_hwnd, WM_CLOSE, 0, 0);
            Delivered();
        }
        return true;
    case QEvent::Show:
    {
        const bool handled = QWidget::event(e);
        if (m_surface && IsWindow(m_hwnd))
        {
            InvalidateRect(m_hwnd, nullptr, TRUE);
            Delivered();
        }
        return handled;
    }
    case QEvent::Resize:
    {
        const bool handled = QWidget::event(e);
        const QSize size = static_cast<QResizeEvent*>(e)->size();
        // A size the window library did not ask for comes from outside (the window manager,
        // a tool): the window takes it, as a window does when its frame is dragged.
        if (m_surface && IsWindow(m_hwnd) && size != m_surface->RequestedSize())
        {
            m_surface->TakeOutsideSize(size);
            SetWindowPos(m_hwnd, nullptr, 0, 0, size.width(), size.height(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Delivered();
        }
        return handled;
    }
    default:
        return QWidget::event(e);
    }
}

void SurfaceWidget::paintEvent(QPaintEvent* e)
{
    if (!m_surface)
        return;
    QPainter painter(this);
    const QRect area = e->rect();
    painter.drawImage(area, m_surface->Image(), area);
}

POINT SurfaceWidget::ToScreen(QPointF local) const
{
    // From the window library's idea of where the window is, so that its hit tests agree
    // with what it drew even where a window manager placed the Qt window elsewhere.
    RECT window{};
    GetWindowRect(m_hwnd, &window);
    const QPoint p = local.toPoint();
    return POINT{window.left + p.x(), window.top + p.y()};
}

void SurfaceWidget::Mouse(QMouseEvent* e)
{
    const POINT screen = ToScreen(e->position());
    if (e->type() == QEvent::MouseMove)
    {
        input::MouseMove(screen);
        Delivered();
        return;
    }
    bool known = false;
    const input::Button button = ButtonOf(e->button(), &known);
    if (!known)
        return;
    // Qt reports a double click as press, release, double-click, release, which is the
    // order of Windows' messages too.
    const bool down = e->type() != QEvent::MouseButtonRelease;
    input::MouseButton(screen, button, down, e->type() == QEvent::MouseButtonDblClick);
    Delivered();
}

void SurfaceWidget::Wheel(QWheelEvent* e)
{
    const int delta = e->angleDelta().y();
    if (delta == 0)
        return;
    input::MouseWheel(ToScreen(e->position()), delta);
    Delivered();
}

void SurfaceWidget::Key(QKeyEvent* e)
{
    const int vk = VirtualKeyFromQt(e->key(), e->modifiers());
    if (e->type() == QEvent::KeyRelease)
    {
        // Auto-repeat on Windows is a run of key-downs without releases between them.
        if (vk && !e->isAutoRepeat())
        {
            input::KeyUp(vk);
            Delivered();
        }
        return;
    }
    if (vk)
        input::KeyDown(vk);
    for (const char ch : CharsForKey(e->key(), e->modifiers(), e->text()))
        input::Char(ch);
    Delivered();
}

QtSurface::QtSurface(HWND hwnd, const RECT& screenRect, std::shared_ptr<SurfaceRegistry> registry)
    : m_hwnd(hwnd),
      m_canvas(CRect(screenRect).Width(), CRect(screenRect).Height(), GetSysColor(COLOR_BTNFACE)),
      m_registry(std::move(registry))
{
    const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE));
    m_widget = new SurfaceWidget(this, m_registry, FlagsFor(style, exStyle));
    if (ShowsWithoutActivating(style, exStyle))
        m_widget->setAttribute(Qt::WA_ShowWithoutActivating);
    SetGeometry(screenRect);
    m_registry->surfaces[hwnd] = this;

    // An owned window stays above its owner, as the window manager is told.
    const auto owner = m_registry->surfaces.find(GetWindow(hwnd, GW_OWNER));
    if (owner != m_registry->surfaces.end() && owner->second != this)
    {
        QWidget* ownerWidget = owner->second->Widget();
        ownerWidget->winId();
        m_widget->winId();
        if (m_widget->windowHandle() && ownerWidget->windowHandle())
            m_widget->windowHandle()->setTransientParent(ownerWidget->windowHandle());
    }
}

QtSurface::~QtSurface()
{
    m_registry->surfaces.erase(m_hwnd);
    m_widget->Detach();
    m_widget->hide();
    if (m_widget->Busy())
        m_registry->orphans.push_back(m_widget);
    else
        delete m_widget;
}

QWidget* QtSurface::Widget() const
{
    return m_widget;
}

void QtSurface::SetGeometry(const RECT& screenRect)
{
    const CRect r(screenRect);
    m_canvas.Resize(r.Width(), r.Height());
    if (m_shadow)
        m_shadow->Resize(r.Width(), r.Height());
    // Qt windows cannot be empty; the image can.
    m_requested = QSize(std::max(1, r.Width()), std::max(1, r.Height()));
    m_widget->setGeometry(r.left, r.top, m_requested.width(), m_requested.height());
}

void QtSurface::SetVisible(bool visible)
{
    m_widget->setVisible(visible);
}

void QtSurface::SetTitle(const std::string& title)
{
    m_widget->setWindowTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
}

void QtSurface::Present(const RECT& dirty)
{
    if (m_shadow)
        return;
    ++m_registry->presented;
    const CRect r(dirty);
    m_widget->update(QRect(r.left, r.top, r.Width(), r.Height()));
}

} // namespace winlib::qt
