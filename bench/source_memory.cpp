// What reading a source's answer costs in memory beyond the answer itself:
// the peak of live heap bytes while a 4 MiB answer (the most a source may
// send) is read, for the CSV history and the quote-JSON history. Counts
// allocations, so the figure does not depend on the machine's speed.
//   build/bench/source_memory

#include "sources.h"

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> live{0}, peak{0};

void* counted(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = live += malloc_usable_size(p);
    for (std::size_t top = peak; now > top && !peak.compare_exchange_weak(top, now);) { }
    return p;
}

void released(void* p) noexcept
{
    if (p) {
        live -= malloc_usable_size(p);
        std::free(p);
    }
}

constexpr std::size_t kAnswer = 4u << 20;

// Peak heap bytes above what was live before, while `read` runs.
template <typename Read> std::size_t peakOf(Read read)
{
    const std::size_t before = live;
    peak = before;
    read();
    return peak - before;
}

} // namespace

void* operator new(std::size_t size)
{
    return counted(size);
}
void* operator new[](std::size_t size)
{
    return counted(size);
}
void operator delete(void* p) noexcept
{
    released(p);
}
void operator delete[](void* p) noexcept
{
    released(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    released(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    released(p);
}

int main()
{
    using namespace quoterra::service;
    std::string csv = "Date,Open,High,Low,Close,Volume\n";
    std::string rows;
    for (int y = 1800; csv.size() < kAnswer - 64; y = y < 2024 ? y + 1 : 1800)
        for (int d = 1; d <= 28 && csv.size() < kAnswer - 64; ++d)
            csv += std::to_string(y) + "-03-" + (d < 10 ? "0" : "") + std::to_string(d)
                + ",101.5,102.25,100.75,101.125,1234567\n";
    std::string json = R"({"data":{"symbol":"IBM","totalRecords":1,"tradesTable":{"rows":[)";
    while (json.size() < kAnswer - 256)
        json += R"({"date":"03/15/2024","close":"$101.13","volume":"1,234,567","open":"$101.50",)"
                R"("high":"$102.25","low":"$100.75"},)";
    json += R"({"date":"03/15/2024","close":"$101.13"}]}},"status":{"rCode":200}})";

    const std::size_t csvPeak = peakOf([&] { readCsvDaily(csv); });
    const std::size_t jsonPeak = peakOf([&] { readQuoteHistory(json, "IBM"); });
    std::printf("reading a %.1f MiB CSV history: %.2f MiB at the peak beyond the answer\n",
                double(csv.size()) / (1 << 20), double(csvPeak) / (1 << 20));
    std::printf("reading a %.1f MiB quote-JSON history: %.2f MiB at the peak beyond the answer\n",
                double(json.size()) / (1 << 20), double(jsonPeak) / (1 << 20));
}
