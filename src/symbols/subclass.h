#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <functional>

namespace quoterra {

// An invisible control that puts a handler of the program in front of
// another window: each event of a kind it was asked to watch goes to the
// handler first, which answers it (swallows it) or passes it on to the
// window. It lets go when the window or the control goes away.
class Subclass : public QObject {
    Q_OBJECT
public:
    // True: the handler answered the event, the window never sees it.
    using Handler = std::function<bool(QEvent* event)>;

    explicit Subclass(QObject* parent = nullptr);

    // Specifies which events are passed to the handler.
    void setMessages(QEvent::Type type, bool watch);

    // Specifies the window to be subclassed.
    void setWindow(QWidget* window);

    void setHandler(Handler handler) { handler_ = std::move(handler); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    QSet<QEvent::Type> watched_;
    Handler handler_;
};

} // namespace quoterra
