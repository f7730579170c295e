#include "check_sources.h"

#include "market.h"
#include "source_keys.h"
#include "sources.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace quoterra::service {

namespace {

using Outcome = SourceAnswer::Outcome;

std::string column(std::string text, std::size_t width)
{
    text.resize(std::max(width, text.size() + 1), ' ');
    return text;
}

} // namespace

int checkSources(const Options& options, std::ostream& out)
{
    const SourceKeys keys = readSourceKeys(sourceKeysPath());
    Upstream upstream(Upstream::Config{options.upstreamTimeout});
    const auto sources = makeSources(options, upstream, keys);
    const std::string symbol = upperSymbol(options.checkSymbol);
    if (!keys.problem.empty())
        out << keys.problem << "\n\n";
    out << column("source", 12) << column("status", 16) << column("time", 9) << "price or error\n";
    int answered = 0;
    for (const auto& source : sources) {
        std::string status, detail, took = "-";
        if (source->lacksKey()) {
            status = "no key";
            detail = keys.whyNoKey(source->name());
        } else {
            const auto start = std::chrono::steady_clock::now();
            SourceAnswer a = source->fetch(symbol, Span::Quote);
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            took = std::to_string(ms.count()) + " ms";
            prepareForTicker(symbol, a);
            answered += a.outcome == Outcome::Data || a.outcome == Outcome::UnknownSymbol;
            switch (a.outcome) {
            case Outcome::Data:
                status = "ok";
                detail = a.quote ? liveQuoteLine(options.checkSymbol, *a.quote) : notFoundLine(options.checkSymbol);
                detail.resize(detail.size() - 2); // the line end
                break;
            case Outcome::UnknownSymbol:
                status = "unknown symbol";
                detail = "no price for " + symbol + "; the ticker shows N/A";
                break;
            case Outcome::NotOffered:
                status = "not offered";
                detail = "this source has no quotes for " + symbol;
                break;
            case Outcome::Failed:
            case Outcome::Throttled:
                status = a.outcome == Outcome::Failed ? "failed" : "rate limit";
                detail = a.error;
                break;
            }
        }
        out << column(std::string(source->label()), 12) << column(status, 16) << column(took, 9) << detail << '\n';
    }
    if (sources.empty())
        out << "No source is configured.\n";
    else
        out << '\n'
            << answered << " of " << sources.size() << (sources.size() == 1 ? " source" : " sources") << " answered."
            << (answered ? "\n" : " The ticker shows \"Error\" until one does.\n");
    out.flush();
    return answered > 0 ? 0 : 1;
}

} // namespace quoterra::service
