#include "drag_handles.h"

#include "form.h"

#include <QMouseEvent>
#include <QWidget>

namespace quoterra {

DragHandles::DragHandles(QObject* owner, Grab grab, Step step)
    : QObject(owner)
    , grab_(std::move(grab))
    , step_(std::move(step))
{
}

void DragHandles::add(QWidget* part)
{
    part->installEventFilter(this);
}

bool DragHandles::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove)
        return false;
    // Only the parts added are watched.
    auto* part = static_cast<QWidget*>(watched);
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() == Qt::LeftButton)
            grab_(part, mouse->position());
        return false;
    }
    if (mouse->buttons() != Qt::LeftButton)
        return false;
    // Where the program cannot place its windows the compositor moves them.
    if (!compositorMoves(*part))
        step_(mouse->globalPosition().toPoint());
    return true;
}

} // namespace quoterra
