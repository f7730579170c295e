// One refresh of the ticker against the bundled service on loopback:
// build the request, fetch, parse, show and paint.
#include "bench_main.h"

#include "service_process.h"
#include "test_support.h"

#include "app/program.h"

using namespace quoterra;

namespace {

void OneRefreshStep(benchmark::State& state)
{
    ServiceProcess service;
    test::TestApp t(service.origin());
    t.settings().WriteValue(Setting::Interval, QStringLiteral("0"));
    t.profile.writeSymbols({{"IBM", ""}, {"MSFT", ""}, {"DJIA", ""}, {"30YR", ""}});
    Program program(*t.app);
    program.reloadTicker();
    Ticker* ticker = program.ticker();
    ticker->findChild<QTimer*>(QStringLiteral("refreshTimer"))->stop();
    for (auto _ : state) {
        ticker->RefreshStep();
        ticker->repaint();
    }
}
BENCHMARK(OneRefreshStep)->Unit(benchmark::kMicrosecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
