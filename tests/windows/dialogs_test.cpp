// Start-up, the configuration dialog, the about, welcome and update dialogs.
#include "window_fixture.h"

#include "app/about.h"
#include "app/config.h"
#include "app/welcome.h"
#include "update/update_checker.h"

namespace quoterra::test {
namespace {

class DialogTest : public WindowTest {
protected:
    // Shows and unloads each dialog for each word of the always-on-top setting.
    void eachDialog(const std::function<void(Form&, const char* word)>& check)
    {
        for (const char* word : {"True", "true", "False"}) {
            set(Setting::AlwaysOnTop, word);
            for (Form* d : std::initializer_list<Form*>{show<Config>(*program), show<About>(), show<UpdateChecker>(),
                                                        show<UpdateAvailable>()}) {
                SCOPED_TRACE(d->widget().objectName().toStdString() + ' ' + word);
                check(*d, word);
                d->unload();
            }
        }
    }
};

// 144 dpi, and screens scaled by a ratio no picture set is drawn for.
struct ScreenRow {
    const char* what;
    int dpi;
    double ratio;
};
const ScreenRow kRefusedRows[] = {{"144 dpi", 144, 1.0}, {"96 dpi at 1.5", 96, 1.5}, {"108 dpi at 2", 108, 2.0}};
class RefusedScreens : public DialogTest, public ::testing::WithParamInterface<ScreenRow> { };
TEST_P(RefusedScreens, AreToldAndNothingStarts)
{
    start(GetParam().dpi);
    t->screen.ratio = GetParam().ratio;
    MessageBoxAnswerer answer;
    EXPECT_FALSE(program->StartUp());
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].text, kFontSizeMessage);
    EXPECT_EQ(answer.seen()[0].title, u"Quoterra"_s);
    EXPECT_TRUE(t->app->forms().loaded().isEmpty());
    EXPECT_EQ(t->saved(Setting::Size), u"<missing>"_s);
}
INSTANTIATE_TEST_SUITE_P(StartUp, RefusedScreens, ::testing::ValuesIn(kRefusedRows), rowName<ScreenRow>);

// A fresh profile at either supported dpi.
class FirstStart : public DialogTest, public ::testing::WithParamInterface<int> {
    void SetUp() override
    {
        DialogTest::SetUp();
        start(GetParam());
        ASSERT_TRUE(program->StartUp());
    }
};
TEST_P(FirstStart, WritesTheDefaults)
{
    EXPECT_NE(program->ticker(), nullptr);
    EXPECT_EQ(t->saved({Setting::Size, Setting::Interval}), (QStringList{"Standard", "10"}));
    EXPECT_TRUE(QFileInfo::exists(t->profile.symbolFile()));
}
// A click in its text leaves the focus on OK, so Return closes it.
TEST_P(FirstStart, WelcomesTheUser)
{
    auto* welcome = window<Welcome>("Welcome");
    ASSERT_NE(welcome, nullptr);
    QTest::mouseClick(welcome->findChild<QPlainTextEdit*>()->viewport(), Qt::LeftButton);
    EXPECT_EQ(welcome->focusWidget(), welcome->okButton());
    QTest::keyClick(welcome->okButton(), Qt::Key_Return);
    EXPECT_EQ(window("Welcome"), nullptr);
}
INSTANTIATE_TEST_SUITE_P(StartUp, FirstStart, ::testing::Values(96, 120));

TEST_F(DialogTest, AStartWithAListWelcomesNobody)
{
    t->profile.writeSymbols({{"IBM", ""}});
    ASSERT_TRUE(program->StartUp());
    EXPECT_EQ(window("Welcome"), nullptr);
}

// And holds fetching while it is open.
TEST_F(DialogTest, ConfigShowsTheStoredValues)
{
    Config* config = show<Config>(*program);
    EXPECT_EQ(config->windowTitle(), u"Quoterra - Configuration"_s);
    EXPECT_EQ(part<QLineEdit>(config, "txtSeconds")->text(), u"10"_s);
    EXPECT_EQ(part<QLineEdit>(config, "txtTimeout")->text(), u"60"_s);
    EXPECT_TRUE(part<QRadioButton>(config, "optStandard")->isChecked());
    EXPECT_TRUE(t->app->fetchingHeld());
    QTest::keyClick(config, Qt::Key_Escape);
    EXPECT_EQ(window("Config"), nullptr);
    EXPECT_FALSE(t->app->fetchingHeld());
}

TEST_F(DialogTest, AnUnknownSizeSurvivesTheDialogUnselected)
{
    set(Setting::Size, "Huge");
    Config* config = show<Config>(*program);
    EXPECT_FALSE(part<QRadioButton>(config, "optStandard")->isChecked());
    EXPECT_FALSE(part<QRadioButton>(config, "optLarge")->isChecked());
    config->close();
    EXPECT_EQ(t->saved(Setting::Size), u"Huge"_s);
}

const QString kIntervalMessage = u"The update interval must be a whole number of seconds from 0 to 32767."_s;
const QString kTimeoutMessage = u"The request timeout must be a whole number of seconds from 1 to 32767."_s;
struct RefusedRow {
    const char *what, *seconds, *timeout;
    QString said;
};
const RefusedRow kRefusedValues[] = {
    {"words", "ten", "60", kIntervalMessage},      {"below zero", "-1", "60", kIntervalMessage},
    {"a fraction", "1.5", "60", kIntervalMessage}, {"over 16 bits", "32768", "60", kIntervalMessage},
    {"no timeout", "10", "0", kTimeoutMessage},    {"a huge timeout", "10", "4294968", kTimeoutMessage},
};
class RefusedValues : public DialogTest, public ::testing::WithParamInterface<RefusedRow> { };
TEST_P(RefusedValues, AreToldAndNotWritten)
{
    const RefusedRow& c = GetParam();
    Config* config = show<Config>(*program);
    part<QLineEdit>(config, "txtSeconds")->setText(QLatin1String(c.seconds));
    part<QLineEdit>(config, "txtTimeout")->setText(QLatin1String(c.timeout));
    MessageBoxAnswerer answer;
    part<QPushButton>(config, "cmdOK")->click();
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].text, c.said);
    EXPECT_TRUE(config->isLoaded());
    EXPECT_EQ(t->saved({Setting::Interval, Setting::Timeout}), (QStringList{"10", "60"}));
}
INSTANTIATE_TEST_SUITE_P(ConfigDialog, RefusedValues, ::testing::ValuesIn(kRefusedValues), rowName<RefusedRow>);

TEST_F(DialogTest, ConfigOkReloadsTheTickerWithTheNewValues)
{
    t->profile.writeSymbols({{"IBM", ""}});
    set(Setting::Left, "1500");
    ASSERT_TRUE(openTicker());
    ticker->moveTwips(3000, 4500);
    ticker->toggleWindowMode();
    Config* config = show<Config>(*program);
    part<QLineEdit>(config, "txtSeconds")->setText(u" 30 "_s);
    part<QLineEdit>(config, "txtTimeout")->clear(); // keeps the stored one
    QTest::mouseClick(part<QRadioButton>(config, "optLarge"), Qt::LeftButton);
    part<QPushButton>(config, "cmdOK")->click();
    // The reload fetches a quote, and with it the closed dialog goes.
    EXPECT_EQ(window("Config"), nullptr);
    EXPECT_EQ(t->saved({Setting::Interval, Setting::Timeout, Setting::Size, Setting::Top, Setting::Height}),
              (QStringList{"30", "60", "Large", "4500", "Shade"}));
    Ticker* reloaded = program->ticker();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_TRUE(reloaded->isVisible());
    EXPECT_EQ(reloaded->width(), 280);
    EXPECT_EQ(reloaded->pos(), QPoint(200, 300));
    EXPECT_FALSE(t->app->fetchingHeld());
}

TEST_F(DialogTest, EveryDialogFollowsTheAlwaysOnTopWordExactly)
{
    eachDialog([](Form& d, const char* word) { EXPECT_EQ(d.topmost(), QLatin1String(word) == QLatin1String("True")); });
}

// Nothing to resize or maximise.
TEST_F(DialogTest, EveryDialogKeepsTheSizeItWasLaidOutFor)
{
    eachDialog([](Form& d, const char*) {
        const QWidget& w = d.widget();
        EXPECT_EQ(w.minimumSize(), w.size());
        EXPECT_EQ(w.maximumSize(), w.size());
        EXPECT_FALSE(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    });
    auto* welcome = show<Welcome>();
    welcome->setGeometryTwips(0, 0, 3000, 1500);
    EXPECT_EQ(welcome->size(), QSize(200, 100));
    EXPECT_EQ(welcome->maximumSize(), QSize(200, 100));
}

TEST_F(DialogTest, AboutShowsTheVersion)
{
    EXPECT_EQ(part(show<About>(), "lblVersion")->caption(), u"Version 4.00 - March 11, 2001"_s);
}

TEST_F(DialogTest, AboutOpensItsLinksOnTheLeftButtonOnly)
{
    UrlRecorder browser;
    auto* about = show<About>();
    for (const char* link : {"picDataService", "lblWebSite", "lblContact"}) {
        QTest::mouseClick(part<QWidget>(about, link), Qt::RightButton);
        QTest::mouseClick(part<QWidget>(about, link), Qt::LeftButton);
    }
    EXPECT_EQ(browser.opened,
              (QStringList{service->origin() + u'/', service->origin() + u'/', "mailto:support@quoterra.example"}));
    part<QPushButton>(about, "cmdOK")->click();
    EXPECT_EQ(window("About"), nullptr);
}

// The file on the site against the running version: an update is offered
// only for a newer one, and the check holds fetching until it is done.
struct VersionRow {
    const char* what;
    const char* file;
    int major, minor, revision;
    bool offered;
};
const VersionRow kVersionRows[] = {
    {"the same", "4.00", 4, 0, 0, false},
    {"a bare major", "4", 4, 0, 0, false},
    {"text after it", "  4.00 and some text", 4, 0, 0, false},
    {"a newer revision", "4.01", 4, 0, 0, true},
    {"a newer minor", "4.2", 4, 1, 2, true},
    {"an older minor", "4.11", 4, 1, 2, false},
    {"not a number", "not a number", 4, 0, 0, false},
    {"nothing", "", 4, 0, 0, false},
};
class VersionRows : public DialogTest, public ::testing::WithParamInterface<VersionRow> { };
TEST_P(VersionRows, DecideWhetherAnUpdateIsOffered)
{
    const VersionRow& c = GetParam();
    FakeSource site({.body = c.file});
    start(96, originOf(site));
    auto* checker = new UpdateChecker(*t->app);
    checker->setRunningVersion(c.major, c.minor, c.revision);
    checker->loadAndShow();
    EXPECT_TRUE(t->app->fetchingHeld());
    EXPECT_EQ(part(checker, "lblState")->caption(), u"Ready"_s);
    part<QPushButton>(checker, "cmdCheck")->click();
    ASSERT_EQ(site.requests().size(), 1u);
    EXPECT_TRUE(site.requests()[0].starts_with("GET /currentversion.txt HTTP/1.1\r\n")) << site.requests()[0];
    EXPECT_EQ(checker->lastAnswer(), QLatin1String(c.file));
    EXPECT_EQ(window("UpdateAvailable") != nullptr, c.offered);
    EXPECT_EQ(checker->isLoaded(), !c.offered);
    if (!c.offered) {
        EXPECT_EQ(part(checker, "lblState")->caption(), u"No update is needed."_s);
    }
    EXPECT_EQ(t->app->fetchingHeld(), !c.offered);
}
INSTANTIATE_TEST_SUITE_P(UpdateCheck, VersionRows, ::testing::ValuesIn(kVersionRows), rowName<VersionRow>);

TEST_F(DialogTest, AFailedUpdateCheckSaysSo)
{
    FakeSource broken({.reset = true});
    start(96, originOf(broken));
    auto* checker = show<UpdateChecker>();
    part<QPushButton>(checker, "cmdCheck")->click();
    EXPECT_EQ(part(checker, "lblState")->caption(), u"Failed to Connect"_s);
    EXPECT_TRUE(checker->isLoaded());
}

TEST_F(DialogTest, ASecondUpdateCheckClickWaitsForTheFirst)
{
    ServiceProcess slow({"--latency-ms", "400"});
    start(96, slow.origin());
    auto* checker = show<UpdateChecker>();
    QTimer::singleShot(100, checker, [&] { part<QPushButton>(checker, "cmdCheck")->click(); });
    part<QPushButton>(checker, "cmdCheck")->click();
    EXPECT_EQ(slow.requests(), QStringList{u"/currentversion.txt"_s});
    EXPECT_EQ(part(checker, "lblState")->caption(), u"No update is needed."_s);
}

} // namespace
} // namespace quoterra::test
