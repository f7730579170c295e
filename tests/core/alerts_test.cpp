// Price alerts without a window: the crossing rule over runs of answers,
// the stored lines, the request for several symbols and its answer, what is
// told, and the watch against a loopback quote server and a real settings
// file.
#include "quote_stand_in.h"
#include "test_support.h"

#include "alerts/watch/price_watch.h"
#include "core/registry.h"
#include "core/transfer.h"

namespace quoterra {
namespace {

// An answer line whose last price reads `price`; an empty one is a failed fetch.
QString answerLine(const QString& symbol, const QString& price)
{
    if (price.isEmpty())
        return {};
    return u"\"%1\",%2,\"12/4/2026\",\"3:58pm\",+0.50,1.00,1.00,1.00,100\r\n"_s.arg(symbol, price);
}

template <class Row> std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    return info.param.name;
}

// ---- The crossing rule ----------------------------------------------------

struct PriceRun {
    const char* name;
    const char* symbol;              // as the service knows it
    const char* stored;              // the alert line at the start
    std::vector<const char*> prices; // "restart": the alert read back from its stored text
    const char* told;                // which level was told at which answer
};

class CrossingRule : public ::testing::TestWithParam<PriceRun> { };

TEST_P(CrossingRule, TellsEachCrossingOnce)
{
    const PriceRun& run = GetParam();
    const QString symbol = QLatin1String(run.symbol);
    std::optional<Alert> alert = parseAlert(QString::fromLatin1(run.stored));
    ASSERT_TRUE(alert);
    QStringList told;
    for (size_t i = 0; i < run.prices.size(); ++i) {
        const QString price = QLatin1String(run.prices[i]);
        if (price == u"restart"_s) {
            alert = parseAlert(alertText(*alert));
            ASSERT_TRUE(alert);
            continue;
        }
        QuoteRecord record;
        SplitQuoteLine(answerLine(symbol, price), record);
        const std::optional<double> shown = shownPrice(symbol, record);
        const Crossings crossed = shown ? observe(*alert, *shown) : Crossings{};
        if (crossed.above)
            told << u"above@%1"_s.arg(i);
        if (crossed.below)
            told << u"below@%1"_s.arg(i);
    }
    EXPECT_EQ(told.join(u' '), QLatin1String(run.told));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CrossingRule,
    ::testing::Values(
        PriceRun{"RisingThroughAboveTells", "IBM", "150;", {"149.00", "151.00"}, "above@1"},
        PriceRun{"AlreadyPastWhenFirstSeenTellsNothing", "IBM", "150;", {"155.00", "160.00"}, ""},
        PriceRun{"AtTheLevelIsNotPastIt", "IBM", "150;", {"149.00", "150.00", "150.01"}, "above@2"},
        PriceRun{"HoveringAtTheLevelTellsOnce",
                 "IBM",
                 "150;",
                 {"149", "151", "149.50", "150.50", "149.30", "151"},
                 "above@1"},
        PriceRun{"BackByHalfAPercentRearms", "IBM", "150;", {"149", "151", "149.25", "151"}, "above@1 above@3"},
        PriceRun{"FallingThroughBelowTells", "IBM", ";140", {"141.00", "139.99"}, "below@1"},
        PriceRun{"BelowRearmsHalfAPercentAbove",
                 "IBM",
                 ";140",
                 {"141", "139", "140.68", "139", "140.72", "139"},
                 "below@1 below@5"},
        PriceRun{"BothLevelsEachTell", "IBM", "150;140", {"145", "151", "139"}, "above@1 below@2"},
        PriceRun{"NoQuoteNeverTells", "IBM", "150;140", {"145", "N/A", "0.00", "", "-3.00", "151"}, "above@5"},
        PriceRun{"ARestartKeepsWhatWasTold",
                 "IBM",
                 "150;",
                 {"149", "151", "restart", "152", "149", "restart", "151"},
                 "above@1 above@6"},
        PriceRun{"ACrossingWhileNotRunningIsTold", "IBM", "150;;armed;", {"151"}, "above@0"},
        PriceRun{"TheBondIndexIsWatchedInPercent", "^TYX", ";4.2", {"43.00", "41.50"}, "below@1"}),
    rowName<PriceRun>);

// ---- The stored line ------------------------------------------------------

struct Stored {
    const char* name;
    const char* text;
    std::optional<Alert> alert;
    const char* written; // what the alert is written back as
};

class StoredAlert : public ::testing::TestWithParam<Stored> { };

TEST_P(StoredAlert, ReadsAndIsWrittenBack)
{
    const Stored& s = GetParam();
    const std::optional<Alert> read = parseAlert(QString::fromLatin1(s.text));
    ASSERT_EQ(read, s.alert);
    if (read) {
        EXPECT_EQ(alertText(*read), QLatin1String(s.written));
    }
}

constexpr auto kArmed = LevelState::Armed;
constexpr auto kCrossed = LevelState::Crossed;
constexpr auto kUnknown = LevelState::Unknown;

INSTANTIATE_TEST_SUITE_P(
    Lines, StoredAlert,
    ::testing::Values(
        Stored{"BothLevels", "150;140", Alert{150, 140}, "150;140"},
        Stored{"AboveWithoutSeparator", "150", Alert{150, {}}, "150;"},
        Stored{"BelowWithBlanks", " ; 4.2 ", Alert{{}, 4.2}, ";4.2"},
        Stored{"LevelsReadBackExactly", "0.30000000000000004;1E20", Alert{0.30000000000000004, 1e20},
               "0.30000000000000004;100000000000000000000"},
        Stored{"StatesKept", "150;140;crossed;armed", Alert{150, 140, kCrossed, kArmed}, "150;140;crossed;armed"},
        Stored{"StateOfAnUnsetLevelDropped", "150;;armed;crossed", Alert{150, {}, kArmed, kUnknown}, "150;;armed;"},
        Stored{"UnknownStateWord", "150;;sideways;", Alert{150, {}}, "150;"},
        Stored{"NotANumber", "abc;140", std::nullopt, ""}, Stored{"ZeroLevel", "0;", std::nullopt, ""},
        Stored{"NegativeLevel", ";-1", std::nullopt, ""}, Stored{"DecimalComma", "150,5;", std::nullopt, ""}),
    rowName<Stored>);

// ---- Several symbols in one request ---------------------------------------

TEST(SeveralQuotes, EachSymbolIsEscapedAndJoinedByPlus)
{
    EXPECT_EQ(severalQuotesAddress(u"http://h"_s, {"IBM", "MSFT", "^TYX"}),
              u"http://h/d/quotes.csv?s=IBM+MSFT+^TYX&f=sl1d1t1c1ohgv&e=.csv"_s);
    EXPECT_EQ(severalQuotesAddress(u"http://h"_s, {"BRK B", "A+B", "AT&T"}),
              u"http://h/d/quotes.csv?s=BRK%20B+A%2BB+AT%26T&f=sl1d1t1c1ohgv&e=.csv"_s);
}

struct Answer {
    const char* name;
    const char* body;
    QStringList symbols;
    QStringList lines;
};

class AnswerLines : public ::testing::TestWithParam<Answer> { };

TEST_P(AnswerLines, PairEachSymbolWithItsOwnLine)
{
    const Answer& a = GetParam();
    const std::vector<QString> lines = answerLines(QLatin1String(a.body), a.symbols);
    EXPECT_EQ(QStringList(lines.begin(), lines.end()), a.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, AnswerLines,
    ::testing::Values(
        Answer{"OneEachInOrder", "\"IBM\",1\r\n\"MSFT\",2\r\n", {"IBM", "MSFT"}, {"\"IBM\",1", "\"MSFT\",2"}},
        Answer{"AnUnknownSymbolInPlace",
               "\"IBM\",1\r\n\"ZZZQ\",N/A\r\n\"MSFT\",2\r\n",
               {"IBM", "ZZZQ", "MSFT"},
               {"\"IBM\",1", "\"ZZZQ\",N/A", "\"MSFT\",2"}},
        Answer{"AFailedSourceInPlace",
               "\"IBM\",1\r\n\r\n\"MSFT\",2\r\n",
               {"IBM", "DOWN", "MSFT"},
               {"\"IBM\",1", "", "\"MSFT\",2"}},
        Answer{"ShortOfLines", "\"IBM\",1\r\n", {"IBM", "MSFT"}, {"\"IBM\",1", ""}},
        Answer{"LinesOfOtherSymbols", "\"MSFT\",2\r\n\"IBM\",1\r\n", {"IBM", "MSFT"}, {"", ""}},
        Answer{"TheEchoInAnotherCase", "\"ibm\",1", {"IBM"}, {"\"ibm\",1"}}, Answer{"NoAnswer", "", {"IBM"}, {""}}),
    rowName<Answer>);

// ---- What is told ---------------------------------------------------------

struct Told {
    const char* name;
    const char* listSymbol;
    const char* serviceSymbol;
    const char* line;
    bool above;
    double level;
    QStringList notice; // title, body, flashed symbol, flashed price, chart symbol
};

class Notice : public ::testing::TestWithParam<Told> { };

TEST_P(Notice, SaysWhatCrossedAsTheTickerShowsIt)
{
    const Told& t = GetParam();
    QuoteRecord record;
    SplitQuoteLine(QLatin1String(t.line), record);
    const AlertNotice n =
        alertNotice(QLatin1String(t.listSymbol), QLatin1String(t.serviceSymbol), record, t.above, t.level);
    EXPECT_EQ((QStringList{n.title, n.body, n.flashSymbol, n.flashPrice, n.chartSymbol}), t.notice);
}

INSTANTIATE_TEST_SUITE_P(
    Crossings, Notice,
    ::testing::Values(
        Told{"AStock",
             "IBM",
             "IBM",
             "\"IBM\",151.20,\"12/4/2026\",\"3:58pm\",+1.45,150.00,151.50,149.80,4512300\r\n",
             true,
             150,
             {"IBM above 150.00", "Last Price: 151.20\nChange: +1.45\nTime: 3:58pm", "IBM", "151.20", "IBM"}},
        Told{"ALevelOfThreeDecimals",
             "msft",
             "msft",
             "\"MSFT\",0.12,\"12/4/2026\",\"N/A\",-0.01,0.13,0.13,0.12,100",
             false,
             0.125,
             {"msft below 0.125", "Last Price: 0.12\nChange: -0.01\nTime: N/A", "msft", "0.12", "MSFT"}},
        Told{"TheBondIndexInPercent",
             "30YR",
             "^TYX",
             "\"^TYX\",41.50,\"12/4/2026\",\"3:58pm\",+0.25,41.00,41.60,41.00,0\r\n",
             false,
             4.2,
             {"30 YR BOND below 4.20%", "Last Price: 4.15%\nChange: +0.025%\nTime: 3:58pm", "30 YR", "4.15%", "^TYX"}},
        Told{
            "AnIndexWithAnAmpersand",
            "S&P 500",
            "^SPC",
            "\"^SPC\",5012.5,\"12/4/2026\",\"3:58pm\",-3.5,5016,5020,5001,0\r\n",
            true,
            5000,
            {"S&P 500 above 5000.00", "Last Price: 5012.5\nChange: -3.5\nTime: 3:58pm", "S&&P 500", "5012.5", "^SPC"}}),
    rowName<Told>);

// ---- The alerts in the settings file ---------------------------------------

TEST(AlertBook, KeepsItsLinesInAKeyOfTheirOwn)
{
    test::TestProfile profile;
    const QByteArray older = "[Software\\Quoterra]\nInterval=10\n[Software\\Quoterra\\Alerts]\n"
                             "IBM=150;140\n; a note\nMSFT=1;\nMSFT=300;\n";
    profile.writeSettings(older);
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

    // Nothing is written for a user who never set an alert.
    test::TestProfile fresh;
    RegistryStore untouched(fresh.registryFile());
    AlertBook none(untouched);
    none.setEnabled(true);
    EXPECT_TRUE(none.lines().empty());
    untouched.flush();
    EXPECT_FALSE(QFile::exists(fresh.registryFile()));
}

// ---- The watch against a quote server --------------------------------------

class Watch : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile.writeSymbols({{"IBM", ""}, {"MSFT", "Microsoft"}, {"30YR", "Bond"}});
        prices.setPrice("IBM", 100);
        prices.setPrice("MSFT", 149);
        prices.setPrice("^TYX", 45);
    }
    // A program's run: its settings file and its watch, what it told.
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
    run.watch.quoteAnswered(u"IBM"_s, answerLine(u"IBM"_s, u"100.00"_s));
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nAlerts Enabled=False\nMSFT=150;\n");
    run.refresh();
    EXPECT_EQ(requests(), 0);
    EXPECT_TRUE(run.told.isEmpty());
}

TEST_F(Watch, AsksTheDueSymbolsOfTheListInOneRequest)
{
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nMSFT=150;\nTSLA=300;\n30YR=;4.2\nIBM=200;\n");
    Running run(*this);
    run.watch.quoteAnswered(u"IBM"_s, answerLine(u"IBM"_s, u"100.00"_s)); // the ticker's own
    run.refresh(10);
    run.refresh(10); // none due again so soon
    ASSERT_EQ(requests(), 1);
    EXPECT_EQ(prices.asked("MSFT"), 1);
    EXPECT_EQ(prices.asked("^TYX"), 1);
    EXPECT_EQ(prices.asked("IBM"), 0) << "asked again what the ticker had just shown";
    EXPECT_EQ(prices.asked("TSLA"), 0) << "asked for a symbol that is not on the list";
    EXPECT_TRUE(prices.server().requests()[0].starts_with("GET /d/quotes.csv?s=MSFT+^TYX&"));
    EXPECT_EQ(run.watch.lastPrice(u"30YR"_s), 4.5);
    EXPECT_EQ(profile.setting(u"Software\\Quoterra\\Alerts"_s, u"TSLA"_s), u"300;"_s);
}

TEST_F(Watch, TellsACrossingOnceAndNotAgainAfterARestart)
{
    profile.writeSettings("[Software\\Quoterra\\Alerts]\nMSFT=150;\n");
    {
        Running run(*this);
        run.refresh();
        prices.setPrice("MSFT", 151);
        run.refresh();
        run.refresh();
        // The ticker's own answer counts as a check.
        run.watch.quoteAnswered(u"MSFT"_s, answerLine(u"MSFT"_s, u"149.00"_s));
        run.watch.quoteAnswered(u"MSFT"_s, answerLine(u"MSFT"_s, u"152.00"_s));
        EXPECT_EQ(run.told, (QStringList{"MSFT above 150.00", "MSFT above 150.00"}));
    }
    Running again(*this);
    again.refresh();
    EXPECT_TRUE(again.told.isEmpty());
    EXPECT_EQ(profile.setting(u"Software\\Quoterra\\Alerts"_s, u"MSFT"_s), u"150;;crossed;"_s);

    // A level set anew starts from the last price seen.
    EXPECT_EQ(again.watch.newAlertFor(u"MSFT"_s, 150, 140), (Alert{150, 140, kCrossed, kArmed}));
    EXPECT_EQ(again.watch.newAlertFor(u"IBM"_s, 150, {}), (Alert{150, {}})) << "no price of IBM was seen";
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
    EXPECT_EQ(profile.setting(u"Software\\Quoterra\\Alerts"_s, u"IBM"_s), u"1000000;;armed;"_s);
}

} // namespace
} // namespace quoterra
