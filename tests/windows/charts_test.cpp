// The chart browser: opened from the ticker, its load and places, fetching
// and storing charts, its range menu and symbol dialog.
#include "window_fixture.h"

#include "charts/charts.h"

namespace quoterra::test {
namespace {

class ChartsTest : public WindowTest {
protected:
    Charts* charts = nullptr;
    Charts* openCharts(const char* range = "1 Year", const char* symbol = "IBM")
    {
        set(Setting::ChartType, range);
        set(Setting::ChartSymbol, symbol);
        t->profile.writeSymbols({{"IBM", ""}});
        if (!openTicker())
            return nullptr;
        QTest::mouseClick(part<PictureBox>(ticker, "picChart"), Qt::LeftButton);
        return charts = window<Charts>("Charts");
    }
    QString chartPath() const { return t->profile.appDir() + u"/chart.gif"_s; }
    QByteArray chartFile() const { return readFile(chartPath()); }
    void storeChart(const QByteArray& bytes) const
    {
        QFile file(chartPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
};

TEST_F(ChartsTest, OpensWhereItWasSavedShowingTheSavedChartWithoutFetching)
{
    storeChart(service->get("/t?s=MSFT").body);
    set(Setting::ChartLeft, "3000");
    set(Setting::ChartTop, "9000");
    ASSERT_TRUE(openCharts("5 Day", "MSFT"));
    EXPECT_TRUE(charts->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(charts->size(), QSize(210, 120));
    EXPECT_EQ(charts->pos(), QPoint(200, 600));
    EXPECT_EQ(charts->symbolCaption(), u"MSFT"_s);
    EXPECT_EQ(charts->chartTypeCaption(), u"5 Day"_s);
    EXPECT_TRUE(charts->chartShown());
    EXPECT_FALSE(part(charts, "lblLoading")->isVisible());
    for (const QString& r : service->requests())
        EXPECT_FALSE(r.startsWith(u"/v"_s)) << r.toStdString();
}

TEST_F(ChartsTest, OnALargeFontScreenTheControlsMoveToTheirPlaces)
{
    start(120);
    ASSERT_TRUE(openCharts());
    const std::tuple<const char*, float, float> places[] = {
        {"picRight", 2412, 192},   {"picCharts", 120, 192},  {"picExit", 2360, 20},   {"picSymbol", 80, 65},
        {"picChartType", 80, 300}, {"picUpdate", 1730, 140}, {"lblSymbol", 1020, 80}, {"lblLoading", 840, 480},
    };
    for (const auto& [name, left, top] : places) {
        auto* placed = dynamic_cast<TwipsPlacement*>(charts->findChild<QWidget*>(QLatin1String(name)));
        ASSERT_NE(placed, nullptr) << name;
        EXPECT_EQ(placed->leftTwips(), left) << name;
        EXPECT_EQ(placed->topTwips(), top) << name;
    }
    EXPECT_EQ(charts->heightTwips(), 1320 + 120);
    EXPECT_EQ(part(charts, "lblSymbol")->font().pointSizeF(), 7);
}

struct RangeRow {
    const char* what;
    const char* range;
    const char* symbol;
    const char* path;
};
const RangeRow kRangeRows[] = {
    {"one day", "1 Day", "msft", "/t?s=msft"},
    {"five days", "5 Day", "MSFT", "/v?s=MSFT"},
    {"one year", "1 Year", "IBM", "/c/0b/i/ibm.gif"},
};
class RangeRows : public ChartsTest, public ::testing::WithParamInterface<RangeRow> { };
TEST_P(RangeRows, UpdateShowsAFreshChartOfTheRange)
{
    const RangeRow& c = GetParam();
    ASSERT_TRUE(openCharts(c.range, c.symbol));
    service->reset();
    QTest::mouseClick(part<PictureBox>(charts, "picUpdate"), Qt::LeftButton);
    EXPECT_EQ(service->requests(), QStringList{QLatin1String(c.path)});
    EXPECT_TRUE(chartFile().startsWith("GIF89a"));
    EXPECT_EQ(chartFile(), charts->lastResponse());
    EXPECT_TRUE(charts->chartShown());
}
INSTANTIATE_TEST_SUITE_P(Ranges, RangeRows, ::testing::ValuesIn(kRangeRows), rowName<RangeRow>);

TEST(ChartAddress, IsEmptyForARangeItDoesNotKnow)
{
    EXPECT_EQ(Charts::chartAddress(ServiceHosts::at(u"http://h"_s), u"2 Year"_s, u"IBM"_s), QString());
}

// What the server sends decides what is stored and shown: a 150-byte
// answer leaves the chart on disk; a failed fetch shows the last chart
// again; a body that is no GIF shows nothing and breaks nothing.
struct AnswerRow {
    const char* what;
    FakeSource::Answer answer;
    bool storedKept, shown;
};
const AnswerRow kAnswerRows[] = {
    {"150 bytes", {.body = std::string(150, 'x')}, true, true},
    {"151 bytes", {.body = std::string(151, 'x')}, true, true},
    {"a failed first fetch", {.status = 503}, false, false},
    {"a page instead of a picture", {.body = "<html>no chart</html>"}, false, false},
};
class ChartAnswerRows : public ChartsTest, public ::testing::WithParamInterface<AnswerRow> { };
TEST_P(ChartAnswerRows, DecideWhatIsStoredAndShown)
{
    const QByteArray good = service->get("/t?s=IBM").body;
    ASSERT_TRUE(good.startsWith("GIF89a"));
    FakeSource server(GetParam().answer);
    start(96, originOf(server));
    storeChart(good);
    ASSERT_TRUE(openCharts("1 Day", "IBM"));
    QTest::keyClick(charts, Qt::Key_Return);
    EXPECT_EQ(chartFile() == good, GetParam().storedKept);
    EXPECT_EQ(charts->chartShown(), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(Answers, ChartAnswerRows, ::testing::ValuesIn(kAnswerRows), rowName<AnswerRow>);

TEST_F(ChartsTest, TheRangeMenuChangesOnlyTheLabel)
{
    ASSERT_TRUE(openCharts("1 Year", "IBM"));
    service->reset();
    QTest::mouseClick(part<PictureBox>(charts, "picChartType"), Qt::LeftButton);
    auto* menu = charts->findChild<QMenu*>(u"mnuChartType"_s);
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? u"-"_s : a->text());
    EXPECT_EQ(items, (QStringList{"1 Day", "5 Day", "-", "1 Year"}));
    menu->hide();
    menu->findChild<QAction*>(u"mnu5Day"_s)->trigger();
    EXPECT_EQ(charts->chartTypeCaption(), u"5 Day"_s);
    EXPECT_TRUE(service->requests().isEmpty());
}

TEST_F(ChartsTest, TheSymbolDialogChangesOnlyTheLabel)
{
    ASSERT_TRUE(openCharts("1 Year", "IBM"));
    service->reset();
    QTest::mouseClick(part<PictureBox>(charts, "picSymbol"), Qt::LeftButton);
    auto* dialog = window<Dialog>("NewChartSymbol");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), u"Quoterra - New Chart Symbol"_s);
    QTest::mouseClick(part(dialog, "lblSymbolLookup"), Qt::LeftButton);
    EXPECT_NE(window("SymbolLookup"), nullptr);
    // Typed into the box that has the focus, and confirmed with Enter.
    ASSERT_EQ(dialog->focusWidget(), part<QLineEdit>(dialog, "txtTickerSymbol"));
    QTest::keyClicks(dialog->focusWidget(), u"msft"_s);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(window("NewChartSymbol"), nullptr);
    EXPECT_EQ(charts->symbolCaption(), u"MSFT"_s);
    EXPECT_TRUE(service->requests().isEmpty());
}

// The research menu from the chart's symbol is the ticker's, for the
// ticker's symbol.
TEST_F(ChartsTest, ARightClickOnItsSymbolResearchesTheTickersSymbol)
{
    ASSERT_TRUE(openCharts("1 Day", "DELL"));
    UrlRecorder browser;
    QTest::mousePress(part(charts, "lblSymbol"), Qt::RightButton);
    auto* research = ticker->findChild<QMenu*>(u"ResearchMenu"_s);
    ASSERT_TRUE(waitUntil([&] { return research->isVisible(); }));
    research->hide();
    research->findChild<QAction*>(u"NewsMenuItem"_s)->trigger();
    EXPECT_EQ(browser.opened, QStringList{service->origin() + u"/n/I/IBM.html"_s});
}

TEST_F(ChartsTest, TheTickersExitRemembersItOpenWithItsState)
{
    ASSERT_TRUE(openCharts("1 Day", "IBM"));
    charts->setSymbol(u"DELL"_s);
    charts->moveTwips(4500, 6000);
    program->ticker()->exitProgram();
    EXPECT_EQ(t->saved({Setting::ChartStartUp, Setting::ChartSymbol, Setting::ChartLeft}),
              (QStringList{"True", "DELL", "4500"}));
}

TEST_F(ChartsTest, AClosedChartBrowserStaysClosedWhereItWas)
{
    ASSERT_TRUE(openCharts("1 Day", "IBM"));
    charts->moveTwips(3000, 7000);
    QTest::mouseClick(part<PictureBox>(charts, "picExit"), Qt::LeftButton);
    EXPECT_EQ(window("Charts"), nullptr);
    EXPECT_EQ(t->saved(Setting::ChartTop), u"7000"_s);
    program->ticker()->exitProgram();
    EXPECT_EQ(t->saved({Setting::ChartStartUp, Setting::ChartTop}), (QStringList{"False", "7000"}));
}

} // namespace
} // namespace quoterra::test
