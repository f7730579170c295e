// The transfer component against servers that misbehave on purpose: every
// transfer ends in time, within its cap, and the program keeps running
// meanwhile; and its reader, whole and a byte at a time.
#include "test_support.h"

#include "core/transfer.h"
#include "net/response_parser.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace quoterra {
namespace {

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
        QSignalSpy states(&transfer, &Transfer::StateChanged);
        const long before = test::residentKiB(QCoreApplication::applicationPid());
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(transfer.OpenURL(test::originOf(server) + u"/d/quotes.csv"_s), QString());
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_TRUE(transfer.lastTransferFailed());
        EXPECT_EQ(states.size() == 1 ? states[0][0].toInt() : -1, Transfer::kErrorState);
        EXPECT_TRUE(transfer.lastError().startsWith(QLatin1String(error))) << transfer.lastError().toStdString();
        EXPECT_LT(test::residentKiB(QCoreApplication::applicationPid()) - before, 24 * 1024) << "read far past the cap";
    }
}

TEST(Transfer, BodiesUpToTheCapArriveWhole)
{
    FakeSource server({.flood = FakeSource::Flood::Chunked, .floodBytes = Transfer::kTextCap});
    Transfer transfer;
    QSignalSpy states(&transfer, &Transfer::StateChanged);
    EXPECT_EQ(transfer.OpenURL(test::originOf(server) + u"/x"_s).size(), Transfer::kTextCap);
    EXPECT_FALSE(transfer.lastTransferFailed());
    EXPECT_EQ(states.size() == 1 ? states[0][0].toInt() : -1, Transfer::kCompletedState);
    FakeSource picture({.flood = FakeSource::Flood::Body, .floodBytes = Transfer::kTextCap + 1});
    EXPECT_EQ(transfer.openUrlBytes(test::originOf(picture) + u"/x"_s).size(), Transfer::kTextCap + 1);
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

TEST(Transfer, TheTimeOutIsBoundToWhatATimerHoldsAndOnlyWebAddressesAreFetched)
{
    Transfer transfer;
    for (const auto& [asked, kept] :
         {std::pair<qint64, qint64>{1, 1}, {2147483, 2147483}, {2147484, 60}, {4294968, 60}, {0, 60}, {-1, 60}}) {
        transfer.setRequestTimeout(asked);
        EXPECT_EQ(transfer.RequestTimeout(), kept) << asked;
    }
    for (const char* address :
         {"", "<invalid address>", "file:///etc/passwd", "ftp://127.0.0.1/x", "javascript:alert(1)"}) {
        EXPECT_EQ(transfer.OpenURL(QLatin1String(address)), QString()) << address;
        EXPECT_TRUE(transfer.lastTransferFailed()) << address;
    }
}

} // namespace
} // namespace quoterra

namespace quoterra::net {
namespace {

using State = ResponseParser::State;

struct Read {
    State state;
    long status;
    std::string body, error;
};

Read readAll(std::string_view answer, std::size_t step, bool closed)
{
    ResponseParser parser(128, 32);
    for (std::size_t at = 0; at < answer.size(); at += step)
        parser.feed(answer.substr(at, step));
    if (closed)
        parser.finish();
    return {parser.state(), parser.status(), parser.body(), parser.error()};
}

TEST(ResponseParser, EveryFramingReadsTheSameWholeOrByteByByte)
{
    const std::string ok = "HTTP/1.1 200 OK\r\n", chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    struct Case {
        const char* what;
        std::string answer;
        bool closed; // the server closed the connection after it
        State state;
        long status;
        std::string text; // the body, or when it fails a part of the reason
    } cases[] = {
        {"a length", ok + "Content-Length: 5\r\n\r\nhello and more", false, State::Done, 200, "hello"},
        {"bare newlines", "HTTP/1.0 200 OK\nContent-Length: 2\n\nhi", false, State::Done, 200, "hi"},
        {"chunks, an extension and a trailer",
         ok + "Transfer-Encoding: Chunked\r\n\r\n3;x=y\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n", false, State::Done, 200,
         "abcde"},
        {"an interim answer first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 1\r\n\r\nx",
         false, State::Done, 404, "x"},
        {"the body ends with the connection", ok + "\r\nto the end", true, State::Done, 200, "to the end"},
        {"no body", "HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", false, State::Done, 204, ""},
        {"a length still coming", ok + "Content-Length: 9\r\n\r\nhalf", false, State::Body, 200, "half"},
        {"closed before the length", ok + "Content-Length: 9\r\n\r\nhalf", true, State::Failed, 200,
         "before the whole answer"},
        {"closed before a word", "", true, State::Failed, 0, "without an answer"},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n", false, State::Failed, 0, "not HTTP"},
        {"a length past the cap", ok + "Content-Length: 33\r\n\r\n", false, State::Failed, 200, "larger than 32 bytes"},
        {"a body past the cap", ok + "\r\n" + std::string(33, 'x'), false, State::Failed, 200, "larger than 32 bytes"},
        {"chunks past the cap", chunked + "10\r\n" + std::string(16, 'x') + "\r\n11\r\n", false, State::Failed, 200,
         "larger than 32 bytes"},
        {"a head past the cap", ok + "X: " + std::string(120, 'y'), false, State::Failed, 200,
         "header is larger than 128 bytes"},
        {"a chunk size that is no number", chunked + "zz\r\n", false, State::Failed, 200, "not a number"},
        {"a chunk longer than it said", chunked + "1\r\nab\r\n", false, State::Failed, 200, "does not end where"},
        {"a length that is no number", ok + "Content-Length: -1\r\n\r\n", false, State::Failed, 200, "not a number"},
    };
    for (const Case& c : cases) {
        for (const std::size_t step : {c.answer.size() + 1, std::size_t(1)}) {
            SCOPED_TRACE(std::string(c.what) + (step == 1 ? ", byte by byte" : ", whole"));
            const Read r = readAll(c.answer, step, c.closed);
            EXPECT_EQ(r.state, c.state);
            EXPECT_EQ(r.status, c.status);
            EXPECT_TRUE(c.state == State::Failed ? r.error.find(c.text) != std::string::npos : r.body == c.text)
                << r.body << " / " << r.error;
        }
    }
}

} // namespace
} // namespace quoterra::net
