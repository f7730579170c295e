#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quoterra::service {

enum class ReplyKind {
    Quote, // these three may be failed on purpose (--fail-rate, fail-next)
    Chart,
    Version,
    Page,
    NotFound,
};

using Headers = std::vector<std::pair<std::string, std::string>>;

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    ReplyKind kind = ReplyKind::Page;
    Headers headers = {}; // beyond type, length and the service's own
};

inline Reply textReply(int status, std::string body, ReplyKind kind = ReplyKind::Page)
{
    return Reply{status, "text/plain; charset=utf-8", std::move(body), kind};
}

// The answer when making one threw: the service carries on.
inline Reply internalError(std::string_view what)
{
    return textReply(500, "Internal error: " + std::string(what) + '\n');
}

// What `make` answers, or internalError when it throws.
template <typename Make> Reply replyOrInternalError(Make&& make)
{
    try {
        return make();
    } catch (const std::exception& e) {
        return internalError(e.what());
    }
}

// Hands an answer back to the connection that asked: called exactly once,
// from any thread, possibly before the call that received it returns.
using Respond = std::function<void(Reply)>;

} // namespace quoterra::service
