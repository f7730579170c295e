// The settings file as a person may write it and as the program keeps it;
// the settings read and written through it; outside addresses, numbers and
// the code page.
#include "test_support.h"

#include "core/codepage.h"
#include "core/numbers.h"
#include "core/registry.h"
#include "hosts/hosts.h"
#include "settings/settings.h"

#include <QSignalSpy>

#include <map>
#include <random>

namespace quoterra {
namespace {

using test::readFile;

const QString kMain = u"Software\\Quoterra"_s;
const QString kCharts = u"Software\\Quoterra\\Charts"_s;

QString valueOf(const RegistryDocument& doc, const QString& key, const char* name)
{
    return doc.value(key, QLatin1String(name)).value_or(u"<none>"_s);
}

TEST(RegistryDocument, ReadsWhatAPersonWrites)
{
    const RegistryDocument doc = RegistryDocument::parse(
        "Orphan=before any section\r\n; a comment\r\n[Software\\Quoterra]  \r\nLeft=1440\r\n"
        "this line has no equals sign\r\n=no name\r\nAlways On Top=False\r\nPath=C:\\\\Data\\nline two\r\n"
        "Spaces=  kept  \r\nTwice=first\r\ntwice=second\r\nSymbol=Soci\xe9t\xe9 G\xe9n\xe9rale \x80\r\n"
        "[]\r\nHidden=under a nameless section\n[software\\quoterra\\CHARTS]\nSymbol=MSFT");
    const std::pair<const char*, QString> cases[] = {
        {"Left", u"1440"_s},
        {"always on top", u"False"_s},
        {"Path", u"C:\\Data\nline two"_s},
        {"Spaces", u"  kept  "_s},
        {"Twice", u"second"_s},
        {"Symbol", QString::fromUtf8("Soci\u00e9t\u00e9 G\u00e9n\u00e9rale \u20ac")},
        {"this line has no equals sign", u"<none>"_s},
        {"Orphan", u"<none>"_s},
        {"Hidden", u"<none>"_s},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(valueOf(doc, kMain, name), expected) << name;
    EXPECT_EQ(valueOf(doc, kCharts, "Symbol"), u"MSFT"_s);
    EXPECT_FALSE(doc.hasKey(u"Software\\Other"_s));
}

TEST(RegistryDocument, KeepsEveryLineItDoesNotChangeByteForByte)
{
    const QByteArray hand = "; settings of a careful person\r\n[Software]\r\n[Software\\Quoterra]\r\nLeft=10\r\n"
                            "Top=20\r\nstray line \xe9\r\n\r\n[Software\\Quoterra\\Charts]\nSymbol=IBM\n";
    RegistryDocument doc = RegistryDocument::parse(hand);
    EXPECT_EQ(doc.serialize(), hand);
    using enum RegistryDocument::SetResult;
    EXPECT_EQ(doc.setValue(kMain, u"Top"_s, u"25"_s), Changed);
    EXPECT_EQ(doc.setValue(kMain, u"Height"_s, u"Shade\nx"_s), Changed);
    EXPECT_EQ(doc.setValue(kMain, u"Left"_s, u"10"_s), Unchanged);
    EXPECT_EQ(doc.setValue(u"Software\\None"_s, u"X"_s, u"1"_s), NoSuchKey);
    EXPECT_TRUE(doc.createKey(u"Software\\Quoterra\\Extra\\Deep"_s));
    EXPECT_FALSE(doc.createKey(kMain));
    // The key between exists through the one below it; a value gives it its section.
    EXPECT_TRUE(doc.hasKey(u"software\\quoterra\\extra"_s));
    EXPECT_EQ(doc.setValue(u"Software\\Quoterra\\Extra"_s, u"Kept"_s, u"1"_s), Changed);
    EXPECT_EQ(QString::fromLatin1(doc.serialize()),
              QString::fromLatin1(
                  "; settings of a careful person\r\n[Software]\r\n[Software\\Quoterra]\r\nLeft=10\r\n"
                  "Top=25\nstray line \xe9\r\nHeight=Shade\\nx\n\r\n[Software\\Quoterra\\Charts]\n"
                  "Symbol=IBM\n\n[Software\\Quoterra\\Extra\\Deep]\n\n[Software\\Quoterra\\Extra]\nKept=1\n"));
    EXPECT_EQ(valueOf(RegistryDocument::parse(doc.serialize()), kMain, "Height"), u"Shade\nx"_s);
}

TEST(RegistryDocument, AFreshFileHoldsOnlyTheProgramsKeys)
{
    RegistryDocument fresh;
    fresh.createKey(kCharts);
    EXPECT_TRUE(fresh.hasKey(u"Software"_s));
    EXPECT_FALSE(fresh.hasKey(u"Soft"_s));
    fresh.setValue(kCharts, u"StartUp"_s, u"False"_s);
    EXPECT_TRUE(fresh.createKey(kMain));
    EXPECT_EQ(fresh.serialize(), QByteArray("[Software\\Quoterra\\Charts]\nStartUp=False\n\n[Software\\Quoterra]\n"));
}

// Keys given twice, names in other cases, values set and added all over:
// every value reads as the last line that gave it, before and after a write.
TEST(RegistryDocument, AFileOfThousandsOfValuesReadsAsASmallOneDoes)
{
    QByteArray text = "; hand-made\n";
    std::map<std::pair<QString, QString>, QString> expected; // folded key and name
    for (int s = 0; s < 40; ++s) {
        const QString key = u"Software\\K%1"_s.arg(s % 30); // the last ten keys are given twice
        text += '[' + key.toUtf8() + (s % 3 ? "]\n" : "]  \r\n");
        for (int v = 0; v < 100; ++v) {
            const QString name = (s >= 30 && v % 2 ? u"NAME%1"_s : u"Name%1"_s).arg(v);
            const QString value = u"s%1 v%2 \u00e9"_s.arg(s).arg(v);
            text += (name + u'=' + value + u"\\n"_s).toUtf8() + (v % 7 ? "\n" : "\r\n");
            expected[{key.toCaseFolded(), name.toCaseFolded()}] = value + u'\n';
        }
    }
    RegistryDocument doc = RegistryDocument::parse(text);
    std::mt19937 draw(7);
    for (int i = 0; i < 600; ++i) {
        const QString key = u"software\\k%1"_s.arg(draw() % 30);
        const QString name = i % 3 ? u"name%1"_s.arg(draw() % 100) : u"Added%1"_s.arg(i);
        ASSERT_EQ(doc.setValue(key, name, u"set %1"_s.arg(i)), RegistryDocument::SetResult::Changed) << i;
        expected[{key.toCaseFolded(), name.toCaseFolded()}] = u"set %1"_s.arg(i);
    }
    const RegistryDocument again = RegistryDocument::parse(doc.serialize());
    for (const auto& [where, value] : expected) {
        const QString key = where.first.toUpper();
        ASSERT_EQ(doc.value(key, where.second), value) << key.toStdString() << ' ' << where.second.toStdString();
        ASSERT_EQ(again.value(key, where.second), value) << key.toStdString() << ' ' << where.second.toStdString();
    }
    EXPECT_FALSE(doc.value(u"Software\\K3"_s, u"Name100"_s));
    EXPECT_TRUE(doc.serialize().startsWith("; hand-made\n[Software\\K0]  \r\nName0=s0 v0 \xc3\xa9\\n\r\n"));
}

class Store : public ::testing::Test {
protected:
    QString path() const { return profile.registryFile(); }
    test::TestProfile profile;
};

TEST_F(Store, WritesLandBehindNotAtOnce)
{
    RegistryStore store(path());
    store.createKey(kMain);
    ASSERT_TRUE(store.setValue(kMain, u"Left"_s, u"100"_s));
    EXPECT_FALSE(store.setValue(kCharts, u"Left"_s, u"1"_s));
    EXPECT_TRUE(readFile(path()).isEmpty());
    EXPECT_TRUE(test::waitUntil([&] { return readFile(path()).contains("Left=100"); }));
}

TEST_F(Store, AFileReplacedByAnEditorIsReadAgain)
{
    RegistryStore store(path());
    store.createKey(kMain);
    store.setValue(kMain, u"Left"_s, u"100"_s);
    store.flush();
    QFile f(path() + u".new"_s);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(readFile(path()).replace("Left=100", "Left=250"));
    f.close();
    ASSERT_EQ(::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(path()).constData()), 0);
    EXPECT_EQ(store.value(kMain, u"Left"_s), u"250"_s);
}

// A file the program cannot read or store is the user's: never written
// over, told once, and the program runs on what it holds.
TEST_F(Store, AFileItCannotUseIsLeftAloneWithOneWordToTheUser)
{
    const QString folder = profile.configHome() + u"/Quoterra"_s;
    const QByteArray tooLarge(RegistryStore::kLargestFile + 1, 0);
    const struct {
        const char* what;
        std::function<void()> make;
        std::function<bool()> untouched;
    } cases[] = {
        {"a folder in its place", [&] { QDir().mkpath(path()); }, [&] { return QFileInfo(path()).isDir(); }},
        {"larger than any settings file",
         [&] {
             QFile f(path());
             f.open(QIODevice::WriteOnly) && f.resize(tooLarge.size());
         },
         [&] { return readFile(path()) == tooLarge; }},
        {"a file where its folder should be",
         [&] { QDir(folder).removeRecursively(), QFile(folder).open(QIODevice::WriteOnly); },
         [&] { return QFileInfo(folder).isFile(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        QDir().mkpath(folder);
        c.make();
        RegistryStore store(path());
        QSignalSpy problems(&store, &RegistryStore::problem);
        store.createKey(kMain);
        for (const char* left : {"5", "6"}) {
            store.setValue(kMain, u"Left"_s, QLatin1String(left));
            store.flush();
        }
        EXPECT_EQ(store.value(kMain, u"Left"_s), u"6"_s);
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0][0].toString().contains(path()));
        EXPECT_TRUE(c.untouched());
    }
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
            ASSERT_TRUE(doc.value(kCharts, u"Last"_s)) << "round " << round;
            EXPECT_TRUE(doc.value(kMain, u"Padding"_s).value_or(QString()).startsWith(u"pppp"_s));
        });
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { settings.createKeys(); }
    QString stored(Setting s) { return store.value(Settings::key(s), Settings::name(s)).value_or(u"<missing>"_s); }
    test::TestProfile profile;
    RegistryStore store{profile.registryFile()};
    Settings settings{store};
};

TEST_F(SettingsTest, AMissingValueIsWrittenWithItsDefaultWhenFirstRead)
{
    QStringList read;
    for (const Setting s : {Setting::Left, Setting::Top, Setting::Height, Setting::Interval, Setting::AlwaysOnTop,
                            Setting::Size, Setting::Timeout, Setting::Docked, Setting::ChartSymbol, Setting::ChartType,
                            Setting::ChartLeft, Setting::ChartTop, Setting::ChartStartUp}) {
        EXPECT_EQ(stored(s), u"<missing>"_s);
        read << settings.GetString(s);
        EXPECT_EQ(stored(s), read.last());
    }
    EXPECT_EQ(read.join(u','), u"0,0,Full,10,True,Standard,60,False,IBM,1 Year,0,0,False"_s);
    store.flush();
    const QString text = QString::fromUtf8(readFile(profile.registryFile()));
    EXPECT_TRUE(text.contains(u"[Software\\Quoterra]\nLeft=0\nTop=0\nHeight=Full\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"[Software\\Quoterra\\Charts]\nSymbol=IBM\nChart Type=1 Year\n"_s));
}

TEST_F(SettingsTest, AStoredTextReadsAsItStandsUnlessTooLong)
{
    const QString longest(Settings::kLongestReadableValue, u'x');
    // Empty is not missing; one past the longest gives way to the default.
    for (const auto& [text, read] :
         {std::pair{QString(), QString()}, {u"shade"_s, u"shade"_s}, {longest, longest}, {longest + u'x', u"Full"_s}}) {
        settings.WriteValue(Setting::Height, text);
        EXPECT_EQ(settings.GetString(Setting::Height), read);
    }
}

TEST(Settings, WithoutTheirKeyNothingIsReadOrWritten)
{
    test::TestProfile bare;
    RegistryStore empty(bare.registryFile());
    Settings none(empty);
    none.WriteValue(Setting::Left, u"5"_s);
    EXPECT_EQ(none.GetString(Setting::Left), QString());
    EXPECT_FALSE(empty.keyExists(kMainKey));
}

TEST_F(SettingsTest, NumbersThatCannotBeUsedArePutBackToTheirDefault)
{
    const std::tuple<Setting, const char*, double, const char*> cases[] = {
        // stored, read, stored after
        {Setting::Left, "-1500", -1500, "-1500"},
        {Setting::Left, "12abc", 0, "0"},
        {Setting::Left, "", 0, ""},
        {Setting::Interval, "0", 0, "0"},
        {Setting::Interval, "32767", 32767, "32767"},
        {Setting::Interval, "32768", 10, "10"},
        {Setting::Interval, "ten", 10, "10"},
        {Setting::Timeout, "1", 1, "1"},
        {Setting::Timeout, "2147483", 2147483, "2147483"},
        // Beyond what a timer holds: 0.7 s or no time-out at all before.
        {Setting::Timeout, "4294968", 60, "60"},
        {Setting::Timeout, "0", 60, "60"},
        {Setting::ChartTop, "1e3", 1000, "1e3"}};
    for (const auto& [setting, text, read, after] : cases) {
        settings.WriteValue(setting, QLatin1String(text));
        EXPECT_EQ(settings.number(setting), read) << text;
        EXPECT_EQ(stored(setting), QLatin1String(after)) << text;
    }
}

TEST(Hosts, AServiceOriginIsTakenOnlyWhole)
{
    const std::pair<const char*, const char*> cases[] = {// the value, and the origin taken (empty: refused)
                                                         {"http://127.0.0.1:8642", "http://127.0.0.1:8642"},
                                                         {"https://quotes.example:443/", "https://quotes.example:443"},
                                                         {"HTTP://Example.COM", "http://example.com"},
                                                         {"http://[::1]:8642", "http://[::1]:8642"},
                                                         {"http://[fe80::1%25eth0]:80", "http://[fe80::1%25eth0]:80"},
                                                         {"ftp://127.0.0.1", ""},
                                                         {"127.0.0.1:8642", ""},
                                                         {"http://host:8642/path", ""},
                                                         {"http://user@host", ""},
                                                         {"http://host?q=1", ""},
                                                         {"http://", ""},
                                                         {"not an address", ""}};
    for (const auto& [value, origin] : cases) {
        const ServiceOrigin o = serviceOrigin(QLatin1String(value));
        EXPECT_EQ(o.origin, QLatin1String(origin)) << value;
        EXPECT_EQ(o.problem.isEmpty(), *origin != 0) << value;
    }
}

TEST(Numbers, HalvesRoundToEven)
{
    for (const auto& [value, rounded] :
         {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-0.5, 0.0}, {-1.5, -2.0}, {2.4999, 2.0}})
        EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

TEST(Numbers, OnlyPlainDecimalsParse)
{
    const std::pair<const char*, std::optional<double>> parsed[] = {{" 12 ", 12},           {"+1.25", 1.25},
                                                                    {"-0.40", -0.4},        {".5", 0.5},
                                                                    {"1e3", 1000},          {"1E-2", 0.01},
                                                                    {"", std::nullopt},     {"1,5", std::nullopt},
                                                                    {"0x10", std::nullopt}, {"1e", std::nullopt},
                                                                    {"N/A", std::nullopt},  {"1.2.3", std::nullopt},
                                                                    {"inf", std::nullopt},  {"\xd9\xa3", std::nullopt}};
    for (const auto& [text, number] : parsed)
        EXPECT_EQ(parseNumber(QString::fromUtf8(text)), number) << text;
}

// The bond values show up to 15 significant digits, no more, no fewer.
TEST(Numbers, PrintWithTheDigitsAsked)
{
    const std::tuple<double, int, const char*> printed[] = {{5.432, 15, "5.432"},
                                                            {0.0, 15, "0"},
                                                            {-0.025, 15, "-0.025"},
                                                            {123456789.012345, 15, "123456789.012345"},
                                                            {1.0 / 3, 15, "0.333333333333333"},
                                                            {1234.5, 7, "1234.5"},
                                                            {1e20, 15, "1E+20"}};
    for (const auto& [value, digits, text] : printed)
        EXPECT_EQ(formatGeneral(value, digits), QLatin1String(text)) << value;
}

TEST(CodePage, OnlyWhatWindows1252LacksIsLost)
{
    QByteArray every;
    for (int b = 0; b < 256; ++b)
        every += char(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(every)), every);
    EXPECT_EQ(fromWindows1252("\x80\x99\xe9"), QString::fromUtf8("\u20ac\u2122\u00e9"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("A\u20ac\u4e2d\U0001F600")), QByteArray("A\x80??"));
}

} // namespace
} // namespace quoterra
