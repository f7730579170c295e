// An answer off the network, decoded as the transfer decodes it (Windows-1252)
// and shown as the ticker shows it, for an ordinary symbol and the bond index.
#include "core/codepage.h"
#include "quotes/quote_cycle.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString answer = quoterra::fromWindows1252(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const char* symbol : {"IBM", "^TYX"}) {
        quoterra::QuoteCycle cycle;
        cycle.cursor.CurrentSymbol = QLatin1String(symbol);
        cycle.showAnswer(answer);
        qsizetype total = 0;
        for (const QString& slot : cycle.record)
            total += slot.size();
        // The slots are pieces of the answer: never more than it.
        if (total > answer.size())
            std::abort();
        if (answer.isEmpty() && cycle.view.compactPrice.caption != QLatin1String("Error"))
            std::abort();
    }
    std::array<qint16, 4> places{};
    quoterra::SplitColor(answer, places);
    return 0;
}
