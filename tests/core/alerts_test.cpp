// Price alerts without a window: the crossing rule, the stored lines, the
// request for several symbols and its answer, what is told, and the watch
// against a loopback quote server and a real settings file.
#include "quote_stand_in.h"
#include "test_support.h"

#include "alerts/watch/price_watch.h"
#include "core/registry.h"
#include "core/transfer.h"

namespace quoterra {
namespace {

using test::rowName;

// An answer line whose last price reads `price`; an empty one is a failed fetch.
QString answerLine(const QString& symbol, const QString& price)
{
    if (price.isEmpty())
        return {};
    return u"\"%1\",%2,\"12/4/2026\",\"3:58pm\",+0.50,1.00,1.00,1.00,100\r\n"_s.arg(symbol, price);
}

QString alertLine(const test::TestProfile& profile, const char* symbol)
{
    return profile.setting(u"Software\\Quoterra\\Alerts"_s, QLatin1String(symbol));
}

struct PriceRun {
    const char* what;
    const char* symbol; // as the service knows it
    const char* stored; // the alert line at the start
    const char* prices; // "-" a failed fetch; "restart" the alert read back from its stored text
    const char* told;   // which level was told at which answer
};
const PriceRun kPriceRuns[] = {
    {"rising through above tells", "IBM", "150;", "149.00 151.00", "above@1"},
    {"already past when first seen tells nothing", "IBM", "150;", "155.00 160.00", ""},
    {"at the level is not past it", "IBM", "150;", "149.00 150.00 150.01", "above@2"},
    {"hovering at the level tells once", "IBM", "150;", "149 151 149.50 150.50 149.30 151", "above@1"},
    {"back by half a percent rearms", "IBM", "150;", "149 151 149.25 151", "above@1 above@3"},
    {"falling through below tells", "IBM", ";140", "141.00 139.99", "below@1"},
    {"below rearms half a percent above", "IBM", ";140", "141 139 140.68 139 140.72 139", "below@1 below@5"},
    {"both levels each tell", "IBM", "150;140", "145 151 139", "above@1 below@2"},
    {"no quote never tells", "IBM", "150;140", "145 N/A 0.00 - -3.00 151", "above@5"},
    {"a restart keeps what was told", "IBM", "150;", "149 151 restart 152 149 restart 151", "above@1 above@6"},
    {"a crossing while not running is told", "IBM", "150;;armed;", "151", "above@0"},
    {"the bond index is watched in percent", "^TYX", ";4.2", "43.00 41.50", "below@1"},
};
class CrossingRule : public ::testing::TestWithParam<PriceRun> { };
TEST_P(CrossingRule, TellsEachCrossingOnce)
{
    const QString symbol = QLatin1String(GetParam().symbol);
    std::optional<Alert> alert = parseAlert(QString::fromLatin1(GetParam().stored));
    ASSERT_TRUE(alert);
    QStringList told;
    const QStringList prices = QString::fromLatin1(GetParam().prices).split(u' ');
    for (qsizetype i = 0; i < prices.size(); ++i) {
        if (prices[i] == u"restart"_s) {
            alert = parseAlert(alertText(*alert));
            ASSERT_TRUE(alert);
            continue;
        }
        QuoteRecord record;
        SplitQuoteLine(answerLine(symbol, prices[i] == u"-"_s ? QString() : prices[i]), record);
        const std::optional<double> shown = shownPrice(symbol, record);
        const Crossings crossed = shown ? observe(*alert, *shown) : Crossings{};
        if (crossed.above)
            told << u"above@%1"_s.arg(i);
        if (crossed.below)
            told << u"below@%1"_s.arg(i);
    }
    EXPECT_EQ(told.join(u' '), QLatin1String(GetParam().told));
}
INSTANTIATE_TEST_SUITE_P(Runs, CrossingRule, ::testing::ValuesIn(kPriceRuns), rowName<PriceRun>);

constexpr auto kArmed = LevelState::Armed;
constexpr auto kCrossed = LevelState::Crossed;

struct Stored {
    const char* what;
    const char* text;
    std::optional<Alert> alert;
    const char* written; // what the alert is written back as
};
const Stored kStored[] = {
    {"both levels", "150;140", Alert{150, 140}, "150;140"},
    {"above without separator", "150", Alert{150, {}}, "150;"},
    {"below with blanks", " ; 4.2 ", Alert{{}, 4.2}, ";4.2"},
    {"levels read back exactly", "0.30000000000000004;1E20", Alert{0.30000000000000004, 1e20},
     "0.30000000000000004;100000000000000000000"},
    {"states kept", "150;140;crossed;armed", Alert{150, 140, kCrossed, kArmed}, "150;140;crossed;armed"},
    {"state of an unset level dropped", "150;;armed;crossed", Alert{150, {}, kArmed}, "150;;armed;"},
    {"unknown state word", "150;;sideways;", Alert{150, {}}, "150;"},
    {"not a number", "abc;140", std::nullopt, ""},
    {"zero level", "0;", std::nullopt, ""},
    {"negative level", ";-1", std::nullopt, ""},
    {"decimal comma", "150,5;", std::nullopt, ""},
};
class StoredAlert : public ::testing::TestWithParam<Stored> { };
TEST_P(StoredAlert, RoundTripsThroughItsText)
{
    const std::optional<Alert> read = parseAlert(QString::fromLatin1(GetParam().text));
    ASSERT_EQ(read, GetParam().alert);
    EXPECT_EQ(read ? alertText(*read) : QString(), QLatin1String(GetParam().written));
}
INSTANTIATE_TEST_SUITE_P(Lines, StoredAlert, ::testing::ValuesIn(kStored), rowName<Stored>);

TEST(SeveralQuotes, GoInOneAddressEachEscaped)
{
    EXPECT_EQ(severalQuotesAddress(u"http://h"_s, {"IBM", "MSFT", "^TYX"}),
              u"http://h/d/quotes.csv?s=IBM+MSFT+^TYX&f=sl1d1t1c1ohgv&e=.csv"_s);
    EXPECT_EQ(severalQuotesAddress(u"http://h"_s, {"BRK B", "A+B", "AT&T"}),
              u"http://h/d/quotes.csv?s=BRK%20B+A%2BB+AT%26T&f=sl1d1t1c1ohgv&e=.csv"_s);
}

struct Answer {
    const char* what;
    const char* body;
    const char* symbols; // asked, by spaces
    const char* lines;   // paired with them, by '|'
};
const Answer kAnswers[] = {
    {"one each in order", "\"IBM\",1\r\n\"MSFT\",2\r\n", "IBM MSFT", "\"IBM\",1|\"MSFT\",2"},
    {"an unknown symbol in place", "\"IBM\",1\r\n\"ZZZQ\",N/A\r\n\"MSFT\",2\r\n", "IBM ZZZQ MSFT",
     "\"IBM\",1|\"ZZZQ\",N/A|\"MSFT\",2"},
    {"a failed source in place", "\"IBM\",1\r\n\r\n\"MSFT\",2\r\n", "IBM DOWN MSFT", "\"IBM\",1||\"MSFT\",2"},
    {"short of lines", "\"IBM\",1\r\n", "IBM MSFT", "\"IBM\",1|"},
    {"lines of other symbols", "\"MSFT\",2\r\n\"IBM\",1\r\n", "IBM MSFT", "|"},
    {"the echo in another case", "\"ibm\",1", "IBM", "\"ibm\",1"},
    {"no answer", "", "IBM", ""},
};
class AnswerLines : public ::testing::TestWithParam<Answer> { };
TEST_P(AnswerLines, PairEachSymbolWithItsOwnLine)
{
    const std::vector<QString> lines =
        answerLines(QLatin1String(GetParam().body), QString::fromLatin1(GetParam().symbols).split(u' '));
    EXPECT_EQ(QStringList(lines.begin(), lines.end()).join(u'|'), QLatin1String(GetParam().lines));
}
INSTANTIATE_TEST_SUITE_P(Bodies, AnswerLines, ::testing::ValuesIn(kAnswers), rowName<Answer>);

struct Told {
    const char* what;
    const char *listSymbol, *serviceSymbol, *line;
    bool above;
    double level;
    const char* notice; // title, body, flashed symbol, flashed price, chart symbol, by '|'
};
const Told kTold[] = {
    {"a level of three decimals", "msft", "msft", "\"MSFT\",0.12,\"12/4/2026\",\"N/A\",-0.01,0.13,0.13,0.12,100", false,
     0.125, "msft below 0.125|Last Price: 0.12\nChange: -0.01\nTime: N/A|msft|0.12|MSFT"},
    {"the bond index in percent", "30YR", "^TYX", "\"^TYX\",41.50,\"12/4/2026\",\"3:58pm\",+0.25,41.00,41.60,41.00,0",
     false, 4.2, "30 YR BOND below 4.20%|Last Price: 4.15%\nChange: +0.025%\nTime: 3:58pm|30 YR|4.15%|^TYX"},
    {"an index with an ampersand", "S&P 500", "^SPC", "\"^SPC\",5012.5,\"12/4/2026\",\"3:58pm\",-3.5,5016,5020,5001,0",
     true, 5000, "S&P 500 above 5000.00|Last Price: 5012.5\nChange: -3.5\nTime: 3:58pm|S&&P 500|5012.5|^SPC"},
};
class Notice : public ::testing::TestWithParam<Told> { };
TEST_P(Notice, SaysWhatCrossedAsTheTickerShowsIt)
{
    const Told& t = GetParam();
    QuoteRecord record;
    SplitQuoteLine(QLatin1String(t.line), record);
    const AlertNotice n =
        alertNotice(QLatin1String(t.listSymbol), QLatin1String(t.serviceSymbol), record, t.above, t.level);
    EXPECT_EQ(QStringList({n.title, n.body, n.flashSymbol, n.flashPrice, n.chartSymbol}).join(u'|'),
              QString::fromLatin1(t.notice));
}
INSTANTIATE_TEST_SUITE_P(Crossings, Notice, ::testing::ValuesIn(kTold), rowName<Told>);

TEST(AlertBook, KeepsItsLinesInAKeyOfTheirOwn)
{
    test::TestProfile profile;
    profile.writeSettings("[Software\\Quoterra]\nInterval=10\n[Software\\Quoterra\\Alerts]\n"
                          "IBM=150;140\n; a note\nMSFT=1;\nMSFT=300;\n");
    {
        RegistryStore store(profile.registryFile());
        AlertBook book(store);
        EXPECT_TRUE(book.enabled());
        ASSERT_EQ(book.lines(), (std::vector<std::pair<QString, QString>>{{"IBM", "150;140"}, {"MSFT", "300;"}}));
        book.write(u"msft"_s, Alert{}); // no level: cleared, every line of it
        book.write(u"IBM"_s, Alert{151, {}, kArmed});
        book.write(u"^TYX"_s, Alert{{}, 4.2});
        book.setEnabled(true); // as it reads already: nothing written
    }
    // The other keys and the lines it does not understand stay as they were.
    EXPECT_TRUE(test::readFile(profile.registryFile())
                    .startsWith("[Software\\Quoterra]\nInterval=10\n[Software\\Quoterra\\Alerts]\n"
                                "IBM=151;;armed;\n; a note\n^TYX=;4.2\n"))
        << test::readFile(profile.registryFile()).toStdString();
    RegistryStore store(profile.registryFile());
    AlertBook book(store);
    book.setEnabled(false);
    EXPECT_FALSE(book.enabled());
    EXPECT_EQ(book.lines().size(), 2u) << "the switch is no alert";
}

TEST(AlertBook, WritesNothingForAUserWhoNeverSetAnAlert)
{
    test::TestProfile fresh;
    RegistryStore store(fresh.registryFile());
    AlertBook(store).setEnabled(true);
    store.flush();
    EXPECT_FALSE(QFile::exists(fresh.registryFile()));
}

// A program's run against a loopback quote server: its settings file, its
// watch and what it told.
class Watch : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile.writeSymbols({{"IBM", ""}, {"MSFT", "Microsoft"}, {"30YR", "Bond"}});
        prices.setPrice("IBM", 100);
        prices.setPrice("MSFT", 149);
        prices.setPrice("^TYX", 45);
    }
    struct Running {
        explicit Running(const Watch& w, QuoteCycle::AnswerCheck believe = {})
            : store(w.profile.registryFile())
            , watch(store, w.profile.appDir(), {[&w] { return QString::fromStdString(w.prices.origin()); }, believe})
        {
            QObject::connect(&watch, &PriceWatch::crossed, [this](const AlertNotice& n) { told << n.title; });
        }
        // One refresh with alerts due after `interval` seconds, to its end.
        void refresh(int interval = 0)
        {
            watch.refreshDue(interval, 5);
            EXPECT_TRUE(test::waitUntil([&] { return !watch.checking(); }));
        }
        void answered(const char* symbol, const char* price)
        {
            watch.quoteAnswered(QLatin1String(symbol), answerLine(QLatin1String(symbol), QLatin1String(price)));
        }
        RegistryStore store;
        PriceWatch watch;
        QStringList told;
    };
    int requests() { return prices.server().count("/d/quotes.csv"); }

    test::TestProfile profile;
    QuoteStandIn prices;
};

TEST_F(Watch, AsksNothingWithoutAnAlert)
{
    Running run(*this);
    run.refresh();
    run.answered("IBM", "100.00");
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nAlerts Enabled=False\nMSFT=150;\n");
    run.refresh();
    EXPECT_EQ(requests(), 0);
    EXPECT_TRUE(run.told.isEmpty());
}

TEST_F(Watch, AsksTheDueSymbolsOfTheListInOneRequest)
{
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nMSFT=150;\nTSLA=300;\n30YR=;4.2\nIBM=200;\n");
    Running run(*this);
    run.answered("IBM", "100.00"); // the ticker's own
    run.refresh(10);
    run.refresh(10); // none due again so soon
    ASSERT_EQ(requests(), 1);
    EXPECT_TRUE(prices.server().requests()[0].starts_with("GET /d/quotes.csv?s=MSFT+^TYX&"))
        << "asked again what the ticker had just shown, or a symbol not on the list";
    EXPECT_EQ(run.watch.lastPrice(u"30YR"_s), 4.5);
    EXPECT_EQ(alertLine(profile, "TSLA"), u"300;"_s);
}

TEST_F(Watch, TellsACrossingOnceAcrossARestart)
{
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nMSFT=150;\n");
    {
        Running run(*this);
        run.refresh();
        prices.setPrice("MSFT", 151);
        run.refresh();
        run.refresh();
        // The ticker's own answer counts as a check.
        run.answered("MSFT", "149.00");
        run.answered("MSFT", "152.00");
        EXPECT_EQ(run.told, (QStringList{"MSFT above 150.00", "MSFT above 150.00"}));
    }
    Running again(*this);
    again.refresh();
    EXPECT_TRUE(again.told.isEmpty());
    EXPECT_EQ(alertLine(profile, "MSFT"), u"150;;crossed;"_s);
}

TEST_F(Watch, ALevelSetAnewStartsFromTheLastPriceSeen)
{
    Running run(*this);
    run.answered("MSFT", "151.00");
    EXPECT_EQ(run.watch.newAlertFor(u"MSFT"_s, 150, 140), (Alert{150, 140, kCrossed, kArmed}));
    EXPECT_EQ(run.watch.newAlertFor(u"IBM"_s, 150, {}), (Alert{150, {}})) << "no price of IBM was seen";
}

TEST_F(Watch, BelievesNoOtherProgramInTheServicesPlace)
{
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nMSFT=150;;armed;\n");
    prices.setPrice("MSFT", 151);
    Running run(*this, [](const Transfer& answer) { return !answer.lastHeader("Server").isEmpty(); });
    run.refresh();
    EXPECT_EQ(requests(), 1);
    EXPECT_TRUE(run.told.isEmpty()) << "told what another program said";
    EXPECT_FALSE(run.watch.lastPrice(u"MSFT"_s));
}

// The bundled service answers every symbol of the one request, an unknown
// one with its N/A line in place.
TEST(WatchOnTheService, ReadsEachSymbolOfOneRequest)
{
    ServiceProcess service;
    test::TestProfile profile;
    profile.writeSymbols({{"IBM", ""}, {"ZZZQ", ""}, {"30YR", ""}, {"msft", ""}});
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nIBM=1000000;\nZZZQ=5;\n30YR=;0.01\nmsft=;0.01\n");
    RegistryStore store(profile.registryFile());
    PriceWatch watch(store, profile.appDir(), {[&service] { return service.origin(); }, {}});
    watch.refreshDue(0, 5);
    ASSERT_TRUE(test::waitUntil([&] { return !watch.checking(); }));
    EXPECT_EQ(service.requests(), QStringList{QString::fromLatin1(test::quoteTarget("IBM+ZZZQ+^TYX+msft"))});
    for (const char* known : {"IBM", "30YR", "msft"})
        EXPECT_TRUE(watch.lastPrice(QLatin1String(known))) << known;
    EXPECT_FALSE(watch.lastPrice(u"ZZZQ"_s));
    store.flush();
    EXPECT_EQ(alertLine(profile, "IBM"), u"1000000;;armed;"_s);
}

} // namespace
} // namespace quoterra
