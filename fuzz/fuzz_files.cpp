// Hostile bytes for the two file formats a user or another program may
// have edited: the settings file and the symbol list's records.
#include "platform/registry.h"
#include "symbols/symbol_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Whatever parses must come back the same after a save and a reload.
    const auto keys = quoterra::RegistryStore::parse(bytes);
    const auto again = quoterra::RegistryStore::parse(quoterra::RegistryStore::serialize(keys));
    if (again.size() != keys.size())
        std::abort();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (again[i].values.size() != keys[i].values.size())
            std::abort();
        for (size_t j = 0; j < keys[i].values.size(); ++j) {
            if (again[i].values[j].data != keys[i].values[j].data)
                std::abort();
        }
    }

    // A record read and written again is the same 50 bytes, trimmed.
    const quoterra::SymbolEntry entry = quoterra::decodeRecord(bytes.left(quoterra::kRecordLength));
    if (quoterra::encodeRecord(entry).size() != quoterra::kRecordLength)
        std::abort();
    if (quoterra::decodeRecord(quoterra::encodeRecord(entry)) != entry)
        std::abort();
    return 0;
}
