#pragma once

// The real program in its own process, started as a user starts it, on a
// private X server driven with a real pointer and keyboard (xdotool).
#include "test_support.h"

#include <QImage>
#include <QTest>
#include <QtEndian>

namespace quoterra::test {

inline const QString kProgram = QStringLiteral(QUOTERRA_BIN_DIR "/src/app/quoterra");

// A settings file with the ticker's place and face, and the chart browser's section.
inline QByteArray placed(int left, int top, const char* height, const QByteArray& charts = {})
{
    return "[Software\\Quoterra]\nLeft=" + QByteArray::number(left) + "\nTop=" + QByteArray::number(top)
        + "\nHeight=" + height + "\n[Software\\Quoterra\\Charts]\n" + charts;
}

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
    QString main(const char* name) const { return setting(u"Software\\Quoterra"_s, QLatin1String(name)); }
    QStringList main(std::initializer_list<const char*> names) const
    {
        QStringList values;
        for (const char* name : names)
            values << main(name);
        return values;
    }
    QString chart(const char* name) const { return setting(u"Software\\Quoterra\\Charts"_s, QLatin1String(name)); }
    // The user's private runtime folder: the profile's unless it shares
    // another's (the same user twice).
    QString runtime() const { return sharedRuntime.isEmpty() ? root() : sharedRuntime; }
    QString sharedRuntime;
    // A session bus of the test's own; none unless set.
    QString sessionBus;
    // An empty `service`: the program finds (or starts) the one on this
    // machine, which then runs the offline market.
    QProcessEnvironment environment(const QString& service) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, configHome());
        env.insert(u"QUOTERRA_HOME"_s, appDir());
        env.insert(u"XDG_DATA_HOME"_s, root() + u"/data"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime());
        env.insert(u"XDG_STATE_HOME"_s, root() + u"/state"_s);
        env.remove(u"QUOTERRA_SERVICE"_s);
        if (!service.isEmpty())
            env.insert(u"QUOTERRA_SERVICE"_s, service);
        env.insert(u"QUOTERRA_MARKET"_s, u"simulated"_s);
        // The desktop's own dpi and scaling, as a user's session has them.
        env.remove(u"QT_FONT_DPI"_s);
        env.remove(u"QT_ENABLE_HIGHDPI_SCALING"_s);
        if (!sessionBus.isEmpty())
            env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, sessionBus);
        return env;
    }
    // A folder holding an xdg-open that only writes down what it was asked
    // to open (its argument count, then the first) in opened().
    QString fakeOpener() const
    {
        const QString bin = root() + u"/bin"_s;
        QDir().mkpath(bin);
        QFile launcher(bin + u"/xdg-open"_s);
        if (launcher.open(QIODevice::WriteOnly))
            launcher.write(u"#!/bin/sh\necho \"$#:$1\" >> '%1/opened.txt'\n"_s.arg(root()).toUtf8());
        launcher.close();
        launcher.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return bin;
    }
    QString opened() const { return QString::fromUtf8(readFile(root() + u"/opened.txt"_s)).trimmed(); }
};

// An X display, and what a user does and sees on it.
class XDisplay {
public:
    explicit XDisplay(QString display = {})
        : display_(std::move(display))
    {
    }
    QString display() const { return display_; }

    // Runs a program on this display; what it printed.
    QByteArray run(const QString& program, const QStringList& args) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, display_);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    }
    QString xdotool(const QStringList& args) const { return QString::fromUtf8(run(u"xdotool"_s, args)).trimmed(); }
    QStringList programWindows() const
    {
        return xdotool({"search", "--onlyvisible", "--classname", "quoterra"}).split(u'\n', Qt::SkipEmptyParts);
    }
    // Waits for a window of the program that was not on show `before` (a
    // menu popping up).
    bool newWindow(const QStringList& before) const
    {
        return waitUntil([&] {
            const QStringList now = programWindows();
            return std::any_of(now.begin(), now.end(), [&](const QString& id) { return !before.contains(id); });
        });
    }
    // The first visible window whose name or class matches, waited for.
    QString window(const QString& name, bool byClass = false) const
    {
        const QStringList search{"search", "--onlyvisible", byClass ? "--classname" : "--name", name};
        QString id;
        waitUntil([&] { return !(id = xdotool(search).section(u'\n', 0, 0)).isEmpty(); }, 10000);
        return id;
    }
    QRect geometry(const QString& window) const
    {
        const QString shell = xdotool({"getwindowgeometry", "--shell", window});
        QHash<QString, int> v;
        for (const QString& line : shell.split(u'\n'))
            v.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return QRect(v.value(u"X"_s), v.value(u"Y"_s), v.value(u"WIDTH"_s), v.value(u"HEIGHT"_s));
    }
    // Waits until `window`'s top left corner is at `place`.
    ::testing::AssertionResult reaches(const QString& window, QPoint place, int ms = 3000) const
    {
        if (waitUntil([&] { return geometry(window).topLeft() == place; }, ms))
            return ::testing::AssertionSuccess();
        const QPoint at = geometry(window).topLeft();
        return ::testing::AssertionFailure() << "at " << at.x() << "," << at.y();
    }
    void click(QPoint at, int button = 1) const
    {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", QString::number(button)});
    }
    void key(const QString& name) const { xdotool({"key", name}); }
    void type(const QString& text) const { xdotool({"type", text}); }
    // Waits until no window of that name is on show.
    bool closed(const QString& name) const
    {
        return waitUntil([&] { return xdotool({"search", "--onlyvisible", "--name", name}).isEmpty(); });
    }
    // Presses the first button at `from`, glides to `to`, rests there (as
    // the user's hand does), and lets go.
    void drag(QPoint from, QPoint to, int steps = 6, double restSeconds = 0) const
    {
        xdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1"});
        glide(from, to, steps);
        xdotool({"sleep", QString::number(restSeconds), "mouseup", "1"});
    }
    void glide(QPoint from, QPoint to, int steps = 6) const
    {
        for (int i = 1; i <= steps; ++i) {
            const QPoint at = from + (to - from) * i / steps;
            xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "sleep", "0.03"});
        }
    }

    // What a window, or the whole screen, shows, read through xwd (32-bit
    // ZPixmap on Xvfb).
    QImage grab(const QString& window) const { return fromXwd(run(u"xwd"_s, {"-silent", "-id", window})); }
    QImage grabScreen() const { return fromXwd(run(u"xwd"_s, {"-silent", "-root"})); }

protected:
    QString display_;

private:
    static QImage fromXwd(const QByteArray& dump)
    {
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
};

// An X server of our own, on a free display number; one that does not start
// fails the test.
class Xvfb : public XDisplay {
public:
    explicit Xvfb(QSize screen = {1024, 768})
    {
        const QString size = u"%1x%2x24"_s.arg(screen.width()).arg(screen.height());
        for (int n = 91; n < 140 && display_.isEmpty(); ++n) {
            if (QFile::exists(u"/tmp/.X11-unix/X%1"_s.arg(n)) || QFile::exists(u"/tmp/.X%1-lock"_s.arg(n)))
                continue;
            process_.start(u"Xvfb"_s, {u":%1"_s.arg(n), "-screen", "0", size, "-noreset", "-nolisten", "tcp"});
            if (!process_.waitForStarted(5000))
                return;
            if (waitUntil([n] { return QFile::exists(u"/tmp/.X11-unix/X%1"_s.arg(n)); }, 5000))
                display_ = u":%1"_s.arg(n);
        }
        if (display_.isEmpty())
            ADD_FAILURE() << "Xvfb did not start";
    }
    ~Xvfb()
    {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    // The desktop's dpi, as a desktop session announces it (Xft.dpi); a
    // program started afterwards reads it.
    void setDpi(int dpi) const
    {
        run(u"xprop"_s,
            {"-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", u"Xft.dpi:\t%1"_s.arg(dpi)});
    }

private:
    QProcess process_;
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
    // On the X server at `display`, or offscreen without one.
    RunningProgram(const Profile& profile, const QString& service, const QString& display = {},
                   const QString& pathFirst = {})
    {
        auto env = profile.environment(service);
        env.insert(u"QT_QPA_PLATFORM"_s, display.isEmpty() ? u"offscreen"_s : u"xcb"_s);
        env.insert(u"DISPLAY"_s, display);
        if (!pathFirst.isEmpty())
            env.insert(u"PATH"_s, pathFirst + u':' + env.value(u"PATH"_s));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(profile.root());
        process.start(kProgram, {});
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

// A test on a private X server: a profile, and the program started in it.
class OnDesktop : public ::testing::Test {
protected:
    // Before what the test's own members hold (its service) goes.
    void TearDown() override { program.reset(); }
    // Seeds the profile, starts the program on `service` (with `pathFirst`
    // first on its PATH); the ticker's window once it shows.
    QString start(const QByteArray& settings, const QList<QByteArray>& symbols, const QString& service,
                  const QString& pathFirst = {})
    {
        profile.seed(settings, symbols);
        program = std::make_unique<RunningProgram>(profile, service, x.display(), pathFirst);
        return x.window(u"quoterra"_s, true);
    }

    Xvfb x;
    Profile profile;
    std::unique_ptr<RunningProgram> program;
};

} // namespace quoterra::test
