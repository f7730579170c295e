#pragma once

#include "service_process.h"

#include <QImage>
#include <QStringList>

#include <optional>

namespace service_test {

// Sends the bytes as they are on a fresh connection and reads the answer up
// to the close; status -1 when nothing came back. Safe from any thread.
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
    QString err;
};
Finished runService(const QStringList& args);

} // namespace service_test
