#pragma once

#include <boost/asio/ip/address.hpp>

#include <cstdint>
#include <string_view>

namespace quoterra::service {

// Whether a request's Host names this service: its own address with its
// port. A page whose name a hostile DNS server points at 127.0.0.1 sends
// its own name, and is turned away.
class OwnName {
public:
    OwnName() = default;
    OwnName(const boost::asio::ip::address& bound, std::uint16_t port);

    // 127.0.0.1, [::1], localhost, the address it listens on, or the one the
    // connection reached (when it listens on every address), with its port;
    // no port means 80.
    bool accepts(std::string_view host, const boost::asio::ip::address& reached) const;

private:
    boost::asio::ip::address bound_;
    std::uint16_t port_ = 0;
};

} // namespace quoterra::service
