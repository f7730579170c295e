// The live market over loopback sources that answer in each public source's
// own format, asked through the service's own addresses.

#include "window_support.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <thread>

using namespace quoterra::test;
using Answer = FakeSource::Answer;

namespace {

// Friday 10 May 2024 on a New York exchange (UTC-4): the open, and 4:00pm.
constexpr std::int64_t kOpen = 1715347800;
constexpr std::int64_t kClose = 1715371200;

using Bars = std::vector<std::pair<std::int64_t, std::string>>; // time, close as JSON (a number or null)

Bars evenly(std::int64_t first, int step, const std::vector<std::string>& closes)
{
    Bars bars;
    for (std::size_t i = 0; i < closes.size(); ++i)
        bars.emplace_back(first + std::int64_t(i) * step, closes[i]);
    return bars;
}

// A chart-source answer: `meta` fields and bars; the first bar opens at `open`.
Answer chartJson(const std::string& meta, const Bars& bars, const std::string& open = {})
{
    std::string times, opens, closeList, volumes;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const std::string sep = i ? "," : "";
        const std::string& close = bars[i].second;
        times += sep + std::to_string(bars[i].first);
        opens += sep + (i == 0 && !open.empty() ? open : close);
        closeList += sep + close;
        volumes += sep + (close == "null" ? "null" : "1200");
    }
    return {200, "application/json",
            R"({"chart":{"result":[{"meta":{"currency":"USD","exchangeTimezoneName":"America/New_York",)" + meta
                + R"(},"timestamp":[)" + times + R"(],"indicators":{"quote":[{"open":[)" + opens + R"(],"high":[)"
                + closeList + R"(],"low":[)" + closeList + R"(],"close":[)" + closeList + R"(],"volume":[)" + volumes
                + R"(]}]}}],"error":null}})"};
}

// Meta of a New York session whose last trade was at `time`: price,
// previous close, day range and volume, then any `more`.
std::string day(std::int64_t time, const char* price, const char* previous, const char* high = nullptr,
                const char* low = nullptr, const char* volume = nullptr, const std::string& more = {})
{
    std::string fields = "\"regularMarketTime\":" + std::to_string(time) + ",\"regularMarketPrice\":" + price
        + ",\"previousClose\":" + previous;
    if (high)
        fields += std::string(",\"regularMarketDayHigh\":") + high + ",\"regularMarketDayLow\":" + low
            + ",\"regularMarketVolume\":" + volume;
    return fields + more + R"(,"gmtoffset":-14400,"timezone":"EDT","currentTradingPeriod":{"regular":{)"
        + R"("timezone":"EDT","start":)" + std::to_string(kOpen) + ",\"end\":" + std::to_string(kClose)
        + ",\"gmtoffset\":-14400}}";
}

QStringList liveArgs(const FakeSource* chart, const FakeSource* csv, const QStringList& more = {})
{
    return more + QStringList{"--market",           "live",
                              "--upstream-timeout", "1",
                              "--source-url",       "chart=" + (chart ? originOf(*chart) : "off"),
                              "--source-url",       "csv=" + (csv ? originOf(*csv) : "off")};
}

QJsonObject statusOf(const ServiceProcess& service)
{
    return QJsonDocument::fromJson(service.get("/_status").body).object();
}

QJsonObject sourceStatus(const ServiceProcess& service, int index)
{
    return statusOf(service)["sources"].toArray().at(index).toObject();
}

const char* const kIbmLine = R"("IBM",167.15,"5/10/2024","4:00pm",+0.88,167.50,168.22,166.71,2587393)";

Answer ibmAnswer()
{
    return chartJson(day(kClose + 2, "167.15", "166.27", "168.22", "166.71", "2587393",
                         R"(,"symbol":"IBM","chartPreviousClose":166.27)"),
                     evenly(kOpen, 3600, {"167.50", "null", "167.80", "168.22", "166.71", "null", "167.15"}), "167.5");
}

void serveChartQuotes(FakeSource& chart)
{
    chart.on("/v8/finance/chart/IBM?range=1d", {ibmAnswer()});
    // Before the open: the last session's price, no bars, no day range yet.
    chart.on("/v8/finance/chart/MSFT?",
             {{200, "application/json",
               R"({"chart":{"result":[{"meta":{"symbol":"MSFT","regularMarketTime":1715371200,)"
               R"("gmtoffset":-14400,"regularMarketPrice":415.5,"chartPreviousClose":416.75},)"
               R"("indicators":{"quote":[{}]}}],"error":null}})"}});
    chart.on("/v8/finance/chart/%5EGSPC?",
             {chartJson(day(kClose + 2, "5222.68", "5214.08", "5239.66", "5209.68", "3617520000"),
                        evenly(kOpen, 3600, {"5225.49", "5222.68"}))});
    chart.on(
        "/v8/finance/chart/%5ETYX?",
        {chartJson(day(kClose + 2, "4.651", "4.6", "4.672", "4.611", "0"), evenly(kOpen, 3600, {"4.62", "4.651"}))});
    chart.on("/v8/finance/chart/AAPL?",
             {chartJson(day(1715349900, "183.05", "182.4", "183.2", "182.9", "1500"),
                        evenly(kOpen, 300, {"182.95", "183.1", "183.05"}))});
    chart.on(
        "/v8/finance/chart/PENY?",
        {chartJson(day(kClose + 2, "0.5123", "0.5", "0.52", "0.5", "912000"), evenly(kOpen, 3600, {"0.5", "0.5123"}))});
    chart.on("/v8/finance/chart/XYZQ?",
             {{404, "application/json",
               R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})"}});
    chart.on("/v8/finance/chart/EMPTY?", {{200, "application/json", R"({"chart":{"result":[],"error":null}})"}});
}

// Each symbol's quote line, as the ticker would be sent it.
void expectLines(const ServiceProcess& service, const std::vector<std::pair<QByteArray, std::string>>& cases)
{
    for (const auto& [symbol, line] : cases) {
        SCOPED_TRACE(symbol.toStdString());
        const auto a = service.get(quoteTarget(symbol));
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.body.toStdString(), line + "\r\n");
    }
}

TEST(LiveQuotes, TheChartSourceGivesTheTickersLine)
{
    FakeSource chart;
    serveChartQuotes(chart);
    ServiceProcess service(liveArgs(&chart, nullptr));
    expectLines(service,
                {
                    {"IBM", kIbmLine},
                    {"MSFT", R"("MSFT",415.50,"5/10/2024","4:00pm",-1.25,N/A,N/A,N/A,N/A)"},
                    {"^SPC", R"("^SPC",5222.68,"5/10/2024","4:00pm",+8.60,5225.49,5239.66,5209.68,3617520000)"},
                    {"^TYX", R"("^TYX",46.51,"5/10/2024","4:00pm",+0.51,46.20,46.72,46.11,0)"},
                    {"aapl", R"("aapl",183.05,"5/10/2024","10:05am",+0.65,182.95,183.20,182.90,1500)"},
                    {"PENY", R"("PENY",0.5123,"5/10/2024","4:00pm",+0.0123,0.50,0.52,0.50,912000)"},
                    {"XYZQ", R"("XYZQ",0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)"},
                    {"EMPTY", R"("EMPTY",0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)"},
                    // not worth asking a source about
                    {"", R"("",0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)"},
                    {"A%22B%2CC", R"("ABC",0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)"},
                });
    EXPECT_EQ(chart.count("/v8/finance/chart/%5EGSPC?range=1d&interval=5m"), 1) << "^SPC is the S&P 500 there";
    EXPECT_EQ(chart.count(), 8) << "only plausible symbols go upstream, each once";
    for (const std::string& head : chart.requests())
        EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/5.0"), std::string::npos) << head;
}

TEST(LiveQuotes, TheCsvSourceStandsInWhenTheChartSourceFails)
{
    FakeSource chart({503, "text/html", "<html>busy</html>"}), csv;
    // A symbol's latest row, and its daily history.
    const auto serve = [&csv](const std::string& symbol, const std::string& latest, const std::string& history) {
        csv.on("/q/l/?s=" + symbol + '&',
               {{200, "text/csv", "Symbol,Date,Time,Open,High,Low,Close,Volume\r\n" + latest}});
        csv.on("/q/d/l/?s=" + symbol + '&', {{200, "text/csv", history}});
    };
    serve("ibm.us", "IBM.US,2024-05-10,22:00:02,167.5,168.22,166.71,167.15,2587393\r\n",
          "Date,Open,High,Low,Close,Volume\r\n2024-05-08,165,167,164,166.1,100\r\n"
          "2024-05-09,166,167,165,166.27,100\r\n2024-05-10,167.5,168.22,166.71,167.15,100\r\n");
    serve("30usy.b", "30USY.B,2024-05-10,22:59:00,4.62,4.672,4.611,4.651,\r\n",
          "Date,Open,High,Low,Close\r\n2024-05-09,4.5,4.62,4.5,4.6\r\n");
    // winter on both sides of the ocean
    serve("msft.us", "MSFT.US,2024-01-10,22:00:05,376.4,384.2,376.3,382.77,24001\r\n",
          "Date,Open,High,Low,Close,Volume\r\n2024-01-09,372,375.99,371.19,375.79,1\r\n");
    serve("xyzq.us", "XYZQ.US,N/D,N/D,N/D,N/D,N/D,N/D,N/D\r\n", "No data");
    ServiceProcess service(liveArgs(&chart, &csv));
    expectLines(service,
                {
                    {"IBM", kIbmLine},
                    {"^TYX", R"("^TYX",46.51,"5/10/2024","4:59pm",+0.51,46.20,46.72,46.11,N/A)"},
                    {"MSFT", R"("MSFT",382.77,"1/10/2024","4:00pm",+6.98,376.40,384.20,376.30,24001)"},
                    {"XYZQ", R"("XYZQ",0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)"},
                });
    EXPECT_EQ(chart.count(), 1) << "a failing source rests before it is asked again";
    EXPECT_EQ(sourceStatus(service, 0)["health"].toString(), "backing-off");
    EXPECT_EQ(sourceStatus(service, 1)["health"].toString(), "ok");
}

TEST(LiveQuotes, WithoutAWorkingSourceTheQuoteIsEmptyNeverMadeUp)
{
    const std::tuple<const char*, Answer, const char*> cases[] = {
        // what the source does, and the reason /_status gives
        {"an HTML error page", {200, "text/html", "<!DOCTYPE html><title>Oops</title>"}, "not JSON"},
        {"a server error", {500, "application/json", "{}"}, "HTTP status 500"},
        {"a hang", {.hang = true}, "in time"},
        {"a 50 MB body", {.flood = FakeSource::Flood::Body, .floodBytes = 50u << 20}, "larger than"},
        {"JSON without a price", chartJson("\"symbol\":\"IBM\"", evenly(kOpen, 60, {"1"})), "no price"},
    };
    for (const auto& [what, answer, reason] : cases) {
        SCOPED_TRACE(what);
        FakeSource chart(answer);
        ServiceProcess service(liveArgs(&chart, nullptr));
        const long memoryBefore = residentKiB(service.processId());
        const auto a = service.get(quoteTarget("IBM"));
        EXPECT_EQ(a.status, 503);
        EXPECT_TRUE(a.body.isEmpty()) << a.body.toStdString();
        const QJsonObject source = sourceStatus(service, 0);
        EXPECT_EQ(source["health"].toString(), "backing-off");
        EXPECT_TRUE(source["lastError"].toString().contains(QLatin1String(reason)))
            << source["lastError"].toString().toStdString();
        EXPECT_EQ(statusOf(service)["lastUpstreamError"], source["lastError"]);
        EXPECT_LT(residentKiB(service.processId()) - memoryBefore, 32 * 1024);
    }
}

// The source is asked as little as it may be: not while it rests after
// too many requests, as long as it says, and once for what the cache holds
// and for ten tickers asking at once.
TEST(LiveQuotes, TheSourceRestsWhenToldAndAnswersComeFromTheCache)
{
    FakeSource chart;
    serveChartQuotes(chart);
    chart.on("/v8/finance/chart/IBM?range=1d", {{429, "text/plain", "Too Many Requests"}, ibmAnswer()});
    chart.on("/v8/finance/chart/MSFT?", {{429, "text/plain", "Too Many Requests", {{"Retry-After", "30"}}}});
    Answer slow = chartJson(day(kClose + 2, "20.5", "20"), evenly(kOpen, 3600, {"20.1", "20.5"}));
    slow.delay = std::chrono::milliseconds(500);
    chart.on("/v8/finance/chart/SLOW?", {slow});
    ServiceProcess service(liveArgs(&chart, nullptr));
    int asked = 0;
    HttpAnswer a;
    for (QDeadlineTimer deadline(15'000); !deadline.hasExpired() && a.status != 200; QThread::msleep(50)) {
        a = service.get(quoteTarget("IBM"));
        ++asked;
        if (a.status != 200) {
            EXPECT_TRUE(a.body.isEmpty()) << a.body.toStdString();
        }
    }
    EXPECT_EQ(a.body.toStdString(), kIbmLine + std::string("\r\n"));
    EXPECT_GE(asked, 3);
    EXPECT_EQ(service.get(quoteTarget("IBM")).body, a.body);
    EXPECT_EQ(service.get("/t?s=IBM").status, 200);
    EXPECT_EQ(chart.count("/v8/finance/chart/IBM"), 2) << "asked while resting, or the cache and day's chart unused";

    std::vector<std::thread> clients;
    std::atomic<int> same{0};
    for (int i = 0; i < 10; ++i)
        clients.emplace_back([&] { same += service.get(quoteTarget("SLOW")).body.startsWith("\"SLOW\",20.50,"); });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(same.load(), 10);
    EXPECT_EQ(chart.count("/v8/finance/chart/SLOW"), 1);

    EXPECT_EQ(service.get(quoteTarget("MSFT")).status, 503);
    EXPECT_GT(sourceStatus(service, 0)["retryInSeconds"].toDouble(), 20);
}

// The part of a chart below its title, or between the title and the day
// names at the bottom.
QImage plotArea(const QByteArray& gif, bool withBottomLabels = true)
{
    const QImage image = gifImage(gif);
    return image.isNull() ? image : image.copy(0, 12, image.width(), withBottomLabels ? image.height() - 12 : 72);
}

TEST(LiveCharts, ChartsAreDrawnFromRealBars)
{
    FakeSource chart;
    serveChartQuotes(chart);
    const Bars withNulls =
        evenly(kOpen, 1800, {"10", "null", "10.4", "10.2", "null", "null", "10.9", "10.6", "null", "11.0"});
    Bars clean;
    for (const auto& bar : withNulls)
        if (bar.second != "null")
            clean.push_back(bar);
    const std::string meta = day(kClose + 2, "11", "10.5", nullptr, nullptr, nullptr, ",\"chartPreviousClose\":10.5");
    chart.on("/v8/finance/chart/NULLS?range=1d", {chartJson(meta, withNulls)});
    chart.on("/v8/finance/chart/CLEAN?range=1d", {chartJson(meta, clean)});

    // Five sessions around a weekend, and five in a row with the same prices.
    const std::int64_t thursday = kOpen - 86'400, monday = kOpen + 3 * 86'400, week = kOpen - 4 * 86'400;
    Bars aroundWeekend, inARow;
    const std::vector<std::string> prices = {"50", "51", "49", "52", "53", "50.5", "48", "49.5", "51.5", "52"};
    for (int i = 0; i < 10; ++i) {
        const std::int64_t session = i / 2, offset = (i % 2) * 3 * 3600;
        const std::int64_t date = session < 2 ? thursday + session * 86'400 : monday + (session - 2) * 86'400;
        aroundWeekend.emplace_back(date + offset, prices[std::size_t(i)]);
        inARow.emplace_back(week + session * 86'400 + offset, prices[std::size_t(i)]);
    }
    chart.on("/v8/finance/chart/GAPS?range=5d", {chartJson(meta, aroundWeekend)});
    chart.on("/v8/finance/chart/WEEK?range=5d", {chartJson(meta, inARow)});
    Bars year;
    for (int d = 0; d < 252; ++d)
        year.emplace_back(kOpen - std::int64_t(365 - d * 365 / 252) * 86'400, std::to_string(100 + d % 17));
    chart.on("/v8/finance/chart/IBM?range=1y", {chartJson(meta, year)});
    chart.on("/v8/finance/chart/DOWN?", {{500, "text/html", "<html>down</html>"}});

    ServiceProcess service(liveArgs(&chart, nullptr));
    for (const QByteArray target : {"/t?s=NULLS", "/t?s=CLEAN", "/v?s=GAPS", "/v?s=WEEK", "/c/0b/i/ibm.gif"}) {
        SCOPED_TRACE(target.toStdString());
        const auto a = service.get(target);
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(gifImage(a.body).size(), QSize(192, 96));
        EXPECT_NE(a.body.size(), 150);
    }
    EXPECT_EQ(plotArea(service.get("/t?s=NULLS").body), plotArea(service.get("/t?s=CLEAN").body))
        << "a missing bar is left out, not drawn";
    EXPECT_EQ(plotArea(service.get("/v?s=GAPS").body, false), plotArea(service.get("/v?s=WEEK").body, false))
        << "a weekend takes no room";
    EXPECT_EQ(service.get("/v?s=XYZQ").body.size(), 150) << "an unknown symbol has no chart";
    const auto down = service.get("/c/0b/d/down.gif");
    EXPECT_EQ(down.status, 503) << "no source, no chart";
    EXPECT_TRUE(down.body.isEmpty());
}

TEST(LiveResearch, ResearchLinksLeadToTheFinanceSite)
{
    FakeSource chart;
    ServiceProcess service(liveArgs(&chart, nullptr, {"--research-url", "https://finance.example:8443/"}));
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
        EXPECT_TRUE(a.hasHeader("Location: https://finance.example:8443/" + location)) << a.head;
    }
    EXPECT_EQ(service.get("/currentversion.txt").body, "4.00");
    const QJsonObject status = statusOf(service);
    EXPECT_EQ(status["upstreamRequests"].toInt(), 0) << "research links need no source";
    EXPECT_EQ(status["sources"].toArray().at(0).toObject()["health"].toString(), "untried");
    EXPECT_EQ(chart.count(), 0);
}

TEST(LiveMarketLog, WhyThereIsNoQuoteIsLoggedOnceAMinute)
{
    FakeSource chart({502, "text/html", "<html>bad gateway</html>"});
    QProcess service;
    service.start(kServiceProgram, liveArgs(&chart, nullptr, {"--port", "0", "--idle-exit", "1"}));
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
