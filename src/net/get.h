#pragma once

#include "text.h"

#include <atomic>
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
    for (const auto& [field, value] : fields)
        if (equalsIgnoringCase(field, name))
            return value;
    return {};
}

struct GetResult {
    long status = 0;      // the last HTTP status; 0 when no answer arrived
    std::string body;     // decoded (gzip and the like undone)
    std::string error;    // why the transfer failed; empty when a whole answer arrived
    bool refused = false; // nothing accepted the connection
    // The header fields of the last answer as sent, names as spelt there.
    HeaderFields headers;
    bool transferred() const { return error.empty() && status != 0; }
    std::string header(std::string_view name) const { return findHeader(headers, name); }
};

// Why a transfer failed, in the same words from either client.
inline constexpr std::string_view kTimedOut = "no complete answer in time";
inline constexpr std::string_view kCancelled = "cancelled";

inline constexpr std::string_view kBodyTooLarge = "the answer is larger than ";
inline constexpr std::string_view kHeadTooLarge = "the answer's header is larger than ";

inline std::string bodyTooLargeError(std::size_t maxBody)
{
    return std::string(kBodyTooLarge) + std::to_string(maxBody) + " bytes";
}

inline std::string headTooLargeError(std::size_t maxHeaderBytes)
{
    return std::string(kHeadTooLarge) + std::to_string(maxHeaderBytes) + " bytes";
}

// Whether a transfer failed because the answer's head or body passed its cap.
inline bool tooLarge(const GetResult& result)
{
    return result.error.starts_with(kBodyTooLarge) || result.error.starts_with(kHeadTooLarge);
}

// Whether the answer of hop `hop` (0 for the first address) may be followed
// to an address of `nextOrigin` (empty when it has none); when not, the
// transfer has failed and `result` says why.
inline bool mayFollowRedirect(std::string_view origin, std::string_view nextOrigin, int hop, const GetOptions& options,
                              GetResult& result)
{
    if (nextOrigin.empty() || nextOrigin != origin) {
        result.error = "redirected to another site";
        return false;
    }
    if (hop >= options.maxRedirects) {
        result.error = "too many redirects";
        return false;
    }
    return true;
}

} // namespace quoterra::net
