#include "plain_get.h"

#include "response_parser.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

namespace quoterra::net {

namespace {

using Clock = std::chrono::steady_clock;

struct Address {
    std::string scheme; // lower case
    std::string host;   // an IPv6 host without its brackets
    std::string port;
    std::string target; // path and query, as sent
    std::string origin() const
    {
        return scheme + "://" + (host.find(':') != std::string::npos ? '[' + host + ']' : host) + ':' + port;
    }
    std::string hostField() const
    {
        const std::string name = host.find(':') != std::string::npos ? '[' + host + ']' : host;
        return port == "80" ? name : name + ':' + port;
    }
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

enum class Wait { Ready, TimedOut, Cancelled };

// Waits for `events` on `fd` until the deadline, looking at the cancel
// flag every tenth of a second.
Wait waitFor(int fd, short events, Clock::time_point deadline, const std::atomic<bool>* cancel)
{
    for (;;) {
        if (cancel && cancel->load())
            return Wait::Cancelled;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Wait::TimedOut;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::min<long long>(left, 100)));
        if (n > 0)
            return Wait::Ready;
        if (n < 0 && errno != EINTR)
            return Wait::Ready; // the next call on the socket tells what is wrong
    }
}

class Socket {
public:
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }

    // Connects to one of the host's addresses; false with `error` set when
    // none takes the connection.
    bool connect(const Address& a, Clock::time_point deadline, const GetOptions& options, GetResult& result)
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        if (const int rc = ::getaddrinfo(a.host.c_str(), a.port.c_str(), &hints, &found); rc != 0) {
            result.error = "Could not resolve host: " + a.host + " (" + ::gai_strerror(rc) + ")";
            return false;
        }
        int lastError = ECONNREFUSED;
        for (addrinfo* ai = found; ai && fd_ < 0; ai = ai->ai_next) {
            const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
            if (fd < 0) {
                lastError = errno;
                continue;
            }
            int rc = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
            if (rc != 0 && errno == EINPROGRESS) {
                const Wait w = waitFor(fd, POLLOUT, deadline, options.cancel);
                if (w != Wait::Ready) {
                    ::close(fd);
                    ::freeaddrinfo(found);
                    result.error = w == Wait::Cancelled ? kCancelled : kTimedOut;
                    return false;
                }
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
                rc = error == 0 ? 0 : -1;
                errno = error;
            }
            if (rc == 0) {
                fd_ = fd;
            } else {
                lastError = errno;
                ::close(fd);
            }
        }
        ::freeaddrinfo(found);
        if (fd_ >= 0)
            return true;
        result.refused = lastError == ECONNREFUSED;
        result.error = "Failed to connect to " + a.host + " port " + a.port + ": " + std::strerror(lastError);
        return false;
    }

private:
    int fd_ = -1;
};

// One request and its answer on a connection of its own.
bool exchange(const Address& a, Clock::time_point deadline, const GetOptions& options, GetResult& result)
{
    Socket socket;
    if (!socket.connect(a, deadline, options, result))
        return false;
    std::string request = "GET " + a.target + " HTTP/1.1\r\nHost: " + a.hostField() + "\r\n";
    if (!options.userAgent.empty())
        request += "User-Agent: " + options.userAgent + "\r\n";
    request += "Accept: */*\r\n";
    for (const std::string& h : options.headers)
        request += h + "\r\n";
    request += "Connection: close\r\n\r\n";

    const auto waited = [&](short events) {
        const Wait w = waitFor(socket.fd(), events, deadline, options.cancel);
        if (w != Wait::Ready)
            result.error = w == Wait::Cancelled ? kCancelled : kTimedOut;
        return w == Wait::Ready;
    };
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!waited(POLLOUT))
                return false;
        } else {
            result.error = std::string("Send failure: ") + std::strerror(errno);
            return false;
        }
    }

    ResponseParser parser(options.maxHeaderBytes, options.maxBody);
    char buffer[16 * 1024];
    while (parser.state() == ResponseParser::State::Head || parser.state() == ResponseParser::State::Body) {
        const ssize_t n = ::recv(socket.fd(), buffer, sizeof buffer, 0);
        if (n > 0) {
            parser.feed(std::string_view(buffer, std::size_t(n)));
        } else if (n == 0) {
            parser.finish();
        } else if (errno == EAGAIN || errno == EINTR) {
            if (!waited(POLLIN))
                break;
        } else {
            result.error = std::string("Recv failure: ") + std::strerror(errno);
            break;
        }
    }
    result.status = parser.status();
    result.headers = parser.headers();
    if (parser.state() == ResponseParser::State::Failed)
        result.error = parser.error();
    if (!result.error.empty())
        return false;
    result.body = std::move(parser.body());
    return true;
}

// Where a Location field leads from `from`: an absolute address, a path on
// the same origin, or a path beside the current one.
std::string resolve(const Address& from, const std::string& location)
{
    if (location.find("://") != std::string::npos)
        return location;
    const std::string origin = from.scheme + "://" + from.hostField();
    if (location.starts_with('/'))
        return origin + location;
    const std::string path = from.target.substr(0, from.target.find('?'));
    return origin + path.substr(0, path.rfind('/') + 1) + location;
}

} // namespace

GetResult getPlain(const std::string& url, const GetOptions& options)
{
    GetResult result;
    std::optional<Address> address = parse(url);
    if (!address || address->scheme != "http") {
        result.error = "not an http address";
        return result;
    }
    const std::string origin = address->origin();
    const auto deadline = Clock::now() + options.timeout;
    for (int hop = 0;; ++hop) {
        result = GetResult{};
        if (!exchange(*address, deadline, options, result) || result.status < 300 || result.status >= 400)
            return result;
        const std::string location = result.header("Location");
        if (location.empty())
            return result;
        address = parse(resolve(*address, location));
        if (!mayFollowRedirect(origin, address ? address->origin() : std::string(), hop, options, result))
            return result;
    }
}

} // namespace quoterra::net
