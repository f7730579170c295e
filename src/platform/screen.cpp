#include "screen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace quoterra {

namespace {

Screen* g_override = nullptr;

QScreen* primary()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

Screen::EventCursor::EventCursor(Screen& screen, QPoint globalPos)
    : screen_(screen)
    , previous_(screen.eventCursor_)
{
    screen_.eventCursor_ = globalPos;
}

Screen::EventCursor::~EventCursor()
{
    screen_.eventCursor_ = previous_;
}

int SystemScreen::dpiX() const
{
    QScreen* s = primary();
    return s ? qRound(s->logicalDotsPerInchX()) : 96;
}

int SystemScreen::dpiY() const
{
    QScreen* s = primary();
    return s ? qRound(s->logicalDotsPerInchY()) : 96;
}

QRect SystemScreen::workArea() const
{
    QScreen* s = primary();
    // A failed query leaves the rectangle empty, as the placement rules expect.
    return s ? s->availableGeometry() : QRect(0, 0, 0, 0);
}

QPoint SystemScreen::systemCursorPos() const
{
    return QCursor::pos();
}

Screen& screen()
{
    static SystemScreen system;
    return g_override ? *g_override : system;
}

void setScreen(Screen* s)
{
    g_override = s;
}

int DPI()
{
    return screen().dpiX();
}

} // namespace quoterra
