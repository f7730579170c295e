// A symbol list file of any bytes: every reader copes, and a list saved
// from what was read reads back the same.
#include "symbols/file/symbol_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    QFile file(QDir(dir.path()).filePath(quoterra::kSymbolFileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
    file.close();

    quoterra::SymbolCursor cursor;
    if (cursor.OpenSymbolFile(dir.path()) != quoterra::FileError::None)
        std::abort();
    cursor.ResetCursor();
    if (cursor.EntryCount != qint32(size / quoterra::kRecordLength))
        std::abort();
    for (int i = 0; i < 3; ++i)
        cursor.NextEntry();
    const QList<quoterra::SymbolEntry> entries = cursor.entries();
    cursor.close();
    if (quoterra::SaveSymbolList(dir.path(), entries))
        std::abort();
    quoterra::SymbolCursor again;
    again.OpenSymbolFile(dir.path());
    again.ResetCursor();
    if (again.entries() != entries)
        std::abort();
    return 0;
}
