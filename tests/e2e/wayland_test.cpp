// The program in a Wayland session (weston, headless, with XWayland): where
// the session offers X11 it runs there; with no X11 at all it runs on
// Wayland and says what it cannot do.
#include "e2e_fixture.h"

#include <QStandardPaths>

namespace quoterra::test {
namespace {

// A compositor of our own, on a socket in a private runtime folder.
class Weston {
public:
    Weston()
    {
        if (QStandardPaths::findExecutable(u"weston"_s).isEmpty())
            return;
        QFile::setPermissions(runtime_.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime_.path());
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        process_.setProcessEnvironment(env);
        process_.start(u"weston"_s,
                       {"--backend=headless-backend.so", "--xwayland", "--socket=wayland-quoterra", "--width=1024",
                        "--height=768", "--log=" + log()});
        // XWayland's display is named once weston has set it up.
        started_ = waitUntil([this] { return !xDisplay().isEmpty(); }, 10000);
    }
    ~Weston()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    bool started() const { return started_; }
    QString runtime() const { return runtime_.path(); }
    QString log() const { return runtime_.path() + u"/weston.log"_s; }
    QString xDisplay() const
    {
        const QByteArray text = readFile(log());
        const qsizetype at = text.indexOf("xserver listening on display ");
        return at < 0 ? QString() : QString::fromLatin1(text.mid(at + 29).split('\n').first().trimmed());
    }
    QStringList xWindows(const QString& cls) const
    {
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, xDisplay());
        p.setProcessEnvironment(env);
        p.start(u"xdotool"_s, {"search", "--onlyvisible", "--classname", cls});
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir runtime_;
    QProcess process_;
    bool started_ = false;
};

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(u"weston"_s).isEmpty())
            GTEST_SKIP() << "weston is not installed (scripts/setup.sh installs it)";
        ASSERT_TRUE(weston.started()) << readFile(weston.log()).toStdString();
        profile.seed(placed(3000, 3000, "Shade"), {"IBM"});
    }
    // The program as the session starts it: no platform chosen, the
    // session's own runtime folder and displays.
    void start(QProcess& program, bool withX11) const
    {
        auto env = profile.environment(service.origin());
        env.remove(u"QT_QPA_PLATFORM"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, weston.runtime());
        env.insert(u"WAYLAND_DISPLAY"_s, u"wayland-quoterra"_s);
        if (withX11)
            env.insert(u"DISPLAY"_s, weston.xDisplay());
        else
            env.remove(u"DISPLAY"_s);
        program.setProcessEnvironment(env);
        program.start(kProgram, {});
    }
    static bool usesWayland(const QProcess& program)
    {
        return readFile(u"/proc/%1/maps"_s.arg(program.processId())).contains("libqwayland");
    }

    Weston weston;
    ServiceProcess service;
    Profile profile;
};

TEST_F(WaylandSession, WithXWaylandTheTickerIsAnX11Window)
{
    QProcess program;
    start(program, true);
    QStringList windows;
    ASSERT_TRUE(waitUntil([&] { return !(windows = weston.xWindows(u"quoterra"_s)).isEmpty(); }, 10000))
        << "no X window";
    EXPECT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); })) << "no quote asked for";
    EXPECT_FALSE(usesWayland(program));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_FALSE(program.readAllStandardError().contains("Wayland"));
}

TEST_F(WaylandSession, WithoutX11ItRunsOnWaylandAndSaysWhatItCannotDo)
{
    const QString told = profile.root() + u"/state/Quoterra/told-about-wayland"_s;
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first start" : "second start");
        QProcess program;
        service.reset(); // before the start: its first quote comes at once
        start(program, false);
        EXPECT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); })) << "no quote asked for";
        EXPECT_TRUE(usesWayland(program));
        QByteArray said;
        EXPECT_TRUE(waitUntil([&] {
            said += program.readAllStandardError();
            return said.contains("on Wayland the windows cannot be placed, snapped, docked or kept on top");
        })) << said.toStdString();
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(told); }));
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(weston.xWindows(u"quoterra"_s).isEmpty());
    }
}

} // namespace
} // namespace quoterra::test
