#include "service_test.h"

#include "app/about.h"
#include "app/config.h"
#include "app/startup.h"
#include "platform/hosts.h"
#include "platform/inet.h"
#include "platform/settings.h"
#include "ticker/ticker.h"
#include "update/update_checker.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace quoterra {
namespace {

using test::FakeScreen;
using test::MessageBoxAnswerer;
using test::TestProfile;
using test::UrlRecorder;

int quoteRequests(const ServiceProcess& service)
{
    int n = 0;
    for (const QString& r : service.requests())
        n += r.startsWith(QLatin1String("/d/quotes.csv")) ? 1 : 0;
    return n;
}

class DialogsTest : public test::ServiceTest {
protected:
    static void SetUpTestSuite()
    {
        ServiceTest::SetUpTestSuite();
        registerForms();
    }
    void SetUp() override
    {
        ServiceTest::SetUp();
        test::writeSymbolFile(profile.symbolFile(), {{"IBM", "IBM"}, {"MSFT", "Microsoft"}});
    }

    Ticker* startTicker() { return qobject_cast<Ticker*>(Forms::show(Ticker::kName)); }
    Config* openConfig() { return qobject_cast<Config*>(Forms::show(Config::kName)); }
    static void click(CommandButton* b) { QTest::mouseClick(b->button(), Qt::LeftButton); }

    FakeScreen screen;
};

TEST_F(DialogsTest, ConfigShowsTheStoredValuesAndSizeChoice)
{
    struct Case {
        const char* size;
        bool standard, large;
    };
    for (const Case& c : {Case{nullptr, true, false}, Case{"Standard", true, false}, Case{"Large", false, true},
                          Case{"Huge", false, false}}) {
        SCOPED_TRACE(c.size ? c.size : "fresh profile");
        TestProfile fresh;
        if (c.size) {
            CreateKey(HKEY_CURRENT_USER, kMainKey);
            WriteMainSetting(QStringLiteral("Size"), QString::fromLatin1(c.size));
        }
        Config* config = openConfig();
        ASSERT_NE(config, nullptr);
        EXPECT_EQ(config->txtSeconds->Text(), QStringLiteral("10"));
        EXPECT_EQ(config->txtTimeout->Text(), QStringLiteral("60"));
        EXPECT_EQ(config->optTickerSize[0]->Value(), c.standard);
        EXPECT_EQ(config->optTickerSize[1]->Value(), c.large);
        EXPECT_TRUE(Config::open());
        EXPECT_EQ(config->Caption(), QStringLiteral("Quoterra - Configuration"));
    }
    EXPECT_FALSE(Config::open()) << "a dialog destroyed with its profile left the ticker held";
}

TEST_F(DialogsTest, OkWithTheLargeSizeSavesTheTickerAndReloadsItLarger)
{
    Ticker* ticker = startTicker();
    ASSERT_NE(ticker, nullptr);
    const float standardWidth = ticker->Width();
    ticker->Move(1500, 2250);
    ticker->ToggleAlwaysOnTop();
    const bool notOnTop = ticker->notOnTop;
    QPointer<Ticker> old(ticker);

    Config* config = openConfig();
    ASSERT_NE(config, nullptr);
    QTest::mouseClick(config->optTickerSize[1]->button(), Qt::LeftButton);
    EXPECT_FALSE(config->optTickerSize[0]->Value()) << "the two sizes must exclude each other";
    config->txtSeconds->setText(QStringLiteral(" 15 "));
    config->txtTimeout->setText(QStringLiteral("30"));
    click(config->Command1);

    EXPECT_FALSE(Forms::isLoaded(Config::kName));
    EXPECT_FALSE(Config::open());
    auto* reloaded = Forms::find<Ticker>();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_NE(reloaded, old.data());
    EXPECT_TRUE(reloaded->isVisible());
    EXPECT_NEAR(reloaded->Width(), standardWidth * 4 / 3, 15);
    EXPECT_FLOAT_EQ(reloaded->Left(), 1500);
    EXPECT_FLOAT_EQ(reloaded->Top(), 2250);
    EXPECT_EQ(reloaded->notOnTop, notOnTop);
    EXPECT_EQ(reloaded->cycle.Interval, 15);
    EXPECT_EQ(reloaded->inetQuotes->RequestTimeout(), 30);
    EXPECT_EQ(MainSetting(QStringLiteral("Size")), QStringLiteral("Large"));
    EXPECT_EQ(MainSetting(QStringLiteral("Interval")), QStringLiteral("15"));
    EXPECT_EQ(MainSetting(QStringLiteral("Timeout")), QStringLiteral("30"));
    EXPECT_EQ(MainSetting(QStringLiteral("Always On Top")), notOnTop ? QStringLiteral("False") : QStringLiteral("True"));
}

TEST_F(DialogsTest, AcceptedNumbersAreStoredPlainAndAnEmptyTimeoutKeepsTheOldOne)
{
    struct Case {
        const char *interval, *timeout, *storedInterval, *storedTimeout;
    };
    for (const Case& c : {Case{"0", "1", "0", "1"}, Case{"32767", "32767", "32767", "32767"},
                          Case{"007", " 45", "7", "45"}, Case{"10", "", "10", "25"}, Case{"10", "  ", "10", "25"}}) {
        SCOPED_TRACE(std::string(c.interval) + " / " + c.timeout);
        WriteMainSetting(QStringLiteral("Timeout"), QStringLiteral("25"));
        startTicker();
        Config* config = openConfig();
        ASSERT_NE(config, nullptr);
        config->txtSeconds->setText(QString::fromLatin1(c.interval));
        config->txtTimeout->setText(QString::fromLatin1(c.timeout));
        MessageBoxAnswerer noBoxes;
        click(config->Command1);
        EXPECT_TRUE(noBoxes.seen().isEmpty());
        EXPECT_FALSE(Forms::isLoaded(Config::kName));
        EXPECT_EQ(MainSetting(QStringLiteral("Interval")), QString::fromLatin1(c.storedInterval));
        EXPECT_EQ(MainSetting(QStringLiteral("Timeout")), QString::fromLatin1(c.storedTimeout));
        ASSERT_NE(Forms::find<Ticker>(), nullptr);
        EXPECT_EQ(Forms::find<Ticker>()->inetQuotes->RequestTimeout(), QString::fromLatin1(c.storedTimeout).toInt());
    }
}

TEST_F(DialogsTest, TextThatIsNotAValidNumberIsRefusedAndNothingIsWritten)
{
    struct Case {
        const char *interval, *timeout, *field, *range;
    };
    const Case cases[] = {
        {"abc", "60", "interval", "0 to 32767"},  {"-1", "60", "interval", "0 to 32767"},
        {"1.5", "60", "interval", "0 to 32767"},  {"40000", "60", "interval", "0 to 32767"},
        {"", "60", "interval", "0 to 32767"},     {"10", "0", "timeout", "1 to 32767"},
        {"10", "x", "timeout", "1 to 32767"},     {"abc", "x", "interval", "0 to 32767"},
    };
    QPointer<Ticker> ticker(startTicker());
    ASSERT_FALSE(ticker.isNull());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.interval) + " / " + c.timeout);
        Config* config = openConfig();
        ASSERT_NE(config, nullptr);
        config->optTickerSize[1]->setValue(true);
        config->txtSeconds->setText(QString::fromLatin1(c.interval));
        config->txtTimeout->setText(QString::fromLatin1(c.timeout));
        const QString before = profile.registryText();

        MessageBoxAnswerer answer;
        click(config->Command1);
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_TRUE(answer.seen()[0].text.contains(QLatin1String(c.field))) << answer.seen()[0].text.toStdString();
        EXPECT_TRUE(answer.seen()[0].text.contains(QLatin1String(c.range))) << answer.seen()[0].text.toStdString();
        EXPECT_EQ(answer.seen()[0].title, QStringLiteral("Quoterra"));
        EXPECT_EQ(answer.seen()[0].icon, QMessageBox::Warning);
        EXPECT_EQ(profile.registryText(), before);
        EXPECT_TRUE(Forms::isLoaded(config));
        EXPECT_TRUE(Config::open());
        EXPECT_EQ(Forms::find<Ticker>(), ticker.data()) << "a refused OK must not reload the ticker";
        click(config->Command2);
    }
}

TEST_F(DialogsTest, CancelEscapeAndClosingChangeNothing)
{
    enum Way { CancelButton, EscapeKey, CloseWindow };
    for (Way way : {CancelButton, EscapeKey, CloseWindow}) {
        SCOPED_TRACE(int(way));
        QPointer<Ticker> ticker(startTicker());
        Config* config = openConfig();
        ASSERT_NE(config, nullptr);
        const QString before = profile.registryText();
        config->txtSeconds->setText(QStringLiteral("99"));
        config->txtTimeout->setText(QStringLiteral("5"));
        config->optTickerSize[1]->setValue(true);
        switch (way) {
        case CancelButton: click(config->Command2); break;
        case EscapeKey: QTest::keyClick(config->txtSeconds->editor(), Qt::Key_Escape); break;
        case CloseWindow: config->close(); break;
        }
        EXPECT_FALSE(Forms::isLoaded(Config::kName));
        EXPECT_FALSE(Config::open());
        EXPECT_EQ(profile.registryText(), before);
        EXPECT_EQ(Forms::find<Ticker>(), ticker.data());
    }
}

TEST_F(DialogsTest, NoQuoteIsFetchedWhileTheDialogIsOpenAndTheCycleResumesAfter)
{
    for (bool pressOk : {false, true}) {
        SCOPED_TRACE(pressOk ? "OK" : "Cancel");
        Ticker* ticker = startTicker();
        ASSERT_NE(ticker, nullptr);
        Config* config = openConfig();
        ASSERT_NE(config, nullptr);
        service->reset();
        for (int i = 0; i < 2 * (ticker->cycle.Interval + 1); ++i)
            ticker->RefreshStep();
        EXPECT_EQ(quoteRequests(*service), 0);

        click(pressOk ? config->Command1 : config->Command2);
        ticker = Forms::find<Ticker>();
        ASSERT_NE(ticker, nullptr);
        // OK starts a fresh cycle with the reload's own fetch.
        EXPECT_EQ(quoteRequests(*service), pressOk ? 1 : 0);
        service->reset();
        for (int i = 0; i <= ticker->cycle.Interval && quoteRequests(*service) == 0; ++i)
            ticker->RefreshStep();
        EXPECT_EQ(quoteRequests(*service), 1);
    }
}

TEST_F(DialogsTest, EveryDialogFollowsTheAlwaysOnTopSetting)
{
    for (const char* stored : {"True", "False"}) {
        for (const QString& name : {Config::kName, About::kName, UpdateChecker::kName, UpdateAvailable::kName}) {
            SCOPED_TRACE(std::string(stored) + " " + name.toStdString());
            WriteMainSetting(QStringLiteral("Always On Top"), QString::fromLatin1(stored));
            Form* form = Forms::show(name);
            ASSERT_NE(form, nullptr);
            EXPECT_EQ(form->topmost(), QLatin1String(stored) == QLatin1String("True"));
            form->Unload();
        }
    }
}

TEST_F(DialogsTest, AboutLinksOpenOnTheLeftButtonOnly)
{
    auto* about = qobject_cast<About*>(Forms::show(About::kName));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->Label5->Caption(), hosts().makerSite);
    EXPECT_EQ(about->Label7->Caption(), hosts().makerName);
    EXPECT_FALSE(about->Picture1->Picture().isNull());
    EXPECT_FALSE(about->Picture2->Picture().isNull());

    struct Case {
        TwipsWidget* link;
        QString address;
    };
    const Case cases[] = {
        {about->Picture2, service->origin() + QStringLiteral("/")},
        {about->Label5, service->origin() + QStringLiteral("/")},
        {about->Label7, QStringLiteral("mailto:") + hosts().makerMail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.link->Name().toStdString());
        EXPECT_EQ(c.link->cursor().shape(), Qt::PointingHandCursor);
        UrlRecorder recorder;
        QTest::mousePress(c.link, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(c.link, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mousePress(c.link, Qt::MiddleButton, {}, QPoint(5, 5));
        QTest::mouseRelease(c.link, Qt::MiddleButton, {}, QPoint(5, 5));
        EXPECT_TRUE(recorder.opened.isEmpty());
        QTest::mousePress(c.link, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(recorder.opened, QStringList{c.address});
        QTest::mouseRelease(c.link, Qt::LeftButton, {}, QPoint(5, 5));
    }

    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the hourglass stayed up";
    click(about->Command1);
    EXPECT_FALSE(Forms::isLoaded(About::kName));
}

} // namespace
} // namespace quoterra
