#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// A loopback HTTP server standing in for a public quote source: it answers
// each address with scripted answers in the source's own format, and keeps
// what it was asked. A thread per connection; every answer closes its
// connection.
class FakeSource {
public:
    struct Answer {
        int status = 200;
        std::string contentType = "application/json";
        std::string body = {};
        std::vector<std::pair<std::string, std::string>> headers = {};
        std::chrono::milliseconds delay{0};
        bool hang = false;          // never answers
        std::size_t floodBytes = 0; // instead of `body`: this many bytes, as fast as they are taken
    };

    FakeSource();
    ~FakeSource(); // ends every connection, hanging ones too
    FakeSource(const FakeSource&) = delete;
    FakeSource& operator=(const FakeSource&) = delete;

    // Requests whose target starts with `prefix` get these answers in turn;
    // the last one stands for every later request. Others get a 404.
    void on(const std::string& prefix, std::vector<Answer> answers);
    std::string origin() const; // "http://127.0.0.1:PORT"

    int count(std::string_view prefix = "/") const;
    std::vector<std::string> targets() const;
    std::vector<std::string> userAgents() const;

private:
    void serve(int fd);
    void answer(int fd);
    Answer answerFor(const std::string& target);

    int listener_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::map<std::string, std::pair<std::vector<Answer>, std::size_t>> scripts_;
    std::vector<std::string> targets_;
    std::vector<std::string> agents_;
    std::vector<int> open_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};
