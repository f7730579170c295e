#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A blocking HTTP(S) GET of one whole resource, built on libcurl, shared by
// the ticker's transfers and the quote service's upstream requests. Every
// transfer ends by its deadline whatever the server sends, and reading stops
// at the caps: an endless header or body is a failure, never a flood.
namespace quoterra::net {

struct GetOptions {
    // The whole transfer, connecting and every redirect included.
    std::chrono::milliseconds timeout{60'000};
    std::size_t maxBody = std::size_t(1) << 20;
    std::size_t maxHeaderBytes = 64 * 1024;
    // Redirects are followed only within the origin (scheme, host, port)
    // of the first address; zero follows none.
    int maxRedirects = 5;
    std::string userAgent;
    std::vector<std::string> headers; // "Name: value"
    // Set from any thread to stop the transfer within a fraction of a second.
    const std::atomic<bool>* cancel = nullptr;
};

struct GetResult {
    long status = 0;     // the last HTTP status; 0 when no answer arrived
    std::string body;    // decoded (gzip and the like undone)
    std::string contentType;
    std::string error;   // why the transfer failed; empty when a whole answer arrived
    bool refused = false; // nothing accepted the connection
    // The header fields of the last answer as sent, names as spelt there.
    std::vector<std::pair<std::string, std::string>> headers;
    bool transferred() const { return error.empty() && status != 0; }
    // The first field of that name, any case; empty when there is none.
    std::string header(std::string_view name) const;
};

GetResult get(const std::string& url, const GetOptions& options = {});

// "scheme://host:port" of an absolute http(s) address, lower-cased, the port
// always written out; empty
// for anything else.
std::string originOf(const std::string& url);

} // namespace quoterra::net
