#include "quote_stand_in.h"

#include <cstdio>

namespace {

constexpr std::string_view kQuotes = "/d/quotes.csv?s=";

// The symbols of a quote target, each decoded.
std::vector<std::string> symbolsOf(const std::string& target)
{
    std::vector<std::string> symbols;
    const std::string value = target.substr(kQuotes.size(), target.find('&') - kQuotes.size());
    std::string symbol;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || value[i] == '+') {
            symbols.push_back(symbol);
            symbol.clear();
        } else if (value[i] == '%' && i + 2 < value.size()) {
            symbol += char(std::stoi(value.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            symbol += value[i];
        }
    }
    return symbols;
}

} // namespace

QuoteStandIn::QuoteStandIn()
{
    server_.answerWith([this](const std::string& target) -> std::optional<FakeSource::Answer> {
        if (!target.starts_with(kQuotes))
            return std::nullopt;
        std::string body;
        for (const std::string& symbol : symbolsOf(target))
            body += line(symbol);
        return FakeSource::Answer{.status = 200, .contentType = "text/csv", .body = body};
    });
}

void QuoteStandIn::setPrice(const std::string& symbol, double price)
{
    std::lock_guard lock(mutex_);
    auto [at, fresh] = prices_.try_emplace(symbol, price, price);
    at->second.second = price;
}

std::string QuoteStandIn::line(const std::string& symbol) const
{
    std::lock_guard lock(mutex_);
    const auto at = prices_.find(symbol);
    if (at == prices_.end())
        return '"' + symbol + "\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n";
    const auto [first, now] = at->second;
    char text[200];
    std::snprintf(text, sizeof text, "\"%s\",%.2f,\"12/4/2026\",\"3:58pm\",%+.2f,%.2f,%.2f,%.2f,1000\r\n",
                  symbol.c_str(), now, now - first, first, std::max(first, now), std::min(first, now));
    return text;
}

int QuoteStandIn::asked(const std::string& symbol) const
{
    int n = 0;
    for (const std::string& head : server_.requests()) {
        const std::string target = head.substr(4, head.find(' ', 4) - 4);
        if (!target.starts_with(kQuotes))
            continue;
        for (const std::string& s : symbolsOf(target))
            n += s == symbol;
    }
    return n;
}
