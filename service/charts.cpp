#include "charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace quoterra::service {

namespace {

const std::vector<Rgb>& chartPalette()
{
    static const std::vector<Rgb> palette = {
        {255, 255, 255}, // background
        {20, 20, 20},    // text
        {222, 226, 234}, // grid
        {0, 72, 170},    // price line
        {0, 130, 40},    // up
        {200, 20, 20},   // down
        {110, 110, 120}, // axis
        {226, 236, 250}, // area under the line
    };
    return palette;
}

ChartSeries oneDay(const Market& market, std::string_view symbol, SimTime now)
{
    ChartSeries s;
    const Quote q = market.quote(symbol, now);
    const std::vector<double> prices = market.intraday(symbol, now.day, now.minute);
    for (std::size_t m = 0; m < prices.size(); ++m)
        s.points.push_back({double(m) / kSessionMinutes, prices[m]});
    s.reference = double(q.previousCloseCents) / 100.0;
    s.changeCents = q.lastCents - q.previousCloseCents;
    s.ticks = hourTicks(9 * 60 + 30, kSessionMinutes);
    return s;
}

ChartSeries fiveDay(const Market& market, const Calendar& calendar, std::string_view symbol, SimTime now)
{
    ChartSeries s;
    constexpr int kStep = 10; // one point every ten minutes
    const double span = 5.0 * kSessionMinutes;
    std::vector<unsigned> weekdays;
    for (int k = 0; k < 5; ++k) {
        const std::int64_t day = now.day - 4 + k;
        const int upto = day == now.day ? now.minute : kSessionMinutes;
        const std::vector<double> prices = market.intraday(symbol, day, upto);
        for (int m = 0; m <= upto; m += kStep)
            s.points.push_back({(k * kSessionMinutes + m) / span, prices[m]});
        if (upto % kStep != 0)
            s.points.push_back({(k * kSessionMinutes + upto) / span, prices[upto]});
        weekdays.push_back(calendar.date(day).weekday);
    }
    s.ticks = dayTicks(weekdays);
    const Quote q = market.quote(symbol, now);
    const double first = market.closes(symbol, now.day - 5, now.day - 5).front();
    s.changeCents = q.lastCents - std::llround(first * 100.0);
    return s;
}

ChartSeries oneYear(const Market& market, const Calendar& calendar, std::string_view symbol, SimTime now)
{
    ChartSeries s;
    constexpr int kDays = 252;
    std::vector<double> closes = market.closes(symbol, now.day - kDays + 1, now.day - 1);
    const Quote q = market.quote(symbol, now);
    closes.push_back(double(q.lastCents) / 100.0);
    for (std::size_t i = 0; i < closes.size(); ++i)
        s.points.push_back({double(i) / double(closes.size() - 1), closes[i]});
    std::vector<unsigned> months;
    for (int i = 0; i < kDays; ++i)
        months.push_back(calendar.date(now.day - kDays + 1 + i).month);
    s.ticks = monthTicks(months);
    s.changeCents = q.lastCents - std::llround(closes.front() * 100.0);
    return s;
}

struct Ticks {
    double low = 0, high = 1, step = 1;
    int decimals = 0;
};

// Round numbers for the value axis, three to six of them.
Ticks niceTicks(double low, double high)
{
    const double middle = (low + high) / 2;
    double range = high - low;
    const double minimum = std::max(std::abs(middle) * 0.004, 0.04);
    if (range < minimum) {
        low = middle - minimum / 2;
        high = middle + minimum / 2;
        range = minimum;
    }
    const double rough = range / 4;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double norm = rough / magnitude;
    const double step = (norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10) * magnitude;
    Ticks t;
    t.step = step;
    t.low = std::floor(low / step) * step;
    t.high = std::ceil(high / step) * step;
    t.decimals = step >= 1 ? 0 : std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 2);
    return t;
}

std::string formatTick(double v, int decimals)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string changeText(std::int64_t cents)
{
    return formatCents(cents, true);
}

} // namespace

std::vector<ChartSeries::Tick> hourTicks(int openMinute, int length)
{
    std::vector<ChartSeries::Tick> ticks;
    for (int clock = (openMinute / 60 + 1) * 60; clock <= openMinute + length; clock += 60) {
        const int hour12 = (clock / 60) % 12;
        ticks.push_back({double(clock - openMinute) / length, std::to_string(hour12 == 0 ? 12 : hour12)});
    }
    return ticks;
}

std::vector<ChartSeries::Tick> dayTicks(const std::vector<unsigned>& weekdays)
{
    static const char* names[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
    std::vector<ChartSeries::Tick> ticks;
    for (std::size_t k = 0; k < weekdays.size(); ++k)
        ticks.push_back({double(k) / double(weekdays.size()), names[weekdays[k] % 7]});
    return ticks;
}

std::vector<ChartSeries::Tick> monthTicks(const std::vector<unsigned>& months)
{
    static const char* initials = "JFMAMJJASOND";
    std::vector<ChartSeries::Tick> ticks;
    for (std::size_t i = 1; i < months.size(); ++i)
        if (months[i] != months[i - 1] && months[i] >= 1 && months[i] <= 12)
            ticks.push_back({double(i) / double(months.size() - 1), std::string(1, initials[months[i] - 1]), true});
    return ticks;
}

ChartSeries simulatedSeries(const Market& market, const Calendar& calendar, std::string_view symbol, ChartRange range,
                            SimTime now)
{
    switch (range) {
    case ChartRange::OneDay:
        return oneDay(market, symbol, now);
    case ChartRange::FiveDay:
        return fiveDay(market, calendar, symbol, now);
    case ChartRange::OneYear:
        break;
    }
    return oneYear(market, calendar, symbol, now);
}

Canvas drawChart(const ChartSeries& s, std::string_view symbol, ChartRange range)
{
    Canvas c(kChartWidth, kChartHeight, chartPalette(), kBackground);
    const std::string rangeLabel = range == ChartRange::OneDay ? "1 DAY"
        : range == ChartRange::FiveDay                         ? "5 DAY"
                                                               : "1 YEAR";

    // Title: symbol and range on the left, the change over the range on the right.
    const std::string change = changeText(s.changeCents);
    const std::uint8_t changeColour = s.changeCents > 0 ? kUp : s.changeCents < 0 ? kDown : kText;
    const int changeWidth = Canvas::textWidth(change);
    c.text(kChartWidth - 3 - changeWidth, 2, change, changeColour);
    std::string title = std::string(symbol);
    if (Canvas::textWidth(title + "  " + rangeLabel) + changeWidth + 9 <= kChartWidth)
        title += "  " + rangeLabel;
    c.text(3, 2, title, kText);

    // Value axis
    double lo = s.points.front().value, hi = lo;
    for (const ChartSeries::Point& p : s.points) {
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    if (!std::isnan(s.reference)) {
        lo = std::min(lo, s.reference);
        hi = std::max(hi, s.reference);
    }
    const Ticks t = niceTicks(lo, hi);
    std::vector<std::pair<double, std::string>> labels;
    int labelWidth = 0;
    for (double v = t.low; v <= t.high + t.step / 2; v += t.step) {
        labels.emplace_back(v, formatTick(v, t.decimals));
        labelWidth = std::max(labelWidth, Canvas::textWidth(labels.back().second));
    }

    const int left = 3, top = 13, bottom = kChartHeight - 13;
    const int right = kChartWidth - 3 - labelWidth - 4;
    const auto yOf = [&](double v) {
        return bottom - int(std::lround((v - t.low) / (t.high - t.low) * (bottom - top)));
    };
    const auto xOf = [&](double f) { return left + int(std::lround(f * (right - left))); };

    // area under the line
    for (std::size_t i = 0; i + 1 < s.points.size(); ++i) {
        const int x0 = xOf(s.points[i].x), x1 = xOf(s.points[i + 1].x);
        for (int x = x0; x <= x1; ++x) {
            const double f = x1 == x0 ? 0 : double(x - x0) / (x1 - x0);
            const double v = s.points[i].value + f * (s.points[i + 1].value - s.points[i].value);
            c.line(x, yOf(v), x, bottom, kArea);
        }
    }
    // grid, ticks and labels
    for (const auto& [v, label] : labels) {
        const int y = yOf(v);
        c.dottedHLine(left, right, y, kGrid);
        c.line(right, y, right + 2, y, kAxis);
        c.text(right + 4, y - Canvas::kGlyphHeight / 2, label, kText);
    }
    c.line(left, bottom, right, bottom, kAxis);
    c.line(right, top, right, bottom, kAxis);
    for (const ChartSeries::Tick& tick : s.ticks) {
        const int x = xOf(tick.x);
        c.line(x, bottom, x, bottom + 2, kAxis);
        const int w = Canvas::textWidth(tick.label);
        int tx = tick.labelAfterTick ? x + 2 : x - w / 2;
        if (range == ChartRange::FiveDay)
            tx = x + (xOf(tick.x + 0.2) - x - w) / 2; // centred in its day
        if (tx >= 0 && tx + w <= right + 6)
            c.text(tx, bottom + 4, tick.label, kText);
    }
    if (!std::isnan(s.reference))
        c.dottedHLine(left, right, yOf(s.reference), kAxis);

    // the price line itself
    for (std::size_t i = 0; i + 1 < s.points.size(); ++i)
        c.line(xOf(s.points[i].x), yOf(s.points[i].value), xOf(s.points[i + 1].x), yOf(s.points[i + 1].value),
               kPriceLine);
    if (s.points.size() == 1)
        c.set(xOf(s.points[0].x), yOf(s.points[0].value), kPriceLine);
    return c;
}

} // namespace quoterra::service
