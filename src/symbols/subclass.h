#pragma once

#include "platform/forms.h"
#include "platform/window_messages.h"

#include <QList>
#include <QPointer>

namespace quoterra {

// An invisible control that puts a procedure of the program in front of a
// window's own window procedure and raises WndProc for each watched
// message that reaches the window. The handler answers through `result`,
// or hands the message on with CallWndProc. Any number of these may watch
// any number of windows at once.
class Subclass : public Control {
    Q_OBJECT
public:
    Subclass(QWidget* container, const QString& name);
    ~Subclass() override;

    // Specifies which messages are passed to the WndProc event.
    bool Messages(UINT msg) const;
    void setMessages(UINT msg, bool watch);
    int watchedCount() const { return int(messages_.size()); }

    // Specifies the handle of the window to be subclassed.
    HWND hWnd() const { return hwnd_; }
    void setHWnd(HWND hwnd);

    // Invokes the original window procedure for the subclassed window.
    LRESULT CallWndProc(UINT msg, WPARAM wParam, LPARAM lParam);

signals:
    // Connect directly: the arguments are the message's own, by reference.
    void WndProc(quoterra::UINT& msg, quoterra::WPARAM& wParam, quoterra::LPARAM& lParam,
                 quoterra::LRESULT& result);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    HWND hwnd_ = 0;
    QList<UINT> messages_;
};

// The table of subclassed windows and the replacement window procedure
// shared by every Subclass control. At most one entry per window.
namespace WinProc {

struct Entry {
    HWND hwnd = 0;
    QPointer<Subclass> control;
    LONG_PTR previous = 0;
};

void HookWindow(HWND hwnd, Subclass* control);
void UnhookWindow(HWND hwnd);
LRESULT CallPreviousProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

qint16 EntryCount();
// Entries count from 1; an empty entry outside the table.
Entry EntryAt(int index);

} // namespace WinProc

} // namespace quoterra
