// The real program in its own process: signals, a real X server with real
// pointer events, and the desktop's browser launcher.
#include "service_process.h"

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString kProgram = QStringLiteral(QUOTERRA_BIN_DIR "/src/app/quoterra");

// A throw-away profile and the environment that runs the program in it.
struct Profile {
    QTemporaryDir root;
    QString config() const { return root.path() + "/config"; }
    QString home() const { return root.path() + "/home"; }
    QString registry() const { return config() + "/Quoterra/registry.ini"; }

    Profile()
    {
        QDir().mkpath(config() + "/Quoterra");
        QDir().mkpath(home());
    }
    void write(const QString& path, const QByteArray& bytes) const
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    void seed(const QByteArray& settings, const QList<QByteArray>& symbols) const
    {
        write(registry(), settings);
        QByteArray list;
        for (const QByteArray& s : symbols)
            list += s.leftJustified(10, ' ') + s.leftJustified(40, ' ');
        write(home() + "/stockdata.std", list);
    }
    QString setting(const QString& section, const QString& name) const
    {
        QFile f(registry());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString current;
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
            if (line.startsWith('['))
                current = line.mid(1, line.size() - 2);
            else if (current == section && line.startsWith(name + '='))
                return line.mid(name.size() + 1);
        }
        return {};
    }
    QProcessEnvironment environment(const QString& service) const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config());
        env.insert("QUOTERRA_HOME", home());
        env.insert("XDG_DATA_HOME", root.path() + "/data");
        env.insert("QUOTERRA_SERVICE", service);
        env.remove("QT_FONT_DPI");
        return env;
    }
};

bool waitFor(const std::function<bool()>& condition, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// An X server of our own, on a free display number.
class Xvfb {
public:
    Xvfb()
    {
        for (int n = 91; n < 140 && display_.isEmpty(); ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            process_.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(n), "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"});
            if (!process_.waitForStarted(5000))
                return;
            if (waitFor([n] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)); }, 5000))
                display_ = QStringLiteral(":%1").arg(n);
        }
    }
    ~Xvfb()
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
        env.insert("DISPLAY", display_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

private:
    QProcess process_;
    QString display_;
};

class RunningProgram {
public:
    RunningProgram(const Profile& profile, const ServiceProcess& service, const QString& platform,
                   const QString& display = {}, const QString& pathFirst = {})
    {
        auto env = profile.environment(service.origin());
        env.insert("QT_QPA_PLATFORM", platform);
        if (!display.isEmpty())
            env.insert("DISPLAY", display);
        if (!pathFirst.isEmpty())
            env.insert("PATH", pathFirst + ":" + env.value("PATH"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(kProgram, {});
    }
    ~RunningProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
    bool terminate()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit;
    }
    QProcess process;
};

TEST(Program, ASignalToEndSavesTheStateFirst)
{
    ServiceProcess service;
    Profile profile;
    // Saved off screen: the load pulls it back, and only the exit's saving
    // writes the new place.
    profile.seed("[Software\\Quoterra]\nLeft=-3000\nTop=450\nHeight=Shade\nAlways On Top=False\n"
                 "[Software\\Quoterra\\Charts]\n",
                 {"IBM", "MSFT"});
    RunningProgram program(profile, service, "offscreen");
    ASSERT_TRUE(program.process.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return !service.requests().isEmpty(); })) << "the ticker never asked for a quote";
    ASSERT_TRUE(program.terminate());
    EXPECT_EQ(program.process.exitCode(), 0);
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Left"), "0");
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Top"), "450");
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Height"), "Shade");
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Always On Top"), "False");
    EXPECT_EQ(profile.setting("Software\\Quoterra\\Charts", "StartUp"), "False");
}

TEST(Program, TheTickerDragsAndSnapsUnderARealPointer)
{
    Xvfb x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    ServiceProcess service;
    Profile profile;
    profile.seed("[Software\\Quoterra]\nLeft=3000\nTop=3000\nHeight=Shade\n[Software\\Quoterra\\Charts]\n", {"IBM"});
    RunningProgram program(profile, service, "xcb", x.display());
    QString window;
    ASSERT_TRUE(waitFor([&] {
        window = x.xdotool({"search", "--onlyvisible", "--classname", "quoterra"}).section('\n', 0, 0);
        return !window.isEmpty();
    })) << "no ticker window appeared";
    QTest::qWait(300);

    // Grab the face at (100, 6) inside the strip (200 px from the screen's
    // corner), drag it 80 px right and 100 px down in steps.
    x.xdotool({"mousemove", "300", "206", "mousedown", "1"});
    for (int step = 1; step <= 5; ++step)
        x.xdotool({"mousemove", QString::number(300 + 16 * step), QString::number(206 + 20 * step), "sleep", "0.05"});
    x.xdotool({"mouseup", "1"});
    QString geometry;
    EXPECT_TRUE(waitFor([&] {
        geometry = x.xdotool({"getwindowgeometry", window});
        return geometry.contains("Position: 280,300");
    }, 3000)) << geometry.toStdString();

    // Drag it to 6 px below the top edge: it snaps flush.
    x.xdotool({"mousemove", "380", "306", "mousedown", "1"});
    for (int step = 1; step <= 6; ++step)
        x.xdotool({"mousemove", "380", QString::number(306 - 50 * step), "sleep", "0.05"});
    x.xdotool({"mouseup", "1"});
    EXPECT_TRUE(waitFor([&] {
        geometry = x.xdotool({"getwindowgeometry", window});
        return geometry.contains("Position: 280,0");
    }, 3000)) << geometry.toStdString();

    ASSERT_TRUE(program.terminate());
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Left"), "4200");
    EXPECT_EQ(profile.setting("Software\\Quoterra", "Top"), "0");
}

TEST(Program, AResearchItemReachesTheDesktopsBrowserLauncher)
{
    Xvfb x;
    ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
    ServiceProcess service;
    Profile profile;
    profile.seed("[Software\\Quoterra]\nLeft=3000\nTop=3000\nHeight=Shade\n[Software\\Quoterra\\Charts]\n",
                 {"IBM", "MSFT"});
    // A launcher that only writes down what it was asked to open.
    const QString bin = profile.root.path() + "/bin";
    const QString record = profile.root.path() + "/opened.txt";
    QDir().mkpath(bin);
    profile.write(bin + "/xdg-open", QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(record).toUtf8());
    QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    RunningProgram program(profile, service, "xcb", x.display(), bin);
    ASSERT_TRUE(waitFor([&] {
        return !x.xdotool({"search", "--onlyvisible", "--classname", "quoterra"}).isEmpty();
    })) << "no ticker window appeared";
    ASSERT_TRUE(waitFor([&] { return !service.requests().isEmpty(); }));
    QTest::qWait(300);

    // Right-click the symbol, then choose Company Profile by its access key.
    x.xdotool({"mousemove", "218", "205", "click", "3"});
    QTest::qWait(300);
    x.xdotool({"key", "p"});
    QString opened;
    EXPECT_TRUE(waitFor([&] {
        QFile f(record);
        opened = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
        return !opened.isEmpty();
    })) << "the launcher was never called";
    EXPECT_EQ(opened, service.origin() + "/p/I/IBM.html");
    program.terminate();
}

} // namespace
