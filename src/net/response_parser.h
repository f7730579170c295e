#pragma once

#include "get.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quoterra::net {

// An HTTP/1.x answer read as its bytes arrive: interim (1xx) heads skipped,
// the body framed by chunks, by its length or by the connection's end, and
// the head and the body each held to a cap.
class ResponseParser {
public:
    enum class State { Head, Body, Done, Failed };

    ResponseParser(std::size_t maxHeaderBytes, std::size_t maxBody);

    // Takes the next bytes; whatever follows a whole answer is ignored.
    State feed(std::string_view bytes);
    // The connection has ended.
    State finish();

    State state() const { return state_; }
    long status() const { return status_; }
    const HeaderFields& headers() const { return headers_; }
    std::string header(std::string_view name) const { return findHeader(headers_, name); }
    std::string& body() { return body_; }
    const std::string& error() const { return error_; }

private:
    enum class Framing { Length, Chunks, UntilClose };
    enum class ChunkPart { Size, Data, DataEnd, Trailer };

    bool takeNext(std::size_t& taken);
    bool headLine(std::string_view line);
    bool endOfHead();
    bool chunkLine(std::string_view line);
    bool fail(std::string why);
    bool tooLarge();

    std::size_t maxHeaderBytes_;
    std::size_t maxBody_;
    State state_ = State::Head;
    std::string pending_; // bytes not yet taken
    std::size_t headBytes_ = 0;
    bool statusSeen_ = false;
    long status_ = 0;
    HeaderFields headers_;
    Framing framing_ = Framing::UntilClose;
    ChunkPart chunkPart_ = ChunkPart::Size;
    std::uint64_t left_ = 0; // bytes of the body, or of the chunk, still to come
    std::string body_;
    std::string error_;
};

} // namespace quoterra::net
