#include "bench_main.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "symbols/symbol_file.h"

#include <QFile>

using namespace quoterra;

namespace {

void writeList(int entries)
{
    QByteArray bytes;
    for (int i = 0; i < entries; ++i)
        bytes += encodeRecord({QStringLiteral("S%1").arg(i), QStringLiteral("Company number %1").arg(i)});
    QFile f(applicationDirectory() + "/stockdata.std");
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

// What the Symbol Manager does at load: open the list, read every entry.
void LoadAndReadEveryEntry(benchmark::State& state)
{
    const int entries = int(state.range(0));
    makeApplicationDirectoryCurrent();
    writeList(entries);
    for (auto _ : state) {
        SymbolCursor cursor;
        LoadSymbolFile(cursor);
        for (qint32 i = 1; i <= cursor.EntryCount; ++i) {
            cursor.CurrentIndex = i;
            ReadEntry(cursor);
            benchmark::DoNotOptimize(cursor.CurrentSymbol);
        }
        files::closeAll();
    }
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(LoadAndReadEveryEntry)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
