#pragma once

#include "fake_source.h"

#include <map>
#include <mutex>
#include <string>

// A quote service whose prices the test sets and moves at will, for what
// the simulated market cannot do on demand. It answers quote requests for
// one symbol or several ("s=IBM+MSFT", a line each, in order); a symbol it
// was given no price for gets the N/A line in its place. Anything else is a
// 404. Free of Qt.
class QuoteStandIn {
public:
    QuoteStandIn();
    void setPrice(const std::string& symbol, double price);
    std::string origin() const { return server_.origin(); }
    // Requests so far whose symbols include `symbol`.
    int asked(const std::string& symbol) const;
    FakeSource& server() { return server_; }

private:
    std::string line(const std::string& symbol) const;

    mutable std::mutex mutex_;
    std::map<std::string, std::pair<double, double>> prices_; // symbol -> (first, now)
    FakeSource server_;
};
