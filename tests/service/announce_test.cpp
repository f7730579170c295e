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

// A runtime folder of the test's own, as the system gives one, and a
// service announced in it.
class Announced : public ::testing::Test {
protected:
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
    std::string token() const { return announcement() ? announcement()->token : "none"; }

    QTemporaryDir root;
    ServiceProcess service{{"--announce"}, ServiceProcess::Control::Off, environment()};
};

TEST_F(Announced, TheServiceTellsItsUserAloneWhereItListens)
{
    const auto announced = announcement();
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->origin, service.origin().toStdString());
    EXPECT_EQ(announced->pid, service.processId());
    EXPECT_EQ(modeOf(folder()), 0700u);
    EXPECT_EQ(modeOf(file()), 0600u);
}

// Refusals and failures too.
TEST_F(Announced, EveryAnswerCarriesTheToken)
{
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
        EXPECT_EQ(a.header(discovery::kTokenHeader), token()) << a.head;
    }
}

// It steps aside before it answers anything, and names the first.
TEST_F(Announced, ASecondAnnouncingServiceStepsAside)
{
    const auto announced = announcement();
    ASSERT_TRUE(announced);
    const Finished second = run(kServiceProgram, {"--announce", "--port", "0", "--market", "simulated"}, environment());
    EXPECT_EQ(second.exitCode, 3);
    EXPECT_TRUE(second.out.isEmpty()) << second.out.toStdString();
    EXPECT_TRUE(second.err.contains(QString::fromStdString(announced->origin))) << second.err.toStdString();
    EXPECT_EQ(announcement(), announced);
}

TEST_F(Announced, AnUnannouncedServiceSignsWithATokenOfItsOwn)
{
    const auto announced = announcement();
    ServiceProcess unannounced({}, ServiceProcess::Control::Off, environment());
    const auto own = unannounced.get("/currentversion.txt").header(discovery::kTokenHeader);
    ASSERT_TRUE(own);
    EXPECT_TRUE(QRegularExpression(u"^[0-9a-f]{32}$"_s).match(QString::fromStdString(*own)).hasMatch()) << *own;
    EXPECT_NE(own, token());
    EXPECT_EQ(announcement(), announced);
}

// A killed service leaves its own behind, and the next one takes its place.
TEST_F(Announced, TheAnnouncementEndsWithTheServiceThatMadeIt)
{
    service.stop();
    EXPECT_FALSE(QFile::exists(file()));
    ServiceProcess killed({"--announce"}, ServiceProcess::Control::Off, environment());
    ::kill(pid_t(killed.processId()), SIGKILL);
    killed.waitForExit(5000);
    ASSERT_TRUE(announcement());
    ServiceProcess next({"--announce", "--idle-exit", "1"}, ServiceProcess::Control::Off, environment());
    ASSERT_TRUE(announcement());
    EXPECT_EQ(announcement()->pid, next.processId());
    EXPECT_EQ(next.waitForExit(15'000), 0);
    EXPECT_FALSE(QFile::exists(file())) << "left behind at the idle end";
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

// Where the announcement goes without a runtime folder, and the folders it
// refuses: with a clear message, leaving them as they are.
struct FolderRow {
    const char* what;
    const char *runtime, *cache, *home; // '@' stands for the test's own folder; none: unset
    const char* there;                  // in the announcement folder's place: "open", "file" or "theirs"
    const char* announcement;           // under the test's folder; none: refused, saying `says`
    const char* says = nullptr;
};
const bool kRoot = ::geteuid() == 0; // only root can give a folder away
const FolderRow kFolderRows[] = {
    {"the runtime folder", "@/run", "@/cache", nullptr, nullptr, "/run/quoterra/service"},
    {"no runtime folder: the cache folder", nullptr, "@/cache", nullptr, nullptr, "/cache/quoterra/run/service"},
    {"a relative runtime folder counts for none", "run", "@/cache", nullptr, nullptr, "/cache/quoterra/run/service"},
    {"neither: the cache in the home folder", nullptr, nullptr, "@/home", nullptr, "/home/.cache/quoterra/run/service"},
    {"a folder open to others", "@", nullptr, nullptr, "open", nullptr, "open to other users (mode 0755)"},
    {"a file in the folder's place", "@", nullptr, nullptr, "file", nullptr, "is not a folder"},
    {"another user's folder", "@", nullptr, nullptr, "theirs", nullptr,
     kRoot ? "belongs to another user" : "open to other users"},
};
class FolderRows : public ::testing::TestWithParam<FolderRow> {
protected:
    void SetUp() override
    {
        const FolderRow& r = GetParam();
        const auto at = [&](const char* path) { return QString::fromLatin1(path).replace(u'@', root.path()); };
        for (const auto& [variable, value] :
             {std::pair{u"XDG_RUNTIME_DIR"_s, r.runtime}, {u"XDG_CACHE_HOME"_s, r.cache}, {u"HOME"_s, r.home}})
            value ? env.insert(variable, at(value)) : env.remove(variable);
        QDir().mkpath(root.path() + u"/run"_s);
        const QString place = root.path() + u"/quoterra"_s;
        const std::string_view there = r.there ? r.there : "";
        if (there == "file")
            QFile(place).open(QIODevice::WriteOnly);
        else if (!there.empty())
            QDir().mkpath(place);
        if (there == "open")
            ::chmod(QFile::encodeName(place).constData(), 0755);
        if (there == "theirs" && ::chmod(QFile::encodeName(place).constData(), kRoot ? 0700 : 0770) == 0 && kRoot)
            ::chown(QFile::encodeName(place).constData(), 65534, 65534);
    }
    QTemporaryDir root;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};
TEST_P(FolderRows, HoldTheAnnouncementOrAreRefusedUntouched)
{
    if (GetParam().announcement) {
        ServiceProcess service({"--announce"}, ServiceProcess::Control::Off, env);
        const QString path = root.path() + QLatin1String(GetParam().announcement);
        const auto a = discovery::readAnnouncement(path.toStdString());
        ASSERT_TRUE(a);
        EXPECT_EQ(a->pid, service.processId());
        EXPECT_EQ(modeOf(QFileInfo(path).path()), 0700u);
        return;
    }
    const QStringList before = snapshot(root.path());
    const Finished refused = run(kServiceProgram, {"--announce", "--port", "0"}, env);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QLatin1String(GetParam().says))) << refused.err.toStdString();
    EXPECT_EQ(refused.err.count(u'\n'), 1) << refused.err.toStdString();
    EXPECT_EQ(snapshot(root.path()), before) << "the folder was changed";
    EXPECT_FALSE(QFileInfo::exists(root.path() + u"/quoterra/service"_s));
}
INSTANTIATE_TEST_SUITE_P(Places, FolderRows, ::testing::ValuesIn(kFolderRows), rowName<FolderRow>);

} // namespace
