// The quote-JSON source, of the api/quote/SYMBOL/info kind, with its chart
// (the day's trades) and historical (daily bars) endpoints. It writes its
// numbers as text ("$1,157.25", "+0.88", "11,430.35") and its times as
// New York's ("Feb 24, 2023 10:19 AM ET").
#include "sources.h"

#include "json_kit.h"
#include "market.h"
#include "pages.h"
#include "source_kit.h"

#include "net/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <mutex>
#include <unordered_set>

namespace quoterra::service {

namespace {

using namespace json_kit;
using namespace std::chrono;
using Outcome = SourceAnswer::Outcome;

// The ticker's indices by the source's names for them; it has no 30-year yield.
constexpr std::pair<std::string_view, std::string_view> kIndices[] = {
    {"^DJI", "INDU"}, {"^IXIC", "COMP"}, {"^SPC", "SPX"}};

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

// A number as the source writes it: a sign, a dollar sign, thousands in
// groups of three, a fraction, a percent sign, all optional. NAN for
// anything else ("N/A", "NA", "--", "", "1e5", "11.302,99").
double textNumber(std::string_view t)
{
    t = net::trimmed(t);
    const bool negative = t.starts_with('-');
    if (negative || t.starts_with('+'))
        t.remove_prefix(1);
    if (t.starts_with('$'))
        t.remove_prefix(1);
    if (t.ends_with('%'))
        t.remove_suffix(1);
    std::string plain;
    std::size_t i = 0;
    int run = 0; // digits since the last comma
    bool grouped = false;
    for (; i < t.size() && (digit(t[i]) || t[i] == ','); ++i) {
        if (t[i] != ',') {
            plain += t[i];
            ++run;
        } else if (run == 0 || run > 3 || (grouped && run != 3)) {
            return NAN;
        } else {
            grouped = true;
            run = 0;
        }
    }
    if (plain.empty() || (grouped && run != 3))
        return NAN;
    if (i < t.size() && t[i] == '.') {
        plain += t[i++];
        const std::size_t first = i;
        while (i < t.size() && digit(t[i]))
            plain += t[i++];
        if (i == first)
            return NAN;
    }
    double value = NAN;
    if (i != t.size() || std::from_chars(plain.data(), plain.data() + plain.size(), value).ec != std::errc())
        return NAN;
    return negative ? -value : value;
}

// The change as sent; "UNCH" is the source's word for none.
double changeNumber(std::string_view t)
{
    return net::equalsIgnoringCase(net::trimmed(t), "UNCH") ? 0.0 : textNumber(t);
}

std::optional<std::int64_t> daysOf(int y, unsigned m, unsigned d)
{
    const year_month_day date{year(y), month(m), day(d)};
    if (!date.ok() || y < 1973 || y > 2286)
        return std::nullopt;
    return sys_days(date).time_since_epoch().count();
}

// The date and, when the text has one, the time of day of a last-trade text
// such as "Feb 24, 2023 10:19 AM ET", "DATA AS OF Nov 19, 2019 9:27 AM ET -
// PRE-MARKET", "CLOSED AT 4:00 PM ET ON Nov 18, 2019" or "Aug 3, 2026".
void readTradeTime(std::string_view text, LiveQuote& q)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    std::vector<std::string_view> words;
    for (std::string_view w : net::splitOn(text, ' '))
        if (!w.empty())
            words.push_back(w);
    std::optional<std::int64_t> date;
    std::optional<int> minute;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string word = net::lowerAscii(words[i]);
        const auto month = std::find(kMonths.begin(), kMonths.end(), std::string_view(word).substr(0, 3));
        unsigned d = 0;
        int y = 0;
        if (!date && word.size() >= 3 && month != kMonths.end() && i + 2 < words.size()
            && words[i + 1].ends_with(',')) {
            const std::string_view dayText = words[i + 1].substr(0, words[i + 1].size() - 1);
            if (std::from_chars(dayText.data(), dayText.data() + dayText.size(), d).ptr
                    == dayText.data() + dayText.size()
                && words[i + 2].size() == 4
                && std::from_chars(words[i + 2].data(), words[i + 2].data() + 4, y).ptr == words[i + 2].data() + 4)
                date = daysOf(y, unsigned(month - kMonths.begin()) + 1, d);
        }
        int h = 0, m = 0;
        if (!minute && i + 1 < words.size() && (word.size() == 4 || word.size() == 5) && word[word.size() - 3] == ':'
            && std::from_chars(word.data(), word.data() + word.size() - 3, h).ptr == word.data() + word.size() - 3
            && std::from_chars(word.data() + word.size() - 2, word.data() + word.size(), m).ptr
                == word.data() + word.size()
            && h >= 1 && h <= 12 && m >= 0 && m <= 59) {
            const std::string half = net::lowerAscii(words[i + 1]);
            if (half == "am" || half == "pm")
                minute = (h % 12 + (half == "pm" ? 12 : 0)) * 60 + m;
        }
    }
    q.day = date;
    q.minute = date ? minute : std::nullopt;
}

// The answer's data when it is about `symbol`: the source answers a symbol
// it does not know with none (and a status of 400 inside the body), and
// near misses with another symbol's data.
const json::value* dataFor(const json::value& doc, std::string_view symbol)
{
    const json::value* data = member(&doc, "data");
    return data && net::equalsIgnoringCase(net::trimmed(text(member(data, "symbol"))), symbol) ? data : nullptr;
}

// "label"/"value" pairs under keyStats; several spellings over the years.
std::string_view stat(const json::value* data, std::initializer_list<std::string_view> names)
{
    for (std::string_view name : names)
        if (const std::string_view value = text(member(member(member(data, "keyStats"), name), "value"));
            !value.empty())
            return value;
    return {};
}

SourceAnswer notJson()
{
    return failed("quote-JSON source: the answer is not JSON");
}

// "YYYY-MM-DD" of a day counted from 1970-01-01.
std::string isoDate(std::int64_t days)
{
    const Date d = dateOf(days);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
    return text;
}

class QuoteSource : public UpstreamSource {
public:
    QuoteSource(std::string origin, Upstream& upstream)
        : UpstreamSource("quote", "quote-JSON", std::move(origin), upstream)
    {
    }

    SourceAnswer fetch(const std::string& symbol, Span span) override
    {
        if (span == Span::FiveDay) // a day's trades or daily bars, nothing between
            return withOutcome(Outcome::NotOffered);
        for (const auto& [ours, theirs] : kIndices) {
            if (symbol == ours) {
                // It knows some indices only: the others go to the next source.
                SourceAnswer a = ask(std::string(theirs), "index", span);
                return a.outcome == Outcome::UnknownSymbol ? withOutcome(Outcome::NotOffered) : a;
            }
        }
        if (symbol.find_first_of("^=") != std::string::npos) // not a US listing
            return withOutcome(Outcome::NotOffered);
        // Funds are a class of their own there.
        const bool fund = isFund(symbol);
        SourceAnswer a = ask(symbol, fund ? "etf" : "stocks", span);
        if (!fund && a.outcome == Outcome::UnknownSymbol) {
            SourceAnswer asFund = ask(symbol, "etf", span);
            if (asFund.outcome == Outcome::Data)
                rememberFund(symbol);
            if (asFund.outcome != Outcome::UnknownSymbol)
                return asFund;
        }
        return a;
    }

private:
    SourceAnswer ask(const std::string& sym, std::string_view assetClass, Span span)
    {
        const std::string path = "/api/quote/" + urlEncode(sym) + "/";
        const std::string query = "?assetclass=" + std::string(assetClass);
        if (span == Span::Quote)
            return get(path + "info" + query, [&](const net::GetResult& r) { return readQuoteInfo(r.body, sym); });
        if (span == Span::Day)
            return get(path + "chart" + query, [&](const net::GetResult& r) { return readQuoteChart(r.body, sym); });
        const std::int64_t today = exchangeDay(unixNow(), newYorkOffset(unixNow()));
        return get(path + "historical" + query + "&fromdate=" + isoDate(today - 366)
                       + "&limit=9999&todate=" + isoDate(today),
                   [&](const net::GetResult& r) { return readQuoteHistory(r.body, sym); });
    }

    bool isFund(const std::string& sym)
    {
        std::lock_guard lock(mutex_);
        return funds_.contains(sym);
    }

    void rememberFund(const std::string& sym)
    {
        std::lock_guard lock(mutex_);
        if (funds_.size() >= 1024)
            funds_.clear();
        funds_.insert(sym);
    }

    std::mutex mutex_;
    std::unordered_set<std::string> funds_;
};

} // namespace

SourceAnswer readQuoteInfo(std::string_view body, std::string_view symbol)
{
    const auto doc = parsed(body);
    if (!doc)
        return notJson();
    const json::value* data = dataFor(*doc, symbol);
    // Out of hours the first block holds the pre- or after-market trade and
    // the second the regular session's close, which is what the ticker shows.
    const json::value* primary = member(data, "primaryData");
    const json::value* secondary = member(data, "secondaryData");
    const bool regular = std::isfinite(textNumber(text(member(secondary, "lastSalePrice"))));
    const json::value* block = regular ? secondary : primary;
    LiveQuote q;
    q.last = textNumber(text(member(block, "lastSalePrice")));
    if (!std::isfinite(q.last))
        return withOutcome(Outcome::UnknownSymbol);
    q.change = changeNumber(text(member(block, "netChange")));
    readTradeTime(text(member(block, "lastTradeTimestamp")), q);
    double volume = textNumber(text(member(block, "volume")));
    if (!std::isfinite(volume) && !regular)
        volume = textNumber(stat(data, {"Volume"}));
    if (std::isfinite(volume) && volume >= 0 && volume < 1e15)
        q.volume = std::llround(volume); // some count fractional shares
    q.previousClose = textNumber(stat(data, {"previousclose", "PreviousClose"}));
    q.open = textNumber(stat(data, {"OpenPrice"}));
    // "10,922.31 - 11,495.28"; "NA" before the session opens.
    const std::string_view range = stat(data, {"dayrange"});
    if (const std::size_t dash = range.find(" - "); dash != std::string_view::npos) {
        const double a = textNumber(range.substr(0, dash)), b = textNumber(range.substr(dash + 3));
        if (std::isfinite(a) && std::isfinite(b)) {
            q.low = std::min(a, b);
            q.high = std::max(a, b);
        }
    }
    SourceAnswer a = withData();
    a.quote = q;
    return a;
}

SourceAnswer readQuoteChart(std::string_view body, std::string_view symbol)
{
    const auto doc = parsed(body);
    if (!doc)
        return notJson();
    const json::value* data = dataFor(*doc, symbol);
    if (!data)
        return withOutcome(Outcome::UnknownSymbol);
    SourceAnswer a = withData();
    BarSeries& s = a.series;
    s.previousClose = textNumber(text(member(data, "previousClose")));
    const json::array* points = array(member(data, "chart"));
    for (std::size_t i = 0; points && i < points->size(); ++i) {
        const json::value* point = &(*points)[i];
        // Milliseconds of New York's wall clock, written as if it were UTC.
        const double x = number(member(point, "x"));
        double y = number(member(point, "y"));
        if (!std::isfinite(y))
            y = textNumber(text(member(member(point, "z"), "value")));
        if (!std::isfinite(x) || std::abs(x) > 1e15 || !std::isfinite(y))
            continue;
        const std::int64_t local = std::llround(x / 1000);
        const std::int64_t utc = local - newYorkOffset(local + 5 * 3600);
        if (plausibleMoment(utc) && (s.bars.empty() || utc > s.bars.back().time))
            s.bars.push_back({utc, y});
    }
    s.utcOffset = newYorkOffset(s.bars.empty() ? unixNow() : s.bars.back().time);
    return a;
}

SourceAnswer readQuoteHistory(std::string_view body, std::string_view symbol)
{
    const auto doc = parsed(body);
    if (!doc)
        return notJson();
    const json::value* data = dataFor(*doc, symbol);
    const json::array* rows = array(member(member(data, "tradesTable"), "rows"));
    SourceAnswer a = withData();
    // Newest first: "09/15/2026", "$331.34".
    for (std::size_t i = rows ? rows->size() : 0; i-- > 0;) {
        const std::string_view date = text(member(&(*rows)[i], "date"));
        const double close = textNumber(text(member(&(*rows)[i], "close")));
        int y = 0;
        unsigned m = 0, d = 0;
        if (date.size() != 10 || date[2] != '/' || date[5] != '/' || !std::isfinite(close)
            || std::from_chars(date.data(), date.data() + 2, m).ptr != date.data() + 2
            || std::from_chars(date.data() + 3, date.data() + 5, d).ptr != date.data() + 5
            || std::from_chars(date.data() + 6, date.data() + 10, y).ptr != date.data() + 10)
            continue;
        if (const auto days = daysOf(y, m, d))
            addDailyClose(a.series.bars, {*days * 86'400 + 43'200, close}); // noon UTC stays on its date
    }
    keepLastYear(a.series.bars);
    a.series.utcOffset = newYorkOffset(unixNow());
    return a.series.bars.empty() ? withOutcome(Outcome::UnknownSymbol) : a;
}

std::unique_ptr<Source> makeQuoteSource(std::string origin, Upstream& upstream)
{
    return std::make_unique<QuoteSource>(std::move(origin), upstream);
}

} // namespace quoterra::service
