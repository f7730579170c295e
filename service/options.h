#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quoterra::service {

struct Options {
    std::uint16_t port = 8642;
    std::string bind = "127.0.0.1";
    std::uint64_t seed = 0;
    bool seedGiven = false; // otherwise the seed comes from the clock
    std::chrono::milliseconds latency{0};
    double failRate = 0;    // share of quote, chart and version answers that fail
    std::string versionText = "4.00";
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error; // empty when the command line is good
};

// Accepts "--name value" and "--name=value".
ParsedOptions parseOptions(const std::vector<std::string>& args);

std::string usage();

} // namespace quoterra::service
