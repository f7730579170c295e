// The settings file: what a person may write in it, what the program keeps
// of it, and that a file it cannot read is never replaced.
#include "test_support.h"

#include "core/registry.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QThread>

#include <csignal>

namespace quoterra {
namespace {

using test::readFile;

const QString kMain = QStringLiteral("Software\\Quoterra");
const QString kCharts = QStringLiteral("Software\\Quoterra\\Charts");

QString valueOf(const RegistryDocument& doc, const QString& key, const char* name)
{
    const QString* v = doc.value(key, QLatin1String(name));
    return v ? *v : QStringLiteral("<none>");
}

TEST(RegistryDocument, ReadsWhatAPersonWrites)
{
    const RegistryDocument doc = RegistryDocument::parse("Orphan=before any section\r\n"
                                                         "; a comment\r\n"
                                                         "[Software\\Quoterra]  \r\n"
                                                         "Left=1440\r\n"
                                                         "this line has no equals sign\r\n"
                                                         "=no name\r\n"
                                                         "Always On Top=False\r\n"
                                                         "Path=C:\\\\Data\\nline two\r\n"
                                                         "Spaces=  kept  \r\n"
                                                         "Twice=first\r\n"
                                                         "twice=second\r\n"
                                                         "Symbol=Soci\xe9t\xe9 G\xe9n\xe9rale \x80\r\n"
                                                         "[]\r\n"
                                                         "Hidden=under a nameless section\n"
                                                         "[software\\quoterra\\CHARTS]\n"
                                                         "Symbol=MSFT");
    const struct {
        const QString& key;
        const char* name;
        QString expected;
    } cases[] = {
        {kMain, "Left", QStringLiteral("1440")},
        {kMain, "always on top", QStringLiteral("False")},
        {kMain, "Path", QStringLiteral("C:\\Data\nline two")},
        {kMain, "Spaces", QStringLiteral("  kept  ")},
        {kMain, "Twice", QStringLiteral("second")},
        {kMain, "Symbol", QString::fromUtf8("Soci\u00e9t\u00e9 G\u00e9n\u00e9rale \u20ac")},
        {kMain, "this line has no equals sign", QStringLiteral("<none>")},
        {kMain, "Orphan", QStringLiteral("<none>")},
        {kMain, "Hidden", QStringLiteral("<none>")},
        {kCharts, "Symbol", QStringLiteral("MSFT")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueOf(doc, c.key, c.name), c.expected) << c.name;
    EXPECT_TRUE(doc.hasKey(kMain));
    EXPECT_FALSE(doc.hasKey(QStringLiteral("Software\\Other")));
}

TEST(RegistryDocument, KeepsEveryLineItDoesNotChangeByteForByte)
{
    const QByteArray hand = "; settings of a careful person\r\n"
                            "[Software\\Quoterra]\r\n"
                            "Left=10\r\n"
                            "Top=20\r\n"
                            "stray line \xe9\r\n"
                            "\r\n"
                            "[Software\\Quoterra\\Charts]\n"
                            "Symbol=IBM\n";
    RegistryDocument doc = RegistryDocument::parse(hand);
    EXPECT_EQ(doc.serialize(), hand);

    EXPECT_EQ(doc.setValue(kMain, QStringLiteral("Top"), QStringLiteral("25")), RegistryDocument::SetResult::Changed);
    EXPECT_EQ(doc.setValue(kMain, QStringLiteral("Height"), QStringLiteral("Shade\nx")),
              RegistryDocument::SetResult::Changed);
    EXPECT_EQ(doc.setValue(kMain, QStringLiteral("Left"), QStringLiteral("10")),
              RegistryDocument::SetResult::Unchanged);
    EXPECT_EQ(doc.setValue(QStringLiteral("Software\\None"), QStringLiteral("X"), QStringLiteral("1")),
              RegistryDocument::SetResult::NoSuchKey);
    EXPECT_TRUE(doc.createKey(QStringLiteral("Software\\Quoterra\\Extra")));
    EXPECT_FALSE(doc.createKey(kMain));
    EXPECT_EQ(QString::fromLatin1(doc.serialize()),
              QString::fromLatin1("; settings of a careful person\r\n"
                                  "[Software\\Quoterra]\r\n"
                                  "Left=10\r\n"
                                  "Top=25\n"
                                  "stray line \xe9\r\n"
                                  "Height=Shade\\nx\n"
                                  "\r\n"
                                  "[Software\\Quoterra\\Charts]\n"
                                  "Symbol=IBM\n"
                                  "\n"
                                  "[Software]\n" // a parent the hand-written file lacked
                                  "\n"
                                  "[Software\\Quoterra\\Extra]\n"));
    const RegistryDocument back = RegistryDocument::parse(doc.serialize());
    EXPECT_EQ(valueOf(back, kMain, "Height"), QStringLiteral("Shade\nx"));
    EXPECT_EQ(valueOf(back, kMain, "Top"), QStringLiteral("25"));
    EXPECT_TRUE(back.hasKey(QStringLiteral("Software\\Quoterra\\Extra")));
}

TEST(RegistryDocument, ANewKeyBringsItsParents)
{
    RegistryDocument doc;
    doc.createKey(kCharts);
    doc.setValue(kCharts, QStringLiteral("StartUp"), QStringLiteral("False"));
    EXPECT_EQ(doc.serialize(),
              QByteArray("[Software]\n\n[Software\\Quoterra]\n\n[Software\\Quoterra\\Charts]\nStartUp=False\n"));
}

class Store : public ::testing::Test {
protected:
    QString path() const { return profile.registryFile(); }
    test::TestProfile profile;
};

TEST_F(Store, WritesLandAtomicallyAndEditsOnDiskArePickedUp)
{
    RegistryStore store(path());
    store.createKey(kMain);
    ASSERT_TRUE(store.setValue(kMain, QStringLiteral("Left"), QStringLiteral("100")));
    EXPECT_FALSE(store.setValue(kCharts, QStringLiteral("Left"), QStringLiteral("1")));
    // Written behind, not at once.
    EXPECT_TRUE(readFile(path()).isEmpty());
    ASSERT_TRUE(test::waitUntil([&] { return readFile(path()).contains("Left=100"); }));

    // Another program replaces the file, as editors do.
    QByteArray edited = readFile(path()).replace("Left=100", "Left=250");
    QFile f(path() + QStringLiteral(".new"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(edited);
    f.close();
    ASSERT_EQ(::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path()).constData()), 0);
    EXPECT_EQ(store.value(kMain, QStringLiteral("Left")), QStringLiteral("250"));
}

// A file the program cannot read is the user's: it is never written over,
// and the user hears of it once.
TEST_F(Store, AFileItCannotReadIsLeftAloneAndReportedOnce)
{
    struct Case {
        const char* what;
        bool folder;
        std::function<void()> make;
    } cases[] = {
        {"a folder in its place", true, [&] { QDir().mkpath(path()); }},
        {"larger than any settings file", false,
         [&] {
             QFile f(path());
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.resize(RegistryStore::kLargestFile + 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(profile.configHome() + QStringLiteral("/Quoterra")).removeRecursively();
        QDir().mkpath(profile.configHome() + QStringLiteral("/Quoterra"));
        c.make();
        const QByteArray before = QFileInfo(path()).isFile() ? readFile(path()) : QByteArray();
        RegistryStore store(path());
        QSignalSpy problems(&store, &RegistryStore::problem);
        store.createKey(kMain);
        store.setValue(kMain, QStringLiteral("Left"), QStringLiteral("5"));
        store.setValue(kMain, QStringLiteral("Top"), QStringLiteral("6"));
        store.flush();
        // The program runs on what it holds.
        EXPECT_EQ(store.value(kMain, QStringLiteral("Left")), QStringLiteral("5"));
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0][0].toString().contains(path()));
        if (c.folder)
            EXPECT_TRUE(QFileInfo(path()).isDir());
        else
            EXPECT_EQ(readFile(path()), before);
    }
}

TEST_F(Store, AFileItCannotStoreLosesNothingInTheRunningProgram)
{
    // A plain file where the settings folder should be.
    QDir(profile.configHome() + QStringLiteral("/Quoterra")).removeRecursively();
    QFile blocker(profile.configHome() + QStringLiteral("/Quoterra"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore store(path());
    QSignalSpy problems(&store, &RegistryStore::problem);
    store.createKey(kMain);
    store.setValue(kMain, QStringLiteral("Interval"), QStringLiteral("30"));
    store.flush();
    store.setValue(kMain, QStringLiteral("Interval"), QStringLiteral("31"));
    store.flush();
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(store.value(kMain, QStringLiteral("Interval")), QStringLiteral("31"));
}

// Run as a child process by the test below: writes settings until killed.
TEST(RegistryChild, WritesUntilKilled)
{
    const QString path = qEnvironmentVariable("QUOTERRA_TEST_WRITE_SETTINGS");
    if (path.isEmpty())
        GTEST_SKIP() << "run by KillingTheProgramNeverLeavesAHalfWrittenFile";
    RegistryStore store(path);
    store.createKey(kMain);
    store.createKey(kCharts);
    for (int i = 0;; ++i) {
        // A long value ahead of the last section makes a torn file visible.
        store.setValue(kMain, QStringLiteral("Padding"), QString(4000 + i % 97, u'p'));
        store.setValue(kCharts, QStringLiteral("Last"), QString::number(i));
        store.flush();
    }
}

TEST_F(Store, KillingTheProgramNeverLeavesAHalfWrittenFile)
{
    for (int round = 0; round < 8; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUOTERRA_TEST_WRITE_SETTINGS"), path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=RegistryChild.*")});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(test::waitUntil([&] { return readFile(path()).contains("Last="); }, 10000));
        QThread::msleep(round * 7);
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        const RegistryDocument doc = RegistryDocument::parse(readFile(path()));
        const QString* last = doc.value(kCharts, QStringLiteral("Last"));
        ASSERT_NE(last, nullptr) << "round " << round;
        EXPECT_TRUE(doc.value(kMain, QStringLiteral("Padding"))->startsWith(QStringLiteral("pppp")));
    }
}

} // namespace
} // namespace quoterra
