#include "bench_main.h"

#include "service_process.h"

#include "app/startup.h"
#include "platform/settings.h"
#include "ticker/ticker.h"

#include <QFile>

using namespace quoterra;

namespace {

// One refresh of the ticker against the bundled service on loopback:
// build the request, fetch, parse, show and paint.
void OneRefreshStep(benchmark::State& state)
{
    ServiceProcess service;
    qputenv("QUOTERRA_SERVICE", service.origin().toUtf8());
    registerForms();
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    CreateKey(HKEY_CURRENT_USER, kChartsKey);
    WriteValue(HKEY_CURRENT_USER, kMainKey, QStringLiteral("Interval"), REG_SZ, 0);
    QFile list(qEnvironmentVariable("QUOTERRA_HOME") + "/stockdata.std");
    list.open(QIODevice::WriteOnly);
    for (const char* s : {"IBM", "MSFT", "DJIA", "30YR"})
        list.write(QByteArray(s).leftJustified(50, ' '));
    list.close();
    auto* ticker = qobject_cast<Ticker*>(Forms::show(Ticker::kName));
    for (auto _ : state) {
        ticker->RefreshStep();
        ticker->repaint();
    }
    Forms::reset();
}
BENCHMARK(OneRefreshStep)->Unit(benchmark::kMicrosecond);

} // namespace

QUOTERRA_BENCHMARK_MAIN()
