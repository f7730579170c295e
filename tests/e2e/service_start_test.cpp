// The program and its quote service: without QUOTERRA_SERVICE, as
// installed, it uses its user's own service, announced in the user's
// private runtime folder, or starts it there; on the live market it shows
// what the public source says, played by a loopback server in that source's
// own format.
#include "e2e_fixture.h"

#include "discovery/announcement.h"

namespace quoterra::test {
namespace {

class ServiceStart : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const Profile* p : {&first, &second})
            for (qint64 pid : servicesOf(p->runtime()))
                ::kill(pid_t(pid), SIGTERM);
    }
    // The announcement in `profile`'s runtime folder, once there is one.
    static std::optional<discovery::Announcement> announced(const Profile& profile)
    {
        std::optional<discovery::Announcement> a;
        const std::string file = (profile.runtime() + u"/quoterra/service"_s).toStdString();
        waitUntil([&] { return (a = discovery::readAnnouncement(file)).has_value(); });
        return a;
    }
    // The ticker's window once its face shows a quote.
    QString quoteOnShow(int tickers = 1) const
    {
        QStringList shown;
        if (!waitUntil([&] { return (shown = x.programWindows()).size() >= tickers; }))
            return {};
        for (const QString& ticker : shown)
            if (!waitUntil([&] { return quoteShown(x.grab(ticker)); }, 10000))
                return {};
        return shown.first();
    }

    Xvfb x;
    Profile first, second;
};

TEST_F(ServiceStart, TwoTickersOfOneUserShareTheServiceOneOfThemStarts)
{
    second.sharedRuntime = first.runtime();
    first.seed(placed(3000, 1500, "Full"), {"IBM"});
    second.seed(placed(3000, 6000, "Full"), {"IBM"});
    RunningProgram one(first, {}, x.display());
    RunningProgram two(second, {}, x.display());
    EXPECT_FALSE(quoteOnShow(2).isEmpty()) << "no quote on both tickers";
    // The second service to start finds the first announced and ends.
    EXPECT_TRUE(waitUntil([&] { return servicesOf(first.runtime()).size() == 1; }))
        << servicesOf(first.runtime()).size() << " services";
    EXPECT_TRUE(one.running() && two.running());
}

TEST_F(ServiceStart, TwoUsersEachHaveTheirOwnService)
{
    first.seed(placed(3000, 1500, "Full"), {"IBM"});
    second.seed(placed(3000, 6000, "Full"), {"IBM"});
    RunningProgram one(first, {}, x.display());
    RunningProgram two(second, {}, x.display());
    EXPECT_FALSE(quoteOnShow(2).isEmpty()) << "no quote on both tickers";
    const auto mine = announced(first), theirs = announced(second);
    ASSERT_TRUE(mine && theirs);
    EXPECT_NE(mine->origin, theirs->origin);
    EXPECT_EQ(servicesOf(first.runtime()), QList<qint64>{mine->pid});
    EXPECT_EQ(servicesOf(second.runtime()), QList<qint64>{theirs->pid});
}

// A fetch that finds nothing listening starts the service again at once,
// not at the next keep-alive round minutes later.
TEST_F(ServiceStart, AKilledServiceIsBackByTheNextRefresh)
{
    first.seed(placed(3000, 1500, "Full").replace("Height=Full", "Height=Full\nInterval=1"), {"IBM"});
    RunningProgram program(first, {}, x.display());
    ASSERT_FALSE(quoteOnShow().isEmpty());
    const auto before = announced(first);
    ASSERT_TRUE(before);
    ::kill(pid_t(before->pid), SIGKILL);
    std::optional<discovery::Announcement> after;
    EXPECT_TRUE(waitUntil([&] { return (after = announced(first)) && after->pid != before->pid; }, 6000))
        << "no new service within the next refreshes";
    EXPECT_TRUE(program.running());
}

// Another program in the service's place while the ticker runs: told once,
// never sent a research page; the ticker moves on to a service of its own.
TEST_F(ServiceStart, AProgramInTheServicesPlaceIsToldAndSentNoResearchPage)
{
    first.seed(placed(3000, 3000, "Full").replace("Height=Full", "Height=Full\nInterval=1"), {"IBM"});
    RunningProgram program(first, {}, x.display(), first.fakeOpener());
    ASSERT_FALSE(quoteOnShow().isEmpty());
    const auto ours = announced(first);
    ASSERT_TRUE(ours);
    ::kill(pid_t(ours->pid), SIGKILL);
    const quint16 port = quint16(QUrl(QString::fromStdString(ours->origin)).port());
    std::unique_ptr<FakeSource> impostor;
    ASSERT_TRUE(waitUntil([&] {
        impostor = std::make_unique<FakeSource>(FakeSource::Answer{.body = "\"IBM\",999.99\r\n"}, port);
        return impostor->isListening();
    }));
    EXPECT_FALSE(x.window(u"^Quoterra$"_s).isEmpty()) << "not told";
    x.key(u"Return"_s);

    const QStringList before = x.programWindows();
    x.click({200 + 94 + 5, 200 + 18 + 4}, 3); // the symbol on the full face
    ASSERT_TRUE(x.newWindow(before)) << "no research menu";
    x.key(u"p"_s); // Company Profile
    waitUntil([&] { return !first.opened().isEmpty(); }, 2000);
    EXPECT_FALSE(first.opened().contains(QString::fromStdString(ours->origin))) << first.opened().toStdString();
    EXPECT_TRUE(program.running());
}

// The full face of a ticker on `service` once its first quote is shown.
QImage faceOnce(const Xvfb& x, const QString& service)
{
    Profile profile;
    profile.seed(placed(3000, 3000, "Full"), {"IBM"});
    RunningProgram program(profile, service, x.display());
    const QString ticker = x.window(u"quoterra"_s, true);
    if (ticker.isEmpty())
        return {};
    QImage face;
    return waitUntil([&] { return quoteShown(face = x.grab(ticker)); }, 10000) ? face : QImage();
}

TEST(LiveMarket, TheTickerShowsTheSourcesQuoteAsItWouldTheSameLineFromAnyService)
{
    Xvfb x;
    FakeSource source;
    source.on("/v8/finance/chart/IBM?", {{.body = recorded("chart-json/ibm-1d.json")}});
    ServiceProcess live({"--market", "live", "--source-url", "chart=" + originOf(source), "--source-url", "quote=off",
                         "--source-url", "csv=off"},
                        ServiceProcess::Control::Off);
    const QImage fromLive = faceOnce(x, live.origin());
    ASSERT_FALSE(fromLive.isNull()) << "no quote on the face";
    EXPECT_GE(source.count("/v8/finance/chart/IBM?"), 1);

    FakeSource fixed({.body = std::string(kIbmLine) + "\r\n"});
    const QImage fromLine = faceOnce(x, originOf(fixed));
    ASSERT_FALSE(fromLine.isNull());
    EXPECT_TRUE(fromLive == fromLine) << "the live market's face differs from the one the line gives";
}

} // namespace
} // namespace quoterra::test
