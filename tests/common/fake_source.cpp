#include "fake_source.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

bool sendAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

std::string target(const std::string& line)
{
    const std::size_t from = line.find(' ') + 1;
    return line.substr(from, line.find(' ', from) - from);
}

} // namespace

FakeSource::FakeSource()
    : FakeSource(Answer{.status = 404})
{
}

FakeSource::FakeSource(Answer all, std::uint16_t port)
{
    on("/", {all});
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    socklen_t size = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
        std::perror("FakeSource");
        return;
    }
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] {
        for (;;) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            std::lock_guard lock(mutex_);
            if (fd < 0 || stopping_) {
                if (fd >= 0)
                    ::close(fd);
                return;
            }
            open_.push_back(fd);
            threads_.emplace_back([this, fd] { serve(fd); });
        }
    });
}

FakeSource::~FakeSource()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int fd : open_)
            ::shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    ::shutdown(listener_, SHUT_RDWR);
    if (acceptor_.joinable())
        acceptor_.join();
    for (std::thread& t : threads_)
        t.join();
    for (int fd : open_)
        ::close(fd);
    ::close(listener_);
}

void FakeSource::on(const std::string& prefix, std::vector<Answer> answers)
{
    std::lock_guard lock(mutex_);
    scripts_[prefix] = {std::move(answers), 0};
}

void FakeSource::answerWith(Maker make)
{
    std::lock_guard lock(mutex_);
    make_ = std::move(make);
}

int FakeSource::count(std::string_view prefix) const
{
    std::lock_guard lock(mutex_);
    return int(
        std::count_if(heads_.begin(), heads_.end(), [&](const auto& l) { return target(l).starts_with(prefix); }));
}

std::vector<std::string> FakeSource::requests() const
{
    std::lock_guard lock(mutex_);
    return heads_;
}

// Waits, or less when the server stops; whether it stops.
bool FakeSource::stopped(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, wait, [this] { return stopping_; });
}

void FakeSource::serve(int fd)
{
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kBlock) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        head.append(chunk, std::size_t(n));
    }
    Answer a;
    {
        std::unique_lock lock(mutex_);
        heads_.push_back(head.substr(0, head.find("\r\n\r\n")));
        changed_.notify_all();
        std::pair<std::vector<Answer>, std::size_t>* script = nullptr;
        for (auto& [prefix, s] : scripts_) // sorted: a longer prefix comes after its shorter ones
            if (target(head).starts_with(prefix) && !s.first.empty())
                script = &s;
        if (auto made = make_ ? make_(target(head)) : std::nullopt)
            a = *made;
        else if (script)
            a = script->first[std::min(script->second++, script->first.size() - 1)];
        changed_.wait(lock, [&] { return stopping_ || heads_.size() >= a.holdUntil; });
        if (stopping_)
            return;
    }
    if (stopped(a.hang ? std::chrono::hours(1) : a.delay))
        return;
    if (a.reset) {
        std::lock_guard lock(mutex_);
        const linger hard{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        open_.erase(std::find(open_.begin(), open_.end(), fd));
        ::close(fd);
        return;
    }
    std::string out = "HTTP/1.1 " + std::to_string(a.status) + " Fake\r\n";
    if (a.flood == Flood::HeaderLines || a.flood == Flood::HeaderLine) {
        std::string block = a.flood == Flood::HeaderLine ? std::string(kBlock, 'f') : std::string();
        while (block.size() < kBlock)
            block += "X-Filler: " + std::string(70, 'f') + "\r\n";
        for (out += a.flood == Flood::HeaderLine ? "X-Filler: " : ""; sendAll(fd, out);)
            out = block;
        return;
    }
    if (!a.contentType.empty())
        out += "Content-Type: " + a.contentType + "\r\n";
    for (const auto& [name, value] : a.headers)
        out += name + ": " + value + "\r\n";
    if (a.flood == Flood::Chunked)
        out += "Transfer-Encoding: chunked\r\n";
    else if (a.flood != Flood::UntilClose)
        out += "Content-Length: "
            + std::to_string(a.trickle.count()            ? 1 << 20
                                 : a.flood == Flood::None ? a.body.size()
                                                          : a.floodBytes)
            + "\r\n";
    if (!sendAll(fd, out + "Connection: close\r\n\r\n"))
        return;
    if (a.trickle.count()) {
        while (!stopped(a.trickle) && sendAll(fd, "x")) { }
    } else if (a.flood == Flood::None) {
        sendAll(fd, a.body);
    } else {
        const std::string block(kBlock, 'x');
        for (std::size_t sent = 0; sent < a.floodBytes; sent += kBlock) {
            const std::string_view part = std::string_view(block).substr(0, std::min(kBlock, a.floodBytes - sent));
            char size[24];
            std::snprintf(size, sizeof size, "%zx\r\n", part.size());
            if (a.flood == Flood::Chunked ? !(sendAll(fd, size) && sendAll(fd, part) && sendAll(fd, "\r\n"))
                                          : !sendAll(fd, part))
                return;
        }
        if (a.flood == Flood::Chunked)
            sendAll(fd, "0\r\n\r\n");
    }
    ::shutdown(fd, SHUT_WR); // the descriptor itself is closed with the server
}
