#pragma once

#include "service_process.h"

#include <httplib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace service_test {

// A client for the service under test; symbols go out unescaped but for
// spaces, '+', ',' and non-ASCII bytes, which httplib escapes.
std::unique_ptr<httplib::Client> client(const ServiceProcess& service);
httplib::Result get(const ServiceProcess& service, const std::string& target);

// An exchange on a plain socket, for requests that must go out byte for byte.
struct RawAnswer {
    bool answered = false;
    int status = 0;
    std::multimap<std::string, std::string> headers; // names lower-cased
    std::string body;
    std::string header(const std::string& lowerName) const;
};
RawAnswer rawExchange(std::uint16_t port, const std::string& requestBytes);
RawAnswer rawGet(std::uint16_t port, const std::string& target);

struct DecodedGif {
    int width = 0;
    int height = 0;
    int colours = 0;
    std::vector<std::uint8_t> pixels; // palette indices of the first image
    std::vector<std::string> comments;
};
// Decodes with giflib; nullopt for anything giflib rejects.
std::optional<DecodedGif> decodeGif(const std::string& bytes);

// The ten fields of a quote line, parsed strictly; nullopt when the line
// does not have the shape "SYM",last,"M/D/YYYY","h:mmam",change,open,high,low,volume CRLF.
struct QuoteFields {
    std::string symbol, date, time;
    double last = 0, change = 0, open = 0, high = 0, low = 0;
    long long volume = 0;
    std::string changeText;
};
std::optional<QuoteFields> parseQuote(const std::string& line);

} // namespace service_test
