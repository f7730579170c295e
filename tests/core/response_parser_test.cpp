// Answers as the ticker's HTTP client reads them, whole and a byte at a
// time: the same answer however the bytes arrive.
#include "net/response_parser.h"

#include <gtest/gtest.h>

namespace quoterra::net {
namespace {

using State = ResponseParser::State;

struct Read {
    State state;
    long status;
    std::string body;
    std::string error;
};

Read readAll(std::string_view answer, std::size_t step, bool closed)
{
    ResponseParser parser(128, 32);
    for (std::size_t at = 0; at < answer.size(); at += step)
        parser.feed(answer.substr(at, step));
    if (closed)
        parser.finish();
    return {parser.state(), parser.status(), parser.body(), parser.error()};
}

TEST(ResponseParser, EveryFramingReadsTheSameWholeOrByteByByte)
{
    struct Case {
        const char* what;
        std::string answer;
        bool closed; // the server closed the connection after it
        State state;
        long status;
        std::string body;  // looked at only when the answer does not fail
        std::string error; // a part of it
    } cases[] = {
        {"a length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", false, State::Done, 200, "hello",
         ""},
        {"bare newlines", "HTTP/1.0 200 OK\nContent-Length: 2\n\nhi", false, State::Done, 200, "hi", ""},
        {"chunks, an extension and a trailer",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n3;x=y\r\nabc\r\n2\r\nde\r\n0\r\nT: 1\r\n\r\n", false,
         State::Done, 200, "abcde", ""},
        {"an interim answer first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 404 Not Found\r\nContent-Length: 1\r\n\r\nx",
         false, State::Done, 404, "x", ""},
        {"the body ends with the connection", "HTTP/1.1 200 OK\r\n\r\nto the end", true, State::Done, 200, "to the end",
         ""},
        {"no body", "HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n", false, State::Done, 204, "", ""},
        {"a length still coming", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhalf", false, State::Body, 200, "half",
         ""},
        {"closed before the length", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhalf", true, State::Failed, 200,
         "half", "before the whole answer"},
        {"closed before a word", "", true, State::Failed, 0, "", "without an answer"},
        {"not HTTP", "SSH-2.0-OpenSSH\r\n", false, State::Failed, 0, "", "not HTTP"},
        {"a length past the cap", "HTTP/1.1 200 OK\r\nContent-Length: 33\r\n\r\n", false, State::Failed, 200, "",
         "larger than 32 bytes"},
        {"a body past the cap", "HTTP/1.1 200 OK\r\n\r\n" + std::string(33, 'x'), false, State::Failed, 200,
         std::string(), "larger than 32 bytes"},
        {"chunks past the cap",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\n" + std::string(16, 'x') + "\r\n11\r\n", false,
         State::Failed, 200, std::string(16, 'x'), "larger than 32 bytes"},
        {"a head past the cap", "HTTP/1.1 200 OK\r\nX: " + std::string(120, 'y'), false, State::Failed, 200, "",
         "header is larger than 128 bytes"},
        {"a chunk size that is no number", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false,
         State::Failed, 200, "", "not a number"},
        {"a chunk longer than it said", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n", false,
         State::Failed, 200, "a", "does not end where"},
        {"a length that is no number", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", false, State::Failed, 200, "",
         "not a number"},
    };
    for (const Case& c : cases) {
        for (const std::size_t step : {c.answer.size() + 1, std::size_t(1)}) {
            SCOPED_TRACE(std::string(c.what) + (step == 1 ? ", byte by byte" : ", whole"));
            const Read r = readAll(c.answer, step, c.closed);
            EXPECT_EQ(r.state, c.state);
            EXPECT_EQ(r.status, c.status);
            if (c.state != State::Failed) {
                EXPECT_EQ(r.body, c.body);
            }
            EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        }
    }
}

} // namespace
} // namespace quoterra::net
