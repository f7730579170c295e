#pragma once

#include "reply.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

// Symbols one quote request may ask for: "s=IBM+MSFT+^TYX".
inline constexpr std::size_t kMostQuoteSymbols = 100;

// The symbols of a quote request's raw `s` value: split at each '+' (a
// '+' inside a symbol comes escaped, %2B), each decoded. An empty value is
// one empty symbol, whose answer is the N/A line.
std::vector<std::string> quoteSymbols(std::string_view rawValue);

// Answers one symbol's quote, at once or later, from any thread.
using QuoteOfOne = std::function<void(const std::string& symbol, Respond respond)>;

// Answers a quote request as the classic endpoint did: one line for each
// symbol, in the order asked. One symbol gets its own answer as it is.
// Of several, one whose source failed leaves an empty line in its place
// (never a made-up one); when all of them failed, the answer is the first
// failure. Past kMostQuoteSymbols the request is refused (400).
void answerQuotes(const std::vector<std::string>& symbols, const QuoteOfOne& one, Respond respond);

} // namespace quoterra::service
