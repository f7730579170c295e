#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

// Benchmarks run in a throw-away profile under the offscreen platform,
// like the tests, so they never touch the user's settings or list.
#define QUOTERRA_BENCHMARK_MAIN()                                                                                      \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");                                                                     \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        QTemporaryDir profile;                                                                                         \
        QDir().mkpath(profile.path() + "/config");                                                                     \
        QDir().mkpath(profile.path() + "/home");                                                                       \
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.path() + "/config"));                                     \
        qputenv("QUOTERRA_HOME", QFile::encodeName(profile.path() + "/home"));                                         \
        QApplication app(argc, argv);                                                                                  \
        benchmark::Initialize(&argc, argv);                                                                            \
        benchmark::RunSpecifiedBenchmarks();                                                                           \
        benchmark::Shutdown();                                                                                         \
        return 0;                                                                                                      \
    }

// Median and 99th percentile of per-step times, as benchmark counters (µs).
#include <algorithm>
#include <chrono>
#include <vector>
inline void reportSteps(benchmark::State& state, std::vector<double> micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    state.counters["max_us"] = micros.back();
}

// Times `step(n)` for n = 0, 1, ... one call an iteration, and reports the
// spread of the single steps, which the mean would hide.
template <class Step> void timeSteps(benchmark::State& state, Step step)
{
    std::vector<double> micros;
    micros.reserve(size_t(state.max_iterations));
    int n = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        step(n++);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    reportSteps(state, std::move(micros));
}
