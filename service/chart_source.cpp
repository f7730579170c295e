// The chart-JSON source, of the v8/finance/chart kind.
#include "sources.h"

#include "pages.h"
#include "source_kit.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cmath>

namespace quoterra::service {

namespace {

namespace json = boost::json;
using Outcome = SourceAnswer::Outcome;

const json::value* member(const json::value* v, std::string_view key)
{
    const json::object* o = v ? v->if_object() : nullptr;
    return o ? o->if_contains(key) : nullptr;
}

double number(const json::value* v)
{
    if (!v || !v->is_number())
        return NAN;
    boost::system::error_code ec;
    const double d = v->to_number<double>(ec);
    return ec || !std::isfinite(d) ? NAN : d;
}

std::optional<std::int64_t> whole(const json::value* v)
{
    const double d = number(v);
    if (!std::isfinite(d) || std::abs(d) > 1e15)
        return std::nullopt;
    return std::int64_t(std::llround(d));
}

// A moment from 1970 to the year 2286; anything else is not a trade.
std::optional<std::int64_t> moment(const json::value* v)
{
    const auto t = whole(v);
    return t && *t >= 0 && *t < 10'000'000'000 ? t : std::nullopt;
}

const json::array* array(const json::value* v)
{
    return v ? v->if_array() : nullptr;
}

double at(const json::array* a, std::size_t i)
{
    return a && i < a->size() ? number(&(*a)[i]) : NAN;
}

class ChartSource : public UpstreamSource {
public:
    ChartSource(std::string origin, Upstream& upstream)
        : UpstreamSource("chart", std::move(origin), upstream)
    {
    }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        static constexpr const char* kQuery[] = {"?range=1d&interval=5m", "?range=5d&interval=15m",
                                                 "?range=1y&interval=1d"};
        return get("/v8/finance/chart/" + urlEncode(chartSymbol(symbol)) + kQuery[int(span)],
                   [span](const net::GetResult& r) { return readChartJson(r.status, r.body, span); });
    }
};

} // namespace

SourceAnswer readChartJson(long status, std::string_view body, Span span)
{
    boost::system::error_code ec;
    const json::value doc = json::parse(body, ec);
    if (ec)
        return failed("chart source: the answer is not JSON (HTTP status " + std::to_string(status) + ")");
    const json::value* chart = member(&doc, "chart");
    if (const json::value* error = member(chart, "error"); error && error->is_object()) {
        const json::value* code = member(error, "code");
        const json::value* text = member(error, "description");
        const std::string codeText = code && code->is_string() ? std::string(code->as_string()) : "";
        if (codeText == "Not Found")
            return withOutcome(Outcome::UnknownSymbol);
        return failed("chart source: " + (codeText.empty() ? std::string("error") : codeText)
                      + (text && text->is_string() ? ": " + std::string(text->as_string()) : ""));
    }
    const json::array* results = array(member(chart, "result"));
    if (!chart || (status != 200 && !results))
        return failed("chart source: HTTP status " + std::to_string(status) + " without a chart");
    if (!results || results->empty())
        return withOutcome(Outcome::UnknownSymbol);
    const json::value& result = (*results)[0];
    const json::value* meta = member(&result, "meta");

    SourceAnswer a;
    a.outcome = Outcome::Data;
    BarSeries& s = a.series;
    s.utcOffset = int(std::clamp<std::int64_t>(whole(member(meta, "gmtoffset")).value_or(0), -16 * 3600, 16 * 3600));
    const json::value* regular = member(member(meta, "currentTradingPeriod"), "regular");
    const auto start = moment(member(regular, "start")), end = moment(member(regular, "end"));
    if (start && end && *end > *start && *end - *start < 86'400) {
        s.sessionOpen = exchangeMinute(*start, s.utcOffset);
        s.sessionLength = int((*end - *start) / 60);
    }
    s.previousClose = number(member(meta, span == Span::Day ? "previousClose" : "chartPreviousClose"));
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
    if (span != Span::Day)
        return a;

    LiveQuote q;
    q.last = number(member(meta, "regularMarketPrice"));
    if (!std::isfinite(q.last))
        return failed("chart source: the answer has no price");
    q.previousClose = s.previousClose;
    q.high = number(member(meta, "regularMarketDayHigh"));
    q.low = number(member(meta, "regularMarketDayLow"));
    q.volume = whole(member(meta, "regularMarketVolume"));
    q.time = moment(member(meta, "regularMarketTime")).value_or(s.bars.empty() ? 0 : s.bars.back().time);
    q.utcOffset = s.utcOffset;
    // The open is the first bar's of the quote's own day, whatever else the answer holds.
    if (times && opens) {
        for (std::size_t i = 0; i < times->size() && !std::isfinite(q.open); ++i) {
            const auto t = moment(&(*times)[i]);
            if (t && exchangeDay(*t, q.utcOffset) == exchangeDay(q.time, q.utcOffset))
                q.open = at(opens, i);
        }
    }
    q.open = std::isfinite(q.open) ? q.open : number(member(meta, "regularMarketOpen"));
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
