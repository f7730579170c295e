#pragma once

#include "get.h"
#include "response_parser.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

// GET over plain HTTP/1.1 on the system's sockets, for the ticker, which
// only ever talks to a quote service by http://. It needs no library of its
// own: the milliseconds a network library and its dependencies take to load
// would otherwise come before the ticker's first paint. No proxies, no TLS,
// and no content encoding: an answer in one is refused, as nothing asked
// for it.
namespace quoterra::net {

// One address a host name stands for.
struct Endpoint {
    sockaddr_storage address{};
    socklen_t length = 0;
};

struct Lookup {
    std::vector<Endpoint> endpoints; // in the order to try them
    std::string error;               // why there are none
};

// Looks a host up; blocks for as long as the system's resolver takes.
Lookup lookUp(const std::string& host, const std::string& port);

// One GET on a non-blocking socket, taken a step at a time so that whoever
// drives it can wait on an event loop or in poll(): while not done(), wait
// until fd() is ready for writing (wantsWrite()) or reading, then call
// step(). Redirects are followed within the first address's origin only,
// on the host's addresses already looked up. The driver keeps the clock:
// it calls stop() at the deadline.
class PlainGet {
public:
    explicit PlainGet(const std::string& url, GetOptions options = {});
    ~PlainGet();
    PlainGet(const PlainGet&) = delete;
    PlainGet& operator=(const PlainGet&) = delete;

    // A host name (not an address) is looked up by the driver, where
    // waiting does no harm, and handed over; the exchange starts then.
    bool needsLookup() const { return state_ == State::LookingUp; }
    const std::string& host() const { return host_; }
    const std::string& port() const { return port_; }
    void lookedUp(Lookup found);

    bool done() const { return state_ == State::Done; }
    int fd() const { return fd_; }
    bool wantsWrite() const { return state_ == State::Connecting || state_ == State::Sending; }
    // Goes as far as it can without blocking.
    void step();
    // Ends the transfer as a failure, unless it is already done.
    void stop(std::string_view why);

    GetResult takeResult() { return std::move(result_); }

private:
    enum class State { LookingUp, Connecting, Sending, Receiving, Done };

    void connectNext();
    void connected();
    void send();
    void receive();
    void answered();
    void finish(std::string error = {});
    void closeSocket();

    GetOptions options_;
    State state_ = State::LookingUp;
    std::string origin_; // "http://host:port", what redirects must keep
    std::string host_;   // without an IPv6 address's brackets
    std::string port_;
    std::string hostField_;
    std::string target_;
    std::vector<Endpoint> endpoints_;
    std::size_t nextEndpoint_ = 0;
    int lastConnectError_ = 0;
    int hop_ = 0;
    int fd_ = -1;
    std::string request_;
    std::size_t sent_ = 0;
    std::optional<ResponseParser> parser_;
    GetResult result_;
};

// A whole GET, blocking the calling thread until it ends: at the deadline
// of options.timeout, or within a tenth of a second of options.cancel.
GetResult getPlain(const std::string& url, const GetOptions& options = {});

} // namespace quoterra::net
