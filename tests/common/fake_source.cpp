#include "fake_source.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace {

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

std::string headerValue(const std::string& head, std::string_view name)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const std::size_t at = lower.find("\r\n" + std::string(name) + ":");
    if (at == std::string::npos)
        return {};
    const std::size_t start = head.find_first_not_of(' ', at + 3 + name.size());
    return head.substr(start, head.find("\r\n", start) - start);
}

} // namespace

FakeSource::FakeSource()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listener_, 64) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &size) != 0)
        return;
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
    stopped_.notify_all();
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

std::string FakeSource::origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

int FakeSource::count(std::string_view prefix) const
{
    std::lock_guard lock(mutex_);
    return int(
        std::count_if(targets_.begin(), targets_.end(), [&](const std::string& t) { return t.starts_with(prefix); }));
}

std::vector<std::string> FakeSource::targets() const
{
    std::lock_guard lock(mutex_);
    return targets_;
}

std::vector<std::string> FakeSource::userAgents() const
{
    std::lock_guard lock(mutex_);
    return agents_;
}

FakeSource::Answer FakeSource::answerFor(const std::string& target)
{
    // the longest prefix that matches
    std::pair<std::vector<Answer>, std::size_t>* script = nullptr;
    std::size_t longest = 0;
    for (auto& [prefix, s] : scripts_)
        if (target.starts_with(prefix) && prefix.size() >= longest) {
            script = &s;
            longest = prefix.size();
        }
    if (!script || script->first.empty())
        return Answer{404, "text/plain", "no such page\n"};
    const Answer a = script->first[std::min(script->second, script->first.size() - 1)];
    ++script->second;
    return a;
}

void FakeSource::serve(int fd)
{
    answer(fd);
    ::shutdown(fd, SHUT_WR); // the descriptor itself is closed with the server
}

void FakeSource::answer(int fd)
{
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        head.append(chunk, std::size_t(n));
    }
    const std::size_t space = head.find(' ');
    const std::string target = head.substr(space + 1, head.find(' ', space + 1) - space - 1);
    Answer a;
    {
        std::unique_lock lock(mutex_);
        targets_.push_back(target);
        agents_.push_back(headerValue(head, "user-agent"));
        a = answerFor(target);
        // a delay or a hang ends early when the server stops
        stopped_.wait_for(lock, a.hang ? std::chrono::hours(1) : a.delay, [this] { return stopping_; });
        if (stopping_)
            return;
    }
    const std::size_t length = a.floodBytes ? a.floodBytes : a.body.size();
    std::string out = "HTTP/1.1 " + std::to_string(a.status) + " Fake\r\nContent-Type: " + a.contentType
        + "\r\nContent-Length: " + std::to_string(length) + "\r\nConnection: close\r\n";
    for (const auto& [name, value] : a.headers)
        out += name + ": " + value + "\r\n";
    out += "\r\n";
    if (!sendAll(fd, out))
        return;
    if (!a.floodBytes) {
        sendAll(fd, a.body);
        return;
    }
    const std::string block(64 * 1024, 'x');
    for (std::size_t sent = 0; sent < a.floodBytes; sent += block.size())
        if (!sendAll(fd, std::string_view(block).substr(0, std::min(block.size(), a.floodBytes - sent))))
            return;
}
