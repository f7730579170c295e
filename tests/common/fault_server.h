#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A loopback HTTP server that misbehaves on purpose, for transfer faults the
// real service never shows. Plain POSIX sockets on a thread of its own, so it
// keeps serving while the code under test blocks the GUI thread in a local
// event loop. Every connection gets the same treatment, chosen up front.
class FaultServer {
public:
    enum class Mode {
        Hang,              // read the request, never answer, keep the socket open
        Trickle,           // status line and headers with a large Content-Length, then one body byte per interval
        Reset,             // read the request, then close with a TCP reset (SO_LINGER 0)
        Oversize,          // 200 with a body of bodySize bytes, as fast as the client takes it
        Fixed,             // the given status, headers and body, then close
        EndlessHeaders,    // a status line, then header lines for ever, as fast as the client takes them
        EndlessHeaderLine, // a status line, then one header line that never ends
    };
    enum class Framing {
        ContentLength,  // Content-Length set
        CloseDelimited, // no length: the body ends when the connection closes
        Chunked,        // Transfer-Encoding: chunked
    };

    struct Config {
        Mode mode = Mode::Fixed;
        std::uint16_t port = 0; // 0: any free one
        // Fixed: Content-Length is added unless `headers` carry one (a wrong
        // one is allowed on purpose).
        int status = 200;
        std::vector<std::pair<std::string, std::string>> headers{};
        std::string body{};
        // Oversize
        std::size_t bodySize = 0;
        Framing framing = Framing::ContentLength;
        // Trickle
        std::size_t announcedLength = 1 << 20;
        std::chrono::milliseconds trickleInterval{1000};
    };

    explicit FaultServer(Mode mode);
    explicit FaultServer(Config config);
    ~FaultServer(); // stops promptly, whatever the connections are doing
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    bool isListening() const { return m_port != 0; }
    std::uint16_t port() const { return m_port; }
    QString origin() const; // "http://127.0.0.1:PORT"

    int connections() const { return m_connections.load(); }
    // The request line of every complete request received, in order.
    std::vector<std::string> requestLines() const;

private:
    struct Connection;
    void run();
    void onRequest(Connection& c);
    bool flush(Connection& c);
    void refill(Connection& c);

    Config m_config;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requestLines;
    std::thread m_thread;
};
