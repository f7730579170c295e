#pragma once

// What the live market's tests share: loopback sources in each public
// source's own shape, the service started against them, its status.
#include "window_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace quoterra::test::live {

using Answer = FakeSource::Answer;

// Friday 10 May 2024 on a New York exchange (UTC-4): the open, and 4:00pm.
inline constexpr std::int64_t kOpen = 1715347800;
inline constexpr std::int64_t kClose = 1715371200;

using Bars = std::vector<std::pair<std::int64_t, std::string>>; // time, close as JSON (a number or null)

inline Bars evenly(std::int64_t first, int step, const std::vector<std::string>& closes)
{
    Bars bars;
    for (std::size_t i = 0; i < closes.size(); ++i)
        bars.emplace_back(first + std::int64_t(i) * step, closes[i]);
    return bars;
}

// A chart-JSON answer: `meta` fields and bars; the first bar opens at `open`.
inline Answer chartJson(const std::string& meta, const Bars& bars, const std::string& open = {})
{
    std::string times, opens, closeList, volumes;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const std::string sep = i ? "," : "";
        const std::string& close = bars[i].second;
        times += sep + std::to_string(bars[i].first);
        opens += sep + (i == 0 && !open.empty() ? open : close);
        closeList += sep + close;
        volumes += sep + (close == "null" ? "null" : "1200");
    }
    return {200, "application/json",
            R"({"chart":{"result":[{"meta":{"currency":"USD","exchangeTimezoneName":"America/New_York",)" + meta
                + R"(},"timestamp":[)" + times + R"(],"indicators":{"quote":[{"open":[)" + opens + R"(],"high":[)"
                + closeList + R"(],"low":[)" + closeList + R"(],"close":[)" + closeList + R"(],"volume":[)" + volumes
                + R"(]}]}}],"error":null}})"};
}

// Meta of a New York session whose last trade was at `time` (JSON): price,
// previous close, day range and volume, then any `more`.
inline std::string day(const std::string& time, const char* price, const char* previous, const char* high = nullptr,
                       const char* low = nullptr, const char* volume = nullptr, const std::string& more = {})
{
    std::string fields =
        "\"regularMarketTime\":" + time + ",\"regularMarketPrice\":" + price + ",\"previousClose\":" + previous;
    if (high)
        fields += std::string(",\"regularMarketDayHigh\":") + high + ",\"regularMarketDayLow\":" + low
            + ",\"regularMarketVolume\":" + volume;
    return fields + more + R"(,"gmtoffset":-14400,"timezone":"EDT","currentTradingPeriod":{"regular":{)"
        + R"("timezone":"EDT","start":)" + std::to_string(kOpen) + ",\"end\":" + std::to_string(kClose)
        + ",\"gmtoffset\":-14400}}";
}

inline std::string day(std::int64_t time, const char* price, const char* previous, const char* high = nullptr,
                       const char* low = nullptr, const char* volume = nullptr, const std::string& more = {})
{
    return day(std::to_string(time), price, previous, high, low, volume, more);
}

inline const char* const kIbmLine = R"("IBM",167.15,"5/10/2024","4:00pm",+0.88,167.50,168.22,166.71,2587393)";

inline Answer ibmAnswer()
{
    return chartJson(day(kClose + 2, "167.15", "166.27", "168.22", "166.71", "2587393",
                         R"(,"symbol":"IBM","chartPreviousClose":166.27)"),
                     evenly(kOpen, 3600, {"167.50", "null", "167.80", "168.22", "166.71", "null", "167.15"}), "167.5");
}

// The loopback stand-ins to ask; a source left out is turned off, so no
// test ever reaches a public one.
struct Sources {
    const FakeSource* chart = nullptr;
    const FakeSource* quote = nullptr;
    const FakeSource* csv = nullptr;
};

inline QStringList liveArgs(Sources s, const QStringList& more = {})
{
    const auto url = [](const char* name, const FakeSource* source) {
        return QString::fromLatin1(name) + u'=' + (source ? originOf(*source) : u"off"_s);
    };
    return more + QStringList{"--market",           "live",
                              "--upstream-timeout", "1",
                              "--source-url",       url("chart", s.chart),
                              "--source-url",       url("quote", s.quote),
                              "--source-url",       url("csv", s.csv)};
}

inline QJsonObject statusOf(const ServiceProcess& service)
{
    return QJsonDocument::fromJson(service.get("/_status").body).object();
}

inline QJsonObject sourceStatus(const ServiceProcess& service, int index)
{
    return statusOf(service)["sources"].toArray().at(index).toObject();
}

inline const std::string kUnknownFields = R"(0.00,"N/A","N/A",N/A,N/A,N/A,N/A,N/A)";

// A symbol, and the quote line the ticker is sent for it.
struct LineRow {
    const char* what;
    QByteArray symbol;
    std::string line;
};

// A table of quote lines asked of one service, started against its stand-ins
// once for all the table's rows.
class LineRows : public ::testing::TestWithParam<LineRow> {
protected:
    static void start(Sources s, std::vector<std::unique_ptr<FakeSource>> standIns)
    {
        sources = std::move(standIns);
        service = std::make_unique<ServiceProcess>(liveArgs(s));
    }
    static void TearDownTestSuite()
    {
        service.reset();
        sources.clear();
    }
    void expectLine() const
    {
        const auto a = service->get(quoteTarget(GetParam().symbol));
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.body.toStdString(), GetParam().line + "\r\n");
    }

    static inline std::vector<std::unique_ptr<FakeSource>> sources;
    static inline std::unique_ptr<ServiceProcess> service;
};

// The user's key file in the test's profile, for as long as this lives.
class KeyFile {
public:
    explicit KeyFile(const QByteArray& text, mode_t mode = 0600)
    {
        QDir().mkpath(QFileInfo(path()).path());
        QFile file(path());
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        file.close();
        ::chmod(QFile::encodeName(path()).constData(), mode);
    }
    ~KeyFile() { QFile::remove(path()); }
    static QString path() { return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Quoterra/sources.ini"_s; }
};

} // namespace quoterra::test::live
