// From a list entry to what the ticker's labels show: names, the request,
// the answer's slots, the bond index, colours, and the refresh count.
#include "service_process.h"
#include "test_support.h"

#include "core/transfer.h"
#include "quotes/quote_cycle.h"

#include <gtest/gtest.h>

namespace quoterra {
namespace {

TEST(SplitQuoteLine, PiecesLandInTheirSlotsVerbatim)
{
    struct Case {
        const char* line;
        std::vector<const char*> pieces;
    } cases[] = {
        {"\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.00,113.10,110.90,4512300\r\n",
         {"\"IBM\"", "112.45", "\"3/9/2001\"", "\"4:01pm\"", "+1.25", "111.00", "113.10", "110.90", "4512300\r\n", ""}},
        {"a, b ,c", {"a", " b ", "c", "", "", "", "", "", "", ""}},
        {"1,2,3,4,5,6,7,8,9,10,11,12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"no comma at all", {"", "", "", "", "", "", "", "", "", ""}},
        {"", {"", "", "", "", "", "", "", "", "", ""}},
        {",,", {"", "", "", "", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        QuoteRecord record;
        record.fill(QStringLiteral("stale"));
        SplitQuoteLine(QString::fromLatin1(c.line), record);
        for (size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(record[i], QLatin1String(c.pieces[i])) << c.line << " slot " << i;
    }
}

TEST(SplitColor, ReadsUpToFourWholeNumbersAndKeepsWhatItCannotRead)
{
    struct Case {
        const char* text;
        std::array<qint16, 4> places;
    } cases[] = {
        {"255,128,0", {255, 128, 0, 9}},
        {"1.5,2.5,3.5,4.5", {2, 2, 4, 4}},
        {"10,x,30", {10, 9, 9, 9}},
        {"1,2,3,4,5", {1, 2, 3, 4}},
        {"40000,1,1", {9, 9, 9, 9}},
        {"12", {9, 9, 9, 9}},
        {"", {9, 9, 9, 9}},
    };
    for (const Case& c : cases) {
        std::array<qint16, 4> places{9, 9, 9, 9};
        SplitColor(QLatin1String(c.text), places);
        EXPECT_EQ(places, c.places) << c.text;
    }
    EXPECT_EQ(colorFromText(QStringLiteral("0,300,-4"), Rgb{1, 2, 3}), (Rgb{0, 255, 0}));
    EXPECT_EQ(colorFromText(QStringLiteral("nonsense"), Rgb{1, 2, 3}), (Rgb{1, 2, 3}));
}

TEST(IndexEntries, AreShownAndRequestedByTheirOwnNames)
{
    // Entry, compact name, full name, what AdvanceSymbol leaves, what is sent.
    const std::array<const char*, 5> table[] = {
        {"DJIA", "DJIA", "DJIA", "DJIA", "^DJI"},
        {"NASDAQ", "NASDAQ", "NASDAQ", "NASDAQ", "^IXIC"},
        {"S&P 500", "S&&P 500", "S&&P 500", "S&&P 500", "^SPC"},
        {"30YR", "30 YR", "30 YR BOND", "30YR", "^TYX"},
        {"djia", "djia", "djia", "djia", "djia"},
        {"AT T", "AT T", "AT T", "AT T", "AT T"},
    };
    test::TestProfile profile;
    for (const auto& row : table) {
        profile.writeSymbols({{QLatin1String(row[0]), QStringLiteral("name")}});
        QuoteCycle cycle;
        ASSERT_EQ(cycle.cursor.OpenSymbolFile(profile.appDir()), kNoFileError);
        cycle.cursor.ResetCursor();
        cycle.hold = true;
        cycle.AdvanceSymbol();
        EXPECT_EQ(cycle.ShortName, QLatin1String(row[1]));
        EXPECT_EQ(cycle.LongName, QLatin1String(row[2]));
        EXPECT_EQ(cycle.cursor.CurrentSymbol, QLatin1String(row[3]));
        cycle.BuildQuoteRequest(QStringLiteral("http://h"));
        EXPECT_EQ(cycle.requestAddress,
                  QStringLiteral("http://h/d/quotes.csv?s=") + QLatin1String(row[4])
                      + QStringLiteral("&f=sl1d1t1c1ohgv&e=.csv"));
        EXPECT_EQ(cycle.view.compactPrice.caption, QStringLiteral("Loading..."));
        EXPECT_EQ(cycle.view.compactSymbol.toolTip, QStringLiteral("name"));
    }
}

TEST(QuoteCycle, TheHoldFlagKeepsTheCurrentEntryOnce)
{
    test::TestProfile profile;
    profile.writeSymbols({{"A", ""}, {"B", ""}, {"C", ""}});
    QuoteCycle cycle;
    cycle.cursor.OpenSymbolFile(profile.appDir());
    cycle.cursor.ResetCursor();
    cycle.hold = true;
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        cycle.AdvanceSymbol();
        seen << cycle.cursor.CurrentSymbol;
    }
    EXPECT_EQ(seen, (QStringList{"A", "B", "C", "A"}));
}

// One answer shown, starting from a view that had a good quote of `symbol`.
QuoteView answered(const QString& symbol, const QString& answer, TickerColors colors = {})
{
    QuoteCycle cycle;
    cycle.colors = colors;
    cycle.view.qOpenPrice.caption = QStringLiteral("previous");
    cycle.view.compactChange.color = Rgb{1, 2, 3};
    cycle.cursor.CurrentSymbol = symbol;
    cycle.showAnswer(answer);
    return cycle.view;
}

TEST(QuoteCycle, AnAnswerFillsBothLinesAndColoursTheChangeBySign)
{
    const TickerColors colors{QStringLiteral("1,1,1"), QStringLiteral("200,200,200"), QStringLiteral("0,255,0"),
                              QStringLiteral("255,0,0")};
    const QuoteView v = answered(
        QStringLiteral("IBM"),
        QStringLiteral("\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.00,113.10,110.90,4512300\r\n"), colors);
    EXPECT_EQ(v.compactPrice.caption, QStringLiteral("112.45"));
    EXPECT_EQ(v.compactPrice.toolTip, QStringLiteral("112.45"));
    EXPECT_EQ(v.compactChange.caption, QStringLiteral("+1.25"));
    EXPECT_EQ(v.qLastPrice.caption, QStringLiteral("112.45"));
    EXPECT_EQ(v.qOpenPrice.caption, QStringLiteral("111.00"));
    EXPECT_EQ(v.qDailyHigh.caption, QStringLiteral("113.10"));
    EXPECT_EQ(v.qDailyLow.caption, QStringLiteral("110.90"));
    EXPECT_EQ(v.qVolume.caption, QStringLiteral("4512300\r\n"));
    EXPECT_EQ(v.qChange.color, (Rgb{0, 255, 0}));

    const std::pair<const char*, Rgb> signs[] = {{"-0.40", {255, 0, 0}}, {"N/A", {200, 200, 200}}, {"", {1, 2, 3}}};
    for (const auto& [change, color] : signs) {
        const QuoteView s =
            answered(QStringLiteral("IBM"),
                     QStringLiteral("\"IBM\",1,d,t,") + QLatin1String(change) + QStringLiteral(",2,3,4,5"), colors);
        EXPECT_EQ(s.compactChange.color, color) << change;
        EXPECT_EQ(s.qChange.caption, QLatin1String(change));
    }
}

TEST(QuoteCycle, NoAnswerShowsErrorAndLeavesEverythingElse)
{
    for (const char* answer : {"", "<invalid address>"}) {
        const QuoteView v = answered(QStringLiteral("IBM"), QLatin1String(answer));
        EXPECT_EQ(v.compactPrice.caption, QStringLiteral("Error"));
        EXPECT_EQ(v.qOpenPrice.caption, QStringLiteral("previous"));
    }
    // Without a comma every slot is empty, and so is every value.
    const QuoteView garbage = answered(QStringLiteral("IBM"), QStringLiteral("<html>gone</html>"));
    EXPECT_EQ(garbage.compactPrice.caption, QString());
    EXPECT_EQ(garbage.qOpenPrice.caption, QString());
    EXPECT_EQ(garbage.compactChange.color, (Rgb{1, 2, 3}));
}

TEST(QuoteCycle, TheBondIndexShowsATenthInPercentAndKeepsTheSign)
{
    struct Case {
        const char* answer;
        const char* compactPrice;
        const char* compactChange;
        const char* open;
        const char* volume;
    } cases[] = {
        {"\"^TYX\",54.32,d,t,+0.25,0.00,55,54,0", "5.432%", "+0.025%", "0%", "0"},
        {"\"^TYX\",54.32,d,t,-0.25,54.1,55,54,12", "5.432%", "-0.025%", "5.41%", "12"},
        // A slot that is no number leaves its label as it was.
        {"\"^TYX\",N/A,d,t,N/A,N/A,N/A,N/A,N/A", "Loading...", "N", "previous", "N/A"},
        // Fifteen significant digits, no fewer.
        {"\"^TYX\",1234567890.12345,d,t,+0,1,1,1,1", "123456789.012345%", "+0%", "0.1%", "1"},
    };
    for (const Case& c : cases) {
        QuoteCycle cycle;
        cycle.view.qOpenPrice.caption = QStringLiteral("previous");
        cycle.view.compactPrice.caption = QStringLiteral("Loading...");
        cycle.cursor.CurrentSymbol = kBondIndexSymbol;
        cycle.showAnswer(QLatin1String(c.answer));
        EXPECT_EQ(cycle.view.compactPrice.caption, QLatin1String(c.compactPrice)) << c.answer;
        EXPECT_EQ(cycle.view.compactChange.caption, QLatin1String(c.compactChange)) << c.answer;
        EXPECT_EQ(cycle.view.qChange.caption, QLatin1String(c.compactChange)) << c.answer;
        EXPECT_EQ(cycle.view.qOpenPrice.caption, QLatin1String(c.open)) << c.answer;
        EXPECT_EQ(cycle.view.qVolume.caption, QLatin1String(c.volume)) << c.answer;
    }
}

TEST(QuoteCycle, FetchesAndShowsTheServicesAnswer)
{
    ServiceProcess service;
    test::TestProfile profile;
    profile.writeSymbols({{"30YR", "30 Year Bond"}});
    QuoteCycle cycle;
    cycle.cursor.OpenSymbolFile(profile.appDir());
    cycle.cursor.ResetCursor();
    cycle.hold = true;
    cycle.AdvanceSymbol();
    cycle.BuildQuoteRequest(service.origin());
    Transfer transfer;
    cycle.FetchQuote(transfer);
    EXPECT_TRUE(cycle.view.compactPrice.caption.endsWith(u'%')) << cycle.view.compactPrice.caption.toStdString();
    EXPECT_EQ(cycle.view.qCurrentStock.caption, QStringLiteral("30 YR BOND"));
    EXPECT_EQ(service.requests().value(0), QStringLiteral("/d/quotes.csv?s=^TYX&f=sl1d1t1c1ohgv&e=.csv"));
}

TEST(RefreshCycle, FetchesComeIntervalPlusOneTicksApartUnlessHeld)
{
    struct Case {
        short interval;
        bool paused;
        bool held;
        const char* ticks; // F fetch, . counted, H held
    } cases[] = {
        {10, false, false, "..........F"}, {0, false, false, "F"},  {2, true, false, "..H..H"},
        {2, false, true, "..H..H"},        {-3, false, false, "F"},
    };
    for (const Case& c : cases) {
        RefreshCycle cycle;
        cycle.Interval = c.interval;
        cycle.paused = c.paused;
        QString seen;
        for (qsizetype i = 0; i < qsizetype(strlen(c.ticks)); ++i) {
            const auto step = cycle.tick(c.held);
            seen += step == RefreshCycle::Step::Fetch ? u'F' : step == RefreshCycle::Step::Held ? u'H' : u'.';
            if (step == RefreshCycle::Step::Fetch)
                cycle.fetched();
        }
        EXPECT_EQ(seen, QLatin1String(c.ticks)) << c.interval;
    }
    RefreshCycle cycle;
    EXPECT_EQ(cycle.pauseCaption(), QStringLiteral("&Pause"));
    cycle.paused = true;
    EXPECT_EQ(cycle.pauseCaption(), QStringLiteral("&Resume"));
}

} // namespace
} // namespace quoterra
