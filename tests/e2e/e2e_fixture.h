#pragma once

// The real program in its own process, started as a user starts it, on a
// private X server driven with a real pointer and keyboard (xdotool).
#include "service_process.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QtEndian>

#include <csignal>

namespace quoterra::test {

inline const QString kProgram = QStringLiteral(QUOTERRA_BIN_DIR "/src/app/quoterra");

// A throw-away profile and the environment that runs the program in it.
struct Profile : TestProfile {
    void seed(const QByteArray& settings, const QList<QByteArray>& symbols) const
    {
        writeSettings(settings);
        QList<QPair<QString, QString>> rows;
        for (const QByteArray& s : symbols)
            rows.append({QString::fromLatin1(s), QString::fromLatin1(s)});
        writeSymbols(rows);
    }
    // A setting as the file holds it.
    QString setting(const QString& section, const QString& name) const
    {
        QString current;
        for (const QString& line : QString::fromUtf8(readFile(registryFile())).split(u'\n')) {
            if (line.startsWith(u'['))
                current = line.mid(1, line.size() - 2);
            else if (current == section && line.startsWith(name + u'='))
                return line.mid(name.size() + 1);
        }
        return QStringLiteral("<missing>");
    }
    QString main(const char* name) const { return setting(QStringLiteral("Software\\Quoterra"), QLatin1String(name)); }
    QProcessEnvironment environment(const QString& service) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
        env.insert(QStringLiteral("QUOTERRA_HOME"), appDir());
        env.insert(QStringLiteral("XDG_DATA_HOME"), root() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root());
        env.insert(QStringLiteral("XDG_STATE_HOME"), root() + QStringLiteral("/state"));
        // Empty: the program finds (or starts) the service on this machine,
        // which then runs the offline market.
        if (service.isEmpty())
            env.remove(QStringLiteral("QUOTERRA_SERVICE"));
        else
            env.insert(QStringLiteral("QUOTERRA_SERVICE"), service);
        env.insert(QStringLiteral("QUOTERRA_MARKET"), QStringLiteral("simulated"));
        env.remove(QStringLiteral("QT_FONT_DPI"));
        return env;
    }
};

// An X server of our own, on a free display number.
class Xvfb {
public:
    Xvfb()
    {
        for (int n = 91; n < 140 && display_.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))
                || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            process_.start(QStringLiteral("Xvfb"),
                           {QStringLiteral(":%1").arg(n), QStringLiteral("-screen"), QStringLiteral("0"),
                            QStringLiteral("1024x768x24"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")});
            if (!process_.waitForStarted(5000))
                return;
            if (waitUntil([n] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)); }, 5000))
                display_ = QStringLiteral(":%1").arg(n);
        }
    }
    ~Xvfb() { stop(); }
    void stop()
    {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    QString display() const { return display_; }

    // Runs xdotool on this display; returns what it printed.
    QString xdotool(const QStringList& args) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // The first visible window whose name or class matches, waited for.
    QString window(const QString& name, bool byClass = false) const
    {
        QString id;
        waitUntil(
            [&] {
                id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              byClass ? QStringLiteral("--classname") : QStringLiteral("--name"), name})
                         .section(u'\n', 0, 0);
                return !id.isEmpty();
            },
            10000);
        return id;
    }
    QRect geometry(const QString& window) const
    {
        const QString shell = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        QHash<QString, int> v;
        for (const QString& line : shell.split(u'\n'))
            v.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return QRect(v.value(QStringLiteral("X")), v.value(QStringLiteral("Y")), v.value(QStringLiteral("WIDTH")),
                     v.value(QStringLiteral("HEIGHT")));
    }
    void click(QPoint at, int button = 1) const
    {
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                 QString::number(button)});
    }
    void key(const QString& name) const { xdotool({QStringLiteral("key"), name}); }

    // What a window shows, read through xwd (32-bit ZPixmap on Xvfb).
    QImage grab(const QString& window) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xwd"), {QStringLiteral("-silent"), QStringLiteral("-id"), window});
        p.waitForFinished(10000);
        const QByteArray dump = p.readAllStandardOutput();
        const auto field = [&dump](int i) { return qFromBigEndian<quint32>(dump.constData() + 4 * i); };
        if (dump.size() < 100 || field(2) != 2 || field(11) != 32 || field(7) != 0)
            return {};
        const quint32 width = field(4), height = field(5), stride = field(12);
        const qsizetype pixels = qsizetype(field(0)) + qsizetype(field(19)) * 12;
        if (dump.size() < pixels + qsizetype(stride) * height)
            return {};
        return QImage(reinterpret_cast<const uchar*>(dump.constData() + pixels), int(width), int(height), int(stride),
                      QImage::Format_RGB32)
            .copy();
    }

private:
    QProcess process_;
    QString display_;
};

// Whether a full face at 96 dpi shows a quote's values beside its labels
// under the symbol's row (a failed quote leaves them all but empty).
inline bool quoteShown(const QImage& face)
{
    int bright = 0;
    for (int y = 20; y < qMin(face.height(), 115); ++y)
        for (int x = 90; x < qMin(face.width(), 170); ++x)
            bright += qGray(face.pixel(x, y)) > 200;
    return bright > 200;
}

class RunningProgram {
public:
    RunningProgram(const Profile& profile, const QString& service, const QString& platform, const QString& display = {},
                   const QString& pathFirst = {}, const QStringList& args = {})
    {
        auto env = profile.environment(service);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        if (!pathFirst.isEmpty())
            env.insert(QStringLiteral("PATH"), pathFirst + u':' + env.value(QStringLiteral("PATH")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(profile.root());
        process.start(kProgram, args);
    }
    ~RunningProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    bool signal(int sig)
    {
        ::kill(pid_t(process.processId()), sig);
        return ended();
    }
    bool ended(int ms = 10000) { return process.waitForFinished(ms) && process.exitStatus() == QProcess::NormalExit; }
    bool running() const { return process.state() == QProcess::Running; }
    QProcess process;
};

} // namespace quoterra::test
