#pragma once

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What one blocking GET of a whole resource is asked to respect, and what it
// brings back. Every transfer ends by its deadline whatever the server
// sends, and reading stops at the caps: an endless header or body is a
// failure, never a flood.
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

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// The first field of that name, any case; empty when there is none.
inline std::string findHeader(const HeaderFields& fields, std::string_view name)
{
    const auto same = [name](const std::string& field) {
        return std::equal(field.begin(), field.end(), name.begin(), name.end(),
                          [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    };
    for (const auto& [field, value] : fields)
        if (same(field))
            return value;
    return {};
}

struct GetResult {
    long status = 0;  // the last HTTP status; 0 when no answer arrived
    std::string body; // decoded (gzip and the like undone)
    std::string contentType;
    std::string error;    // why the transfer failed; empty when a whole answer arrived
    bool refused = false; // nothing accepted the connection
    // The header fields of the last answer as sent, names as spelt there.
    HeaderFields headers;
    bool transferred() const { return error.empty() && status != 0; }
    std::string header(std::string_view name) const { return findHeader(headers, name); }
};

} // namespace quoterra::net
