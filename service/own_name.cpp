#include "own_name.h"

#include "net/text.h"

#include <charconv>
#include <string>

namespace quoterra::service {

namespace asio = boost::asio;

namespace {

asio::ip::address plain(const asio::ip::address& a)
{
    if (a.is_v6() && a.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, a.to_v6());
    return a;
}

} // namespace

OwnName::OwnName(const asio::ip::address& bound, std::uint16_t port)
    : bound_(plain(bound))
    , port_(port)
{
}

bool OwnName::accepts(std::string_view host, const asio::ip::address& reached) const
{
    // HOST[:PORT], HOST an IPv6 address in brackets, a dotted one or a name
    std::string_view name = host, port;
    if (host.starts_with('[')) {
        const std::size_t close = host.find(']');
        if (close == std::string_view::npos)
            return false;
        name = host.substr(1, close - 1);
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return false;
        port = rest.empty() ? rest : rest.substr(1);
    } else if (const std::size_t colon = host.rfind(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        port = host.substr(colon + 1);
    }
    unsigned number = 80;
    if (!port.empty() || host.ends_with(':')) {
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (ec != std::errc() || end != port.data() + port.size())
            return false;
    }
    if (number != port_)
        return false;

    boost::system::error_code ec;
    const auto address = host.starts_with('[') ? asio::ip::address(asio::ip::make_address_v6(std::string(name), ec))
                                               : asio::ip::address(asio::ip::make_address_v4(std::string(name), ec));
    if (ec)
        return net::equalsIgnoringCase(name, "localhost") || net::equalsIgnoringCase(name, "localhost.");
    const auto a = plain(address);
    if (a.is_unspecified())
        return false;
    return a == asio::ip::address_v4::loopback() || a == asio::ip::address_v6::loopback() || a == bound_
        || a == plain(reached);
}

} // namespace quoterra::service
