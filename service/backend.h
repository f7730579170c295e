#pragma once

#include "reply.h"

#include <string>
#include <string_view>

namespace quoterra::service {

// What stands behind the ticker's addresses: the simulated market or the
// live gateway.
class Backend {
public:
    virtual ~Backend() = default;
    // Answers a GET target (path and raw query as on the request line).
    virtual void answer(std::string_view target, Respond respond) = 0;
    // The JSON body of GET /_status.
    virtual std::string status() const = 0;
};

} // namespace quoterra::service
