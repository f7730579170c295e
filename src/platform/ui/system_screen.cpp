#include "system_screen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace quoterra {

int SystemScreen::dpiX() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInchX()) : 96;
}

int SystemScreen::dpiY() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInchY()) : 96;
}

QRect SystemScreen::workArea() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    // A failed query leaves the rectangle empty, as the placement rules expect.
    return s ? s->availableGeometry() : QRect(0, 0, 0, 0);
}

QPoint SystemScreen::cursorPos() const
{
    return QCursor::pos();
}

double SystemScreen::devicePixelRatio() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->devicePixelRatio() : 1.0;
}

} // namespace quoterra
