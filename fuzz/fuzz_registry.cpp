// A settings file as a person (or anything) may leave it: parsing never
// fails, and what it holds survives a write and a second read.
#include "core/registry.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    quoterra::RegistryDocument doc = quoterra::RegistryDocument::parse(bytes);
    const QString key = QStringLiteral("Software\\Quoterra");
    doc.createKey(key);
    doc.setValue(key, QStringLiteral("Left"), QString::fromUtf8(bytes.left(64)));
    const auto before = doc.value(key, QStringLiteral("Left"));
    const quoterra::RegistryDocument again = quoterra::RegistryDocument::parse(doc.serialize());
    const auto after = again.value(key, QStringLiteral("Left"));
    if (!before || !after || *before != *after)
        std::abort();
    return 0;
}
