#include "fault_server.h"
#include "test_support.h"

#include "platform/controls.h"
#include "platform/inet.h"
#include "quotes/quote_get.h"

#include <gtest/gtest.h>

#include <QDir>

namespace quoterra {
namespace {

// The ticker's ten labels, on their own.
class QuoteLabels : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto* slot : {&l.Label1, &l.Label2, &l.Label3, &l.qCurrentStock, &l.qLastPrice, &l.qChange,
                           &l.qOpenPrice, &l.qDailyHigh, &l.qDailyLow, &l.qVolume}) {
            *slot = new Label(&host, QStringLiteral("label"));
            (*slot)->setForeColor(Qt::white);
        }
        colors.UpColor = QStringLiteral("0,200,0");
        colors.DownColor = QStringLiteral("220,0,0");
        colors.TextColor = QStringLiteral("1,2,3");
    }

    // Serves `answer` once for the current symbol and shows it.
    void show(const QString& entry, const std::string& answer)
    {
        FaultServer server({.mode = FaultServer::Mode::Fixed, .status = 200, .body = answer});
        qputenv("QUOTERRA_SERVICE", server.origin().toUtf8());
        QuoteState& s = quoteState();
        s.cursor = SymbolCursor{};
        s.cursor.CurrentSymbol = entry;
        s.ShortName = shortNameFor(entry);
        s.LongName = longNameFor(entry);
        if (entry == QLatin1String("S&P 500"))
            s.cursor.CurrentSymbol = QStringLiteral("S&&P 500");
        BuildQuoteRequest(l);
        FetchQuote(inet, l, colors);
        qunsetenv("QUOTERRA_SERVICE");
        requestLines = server.requestLines();
    }

    QWidget host;
    TickerLabels l;
    TickerColors colors;
    Inet inet;
    std::vector<std::string> requestLines;
};

TEST_F(QuoteLabels, AnOrdinaryAnswerFillsBothLinesAndColoursTheChange)
{
    show(QStringLiteral("IBM"), "\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.20,113.00,110.95,5532100\r\n");
    ASSERT_EQ(requestLines.size(), 1u);
    EXPECT_EQ(requestLines[0], "GET /d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv HTTP/1.1");
    EXPECT_EQ(l.Label1->Caption(), QStringLiteral("IBM"));
    EXPECT_EQ(l.Label2->Caption(), QStringLiteral("112.45"));
    EXPECT_EQ(l.Label2->ToolTipText(), QStringLiteral("112.45"));
    EXPECT_EQ(l.Label3->Caption(), QStringLiteral("+1.25"));
    EXPECT_EQ(l.qCurrentStock->Caption(), QStringLiteral("IBM"));
    EXPECT_EQ(l.qLastPrice->Caption(), QStringLiteral("112.45"));
    EXPECT_EQ(l.qChange->Caption(), QStringLiteral("+1.25"));
    EXPECT_EQ(l.qOpenPrice->Caption(), QStringLiteral("111.20"));
    EXPECT_EQ(l.qDailyHigh->Caption(), QStringLiteral("113.00"));
    EXPECT_EQ(l.qDailyLow->Caption(), QStringLiteral("110.95"));
    EXPECT_EQ(l.qVolume->Caption(), QStringLiteral("5532100\r\n"));
    EXPECT_EQ(l.Label3->ForeColor(), QColor(0, 200, 0));
    EXPECT_EQ(l.qChange->ForeColor(), QColor(0, 200, 0));
    for (Label* shown : {l.Label1, l.Label2, l.Label3, l.qLastPrice, l.qChange, l.qOpenPrice})
        EXPECT_FALSE(shown->Caption().contains(QLatin1String("3/9/2001")));
}

TEST_F(QuoteLabels, TheChangeColourFollowsItsSign)
{
    const std::pair<const char*, QColor> cases[] = {
        {"-0.40", QColor(220, 0, 0)}, {"+0.40", QColor(0, 200, 0)}, {"N/A", QColor(1, 2, 3)}, {"0.00", QColor(1, 2, 3)}};
    for (const auto& [change, colour] : cases) {
        show(QStringLiteral("MSFT"), std::string("\"MSFT\",20.00,\"1/2/2001\",\"9:30am\",") + change + ",1,2,3,4\r\n");
        EXPECT_EQ(l.qChange->ForeColor(), colour) << change;
    }
    // An empty change leaves the colour alone.
    show(QStringLiteral("MSFT"), "\"MSFT\",20.00,\"1/2/2001\",\"9:30am\",,1,2,3,4\r\n");
    EXPECT_EQ(l.qChange->ForeColor(), QColor(1, 2, 3));
}

TEST_F(QuoteLabels, TheBondIndexShowsPercentagesAndKeepsTheSign)
{
    show(QStringLiteral("30YR"), "\"^TYX\",54.32,\"3/9/2001\",\"4:01pm\",+0.25,54.00,54.50,0.00,0\r\n");
    ASSERT_EQ(requestLines.size(), 1u);
    EXPECT_EQ(requestLines[0], "GET /d/quotes.csv?s=%5ETYX&f=sl1d1t1c1ohgv&e=.csv HTTP/1.1");
    EXPECT_EQ(l.Label1->Caption(), QStringLiteral("30 YR"));
    EXPECT_EQ(l.qCurrentStock->Caption(), QStringLiteral("30 YR BOND"));
    EXPECT_EQ(l.Label2->Caption(), QStringLiteral("5.432%"));
    EXPECT_EQ(l.qLastPrice->Caption(), QStringLiteral("5.432%"));
    EXPECT_EQ(l.Label3->Caption(), QStringLiteral("+0.025%"));
    EXPECT_EQ(l.Label3->ToolTipText(), QStringLiteral("+0.025%"));
    EXPECT_EQ(l.qChange->Caption(), QStringLiteral("+0.025%"));
    EXPECT_EQ(l.qOpenPrice->Caption(), QStringLiteral("5.4%"));
    EXPECT_EQ(l.qDailyHigh->Caption(), QStringLiteral("5.45%"));
    EXPECT_EQ(l.qDailyLow->Caption(), QStringLiteral("0%"));
    EXPECT_EQ(l.qVolume->Caption(), QStringLiteral("0\r\n"));

    show(QStringLiteral("30YR"), "\"^TYX\",54.32,\"3/9/2001\",\"4:01pm\",-0.25,54.00,N/A,N/A,0\r\n");
    EXPECT_EQ(l.Label3->Caption(), QStringLiteral("-0.025%"));
    // Values that are no numbers keep what the loading state left.
    EXPECT_EQ(l.qDailyHigh->Caption(), QString());
}

TEST_F(QuoteLabels, IndicesAreRequestedByTheirServiceSymbols)
{
    const std::pair<const char*, const char*> cases[] = {
        {"DJIA", "%5EDJI"}, {"NASDAQ", "%5EIXIC"}, {"S&P 500", "%5ESPC"}, {"BRK B", "BRK%20B"}};
    for (const auto& [entry, sent] : cases) {
        show(QString::fromLatin1(entry), "\"X\",1,\"d\",\"t\",+1,1,1,1,1\r\n");
        ASSERT_EQ(requestLines.size(), 1u) << entry;
        EXPECT_EQ(requestLines[0], std::string("GET /d/quotes.csv?s=") + sent + "&f=sl1d1t1c1ohgv&e=.csv HTTP/1.1");
    }
    EXPECT_EQ(l.Label1->displayedText(), QStringLiteral("BRK B"));
    show(QStringLiteral("S&P 500"), "\"^SPC\",1,\"d\",\"t\",+1,1,1,1,1\r\n");
    EXPECT_EQ(l.Label1->displayedText(), QStringLiteral("S&P 500"));
    EXPECT_EQ(l.qCurrentStock->displayedText(), QStringLiteral("S&P 500"));
}

TEST_F(QuoteLabels, NoAnswerShowsErrorAndLeavesTheClearedValues)
{
    show(QStringLiteral("IBM"), "\"IBM\",112.45,\"3/9/2001\",\"4:01pm\",+1.25,111.20,113.00,110.95,5532100\r\n");
    for (const std::string& answer : {std::string(), std::string("<invalid address>")}) {
        show(QStringLiteral("IBM"), answer);
        EXPECT_EQ(l.Label2->Caption(), QStringLiteral("Error"));
        EXPECT_EQ(l.Label3->Caption(), QString());
        EXPECT_EQ(l.qLastPrice->Caption(), QString());
        EXPECT_EQ(l.qVolume->Caption(), QString());
        EXPECT_EQ(l.Label1->Caption(), QStringLiteral("IBM"));
    }
}

TEST(AdvanceSymbol, TheHoldFlagKeepsTheCurrentEntryOnce)
{
    test::TestProfile profile;
    test::writeSymbolFile(profile.symbolFile(), {{"A", "a"}, {"S&P 500", "S&P 500 Index"}, {"30YR", "30 Year Bond"}});
    QuoteState& s = quoteState();
    ASSERT_TRUE(QDir::setCurrent(profile.appDir()));
    ASSERT_TRUE(LoadSymbolFile(s.cursor));
    bool hold = true;
    AdvanceSymbol(hold);
    EXPECT_FALSE(hold);
    EXPECT_EQ(s.cursor.CurrentSymbol, QStringLiteral("A"));
    AdvanceSymbol(hold);
    EXPECT_EQ(s.cursor.CurrentSymbol, QStringLiteral("S&&P 500"));
    EXPECT_EQ(s.ShortName, QStringLiteral("S&&P 500"));
    EXPECT_EQ(s.cursor.CurrentName, QStringLiteral("S&P 500 Index"));
    AdvanceSymbol(hold);
    EXPECT_EQ(s.ShortName, QStringLiteral("30 YR"));
    EXPECT_EQ(s.LongName, QStringLiteral("30 YR BOND"));
    AdvanceSymbol(hold);
    EXPECT_EQ(s.cursor.CurrentSymbol, QStringLiteral("A"));
}

} // namespace
} // namespace quoterra
