// quoterra-service: the bundled local quote service. See usage() for options.

#include "options.h"
#include "server.h"

#include <netdb.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <iostream>
#include <thread>

using namespace quoterra::service;

namespace {

constexpr int kBadUsage = 2;

bool resolvable(const std::string& host, std::string& reason)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(host.c_str(), "0", &hints, &result);
    if (rc != 0) {
        reason = gai_strerror(rc);
        return false;
    }
    freeaddrinfo(result);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "quoterra-service: " << parsed.error << "\nTry 'quoterra-service --help'.\n";
        return kBadUsage;
    }
    if (parsed.options.help) {
        std::cout << usage() << std::flush;
        return 0;
    }
    Options options = parsed.options;
    if (!options.seedGiven)
        options.seed = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())
                       ^ (static_cast<std::uint64_t>(getpid()) << 40);

    std::string reason;
    if (!resolvable(options.bind, reason)) {
        std::cerr << "quoterra-service: --bind: cannot use address '" << options.bind << "': " << reason << '\n';
        return kBadUsage;
    }

    // Signals are taken by sigtimedwait below, in this thread only: block them
    // before any worker thread exists so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN); // a client that hangs up must not end the service

    QuoteServer server(options);
    std::string error;
    const int port = server.bind(error);
    if (port < 0) {
        std::cerr << "quoterra-service: " << error << '\n';
        return 1;
    }

    std::atomic<bool> ended{false};
    bool served = true;
    std::thread listener([&] {
        served = server.serve();
        ended = true;
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server.isRunning() && !ended && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!server.isRunning()) {
        server.stop();
        listener.join();
        std::cerr << "quoterra-service: the server did not start\n";
        return 1;
    }

    const bool v6 = options.bind.find(':') != std::string::npos;
    std::cout << "quoterra-service listening on http://" << (v6 ? "[" : "") << options.bind << (v6 ? "]" : "")
              << ':' << port << std::endl;

    bool signalled = false;
    while (!ended) {
        const timespec tick{0, 200'000'000};
        const int sig = sigtimedwait(&stopSignals, nullptr, &tick);
        if (sig == SIGINT || sig == SIGTERM) {
            signalled = true;
            break;
        }
    }
    server.stop();
    // Workers finish the answers in flight, but an idle keep-alive connection
    // can hold one for seconds; a stop request should not wait for that.
    const auto grace = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!ended && std::chrono::steady_clock::now() < grace)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!ended) {
        std::cout.flush();
        std::_Exit(signalled ? 0 : 1);
    }
    listener.join();
    if (!signalled && !served) {
        std::cerr << "quoterra-service: the server stopped unexpectedly\n";
        return 1;
    }
    return 0;
}
