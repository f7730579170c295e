#include "sources.h"

#include "source_kit.h"

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

} // namespace

SourceAnswer withOutcome(Outcome outcome, std::string why, seconds retryAfter)
{
    SourceAnswer a;
    a.outcome = outcome;
    a.error = std::move(why);
    a.retryAfter = retryAfter;
    return a;
}

SourceAnswer failed(std::string why, seconds retryAfter)
{
    return withOutcome(Outcome::Failed, std::move(why), retryAfter);
}

void keepLastYear(std::vector<Bar>& bars)
{
    if (bars.size() > kYearBars)
        bars.erase(bars.begin(), bars.end() - kYearBars);
}

Upstream::Upstream(Config config)
    : config_(config)
    , tokens_(config.burst)
    , refilled_(steady_clock::now())
{
}

std::optional<net::GetResult> Upstream::get(const std::string& url)
{
    {
        std::lock_guard lock(mutex_);
        const auto now = steady_clock::now();
        tokens_ = std::min(config_.burst, tokens_ + duration<double>(now - refilled_).count() * config_.perSecond);
        refilled_ = now;
        if (tokens_ < 1)
            return std::nullopt;
        tokens_ -= 1;
    }
    ++requests_;
    net::GetOptions options;
    options.timeout = config_.timeout;
    options.maxBody = config_.maxBody;
    options.userAgent = kBrowserAgent;
    options.headers = {"Accept: application/json, text/csv, */*"};
    options.cancel = &cancelled_;
    return net::get(url, options);
}

UpstreamSource::UpstreamSource(std::string_view name, std::string origin, Upstream& upstream)
    : name_(name)
    , origin_(std::move(origin))
    , upstream_(upstream)
{
}

SourceAnswer UpstreamSource::get(const std::string& target, const Reader& read)
{
    const auto r = upstream_.get(origin_ + target);
    if (!r)
        return withOutcome(Outcome::Throttled, "too many upstream requests; waiting for the rate limit");
    const std::string source = std::string(name_) + " source: ";
    if (!r->transferred())
        return failed(source + r->error);
    if (r->status == 429 || r->status >= 500) {
        long wait = 0;
        const std::string after = r->header("Retry-After");
        std::from_chars(after.data(), after.data() + after.size(), wait);
        return failed(source + "HTTP status " + std::to_string(r->status), seconds(std::clamp(wait, 0L, 3600L)));
    }
    return read(*r);
}

} // namespace quoterra::service
