// The service that announces itself to its user's tickers: where, with what
// rights, one a user, and gone when it ends.

#include "test_support.h"

#include "discovery/announcement.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

using namespace quoterra::test;
namespace discovery = quoterra::discovery;

namespace {

unsigned modeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Every file and folder under `root` with its owner and mode.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        entries << u"%1 %2 %3"_s.arg(path).arg(st.st_uid).arg(st.st_mode, 0, 8);
    }
    entries.sort();
    return entries;
}

// A runtime folder of the test's own, as the system gives one.
struct Runtime {
    QTemporaryDir root;
    QString folder() const { return root.path() + u"/quoterra"_s; }
    QString file() const { return folder() + u"/service"_s; }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, root.path());
        return env;
    }
    std::optional<discovery::Announcement> announcement() const
    {
        return discovery::readAnnouncement(file().toStdString());
    }
};

std::string tokenLine(const std::string& token)
{
    return std::string(discovery::kTokenHeader) + ": " + token;
}

TEST(ServiceAnnouncement, TheServiceTellsItsUserWhereItListensAndSignsEveryAnswer)
{
    Runtime runtime;
    ServiceProcess service({"--announce"}, ServiceProcess::Control::Off, runtime.environment());
    const auto announced = runtime.announcement();
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->origin, service.origin().toStdString());
    EXPECT_EQ(announced->pid, service.processId());
    EXPECT_EQ(modeOf(runtime.folder()), 0700u);
    EXPECT_EQ(modeOf(runtime.file()), 0600u);
    EXPECT_EQ(readFile(runtime.file()), QByteArray::fromStdString(discovery::announcementText(*announced)));

    // Every answer, refusals and failures too, carries the token.
    const std::pair<std::string, int> requests[] = {
        {"GET /d/quotes.csv?s=IBM HTTP/1.1\r\n" + service.hostLine(), 200},
        {"GET /nothing HTTP/1.1\r\n" + service.hostLine(), 404},
        {"POST /d/quotes.csv HTTP/1.1\r\n" + service.hostLine(), 405},
        {"GET / HTTP/1.1\r\nHost: rebound.example\r\n", 421},
        {"GET / HTTP/1.1\r\n" + service.hostLine() + "Content-Length: 99999\r\n", 413},
    };
    for (const auto& [request, status] : requests) {
        const HttpAnswer a = rawExchange(service.port(), request + "\r\n");
        EXPECT_EQ(a.status, status) << request;
        EXPECT_TRUE(a.hasHeader(tokenLine(announced->token))) << a.head;
    }

    // A second announcing service steps aside before it answers anything
    // and names the first; one on a port of its own announces nothing.
    const Finished second =
        run(kServiceProgram, {"--announce", "--port", "0", "--market", "simulated"}, runtime.environment());
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_TRUE(second.out.isEmpty()) << second.out.toStdString();
    EXPECT_TRUE(second.err.contains(QString::fromStdString(announced->origin))) << second.err.toStdString();
    ServiceProcess unannounced({}, ServiceProcess::Control::Off, runtime.environment());
    const HttpAnswer own = unannounced.get("/currentversion.txt");
    EXPECT_TRUE(QRegularExpression(u"^[0-9a-f]{32}$"_s)
                    .match(QString::fromStdString(own.header(discovery::kTokenHeader)))
                    .hasMatch())
        << own.head;
    EXPECT_FALSE(own.hasHeader(tokenLine(announced->token)));
    EXPECT_EQ(runtime.announcement(), announced);

    // Its end takes the announcement away; a killed service leaves its own
    // behind, and the next one takes its place.
    service.stop();
    EXPECT_FALSE(QFile::exists(runtime.file()));
    ServiceProcess killed({"--announce"}, ServiceProcess::Control::Off, runtime.environment());
    ::kill(pid_t(killed.processId()), SIGKILL);
    killed.waitForExit(5000);
    ASSERT_TRUE(runtime.announcement());
    ServiceProcess next({"--announce", "--idle-exit", "1"}, ServiceProcess::Control::Off, runtime.environment());
    ASSERT_TRUE(runtime.announcement());
    EXPECT_EQ(runtime.announcement()->pid, next.processId());
    EXPECT_EQ(next.waitForExit(15'000), 0);
    EXPECT_FALSE(QFile::exists(runtime.file())) << "left behind at the idle end";
}

// Where the announcement goes without a runtime folder, and the folders it
// refuses: with a clear message, leaving them as they are.
TEST(ServiceAnnouncement, TheFolderIsTheUsersOwnAndPrivateOrTheServiceRefusesIt)
{
    struct Case {
        const char* what;
        std::function<void(const QString& root, QProcessEnvironment& env)> setUp;
        QString announcement; // under the root
        const char* says = nullptr;
    };
    const auto runtimeAt = [](const QString& folder) {
        return [folder](const QString& root, QProcessEnvironment& env) {
            env.insert(u"XDG_RUNTIME_DIR"_s, root + u"/run"_s);
            QDir().mkpath(root + u"/run"_s);
            if (!folder.isEmpty()) {
                QDir().mkpath(root + folder);
                ::chmod(QFile::encodeName(root + folder).constData(), 0755);
            }
        };
    };
    const Case cases[] = {
        {"the runtime folder", runtimeAt({}), u"/run/quoterra/service"_s},
        {"no runtime folder: the cache folder",
         [](const QString& root, QProcessEnvironment& env) {
             env.remove(u"XDG_RUNTIME_DIR"_s);
             env.insert(u"XDG_CACHE_HOME"_s, root + u"/cache"_s);
         },
         u"/cache/quoterra/run/service"_s},
        {"a relative runtime folder counts for none",
         [](const QString& root, QProcessEnvironment& env) {
             env.insert(u"XDG_RUNTIME_DIR"_s, u"run"_s);
             env.insert(u"XDG_CACHE_HOME"_s, root + u"/cache"_s);
         },
         u"/cache/quoterra/run/service"_s},
        {"neither: the cache in the home folder",
         [](const QString& root, QProcessEnvironment& env) {
             env.remove(u"XDG_RUNTIME_DIR"_s);
             env.remove(u"XDG_CACHE_HOME"_s);
             env.insert(u"HOME"_s, root + u"/home"_s);
         },
         u"/home/.cache/quoterra/run/service"_s},
        {"a folder open to others", runtimeAt(u"/run/quoterra"_s), {}, "open to other users (mode 0755)"},
        {"a file in the folder's place",
         [](const QString& root, QProcessEnvironment& env) {
             env.insert(u"XDG_RUNTIME_DIR"_s, root);
             QFile(root + u"/quoterra"_s).open(QIODevice::WriteOnly);
         },
         {},
         "is not a folder"},
        {"another user's folder",
         [](const QString& root, QProcessEnvironment& env) {
             env.insert(u"XDG_RUNTIME_DIR"_s, root);
             QDir().mkpath(root + u"/quoterra"_s);
             ::chmod(QFile::encodeName(root + u"/quoterra"_s).constData(), 0700);
             if (::geteuid() == 0) // only root can give a folder away
                 ::chown(QFile::encodeName(root + u"/quoterra"_s).constData(), 65534, 65534);
             else
                 ::chmod(QFile::encodeName(root + u"/quoterra"_s).constData(), 0770);
         },
         {},
         ::geteuid() == 0 ? "belongs to another user" : "open to other users"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        c.setUp(root.path(), env);
        if (!c.says) {
            ServiceProcess service({"--announce"}, ServiceProcess::Control::Off, env);
            const auto a = discovery::readAnnouncement((root.path() + c.announcement).toStdString());
            ASSERT_TRUE(a);
            EXPECT_EQ(a->pid, service.processId());
            EXPECT_EQ(modeOf(QFileInfo(root.path() + c.announcement).path()), 0700u);
            continue;
        }
        const QStringList before = snapshot(root.path());
        const Finished refused = run(kServiceProgram, {"--announce", "--port", "0"}, env);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains(QLatin1String(c.says))) << refused.err.toStdString();
        EXPECT_EQ(refused.err.count(u'\n'), 1) << refused.err.toStdString();
        EXPECT_EQ(snapshot(root.path()), before) << "the folder was changed";
        EXPECT_FALSE(QFileInfo::exists(root.path() + u"/quoterra/service"_s));
        EXPECT_FALSE(QFileInfo::exists(root.path() + u"/run/quoterra/service"_s));
    }
}

} // namespace
