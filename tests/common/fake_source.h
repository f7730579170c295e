#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

// A loopback HTTP server with scripted answers: a public quote source in its
// own format, another program on a port, or a server that misbehaves on
// purpose. A thread per connection, so it serves on while the code under test
// blocks the GUI thread in a local event loop; one request per connection.
// Free of Qt, for the service's benchmark too.
class FakeSource {
public:
    enum class Flood {
        None,
        Body,        // a body of floodBytes with its length announced
        Chunked,     // the same in chunks
        UntilClose,  // no length: the body ends when the connection closes
        HeaderLines, // header lines for ever
        HeaderLine,  // one header line that never ends
    };
    struct Answer {
        int status = 200;
        std::string contentType = {}; // none when empty
        std::string body = {};
        std::vector<std::pair<std::string, std::string>> headers = {};
        std::chrono::milliseconds delay{0};
        bool hang = false;                    // reads the request, never answers
        bool reset = false;                   // reads the request, then a TCP reset
        std::chrono::milliseconds trickle{0}; // announces 1 MiB, then a byte per interval
        Flood flood = Flood::None;            // instead of `body`, as fast as it is taken
        std::size_t floodBytes = SIZE_MAX;
        std::size_t holdUntil = 0; // answers once this many requests have come in
    };

    // `all`: the answer to every request; `port` 0 takes any free one.
    FakeSource(); // a 404 until told otherwise
    explicit FakeSource(Answer all, std::uint16_t port = 0);
    ~FakeSource(); // ends every connection, hanging ones too
    FakeSource(const FakeSource&) = delete;
    FakeSource& operator=(const FakeSource&) = delete;

    // Requests whose target starts with `prefix` get these answers in turn;
    // the last one stands for every later request. The longest prefix wins.
    void on(const std::string& prefix, std::vector<Answer> answers);
    // Answers made from each request's target, asked before the scripts; a
    // target it makes none for goes to them. Called on the server's threads.
    using Maker = std::function<std::optional<Answer>(const std::string& target)>;
    void answerWith(Maker make);
    bool isListening() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

    int count(std::string_view prefix = "/") const; // requests whose target starts so
    std::vector<std::string> requests() const;      // each request's head, in order

private:
    void serve(int fd);
    bool stopped(std::chrono::milliseconds wait);

    int listener_ = -1;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable changed_; // stopping, or a request came in
    bool stopping_ = false;
    std::map<std::string, std::pair<std::vector<Answer>, std::size_t>> scripts_;
    Maker make_;
    std::vector<std::string> heads_;
    std::vector<int> open_;
    std::vector<std::thread> threads_;
    std::thread acceptor_;
};
