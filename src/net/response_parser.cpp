#include "response_parser.h"

#include <algorithm>
#include <charconv>

namespace quoterra::net {

namespace {

constexpr std::size_t kMaxChunkLine = 1024;

// The codings every field of that name lists, in order, lower case.
std::vector<std::string> codings(const HeaderFields& fields, std::string_view name)
{
    std::vector<std::string> list;
    for (const auto& [field, value] : fields)
        if (equalsIgnoringCase(field, name))
            for (const std::string_view piece : splitOn(value, ','))
                if (const std::string_view coding = trimmed(piece); !coding.empty())
                    list.push_back(lowerAscii(coding));
    return list;
}

} // namespace

ResponseParser::ResponseParser(std::size_t maxHeaderBytes, std::size_t maxBody)
    : maxHeaderBytes_(maxHeaderBytes)
    , maxBody_(maxBody)
{
}

bool ResponseParser::fail(std::string why)
{
    state_ = State::Failed;
    error_ = std::move(why);
    pending_.clear();
    return false;
}

bool ResponseParser::tooLarge()
{
    return fail(bodyTooLargeError(maxBody_));
}

ResponseParser::State ResponseParser::feed(std::string_view bytes)
{
    if (state_ == State::Done || state_ == State::Failed)
        return state_;
    pending_.append(bytes);
    std::size_t taken = 0;
    while ((state_ == State::Head || state_ == State::Body) && takeNext(taken)) { }
    if (state_ != State::Failed)
        pending_.erase(0, taken);
    return state_;
}

bool ResponseParser::takeNext(std::size_t& taken)
{
    const bool chunkLines = framing_ == Framing::Chunks && chunkPart_ != ChunkPart::Data;
    if (state_ == State::Head || chunkLines) {
        const bool head = state_ == State::Head || chunkPart_ == ChunkPart::Trailer;
        const std::size_t room = head ? maxHeaderBytes_ - headBytes_ : kMaxChunkLine;
        const std::size_t end = pending_.find('\n', taken);
        const std::size_t length = (end == std::string::npos ? pending_.size() : end + 1) - taken;
        if (length > room) {
            return fail(head ? headTooLargeError(maxHeaderBytes_) : "a chunk's size line is too long");
        }
        if (end == std::string::npos)
            return false;
        std::string_view line(pending_.data() + taken, end - taken);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        taken = end + 1;
        if (head)
            headBytes_ += length;
        return state_ == State::Head ? headLine(line) : chunkLine(line);
    }
    // Body bytes: up to the length, the chunk's end, or the connection's end.
    const std::size_t available = pending_.size() - taken;
    if (available == 0)
        return false;
    const std::size_t n =
        framing_ == Framing::UntilClose ? available : std::size_t(std::min<std::uint64_t>(left_, available));
    if (body_.size() + n > maxBody_)
        return tooLarge();
    body_.append(pending_, taken, n);
    taken += n;
    if (framing_ != Framing::UntilClose && (left_ -= n) == 0) {
        if (framing_ == Framing::Length)
            state_ = State::Done;
        else
            chunkPart_ = ChunkPart::DataEnd;
    }
    return true;
}

bool ResponseParser::headLine(std::string_view line)
{
    if (!statusSeen_) {
        // "HTTP/1.1 200 OK"
        if (!line.starts_with("HTTP/1.") || line.size() < 12 || line[8] != ' ')
            return fail("the server's answer is not HTTP");
        long code = 0;
        const auto [end, ec] = std::from_chars(line.data() + 9, line.data() + 12, code);
        if (ec != std::errc() || end != line.data() + 12 || code < 100 || code > 999)
            return fail("the server's answer is not HTTP");
        status_ = code;
        statusSeen_ = true;
        return true;
    }
    if (line.empty())
        return endOfHead();
    if (const auto colon = line.find(':'); colon != std::string_view::npos && colon > 0)
        headers_.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
    return true;
}

bool ResponseParser::endOfHead()
{
    if (status_ < 200 && status_ != 101) { // an interim answer: the real one follows
        statusSeen_ = false;
        headers_.clear();
        return true;
    }
    if (status_ == 204 || status_ == 304) {
        state_ = State::Done;
        return true;
    }
    // Nothing asked for an encoding, so an answer in one cannot be read as
    // it stands; chunks are the one transfer coding there is to undo.
    for (const std::string& coding : codings(headers_, "Content-Encoding"))
        if (coding != "identity")
            return fail("the answer is encoded (" + coding + "), which was not asked for");
    const std::vector<std::string> transfer = codings(headers_, "Transfer-Encoding");
    for (std::size_t i = 0; i < transfer.size(); ++i)
        if (transfer[i] != "identity" && (transfer[i] != "chunked" || i + 1 != transfer.size()))
            return fail("the answer is sent in a coding that cannot be read (" + transfer[i] + ")");
    state_ = State::Body;
    if (!transfer.empty() && transfer.back() == "chunked") {
        framing_ = Framing::Chunks;
        chunkPart_ = ChunkPart::Size;
        return true;
    }
    const std::string length = header("Content-Length");
    if (length.empty()) {
        framing_ = Framing::UntilClose;
        return true;
    }
    std::uint64_t n = 0;
    const auto [end, ec] = std::from_chars(length.data(), length.data() + length.size(), n);
    if (ec != std::errc() || end != length.data() + length.size())
        return fail("the answer's length is not a number");
    if (n > maxBody_)
        return tooLarge();
    framing_ = Framing::Length;
    left_ = n;
    if (n == 0)
        state_ = State::Done;
    return true;
}

bool ResponseParser::chunkLine(std::string_view line)
{
    switch (chunkPart_) {
    case ChunkPart::DataEnd:
        if (!line.empty())
            return fail("a chunk does not end where its size says");
        chunkPart_ = ChunkPart::Size;
        return true;
    case ChunkPart::Trailer:
        if (line.empty())
            state_ = State::Done;
        return true;
    case ChunkPart::Size: {
        const std::string_view size = trimmed(line.substr(0, line.find(';')));
        std::uint64_t n = 0;
        const auto [end, ec] = std::from_chars(size.data(), size.data() + size.size(), n, 16);
        if (size.empty() || ec != std::errc() || end != size.data() + size.size())
            return fail("a chunk's size is not a number");
        if (n > maxBody_ - body_.size())
            return tooLarge();
        left_ = n;
        chunkPart_ = n == 0 ? ChunkPart::Trailer : ChunkPart::Data;
        return true;
    }
    case ChunkPart::Data:
        break;
    }
    return true;
}

ResponseParser::State ResponseParser::finish()
{
    if (state_ == State::Body && framing_ == Framing::UntilClose)
        state_ = State::Done;
    else if (state_ == State::Head && !statusSeen_ && headBytes_ == 0 && pending_.empty())
        fail("the server closed the connection without an answer");
    else if (state_ == State::Head || state_ == State::Body)
        fail("the server closed the connection before the whole answer");
    return state_;
}

} // namespace quoterra::net
