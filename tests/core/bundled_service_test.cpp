// Finding the quote service on this machine, or starting it, against real
// programs on real ports.
#include "fake_source.h"
#include "service_process.h"
#include "test_support.h"

#include "app/context/bundled_service.h"

#include <gtest/gtest.h>

#include <csignal>

namespace quoterra::test {
namespace {

using State = BundledService::State;

QString at(quint16 port)
{
    return u"http://127.0.0.1:%1"_s.arg(port);
}

TEST(BundledService, NothingAnsweringStartsTheFirstProgramFoundAndWaitsForIt)
{
    const quint16 port = freePort();
    const QStringList programs{u"/nonexistent/quoterra-service"_s, QStringLiteral(QUOTERRA_SERVICE_BIN)};
    const auto outcome = BundledService(at(port), programs).ensure(std::chrono::seconds(5));
    const QList<qint64> started = servicesOnPort(port);
    for (qint64 pid : started)
        ::kill(pid_t(pid), SIGTERM);
    EXPECT_EQ(outcome.state, State::Answering);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(started.size(), 1);
}

TEST(BundledService, TheKeeperBringsBackAServiceThatWentAway)
{
    const quint16 port = freePort();
    // Asks without starting anything.
    const auto answering = [port] {
        return BundledService(at(port), {}).ensure(std::chrono::milliseconds(0)).state == State::Answering;
    };
    {
        ServiceKeeper keeper(BundledService(at(port), {QStringLiteral(QUOTERRA_SERVICE_BIN)}),
                             std::chrono::milliseconds(50));
        ASSERT_TRUE(waitUntil(answering));
        const QList<qint64> first = servicesOnPort(port);
        ASSERT_EQ(first.size(), 1);
        ::kill(pid_t(first[0]), SIGTERM);
        EXPECT_TRUE(waitUntil([&] { return answering() && servicesOnPort(port) != first; }));
    }
    for (qint64 pid : servicesOnPort(port))
        ::kill(pid_t(pid), SIGTERM);
}

TEST(BundledService, AServiceAnsweringIsUsedAndWhatCannotBeUsedIsToldInWords)
{
    ServiceProcess running;
    FakeSource http({.body = "someone else"});
    FakeSource silent({.hang = true});
    const quint16 nobody = freePort();
    struct Case {
        const char* what;
        QString origin;
        QStringList programs;
        State state;
        const char* told; // nullptr: nothing
    } cases[] = {
        {"a quoterra-service", running.origin(), {QStringLiteral(QUOTERRA_SERVICE_BIN)}, State::Answering, nullptr},
        {"another web server",
         originOf(http),
         {QStringLiteral(QUOTERRA_SERVICE_BIN)},
         State::Foreign,
         "Another program already uses port"},
        {"a program that never answers",
         originOf(silent),
         {QStringLiteral(QUOTERRA_SERVICE_BIN)},
         State::Foreign,
         "Another program already uses port"},
        {"no service program",
         at(nobody),
         {u"/nonexistent/quoterra-service"_s},
         State::Missing,
         "/nonexistent/quoterra-service"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcome = BundledService(c.origin, c.programs).ensure(std::chrono::seconds(2));
        EXPECT_EQ(outcome.state, c.state);
        if (c.told)
            EXPECT_TRUE(outcome.message.contains(QLatin1String(c.told))) << outcome.message.toStdString();
        else
            EXPECT_TRUE(outcome.message.isEmpty()) << outcome.message.toStdString();
    }
    EXPECT_TRUE(servicesOnPort(http.port()).isEmpty());
    EXPECT_TRUE(servicesOnPort(nobody).isEmpty());
}

} // namespace
} // namespace quoterra::test
