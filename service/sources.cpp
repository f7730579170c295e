#include "sources.h"

#include "pages.h"

#include <boost/json.hpp>

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <vector>

namespace quoterra::service {

namespace {

namespace json = boost::json;
using Outcome = SourceAnswer::Outcome;
using namespace std::chrono;

// Some sources answer programs that do not look like a browser with an
// error page.
constexpr const char* kBrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0 Safari/537.36";
constexpr std::size_t kYearBars = 260;

SourceAnswer withOutcome(Outcome outcome, std::string why = {}, seconds retryAfter = seconds(0))
{
    SourceAnswer a;
    a.outcome = outcome;
    a.error = std::move(why);
    a.retryAfter = retryAfter;
    return a;
}

SourceAnswer failed(std::string why, seconds retryAfter = seconds(0))
{
    return withOutcome(Outcome::Failed, std::move(why), retryAfter);
}

std::string lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

// What a transfer that did not bring a usable answer means for the source;
// nothing when there is an answer to read.
std::optional<SourceAnswer> transferProblem(const std::optional<net::GetResult>& r, std::string_view source)
{
    if (!r)
        return withOutcome(Outcome::Throttled, "too many upstream requests; waiting for the rate limit");
    if (!r->transferred())
        return failed(std::string(source) + " source: " + r->error);
    if (r->status == 429 || r->status >= 500) {
        long wait = 0;
        const std::string after = r->header("Retry-After");
        std::from_chars(after.data(), after.data() + after.size(), wait);
        return failed(std::string(source) + " source: HTTP status " + std::to_string(r->status),
                      seconds(std::clamp(wait, 0L, 3600L)));
    }
    return std::nullopt;
}

// --- chart JSON -------------------------------------------------------------

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
    if (span == Span::Year && s.bars.size() > kYearBars)
        s.bars.erase(s.bars.begin(), s.bars.end() - kYearBars);
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

namespace {

class ChartSource : public Source {
public:
    ChartSource(std::string origin, Upstream& upstream)
        : origin_(std::move(origin))
        , upstream_(upstream)
    {
    }
    std::string_view name() const override { return "chart"; }
    const std::string& origin() const override { return origin_; }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        static constexpr const char* kQuery[] = {"?range=1d&interval=5m", "?range=5d&interval=15m",
                                                 "?range=1y&interval=1d"};
        const auto r =
            upstream_.get(origin_ + "/v8/finance/chart/" + urlEncode(chartSymbol(symbol)) + kQuery[int(span)]);
        if (auto problem = transferProblem(r, name()))
            return *problem;
        return readChartJson(r->status, r->body, span);
    }

private:
    std::string origin_;
    Upstream& upstream_;
};

// --- CSV --------------------------------------------------------------------

std::vector<std::string_view> split(std::string_view text, char sep)
{
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find(sep, start);
        out.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return out;
        start = at + 1;
    }
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == ' '))
        s.remove_suffix(1);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

double csvNumber(std::string_view text)
{
    double v = NAN;
    text = trim(text);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(v) ? v : NAN;
}

// Days since 1970-01-01 of "YYYY-MM-DD".
std::optional<std::int64_t> csvDate(std::string_view text)
{
    text = trim(text);
    int y = 0;
    unsigned m = 0, d = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-'
        || std::from_chars(text.data(), text.data() + 4, y).ptr != text.data() + 4
        || std::from_chars(text.data() + 5, text.data() + 7, m).ptr != text.data() + 7
        || std::from_chars(text.data() + 8, text.data() + 10, d).ptr != text.data() + 10)
        return std::nullopt;
    const year_month_day ymd{year(y), month(m), day(d)};
    if (!ymd.ok())
        return std::nullopt;
    return sys_days(ymd).time_since_epoch().count();
}

// Seconds of "HH:MM:SS".
std::optional<int> csvTime(std::string_view text)
{
    text = trim(text);
    int h = 0, m = 0, s = 0;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':'
        || std::from_chars(text.data(), text.data() + 2, h).ptr != text.data() + 2
        || std::from_chars(text.data() + 3, text.data() + 5, m).ptr != text.data() + 5
        || std::from_chars(text.data() + 6, text.data() + 8, s).ptr != text.data() + 8 || h > 23 || m > 59 || s > 60)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

// Whether a moment falls in the summer time of its year; the rules give
// its first and its last Sunday, and the hour (UTC) the clocks change.
template <typename Begins, typename Ends>
bool summer(std::int64_t utc, Begins begins, hours beginHour, Ends ends, hours endHour)
{
    const year y = year_month_day(sys_days(days(exchangeDay(utc, 0)))).year();
    const sys_seconds t{seconds(utc)};
    return t >= sys_days(begins(y)) + beginHour && t < sys_days(ends(y)) + endHour;
}

// Daylight saving time as the US (since 2007) and the EU keep it.
bool newYorkSummer(std::int64_t utc)
{
    return summer(
        utc, [](year y) { return y / March / Sunday[2]; }, hours(7), [](year y) { return y / November / Sunday[1]; },
        hours(6));
}

bool centralEuropeSummer(std::int64_t utc)
{
    return summer(
        utc, [](year y) { return y / March / Sunday[last]; }, hours(1),
        [](year y) { return y / October / Sunday[last]; }, hours(1));
}

// The CSV source's times are Central European; US listings are shown in New York time.
bool listedInUs(std::string_view sourceSymbol)
{
    return sourceSymbol.ends_with(".us") || sourceSymbol == "^dji" || sourceSymbol == "^ndq" || sourceSymbol == "^spx"
        || sourceSymbol == "30usy.b";
}

struct CsvTable {
    std::vector<std::string_view> header;
    std::vector<std::vector<std::string_view>> rows;
    int column(std::string_view name) const
    {
        for (std::size_t i = 0; i < header.size(); ++i)
            if (lower(trim(header[i])) == name)
                return int(i);
        return -1;
    }
    std::string_view cell(const std::vector<std::string_view>& row, int column) const
    {
        return column >= 0 && std::size_t(column) < row.size() ? trim(row[std::size_t(column)]) : std::string_view();
    }
};

std::optional<CsvTable> csvTable(std::string_view body, std::initializer_list<std::string_view> required)
{
    CsvTable t;
    std::vector<std::string_view> lines = split(body, '\n');
    if (lines.empty())
        return std::nullopt;
    t.header = split(lines.front(), ',');
    for (std::string_view name : required)
        if (t.column(name) < 0)
            return std::nullopt;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!trim(lines[i]).empty())
            t.rows.push_back(split(lines[i], ','));
    return t;
}

} // namespace

SourceAnswer readCsvLatest(std::string_view body, std::string_view sourceSymbol)
{
    const auto t = csvTable(body, {"date", "time", "close"});
    if (!t || t->rows.empty())
        return failed("csv source: the answer is not the expected table");
    const auto& row = t->rows.front();
    if (t->cell(row, t->column("close")) == "N/D")
        return withOutcome(Outcome::UnknownSymbol);
    const auto date = csvDate(t->cell(row, t->column("date")));
    const auto time = csvTime(t->cell(row, t->column("time")));
    LiveQuote q;
    q.last = csvNumber(t->cell(row, t->column("close")));
    if (!date || !time || !std::isfinite(q.last))
        return failed("csv source: the answer has no price, date or time");
    q.open = csvNumber(t->cell(row, t->column("open")));
    q.high = csvNumber(t->cell(row, t->column("high")));
    q.low = csvNumber(t->cell(row, t->column("low")));
    if (const double v = csvNumber(t->cell(row, t->column("volume"))); std::isfinite(v) && v >= 0)
        q.volume = std::int64_t(std::llround(v));
    const std::int64_t local = *date * 86'400 + *time;
    q.time = local - (centralEuropeSummer(local - 7200) ? 7200 : 3600);
    q.utcOffset = listedInUs(sourceSymbol) ? (newYorkSummer(q.time) ? -4 * 3600 : -5 * 3600) : int(local - q.time);
    SourceAnswer a;
    a.outcome = Outcome::Data;
    a.quote = q;
    return a;
}

SourceAnswer readCsvDaily(std::string_view body, std::string_view)
{
    if (trim(body) == "No data")
        return withOutcome(Outcome::UnknownSymbol);
    const auto t = csvTable(body, {"date", "close"});
    if (!t)
        return failed("csv source: the history is not the expected table");
    SourceAnswer a;
    a.outcome = Outcome::Data;
    const int dateColumn = t->column("date"), closeColumn = t->column("close");
    for (const auto& row : t->rows) {
        const auto date = csvDate(t->cell(row, dateColumn));
        const double close = csvNumber(t->cell(row, closeColumn));
        // noon UTC stays on its date in every exchange's zone
        if (date && std::isfinite(close)
            && (a.series.bars.empty() || *date * 86'400 + 43'200 > a.series.bars.back().time))
            a.series.bars.push_back({*date * 86'400 + 43'200, close});
    }
    if (a.series.bars.size() > kYearBars)
        a.series.bars.erase(a.series.bars.begin(), a.series.bars.end() - kYearBars);
    if (a.series.bars.empty())
        return withOutcome(Outcome::UnknownSymbol);
    return a;
}

namespace {

class CsvSource : public Source {
public:
    CsvSource(std::string origin, Upstream& upstream)
        : origin_(std::move(origin))
        , upstream_(upstream)
    {
    }
    std::string_view name() const override { return "csv"; }
    const std::string& origin() const override { return origin_; }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        const std::string sym = csvSymbol(symbol);
        if (span == Span::FiveDay)
            return withOutcome(Outcome::NotOffered);
        if (span == Span::Year)
            return daily(sym);
        const auto r = upstream_.get(origin_ + "/q/l/?s=" + urlEncode(sym) + "&f=sd2t2ohlcv&h&e=csv");
        if (auto problem = transferProblem(r, name()))
            return *problem;
        SourceAnswer a = readCsvLatest(r->body, sym);
        if (a.outcome != Outcome::Data)
            return a;
        // The latest row has no previous close: the history before the quote's day does.
        const SourceAnswer history = daily(sym);
        const std::int64_t quoteDay = exchangeDay(a.quote->time, a.quote->utcOffset);
        for (const Bar& b : history.series.bars)
            if (exchangeDay(b.time, 0) < quoteDay)
                a.quote->previousClose = b.close;
        return a;
    }

private:
    // The history changes once a session: kept until midnight in New York.
    SourceAnswer daily(const std::string& sym)
    {
        const auto now = system_clock::now();
        {
            std::lock_guard lock(mutex_);
            if (const auto it = history_.find(sym); it != history_.end() && now < it->second.first)
                return it->second.second;
        }
        const auto r = upstream_.get(origin_ + "/q/d/l/?s=" + urlEncode(sym) + "&i=d");
        if (auto problem = transferProblem(r, name()))
            return *problem;
        SourceAnswer a = readCsvDaily(r->body, sym);
        if (a.outcome == Outcome::Data || a.outcome == Outcome::UnknownSymbol) {
            const std::int64_t utc = duration_cast<seconds>(now.time_since_epoch()).count();
            const int offset = newYorkSummer(utc) ? -4 * 3600 : -5 * 3600;
            const auto midnight = now + seconds(untilMidnight(utc, offset));
            std::lock_guard lock(mutex_);
            if (history_.size() >= 1024)
                history_.clear();
            history_.insert_or_assign(sym, std::pair{midnight, a});
        }
        return a;
    }

    std::string origin_;
    Upstream& upstream_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::pair<system_clock::time_point, SourceAnswer>> history_;
};

} // namespace

std::string chartSymbol(std::string_view upper)
{
    return upper == "^SPC" ? "^GSPC" : std::string(upper);
}

std::string csvSymbol(std::string_view upper)
{
    static constexpr std::pair<std::string_view, std::string_view> kIndices[] = {
        {"^DJI", "^dji"}, {"^IXIC", "^ndq"}, {"^SPC", "^spx"}, {"^TYX", "30usy.b"}};
    for (const auto& [ours, theirs] : kIndices)
        if (upper == ours)
            return std::string(theirs);
    const std::string sym = lower(upper);
    return sym.find('.') != std::string::npos || sym.starts_with('^') ? sym : sym + ".us";
}

Upstream::Upstream(Config config)
    : config_(config)
    , tokens_(config.burst)
    , refilled_(steady_clock::now())
{
}

std::optional<net::GetResult> Upstream::get(const std::string& url)
{
    {
        std::lock_guard lock(mutex_);
        const auto now = steady_clock::now();
        tokens_ = std::min(config_.burst, tokens_ + duration<double>(now - refilled_).count() * config_.perSecond);
        refilled_ = now;
        if (tokens_ < 1)
            return std::nullopt;
        tokens_ -= 1;
    }
    ++requests_;
    net::GetOptions options;
    options.timeout = config_.timeout;
    options.maxBody = config_.maxBody;
    options.userAgent = kBrowserAgent;
    options.headers = {"Accept: application/json, text/csv, */*"};
    options.cancel = &cancelled_;
    return net::get(url, options);
}

std::unique_ptr<Source> makeChartSource(std::string origin, Upstream& upstream)
{
    return std::make_unique<ChartSource>(std::move(origin), upstream);
}

std::unique_ptr<Source> makeCsvSource(std::string origin, Upstream& upstream)
{
    return std::make_unique<CsvSource>(std::move(origin), upstream);
}

} // namespace quoterra::service
