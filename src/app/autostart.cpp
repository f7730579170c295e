#include "autostart.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace quoterra {

namespace {

// `program` as the Exec value of a desktop entry: quoted when it holds a
// character the entry rules reserve, with `%` doubled, then with the
// backslashes doubled as in every string value.
QString execValue(const QString& program)
{
    static const QString reserved = QStringLiteral(" \"'\\><~|&;$*?#()`");
    QString arg = program;
    arg.replace(u'%', QStringLiteral("%%"));
    if (std::any_of(arg.begin(), arg.end(), [](QChar c) { return reserved.contains(c); })) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : arg) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        arg = quoted + u'"';
    }
    return arg.replace(u'\\', QStringLiteral("\\\\"));
}

// The ticker's entry in the desktop session's autostart folder, as the XDG
// autostart rules place it: $XDG_CONFIG_HOME/autostart/quoterra.desktop
// (~/.config/autostart/quoterra.desktop).
QString autostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/quoterra.desktop");
}

} // namespace

QString runningProgramPath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

AutostartChange setAutostart(bool on, const QString& program)
{
    const QString path = autostartEntryPath();
    if (!on) {
        if (!QFileInfo::exists(path))
            return {true,
                    QStringLiteral("Quoterra does not start with the desktop session (there is no %1).").arg(path)};
        QFile entry(path);
        if (!entry.remove())
            return {false, QStringLiteral("cannot remove %1: %2").arg(path, entry.errorString())};
        return {true, QStringLiteral("Quoterra no longer starts with the desktop session: removed %1.").arg(path)};
    }

    if (!QDir::isAbsolutePath(program))
        return {false, QStringLiteral("cannot tell where this program's file is, so no autostart entry was written")};
    // A line break would end the Exec line early.
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return c.unicode() < 0x20; }))
        return {false,
                QStringLiteral("an autostart entry cannot name a path with a control character: %1").arg(program)};
    // TryExec lets the session pass over the entry once the program is gone.
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Quoterra\n"
                                        "GenericName=Stock Ticker\n"
                                        "Comment=Delayed stock quotes in a small strip on the desktop\n"
                                        "Exec=%1\n"
                                        "TryExec=%2\n"
                                        "Icon=quoterra\n"
                                        "Terminal=false\n")
                             .arg(execValue(program), QString(program).replace(u'\\', QStringLiteral("\\\\")));
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return {false, QStringLiteral("cannot make the folder %1").arg(folder)};
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(text.toUtf8()) < 0 || !entry.commit())
        return {false, QStringLiteral("cannot write %1: %2").arg(path, entry.errorString())};
    return {true,
            QStringLiteral("Quoterra starts with the desktop session: wrote %1, which runs %2.").arg(path, program)};
}

} // namespace quoterra
