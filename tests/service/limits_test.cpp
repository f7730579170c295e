// The service under clients that try to wear it down, on loopback: oversized
// and endless requests, trickles, floods of idle connections.

#include "window_support.h"

#include "version.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace quoterra::test;

namespace {

const std::string kServer = "quoterra-service/" + std::to_string(quoterra::kVersionMajor) + '.'
    + std::to_string(quoterra::kVersionMinor) + '.' + std::to_string(quoterra::kVersionRevision);
constexpr std::string_view kQuote = "GET /d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv HTTP/1.1\r\n";

std::string manyHeaders(int count, std::size_t valueSize)
{
    std::string lines;
    for (int i = 0; i < count; ++i)
        lines += "X-Field-" + std::to_string(i) + ": " + std::string(valueSize, 'v') + "\r\n";
    return lines;
}

struct RequestRow {
    const char* what;
    std::string request;
    int status;
};
const RequestRow kRequestRows[] = {
    {"a quote", std::string(kQuote) + "\r\n", 200},
    {"an unknown path", "GET /nothing HTTP/1.1\r\n\r\n", 404},
    {"garbage", "GARBAGE\r\n\r\n", 400},
    {"an unknown version", "GET / HTTP/9.9\r\n\r\n", 400},
    {"a space in the target", "GET /d/quotes.csv?s=A B HTTP/1.1\r\n\r\n", 400},
    {"a 256 MiB upload, before any of it is sent", "POST /d/quotes.csv HTTP/1.1\r\nContent-Length: 268435456\r\n\r\n",
     413},
    {"a small body on a GET", std::string(kQuote) + "Content-Length: 2048\r\n\r\n" + std::string(2048, 'b'), 413},
    {"a chunked upload", "POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nabcd\r\n0\r\n\r\n", 413},
    {"one 20 KiB header", std::string(kQuote) + manyHeaders(1, 20 * 1024) + "\r\n", 431},
    {"200 short headers", std::string(kQuote) + manyHeaders(200, 2) + "\r\n", 431},
    {"a 1 MB head", std::string(kQuote) + manyHeaders(1000, 1000) + "\r\n", 431},
    {"a method it does not serve", "DELETE /d/quotes.csv HTTP/1.1\r\n\r\n", 405},
};
class RequestRows : public ::testing::TestWithParam<RequestRow> {
protected:
    static void SetUpTestSuite() { service = std::make_unique<ServiceProcess>(); }
    static void TearDownTestSuite() { service.reset(); }
    void SetUp() override
    {
        client.send(GetParam().request);
        answer = client.read();
    }
    static inline std::unique_ptr<ServiceProcess> service;
    RawClient client{service->port()};
    HttpAnswer answer;
};
TEST_P(RequestRows, GetTheirStatus)
{
    EXPECT_EQ(answer.status, GetParam().status);
    if (GetParam().status >= 400 && GetParam().status != 404 && GetParam().status != 405) {
        EXPECT_TRUE(client.closedWithin(5000));
    }
}
TEST_P(RequestRows, NameTheService)
{
    EXPECT_EQ(answer.header("Server"), kServer) << answer.head;
}
INSTANTIATE_TEST_SUITE_P(Requests, RequestRows, ::testing::ValuesIn(kRequestRows), rowName<RequestRow>);

TEST(ServiceLimits, TheAnswerToHeadHasNoBody)
{
    ServiceProcess service;
    RawClient head(service.port());
    head.send("HEAD /t?s=IBM HTTP/1.1\r\n\r\n" + std::string(kQuote) + "\r\n");
    const HttpAnswer h = head.read(10'000, true);
    EXPECT_EQ(h.status, 200);
    EXPECT_EQ(h.header("Server"), kServer);
    EXPECT_TRUE(h.body.isEmpty());
    EXPECT_EQ(head.read().status, 200) << "the answer to HEAD carried a body";
}

TEST(ServiceLimits, EndlessRequestsDoNotFillMemory)
{
    ServiceProcess service;
    const long before = residentKiB(service.processId());
    ASSERT_GT(before, 0);
    constexpr std::size_t kFlood = 64u << 20;
    const std::string line = "X-Fill: " + std::string(120, 'f') + "\r\n";
    std::string block;
    while (block.size() < (64u << 10))
        block += line;
    for (const std::string& start :
         {std::string(kQuote), std::string("POST / HTTP/1.1\r\nContent-Length: 67108864\r\n\r\n")}) {
        RawClient flood(service.port());
        std::size_t sent = 0;
        if (flood.send(start))
            while (sent < kFlood && flood.send(block))
                sent += block.size();
        // The service stops reading after a few KiB; what got through sits in socket buffers.
        EXPECT_LT(sent, kFlood / 2) << start;
    }
    EXPECT_LT(residentKiB(service.processId()) - before, 16 * 1024);
    EXPECT_EQ(service.get("/d/quotes.csv?s=IBM").status, 200);
}

TEST(ServiceLimits, AHeadMustArriveWholeWithinTheRequestTimeout)
{
    // Each byte comes well inside the time-out, but the head as a whole does not.
    ServiceProcess service({"--request-timeout", "1"});
    RawClient slow(service.port());
    const std::string request = std::string(kQuote) + "X-Slow: " + std::string(300, 's') + "\r\n\r\n";
    std::size_t sent = 0;
    while (sent < request.size() && slow.send(request.substr(sent, 1)) && !slow.closedWithin(50))
        ++sent;
    EXPECT_LT(sent, request.size()) << "a head trickled in over 15 s was still read";
}

TEST(ServiceLimits, NormalRequestsGetThroughFiveHundredSlowOrIdleClients)
{
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow ? "slow clients" : "idle clients");
        ServiceProcess service;
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 500; ++i) {
            clients.push_back(std::make_unique<RawClient>(service.port()));
            ASSERT_TRUE(clients.back()->connected());
            if (slow)
                clients.back()->send("GET /d/quotes.csv?s=IBM HTTP/1.1\r\nX-Slow: ");
        }
        // One byte to each slow client in turn, until the end of the case.
        std::jthread trickle;
        if (slow)
            trickle = std::jthread([&clients](std::stop_token stop) {
                for (int round = 0; !stop.stop_requested() && round < 600; ++round) {
                    for (auto& c : clients)
                        c->send("X");
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            });
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(service.get("/d/quotes.csv?s=MSFT").status, 200);
        // Past its connection limit the service let the longest waiting go.
        std::size_t closed = 0;
        for (int pass = 0; pass < 100 && closed < 200; ++pass) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            closed = 0;
            for (auto& c : clients)
                closed += c->closedWithin(0);
        }
        EXPECT_GE(closed, 200u);
    }
}

TEST(ServiceLimits, PipelinedRequestsAreAnsweredInOrder)
{
    ServiceProcess service;
    RawClient client(service.port());
    client.send("GET /currentversion.txt HTTP/1.1\r\n\r\nGET /nothing HTTP/1.1\r\n\r\nGET /t?s=IBM HTTP/1.1\r\n\r\n");
    for (const int status : {200, 404, 200})
        EXPECT_EQ(client.read().status, status);
}

TEST(ServiceLimits, RangesAreIgnored)
{
    ServiceProcess service;
    std::string ranges = "Range: bytes=0-0";
    for (int i = 1; i < 2600; ++i)
        ranges += ",0-0";
    const HttpAnswer whole = service.get("/c/0b/i/ibm.gif"),
                     ranged = rawExchange(service.port(), "GET /c/0b/i/ibm.gif HTTP/1.1\r\n" + ranges + "\r\n\r\n");
    EXPECT_EQ(ranged.status, 200);
    EXPECT_EQ(ranged.body, whole.body);
}

// A web page whose name a hostile DNS server points at 127.0.0.1 sends its
// own name as the Host; only the service's own names are answered.
TEST(ServiceLimits, OnlyRequestsThatNameTheServiceAreAnswered)
{
    ServiceProcess service, bound({"--bind", "127.0.0.2"});
    // The service reached at its address, and the Host lines sent; P stands
    // for its port, Q for another.
    const std::tuple<bool, std::string, int> cases[] = {
        {false, "127.0.0.1:P", 200},
        {false, "localhost:P", 200},
        {false, "LocalHost:P", 200},
        {false, "[::1]:P", 200},
        {false, "[0:0:0:0:0:0:0:1]:P", 200},
        {false, "", 200}, // not a browser
        {false, "127.0.0.1", 421}, // port 80
        {false, "127.0.0.1:Q", 421},
        {false, "127.0.0.1:P:P", 421},
        {false, "[::1]", 421},
        {false, "rebound.example:P", 421},
        {false, "localhost.rebound.example:P", 421},
        {false, "127.0.0.1.nip.io:P", 421},
        {false, "0.0.0.0:P", 421},
        {false, "127.0.0.2:P", 421},
        {false, "127.0.0.1:P\r\nHost: rebound.example:P", 400},
        {true, "127.0.0.2:P", 200},
        {true, "127.0.0.3:P", 421},
    };
    for (const auto& [toBound, hosts, status] : cases) {
        SCOPED_TRACE(hosts);
        const ServiceProcess& to = toBound ? bound : service;
        const QString port = QString::number(to.port()), other = QString::number(to.port() ^ 1);
        const QString lines = QString::fromStdString(hosts).replace(u'P', port).replace(u'Q', other);
        RawClient client(to.port(), toBound ? "127.0.0.2" : "127.0.0.1");
        client.send("GET /d/quotes.csv?s=IBM HTTP/1.1\r\n" + (hosts.empty() ? "" : "Host: " + lines.toStdString() + "\r\n")
                    + "\r\n");
        const HttpAnswer a = client.read();
        EXPECT_EQ(a.status, status);
        EXPECT_EQ(a.body.contains("\"IBM\","), status == 200) << a.body.toStdString();
        EXPECT_EQ(client.closedWithin(status == 200 ? 0 : 5000), status != 200);
    }
}

// An HTTP/1.0 client that asks to keep the connection is told it stays
// open; otherwise it waits for the end of each answer until the connection
// closes. One kept open carries many requests.
TEST(ServiceLimits, ConnectionsStayOpenExactlyWhenTheClientAsks)
{
    ServiceProcess service;
    struct Case {
        const char* version;
        const char* connection;
        bool staysOpen;
        const char* answered; // the Connection header of the answer, if any
    };
    for (const Case& c : {Case{"HTTP/1.0", "Connection: keep-alive\r\n", true, "keep-alive"},
                          Case{"HTTP/1.0", "Connection: Keep-Alive\r\n", true, "keep-alive"},
                          Case{"HTTP/1.0", "", false, "close"},
                          Case{"HTTP/1.1", "", true, nullptr},
                          Case{"HTTP/1.1", "Connection: close\r\n", false, "close"}}) {
        SCOPED_TRACE(std::string(c.version) + ' ' + c.connection);
        RawClient client(service.port());
        const std::string request =
            "GET /d/quotes.csv?s=IBM " + std::string(c.version) + "\r\n" + service.hostLine() + c.connection + "\r\n";
        for (int i = 0; i < (c.staysOpen ? 200 : 1); ++i) {
            ASSERT_TRUE(client.send(request));
            const HttpAnswer a = client.read();
            ASSERT_EQ(a.status, 200) << "request " << i;
            EXPECT_EQ(a.header("Connection"), c.answered ? std::optional<std::string>(c.answered) : std::nullopt)
                << a.head;
        }
        EXPECT_EQ(client.closedWithin(c.staysOpen ? 300 : 5000), !c.staysOpen);
    }
}

TEST(ServiceLimits, TheRequestLogKeepsTheLatestMegabyte)
{
    ServiceProcess service;
    RawClient client(service.port());
    QByteArray last;
    for (int i = 0; i < 300; ++i) { // about 2.4 MB of addresses
        last = "/n/I/IBM.html?" + QByteArray::number(i) + '-' + QByteArray(8000, 'x');
        client.send("GET " + last.toStdString() + " HTTP/1.1\r\n\r\n");
        ASSERT_EQ(client.read().status, 200);
    }
    const QStringList logged = service.requests();
    ASSERT_FALSE(logged.isEmpty());
    EXPECT_LE(logged.join(QString()).size(), 1 << 20);
    EXPECT_EQ(logged.last(), QString::fromLatin1(last));
}

TEST(ServiceLimits, ControlNeedsTheTestSwitch)
{
    ServiceProcess asUsersStartIt({}, ServiceProcess::Control::Off);
    EXPECT_NE(asUsersStartIt.post("/_control/fail-next?count=5").status, 200);
    EXPECT_EQ(asUsersStartIt.get("/_control/requests").status, 404);
    EXPECT_EQ(asUsersStartIt.get("/d/quotes.csv?s=IBM").status, 200);
}

} // namespace
