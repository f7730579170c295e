// quoterra-service: the bundled local quote service. See usage() for options.

#include "announcer.h"
#include "check_sources.h"
#include "options.h"
#include "server.h"

#include "net/http_get.h"

#include <netdb.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>

using namespace quoterra::service;

namespace {

// Exit codes; the usage text lists them.
constexpr int kFailed = 1;
constexpr int kBadUsage = 2;
constexpr int kAlreadyServed = 3;
constexpr int kPortTaken = 4;

// The numeric form of a host name or address to listen on; empty with the
// reason when it names nothing.
std::string numericAddress(const std::string& host, std::string& reason)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(host.c_str(), "0", &hints, &result);
    if (rc != 0) {
        reason = gai_strerror(rc);
        return {};
    }
    char text[NI_MAXHOST] = {};
    const int named = getnameinfo(result->ai_addr, result->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
    freeaddrinfo(result);
    if (named != 0) {
        reason = gai_strerror(named);
        return {};
    }
    return text;
}

std::string hostForUrl(const std::string& address)
{
    return address.find(':') != std::string::npos ? '[' + address + ']' : address;
}

// "http://HOST:PORT" of a listening address, as a client on this machine
// reaches it.
std::string originOf(const std::string& address, int port)
{
    const std::string host = address == "0.0.0.0" ? "127.0.0.1" : address == "::" ? "::1" : address;
    return "http://" + hostForUrl(host) + ':' + std::to_string(port);
}

// Whether the program holding the port is a quoterra-service: ours name
// themselves in every answer.
bool servedByUs(const std::string& address, std::uint16_t port)
{
    quoterra::net::GetOptions options;
    options.timeout = std::chrono::seconds(3);
    options.maxRedirects = 0;
    const auto answer = quoterra::net::get(originOf(address, port) + "/_status", options);
    return answer.header("Server").starts_with("quoterra-service/");
}

// Many idle and slow clients are expected and bounded by the server itself;
// the descriptor limit must not be what stops them first.
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // QUOTERRA_MARKET chooses the market of a service that a ticker starts;
    // --market on the command line still decides.
    if (const char* market = std::getenv("QUOTERRA_MARKET"); market && *market)
        args.insert(args.begin(), {"--market", market});
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        std::cerr << "quoterra-service: " << parsed.error << '\n'
                  << "Usage: quoterra-service [--port N] [--bind ADDR] [--market live|simulated] [OPTION]... "
                     "(see --help)\n";
        return kBadUsage;
    }
    if (parsed.options.help) {
        std::cout << usage() << std::flush;
        return 0;
    }
    if (parsed.options.version) {
        std::cout << "quoterra-service " << versionString() << std::endl;
        return 0;
    }
    if (parsed.options.checkSources)
        return checkSources(parsed.options, std::cout) == 0 ? 0 : kFailed;
    Options options = parsed.options;
    if (!options.seedGiven)
        options.seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())
            ^ (static_cast<std::uint64_t>(getpid()) << 40);

    std::string reason;
    const std::string address = numericAddress(options.bind, reason);
    if (address.empty()) {
        std::cerr << "quoterra-service: --bind: cannot use address '" << options.bind << "': " << reason << '\n';
        return kBadUsage;
    }
    options.bind = address;
    raiseDescriptorLimit();

    // One announcing service a user: a second one steps aside before it
    // answers anything.
    std::optional<Announcer> announcer;
    if (options.announce) {
        std::string message;
        switch (announcer.emplace().claim(message)) {
        case Announcer::Claim::Claimed:
            break;
        case Announcer::Claim::Held:
            std::cerr << "quoterra-service: " << message << '\n';
            return kAlreadyServed;
        case Announcer::Claim::Failed:
            std::cerr << "quoterra-service: " << message << '\n';
            return kFailed;
        }
    }

    // Signals are taken by sigtimedwait below, in this thread only: block them
    // before any worker thread exists so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN); // a client that hangs up must not end the service

    QuoteServer server(options);
    std::error_code error;
    const int port = server.listen(error);
    const std::string where = hostForUrl(address) + ':' + std::to_string(options.port);
    if (port < 0 && error == std::errc::address_in_use) {
        if (servedByUs(address, options.port)) {
            std::cerr << "quoterra-service: another quoterra-service already serves " << where << '\n';
            return kAlreadyServed;
        }
        std::cerr << "quoterra-service: cannot listen on " << where << ": the port is in use by another program\n";
        return kPortTaken;
    }
    if (port < 0) {
        std::cerr << "quoterra-service: cannot listen on " << where << ": " << error.message() << '\n';
        return kFailed;
    }
    server.start();
    if (announcer) {
        std::string message;
        if (!announcer->announce({originOf(address, port), long(getpid()), server.token()}, message)) {
            std::cerr << "quoterra-service: " << message << '\n';
            server.stop();
            return kFailed;
        }
    }
    std::cout << "quoterra-service listening on http://" << hostForUrl(address) << ':' << port << std::endl;

    while (true) {
        const timespec tick{0, 200'000'000};
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig == SIGINT || sig == SIGTERM || sig == SIGHUP)
            break;
        if (options.idleExit.count() > 0 && server.idleFor(options.idleExit)) {
            std::cerr << "quoterra-service: no requests for " << options.idleExit.count() << " s; ending\n";
            break;
        }
    }
    if (announcer)
        announcer->withdraw(); // before it stops answering
    server.stop();
    return 0;
}
