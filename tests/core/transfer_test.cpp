// The transfer component against the real service and against servers that
// misbehave on purpose: every transfer ends in time, within its cap, and the
// program keeps running meanwhile.
#include "fault_server.h"
#include "service_process.h"
#include "test_support.h"

#include "core/transfer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

namespace quoterra {
namespace {

// Resident memory of this process, in MiB.
double residentMiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1 << 20) : 0;
}

TEST(Transfer, BringsTheWholeTextOrPictureFromTheService)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    Transfer transfer;
    QSignalSpy states(&transfer, &Transfer::StateChanged);
    const QString line =
        transfer.OpenURL(service.origin() + QStringLiteral("/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv"));
    EXPECT_TRUE(line.startsWith(QStringLiteral("\"IBM\","))) << line.toStdString();
    EXPECT_TRUE(line.endsWith(QStringLiteral("\r\n")));
    const QByteArray gif = transfer.OpenURLBytes(service.origin() + QStringLiteral("/c/0b/i/ibm.gif"));
    EXPECT_TRUE(gif.startsWith("GIF89a"));
    EXPECT_EQ(transfer.OpenURL(service.origin() + QStringLiteral("/no/such/page")), QString());
    EXPECT_TRUE(transfer.lastTransferFailed());
    EXPECT_EQ(transfer.lastError(), QStringLiteral("the server answered with status 404"));
    ASSERT_EQ(states.size(), 3);
    EXPECT_EQ(states[2][0].toInt(), Transfer::kErrorState);
}

struct Fault {
    const char* what;
    FaultServer::Config config;
    const char* error; // the start of the reason given
};

FaultServer::Config fixed(int status, std::vector<std::pair<std::string, std::string>> headers, std::string body = {})
{
    return FaultServer::Config{
        .mode = FaultServer::Mode::Fixed, .status = status, .headers = std::move(headers), .body = std::move(body)};
}

FaultServer::Config oversize(std::size_t bytes, FaultServer::Framing framing)
{
    return FaultServer::Config{.mode = FaultServer::Mode::Oversize, .bodySize = bytes, .framing = framing};
}

// Each fault ends as a failure within the time-out (two seconds here),
// whatever the server keeps sending, and memory stays near the cap.
TEST(Transfer, EveryFaultEndsAsAFailureInTimeAndWithinItsCap)
{
    using Mode = FaultServer::Mode;
    using Framing = FaultServer::Framing;
    const std::size_t huge = std::size_t(200) << 20;
    const Fault faults[] = {
        {"never answers", {.mode = Mode::Hang}, "no complete answer in time"},
        {"trickles a byte a second",
         {.mode = Mode::Trickle, .trickleInterval = std::chrono::milliseconds(200)},
         "no complete answer in time"},
        {"resets the connection", {.mode = Mode::Reset}, ""},
        {"header lines without end", {.mode = Mode::EndlessHeaders}, "the answer's header is larger than"},
        {"one header line without end", {.mode = Mode::EndlessHeaderLine}, ""},
        {"200 MB announced", oversize(huge, Framing::ContentLength), "the answer is larger than 1048576 bytes"},
        {"200 MB chunked", oversize(huge, Framing::Chunked), "the answer is larger than 1048576 bytes"},
        {"an endless close-delimited body", oversize(SIZE_MAX, Framing::CloseDelimited), "the answer is larger than"},
        {"a server error", fixed(500, {}, "oops"), "the server answered with status 500"},
        {"not found", fixed(404, {}, "none"), "the server answered with status 404"},
        {"a redirect to itself", fixed(302, {{"Location", "/d/quotes.csv"}}), "too many redirects"},
        {"a redirect to another site", fixed(302, {{"Location", "http://example.com/d/quotes.csv"}}),
         "redirected to another site"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        FaultServer server(f.config);
        ASSERT_TRUE(server.isListening());
        Transfer transfer;
        transfer.setRequestTimeout(2);
        const double before = residentMiB();
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(transfer.OpenURL(server.origin() + QStringLiteral("/d/quotes.csv")), QString());
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_TRUE(transfer.lastTransferFailed());
        EXPECT_TRUE(transfer.lastError().startsWith(QLatin1String(f.error))) << transfer.lastError().toStdString();
        EXPECT_LT(residentMiB() - before, 24) << "read far past the cap";
    }
}

TEST(Transfer, BodiesUpToTheCapArriveWhole)
{
    FaultServer server(oversize(Transfer::kTextCap, FaultServer::Framing::Chunked));
    Transfer transfer;
    EXPECT_EQ(transfer.OpenURL(server.origin() + QStringLiteral("/x")).size(), Transfer::kTextCap);
    FaultServer picture(oversize(Transfer::kTextCap + 1, FaultServer::Framing::ContentLength));
    EXPECT_EQ(transfer.OpenURLBytes(picture.origin() + QStringLiteral("/x")).size(), Transfer::kTextCap + 1);
}

TEST(Transfer, WindowEventsRunWhileItWaitsAndOnlyOneRunsAtATime)
{
    FaultServer server(FaultServer::Mode::Hang);
    Transfer transfer;
    transfer.setRequestTimeout(1);
    int ticks = 0;
    bool executing = false;
    QString second = QStringLiteral("untouched");
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            executing = transfer.StillExecuting();
            second = transfer.OpenURL(server.origin() + QStringLiteral("/again"));
        }
    });
    timer.start(50);
    transfer.OpenURL(server.origin() + QStringLiteral("/first"));
    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(executing);
    EXPECT_EQ(second, QString());
    EXPECT_FALSE(transfer.StillExecuting());
}

TEST(Transfer, TheTimeOutIsBoundToWhatATimerHolds)
{
    Transfer transfer;
    for (const auto& [asked, kept] :
         {std::pair<qint64, qint64>{1, 1}, {2147483, 2147483}, {2147484, 60}, {4294968, 60}, {0, 60}, {-1, 60}}) {
        transfer.setRequestTimeout(asked);
        EXPECT_EQ(transfer.RequestTimeout(), kept) << asked;
    }
}

TEST(Transfer, OnlyWebAddressesAreFetched)
{
    Transfer transfer;
    for (const char* address :
         {"", "<invalid address>", "file:///etc/passwd", "ftp://127.0.0.1/x", "javascript:alert(1)"}) {
        EXPECT_EQ(transfer.OpenURL(QLatin1String(address)), QString()) << address;
        EXPECT_TRUE(transfer.lastTransferFailed()) << address;
    }
}

} // namespace
} // namespace quoterra
