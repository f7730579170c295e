#include "bench_main.h"

#include "placement/placement.h"
#include "platform/forms.h"
#include "platform/registry.h"
#include "platform/settings.h"

#include <chrono>

using namespace quoterra;

namespace {

void freshKeys()
{
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    CreateKey(HKEY_CURRENT_USER, kChartsKey);
    GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left"));
    RegistryStore::flushAll();
}

void GetStringOfAnExistingValue(benchmark::State& state)
{
    freshKeys();
    for (auto _ : state)
        benchmark::DoNotOptimize(GetString(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Left")));
}
BENCHMARK(GetStringOfAnExistingValue);

void WriteValueOfAChangedValue(benchmark::State& state)
{
    freshKeys();
    int i = 0;
    for (auto _ : state)
        WriteValue(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Left"), REG_SZ, ++i);
    RegistryStore::flushAll();
}
BENCHMARK(WriteValueOfAChangedValue);

void OneReadAndOneWrite(benchmark::State& state)
{
    freshKeys();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetString(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Top")));
        WriteValue(HKEY_CURRENT_USER, kChartsKey, QStringLiteral("Left"), REG_SZ, ++i);
    }
    RegistryStore::flushAll();
}
BENCHMARK(OneReadAndOneWrite);

class Strip : public Form {
public:
    Strip()
        : Form(QStringLiteral("Ticker"), Window)
    {
        setBorderless(true);
        Move(3000, 3000, 3150, 210);
    }
};

// The worst drag step: a docked pair with the chart browser closed reads
// the saved place twice and writes it twice at every mouse move.
void DragTickerDockedWithTheChartBrowserClosed(benchmark::State& state)
{
    freshKeys();
    Strip ticker;
    placement().docked = true;
    TakeChartOffsets(ticker);
    std::vector<double> steps;
    steps.reserve(20000);
    int n = 0;
    for (auto _ : state) {
        const QPointF grab(1000 + (n % 400), 100 + (n % 200));
        ++n;
        const auto start = std::chrono::steady_clock::now();
        DragTicker(ticker, grab);
        steps.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    reportSteps(state, std::move(steps));
    RegistryStore::flushAll();
}
BENCHMARK(DragTickerDockedWithTheChartBrowserClosed)->Iterations(20000);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
