// Price alerts in the windows: the two menu items, the dialog that sets the
// levels, the face that shows an alert, and a paused ticker still watching.
#include "window_fixture.h"

#include "alerts/price_alerts.h"

#include <QCheckBox>
#include <QTableView>

namespace quoterra::test {
namespace {

class AlertsTest : public WindowTest {
protected:
    // The ticker on a list, with these alert lines in the settings file.
    void openOn(const QList<QPair<QString, QString>>& symbols, const QByteArray& alerts)
    {
        t->profile.writeSymbols(symbols);
        t->app->settingsFile().createKey(u"Software\\Quoterra\\Alerts"_s);
        for (const QByteArray& line : alerts.split('\n'))
            if (line.contains('='))
                t->app->settingsFile().setValue(u"Software\\Quoterra\\Alerts"_s,
                                                QString::fromLatin1(line.split('=')[0]),
                                                QString::fromLatin1(line.split('=')[1]));
        ASSERT_TRUE(openTicker());
    }
    QAction* item(const char* name) const { return ticker->findChild<QAction*>(QLatin1String(name)); }
    // The dialog as the research menu opens it on a symbol the face showed.
    PriceAlertsDialog* alertOn(const QString& shown)
    {
        ticker->popupResearchMenu(shown, {});
        item("AlertMenuItem")->trigger();
        ticker->findChild<QMenu*>(u"ResearchMenu"_s)->close();
        return window<PriceAlertsDialog>("PriceAlerts");
    }
    QString cell(PriceAlertsDialog* d, int row, int column) const
    {
        return d->tblAlerts->model()->index(row, column).data().toString();
    }
    // Types into the dialog's open level box and presses Enter.
    static void typeLevel(PriceAlertsDialog* d, const QString& text)
    {
        QLineEdit* box = nullptr;
        for (QLineEdit* e : d->tblAlerts->findChildren<QLineEdit*>())
            if (e->isVisible())
                box = e;
        ASSERT_TRUE(box) << "no level box open";
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QApplication::processEvents(); // the box hands its text on once it has seen the key
    }
    QString line(const char* symbol)
    {
        t->app->settingsFile().flush();
        return t->profile.setting(u"Software\\Quoterra\\Alerts"_s, QLatin1String(symbol));
    }
};

TEST_F(AlertsTest, TheMenusGainOneItemEach)
{
    openOn({{"IBM", ""}}, {});
    QStringList options;
    QString keys;
    for (QAction* a : ticker->findChild<QMenu*>(u"optionsMenu"_s)->actions()) {
        options << a->text();
        if (const qsizetype amp = a->text().indexOf(u'&'); amp >= 0)
            keys += a->text().at(amp + 1).toLower();
    }
    EXPECT_EQ(options,
              (QStringList{"&About Quoterra...", "", "&Configuation...", "Check For &Updates...", "", "Chart Browser",
                           "Symbol Manager", "Price A&lerts...", "", "Always On &Top", "", "&Pause", "", "E&xit"}));
    EXPECT_EQ(QSet<QChar>(keys.begin(), keys.end()).size(), keys.size())
        << "an access key taken twice: " << keys.toStdString();
    const QList<QAction*> research = ticker->findChild<QMenu*>(u"ResearchMenu"_s)->actions();
    ASSERT_GE(research.size(), 2);
    EXPECT_EQ(research[research.size() - 3]->text(), u"&Insider"_s);
    EXPECT_TRUE(research[research.size() - 2]->isSeparator());
    EXPECT_EQ(research.last()->text(), u"&Alert on This Symbol..."_s);

    item("PriceAlertsMenuItem")->trigger();
    EXPECT_TRUE(window<PriceAlertsDialog>("PriceAlerts"));
}

TEST_F(AlertsTest, TheDialogOpensOnTheShownSymbol)
{
    openOn({{"IBM", "I"}, {"MSFT", "M"}, {"30YR", "Bond"}, {"A=B", "odd"}},
           "MSFT=150;;crossed;\n30YR=;4.2\nTSLA=300;\n");
    PriceAlertsDialog* d = alertOn(u"30 YR"_s); // as the strip shows the bond
    ASSERT_TRUE(d);
    EXPECT_EQ(d->tblAlerts->currentIndex(), d->tblAlerts->model()->index(2, AlertTable::AboveColumn));
    const QStringList rows{cell(d, 0, 0), cell(d, 1, 0), cell(d, 2, 0), cell(d, 3, 0)};
    EXPECT_EQ(rows, (QStringList{"IBM", "MSFT", "30 YR BOND", "A=B"}));
    EXPECT_EQ(cell(d, 1, AlertTable::AboveColumn), u"150"_s);
    EXPECT_EQ(cell(d, 2, AlertTable::BelowColumn), u"4.2"_s);
    EXPECT_FALSE(cell(d, 0, AlertTable::LastColumn).isEmpty()) << "the price the ticker showed is not offered";
    EXPECT_FALSE(d->tblAlerts->model()->flags(d->tblAlerts->model()->index(3, AlertTable::AboveColumn))
                 & Qt::ItemIsEditable);
}

TEST_F(AlertsTest, TheDialogWritesOnlyWhatChanged)
{
    openOn({{"IBM", "I"}, {"30YR", "Bond"}}, "MSFT=150;;crossed;\n30YR=;4.2\nTSLA=300;\n");
    PriceAlertsDialog* d = alertOn(u"30 YR"_s);
    typeLevel(d, u"5"_s);
    EXPECT_FALSE(d->isLoaded()) << "Enter did not take the dialog's answer";
    EXPECT_EQ(line("30YR"), u"5;4.2"_s);
    EXPECT_EQ(line("MSFT"), u"150;;crossed;"_s) << "an alert left alone lost its state";
    EXPECT_EQ(line("TSLA"), u"300;"_s) << "the alert of a symbol off the list went";

    // A level set on a symbol whose price is known starts from it.
    d = alertOn(u"IBM"_s);
    typeLevel(d, u"100000"_s);
    EXPECT_EQ(line("IBM"), u"100000;;armed;"_s);
}

TEST_F(AlertsTest, ARefusedLevelChangesNothing)
{
    openOn({{"IBM", ""}, {"MSFT", ""}}, "MSFT=150;140\n");
    PriceAlertsDialog* d = alertOn(u"MSFT"_s);
    {
        MessageBoxAnswerer answer;
        typeLevel(d, u"150,5"_s);
        ASSERT_EQ(answer.seen().size(), 1);
        EXPECT_TRUE(answer.seen()[0].text.contains(u"MSFT"_s));
    }
    EXPECT_TRUE(d->isLoaded());
    EXPECT_EQ(line("MSFT"), u"150;140"_s);
}

TEST_F(AlertsTest, ClearingBothLevelsRemovesTheLine)
{
    openOn({{"IBM", ""}, {"MSFT", ""}}, "MSFT=150;140\n");
    PriceAlertsDialog* d = alertOn(u"MSFT"_s);
    typeLevel(d, {});
    EXPECT_EQ(line("MSFT"), u";140"_s);
    d = alertOn(u"MSFT"_s);
    d->tblAlerts->setCurrentIndex(d->tblAlerts->model()->index(1, AlertTable::BelowColumn));
    d->chkAlerts->setChecked(false);
    typeLevel(d, {});
    EXPECT_EQ(line("MSFT"), u"<missing>"_s) << "a cleared alert left its line";
    EXPECT_EQ(line("Alerts Enabled"), u"False"_s);
}

TEST_F(AlertsTest, APausedTickerStillWatches)
{
    set(Setting::Interval, "0");
    openOn({{"IBM", ""}, {"MSFT", ""}}, "MSFT=150;\n");
    ticker->togglePause();
    service->reset();
    ticker->refreshStep();
    EXPECT_TRUE(waitUntil([&] { return !program->priceWatch().checking(); }));
    EXPECT_EQ(service->requests(), (QStringList{u"/d/quotes.csv?s=MSFT&f=sl1d1t1c1ohgv&e=.csv"_s}));
}

TEST_F(AlertsTest, AnOpenDialogHoldsTheWatch)
{
    set(Setting::Interval, "0");
    openOn({{"IBM", ""}, {"MSFT", ""}}, "MSFT=150;\n");
    service->reset();
    t->app->setFetchingHeld(true);
    ticker->refreshStep();
    EXPECT_FALSE(program->priceWatch().checking());
    EXPECT_TRUE(service->requests().isEmpty());
}

TEST_F(AlertsTest, AnAlertShowsOnTheFaceUntilItsTimeIsUp)
{
    set(Setting::Interval, "0");
    openOn({{"IBM", ""}}, {});
    ticker->flashAlert(u"S&&P 500"_s, u"5012.5"_s);
    ticker->refreshStep(); // a quote shown meanwhile does not end it
    for (const char* label : {"lblCompactSymbol", "qCurrentStock"})
        EXPECT_EQ(part(ticker, label)->displayedText(), u"S&P 500"_s) << label;
    EXPECT_EQ(part(ticker, "qLastPrice")->caption(), u"5012.5"_s);
    ticker->findChild<QTimer*>(u"flashTimer"_s)->start(0);
    EXPECT_TRUE(waitUntil([&] { return part(ticker, "qCurrentStock")->caption() == u"IBM"_s; }));
    EXPECT_EQ(part(ticker, "qLastPrice")->foreColor(), QColor(Qt::white));
}

} // namespace
} // namespace quoterra::test
