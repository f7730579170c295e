// The simulated market on its own: the properties every quote and chart
// relies on, checked across many symbols, days and minutes.

#include "market.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quoterra::service;

namespace {

const char* const kSymbols[] = {"IBM", "MSFT", "BRK.A", "AT&T", "S P", "X", "^DJI", "^IXIC", "^SPC", "^TYX"};

TEST(Market, QuoteFieldsStayConsistentThroughTheDay)
{
    const Market market(42);
    for (const char* symbol : kSymbols) {
        for (std::int64_t day : {-300, -1, 0, 1, 57}) {
            Quote previous;
            for (int minute = 0; minute <= kSessionMinutes; minute += 13) {
                SCOPED_TRACE(std::string(symbol) + " day " + std::to_string(day) + " minute " + std::to_string(minute));
                const Quote q = market.quote(symbol, SimTime{day, minute});
                EXPECT_GT(q.lowCents, 0);
                EXPECT_LE(q.lowCents, q.lastCents);
                EXPECT_LE(q.lastCents, q.highCents);
                EXPECT_LE(q.lowCents, q.openCents);
                EXPECT_LE(q.openCents, q.highCents);
                if (minute > 0) {
                    // the day's range only widens, the open never moves, volume only grows
                    EXPECT_EQ(q.openCents, previous.openCents);
                    EXPECT_GE(q.highCents, previous.highCents);
                    EXPECT_LE(q.lowCents, previous.lowCents);
                    EXPECT_GE(q.volume, previous.volume);
                    EXPECT_EQ(q.previousCloseCents, previous.previousCloseCents);
                }
                previous = q;
            }
        }
    }
}

TEST(Market, TodaysCloseIsTomorrowsPreviousClose)
{
    const Market market(7);
    for (const char* symbol : kSymbols) {
        for (std::int64_t day : {-260, -2, -1, 0, 3}) {
            SCOPED_TRACE(std::string(symbol) + " day " + std::to_string(day));
            const Quote closing = market.quote(symbol, SimTime{day, kSessionMinutes});
            const Quote next = market.quote(symbol, SimTime{day + 1, 0});
            EXPECT_EQ(closing.lastCents, next.previousCloseCents);
            // the one-year chart draws from closes(); it must agree with the quotes
            const double close = market.closes(symbol, day, day).front();
            EXPECT_EQ(std::llround(close * 100), closing.lastCents);
        }
    }
}

TEST(Market, ClosesOverARangeMatchSingleDays)
{
    const Market market(3);
    const std::vector<double> run = market.closes("MSFT", -10, 5);
    ASSERT_EQ(run.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_DOUBLE_EQ(run[i], market.closes("MSFT", -10 + i, -10 + i).front()) << "day " << -10 + i;
    EXPECT_TRUE(market.closes("MSFT", 5, 4).empty());
}

TEST(Market, IntradayPathMatchesTheQuote)
{
    const Market market(11);
    const std::vector<double> path = market.intraday("IBM", 2, 200);
    ASSERT_EQ(path.size(), 201u);
    const Quote q = market.quote("IBM", SimTime{2, 200});
    EXPECT_EQ(std::llround(path.front() * 100), q.openCents);
    EXPECT_EQ(std::llround(path.back() * 100), q.lastCents);
    // out-of-range minutes are clamped, not read past the session
    EXPECT_EQ(market.intraday("IBM", 2, 10'000).size(), std::size_t(kSessionMinutes) + 1);
    EXPECT_EQ(market.intraday("IBM", 2, -5).size(), 1u);
}

TEST(Market, SameSeedSamePricesOtherSeedOtherPrices)
{
    const Market a(99), b(99), c(100);
    int differing = 0;
    for (const char* symbol : kSymbols) {
        const SimTime t{1, 123};
        const Quote qa = a.quote(symbol, t), qb = b.quote(symbol, t), qc = c.quote(symbol, t);
        EXPECT_EQ(qa.lastCents, qb.lastCents) << symbol;
        EXPECT_EQ(qa.volume, qb.volume) << symbol;
        EXPECT_EQ(qa.highCents, qb.highCents) << symbol;
        differing += qa.lastCents != qc.lastCents;
    }
    EXPECT_GE(differing, 8);
}

TEST(Market, PricesActuallyMove)
{
    const Market market(5);
    for (const char* symbol : kSymbols) {
        const std::vector<double> path = market.intraday(symbol, 0, kSessionMinutes);
        int changes = 0;
        for (std::size_t m = 1; m < path.size(); ++m)
            changes += std::llround(path[m] * 100) != std::llround(path[m - 1] * 100);
        EXPECT_GT(changes, 100) << symbol << " barely moves within a day";
        EXPECT_NE(market.quote(symbol, {0, 390}).lastCents, market.quote(symbol, {1, 390}).lastCents) << symbol;
    }
}

TEST(Market, IndexLevelsAndVolumes)
{
    struct Case {
        const char* symbol;
        double low, high;
        bool tradesShares;
    };
    const Case cases[] = {
        {"^DJI", 30000, 48000, true},
        {"^IXIC", 12000, 21000, true},
        {"^SPC", 4000, 6500, true},
        {"^TYX", 25, 70, false},
    };
    for (std::uint64_t seed : {1ULL, 2ULL, 12345ULL}) {
        const Market market(seed);
        for (const Case& c : cases) {
            const Quote q = market.quote(c.symbol, SimTime{0, 200});
            EXPECT_GE(q.lastCents / 100.0, c.low) << c.symbol << " seed " << seed;
            EXPECT_LE(q.lastCents / 100.0, c.high) << c.symbol << " seed " << seed;
            EXPECT_EQ(q.volume > 0, c.tradesShares) << c.symbol;
        }
    }
}

TEST(Market, VolumeStartsAtZeroAndComesInLots)
{
    const Market market(8);
    EXPECT_EQ(market.volume("IBM", 0, 0), 0);
    for (int minute : {1, 77, 390})
        EXPECT_EQ(market.volume("IBM", 0, minute) % 100, 0);
    EXPECT_GT(market.volume("IBM", 0, 390), market.volume("IBM", 0, 195));
}

TEST(SymbolRule, KnownAndUnknown)
{
    struct Case {
        const char* symbol;
        bool known;
    };
    const Case cases[] = {
        {"IBM", true},         {"BRK.A", true},        {"AT&T", true},   {"S&&P 500", true},
        {"BF-B", true},        {"ABCDEFGHIJ", true},   {"^DJI", true},   {"^TYX", true},
        {"", false},           {"ABCDEFGHIJK", false}, {"XYZ!", false},  {"^FOO", false},
        {"^", false},          {"ZZZ", false},         {"ZZZTOP", false}, {"A/B", false},
        {"A\"B", false},       {"A,B", false},         {"\xC3\x84", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isKnownSymbol(upperSymbol(c.symbol)), c.known) << '"' << c.symbol << '"';
    EXPECT_EQ(upperSymbol("brk.a ^dji"), "BRK.A ^DJI");
}

TEST(WireFormat, SignedCents)
{
    struct Case {
        std::int64_t cents;
        bool sign;
        const char* text;
    };
    const Case cases[] = {
        {125, true, "+1.25"}, {-40, true, "-0.40"}, {0, true, "0.00"},      {-5, true, "-0.05"},
        {7, true, "+0.07"},   {11245, false, "112.45"}, {3800012, false, "38000.12"}, {-100, false, "-1.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatCents(c.cents, c.sign), c.text) << c.cents;
}

TEST(WireFormat, TradeTimes)
{
    struct Case {
        int minute;
        const char* text;
    };
    const Case cases[] = {{0, "9:30am"}, {29, "9:59am"}, {30, "10:00am"}, {149, "11:59am"},
                          {150, "12:00pm"}, {210, "1:00pm"}, {390, "4:00pm"}};
    for (const Case& c : cases)
        EXPECT_EQ(formatTime(c.minute), c.text) << c.minute;
}

TEST(WireFormat, QuoteLine)
{
    Quote q;
    q.symbol = "IBM";
    q.lastCents = 11245;
    q.previousCloseCents = 11120;
    q.openCents = 11120;
    q.highCents = 11300;
    q.lowCents = 11095;
    q.volume = 5532100;
    q.time = SimTime{0, kSessionMinutes};
    using namespace std::chrono;
    const Calendar calendar(sys_days(2001y / March / 9)); // a Friday
    EXPECT_EQ(quoteLine(q, calendar), "\"IBM\",112.45,\"3/9/2001\",\"4:00pm\",+1.25,111.20,113.00,110.95,5532100\r\n");
}

TEST(WireFormat, UnknownLineKeepsItsShape)
{
    EXPECT_EQ(unknownQuoteLine("XYZ!"), "\"XYZ!\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n");
    EXPECT_EQ(unknownQuoteLine(""), "\"\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n");
    // a comma, a quote or a line break in the echo would shift the fields a client reads
    EXPECT_EQ(unknownQuoteLine("A,B\"C\r\nD"), "\"ABCD\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n");
}

TEST(Calendar, TradingDaysSkipWeekends)
{
    using namespace std::chrono;
    const Calendar fromMonday(sys_days(2024y / March / 4));
    struct Case {
        std::int64_t day;
        const char* date;
        unsigned weekday;
    };
    const Case cases[] = {
        {0, "3/4/2024", 1}, {4, "3/8/2024", 5},  {5, "3/11/2024", 1}, {-1, "3/1/2024", 5},
        {-5, "2/26/2024", 1}, {-6, "2/23/2024", 5}, {20, "4/1/2024", 1},
    };
    for (const Case& c : cases) {
        const Date d = fromMonday.date(c.day);
        EXPECT_EQ(formatDate(d), c.date) << c.day;
        EXPECT_EQ(d.weekday, c.weekday) << c.day;
    }
    // a service started on a weekend shows the Friday before
    EXPECT_EQ(formatDate(Calendar(sys_days(2024y / March / 9)).date(0)), "3/8/2024");
    EXPECT_EQ(formatDate(Calendar(sys_days(2024y / March / 10)).date(1)), "3/11/2024");
}

TEST(SimClock, SessionsAndClosedHours)
{
    struct Case {
        std::int64_t elapsed;
        SimTime expected;
    };
    const Case cases[] = {
        {0, {0, 0}},     {389, {0, 389}}, {390, {0, 390}}, {419, {0, 390}}, // shut after the close
        {420, {1, 0}},   {841, {2, 1}},   {-1, {-1, 390}}, {-420, {-1, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SimClock::fromElapsedMinutes(c.elapsed), c.expected) << c.elapsed;

    const auto start = std::chrono::steady_clock::now();
    const SimClock clock(start, 30, std::chrono::milliseconds(1000));
    EXPECT_EQ(clock.at(start), (SimTime{0, 30}));
    EXPECT_EQ(clock.at(start + std::chrono::milliseconds(999)), (SimTime{0, 30}));
    EXPECT_EQ(clock.at(start + std::chrono::seconds(5)), (SimTime{0, 35}));
    EXPECT_EQ(clock.at(start - std::chrono::seconds(5)), (SimTime{0, 30})); // never runs backwards
}

} // namespace
