// Price alerts on a desktop: a level set in two clicks, a crossing told
// once through the desktop's notification service (a private session bus),
// Show Chart, and the ticker going on where no such service answers.
#include "e2e_fixture.h"
#include "quote_stand_in.h"
#include "session_bus.h"

#include <QDBusArgument>

namespace quoterra::test {
namespace {

class Alerts : public OnDesktop {
protected:
    void SetUp() override
    {
        prices.setPrice("IBM", 100);
        prices.setPrice("MSFT", 149);
        profile.sessionBus = bus.address();
    }
    // The program on IBM and MSFT with these alert lines, a quote a second
    // unless told otherwise; the ticker's window.
    QString start(const QByteArray& alerts, const char* interval = "0")
    {
        return OnDesktop::start(
            placed(3000, 3000, "Full").replace("Height=Full", "Height=Full\nInterval=" + QByteArray(interval))
                + "[Software\\Quoterra\\Alerts]\n" + alerts,
            {"IBM", "MSFT"}, QString::fromStdString(prices.origin()));
    }
    // Waits until the program has asked for `symbol` twice more, so once at
    // least since now.
    bool askedAgain(const char* symbol) const
    {
        const int from = prices.asked(symbol);
        return waitUntil([&] { return prices.asked(symbol) >= from + 2; }, 30000);
    }
    QString alertLine(const char* symbol) const
    {
        return profile.setting(u"Software\\Quoterra\\Alerts"_s, QLatin1String(symbol));
    }
    QString log() const { return QString::fromUtf8(readFile(profile.root() + u"/state/Quoterra/alerts.log"_s)); }

    QuoteStandIn prices;
    SessionBus bus; // nobody serves notifications on it unless a test does
};

// Told with the program's name, icon and a Show Chart action that opens the
// chart; not again while the price hovers at the level, nor after a restart.
TEST_F(Alerts, ACrossingIsToldOnce)
{
    NotificationServer desktop(bus.address());
    ASSERT_TRUE(desktop.serving());
    ASSERT_FALSE(start("MSFT=150;\n").isEmpty());
    ASSERT_TRUE(askedAgain("MSFT"));
    ASSERT_TRUE(waitUntil([&] { return alertLine("MSFT") == u"150;;armed;"_s; }));

    prices.setPrice("MSFT", 151);
    ASSERT_TRUE(waitUntil([&] { return !desktop.calls().isEmpty(); }, 30000)) << "nothing was told";
    const NotificationServer::Call told = desktop.calls().first();
    EXPECT_EQ(told.summary, u"MSFT above 150.00"_s);
    EXPECT_EQ(told.body, u"Last Price: 151.00\nChange: +2.00\nTime: 3:58pm"_s);
    EXPECT_EQ(told.appName, u"Quoterra"_s);
    EXPECT_EQ(told.appIcon, u"quoterra"_s);
    EXPECT_EQ(told.actions.mid(told.actions.indexOf(u"show-chart"_s), 2), (QStringList{"show-chart", "Show Chart"}));
    int width = 0, height = 0;
    const QDBusArgument image = told.hints.value(u"image-data"_s).value<QDBusArgument>();
    image.beginStructure();
    image >> width >> height;
    EXPECT_EQ(QSize(width, height), QSize(64, 64)) << "not the program's icon";

    // Not back past the level by half a percent.
    for (const double hover : {149.5, 150.5, 149.3, 151.0}) {
        prices.setPrice("MSFT", hover);
        ASSERT_TRUE(askedAgain("MSFT"));
    }
    EXPECT_EQ(desktop.calls().size(), 1);

    desktop.invoke(told.id, u"show-chart"_s);
    EXPECT_TRUE(waitUntil([&] { return prices.server().count("/c/0b/m/msft.gif") > 0; }))
        << "the chart browser did not fetch MSFT's chart";

    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(alertLine("MSFT"), u"150;;crossed;"_s);
    EXPECT_EQ(profile.chart("Symbol"), u"MSFT"_s) << "the chart browser was not on MSFT";
    prices.setPrice("MSFT", 152);
    program = std::make_unique<RunningProgram>(profile, QString::fromStdString(prices.origin()), x.display());
    ASSERT_TRUE(askedAgain("MSFT"));
    ASSERT_TRUE(askedAgain("MSFT"));
    EXPECT_EQ(desktop.calls().size(), 1);
}

// Logged, and shown on the face of a ticker that cycles on.
TEST_F(Alerts, WithoutANotificationServiceTheFaceShowsTheCrossing)
{
    const QString ticker = start("MSFT=150;\n");
    ASSERT_TRUE(askedAgain("MSFT"));
    prices.setPrice("MSFT", 151);
    ASSERT_TRUE(waitUntil([&] { return log().contains(u"MSFT above 150.00"_s); }, 30000)) << "nothing was logged";
    const QImage face = x.grab(ticker);
    EXPECT_TRUE(log().contains(u"no notification service"_s)) << log().toStdString();
    int flashed = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x0 = 0; x0 < face.width(); ++x0)
            flashed += face.pixel(x0, y) == qRgb(255, 214, 0);
    EXPECT_GT(flashed, 20) << "the face did not show the alert";
    EXPECT_TRUE(askedAgain("IBM")) << "the ticker stopped cycling";
}

TEST_F(Alerts, ALevelIsSetInTwoClicks)
{
    const QString ticker = start({}, "60");
    ASSERT_TRUE(waitUntil([&] { return prices.asked("IBM") > 0; }));
    const QRect face = x.geometry(ticker);
    // A right click on the symbol opens the research menu, whose last item
    // opens the alerts dialog on that symbol.
    x.click(face.topLeft() + QPoint(100, 22), 3);
    QRect menu;
    ASSERT_TRUE(waitUntil([&] {
        for (const QString& id : x.programWindows())
            if (x.geometry(id).height() > 100 && x.geometry(id) != face)
                menu = x.geometry(id);
        return menu.isValid();
    }));
    x.click(menu.bottomLeft() + QPoint(40, -12));
    ASSERT_FALSE(x.window(u"Quoterra - Price Alerts"_s).isEmpty());
    x.type(u"150"_s);
    x.key(u"Return"_s);
    EXPECT_TRUE(x.closed(u"Quoterra - Price Alerts"_s));
    EXPECT_TRUE(waitUntil([&] { return alertLine("IBM") == u"150;;armed;"_s; })) << alertLine("IBM").toStdString();
}

} // namespace
} // namespace quoterra::test
