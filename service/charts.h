#pragma once

#include "gif_canvas.h"
#include "market.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

enum class ChartRange { OneDay, FiveDay, OneYear };

inline constexpr int kChartWidth = 192;
inline constexpr int kChartHeight = 96;

// Palette slots of a chart, exposed so tests can tell the price line apart.
enum ChartColour : std::uint8_t {
    kBackground = 0,
    kText = 1,
    kGrid = 2,
    kPriceLine = 3,
    kUp = 4,
    kDown = 5,
    kAxis = 6,
    kArea = 7,
};

// What a chart shows, whatever market it comes from.
struct ChartSeries {
    struct Point {
        double x; // 0..1 across the plot
        double value;
    };
    struct Tick {
        double x;
        std::string label;
        bool labelAfterTick = false; // month initials sit right of their tick
    };
    std::vector<Point> points; // at least one
    std::vector<Tick> ticks;
    double reference = NAN; // previous close, drawn dotted
    std::int64_t changeCents = 0;
};

// Hour ticks "10" .. "4" of a session that opens at `openMinute` (minutes
// after midnight) and lasts `length` minutes.
std::vector<ChartSeries::Tick> hourTicks(int openMinute, int length);
// Weekday names at the start of each of `days` equal columns.
std::vector<ChartSeries::Tick> dayTicks(const std::vector<unsigned>& weekdays);
// Month initials where the month changes along a run of dates.
std::vector<ChartSeries::Tick> monthTicks(const std::vector<unsigned>& months);

Canvas drawChart(const ChartSeries& series, std::string_view symbol, ChartRange range);

// The line chart of a known, upper-case symbol as of simulated time `now`.
ChartSeries simulatedSeries(const Market& market, const Calendar& calendar, std::string_view symbol, ChartRange range,
                            SimTime now);

inline std::string chartGif(const Market& market, const Calendar& calendar, std::string_view symbol, ChartRange range,
                            SimTime now)
{
    return encodeGif(drawChart(simulatedSeries(market, calendar, symbol, range, now), symbol, range));
}

} // namespace quoterra::service
