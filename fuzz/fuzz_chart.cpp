// The chart browser's path from what the user and the service give it to
// the picture on show: the chart address from a typed symbol, then the
// answer's bytes decoded and fitted into the chart area.
#include "charts/charts.h"

#include "hosts/hosts.h"

#include <QCoreApplication>
#include <QUrl>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv); // the GIF reader is a plugin
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const quoterra::ServiceHosts hosts = quoterra::ServiceHosts::at(QStringLiteral("http://127.0.0.1:9"));
    static const QString ranges[] = {QStringLiteral("1 Day"), QStringLiteral("5 Day"), QStringLiteral("1 Year"),
                                     QStringLiteral("2 Year")};
    if (size < 2)
        return 0;
    // The first byte picks the range, the next says how long the symbol is.
    const QString& range = ranges[data[0] % 4];
    const size_t symbolLength = std::min<size_t>(data[1], size - 2);
    const QString symbol = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(symbolLength));
    const QString address = quoterra::Charts::chartAddress(hosts, range, symbol);
    if (address.isEmpty() != (&range == &ranges[3]))
        std::abort();
    if (!address.isEmpty()) {
        const QUrl url(address);
        if (!url.isValid() || url.host() != QLatin1String("127.0.0.1"))
            std::abort();
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data + 2 + symbolLength), qsizetype(size - 2 - symbolLength));
    const QImage shown = quoterra::Charts::fittedChart(bytes, QSize(191, 54));
    if (!shown.isNull() && shown.size() != QSize(191, 54))
        std::abort();
    return 0;
}
