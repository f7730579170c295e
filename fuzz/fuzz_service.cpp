// Hostile bytes for what the service reads from the network: request
// targets of the simulated market, and the live sources' answers. The first
// byte picks which; the rest is the input. A quote line must keep its nine
// fields whatever the source sent.
#include "live_quote.h"
#include "quote_list.h"
#include "routes.h"
#include "sources.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace quoterra::service;

namespace {

// The ticker splits a quote line at every comma: a line must hold nine
// fields, end in CRLF and carry no other line break.
void checkQuoteLine(const std::string& line)
{
    if (line.size() < 2 || !line.ends_with("\r\n") || line.find_first_of("\r\n") != line.size() - 2)
        std::abort();
    bool quoted = false;
    int commas = 0;
    for (char c : line) {
        quoted = c == '"' ? !quoted : quoted;
        commas += c == ',' && !quoted;
    }
    if (quoted || commas != 8)
        std::abort();
}

void checkChart(const std::string& gif)
{
    if (!gif.starts_with("GIF89a") || !gif.ends_with(';'))
        std::abort();
}

void drawLive(const SourceAnswer& a)
{
    if (a.quote) {
        checkQuoteLine(liveQuoteLine("IBM", *a.quote));
        checkQuoteLine(liveQuoteLine("", *a.quote));
    }
    for (ChartRange range : {ChartRange::OneDay, ChartRange::FiveDay, ChartRange::OneYear})
        if (const auto series = liveSeries(a.series, range))
            checkChart(encodeGif(drawChart(*series, "IBM", range)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 7) {
    case 0: {
        static const Routes routes(1, Calendar(std::chrono::sys_days(std::chrono::year(2024) / 5 / 10)), "4.00");
        const Reply reply = routes.answer(input, SimTime{3, 200});
        const Route route = routeOf(input);
        if (reply.kind == ReplyKind::Quote) { // a line for each symbol asked
            std::size_t lines = 0;
            for (std::size_t at = 0; at < reply.body.size(); ++lines) {
                const std::size_t end = reply.body.find("\r\n", at);
                checkQuoteLine(reply.body.substr(at, end == std::string::npos ? end : end + 2 - at));
                at = end == std::string::npos ? reply.body.size() : end + 2;
            }
            if (lines != route.symbols.size())
                std::abort();
        }
        if (reply.kind == ReplyKind::Chart)
            checkChart(reply.body);
        const bool tooMany = route.symbols.size() > kMostQuoteSymbols;
        if (reply.status != 200 && reply.status != 404 && !(reply.status == 400 && tooMany))
            std::abort();
        break;
    }
    case 1:
        for (Span span : {Span::Quote, Span::Day, Span::FiveDay, Span::Year})
            drawLive(readChartJson(200, input, span));
        break;
    case 2:
        drawLive(readCsvLatest(input, "ibm.us"));
        break;
    case 3:
        drawLive(readCsvDaily(input));
        break;
    case 4:
        drawLive(readQuoteInfo(input, "IBM"));
        break;
    case 5:
        drawLive(readQuoteChart(input, "IBM"));
        break;
    case 6:
        drawLive(readQuoteHistory(input, "IBM"));
        break;
    }
    return 0;
}
