#include "test_util.h"

#include <gif_lib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <regex>

namespace service_test {

std::unique_ptr<httplib::Client> client(const ServiceProcess& service)
{
    auto c = std::make_unique<httplib::Client>("127.0.0.1", service.port());
    c->set_connection_timeout(5);
    c->set_read_timeout(15);
    return c;
}

httplib::Result get(const ServiceProcess& service, const std::string& target)
{
    return client(service)->Get(target);
}

std::string RawAnswer::header(const std::string& lowerName) const
{
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

RawAnswer rawExchange(std::uint16_t port, const std::string& requestBytes)
{
    RawAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return answer;
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return answer;
    }
    std::size_t sent = 0;
    while (sent < requestBytes.size()) {
        const ssize_t n = ::send(fd, requestBytes.data() + sent, requestBytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }

    std::string data;
    char buf[16384];
    std::size_t headerEnd = std::string::npos;
    long long expected = -1;
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        data.append(buf, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                std::string lower = data.substr(0, headerEnd);
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
                const std::size_t at = lower.find("\r\ncontent-length:");
                if (at != std::string::npos)
                    expected = std::atoll(lower.c_str() + at + 17);
            }
        }
        if (headerEnd != std::string::npos && expected >= 0
            && data.size() >= headerEnd + 4 + static_cast<std::size_t>(expected))
            break;
    }
    ::close(fd);

    if (headerEnd == std::string::npos || !data.starts_with("HTTP/1.1 ") || data.size() < 12)
        return answer;
    answer.answered = true;
    answer.status = std::atoi(data.c_str() + 9);
    std::size_t pos = data.find("\r\n") + 2;
    while (pos < headerEnd) {
        const std::size_t eol = data.find("\r\n", pos);
        const std::string line = data.substr(pos, eol - pos);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            answer.headers.emplace(name, value);
        }
        pos = eol + 2;
    }
    answer.body = data.substr(headerEnd + 4);
    return answer;
}

RawAnswer rawGet(std::uint16_t port, const std::string& target)
{
    return rawExchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

namespace {

struct MemoryInput {
    const std::string* bytes;
    std::size_t pos = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int length)
{
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), in->bytes->size() - in->pos);
    std::memcpy(out, in->bytes->data() + in->pos, n);
    in->pos += n;
    return static_cast<int>(n);
}

void collectComments(const ExtensionBlock* blocks, int count, std::vector<std::string>& out)
{
    std::string current;
    bool inComment = false;
    for (int i = 0; i < count; ++i) {
        const ExtensionBlock& b = blocks[i];
        if (b.Function == COMMENT_EXT_FUNC_CODE) {
            if (inComment)
                out.push_back(current);
            current.assign(reinterpret_cast<const char*>(b.Bytes), static_cast<std::size_t>(b.ByteCount));
            inComment = true;
        } else if (b.Function == CONTINUE_EXT_FUNC_CODE && inComment) {
            current.append(reinterpret_cast<const char*>(b.Bytes), static_cast<std::size_t>(b.ByteCount));
        }
    }
    if (inComment)
        out.push_back(current);
}

} // namespace

std::optional<DecodedGif> decodeGif(const std::string& bytes)
{
    MemoryInput input{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, readFromMemory, &error);
    if (!gif)
        return std::nullopt;
    std::optional<DecodedGif> result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        DecodedGif d;
        d.width = gif->SWidth;
        d.height = gif->SHeight;
        d.colours = map ? map->ColorCount : 0;
        const std::size_t n = static_cast<std::size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
        d.pixels.assign(image.RasterBits, image.RasterBits + n);
        collectComments(image.ExtensionBlocks, image.ExtensionBlockCount, d.comments);
        collectComments(gif->ExtensionBlocks, gif->ExtensionBlockCount, d.comments);
        result = std::move(d);
    }
    DGifCloseFile(gif, &error);
    return result;
}

std::optional<QuoteFields> parseQuote(const std::string& line)
{
    static const std::regex shape(
        R"re(^"([^"]*)",(\d+\.\d\d),"(\d{1,2}/\d{1,2}/\d{4})","(\d{1,2}:\d\d(?:am|pm))",([+-]\d+\.\d\d|0\.00),(\d+\.\d\d),(\d+\.\d\d),(\d+\.\d\d),(\d+)\r\n$)re");
    std::smatch m;
    if (!std::regex_match(line, m, shape))
        return std::nullopt;
    QuoteFields q;
    q.symbol = m[1];
    q.last = std::stod(m[2]);
    q.date = m[3];
    q.time = m[4];
    q.changeText = m[5];
    q.change = std::stod(m[5]);
    q.open = std::stod(m[6]);
    q.high = std::stod(m[7]);
    q.low = std::stod(m[8]);
    q.volume = std::stoll(m[9]);
    return q;
}

} // namespace service_test
