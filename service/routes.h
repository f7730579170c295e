#pragma once

#include "backend.h"
#include "charts.h"
#include "market.h"
#include "reply.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

// Decodes %XX escapes; a '%' not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text, bool plusIsSpace);

// The value of `key` in a raw query string. Clients put symbols into the
// query unescaped, so "s=AT&T&f=x" must give "AT&T": the value runs on over
// '&' until a piece that starts another of the `keys` the address can carry.
// Returns the decoded value, or an empty text when the key is absent.
std::string queryValue(std::string_view rawQuery, std::string_view key, std::initializer_list<std::string_view> keys,
                       bool plusIsSpace = false);
// The same, as it stands in the query.
std::string rawQueryValue(std::string_view rawQuery, std::string_view key,
                          std::initializer_list<std::string_view> keys);

// A GET target's path and its raw query (what follows the first '?').
struct Target {
    std::string_view path;
    std::string_view query;
};
Target splitTarget(std::string_view target);

// The addresses of the ticker and its pages, told apart.
struct Route {
    enum class Kind { Quote, Chart, Version, Research, ChartPage, Board, Lookup, Start, NotFound };
    Kind kind = Kind::NotFound;
    std::string symbol;                    // decoded, as sent; for Lookup the query
    std::vector<std::string> symbols;      // Quote: each symbol asked, in order
    ChartRange range = ChartRange::OneDay; // Chart
    std::string_view title;                // Research: "News", "Profile", ...
    std::string_view page;                 // Research: that page's name on a finance site
    std::string code;                      // ChartPage: the range code, "1b", "5d", ...
};
Route routeOf(std::string_view target);

Reply notFound();
Reply versionReply(const std::string& text);

// Answers one GET target (path and raw query, as on the request line) of the
// quote, chart, version and research addresses from the simulated market.
// Thread-safe.
class Routes {
public:
    Routes(std::uint64_t seed, Calendar calendar, std::string versionText);
    ~Routes();

    Reply answer(std::string_view target, SimTime now) const;

    const Market& market() const { return market_; }
    const Calendar& calendar() const { return calendar_; }

private:
    Reply quote(std::string_view symbol, SimTime now) const;
    Reply chart(std::string_view symbol, ChartRange range, SimTime now) const;
    Reply researchPage(std::string_view what, std::string_view symbol, SimTime now) const;
    Reply chartPage(std::string_view symbol, std::string_view code, SimTime now) const;
    Reply boardPage(std::string_view symbol, SimTime now) const;
    Reply lookupPage(std::string_view query) const;
    Reply startPage() const;
    std::string quoteSummary(std::string_view symbol, SimTime now) const;

    Market market_;
    Calendar calendar_;
    std::string versionText_;
    // Quotes and charts change once a simulated minute; until then the
    // drawn answer stands.
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

// The simulated market on the service's clock.
class SimulatedBackend : public Backend {
public:
    SimulatedBackend(std::uint64_t seed, std::string versionText);
    void answer(std::string_view target, Respond respond) override;
    std::string status() const override;

private:
    Routes routes_;
    SimClock clock_;
};

} // namespace quoterra::service
