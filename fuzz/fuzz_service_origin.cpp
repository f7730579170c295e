// QUOTERRA_SERVICE as a user may set it: refused with a reason, or an
// origin that every address is built on and that reads back as itself.
#include "hosts/hosts.h"

#include <QUrl>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const quoterra::ServiceOrigin o = quoterra::serviceOrigin(value);
    if (o.origin.isEmpty() == o.problem.isEmpty())
        std::abort();
    if (o.origin.isEmpty())
        return 0;
    const QUrl quotes(quoterra::ServiceHosts::at(o.origin).quotes + QStringLiteral("/d/quotes.csv?s=IBM"),
                      QUrl::StrictMode);
    if (!quotes.isValid() || quotes.host().isEmpty())
        std::abort();
    if (quoterra::serviceOrigin(o.origin).origin != o.origin)
        std::abort();
    return 0;
}
