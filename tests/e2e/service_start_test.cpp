// The program without QUOTERRA_SERVICE, as installed: it finds the quote
// service on this machine's port 8642, or starts it.
#include "e2e_fixture.h"
#include "fake_source.h"

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
        ASSERT_FALSE(x.display().isEmpty()) << "Xvfb did not start";
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

} // namespace
} // namespace quoterra::test
