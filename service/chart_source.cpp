// The chart-JSON source, of the v8/finance/chart kind.
#include "sources.h"

#include "json_kit.h"
#include "pages.h"
#include "source_kit.h"

#include <algorithm>
#include <cmath>

namespace quoterra::service {

namespace {

using namespace json_kit;
using Outcome = SourceAnswer::Outcome;

std::optional<std::int64_t> whole(const json::value* v)
{
    const double d = number(v);
    if (!std::isfinite(d) || std::abs(d) > 1e15)
        return std::nullopt;
    return std::int64_t(std::llround(d));
}

std::optional<std::int64_t> moment(const json::value* v)
{
    const auto t = whole(v);
    return t && plausibleMoment(*t) ? t : std::nullopt;
}

double at(const json::array* a, std::size_t i)
{
    return a && i < a->size() ? number(&(*a)[i]) : NAN;
}

class ChartSource : public UpstreamSource {
public:
    ChartSource(std::string origin, Upstream& upstream)
        : UpstreamSource("chart", "chart-JSON", std::move(origin), upstream)
    {
    }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        static constexpr const char* kQuery[] = {"?range=1d&interval=5m", "?range=1d&interval=5m",
                                                 "?range=5d&interval=15m", "?range=1y&interval=1d"};
        return get("/v8/finance/chart/" + urlEncode(chartSymbol(symbol)) + kQuery[int(span)],
                   [span](const net::GetResult& r) { return readChartJson(r.status, r.body, span); });
    }
};

} // namespace

// Only an answer that is not JSON at all is the source's fault; a symbol
// it knows nothing about, or has no price for, is that symbol's N/A.
SourceAnswer readChartJson(long status, std::string_view body, Span span)
{
    const auto doc = parsed(body);
    if (!doc)
        return failed("chart-JSON source: the answer is not JSON (HTTP status " + std::to_string(status) + ")");
    const json::value* chart = member(&*doc, "chart");
    const json::array* results = array(member(chart, "result"));
    if (!results || results->empty())
        return withOutcome(Outcome::UnknownSymbol);
    const json::value& result = (*results)[0];
    const json::value* meta = member(&result, "meta");

    SourceAnswer a = withData();
    BarSeries& s = a.series;
    s.utcOffset = int(std::clamp<std::int64_t>(whole(member(meta, "gmtoffset")).value_or(0), -16 * 3600, 16 * 3600));
    const json::value* regular = member(member(meta, "currentTradingPeriod"), "regular");
    const auto start = moment(member(regular, "start")), end = moment(member(regular, "end"));
    if (start && end && *end > *start && *end - *start < 86'400) {
        s.sessionOpen = exchangeMinute(*start, s.utcOffset);
        s.sessionLength = int((*end - *start) / 60);
    }
    const bool day = span == Span::Quote || span == Span::Day;
    s.previousClose = number(member(meta, day ? "previousClose" : "chartPreviousClose"));
    if (!std::isfinite(s.previousClose))
        s.previousClose = number(member(meta, "chartPreviousClose"));

    const json::array* times = array(member(&result, "timestamp"));
    const json::array* quotes = array(member(member(&result, "indicators"), "quote"));
    const json::value* bars = quotes && !quotes->empty() ? &(*quotes)[0] : nullptr;
    const json::array* closes = array(member(bars, "close"));
    const json::array* opens = array(member(bars, "open"));
    if (times && closes) {
        for (std::size_t i = 0; i < times->size() && i < closes->size(); ++i) {
            const auto t = moment(&(*times)[i]);
            const double close = at(closes, i);
            if (t && std::isfinite(close) && (s.bars.empty() || *t > s.bars.back().time))
                s.bars.push_back({*t, close});
        }
    }
    if (span == Span::Year)
        keepLastYear(s.bars);
    if (!day)
        return a;

    LiveQuote q;
    q.last = number(member(meta, "regularMarketPrice"));
    if (!std::isfinite(q.last)) // delisted, or no trade yet: nothing to quote
        return span == Span::Quote ? withOutcome(Outcome::UnknownSymbol) : a;
    q.previousClose = s.previousClose;
    q.high = number(member(meta, "regularMarketDayHigh"));
    q.low = number(member(meta, "regularMarketDayLow"));
    q.volume = whole(member(meta, "regularMarketVolume"));
    q.open = number(member(meta, "regularMarketOpen"));
    if (const auto time = moment(member(meta, "regularMarketTime"))) {
        setTradeTime(q, *time, s.utcOffset);
        // The open is the first bar's of the quote's own day, whatever else the answer holds.
        for (std::size_t i = 0; times && opens && i < times->size(); ++i) {
            const auto t = moment(&(*times)[i]);
            const double open = at(opens, i);
            if (t && std::isfinite(open) && exchangeDay(*t, s.utcOffset) == q.day) {
                q.open = open;
                break;
            }
        }
    }
    a.quote = q;
    return a;
}

std::string chartSymbol(std::string_view upper)
{
    return upper == "^SPC" ? "^GSPC" : std::string(upper);
}

std::unique_ptr<Source> makeChartSource(std::string origin, Upstream& upstream)
{
    return std::make_unique<ChartSource>(std::move(origin), upstream);
}

} // namespace quoterra::service
