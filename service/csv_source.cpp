// The CSV source, of the q/l (latest) and q/d/l (daily history) kind.
#include "sources.h"

#include "pages.h"
#include "source_kit.h"

#include "net/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace quoterra::service {

namespace {

using Outcome = SourceAnswer::Outcome;
using namespace std::chrono;
using net::trimmed;

// The ticker's indices by the source's names for them, all listed in the US.
constexpr std::pair<std::string_view, std::string_view> kIndices[] = {
    {"^DJI", "^dji"}, {"^IXIC", "^ndq"}, {"^SPC", "^spx"}, {"^TYX", "30usy.b"}};

std::string csvSymbol(std::string_view upper)
{
    for (const auto& [ours, theirs] : kIndices)
        if (upper == ours)
            return std::string(theirs);
    const std::string sym = net::lowerAscii(upper);
    return sym.find('.') != std::string::npos || sym.starts_with('^') ? sym : sym + ".us";
}

// The source's times are Central European; US listings are shown in New York time.
bool listedInUs(std::string_view sourceSymbol)
{
    return sourceSymbol.ends_with(".us")
        || std::any_of(std::begin(kIndices), std::end(kIndices),
                       [sourceSymbol](const auto& index) { return index.second == sourceSymbol; });
}

double csvNumber(std::string_view text)
{
    double v = NAN;
    text = trimmed(text);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(v) ? v : NAN;
}

// Days since 1970-01-01 of "YYYY-MM-DD".
std::optional<std::int64_t> csvDate(std::string_view text)
{
    text = trimmed(text);
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
    text = trimmed(text);
    int h = 0, m = 0, s = 0;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':'
        || std::from_chars(text.data(), text.data() + 2, h).ptr != text.data() + 2
        || std::from_chars(text.data() + 3, text.data() + 5, m).ptr != text.data() + 5
        || std::from_chars(text.data() + 6, text.data() + 8, s).ptr != text.data() + 8 || h > 23 || m > 59 || s > 60)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

struct CsvTable {
    std::vector<std::string_view> header;
    std::vector<std::vector<std::string_view>> rows;
    int column(std::string_view name) const
    {
        for (std::size_t i = 0; i < header.size(); ++i)
            if (net::equalsIgnoringCase(trimmed(header[i]), name))
                return int(i);
        return -1;
    }
    std::string_view cell(const std::vector<std::string_view>& row, int column) const
    {
        return column >= 0 && std::size_t(column) < row.size() ? trimmed(row[std::size_t(column)]) : std::string_view();
    }
};

std::optional<CsvTable> csvTable(std::string_view body, std::initializer_list<std::string_view> required)
{
    CsvTable t;
    std::vector<std::string_view> lines = net::splitOn(body, '\n');
    if (lines.empty())
        return std::nullopt;
    t.header = net::splitOn(lines.front(), ',');
    for (std::string_view name : required)
        if (t.column(name) < 0)
            return std::nullopt;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!trimmed(lines[i]).empty())
            t.rows.push_back(net::splitOn(lines[i], ','));
    return t;
}

class CsvSource : public UpstreamSource {
public:
    CsvSource(std::string origin, Upstream& upstream)
        : UpstreamSource("csv", std::move(origin), upstream)
    {
    }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        const std::string sym = csvSymbol(symbol);
        if (span == Span::FiveDay)
            return withOutcome(Outcome::NotOffered);
        if (span == Span::Year)
            return daily(sym);
        SourceAnswer a = get("/q/l/?s=" + urlEncode(sym) + "&f=sd2t2ohlcv&h&e=csv",
                             [&sym](const net::GetResult& r) { return readCsvLatest(r.body, sym); });
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
        const auto now = steady_clock::now();
        {
            std::lock_guard lock(mutex_);
            if (const auto it = history_.find(sym); it != history_.end() && now < it->second.first)
                return it->second.second;
        }
        SourceAnswer a =
            get("/q/d/l/?s=" + urlEncode(sym) + "&i=d", [](const net::GetResult& r) { return readCsvDaily(r.body); });
        if (a.outcome == Outcome::Data || a.outcome == Outcome::UnknownSymbol) {
            const auto midnight = nextMidnight(now, newYorkOffset(unixNow()));
            std::lock_guard lock(mutex_);
            if (history_.size() >= 1024)
                history_.clear();
            history_.insert_or_assign(sym, std::pair{midnight, a});
        }
        return a;
    }

    std::mutex mutex_;
    std::unordered_map<std::string, std::pair<steady_clock::time_point, SourceAnswer>> history_;
};

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
    q.utcOffset = listedInUs(sourceSymbol) ? newYorkOffset(q.time) : int(local - q.time);
    SourceAnswer a;
    a.outcome = Outcome::Data;
    a.quote = q;
    return a;
}

SourceAnswer readCsvDaily(std::string_view body)
{
    if (trimmed(body) == "No data")
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
    keepLastYear(a.series.bars);
    if (a.series.bars.empty())
        return withOutcome(Outcome::UnknownSymbol);
    return a;
}

std::unique_ptr<Source> makeCsvSource(std::string origin, Upstream& upstream)
{
    return std::make_unique<CsvSource>(std::move(origin), upstream);
}

} // namespace quoterra::service
