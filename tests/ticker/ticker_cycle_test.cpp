#include "ticker_fixture.h"

#include "placement/placement.h"
#include "platform/inet.h"

#include <QTest>
#include <QUrl>

#include <QRegularExpression>

namespace quoterra {
namespace {

using test::StandIn;

// What the service was asked for, as symbols.
QStringList askedSymbols(const ServiceProcess& service)
{
    QStringList symbols;
    static const QRegularExpression quote(QStringLiteral("^/d/quotes\\.csv\\?s=([^&]*)&"));
    for (const QString& target : service.requests()) {
        const auto m = quote.match(target);
        if (m.hasMatch())
            symbols << QUrl::fromPercentEncoding(m.captured(1).toUtf8());
    }
    return symbols;
}

class TickerCycle : public test::TickerTest {
protected:
    void SetUp() override
    {
        TickerTest::SetUp();
        quoteState() = QuoteState{};
    }
    // Runs timer ticks straight through the refresh step.
    static void ticks(Ticker* t, int n)
    {
        for (int i = 0; i < n; ++i)
            t->RefreshStep();
    }
};

TEST_F(TickerCycle, AThreeEntryListStartsAtItsFirstEntryAndWraps)
{
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}, {"DJIA", "Dow"}, {"msft", "Microsoft"}});
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->Timer2->Enabled());
    EXPECT_EQ(askedSymbols(*service), QStringList{"IBM"});
    EXPECT_EQ(t->Label1->Caption(), QStringLiteral("IBM"));
    EXPECT_EQ(t->Label1->ToolTipText(), QStringLiteral("IBM"));

    ticks(t, 10);
    EXPECT_EQ(askedSymbols(*service).size(), 1);
    ticks(t, 1);
    EXPECT_EQ(askedSymbols(*service), (QStringList{"IBM", "^DJI"}));
    EXPECT_EQ(t->Label1->Caption(), QStringLiteral("DJIA"));
    ticks(t, 22);
    EXPECT_EQ(askedSymbols(*service), (QStringList{"IBM", "^DJI", "msft", "IBM"}));
    EXPECT_FALSE(t->Label2->Caption().isEmpty());
    EXPECT_NE(t->Label2->Caption(), QStringLiteral("Error"));
    EXPECT_TRUE(t->Timer2->Enabled());
}

TEST_F(TickerCycle, OneEntryAndEmptyListsAtIntervalZero)
{
    WriteMainSetting(QStringLiteral("Interval"), QStringLiteral("0"));
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}});
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    // A single entry is not requested at load: its first quote comes with the first tick.
    EXPECT_EQ(askedSymbols(*service), QStringList{});
    EXPECT_EQ(t->Label2->Caption(), QStringLiteral("Error"));
    ticks(t, 3);
    EXPECT_EQ(askedSymbols(*service), (QStringList{"IBM", "IBM", "IBM"}));
    EXPECT_NE(t->Label2->Caption(), QStringLiteral("Error"));
    Forms::reset();

    test::TestProfile empty;
    TickerTest::SetUp();
    quoteState() = QuoteState{};
    WriteMainSetting(QStringLiteral("Interval"), QStringLiteral("0"));
    service->reset();
    t = load();
    ASSERT_NE(t, nullptr);
    ticks(t, 2);
    EXPECT_EQ(askedSymbols(*service), (QStringList{"", ""}));
    EXPECT_EQ(t->Label1->Caption(), QString());
}

TEST_F(TickerCycle, PauseAndTheConfigurationDialogHoldTheCycle)
{
    WriteMainSetting(QStringLiteral("Interval"), QStringLiteral("0"));
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}, {"MSFT", "MSFT"}});
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    const int atLoad = askedSymbols(*service).size();

    t->TogglePause();
    ticks(t, 5);
    EXPECT_EQ(askedSymbols(*service).size(), atLoad);
    t->TogglePause();
    ConfigOpen = true;
    ticks(t, 5);
    EXPECT_EQ(askedSymbols(*service).size(), atLoad);
    EXPECT_EQ(t->PauseMenuItem->Caption(), QStringLiteral("&Pause"));
    ConfigOpen = false;
    ticks(t, 1);
    EXPECT_EQ(askedSymbols(*service).size(), atLoad + 1);
}

TEST_F(TickerCycle, AFailedAnswerShowsErrorAndTheNextOneRecovers)
{
    WriteMainSetting(QStringLiteral("Interval"), QStringLiteral("0"));
    WriteMainSetting(QStringLiteral("Height"), QStringLiteral("Shade"));
    test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}, {"MSFT", "MSFT"}});
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    service->failNext(1);
    ticks(t, 1);
    EXPECT_EQ(t->Label1->Caption(), QStringLiteral("MSFT"));
    EXPECT_EQ(t->Label2->Caption(), QStringLiteral("Error"));
    EXPECT_EQ(t->qLastPrice->Caption(), QString());
    ticks(t, 1);
    EXPECT_EQ(t->Label1->Caption(), QStringLiteral("IBM"));
    bool isNumber = false;
    t->Label2->Caption().toDouble(&isNumber);
    EXPECT_TRUE(isNumber) << t->Label2->Caption().toStdString();
    EXPECT_EQ(t->qLastPrice->Caption(), t->Label2->Caption());
}

TEST_F(TickerCycle, TheTimeOutAndIntervalComeFromTheSettings)
{
    WriteMainSetting(QStringLiteral("Timeout"), QStringLiteral("7"));
    WriteMainSetting(QStringLiteral("Interval"), QStringLiteral("25"));
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->inetQuotes->RequestTimeout(), 7);
    EXPECT_EQ(t->cycle.Interval, 25);
    EXPECT_EQ(t->Timer2->Interval(), 1000);
}

class TickerExit : public test::TickerTest {
protected:
    void seed()
    {
        WriteMainSetting(QStringLiteral("Left"), QStringLiteral("1500"));
        WriteMainSetting(QStringLiteral("Top"), QStringLiteral("-900"));
        WriteMainSetting(QStringLiteral("Height"), QStringLiteral("Shade"));
        WriteMainSetting(QStringLiteral("Docked"), QStringLiteral("True"));
        WriteMainSetting(QStringLiteral("Always On Top"), QStringLiteral("False"));
        WriteChartsSetting(QStringLiteral("Left"), QStringLiteral("4650"));
        WriteChartsSetting(QStringLiteral("Top"), QStringLiteral("210"));
        WriteChartsSetting(QStringLiteral("Symbol"), QStringLiteral("IBM"));
        WriteChartsSetting(QStringLiteral("StartUp"), QStringLiteral("True"));
    }
    void expectTickerSaved()
    {
        EXPECT_EQ(stored(kMainKey, QStringLiteral("Left")), QStringLiteral("1500"));
        // The load pulled the strip into the work area; that place is saved.
        EXPECT_EQ(stored(kMainKey, QStringLiteral("Top")), QStringLiteral("0"));
        EXPECT_EQ(stored(kMainKey, QStringLiteral("Height")), QStringLiteral("Shade"));
        EXPECT_EQ(stored(kMainKey, QStringLiteral("Docked")), QStringLiteral("True"));
        EXPECT_EQ(stored(kMainKey, QStringLiteral("Always On Top")), QStringLiteral("False"));
    }
};

TEST_F(TickerExit, ExitSavesEveryValueAndEndsTheProgram)
{
    seed();
    WriteChartsSetting(QStringLiteral("StartUp"), QStringLiteral("False"));
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(placement().docked);
    QTest::mouseClick(t->picExit, Qt::RightButton);
    expectTickerSaved();
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("StartUp")), QStringLiteral("False"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Left")), QStringLiteral("4650"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Top")), QStringLiteral("210"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Symbol")), QStringLiteral("IBM"));
    EXPECT_TRUE(Forms::ending());
    EXPECT_TRUE(Forms::loaded().isEmpty());
}

TEST_F(TickerExit, AnOpenChartBrowserIsSavedWithTheTicker)
{
    seed();
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    auto* chart = new StandIn(QStringLiteral("Charts"), 3000, 6000);
    (new Label(chart, QStringLiteral("lblSymbol")))->setCaption(QStringLiteral("MSFT"));
    (new Label(chart, QStringLiteral("lblChartType")))->setCaption(QStringLiteral("5 Day"));
    Forms::load(chart);
    t->ExitMenuItem->trigger();
    expectTickerSaved();
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("StartUp")), QStringLiteral("True"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Symbol")), QStringLiteral("MSFT"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Chart Type")), QStringLiteral("5 Day"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Left")), QStringLiteral("3000"));
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("Top")), QStringLiteral("6000"));
}

TEST_F(TickerExit, ClosingTheWindowSavesAndClosesTheChartBrowserButDoesNotEnd)
{
    seed();
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    auto* chart = new StandIn(QStringLiteral("Charts"), 3000, 6000);
    Forms::load(chart);
    auto* other = new StandIn(QStringLiteral("SymbolEditor"));
    Forms::load(other);
    t->close();
    expectTickerSaved();
    EXPECT_EQ(stored(kChartsKey, QStringLiteral("StartUp")), QStringLiteral("True"));
    EXPECT_FALSE(Forms::isLoaded(QStringLiteral("Ticker")));
    EXPECT_FALSE(Forms::isLoaded(QStringLiteral("Charts")));
    EXPECT_TRUE(Forms::isLoaded(other));
    EXPECT_FALSE(Forms::ending());
}

} // namespace
} // namespace quoterra
