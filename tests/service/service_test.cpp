// The bundled quote service, asked over HTTP exactly as the ticker asks it;
// and as a program: its command line, how it ends, and what it does when
// its port is taken.

#include "window_support.h"
#include "version.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

using namespace quoterra::test;

namespace {

TEST(ServiceQuotes, KnownSymbolsGetAQuoteLineAndOthersNotAvailableFields)
{
    ServiceProcess service;
    // The symbol sent, as echoed, and where the last trade may plausibly lie.
    const std::tuple<QByteArray, QString, double, double> known[] = {
        {"IBM", "IBM", 0.01, 1e6},      {"msft", "MSFT", 0.01, 1e6},
        {"AT&T", "AT&T", 0.01, 1e6}, // '&' inside the symbol, not a new parameter
        {"S%20P", "S P", 0.01, 1e6}, // a space, escaped on the way
        {"^DJI", "^DJI", 30000, 48000}, {"^IXIC", "^IXIC", 12000, 21000},
        {"^SPC", "^SPC", 4000, 6500},   {"^TYX", "^TYX", 25, 70}, // the 30-year yield times ten
    };
    for (const auto& [sent, echoed, low, high] : known) {
        SCOPED_TRACE(sent.toStdString());
        const auto a = service.get(quoteTarget(sent));
        ASSERT_EQ(a.status, 200);
        const auto q = parseQuote(a.body);
        ASSERT_TRUE(q) << a.body.toStdString();
        EXPECT_EQ(q->symbol, echoed);
        EXPECT_GE(q->last, low);
        EXPECT_LE(q->last, high);
        EXPECT_LE(q->low, std::min(q->last, q->open));
        EXPECT_GE(q->high, std::max(q->last, q->open));
    }
    // A comma, a quote or a line break in the echo would shift the ticker's fields.
    const std::pair<QByteArray, QByteArray> unknown[] = {
        {quoteTarget(""), ""},
        {"/d/quotes.csv", ""},
        {quoteTarget("zzztop"), "ZZZTOP"},
        {quoteTarget("^FOO"), "^FOO"},
        {quoteTarget("XYZ!"), "XYZ!"},
        {quoteTarget("ABCDEFGHIJK"), "ABCDEFGHIJK"},
        {quoteTarget("A%2CB%22C%0D%0AD"), "ABCD"},
    };
    for (const auto& [target, echoed] : unknown) {
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 200) << target.toStdString();
        EXPECT_EQ(a.body, "\"" + echoed + "\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n") << target.toStdString();
    }
}

TEST(ServiceQuotes, TheMarketMovesOnWithTheClockAndTheSameSeedGivesTheSameMarket)
{
    ServiceProcess service;
    const QByteArray first = service.get(quoteTarget("IBM")).body;
    QByteArray later = first;
    // one simulated minute passes each second
    for (QDeadlineTimer deadline(5000); later == first && !deadline.hasExpired();)
        later = service.get(quoteTarget("IBM")).body;
    const auto before = parseQuote(first), after = parseQuote(later);
    ASSERT_TRUE(before && after);
    EXPECT_NE(later, first) << "the quote never changes";
    EXPECT_EQ(before->open, after->open);

    ServiceProcess a({"--seed", "77"});
    ServiceProcess b({"--seed", "77"});
    ServiceProcess other({"--seed", "78"});
    for (const QByteArray symbol : {"IBM", "^DJI", "MSFT"}) {
        SCOPED_TRACE(symbol.toStdString());
        QByteArray la, lb;
        // two asks can straddle a simulated minute; one of a few tries will not
        for (int attempt = 0; attempt < 5 && (la.isEmpty() || la != lb); ++attempt) {
            la = a.get(quoteTarget(symbol)).body;
            lb = b.get(quoteTarget(symbol)).body;
        }
        const auto mine = parseQuote(la), theirs = parseQuote(other.get(quoteTarget(symbol)).body);
        ASSERT_TRUE(mine && theirs);
        EXPECT_EQ(la, lb);
        EXPECT_NE(mine->last, theirs->last) << "another seed should give another market";
    }
}

TEST(ServicePages, EveryChartDecodesAndEveryPageHasItsTitleOrIsNotFound)
{
    ServiceProcess service;
    const std::pair<QByteArray, bool> charts[] = {
        {"/t?s=IBM", true},  {"/t?s=ibm", true},        {"/v?s=MSFT", true},
        {"/v?s=IBM", true},  {"/c/0b/i/ibm.gif", true}, {"/c/0b/%5E/%5Edji.gif", true},
        {"/t?s=ZZZ", false}, {"/v?s=^FOO", false},      {"/c/0b/z/zzzq.gif", false},
    };
    for (const auto& [target, known] : charts) {
        SCOPED_TRACE(target.toStdString());
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 200);
        const QImage image = gifImage(a.body);
        ASSERT_FALSE(image.isNull());
        if (known) {
            EXPECT_EQ(image.size(), QSize(192, 96));
            EXPECT_NE(a.body.size(), 150);
        } else {
            EXPECT_EQ(a.body.size(), 150); // the length the ticker takes for "no chart"
        }
    }

    struct Case {
        QByteArray target;
        int status;
        QByteArray title; // as it stands in the HTML
        QByteArray also = {};
    };
    const Case cases[] = {
        {"/n/I/IBM.html", 200, "News for IBM"},
        {"/p/m/msft.html", 200, "Profile for MSFT"},
        {"/e/l/I/IBM.html", 200, "SEC filings for IBM"},
        {"/z/a/I/IBM.html", 200, "Research for IBM"},
        {"/t/I/IBM.html", 200, "Insider trading for IBM"},
        {"/n//.html", 200, "News"},
        {"/n/S/S&&P%20500.html", 200, "News for S&amp;&amp;P 500"},
        {"/n/%3C/%3Cscript%3E.html", 200, "News for &lt;SCRIPT&gt;"},
        // the images chart pages show are the ones the chart test decodes
        {"/q?s=IBM&d=1b", 200, "Chart for IBM (1 day)", "src=\"/t?s=IBM\""},
        {"/q?s=msft&d=5d", 200, "Chart for MSFT (5 day)", "src=\"/v?s=MSFT\""},
        {"/q?s=%5EDJI&d=1y", 200, "Chart for ^DJI (1 year)", "src=\"/c/0b/%5E/%5Edji.gif\""},
        {"/q?s=%3Cscript%3E&d=1b", 200, "Chart for &lt;SCRIPT&gt; (1 day)"},
        {"/?action=q&board=IBM", 200, "Message board for IBM"},
        {"/l?s=international+business", 200, "Symbol lookup: international business", ">IBM</a>"},
        {"/l?s=%3Cscript%3E", 200, "Symbol lookup: &lt;script&gt;"},
        {"/", 200, "Quoterra quote service"},
        {"/nothing", 404, {}},
        {"/n/IBM.html", 404, {}},
        {"/T?s=IBM", 404, {}},
        {"/currentversion.txt.bak", 404, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const auto a = service.get(c.target);
        EXPECT_EQ(a.status, c.status);
        EXPECT_FALSE(a.body.toLower().contains("<script")) << a.body.toStdString();
        if (!c.title.isEmpty()) {
            EXPECT_TRUE(a.body.contains("<title>" + c.title + "</title>")) << a.body.toStdString();
            EXPECT_TRUE(a.body.endsWith("</html>\n"));
        }
        EXPECT_TRUE(a.body.contains(c.also)) << a.body.toStdString();
    }
}

TEST(ServiceOptions, TheVersionTextIsExactlyAsGivenAndAnswersWaitTheLatencyGiven)
{
    for (const auto& [args, text, latency] :
         {std::tuple{QStringList{}, QByteArray("4.00"), 0},
          std::tuple{QStringList{"--version-file-text", "4.12 beta", "--latency-ms", "300"}, QByteArray("4.12 beta"),
                     300}}) {
        ServiceProcess service(args);
        QElapsedTimer timer;
        timer.start();
        const auto a = service.get("/currentversion.txt");
        EXPECT_GE(timer.elapsed(), latency);
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.body, text);
    }
}

TEST(ServiceWire, ConcurrentClientsAreAllAnswered)
{
    ServiceProcess service;
    constexpr int kThreads = 8, kRequests = 10;
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // each thread its own symbol, so an answer sent to the wrong client shows
            const QByteArray symbol = "T" + QByteArray::number(t);
            for (int i = 0; i < kRequests; ++i) {
                const int kind = (t + i) % 3;
                const auto a = service.get(kind == 0       ? quoteTarget(symbol)
                                               : kind == 1 ? "/t?s=" + symbol
                                                           : "/n/T/" + symbol + ".html");
                good += a.status == 200
                    && (kind == 0       ? a.body.startsWith("\"" + symbol + "\",")
                            : kind == 1 ? a.body.startsWith("GIF89a")
                                        : a.body.contains("<title>News for " + symbol + "</title>"));
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(good.load(), kThreads * kRequests);
    EXPECT_EQ(service.requests().size(), kThreads * kRequests);
}

TEST(ServiceFailures, FailRateOneFailsQuotesChartsAndVersionOnlyAndFailNextThatMany)
{
    ServiceProcess service({"--fail-rate", "1"});
    for (const QByteArray target :
         {"/d/quotes.csv?s=IBM", "/t?s=IBM", "/v?s=ZZZ", "/c/0b/i/ibm.gif", "/currentversion.txt"}) {
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 503) << target.toStdString();
        EXPECT_TRUE(a.body.isEmpty()) << target.toStdString();
    }
    EXPECT_EQ(service.get("/n/I/IBM.html").status, 200);

    ServiceProcess counted;
    counted.failNext(2);
    EXPECT_EQ(counted.get("/currentversion.txt").status, 503);
    EXPECT_EQ(counted.get("/n/S/S&&P%20500.html").status, 200); // pages do not use one up
    EXPECT_EQ(counted.get("/t?s=IBM").status, 503);
    EXPECT_EQ(counted.get("/d/quotes.csv?s=^DJI&f=sl1d1t1c1ohgv&e=.csv").status, 200);
    EXPECT_EQ(counted.get("/nothing").status, 404);
    EXPECT_EQ(counted.requests(),
              (QStringList{"/currentversion.txt", "/n/S/S&&P%20500.html", "/t?s=IBM",
                           "/d/quotes.csv?s=^DJI&f=sl1d1t1c1ohgv&e=.csv", "/nothing"}));
    counted.failNext(3);
    counted.reset();
    EXPECT_TRUE(counted.requests().isEmpty());
    EXPECT_EQ(counted.get("/d/quotes.csv?s=IBM").status, 200);
}

TEST(ServiceCommandLine, HelpAndVersionPrintAndExitZeroAndBadOptionsGetExitCodeTwoAndTheUsage)
{
    const Finished help = runService({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--port", "--bind", "--market", "--idle-exit", "--source-url", "--research-url",
                               "--upstream-timeout", "--check-sources", "--test-control", "--version"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;

    const Finished version = runService({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    // the version the ticker's About box shows, from the one place it lives
    EXPECT_EQ(version.out,
              u"quoterra-service %1.%2.%3\n"_s.arg(quoterra::kVersionMajor)
                  .arg(quoterra::kVersionMinor)
                  .arg(quoterra::kVersionRevision));

    for (const char* line :
         {"--port 70000", "--port abc", "--port", "--seed -3", "--latency-ms 1.5", "--fail-rate 1.5", "--bogus",
          "--bind no.such.host.invalid", "--market stock", "--idle-exit -1", "--request-timeout 0",
          "--upstream-timeout 60", "--help=yes", "--source-url chart=ftp://127.0.0.1:1",
          "--source-url quotes=http://127.0.0.1:1", "--source-url chart=http://127.0.0.1:1/v8",
          "--research-url finance", "--check-sources=", "--check-sources=ABCDEFGHIJKLMNOPQRSTU"}) {
        SCOPED_TRACE(line);
        const QStringList args = QString::fromLatin1(line).split(u' ');
        const Finished r = runService(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(args.first().section(u'=', 0, 0))) << r.err.toStdString();
        if (args.first() != "--bind") { // a name that does not resolve is not a usage error as such
            EXPECT_TRUE(r.err.contains(QLatin1String("Usage: quoterra-service"))) << r.err.toStdString();
        }
    }
}

TEST(ServiceLife, EndsPromptlyOnSigtermAndAfterItsIdleTimeButNotWhileAsked)
{
    ServiceProcess service({"--idle-exit", "0"});
    RawClient idle(service.port()); // a keep-alive client that went quiet
    ASSERT_TRUE(idle.connected());
    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(service.processId()), SIGTERM);
    EXPECT_EQ(service.waitForExit(5000), 0);
    EXPECT_LT(timer.elapsed(), 1500);

    ServiceProcess idling({"--idle-exit", "2"});
    for (QDeadlineTimer asking(2500); !asking.hasExpired(); QThread::msleep(100))
        ASSERT_EQ(idling.get("/currentversion.txt").status, 200) << "ended while it was being asked";
    EXPECT_EQ(idling.waitForExit(15'000), 0);
}

TEST(ServiceLife, ATakenPortIsReportedByWhoHoldsItAndOfServicesStartedTogetherOneServes)
{
    ServiceProcess ours;
    FakeSource foreign({.body = "a web server of some other kind"});
    ASSERT_TRUE(foreign.isListening());
    struct Case {
        quint16 port;
        int exitCode;
        const char* says;
    };
    for (const Case& c : {Case{ours.port(), 3, "another quoterra-service already serves"},
                          Case{foreign.port(), 4, "in use by another program"}}) {
        const Finished second = runService({"--market", "simulated", "--port", QString::number(c.port)});
        EXPECT_EQ(second.exitCode, c.exitCode);
        EXPECT_TRUE(second.err.contains(QLatin1String(c.says))) << second.err.toStdString();
        EXPECT_TRUE(second.err.contains(QString::number(c.port))) << second.err.toStdString();
        EXPECT_EQ(second.err.count('\n'), 1) << second.err.toStdString();
    }
    EXPECT_EQ(ours.get("/currentversion.txt").status, 200);

    const quint16 port = quoterra::test::freePort(); // to agree on
    // The one that serves ends by itself a second after the others have asked it.
    std::vector<std::unique_ptr<QProcess>> services;
    for (int i = 0; i < 4; ++i) {
        services.push_back(std::make_unique<QProcess>());
        services.back()->start(kServiceProgram,
                               {"--market", "simulated", "--idle-exit", "1", "--port", QString::number(port)});
    }
    int serving = 0, refused = 0;
    for (auto& p : services) {
        ASSERT_TRUE(p->waitForFinished(15'000));
        refused += p->exitCode() == 3;
        serving += p->exitCode() == 0 && p->readAllStandardOutput().startsWith("quoterra-service listening on");
    }
    EXPECT_EQ(serving, 1);
    EXPECT_EQ(refused, 3);
}

} // namespace
