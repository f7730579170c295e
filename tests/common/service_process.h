#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

inline const QString kServiceProgram = QStringLiteral(QUOTERRA_SERVICE_BIN);

// One HTTP answer as read off the wire.
struct HttpAnswer {
    int status = -1; // -1: no whole answer in time
    std::string head;
    QByteArray body;
    // The first field of that name (in any case), trimmed; nullopt if none.
    std::optional<std::string> header(std::string_view name) const;
};

// A plain loopback connection, also for clients that misbehave: half-sent
// heads, floods, trickles, thousands at once. Every wait has a limit.
class RawClient {
public:
    explicit RawClient(quint16 port, const char* address = "127.0.0.1");
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // False once the peer has closed or reset the connection.
    bool send(std::string_view bytes);
    // One answer: the head and the body its Content-Length announces.
    HttpAnswer read(int timeoutMs = 10'000, bool bodyless = false);
    // Whether the peer hung up within the time (everything before is dropped).
    bool closedWithin(int timeoutMs);

private:
    bool readable(int timeoutMs) const;
    int fd_ = -1;
    std::string pending_;
};

// Sends the bytes as they are on a fresh connection and reads one answer.
// Safe from any thread.
HttpAnswer rawExchange(quint16 port, std::string_view bytes);

// Starts quoterra-service on an ephemeral loopback port for one test and
// stops it again at the end, with its control endpoints on; a service that
// does not start fails the test. The market is the simulated one with seed 1
// unless extraArgs say otherwise.
class ServiceProcess {
public:
    enum class Control { On, Off }; // Off: started as a user starts it
    explicit ServiceProcess(const QStringList& extraArgs = {}, Control control = Control::On,
                            const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    ~ServiceProcess() { stop(); }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool isRunning() const { return m_port != 0 && m_process.state() == QProcess::Running; }
    QString origin() const { return u"http://127.0.0.1:%1"_s.arg(m_port); }
    // "Host: 127.0.0.1:PORT", the header line a local client sends it.
    std::string hostLine() const { return "Host: 127.0.0.1:" + std::to_string(m_port) + "\r\n"; }
    quint16 port() const { return m_port; }
    qint64 processId() const { return m_process.processId(); }

    HttpAnswer get(const QByteArray& target) const { return ask("GET", target); }
    HttpAnswer post(const QByteArray& target) const { return ask("POST", target); }

    // Targets of every request so far but the control ones, in arrival order.
    QStringList requests() const;
    // The next `count` quote, chart and version answers fail with 503.
    void failNext(int count) const { post("/_control/fail-next?count=" + QByteArray::number(count)); }
    // Clears the request log and pending failures.
    void reset() const { post("/_control/reset"); }
    // Ends the service, for "service down" cases; origin() stays valid.
    void stop();
    // Waits for the service to end by itself; its exit code, -1 if it did
    // not end in time or crashed.
    int waitForExit(int timeoutMs);

private:
    HttpAnswer ask(const char* method, const QByteArray& target) const;

    QProcess m_process;
    quint16 m_port = 0;
};

// A quote line of the shape the ticker reads:
// "SYM",last,"M/D/YYYY","h:mmam",change,open,high,low,volume CRLF
struct Quote {
    QString symbol;
    double last = 0, open = 0, high = 0, low = 0;
};
std::optional<Quote> parseQuote(const QByteArray& line);

// Runs a program, the service unless told otherwise, to its end (it must end
// by itself).
struct Finished {
    int exitCode = -1; // -1 when it crashed or had to be killed
    QString out, err;
};
Finished run(const QString& program, const QStringList& args,
             const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
inline Finished runService(const QStringList& args)
{
    return run(kServiceProgram, args);
}
