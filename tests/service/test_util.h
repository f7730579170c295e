#pragma once

#include "service_process.h"

#include <QImage>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

namespace service_test {

// A plain loopback connection for clients that misbehave: half-sent heads,
// floods, trickles, thousands at once. Every wait has a limit.
class RawClient {
public:
    explicit RawClient(quint16 port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // False once the service has closed or reset the connection.
    bool send(std::string_view bytes);

    struct Answer {
        int status = -1; // -1: no whole answer in time
        std::string head;
        std::string body;
        bool hasHeader(std::string_view line) const; // "Name: value", any case of the name
    };
    // One answer: the head and the body its Content-Length announces.
    Answer read(int timeoutMs = 10'000, bool bodyless = false);
    // Whether the service hung up within the time (everything before is read and dropped).
    bool closedWithin(int timeoutMs);

private:
    int fd_ = -1;
    std::string pending_;
};

// Sends the bytes as they are on a fresh connection and reads one answer;
// status -1 when nothing came back. Safe from any thread.
ServiceProcess::Answer rawExchange(quint16 port, const QByteArray& bytes);
ServiceProcess::Answer get(const ServiceProcess& service, const QByteArray& target);

// A quote line of the shape the ticker reads:
// "SYM",last,"M/D/YYYY","h:mmam",change,open,high,low,volume CRLF
struct Quote {
    QString symbol;
    double last = 0, open = 0, high = 0, low = 0;
};
std::optional<Quote> parseQuote(const QByteArray& line);

// The chart as the ticker's image reader sees it; null for a broken or cut-off GIF.
QImage gifImage(const QByteArray& bytes);

// Runs the service to its end (it must end by itself).
struct Finished {
    int exitCode = -1; // -1 when it crashed or had to be killed
    QString out;
    QString err;
};
Finished runService(const QStringList& args, int timeoutMs = 15'000);

// Resident memory of a process in KiB, 0 when unknown.
long residentKiB(qint64 pid);

} // namespace service_test
