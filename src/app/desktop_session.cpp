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

void tellWhatWaylandCannotDo(const QString& stateFolder)
{
    std::fprintf(stderr,
                 "quoterra: on Wayland the windows cannot be placed, snapped, docked or kept on top; "
                 "with X11 (DISPLAY) they can\n");
    const QString told = stateFolder + QStringLiteral("/told-about-wayland");
    if (QFile::exists(told))
        return;
    // Said beside the ticker, which goes on fetching meanwhile.
    auto* box = new QMessageBox(QMessageBox::Information, kApplicationTitle, kWaylandLimits, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("MsgBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    QFile mark(told);
    if (QDir().mkpath(stateFolder) && mark.open(QIODevice::WriteOnly))
        mark.close();
}

} // namespace quoterra
