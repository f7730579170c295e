#include "sources.h"

#include "options.h"
#include "source_keys.h"
#include "source_kit.h"

#include "net/text.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>

namespace quoterra::service {

namespace {

using Outcome = SourceAnswer::Outcome;
using namespace std::chrono;

// Some sources answer programs that do not look like a browser with an
// error page.
constexpr const char* kBrowserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0 Safari/537.36";
constexpr std::size_t kYearBars = 260;

// A browser check, a sign-in or a notice page: whatever it says, it is not data.
bool htmlPage(const net::GetResult& r)
{
    if (net::lowerAscii(r.header("Content-Type")).find("text/html") != std::string::npos)
        return true;
    const std::size_t first = r.body.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return first != std::string::npos && r.body[first] == '<';
}

std::string transportBrief(const net::GetResult& r)
{
    if (r.refused)
        return "no connection";
    if (r.error == net::kTimedOut)
        return "time-out";
    if (net::tooLarge(r))
        return "too large";
    return "no answer";
}

} // namespace

SourceAnswer withOutcome(Outcome outcome, std::string why, std::string brief, seconds retryAfter)
{
    SourceAnswer a;
    a.outcome = outcome;
    a.error = std::move(why);
    a.brief = std::move(brief);
    a.retryAfter = retryAfter;
    return a;
}

SourceAnswer failed(std::string why, std::string brief, seconds retryAfter)
{
    return withOutcome(Outcome::Failed, std::move(why), std::move(brief), retryAfter);
}

SourceAnswer withData()
{
    return withOutcome(Outcome::Data);
}

void keepLastYear(std::vector<Bar>& bars)
{
    if (bars.size() > kYearBars)
        bars.erase(bars.begin(), bars.end() - kYearBars);
}

void addDailyClose(std::vector<Bar>& bars, Bar bar)
{
    if (!bars.empty() && bar.time <= bars.back().time)
        return;
    if (bars.size() >= 2 * kYearBars)
        keepLastYear(bars);
    bars.push_back(bar);
}

bool plausibleMoment(std::int64_t t)
{
    return t >= 100'000'000 && t < 10'000'000'000;
}

seconds retryAfter(std::string_view value, std::int64_t now)
{
    value = net::trimmed(value);
    if (value.empty())
        return seconds(0);
    std::int64_t wait = 0;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (std::from_chars(value.data(), value.data() + value.size(), wait).ec != std::errc())
            wait = kLongestRetryAfter.count(); // more digits than any wait worth keeping
    } else {
        const time_t at = curl_getdate(std::string(value).c_str(), nullptr); // any of HTTP's three date forms
        if (at <= 0)
            return seconds(0);
        wait = std::int64_t(at) - now;
    }
    return seconds(std::clamp<std::int64_t>(wait, 0, kLongestRetryAfter.count()));
}

Upstream::Upstream(Config config)
    : config_(config)
    , tokens_(config.burst)
    , refilled_(steady_clock::now())
{
}

void Upstream::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
}

// Tokens below zero are turns already promised to requests that wait.
bool Upstream::takeTurn()
{
    std::unique_lock lock(mutex_);
    const auto now = steady_clock::now();
    tokens_ = std::min(config_.burst, tokens_ + duration<double>(now - refilled_).count() * config_.perSecond);
    refilled_ = now;
    const duration<double> wait(tokens_ >= 1 ? 0.0 : (1 - tokens_) / config_.perSecond);
    if (wait > config_.timeout)
        return false;
    tokens_ -= 1;
    wake_.wait_for(lock, wait, [this] { return cancelled_.load(); });
    return !cancelled_;
}

std::optional<net::GetResult> Upstream::get(const std::string& url)
{
    if (!takeTurn())
        return std::nullopt;
    ++requests_;
    net::GetOptions options;
    options.timeout = config_.timeout;
    options.maxBody = config_.maxBody;
    options.userAgent = kBrowserAgent;
    options.headers = {"Accept: application/json, text/csv, */*"};
    options.cancel = &cancelled_;
    return net::get(url, options);
}

std::vector<std::unique_ptr<Source>> makeSources(const Options& o, Upstream& upstream, const SourceKeys& keys)
{
    std::vector<std::unique_ptr<Source>> sources;
    if (!o.chartSource.empty())
        sources.push_back(makeChartSource(o.chartSource, upstream));
    if (!o.quoteSource.empty())
        sources.push_back(makeQuoteSource(o.quoteSource, upstream));
    if (!o.csvSource.empty())
        sources.push_back(makeCsvSource(o.csvSource, upstream, keys.key("csv")));
    return sources;
}

void prepareForTicker(std::string_view symbol, SourceAnswer& a)
{
    if (symbol != "^TYX")
        return;
    if (a.quote)
        scale(*a.quote, 10);
    scale(a.series, 10);
}

UpstreamSource::UpstreamSource(std::string_view name, std::string_view label, std::string origin, Upstream& upstream)
    : name_(name)
    , label_(label)
    , origin_(std::move(origin))
    , upstream_(upstream)
{
}

SourceAnswer UpstreamSource::get(const std::string& target, const Reader& read)
{
    const auto r = upstream_.get(origin_ + target);
    if (!r)
        return withOutcome(Outcome::Throttled, "too many upstream requests; waiting for the rate limit", "rate limit");
    const std::string source = std::string(label_) + " source: ";
    if (!r->transferred())
        return failed(source + r->error, transportBrief(*r));
    const std::string status = std::to_string(r->status);
    if (r->status == 429 || r->status >= 500) {
        const seconds wait = retryAfter(r->header("Retry-After"), unixNow());
        return failed(source + "HTTP status " + status
                          + (wait.count() ? " (asked to wait " + std::to_string(wait.count()) + " s)" : ""),
                      status, wait);
    }
    if (r->status == 401 || r->status == 403)
        return failed(source + "HTTP status " + status + ": access refused; a key may be needed", status);
    if (htmlPage(*r))
        return failed(source + "answered with an HTML page: a key or a browser check may be needed", "HTML page");
    return read(*r);
}

} // namespace quoterra::service
