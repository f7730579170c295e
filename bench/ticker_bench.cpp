// The windows' work against the bundled service on loopback: one refresh
// of the ticker (request, fetch, parse, show, paint) and one chart update.
#include "bench_main.h"

#include "service_process.h"
#include "window_support.h"

#include "app/program.h"
#include "charts/charts.h"

#include <QAction>

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
        ticker->refreshStep();
        ticker->repaint();
    }
}
BENCHMARK(OneRefreshStep)->Unit(benchmark::kMicrosecond);

// One chart update: fetch the one-day chart, store it, decode and paint it.
void OneChartUpdate(benchmark::State& state)
{
    ServiceProcess service;
    test::TestApp t(service.origin());
    t.profile.writeSymbols({{"IBM", ""}});
    Program program(*t.app);
    program.reloadTicker();
    Ticker* ticker = program.ticker();
    ticker->findChild<QTimer*>(QStringLiteral("refreshTimer"))->stop();
    ticker->findChild<QAction*>(QStringLiteral("ChartBrowserMenuItem"))->trigger();
    auto* charts = qobject_cast<Charts*>(ticker->chartBrowser());
    if (!charts) {
        state.SkipWithError("the chart browser did not open");
        return;
    }
    charts->setChartType(QStringLiteral("1 Day"));
    for (auto _ : state) {
        charts->updateChart();
        charts->repaint();
    }
}
BENCHMARK(OneChartUpdate)->Unit(benchmark::kMicrosecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
