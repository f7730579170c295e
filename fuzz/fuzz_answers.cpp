// Hostile bytes for everything that parses what arrives from the network:
// the quote line, colour texts, bond values and the version file.
#include "quotes/quote_text.h"
#include "update/update_checker.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    quoterra::QuoteRecord record;
    quoterra::SplitQuoteLine(text, record);
    qsizetype total = 0;
    for (const QString& slot : record) {
        total += slot.size();
        (void)quoterra::bondPercent(slot);
    }
    // The slots are pieces of the text: never more than the text itself.
    if (total > text.size())
        std::abort();
    std::array<qint16, 4> places{};
    quoterra::SplitColor(text, places);
    const double version = quoterra::versionFileNumber(text);
    if (std::isnan(version) || version < 0)
        std::abort();
    return 0;
}
