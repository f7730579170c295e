// The live market's other sources over loopback stand-ins in their public
// shapes: the keyless quote-JSON source, the keyed CSV source, the key file
// and --check-sources.

#include "live_fixture.h"

#include <QDateTime>
#include <QRegularExpression>

#include <optional>
#include <thread>

using namespace quoterra::test;
using namespace quoterra::test::live;
using namespace std::string_literals;

namespace {

// The quote-JSON source in its own shape, for each kind of answer it gives:
// recorded answers, a symbol it does not know the default.
std::unique_ptr<FakeSource> quoteSource()
{
    auto quote = std::make_unique<FakeSource>(recordedJson("quote-json/not-found.json"));
    const std::pair<const char*, const char*> answers[] = {
        {"/api/quote/IBM/info?assetclass=stocks", "ibm-info"},
        {"/api/quote/IBMX/info?assetclass=stocks", "ibm-info"}, // a near miss answered with another symbol's data
        {"/api/quote/AAPL/info?", "aapl-info"}, // before the open: the early trade, then the last close
        {"/api/quote/SPY/info?assetclass=etf", "spy-info"},
        {"/api/quote/COMP/info?assetclass=index", "comp-info"},
        {"/api/quote/BADNUM/info?", "badnum-info"},
        {"/api/quote/IBM/chart?assetclass=stocks", "ibm-chart"},
        {"/api/quote/IBM/historical?assetclass=stocks&fromdate=", "ibm-historical"},
    };
    for (const auto& [prefix, file] : answers)
        quote->on(prefix, {recordedJson("quote-json/"s + file + ".json")});
    return quote;
}

// The day's bars, as the quote-JSON source's recorded chart has them.
const Bars kSession = evenly(kOpen, 3600, {"167.50", "167.80", "168.22", "166.71", "167.15"});

const LineRow kQuoteJsonLines[] = {
    {"a whole quote without an open", "IBM", R"("IBM",167.15,"5/10/2024","4:00pm",+0.88,N/A,168.22,166.71,2587393)"},
    {"the last session's close before the open", "AAPL", R"("AAPL",183.05,"5/10/2024","4:00pm",+0.65,N/A,N/A,N/A,N/A)"},
    {"a fund with no change and fractional shares", "SPY",
     R"("SPY",520.84,"5/10/2024","4:00pm",0.00,N/A,521.10,519.02,52488700)"},
    {"the composite with a date and no time", "^IXIC",
     R"("^IXIC",16340.87,"5/10/2024","N/A",-5.40,N/A,16445.91,16309.40,N/A)"},
    {"another symbol's data", "IBMX", R"("IBMX",)" + kUnknownFields},
    {"a price that is no number", "BADNUM", R"("BADNUM",)" + kUnknownFields},
    {"a symbol it does not know", "XYZQ", R"("XYZQ",)" + kUnknownFields},
};
class QuoteJsonLines : public LineRows {
protected:
    static void SetUpTestSuite()
    {
        start(std::make_unique<FakeSource>(Answer{429, "text/plain", "Too Many Requests"}), quoteSource());
    }
};
TEST_P(QuoteJsonLines, StandInForTheChartSource)
{
    expectLine();
}
INSTANTIATE_TEST_SUITE_P(QuoteJson, QuoteJsonLines, ::testing::ValuesIn(kQuoteJsonLines), rowName<LineRow>);

// Indices it does not have are for the next source; here there is none.
TEST(QuoteJsonSource, IndicesItLacksAreLeftToTheNextSource)
{
    const auto quote = quoteSource();
    ServiceProcess service(liveArgs({.quote = quote.get()}));
    EXPECT_EQ(service.get(quoteTarget("^DJI")).status, 503);
    EXPECT_EQ(service.get(quoteTarget("^TYX")).status, 503);
    EXPECT_EQ(quote->count("/api/quote/INDU/info?assetclass=index"), 1);
    EXPECT_EQ(quote->count("/api/quote/%5E"), 0) << "asked for a symbol it cannot have";
    EXPECT_EQ(sourceStatus(service, 0)["failures"].toInt(), 0) << "a symbol it lacks is no failure of its own";
}

// Its charts match the chart source's from the same bars: its times are New
// York's, and its history comes newest first.
TEST(QuoteJsonSource, ItsChartsMatchTheChartSourcesFromTheSameBars)
{
    const auto quote = quoteSource(); // its recorded chart and history hold these bars
    FakeSource chart;
    chart.on("/v8/finance/chart/IBM?range=1d",
             {chartJson(day(std::to_string(kClose), "167.15", "166.27", R"(,"chartPreviousClose":166.27)"),
                        kSession)});
    chart.on("/v8/finance/chart/IBM?range=1y", {chartJson(day(std::to_string(kClose), "1", "1"), aYear())});
    ServiceProcess fromQuote(liveArgs({.quote = quote.get()})), fromChart(liveArgs({&chart}));
    for (const QByteArray target : {"/t?s=IBM", "/c/0b/i/ibm.gif"}) {
        SCOPED_TRACE(target.toStdString());
        const QImage drawn = plotArea(fromQuote.get(target).body);
        EXPECT_FALSE(drawn.isNull());
        EXPECT_EQ(drawn, plotArea(fromChart.get(target).body));
    }
}

// The CSV source's answers: a latest row and a daily history per symbol.
void serveCsv(FakeSource& csv, const std::string& symbol, const std::string& latest, const std::string& daily)
{
    csv.on("/q/l/?s=" + symbol + '&', {{200, "text/csv", "Symbol,Date,Time,Open,High,Low,Close,Volume\r\n" + latest}});
    csv.on("/q/d/l/?s=" + symbol + '&', {{200, "text/csv", daily}});
}

std::unique_ptr<FakeSource> csvSource()
{
    auto csv = std::make_unique<FakeSource>();
    serveCsv(*csv, "ibm.us", "IBM.US,2024-05-10,22:00:02,167.5,168.22,166.71,167.15,2587393\r\n",
             "Date,Open,High,Low,Close,Volume\r\n2024-05-08,165,167,164,166.1,100\r\n"
             "2024-05-09,166,167,165,166.27,100\r\n2024-05-10,167.5,168.22,166.71,167.15,100\r\n");
    serveCsv(*csv, "30usy.b", "30USY.B,2024-05-10,22:59:00,4.62,4.672,4.611,4.651,\r\n",
             "Date,Open,High,Low,Close\r\n2024-05-09,4.5,4.62,4.5,4.6\r\n");
    serveCsv(*csv, "msft.us", "MSFT.US,2024-01-10,22:00:05,376.4,384.2,376.3,382.77,24001\r\n",
             "Date,Open,High,Low,Close,Volume\r\n2024-01-09,372,375.99,371.19,375.79,1\r\n");
    serveCsv(*csv, "xyzq.us", "XYZQ.US,N/D,N/D,N/D,N/D,N/D,N/D,N/D\r\n", "No data");
    // A quoted comma in one cell, a doubled quote in another, and in the
    // history a row that does not fit its header.
    serveCsv(*csv, "qc.us", "\"QC.US\",2024-05-10,22:00:02,\"1,85.5\",168.22,166.71,167.15,\"25\"\"87\"\r\n",
             "Date,Open,High,Low,Close,Volume\r\n2024-05-08,165,167,164,166.1,100\r\n"
             "2024-05-09,166,167,165,150,100,7\r\n2024-05-09,166,\"1,67\",165,166.27,100\r\n");
    return csv;
}

const LineRow kCsvLines[] = {
    {"a whole quote", "IBM", kIbmLine},
    {"the bond index from the yield", "^TYX", R"("^TYX",46.51,"5/10/2024","4:59pm",+0.51,46.20,46.72,46.11,N/A)"},
    {"winter on both sides of the ocean", "MSFT",
     R"("MSFT",382.77,"1/10/2024","4:00pm",+6.98,376.40,384.20,376.30,24001)"},
    {"a symbol it does not know", "XYZQ", R"("XYZQ",)" + kUnknownFields},
    {"quoted cells read as CSV", "QC", R"("QC",167.15,"5/10/2024","4:00pm",+0.88,N/A,168.22,166.71,N/A)"},
};
class CsvLines : public LineRows {
protected:
    static void SetUpTestSuite()
    {
        const KeyFile keys("[csv]\nkey = k&1\n"); // read as the service starts
        start(std::make_unique<FakeSource>(Answer{503, "text/html", "<html>busy</html>"}), {}, csvSource());
    }
};
TEST_P(CsvLines, StandInWithItsKey)
{
    expectLine();
}
TEST_P(CsvLines, AreAskedWithTheKeyEscaped)
{
    expectLine();
    for (const std::string& head : sources[2]->requests())
        EXPECT_NE(head.find("&apikey=k%261 HTTP/1.1"), std::string::npos) << head;
}
INSTANTIATE_TEST_SUITE_P(Csv, CsvLines, ::testing::ValuesIn(kCsvLines), rowName<LineRow>);

TEST(CsvSource, ARowThatDoesNotFitItsHeaderIsNoQuote)
{
    const KeyFile keys("[csv]\nkey=k\n");
    FakeSource shifted;
    serveCsv(shifted, "ibm.us", "IBM.US,2024-05-10,22:00:02,167.5,168.22,166.71,167.15\r\n", "No data");
    ServiceProcess service(liveArgs({.csv = &shifted}));
    EXPECT_EQ(service.get(quoteTarget("IBM")).status, 503);
    EXPECT_TRUE(sourceStatus(service, 0)["lastError"].toString().contains(u"not the expected table"_s));
}

// A key is used only from the user's own file that no one else can read or
// change; without one the source is never asked, and /_status says why.
struct KeyRow {
    const char* what;
    QByteArray text; // a folder when empty
    mode_t mode;
    const char *health, *why;
};
const KeyRow kKeyRows[] = {
    {"a private file", "# keys\n[chart]\nkey=x\n[CSV]\n  key = s3cret \n", 0600, "ok", ""},
    {"a group-readable file", "[csv]\nkey=s3cret\n", 0640, "no key", "chmod 600"},
    {"a world-readable file", "[csv]\nkey=s3cret\n", 0604, "no key", "(mode 0604)"},
    {"a group-writable file", "[csv]\nkey=s3cret\n", 0620, "no key", "read or changed by others"},
    {"a folder", "", 0700, "no key", "not a regular file"},
    {"a file without the key", "[csv]\nkey=\n", 0600, "no key", "under [csv]"},
};
class KeyFileRows : public ::testing::TestWithParam<KeyRow> {
protected:
    void SetUp() override
    {
        if (GetParam().text.isEmpty())
            QDir().mkpath(KeyFile::path());
        else
            file.emplace(GetParam().text, GetParam().mode);
        serveCsv(csv, "ibm.us", "IBM.US,2024-05-10,22:00:02,167.5,168.22,166.71,167.15,2587393\r\n", "No data");
        service = std::make_unique<ServiceProcess>(liveArgs({.csv = &csv}));
        quote = service->get(quoteTarget("IBM"));
    }
    void TearDown() override { QDir().rmdir(KeyFile::path()); }
    bool used() const { return QLatin1String(GetParam().health) == "ok"_L1; }

    std::optional<KeyFile> file;
    FakeSource csv;
    std::unique_ptr<ServiceProcess> service;
    HttpAnswer quote;
};
TEST_P(KeyFileRows, DecideWhetherTheSourceIsAsked)
{
    EXPECT_EQ(quote.status, used() ? 200 : 503);
    EXPECT_EQ(csv.count() > 0, used());
}
TEST_P(KeyFileRows, AreToldInTheStatus)
{
    const QJsonObject source = sourceStatus(*service, 0);
    EXPECT_EQ(source["health"].toString(), QLatin1String(GetParam().health));
    EXPECT_TRUE(source["lastError"].toString().contains(QLatin1String(GetParam().why)))
        << source["lastError"].toString().toStdString();
}
TEST_P(KeyFileRows, NeverShowTheKey)
{
    EXPECT_FALSE(service->get("/_status").body.contains("s3cret"));
}
INSTANTIATE_TEST_SUITE_P(Files, KeyFileRows, ::testing::ValuesIn(kKeyRows), rowName<KeyRow>);

// The table a user reads when the ticker shows "Error", the times masked.
QString table(const Finished& f)
{
    return QString(f.out).replace(QRegularExpression(u"\\d+ ms *"_s), u"T "_s);
}

TEST(CheckSources, ItTabulatesWhatEachSourceAnswered)
{
    FakeSource chart, quote({429, "text/plain", "Too Many Requests", {{"Retry-After", "30"}}}), csv;
    chart.on("/v8/finance/chart/IBM?range=1d", {ibmAnswer()});
    const Finished fine = runService(liveArgs({&chart, &quote, &csv}, {"--check-sources"}));
    EXPECT_EQ(fine.exitCode, 0) << fine.err.toStdString();
    EXPECT_EQ(table(fine),
              u"source      status          time     price or error\n"
              "chart-JSON  ok              T \"IBM\",167.15,\"5/10/2024\",\"4:00pm\",+0.88,167.50,168.22,"
              "166.71,2587393\n"
              "quote-JSON  failed          T quote-JSON source: HTTP status 429 (asked to wait 30 s)\n"
              "CSV         no key          -        no key: put one in "_s
                  + KeyFile::path() + u" under [csv]\n\n1 of 3 sources answered.\n"_s);
    EXPECT_EQ(quote.count("/api/quote/IBM/info?assetclass=stocks"), 1);
}

TEST(CheckSources, WhenNothingAnswersItExitsOneSayingWhy)
{
    const KeyFile keys("[csv]\nkey=k\n", 0644);
    FakeSource silent({.hang = true}), csv;
    const Finished none = runService({"--upstream-timeout", "1", "--source-url", "chart=" + originOf(silent),
                                      "--source-url", u"quote=http://127.0.0.1:%1"_s.arg(freePort()), "--source-url",
                                      "csv=" + originOf(csv), "--check-sources", "msft"});
    EXPECT_EQ(none.exitCode, 1);
    const QStringList lines = table(none).split(u'\n');
    ASSERT_EQ(lines.size(), 9) << none.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(u"the key file "_s + KeyFile::path() + u" can be read or changed by others"_s));
    EXPECT_EQ(lines[3], u"chart-JSON  failed          T chart-JSON source: no complete answer in time"_s);
    EXPECT_TRUE(lines[4].startsWith(u"quote-JSON  failed          T quote-JSON source: "_s)) << lines[4].toStdString();
    EXPECT_TRUE(lines[5].startsWith(u"CSV         no key          -        the key file"_s)) << lines[5].toStdString();
    EXPECT_EQ(lines[7], u"0 of 3 sources answered. The ticker shows \"Error\" until one does."_s);
    EXPECT_EQ(silent.count("/v8/finance/chart/MSFT?range=1d"), 1);
}

// Of a longer history, the year's chart draws the last 260 sessions alone.
TEST(CsvSource, TheYearsChartLeavesOlderSessionsOut)
{
    const KeyFile keys("[csv]\nkey=k\n");
    std::string longer = "Date,Open,High,Low,Close,Volume\n", year = longer;
    QDate d(2023, 1, 2);
    for (int session = 0; session < 400; ++session, d = d.addDays(1)) {
        const std::string row = d.toString(u"yyyy-MM-dd,1,1,1,"_s).toStdString()
            + (session < 140 ? "1000" : std::to_string(100 + session % 17)) + ",1\n";
        longer += row;
        year += session < 140 ? "" : row;
    }
    FakeSource csv;
    csv.on("/q/d/l/?s=long.us&", {{200, "text/csv", longer}});
    csv.on("/q/d/l/?s=year.us&", {{200, "text/csv", year}});
    ServiceProcess service(liveArgs({.csv = &csv}));
    const QImage drawn = plotArea(service.get("/c/0b/l/long.gif").body);
    EXPECT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn, plotArea(service.get("/c/0b/y/year.gif").body));
}

// A history of decades costs the service little more than its own size.
TEST(CsvSource, ALongHistoryCostsLittleMemory)
{
    const KeyFile keys("[csv]\nkey=k\n");
    std::string daily = "Date,Open,High,Low,Close,Volume\n";
    for (QDate d(1800, 1, 1); daily.size() < 4'000'000; d = d.addDays(1))
        daily += d.toString(u"yyyy-MM-dd"_s).toStdString() + ",101.5,102.25,100.75,101.125,1234567\n";
    FakeSource csv;
    const char* const symbols[] = {"a.us", "b.us", "c.us", "d.us"};
    for (const char* symbol : symbols)
        csv.on("/q/d/l/?s="s + symbol + '&', {{200, "text/csv", daily}});
    ServiceProcess service(liveArgs({.csv = &csv}));
    const long before = residentKiB(service.processId());
    std::vector<std::thread> clients;
    for (const char* symbol : symbols)
        clients.emplace_back(
            [&, symbol] { EXPECT_EQ(service.get("/c/0b/x/" + QByteArray(symbol).chopped(3) + ".gif").status, 200); });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(csv.count("/q/d/l/"), 4);
    EXPECT_LT(residentKiB(service.processId()) - before, 32 * 1024);
}

} // namespace
