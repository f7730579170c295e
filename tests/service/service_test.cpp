// The bundled quote service, asked over HTTP exactly as the ticker asks it;
// and as a program: its command line, how it ends, and what it does when
// its port is taken.

#include "window_support.h"
#include "version.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <atomic>
#include <thread>

using namespace quoterra::test;

namespace {

TEST(ServiceQuotes, KnownSymbolsGetAPlausibleQuoteLine)
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
        const auto q = parseQuote(a.body);
        ASSERT_TRUE(q) << a.status << ' ' << a.body.toStdString();
        EXPECT_EQ(q->symbol, echoed);
        EXPECT_GE(q->last, low);
        EXPECT_LE(q->last, high);
        EXPECT_LE(q->low, std::min(q->last, q->open));
        EXPECT_GE(q->high, std::max(q->last, q->open));
    }
}

// A comma, a quote or a line break in the echo would shift the ticker's fields.
TEST(ServiceQuotes, OtherSymbolsGetNotAvailableFields)
{
    ServiceProcess service;
    const std::pair<QByteArray, QByteArray> unknown[] = {
        {quoteTarget(""), ""},          {"/d/quotes.csv", ""},          {quoteTarget("zzztop"), "ZZZTOP"},
        {quoteTarget("^FOO"), "^FOO"},  {quoteTarget("XYZ!"), "XYZ!"}, {quoteTarget("ABCDEFGHIJK"), "ABCDEFGHIJK"},
        {quoteTarget("A%2CB%22C%0D%0AD"), "ABCD"},
    };
    for (const auto& [target, echoed] : unknown) {
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 200) << target.toStdString();
        EXPECT_EQ(a.body, "\"" + echoed + "\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n") << target.toStdString();
    }
}

// Asks `get` until two answers in a row agree: a simulated minute passes
// each second, and two asks can straddle one.
template <class Get> auto settled(Get get)
{
    auto last = get();
    for (int attempt = 0; attempt < 5; ++attempt)
        if (auto next = get(); next == last)
            break;
        else
            last = next;
    return last;
}

TEST(ServiceQuotes, SeveralSymbolsGetALineEachInTheOrderAsked)
{
    ServiceProcess service;
    const std::pair<const char*, QList<QByteArray>> cases[] = {
        {"stocks and an index", {"IBM", "msft", "^TYX"}},
        {"an unknown symbol in place", {"IBM", "ZZZQ", "^DJI"}},
        {"symbols escaped or with '&'", {"AT&T", "S%20P", "A%2BB", "IBM"}},
        {"the same twice", {"IBM", "IBM"}},
        {"an empty one in place", {"IBM", "", "MSFT"}},
    };
    for (const auto& [what, symbols] : cases) {
        const auto [all, alone] = settled([&] {
            QByteArray each;
            for (const QByteArray& symbol : symbols)
                each += service.get(quoteTarget(symbol)).body;
            return std::pair{service.get(quoteTarget(symbols.join('+'))).body, each};
        });
        EXPECT_EQ(all, alone) << what;
        EXPECT_EQ(all.count("\r\n"), symbols.size()) << what;
    }
}

TEST(ServiceQuotes, AHundredSymbolsAtMostAreAskedAtOnce)
{
    ServiceProcess service;
    QList<QByteArray> many;
    for (int i = 0; i < 101; ++i)
        many << "S" + QByteArray::number(i);
    const HttpAnswer refused = service.get(quoteTarget(many.join('+')));
    EXPECT_EQ(refused.status, 400);
    EXPECT_TRUE(refused.body.contains("100")) << refused.body.toStdString();
    many.removeLast();
    const HttpAnswer hundred = service.get(quoteTarget(many.join('+')));
    EXPECT_EQ(hundred.status, 200);
    EXPECT_EQ(hundred.body.count("\r\n"), 100);
}

TEST(ServiceQuotes, TheSimulatedMarketMovesOnWithTheClock)
{
    ServiceProcess service;
    const QByteArray first = service.get(quoteTarget("IBM")).body;
    QByteArray later = first;
    for (QDeadlineTimer deadline(5000); later == first && !deadline.hasExpired();)
        later = service.get(quoteTarget("IBM")).body;
    const auto before = parseQuote(first), after = parseQuote(later);
    ASSERT_TRUE(before && after);
    EXPECT_NE(later, first) << "the quote never changes";
    EXPECT_EQ(before->open, after->open);
}

TEST(ServiceQuotes, ASeedDecidesTheMarket)
{
    ServiceProcess a({"--seed", "77"}), b({"--seed", "77"}), other({"--seed", "78"});
    for (const QByteArray symbol : {"IBM", "^DJI", "MSFT"}) {
        const auto [la, lb] =
            settled([&] { return std::pair{a.get(quoteTarget(symbol)).body, b.get(quoteTarget(symbol)).body}; });
        EXPECT_EQ(la, lb) << symbol.toStdString();
        const auto mine = parseQuote(la), theirs = parseQuote(other.get(quoteTarget(symbol)).body);
        ASSERT_TRUE(mine && theirs);
        EXPECT_NE(mine->last, theirs->last) << symbol.toStdString();
    }
}

TEST(ServicePages, EveryChartDecodes)
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
        EXPECT_EQ(gifImage(a.body).size(), known ? QSize(192, 96) : QSize(1, 1));
        EXPECT_EQ(a.body.size() == 150, !known); // the length the ticker takes for "no chart"
    }
}

TEST(ServicePages, EveryPageHasItsTitleOrIsNotFound)
{
    ServiceProcess service;
    struct Case {
        QByteArray target;
        QByteArray title; // as it stands in the HTML; none: not found
        QByteArray also = {};
    };
    const Case cases[] = {
        {"/n/I/IBM.html", "News for IBM"},
        {"/p/m/msft.html", "Profile for MSFT"},
        {"/e/l/I/IBM.html", "SEC filings for IBM"},
        {"/z/a/I/IBM.html", "Research for IBM"},
        {"/t/I/IBM.html", "Insider trading for IBM"},
        {"/n//.html", "News"},
        {"/n/S/S&&P%20500.html", "News for S&amp;&amp;P 500"},
        {"/n/%3C/%3Cscript%3E.html", "News for &lt;SCRIPT&gt;"},
        // the images chart pages show are the ones the chart test decodes
        {"/q?s=IBM&d=1b", "Chart for IBM (1 day)", "src=\"/t?s=IBM\""},
        {"/q?s=msft&d=5d", "Chart for MSFT (5 day)", "src=\"/v?s=MSFT\""},
        {"/q?s=%5EDJI&d=1y", "Chart for ^DJI (1 year)", "src=\"/c/0b/%5E/%5Edji.gif\""},
        {"/q?s=%3Cscript%3E&d=1b", "Chart for &lt;SCRIPT&gt; (1 day)"},
        {"/?action=q&board=IBM", "Message board for IBM"},
        {"/l?s=international+business", "Symbol lookup: international business", ">IBM</a>"},
        {"/l?s=%3Cscript%3E", "Symbol lookup: &lt;script&gt;"},
        {"/", "Quoterra quote service"},
        {"/nothing", {}},
        {"/n/IBM.html", {}},
        {"/T?s=IBM", {}},
        {"/currentversion.txt.bak", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const auto a = service.get(c.target);
        EXPECT_EQ(a.status, c.title.isEmpty() ? 404 : 200);
        EXPECT_FALSE(a.body.toLower().contains("<script")) << a.body.toStdString();
        if (!c.title.isEmpty()) {
            EXPECT_TRUE(a.body.contains("<title>" + c.title + "</title>")) << a.body.toStdString();
            EXPECT_TRUE(a.body.endsWith("</html>\n"));
        }
        EXPECT_TRUE(a.body.contains(c.also)) << a.body.toStdString();
    }
}

TEST(ServiceOptions, TheVersionTextIsExactlyAsGiven)
{
    EXPECT_EQ(ServiceProcess().get("/currentversion.txt").body, "4.00");
    EXPECT_EQ(ServiceProcess({"--version-file-text", "4.12 beta"}).get("/currentversion.txt").body, "4.12 beta");
}

TEST(ServiceOptions, AnswersWaitTheLatencyGiven)
{
    ServiceProcess service({"--latency-ms", "300"});
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(service.get("/currentversion.txt").status, 200);
    EXPECT_GE(timer.elapsed(), 300);
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
            const std::pair<QByteArray, QByteArray> asks[] = {{quoteTarget(symbol), "\"" + symbol + "\","},
                                                              {"/t?s=" + symbol, "GIF89a"},
                                                              {"/n/T/" + symbol + ".html", "News for " + symbol}};
            for (int i = 0; i < kRequests; ++i) {
                const auto& [target, shows] = asks[(t + i) % 3];
                const auto a = service.get(target);
                good += a.status == 200 && a.body.contains(shows);
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(good.load(), kThreads * kRequests);
    EXPECT_EQ(service.requests().size(), kThreads * kRequests);
}

TEST(ServiceFailures, FailRateOneFailsAllButPages)
{
    ServiceProcess service({"--fail-rate", "1"});
    for (const QByteArray target :
         {"/d/quotes.csv?s=IBM", "/t?s=IBM", "/v?s=ZZZ", "/c/0b/i/ibm.gif", "/currentversion.txt"}) {
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 503) << target.toStdString();
        EXPECT_TRUE(a.body.isEmpty()) << target.toStdString();
    }
    EXPECT_EQ(service.get("/n/I/IBM.html").status, 200);
}

TEST(ServiceFailures, FailNextFailsThatMany)
{
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
}

TEST(ServiceFailures, ResetStartsAfresh)
{
    ServiceProcess service;
    service.get("/currentversion.txt");
    service.failNext(3);
    service.reset();
    EXPECT_TRUE(service.requests().isEmpty());
    EXPECT_EQ(service.get("/d/quotes.csv?s=IBM").status, 200);
}

TEST(ServiceCommandLine, HelpNamesEveryOption)
{
    const Finished help = runService({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--port", "--bind", "--market", "--idle-exit", "--source-url", "--research-url",
                               "--upstream-timeout", "--check-sources", "--test-control", "--version"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
}

// the version the ticker's About box shows, from the one place it lives
TEST(ServiceCommandLine, VersionIsTheProgramsVersion)
{
    const Finished version = runService({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, u"quoterra-service %1.%2.%3\n"_s.arg(quoterra::kVersionMajor)
                               .arg(quoterra::kVersionMinor)
                               .arg(quoterra::kVersionRevision));
}

TEST(ServiceCommandLine, BadOptionsAreUsageErrors)
{
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
        // a name that does not resolve is not a usage error as such
        EXPECT_EQ(r.err.contains(QLatin1String("Usage: quoterra-service")), args.first() != "--bind")
            << r.err.toStdString();
    }
}

TEST(ServiceLife, EndsPromptlyOnSigterm)
{
    ServiceProcess service({"--idle-exit", "0"});
    RawClient idle(service.port()); // a keep-alive client that went quiet
    ASSERT_TRUE(idle.connected());
    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(service.processId()), SIGTERM);
    EXPECT_EQ(service.waitForExit(5000), 0);
    EXPECT_LT(timer.elapsed(), 1500);
}

TEST(ServiceLife, EndsAfterItsIdleTimeButNotWhileAsked)
{
    ServiceProcess idling({"--idle-exit", "2"});
    for (QDeadlineTimer asking(2500); !asking.hasExpired(); QThread::msleep(100))
        ASSERT_EQ(idling.get("/currentversion.txt").status, 200) << "ended while it was being asked";
    EXPECT_EQ(idling.waitForExit(15'000), 0);
}

TEST(ServiceLife, ATakenPortIsReportedByWhoHoldsIt)
{
    ServiceProcess ours;
    FakeSource foreign({.body = "a web server of some other kind"});
    ASSERT_TRUE(foreign.isListening());
    for (const auto& [port, exitCode, says] : {std::tuple{ours.port(), 3, "another quoterra-service already serves"},
                                               std::tuple{foreign.port(), 4, "in use by another program"}}) {
        const Finished second = runService({"--market", "simulated", "--port", QString::number(port)});
        EXPECT_EQ(second.exitCode, exitCode);
        EXPECT_TRUE(second.err.contains(QLatin1String(says))) << second.err.toStdString();
        EXPECT_TRUE(second.err.contains(QString::number(port))) << second.err.toStdString();
        EXPECT_EQ(second.err.count('\n'), 1) << second.err.toStdString();
    }
    EXPECT_EQ(ours.get("/currentversion.txt").status, 200);
}

// The one that serves ends by itself a second after the others have asked it.
TEST(ServiceLife, OfServicesStartedTogetherOnOnePortOneServes)
{
    const QString port = QString::number(freePort());
    std::vector<std::unique_ptr<QProcess>> services;
    for (int i = 0; i < 4; ++i) {
        services.push_back(std::make_unique<QProcess>());
        services.back()->start(kServiceProgram, {"--market", "simulated", "--idle-exit", "1", "--port", port});
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
