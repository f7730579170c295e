// The program in a Wayland session: weston nested in a private X server,
// with XWayland. Where the session offers X11 the program runs there; where
// weston's window manager refuses the program's own moves the compositor
// moves its windows; with no X11 at all it runs on Wayland and says what it
// cannot do.
#include "e2e_fixture.h"

#include <QStandardPaths>

namespace quoterra::test {
namespace {

const QByteArray kRefused = "the window manager does not let programs place their own windows";

// A compositor of our own in a window of a private X server (weston's x11
// backend), which gives it a seat that the outer server's pointer drives,
// on a socket in a private runtime folder.
class Weston {
public:
    Weston()
    {
        if (QStandardPaths::findExecutable(u"weston"_s).isEmpty() || screen_.display().isEmpty())
            return;
        QFile::setPermissions(runtime_.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // No panel: the screen is the work area, as under Xvfb.
        QFile config(runtime_.path() + u"/weston.ini"_s);
        if (!config.open(QIODevice::WriteOnly)
            || config.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n") < 0)
            return;
        config.close();
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime_.path());
        env.insert(u"DISPLAY"_s, screen_.display());
        env.remove(u"WAYLAND_DISPLAY"_s);
        process_.setProcessEnvironment(env);
        // weston's seat follows the outer pointer from the moment it enters
        // weston's window, which it may not do if it was already inside.
        screen_.xdotool({"mousemove", "0", "799"});
        // Drawn by pixman: what weston shows is then on the outer server's
        // screen, pixel for pixel.
        process_.start(u"weston"_s,
                       {"--backend=x11-backend.so", "--use-pixman", "--xwayland", "--socket=wayland-quoterra",
                        "--width=1024", "--height=768", "--config=" + config.fileName(), "--log=" + log()});
        // XWayland's display is named once weston has set it up; it starts
        // with the first program that connects, and its window manager is
        // up once it announces what it supports.
        started_ = waitUntil(
            [this] {
                return !xDisplay().isEmpty()
                    && XDisplay(xDisplay()).run(u"xprop"_s, {"-root", "_NET_SUPPORTED"}).contains("_NET_WM_MOVERESIZE");
            },
            20000);
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
    // What the user sees, and where the pointer is.
    const Xvfb& screen() const { return screen_; }
    QString xDisplay() const
    {
        const QByteArray text = readFile(log());
        const qsizetype at = text.indexOf("xserver listening on display ");
        return at < 0 ? QString() : QString::fromLatin1(text.mid(at + 29).split('\n').first().trimmed());
    }

private:
    // Taller than weston's window, so that the pointer can start outside it.
    Xvfb screen_{QSize(1024, 800)};
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
    // session's own runtime folder and Wayland display, and the X display
    // `x11` (none: no X11 at all).
    void start(QProcess& program, const QString& x11) const
    {
        auto env = profile.environment(service.origin());
        env.remove(u"QT_QPA_PLATFORM"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, weston.runtime());
        env.insert(u"WAYLAND_DISPLAY"_s, u"wayland-quoterra"_s);
        if (x11.isEmpty())
            env.remove(u"DISPLAY"_s);
        else
            env.insert(u"DISPLAY"_s, x11);
        program.setProcessEnvironment(env);
        program.start(kProgram, {});
    }
    static bool usesWayland(const QProcess& program)
    {
        return readFile(u"/proc/%1/maps"_s.arg(program.processId())).contains("libqwayland");
    }
    static bool ends(QProcess& program)
    {
        program.terminate();
        return program.waitForFinished(10000) && program.exitStatus() == QProcess::NormalExit
            && program.exitCode() == 0;
    }

    Weston weston;
    ServiceProcess service;
    Profile profile;
};

TEST_F(WaylandSession, WithXWaylandTheTickerIsAnX11Window)
{
    QProcess program;
    start(program, weston.xDisplay());
    EXPECT_FALSE(XDisplay(weston.xDisplay()).window(u"quoterra"_s, true).isEmpty()) << "no X window";
    EXPECT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); })) << "no quote asked for";
    EXPECT_FALSE(usesWayland(program));
    ASSERT_TRUE(ends(program));
    EXPECT_FALSE(program.readAllStandardError().contains("Wayland"));
}

// weston's window manager refuses a program's moves: the ticker still opens
// at its saved place, and the compositor moves it under the pointer.
TEST_F(WaylandSession, WhereTheWindowManagerRefusesMovesTheCompositorMovesTheWindows)
{
    QProcess program;
    start(program, weston.xDisplay());
    const XDisplay xwayland(weston.xDisplay());
    const Xvfb& screen = weston.screen();
    const QString ticker = xwayland.window(u"quoterra"_s, true);
    ASSERT_FALSE(ticker.isEmpty()) << "no X window";
    // Judged on the screen the user sees (weston draws the pointer there,
    // so it is moved out of the way first): XWayland's idea of a window's
    // place is only what weston last told it.
    const auto shownAt = [&](QPoint at) {
        screen.xdotool({"mousemove", "1000", "700"});
        const QImage face = xwayland.grab(ticker);
        return !face.isNull() && screen.grabScreen().copy(QRect(at, face.size())) == face;
    };
    ASSERT_TRUE(waitUntil([&] { return shownAt({200, 200}); })) << "not at its saved place";
    QByteArray said;
    const auto told = [&] {
        said += program.readAllStandardError();
        return said.count(kRefused);
    };

    // The hand on the strip, then the button down once XWayland has the
    // pointer there: weston hands a press to where it last saw the pointer.
    const auto pressAt = [&](QPoint at) {
        screen.xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
        const QString over = u"WINDOW=%1"_s.arg(ticker);
        EXPECT_TRUE(waitUntil([&] { return xwayland.xdotool({"getmouselocation", "--shell"}).contains(over); }));
        screen.xdotool({"mousedown", "1"});
    };

    // Grab the strip and pull: the program's own steps go nowhere, and once
    // it has seen that it says so and hands the same drag to the compositor.
    pressAt({300, 206});
    screen.xdotool({"mousemove", "320", "230"});
    EXPECT_TRUE(waitUntil([&] { return told() == 1; })) << said.toStdString();
    screen.glide({320, 230}, {380, 306});
    screen.xdotool({"mouseup", "1"});
    // The box that says why, wherever weston put it: read, and closed.
    QString box;
    ASSERT_TRUE(waitUntil([&] {
        for (const QString& id : xwayland.programWindows())
            if (id != ticker)
                box = id;
        return !box.isEmpty();
    })) << "no box";
    screen.click(xwayland.geometry(box).topLeft() + QPoint(20, 20));
    screen.key(u"Return"_s);
    ASSERT_TRUE(waitUntil([&] { return xwayland.programWindows() == QStringList{ticker}; })) << "the box stays";
    EXPECT_TRUE(waitUntil([&] { return shownAt({280, 300}); })) << "the drag did not move it";

    // The next drag is the compositor's from the start, and nothing more is said.
    pressAt({380, 306});
    screen.glide({380, 306}, {480, 406});
    screen.xdotool({"mouseup", "1"});
    EXPECT_TRUE(waitUntil([&] { return shownAt({380, 400}); })) << "the second drag did not move it";
    EXPECT_EQ(told(), 1);
    EXPECT_EQ(xwayland.programWindows(), QStringList{ticker}) << "told again";
    EXPECT_TRUE(QFile::exists(profile.root() + u"/state/Quoterra/told-about-window-manager"_s));
    EXPECT_TRUE(ends(program));
}

// A Wayland session whose X11 carries out a program's moves (GNOME's and
// KDE's window managers do; here no window manager at all): the program
// places its windows itself, snapping included, and says nothing.
TEST_F(WaylandSession, WhereMovesAreCarriedOutTheProgramStillPlacesItsWindows)
{
    QProcess program;
    start(program, weston.screen().display());
    const Xvfb& x = weston.screen();
    const QString ticker = x.window(u"quoterra"_s, true);
    ASSERT_TRUE(x.reaches(ticker, {200, 200}, 5000));
    // Held long enough for the program to have looked whether it moved.
    x.drag({300, 206}, {380, 306}, 5, 0.5);
    EXPECT_TRUE(x.reaches(ticker, {280, 300}, 5000));
    x.drag({380, 306}, {380, 6});
    EXPECT_TRUE(x.reaches(ticker, {280, 0}, 5000));
    ASSERT_TRUE(ends(program));
    EXPECT_FALSE(program.readAllStandardError().contains(kRefused));
}

TEST_F(WaylandSession, WithoutX11ItRunsOnWaylandTellingWhatItCannotDo)
{
    const QString told = profile.root() + u"/state/Quoterra/told-about-wayland"_s;
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first start" : "second start");
        QProcess program;
        service.reset(); // before the start: its first quote comes at once
        start(program, {});
        EXPECT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); })) << "no quote asked for";
        EXPECT_TRUE(usesWayland(program));
        QByteArray said;
        EXPECT_TRUE(waitUntil([&] {
            said += program.readAllStandardError();
            return said.contains("on Wayland the windows cannot be placed, snapped, docked or kept on top");
        })) << said.toStdString();
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(told); }));
        EXPECT_TRUE(ends(program));
        EXPECT_TRUE(XDisplay(weston.xDisplay()).programWindows().isEmpty());
    }
}

} // namespace
} // namespace quoterra::test
