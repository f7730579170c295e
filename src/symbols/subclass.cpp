#include "subclass.h"

namespace quoterra {

Subclass::Subclass(QObject* parent)
    : QObject(parent)
{
}

void Subclass::setMessages(QEvent::Type type, bool watch)
{
    if (watch)
        watched_.insert(type);
    else
        watched_.remove(type);
}

void Subclass::setWindow(QWidget* window)
{
    if (window == window_)
        return;
    if (window_)
        window_->removeEventFilter(this);
    window_ = window;
    if (window_)
        window_->installEventFilter(this);
}

bool Subclass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && watched_.contains(event->type()) && handler_)
        return handler_(event);
    return QObject::eventFilter(watched, event);
}

} // namespace quoterra
