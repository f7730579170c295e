#pragma once

#include "options.h"

#include <chrono>
#include <memory>
#include <string>
#include <system_error>

namespace quoterra::service {

// The service as clients see it: the market's addresses, /_status, added
// latency, deliberate failures and, with --test-control, the control
// endpoints under /_control/.
class QuoteServer {
public:
    explicit QuoteServer(const Options& options);
    ~QuoteServer();
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    // Binds the listening socket. Returns the port, or -1 with the reason.
    int listen(std::error_code& error);
    void start();
    // Safe from any thread.
    void stop();
    // What every answer carries in its X-Quoterra-Token header, new for
    // every server.
    const std::string& token() const;
    // No request has come in or been answered for that long.
    bool idleFor(std::chrono::seconds span) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace quoterra::service
