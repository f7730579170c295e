// Answers to the ticker's HTTP client as any server may send them: read
// whole or in pieces, they give the same answer, and nothing passes the caps.
#include "net/response_parser.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Read {
    quoterra::net::ResponseParser::State state;
    long status;
    std::string body;
};

Read read(std::string_view answer, std::size_t step)
{
    quoterra::net::ResponseParser parser(256, 1024);
    for (std::size_t at = 0; at < answer.size(); at += step)
        parser.feed(answer.substr(at, step));
    parser.finish();
    if (parser.body().size() > 1024)
        std::abort();
    return {parser.state(), parser.status(), parser.body()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t step = std::size_t(data[0] % 7) + 1;
    const std::string_view answer(reinterpret_cast<const char*>(data + 1), size - 1);
    const Read whole = read(answer, answer.size() + 1);
    const Read pieces = read(answer, step);
    using State = quoterra::net::ResponseParser::State;
    if (whole.state != pieces.state)
        std::abort();
    if (whole.state != State::Failed && (whole.status != pieces.status || whole.body != pieces.body))
        std::abort();
    return 0;
}
