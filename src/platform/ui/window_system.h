#pragma once

#include <QPoint>

#include <optional>

class QWidget;

namespace quoterra {

// Whether the window system lets a program place its own windows: X11 does,
// Wayland does not.
bool programPlacesWindows();

// X11 inside a Wayland session: the compositor's own window manager decides
// whether a program's moves are carried out, and not every one does.
bool onXWayland();

// Where the X server has a shown window's client area on the screen now,
// asked of the server itself rather than taken from what the program asked
// for; nothing off X11.
std::optional<QPoint> xServerPosition(const QWidget& window);

} // namespace quoterra
