#include "test_util.h"

#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

namespace service_test {

ServiceProcess::Answer rawExchange(quint16 port, const QByteArray& bytes)
{
    ServiceProcess::Answer answer;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return answer;
    socket.write(bytes);
    // Read to the close or, as a bad request leaves the connection open, to
    // the end of the body the head announces.
    QByteArray data;
    qsizetype headerEnd = -1, length = -1;
    while (socket.waitForReadyRead(10000)) {
        data += socket.readAll();
        headerEnd = data.indexOf("\r\n\r\n");
        const qsizetype at = data.left(headerEnd).toLower().indexOf("\r\ncontent-length:");
        if (headerEnd >= 0 && at >= 0)
            length = data.mid(at + 17, headerEnd - at - 17).split('\r').first().trimmed().toLongLong();
        if (length >= 0 && data.size() >= headerEnd + 4 + length)
            break;
    }
    data += socket.readAll();
    headerEnd = data.indexOf("\r\n\r\n");
    if (!data.startsWith("HTTP/1.1 ") || headerEnd < 0)
        return answer;
    answer.status = data.mid(9, 3).toInt();
    answer.body = data.mid(headerEnd + 4);
    return answer;
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

Finished runService(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QUOTERRA_SERVICE_BIN), args);
    Finished r;
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace service_test
