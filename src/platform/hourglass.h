#pragma once

#include <QGuiApplication>

namespace quoterra {

// The busy pointer over every window of the program while it lives, so a
// step that may take a moment (handing a page to the browser) shows it.
class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

} // namespace quoterra
