// The transfer component against the real service and against servers that
// misbehave on purpose: every transfer ends in time, within its cap, and the
// program keeps running meanwhile.
#include "fake_source.h"
#include "service_process.h"
#include "test_support.h"

#include "core/transfer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>

namespace quoterra {
namespace {

TEST(Transfer, BringsTheWholeTextOrPictureFromTheService)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    Transfer transfer;
    QSignalSpy states(&transfer, &Transfer::StateChanged);
    const QString line = transfer.OpenURL(service.origin() + u"/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv"_s);
    EXPECT_TRUE(line.startsWith(u"\"IBM\","_s)) << line.toStdString();
    EXPECT_TRUE(line.endsWith(u"\r\n"_s));
    const QByteArray gif = transfer.OpenURLBytes(service.origin() + u"/c/0b/i/ibm.gif"_s);
    EXPECT_TRUE(gif.startsWith("GIF89a"));
    EXPECT_EQ(transfer.OpenURL(service.origin() + u"/no/such/page"_s), QString());
    EXPECT_TRUE(transfer.lastTransferFailed());
    EXPECT_EQ(transfer.lastError(), u"the server answered with status 404"_s);
    ASSERT_EQ(states.size(), 3);
    EXPECT_EQ(states[2][0].toInt(), Transfer::kErrorState);
}

// Each fault ends as a failure within the time-out (two seconds here),
// whatever the server keeps sending, and memory stays near the cap.
TEST(Transfer, EveryFaultEndsAsAFailureInTimeAndWithinItsCap)
{
    using Flood = FakeSource::Flood;
    const std::size_t huge = std::size_t(200) << 20;
    const std::tuple<const char*, FakeSource::Answer, const char*> faults[] = {
        // what the server does, and the start of the reason given
        {"never answers", {.hang = true}, "no complete answer in time"},
        {"trickles a byte at a time", {.trickle = std::chrono::milliseconds(200)}, "no complete answer in time"},
        {"resets the connection", {.reset = true}, ""},
        {"header lines without end", {.flood = Flood::HeaderLines}, "the answer's header is larger than"},
        {"one header line without end", {.flood = Flood::HeaderLine}, ""},
        {"200 MB announced", {.flood = Flood::Body, .floodBytes = huge}, "the answer is larger than 1048576 bytes"},
        {"200 MB chunked", {.flood = Flood::Chunked, .floodBytes = huge}, "the answer is larger than 1048576 bytes"},
        {"an endless close-delimited body", {.flood = Flood::UntilClose}, "the answer is larger than"},
        {"a server error", {500, "", "oops"}, "the server answered with status 500"},
        {"not found", {404, "", "none"}, "the server answered with status 404"},
        {"a redirect to itself", {302, "", "", {{"Location", "/d/quotes.csv"}}}, "too many redirects"},
        {"a redirect to another site",
         {302, "", "", {{"Location", "http://example.com/d/quotes.csv"}}},
         "redirected to another site"},
    };
    for (const auto& [what, answer, error] : faults) {
        SCOPED_TRACE(what);
        FakeSource server(answer);
        ASSERT_TRUE(server.isListening());
        Transfer transfer;
        transfer.setRequestTimeout(2);
        const long before = test::residentKiB(QCoreApplication::applicationPid());
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(transfer.OpenURL(test::originOf(server) + u"/d/quotes.csv"_s), QString());
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_TRUE(transfer.lastTransferFailed());
        EXPECT_TRUE(transfer.lastError().startsWith(QLatin1String(error))) << transfer.lastError().toStdString();
        EXPECT_LT(test::residentKiB(QCoreApplication::applicationPid()) - before, 24 * 1024) << "read far past the cap";
    }
}

TEST(Transfer, BodiesUpToTheCapArriveWhole)
{
    FakeSource server({.flood = FakeSource::Flood::Chunked, .floodBytes = Transfer::kTextCap});
    Transfer transfer;
    EXPECT_EQ(transfer.OpenURL(test::originOf(server) + u"/x"_s).size(), Transfer::kTextCap);
    FakeSource picture({.flood = FakeSource::Flood::Body, .floodBytes = Transfer::kTextCap + 1});
    EXPECT_EQ(transfer.OpenURLBytes(test::originOf(picture) + u"/x"_s).size(), Transfer::kTextCap + 1);
}

TEST(Transfer, WindowEventsRunWhileItWaitsAndOnlyOneRunsAtATime)
{
    FakeSource server({.hang = true});
    Transfer transfer;
    transfer.setRequestTimeout(1);
    int ticks = 0;
    bool executing = false;
    QString second = u"untouched"_s;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (++ticks == 3) {
            executing = transfer.StillExecuting();
            second = transfer.OpenURL(test::originOf(server) + u"/again"_s);
        }
    });
    timer.start(50);
    transfer.OpenURL(test::originOf(server) + u"/first"_s);
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
