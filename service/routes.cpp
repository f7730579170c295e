#include "routes.h"

#include "charts.h"
#include "pages.h"
#include "quote_list.h"

#include "net/text.h"

#include <boost/json.hpp>

#include <array>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace quoterra::service {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsParameter(std::string_view piece, std::string_view key)
{
    return piece == key || (piece.size() > key.size() && piece.starts_with(key) && piece[key.size()] == '=');
}

// "/n/I/IBM.html" with prefix "/n/" gives "IBM": the letter folder is not
// checked, the name runs to the final extension and may hold slashes.
bool symbolFromFile(std::string_view path, std::string_view prefix, std::string_view extension, std::string& symbol)
{
    if (!path.starts_with(prefix))
        return false;
    const std::string_view rest = path.substr(prefix.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return false;
    const std::string_view file = rest.substr(slash + 1);
    if (!file.ends_with(extension))
        return false;
    symbol = percentDecode(file.substr(0, file.size() - extension.size()), false);
    return true;
}

Reply html(std::string_view title, std::string_view body)
{
    return Reply{200, "text/html; charset=utf-8", htmlPage(title, body), ReplyKind::Page};
}

std::string titleFor(std::string_view what, std::string_view symbol)
{
    return symbol.empty() ? std::string(what) : std::string(what) + " for " + std::string(symbol);
}

std::string chartLinks(std::string_view symbol)
{
    const std::string s = urlEncode(symbol);
    return "<p>Charts: <a href=\"/q?s=" + s + "&amp;d=1b\">1 day</a> | <a href=\"/q?s=" + s
        + "&amp;d=2b\">5 day</a> | <a href=\"/q?s=" + s + "&amp;d=0b\">1 year</a></p>\n";
}

std::string yearChartPath(std::string_view upper)
{
    const std::string lower = net::lowerAscii(upper);
    const std::string first = lower.empty() ? std::string() : lower.substr(0, 1);
    return "/c/0b/" + urlEncode(first) + "/" + urlEncode(lower) + ".gif";
}

} // namespace

std::string percentDecode(std::string_view text, bool plusIsSpace)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string queryValue(std::string_view rawQuery, std::string_view key, std::initializer_list<std::string_view> keys,
                       bool plusIsSpace)
{
    return percentDecode(rawQueryValue(rawQuery, key, keys), plusIsSpace);
}

std::string rawQueryValue(std::string_view rawQuery, std::string_view key, std::initializer_list<std::string_view> keys)
{
    const std::vector<std::string_view> pieces = net::splitOn(rawQuery, '&');
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!startsParameter(pieces[i], key))
            continue;
        std::string raw(pieces[i].substr(std::min(pieces[i].size(), key.size() + 1)));
        for (std::size_t j = i + 1; j < pieces.size(); ++j) {
            bool another = false;
            for (std::string_view k : keys)
                another = another || startsParameter(pieces[j], k);
            if (another)
                break;
            raw += '&';
            raw += pieces[j];
        }
        return raw;
    }
    return {};
}

struct Routes::Cache {
    // Enough for every symbol a few tickers and a chart browser show; a
    // client asking for endless made-up symbols only churns it.
    static constexpr std::size_t kMaxEntries = 4096;

    std::string get(std::string key, SimTime now, const std::function<std::string()>& make)
    {
        {
            std::lock_guard lock(mutex);
            if (const auto it = entries.find(key); it != entries.end() && it->second.first == now)
                return it->second.second;
        }
        std::string body = make();
        std::lock_guard lock(mutex);
        if (entries.size() >= kMaxEntries)
            std::erase_if(entries, [&](const auto& e) { return e.second.first != now; });
        if (entries.size() >= kMaxEntries)
            entries.clear();
        entries.insert_or_assign(std::move(key), std::pair{now, body});
        return body;
    }

    std::mutex mutex;
    std::unordered_map<std::string, std::pair<SimTime, std::string>> entries;
};

Routes::Routes(std::uint64_t seed, Calendar calendar, std::string versionText)
    : market_(seed)
    , calendar_(calendar)
    , versionText_(std::move(versionText))
    , cache_(std::make_unique<Cache>())
{
}

Routes::~Routes() = default;

Target splitTarget(std::string_view target)
{
    const std::size_t mark = target.find('?');
    return {target.substr(0, mark), mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1)};
}

Route routeOf(std::string_view target)
{
    const auto [path, query] = splitTarget(target);
    Route r;
    const auto is = [&r](Route::Kind kind) {
        r.kind = kind;
        return r;
    };

    if (path == "/d/quotes.csv") {
        r.symbols = quoteSymbols(rawQueryValue(query, "s", {"s", "f", "e"}));
        return is(Route::Kind::Quote);
    }
    if (path == "/t" || path == "/v") {
        r.symbol = queryValue(query, "s", {"s"});
        r.range = path == "/t" ? ChartRange::OneDay : ChartRange::FiveDay;
        return is(Route::Kind::Chart);
    }
    if (symbolFromFile(path, "/c/0b/", ".gif", r.symbol)) {
        r.range = ChartRange::OneYear;
        return is(Route::Kind::Chart);
    }
    if (path == "/currentversion.txt")
        return is(Route::Kind::Version);

    struct Research {
        std::string_view prefix;
        std::string_view title;
        std::string_view page;
    };
    static constexpr std::array<Research, 5> kResearch = {{
        {"/n/", "News", "news"},
        {"/p/", "Profile", "profile"},
        {"/e/l/", "SEC filings", "sec-filings"},
        {"/z/a/", "Research", "analysis"},
        {"/t/", "Insider trading", "insider-transactions"},
    }};
    for (const Research& research : kResearch) {
        if (symbolFromFile(path, research.prefix, ".html", r.symbol)) {
            r.title = research.title;
            r.page = research.page;
            return is(Route::Kind::Research);
        }
    }

    if (path == "/q") {
        r.symbol = queryValue(query, "s", {"s", "d"});
        r.code = queryValue(query, "d", {"s", "d"});
        return is(Route::Kind::ChartPage);
    }
    if (path == "/l") {
        r.symbol = queryValue(query, "s", {"s"}, true);
        return is(Route::Kind::Lookup);
    }
    if (path == "/") {
        const std::string action = queryValue(query, "action", {"action", "board"});
        bool hasBoard = false;
        for (std::string_view piece : net::splitOn(query, '&'))
            hasBoard = hasBoard || startsParameter(piece, "board");
        if (action == "q" && hasBoard) {
            r.symbol = queryValue(query, "board", {"action", "board"});
            return is(Route::Kind::Board);
        }
        return is(Route::Kind::Start);
    }
    return is(Route::Kind::NotFound);
}

Reply notFound()
{
    return textReply(404, "Not Found: the Quoterra quote service has no such page.\n", ReplyKind::NotFound);
}

Reply versionReply(const std::string& text)
{
    return textReply(200, text, ReplyKind::Version);
}

Reply Routes::answer(std::string_view target, SimTime now) const
{
    const Route r = routeOf(target);
    switch (r.kind) {
    case Route::Kind::Quote: {
        Reply all; // every answer here comes at once
        answerQuotes(
            r.symbols, [&](const std::string& symbol, Respond respond) { respond(quote(symbol, now)); },
            [&all](Reply reply) { all = std::move(reply); });
        return all;
    }
    case Route::Kind::Chart:
        return chart(r.symbol, r.range, now);
    case Route::Kind::Version:
        return versionReply(versionText_);
    case Route::Kind::Research:
        return researchPage(r.title, r.symbol, now);
    case Route::Kind::ChartPage:
        return chartPage(r.symbol, r.code, now);
    case Route::Kind::Board:
        return boardPage(r.symbol, now);
    case Route::Kind::Lookup:
        return lookupPage(r.symbol);
    case Route::Kind::Start:
        return startPage();
    case Route::Kind::NotFound:
        break;
    }
    return notFound();
}

Reply Routes::quote(std::string_view symbol, SimTime now) const
{
    const std::string upper = upperSymbol(symbol);
    Reply r{200, "text/csv; charset=us-ascii", {}, ReplyKind::Quote};
    if (!isKnownSymbol(upper))
        r.body = unknownQuoteLine(upper);
    else
        r.body = cache_->get("q" + upper, now, [&] { return quoteLine(market_.quote(upper, now), calendar_); });
    return r;
}

Reply Routes::chart(std::string_view symbol, ChartRange range, SimTime now) const
{
    const std::string upper = upperSymbol(symbol);
    Reply r{200, "image/gif", {}, ReplyKind::Chart};
    if (!isKnownSymbol(upper))
        r.body = noChartGif();
    else
        r.body = cache_->get(std::to_string(int(range)) + upper, now,
                             [&] { return chartGif(market_, calendar_, upper, range, now); });
    return r;
}

std::string Routes::quoteSummary(std::string_view upper, SimTime now) const
{
    if (upper.empty())
        return "<p>No symbol was given.</p>\n";
    if (!isKnownSymbol(upper))
        return "<p>The simulated market does not trade " + htmlEscape(upper) + ".</p>\n";
    const Quote q = market_.quote(upper, now);
    std::string s = "<table>\n";
    s += "<tr><th>Last trade</th><td>" + formatCents(q.lastCents) + " at " + formatTime(q.time.minute) + " on "
        + formatDate(calendar_.date(q.time.day)) + "</td></tr>\n";
    s += "<tr><th>Change</th><td>" + formatCents(q.lastCents - q.previousCloseCents, true) + "</td></tr>\n";
    s += "<tr><th>Open</th><td>" + formatCents(q.openCents) + "</td></tr>\n";
    s += "<tr><th>Day's range</th><td>" + formatCents(q.lowCents) + " &ndash; " + formatCents(q.highCents)
        + "</td></tr>\n";
    s += "<tr><th>Volume</th><td>" + std::to_string(q.volume) + "</td></tr>\n</table>\n";
    return s;
}

Reply Routes::researchPage(std::string_view what, std::string_view symbol, SimTime now) const
{
    const std::string upper = upperSymbol(symbol);
    std::string body = "<p>This offline stand-in has no " + htmlEscape(std::string(what))
        + " pages of its own; "
          "here is what the simulated market shows.</p>\n";
    body += quoteSummary(upper, now);
    if (isKnownSymbol(upper))
        body += chartLinks(upper);
    return html(titleFor(what, upper), body);
}

Reply Routes::chartPage(std::string_view symbol, std::string_view code, SimTime now) const
{
    struct Code {
        std::string_view code;
        std::string_view label;
        char image; // 't' one-day, 'v' five-day, 'c' one-year
    };
    static constexpr std::array<Code, 9> kCodes = {{
        {"1b", "1 day", 't'},
        {"2b", "5 day", 'v'},
        {"0b", "1 year", 'c'},
        {"1d", "1 day", 't'},
        {"5d", "5 day", 'v'},
        {"3m", "3 month", 'c'},
        {"1y", "1 year", 'c'},
        {"2y", "2 year", 'c'},
        {"5y", "5 year", 'c'},
    }};
    const std::string upper = upperSymbol(symbol);
    const Code* chosen = nullptr;
    for (const Code& c : kCodes)
        if (c.code == code)
            chosen = &c;
    std::string title = titleFor("Chart", upper);
    if (chosen)
        title += " (" + std::string(chosen->label) + ")";

    std::string body;
    if (!upper.empty() && isKnownSymbol(upper)) {
        const char image = chosen ? chosen->image : 't';
        const std::string src = image == 't' ? "/t?s=" + urlEncode(upper)
            : image == 'v'                   ? "/v?s=" + urlEncode(upper)
                                             : yearChartPath(upper);
        body += "<p><img src=\"" + htmlEscape(src) + "\" width=\"" + std::to_string(kChartWidth) + "\" height=\""
            + std::to_string(kChartHeight) + "\" alt=\"" + htmlEscape(title) + "\"></p>\n";
        if (chosen && image == 'c' && chosen->code != "0b" && chosen->code != "1y")
            body += "<p>The simulated market keeps one year of history; that is what the chart shows.</p>\n";
    }
    body += quoteSummary(upper, now);
    return html(title, body);
}

Reply Routes::boardPage(std::string_view symbol, SimTime now) const
{
    const std::string upper = upperSymbol(symbol);
    std::string body = "<p>No messages yet: the offline message board is always quiet.</p>\n";
    body += quoteSummary(upper, now);
    return html(titleFor("Message board", upper), body);
}

Reply Routes::lookupPage(std::string_view query) const
{
    const std::vector<Company> found = lookUp(query);
    std::string body = "<form action=\"/l\" method=\"get\"><input name=\"s\" value=\"" + htmlEscape(query)
        + "\"> <input type=\"submit\" value=\"Look up\"></form>\n";
    if (found.empty()) {
        body += "<p>No listing matches &quot;" + htmlEscape(query) + "&quot;.</p>\n";
    } else {
        body += "<table>\n<tr><th>Symbol</th><th>Name</th></tr>\n";
        for (const Company& c : found)
            body += "<tr><td><a href=\"/q?s=" + urlEncode(c.symbol) + "&amp;d=1b\">" + htmlEscape(c.symbol)
                + "</a></td><td>" + htmlEscape(c.name) + "</td></tr>\n";
        body += "</table>\n";
    }
    return html(query.empty() ? std::string("Symbol lookup") : "Symbol lookup: " + std::string(query), body);
}

Reply Routes::startPage() const
{
    std::string body = "<p>A simulated market that answers the addresses the Quoterra ticker uses.</p>\n<ul>\n";
    for (const char* s : {"^DJI", "^IXIC", "^SPC", "^TYX", "IBM", "MSFT"})
        body += std::string("<li><a href=\"/d/quotes.csv?s=") + urlEncode(s) + "&amp;f=sl1d1t1c1ohgv&amp;e=.csv\">"
            + htmlEscape(s) + "</a> (<a href=\"/q?s=" + urlEncode(s) + "&amp;d=1b\">chart</a>)</li>\n";
    body += "</ul>\n<p>Newest version: " + htmlEscape(versionText_) + "</p>\n";
    body += "<p><a href=\"/l?s=\">Symbol lookup</a></p>\n";
    return html("Quoterra quote service", body);
}

SimulatedBackend::SimulatedBackend(std::uint64_t seed, std::string versionText)
    : routes_(seed, Calendar::startingToday(), std::move(versionText))
    , clock_(std::chrono::steady_clock::now())
{
}

void SimulatedBackend::answer(std::string_view target, Respond respond)
{
    respond(replyOrInternalError([&] { return routes_.answer(target, clock_.now()); }));
}

std::string SimulatedBackend::status() const
{
    const SimTime now = clock_.now();
    return boost::json::serialize(boost::json::object{
               {"market", "simulated"},
               {"seed", routes_.market().seed()},
               {"day", now.day},
               {"time", formatTime(now.minute)},
           })
        + "\n";
}

} // namespace quoterra::service
