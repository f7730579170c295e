#pragma once

#include "service_process.h"
#include "test_support.h"

#include <QImage>
#include <QStringList>

#include <optional>

namespace service_test {

using quoterra::test::originOf;
using quoterra::test::quoteTarget;
using quoterra::test::residentKiB;

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

} // namespace service_test
