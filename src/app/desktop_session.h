#pragma once

#include <QByteArray>
#include <QMessageBox>
#include <QString>

namespace quoterra {

// The Qt platform the program asks for before its application object
// exists: X11 whenever the session offers it (a Wayland session with
// XWayland included), since only there can a program place its own windows;
// Wayland where there is no X11 at all; nothing when the user chose one
// (QT_QPA_PLATFORM) or there is no display of either kind.
QByteArray chosenPlatform();

// Why the program cannot place its own windows here.
enum class PlacementLimit {
    Wayland,       // no X11 at all
    WindowManager, // X11 whose window manager refuses a program's moves
};

inline const QString kWaylandLimits =
    QStringLiteral("Quoterra is running on Wayland, where a program cannot place its own windows. The ticker "
                   "does not come back to its saved place, does not snap to the screen's edges or stay on top, "
                   "and the chart browser does not dock to it. Drag either window to move it.\n\n"
                   "On a desktop that offers X11 (XWayland, with DISPLAY set) Quoterra uses it, and all of "
                   "this works.");

inline const QString kWindowManagerLimits =
    QStringLiteral("This desktop's window manager does not let programs place their own windows, so Quoterra "
                   "cannot move them itself. The ticker does not snap to the screen's edges, the chart browser "
                   "does not dock to it, and neither comes back where you left it at the next start. Drag either "
                   "window to move it.\n\n"
                   "GNOME and KDE let programs place their windows, and there all of this works.");

// A box beside the ticker, which goes on fetching while it is open.
void showBesideTicker(QMessageBox::Icon icon, const QString& message);

// One line on the terminal, and the whole story in a box the first time,
// remembered in `stateFolder`.
void tellWhatCannotWork(PlacementLimit limit, const QString& stateFolder);

} // namespace quoterra
