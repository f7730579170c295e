// How the service behaves as a process and under stress: bad input on the
// wire and on the command line, many clients, deliberate failures, added
// latency, the request log and stopping.

#include "test_util.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace service_test;

namespace {

// A socket connected to the service, left open and idle by the test.
class IdleConnection {
public:
    explicit IdleConnection(quint16 port, const std::string& partialRequest = {})
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        if (m_connected && !partialRequest.empty())
            m_connected = ::send(m_fd, partialRequest.data(), partialRequest.size(), MSG_NOSIGNAL) > 0;
    }
    ~IdleConnection() { ::close(m_fd); }
    bool connected() const { return m_connected; }

private:
    int m_fd = -1;
    bool m_connected = false;
};

struct Finished {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out, err;
};

Finished runService(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QUOTERRA_SERVICE_BIN), args);
    Finished r;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.status = p.exitStatus();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(ServiceWire, MalformedRequestsGetBadRequestAndTheServiceCarriesOn)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    struct Case {
        std::string bytes;
        int status;
    };
    const Case cases[] = {
        {"GARBAGE\r\n\r\n", 400},
        {"GET\r\n\r\n", 400},
        {"\r\n\r\n", 400},
        {"GET / HTTP/9.9\r\n\r\n", 400},
        {"GET /d/quotes.csv?s=A B HTTP/1.1\r\n\r\n", 400}, // a raw space splits the request line
        {"BREW /pot HTTP/1.1\r\n\r\n", 400},
        {std::string("\x00\x01\x02\xff\r\n\r\n", 8), 400},
        {"GET /" + std::string(9000, 'a') + " HTTP/1.1\r\n\r\n", 414},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 40));
        const RawAnswer a = rawExchange(service.port(), c.bytes);
        ASSERT_TRUE(a.answered);
        EXPECT_EQ(a.status, c.status);
        EXPECT_FALSE(a.header("content-type").empty());
        EXPECT_EQ(a.header("content-length"), std::to_string(a.body.size()));
        ASSERT_TRUE(service.isRunning());
        EXPECT_EQ(rawGet(service.port(), "/currentversion.txt").status, 200);
    }
}

TEST(ServiceWire, StalledClientsDoNotHoldUpOthers)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    std::vector<std::unique_ptr<IdleConnection>> stalled;
    for (int i = 0; i < 12; ++i) {
        stalled.push_back(std::make_unique<IdleConnection>(service.port(), i % 2 ? "GET /d/quo" : ""));
        ASSERT_TRUE(stalled.back()->connected());
    }
    QElapsedTimer timer;
    timer.start();
    const RawAnswer a = rawGet(service.port(), "/d/quotes.csv?s=IBM");
    EXPECT_EQ(a.status, 200);
    // a full worker pool or listen queue shows as a wait of seconds (read timeout, SYN retry)
    EXPECT_LT(timer.elapsed(), 900);
}

TEST(ServiceWire, ConcurrentClientsAreAllAnswered)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    constexpr int kThreads = 8, kRequests = 20;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            httplib::Client c("127.0.0.1", service.port());
            c.set_read_timeout(15);
            c.set_keep_alive(t % 2 == 0); // half reuse their connection
            for (int i = 0; i < kRequests; ++i) {
                const int kind = (t + i) % 3;
                const std::string target = kind == 0   ? "/d/quotes.csv?s=T" + std::to_string(t) + "&f=sl1d1t1c1ohgv&e=.csv"
                                           : kind == 1 ? "/t?s=IBM"
                                                       : "/n/I/IBM.html";
                const auto res = c.Get(target);
                if (!res || res->status != 200)
                    continue;
                const bool ok = kind == 0   ? parseQuote(res->body).has_value()
                                : kind == 1 ? decodeGif(res->body).has_value()
                                            : res->body.ends_with("</html>\n");
                good += ok;
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(good.load(), kThreads * kRequests);
    EXPECT_EQ(service.requests().size(), qsizetype(kThreads * kRequests));
}

TEST(ServiceFailures, FailRateOneFailsQuotesChartsAndVersionOnly)
{
    ServiceProcess service({"--fail-rate", "1"});
    ASSERT_TRUE(service.isRunning());
    for (const char* target : {"/d/quotes.csv?s=IBM", "/t?s=IBM", "/v?s=ZZZ", "/c/0b/i/ibm.gif", "/currentversion.txt"}) {
        const RawAnswer a = rawGet(service.port(), target);
        EXPECT_EQ(a.status, 503) << target;
        EXPECT_TRUE(a.body.empty()) << target;
        EXPECT_EQ(a.header("content-length"), "0") << target;
        EXPECT_FALSE(a.header("content-type").empty()) << target;
    }
    EXPECT_EQ(rawGet(service.port(), "/n/I/IBM.html").status, 200);
    EXPECT_EQ(rawGet(service.port(), "/nothing").status, 404);
    EXPECT_EQ(service.requests().size(), 7); // control answers are never failed
}

TEST(ServiceFailures, PartialFailRateIsReproducibleWithASeed)
{
    const auto pattern = [](const QStringList& args) {
        ServiceProcess service(args);
        std::string statuses;
        for (int i = 0; i < 40; ++i)
            statuses += rawGet(service.port(), i % 2 ? "/currentversion.txt" : "/d/quotes.csv?s=IBM").status == 503 ? 'F' : '.';
        return statuses;
    };
    const std::string first = pattern({"--fail-rate", "0.5", "--seed", "5"});
    const std::string second = pattern({"--fail-rate", "0.5", "--seed", "5"});
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find('F'), std::string::npos) << first;
    EXPECT_NE(first.find('.'), std::string::npos) << first;
}

TEST(ServiceFailures, FailNextCountsOnlyQuotesChartsAndVersion)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    service.failNext(2);
    EXPECT_EQ(rawGet(service.port(), "/currentversion.txt").status, 503);
    EXPECT_EQ(rawGet(service.port(), "/n/I/IBM.html").status, 200); // pages do not use one up
    EXPECT_EQ(rawGet(service.port(), "/d/quotes.csv?s=IBM").status, 503);
    EXPECT_EQ(rawGet(service.port(), "/t?s=IBM").status, 200);
    EXPECT_EQ(rawGet(service.port(), "/d/quotes.csv?s=IBM").status, 200);

    service.failNext(3);
    service.reset();
    EXPECT_EQ(rawGet(service.port(), "/d/quotes.csv?s=IBM").status, 200);

    struct Case {
        const char* target;
        int status;
    };
    const Case cases[] = {{"/_control/fail-next?count=x", 400}, {"/_control/fail-next", 400},
                          {"/_control/fail-next?count=-1", 400}, {"/_control/fail-next?count=0", 200}};
    for (const Case& c : cases)
        EXPECT_EQ(service.exchange("POST", c.target).status, c.status) << c.target;
}

TEST(ServiceLatency, AnswersAreDelayedButControlIsNot)
{
    ServiceProcess service({"--latency-ms", "1000"});
    ASSERT_TRUE(service.isRunning());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(rawGet(service.port(), "/d/quotes.csv?s=IBM").status, 200);
    EXPECT_GE(timer.elapsed(), 1000);
    timer.restart();
    EXPECT_EQ(rawGet(service.port(), "/nothing").status, 404);
    EXPECT_GE(timer.elapsed(), 1000);
    timer.restart();
    EXPECT_EQ(service.requests().size(), 2);
    EXPECT_LT(timer.elapsed(), 1000);
}

TEST(ServiceControl, RequestLogHoldsTargetsExactlyAsSent)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const QStringList sent = {
        "/d/quotes.csv?s=^DJI&f=sl1d1t1c1ohgv&e=.csv",
        "/d/quotes.csv?s=S&&P%20500&f=sl1d1t1c1ohgv&e=.csv",
        "/n//.html",
        "/nothing?x=%zz",
        "/t?s=ibm",
    };
    for (const QString& target : sent)
        rawGet(service.port(), target.toStdString());
    rawExchange(service.port(), "POST /d/quotes.csv HTTP/1.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(service.requests(), sent + QStringList{"/d/quotes.csv"});
    service.reset();
    EXPECT_TRUE(service.requests().isEmpty());
    rawGet(service.port(), "/currentversion.txt");
    EXPECT_EQ(service.requests(), QStringList{"/currentversion.txt"});
}

TEST(ServiceClients, QtNetworkReachesEveryAddressTheTickerBuilds)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    QNetworkAccessManager manager;
    const auto fetch = [&](const QString& pathAndQuery) {
        QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(service.origin() + pathAndQuery)));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        return body.toStdString();
    };
    // symbols go into the address unescaped, as the ticker writes them
    const auto index = parseQuote(fetch("/d/quotes.csv?s=^DJI&f=sl1d1t1c1ohgv&e=.csv"));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->symbol, "^DJI");
    const auto spaced = parseQuote(fetch("/d/quotes.csv?s=S P&f=sl1d1t1c1ohgv&e=.csv"));
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->symbol, "S P");
    const auto ampersand = parseQuote(fetch("/d/quotes.csv?s=AT&T&f=sl1d1t1c1ohgv&e=.csv"));
    ASSERT_TRUE(ampersand);
    EXPECT_EQ(ampersand->symbol, "AT&T");
    EXPECT_NE(fetch("/n/S/S&&P 500.html").find("<title>News for S&amp;&amp;P 500</title>"), std::string::npos);
    EXPECT_NE(fetch("/q?s=S&&P 500&d=1b").find("<title>Chart for S&amp;&amp;P 500 (1 day)</title>"), std::string::npos);
    EXPECT_NE(fetch("/?action=q&board=30 YR BOND").find("<title>Message board for 30 YR BOND</title>"),
              std::string::npos);
    EXPECT_EQ(fetch("/c/0b/^/^spc.gif").size() > 150, true);
}

TEST(ServiceProcessLife, BadOptionsAreRefusedWithExitCodeTwo)
{
    const QStringList cases[] = {
        {"--port", "70000"},      {"--port", "abc"},       {"--port", "-1"},        {"--port"},
        {"--seed", "x"},          {"--seed", "-3"},        {"--latency-ms", "-5"},  {"--latency-ms", "1.5"},
        {"--fail-rate", "1.5"},   {"--fail-rate", "-0.1"}, {"--fail-rate", "nan"},  {"--fail-rate", ""},
        {"--bogus"},              {"extra"},               {"--bind", ""},          {"--help=yes"},
        {"--bind", "no.such.host.invalid"},
    };
    for (const QStringList& args : cases) {
        const Finished r = runService(args);
        EXPECT_EQ(r.status, QProcess::NormalExit) << args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
        const QString option = args.first().section(QLatin1Char('='), 0, 0);
        EXPECT_TRUE(r.err.contains(option)) << r.err.toStdString();
    }
}

TEST(ServiceProcessLife, HelpDescribesEveryOption)
{
    const Finished r = runService({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"--port", "--bind", "--seed", "--latency-ms", "--fail-rate", "--version-file-text"})
        EXPECT_TRUE(r.out.contains(QLatin1String(option))) << option;
}

TEST(ServiceProcessLife, StopsCleanlyOnSignalsEvenWithIdleConnections)
{
    for (int signal : {SIGTERM, SIGINT}) {
        QProcess p;
        p.start(QStringLiteral(QUOTERRA_SERVICE_BIN), {"--port=0", "--seed=1"});
        ASSERT_TRUE(p.waitForStarted());
        QDeadlineTimer deadline(10000);
        while (!p.canReadLine() && !deadline.hasExpired())
            p.waitForReadyRead(100);
        const QString line = QString::fromUtf8(p.readLine());
        static const QRegularExpression listening(
            QStringLiteral("^quoterra-service listening on http://127\\.0\\.0\\.1:(\\d+)\\n$"));
        const auto m = listening.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const auto port = static_cast<quint16>(m.captured(1).toUInt());
        EXPECT_EQ(rawGet(port, "/currentversion.txt").body, "4.00");

        IdleConnection idle(port); // a keep-alive client that went quiet
        ASSERT_TRUE(idle.connected());
        QElapsedTimer timer;
        timer.start();
        ::kill(static_cast<pid_t>(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_LT(timer.elapsed(), 1500) << "signal " << signal;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty()) << "exactly one line on stdout";
    }
}

TEST(ServiceProcessLife, ATakenPortIsReported)
{
    ServiceProcess first;
    ASSERT_TRUE(first.isRunning());
    const Finished second = runService({"--port", QString::number(first.port())});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(QString::number(first.port()))) << second.err.toStdString();
    EXPECT_TRUE(first.isRunning());
}

TEST(ServiceProcessLife, StoppedServiceRefusesConnections)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const quint16 port = service.port();
    service.stop();
    EXPECT_FALSE(service.isRunning());
    EXPECT_FALSE(rawGet(port, "/currentversion.txt").answered);
    EXPECT_EQ(service.origin(), QStringLiteral("http://127.0.0.1:%1").arg(port));
}

} // namespace
