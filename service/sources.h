#pragma once

#include "live_quote.h"

#include "net/http_get.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// Where the live market's numbers come from: public quote sources, each
// behind the same small interface, all reached through one Upstream.
namespace quoterra::service {

// What one upstream fetch is for.
enum class Span {
    Day,     // the quote, and the day's bars where the source has them
    FiveDay, // intraday bars of the last five sessions
    Year,    // daily closes of a year
};

struct SourceAnswer {
    enum class Outcome {
        Data,
        UnknownSymbol, // the source knows no such symbol
        NotOffered,    // the source has no data of this span
        Failed,        // the source did not answer usefully: back off
        Throttled,     // our own rate limit said no: try later, no blame
    };
    Outcome outcome = Outcome::Failed;
    std::optional<LiveQuote> quote; // Span::Day
    BarSeries series;
    std::string error;                  // Failed, Throttled: why, for the log and /_status
    std::chrono::seconds retryAfter{0}; // the source asked us to wait that long
};

// The one way out to the network: a global rate limit, a hard time-out
// and a body cap for every request, and a switch that ends them all.
class Upstream {
public:
    struct Config {
        std::chrono::milliseconds timeout{10'000};
        std::size_t maxBody = 4u << 20;
        double perSecond = 5; // sustained requests a second, all sources together
        double burst = 10;
    };
    explicit Upstream(Config config);

    // Nothing when the rate limit refuses.
    std::optional<net::GetResult> get(const std::string& url);
    void cancel() { cancelled_ = true; }
    long requests() const { return requests_.load(); }

private:
    Config config_;
    std::atomic<bool> cancelled_{false};
    std::atomic<long> requests_{0};
    std::mutex mutex_;
    double tokens_;
    std::chrono::steady_clock::time_point refilled_;
};

class Source {
public:
    virtual ~Source() = default;
    virtual std::string_view name() const = 0;
    virtual const std::string& origin() const = 0;
    // Blocks for at most a few upstream time-outs. `symbol` is upper-case.
    virtual SourceAnswer fetch(const std::string& symbol, Span span) = 0;
};

// A chart-JSON source of the v8/finance/chart kind.
std::unique_ptr<Source> makeChartSource(std::string origin, Upstream& upstream);
// A CSV source of the q/l (latest) and q/d/l (daily history) kind.
std::unique_ptr<Source> makeCsvSource(std::string origin, Upstream& upstream);

// A ticker's symbol as the chart source (and the research site) spell it.
std::string chartSymbol(std::string_view upper);

// The readers of each source's answers, for the sources and the fuzz target.
SourceAnswer readChartJson(long status, std::string_view body, Span span);
SourceAnswer readCsvLatest(std::string_view body, std::string_view sourceSymbol);
SourceAnswer readCsvDaily(std::string_view body);

} // namespace quoterra::service
