// The live market over loopback sources that answer in each public source's
// own format, asked through the service's own addresses.

#include "live_fixture.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <atomic>
#include <thread>

using namespace quoterra::test;
using namespace quoterra::test::live;
using namespace std::string_literals;

namespace {

const Answer kNoData{404, "application/json",
                     R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})"};

// Quotes the chart source has, and answers a source really gives, or could,
// that carry no usable number or date for one field or for the whole symbol.
std::unique_ptr<FakeSource> chartSource()
{
    auto chart = std::make_unique<FakeSource>();
    chart->on("/v8/finance/chart/IBM?range=1d", {ibmAnswer()});
    // Before the open: the last session's price, no bars, no day range yet.
    chart->on("/v8/finance/chart/MSFT?", {recordedJson("chart-json/msft-before-open.json")});
    const auto session = [&](const char* symbol, const std::string& meta, const Bars& bars) {
        chart->on("/v8/finance/chart/"s + symbol + '?', {chartJson(meta, bars)});
    };
    session("%5EGSPC", day(kAfterClose, "5222.68", "5214.08", range("5239.66", "5209.68", "3617520000")),
            evenly(kOpen, 3600, {"5225.49", "5222.68"}));
    session("%5ETYX", day(kAfterClose, "4.651", "4.6", range("4.672", "4.611", "0")),
            evenly(kOpen, 3600, {"4.62", "4.651"}));
    session("AAPL", day("1715349900", "183.05", "182.4", range("183.2", "182.9", "1500")),
            evenly(kOpen, 300, {"182.95", "183.1", "183.05"}));
    session("PENY", day(kAfterClose, "0.5123", "0.5", range("0.52", "0.5", "912000")),
            evenly(kOpen, 3600, {"0.5", "0.5123"}));
    const Bars bars = evenly(kOpen, 3600, {"12.2", "12.5"});
    session("HUGE", day(kAfterClose, "1e308", "100", range("1e308", "1", "5")), bars);
    session("HIGH", day(kAfterClose, "12.5", "12", range("1e308", "12.1", "-5")), bars);
    for (const auto& [symbol, time] : {std::pair{"T0", "0"}, {"TM1", "-1"}, {"T63", "9223372036854775808"}})
        session(symbol, day(time, "20.5", "20"), bars);
    chart->on("/v8/finance/chart/XYZQ?", {kNoData});
    chart->on("/v8/finance/chart/EMPTY?", {{200, "application/json", R"({"chart":{"result":[],"error":null}})"}});
    chart->on("/v8/finance/chart/DELISTED?", {recordedJson("chart-json/delisted.json")});
    chart->on("/v8/finance/chart/GONE?", {{404, "application/json", R"({"chart":null})"}});
    chart->on("/v8/finance/chart/DOWN", {{500, "text/html", "<html>down</html>"}}); // DOWN2 too
    return chart;
}

// No line carries a number or date the source did not send.
const LineRow kChartLines[] = {
    {"a whole quote", "IBM", kIbmLine},
    {"no bars and no day range before the open", "MSFT", R"("MSFT",415.50,"5/10/2024","4:00pm",-1.25,N/A,N/A,N/A,N/A)"},
    {"the S&P 500 asked as GSPC", "^SPC",
     R"("^SPC",5222.68,"5/10/2024","4:00pm",+8.60,5225.49,5239.66,5209.68,3617520000)"},
    {"the bond index as ten times the yield", "^TYX", R"("^TYX",46.51,"5/10/2024","4:00pm",+0.51,46.20,46.72,46.11,0)"},
    {"a symbol in lower case echoed as asked", "aapl",
     R"("aapl",183.05,"5/10/2024","10:05am",+0.65,182.95,183.20,182.90,1500)"},
    {"four places below one", "PENY", R"("PENY",0.5123,"5/10/2024","4:00pm",+0.0123,0.50,0.52,0.50,912000)"},
    {"a symbol the source does not know", "XYZQ", R"("XYZQ",)" + kUnknownFields},
    {"an empty result", "EMPTY", R"("EMPTY",)" + kUnknownFields},
    {"a price past a hundred billion", "HUGE", R"("HUGE",)" + kUnknownFields},
    {"a high past a hundred billion and a negative volume", "HIGH",
     R"("HIGH",12.50,"5/10/2024","4:00pm",+0.50,12.20,N/A,12.10,N/A)"},
    {"a trade time of 0", "T0", R"("T0",20.50,"N/A","N/A",+0.50,N/A,N/A,N/A,N/A)"},
    {"a trade time of -1", "TM1", R"("TM1",20.50,"N/A","N/A",+0.50,N/A,N/A,N/A,N/A)"},
    {"a trade time of 2 to the 63rd", "T63", R"("T63",20.50,"N/A","N/A",+0.50,N/A,N/A,N/A,N/A)"},
    {"a result without a price", "DELISTED", R"("DELISTED",)" + kUnknownFields},
    {"no chart at all with 404", "GONE", R"("GONE",)" + kUnknownFields},
    {"an empty symbol", "", R"("",)" + kUnknownFields},
    {"quotes and commas in a symbol", "A%22B%2CC", R"("ABC",)" + kUnknownFields},
    {"two dots", "..", R"("..",)" + kUnknownFields},
    {"one dot", ".", R"(".",)" + kUnknownFields},
};
class ChartLines : public LineRows {
protected:
    static void SetUpTestSuite() { start(chartSource()); }
};
TEST_P(ChartLines, CarryOnlyWhatTheSourceSent)
{
    expectLine();
}
INSTANTIATE_TEST_SUITE_P(ChartJson, ChartLines, ::testing::ValuesIn(kChartLines), rowName<LineRow>);

// A service on the chart source, the quote source standing by.
class ChartSourceQuotes : public ::testing::Test {
protected:
    std::unique_ptr<FakeSource> chart = chartSource();
    FakeSource quote;
    ServiceProcess service{liveArgs({.chart = chart.get(), .quote = &quote})};
};

TEST_F(ChartSourceQuotes, ASymbolsAnswerWithoutAPriceTouchesNoOtherSource)
{
    for (const QByteArray symbol : {"HUGE", "DELISTED", "GONE", "T63"})
        EXPECT_EQ(service.get(quoteTarget(symbol)).status, 200) << symbol.toStdString();
    EXPECT_EQ(service.get(quoteTarget("IBM")).body.toStdString(), kIbmLine + "\r\n"s);
    EXPECT_EQ(sourceStatus(service, 0)["health"].toString(), "ok");
    EXPECT_EQ(quote.count(), 0) << "the next source was asked";
}

TEST_F(ChartSourceQuotes, OnlyWhatCanBeASymbolIsAskedOfTheSourceOnceEach)
{
    for (const QByteArray symbol : {"", "A%22B%2CC", "..", ".", "IBM", "ibm", "^SPC"})
        service.get(quoteTarget(symbol));
    EXPECT_EQ(chart->count(), 2);
    EXPECT_EQ(chart->count("/v8/finance/chart/%5EGSPC?range=1d&interval=5m"), 1);
}

TEST_F(ChartSourceQuotes, TheSourceIsAskedAsABrowser)
{
    service.get(quoteTarget("IBM"));
    ASSERT_EQ(chart->requests().size(), 1u);
    EXPECT_NE(chart->requests().front().find("\r\nUser-Agent: Mozilla/5.0"), std::string::npos);
}

// The live market never makes a line up: a symbol whose source failed gets
// an empty line in its place, and when every one failed the answer is empty.
TEST_F(ChartSourceQuotes, OfSeveralSymbolsOneWhoseSourceFailedLeavesAnEmptyLine)
{
    const QByteArray ibm = service.get(quoteTarget("IBM")).body, msft = service.get(quoteTarget("MSFT")).body,
                     xyzq = service.get(quoteTarget("XYZQ")).body;
    const HttpAnswer some = service.get(quoteTarget("IBM+XYZQ+DOWN+MSFT+IBM"));
    EXPECT_EQ(some.status, 200);
    EXPECT_EQ(some.body, ibm + xyzq + "\r\n" + msft + ibm);
    EXPECT_EQ(chart->count("/v8/finance/chart/IBM"), 1) << "asked upstream again for what the cache held";
    const HttpAnswer none = service.get(quoteTarget("DOWN+DOWN2"));
    EXPECT_EQ(none.status, 503);
    EXPECT_TRUE(none.body.isEmpty()) << none.body.toStdString();
}

// A quote is the source's for 15 s, then asked again: real seconds, as no
// switch a user has shortens them.
TEST(LiveQuoteCache, AQuoteIsAskedAgainOnlyOnceItsFifteenSecondsAreOver)
{
    FakeSource chart;
    chart.on("/v8/finance/chart/IBM?", {ibmAnswer(), quietDay()});
    ServiceProcess service(liveArgs({&chart}));
    const QByteArray first = service.get(quoteTarget("IBM")).body;
    QElapsedTimer age;
    age.start();
    ASSERT_EQ(first.toStdString(), kIbmLine + "\r\n"s);
    qint64 renewedAt = -1;
    while (renewedAt < 0 && age.elapsed() < 20'000) {
        QThread::msleep(250);
        if (service.get(quoteTarget("IBM")).body != first)
            renewedAt = age.elapsed();
    }
    ASSERT_GT(renewedAt, 0) << "still the first answer after 20 s";
    EXPECT_GE(renewedAt, 14'000) << "asked again within the quote's lifetime";
    EXPECT_EQ(chart.count("/v8/finance/chart/IBM"), 2);
}

// What a source does, and the reason /_status gives.
struct FailureRow {
    const char* what;
    Answer answer;
    const char* reason;
};
const FailureRow kFailureRows[] = {
    {"a browser check", {200, "text/html", "<!DOCTYPE html><title>Just a moment</title>"}, "an HTML page"},
    {"cut-off JSON", {200, "application/json", R"({"chart":{"result":[)"}, "not JSON"},
    {"a server error", {500, "application/json", "{}"}, "HTTP status 500"},
    {"a refusal", {403, "application/json", "{}"}, "access refused"},
    {"a hang", {.hang = true}, "in time"},
    {"a body a byte past 4 MiB", {.flood = FakeSource::Flood::Body, .floodBytes = (4u << 20) + 1}, "larger than"},
};
class FailingSourceRows : public ::testing::TestWithParam<FailureRow> {
protected:
    FakeSource chart{GetParam().answer};
    ServiceProcess service{liveArgs({&chart})};
    HttpAnswer quote = service.get(quoteTarget("IBM"));
};
TEST_P(FailingSourceRows, LeaveTheQuoteEmptyNeverMadeUp)
{
    EXPECT_EQ(quote.status, 503);
    EXPECT_EQ(quote.body, QByteArray());
}
TEST_P(FailingSourceRows, AreReportedInTheStatus)
{
    const QJsonObject source = sourceStatus(service, 0);
    EXPECT_EQ(source["health"].toString(), "backing-off");
    EXPECT_TRUE(source["lastError"].toString().contains(QLatin1String(GetParam().reason)))
        << source["lastError"].toString().toStdString();
    EXPECT_EQ(statusOf(service)["lastUpstreamError"], source["lastError"]);
}
INSTANTIATE_TEST_SUITE_P(Answers, FailingSourceRows, ::testing::ValuesIn(kFailureRows), rowName<FailureRow>);

// Not asked while it rests after too many requests; the answers meanwhile
// are empty, and the one it then gives serves the quote and the day's chart.
TEST(LiveQuotes, TheSourceIsNotAskedWhileItRests)
{
    FakeSource chart;
    chart.on("/v8/finance/chart/IBM?range=1d", {{429, "text/plain", "Too Many Requests"}, ibmAnswer()});
    ServiceProcess service(liveArgs({&chart}));
    int asked = 0;
    HttpAnswer a;
    for (QDeadlineTimer deadline(15'000); !deadline.hasExpired() && a.status != 200; QThread::msleep(50)) {
        a = service.get(quoteTarget("IBM"));
        ++asked;
        EXPECT_TRUE(a.status == 200 || a.body.isEmpty()) << a.body.toStdString();
    }
    EXPECT_EQ(a.body.toStdString(), kIbmLine + "\r\n"s);
    EXPECT_GE(asked, 3);
    EXPECT_EQ(service.get(quoteTarget("IBM")).body, a.body);
    EXPECT_EQ(service.get("/t?s=IBM").status, 200);
    EXPECT_EQ(chart.count("/v8/finance/chart/IBM"), 2) << "asked while resting, or the cache and day's chart unused";
}

TEST(LiveQuotes, TenTickersAskingAtOnceAskTheSourceOnce)
{
    Answer slow = quietDay();
    slow.delay = std::chrono::milliseconds(500);
    FakeSource chart(slow);
    ServiceProcess service(liveArgs({&chart}));
    std::vector<std::thread> clients;
    std::atomic<int> same{0};
    for (int i = 0; i < 10; ++i)
        clients.emplace_back([&] { same += service.get(quoteTarget("SLOW")).body.startsWith("\"SLOW\",20.50,"); });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(same.load(), 10);
    EXPECT_EQ(chart.count("/v8/finance/chart/SLOW"), 1);
}

// A Retry-After, in seconds or as an HTTP date (this many seconds from
// now), and the rest it brings, honoured up to an hour.
struct RetryRow {
    const char* what;
    const char* seconds; // when not a date
    int dateAhead;
    int least, most;
};
const RetryRow kRetryRows[] = {
    {"thirty seconds", "30", 0, 20, 30},
    {"a date ten minutes ahead", nullptr, 600, 500, 600},
    {"a date gone by", nullptr, -600, 0, 1}, // the usual rest
    {"more than an hour", "999999", 0, 3500, 3600},
};
class RetryAfterRows : public ::testing::TestWithParam<RetryRow> { };
TEST_P(RetryAfterRows, RestTheSourceThatLong)
{
    const RetryRow& r = GetParam();
    const std::string value = r.seconds ? r.seconds
                                        : QDateTime::currentDateTimeUtc()
                                              .addSecs(r.dateAhead)
                                              .toString(u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s)
                                              .toStdString();
    FakeSource chart({429, "text/plain", "Too Many Requests", {{"Retry-After", value}}});
    ServiceProcess service(liveArgs({&chart}));
    EXPECT_EQ(service.get(quoteTarget("MSFT")).status, 503);
    const int wait = sourceStatus(service, 0)["retryInSeconds"].toInt();
    EXPECT_GE(wait, r.least);
    EXPECT_LE(wait, r.most);
}
INSTANTIATE_TEST_SUITE_P(Waits, RetryAfterRows, ::testing::ValuesIn(kRetryRows), rowName<RetryRow>);

// Eight symbols asked at once, each answered only once all eight are being
// asked for: a service with fewer requests under way waits in vain.
TEST(LiveQuotes, OneSlowSymbolHoldsUpNoOther)
{
    constexpr int kSymbols = 8;
    Answer held = quietDay();
    held.holdUntil = kSymbols;
    FakeSource chart(held);
    ServiceProcess service(liveArgs({&chart}));
    std::vector<std::thread> clients;
    std::atomic<int> answered{0};
    for (int i = 0; i < kSymbols; ++i)
        clients.emplace_back([&, i] {
            const QByteArray symbol = "S" + QByteArray::number(i);
            answered += service.get(quoteTarget(symbol)).body.startsWith('"' + symbol + "\",20.50,");
        });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(answered.load(), kSymbols);
}

// A missing bar is left out, not drawn; a weekend takes no room.
TEST(LiveCharts, ChartsAreDrawnFromTheBarsThereAre)
{
    FakeSource chart;
    const std::string meta = day(kAfterClose, "11", "10.5", ",\"chartPreviousClose\":10.5");
    const auto serve = [&](const char* target, const Bars& bars) { chart.on(target, {chartJson(meta, bars)}); };
    serve("/v8/finance/chart/NULLS?range=1d",
          evenly(kOpen, 1800, {"10", "null", "10.4", "10.2", "null", "null", "10.9", "10.6", "null", "11.0"}));
    serve("/v8/finance/chart/CLEAN?range=1d",
          {{kOpen, "10"}, {kOpen + 3600, "10.4"}, {kOpen + 5400, "10.2"}, {kOpen + 10800, "10.9"},
           {kOpen + 12600, "10.6"}, {kOpen + 16200, "11.0"}});
    // Five sessions around a weekend, and five in a row with the same prices.
    const std::int64_t thursday = kOpen - 86'400, monday = kOpen + 3 * 86'400, week = kOpen - 4 * 86'400;
    Bars aroundWeekend, inARow;
    const char* const prices[] = {"50", "51", "49", "52", "53", "50.5", "48", "49.5", "51.5", "52"};
    for (int i = 0; i < 10; ++i) {
        const std::int64_t session = i / 2, offset = (i % 2) * 3 * 3600;
        aroundWeekend.emplace_back((session < 2 ? thursday : monday - 2 * 86'400) + session * 86'400 + offset,
                                   prices[i]);
        inARow.emplace_back(week + session * 86'400 + offset, prices[i]);
    }
    serve("/v8/finance/chart/GAPS?range=5d", aroundWeekend);
    serve("/v8/finance/chart/WEEK?range=5d", inARow);
    serve("/v8/finance/chart/IBM?range=1y", aYear());
    chart.on("/v8/finance/chart/XYZQ?", {kNoData});
    chart.on("/v8/finance/chart/DOWN?", {{500, "text/html", "<html>down</html>"}});

    ServiceProcess service(liveArgs({&chart}));
    for (const QByteArray target : {"/t?s=NULLS", "/t?s=CLEAN", "/v?s=GAPS", "/v?s=WEEK", "/c/0b/i/ibm.gif"}) {
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 200) << target.toStdString();
        EXPECT_EQ(gifImage(a.body).size(), QSize(192, 96)) << target.toStdString();
        EXPECT_NE(a.body.size(), 150) << target.toStdString();
    }
    EXPECT_EQ(plotArea(service.get("/t?s=NULLS").body), plotArea(service.get("/t?s=CLEAN").body));
    EXPECT_EQ(plotArea(service.get("/v?s=GAPS").body, false), plotArea(service.get("/v?s=WEEK").body, false));
    EXPECT_EQ(service.get("/v?s=XYZQ").body.size(), 150) << "an unknown symbol has no chart";
    const auto down = service.get("/c/0b/d/down.gif");
    EXPECT_EQ(down.status, 503) << "no source, no chart";
    EXPECT_TRUE(down.body.isEmpty());
}

TEST(LiveResearch, ResearchLinksLeadToTheFinanceSiteWithoutAskingASource)
{
    FakeSource chart;
    ServiceProcess service(liveArgs({&chart}, {"--research-url", "https://finance.example:8443/"}));
    const std::pair<QByteArray, std::string> cases[] = {
        {"/n/I/IBM.html", "quote/IBM/news"},
        {"/p/m/msft.html", "quote/MSFT/profile"},
        {"/e/l/I/IBM.html", "quote/IBM/sec-filings"},
        {"/z/a/I/IBM.html", "quote/IBM/analysis"},
        {"/t/I/IBM.html", "quote/IBM/insider-transactions"},
        {"/?action=q&board=IBM", "quote/IBM/community"},
        {"/q?s=^SPC&d=1b", "chart/%5EGSPC"},
        {"/l?s=international+business", "lookup?s=international%20business"},
        {"/n//.html", ""},
    };
    for (const auto& [target, location] : cases) {
        const HttpAnswer a = service.get(target);
        EXPECT_EQ(a.status, 302) << target.toStdString();
        EXPECT_EQ(a.header("Location"), "https://finance.example:8443/" + location) << a.head;
    }
    EXPECT_EQ(service.get("/currentversion.txt").body, "4.00");
    EXPECT_EQ(statusOf(service)["upstreamRequests"].toInt(), 0);
    EXPECT_EQ(sourceStatus(service, 0)["health"].toString(), "untried");
    EXPECT_EQ(chart.count(), 0);
}

TEST(LiveMarketLog, WhyThereIsNoQuoteIsLoggedOnceAMinute)
{
    FakeSource chart({502, "text/html", "<html>bad gateway</html>"});
    QProcess service;
    service.start(kServiceProgram, liveArgs({&chart}, {"--port", "0", "--idle-exit", "1"}));
    ASSERT_TRUE(service.waitForReadyRead(10'000));
    const quint16 port = QString::fromLatin1(service.readLine()).section(':', -1).trimmed().toUShort();
    for (const char* symbol : {"IBM", "MSFT", "AAPL", "IBM", "ORCL"})
        EXPECT_EQ(rawExchange(port, ("GET " + quoteTarget(symbol) + " HTTP/1.1\r\n\r\n").toStdString()).status, 503);
    ASSERT_TRUE(service.waitForFinished(15'000)); // idle for a second
    const QString log = QString::fromUtf8(service.readAllStandardError());
    EXPECT_EQ(log.count(QLatin1String("live market:")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("HTTP status 502"))) << log.toStdString();
}

} // namespace
