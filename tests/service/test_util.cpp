#include "test_util.h"

#include <QProcess>
#include <QRegularExpression>

namespace service_test {

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

} // namespace service_test
