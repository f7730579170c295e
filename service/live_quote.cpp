#include "live_quote.h"

#include "market.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace quoterra::service {

namespace {

using namespace std::chrono;

// Whether a moment falls in the summer time of its year; the rules give
// its first and its last Sunday, and the hour (UTC) the clocks change.
template <typename Begins, typename Ends>
bool summer(std::int64_t utc, Begins begins, hours beginHour, Ends ends, hours endHour)
{
    const year y = year_month_day(sys_days(days(exchangeDay(utc, 0)))).year();
    const sys_seconds t{seconds(utc)};
    return t >= sys_days(begins(y)) + beginHour && t < sys_days(ends(y)) + endHour;
}

bool newYorkSummer(std::int64_t utc)
{
    return summer(
        utc, [](year y) { return y / March / Sunday[2]; }, hours(7), [](year y) { return y / November / Sunday[1]; },
        hours(6));
}

} // namespace

std::int64_t exchangeDay(std::int64_t time, int utcOffset)
{
    constexpr std::int64_t kDay = 86'400;
    const std::int64_t t = time + utcOffset;
    return t >= 0 ? t / kDay : (t - kDay + 1) / kDay;
}

int exchangeMinute(std::int64_t time, int utcOffset)
{
    return int((time + utcOffset - exchangeDay(time, utcOffset) * 86'400) / 60);
}

std::int64_t untilMidnight(std::int64_t time, int utcOffset)
{
    return (exchangeDay(time, utcOffset) + 1) * 86'400 - utcOffset - time;
}

steady_clock::time_point nextMidnight(steady_clock::time_point now, int utcOffset)
{
    return now + seconds(std::max<std::int64_t>(60, untilMidnight(unixNow(), utcOffset)));
}

std::int64_t unixNow()
{
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

bool centralEuropeSummer(std::int64_t utc)
{
    return summer(
        utc, [](year y) { return y / March / Sunday[last]; }, hours(1),
        [](year y) { return y / October / Sunday[last]; }, hours(1));
}

int newYorkOffset(std::int64_t utc)
{
    return newYorkSummer(utc) ? -4 * 3600 : -5 * 3600;
}

void setTradeTime(LiveQuote& q, std::int64_t time, int utcOffset)
{
    q.day = exchangeDay(time, utcOffset);
    q.minute = exchangeMinute(time, utcOffset);
}

void scale(LiveQuote& q, double factor)
{
    for (double* v : {&q.last, &q.change, &q.previousClose, &q.open, &q.high, &q.low})
        *v *= factor;
}

void scale(BarSeries& series, double factor)
{
    for (Bar& b : series.bars)
        b.close *= factor;
    series.previousClose *= factor;
}

namespace {

// No share, index or yield is quoted at a hundred billion; a number that
// large is a fault of the source, and it would not fit the ticker's label.
constexpr double kLargestValue = 1e11;

bool usable(double value)
{
    return std::isfinite(value) && std::abs(value) < kLargestValue;
}

// Two places, four for prices below one.
int priceDecimals(double price)
{
    return std::abs(price) < 1 ? 4 : 2;
}

// A number in the plain form the ticker reads, with `decimals` places at
// most and two at least; a sign in front of a change. "N/A" for no usable
// value.
std::string formatPrice(double value, int decimals, bool withSign = false)
{
    if (!usable(value))
        return "N/A";
    char buf[32]; // "-99999999999.9999" at most
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text = buf;
    while (text.size() > 3 && text.back() == '0' && text[text.size() - 3] != '.')
        text.pop_back();
    if (text.find_first_not_of("-0.") == std::string::npos) // zero, whatever sign the rounding left
        return "0.00";
    if (withSign && text.front() != '-')
        text.insert(0, 1, '+');
    return text;
}

} // namespace

std::string liveQuoteLine(std::string_view asked, const LiveQuote& q)
{
    if (!usable(q.last))
        return notFoundLine(asked);
    const int places = priceDecimals(q.last);
    std::string line = '"' + quoteEcho(asked) + "\",";
    line += formatPrice(q.last, places) + ',';
    line += '"' + (q.day ? formatDate(dateOf(*q.day)) : std::string("N/A")) + "\",";
    line += '"' + (q.day && q.minute ? formatClock(*q.minute) : std::string("N/A")) + "\",";
    line += formatPrice(std::isfinite(q.change) ? q.change : q.last - q.previousClose, places, true) + ',';
    line += formatPrice(q.open, places) + ',' + formatPrice(q.high, places) + ',' + formatPrice(q.low, places) + ',';
    line += q.volume && *q.volume >= 0 ? std::to_string(*q.volume) : std::string("N/A");
    line += "\r\n";
    return line;
}

std::string notFoundLine(std::string_view asked)
{
    return '"' + quoteEcho(asked) + "\",0.00,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n";
}

std::optional<ChartSeries> liveSeries(const BarSeries& s, ChartRange range)
{
    if (s.bars.empty())
        return std::nullopt;
    ChartSeries out;
    const double last = s.bars.back().close;
    const auto changeCents = [](double from, double to) -> std::int64_t {
        const double cents = (to - from) * 100.0;
        return std::isfinite(cents) ? std::llround(std::clamp(cents, -1e15, 1e15)) : 0;
    };
    const double length = std::max(1, s.sessionLength);
    const auto inSession = [&](const Bar& b) {
        return std::clamp((exchangeMinute(b.time, s.utcOffset) - s.sessionOpen) / length, 0.0, 1.0);
    };

    if (range == ChartRange::OneYear) {
        std::vector<unsigned> months;
        for (std::size_t i = 0; i < s.bars.size(); ++i) {
            const double x = s.bars.size() == 1 ? 0.0 : double(i) / double(s.bars.size() - 1);
            out.points.push_back({x, s.bars[i].close});
            months.push_back(dateOf(exchangeDay(s.bars[i].time, s.utcOffset)).month);
        }
        out.ticks = monthTicks(months);
        out.changeCents = changeCents(s.bars.front().close, last);
        return out;
    }

    // Trading days side by side: nights, weekends and holidays take no room.
    std::vector<std::int64_t> days;
    for (const Bar& b : s.bars)
        if (days.empty() || days.back() != exchangeDay(b.time, s.utcOffset))
            days.push_back(exchangeDay(b.time, s.utcOffset));
    const std::size_t shown = range == ChartRange::OneDay ? 1 : std::min<std::size_t>(5, days.size());
    const std::vector<std::int64_t> columns(days.end() - std::ptrdiff_t(shown), days.end());
    for (const Bar& b : s.bars) {
        const auto column = std::find(columns.begin(), columns.end(), exchangeDay(b.time, s.utcOffset));
        if (column != columns.end())
            out.points.push_back({(double(column - columns.begin()) + inSession(b)) / double(shown), b.close});
    }
    if (range == ChartRange::OneDay) {
        out.ticks = hourTicks(s.sessionOpen, s.sessionLength);
        out.reference = s.previousClose;
    } else {
        std::vector<unsigned> weekdays;
        for (std::int64_t d : columns)
            weekdays.push_back(dateOf(d).weekday);
        out.ticks = dayTicks(weekdays);
    }
    out.changeCents = changeCents(s.previousClose, last);
    return out;
}

} // namespace quoterra::service
