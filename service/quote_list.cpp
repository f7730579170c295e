#include "quote_list.h"

#include "routes.h"

#include "net/text.h"

#include <memory>
#include <mutex>
#include <optional>

namespace quoterra::service {

namespace {

// The answers of several symbols, gathered as they come.
struct Gathering {
    explicit Gathering(std::size_t count, Respond r)
        : replies(count)
        , left(count)
        , respond(std::move(r))
    {
    }

    void arrived(std::size_t index, Reply reply)
    {
        {
            std::lock_guard lock(mutex);
            replies[index] = std::move(reply);
            if (--left > 0)
                return;
        }
        respond(combined());
    }

    Reply combined()
    {
        const Reply* first = nullptr;
        for (const auto& r : replies)
            if (r->status == 200 && !first)
                first = &*r;
        if (!first)
            return std::move(*replies.front());
        Reply all{200, first->contentType, {}, ReplyKind::Quote};
        for (const auto& r : replies)
            all.body += r->status == 200 ? r->body : "\r\n";
        return all;
    }

    std::mutex mutex;
    std::vector<std::optional<Reply>> replies;
    std::size_t left;
    Respond respond;
};

} // namespace

std::vector<std::string> quoteSymbols(std::string_view rawValue)
{
    std::vector<std::string> symbols;
    for (std::string_view piece : net::splitOn(rawValue, '+'))
        symbols.push_back(percentDecode(piece, false));
    return symbols;
}

void answerQuotes(const std::vector<std::string>& symbols, const QuoteOfOne& one, Respond respond)
{
    if (symbols.size() > kMostQuoteSymbols)
        return respond(textReply(400, "At most " + std::to_string(kMostQuoteSymbols) + " symbols in one request.\n"));
    if (symbols.size() == 1)
        return one(symbols.front(), std::move(respond));
    auto gathering = std::make_shared<Gathering>(symbols.size(), std::move(respond));
    for (std::size_t i = 0; i < symbols.size(); ++i)
        one(symbols[i], [gathering, i](Reply reply) { gathering->arrived(i, std::move(reply)); });
}

} // namespace quoterra::service
