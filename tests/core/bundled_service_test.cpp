// Finding the user's own quote service through its announcement, or
// starting it, against real service programs in a private runtime folder.
#include "test_support.h"

#include "discovery/announcement.h"
#include "hosts/bundled_service.h"

#include <QSignalSpy>

#include <sys/stat.h>

namespace quoterra::test {
namespace {

using State = BundledService::State;

class OwnService : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void TearDown() override
    {
        // Whatever a test started ends with it.
        if (const auto a = discovery::readAnnouncement(discovery::announcementFile()))
            ::kill(pid_t(a->pid), SIGTERM);
    }
    static QString folder() { return QString::fromStdString(discovery::announcementFolder()); }
    static std::optional<discovery::Announcement> announcement()
    {
        return discovery::readAnnouncement(discovery::announcementFile());
    }
    // Announces `origin` with a token, as a service would.
    static void announce(const QString& origin)
    {
        ASSERT_EQ(discovery::prepareFolder(discovery::announcementFolder()), std::nullopt);
        ASSERT_EQ(discovery::writeAnnouncement(discovery::announcementFile(),
                                               {origin.toStdString(), ::getpid(), discovery::newToken()}),
                  std::nullopt);
    }

    QTemporaryDir runtime;
    const QStringList programs{u"/nonexistent/quoterra-service"_s, kServiceProgram};
};

TEST_F(OwnService, WithNoneAnnouncedOneIsStarted)
{
    const BundledService::Found found = BundledService(programs).ensure(std::chrono::seconds(5));
    ASSERT_EQ(found.state, State::Answering) << found.message.toStdString();
    const auto a = announcement();
    ASSERT_TRUE(a);
    EXPECT_EQ(found.origin, QString::fromStdString(a->origin));
    EXPECT_EQ(found.token, QByteArray::fromStdString(a->token));
    EXPECT_NE(QUrl(found.origin).port(), 8642) << "took the usual port instead of one the system picked";
}

// Another local program in the announced place, without the token: not
// believed, and the user's own service is started in its stead.
TEST_F(OwnService, AProgramWithoutTheTokenIsNotTakenForTheService)
{
    FakeSource impostor({.body = "\"IBM\",999.00", .headers = {{"Server", "quoterra-service/4.00"}}});
    announce(originOf(impostor));
    EXPECT_EQ(BundledService({}).ensure(std::chrono::seconds(1)).state, State::Missing);
    const BundledService::Found found = BundledService(programs).ensure(std::chrono::seconds(5));
    ASSERT_EQ(found.state, State::Answering);
    EXPECT_NE(found.origin, originOf(impostor));
}

TEST_F(OwnService, AFolderOthersCanWriteInIsRefusedInWords)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_EQ(::chmod(QFile::encodeName(folder()).constData(), 0777), 0);
    const BundledService::Found found = BundledService(programs).ensure(std::chrono::seconds(1));
    EXPECT_EQ(found.state, State::Unusable);
    EXPECT_TRUE(found.message.contains(folder())) << found.message.toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(discovery::announcementFile())));
}

TEST_F(OwnService, NoServiceProgramIsToldInWords)
{
    const BundledService::Found found = BundledService({u"/nonexistent/quoterra-service"_s}).ensure({});
    EXPECT_EQ(found.state, State::Missing);
    EXPECT_TRUE(found.message.contains(u"/nonexistent/quoterra-service"_s)) << found.message.toStdString();
}

// A quote fetch that finds nothing listening sends the link looking at once:
// the service is back, on a new port, by the next fetch.
TEST_F(OwnService, TheLinkBringsBackAServiceThatWentAwayAtOnce)
{
    ServiceLink link(BundledService(programs), std::chrono::seconds(5));
    ASSERT_TRUE(link.problem().isEmpty());
    const QString before = link.hosts().quotes;
    const auto a = announcement();
    ASSERT_TRUE(a);
    ::kill(pid_t(a->pid), SIGKILL);
    QSignalSpy moved(&link, &ServiceLink::hostsChanged);
    EXPECT_FALSE(link.answered(true, {}));
    ASSERT_TRUE(waitUntil([&] { return !moved.isEmpty(); }, 8000));
    EXPECT_NE(link.hosts().quotes, before);
    EXPECT_TRUE(link.answered(false, QByteArray::fromStdString(announcement()->token)));
}

TEST_F(OwnService, AnAnswerWithoutTheTokenIsDisbelieved)
{
    ServiceLink link(BundledService(programs), std::chrono::seconds(5));
    const auto a = announcement();
    ASSERT_TRUE(a);
    QSignalSpy told(&link, &ServiceLink::foreignAnswer);
    EXPECT_TRUE(link.answered(false, QByteArray::fromStdString(a->token)));
    EXPECT_TRUE(link.trusted());
    EXPECT_FALSE(link.answered(false, "someone else"));
    EXPECT_FALSE(link.answered(false, {}));
    EXPECT_FALSE(link.trusted());
    EXPECT_EQ(told.size(), 1);
}

TEST(NamedService, IsBelievedAsItIs)
{
    ServiceLink link(u"http://127.0.0.1:9"_s);
    EXPECT_EQ(link.hosts().quotes, u"http://127.0.0.1:9"_s);
    EXPECT_TRUE(link.answered(true, {}));
    EXPECT_TRUE(link.answered(false, "anything"));
    EXPECT_TRUE(link.trusted());
}

} // namespace
} // namespace quoterra::test
