// From a list entry to what the ticker's labels show: names, the request,
// the answer's slots, the bond index, colours, and the refresh count.
#include "test_support.h"

#include "quotes/quote_cycle.h"

namespace quoterra {
namespace {

TEST(Split, QuoteLinePiecesLandVerbatimInTenSlots)
{
    const std::pair<const char*, QStringList> cases[] = {
        {"\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.00,113.10,110.90,4512300\r\n",
         {"\"IBM\"", "112.45", "\"3/9/2001\"", "\"4:01pm\"", "+1.25", "111.00", "113.10", "110.90", "4512300\r\n"}},
        {"a, b ,c", {"a", " b ", "c"}},
        {"1,2,3,4,5,6,7,8,9,10,11,12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {"no comma at all", {}},
    };
    for (const auto& [line, pieces] : cases) {
        QuoteRecord record;
        record.fill(u"stale"_s);
        SplitQuoteLine(QString::fromLatin1(line), record);
        for (size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(record[i], pieces.value(qsizetype(i))) << line << " slot " << i;
    }
}

TEST(Split, ColoursReadUpToFourWholeNumbers)
{
    const std::pair<const char*, std::array<qint16, 4>> colors[] = {
        {"255,128,0", {255, 128, 0, 9}}, {"1.5,2.5,3.5,4.5", {2, 2, 4, 4}}, {"10,x,30", {10, 9, 9, 9}},
        {"1,2,3,4,5", {1, 2, 3, 4}},     {"40000,1,1", {9, 9, 9, 9}},       {"12", {9, 9, 9, 9}}};
    for (const auto& [text, read] : colors) {
        std::array<qint16, 4> places{9, 9, 9, 9};
        SplitColor(QLatin1String(text), places);
        EXPECT_EQ(places, read) << text;
    }
    EXPECT_EQ(colorFromText(u"0,300,-4"_s, Rgb{1, 2, 3}), (Rgb{0, 255, 0}));
    EXPECT_EQ(colorFromText(u"nonsense"_s, Rgb{1, 2, 3}), (Rgb{1, 2, 3}));
}

TEST(IndexEntries, GoByTheirOwnNames)
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
        profile.writeSymbols({{QLatin1String(row[0]), u"name"_s}});
        QuoteCycle cycle;
        ASSERT_EQ(cycle.cursor.OpenSymbolFile(profile.appDir()), FileError::None);
        cycle.cursor.ResetCursor();
        cycle.hold = true;
        cycle.AdvanceSymbol();
        EXPECT_EQ(cycle.cursor.CurrentSymbol, QLatin1String(row[3]));
        cycle.BuildQuoteRequest(u"http://h"_s);
        EXPECT_EQ(cycle.view.compactSymbol.caption, QLatin1String(row[1]));
        EXPECT_EQ(cycle.view.qCurrentStock.caption, QLatin1String(row[2]));
        EXPECT_EQ(cycle.requestAddress, "http://h" + QString::fromLatin1(test::quoteTarget(row[4])));
        EXPECT_EQ(cycle.view.compactPrice.caption, u"Loading..."_s);
        EXPECT_EQ(cycle.view.compactSymbol.toolTip, u"name"_s);
    }
}

// One answer shown, starting from a view that had a good quote of `symbol`.
QuoteView answered(const QString& answer, const QString& symbol = u"IBM"_s, TickerColors colors = {})
{
    QuoteCycle cycle;
    cycle.colors = colors;
    cycle.view.qOpenPrice.caption = u"previous"_s;
    cycle.view.compactPrice.caption = u"Loading..."_s;
    cycle.view.compactChange.color = cycle.view.qChange.color = Rgb{1, 2, 3};
    cycle.cursor.CurrentSymbol = symbol;
    cycle.showAnswer(answer);
    return cycle.view;
}

const TickerColors kColors{"1,1,1", "200,200,200", "0,255,0", "255,0,0"};

TEST(QuoteCycle, AnAnswerFillsBothLines)
{
    const QuoteView v =
        answered("\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.00,113.10,110.90,4512300\r\n", "IBM", kColors);
    const std::pair<const LabelText*, const char*> shown[] = {
        {&v.compactPrice, "112.45"}, {&v.compactChange, "+1.25"}, {&v.qLastPrice, "112.45"},  {&v.qOpenPrice, "111.00"},
        {&v.qDailyHigh, "113.10"},   {&v.qDailyLow, "110.90"},    {&v.qVolume, "4512300\r\n"}};
    for (const auto& [label, text] : shown)
        EXPECT_EQ(label->caption, QLatin1String(text));
    EXPECT_EQ(v.compactPrice.toolTip, u"112.45"_s);
}

TEST(QuoteCycle, TheChangeIsColouredBySign)
{
    const std::pair<const char*, Rgb> signs[] = {
        {"+1.25", {0, 255, 0}}, {"-0.40", {255, 0, 0}}, {"N/A", {200, 200, 200}}, {"", {1, 2, 3}}};
    for (const auto& [change, color] : signs) {
        const QuoteView s = answered(u"\"IBM\",1,d,t,"_s + QLatin1String(change) + ",2,3,4,5", "IBM", kColors);
        EXPECT_EQ(s.compactChange.color, color) << change;
        EXPECT_EQ(s.qChange.color, color) << change;
        EXPECT_EQ(s.qChange.caption, QLatin1String(change));
    }
}

TEST(QuoteCycle, NoAnswerShowsErrorOverTheLastValues)
{
    for (const char* answer : {"", "<invalid address>"}) {
        const QuoteView none = answered(QLatin1String(answer));
        EXPECT_EQ(none.compactPrice.caption, u"Error"_s);
        EXPECT_EQ(none.qOpenPrice.caption, u"previous"_s);
    }
}

// Without a comma every slot is empty, and so is every value.
TEST(QuoteCycle, AnAnswerWithoutACommaEmptiesTheValues)
{
    const QuoteView garbage = answered(u"<html>gone</html>"_s);
    EXPECT_EQ(garbage.compactPrice.caption, QString());
    EXPECT_EQ(garbage.qOpenPrice.caption, QString());
    EXPECT_EQ(garbage.compactChange.color, (Rgb{1, 2, 3}));
}

TEST(QuoteCycle, TheBondIndexShowsATenthInPercent)
{
    // The answer; the price, change, open and volume shown.
    const std::array<const char*, 5> cases[] = {
        {"\"^TYX\",54.32,d,t,+0.25,0.00,55,54,0", "5.432%", "+0.025%", "0%", "0"},
        {"\"^TYX\",54.32,d,t,-0.25,54.1,55,54,12", "5.432%", "-0.025%", "5.41%", "12"},
        // A slot that is no number leaves its label as it was.
        {"\"^TYX\",N/A,d,t,N/A,N/A,N/A,N/A,N/A", "Loading...", "N", "previous", "N/A"},
        // Fifteen significant digits, no fewer.
        {"\"^TYX\",1234567890.12345,d,t,+0,1,1,1,1", "123456789.012345%", "+0%", "0.1%", "1"},
    };
    for (const auto& c : cases) {
        const QuoteView v = answered(QLatin1String(c[0]), kBondIndexSymbol);
        EXPECT_EQ(v.compactPrice.caption, QLatin1String(c[1])) << c[0];
        EXPECT_EQ(v.compactChange.caption, QLatin1String(c[2])) << c[0];
        EXPECT_EQ(v.qChange.caption, QLatin1String(c[2])) << c[0];
        EXPECT_EQ(v.qOpenPrice.caption, QLatin1String(c[3])) << c[0];
        EXPECT_EQ(v.qVolume.caption, QLatin1String(c[4])) << c[0];
    }
}

TEST(RefreshCycle, FetchesComeIntervalPlusOneTicksApartUnlessHeld)
{
    struct Case {
        short interval;
        bool paused, held;
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
}

} // namespace
} // namespace quoterra
