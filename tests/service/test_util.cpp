#include "test_util.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>

namespace service_test {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::max<long long>(0, left));
}

} // namespace

RawClient::RawClient(quint16 port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (fd_ >= 0) {
        const timeval limit{10, 0}; // a send into a full window must not hang a test
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
}

RawClient::~RawClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::send(std::string_view bytes)
{
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return fd_ >= 0;
}

bool RawClient::Answer::hasHeader(std::string_view line) const
{
    const std::size_t colon = line.find(':');
    const auto sameName = [&](std::string_view field) {
        return std::equal(field.begin(), field.begin() + colon, line.begin(), line.begin() + colon,
                          [](char x, char y) { return std::tolower(uchar(x)) == std::tolower(uchar(y)); });
    };
    for (std::size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at)) {
        at += 2;
        const std::string_view field = std::string_view(head).substr(at, head.find("\r\n", at) - at);
        if (field.size() == line.size() && sameName(field) && field.substr(colon) == line.substr(colon))
            return true;
    }
    return false;
}

RawClient::Answer RawClient::read(int timeoutMs, bool bodyless)
{
    Answer answer;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t headEnd = std::string::npos;
    long long length = 0;
    for (;;) {
        if (headEnd == std::string::npos && (headEnd = pending_.find("\r\n\r\n")) != std::string::npos) {
            answer.head = pending_.substr(0, headEnd);
            static const QRegularExpression contentLength(QStringLiteral("\\r\\ncontent-length:\\s*(\\d+)"),
                                                          QRegularExpression::CaseInsensitiveOption);
            const auto m = contentLength.match(QString::fromLatin1(answer.head.c_str()));
            length = bodyless || !m.hasMatch() ? 0 : m.captured(1).toLongLong();
        }
        if (headEnd != std::string::npos && pending_.size() >= headEnd + 4 + std::size_t(length)) {
            answer.body = pending_.substr(headEnd + 4, std::size_t(length));
            pending_.erase(0, headEnd + 4 + std::size_t(length));
            if (answer.head.starts_with("HTTP/1.1 ") && answer.head.size() >= 12)
                answer.status = std::atoi(answer.head.substr(9, 3).c_str());
            return answer;
        }
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || ::poll(&p, 1, remainingMs(deadline)) <= 0)
            return answer;
        char chunk[16384];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0)
            return answer;
        pending_.append(chunk, std::size_t(n));
    }
}

bool RawClient::closedWithin(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0)
            return true;
        if (::poll(&p, 1, remainingMs(deadline)) <= 0)
            return false;
        char chunk[16384];
        if (::recv(fd_, chunk, sizeof chunk, 0) <= 0)
            return true;
    }
}

ServiceProcess::Answer rawExchange(quint16 port, const QByteArray& bytes)
{
    RawClient client(port);
    client.send(bytes.toStdString());
    const RawClient::Answer a = client.read();
    return {a.status, QByteArray::fromStdString(a.body)};
}

ServiceProcess::Answer get(const ServiceProcess& service, const QByteArray& target)
{
    return rawExchange(service.port(), "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

std::optional<Quote> parseQuote(const QByteArray& line)
{
    static const QRegularExpression shape(QStringLiteral(
        R"re(^"([^"]*)",(\d+\.\d\d),"\d{1,2}/\d{1,2}/\d{4}","\d{1,2}:\d\d[ap]m",([+-]\d+\.\d\d|0\.00),)re"
        R"re((\d+\.\d\d),(\d+\.\d\d),(\d+\.\d\d),\d+\r\n\z)re"));
    const auto m = shape.match(QString::fromLatin1(line));
    if (!m.hasMatch())
        return std::nullopt;
    return Quote{m.captured(1), m.captured(2).toDouble(), m.captured(4).toDouble(), m.captured(5).toDouble(),
                 m.captured(6).toDouble()};
}

QImage gifImage(const QByteArray& bytes)
{
    // Qt draws what it can of a truncated file, so insist on the trailer too.
    if (!bytes.startsWith("GIF89a") || !bytes.endsWith(';'))
        return {};
    return QImage::fromData(bytes, "GIF");
}

Finished runService(const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(QStringLiteral(QUOTERRA_SERVICE_BIN), args);
    Finished r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

long residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

} // namespace service_test
