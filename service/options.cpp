#include "options.h"

#include "net/http_get.h"
#include "version.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace quoterra::service {

namespace {

constexpr std::int64_t kMaxLatencyMs = 600'000;
constexpr unsigned kMaxIdleExit = 7 * 24 * 3600;

template <typename T> std::optional<T> parseUnsigned(std::string_view text, T max)
{
    T value{};
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > max)
        return std::nullopt;
    return value;
}

std::optional<double> parseFraction(std::string_view text)
{
    double value = 0;
    if (text.empty())
        return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0 || value > 1)
        return std::nullopt;
    return value;
}

// "scheme://host[:port]", an optional final slash dropped; empty when the
// text is anything more or less than an http(s) origin.
std::string originOnly(std::string url)
{
    if (url.ends_with('/'))
        url.pop_back();
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos || url.find_first_of("/?#@", scheme + 3) != std::string::npos
        || net::originOf(url).empty())
        return {};
    return url;
}

} // namespace

std::string versionString()
{
    return std::to_string(kVersionMajor) + '.' + std::to_string(kVersionMinor) + '.' + std::to_string(kVersionRevision);
}

std::string usage()
{
    return "Usage: quoterra-service [options]\n"
           "The local quote service of the Quoterra ticker: it answers the quote, chart,\n"
           "version and research addresses the ticker uses, from live market data or\n"
           "from a simulated market.\n"
           "\n"
           "  --port N                 TCP port to listen on (default 8642; 0 picks a free one)\n"
           "  --bind ADDR              address to listen on (default 127.0.0.1)\n"
           "  --announce               tell this user's tickers where it listens, in\n"
           "                           $XDG_RUNTIME_DIR/quoterra/service; one such service\n"
           "                           a user\n"
           "  --market live|simulated  live: delayed quotes and charts from public sources\n"
           "                           (default); simulated: a made-up market for offline use;\n"
           "                           the environment's QUOTERRA_MARKET sets the default\n"
           "  --idle-exit SECONDS      end after this long without a request (default 600;\n"
           "                           0 never ends)\n"
           "  --request-timeout SECONDS  time a client has to send a whole request head\n"
           "                           (default 10)\n"
           "  --version-file-text TEXT body of /currentversion.txt (default 4.00)\n"
           "\n"
           "Live market:\n"
           "  --source-url NAME=URL    origin (scheme, host, port) of the source NAME, chart,\n"
           "                           quote or csv; URL 'off' leaves that source out\n"
           "                           (defaults https://query1.finance.yahoo.com,\n"
           "                           https://api.nasdaq.com and https://stooq.com)\n"
           "  --research-url URL       site the research links lead to\n"
           "                           (default https://finance.yahoo.com)\n"
           "  --upstream-timeout SECONDS  limit for one request to a source, 1 to 59 (default 10)\n"
           "  --check-sources [SYMBOL] ask every source once for SYMBOL (default IBM), print\n"
           "                           what each answered, and exit: 0 when one answered\n"
           "Keys for the sources that need one (csv) are read from\n"
           "$XDG_CONFIG_HOME/Quoterra/sources.ini, a file that you alone may read.\n"
           "\n"
           "Simulated market, tests and demos:\n"
           "  --seed N                 seed of the simulated market (default: from the clock)\n"
           "  --latency-ms N           delay every answer by N milliseconds (default 0)\n"
           "  --fail-rate F            share 0..1 of quote, chart and version answers that\n"
           "                           fail with status 503 (default 0)\n"
           "  --test-control           answer /_control/requests, /_control/fail-next and\n"
           "                           /_control/reset, which let any local program steer\n"
           "                           the service\n"
           "\n"
           "  --help                   show this text and exit\n"
           "  --version                show the version and exit\n"
           "\n"
           "Exit status: 0 stopped by a signal or idle; 1 failed (with --check-sources:\n"
           "no source answered); 2 bad command line; 3 another quoterra-service already\n"
           "serves the address (or, with --announce, this user); 4 the port is taken by\n"
           "another program.\n";
}

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    ParsedOptions result;
    Options& o = result.options;
    const auto fail = [&](std::string message) {
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--check-sources") {
            o.checkSources = true;
            if (!value && i + 1 < args.size() && !args[i + 1].starts_with('-'))
                value = args[++i];
            if (value && (value->empty() || value->size() > 20))
                return fail("--check-sources takes a symbol of 1 to 20 characters, not '" + *value + "'");
            if (value)
                o.checkSymbol = *value;
            continue;
        }
        static constexpr std::string_view kSwitches[] = {"--help", "-h", "--version", "--test-control", "--announce"};
        if (std::find(std::begin(kSwitches), std::end(kSwitches), name) != std::end(kSwitches)) {
            if (value)
                return fail(name + " takes no value");
            if (name == "--version")
                o.version = true;
            else if (name == "--test-control")
                o.testControl = true;
            else if (name == "--announce")
                o.announce = true;
            else
                o.help = true;
            continue;
        }
        static constexpr std::string_view kWithValue[] = {"--port",       "--bind",         "--seed",
                                                          "--latency-ms", "--fail-rate",    "--version-file-text",
                                                          "--market",     "--idle-exit",    "--request-timeout",
                                                          "--source-url", "--research-url", "--upstream-timeout"};
        if (std::find(std::begin(kWithValue), std::end(kWithValue), name) == std::end(kWithValue))
            return fail("unknown option '" + name + "'");
        if (!value) {
            if (i + 1 >= args.size())
                return fail(name + " needs a value");
            value = args[++i];
        }
        const std::string& v = *value;

        if (name == "--port") {
            const auto port = parseUnsigned<unsigned>(v, 65535);
            if (!port)
                return fail("--port must be a number from 0 to 65535, not '" + v + "'");
            o.port = static_cast<std::uint16_t>(*port);
        } else if (name == "--bind") {
            if (v.empty())
                return fail("--bind needs an address");
            o.bind = v;
        } else if (name == "--market") {
            if (v != "live" && v != "simulated")
                return fail("--market must be live or simulated, not '" + v + "'");
            o.market = v == "live" ? MarketKind::Live : MarketKind::Simulated;
        } else if (name == "--seed") {
            const auto seed = parseUnsigned<std::uint64_t>(v, UINT64_MAX);
            if (!seed)
                return fail("--seed must be a whole number from 0 to 18446744073709551615, not '" + v + "'");
            o.seed = *seed;
            o.seedGiven = true;
        } else if (name == "--latency-ms") {
            const auto ms = parseUnsigned<std::int64_t>(v, kMaxLatencyMs);
            if (!ms)
                return fail("--latency-ms must be a whole number of milliseconds from 0 to "
                            + std::to_string(kMaxLatencyMs) + ", not '" + v + "'");
            o.latency = std::chrono::milliseconds(*ms);
        } else if (name == "--fail-rate") {
            const auto rate = parseFraction(v);
            if (!rate)
                return fail("--fail-rate must be a number from 0 to 1, not '" + v + "'");
            o.failRate = *rate;
        } else if (name == "--version-file-text") {
            o.versionText = v;
        } else if (name == "--idle-exit") {
            const auto seconds = parseUnsigned<unsigned>(v, kMaxIdleExit);
            if (!seconds)
                return fail("--idle-exit must be a whole number of seconds from 0 to " + std::to_string(kMaxIdleExit)
                            + ", not '" + v + "'");
            o.idleExit = std::chrono::seconds(*seconds);
        } else if (name == "--request-timeout" || name == "--upstream-timeout") {
            const unsigned most = name == "--request-timeout" ? 600 : 59;
            const auto seconds = parseUnsigned<unsigned>(v, most);
            if (!seconds || *seconds == 0)
                return fail(name + " must be a whole number of seconds from 1 to " + std::to_string(most) + ", not '"
                            + v + "'");
            (name == "--request-timeout" ? o.requestTimeout : o.upstreamTimeout) = std::chrono::seconds(*seconds);
        } else if (name == "--source-url") {
            const auto eq = v.find('=');
            const std::string source = v.substr(0, eq);
            if (eq == std::string::npos || (source != "chart" && source != "quote" && source != "csv"))
                return fail("--source-url must be chart=URL, quote=URL or csv=URL, not '" + v + "'");
            std::string url = v.substr(eq + 1);
            if (url != "off" && (url = originOnly(url)).empty())
                return fail("--source-url " + source
                            + " must be an http or https origin such as "
                              "http://127.0.0.1:8000, or off, not '"
                            + v.substr(eq + 1) + "'");
            std::string& origin = source == "chart" ? o.chartSource : source == "quote" ? o.quoteSource : o.csvSource;
            origin = url == "off" ? std::string() : url;
        } else if (name == "--research-url") {
            const std::string url = originOnly(v);
            if (url.empty())
                return fail("--research-url must be an http or https origin such as https://finance.example, not '" + v
                            + "'");
            o.researchSite = url;
        }
    }
    return result;
}

} // namespace quoterra::service
