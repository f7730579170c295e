#include "shell.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace quoterra {

bool openInBrowser(const QString& address)
{
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
    const bool mail = scheme == QLatin1String("mailto") && !url.path().isEmpty();
    if (!url.isValid() || (!web && !mail))
        return false;
    return QDesktopServices::openUrl(url);
}

Hourglass::Hourglass()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

Hourglass::~Hourglass()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace quoterra
