#include "live_market.h"

#include "pages.h"
#include "quote_list.h"
#include "routes.h"
#include "source_keys.h"
#include "sources.h"
#include "workers.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <iostream>
#include <mutex>
#include <random>
#include <unordered_map>
#include <vector>

namespace quoterra::service {

namespace {

using Clock = std::chrono::steady_clock;
using Wall = std::chrono::system_clock;
using namespace std::chrono_literals;
using Outcome = SourceAnswer::Outcome;

// Quotes are delayed anyway; a ticker cycling through its list asks for one
// symbol every few seconds, and many tickers share these.
constexpr auto kQuoteAge = 15s;
constexpr auto kDayChartAge = 2min;
constexpr auto kFiveDayAge = 5min;
// When every source fails, a real answer this recent still beats none.
constexpr auto kStaleLimit = 15min;
constexpr auto kFirstBackOff = 1s;
constexpr auto kLongestBackOff = 5min;
constexpr auto kComplaintGap = 1min;
constexpr std::size_t kMaxEntries = 2048;
// Enough for every request the rate limit lets out within one time-out.
constexpr std::size_t kMostUpstreamWorkers = 64;

struct Entry {
    Clock::time_point fetched;
    Clock::time_point until; // fresh until then
    SourceAnswer data;       // Data or UnknownSymbol
};
using EntryPtr = std::shared_ptr<const Entry>;
using Waiter = std::function<void(EntryPtr)>; // null: nothing to answer with

struct Health {
    int failures = 0;
    bool answered = false;
    Clock::time_point retryAt{};
    std::string lastError;
    std::string shortError;
    Wall::time_point lastErrorAt{};
    long asked = 0;
};

Span spanOf(ChartRange range)
{
    return range == ChartRange::OneDay ? Span::Day : range == ChartRange::FiveDay ? Span::FiveDay : Span::Year;
}

std::string cacheKey(Span span, const std::string& symbol)
{
    return char('0' + int(span)) + symbol;
}

// Symbols worth asking a source about; anything else is answered as unknown
// without leaving the machine. "." and ".." would be a path of their own.
bool plausible(std::string_view upper)
{
    return !upper.empty() && upper.size() <= 20 && upper.find_first_not_of('.') != std::string_view::npos
        && std::all_of(upper.begin(), upper.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '^' || c == '='
                   || c == '_';
           });
}

Reply redirect(const std::string& to)
{
    Reply r{302, "text/html; charset=utf-8",
            "<!DOCTYPE html>\n<p><a href=\"" + htmlEscape(to) + "\">" + htmlEscape(to) + "</a></p>\n", ReplyKind::Page};
    r.headers.emplace_back("Location", to);
    return r;
}

Reply unavailable(ReplyKind kind)
{
    return Reply{503, kind == ReplyKind::Quote ? "text/csv; charset=us-ascii" : "image/gif", {}, kind};
}

} // namespace

struct LiveMarket::Impl {
    explicit Impl(const Options& o)
        : researchSite(o.researchSite)
        , versionText(o.versionText)
        , keys(readSourceKeys(sourceKeysPath()))
        , upstream(Upstream::Config{o.upstreamTimeout})
        , sources(makeSources(o, upstream, keys))
        , jitter(std::random_device{}())
    {
        health.resize(sources.size());
        if (!keys.problem.empty())
            std::cerr << "quoterra-service: " << keys.problem << std::endl;
    }

    const std::string researchSite;
    const std::string versionText;
    const SourceKeys keys;
    Upstream upstream;
    const std::vector<std::unique_ptr<Source>> sources;
    Workers workers{kMostUpstreamWorkers};

    mutable std::mutex mutex;
    std::vector<Health> health;
    std::unordered_map<std::string, EntryPtr> cache;
    std::unordered_map<std::string, std::pair<Clock::time_point, std::string>> gifs; // drawn from an entry
    std::unordered_map<std::string, std::vector<Waiter>> inFlight;
    std::string lastError;
    Clock::time_point lastComplaint{};
    long quietFailures = 0;
    std::mt19937 jitter;

    // --- fetching --------------------------------------------------------

    // Calls `waiter` with an entry fresh enough for `maxAge`, fetching one if
    // need be; at once when the cache has it.
    void need(Span span, const std::string& symbol, Clock::duration maxAge, Waiter waiter)
    {
        const std::string key = cacheKey(span, symbol);
        std::unique_lock lock(mutex);
        const auto now = Clock::now();
        if (const auto it = cache.find(key);
            it != cache.end() && now < it->second->until && now - it->second->fetched < maxAge) {
            EntryPtr entry = it->second;
            lock.unlock();
            waiter(std::move(entry));
            return;
        }
        auto& waiting = inFlight[key];
        waiting.push_back(std::move(waiter));
        if (waiting.size() > 1)
            return; // on its way already
        lock.unlock();
        workers.post([this, key, span, symbol] { fetch(key, span, symbol); });
    }

    void fetch(const std::string& key, Span span, const std::string& symbol)
    {
        EntryPtr entry;
        try {
            entry = ask(span, symbol);
        } catch (const std::exception& e) { // the waiters are answered all the same
            complain(std::string("asking the sources failed: ") + e.what());
        }
        std::vector<Waiter> waiters;
        {
            std::lock_guard lock(mutex);
            const auto now = Clock::now();
            if (entry) {
                store(key, entry, now);
                // A source that sends the quote and the day's bars together is asked once for both.
                if (span == Span::Quote && !entry->data.series.bars.empty())
                    store(cacheKey(Span::Day, symbol), entry, now);
                if (span == Span::Day && entry->data.quote)
                    store(cacheKey(Span::Quote, symbol), entry, now);
            } else if (const auto it = cache.find(key); it != cache.end() && now - it->second->fetched < kStaleLimit) {
                entry = it->second;
            }
            waiters = std::move(inFlight[key]);
            inFlight.erase(key);
        }
        for (Waiter& w : waiters)
            w(entry);
    }

    void store(const std::string& key, const EntryPtr& entry, Clock::time_point now)
    {
        if (cache.size() >= kMaxEntries)
            std::erase_if(cache, [&](const auto& e) { return now - e.second->fetched >= kStaleLimit; });
        if (cache.size() >= kMaxEntries)
            cache.clear();
        cache.insert_or_assign(key, entry);
    }

    // Asks the sources in order, skipping those that rest after failing and
    // those without their key. The first that knows the symbol answers for
    // it, with a price or without.
    EntryPtr ask(Span span, const std::string& symbol)
    {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            if (sources[i]->lacksKey())
                continue;
            {
                std::lock_guard lock(mutex);
                if (Clock::now() < health[i].retryAt)
                    continue;
                ++health[i].asked;
            }
            SourceAnswer a = sources[i]->fetch(symbol, span);
            if (a.outcome == Outcome::NotOffered)
                continue;
            if (a.outcome == Outcome::Throttled) {
                complain(a.error);
                return nullptr;
            }
            if (a.outcome == Outcome::Failed) {
                failed(i, a);
                continue;
            }
            prepareForTicker(symbol, a);
            const auto now = Clock::now();
            auto entry = std::make_shared<Entry>();
            entry->fetched = now;
            entry->until = span == Span::Quote || span == Span::Day ? now + kDayChartAge
                : span == Span::FiveDay                             ? now + kFiveDayAge
                                                                    : nextMidnight(now, a.series.utcOffset);
            entry->data = std::move(a);
            std::lock_guard lock(mutex);
            health[i].failures = 0;
            health[i].answered = true;
            return entry;
        }
        complain(summary());
        return nullptr;
    }

    void failed(std::size_t i, const SourceAnswer& a)
    {
        std::lock_guard lock(mutex);
        Health& h = health[i];
        ++h.failures;
        const auto doubling = kFirstBackOff * (1LL << std::min(h.failures - 1, 20));
        const auto wait = std::min<Clock::duration>(doubling, kLongestBackOff)
            * std::uniform_real_distribution<double>(0.5, 1.0)(jitter);
        h.retryAt =
            Clock::now() + std::max<Clock::duration>(std::chrono::duration_cast<Clock::duration>(wait), a.retryAfter);
        h.lastError = a.error;
        h.shortError = a.brief;
        h.lastErrorAt = Wall::now();
        lastError = a.error;
    }

    std::string summary() const
    {
        std::lock_guard lock(mutex);
        if (sources.empty())
            return "no source is configured";
        std::string why = "no source answered";
        for (std::size_t i = 0; i < sources.size(); ++i)
            why += (i ? "; " : ": ")
                + (sources[i]->lacksKey()            ? std::string(sources[i]->label()) + " source: no key"
                       : health[i].lastError.empty() ? std::string(sources[i]->label()) + " source: no data"
                                                     : health[i].lastError);
        return why;
    }

    // Says why the market has nothing to show, once a minute at most.
    void complain(const std::string& why)
    {
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        if (lastComplaint != Clock::time_point{} && now - lastComplaint < kComplaintGap) {
            ++quietFailures;
            return;
        }
        std::cerr << "quoterra-service: live market: " << why;
        if (quietFailures > 0)
            std::cerr << " (" << quietFailures << " more failed answers since the last report)";
        std::cerr << std::endl;
        lastComplaint = now;
        quietFailures = 0;
    }

    // --- answers -----------------------------------------------------------

    void quote(const std::string& asked, Respond respond)
    {
        const std::string upper = upperSymbol(asked);
        if (!plausible(upper))
            return respond(Reply{200, "text/csv; charset=us-ascii", notFoundLine(asked), ReplyKind::Quote});
        need(Span::Quote, upper, kQuoteAge, [asked, respond = std::move(respond)](EntryPtr e) {
            if (!e)
                return respond(unavailable(ReplyKind::Quote));
            respond(replyOrInternalError([&] {
                return Reply{200, "text/csv; charset=us-ascii",
                             e->data.quote ? liveQuoteLine(asked, *e->data.quote) : notFoundLine(asked),
                             ReplyKind::Quote};
            }));
        });
    }

    void chart(const std::string& asked, ChartRange range, Respond respond)
    {
        const std::string upper = upperSymbol(asked);
        if (!plausible(upper))
            return respond(Reply{200, "image/gif", noChartGif(), ReplyKind::Chart});
        need(spanOf(range), upper, Clock::duration::max(),
             [this, upper, range, respond = std::move(respond)](EntryPtr e) {
                 if (!e)
                     return respond(unavailable(ReplyKind::Chart));
                 respond(replyOrInternalError([&] {
                     return Reply{200, "image/gif", drawn(upper, range, *e), ReplyKind::Chart};
                 }));
             });
    }

    std::string drawn(const std::string& upper, ChartRange range, const Entry& e)
    {
        const std::string key = char('0' + int(range)) + upper;
        {
            std::lock_guard lock(mutex);
            if (const auto it = gifs.find(key); it != gifs.end() && it->second.first == e.fetched)
                return it->second.second;
        }
        const auto series = liveSeries(e.data.series, range);
        std::string gif = series ? encodeGif(drawChart(*series, upper, range)) : noChartGif();
        std::lock_guard lock(mutex);
        if (gifs.size() >= kMaxEntries)
            gifs.clear();
        gifs.insert_or_assign(key, std::pair{e.fetched, gif});
        return gif;
    }

    // Research pages live on a public finance site.
    Reply research(const Route& r) const
    {
        const std::string sym = urlEncode(chartSymbol(upperSymbol(r.symbol)));
        if (r.kind == Route::Kind::Lookup)
            return redirect(researchSite + "/lookup?s=" + urlEncode(r.symbol));
        if (r.symbol.empty())
            return redirect(researchSite + "/");
        if (r.kind == Route::Kind::ChartPage)
            return redirect(researchSite + "/chart/" + sym);
        return redirect(researchSite + "/quote/" + sym + "/"
                        + std::string(r.kind == Route::Kind::Board ? "community" : r.page));
    }

    Reply startPage() const
    {
        std::string body =
            "<p>Delayed quotes and charts from live market sources, for the Quoterra ticker.</p>\n<ul>\n";
        for (const auto& s : sources)
            body += "<li>" + htmlEscape(s->label()) + " source: " + htmlEscape(s->origin())
                + (s->lacksKey() ? " (no key)" : "") + "</li>\n";
        body += "</ul>\n<p><a href=\"/_status\">Status</a></p>\n";
        return Reply{200, "text/html; charset=utf-8",
                     htmlPage("Quoterra quote service", body, "live market data, delayed."), ReplyKind::Page};
    }
};

LiveMarket::LiveMarket(const Options& options)
    : d(std::make_unique<Impl>(options))
{
}

LiveMarket::~LiveMarket()
{
    d->upstream.cancel();
    d->workers.stop();
}

void LiveMarket::answer(std::string_view target, Respond respond)
{
    const Route r = routeOf(target);
    switch (r.kind) {
    case Route::Kind::Quote:
        return answerQuotes(
            r.symbols, [this](const std::string& symbol, Respond one) { d->quote(symbol, std::move(one)); },
            std::move(respond));
    case Route::Kind::Chart:
        return d->chart(r.symbol, r.range, std::move(respond));
    case Route::Kind::Version:
        return respond(versionReply(d->versionText));
    case Route::Kind::Research:
    case Route::Kind::ChartPage:
    case Route::Kind::Board:
    case Route::Kind::Lookup:
        return respond(d->research(r));
    case Route::Kind::Start:
        return respond(d->startPage());
    case Route::Kind::NotFound:
        break;
    }
    respond(notFound());
}

std::string LiveMarket::status() const
{
    namespace json = boost::json;
    std::lock_guard lock(d->mutex);
    const auto now = Clock::now();
    json::array sources;
    for (std::size_t i = 0; i < d->sources.size(); ++i) {
        const Health& h = d->health[i];
        const Source& source = *d->sources[i];
        const char* state = source.lacksKey() ? "no key"
            : h.failures == 0                 ? (h.answered ? "ok" : "untried")
            : now < h.retryAt                 ? "backing-off"
                                              : "failing";
        json::object s{{"name", source.name()},
                       {"label", source.label()},
                       {"origin", source.origin()},
                       {"health", state},
                       {"failures", h.failures},
                       {"asked", h.asked},
                       {"lastError", source.lacksKey() ? d->keys.whyNoKey(source.name()) : h.lastError},
                       {"shortError", source.lacksKey() ? std::string("no key") : h.shortError}};
        if (now < h.retryAt)
            s["retryInSeconds"] = std::int64_t(std::ceil(std::chrono::duration<double>(h.retryAt - now).count()));
        if (!h.lastError.empty())
            s["lastErrorSecondsAgo"] =
                std::chrono::duration_cast<std::chrono::seconds>(Wall::now() - h.lastErrorAt).count();
        sources.push_back(std::move(s));
    }
    return json::serialize(json::object{
               {"market", "live"},
               {"sources", std::move(sources)},
               {"cache", json::object{{"entries", d->cache.size()}, {"charts", d->gifs.size()}}},
               {"upstreamRequests", d->upstream.requests()},
               {"lastUpstreamError", d->lastError},
           })
        + "\n";
}

} // namespace quoterra::service
