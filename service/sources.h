#pragma once

#include "live_quote.h"

#include "net/http_get.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the live market's numbers come from: public quote sources, each
// behind the same small interface, all reached through one Upstream.
namespace quoterra::service {

// What one upstream fetch is for.
enum class Span {
    Quote,   // the latest trade (with the day's bars where they come along)
    Day,     // the day's bars (with the quote where it comes along)
    FiveDay, // intraday bars of the last five sessions
    Year,    // daily closes of a year
};

struct SourceAnswer {
    enum class Outcome {
        Data,
        UnknownSymbol, // the source knows no such symbol, or has no usable price for it
        NotOffered,    // the source has no data of this span or symbol
        Failed,        // the source did not answer usefully: it rests
        Throttled,     // our own rate limit said no: try later, no blame
    };
    Outcome outcome = Outcome::Failed;
    std::optional<LiveQuote> quote; // Span::Quote, and Span::Day where it comes along
    BarSeries series;
    std::string error;                  // Failed, Throttled: why, for the log and /_status
    std::string brief;                  // the same in a word or two: "429", "time-out", "HTML page"
    std::chrono::seconds retryAfter{0}; // the source asked us to wait that long
};

// The longest rest a source's Retry-After can ask for; longer asks get this.
inline constexpr std::chrono::seconds kLongestRetryAfter{3600};

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

    // Waits its turn under the rate limit, at most as long as one request
    // may take; nothing when the turn would come later than that.
    std::optional<net::GetResult> get(const std::string& url);
    void cancel();
    long requests() const { return requests_.load(); }

private:
    bool takeTurn();

    Config config_;
    std::atomic<bool> cancelled_{false};
    std::atomic<long> requests_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    double tokens_;
    std::chrono::steady_clock::time_point refilled_;
};

class Source {
public:
    virtual ~Source() = default;
    // As --source-url and the key file name it: "chart", "quote", "csv".
    virtual std::string_view name() const = 0;
    // As a person calls it: "chart-JSON".
    virtual std::string_view label() const = 0;
    virtual const std::string& origin() const = 0;
    // A source that needs a key the user has not given is never asked.
    virtual bool lacksKey() const { return false; }
    // Blocks for at most a few upstream time-outs. `symbol` is upper-case.
    virtual SourceAnswer fetch(const std::string& symbol, Span span) = 0;
};

// A chart-JSON source of the v8/finance/chart kind.
std::unique_ptr<Source> makeChartSource(std::string origin, Upstream& upstream);
// A quote-JSON source of the api/quote/SYMBOL/info kind, with its chart and
// historical endpoints; US listings and indices, no key.
std::unique_ptr<Source> makeQuoteSource(std::string origin, Upstream& upstream);
// A CSV source of the q/l (latest) and q/d/l (daily history) kind; asked
// only with its key.
std::unique_ptr<Source> makeCsvSource(std::string origin, Upstream& upstream, std::string key);

struct Options;
struct SourceKeys;
// The sources the options name, in the order they are asked: chart-JSON,
// quote-JSON, then the keyed ones.
std::vector<std::unique_ptr<Source>> makeSources(const Options& options, Upstream& upstream, const SourceKeys& keys);

// Brings an answer into the form the ticker reads: its ^TYX is the yield
// times ten.
void prepareForTicker(std::string_view symbol, SourceAnswer& answer);

// A ticker's symbol as the chart source (and the research site) spell it.
std::string chartSymbol(std::string_view upper);

// The readers of each source's answers, for the sources and the fuzz target.
SourceAnswer readChartJson(long status, std::string_view body, Span span);
SourceAnswer readQuoteInfo(std::string_view body, std::string_view sourceSymbol);
SourceAnswer readQuoteChart(std::string_view body, std::string_view sourceSymbol);
SourceAnswer readQuoteHistory(std::string_view body, std::string_view sourceSymbol);
SourceAnswer readCsvLatest(std::string_view body, std::string_view sourceSymbol);
SourceAnswer readCsvDaily(std::string_view body);

// How long a Retry-After value (seconds, or an HTTP date) asks to wait from
// `now` (Unix seconds), at most kLongestRetryAfter; zero when it says nothing.
std::chrono::seconds retryAfter(std::string_view value, std::int64_t now);

} // namespace quoterra::service
