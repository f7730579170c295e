#include "service_process.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

std::optional<std::string> HttpAnswer::header(std::string_view name) const
{
    const QByteArray wanted = QByteArray(name.data(), qsizetype(name.size())).toLower() + ':';
    for (const QByteArray& field : QByteArray::fromStdString(head).split('\n').mid(1))
        if (field.toLower().startsWith(wanted))
            return field.mid(wanted.size()).trimmed().toStdString();
    return std::nullopt;
}

RawClient::RawClient(quint16 port, const char* address)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &addr.sin_addr);
    addr.sin_port = htons(port);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
    const timeval limit{10, 0}; // a send into a full window must not hang a test
    if (fd_ >= 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
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

bool RawClient::readable(int timeoutMs) const
{
    pollfd p{fd_, POLLIN, 0};
    return fd_ >= 0 && ::poll(&p, 1, std::max(0, timeoutMs)) > 0;
}

HttpAnswer RawClient::read(int timeoutMs, bool bodyless)
{
    HttpAnswer answer;
    QDeadlineTimer deadline(timeoutMs);
    for (char chunk[16384];;) {
        const std::size_t headEnd = pending_.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            answer.head = pending_.substr(0, headEnd);
            const std::size_t length = bodyless ? 0 : QByteArray::fromStdString(answer.header("Content-Length").value_or("0")).toULongLong();
            if (pending_.size() >= headEnd + 4 + length) {
                answer.body = QByteArray::fromStdString(pending_.substr(headEnd + 4, length));
                pending_.erase(0, headEnd + 4 + length);
                if (answer.head.starts_with("HTTP/1.1 ") && answer.head.size() >= 12)
                    answer.status = std::atoi(answer.head.substr(9, 3).c_str());
                return answer;
            }
        }
        const ssize_t n = readable(int(deadline.remainingTime())) ? ::recv(fd_, chunk, sizeof chunk, 0) : 0;
        if (n <= 0)
            return answer;
        pending_.append(chunk, std::size_t(n));
    }
}

bool RawClient::closedWithin(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (char chunk[16384];;) {
        if (fd_ < 0)
            return true;
        if (!readable(int(deadline.remainingTime())))
            return false;
        if (::recv(fd_, chunk, sizeof chunk, 0) <= 0)
            return true;
    }
}

HttpAnswer rawExchange(quint16 port, std::string_view bytes)
{
    RawClient client(port);
    client.send(bytes);
    return client.read();
}

ServiceProcess::ServiceProcess(const QStringList& extraArgs, Control control, const QProcessEnvironment& env)
{
    // Tests rely on the offline market and on the control endpoints.
    QStringList args{"--port", "0", "--bind", "127.0.0.1"};
    if (control == Control::On)
        args << "--test-control";
    for (const auto& [option, value] : {std::pair{"--seed", "1"}, {"--market", "simulated"}})
        if (!extraArgs.contains(QLatin1String(option)))
            args << option << value;
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes takes its service with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start(kServiceProgram, args + extraArgs);
    static const QRegularExpression listening(u"^quoterra-service listening on http://\\S+:(\\d+)\\s*$"_s);
    for (QDeadlineTimer deadline(10'000); !deadline.hasExpired() && m_process.state() != QProcess::NotRunning;) {
        if (!m_process.canReadLine()) {
            m_process.waitForReadyRead(200);
            continue;
        }
        const auto match = listening.match(QString::fromUtf8(m_process.readLine()));
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            return;
        }
    }
    ADD_FAILURE() << "quoterra-service did not start";
    stop();
}

HttpAnswer ServiceProcess::ask(const char* method, const QByteArray& target) const
{
    if (m_port == 0)
        return {};
    return rawExchange(m_port,
                       (method + (' ' + target) + " HTTP/1.1\r\n").toStdString() + hostLine()
                           + "Content-Length: 0\r\nConnection: close\r\n\r\n");
}

QStringList ServiceProcess::requests() const
{
    return QString::fromUtf8(get("/_control/requests").body).split(u'\n', Qt::SkipEmptyParts);
}

void ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM: the service stops cleanly
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

int ServiceProcess::waitForExit(int timeoutMs)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(timeoutMs))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
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

Finished run(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Finished r;
    if (!p.waitForFinished(15'000)) {
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
