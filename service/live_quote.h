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

// Whatever the source did not send, or sent as something no quote can be,
// stays empty (NAN, nullopt): the line shows N/A there.
struct LiveQuote {
    double last = NAN;
    double change = NAN; // as the source sent it; else last - previousClose
    double previousClose = NAN;
    double open = NAN, high = NAN, low = NAN;
    std::optional<std::int64_t> volume;
    std::optional<std::int64_t> day; // of the last trade: days since 1970-01-01 in the exchange's zone
    std::optional<int> minute;       // of that day, when the source gave the time as well
};

// The last trade at `time` (Unix seconds) in a zone `utcOffset` seconds east of UTC.
void setTradeTime(LiveQuote& quote, std::int64_t time, int utcOffset);

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
// gave nothing usable; the not-found line when the price itself is unusable.
std::string liveQuoteLine(std::string_view asked, const LiveQuote& quote);
// The line the classic service gave for a symbol it did not know.
std::string notFoundLine(std::string_view asked);

// Chart series from real bars; nothing when there is nothing to draw.
std::optional<ChartSeries> liveSeries(const BarSeries& series, ChartRange range);

} // namespace quoterra::service
