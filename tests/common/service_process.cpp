#include "service_process.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpSocket>

#include <sys/prctl.h>

#include <csignal>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kExchangeTimeoutMs = 10000;

bool hasOption(const QStringList& args, const QString& name)
{
    for (const QString& a : args)
        if (a == name || a.startsWith(name + QLatin1Char('=')))
            return true;
    return false;
}

} // namespace

ServiceProcess::ServiceProcess(const QStringList& extraArgs, Control control)
{
    // Tests rely on the offline market and on the control endpoints.
    QStringList args{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bind"),
                     QStringLiteral("127.0.0.1")};
    if (control == Control::On)
        args << QStringLiteral("--test-control");
    if (!hasOption(extraArgs, QStringLiteral("--seed")))
        args << QStringLiteral("--seed") << QStringLiteral("1");
    if (!hasOption(extraArgs, QStringLiteral("--market")))
        args << QStringLiteral("--market") << QStringLiteral("simulated");
    args << extraArgs;

    m_process.setProgram(QStringLiteral(QUOTERRA_SERVICE_BIN));
    m_process.setArguments(args);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes takes its service with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process.start();
    if (!m_process.waitForStarted(kStartTimeoutMs)) {
        qWarning("ServiceProcess: cannot start %s: %s", QUOTERRA_SERVICE_BIN, qPrintable(m_process.errorString()));
        return;
    }

    static const QRegularExpression listening(
        QStringLiteral("^quoterra-service listening on http://127\\.0\\.0\\.1:(\\d+)\\s*$"));
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine());
            const auto match = listening.match(line);
            if (match.hasMatch()) {
                m_port = static_cast<quint16>(match.captured(1).toUInt());
                return;
            }
            qWarning("ServiceProcess: unexpected output: %s", qPrintable(line.trimmed()));
            continue;
        }
        if (m_process.state() != QProcess::Running)
            break;
        m_process.waitForReadyRead(static_cast<int>(qMin<qint64>(deadline.remainingTime(), 200)));
    }
    qWarning("ServiceProcess: the service did not report its port (exit code %d)", m_process.exitCode());
    stop();
}

ServiceProcess::~ServiceProcess()
{
    stop();
}

bool ServiceProcess::isRunning() const
{
    return m_port != 0 && m_process.state() == QProcess::Running;
}

QString ServiceProcess::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

quint16 ServiceProcess::port() const
{
    return m_port;
}

ServiceProcess::Answer ServiceProcess::exchange(const QByteArray& method, const QByteArray& target) const
{
    Answer answer;
    if (m_port == 0)
        return answer;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    if (!socket.waitForConnected(kExchangeTimeoutMs))
        return answer;
    socket.write(method + ' ' + target
                 + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\n"
                   "Connection: close\r\n\r\n");
    if (!socket.waitForBytesWritten(kExchangeTimeoutMs))
        return answer;

    // The service closes the connection after the answer.
    QByteArray data;
    QDeadlineTimer deadline(kExchangeTimeoutMs);
    while (!deadline.hasExpired() && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        data += socket.readAll();
    data += socket.readAll();

    const qsizetype headerEnd = data.indexOf("\r\n\r\n");
    static const QRegularExpression statusLine(QStringLiteral("^HTTP/1\\.[01] (\\d{3})"));
    const auto match = statusLine.match(QString::fromLatin1(data.left(16)));
    if (headerEnd < 0 || !match.hasMatch())
        return answer;
    answer.status = match.captured(1).toInt();
    answer.body = data.mid(headerEnd + 4);
    return answer;
}

QStringList ServiceProcess::requests() const
{
    const Answer a = exchange("GET", "/_control/requests");
    if (a.status != 200) {
        qWarning("ServiceProcess: request log unavailable (status %d)", a.status);
        return {};
    }
    QStringList lines = QString::fromUtf8(a.body).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ServiceProcess::failNext(int count)
{
    const Answer a = exchange("POST", "/_control/fail-next?count=" + QByteArray::number(count));
    if (a.status != 200)
        qWarning("ServiceProcess: fail-next refused (status %d)", a.status);
}

void ServiceProcess::reset()
{
    const Answer a = exchange("POST", "/_control/reset");
    if (a.status != 200)
        qWarning("ServiceProcess: reset refused (status %d)", a.status);
}

void ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM: the service stops cleanly
    if (!m_process.waitForFinished(5000)) {
        qWarning("ServiceProcess: the service ignored SIGTERM; killing it");
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
