#include "paths.h"

#include <QDir>
#include <QFileInfo>

namespace quoterra {

namespace {

QString xdgFolder(const char* variable, const char* fallback)
{
    const QString base = qEnvironmentVariable(variable);
    return base.isEmpty() ? QDir::homePath() + u'/' + QLatin1String(fallback) : base;
}

} // namespace

ApplicationDirectory applicationDirectory()
{
    QString dir = qEnvironmentVariable("QUOTERRA_HOME");
    if (dir.isEmpty())
        dir = xdgFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Quoterra");
    ApplicationDirectory result{QDir::cleanPath(QDir(dir).absolutePath()), {}};
    const QFileInfo info(result.path);
    if (info.exists() && !info.isDir())
        result.problem = QStringLiteral("It is a file, not a folder.");
    else if (!QDir().mkpath(result.path))
        result.problem = QStringLiteral("The folder cannot be created.");
    return result;
}

QString registryFilePath()
{
    return QDir::cleanPath(xdgFolder("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Quoterra/registry.ini"));
}

QString stateDirectory()
{
    return xdgFolder("XDG_STATE_HOME", ".local/state") + QStringLiteral("/Quoterra");
}

} // namespace quoterra
