// The program and its quote service: without QUOTERRA_SERVICE, as
// installed, it finds the service on this machine's port 8642 or starts it;
// on the live market it shows what the public source says, played by a
// loopback server in that source's own format.
#include "e2e_fixture.h"

#include <QTcpServer>

namespace quoterra::test {
namespace {

constexpr quint16 kPort = 8642;

// Free for the service, which binds as this probe does, past connections
// still closing on it.
bool portFree()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, kPort);
}

class ServiceStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!portFree())
            GTEST_SKIP() << "port " << kPort << " is in use on this machine";
    }
    void TearDown() override
    {
        for (qint64 pid : started())
            ::kill(pid_t(pid), SIGTERM);
    }
    // With the port free at the start, every one of them was started here.
    static QList<qint64> started() { return servicesOnPort(kPort); }

    Xvfb x;
};

TEST_F(ServiceStart, TwoTickersStartedTogetherShareTheOneServiceTheyStart)
{
    Profile first, second;
    first.seed(placed(3000, 1500, "Full"), {"IBM"});
    second.seed(placed(3000, 6000, "Full"), {"IBM"});
    RunningProgram one(first, {}, x.display());
    RunningProgram two(second, {}, x.display());

    QStringList tickers;
    ASSERT_TRUE(waitUntil([&] { return (tickers = x.programWindows()).size() == 2; }));
    for (const QString& ticker : tickers)
        EXPECT_TRUE(waitUntil([&] { return quoteShown(x.grab(ticker)); }))
            << "no quote on ticker " << ticker.toStdString();
    // The second service to start finds the port taken by the first and ends.
    EXPECT_TRUE(waitUntil([&] { return started().size() == 1; })) << started().size() << " services";
    EXPECT_TRUE(one.running() && two.running());
}

TEST_F(ServiceStart, APortHeldByAnotherProgramIsToldAndTheTickerEnds)
{
    FakeSource other({.body = "not a quote service"}, kPort);
    ASSERT_TRUE(other.isListening());
    Profile profile;
    profile.seed(placed(3000, 1500, "Full"), {"IBM"});
    RunningProgram program(profile, {}, x.display());
    const QString message = x.window(u"Quoterra"_s);
    ASSERT_FALSE(message.isEmpty()) << "no message";
    x.key(u"Return"_s);
    ASSERT_TRUE(program.ended());
    EXPECT_EQ(program.process.exitCode(), 1);
    EXPECT_TRUE(program.process.readAllStandardError().contains("Another program already uses port 8642"));
    EXPECT_TRUE(started().isEmpty());
}

// IBM on Friday 10 May 2024 at the close, 0.88 above the previous close.
const std::string kIbmChart =
    R"({"chart":{"result":[{"meta":{"currency":"USD","symbol":"IBM","exchangeTimezoneName":"America/New_York",)"
    R"("gmtoffset":-14400,"regularMarketTime":1715371202,"regularMarketPrice":167.15,"chartPreviousClose":166.27,)"
    R"("previousClose":166.27,"regularMarketDayHigh":168.22,"regularMarketDayLow":166.71,"regularMarketVolume":2587393},)"
    R"("timestamp":[1715347800,1715369400],"indicators":{"quote":[{"open":[167.5,167.1],"high":[168.22,167.3],)"
    R"("low":[166.71,167.0],"close":[167.6,167.15],"volume":[1200,1300]}]}}],"error":null}})";
const QByteArray kIbmLine = R"("IBM",167.15,"5/10/2024","4:00pm",+0.88,167.50,168.22,166.71,2587393)";

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
    source.on("/v8/finance/chart/IBM?", {{.body = kIbmChart}});
    ServiceProcess live({"--market", "live", "--source-url", "chart=" + originOf(source), "--source-url", "quote=off",
                         "--source-url", "csv=off"},
                        ServiceProcess::Control::Off);
    const QImage fromLive = faceOnce(x, live.origin());
    ASSERT_FALSE(fromLive.isNull()) << "no quote on the face";
    EXPECT_GE(source.count("/v8/finance/chart/IBM?"), 1);

    FakeSource fixed({.body = (kIbmLine + "\r\n").toStdString()});
    const QImage fromLine = faceOnce(x, originOf(fixed));
    ASSERT_FALSE(fromLine.isNull());
    EXPECT_TRUE(fromLive == fromLine) << "the live market's face differs from the one the line gives";
}

} // namespace
} // namespace quoterra::test
