// Settings on the hot path: reads and writes, the drag steps, and
// parsing a large hand-made settings file.
#include "bench_main.h"

#include "settings/settings.h"
#include "core/registry.h"
#include "placement/placement.h"

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
void ParseATenMegabyteSettingsFile(benchmark::State& state)
{
    QByteArray text;
    for (int key = 0; text.size() < 10 << 20; ++key) {
        text += "[Software\\Quoterra\\Key" + QByteArray::number(key) + "]\n";
        for (int v = 0; v < 200; ++v)
            text += "Value " + QByteArray::number(v) + "=some text \\n with escapes " + QByteArray::number(key) + "\n";
        text += "; a comment\n";
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(RegistryDocument::parse(text));
    state.counters["MB"] = double(text.size()) / (1 << 20);
}
BENCHMARK(ParseATenMegabyteSettingsFile)->Unit(benchmark::kMillisecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
