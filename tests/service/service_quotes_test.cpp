// Quotes and the version file, asked of the real service over HTTP.

#include "test_util.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>

using namespace service_test;

namespace {

std::string quoteTarget(const std::string& symbol)
{
    return "/d/quotes.csv?s=" + symbol + "&f=sl1d1t1c1ohgv&e=.csv";
}

std::string fetchQuote(const ServiceProcess& service, const std::string& symbol)
{
    const auto res = get(service, quoteTarget(symbol));
    if (!res || res->status != 200)
        return {};
    return res->body;
}

TEST(ServiceQuotes, LinesHaveTheShapeTheTickerReads)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    struct Case {
        const char* sent;
        const char* echoed;
    };
    const Case cases[] = {
        {"IBM", "IBM"},       {"ibm", "IBM"},       {"MsFt", "MSFT"}, {"BRK.A", "BRK.A"},
        {"AT&T", "AT&T"},     {"BF-B", "BF-B"},     {"S P", "S P"},   {"ABCDEFGHIJ", "ABCDEFGHIJ"},
        {"^DJI", "^DJI"},     {"^ixic", "^IXIC"},   {"^SPC", "^SPC"}, {"^TYX", "^TYX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sent);
        const auto res = get(service, quoteTarget(c.sent));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_TRUE(res->get_header_value("Content-Type").starts_with("text/csv"));
        const auto q = parseQuote(res->body);
        ASSERT_TRUE(q) << res->body;
        EXPECT_EQ(q->symbol, c.echoed);
        EXPECT_LE(q->low, q->last);
        EXPECT_LE(q->last, q->high);
        EXPECT_LE(q->low, q->open);
        EXPECT_LE(q->open, q->high);
        EXPECT_GT(q->low, 0);
        // the sign is written out: "+" for a rise, "-" for a fall, none for 0.00
        const char sign = q->change > 0 ? '+' : q->change < 0 ? '-' : '0';
        EXPECT_EQ(q->changeText.front(), sign) << q->changeText;
    }
}

TEST(ServiceQuotes, IndexLevelsArePlausible)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    struct Case {
        const char* symbol;
        double low, high;
        bool volume;
    };
    const Case cases[] = {
        {"^DJI", 30000, 48000, true},
        {"^IXIC", 12000, 21000, true},
        {"^SPC", 4000, 6500, true},
        {"^TYX", 25, 70, false}, // the 30-year yield times ten
    };
    for (const Case& c : cases) {
        const auto q = parseQuote(fetchQuote(service, c.symbol));
        ASSERT_TRUE(q) << c.symbol;
        EXPECT_GE(q->last, c.low) << c.symbol;
        EXPECT_LE(q->last, c.high) << c.symbol;
        EXPECT_EQ(q->volume > 0, c.volume) << c.symbol;
    }
}

TEST(ServiceQuotes, FieldListAndFormatDoNotChangeTheAnswer)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    // both asked within the same simulated minute, the lines are identical
    for (int attempt = 0; attempt < 10; ++attempt) {
        const auto full = get(service, quoteTarget("IBM"));
        const auto bare = get(service, "/d/quotes.csv?s=IBM");
        const auto other = get(service, "/d/quotes.csv?e=.txt&s=IBM&f=xyz");
        ASSERT_TRUE(full && bare && other);
        const auto a = parseQuote(full->body), b = parseQuote(bare->body), c = parseQuote(other->body);
        ASSERT_TRUE(a && b && c);
        if (a->time != b->time || a->time != c->time)
            continue;
        EXPECT_EQ(full->body, bare->body);
        EXPECT_EQ(full->body, other->body);
        return;
    }
    FAIL() << "never caught two answers within one simulated minute";
}

TEST(ServiceQuotes, UnknownSymbolsAnswerWithNotAvailableFields)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    struct Case {
        const char* target;
        const char* echoed;
    };
    const Case cases[] = {
        {"/d/quotes.csv?s=&f=sl1d1t1c1ohgv&e=.csv", ""},
        {"/d/quotes.csv", ""},
        {"/d/quotes.csv?s=XYZ!&f=sl1d1t1c1ohgv&e=.csv", "XYZ!"},
        {"/d/quotes.csv?s=xyz!", "XYZ!"},
        {"/d/quotes.csv?s=ABCDEFGHIJK", "ABCDEFGHIJK"},
        {"/d/quotes.csv?s=^FOO&f=sl1d1t1c1ohgv&e=.csv", "^FOO"},
        {"/d/quotes.csv?s=%5Efoo", "^FOO"},
        {"/d/quotes.csv?s=ZZZ", "ZZZ"},
        {"/d/quotes.csv?s=zzztop", "ZZZTOP"},
        {"/d/quotes.csv?s=A/B", "A/B"},
        {"/d/quotes.csv?s=A%2CB", "AB"},  // a comma would split the line
        {"/d/quotes.csv?s=A%22B", "AB"},  // so would a quote
        {"/d/quotes.csv?s=A%0D%0AB", "AB"},
    };
    for (const Case& c : cases) {
        const RawAnswer a = rawGet(service.port(), c.target);
        ASSERT_TRUE(a.answered) << c.target;
        EXPECT_EQ(a.status, 200) << c.target;
        EXPECT_EQ(a.body, "\"" + std::string(c.echoed) + "\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n") << c.target;
    }
}

TEST(ServiceQuotes, SameSeedGivesTheSameMarket)
{
    ServiceProcess a({"--seed", "77"});
    ServiceProcess b({"--seed", "77"});
    ServiceProcess other({"--seed", "78"});
    ASSERT_TRUE(a.isRunning() && b.isRunning() && other.isRunning());
    const char* symbols[] = {"IBM", "MSFT", "^DJI", "^TYX", "QQQ"};
    int compared = 0, differing = 0;
    for (int attempt = 0; attempt < 10 && compared < 5; ++attempt) {
        for (const char* s : symbols) {
            const std::string la = fetchQuote(a, s), lb = fetchQuote(b, s), lo = fetchQuote(other, s);
            const auto qa = parseQuote(la), qb = parseQuote(lb), qo = parseQuote(lo);
            ASSERT_TRUE(qa && qb && qo) << s;
            if (qa->time != qb->time || qa->time != qo->time)
                continue; // a simulated minute passed in between
            EXPECT_EQ(la, lb) << s;
            differing += la != lo;
            ++compared;
        }
    }
    EXPECT_GE(compared, 3);
    EXPECT_GE(differing, compared - 1) << "another seed should give another market";
}

TEST(ServiceQuotes, PricesMoveAsSimulatedTimePasses)
{
    ServiceProcess service;
    ASSERT_TRUE(service.isRunning());
    const auto first = parseQuote(fetchQuote(service, "^DJI"));
    ASSERT_TRUE(first);
    std::optional<QuoteFields> later;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        later = parseQuote(fetchQuote(service, "^DJI"));
        ASSERT_TRUE(later);
        if (later->time != first->time)
            break;
    }
    ASSERT_NE(later->time, first->time) << "the simulated clock does not run";
    EXPECT_EQ(later->date, first->date);
    EXPECT_EQ(later->open, first->open);
    EXPECT_GE(later->high, first->high);
    EXPECT_LE(later->low, first->low);
    EXPECT_GT(later->volume, first->volume);
    EXPECT_NEAR(later->last - later->change, first->last - first->change, 0.001) << "previous close moved";
}

TEST(ServiceVersion, BodyIsExactlyTheConfiguredText)
{
    struct Case {
        QStringList args;
        std::string body;
    };
    const Case cases[] = {
        {{}, "4.00"},
        {{"--version-file-text", "4.12 beta"}, "4.12 beta"},
        {{"--version-file-text="}, ""},
    };
    for (const Case& c : cases) {
        ServiceProcess service(c.args);
        ASSERT_TRUE(service.isRunning());
        const RawAnswer a = rawGet(service.port(), "/currentversion.txt");
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.body, c.body);
        EXPECT_TRUE(a.header("content-type").starts_with("text/plain"));
        EXPECT_EQ(a.header("content-length"), std::to_string(c.body.size()));
    }
}

} // namespace
