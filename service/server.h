#pragma once

#include "options.h"

#include <memory>
#include <string>

namespace quoterra::service {

// The HTTP side of the service: routes, added latency, deliberate failures
// and the test control endpoints under /_control/.
class QuoteServer {
public:
    explicit QuoteServer(const Options& options);
    ~QuoteServer();
    QuoteServer(const QuoteServer&) = delete;
    QuoteServer& operator=(const QuoteServer&) = delete;

    // Binds the listening socket. Returns the port, or -1 with a reason in `error`.
    int bind(std::string& error);
    // Serves on the bound socket until stop(); false if serving failed.
    bool serve();
    // Safe from any thread; wakes requests that are waiting out their latency.
    void stop();
    bool isRunning() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace quoterra::service
