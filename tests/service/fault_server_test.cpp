// The fault server is what other tests trust to misbehave in one exact way;
// check each way with a plain client.

#include "fault_server.h"
#include "test_util.h"

#include <QElapsedTimer>

#include <chrono>
#include <cstdint>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace service_test;

namespace {

// Sends a GET and reads what comes back within `timeoutMs`; `error` gets the
// errno that ended the read (0 for an orderly close or a timeout).
struct Received {
    std::string bytes;
    int error = 0;
    bool timedOut = false;
};

Received receive(std::uint16_t port, int timeoutMs, std::size_t stopAfter = SIZE_MAX)
{
    Received r;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        r.error = errno;
        ::close(fd);
        return r;
    }
    const std::string request = "GET /chart?s=IBM HTTP/1.1\r\nHost: x\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buf[65536];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) == 0) {
            r.timedOut = true;
            break;
        }
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n > 0) {
            r.bytes.append(buf, static_cast<std::size_t>(n));
            if (r.bytes.size() >= stopAfter)
                break;
            continue;
        }
        if (n < 0)
            r.error = errno;
        break;
    }
    ::close(fd);
    return r;
}

std::string bodyOf(const std::string& response)
{
    const std::size_t end = response.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : response.substr(end + 4);
}

TEST(FaultServer, FixedAnswersExactlyWhatItIsGiven)
{
    FaultServer server({.mode = FaultServer::Mode::Fixed,
                        .status = 200,
                        .headers = {{"Content-Type", "image/gif"}},
                        .body = std::string(150, 'g')});
    ASSERT_TRUE(server.isListening());
    const RawAnswer a = rawGet(server.port(), "/t?s=IBM");
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.header("content-type"), "image/gif");
    EXPECT_EQ(a.body, std::string(150, 'g'));

    FaultServer empty({.mode = FaultServer::Mode::Fixed, .status = 200});
    const RawAnswer e = rawGet(empty.port(), "/d/quotes.csv?s=IBM");
    EXPECT_EQ(e.status, 200);
    EXPECT_EQ(e.header("content-length"), "0");
    EXPECT_TRUE(e.body.empty());

    FaultServer failing({.mode = FaultServer::Mode::Fixed, .status = 503, .body = "down"});
    EXPECT_EQ(rawGet(failing.port(), "/").status, 503);
    EXPECT_EQ(failing.connections(), 1);
    ASSERT_EQ(failing.requestLines().size(), 1u);
    EXPECT_EQ(failing.requestLines()[0], "GET / HTTP/1.1");
}

TEST(FaultServer, OversizeSendsTheWholeBodyInEveryFraming)
{
    constexpr std::size_t kSize = 3 * 1024 * 1024 + 17;
    struct Case {
        FaultServer::Framing framing;
        const char* header;
    };
    const Case cases[] = {{FaultServer::Framing::ContentLength, "Content-Length: 3145745"},
                          {FaultServer::Framing::CloseDelimited, "Connection: close"},
                          {FaultServer::Framing::Chunked, "Transfer-Encoding: chunked"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        FaultServer server({.mode = FaultServer::Mode::Oversize, .bodySize = kSize, .framing = c.framing});
        const Received r = receive(server.port(), 10000);
        EXPECT_FALSE(r.timedOut);
        EXPECT_NE(r.bytes.find(c.header), std::string::npos);
        const std::string body = bodyOf(r.bytes);
        if (c.framing == FaultServer::Framing::Chunked) {
            EXPECT_TRUE(body.ends_with("\r\n0\r\n\r\n"));
            EXPECT_GT(body.size(), kSize);
        } else {
            EXPECT_EQ(body.size(), kSize);
        }
    }
    // httplib's client, a real HTTP client, agrees on the chunked body
    FaultServer chunked({.mode = FaultServer::Mode::Oversize, .bodySize = 100000, .framing = FaultServer::Framing::Chunked});
    httplib::Client client("127.0.0.1", chunked.port());
    const auto res = client.Get("/");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body.size(), 100000u);
}

TEST(FaultServer, ResetEndsTheConnectionWithAReset)
{
    FaultServer server(FaultServer::Mode::Reset);
    const Received r = receive(server.port(), 5000);
    EXPECT_TRUE(r.bytes.empty());
    EXPECT_EQ(r.error, ECONNRESET);
    EXPECT_EQ(server.connections(), 1);
}

TEST(FaultServer, HangNeverAnswersAndStopsPromptly)
{
    QElapsedTimer timer;
    {
        FaultServer server(FaultServer::Mode::Hang);
        const Received r = receive(server.port(), 300);
        EXPECT_TRUE(r.timedOut);
        EXPECT_TRUE(r.bytes.empty());
        // a second client is accepted too, while the first still hangs
        const Received again = receive(server.port(), 100);
        EXPECT_TRUE(again.timedOut);
        EXPECT_EQ(server.connections(), 2);
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(FaultServer, TrickleSendsHeadersThenOneByteAtATime)
{
    FaultServer server({.mode = FaultServer::Mode::Trickle,
                        .announcedLength = 1000,
                        .trickleInterval = std::chrono::milliseconds(50)});
    QElapsedTimer timer;
    timer.start();
    const Received r = receive(server.port(), 3000, 0); // stop after the first read
    ASSERT_NE(r.bytes.find("Content-Length: 1000\r\n"), std::string::npos);
    const std::size_t headerEnd = r.bytes.find("\r\n\r\n");
    ASSERT_NE(headerEnd, std::string::npos);
    EXPECT_LE(r.bytes.size() - (headerEnd + 4), 1u); // the body has hardly begun

    const Received longer = receive(server.port(), 400);
    EXPECT_TRUE(longer.timedOut);
    const std::size_t got = bodyOf(longer.bytes).size();
    EXPECT_GE(got, 2u);
    EXPECT_LE(got, 10u) << "bytes came faster than one per interval";
}

} // namespace
