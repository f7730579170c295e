// An answer off the network, decoded as the transfer decodes it (Windows-1252)
// and shown as the ticker shows it, for an ordinary symbol and the bond index;
// then read as the price alerts read it, and as an alert's stored line.
#include "alerts/watch/alert.h"
#include "alerts/watch/alert_quotes.h"
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

    const QStringList asked{QStringLiteral("IBM"), QStringLiteral("^TYX"), QStringLiteral("30YR")};
    const std::vector<QString> lines = quoterra::answerLines(answer, asked);
    for (size_t i = 0; i < lines.size(); ++i) {
        quoterra::QuoteRecord record;
        quoterra::SplitQuoteLine(lines[i], record);
        const auto price = quoterra::shownPrice(asked[qsizetype(i)], record);
        // Only a usable price is watched.
        if (price && !(*price > 0))
            std::abort();
        quoterra::alertNotice(asked[qsizetype(i)], asked[qsizetype(i)], record, i % 2 == 0, price.value_or(1));
    }
    // A stored line that reads as an alert is written back as one that reads the same.
    if (const auto alert = quoterra::parseAlert(answer)) {
        if (quoterra::parseAlert(quoterra::alertText(*alert)) != alert)
            std::abort();
    }
    return 0;
}
