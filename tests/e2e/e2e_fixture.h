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
        return u"<missing>"_s;
    }
    QString main(const char* name) const { return setting(u"Software\\Quoterra"_s, QLatin1String(name)); }
    QProcessEnvironment environment(const QString& service) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, configHome());
        env.insert(u"QUOTERRA_HOME"_s, appDir());
        env.insert(u"XDG_DATA_HOME"_s, root() + u"/data"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, root());
        env.insert(u"XDG_STATE_HOME"_s, root() + u"/state"_s);
        // Empty: the program finds (or starts) the service on this machine,
        // which then runs the offline market.
        if (service.isEmpty())
            env.remove(u"QUOTERRA_SERVICE"_s);
        else
            env.insert(u"QUOTERRA_SERVICE"_s, service);
        env.insert(u"QUOTERRA_MARKET"_s, u"simulated"_s);
        env.remove(u"QT_FONT_DPI"_s);
        return env;
    }
};

// An X server of our own, on a free display number.
class Xvfb {
public:
    Xvfb()
    {
        for (int n = 91; n < 140 && display_.isEmpty(); ++n) {
            if (QFile::exists(u"/tmp/.X11-unix/X%1"_s.arg(n)) || QFile::exists(u"/tmp/.X%1-lock"_s.arg(n)))
                continue;
            process_.start(
                u"Xvfb"_s,
                {u":%1"_s.arg(n), u"-screen"_s, u"0"_s, u"1024x768x24"_s, u"-noreset"_s, u"-nolisten"_s, u"tcp"_s});
            if (!process_.waitForStarted(5000))
                return;
            if (waitUntil([n] { return QFile::exists(u"/tmp/.X11-unix/X%1"_s.arg(n)); }, 5000))
                display_ = u":%1"_s.arg(n);
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
        env.insert(u"DISPLAY"_s, display_);
        p.setProcessEnvironment(env);
        p.start(u"xdotool"_s, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // The first visible window whose name or class matches, waited for.
    QString window(const QString& name, bool byClass = false) const
    {
        QString id;
        waitUntil(
            [&] {
                id = xdotool({u"search"_s, u"--onlyvisible"_s, byClass ? u"--classname"_s : u"--name"_s, name})
                         .section(u'\n', 0, 0);
                return !id.isEmpty();
            },
            10000);
        return id;
    }
    QRect geometry(const QString& window) const
    {
        const QString shell = xdotool({u"getwindowgeometry"_s, u"--shell"_s, window});
        QHash<QString, int> v;
        for (const QString& line : shell.split(u'\n'))
            v.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return QRect(v.value(u"X"_s), v.value(u"Y"_s), v.value(u"WIDTH"_s), v.value(u"HEIGHT"_s));
    }
    void click(QPoint at, int button = 1) const
    {
        xdotool(
            {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s, QString::number(button)});
    }
    void key(const QString& name) const { xdotool({u"key"_s, name}); }

    // What a window shows, read through xwd (32-bit ZPixmap on Xvfb).
    QImage grab(const QString& window) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, display_);
        p.setProcessEnvironment(env);
        p.start(u"xwd"_s, {u"-silent"_s, u"-id"_s, window});
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
        env.insert(u"QT_QPA_PLATFORM"_s, platform);
        if (!display.isEmpty())
            env.insert(u"DISPLAY"_s, display);
        if (!pathFirst.isEmpty())
            env.insert(u"PATH"_s, pathFirst + u':' + env.value(u"PATH"_s));
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
