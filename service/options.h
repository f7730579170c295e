#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quoterra::service {

enum class MarketKind { Live, Simulated };

struct Options {
    std::uint16_t port = 8642;
    std::string bind = "127.0.0.1";
    MarketKind market = MarketKind::Live;
    std::uint64_t seed = 0;
    bool seedGiven = false; // otherwise the seed comes from the clock
    std::chrono::milliseconds latency{0};
    double failRate = 0; // share of quote, chart and version answers that fail
    std::string versionText = "4.00";
    bool testControl = false;                // the /_control/ endpoints
    bool announce = false;                   // in the user's runtime folder, for the user's tickers
    std::chrono::seconds requestTimeout{10}; // for a whole request head
    std::chrono::seconds idleExit{600};      // zero: never
    // Live market: where each source lives ("" turns it off) and where
    // research links lead.
    std::string chartSource = "https://query1.finance.yahoo.com";
    std::string quoteSource = "https://api.nasdaq.com";
    std::string csvSource = "https://stooq.com";
    std::string researchSite = "https://finance.yahoo.com";
    std::chrono::seconds upstreamTimeout{10};
    bool help = false;
    bool version = false;
    // --check-sources: ask every source once for this symbol, print the
    // outcome and exit.
    bool checkSources = false;
    std::string checkSymbol = "IBM";
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when the command line is good
};

// Accepts "--name value" and "--name=value"; a later option overrides an
// earlier one.
ParsedOptions parseOptions(const std::vector<std::string>& args);

std::string usage();

// "4.0.0", from the one place the version lives.
std::string versionString();

} // namespace quoterra::service
