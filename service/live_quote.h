#pragma once

#include "charts.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Live market data as the sources give it, and its translation into what
// the ticker reads: the quote line and the chart pictures.
namespace quoterra::service {

struct LiveQuote {
    double last = NAN;
    double previousClose = NAN;
    double open = NAN, high = NAN, low = NAN; // NAN: the source did not say
    std::optional<std::int64_t> volume;
    std::int64_t time = 0; // of the last trade, Unix seconds
    int utcOffset = 0;     // seconds east of UTC in the exchange's zone then
};

struct Bar {
    std::int64_t time = 0; // Unix seconds
    double close = 0;
};

struct BarSeries {
    std::vector<Bar> bars;         // oldest first, gaps left out
    double previousClose = NAN;    // the close before the first bar
    int utcOffset = 0;             // of the exchange, for telling days and hours apart
    int sessionOpen = 9 * 60 + 30; // local minutes after midnight
    int sessionLength = 390;
};

// The date (days since 1970-01-01) and the minute of that day of a moment
// in a zone `utcOffset` seconds east of UTC.
std::int64_t exchangeDay(std::int64_t time, int utcOffset);
int exchangeMinute(std::int64_t time, int utcOffset);
// Seconds from `time` to the next midnight there.
std::int64_t untilMidnight(std::int64_t time, int utcOffset);
// When data of the exchange's day goes stale: the next midnight in its zone,
// a minute after `now` at the soonest.
std::chrono::steady_clock::time_point nextMidnight(std::chrono::steady_clock::time_point now, int utcOffset);
// The time now, Unix seconds.
std::int64_t unixNow();

// Summer time as the EU keeps it, and New York's offset from UTC (summer
// time as the US has kept it since 2007) at a moment.
bool centralEuropeSummer(std::int64_t utc);
int newYorkOffset(std::int64_t utc);

// Every value is multiplied by `factor` (the ticker's ^TYX is the yield x 10).
void scale(LiveQuote& quote, double factor);
void scale(BarSeries& series, double factor);

// "SYM",last,"M/D/YYYY","h:mmam",change,open,high,low,volume CRLF with the
// symbol as it was asked, time in the exchange's zone, N/A where the source
// gave nothing.
std::string liveQuoteLine(std::string_view asked, const LiveQuote& quote);
// The line the classic service gave for a symbol it did not know.
std::string notFoundLine(std::string_view asked);

// Chart series from real bars; nothing when there is nothing to draw.
std::optional<ChartSeries> liveSeries(const BarSeries& series, ChartRange range);

} // namespace quoterra::service
