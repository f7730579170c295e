#include "desktop_session.h"

#include "ui/msgbox.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace quoterra {

QByteArray chosenPlatform()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return {};
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return QByteArrayLiteral("xcb");
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QByteArrayLiteral("wayland");
    return {};
}

void showBesideTicker(QMessageBox::Icon icon, const QString& message)
{
    auto* box = new QMessageBox(icon, kApplicationTitle, message, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("MsgBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void tellWhatCannotWork(PlacementLimit limit, const QString& stateFolder)
{
    const bool wayland = limit == PlacementLimit::Wayland;
    std::fprintf(stderr, "quoterra: %s\n",
                 wayland ? "on Wayland the windows cannot be placed, snapped, docked or kept on top; "
                           "with X11 (DISPLAY) they can"
                         : "the window manager does not let programs place their own windows: they move when "
                           "dragged, but do not snap, dock or keep their place; GNOME and KDE let them");
    const QString told =
        stateFolder + (wayland ? QStringLiteral("/told-about-wayland") : QStringLiteral("/told-about-window-manager"));
    if (QFile::exists(told))
        return;
    showBesideTicker(QMessageBox::Information, wayland ? kWaylandLimits : kWindowManagerLimits);
    QFile mark(told);
    if (QDir().mkpath(stateFolder) && mark.open(QIODevice::WriteOnly))
        mark.close();
}

} // namespace quoterra
