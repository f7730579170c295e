// Why a quote shows "Error": the line the price's tool tip shows, made from
// the quote service's status, and fetched within the quote's own time-out.
#include "test_support.h"

#include "quotes/no_quote_reason.h"
#include "quotes/quote_cycle.h"

#include "core/transfer.h"

#include <QElapsedTimer>

namespace quoterra {
namespace {

QByteArray live(const char* sources)
{
    return QByteArray(R"({"market":"live","sources":[)") + sources + R"(],"lastUpstreamError":""})";
}

struct ReasonRow {
    const char* what;
    QByteArray status;
    const char* line;
};
const ReasonRow kReasonRows[] = {
    {"every source failing its own way",
     live(R"({"name":"chart","label":"chart-JSON","health":"backing-off","shortError":"429"},)"
          R"({"name":"quote","label":"quote-JSON","health":"failing","shortError":"time-out"},)"
          R"({"name":"csv","label":"CSV","health":"no key","shortError":"no key"})"),
     "No quote source answers: chart-JSON 429, quote-JSON time-out, CSV no key"},
    {"a working source left out",
     live(R"({"label":"chart-JSON","health":"ok","shortError":"HTML page"},)"
          R"({"label":"quote-JSON","health":"backing-off","shortError":"HTML page"})"),
     "No quote source answers: quote-JSON HTML page"},
    {"a source without label or short error", live(R"({"name":"chart","health":"failing"})"),
     "No quote source answers: chart failing"},
    {"every source fine", live(R"({"label":"chart-JSON","health":"ok"},{"label":"CSV","health":"untried"})"),
     "No quote source answers just now"},
    {"no source at all", live(""), "No quote source is configured"},
    {"the simulated market", R"({"market":"simulated","seed":1})", "The simulated market gave no quote"},
    {"no status", "", "The quote service does not answer"},
    {"another server's page", "<html>Not Found</html>", "The quote service does not answer"},
};
class NoQuoteReasonRows : public ::testing::TestWithParam<ReasonRow> { };
TEST_P(NoQuoteReasonRows, IsOneLineFromTheServicesStatus)
{
    EXPECT_EQ(noQuoteReason(GetParam().status), QLatin1String(GetParam().line));
}
INSTANTIATE_TEST_SUITE_P(Statuses, NoQuoteReasonRows, ::testing::ValuesIn(kReasonRows), test::rowName<ReasonRow>);

// One failed fetch of IBM from `origin` with a time-out of `seconds`.
struct FailedFetch {
    FailedFetch(const QString& origin, qint64 seconds)
    {
        cycle.cursor.CurrentSymbol = u"IBM"_s;
        cycle.BuildQuoteRequest(origin);
        transfer.setRequestTimeout(seconds);
        cycle.FetchQuote(transfer);
    }
    QString why() const { return cycle.view.compactPrice.toolTip; }

    QuoteCycle cycle;
    Transfer transfer;
};

TEST(FailedQuote, ThePricesToolTipSaysHowEachSourceFails)
{
    FakeSource chart({429, "text/plain", "Too Many Requests"}), quote({.hang = true}), csv;
    ServiceProcess service({"--market", "live", "--upstream-timeout", "1", "--source-url",
                            "chart=" + test::originOf(chart), "--source-url", "quote=" + test::originOf(quote),
                            "--source-url", "csv=" + test::originOf(csv)});
    const FailedFetch fetch(service.origin(), 10);
    EXPECT_EQ(fetch.cycle.view.compactPrice.caption, u"Error"_s);
    EXPECT_EQ(fetch.why(), u"No quote source answers: chart-JSON 429, quote-JSON time-out, CSV no key"_s);
}

TEST(FailedQuote, AQuoteThatTakesTheWholeTimeOutLeavesNoneForTheStatus)
{
    FakeSource hanging({.hang = true});
    const FailedFetch fetch(test::originOf(hanging), 1);
    EXPECT_EQ(hanging.count("/_status"), 0);
    EXPECT_EQ(fetch.why(), u"The quote service does not answer"_s);
}

TEST(FailedQuote, AStatusThatHangsIsGivenOnlyWhatTheQuoteLeft)
{
    FakeSource silent({.hang = true});
    silent.on("/d/quotes.csv", {{503, "text/csv", ""}});
    QElapsedTimer clock;
    clock.start();
    const FailedFetch fetch(test::originOf(silent), 2);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(silent.count("/_status"), 1);
    EXPECT_EQ(fetch.transfer.RequestTimeout(), 2) << "the quote's own time-out is kept";
}

} // namespace
} // namespace quoterra
