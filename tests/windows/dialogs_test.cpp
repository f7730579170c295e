// Start-up, the configuration dialog, the about, welcome and update dialogs.
#include "window_fixture.h"

#include "app/about.h"
#include "app/config.h"
#include "app/welcome.h"
#include "update/update_checker.h"

namespace quoterra::test {
namespace {

using DialogTest = WindowTest;

TEST_F(DialogTest, StartUpRefusesOtherFontSizesAndWelcomesANewUser)
{
    // 144 dpi, and a screen scaled by a ratio no picture set is drawn for.
    for (const auto& [dpi, ratio] : {std::pair{144, 1.0}, std::pair{96, 1.5}, std::pair{108, 2.0}}) {
        SCOPED_TRACE(dpi);
        start(dpi);
        t->screen.ratio = ratio;
        MessageBoxAnswerer answer;
        EXPECT_FALSE(program->StartUp());
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_EQ(answer.seen()[0].text, kFontSizeMessage);
        EXPECT_EQ(answer.seen()[0].title, u"Quoterra"_s);
        EXPECT_TRUE(t->app->forms().loaded().isEmpty());
        EXPECT_EQ(t->saved(Setting::Size), u"<missing>"_s);
    }
    for (const int dpi : {96, 120}) {
        start(dpi);
        ASSERT_TRUE(program->StartUp());
        EXPECT_NE(program->ticker(), nullptr);
        EXPECT_EQ(t->saved({Setting::Size, Setting::Interval}), (QStringList{"Standard", "10"}));
        EXPECT_TRUE(QFileInfo::exists(t->profile.symbolFile()));
        auto* welcome = window<Welcome>("Welcome");
        ASSERT_NE(welcome, nullptr);
        // A click in its text leaves the focus on OK, so Return closes it.
        QTest::mouseClick(welcome->findChild<QPlainTextEdit*>()->viewport(), Qt::LeftButton);
        EXPECT_EQ(welcome->focusWidget(), welcome->okButton());
        QTest::keyClick(welcome->okButton(), Qt::Key_Return);
        EXPECT_EQ(window("Welcome"), nullptr);
    }
    start();
    t->profile.writeSymbols({{"IBM", ""}});
    ASSERT_TRUE(program->StartUp());
    EXPECT_EQ(window("Welcome"), nullptr);
}

TEST_F(DialogTest, ConfigShowsTheStoredValuesHoldsFetchingAndRefusesWhatIsNotAWholeNumber)
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

    // A size the settings do not name selects neither.
    set(Setting::Size, "Huge");
    config = show<Config>(*program);
    EXPECT_FALSE(part<QRadioButton>(config, "optStandard")->isChecked());
    EXPECT_FALSE(part<QRadioButton>(config, "optLarge")->isChecked());
    config->close();
    EXPECT_EQ(t->saved(Setting::Size), u"Huge"_s);

    const QString interval = u"The update interval must be a whole number of seconds from 0 to 32767."_s;
    const QString timeout = u"The request timeout must be a whole number of seconds from 1 to 32767."_s;
    const std::tuple<const char*, const char*, QString> cases[] = {{"ten", "60", interval}, {"-1", "60", interval},
                                                                   {"1.5", "60", interval}, {"32768", "60", interval},
                                                                   {"10", "0", timeout},    {"10", "4294968", timeout}};
    for (const auto& [seconds, time, message] : cases) {
        config = show<Config>(*program);
        part<QLineEdit>(config, "txtSeconds")->setText(QLatin1String(seconds));
        part<QLineEdit>(config, "txtTimeout")->setText(QLatin1String(time));
        MessageBoxAnswerer answer;
        part<QPushButton>(config, "cmdOK")->click();
        ASSERT_EQ(answer.seen().size(), 1) << seconds << ' ' << time;
        EXPECT_EQ(answer.seen()[0].text, message);
        EXPECT_TRUE(config->isLoaded());
        EXPECT_EQ(t->saved({Setting::Interval, Setting::Timeout}), (QStringList{"10", "60"}));
        config->close();
    }
}

TEST_F(DialogTest, ConfigOkWritesTheValuesAndReloadsTheTickerWithThem)
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

// And keeps the size it was laid out for: nothing to resize or maximise.
TEST_F(DialogTest, EveryDialogFollowsTheAlwaysOnTopWordExactlyAndKeepsItsSize)
{
    for (const char* word : {"True", "true", "False"}) {
        set(Setting::AlwaysOnTop, word);
        const bool top = QLatin1String(word) == QLatin1String("True");
        for (Form* d : std::initializer_list<Form*>{show<Config>(*program), show<About>(), show<UpdateChecker>(),
                                                    show<UpdateAvailable>()}) {
            const QWidget& w = d->widget();
            EXPECT_EQ(d->topmost(), top) << word << ' ' << w.objectName().toStdString();
            EXPECT_EQ(w.minimumSize(), w.size()) << w.objectName().toStdString();
            EXPECT_EQ(w.maximumSize(), w.size()) << w.objectName().toStdString();
            EXPECT_FALSE(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
            d->unload();
        }
    }
    // A fixed dialog laid out anew takes its new size.
    auto* welcome = show<Welcome>();
    welcome->setGeometryTwips(0, 0, 3000, 1500);
    EXPECT_EQ(welcome->size(), QSize(200, 100));
    EXPECT_EQ(welcome->maximumSize(), QSize(200, 100));
}

TEST_F(DialogTest, AboutShowsTheVersionAndOpensLinksOnTheLeftButtonOnly)
{
    UrlRecorder browser;
    auto* about = show<About>();
    EXPECT_EQ(part(about, "lblVersion")->caption(), u"Version 4.00 - March 11, 2001"_s);
    for (const char* link : {"picDataService", "lblWebSite", "lblContact"}) {
        QWidget* w = about->findChild<QWidget*>(QLatin1String(link));
        QTest::mouseClick(w, Qt::RightButton);
        QTest::mouseClick(w, Qt::LeftButton);
    }
    EXPECT_EQ(browser.opened,
              (QStringList{service->origin() + u'/', service->origin() + u'/', "mailto:support@quoterra.example"}));
    part<QPushButton>(about, "cmdOK")->click();
    EXPECT_EQ(window("About"), nullptr);
}

TEST_F(DialogTest, TheUpdateCheckComparesVersionsSaysWhenItFailsAndASecondClickWaits)
{
    struct Case {
        const char* file;
        int major, minor, revision;
        bool offered;
    } cases[] = {
        {"4.00", 4, 0, 0, false},         {"4", 4, 0, 0, false},  {"  4.00 and some text", 4, 0, 0, false},
        {"4.01", 4, 0, 0, true},          {"4.2", 4, 1, 2, true}, {"4.11", 4, 1, 2, false},
        {"not a number", 4, 0, 0, false}, {"", 4, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
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

    FakeSource broken({.reset = true});
    start(96, originOf(broken));
    auto* checker = show<UpdateChecker>();
    part<QPushButton>(checker, "cmdCheck")->click();
    EXPECT_EQ(part(checker, "lblState")->caption(), u"Failed to Connect"_s);
    EXPECT_TRUE(checker->isLoaded());

    ServiceProcess slow({"--latency-ms", "400"});
    start(96, slow.origin());
    checker = show<UpdateChecker>();
    QTimer::singleShot(100, checker, [&] { part<QPushButton>(checker, "cmdCheck")->click(); });
    part<QPushButton>(checker, "cmdCheck")->click();
    EXPECT_EQ(slow.requests(), QStringList{u"/currentversion.txt"_s});
    EXPECT_EQ(part(checker, "lblState")->caption(), u"No update is needed."_s);
}

} // namespace
} // namespace quoterra::test
