#pragma once

#include "sources.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the sources' own files share; not for anything else.
namespace quoterra::service {

// An answer of that outcome that carries no data.
SourceAnswer withOutcome(SourceAnswer::Outcome outcome, std::string why = {}, std::string brief = {},
                         std::chrono::seconds retryAfter = std::chrono::seconds(0));
// The source's own failure: `why` in a sentence, `brief` in a word or two.
SourceAnswer failed(std::string why, std::string brief = "unreadable answer",
                    std::chrono::seconds retryAfter = std::chrono::seconds(0));
// An answer that has data, to be filled in.
SourceAnswer withData();

// A year's chart shows the last 260 sessions of daily closes.
void keepLastYear(std::vector<Bar>& bars);
// Adds a daily close in date order, keeping at most about two years' worth,
// so a history of decades costs no more than a year of it.
void addDailyClose(std::vector<Bar>& bars, Bar bar);

// A moment from 1973 to the year 2286; anything else is no trade's time.
bool plausibleMoment(std::int64_t unixSeconds);

// A source that asks its origin through the Upstream.
class UpstreamSource : public Source {
public:
    UpstreamSource(std::string_view name, std::string_view label, std::string origin, Upstream& upstream);
    std::string_view name() const override { return name_; }
    std::string_view label() const override { return label_; }
    const std::string& origin() const override { return origin_; }

protected:
    using Reader = std::function<SourceAnswer(const net::GetResult&)>;
    // GETs `target` (path and query) at the origin and hands an answer
    // worth reading to `read`. Otherwise: Throttled when the rate limit said
    // no, else Failed (no whole answer, 429, 5xx, access refused, an HTML
    // page where data was expected).
    SourceAnswer get(const std::string& target, const Reader& read);

private:
    std::string_view name_;
    std::string_view label_;
    std::string origin_;
    Upstream& upstream_;
};

} // namespace quoterra::service
