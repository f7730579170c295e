// The program without QUOTERRA_SERVICE, as installed: it finds the quote
// service on this machine's port 8642, or starts it.
#include "e2e_fixture.h"
#include "fake_source.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quoterra::test {
namespace {

constexpr quint16 kPort = 8642;

bool portFree()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(kPort);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return free;
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

QByteArray fullAt(int top)
{
    return "[Software\\Quoterra]\nLeft=3000\nTop=" + QByteArray::number(top)
        + "\nHeight=Full\n[Software\\Quoterra\\Charts]\n";
}

TEST_F(ServiceStart, TwoTickersStartedTogetherShareTheOneServiceTheyStart)
{
    Profile first, second;
    first.seed(fullAt(1500), {"IBM"});
    second.seed(fullAt(6000), {"IBM"});
    RunningProgram one(first, {}, u"xcb"_s, x.display());
    RunningProgram two(second, {}, u"xcb"_s, x.display());

    QStringList tickers;
    ASSERT_TRUE(waitUntil([&] {
        tickers = x.xdotool({"search", "--onlyvisible", "--classname", "quoterra"}).split(u'\n', Qt::SkipEmptyParts);
        return tickers.size() == 2;
    }));
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
    profile.seed(fullAt(1500), {"IBM"});
    RunningProgram program(profile, {}, u"xcb"_s, x.display());
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
