// The program on a desktop, under a real pointer and keyboard: dragging,
// menus, the Symbol Manager and the chart browser.
#include "e2e_fixture.h"

#include "symbols/file/symbol_file.h"

namespace quoterra::test {
namespace {

// Every test places the ticker 200 px from the screen's corner.
const QByteArray kStrip = placed(3000, 3000, "Shade");
const QByteArray kFull = placed(3000, 3000, "Full");
// The chart browser's saved place 200 px to the right of and below the ticker's.
const QByteArray kFullWithCharts = placed(3000, 3000, "Full", "Left=6000\nTop=6000\n");

class Desktop : public OnDesktop {
protected:
    QString start(const QByteArray& settings, const QList<QByteArray>& symbols, const QString& pathFirst = {})
    {
        const QString id = OnDesktop::start(settings, symbols, service.origin(), pathFirst);
        EXPECT_TRUE(x.reaches(id, {200, 200}));
        return id;
    }
    // The chart browser's window: the program's one of its size.
    QString chartBrowser() const
    {
        QString found;
        waitUntil([&] {
            for (const QString& id : x.programWindows())
                if (x.geometry(id).size() == QSize(210, 120))
                    found = id;
            return !found.isEmpty();
        });
        return found;
    }
    // Opened by the chart button on the full face.
    QString openChartBrowser() const
    {
        x.click({200 + 184 + 5, 200 + 44 + 5});
        return chartBrowser();
    }
    // The Symbol Manager, opened by the list button on the full face.
    QRect symbolManager() const
    {
        x.click({200 + 184 + 5, 200 + 68 + 5});
        const QString editor = x.window(u"Quoterra - Symbol Manager"_s);
        return editor.isEmpty() ? QRect() : x.geometry(editor);
    }
    // OK in the Symbol Manager, then Yes to saving.
    void saveAndClose(QRect editor) const
    {
        x.click(editor.topLeft() + QPoint(editor.width() - 140, editor.height() - 20));
        if (!x.window(u"^Quoterra$"_s).isEmpty())
            x.key(u"Return"_s);
    }
    QStringList savedList() const
    {
        QStringList symbols;
        for (const SymbolEntry& entry : decodeRecords(readFile(profile.symbolFile())))
            symbols << entry.TickerSymbol;
        return symbols;
    }

    ServiceProcess service;
};

TEST_F(Desktop, TheTickerDragsAndSnapsUnderARealPointer)
{
    const QString ticker = start(kStrip, {"IBM"});
    x.drag({300, 206}, {380, 306}, 5); // by the strip's face
    EXPECT_TRUE(x.reaches(ticker, {280, 300}));
    x.drag({380, 306}, {380, 6}); // up to 6 px below the top edge
    EXPECT_TRUE(x.reaches(ticker, {280, 0}));
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main({"Left", "Top"}), (QStringList{"4200", "0"}));
}

TEST_F(Desktop, TheTickerMovesWhileARequestHangs)
{
    FakeSource silent({.hang = true});
    const QString ticker = OnDesktop::start(kStrip, {"IBM"}, originOf(silent));
    ASSERT_TRUE(waitUntil([&] { return silent.count() > 0; }));
    x.drag({300, 206}, {340, 246}, 4);
    EXPECT_TRUE(x.reaches(ticker, {240, 240}));
}

TEST_F(Desktop, AResearchItemReachesTheDesktopsBrowserLauncher)
{
    ASSERT_FALSE(start(kStrip, {"IBM", "MSFT"}, profile.fakeOpener()).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); }));
    const QStringList before = x.programWindows();
    x.click({218, 205}, 3); // the symbol
    ASSERT_TRUE(x.newWindow(before)) << "no research menu";
    x.key(u"p"_s); // Company Profile
    EXPECT_TRUE(waitUntil([&] { return !profile.opened().isEmpty(); })) << "the launcher was never called";
    EXPECT_EQ(profile.opened(), u"1:"_s + service.origin() + u"/p/I/IBM.html"_s);
}

// The ticker's restart on a saved list leaves the program running.
TEST_F(Desktop, SymbolManagerOkSavesTheListTheTickerRestartsOn)
{
    ASSERT_FALSE(start(kFull, {"IBM", "MSFT", "DJIA"}).isEmpty());
    const QRect editor = symbolManager();
    ASSERT_FALSE(editor.isNull());
    x.click(editor.topLeft() + QPoint(60, 55)); // the first row
    x.key(u"Delete"_s);
    x.key(u"Delete"_s); // nothing is selected any more
    saveAndClose(editor);
    EXPECT_TRUE(waitUntil([&] { return savedList() == QStringList{"MSFT", "DJIA"}; }));
    EXPECT_TRUE(waitUntil([&] { return service.requests().contains(QString::fromLatin1(quoteTarget("MSFT"))); }));
    EXPECT_TRUE(program->running()) << "the restart ended the program";
    EXPECT_FALSE(x.window(u"quoterra"_s, true).isEmpty());
}

// A row dragged to the last row in sight, the pointer resting there: the
// list scrolls on and the row with it.
TEST_F(Desktop, ARowDraggedToTheBottomScrollsTheListWhileThePointerRests)
{
    QList<QByteArray> many;
    for (int i = 1; i <= 60; ++i)
        many << "S" + QByteArray::number(i);
    ASSERT_FALSE(start(kFull, many).isEmpty());
    const QRect editor = symbolManager();
    ASSERT_FALSE(editor.isNull());
    x.drag(editor.topLeft() + QPoint(60, 55), editor.topLeft() + QPoint(60, 262), 8, 2);
    saveAndClose(editor);
    ASSERT_TRUE(waitUntil([&] { return savedList().size() == 60 && savedList().first() != QLatin1String("S1"); }));
    EXPECT_GE(savedList().indexOf(u"S1"_s), 20) << savedList().join(u' ').toStdString();
}

// Opened from the face, updated, dragged under the ticker until it docks:
// the pair travels together and comes back docked at the next start.
TEST_F(Desktop, TheChartBrowserDockedUnderTheTickerStaysDocked)
{
    const QString ticker = start(kFullWithCharts, {"IBM"});
    const QString charts = openChartBrowser();
    ASSERT_FALSE(charts.isEmpty());
    ASSERT_EQ(x.geometry(charts).topLeft(), QPoint(400, 400));

    service.reset();
    x.click({400 + 170, 400 + 22}); // UPDATE
    EXPECT_TRUE(waitUntil([&] { return readFile(profile.appDir() + "/chart.gif").startsWith("GIF89a"); }));
    EXPECT_EQ(service.requests(), QStringList{"/c/0b/i/ibm.gif"});

    // By the grip beside UPDATE, to a few pixels off the ticker's bottom edge.
    const QRect t = x.geometry(ticker);
    x.drag({400 + 203, 400 + 25}, {t.left() + 5 + 203, t.bottom() + 1 + 5 + 25});
    ASSERT_TRUE(x.reaches(charts, {t.left(), t.bottom() + 1}));
    x.drag({300, 206}, {350, 256}); // the ticker by its title strip
    ASSERT_TRUE(x.reaches(ticker, {250, 250}));
    EXPECT_TRUE(x.reaches(charts, {250, 250 + t.height()}));

    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main("Docked"), u"True"_s);
    EXPECT_EQ(profile.chart("StartUp"), u"True"_s);
    EXPECT_EQ(profile.chart("Top"), QString::number((250 + t.height()) * 15));
    program = std::make_unique<RunningProgram>(profile, service.origin(), x.display());
    ASSERT_FALSE(x.window(u"quoterra"_s, true).isEmpty());
    const QString reopened = chartBrowser();
    ASSERT_FALSE(reopened.isEmpty());
    EXPECT_EQ(x.geometry(reopened).topLeft(), QPoint(250, 250 + t.height()));
}

// Flush against the ticker counts as docked when the ticker switches mode:
// the chart browser goes along instead of being left behind.
TEST_F(Desktop, AChartBrowserTouchingTheTickerMovesWithAModeSwitch)
{
    const QString ticker = start(kFullWithCharts, {"IBM"});
    const QString charts = openChartBrowser();
    ASSERT_FALSE(charts.isEmpty());
    // Flush below the full window, 20 px to the right: touching, not docked.
    const QRect t = x.geometry(ticker);
    x.drag({400 + 203, 400 + 25}, {t.left() + 20 + 203, t.bottom() + 1 + 25});
    ASSERT_TRUE(x.reaches(charts, {220, t.bottom() + 1}));

    x.click({200 + 186 + 5, 200 + 2 + 5}); // the mode button: to the strip
    ASSERT_TRUE(waitUntil([&] { return x.geometry(ticker).height() == 14; }, 3000));
    EXPECT_TRUE(x.reaches(charts, {220, 214}));
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main("Docked"), u"True"_s);
}

} // namespace
} // namespace quoterra::test
