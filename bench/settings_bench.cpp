// Settings on the hot path: reads and writes, the drag steps, and
// parsing a large hand-made settings file.
#include "bench_main.h"
#include "test_support.h"

#include "settings/settings.h"
#include "core/registry.h"
#include "placement/placement.h"

#include <QFile>

#include <malloc.h>

using namespace quoterra;

namespace {

struct Profile {
    QTemporaryDir dir;
    RegistryStore store{dir.path() + QStringLiteral("/registry.ini")};
    Settings settings{store};
    Profile()
    {
        settings.createKeys();
        settings.GetString(Setting::Left);
        store.flush();
    }
};

void GetStringOfAnExistingValue(benchmark::State& state)
{
    Profile p;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.settings.GetString(Setting::Left));
}
BENCHMARK(GetStringOfAnExistingValue);

void WriteValueOfAChangedValue(benchmark::State& state)
{
    Profile p;
    int i = 0;
    for (auto _ : state)
        p.settings.WriteValue(Setting::ChartLeft, QString::number(++i));
}
BENCHMARK(WriteValueOfAChangedValue);

// The worst drag step: a docked pair with the chart browser closed reads
// the saved place twice and writes it twice at every mouse move.
void DragTickerDockedWithTheChartBrowserClosed(benchmark::State& state)
{
    Profile p;
    PlacementState placement;
    placement.docked = true;
    RectTwips ticker{3000, 3000, 3150, 210};
    takeChartOffsets(placement, ticker, nullptr, QPointF(3000, 3210));
    timeSteps(state, [&](int n) {
        const DragPointer pointer{QPoint(300 + n % 400, 200 + n % 200), QPointF(45, 30), 15, 15, {0, 0, 15360, 11070}};
        const TickerStep step =
            DragTicker(placement, pointer, ticker, nullptr,
                       QPointF(p.settings.number(Setting::ChartLeft), p.settings.number(Setting::ChartTop)));
        ticker = step.ticker;
        if (step.savedChart) {
            p.settings.WriteValue(Setting::ChartLeft, QString::number(step.savedChart->x()));
            p.settings.WriteValue(Setting::ChartTop, QString::number(step.savedChart->y()));
        }
    });
}
BENCHMARK(DragTickerDockedWithTheChartBrowserClosed)->Iterations(20000);

// One drag step of the chart browser near the ticker, in and out of the
// magnet's reach, so every test of the step runs.
void DragChartWindowNearTheTicker(benchmark::State& state)
{
    PlacementState placement;
    const RectTwips ticker{3000, 3000, 3150, 1740};
    RectTwips chart{3000, 4740, 3150, 1800};
    timeSteps(state, [&](int n) {
        const DragPointer pointer{QPoint(190 + n % 40, 310 + n % 30), QPointF(45, 30), 15, 15, {0, 0, 15360, 11070}};
        chart = DragChartWindow(placement, pointer, chart, ticker);
        benchmark::DoNotOptimize(chart);
    });
}
BENCHMARK(DragChartWindowNearTheTicker)->Iterations(20000);

// A settings file of 10 MB: many sections of many values and stray lines.
QByteArray tenMegabyteSettingsFile()
{
    QByteArray text;
    for (int key = 0; text.size() < 10 << 20; ++key) {
        text += "[Software\\Quoterra\\Key" + QByteArray::number(key) + "]\n";
        for (int v = 0; v < 200; ++v)
            text += "Value " + QByteArray::number(v) + "=some text \\n with escapes " + QByteArray::number(key) + "\n";
        text += "; a comment\n";
    }
    return text;
}

void ParseATenMegabyteSettingsFile(benchmark::State& state)
{
    const QByteArray text = tenMegabyteSettingsFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(RegistryDocument::parse(text));
    state.counters["MB"] = double(text.size()) / (1 << 20);
}
BENCHMARK(ParseATenMegabyteSettingsFile)->Unit(benchmark::kMillisecond);

// Bytes the allocator has handed out and not taken back.
double heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd);
}

// What the program holds for a 10 MB settings file once it has read it, and
// the most it held at once while reading, as multiples of the file's size.
void MemoryOfATenMegabyteSettingsFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/registry.ini");
    const QByteArray text = tenMegabyteSettingsFile();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            state.SkipWithError("cannot write the settings file");
    }
    double held = 0, peak = 0;
    for (auto _ : state) {
        malloc_trim(0); // what earlier runs freed goes back to the system
        test::resetPeakMemory();
        const qint64 self = QCoreApplication::applicationPid();
        const double heapBefore = heapInUse(), residentBefore = 1024.0 * test::residentKiB(self);
        RegistryStore store(path);
        benchmark::DoNotOptimize(store.value(QStringLiteral("Software\\Quoterra\\Key7"), QStringLiteral("Value 7")));
        held = heapInUse() - heapBefore;
        peak = 1024.0 * test::residentKiB(self, "VmHWM:") - residentBefore;
    }
    state.counters["held_MB"] = held / (1 << 20);
    state.counters["held_x"] = held / double(text.size());
    state.counters["peak_MB"] = peak / (1 << 20);
    state.counters["peak_x"] = peak / double(text.size());
}
BENCHMARK(MemoryOfATenMegabyteSettingsFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
