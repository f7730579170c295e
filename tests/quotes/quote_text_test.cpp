#include "test_support.h"

#include "quotes/quote_text.h"
#include "quotes/refresh_cycle.h"

#include <gtest/gtest.h>

namespace quoterra {
namespace {

TEST(SplitQuoteLine, PiecesLandInTheirSlotsVerbatim)
{
    struct Case {
        const char* what;
        QString line;
        std::vector<const char*> pieces;
    };
    const Case cases[] = {
        {"ordinary", QStringLiteral("\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.20,113.00,110.95,5532100\r\n"),
         {"\"IBM\"", "112.45", "\"3/9/2001\"", "\"4:01pm\"", "+1.25", "111.20", "113.00", "110.95", "5532100\r\n", ""}},
        {"unknown symbol", QStringLiteral("\"XYZ!\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A"),
         {"\"XYZ!\"", "N/A", "\"N/A\"", "\"N/A\"", "N/A", "N/A", "N/A", "N/A", "N/A", ""}},
        {"fewer pieces", QStringLiteral("a, b ,"), {"a", " b ", "", "", "", "", "", "", "", ""}},
        {"eleven pieces", QStringLiteral("0,1,2,3,4,5,6,7,8,9,10"), {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"no comma", QStringLiteral("<html>Service unavailable</html>"), {"", "", "", "", "", "", "", "", "", ""}},
        {"empty", QString(), {"", "", "", "", "", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QuoteRecord record;
        record.fill(QStringLiteral("stale"));
        SplitQuoteLine(c.line, record);
        for (size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(record[i], QString::fromLatin1(c.pieces[i])) << "slot " << i;
    }
}

TEST(SplitColor, ReadsUpToFourWholeNumbersAndKeepsWhatItCannotRead)
{
    struct Case {
        const char* text;
        std::array<qint16, 4> expected;
    };
    const std::array<qint16, 4> before{9, 9, 9, 9};
    const Case cases[] = {
        {"255,0,128", {255, 0, 128, 9}},
        {"1.5,2.5,3.5,-0.5", {2, 2, 4, 0}},
        {"10,x,30", {10, 9, 9, 9}},
        {"1,2,3,4,5", {1, 2, 3, 4}},
        {"255", {9, 9, 9, 9}},
        {"", {9, 9, 9, 9}},
        {"40000,1,1", {9, 9, 9, 9}},
    };
    for (const auto& c : cases) {
        auto places = before;
        SplitColor(QString::fromLatin1(c.text), places);
        EXPECT_EQ(places, c.expected) << c.text;
    }
    EXPECT_EQ(colorFromText(QStringLiteral("0,255,0"), Qt::white), QColor(0, 255, 0));
    EXPECT_EQ(colorFromText(QStringLiteral("300,-5,7"), Qt::white), QColor(255, 0, 7));
}

TEST(ReplaceText, ReplacesLeftToRightWithoutRescanningInsertedText)
{
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"one two three", " ", "+", "one+two+three"},
        {"two  spaces", " ", "+", "two++spaces"},
        {"aa", "a", "aa", "aaaa"},
        {"banana", "ana", "o", "bona"},
        {"a-b-c", "-", "::", "a::b::c"},
        {"abc", "x", "y", "abc"},
        {"", "a", "b", ""},
        {"abab", "ab", "", ""},
    };
    for (const auto& [text, search, replacement, expected] : cases)
        EXPECT_EQ(ReplaceText(QString::fromLatin1(text), QString::fromLatin1(search), QString::fromLatin1(replacement)),
                  QLatin1String(expected))
            << text << " / " << search;
}

TEST(IndexEntries, AreShownAndRequestedByTheirOwnNames)
{
    struct Case {
        const char* entry;
        const char* shortName;
        const char* longName;
        const char* service;
    };
    const Case cases[] = {
        {"DJIA", "DJIA", "DJIA", "^DJI"},
        {"NASDAQ", "NASDAQ", "NASDAQ", "^IXIC"},
        {"S&P 500", "S&&P 500", "S&&P 500", "S&P 500"},
        {"S&&P 500", "S&&P 500", "S&&P 500", "^SPC"},
        {"30YR", "30 YR", "30 YR BOND", "^TYX"},
        {"djia", "djia", "djia", "djia"},
        {"BRK B", "BRK B", "BRK B", "BRK B"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const QString entry = QString::fromLatin1(c.entry);
        EXPECT_EQ(shortNameFor(entry), QLatin1String(c.shortName));
        EXPECT_EQ(longNameFor(entry), QLatin1String(c.longName));
        EXPECT_EQ(serviceSymbolFor(entry), QLatin1String(c.service));
    }
}

TEST(BondIndex, ValuesShowAsATenthInPercent)
{
    const std::pair<const char*, const char*> cases[] = {
        {"+0.25", "0.025%"}, {"-0.25", "-0.025%"}, {"54.32", "5.432%"}, {"0.00", "0%"},
        {"45.12", "4.512%"}, {"N/A", ""},        {"", ""},             {"\"N/A\"", ""},
    };
    for (const auto& [slot, shown] : cases)
        EXPECT_EQ(bondPercent(QString::fromLatin1(slot)), QLatin1String(shown)) << slot;
}

TEST(RefreshCycle, FetchesComeIntervalPlusOneTicksApart)
{
    for (short interval : {short(0), short(1), short(10)}) {
        SCOPED_TRACE(interval);
        RefreshCycle cycle;
        cycle.Interval = interval;
        std::vector<int> fetchTicks;
        for (int tick = 1; tick <= 3 * (interval + 1); ++tick) {
            if (cycle.tick(false) == RefreshCycle::Step::Fetch) {
                fetchTicks.push_back(tick);
                cycle.fetched();
            }
        }
        ASSERT_EQ(fetchTicks.size(), 3u);
        EXPECT_EQ(fetchTicks[0], interval + 1);
        EXPECT_EQ(fetchTicks[1] - fetchTicks[0], interval + 1);
    }
}

TEST(RefreshCycle, PauseAndTheConfigurationDialogHoldTheCycle)
{
    RefreshCycle cycle;
    cycle.Interval = 2;
    EXPECT_EQ(std::string(cycle.togglePause()), "&Resume");
    for (int i = 0; i < 12; ++i)
        EXPECT_NE(cycle.tick(false), RefreshCycle::Step::Fetch);
    EXPECT_EQ(std::string(cycle.togglePause()), "&Pause");
    // The counter kept running while paused: the next fetch is at most
    // Interval + 1 ticks away.
    int ticks = 1;
    while (cycle.tick(false) != RefreshCycle::Step::Fetch)
        ++ticks;
    EXPECT_LE(ticks, 3);

    cycle.fetched();
    for (int i = 0; i < 9; ++i)
        EXPECT_NE(cycle.tick(true), RefreshCycle::Step::Fetch);
    EXPECT_EQ(std::string(cycle.pauseCaption()), "&Pause");
}

} // namespace
} // namespace quoterra
