// Numbers as the program reads them from settings, answers and the version
// file: parsing never fails, and a printed number reads back as itself.
#include "core/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto n = quoterra::parseNumber(text)) {
        if (!std::isfinite(*n))
            std::abort();
        // Seventeen significant digits hold any double exactly.
        const auto back = quoterra::parseNumber(quoterra::formatGeneral(*n, 17));
        if (!back || *back != *n)
            std::abort();
        (void)quoterra::roundHalfEven(*n);
    }
    const double version = quoterra::leadingNumber(text);
    if (std::isnan(version) || version < 0)
        std::abort();
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            const auto back = quoterra::parseNumber(quoterra::formatGeneral(value, 17));
            if (!back || *back != value)
                std::abort();
        }
    }
    return 0;
}
