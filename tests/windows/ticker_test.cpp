// The ticker window: its load and exit, the quote cycle on the real
// service, its modes, menus, research links and the mouse.
#include "window_fixture.h"

#include "ticker/research_links.h"
#include "ui/shell.h"

namespace quoterra::test {
namespace {

class TickerTest : public WindowTest {
protected:
    Ticker* openAt(int left, int top, const char* mode, QList<QPair<QString, QString>> symbols = {{"IBM", "I"}})
    {
        // The ticker open now saves its own place as it goes.
        if (Ticker* old = program->ticker())
            old->unload();
        set(Setting::Left, QByteArray::number(left).constData());
        set(Setting::Top, QByteArray::number(top).constData());
        set(Setting::Height, mode);
        t->profile.writeSymbols(symbols);
        return openTicker();
    }
    QString caption(const char* label) const { return part(ticker, label)->caption(); }
    QStringList quoteRequests() const
    {
        QStringList symbols;
        for (const QString& r : service->requests())
            symbols << r.section(u'=', 1).section(u'&', 0, 0);
        return symbols;
    }
};

// A HiDPI screen keeps every size in logical pixels and shows the pictures
// drawn for its ratio, no set finer than 3 times.
struct FaceRow {
    const char* what;
    int dpi;
    const char *size, *mode;
    QSize pixels;
    int buttonTop; // twips
    double ratio = 1;
};
const FaceRow kFaceRows[] = {
    {"standard strip", 96, "Standard", "Shade", {210, 14}, 30},
    {"standard full", 96, "Standard", "Full", {210, 116}, 30},
    {"large strip", 96, "Large", "Shade", {280, 19}, 40},
    {"large full", 96, "Large", "Full", {280, 155}, 40},
    {"large fonts strip", 120, "Standard", "Shade", {263, 18}, 30},
    {"large fonts large full", 120, "Large", "Full", {351, 193}, 50},
    {"full at 2x", 96, "Standard", "Full", {210, 116}, 30, 2},
    {"large fonts strip at 2x", 120, "Standard", "Shade", {263, 18}, 30, 2},
    {"large strip at 3x", 96, "Large", "Shade", {280, 19}, 40, 3},
    {"strip at 4x", 96, "Standard", "Shade", {210, 14}, 30, 4},
};
class FaceRows : public TickerTest, public ::testing::WithParamInterface<FaceRow> { };
TEST_P(FaceRows, FollowTheSkinTheModeAndTheScreen)
{
    const FaceRow& c = GetParam();
    start(c.dpi);
    t->screen.ratio = c.ratio;
    set(Setting::Size, c.size);
    ASSERT_TRUE(openAt(1500, 1500, c.mode));
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(ticker->size(), c.pixels);
    for (const char* name : {"picSkin", "picExit", "picOptions"}) {
        const QPixmap shown = part<PictureBox>(ticker, name)->picture();
        EXPECT_EQ(shown.devicePixelRatio(), std::min(c.ratio, 3.0)) << name;
        EXPECT_EQ(part<PictureBox>(ticker, name)->size(), shown.deviceIndependentSize().toSize()) << name;
    }
    EXPECT_EQ(part<PictureBox>(ticker, "picExit")->topTwips(), c.buttonTop);
    EXPECT_EQ(part(ticker, "lblCompactPrice")->isVisible(), QLatin1String(c.mode) == QLatin1String("Shade"));
    EXPECT_EQ(part(ticker, "lblCurrentStock")->foreColor(), QColor(Qt::white));
}
INSTANTIATE_TEST_SUITE_P(Faces, FaceRows, ::testing::ValuesIn(kFaceRows), rowName<FaceRow>);

TEST_F(TickerTest, TheListIsShownInTurn)
{
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(1500, 1500, "Shade", {{"IBM", "International"}, {"S&P 500", "Index"}, {"MSFT", "M"}}));
    EXPECT_EQ(caption("lblCompactSymbol"), u"IBM"_s);
    EXPECT_EQ(part(ticker, "lblCompactSymbol")->toolTip(), u"International"_s);
    EXPECT_FALSE(caption("lblCompactPrice").isEmpty());
    for (int i = 0; i < 3; ++i)
        ticker->refreshStep();
    EXPECT_EQ(quoteRequests(), (QStringList{"IBM", "^SPC", "MSFT", "IBM"}));
    EXPECT_EQ(part(ticker, "lblCompactSymbol")->displayedText(), u"IBM"_s);
}

TEST_F(TickerTest, AFailedQuoteShowsErrorUntilTheNextAnswer)
{
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(1500, 1500, "Shade"));
    service->failNext(1);
    ticker->refreshStep();
    EXPECT_EQ(caption("lblCompactPrice"), u"Error"_s);
    EXPECT_EQ(part(ticker, "lblCompactPrice")->toolTip(), u"The simulated market gave no quote"_s);
    EXPECT_EQ(caption("qLastPrice"), QString());
    ticker->refreshStep();
    EXPECT_NE(caption("qLastPrice"), QString());
}

// A pause, or a dialog that holds fetching, stops the cycle until it ends.
TEST_F(TickerTest, AHoldStopsTheCycle)
{
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(1500, 1500, "Shade"));
    const std::pair<const char*, std::function<void(bool)>> holds[] = {
        {"pause", [&](bool) { ticker->togglePause(); }},
        {"dialog", [&](bool on) { t->app->setFetchingHeld(on); }},
    };
    for (const auto& [what, hold] : holds) {
        SCOPED_TRACE(what);
        const qsizetype before = service->requests().size();
        hold(true);
        ticker->refreshStep();
        EXPECT_EQ(service->requests().size(), before);
        hold(false);
        ticker->refreshStep();
        EXPECT_EQ(service->requests().size(), before + 1);
    }
}

// One entry shows its quote at once; an empty list shows nothing and asks
// for nothing, before and after a restart.
TEST_F(TickerTest, ShortListsShowTheRightSymbolAtOnce)
{
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(1500, 1500, "Shade", {{"MSFT", "Microsoft"}}));
    EXPECT_EQ(caption("lblCompactSymbol"), u"MSFT"_s);
    EXPECT_NE(caption("lblCompactPrice"), u"Error"_s);
    EXPECT_EQ(quoteRequests(), QStringList{"MSFT"});

    t->profile.writeSymbols({});
    ASSERT_TRUE(openTicker());
    ticker->refreshStep();
    for (const char* label : {"lblCompactSymbol", "lblCompactPrice", "qCurrentStock", "qLastPrice"})
        EXPECT_EQ(caption(label), QString()) << label;
    EXPECT_EQ(quoteRequests(), QStringList{"MSFT"});
}

// The place is pulled inside the work area at load.
TEST_F(TickerTest, CloseSavesEveryValueWithoutEnding)
{
    set(Setting::AlwaysOnTop, "False");
    ASSERT_TRUE(openAt(-3000, 450, "Shade"));
    ticker->toggleWindowMode();
    program->pair().setDocked(true);
    ticker->close();
    EXPECT_FALSE(ticker->isLoaded());
    EXPECT_FALSE(t->app->forms().ending());
    EXPECT_EQ(t->saved({Setting::Left, Setting::Height, Setting::Docked, Setting::AlwaysOnTop, Setting::ChartStartUp}),
              (QStringList{"0", "Full", "True", "False", "False"}));
}

TEST_F(TickerTest, ExitUnloadsEveryWindow)
{
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    ticker->findChild<QAction*>(u"SymbolManagerMenuItem"_s)->trigger();
    ticker->exitProgram();
    EXPECT_TRUE(t->app->forms().ending());
    EXPECT_TRUE(t->app->forms().loaded().isEmpty());
}

TEST_F(TickerTest, NearTheBottomItOpensUpwardAndShadesBackToWhereItWas)
{
    ASSERT_TRUE(openAt(3000, 10500, "Shade"));
    QTest::mouseClick(part<PictureBox>(ticker, "picWindow"), Qt::LeftButton);
    EXPECT_EQ(ticker->windowMode(), WindowMode::Full);
    EXPECT_EQ(ticker->topTwips() + ticker->heightTwips(), 11070);
    QTest::mouseClick(part<PictureBox>(ticker, "picWindow"), Qt::LeftButton);
    EXPECT_EQ(ticker->topTwips(), 10500);
    EXPECT_EQ(ticker->height(), 14);
}

// A mouse event at a place on the screen, with the buttons held as a real
// mouse reports them.
void sendAt(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
// Presses the left button on `w` at its (5, 5), moves by `by` and lets go.
void drag(QWidget* w, QPoint by, Qt::MouseButtons held = Qt::LeftButton)
{
    const QPoint at = w->mapToGlobal(QPoint(5, 5));
    sendAt(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        sendAt(w, QEvent::MouseMove, at + by * step / 4, Qt::NoButton, held);
    sendAt(w, QEvent::MouseButtonRelease, at + by, Qt::LeftButton, Qt::NoButton);
}

TEST_F(TickerTest, EveryGripKeepsItsGrabPointUnderThePointer)
{
    for (const char* grip : {"picSkin", "lblCompactSymbol", "lblCompactPrice", "lblCompactChange"}) {
        SCOPED_TRACE(grip);
        ASSERT_TRUE(openAt(3000, 3000, "Shade"));
        drag(part<QWidget>(ticker, grip), {100, 40});
        EXPECT_EQ(ticker->pos(), QPoint(200 + 100, 200 + 40));
    }
}

TEST_F(TickerTest, BothButtonsHeldDoNotDrag)
{
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    drag(part<PictureBox>(ticker, "picSkin"), {100, 40}, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(ticker->pos(), QPoint(200, 200));
}

TEST_F(TickerTest, ADoubleClickOnTheFaceIsAModeSwitchNotADrag)
{
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    QWidget* face = part<PictureBox>(ticker, "picSkin");
    const QPoint at = face->mapToGlobal(QPoint(5, 5));
    sendAt(face, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendAt(face, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    sendAt(face, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(ticker->windowMode(), WindowMode::Full);
    sendAt(face, QEvent::MouseMove, at + QPoint(75, 35), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(ticker->pos(), QPoint(200, 200));
    sendAt(face, QEvent::MouseButtonRelease, at + QPoint(75, 35), Qt::LeftButton, Qt::NoButton);
    drag(face, {75, 35});
    EXPECT_EQ(ticker->pos(), QPoint(275, 235));
}

// Either button; letting go over the compact line leaves the pair as it was.
TEST_F(TickerTest, LettingGoOverTheFaceDecidesDocking)
{
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    program->pair().setDocked(true);
    for (const auto& [name, button] : {std::pair{"lblCompactPrice", Qt::LeftButton}, {"picSkin", Qt::RightButton}}) {
        QWidget* w = part<QWidget>(ticker, name);
        sendAt(w, QEvent::MouseButtonPress, w->mapToGlobal(QPoint(1, 1)), button, button);
        sendAt(w, QEvent::MouseButtonRelease, w->mapToGlobal(QPoint(1, 1)), button, Qt::NoButton);
        EXPECT_EQ(program->pair().docked(), button == Qt::LeftButton) << name;
    }
}

// A double click on the symbol, in either mode, pauses and a second one
// resumes; the menu's item says which.
TEST_F(TickerTest, ADoubleClickOnTheSymbolTogglesPause)
{
    for (const auto& [mode, label] : {std::pair{"Shade", "lblCompactSymbol"}, {"Full", "qCurrentStock"}}) {
        SCOPED_TRACE(label);
        ASSERT_TRUE(openAt(3000, 3000, mode));
        auto* pause = ticker->findChild<QAction*>(u"PauseMenuItem"_s);
        QWidget* symbol = part(ticker, label);
        QTest::mouseDClick(symbol, Qt::LeftButton);
        EXPECT_EQ(pause->text(), u"&Resume"_s);
        QTest::mouseDClick(symbol, Qt::LeftButton);
        EXPECT_EQ(pause->text(), u"&Pause"_s);
    }
}

TEST_F(TickerTest, TheOptionsMenuShowsTheCurrentState)
{
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    auto* menu = ticker->findChild<QMenu*>(u"optionsMenu"_s);
    auto item = [&](const char* name) { return menu->findChild<QAction*>(QLatin1String(name)); };
    auto open = [&] {
        QTest::mousePress(part<PictureBox>(ticker, "picOptions"), Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return menu->isVisible(); }));
        menu->hide();
    };
    open();
    EXPECT_TRUE(item("AlwaysOnTopMenuItem")->isChecked());
    EXPECT_FALSE(item("SymbolManagerMenuItem")->isCheckable());
    EXPECT_EQ(item("PauseMenuItem")->text(), u"&Pause"_s);

    item("AlwaysOnTopMenuItem")->trigger();
    item("PauseMenuItem")->trigger();
    item("SymbolManagerMenuItem")->trigger();
    EXPECT_NE(window("SymbolEditor"), nullptr);
    open();
    EXPECT_FALSE(item("AlwaysOnTopMenuItem")->isCheckable()); // no empty box once it was checked
    EXPECT_FALSE(ticker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(item("PauseMenuItem")->text(), u"&Resume"_s);
    EXPECT_TRUE(item("SymbolManagerMenuItem")->isChecked());
    item("SymbolManagerMenuItem")->trigger();
    EXPECT_EQ(window("SymbolEditor"), nullptr);
}

TEST_F(TickerTest, EveryResearchItemOpensItsPageForTheSymbolAsShown)
{
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(3000, 3000, "Full", {{"S&P 500", ""}, {"ibm", ""}}));
    UrlRecorder browser;
    QTest::mousePress(part(ticker, "qCurrentStock"), Qt::RightButton);
    auto* menu = ticker->findChild<QMenu*>(u"ResearchMenu"_s);
    ASSERT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    menu->hide();
    const std::pair<const char*, const char*> items[] = {
        {"NewsMenuItem", "/n/S/S&&P 500.html"},      {"CompanyProfileMenuItem", "/p/S/S&&P 500.html"},
        {"SECMenuItem", "/e/l/S/S&&P 500.html"},     {"ResearchMenuItem", "/z/a/S/S&&P 500.html"},
        {"InsiderMenuItem", "/t/S/S&&P 500.html"},   {"MessageBoardMenuItem", "/?action=q&board=S&&P 500"},
        {"SOneDayMenuItem", "/q?s=S&&P 500&d=1b"},   {"SFiveDayMenuItem", "/q?s=S&&P 500&d=2b"},
        {"SOneYearMenuItem", "/q?s=S&&P 500&d=0b"},  {"LOneDayMenuItem", "/q?s=S&&P 500&d=1d"},
        {"LFiveDayMenuItem", "/q?s=S&&P 500&d=5d"},  {"LThreeMonthMenuItem", "/q?s=S&&P 500&d=3m"},
        {"LOneYearMenuItem", "/q?s=S&&P 500&d=1y"},  {"LTwoYearMenuItem", "/q?s=S&&P 500&d=2y"},
        {"LFiveYearMenuItem", "/q?s=S&&P 500&d=5y"},
    };
    QStringList expected;
    for (const auto& [name, path] : items) {
        menu->findChild<QAction*>(QLatin1String(name))->trigger();
        expected << QUrl(service->origin() + QString::fromUtf8(path), QUrl::TolerantMode).toString();
    }
    EXPECT_EQ(browser.opened, expected);
    // The compact symbol, in lower case as listed.
    ticker->toggleWindowMode();
    ticker->refreshStep();
    QTest::mousePress(part(ticker, "lblCompactSymbol"), Qt::RightButton);
    menu->hide();
    menu->findChild<QAction*>(u"CompanyProfileMenuItem"_s)->trigger();
    EXPECT_EQ(browser.opened.last(), service->origin() + u"/p/i/ibm.html"_s);
}

TEST_F(TickerTest, AGarbageAnswerNeverCoversTheButtons)
{
    FakeSource garbage({.body = "1," + std::string(1 << 19, '9') + ",x"});
    start(96, originOf(garbage));
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    EXPECT_TRUE(caption("lblCompactPrice").startsWith(u"9999"_s));
    QWidget* modeButton = part<PictureBox>(ticker, "picWindow");
    EXPECT_EQ(ticker->childAt(modeButton->geometry().center()), modeButton);
    QTest::mouseClick(modeButton, Qt::LeftButton);
    EXPECT_EQ(ticker->windowMode(), WindowMode::Full);
}

const std::string kQuote = "\"IBM\",112.45,\"1/2/2024\",\"4:00pm\",+1.25,111.00,113.00,110.50,4500000\r\n";

struct Unreadable {
    const char* name;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

class UnreadableAnswer : public TickerTest, public ::testing::WithParamInterface<Unreadable> { };

// An answer in an encoding the ticker never asked for shows "Error" like any
// failed fetch, not an empty value; the next plain answer shows the quote.
TEST_P(UnreadableAnswer, ShowsError)
{
    FakeSource server;
    server.on("/d/quotes.csv", {{200, "", GetParam().body, GetParam().headers}, {200, "", kQuote}});
    start(96, originOf(server));
    set(Setting::Interval, "0");
    ASSERT_TRUE(openAt(3000, 3000, "Shade"));
    EXPECT_EQ(caption("lblCompactPrice"), u"Error"_s);
    EXPECT_EQ(caption("qLastPrice"), QString());
    ticker->refreshStep();
    EXPECT_EQ(caption("lblCompactPrice"), u"112.45"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, UnreadableAnswer,
    ::testing::Values(
        Unreadable{"Gzip", recorded("ibm-quote.csv.gz"), {{"Content-Encoding", "gzip"}}},
        Unreadable{"Deflate",
                   qCompress(QByteArray::fromStdString(kQuote)).mid(4).toStdString(),
                   {{"Content-Encoding", "deflate"}}},
        Unreadable{"ATransferCoding", kQuote, {{"Transfer-Encoding", "gzip"}}}),
    [](const auto& row) { return std::string(row.param.name); });

// Whatever a symbol holds, only a web page on the configured service reaches
// the desktop's opener, and the opener takes nothing but web and mail
// addresses.
TEST(ResearchLinks, AHostileSymbolNeverLeavesTheServicesPages)
{
    const ServiceHosts hosts = ServiceHosts::at(u"http://127.0.0.1:9"_s);
    for (const char* symbol :
         {"A&B", "?x=1", "#top", "\"q\"", "a b", "%41%00", "../../etc/passwd", "javascript:alert(1)", "$(rm -rf ~)",
          ";ls", "a\nb", "Soci\xc3\xa9t\xc3\xa9", "//evil.example/x", "@evil.example", ""}) {
        for (const ResearchLink link :
             {ResearchLink::News, ResearchLink::Profile, ResearchLink::Filings, ResearchLink::Research,
              ResearchLink::Insider, ResearchLink::Chart, ResearchLink::MessageBoard}) {
            const QUrl url(researchAddress(hosts, link, QString::fromUtf8(symbol), u"&d=1b"_s), QUrl::TolerantMode);
            EXPECT_EQ(url.scheme(), u"http"_s) << symbol;
            EXPECT_EQ(url.host(), u"127.0.0.1"_s) << symbol;
            EXPECT_EQ(url.port(), 9) << symbol;
        }
    }
    UrlRecorder opener;
    for (const char* address :
         {"file:///etc/passwd", "javascript:alert(1)", "ftp://127.0.0.1/x", "/usr/bin/xterm", "mailto:"})
        EXPECT_FALSE(openInBrowser(QLatin1String(address))) << address;
    EXPECT_TRUE(opener.opened.isEmpty());
}

} // namespace
} // namespace quoterra::test
