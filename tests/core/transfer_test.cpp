// The ticker's transfer (and, for redirects and caps, the service's client)
// against loopback servers that misbehave on purpose; the answer reader,
// whole and a byte at a time.
#include "test_support.h"

#include "core/transfer.h"
#include "net/http_get.h"
#include "net/response_parser.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace quoterra {
namespace {

using test::rowName;

struct Fault {
    const char* what;
    FakeSource::Answer answer;
    const char* error; // how the reason starts
};

class TransferFault : public ::testing::TestWithParam<Fault> { };

// Ends as a failure within the time-out (two seconds here), whatever the
// server keeps sending, and memory stays near the cap.
TEST_P(TransferFault, EndsInTimeWithinTheCap)
{
    FakeSource server(GetParam().answer);
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
    EXPECT_TRUE(transfer.lastError().startsWith(QLatin1String(GetParam().error))) << transfer.lastError().toStdString();
    EXPECT_LT(test::residentKiB(QCoreApplication::applicationPid()) - before, 24 * 1024) << "read far past the cap";
}

using Flood = FakeSource::Flood;
const std::size_t kHuge = std::size_t(200) << 20;
const std::string kQuoteLine = "\"IBM\",112.45,\"1/2/2024\",\"4:00pm\",+1.25,111.00,113.00,110.50,4500000\r\n";

INSTANTIATE_TEST_SUITE_P(
    Servers, TransferFault,
    ::testing::Values(
        Fault{"NeverAnswers", {.hang = true}, "no complete answer in time"},
        Fault{"TricklesAByteAtATime", {.trickle = std::chrono::milliseconds(200)}, "no complete answer in time"},
        Fault{"ResetsTheConnection", {.reset = true}, ""},
        Fault{"SendsHeaderLinesForEver", {.flood = Flood::HeaderLines}, "the answer's header is larger than"},
        Fault{"SendsOneEndlessHeaderLine", {.flood = Flood::HeaderLine}, "the answer's header is larger than"},
        Fault{"Announces200MB", {.flood = Flood::Body, .floodBytes = kHuge}, "the answer is larger than 1048576 bytes"},
        Fault{"Chunks200MB", {.flood = Flood::Chunked, .floodBytes = kHuge}, "the answer is larger than 1048576 bytes"},
        Fault{"SendsABodyUntilItIsStopped", {.flood = Flood::UntilClose}, "the answer is larger than"},
        Fault{"AnswersWithAServerError", {500, "", "oops"}, "the server answered with status 500"},
        Fault{"EncodesInGzipUnasked", {200, "", kQuoteLine, {{"Content-Encoding", "gzip"}}}, "the answer is encoded"}),
    rowName<Fault>);

// Each of the two clients: the ticker's transfer component, and the
// service's libcurl client for its upstream requests.
enum class Client { Ticker, Service };

struct Fetched {
    bool ok;
    std::size_t size;
    std::string error;
};

Fetched fetch(Client client, const std::string& url, std::size_t cap)
{
    if (client == Client::Service) {
        net::GetOptions options;
        options.timeout = std::chrono::seconds(10);
        options.maxBody = cap;
        const net::GetResult r = net::get(url, options);
        const bool ok = r.transferred() && r.status == 200;
        return {ok, r.body.size(), r.error};
    }
    Transfer transfer;
    transfer.setRequestTimeout(10);
    const QString address = QString::fromStdString(url);
    const qsizetype size = cap == std::size_t(Transfer::kTextCap) ? transfer.OpenURL(address).size()
                                                                  : transfer.openUrlBytes(address).size();
    return {!transfer.lastTransferFailed(), std::size_t(size), transfer.lastError().toStdString()};
}

struct Redirect {
    const char* what;
    std::string location; // PORT stands for the server's own port, OTHER for another server's
    bool followed;
    const char* error;
};

class RedirectTest : public ::testing::TestWithParam<std::tuple<Client, Redirect>> { };

// Only within the first address's origin: scheme, host and port.
TEST_P(RedirectTest, IsFollowedOnlyWithinTheOrigin)
{
    const auto& [client, redirect] = GetParam();
    FakeSource server, other({200, "text/plain", kQuoteLine});
    std::string location = redirect.location;
    for (const auto& [mark, port] : {std::pair{"OTHER", other.port()}, {"PORT", server.port()}})
        if (const std::size_t at = location.find(mark); at != std::string::npos)
            location.replace(at, std::strlen(mark), std::to_string(port));
    server.on("/d/quotes", {{302, "", "", {{"Location", location}}}});
    for (const char* there : {"/there", "/d/there"})
        server.on(there, {{200, "text/plain", kQuoteLine}});
    const Fetched f = fetch(client, server.origin() + "/d/quotes.csv", std::size_t(Transfer::kTextCap));
    EXPECT_EQ(f.ok, redirect.followed) << f.error;
    EXPECT_EQ(f.ok ? f.size : 0, redirect.followed ? kQuoteLine.size() : 0);
    EXPECT_TRUE(f.error.starts_with(redirect.error)) << f.error;
    EXPECT_EQ(other.count(), 0) << "asked another site";
}

INSTANTIATE_TEST_SUITE_P(
    Locations, RedirectTest,
    ::testing::Combine(
        ::testing::Values(Client::Ticker, Client::Service),
        ::testing::Values(Redirect{"APath", "/there", true, ""}, Redirect{"APathBesideThisOne", "there", true, ""},
                          Redirect{"TheSameOriginWrittenOut", "http://127.0.0.1:PORT/there", true, ""},
                          Redirect{"AnotherHost", "http://localhost:PORT/there", false, "redirected to another site"},
                          Redirect{"AnotherPort", "http://127.0.0.1:OTHER/there", false, "redirected to another site"},
                          Redirect{"AnotherScheme", "https://127.0.0.1:PORT/there", false,
                                   "redirected to another site"},
                          Redirect{"ItselfForEver", "/d/quotes.csv", false, "too many redirects"})),
    [](const auto& row) {
        return std::string(std::get<0>(row.param) == Client::Ticker ? "Ticker_" : "Service_")
            + std::get<1>(row.param).what;
    });

struct CapRow {
    std::string what;
    Client client;
    std::size_t cap;
    Flood framing;
    std::size_t extra; // bytes past the cap
};

class BodyCap : public ::testing::TestWithParam<CapRow> { };

// A body exactly at the cap arrives whole; one byte more is a failure.
TEST_P(BodyCap, HoldsToTheByte)
{
    const CapRow& row = GetParam();
    FakeSource server({.flood = row.framing, .floodBytes = row.cap + row.extra});
    const Fetched f = fetch(row.client, server.origin() + "/x", row.cap);
    EXPECT_EQ(f.ok, row.extra == 0) << f.error;
    EXPECT_EQ(f.size, row.extra == 0 ? row.cap : 0);
}

std::vector<CapRow> capRows()
{
    std::vector<CapRow> rows;
    const std::pair<Flood, const char*> framings[] = {
        {Flood::Body, "Length"}, {Flood::Chunked, "Chunks"}, {Flood::UntilClose, "UntilClose"}};
    const std::tuple<Client, std::size_t, const char*> caps[] = {
        {Client::Ticker, std::size_t(Transfer::kTextCap), "Ticker_Text"},
        {Client::Ticker, std::size_t(Transfer::kBytesCap), "Ticker_Picture"},
        {Client::Service, std::size_t(1) << 20, "Service"}};
    for (const auto& [client, cap, who] : caps)
        for (const auto& [framing, how] : framings)
            for (const std::size_t extra : {0, 1})
                rows.push_back(
                    {std::string(who) + '_' + how + (extra ? "_OneOver" : "_Exactly"), client, cap, framing, extra});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Bodies, BodyCap, ::testing::ValuesIn(capRows()), rowName<CapRow>);

// The service's token comes in a header of every answer, failed ones too;
// what was read is of the last answer only.
TEST(Transfer, LastHeaderIsTheLastAnswers)
{
    FakeSource server;
    server.on("/quote", {{200, "", "1", {{"X-Quoterra-Token", "abc"}}}});
    server.on("/missing", {{404, "", "", {{"x-quoterra-token", "def"}}}});
    server.on("/moved", {{302, "", "", {{"Location", "/quote"}, {"X-Quoterra-Token", "moved"}}}});
    const QString refused = [] {
        FakeSource gone;
        return test::originOf(gone);
    }();
    const std::pair<QString, const char*> steps[] = {
        {u"/quote"_s, "abc"}, {u"/missing"_s, "def"}, {u"/moved"_s, "abc"}, {u"/nothing-there"_s, nullptr}};
    Transfer transfer;
    for (const auto& [path, token] : steps) {
        SCOPED_TRACE(path.toStdString());
        transfer.OpenURL((path == u"/nothing-there"_s ? refused : test::originOf(server)) + path);
        EXPECT_EQ(transfer.lastHeader("X-QUOTERRA-TOKEN"), token ? QByteArray(token) : QByteArray());
        EXPECT_TRUE(transfer.lastHeader("X-Quoterra-Token-Missing").isNull());
    }
}

TEST(Transfer, OneRunsAtATime)
{
    FakeSource server({.hang = true});
    Transfer transfer;
    transfer.setRequestTimeout(1);
    bool executing = false;
    QString second = u"untouched"_s;
    QTimer::singleShot(100, [&] {
        executing = transfer.StillExecuting();
        second = transfer.OpenURL(test::originOf(server) + u"/again"_s);
    });
    transfer.OpenURL(test::originOf(server) + u"/first"_s);
    EXPECT_TRUE(executing);
    EXPECT_EQ(second, QString());
    EXPECT_FALSE(transfer.StillExecuting());
    EXPECT_EQ(server.count(), 1);
}

// A host name is looked up off the window's thread, again at each transfer,
// and each of its addresses is tried in turn.
TEST(Transfer, HostNamesAreLookedUp)
{
    FakeSource server({200, "", "IBM"});
    Transfer transfer;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(transfer.OpenURL(u"http://localhost:%1/x"_s.arg(server.port())), u"IBM"_s)
            << transfer.lastError().toStdString();
}

// Closing the window that owns a transfer ends the wait at once.
TEST(Transfer, ADestroyedComponentEndsItsWait)
{
    FakeSource server({.hang = true});
    auto* transfer = new Transfer;
    QTimer::singleShot(100, [&] { delete transfer; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(transfer->OpenURL(test::originOf(server) + u"/x"_s), QString());
    EXPECT_LT(clock.elapsed(), 5000);
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

namespace quoterra::net {
namespace {

using State = ResponseParser::State;

struct Answer {
    const char* what;
    std::string bytes;
    bool closed; // the server closed the connection after it
    State state;
    long status;
    std::string text; // the body, or when it fails a part of the reason
};

class ResponseParserTest : public ::testing::TestWithParam<std::tuple<Answer, std::size_t>> { };

// Every framing reads the same whole or a byte at a time.
TEST_P(ResponseParserTest, Reads)
{
    const auto& [a, step] = GetParam();
    ResponseParser parser(128, 32);
    for (std::size_t at = 0; at < a.bytes.size(); at += step)
        parser.feed(std::string_view(a.bytes).substr(at, step));
    if (a.closed)
        parser.finish();
    EXPECT_EQ(parser.state(), a.state);
    EXPECT_EQ(parser.status(), a.status);
    if (a.state == State::Failed)
        EXPECT_NE(parser.error().find(a.text), std::string::npos) << parser.error();
    else
        EXPECT_EQ(parser.body(), a.text);
}

const std::string ok = "HTTP/1.1 200 OK\r\n", chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, ResponseParserTest,
    ::testing::Combine(
        ::testing::Values(
            Answer{"ALength", ok + "Content-Length: 5\r\n\r\nhello and more", false, State::Done, 200, "hello"},
            Answer{"BareNewlines", "HTTP/1.0 200 OK\nContent-Length: 2\n\nhi", false, State::Done, 200, "hi"},
            Answer{"ChunksAnExtensionAndATrailer",
                   ok + "Transfer-Encoding: Chunked\r\n\r\n3;x=y\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n", false,
                   State::Done, 200, "abcde"},
            Answer{"ChunksAfterIdentity", ok + "Transfer-Encoding: identity, chunked\r\n\r\n1\r\na\r\n0\r\n\r\n", false,
                   State::Done, 200, "a"},
            Answer{"IdentityContent", ok + "Content-Encoding: identity\r\nContent-Length: 1\r\n\r\na", false,
                   State::Done, 200, "a"},
            Answer{"AnInterimAnswerFirst",
                   "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 1\r\n\r\nx", false,
                   State::Done, 404, "x"},
            Answer{"TheBodyEndsWithTheConnection", ok + "\r\nto the end", true, State::Done, 200, "to the end"},
            Answer{"NoBody", "HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", false, State::Done, 204, ""},
            Answer{"ALengthStillComing", ok + "Content-Length: 9\r\n\r\nhalf", false, State::Body, 200, "half"},
            Answer{"ClosedBeforeTheLength", ok + "Content-Length: 9\r\n\r\nhalf", true, State::Failed, 200,
                   "before the whole answer"},
            Answer{"ClosedBeforeAWord", "", true, State::Failed, 0, "without an answer"},
            Answer{"NotHttp", "SSH-2.0-OpenSSH\r\n", false, State::Failed, 0, "not HTTP"},
            Answer{"ALengthPastTheCap", ok + "Content-Length: 33\r\n\r\n", false, State::Failed, 200,
                   "larger than 32 bytes"},
            Answer{"ABodyPastTheCap", ok + "\r\n" + std::string(33, 'x'), false, State::Failed, 200,
                   "larger than 32 bytes"},
            Answer{"ChunksPastTheCap", chunked + "10\r\n" + std::string(16, 'x') + "\r\n11\r\n", false, State::Failed,
                   200, "larger than 32 bytes"},
            Answer{"AHeadPastTheCap", ok + "X: " + std::string(120, 'y'), false, State::Failed, 200,
                   "header is larger than 128 bytes"},
            Answer{"AChunkSizeThatIsNoNumber", chunked + "zz\r\n", false, State::Failed, 200, "not a number"},
            Answer{"AChunkLongerThanItSaid", chunked + "1\r\nab\r\n", false, State::Failed, 200, "does not end where"},
            Answer{"ALengthThatIsNoNumber", ok + "Content-Length: -1\r\n\r\n", false, State::Failed, 200,
                   "not a number"},
            Answer{"GzipContent", ok + "Content-Encoding: GZIP\r\nContent-Length: 1\r\n\r\na", false, State::Failed,
                   200, "encoded (gzip)"},
            Answer{"AnEncodingBesideIdentity",
                   ok + "Content-Encoding: identity\r\ncontent-encoding: br\r\nContent-Length: 1\r\n\r\na", false,
                   State::Failed, 200, "encoded (br)"},
            Answer{"GzipChunks", ok + "Transfer-Encoding: gzip, chunked\r\n\r\n", false, State::Failed, 200,
                   "coding that cannot be read (gzip)"},
            Answer{"ChunksNotLast", ok + "Transfer-Encoding: chunked, identity\r\n\r\n", false, State::Failed, 200,
                   "coding that cannot be read (chunked)"}),
        ::testing::Values(std::size_t(1), std::size_t(1) << 16)),
    [](const auto& row) {
        return std::string(std::get<0>(row.param).what) + (std::get<1>(row.param) == 1 ? "_ByteByByte" : "_Whole");
    });

} // namespace
} // namespace quoterra::net
