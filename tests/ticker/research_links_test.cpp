#include "ticker_fixture.h"

#include "ticker/research_links.h"

namespace quoterra {
namespace {

class ResearchLinks : public test::TickerTest {};

TEST_F(ResearchLinks, EveryItemOpensItsAddressForTheSymbolAsShown)
{
    Ticker* t = load();
    ASSERT_NE(t, nullptr);
    const QString o = service->origin();
    struct Item {
        MenuItem* item;
        QString address; // %1 = symbol, %2 = its first character
    };
    const Item items[] = {
        {t->NewsMenuItem, o + "/n/%2/%1.html"},
        {t->CompanyProfileMenuItem, o + "/p/%2/%1.html"},
        {t->SECMenuItem, o + "/e/l/%2/%1.html"},
        {t->ResearchMenuItem, o + "/z/a/%2/%1.html"},
        {t->InsiderMenuItem, o + "/t/%2/%1.html"},
        {t->MessageBoardMenuItem, o + "/?action=q&board=%1"},
        {t->SOneDayMenuItem, o + "/q?s=%1&d=1b"},
        {t->SFiveDayMenuItem, o + "/q?s=%1&d=2b"},
        {t->SOneYearMenuItem, o + "/q?s=%1&d=0b"},
        {t->LOneDayMenuItem, o + "/q?s=%1&d=1d"},
        {t->LFiveDayMenuItem, o + "/q?s=%1&d=5d"},
        {t->LThreeMonthMenuItem, o + "/q?s=%1&d=3m"},
        {t->LOneYearMenuItem, o + "/q?s=%1&d=1y"},
        {t->LTwoYearMenuITem, o + "/q?s=%1&d=2y"},
        {t->LFiveYearMenuITem, o + "/q?s=%1&d=5y"},
    };
    for (const QString symbol : {"IBM", "ibm", "S&&P 500", "30 YR BOND", ""}) {
        SCOPED_TRACE(symbol.toStdString());
        test::UrlRecorder recorder;
        QStringList expected;
        t->ResearchSymbol = symbol;
        for (const auto& [item, address] : items) {
            item->trigger();
            expected << QString(address).replace(QLatin1String("%1"), symbol).replace(QLatin1String("%2"), symbol.left(1));
        }
        EXPECT_EQ(recorder.opened, expected);
    }
}

TEST(ResearchAddress, NothingIsEscapedOrChangedInCase)
{
    qputenv("QUOTERRA_SERVICE", "http://127.0.0.1:1");
    EXPECT_EQ(researchAddress(ResearchLink::Profile, QStringLiteral("ibm")), QStringLiteral("http://127.0.0.1:1/p/i/ibm.html"));
    EXPECT_EQ(researchAddress(ResearchLink::Profile, QStringLiteral("IBM")), QStringLiteral("http://127.0.0.1:1/p/I/IBM.html"));
    EXPECT_EQ(researchAddress(ResearchLink::News, QString()), QStringLiteral("http://127.0.0.1:1/n//.html"));
    EXPECT_EQ(researchAddress(ResearchLink::News, QStringLiteral("S&&P 500")),
              QStringLiteral("http://127.0.0.1:1/n/S/S&&P 500.html"));
    qunsetenv("QUOTERRA_SERVICE");
    EXPECT_TRUE(researchAddress(ResearchLink::MessageBoard, QStringLiteral("IBM"))
                    .endsWith(QLatin1String("/?action=q&board=IBM")));
}

} // namespace
} // namespace quoterra
