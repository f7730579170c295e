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
SourceAnswer withOutcome(SourceAnswer::Outcome outcome, std::string why = {},
                         std::chrono::seconds retryAfter = std::chrono::seconds(0));
SourceAnswer failed(std::string why, std::chrono::seconds retryAfter = std::chrono::seconds(0));

// A year's chart shows the last 260 sessions of daily closes.
void keepLastYear(std::vector<Bar>& bars);

// A source that asks its origin through the Upstream.
class UpstreamSource : public Source {
public:
    UpstreamSource(std::string_view name, std::string origin, Upstream& upstream);
    std::string_view name() const override { return name_; }
    const std::string& origin() const override { return origin_; }

protected:
    using Reader = std::function<SourceAnswer(const net::GetResult&)>;
    // GETs `target` (path and query) at the origin and hands an answer
    // worth reading to `read`; what the transfer means for the source
    // otherwise: Throttled when the rate limit said no, else Failed.
    SourceAnswer get(const std::string& target, const Reader& read);

private:
    std::string_view name_;
    std::string origin_;
    Upstream& upstream_;
};

} // namespace quoterra::service
