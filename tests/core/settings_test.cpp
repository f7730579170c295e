// The settings as the program reads and writes them, and the values the
// environment gives: outside addresses, numbers, the code page.
#include "test_support.h"

#include "app/context/hosts.h"
#include "app/context/settings.h"
#include "core/codepage.h"
#include "core/numbers.h"
#include "core/registry.h"

#include <gtest/gtest.h>

namespace quoterra {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() { settings.CreateKeys(); }
    QString stored(Setting s) { return store.value(Settings::key(s), Settings::name(s)).value_or(u"<missing>"_s); }
    test::TestProfile profile;
    RegistryStore store{profile.registryFile()};
    Settings settings{store};
};

TEST_F(SettingsTest, AMissingValueIsWrittenWithItsDefaultWhenFirstRead)
{
    const std::pair<Setting, const char*> table[] = {
        {Setting::Left, "0"},
        {Setting::Top, "0"},
        {Setting::Height, "Full"},
        {Setting::Interval, "10"},
        {Setting::AlwaysOnTop, "True"},
        {Setting::Size, "Standard"},
        {Setting::Timeout, "60"},
        {Setting::Docked, "False"},
        {Setting::ChartSymbol, "IBM"},
        {Setting::ChartType, "1 Year"},
        {Setting::ChartLeft, "0"},
        {Setting::ChartTop, "0"},
        {Setting::ChartStartUp, "False"},
    };
    for (const auto& [setting, value] : table) {
        EXPECT_EQ(stored(setting), u"<missing>"_s);
        EXPECT_EQ(settings.GetString(setting), QLatin1String(value));
        EXPECT_EQ(stored(setting), QLatin1String(value));
    }
    store.flush();
    const QString text = QString::fromUtf8(test::readFile(profile.registryFile()));
    EXPECT_TRUE(text.contains(u"[Software\\Quoterra]\nLeft=0\nTop=0\nHeight=Full\n"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"[Software\\Quoterra\\Charts]\nSymbol=IBM\nChart Type=1 Year\n"_s));
}

TEST_F(SettingsTest, StoredTextsReadAsTheyStandUnlessTooLongToRead)
{
    const QString longest(Settings::kLongestReadableValue, u'x');
    const std::pair<QString, QString> table[] = {
        {QString(), QString()}, // empty is not missing
        {u"shade"_s, u"shade"_s},
        {longest, longest},
        {longest + u'x', u"Full"_s}, // one more: its default replaces it
    };
    for (const auto& [text, read] : table) {
        settings.WriteValue(Setting::Height, text);
        EXPECT_EQ(settings.GetString(Setting::Height), read);
    }
}

TEST_F(SettingsTest, WithoutItsKeyNothingIsReadOrWritten)
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
    struct Case {
        Setting setting;
        const char* stored;
        double read;
        const char* after;
    } cases[] = {
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
        {Setting::ChartTop, "1e3", 1000, "1e3"},
    };
    for (const Case& c : cases) {
        settings.WriteValue(c.setting, QLatin1String(c.stored));
        EXPECT_EQ(settings.number(c.setting), c.read) << c.stored;
        EXPECT_EQ(stored(c.setting), QLatin1String(c.after)) << c.stored;
    }
}

TEST(Hosts, AServiceOriginReplacesEveryAddressAndIPv6KeepsItsBrackets)
{
    const std::pair<const char*, const char*> cases[] = {
        // the value, and the origin taken (empty: refused)
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
        {"not an address", ""},
    };
    for (const auto& [value, origin] : cases) {
        const ServiceOrigin o = serviceOrigin(QLatin1String(value));
        EXPECT_EQ(o.origin, QLatin1String(origin)) << value;
        EXPECT_EQ(o.problem.isEmpty(), *origin != 0) << value;
    }
    const ServiceHosts h = ServiceHosts::at(u"http://[::1]:8642"_s);
    for (const QString& host : {h.quotes, h.charts, h.chartArchive, h.companyPages, h.quotePages, h.messageBoards,
                                h.symbolLookup, h.dataProvider, h.updateSite})
        EXPECT_EQ(host, u"http://[::1]:8642"_s);
    EXPECT_EQ(h.makerSite, u"http://[::1]:8642/"_s);
}

TEST(Hosts, WithoutTheVariableEverythingGoesToTheBundledService)
{
    qunsetenv("QUOTERRA_SERVICE");
    QString problem;
    EXPECT_EQ(hostsFromEnvironment(&problem).quotes, u"http://127.0.0.1:8642"_s);
    EXPECT_TRUE(problem.isEmpty());
    qputenv("QUOTERRA_SERVICE", "http://::1:8642");
    EXPECT_EQ(hostsFromEnvironment(&problem).quotes, u"http://127.0.0.1:8642"_s);
    EXPECT_TRUE(problem.contains(u"QUOTERRA_SERVICE=http://::1:8642"_s)) << problem.toStdString();
    qunsetenv("QUOTERRA_SERVICE");
}

TEST(Numbers, RoundingParsingAndPrinting)
{
    for (const auto& [value, rounded] :
         {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-0.5, 0.0}, {-1.5, -2.0}, {2.4999, 2.0}})
        EXPECT_EQ(roundHalfEven(value), rounded) << value;
    const std::pair<const char*, std::optional<double>> parsed[] = {
        {" 12 ", 12},           {"+1.25", 1.25},
        {"-0.40", -0.4},        {".5", 0.5},
        {"1e3", 1000},          {"1E-2", 0.01},
        {"", std::nullopt},     {"1,5", std::nullopt},
        {"0x10", std::nullopt}, {"1e", std::nullopt},
        {"N/A", std::nullopt},  {"1.2.3", std::nullopt},
        {"inf", std::nullopt},  {"\xd9\xa3", std::nullopt},
    };
    for (const auto& [text, number] : parsed)
        EXPECT_EQ(parseNumber(QString::fromUtf8(text)), number) << text;
    // The bond values show up to 15 significant digits, no more, no fewer.
    const std::tuple<double, int, const char*> printed[] = {
        {5.432, 15, "5.432"},
        {0.0, 15, "0"},
        {-0.025, 15, "-0.025"},
        {123456789.012345, 15, "123456789.012345"},
        {1.0 / 3, 15, "0.333333333333333"},
        {1234.5, 7, "1234.5"},
        {1e20, 15, "1E+20"},
    };
    for (const auto& [value, digits, text] : printed)
        EXPECT_EQ(formatGeneral(value, digits), QLatin1String(text)) << value;
}

TEST(CodePage, Windows1252RoundTripsAndMarksWhatItLacks)
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
