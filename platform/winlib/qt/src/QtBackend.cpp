#include "QtBackend.h"

#include "winlib/Api.h"
#include "winlib/qt/QtBackend.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace winlib::qt
{

namespace
{

// Qt's offscreen platform has an 800x800 screen unless it is given a configuration file
// ("-platform offscreen:configfile=..."); runs without a display assume a desktop-sized
// screen instead, as the headless backend does.
constexpr SIZE kDesktopSize{1920, 1080};
constexpr QSize kOffscreenDefault(800, 800);

} // namespace

QtBackend::QtBackend()
    : m_registry(std::make_shared<SurfaceRegistry>()), m_dispatcher(QAbstractEventDispatcher::instance())
{
    m_clock.start();
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::PreciseTimer);
}

QtBackend::~QtBackend()
{
    m_registry->DeleteOrphans();
}

std::unique_ptr<Surface> QtBackend::CreateSurface(HWND topLevel, const RECT& screenRect)
{
    return std::make_unique<QtSurface>(topLevel, screenRect, m_registry);
}

std::unique_ptr<Canvas> QtBackend::CreateMemoryCanvas(int width, int height)
{
    return std::make_unique<QtCanvas>(width, height, RGB(0, 0, 0));
}

DWORD QtBackend::Now()
{
    return static_cast<DWORD>(m_clock.elapsed());
}

void QtBackend::WaitForEvents(int timeoutMs)
{
    m_registry->DeleteOrphans();
    m_registry->delivered = false;
    QElapsedTimer waited;
    waited.start();
    const auto done = [this] { return m_woken.exchange(false) || m_registry->delivered; };
    // What Qt already has is delivered first, without blocking.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (!done())
    {
        int remaining = -1;
        if (timeoutMs >= 0)
        {
            remaining = timeoutMs - static_cast<int>(waited.elapsed());
            if (remaining <= 0)
                break;
            m_timeout.start(remaining);
        }
        // Blocks until Qt has something: input, a timer, our time-out or a Wake().
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        m_timeout.stop();
    }
    m_registry->DeleteOrphans();
}

void QtBackend::Wake()
{
    // The flag covers a Wake() that comes before the wait starts; wakeUp() is Qt's
    // thread-safe way to end a blocking processEvents.
    m_woken.store(true);
    if (m_dispatcher)
        m_dispatcher->wakeUp();
}

SIZE QtBackend::ScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize();
    if (size.isEmpty() ||
        (QGuiApplication::platformName() == QLatin1String("offscreen") && size == kOffscreenDefault))
        return kDesktopSize;
    return SIZE{size.width(), size.height()};
}

void QtBackend::SetClipboardText(const std::string& text)
{
    // Strings of the window library are single-byte; Latin-1 keeps every byte as it is.
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QtBackend::GetClipboardText()
{
    return QGuiApplication::clipboard()->text().toLatin1().toStdString();
}

QtSurface* QtBackend::FindSurface(HWND topLevel) const
{
    const auto it = m_registry->surfaces.find(topLevel);
    return it == m_registry->surfaces.end() ? nullptr : it->second;
}

namespace
{

QtSurface* SurfaceOf(HWND hwnd)
{
    auto* backend = dynamic_cast<QtBackend*>(&winlib::GetBackend());
    if (!backend || !IsWindow(hwnd))
        return nullptr;
    return backend->FindSurface(GetAncestor(hwnd, GA_ROOT));
}

// Qt wants a private runtime directory and warns on every start when the session has none
// (a bare X server, a container): one of our own is made, as a login session would.
void PrepareRuntimeDirectory()
{
    const char* given = std::getenv("XDG_RUNTIME_DIR");
    if (given && *given)
        return;
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/kivo-runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    struct stat info
    {
    };
    // Only a directory of this user that nobody else can enter will do.
    if (lstat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
        (info.st_mode & 0077) == 0)
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
}

QtMessageHandler g_qtMessages = nullptr;

// Qt's offscreen platform cannot raise a window and says so each time one is shown; there is
// nothing to raise without a screen, so that one message is dropped.
void QuietOffscreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text == QLatin1String("This plugin does not support raise()"))
        return;
    if (g_qtMessages)
        g_qtMessages(type, context, text);
    else
        std::fputs((text.toLocal8Bit() + '\n').constData(), stderr);
}

} // namespace

void InstallQtBackend(int& argc, char** argv)
{
    // The application is never deleted: it must outlive every window, bitmap and font,
    // and some of those are only torn down by static destructors at exit.
    if (!QCoreApplication::instance())
    {
        PrepareRuntimeDirectory();
        g_qtMessages = qInstallMessageHandler(QuietOffscreenMessages);
        new QApplication(argc, argv);
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw std::logic_error("the Qt backend needs a QApplication");
    winlib::SetBackend(std::make_unique<QtBackend>());
}

bool QtBackendInstalled()
{
    return dynamic_cast<QtBackend*>(&winlib::GetBackend()) != nullptr;
}

bool SaveWindowPng(HWND hwnd, const std::string& path)
{
    QtSurface* surface = SurfaceOf(hwnd);
    if (!surface)
        return false;
    RedrawWindow(surface->Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Painting may have destroyed the window.
    surface = SurfaceOf(hwnd);
    return surface && surface->Image().save(QString::fromStdString(path), "PNG");
}

bool SaveScreenPng(const std::string& path)
{
    auto* backend = dynamic_cast<QtBackend*>(&winlib::GetBackend());
    if (!backend)
        return false;
    std::vector<HWND> tops;
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
    {
        if (IsWindowVisible(top) && backend->FindSurface(top))
            tops.push_back(top);
    }
    QRect covered;
    for (HWND top : tops)
    {
        RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RECT r{};
        GetWindowRect(top, &r);
        covered |= QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    }
    if (covered.isEmpty())
        return false;
    QImage screen(covered.size(), QImage::Format_RGB32);
    screen.fill(QColor(0, 128, 128)); // the classic desktop
    QPainter painter(&screen);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    {
        const QtSurface* surface = IsWindow(*it) ? backend->FindSurface(*it) : nullptr;
        if (!surface)
            continue;
        RECT r{};
        GetWindowRect(*it, &r);
        painter.drawImage(QPoint(r.left, r.top) - covered.topLeft(), surface->Image());
    }
    painter.end();
    return screen.save(QString::fromStdString(path), "PNG");
}

unsigned PaintGeneration()
{
    auto* backend = dynamic_cast<QtBackend*>(&winlib::GetBackend());
    return backend ? backend->Registry().presented : 0;
}

bool ResizeFromOutside(HWND hwnd, int width, int height)
{
    QtSurface* surface = SurfaceOf(hwnd);
    if (!surface || width <= 0 || height <= 0)
        return false;
    surface->Widget()->resize(width, height);
    // The resize reaches the widget as an event, as a window manager's would.
    QCoreApplication::processEvents();
    return true;
}

COLORREF WindowPixel(HWND hwnd, int x, int y)
{
    const QtSurface* surface = SurfaceOf(hwnd);
    if (!surface || x < 0 || y < 0 || x >= surface->Image().width() || y >= surface->Image().height())
        return CLR_INVALID;
    const QRgb p = surface->Image().pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

std::vector<COLORREF> WindowPixels(HWND hwnd, const RECT& area)
{
    const int width = std::max(0, static_cast<int>(area.right - area.left));
    const int height = std::max(0, static_cast<int>(area.bottom - area.top));
    std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                 CLR_INVALID);
    const QtSurface* surface = SurfaceOf(hwnd);
    if (!surface)
        return pixels;
    const QImage& image = surface->Image();
    auto out = pixels.begin();
    for (int y = area.top; y < area.bottom; ++y)
    {
        for (int x = area.left; x < area.right; ++x, ++out)
        {
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
            {
                const QRgb p = image.pixel(x, y);
                *out = RGB(qRed(p), qGreen(p), qBlue(p));
            }
        }
    }
    return pixels;
}

} // namespace winlib::qt
