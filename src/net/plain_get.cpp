#include "plain_get.h"

#include <netdb.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace quoterra::net {

namespace {

using Clock = std::chrono::steady_clock;

// Reading stops after this much per step, so a flood cannot hold up the
// rest of an event loop.
constexpr std::size_t kReadPerStep = 256 * 1024;

struct Address {
    std::string scheme; // lower case
    std::string host;   // an IPv6 host without its brackets
    std::string port;
    std::string target; // path and query, as sent
    std::string bracketedHost() const { return host.find(':') != std::string::npos ? '[' + host + ']' : host; }
    std::string origin() const { return scheme + "://" + bracketedHost() + ':' + port; }
};

// Spaces, controls and bytes past ASCII are sent escaped, as a browser does.
std::string escapedTarget(std::string_view target)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : target) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out.empty() || out.front() != '/' ? '/' + out : out;
}

// http:// and https:// addresses; only http:// ones are fetched.
std::optional<Address> parse(std::string_view url)
{
    Address a;
    const std::size_t colon = url.find("://");
    if (colon == std::string_view::npos)
        return std::nullopt;
    a.scheme = lowerAscii(url.substr(0, colon));
    if (a.scheme != "http" && a.scheme != "https")
        return std::nullopt;
    std::string_view rest = url.substr(colon + 3);
    const std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    std::string_view target = rest.substr(authority.size());
    target = target.substr(0, target.find('#'));
    if (authority.find('@') != std::string_view::npos)
        return std::nullopt;
    std::string_view host = authority;
    std::string_view port;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty() && !after.starts_with(':'))
            return std::nullopt;
        port = after.empty() ? after : after.substr(1);
    } else if (const std::size_t at = authority.rfind(':'); at != std::string_view::npos) {
        host = authority.substr(0, at);
        port = authority.substr(at + 1);
    }
    if (host.empty() || host.find_first_of(" \t\r\n/\\") != std::string_view::npos)
        return std::nullopt;
    a.host = lowerAscii(host);
    if (port.empty()) {
        a.port = a.scheme == "http" ? "80" : "443";
    } else {
        unsigned number = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (ec != std::errc() || end != port.data() + port.size() || number == 0 || number > 65535)
            return std::nullopt;
        a.port = std::to_string(number);
    }
    a.target = escapedTarget(target);
    return a;
}

Lookup resolve(const std::string& host, const std::string& port, int flags)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | flags;
    addrinfo* found = nullptr;
    Lookup result;
    if (const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); rc != 0) {
        result.error = "Could not resolve host: " + host + " (" + ::gai_strerror(rc) + ")";
        return result;
    }
    for (const addrinfo* ai = found; ai; ai = ai->ai_next) {
        Endpoint e;
        std::memcpy(&e.address, ai->ai_addr, ai->ai_addrlen);
        e.length = ai->ai_addrlen;
        result.endpoints.push_back(e);
    }
    ::freeaddrinfo(found);
    return result;
}

} // namespace

Lookup lookUp(const std::string& host, const std::string& port)
{
    return resolve(host, port, 0);
}

PlainGet::PlainGet(const std::string& url, GetOptions options)
    : options_(std::move(options))
{
    const std::optional<Address> a = parse(url);
    if (!a || a->scheme != "http") {
        finish("not an http address");
        return;
    }
    origin_ = a->origin();
    host_ = a->host;
    port_ = a->port;
    hostField_ = a->port == "80" ? a->bracketedHost() : a->bracketedHost() + ':' + a->port;
    target_ = a->target;
    // An address needs no lookup, and taking it as one costs nothing.
    if (Lookup numeric = resolve(host_, port_, AI_NUMERICHOST); !numeric.endpoints.empty())
        lookedUp(std::move(numeric));
}

PlainGet::~PlainGet()
{
    closeSocket();
}

void PlainGet::closeSocket()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void PlainGet::finish(std::string error)
{
    closeSocket();
    state_ = State::Done;
    if (!error.empty())
        result_.error = std::move(error);
}

void PlainGet::stop(std::string_view why)
{
    if (!done())
        finish(std::string(why));
}

void PlainGet::lookedUp(Lookup found)
{
    if (state_ != State::LookingUp)
        return;
    if (found.endpoints.empty()) {
        finish(std::move(found.error));
        return;
    }
    endpoints_ = std::move(found.endpoints);
    connectNext();
}

// Connects to the next of the host's addresses that takes the connection.
void PlainGet::connectNext()
{
    closeSocket();
    while (nextEndpoint_ < endpoints_.size()) {
        const Endpoint& e = endpoints_[nextEndpoint_++];
        const int fd = ::socket(e.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastConnectError_ = errno;
            continue;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&e.address), e.length) == 0 || errno == EINPROGRESS) {
            fd_ = fd;
            state_ = State::Connecting;
            return;
        }
        lastConnectError_ = errno;
        ::close(fd);
    }
    result_.refused = lastConnectError_ == ECONNREFUSED;
    finish("Failed to connect to " + host_ + " port " + port_ + ": " + std::strerror(lastConnectError_));
}

void PlainGet::step()
{
    switch (state_) {
    case State::Connecting: {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        if (error != 0) {
            lastConnectError_ = error;
            connectNext();
        } else {
            connected();
        }
        break;
    }
    case State::Sending:
        send();
        break;
    case State::Receiving:
        receive();
        break;
    case State::LookingUp:
    case State::Done:
        break;
    }
}

void PlainGet::connected()
{
    request_ = "GET " + target_ + " HTTP/1.1\r\nHost: " + hostField_ + "\r\n";
    if (!options_.userAgent.empty())
        request_ += "User-Agent: " + options_.userAgent + "\r\n";
    request_ += "Accept: */*\r\nAccept-Encoding: identity\r\n";
    for (const std::string& h : options_.headers)
        request_ += h + "\r\n";
    request_ += "Connection: close\r\n\r\n";
    sent_ = 0;
    parser_.emplace(options_.maxHeaderBytes, options_.maxBody);
    state_ = State::Sending;
    send();
}

void PlainGet::send()
{
    while (sent_ < request_.size()) {
        const ssize_t n = ::send(fd_, request_.data() + sent_, request_.size() - sent_, MSG_NOSIGNAL);
        if (n > 0) {
            sent_ += std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        } else {
            finish(std::string("Send failure: ") + std::strerror(errno));
            return;
        }
    }
    state_ = State::Receiving;
}

void PlainGet::receive()
{
    char buffer[16 * 1024];
    for (std::size_t taken = 0; taken < kReadPerStep;) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n < 0) {
            finish(std::string("Recv failure: ") + std::strerror(errno));
            return;
        }
        const ResponseParser::State s =
            n > 0 ? parser_->feed(std::string_view(buffer, std::size_t(n))) : parser_->finish();
        if (s == ResponseParser::State::Done || s == ResponseParser::State::Failed) {
            answered();
            return;
        }
        taken += std::size_t(n);
    }
}

void PlainGet::answered()
{
    result_.status = parser_->status();
    result_.headers = parser_->headers();
    if (parser_->state() == ResponseParser::State::Failed) {
        finish(parser_->error());
        return;
    }
    const std::string location = result_.status >= 300 && result_.status < 400 ? result_.header("Location") : "";
    if (location.empty()) {
        result_.body = std::move(parser_->body());
        finish();
        return;
    }
    // An absolute address, a path on the same origin, or one beside this.
    std::string next = location;
    if (location.find("://") == std::string::npos) {
        const std::string path = target_.substr(0, target_.find('?'));
        next = "http://" + hostField_
            + (location.starts_with('/') ? location : path.substr(0, path.rfind('/') + 1) + location);
    }
    const std::optional<Address> a = parse(next);
    if (!mayFollowRedirect(origin_, a ? a->origin() : std::string(), hop_++, options_, result_)) {
        finish();
        return;
    }
    target_ = a->target;
    nextEndpoint_ = 0;
    connectNext();
}

GetResult getPlain(const std::string& url, const GetOptions& options)
{
    const auto deadline = Clock::now() + options.timeout;
    PlainGet get(url, options);
    if (get.needsLookup())
        get.lookedUp(lookUp(get.host(), get.port()));
    while (!get.done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (options.cancel && options.cancel->load())
            get.stop(kCancelled);
        else if (left <= 0)
            get.stop(kTimedOut);
        if (get.done())
            break;
        pollfd p{get.fd(), short(get.wantsWrite() ? POLLOUT : POLLIN), 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, 100)));
        if (n > 0)
            get.step(); // ready, or an error the next call on the socket reports
        else if (n < 0 && errno != EINTR)
            get.stop(std::string("poll failed: ") + std::strerror(errno));
    }
    return get.takeResult();
}

} // namespace quoterra::net
