// Chart images, research and lookup pages and unknown paths, over HTTP.

#include "test_util.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <set>

#include <gtest/gtest.h>

using namespace service_test;

namespace {

void expectWellFormed(const RawAnswer& a, const std::string& what)
{
    ASSERT_TRUE(a.answered) << what;
    EXPECT_FALSE(a.header("content-type").empty()) << what;
    EXPECT_EQ(a.header("content-length"), std::to_string(a.body.size())) << what;
}

QImage qtImage(const std::string& bytes)
{
    return QImage::fromData(QByteArray(bytes.data(), qsizetype(bytes.size())), "GIF");
}

TEST(ServiceCharts, KnownSymbolsGetADrawnChart)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const char* targets[] = {
        "/t?s=IBM", "/t?s=ibm", "/v?s=MSFT", "/v?s=^DJI", "/c/0b/i/ibm.gif", "/c/0b/%5E/%5Etyx.gif",
        "/c/0b/b/brk.a.gif", "/t?s=AT&T",
    };
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const RawAnswer a = rawGet(service.port(), target);
        expectWellFormed(a, target);
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.header("content-type"), "image/gif");
        EXPECT_NE(a.body.size(), 150u);
        const auto gif = decodeGif(a.body);
        ASSERT_TRUE(gif);
        EXPECT_EQ(gif->width, 192);
        EXPECT_EQ(gif->height, 96);
        // more than a blank image: at least three colours in use
        std::set<std::uint8_t> used(gif->pixels.begin(), gif->pixels.end());
        EXPECT_GE(used.size(), 3u);
        const QImage image = qtImage(a.body);
        EXPECT_EQ(image.size(), QSize(192, 96));
    }
}

TEST(ServiceCharts, UnknownSymbolsGetTheNoChartAnswer)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const char* targets[] = {"/t?s=ZZZ", "/t?s=", "/t", "/v?s=XYZ!", "/v?s=^FOO", "/c/0b/z/zzzq.gif", "/c/0b//.gif",
                             "/c/0b/a/abcdefghijkl.gif"};
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const RawAnswer a = rawGet(service.port(), target);
        expectWellFormed(a, target);
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.header("content-type"), "image/gif");
        EXPECT_EQ(a.body.size(), 150u); // the length clients take for "no chart"
        EXPECT_TRUE(decodeGif(a.body));
        EXPECT_FALSE(qtImage(a.body).isNull());
    }
}

TEST(ServicePages, EveryResearchAndLookupAddressGetsAPage)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    struct Case {
        const char* target;
        const char* title; // as it appears in the HTML
    };
    const Case cases[] = {
        {"/n/I/IBM.html", "News for IBM"},
        {"/n/i/ibm.html", "News for IBM"},
        {"/p/M/MSFT.html", "Profile for MSFT"},
        {"/e/l/I/IBM.html", "SEC filings for IBM"},
        {"/z/a/I/IBM.html", "Research for IBM"},
        {"/t/I/IBM.html", "Insider trading for IBM"},
        {"/n//.html", "News"},
        {"/p//.html", "Profile"},
        {"/e/l//.html", "SEC filings"},
        {"/z/a//.html", "Research"},
        {"/t//.html", "Insider trading"},
        {"/n/S/S&&P%20500.html", "News for S&amp;&amp;P 500"},
        {"/p/3/30%20YR%20BOND.html", "Profile for 30 YR BOND"},
        {"/n/Z/ZZZ.html", "News for ZZZ"},
        {"/q?s=IBM&d=1b", "Chart for IBM (1 day)"},
        {"/q?s=IBM&d=2b", "Chart for IBM (5 day)"},
        {"/q?s=IBM&d=0b", "Chart for IBM (1 year)"},
        {"/q?s=IBM&d=5y", "Chart for IBM (5 year)"},
        {"/q?s=S&&P%20500&d=1d", "Chart for S&amp;&amp;P 500 (1 day)"},
        {"/q?s=&d=3m", "Chart (3 month)"},
        {"/q?s=IBM&d=zz", "Chart for IBM"},
        {"/?action=q&board=IBM", "Message board for IBM"},
        {"/?action=q&board=S&&P%20500", "Message board for S&amp;&amp;P 500"},
        {"/?action=q&board=", "Message board"},
        {"/", "Quoterra quote service"},
        {"/?foo=bar", "Quoterra quote service"},
        {"/l?s=international+business", "Symbol lookup: international business"},
        {"/l?s=", "Symbol lookup"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        const RawAnswer a = rawGet(service.port(), c.target);
        expectWellFormed(a, c.target);
        EXPECT_EQ(a.status, 200);
        EXPECT_TRUE(a.header("content-type").starts_with("text/html"));
        EXPECT_NE(a.body.find("<title>" + std::string(c.title) + "</title>"), std::string::npos) << a.body;
        EXPECT_TRUE(a.body.ends_with("</html>\n"));
    }
}

TEST(ServicePages, EchoedTextIsEscaped)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const char* targets[] = {
        "/n/%3C/%3Cscript%3Ealert(1)%3C%2Fscript%3E.html",
        "/q?s=%3Cscript%3E&d=1b",
        "/?action=q&board=%3Cscript%3E",
        "/l?s=%3Cscript%3E%22",
    };
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const RawAnswer a = rawGet(service.port(), target);
        ASSERT_EQ(a.status, 200);
        std::string lower = a.body;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        EXPECT_EQ(lower.find("<script"), std::string::npos) << a.body;
        EXPECT_NE(lower.find("&lt;script&gt;"), std::string::npos) << a.body;
    }
    // inside an attribute a double quote must not end the value
    const RawAnswer lookup = rawGet(service.port(), "/l?s=a%22b");
    EXPECT_NE(lookup.body.find("value=\"a&quot;b\""), std::string::npos) << lookup.body;
}

TEST(ServicePages, LookupAndChartPagesLeadSomewhere)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const RawAnswer found = rawGet(service.port(), "/l?s=international+business");
    EXPECT_NE(found.body.find(">IBM</a>"), std::string::npos);
    const RawAnswer none = rawGet(service.port(), "/l?s=qwertyuiop");
    EXPECT_NE(none.body.find("No listing matches"), std::string::npos);

    struct Case {
        const char* page;
        const char* image;
    };
    const Case cases[] = {
        {"/q?s=ibm&d=1b", "/t?s=IBM"},
        {"/q?s=IBM&d=5d", "/v?s=IBM"},
        {"/q?s=IBM&d=1y", "/c/0b/i/ibm.gif"},
        {"/q?s=%5EDJI&d=0b", "/c/0b/%5E/%5Edji.gif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        const RawAnswer page = rawGet(service.port(), c.page);
        ASSERT_NE(page.body.find("src=\"" + std::string(c.image) + "\""), std::string::npos) << page.body;
        const RawAnswer image = rawGet(service.port(), c.image);
        EXPECT_EQ(image.status, 200);
        const auto gif = decodeGif(image.body);
        ASSERT_TRUE(gif);
        EXPECT_EQ(gif->width, 192);
    }
}

TEST(ServicePages, OtherPathsAreNotFound)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const char* targets[] = {
        "/nothing", "/d/quotes.csv/x", "/n/IBM.html", "/n/I/IBM.htm", "/c/0b/ibm.gif", "/c/0b/i/ibm.png",
        "/currentversion.txt.bak", "/T?s=IBM", "/index.html", "/_control/nothing", "/d/quotes.csvx?s=IBM",
    };
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const RawAnswer a = rawGet(service.port(), target);
        expectWellFormed(a, target);
        EXPECT_EQ(a.status, 404);
        EXPECT_TRUE(a.header("content-type").starts_with("text/plain"));
        EXPECT_FALSE(a.body.empty());
    }
}

} // namespace
