// The program as a process: the signals that end it, and what it does with
// a bad environment.
#include "e2e_fixture.h"

namespace quoterra::test {
namespace {

const QByteArray kPlaced = "[Software\\Quoterra]\nLeft=-3000\nTop=450\nHeight=Shade\nAlways On Top=False\n"
                           "[Software\\Quoterra\\Charts]\n";

class Signals : public ::testing::TestWithParam<int> { };
using StartUp = OnDesktop;

// Ending by signal or with the session saves what the exit saves.
TEST_P(Signals, EndTheProgramAfterSavingItsState)
{
    ServiceProcess service;
    Profile profile;
    profile.seed(kPlaced, {"IBM", "MSFT"});
    RunningProgram program(profile, service.origin());
    ASSERT_TRUE(waitUntil([&] { return !service.requests().isEmpty(); })) << "the ticker never asked for a quote";
    ASSERT_TRUE(program.signal(GetParam()));
    EXPECT_EQ(program.process.exitCode(), 0);
    // Left pulled inside the work area at load.
    EXPECT_EQ(profile.main({"Left", "Top", "Height", "Always On Top"}), (QStringList{"0", "450", "Shade", "False"}));
    EXPECT_EQ(profile.chart("StartUp"), u"False"_s);
}
INSTANTIATE_TEST_SUITE_P(Process, Signals, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& row) { return std::string(sigabbrev_np(row.param)); });

TEST(HangingRequest, DoesNotHoldUpTheEndBySignal)
{
    FakeSource silent({.hang = true});
    Profile profile;
    profile.seed(kPlaced, {"IBM"});
    RunningProgram program(profile, originOf(silent));
    ASSERT_TRUE(waitUntil([&] { return silent.count() > 0; }));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(program.signal(SIGTERM));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(profile.main("Left"), u"0"_s);
}

// A signal while a file error is on show at start-up: the place the program
// had not restored yet is not overwritten.
TEST_F(StartUp, AnEndBeforeThePlaceWasRestoredLeavesTheSavedPlace)
{
    profile.seed(kPlaced, {});
    QFile::remove(profile.symbolFile());
    QDir().mkpath(profile.symbolFile());
    program = std::make_unique<RunningProgram>(profile, u"http://127.0.0.1:9"_s, x.display());
    EXPECT_FALSE(x.window(u"File Error"_s).isEmpty()) << "no message about the list";
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_EQ(profile.main({"Left", "Top", "Height"}), (QStringList{"-3000", "450", "Shade"}));
}

TEST(Display, GoingAwaySavesTheState)
{
    ServiceProcess service;
    auto x = std::make_unique<Xvfb>();
    Profile profile;
    profile.seed(kPlaced, {"IBM"});
    RunningProgram program(profile, service.origin(), x->display());
    ASSERT_FALSE(x->window(u"quoterra"_s, true).isEmpty());
    x.reset();
    ASSERT_TRUE(program.process.waitForFinished(10000));
    EXPECT_EQ(profile.main({"Left", "Height"}), (QStringList{"0", "Shade"}));
}

// What the user set up wrongly is said plainly, and nothing is put elsewhere
// or written over.
struct SetupRow {
    const char *what, *service;
    bool homeIsAFile;
    const char* said;
};
const SetupRow kSetupRows[] = {
    {"IPv6 without brackets", "http://::1:9", false, "QUOTERRA_SERVICE=http://::1:9 cannot be used"},
    {"not a web address", "ftp://127.0.0.1", false, "only http and https are supported"},
    {"a file for a home", "http://127.0.0.1:9", true, "Quoterra cannot keep its symbol list in"},
};
class SetupRows : public OnDesktop, public ::testing::WithParamInterface<SetupRow> { };
TEST_P(SetupRows, IsToldAndNothingIsWritten)
{
    const SetupRow& c = GetParam();
    if (c.homeIsAFile) {
        QDir(profile.appDir()).removeRecursively();
        QFile(profile.appDir()).open(QIODevice::WriteOnly);
    }
    program = std::make_unique<RunningProgram>(profile, QLatin1String(c.service), x.display());
    EXPECT_FALSE(x.window(u"Quoterra"_s).isEmpty()) << "no message box";
    x.key(u"Return"_s);
    ASSERT_TRUE(program->process.waitForFinished(10000));
    EXPECT_EQ(program->process.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(program->process.readAllStandardError()).contains(QLatin1String(c.said)));
    EXPECT_FALSE(QFile::exists(profile.root() + u"/stockdata.std"_s));
    EXPECT_FALSE(QFile::exists(profile.registryFile()));
}
INSTANTIATE_TEST_SUITE_P(Environment, SetupRows, ::testing::ValuesIn(kSetupRows), rowName<SetupRow>);

// Told once; the ticker runs on defaults and leaves the file alone.
TEST_F(StartUp, AnUnreadableSettingsFileIsToldAndLeftAlone)
{
    ServiceProcess service;
    profile.writeSymbols({{"IBM", ""}});
    QDir().mkpath(profile.registryFile() + u"/inside"_s);
    program = std::make_unique<RunningProgram>(profile, service.origin(), x.display());
    EXPECT_FALSE(x.window(u"Quoterra"_s).isEmpty()) << "no message about the settings";
    x.key(u"Return"_s);
    ASSERT_FALSE(x.window(u"quoterra"_s, true).isEmpty()) << "the ticker did not run on defaults";
    ASSERT_TRUE(program->signal(SIGTERM));
    EXPECT_TRUE(QFileInfo(profile.registryFile() + u"/inside"_s).isDir());
}

} // namespace
} // namespace quoterra::test
