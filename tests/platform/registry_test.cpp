#include "test_support.h"

#include "platform/controls.h"
#include "platform/registry.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <atomic>
#include <thread>

namespace quoterra {
namespace {

using test::TestProfile;

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateKey(HKEY_CURRENT_USER, kMainKey);
        CreateKey(HKEY_CURRENT_USER, kChartsKey);
    }
    static QString main(const QString& name) { return GetString(HKEY_CURRENT_USER, kMainKey, name); }
    static void writeMain(const QString& name, const QVariant& v)
    {
        WriteValue(HKEY_CURRENT_USER, kMainKey, name, REG_SZ, v);
    }
    std::shared_ptr<RegistryStore> store() const { return RegistryStore::open(profile.registryFile()); }

    TestProfile profile;
};

struct DefaultCase {
    const char* key;
    const char* name;
    const char* value;
};

TEST_F(Settings, EveryMissingValueIsWrittenWithItsDefaultOnFirstRead)
{
    const DefaultCase cases[] = {
        {"Software\\Quoterra", "Left", "0"},          {"Software\\Quoterra", "Top", "0"},
        {"Software\\Quoterra", "Height", "Full"},     {"Software\\Quoterra", "Interval", "10"},
        {"Software\\Quoterra", "Always On Top", "True"}, {"Software\\Quoterra", "Size", "Standard"},
        {"Software\\Quoterra", "Timeout", "60"},      {"Software\\Quoterra", "Docked", "False"},
        {"Software\\Quoterra\\Charts", "Symbol", "IBM"}, {"Software\\Quoterra\\Charts", "Chart Type", "1 Year"},
        {"Software\\Quoterra\\Charts", "Left", "0"},  {"Software\\Quoterra\\Charts", "Top", "0"},
        {"Software\\Quoterra\\Charts", "StartUp", "False"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " / " + c.name);
        const QString key = QString::fromLatin1(c.key);
        EXPECT_FALSE(store()->value(key, QString::fromLatin1(c.name)).has_value());
        EXPECT_EQ(GetString(HKEY_CURRENT_USER, key, QString::fromLatin1(c.name)), QLatin1String(c.value));
        EXPECT_EQ(store()->value(key, QString::fromLatin1(c.name)).value_or("<missing>"), QLatin1String(c.value));
    }
    const QString file = profile.registryText();
    EXPECT_TRUE(file.contains(QLatin1String("[Software\\Quoterra]\n")));
    EXPECT_TRUE(file.contains(QLatin1String("Always On Top=True\n")));
    EXPECT_TRUE(file.contains(QLatin1String("[Software\\Quoterra\\Charts]\n")));
    EXPECT_TRUE(file.contains(QLatin1String("Chart Type=1 Year\n")));
}

TEST_F(Settings, StoredValuesAreReturnedAsTheyStandIncludingEmptyAndMaximumLength)
{
    writeMain(QStringLiteral("Height"), QString());
    EXPECT_EQ(main(QStringLiteral("Height")), QString());
    EXPECT_EQ(store()->value(kMainKey, QStringLiteral("Height")), QString());

    const QString longest(kLongestReadableValue, u'x');
    writeMain(QStringLiteral("Size"), longest);
    EXPECT_EQ(main(QStringLiteral("Size")), longest);

    // One character more cannot be read: the default replaces it.
    writeMain(QStringLiteral("Size"), QString(kLongestReadableValue + 1, u'x'));
    EXPECT_EQ(main(QStringLiteral("Size")), QStringLiteral("Standard"));
    EXPECT_EQ(store()->value(kMainKey, QStringLiteral("Size")), QStringLiteral("Standard"));
}

TEST_F(Settings, OnlyTheTablesNamesInExactCaseHaveDefaults)
{
    // A name the program never uses reads empty and writes nothing.
    EXPECT_EQ(main(QStringLiteral("Colour")), QString());
    EXPECT_FALSE(store()->value(kMainKey, QStringLiteral("Colour")).has_value());
    // Names are matched with case for defaults.
    EXPECT_EQ(main(QStringLiteral("timeout")), QString());
    EXPECT_FALSE(store()->value(kMainKey, QStringLiteral("timeout")).has_value());
    // A key that does not exist reads empty and is not created.
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, QStringLiteral("Software\\Elsewhere"), QStringLiteral("Left")), QString());
    EXPECT_FALSE(store()->keyExists(QStringLiteral("Software\\Elsewhere")));
}

TEST_F(Settings, WritesNeedAnExistingKeyAndOnlyTextOrDwordTypes)
{
    WriteValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Missing"), QStringLiteral("Left"), REG_SZ, 5);
    EXPECT_FALSE(store()->keyExists(QStringLiteral("Software\\Missing")));

    const RegistryKey key{HKEY_CURRENT_USER, kMainKey};
    EXPECT_EQ(SetKeyValue(key, QStringLiteral("Count"), REG_DWORD, 12.5), ERROR_SUCCESS);
    EXPECT_EQ(store()->value(kMainKey, QStringLiteral("Count")), QStringLiteral("12"));
    EXPECT_NE(SetKeyValue(key, QStringLiteral("Count"), REG_DWORD, QStringLiteral("many")), ERROR_SUCCESS);
    EXPECT_NE(SetKeyValue(key, QStringLiteral("Count"), REG_DWORD, 1e12), ERROR_SUCCESS);
    EXPECT_NE(SetKeyValue(key, QStringLiteral("Count"), 3, QStringLiteral("binary")), ERROR_SUCCESS);
    EXPECT_EQ(store()->value(kMainKey, QStringLiteral("Count")), QStringLiteral("12"));
    EXPECT_EQ(SetKeyValue(RegistryKey{HKEY_CURRENT_USER, QStringLiteral("Nope")}, QStringLiteral("A"), REG_SZ, 1),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(Settings, NumbersThatAreNotNumbersAreRepairedToTheirDefault)
{
    struct Case {
        const char* stored;
        double read;
        const char* afterwards;
    };
    const Case cases[] = {
        {"15", 15, "15"},   {" 15 ", 15, " 15 "}, {"", 0, ""},         {"abc", 10, "10"},
        {"12abc", 10, "10"}, {"1e2", 100, "1e2"}, {"40000", 10, "10"}, {"-5", -5, "-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeMain(QStringLiteral("Interval"), QString::fromLatin1(c.stored));
        EXPECT_EQ(GetNumber(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval"), -32768, 32767), c.read);
        EXPECT_EQ(main(QStringLiteral("Interval")), QLatin1String(c.afterwards));
    }
}

TEST_F(Settings, AlwaysOnTopFollowsTheExactWordTrue)
{
    struct Probe : Form {
        Probe() : Form(QStringLiteral("Probe"), Window) {}
    } form;
    const std::pair<const char*, bool> cases[] = {{"True", true}, {"False", false}, {"true", false}, {"", false}};
    for (const auto& [stored, topmost] : cases) {
        SCOPED_TRACE(stored);
        writeMain(QStringLiteral("Always On Top"), QString::fromLatin1(stored));
        AlwaysOnTop(form);
        EXPECT_EQ(form.topmost(), topmost);
    }
}

TEST_F(Settings, AnEmptyValueNameIsACorruptRegistryThatEndsTheProgram)
{
    EXPECT_EXIT(
        {
            test::MessageBoxAnswerer answer;
            GetString(HKEY_CURRENT_USER, kMainKey, QString());
        },
        ::testing::ExitedWithCode(1), "Your system registry is corrupted. Please reinstall Quoterra.");
}

class RegistryFile : public ::testing::Test {
protected:
    TestProfile profile;
};

TEST_F(RegistryFile, HandEditedFilesKeepTheirGoodLines)
{
    QDir().mkpath(profile.configHome() + QStringLiteral("/Quoterra"));
    QFile f(profile.registryFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Orphan=before any section\r\n"
            "[Software\\Quoterra]\r\n"
            "Left=1440\r\n"
            "this line has no equals sign\r\n"
            "=no name\r\n"
            "Always On Top=False\r\n"
            "Path=C:\\\\Data\\nline two\r\n"
            "Spaces=  kept  \r\n"
            "[]\r\n"
            "[Software\\Quoterra\\Charts]\n"
            "Symbol=MSFT\n");
    f.close();

    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left")), QStringLiteral("1440"));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Always On Top")), QStringLiteral("False"));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Path")), QStringLiteral("C:\\Data\nline two"));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Spaces")), QStringLiteral("  kept  "));
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Symbol")), QStringLiteral("MSFT"));
    EXPECT_FALSE(RegistryStore::current()->value(kMainKey, QStringLiteral("this line has no equals sign")));
}

TEST_F(RegistryFile, ValuesSurviveTheRoundTripThroughTheFile)
{
    const std::vector<RegistryStore::Key> keys = {
        {QStringLiteral("Software"), {}},
        {QStringLiteral("Software\\Quoterra"),
         {{QStringLiteral("Always On Top"), QStringLiteral("True")},
          {QStringLiteral("Odd"), QStringLiteral("back\\slash\r\nnew=line [x]")},
          {QStringLiteral("Empty"), QString()}}},
    };
    const QByteArray text = RegistryStore::serialize(keys);
    EXPECT_EQ(text, QByteArray("[Software]\n\n[Software\\Quoterra]\nAlways On Top=True\n"
                               "Odd=back\\\\slash\\r\\nnew=line [x]\nEmpty=\n"));
    const auto back = RegistryStore::parse(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].values.size(), 0u);
    ASSERT_EQ(back[1].values.size(), 3u);
    EXPECT_EQ(back[1].values[1].data, keys[1].values[1].data);
    EXPECT_EQ(back[1].values[2].data, QString());
}

TEST_F(RegistryFile, ChangesMadeOnDiskArePickedUpAtTheNextRead)
{
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left"), REG_SZ, 100);
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left")), QStringLiteral("100"));
    const QString text = profile.registryText();
    ASSERT_TRUE(text.contains(QLatin1String("Left=100")));

    // Another program edits the file (replacing it, as editors do).
    QString edited = text;
    edited.replace(QLatin1String("Left=100"), QLatin1String("Left=250"));
    QFile f(profile.registryFile() + QStringLiteral(".new"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(edited.toUtf8());
    f.close();
    ASSERT_EQ(::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(profile.registryFile()).constData()), 0);

    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left")), QStringLiteral("250"));
}

TEST_F(RegistryFile, TwoStoresOnOneFileSeeEachOthersWritesAtOnce)
{
    auto a = RegistryStore::open(profile.registryFile());
    auto b = RegistryStore::open(QDir(profile.configHome()).filePath(QStringLiteral("Quoterra/../Quoterra/registry.ini")));
    a->createKey(kMainKey);
    ASSERT_TRUE(a->setValue(kMainKey, QStringLiteral("Top"), QStringLiteral("30")));
    EXPECT_EQ(b->value(kMainKey, QStringLiteral("Top")), QStringLiteral("30"));
    ASSERT_TRUE(b->setValue(kMainKey, QStringLiteral("Top"), QStringLiteral("45")));
    EXPECT_EQ(a->value(kMainKey, QStringLiteral("top")), QStringLiteral("45"));
}

TEST_F(RegistryFile, TheFileIsNeverSeenHalfWritten)
{
    auto store = RegistryStore::current();
    store->createKey(kMainKey);
    store->createKey(kChartsKey);
    // A long value ahead of the last section makes a torn write visible.
    store->setValue(kMainKey, QStringLiteral("Padding"), QString(4000, u'p'));
    store->setValue(kChartsKey, QStringLiteral("Last"), QStringLiteral("end"));
    store->flush();

    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            QFile f(profile.registryFile());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const auto keys = RegistryStore::parse(f.readAll());
            ++reads;
            const bool whole = keys.size() == 3 && keys[2].values.size() == 1 && keys[2].values[0].data == QLatin1String("end");
            if (!whole)
                ++torn;
        }
    });
    // Keep rewriting until the reader has looked often enough, however busy
    // the machine is.
    QElapsedTimer clock;
    clock.start();
    int i = 0;
    for (; i < 400 || (reads < 50 && clock.elapsed() < 10000); ++i) {
        store->setValue(kMainKey, QStringLiteral("Left"), QString::number(i));
        if (i % 20 == 0)
            store->flush();
    }
    store->flush();
    done = true;
    reader.join();
    EXPECT_GE(reads.load(), 50);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_TRUE(profile.registryText().contains(QStringLiteral("Left=%1\n").arg(i - 1)));
}

TEST_F(RegistryFile, AFileThatCannotBeWrittenLosesNothingInTheRunningProgram)
{
    // A plain file where the settings folder should be: no write can succeed.
    QFile blocker(profile.configHome() + QStringLiteral("/Quoterra"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = RegistryStore::current();
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval")), QStringLiteral("10"));
    store->flush();
    EXPECT_TRUE(store->lastWriteFailed());
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval")), QStringLiteral("10"));
}

} // namespace
} // namespace quoterra
