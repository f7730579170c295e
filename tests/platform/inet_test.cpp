#include "fault_server.h"
#include "service_process.h"

#include "platform/inet.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QTimer>

namespace quoterra {
namespace {

struct Outcome {
    QByteArray body;
    bool failed = false;
    int errorStates = 0;
    qint64 elapsedMs = 0;
    int timerTicks = 0;
};

// Runs one transfer while a 50 ms timer ticks, as the ticker's would.
Outcome fetch(Inet& inet, const QString& address, Inet::DataType type = Inet::icByteArray)
{
    Outcome o;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++o.timerTicks; });
    timer.start(50);
    QSignalSpy states(&inet, &Inet::StateChanged);
    QElapsedTimer clock;
    clock.start();
    o.body = type == Inet::icString ? inet.OpenURL(address).toLatin1() : inet.OpenURL(address, type);
    o.elapsedMs = clock.elapsed();
    o.failed = inet.lastTransferFailed();
    for (const auto& args : states)
        o.errorStates += args.at(0).toInt() == Inet::icError ? 1 : 0;
    return o;
}

TEST(Inet, ReturnsWholeTextAndBytesFromTheService)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    Inet inet;
    const QString text = inet.OpenURL(service.origin() + QStringLiteral("/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv"));
    EXPECT_FALSE(inet.lastTransferFailed());
    EXPECT_TRUE(text.startsWith(QLatin1String("\"IBM\","))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QLatin1String("\r\n")));
    EXPECT_EQ(text.count(u','), 8);

    const Outcome chart = fetch(inet, service.origin() + QStringLiteral("/t?s=IBM"));
    EXPECT_FALSE(chart.failed);
    QImage image;
    EXPECT_TRUE(image.loadFromData(chart.body, "GIF"));
    EXPECT_GT(image.width(), 0);
}

TEST(Inet, AServerThatNeverAnswersIsCutOffAtTheTimeOutWhileTimersRun)
{
    for (auto mode : {FaultServer::Mode::Hang, FaultServer::Mode::Trickle}) {
        SCOPED_TRACE(mode == FaultServer::Mode::Hang ? "hang" : "trickle");
        FaultServer server(mode);
        ASSERT_TRUE(server.isListening());
        Inet inet;
        inet.setRequestTimeout(2);
        const Outcome o = fetch(inet, server.origin() + QStringLiteral("/d/quotes.csv?s=IBM"), Inet::icString);
        EXPECT_TRUE(o.failed);
        EXPECT_TRUE(o.body.isEmpty());
        EXPECT_EQ(o.errorStates, 1);
        EXPECT_GE(o.elapsedMs, 1900);
        EXPECT_LT(o.elapsedMs, 3000);
        // The window kept breathing: the timer ran during the wait.
        EXPECT_GE(o.timerTicks, 10);
        EXPECT_FALSE(inet.StillExecuting());
    }
}

TEST(Inet, FaultsAreFailuresWithStateElevenAndNoBody)
{
    using Config = FaultServer::Config;
    struct Case {
        const char* what;
        Config config;
        Inet::DataType type;
    };
    const Case cases[] = {
        {"reset", Config{.mode = FaultServer::Mode::Reset}, Inet::icString},
        {"server error", Config{.mode = FaultServer::Mode::Fixed, .status = 503}, Inet::icString},
        {"not found", Config{.mode = FaultServer::Mode::Fixed, .status = 404, .body = "missing"}, Inet::icString},
        {"text over 1 MiB with length",
         Config{.mode = FaultServer::Mode::Oversize, .bodySize = (1u << 20) + 1}, Inet::icString},
        {"text over 1 MiB chunked",
         Config{.mode = FaultServer::Mode::Oversize, .bodySize = 3u << 20, .framing = FaultServer::Framing::Chunked},
         Inet::icString},
        {"bytes over 16 MiB without length",
         Config{.mode = FaultServer::Mode::Oversize, .bodySize = 17u << 20,
                .framing = FaultServer::Framing::CloseDelimited},
         Inet::icByteArray},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FaultServer server(c.config);
        Inet inet;
        inet.setRequestTimeout(10);
        const Outcome o = fetch(inet, server.origin() + QStringLiteral("/x"), c.type);
        EXPECT_TRUE(o.failed);
        EXPECT_TRUE(o.body.isEmpty());
        EXPECT_EQ(o.errorStates, 1);
        EXPECT_FALSE(inet.lastError().isEmpty());
    }
}

TEST(Inet, BodiesUpToTheCapArriveWhole)
{
    FaultServer text({.mode = FaultServer::Mode::Oversize, .bodySize = 1u << 20});
    FaultServer bytes({.mode = FaultServer::Mode::Oversize, .bodySize = 5u << 20,
                       .framing = FaultServer::Framing::Chunked});
    FaultServer empty({.mode = FaultServer::Mode::Fixed, .status = 200});
    Inet inet;
    EXPECT_EQ(inet.OpenURL(text.origin() + QStringLiteral("/x")).size(), 1 << 20);
    EXPECT_EQ(inet.OpenURL(bytes.origin() + QStringLiteral("/x"), Inet::icByteArray).size(), 5 << 20);
    EXPECT_EQ(inet.OpenURL(empty.origin() + QStringLiteral("/x")), QString());
    EXPECT_FALSE(inet.lastTransferFailed());
}

TEST(Inet, OneTransferAtATimeAndStillExecutingTellsWhichIsRunning)
{
    ServiceProcess slow({QStringLiteral("--latency-ms"), QStringLiteral("400")});
    Inet inet;
    bool executingDuringWait = false;
    bool secondFailed = false;
    QTimer::singleShot(100, [&] {
        executingDuringWait = inet.StillExecuting();
        inet.OpenURL(slow.origin() + QStringLiteral("/currentversion.txt"));
        secondFailed = inet.lastTransferFailed();
    });
    EXPECT_FALSE(inet.StillExecuting());
    const QString first = inet.OpenURL(slow.origin() + QStringLiteral("/currentversion.txt"));
    EXPECT_TRUE(executingDuringWait);
    EXPECT_TRUE(secondFailed);
    EXPECT_FALSE(inet.StillExecuting());
    EXPECT_EQ(first, QStringLiteral("4.00"));
}

TEST(Inet, AddressesThatAreNotWebAddressesFailAtOnce)
{
    Inet inet;
    for (const char* address : {"", "<invalid address>", "file:///etc/passwd", "ftp://example.com/x", "http://"}) {
        SCOPED_TRACE(address);
        QSignalSpy states(&inet, &Inet::StateChanged);
        EXPECT_EQ(inet.OpenURL(QString::fromLatin1(address)), QString());
        EXPECT_TRUE(inet.lastTransferFailed());
        ASSERT_EQ(states.size(), 1);
        EXPECT_EQ(states[0][0].toInt(), Inet::icError);
    }
}

} // namespace
} // namespace quoterra
