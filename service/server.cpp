#include "server.h"

#include "routes.h"

#include <httplib.h>

#include <sys/socket.h>

#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>

namespace quoterra::service {

namespace {

// Plenty for a ticker, a chart browser and a test suite hammering it at once;
// idle keep-alive connections hold a worker each.
constexpr std::size_t kWorkers = 32;
// The log is for tests; a long-running service must not grow without bound.
constexpr std::size_t kMaxLogged = 100'000;
constexpr std::string_view kControlPrefix = "/_control/";

bool canFail(ReplyKind kind)
{
    return kind == ReplyKind::Quote || kind == ReplyKind::Chart || kind == ReplyKind::Version;
}

const char* reasonPhrase(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Error";
    }
}

// httplib listens with a backlog of 5: a burst of clients (a test suite,
// a browser opening a page) overflows it and connections wait for a SYN
// retry a second later. Listening again on the bound socket raises it.
class HttpServer : public httplib::Server {
public:
    void widenBacklog()
    {
        const socket_t sock = svr_sock_;
        if (sock != INVALID_SOCKET)
            ::listen(sock, SOMAXCONN);
    }
};

} // namespace

struct QuoteServer::Impl {
    explicit Impl(const Options& o)
        : options(o), routes(o.seed, Calendar::startingToday(), o.versionText),
          clock(std::chrono::steady_clock::now()), failDraws(o.seed ^ 0xFA11'FA11'FA11'FA11ULL)
    {
    }

    Options options;
    Routes routes;
    SimClock clock;
    HttpServer http;

    std::mutex mutex;
    std::condition_variable wake; // cuts latency short on stop
    bool stopping = false;
    std::deque<std::string> log;
    long long failNext = 0;
    std::mt19937_64 failDraws;

    void record(const std::string& target)
    {
        std::lock_guard lock(mutex);
        log.push_back(target);
        if (log.size() > kMaxLogged)
            log.pop_front();
    }

    void delay()
    {
        if (options.latency.count() <= 0)
            return;
        std::unique_lock lock(mutex);
        wake.wait_for(lock, options.latency, [this] { return stopping; });
    }

    bool shouldFail()
    {
        std::lock_guard lock(mutex);
        if (failNext > 0) {
            --failNext;
            return true;
        }
        if (options.failRate <= 0)
            return false;
        return std::uniform_real_distribution<double>(0.0, 1.0)(failDraws) < options.failRate;
    }

    httplib::Server::HandlerResponse serve(const httplib::Request& req, httplib::Response& res)
    {
        if (req.target.starts_with(kControlPrefix))
            return httplib::Server::HandlerResponse::Unhandled;
        record(req.target);
        delay();
        if (req.method != "GET" && req.method != "HEAD")
            return httplib::Server::HandlerResponse::Unhandled; // httplib answers 404 or 400

        Reply reply;
        try {
            reply = routes.answer(req.target, clock.now());
        } catch (const std::exception& e) {
            reply = Reply{500, "text/plain; charset=utf-8", std::string("Internal error: ") + e.what() + "\n",
                          ReplyKind::Page};
        }
        if (canFail(reply.kind) && shouldFail()) {
            res.status = 503;
            res.set_content(std::string(), "text/plain; charset=utf-8");
            return httplib::Server::HandlerResponse::Handled;
        }
        res.status = reply.status;
        res.set_content(std::move(reply.body), reply.contentType.c_str());
        return httplib::Server::HandlerResponse::Handled;
    }

    void installControl()
    {
        http.Get("/_control/requests", [this](const httplib::Request&, httplib::Response& res) {
            std::string body;
            {
                std::lock_guard lock(mutex);
                for (const std::string& target : log) {
                    body += target;
                    body += '\n';
                }
            }
            res.set_content(std::move(body), "text/plain; charset=utf-8");
        });
        http.Post("/_control/fail-next", [this](const httplib::Request& req, httplib::Response& res) {
            const std::string text = req.get_param_value("count");
            long long count = -1;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size() || count < 0
                || count > 1'000'000) {
                res.status = 400;
                res.set_content("count must be a whole number from 0 to 1000000\n", "text/plain; charset=utf-8");
                return;
            }
            {
                std::lock_guard lock(mutex);
                failNext = count;
            }
            res.set_content("failing the next " + std::to_string(count) + " answers\n", "text/plain; charset=utf-8");
        });
        http.Post("/_control/reset", [this](const httplib::Request&, httplib::Response& res) {
            {
                std::lock_guard lock(mutex);
                log.clear();
                failNext = 0;
            }
            res.set_content("reset\n", "text/plain; charset=utf-8");
        });
    }
};

QuoteServer::QuoteServer(const Options& options) : d(std::make_unique<Impl>(options))
{
    d->http.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    d->http.set_keep_alive_timeout(2);
    // Answers are one small write each: without this, a kept-alive
    // connection waits out the client's delayed acknowledgement (~40 ms).
    d->http.set_tcp_nodelay(true);
    // httplib's default turns on SO_REUSEPORT, which lets a second service
    // share the port silently and take half the requests. Plain SO_REUSEADDR
    // still allows a quick restart, and a taken port is reported.
    d->http.set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    d->http.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return d->serve(req, res); });
    d->installControl();
    // Errors that httplib answers itself (malformed requests, unknown paths
    // for other methods) get a short text body; a deliberate 503 stays empty.
    d->http.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (res.status == 503 || !res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        const std::string text = std::to_string(res.status) + ' ' + reasonPhrase(res.status) + '\n';
        res.set_content(text, "text/plain; charset=utf-8");
        return httplib::Server::HandlerResponse::Handled;
    }));
}

QuoteServer::~QuoteServer()
{
    stop();
}

int QuoteServer::bind(std::string& error)
{
    errno = 0;
    int port = d->options.port;
    bool ok = false;
    if (port == 0) {
        port = d->http.bind_to_any_port(d->options.bind);
        ok = port > 0;
    } else {
        ok = d->http.bind_to_port(d->options.bind, port);
    }
    if (!ok) {
        error = "cannot listen on " + d->options.bind + " port " + std::to_string(d->options.port);
        if (errno != 0)
            error += std::string(": ") + std::strerror(errno);
        return -1;
    }
    d->http.widenBacklog();
    return port;
}

bool QuoteServer::serve()
{
    return d->http.listen_after_bind();
}

void QuoteServer::stop()
{
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    d->http.stop();
}

bool QuoteServer::isRunning() const
{
    return d->http.is_running();
}

} // namespace quoterra::service
