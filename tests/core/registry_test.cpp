// The settings file: what a person may write in it, what the program keeps
// of it, and that a file it cannot read is never replaced.
#include "test_support.h"

#include "core/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>

namespace quoterra {
namespace {

using test::readFile;

const QString kMain = u"Software\\Quoterra"_s;
const QString kCharts = u"Software\\Quoterra\\Charts"_s;

QString valueOf(const RegistryDocument& doc, const QString& key, const char* name)
{
    const QString* v = doc.value(key, QLatin1String(name));
    return v ? *v : u"<none>"_s;
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
        {kMain, "Left", u"1440"_s},
        {kMain, "always on top", u"False"_s},
        {kMain, "Path", u"C:\\Data\nline two"_s},
        {kMain, "Spaces", u"  kept  "_s},
        {kMain, "Twice", u"second"_s},
        {kMain, "Symbol", QString::fromUtf8("Soci\u00e9t\u00e9 G\u00e9n\u00e9rale \u20ac")},
        {kMain, "this line has no equals sign", u"<none>"_s},
        {kMain, "Orphan", u"<none>"_s},
        {kMain, "Hidden", u"<none>"_s},
        {kCharts, "Symbol", u"MSFT"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueOf(doc, c.key, c.name), c.expected) << c.name;
    EXPECT_TRUE(doc.hasKey(kMain));
    EXPECT_FALSE(doc.hasKey(u"Software\\Other"_s));
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

    EXPECT_EQ(doc.setValue(kMain, u"Top"_s, u"25"_s), RegistryDocument::SetResult::Changed);
    EXPECT_EQ(doc.setValue(kMain, u"Height"_s, u"Shade\nx"_s), RegistryDocument::SetResult::Changed);
    EXPECT_EQ(doc.setValue(kMain, u"Left"_s, u"10"_s), RegistryDocument::SetResult::Unchanged);
    EXPECT_EQ(doc.setValue(u"Software\\None"_s, u"X"_s, u"1"_s), RegistryDocument::SetResult::NoSuchKey);
    EXPECT_TRUE(doc.createKey(u"Software\\Quoterra\\Extra"_s));
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
    EXPECT_EQ(valueOf(back, kMain, "Height"), u"Shade\nx"_s);
    EXPECT_EQ(valueOf(back, kMain, "Top"), u"25"_s);
    EXPECT_TRUE(back.hasKey(u"Software\\Quoterra\\Extra"_s));
}

TEST(RegistryDocument, ANewKeyBringsItsParents)
{
    RegistryDocument doc;
    doc.createKey(kCharts);
    doc.setValue(kCharts, u"StartUp"_s, u"False"_s);
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
    ASSERT_TRUE(store.setValue(kMain, u"Left"_s, u"100"_s));
    EXPECT_FALSE(store.setValue(kCharts, u"Left"_s, u"1"_s));
    // Written behind, not at once.
    EXPECT_TRUE(readFile(path()).isEmpty());
    ASSERT_TRUE(test::waitUntil([&] { return readFile(path()).contains("Left=100"); }));

    // Another program replaces the file, as editors do.
    QByteArray edited = readFile(path()).replace("Left=100", "Left=250");
    QFile f(path() + u".new"_s);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(edited);
    f.close();
    ASSERT_EQ(::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path()).constData()), 0);
    EXPECT_EQ(store.value(kMain, u"Left"_s), u"250"_s);
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
        QDir(profile.configHome() + u"/Quoterra"_s).removeRecursively();
        QDir().mkpath(profile.configHome() + u"/Quoterra"_s);
        c.make();
        const QByteArray before = QFileInfo(path()).isFile() ? readFile(path()) : QByteArray();
        RegistryStore store(path());
        QSignalSpy problems(&store, &RegistryStore::problem);
        store.createKey(kMain);
        store.setValue(kMain, u"Left"_s, u"5"_s);
        store.setValue(kMain, u"Top"_s, u"6"_s);
        store.flush();
        // The program runs on what it holds.
        EXPECT_EQ(store.value(kMain, u"Left"_s), u"5"_s);
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
    QDir(profile.configHome() + u"/Quoterra"_s).removeRecursively();
    QFile blocker(profile.configHome() + u"/Quoterra"_s);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryStore store(path());
    QSignalSpy problems(&store, &RegistryStore::problem);
    store.createKey(kMain);
    store.setValue(kMain, u"Interval"_s, u"30"_s);
    store.flush();
    store.setValue(kMain, u"Interval"_s, u"31"_s);
    store.flush();
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(store.value(kMain, u"Interval"_s), u"31"_s);
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
        store.setValue(kMain, u"Padding"_s, QString(4000 + i % 97, u'p'));
        store.setValue(kCharts, u"Last"_s, QString::number(i));
        store.flush();
    }
}

TEST_F(Store, KillingTheProgramNeverLeavesAHalfWrittenFile)
{
    test::killWhileWriting(
        "QUOTERRA_TEST_WRITE_SETTINGS", path(), "RegistryChild.*", [&] { return readFile(path()).contains("Last="); },
        7,
        [&](int round) {
            const RegistryDocument doc = RegistryDocument::parse(readFile(path()));
            ASSERT_NE(doc.value(kCharts, u"Last"_s), nullptr) << "round " << round;
            EXPECT_TRUE(doc.value(kMain, u"Padding"_s)->startsWith(u"pppp"_s));
        });
}

} // namespace
} // namespace quoterra
