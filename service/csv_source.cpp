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

// CSV read as CSV, one record at a time over the whole answer: quoted
// cells with commas and doubled quotes in them, CR LF or LF line ends, blank
// lines skipped. The cells of one record live in buffers that the next
// record reuses, so a long history costs no more than its widest line.
class CsvRecords {
public:
    explicit CsvRecords(std::string_view text)
        : text_(text)
    {
    }

    // The next record; false at the end of the text.
    bool next()
    {
        while (at_ < text_.size()) {
            size_ = 0;
            std::string* cell = &newCell();
            bool quoted = false;
            for (; at_ < text_.size(); ++at_) {
                const char c = text_[at_];
                if (quoted && c == '"' && at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                    cell->push_back('"');
                    ++at_;
                } else if (c == '"') {
                    quoted = !quoted;
                } else if (quoted || (c != ',' && c != '\n' && c != '\r')) {
                    cell->push_back(c);
                } else if (c == ',') {
                    cell = &newCell();
                } else if (c == '\n') {
                    ++at_;
                    break;
                }
            }
            if (size_ > 1 || !trimmed(cells_[0]).empty())
                return true;
        }
        return false;
    }

    std::size_t size() const { return size_; }
    std::string_view operator[](std::size_t i) const { return i < size_ ? trimmed(cells_[i]) : std::string_view(); }

private:
    std::string& newCell()
    {
        if (size_ == cells_.size())
            cells_.emplace_back();
        std::string& cell = cells_[size_++];
        cell.clear();
        return cell;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<std::string> cells_;
    std::size_t size_ = 0;
};

// The columns of a table's header row, by name, any case; nothing when one
// of `required` is missing.
struct CsvColumns {
    std::vector<std::string> names;
    int operator()(std::string_view name) const
    {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (net::equalsIgnoringCase(names[i], name))
                return int(i);
        return -1;
    }
};

std::optional<CsvColumns> csvHeader(CsvRecords& records, std::initializer_list<std::string_view> required)
{
    if (!records.next())
        return std::nullopt;
    CsvColumns columns;
    for (std::size_t i = 0; i < records.size(); ++i)
        columns.names.emplace_back(records[i]);
    for (std::string_view name : required)
        if (columns(name) < 0)
            return std::nullopt;
    return columns;
}

std::string_view cell(const CsvRecords& row, int column)
{
    return column < 0 ? std::string_view() : row[std::size_t(column)];
}

class CsvSource : public UpstreamSource {
public:
    CsvSource(std::string origin, Upstream& upstream, std::string key)
        : UpstreamSource("csv", "CSV", std::move(origin), upstream)
        , key_(std::move(key))
    {
    }

    bool lacksKey() const override { return key_.empty(); }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        const std::string sym = csvSymbol(symbol);
        if (span == Span::FiveDay || span == Span::Day) // no intraday bars
            return withOutcome(Outcome::NotOffered);
        if (span == Span::Year)
            return daily(sym);
        SourceAnswer a = get("/q/l/?s=" + urlEncode(sym) + "&f=sd2t2ohlcv&h&e=csv&apikey=" + urlEncode(key_),
                             [&sym](const net::GetResult& r) { return readCsvLatest(r.body, sym); });
        if (a.outcome != Outcome::Data)
            return a;
        // The latest row has no previous close: the history before the quote's day does.
        const SourceAnswer history = daily(sym);
        for (const Bar& b : history.series.bars)
            if (exchangeDay(b.time, 0) < *a.quote->day)
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
        SourceAnswer a = get("/q/d/l/?s=" + urlEncode(sym) + "&i=d&apikey=" + urlEncode(key_),
                             [](const net::GetResult& r) { return readCsvDaily(r.body); });
        if (a.outcome == Outcome::Data || a.outcome == Outcome::UnknownSymbol) {
            const auto midnight = nextMidnight(now, newYorkOffset(unixNow()));
            std::lock_guard lock(mutex_);
            if (history_.size() >= 1024)
                history_.clear();
            history_.insert_or_assign(sym, std::pair{midnight, a});
        }
        return a;
    }

    const std::string key_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::pair<steady_clock::time_point, SourceAnswer>> history_;
};

} // namespace

SourceAnswer readCsvLatest(std::string_view body, std::string_view sourceSymbol)
{
    CsvRecords rows(body);
    const auto columns = csvHeader(rows, {"date", "time", "close"});
    // A row that does not fit its header has its values under the wrong names.
    if (!columns || !rows.next() || rows.size() != columns->names.size())
        return failed("CSV source: the answer is not the expected table");
    const auto value = [&](std::string_view name) { return cell(rows, (*columns)(name)); };
    LiveQuote q;
    q.last = csvNumber(value("close"));
    const auto date = csvDate(value("date"));
    if (!std::isfinite(q.last) || !date) // "N/D": the source knows no such symbol
        return withOutcome(Outcome::UnknownSymbol);
    q.open = csvNumber(value("open"));
    q.high = csvNumber(value("high"));
    q.low = csvNumber(value("low"));
    if (const double v = csvNumber(value("volume")); std::isfinite(v) && v >= 0 && v < 1e15)
        q.volume = std::int64_t(std::llround(v));
    if (const auto time = csvTime(value("time"))) {
        const std::int64_t local = *date * 86'400 + *time;
        const std::int64_t utc = local - (centralEuropeSummer(local - 7200) ? 7200 : 3600);
        setTradeTime(q, utc, listedInUs(sourceSymbol) ? newYorkOffset(utc) : int(local - utc));
    } else {
        q.day = *date; // the date alone, as sent
    }
    SourceAnswer a = withData();
    a.quote = q;
    return a;
}

SourceAnswer readCsvDaily(std::string_view body)
{
    if (trimmed(body) == "No data")
        return withOutcome(Outcome::UnknownSymbol);
    CsvRecords rows(body);
    const auto columns = csvHeader(rows, {"date", "close"});
    if (!columns)
        return failed("CSV source: the history is not the expected table");
    SourceAnswer a = withData();
    const int dateColumn = (*columns)("date"), closeColumn = (*columns)("close");
    while (rows.next()) {
        const auto date = csvDate(cell(rows, dateColumn));
        const double close = csvNumber(cell(rows, closeColumn));
        // noon UTC stays on its date in every exchange's zone
        if (rows.size() == columns->names.size() && date && std::isfinite(close))
            addDailyClose(a.series.bars, {*date * 86'400 + 43'200, close});
    }
    keepLastYear(a.series.bars);
    if (a.series.bars.empty())
        return withOutcome(Outcome::UnknownSymbol);
    return a;
}

std::unique_ptr<Source> makeCsvSource(std::string origin, Upstream& upstream, std::string key)
{
    return std::make_unique<CsvSource>(std::move(origin), upstream, std::move(key));
}

} // namespace quoterra::service
