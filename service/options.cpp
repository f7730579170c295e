#include "options.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace quoterra::service {

namespace {

constexpr std::int64_t kMaxLatencyMs = 600'000;

template <typename T>
std::optional<T> parseUnsigned(std::string_view text, T max)
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

} // namespace

std::string usage()
{
    return "Usage: quoterra-service [options]\n"
           "A simulated market that answers the quote, chart, version and research\n"
           "addresses the Quoterra ticker uses, for offline use and tests.\n"
           "\n"
           "  --port N                 TCP port to listen on (default 8642; 0 picks a free one)\n"
           "  --bind ADDR              address to listen on (default 127.0.0.1)\n"
           "  --seed N                 seed of the simulated market (default: from the clock)\n"
           "  --latency-ms N           delay every answer by N milliseconds (default 0)\n"
           "  --fail-rate F            share 0..1 of quote, chart and version answers that\n"
           "                           fail with status 503 (default 0)\n"
           "  --version-file-text TEXT body of /currentversion.txt (default 4.00)\n"
           "  --help                   show this text and exit\n";
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
        if (name == "--help" || name == "-h") {
            if (value)
                return fail("--help takes no value");
            o.help = true;
            continue;
        }
        static constexpr std::string_view kWithValue[] = {"--port", "--bind", "--seed", "--latency-ms", "--fail-rate",
                                                          "--version-file-text"};
        bool known = false;
        for (auto k : kWithValue)
            known = known || name == k;
        if (!known)
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
        }
    }
    return result;
}

} // namespace quoterra::service
