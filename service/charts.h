#pragma once

#include "gif_canvas.h"
#include "market.h"

#include <string>
#include <string_view>

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

// The line chart of a known, upper-case symbol as of simulated time `now`.
Canvas drawChart(const Market& market, const Calendar& calendar, std::string_view symbol,
                 ChartRange range, SimTime now);

inline std::string chartGif(const Market& market, const Calendar& calendar, std::string_view symbol,
                            ChartRange range, SimTime now)
{
    return encodeGif(drawChart(market, calendar, symbol, range, now));
}

} // namespace quoterra::service
