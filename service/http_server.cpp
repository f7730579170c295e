#include "http_server.h"

#include "own_name.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace quoterra::service {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

std::int64_t ticks(Clock::time_point t)
{
    return t.time_since_epoch().count();
}

// Where a connection stands; eviction may only take one that is waiting.
enum Phase : int {
    Idle,    // waiting for the first byte of a request
    Partial, // part of a request head has arrived
    Busy,    // a whole request is being answered
    Evicted, // pushed out to make room; ends at its next step
};

class Connection;

} // namespace

struct HttpServer::Shared {
    Shared(ServerLimits l, Headers id, Handler h)
        : limits(l)
        , identity(std::move(id))
        , handler(std::move(h))
    {
    }

    ServerLimits limits;
    Headers identity;
    OwnName ownName; // set by listen(), before any request
    Handler handler;
    std::atomic<std::int64_t> lastActivity{ticks(Clock::now())};
    std::atomic<int> inFlight{0};

    // Declared before the io_context: destroying it destroys the connections
    // its queues still hold, and they sign off here.
    std::mutex mutex;
    std::unordered_map<Connection*, std::weak_ptr<Connection>> connections;

    asio::io_context io;
    tcp::acceptor acceptor{io};
    std::vector<std::thread> threads;

    void accept();
    void admit(tcp::socket socket);
    bool evictOne();
};

namespace {

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(HttpServer::Shared* server, tcp::socket socket)
        : server_(server)
        , stream_(std::move(socket))
        , buffer_(server_->limits.maxHeadBytes + server_->limits.maxBodyBytes)
    {
    }

    ~Connection()
    {
        std::lock_guard lock(server_->mutex);
        server_->connections.erase(this);
    }

    void start()
    {
        beast::error_code ignored;
        stream_.socket().set_option(tcp::no_delay(true), ignored); // answers are one small write
        reached_ = stream_.socket().local_endpoint(ignored).address();
        waitForRequest();
    }

    // From any thread. False when the connection is past waiting.
    bool waiting(std::int64_t& since, int& phase) const
    {
        phase = phase_.load();
        since = waitingSince_.load();
        return phase == Idle || phase == Partial;
    }

    void close()
    {
        asio::dispatch(stream_.get_executor(), [self = shared_from_this()] {
            beast::error_code ignored;
            self->stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
            self->stream_.close();
        });
    }

    bool markEvicted(int expected) { return phase_.compare_exchange_strong(expected, Evicted); }

private:
    void waitForRequest()
    {
        parser_.emplace();
        parser_->header_limit(server_->limits.maxHeadBytes);
        parser_->body_limit(server_->limits.maxBodyBytes);
        if (buffer_.size() > 0) { // the next request of a pipeline is here already
            if (!moveTo(Idle, Partial))
                return;
            readHead();
            return;
        }
        waitingSince_ = ticks(Clock::now());
        stream_.expires_after(server_->limits.idleTimeout);
        stream_.async_read_some(buffer_.prepare(4096),
                                [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                    if (ec)
                                        return; // closed, idle too long, or evicted
                                    self->buffer_.commit(n);
                                    if (self->moveTo(Idle, Partial))
                                        self->readHead();
                                });
    }

    void readHead()
    {
        waitingSince_ = ticks(Clock::now());
        stream_.expires_after(server_->limits.requestTimeout); // one deadline for the whole head
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onHead(ec); });
    }

    void onHead(beast::error_code ec)
    {
        if (ec == http::error::header_limit || ec == http::error::buffer_overflow)
            return refuse(431);
        if (ec == http::error::body_limit) // an announced length over the limit ends the head
            return refuse(413);
        if (ec == beast::error::timeout || ec == asio::error::operation_aborted || ec == http::error::end_of_stream
            || ec == asio::error::eof || ec == asio::error::connection_reset)
            return;
        if (ec)
            return refuse(400);
        const auto& head = parser_->get();
        if (head.version() != 10 && head.version() != 11)
            return refuse(400);
        if (std::size_t(std::distance(head.begin(), head.end())) > server_->limits.maxHeaderFields)
            return refuse(431);
        if (parser_->chunked())
            return refuse(413);
        // A browser always names the host it asked; a request without a
        // name comes from a program on this machine and is served.
        const std::size_t hosts = head.count(http::field::host);
        if (hosts > 1)
            return refuse(400);
        if (hosts == 1 && !server_->ownName.accepts(head[http::field::host], reached_))
            return refuse(421);
        if (parser_->is_done())
            return onRequest();
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](beast::error_code bodyError, std::size_t) {
                             if (bodyError == http::error::body_limit)
                                 return self->refuse(413);
                             if (bodyError)
                                 return;
                             self->onRequest();
                         });
    }

    void onRequest()
    {
        if (!moveTo(Partial, Busy))
            return;
        stream_.expires_never();
        const auto& req = parser_->get();
        keepAlive_ = req.keep_alive();
        oldClient_ = req.version() == 10;
        head_ = req.method() == http::verb::head;
        ++server_->inFlight;
        server_->lastActivity = ticks(Clock::now());
        const Request request{req.method_string(), req.target()};
        server_->handler(request, [self = shared_from_this()](Reply reply) {
            asio::dispatch(self->stream_.get_executor(),
                           [self, reply = std::move(reply)]() mutable { self->send(std::move(reply)); });
        });
    }

    void send(Reply reply)
    {
        --server_->inFlight;
        server_->lastActivity = ticks(Clock::now());
        write(std::move(reply), keepAlive_);
    }

    // Answers a request that is not read to its end, then hangs up.
    void refuse(int status)
    {
        if (!moveTo(Partial, Busy))
            return;
        head_ = false;
        const std::string reason(http::obsolete_reason(http::status(status)));
        write(textReply(status, std::to_string(status) + ' ' + reason + '\n'), false);
    }

    void write(Reply reply, bool keepAlive)
    {
        auto res = std::make_shared<http::response<http::string_body>>(http::status(reply.status), 11);
        for (const auto& [name, value] : server_->identity)
            res->set(name, value);
        res->set(http::field::content_type, reply.contentType);
        for (const auto& [name, value] : reply.headers)
            res->set(name, value);
        res->keep_alive(keepAlive);
        // Without it an HTTP/1.0 client waits for the connection to close.
        if (keepAlive && oldClient_)
            res->set(http::field::connection, "keep-alive");
        const std::size_t length = reply.body.size();
        if (!head_)
            res->body() = std::move(reply.body);
        res->content_length(length);
        stream_.expires_after(server_->limits.requestTimeout);
        http::async_write(stream_, *res, [self = shared_from_this(), res](beast::error_code ec, std::size_t) {
            if (ec)
                return;
            if (!res->keep_alive())
                return self->hangUp();
            if (self->moveTo(Busy, Idle))
                self->waitForRequest();
        });
    }

    // Closes the sending side and drains what the client still sends for a
    // moment, so it reads the answer instead of a reset.
    void hangUp()
    {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.expires_after(std::chrono::seconds(1));
        drain(256 * 1024);
    }

    void drain(std::size_t budget)
    {
        auto sink = std::make_shared<std::array<char, 16 * 1024>>();
        stream_.async_read_some(asio::buffer(*sink),
                                [self = shared_from_this(), sink, budget](beast::error_code ec, std::size_t n) {
                                    if (!ec && n < budget)
                                        self->drain(budget - n);
                                });
    }

    bool moveTo(int from, int to) { return phase_.compare_exchange_strong(from, to); }

    HttpServer::Shared* server_; // owns the io_context that owns every connection
    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::atomic<int> phase_{Idle};
    std::atomic<std::int64_t> waitingSince_{0};
    asio::ip::address reached_; // the address the client connected to
    bool keepAlive_ = false;
    bool oldClient_ = false; // HTTP/1.0
    bool head_ = false;
};

} // namespace

void HttpServer::Shared::accept()
{
    acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor.is_open())
            return;
        if (!ec)
            admit(std::move(socket));
        accept();
    });
}

void HttpServer::Shared::admit(tcp::socket socket)
{
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex);
        count = connections.size();
    }
    if (count >= limits.maxConnections && !evictOne()) {
        // Every connection is being answered: tell this one so and hang up.
        beast::error_code ignored;
        std::string busy = "HTTP/1.1 503 Service Unavailable\r\n";
        for (const auto& [name, value] : identity)
            busy += name + ": " + value + "\r\n";
        busy += "Content-Length: 0\r\nConnection: close\r\n\r\n";
        socket.non_blocking(true, ignored);
        socket.write_some(asio::buffer(busy), ignored);
        socket.close(ignored);
        return;
    }
    auto c = std::make_shared<Connection>(this, std::move(socket));
    {
        std::lock_guard lock(mutex);
        connections.emplace(c.get(), c);
    }
    c->start();
}

bool HttpServer::Shared::evictOne()
{
    // Released only after the lock: the last reference runs the destructor,
    // which takes the lock too.
    std::shared_ptr<Connection> victim;
    int victimPhase = Busy;
    {
        std::lock_guard lock(mutex);
        Connection* chosen = nullptr;
        std::int64_t chosenSince = 0;
        for (const auto& [raw, weak] : connections) {
            std::int64_t since = 0;
            int phase = Busy;
            if (!raw->waiting(since, phase))
                continue;
            // idle before partial, then the longest waiting
            if (!chosen || phase < victimPhase || (phase == victimPhase && since < chosenSince)) {
                chosen = raw;
                victimPhase = phase;
                chosenSince = since;
            }
        }
        if (chosen)
            victim = connections[chosen].lock();
    }
    if (!victim || !victim->markEvicted(victimPhase))
        return false;
    victim->close();
    return true;
}

HttpServer::HttpServer(ServerLimits limits, Headers identity, Handler handler)
    : d(std::make_shared<Shared>(limits, std::move(identity), std::move(handler)))
{
}

HttpServer::~HttpServer()
{
    stop();
}

int HttpServer::listen(const std::string& address, std::uint16_t port, std::error_code& error)
{
    beast::error_code ec;
    const auto ip = asio::ip::make_address(address, ec);
    if (ec) {
        error = ec;
        return -1;
    }
    const tcp::endpoint endpoint(ip, port);
    d->acceptor.open(endpoint.protocol(), ec);
    // SO_REUSEADDR for a quick restart; never SO_REUSEPORT, which would let a
    // second service share the port and take half the requests.
    if (!ec)
        d->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        d->acceptor.bind(endpoint, ec);
    if (!ec)
        d->acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = ec;
        beast::error_code ignored;
        d->acceptor.close(ignored);
        return -1;
    }
    const std::uint16_t bound = d->acceptor.local_endpoint().port();
    d->ownName = OwnName(ip, bound);
    return bound;
}

void HttpServer::start(int threads)
{
    d->accept();
    for (int i = 0; i < threads; ++i)
        d->threads.emplace_back([s = d] { s->io.run(); });
}

void HttpServer::stop()
{
    d->io.stop();
    for (std::thread& t : d->threads)
        t.join();
    d->threads.clear();
}

std::chrono::steady_clock::time_point HttpServer::lastActivity() const
{
    return Clock::time_point(Clock::duration(d->lastActivity.load()));
}

int HttpServer::requestsInFlight() const
{
    return d->inFlight.load();
}

void HttpServer::after(std::chrono::milliseconds delay, std::function<void()> task)
{
    auto timer = std::make_shared<asio::steady_timer>(d->io, delay);
    timer->async_wait([timer, task = std::move(task)](beast::error_code ec) {
        if (!ec)
            task();
    });
}

} // namespace quoterra::service
