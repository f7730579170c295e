// The service as a program: its command line, how it ends, and what it does
// when its port is taken.

#include "fake_source.h"
#include "test_util.h"
#include "version.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <vector>

using namespace service_test;

namespace {

TEST(ServiceCommandLine, HelpAndVersionPrintAndExitZero)
{
    const Finished help = runService({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--port", "--bind", "--market", "--idle-exit", "--source-url", "--research-url",
                               "--upstream-timeout", "--test-control", "--version"})
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;

    const Finished version = runService({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    // the version the ticker's About box shows, from the one place it lives
    EXPECT_EQ(version.out,
              u"quoterra-service %1.%2.%3\n"_s.arg(quoterra::kVersionMajor)
                  .arg(quoterra::kVersionMinor)
                  .arg(quoterra::kVersionRevision));
}

TEST(ServiceCommandLine, BadOptionsAreRefusedWithExitCodeTwoAndAUsageLine)
{
    for (const char* line : {"--port 70000", "--port abc", "--port", "--seed -3", "--latency-ms 1.5", "--fail-rate 1.5",
                             "--bogus", "--bind no.such.host.invalid", "--market stock", "--idle-exit -1",
                             "--request-timeout 0", "--upstream-timeout 60", "--help=yes",
                             "--source-url chart=ftp://127.0.0.1:1", "--source-url quotes=http://127.0.0.1:1",
                             "--source-url chart=http://127.0.0.1:1/v8", "--research-url finance"}) {
        SCOPED_TRACE(line);
        const QStringList args = QString::fromLatin1(line).split(u' ');
        const Finished r = runService(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(args.first().section(u'=', 0, 0))) << r.err.toStdString();
        if (args.first() != "--bind") { // a name that does not resolve is not a usage error as such
            EXPECT_TRUE(r.err.contains(QLatin1String("Usage: quoterra-service"))) << r.err.toStdString();
        }
    }
}

TEST(ServiceLife, SigtermEndsItPromptlyEvenWithAnIdleClient)
{
    ServiceProcess service({"--idle-exit", "0"});
    ASSERT_TRUE(service.isRunning());
    RawClient idle(service.port()); // a keep-alive client that went quiet
    ASSERT_TRUE(idle.connected());
    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(service.processId()), SIGTERM);
    EXPECT_EQ(service.waitForExit(5000), 0);
    EXPECT_LT(timer.elapsed(), 1500);
}

TEST(ServiceLife, EndsAfterItsIdleTimeButNotWhileAsked)
{
    ServiceProcess service({"--idle-exit", "2"});
    ASSERT_TRUE(service.isRunning());
    for (QDeadlineTimer asking(2500); !asking.hasExpired(); QThread::msleep(100))
        ASSERT_EQ(service.get("/currentversion.txt").status, 200) << "ended while it was being asked";
    EXPECT_EQ(service.waitForExit(15'000), 0);
}

TEST(ServiceLife, ATakenPortIsReportedByWhoHoldsIt)
{
    ServiceProcess ours;
    ASSERT_TRUE(ours.isRunning());
    FakeSource foreign({.body = "a web server of some other kind"});
    ASSERT_TRUE(foreign.isListening());
    struct Case {
        quint16 port;
        int exitCode;
        const char* says;
    };
    for (const Case& c : {Case{ours.port(), 3, "another quoterra-service already serves"},
                          Case{foreign.port(), 4, "in use by another program"}}) {
        const Finished second = runService({"--market", "simulated", "--port", QString::number(c.port)});
        EXPECT_EQ(second.exitCode, c.exitCode);
        EXPECT_TRUE(second.err.contains(QLatin1String(c.says))) << second.err.toStdString();
        EXPECT_TRUE(second.err.contains(QString::number(c.port))) << second.err.toStdString();
        EXPECT_EQ(second.err.count('\n'), 1) << second.err.toStdString();
    }
    EXPECT_EQ(ours.get("/currentversion.txt").status, 200);
}

TEST(ServiceLife, ServicesStartedTogetherLeaveExactlyOneServing)
{
    const quint16 port = quoterra::test::freePort(); // to agree on
    // The one that serves ends by itself a second after the others have asked it.
    std::vector<std::unique_ptr<QProcess>> services;
    for (int i = 0; i < 4; ++i) {
        services.push_back(std::make_unique<QProcess>());
        services.back()->start(QStringLiteral(QUOTERRA_SERVICE_BIN),
                               {"--market", "simulated", "--idle-exit", "1", "--port", QString::number(port)});
    }
    int serving = 0, refused = 0;
    for (auto& p : services) {
        ASSERT_TRUE(p->waitForFinished(15'000));
        refused += p->exitCode() == 3;
        serving += p->exitCode() == 0 && p->readAllStandardOutput().startsWith("quoterra-service listening on");
    }
    EXPECT_EQ(serving, 1);
    EXPECT_EQ(refused, 3);
}

} // namespace
