// The backend's cursor and font families.
#include "QtBackend.h"

#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>

namespace winlib::qt
{

namespace
{

Qt::CursorShape ShapeFor(int cursorId)
{
    switch (cursorId)
    {
    case 0:
        return Qt::BlankCursor;
    case 32513:
        return Qt::IBeamCursor;
    case 32514:
        return Qt::WaitCursor;
    case 32515:
        return Qt::CrossCursor;
    case 32516:
        return Qt::UpArrowCursor;
    case 32642:
        return Qt::SizeFDiagCursor;
    case 32643:
        return Qt::SizeBDiagCursor;
    case 32644:
        return Qt::SizeHorCursor;
    case 32645:
        return Qt::SizeVerCursor;
    case 32646:
        return Qt::SizeAllCursor;
    case 32648:
        return Qt::ForbiddenCursor;
    case 32649:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

void QtBackend::SetCursorShape(int cursorId)
{
    // The window library chooses the cursor itself on every mouse move (WM_SETCURSOR), for child
    // windows that Qt does not know; one application-wide cursor shows that choice everywhere.
    const QCursor cursor(ShapeFor(cursorId));
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
}

std::vector<std::string> QtBackend::FontFamilies()
{
    std::vector<std::string> families;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Latin))
    {
        // Private families (names starting with a dot) are not for users to choose.
        if (!family.isEmpty() && !family.startsWith(QLatin1Char('.')))
            families.push_back(family.toLatin1().toStdString());
    }
    return families;
}

} // namespace winlib::qt
