// The repaint check: what a window shows after any sequence of actions must be what a
// complete repaint of it gives. A missed invalidation (a window moved, shown or reparented
// without the area that needs painting being marked) leaves stale pixels that only this
// comparison sees, wherever it happens.
#include "QtBackend.h"

#include "winlib/Api.h"
#include "winlib/qt/QtBackend.h"

#include <QDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace winlib::qt
{

namespace
{

// A colour no window paints by itself, so that an area nobody paints shows up as well.
constexpr COLORREF kUnpainted = RGB(255, 0, 255);

void InvalidateTree(HWND hwnd)
{
    if (!IsWindowVisible(hwnd))
        return;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        InvalidateTree(child);
}

// The deepest visible window of 'top' under a point of its image.
HWND WindowAt(HWND top, QPoint p)
{
    RECT window{};
    GetWindowRect(top, &window);
    const POINT screen{window.left + p.x(), window.top + p.y()};
    HWND found = top;
    for (;;)
    {
        POINT client = screen;
        ScreenToClient(found, &client);
        const HWND child = ChildWindowFromPointEx(found, client, CWP_SKIPINVISIBLE);
        if (!child || child == found)
            return found;
        found = child;
    }
}

std::string Describe(HWND hwnd)
{
    char head[64];
    std::snprintf(head, sizeof head, "%p", static_cast<void*>(hwnd));
    char cls[64] = {};
    GetClassName(hwnd, cls, sizeof cls);
    return std::string("window ") + head + " (" + cls + " '" + GetWindowTextString(hwnd) + "', id " +
           std::to_string(GetDlgCtrlID(hwnd)) + ")";
}

QtSurface* SurfaceOfTopLevel(HWND top)
{
    auto* backend = dynamic_cast<QtBackend*>(&winlib::GetBackend());
    return backend && IsWindow(top) ? backend->FindSurface(top) : nullptr;
}

} // namespace

std::optional<RepaintDifference> CheckRepaint(HWND hwnd, const std::string& imageFolder)
{
    const HWND top = IsWindow(hwnd) ? GetAncestor(hwnd, GA_ROOT) : nullptr;
    if (!top || !IsWindowVisible(top) || !SurfaceOfTopLevel(top))
        return std::nullopt;
    // What is still to be painted is not a fault: the loop would paint it next.
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QtSurface* surface = SurfaceOfTopLevel(top);
    if (!surface)
        return std::nullopt;
    const QImage shown = surface->Image().copy();

    QtCanvas fresh(shown.width(), shown.height(), kUnpainted);
    surface->SetShadow(&fresh);
    InvalidateTree(top);
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Painting may have destroyed the window, and its surface with it.
    surface = SurfaceOfTopLevel(top);
    if (!surface)
        return std::nullopt;
    surface->SetShadow(nullptr);

    const QImage& again = fresh.Image();
    if (again.size() != shown.size())
        return std::nullopt; // resized while painting: nothing to compare
    RepaintDifference difference;
    QRect inWindow;
    std::vector<QRect> children; // of the first differing window: their pixels are theirs
    QPoint first(-1, -1);
    for (int y = 0; y < shown.height(); ++y)
    {
        const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(again.constScanLine(y));
        for (int x = 0; x < shown.width(); ++x)
        {
            if ((a[x] & 0xFFFFFF) == (b[x] & 0xFFFFFF))
                continue;
            ++difference.pixels;
            if (first.x() < 0)
            {
                first = QPoint(x, y);
                difference.window = WindowAt(top, first);
                RECT r{};
                GetWindowRect(difference.window, &r);
                RECT t{};
                GetWindowRect(top, &t);
                inWindow = QRect(QPoint(r.left - t.left, r.top - t.top),
                                 QPoint(r.right - t.left - 1, r.bottom - t.top - 1));
                for (HWND child = GetWindow(difference.window, GW_CHILD); child;
                     child = GetWindow(child, GW_HWNDNEXT))
                {
                    if (!IsWindowVisible(child))
                        continue;
                    GetWindowRect(child, &r);
                    children.push_back(QRect(QPoint(r.left - t.left, r.top - t.top),
                                             QPoint(r.right - t.left - 1, r.bottom - t.top - 1)));
                }
                difference.rect = RECT{x, y, x + 1, y + 1};
            }
            else if (inWindow.contains(x, y) &&
                     std::none_of(children.begin(), children.end(),
                                  [&](const QRect& c) { return c.contains(x, y); }))
            {
                difference.rect.left = std::min<LONG>(difference.rect.left, x);
                difference.rect.top = std::min<LONG>(difference.rect.top, y);
                difference.rect.right = std::max<LONG>(difference.rect.right, x + 1);
                difference.rect.bottom = std::max<LONG>(difference.rect.bottom, y + 1);
            }
        }
    }
    if (difference.pixels == 0)
        return std::nullopt;
    difference.topLevel = top;
    const RECT& r = difference.rect;
    const QRgb was = shown.pixel(first);
    const QRgb fresher = again.pixel(first);
    char colours[96];
    std::snprintf(colours, sizeof colours, "; at (%d,%d) the screen shows #%06x, a repaint #%06x", first.x(),
                  first.y(), was & 0xFFFFFF, fresher & 0xFFFFFF);
    difference.text = Describe(difference.window) + " differs from a repaint in (" + std::to_string(r.left) +
                      "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
                      std::to_string(r.bottom) + ") of '" + GetWindowTextString(top) + "', " +
                      std::to_string(difference.pixels) + " pixels in all" + colours;
    if (!imageFolder.empty())
    {
        QDir().mkpath(QString::fromStdString(imageFolder));
        char name[32];
        std::snprintf(name, sizeof name, "%p", static_cast<void*>(top));
        const QString base = QString::fromStdString(imageFolder) + "/" + name;
        shown.save(base + "-shown.png", "PNG");
        again.save(base + "-repainted.png", "PNG");
    }
    return difference;
}

std::vector<RepaintDifference> CheckRepaintAll(const std::string& imageFolder)
{
    std::vector<HWND> tops;
    for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
        tops.push_back(top);
    std::vector<RepaintDifference> found;
    for (HWND top : tops)
    {
        if (auto difference = CheckRepaint(top, imageFolder))
            found.push_back(std::move(*difference));
    }
    return found;
}

} // namespace winlib::qt
