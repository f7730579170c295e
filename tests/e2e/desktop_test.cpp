// The program on a desktop, under a real pointer and keyboard: dragging,
// menus, the configuration dialog and the Symbol Manager.
#include "e2e_fixture.h"

#include "symbols/file/symbol_file.h"

namespace quoterra::test {
namespace {

const QByteArray kStrip = placed(3000, 3000, "Shade");
const QByteArray kFull = placed(3000, 3000, "Full");
// The chart browser's saved place 200 px to the right of and below the ticker's.
const QByteArray kFullWithCharts = placed(3000, 3000, "Full", "Left=6000\nTop=6000\n");

class Desktop : public ::testing::Test {
protected:
    // Starts the program; returns the ticker's window.
    QString start(const QByteArray& settings, const QList<QByteArray>& symbols, const QString& pathFirst = {},
                  const QString& origin = {})
    {
        profile.seed(settings, symbols);
        program = std::make_unique<RunningProgram>(profile, origin.isEmpty() ? service.origin() : origin, x.display(),
                                                   pathFirst);
        const QString id = x.window(u"quoterra"_s, true);
        // Every test places the ticker 200 px from the screen's corner.
        waitUntil([&] { return x.geometry(id).topLeft() == QPoint(200, 200); });
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
    // The chart browser, opened by the chart button on the full face.
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
        const QByteArray bytes = readFile(profile.symbolFile());
        for (qsizetype at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength)
            symbols << decodeRecord(bytes.mid(at, kRecordLength)).TickerSymbol;
        return symbols;
    }

    Xvfb x;
    ServiceProcess service;
    Profile profile;
    std::unique_ptr<RunningProgram> program;
};

TEST_F(Desktop, TheTickerDragsAndSnapsUnderARealPointer)
{
    const QString ticker = start(kStrip, {"IBM"});
    ASSERT_FALSE(ticker.isEmpty());
    // The strip is 200 px from the screen's corner: grab its face, drag it.
    x.drag({300, 206}, {380, 306}, 5);
    EXPECT_TRUE(waitUntil([&] { return x.geometry(ticker).topLeft() == QPoint(280, 300); }, 3000));
    // Up to 6 px below the top edge: it snaps flush.
    x.drag({380, 306}, {380, 6});
    EXPECT_TRUE(waitUntil([&] { return x.geometry(ticker).topLeft() == QPoint(280, 0); }, 3000));
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main({"Left", "Top"}), (QStringList{"4200", "0"}));
}

// While a quote request hangs the strip still moves and repaints.
TEST_F(Desktop, TheTickerStaysResponsiveWhileARequestHangs)
{
    FakeSource silent({.hang = true});
    const QString ticker = start(kStrip, {"IBM"}, {}, originOf(silent));
    ASSERT_FALSE(ticker.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return silent.count() > 0; }));
    x.drag({300, 206}, {340, 246}, 4);
    EXPECT_TRUE(waitUntil([&] { return x.geometry(ticker).topLeft() == QPoint(240, 240); }, 3000));
}

TEST_F(Desktop, AResearchItemReachesTheDesktopsBrowserLauncher)
{
    // A launcher that only writes down what it was asked to open.
    const QString bin = profile.root() + u"/bin"_s;
    const QString record = profile.root() + u"/opened.txt"_s;
    QDir().mkpath(bin);
    QFile launcher(bin + u"/xdg-open"_s);
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.write(u"#!/bin/sh\necho \"$#:$1\" >> '%1'\n"_s.arg(record).toUtf8());
    launcher.close();
    launcher.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_FALSE(start(kStrip, {"IBM", "MSFT"}, bin).isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); }));
    // Right-click the symbol, then choose Company Profile by its access key.
    const QStringList before = x.programWindows();
    x.click({218, 205}, 3);
    ASSERT_TRUE(x.newWindow(before)) << "no research menu";
    x.key(u"p"_s);
    EXPECT_TRUE(waitUntil([&] { return !readFile(record).isEmpty(); })) << "the launcher was never called";
    // One argument, the page on the service.
    EXPECT_EQ(QString::fromUtf8(readFile(record)).trimmed(), u"1:"_s + service.origin() + u"/p/I/IBM.html"_s);
}

// OK in the configuration dialog reloads the ticker with the new size; the
// program goes on running.
TEST_F(Desktop, ConfigurationOkReloadsTheTickerAndTheProgramRunsOn)
{
    ASSERT_FALSE(start(kStrip, {"IBM"}).isEmpty());
    const QStringList before = x.programWindows();
    x.click({206, 203}); // the options button
    ASSERT_TRUE(x.newWindow(before)) << "no options menu";
    x.key(u"c"_s);
    const QString dialog = x.window(u"Quoterra - Configuration"_s);
    ASSERT_FALSE(dialog.isEmpty());
    x.click(x.geometry(dialog).topLeft() + QPoint(172, 97)); // Large Ticker
    x.key(u"Return"_s);
    EXPECT_TRUE(waitUntil([&] { return profile.main("Size") == QLatin1String("Large"); }));
    // The ticker comes back large, and the program is still there after it.
    EXPECT_TRUE(waitUntil([&] {
        const QStringList shown = x.programWindows();
        return std::any_of(shown.begin(), shown.end(),
                           [&](const QString& id) { return x.geometry(id).width() == 280; });
    }));
    ASSERT_TRUE(program->running()) << "OK ended the program";
}

// OK then Yes in the Symbol Manager saves the list and restarts the ticker
// on it; the program goes on running.
TEST_F(Desktop, SymbolManagerOkSavesTheListAndTheProgramRunsOn)
{
    ASSERT_FALSE(start(kFull, {"IBM", "MSFT", "DJIA"}).isEmpty());
    const QRect editor = symbolManager();
    ASSERT_FALSE(editor.isNull());
    x.click(editor.topLeft() + QPoint(60, 55)); // the first row
    x.key(u"Delete"_s);
    x.key(u"Delete"_s);
    saveAndClose(editor);
    // The second Delete found nothing selected.
    EXPECT_TRUE(waitUntil([&] { return savedList() == QStringList{"MSFT", "DJIA"}; }));
    // The ticker restarts on the new list, and the program is still there after it.
    EXPECT_TRUE(waitUntil([&] { return service.requests().contains(QString::fromLatin1(quoteTarget("MSFT"))); }));
    ASSERT_TRUE(program->running()) << "OK ended the program";
    EXPECT_FALSE(x.window(u"quoterra"_s, true).isEmpty());
}

// A row dragged to the last row in sight, the pointer resting there: the
// list scrolls on and the row with it, one row a step.
TEST_F(Desktop, ARowDraggedToTheBottomScrollsTheListWhileThePointerRests)
{
    QList<QByteArray> many;
    for (int i = 1; i <= 60; ++i)
        many << "S" + QByteArray::number(i);
    ASSERT_FALSE(start(kFull, many).isEmpty());
    const QRect editor = symbolManager();
    ASSERT_FALSE(editor.isNull());
    // From the first row to the last in sight, then two seconds without motion.
    x.drag(editor.topLeft() + QPoint(60, 55), editor.topLeft() + QPoint(60, 262), 8, 2);
    saveAndClose(editor);
    ASSERT_TRUE(waitUntil([&] { return savedList().size() == 60 && savedList().first() != QLatin1String("S1"); }));
    EXPECT_GE(savedList().indexOf(u"S1"_s), 20) << savedList().join(u' ').toStdString();
}

// The chart browser opened from the face, updated, dragged under the ticker
// until it docks; the pair travels together and comes back docked.
TEST_F(Desktop, TheChartBrowserDocksUnderTheTickerAndComesBackDocked)
{
    const QString ticker = start(kFullWithCharts, {"IBM"});
    ASSERT_FALSE(ticker.isEmpty());
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
    ASSERT_TRUE(waitUntil([&] { return x.geometry(charts).topLeft() == QPoint(t.left(), t.bottom() + 1); }, 3000))
        << "chart browser at " << x.geometry(charts).x() << "," << x.geometry(charts).y();

    x.drag({300, 206}, {350, 256}); // the ticker by its title strip
    ASSERT_TRUE(waitUntil([&] { return x.geometry(ticker).topLeft() == QPoint(250, 250); }, 3000));
    EXPECT_TRUE(waitUntil([&] { return x.geometry(charts).topLeft() == QPoint(250, 250 + t.height()); }, 3000));

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

// A chart browser flush against the ticker counts as docked when the ticker
// switches mode: it goes along instead of being left behind.
TEST_F(Desktop, AChartBrowserTouchingTheTickerMovesWithAModeSwitch)
{
    const QString ticker = start(kFullWithCharts, {"IBM"});
    ASSERT_FALSE(ticker.isEmpty());
    const QString charts = openChartBrowser();
    ASSERT_FALSE(charts.isEmpty());
    // Flush below the full window, 20 px to the right: touching, not docked.
    const QRect t = x.geometry(ticker);
    x.drag({400 + 203, 400 + 25}, {t.left() + 20 + 203, t.bottom() + 1 + 25});
    ASSERT_TRUE(waitUntil([&] { return x.geometry(charts).topLeft() == QPoint(220, t.bottom() + 1); }, 3000));

    x.click({200 + 186 + 5, 200 + 2 + 5}); // the mode button: to the strip
    ASSERT_TRUE(waitUntil([&] { return x.geometry(ticker).height() == 14; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return x.geometry(charts).topLeft() == QPoint(220, 214); }, 3000))
        << "chart browser at " << x.geometry(charts).x() << "," << x.geometry(charts).y();
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main("Docked"), u"True"_s);
}

// Enter confirms the chart symbol dialog and changes only the label; the
// chart is fetched by UPDATE alone.
TEST_F(Desktop, EnterInTheChartSymbolDialogFetchesNothing)
{
    ASSERT_FALSE(start(kFullWithCharts, {"IBM"}).isEmpty());
    ASSERT_FALSE(openChartBrowser().isEmpty());
    x.click({400 + 7 + 5, 400 + 5 + 5}); // SYMBOL
    ASSERT_FALSE(x.window(u"Quoterra - New Chart Symbol"_s).isEmpty());
    service.reset();
    x.type(u"MSFT"_s);
    x.key(u"Return"_s);
    ASSERT_TRUE(x.closed(u"Quoterra - New Chart Symbol"_s));
    x.click({400 + 170, 400 + 22}); // UPDATE
    ASSERT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); }));
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(service.requests(), QStringList{"/c/0b/m/msft.gif"});
    EXPECT_EQ(profile.chart("Symbol"), u"MSFT"_s);
}

} // namespace
} // namespace quoterra::test
