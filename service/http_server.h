#pragma once

#include "reply.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace quoterra::service {

// What a client may cost the service. A ticker asks for one short line at a
// time, so everything beyond a small request head is refused.
struct ServerLimits {
    std::size_t maxConnections = 256;
    std::uint32_t maxHeadBytes = 16 * 1024; // request line and every header
    std::size_t maxHeaderFields = 100;
    std::uint64_t maxBodyBytes = 1024; // the service takes no uploads
    // From the first byte of a request to the end of its head, however the
    // bytes trickle in.
    std::chrono::milliseconds requestTimeout{10'000};
    // How long a connection may wait for a request to begin.
    std::chrono::milliseconds idleTimeout{30'000};
};

struct Request {
    std::string_view method;
    std::string_view target;
};

using Handler = std::function<void(const Request&, Respond)>;

// An HTTP/1.1 server on Boost.Beast. Connections past the limit push out the
// one that has waited longest for a request (idle ones before those half-way
// through a head); every answer carries the `identity` headers (the
// service's name and token). It answers only requests that name it in their
// Host (see OwnName), with 421 to others.
class HttpServer {
public:
    HttpServer(ServerLimits limits, Headers identity, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens. Returns the port, or -1 with the reason in `error`.
    int listen(const std::string& address, std::uint16_t port, std::error_code& error);
    // Serves on `threads` threads of its own until stop().
    void start(int threads);
    void stop();

    // For --idle-exit: when the last request arrived or was answered, and
    // how many are being answered now.
    std::chrono::steady_clock::time_point lastActivity() const;
    int requestsInFlight() const;

    // Runs a function on the server's threads after a delay (added latency).
    void after(std::chrono::milliseconds delay, std::function<void()> task);

    struct Shared;

private:
    std::shared_ptr<Shared> d;
};

} // namespace quoterra::service
