#include "test_support.h"

#include "platform/codepage.h"
#include "platform/hosts.h"
#include "platform/numbers.h"
#include "platform/shell.h"

#include <gtest/gtest.h>

namespace quoterra {
namespace {

TEST(Numbers, HalvesRoundToTheEvenNeighbour)
{
    const std::pair<double, double> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(roundHalfEven(in), out) << in;
}

TEST(Numbers, OnlyWholeDecimalNumbersParse)
{
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"12", 12},    {" -3.5 ", -3.5}, {"+7", 7},           {".5", 0.5},         {"5.", 5},
        {"1e3", 1000}, {"", {}},         {"abc", {}},         {"12abc", {}},       {"1.2.3", {}},
        {"-", {}},     {"1e", {}},       {"inf", {}},         {"0x10", {}},        {"1,000", {}},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseNumber(QString::fromLatin1(text)), value) << text;
}

TEST(Numbers, GeneralFormatDropsTrailingZerosAndPlusSigns)
{
    const std::pair<double, const char*> cases[] = {
        {5.432000000000001, "5.432"}, {0.025, "0.025"}, {-0.025, "-0.025"}, {0.0, "0"}, {-0.0, "0"},
        {1440, "1440"},               {123456789012345.0, "123456789012345"}, {0.1 * 3, "0.3"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(formatGeneral(value, 15), QLatin1String(text)) << value;
    EXPECT_EQ(formatCoordinate(1234.5f), QStringLiteral("1234.5"));
    EXPECT_EQ(formatCoordinate(-150), QStringLiteral("-150"));
}

TEST(CodePage, Windows1252RoundTripsAndMarksWhatItLacks)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x93\x94"), QString::fromUtf8("€“”"));
    EXPECT_EQ(toWindows1252(QString::fromUtf8("Société € 日本 😀")), QByteArray("Soci\xe9t\xe9 \x80 ?? ?"));
}

TEST(Hosts, TheServiceOriginReplacesEveryWebHost)
{
    const ServiceHosts h = hostsFor(QStringLiteral("http://127.0.0.1:8642"));
    for (const QString& host : {h.quotes, h.charts, h.chartArchive, h.companyPages, h.quotePages, h.messageBoards,
                                h.symbolLookup, h.dataProvider, h.updateSite})
        EXPECT_EQ(host, QStringLiteral("http://127.0.0.1:8642"));
    EXPECT_EQ(h.makerSite, QStringLiteral("http://127.0.0.1:8642/"));
    EXPECT_FALSE(h.makerMail.isEmpty());
    EXPECT_NE(hostsFor({}).quotes, h.quotes);
}

TEST(Hosts, OnlyPlainWebOriginsAreAccepted)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1:8642", "http://127.0.0.1:8642"},
        {"http://localhost:9000/", "http://localhost:9000"},
        {"HTTPS://Example.com", "https://example.com"},
        {"127.0.0.1:8642", ""},
        {"ftp://host", ""},
        {"http://host/path", ""},
        {"http://host?x=1", ""},
        {"", ""},
    };
    for (const auto& [value, origin] : cases) {
        QString reason;
        EXPECT_EQ(validServiceOrigin(QString::fromLatin1(value), &reason), QLatin1String(origin)) << value;
        EXPECT_EQ(reason.isEmpty(), QLatin1String(origin).size() > 0) << value;
    }
}

TEST(Shell, OnlyWebPagesAndMailReachTheDesktop)
{
    test::UrlRecorder recorder;
    EXPECT_TRUE(ShellOpen(QStringLiteral("http://host/n/I/IBM.html")));
    EXPECT_TRUE(ShellOpen(QStringLiteral("https://host/p/S/S&&P 500.html")));
    EXPECT_TRUE(ShellOpen(QStringLiteral("mailto:support@example.com")));
    for (const char* refused : {"file:///etc/passwd", "/usr/bin/xterm", "javascript:alert(1)", "", "mailto:",
                                "http://"})
        EXPECT_FALSE(ShellOpen(QString::fromLatin1(refused))) << refused;
    EXPECT_EQ(recorder.opened, (QStringList{QStringLiteral("http://host/n/I/IBM.html"),
                                            QStringLiteral("https://host/p/S/S&&P 500.html"),
                                            QStringLiteral("mailto:support@example.com")}));
}

} // namespace
} // namespace quoterra
