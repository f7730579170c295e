#include "server.h"

#include "http_server.h"
#include "live_market.h"
#include "routes.h"

#include "discovery/announcement.h"

#include <charconv>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

namespace quoterra::service {

namespace {

// The log only feeds /_control/requests; long addresses must not let it
// grow into a memory flood.
constexpr std::size_t kMaxLogBytes = 1 << 20;
constexpr std::string_view kControlPrefix = "/_control/";

bool canFail(ReplyKind kind)
{
    return kind == ReplyKind::Quote || kind == ReplyKind::Chart || kind == ReplyKind::Version;
}

Reply methodNotAllowed(std::string_view allowed)
{
    Reply r = textReply(405, "405 Method Not Allowed\n");
    r.headers.emplace_back("Allow", std::string(allowed));
    return r;
}

std::unique_ptr<Backend> makeBackend(const Options& o)
{
    if (o.market == MarketKind::Simulated)
        return std::make_unique<SimulatedBackend>(o.seed, o.versionText);
    return std::make_unique<LiveMarket>(o);
}

} // namespace

struct QuoteServer::Impl {
    explicit Impl(const Options& o)
        : options(o)
        , token(discovery::newToken())
        , http(ServerLimits{.requestTimeout = o.requestTimeout},
               {{"Server", "quoterra-service/" + versionString()}, {std::string(discovery::kTokenHeader), token}},
               [this](const Request& req, Respond respond) { handle(req, std::move(respond)); })
        , backend(makeBackend(o))
        , failDraws(o.seed ^ 0xFA11'FA11'FA11'FA11ULL)
    {
    }

    Options options;
    const std::string token;
    // The server's threads stop first (see stop()); the backend goes next,
    // while the connections its workers answer still exist.
    HttpServer http;
    std::unique_ptr<Backend> backend;

    std::mutex mutex;
    std::deque<std::string> log;
    std::size_t logBytes = 0;
    long long failNext = 0;
    std::mt19937_64 failDraws;

    void handle(const Request& req, Respond respond)
    {
        const bool get = req.method == "GET" || req.method == "HEAD";
        if (options.testControl && req.target.starts_with(kControlPrefix))
            return respond(control(req));
        if (options.testControl)
            record(req.target);
        if (!get)
            return respond(methodNotAllowed("GET, HEAD"));
        if (req.target == "/_status")
            return respond(Reply{200, "application/json", backend->status(), ReplyKind::Page});

        auto answer = [this, target = std::string(req.target), respond = std::move(respond)]() mutable {
            backend->answer(target, [this, respond = std::move(respond)](Reply reply) {
                if (canFail(reply.kind) && shouldFail())
                    reply = textReply(503, {});
                respond(std::move(reply));
            });
        };
        if (options.latency.count() > 0)
            http.after(options.latency, std::move(answer));
        else
            answer();
    }

    void record(std::string_view target)
    {
        std::lock_guard lock(mutex);
        log.emplace_back(target);
        logBytes += target.size();
        while (logBytes > kMaxLogBytes) {
            logBytes -= log.front().size();
            log.pop_front();
        }
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

    Reply control(const Request& req)
    {
        const auto [path, query] = splitTarget(req.target);
        if (path == "/_control/requests") {
            if (req.method != "GET")
                return methodNotAllowed("GET");
            std::string body;
            std::lock_guard lock(mutex);
            body.reserve(logBytes + log.size());
            for (const std::string& t : log) {
                body += t;
                body += '\n';
            }
            return textReply(200, std::move(body));
        }
        if (path != "/_control/fail-next" && path != "/_control/reset")
            return textReply(404, "404 Not Found\n", ReplyKind::NotFound);
        if (req.method != "POST")
            return methodNotAllowed("POST");
        if (path == "/_control/reset") {
            std::lock_guard lock(mutex);
            log.clear();
            logBytes = 0;
            failNext = 0;
            return textReply(200, "reset\n");
        }
        const std::string text = queryValue(query, "count", {"count"});
        long long count = -1;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size() || count < 0 || count > 1'000'000)
            return textReply(400, "count must be a whole number from 0 to 1000000\n");
        std::lock_guard lock(mutex);
        failNext = count;
        return textReply(200, "failing the next " + std::to_string(count) + " answers\n");
    }
};

QuoteServer::QuoteServer(const Options& options)
    : d(std::make_unique<Impl>(options))
{
}

QuoteServer::~QuoteServer()
{
    stop();
}

int QuoteServer::listen(std::error_code& error)
{
    return d->http.listen(d->options.bind, d->options.port, error);
}

void QuoteServer::start()
{
    d->http.start(int(std::max(2u, std::thread::hardware_concurrency())));
}

void QuoteServer::stop()
{
    d->http.stop();
}

const std::string& QuoteServer::token() const
{
    return d->token;
}

bool QuoteServer::idleFor(std::chrono::seconds span) const
{
    return d->http.requestsInFlight() == 0 && std::chrono::steady_clock::now() - d->http.lastActivity() >= span;
}

} // namespace quoterra::service
