#include "service_process.h"
#include "test_support.h"

#include "platform/hosts.h"
#include "platform/inet.h"
#include "quotes/refresh_cycle.h"
#include "update/update_checker.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <version.h>

namespace quoterra {
namespace {

using test::TestProfile;
using test::UrlRecorder;

struct Running {
    int major, minor, revision;
};
constexpr Running kBuilt{kVersionMajor, kVersionMinor, kVersionRevision};

void click(CommandButton* b)
{
    QTest::mouseClick(b->button(), Qt::LeftButton);
}

int versionRequests(const ServiceProcess& service)
{
    return int(service.requests().count(UpdateChecker::kVersionPath));
}

TEST(VersionNumbers, TheVersionFileReadsItsLongestLeadingNumber)
{
    const std::pair<const char*, double> cases[] = {
        {"4.00", 4.0},     {"4", 4.0},       {"4.00 beta", 4.0}, {"  4.01\r\n", 4.01}, {"\t4.5", 4.5},
        {"4.01.2", 4.01},  {"4.", 4.0},      {".5", 0.5},        {"abc", 0.0},         {"", 0.0},
        {"v4.1", 0.0},     {"-4", 0.0},      {".", 0.0},         {"12345678901234567890", 12345678901234567890.0},
    };
    for (const auto& [text, number] : cases) {
        SCOPED_TRACE(text);
        EXPECT_DOUBLE_EQ(versionFileNumber(QString::fromLatin1(text)), number);
    }
    EXPECT_EQ(versionFileNumber(QString(400, u'9')), 0.0) << "a number no double holds reads as none";
}

TEST(VersionNumbers, TheRunningVersionRunsMinorAndRevisionTogetherInAnyLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case {
        Running version;
        const char* text;
        double number;
    };
    for (const Case& c : {Case{{4, 0, 0}, "4.00", 4.0}, Case{{4, 1, 2}, "4.12", 4.12}, Case{{10, 0, 11}, "10.011", 10.011}}) {
        SCOPED_TRACE(c.text);
        setRunningVersion(c.version.major, c.version.minor, c.version.revision);
        EXPECT_EQ(runningVersionText(), QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(runningVersionNumber(), c.number);
    }
    QLocale::setDefault(before);
    setRunningVersion(kBuilt.major, kBuilt.minor, kBuilt.revision);
    EXPECT_EQ(runningVersionText(), QStringLiteral("%1.%2%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
}

class UpdateCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Forms::registerForm<UpdateChecker>(UpdateChecker::kName);
        Forms::registerForm<UpdateAvailable>(UpdateAvailable::kName);
    }
    void TearDown() override
    {
        qunsetenv("QUOTERRA_SERVICE");
        setRunningVersion(kBuilt.major, kBuilt.minor, kBuilt.revision);
    }
    static UpdateChecker* openChecker(const ServiceProcess& service)
    {
        qputenv("QUOTERRA_SERVICE", service.origin().toUtf8());
        return qobject_cast<UpdateChecker*>(Forms::show(UpdateChecker::kName));
    }
    // Runs `action` once the checker's transfer is under way.
    static void whileTransferring(UpdateChecker* checker, std::function<void()> action)
    {
        auto* poll = new QTimer(checker);
        QObject::connect(poll, &QTimer::timeout, poll, [=] {
            if (!checker->inetUpdate->StillExecuting())
                return;
            poll->stop();
            action();
        });
        poll->start(5);
    }

    TestProfile profile;
};

TEST_F(UpdateCheck, ComparesThePublishedVersionWithTheRunningOne)
{
    struct Case {
        const char* published;
        Running running;
        bool offered;
    };
    const Case cases[] = {
        {"4.00", kBuilt, false},  {"4", kBuilt, false},         {"4.00 beta", kBuilt, false},
        {"4.01", kBuilt, true},   {"4.2", {4, 1, 2}, true},     {"4.11", {4, 1, 2}, false},
        {"abc", kBuilt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.published);
        TestProfile fresh;
        ServiceProcess service({QStringLiteral("--version-file-text"), QString::fromLatin1(c.published)});
        ASSERT_TRUE(service.isRunning());
        setRunningVersion(c.running.major, c.running.minor, c.running.revision);
        UpdateChecker* checker = openChecker(service);
        ASSERT_NE(checker, nullptr);
        EXPECT_EQ(checker->lblState->Caption(), QStringLiteral("Ready"));

        click(checker->cmdCheck);
        EXPECT_EQ(versionRequests(service), 1);
        auto* offer = Forms::find<UpdateAvailable>();
        if (c.offered) {
            ASSERT_NE(offer, nullptr);
            EXPECT_TRUE(offer->isVisible());
            EXPECT_EQ(offer->Caption(), QStringLiteral("Quoterra - Update Available"));
            EXPECT_FALSE(Forms::isLoaded(checker));
            EXPECT_FALSE(ConfigOpen);
        } else {
            EXPECT_EQ(offer, nullptr);
            ASSERT_TRUE(Forms::isLoaded(checker));
            EXPECT_EQ(checker->lblState->Caption(), QStringLiteral("No update is needed."));
            EXPECT_EQ(checker->lastAnswer(), QString::fromLatin1(c.published));
            EXPECT_TRUE(ConfigOpen);
        }
    }
}

TEST_F(UpdateCheck, AnUnreachableSiteEndsTheCheckWithFailedToConnect)
{
    ServiceProcess service({QStringLiteral("--version-file-text"), QStringLiteral("9.99")});
    service.stop();
    UpdateChecker* checker = openChecker(service);
    ASSERT_NE(checker, nullptr);
    click(checker->cmdCheck);
    EXPECT_EQ(checker->lblState->Caption(), QStringLiteral("Failed to Connect"));
    EXPECT_TRUE(Forms::isLoaded(checker));
    EXPECT_EQ(Forms::find<UpdateAvailable>(), nullptr);

    // An error answer from a running site is a failure too, not version 0.
    ServiceProcess failing;
    qputenv("QUOTERRA_SERVICE", failing.origin().toUtf8());
    failing.failNext(1);
    click(checker->cmdCheck);
    EXPECT_EQ(checker->lblState->Caption(), QStringLiteral("Failed to Connect"));
}

TEST_F(UpdateCheck, ASecondClickWhileTheFirstTransferRunsDoesNothing)
{
    ServiceProcess service({QStringLiteral("--latency-ms"), QStringLiteral("400")});
    UpdateChecker* checker = openChecker(service);
    ASSERT_NE(checker, nullptr);
    QString stateAfterSecondClick;
    whileTransferring(checker, [&] {
        click(checker->cmdCheck);
        stateAfterSecondClick = checker->lblState->Caption();
    });
    click(checker->cmdCheck);
    EXPECT_EQ(stateAfterSecondClick, QStringLiteral("Looking for a Newer Version..."));
    EXPECT_EQ(checker->lblState->Caption(), QStringLiteral("No update is needed."));
    EXPECT_EQ(versionRequests(service), 1);
}

TEST_F(UpdateCheck, ClosingDuringTheTransferOffersNothingAfterwards)
{
    ServiceProcess service({QStringLiteral("--latency-ms"), QStringLiteral("400"), QStringLiteral("--version-file-text"),
                            QStringLiteral("9.00")});
    UpdateChecker* checker = openChecker(service);
    ASSERT_NE(checker, nullptr);
    whileTransferring(checker, [checker] { click(checker->cmdClose); });
    click(checker->cmdCheck);
    EXPECT_FALSE(Forms::isLoaded(UpdateChecker::kName));
    EXPECT_EQ(Forms::find<UpdateAvailable>(), nullptr);
    EXPECT_FALSE(ConfigOpen);
}

TEST_F(UpdateCheck, TheCheckerHoldsTheQuoteCycleWhileOpen)
{
    ServiceProcess service;
    for (bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "Close button" : "window closed");
        UpdateChecker* checker = openChecker(service);
        ASSERT_NE(checker, nullptr);
        EXPECT_TRUE(ConfigOpen);
        if (byButton)
            click(checker->cmdClose);
        else
            checker->close();
        EXPECT_FALSE(Forms::isLoaded(UpdateChecker::kName));
        EXPECT_FALSE(ConfigOpen);
    }
}

TEST_F(UpdateCheck, TheOfferOpensTheMakersSiteOrJustCloses)
{
    ServiceProcess service;
    qputenv("QUOTERRA_SERVICE", service.origin().toUtf8());
    for (bool go : {true, false}) {
        SCOPED_TRACE(go ? "go" : "cancel");
        auto* offer = qobject_cast<UpdateAvailable*>(Forms::show(UpdateAvailable::kName));
        ASSERT_NE(offer, nullptr);
        UrlRecorder recorder;
        click(go ? offer->Command1 : offer->Command2);
        EXPECT_EQ(recorder.opened, go ? QStringList{hosts().makerSite} : QStringList{});
        EXPECT_FALSE(Forms::isLoaded(offer));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(hosts().makerSite, service.origin() + QStringLiteral("/"));
}

} // namespace
} // namespace quoterra
