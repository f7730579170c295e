// Finding the quote service on this machine, or starting it, against real
// programs on real ports.
#include "test_support.h"

#include "hosts/bundled_service.h"

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
    const auto outcome =
        BundledService(at(port), {u"/nonexistent/quoterra-service"_s, kServiceProgram}).ensure(std::chrono::seconds(5));
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
        ServiceKeeper keeper(BundledService(at(port), {kServiceProgram}), std::chrono::milliseconds(50));
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
    const QString missing = u"/nonexistent/quoterra-service"_s, taken = u"Another program already uses port"_s;
    struct Case {
        const char* what;
        QString origin, program;
        State state;
        QString told; // empty: nothing
    } cases[] = {
        {"a quoterra-service", running.origin(), kServiceProgram, State::Answering, {}},
        {"another web server", originOf(http), kServiceProgram, State::Foreign, taken},
        {"a program that never answers", originOf(silent), kServiceProgram, State::Foreign, taken},
        {"no service program", at(nobody), missing, State::Missing, missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcome = BundledService(c.origin, {c.program}).ensure(std::chrono::seconds(2));
        EXPECT_EQ(outcome.state, c.state);
        EXPECT_TRUE(c.told.isEmpty() ? outcome.message.isEmpty() : outcome.message.contains(c.told))
            << outcome.message.toStdString();
    }
    EXPECT_TRUE(servicesOnPort(http.port()).isEmpty());
    EXPECT_TRUE(servicesOnPort(nobody).isEmpty());
}

} // namespace
} // namespace quoterra::test
