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
inline const std::string kAfterClose = std::to_string(kClose + 2);

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
    std::string times, opens, closes, volumes;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const std::string sep = i ? "," : "", &close = bars[i].second;
        times += sep + std::to_string(bars[i].first);
        opens += sep + (i == 0 && !open.empty() ? open : close);
        closes += sep + close;
        volumes += sep + (close == "null" ? "null" : "1200");
    }
    return {200, "application/json",
            R"({"chart":{"result":[{"meta":{"currency":"USD","exchangeTimezoneName":"America/New_York",)" + meta
                + R"(},"timestamp":[)" + times + R"(],"indicators":{"quote":[{"open":[)" + opens + R"(],"high":[)"
                + closes + R"(],"low":[)" + closes + R"(],"close":[)" + closes + R"(],"volume":[)" + volumes
                + R"(]}]}}],"error":null}})"};
}

// Meta of a New York session whose last trade was at `time` (JSON): price,
// previous close, then any `more` (see `range`).
inline std::string day(const std::string& time, const char* price, const char* previous, const std::string& more = {})
{
    return "\"regularMarketTime\":" + time + ",\"regularMarketPrice\":" + price + ",\"previousClose\":" + previous
        + more + R"(,"gmtoffset":-14400,"timezone":"EDT","currentTradingPeriod":{"regular":{)"
        + R"("timezone":"EDT","start":)" + std::to_string(kOpen) + ",\"end\":" + std::to_string(kClose)
        + ",\"gmtoffset\":-14400}}";
}
// The day's range and volume, as more meta fields.
inline std::string range(const char* high, const char* low, const char* volume)
{
    return std::string(",\"regularMarketDayHigh\":") + high + ",\"regularMarketDayLow\":" + low
        + ",\"regularMarketVolume\":" + volume;
}
// A plain session that closed at 20.50.
inline Answer quietDay()
{
    return chartJson(day(kAfterClose, "20.5", "20"), evenly(kOpen, 3600, {"20.1", "20.5"}));
}

// A year of daily closes, a year to `kOpen`.
inline Bars aYear()
{
    Bars year;
    for (int d = 0; d < 252; ++d)
        year.emplace_back(kOpen - std::int64_t(365 - d * 365 / 252) * 86'400, std::to_string(100 + d % 17));
    return year;
}

// The part of a chart below its title, or between the title and the day
// names at the bottom.
inline QImage plotArea(const QByteArray& gif, bool withBottomLabels = true)
{
    const QImage image = gifImage(gif);
    return image.isNull() ? image : image.copy(0, 12, image.width(), withBottomLabels ? image.height() - 12 : 72);
}

// A recorded answer of a source, in JSON.
inline Answer recordedJson(const std::string& name, int status = 200)
{
    return {status, "application/json", recorded(name)};
}

// IBM's session on that Friday, to the close.
inline Answer ibmAnswer()
{
    return recordedJson("chart-json/ibm-1d.json");
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
    QStringList args = more + QStringList{"--market", "live", "--upstream-timeout", "1"};
    for (const auto& [name, source] : {std::pair{"chart=", s.chart}, {"quote=", s.quote}, {"csv=", s.csv}})
        args << "--source-url" << QString::fromLatin1(name) + (source ? originOf(*source) : u"off"_s);
    return args;
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
    static void start(std::unique_ptr<FakeSource> chart, std::unique_ptr<FakeSource> quote = {},
                      std::unique_ptr<FakeSource> csv = {})
    {
        service = std::make_unique<ServiceProcess>(liveArgs({chart.get(), quote.get(), csv.get()}));
        sources.clear();
        for (auto* source : {&chart, &quote, &csv})
            sources.push_back(std::move(*source));
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

    static inline std::vector<std::unique_ptr<FakeSource>> sources; // chart, quote, CSV
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
