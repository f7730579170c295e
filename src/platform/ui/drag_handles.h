#pragma once

#include <QObject>
#include <QPointF>

#include <functional>

class QWidget;

namespace quoterra {

// The parts of a borderless window that move it: a left press on one grabs
// the window, and each move with exactly the left button held (left and
// right together do not drag) is one step. The window says what a grab and
// a step do; every other mouse event goes on to the part's own handling.
class DragHandles : public QObject {
public:
    // Where the left button went down, in pixels from the part's corner.
    using Grab = std::function<void(QWidget* part, QPointF at)>;
    // Where the pointer is on the screen, as the move itself says: asking
    // the system later is wrong when moves queue up.
    using Step = std::function<void(QPoint globalPos)>;

    DragHandles(QObject* owner, Grab grab, Step step);
    void add(QWidget* part);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Grab grab_;
    Step step_;
};

} // namespace quoterra
