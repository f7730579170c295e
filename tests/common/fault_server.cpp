#include "fault_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <list>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxRequestBytes = 64 * 1024;
constexpr std::size_t kChunk = 64 * 1024;

const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

bool sameName(const std::string& a, const char* b)
{
    return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

struct FaultServer::Connection {
    int fd = -1;
    bool dead = false;
    std::string in;
    bool requestDone = false;
    std::string out;
    std::size_t outPos = 0;
    std::size_t bodyLeft = 0;   // Oversize: body bytes not yet queued
    bool finalChunkDue = false; // Oversize, chunked: the terminating chunk
    bool closeWhenFlushed = false;
    bool endless = false; // EndlessHeaders and EndlessHeaderLine: more is always due
    bool trickling = false;
    std::size_t trickleLeft = 0;
    Clock::time_point nextTrickle;
};

FaultServer::FaultServer(Mode mode)
    : FaultServer(Config{.mode = mode})
{
}

FaultServer::FaultServer(Config config)
    : m_config(std::move(config))
{
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("FaultServer: pipe2");
        return;
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0) {
        std::perror("FaultServer: socket");
        return;
    }
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(m_config.port);
    socklen_t len = sizeof addr;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listener, 64) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        std::perror("FaultServer: bind/listen");
        return;
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

FaultServer::~FaultServer()
{
    if (m_thread.joinable()) {
        const char byte = 'q';
        while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) { }
        m_thread.join();
    }
    for (int fd : {m_listener, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
}

QString FaultServer::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

std::vector<std::string> FaultServer::requestLines() const
{
    std::lock_guard lock(m_mutex);
    return m_requestLines;
}

void FaultServer::onRequest(Connection& c)
{
    const std::size_t lineEnd = c.in.find("\r\n");
    {
        std::lock_guard lock(m_mutex);
        m_requestLines.push_back(c.in.substr(0, lineEnd));
    }
    const Config& k = m_config;
    switch (k.mode) {
    case Mode::Hang:
        break;
    case Mode::Reset: {
        const linger hard{1, 0};
        ::setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(c.fd);
        c.fd = -1;
        c.dead = true;
        break;
    }
    case Mode::Trickle:
        c.out = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
            + std::to_string(k.announcedLength) + "\r\nConnection: close\r\n\r\n";
        c.trickling = true;
        c.trickleLeft = k.announcedLength;
        c.nextTrickle = Clock::now() + k.trickleInterval;
        break;
    case Mode::Oversize:
        c.out = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
        if (k.framing == Framing::ContentLength)
            c.out += "Content-Length: " + std::to_string(k.bodySize) + "\r\n";
        else if (k.framing == Framing::Chunked)
            c.out += "Transfer-Encoding: chunked\r\n";
        c.out += "\r\n";
        c.bodyLeft = k.bodySize;
        c.finalChunkDue = k.framing == Framing::Chunked;
        c.closeWhenFlushed = true;
        break;
    case Mode::EndlessHeaders:
    case Mode::EndlessHeaderLine:
        c.out = k.mode == Mode::EndlessHeaders ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 200 OK\r\nX-Filler: ";
        c.endless = true;
        break;
    case Mode::Fixed: {
        c.out = "HTTP/1.1 " + std::to_string(k.status) + ' ' + reason(k.status) + "\r\n";
        bool hasLength = false, hasConnection = false;
        for (const auto& [name, value] : k.headers) {
            c.out += name + ": " + value + "\r\n";
            hasLength = hasLength || sameName(name, "Content-Length") || sameName(name, "Transfer-Encoding");
            hasConnection = hasConnection || sameName(name, "Connection");
        }
        if (!hasLength)
            c.out += "Content-Length: " + std::to_string(k.body.size()) + "\r\n";
        if (!hasConnection)
            c.out += "Connection: close\r\n";
        c.out += "\r\n" + k.body;
        c.closeWhenFlushed = true;
        break;
    }
    }
}

void FaultServer::refill(Connection& c)
{
    if (c.outPos < c.out.size())
        return;
    c.out.clear();
    c.outPos = 0;
    if (c.endless) {
        if (m_config.mode == Mode::EndlessHeaders) {
            while (c.out.size() < kChunk)
                c.out += "X-Filler: " + std::string(70, 'f') + "\r\n";
        } else {
            c.out.assign(kChunk, 'f');
        }
    } else if (c.bodyLeft > 0) {
        const std::size_t n = std::min(kChunk, c.bodyLeft);
        if (m_config.framing == Framing::Chunked) {
            char size[32];
            std::snprintf(size, sizeof size, "%zx\r\n", n);
            c.out = size;
            c.out.append(n, 'x');
            c.out += "\r\n";
        } else {
            c.out.assign(n, 'x');
        }
        c.bodyLeft -= n;
    } else if (c.finalChunkDue) {
        c.out = "0\r\n\r\n";
        c.finalChunkDue = false;
    }
}

// Writes what the socket takes now; false when the connection is gone.
bool FaultServer::flush(Connection& c)
{
    for (;;) {
        refill(c);
        if (c.outPos >= c.out.size())
            return true;
        const ssize_t n = ::send(c.fd, c.out.data() + c.outPos, c.out.size() - c.outPos, MSG_NOSIGNAL);
        if (n > 0) {
            c.outPos += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void FaultServer::run()
{
    std::list<Connection> conns;
    std::vector<pollfd> fds;
    std::vector<Connection*> order;
    char buf[16384];

    for (;;) {
        fds.clear();
        order.clear();
        fds.push_back({m_wake[0], POLLIN, 0});
        fds.push_back({m_listener, POLLIN, 0});
        int timeoutMs = -1;
        const auto now = Clock::now();
        for (Connection& c : conns) {
            short events = POLLIN;
            if (c.outPos < c.out.size() || c.bodyLeft > 0 || c.finalChunkDue || c.endless)
                events |= POLLOUT;
            fds.push_back({c.fd, events, 0});
            order.push_back(&c);
            if (c.trickling && c.trickleLeft > 0) {
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(c.nextTrickle - now).count();
                const int ms = static_cast<int>(std::max<long long>(0, wait));
                timeoutMs = timeoutMs < 0 ? ms : std::min(timeoutMs, ms);
            }
        }
        const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            break; // the destructor wants us gone

        if (fds[1].revents & POLLIN) {
            for (;;) {
                const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0)
                    break;
                ++m_connections;
                conns.push_back(Connection{});
                conns.back().fd = fd;
            }
        }

        for (std::size_t i = 0; i < order.size(); ++i) {
            Connection& c = *order[i];
            const short re = fds[i + 2].revents;
            if (c.dead)
                continue;
            if (re & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                    c.dead = true;
                    continue;
                }
                if (n > 0 && !c.requestDone) {
                    c.in.append(buf, static_cast<std::size_t>(n));
                    if (c.in.find("\r\n\r\n") != std::string::npos) {
                        c.requestDone = true;
                        onRequest(c);
                        if (c.dead)
                            continue;
                    } else if (c.in.size() > kMaxRequestBytes) {
                        c.dead = true;
                        continue;
                    }
                }
            }
            if (!flush(c)) {
                c.dead = true;
                continue;
            }
            const bool drained = c.outPos >= c.out.size() && c.bodyLeft == 0 && !c.finalChunkDue;
            if (c.closeWhenFlushed && drained) {
                ::shutdown(c.fd, SHUT_WR);
                c.dead = true;
            }
        }

        const auto later = Clock::now();
        for (Connection& c : conns) {
            if (c.dead || !c.trickling || c.trickleLeft == 0 || later < c.nextTrickle)
                continue;
            if (c.outPos >= c.out.size()) { // headers are out: one more body byte
                c.out = "x";
                c.outPos = 0;
                if (--c.trickleLeft == 0)
                    c.closeWhenFlushed = true;
            }
            c.nextTrickle = later + m_config.trickleInterval;
            if (!flush(c))
                c.dead = true;
        }

        for (auto it = conns.begin(); it != conns.end();) {
            if (it->dead) {
                if (it->fd >= 0)
                    ::close(it->fd);
                it = conns.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Connection& c : conns)
        if (c.fd >= 0)
            ::close(c.fd);
}
