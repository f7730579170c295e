// Several symbols in one quote request, as the classic endpoint took them:
// a line each, in order, each the line that symbol alone would get.

#include "test_support.h"

using namespace quoterra::test;

namespace {

QByteArray joined(const QList<QByteArray>& symbols)
{
    return symbols.join('+');
}

// The answer to all the symbols at once, and the lines each alone gets.
struct Asked {
    HttpAnswer all;
    QByteArray alone;
};
Asked ask(const ServiceProcess& service, const QList<QByteArray>& symbols)
{
    Asked a{service.get(quoteTarget(joined(symbols))), {}};
    for (const QByteArray& symbol : symbols) {
        const HttpAnswer one = service.get(quoteTarget(symbol));
        a.alone += one.status == 200 ? one.body : "\r\n";
    }
    return a;
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
        SCOPED_TRACE(what);
        Asked a = ask(service, symbols);
        // a simulated minute may pass between the asks; one of a few tries will not straddle one
        for (int attempt = 0; attempt < 5 && a.all.body != a.alone; ++attempt)
            a = ask(service, symbols);
        EXPECT_EQ(a.all.status, 200);
        EXPECT_EQ(a.all.body, a.alone);
        EXPECT_EQ(a.all.body.count("\r\n"), symbols.size());
    }
    EXPECT_TRUE(service.get(quoteTarget("IBM+ZZZQ")).body.contains("\r\n\"ZZZQ\",N/A,\"N/A\""));

    // A hundred at most.
    QList<QByteArray> many;
    for (int i = 0; i < 101; ++i)
        many << "S" + QByteArray::number(i);
    const HttpAnswer refused = service.get(quoteTarget(joined(many)));
    EXPECT_EQ(refused.status, 400);
    EXPECT_TRUE(refused.body.contains("100")) << refused.body.toStdString();
    many.removeLast();
    const HttpAnswer hundred = service.get(quoteTarget(joined(many)));
    EXPECT_EQ(hundred.status, 200);
    EXPECT_EQ(hundred.body.count("\r\n"), 100);
}

// Before the open: the last session's price, no bars.
FakeSource::Answer chartAnswer(const std::string& symbol, const char* price)
{
    return {200, "application/json",
            R"({"chart":{"result":[{"meta":{"symbol":")" + symbol
                + R"(","regularMarketTime":1715371200,"gmtoffset":-14400,"regularMarketPrice":)" + price
                + R"(,"chartPreviousClose":100},"indicators":{"quote":[{}]}}],"error":null}})"};
}

// The live market never makes a line up: a symbol whose source failed gets
// an empty line in its place, and when every one failed the answer is empty.
TEST(LiveQuotes, OfSeveralSymbolsOneWhoseSourceFailedLeavesAnEmptyLine)
{
    FakeSource chart;
    chart.on("/v8/finance/chart/IBM?", {chartAnswer("IBM", "167.15")});
    chart.on("/v8/finance/chart/MSFT?", {chartAnswer("MSFT", "415.5")});
    chart.on("/v8/finance/chart/XYZQ?",
             {{404, "application/json",
               R"({"chart":{"result":null,"error":{"code":"Not Found","description":"No data found"}}})"}});
    chart.on("/v8/finance/chart/DOWN", {{500, "text/html", "<html>down</html>"}}); // DOWN2 too
    ServiceProcess service({"--market", "live", "--upstream-timeout", "1", "--source-url",
                            "chart=" + originOf(chart), "--source-url", "csv=off"});

    const HttpAnswer ibm = service.get(quoteTarget("IBM")), msft = service.get(quoteTarget("MSFT")),
                     xyzq = service.get(quoteTarget("XYZQ"));
    ASSERT_TRUE(ibm.body.startsWith("\"IBM\",167.15,\"5/10/2024\"")) << ibm.body.toStdString();
    ASSERT_TRUE(msft.body.startsWith("\"MSFT\",415.50,\"5/10/2024\"")) << msft.body.toStdString();
    ASSERT_TRUE(xyzq.body.startsWith("\"XYZQ\",0.00,\"N/A\"")) << xyzq.body.toStdString();

    const HttpAnswer some = service.get(quoteTarget("IBM+XYZQ+DOWN+MSFT+IBM"));
    EXPECT_EQ(some.status, 200);
    EXPECT_EQ(some.body, ibm.body + xyzq.body + "\r\n" + msft.body + ibm.body);
    EXPECT_EQ(chart.count("/v8/finance/chart/IBM"), 1) << "asked upstream again for what the cache held";

    const HttpAnswer none = service.get(quoteTarget("DOWN+DOWN2"));
    EXPECT_EQ(none.status, 503);
    EXPECT_TRUE(none.body.isEmpty()) << none.body.toStdString();
}

} // namespace
