#include "paths.h"

#include <QDir>

namespace quoterra {

namespace {

QString fromEnvironment(const char* name)
{
    return qEnvironmentVariable(name);
}

QString homeSubdirectory(const char* xdgVariable, const char* fallback)
{
    QString base = fromEnvironment(xdgVariable);
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallback);
    return base;
}

} // namespace

QString applicationDirectory()
{
    QString dir = fromEnvironment("QUOTERRA_HOME");
    if (dir.isEmpty())
        dir = homeSubdirectory("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Quoterra");
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    return dir;
}

bool makeApplicationDirectoryCurrent()
{
    return QDir::setCurrent(applicationDirectory());
}

QString registryFilePath()
{
    return QDir::cleanPath(homeSubdirectory("XDG_CONFIG_HOME", ".config")
                           + QStringLiteral("/Quoterra/registry.ini"));
}

} // namespace quoterra
