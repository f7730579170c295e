// quoterra-service figures: answers a second from its caches (wrk, 8
// connections), charts drawn against charts cached, the latency one cache
// miss adds against a loopback source, and a normal request among 500 slow
// and 500 idle clients. Medians of several runs; needs wrk on PATH.
//   build/bench/service_bench [SERVICE_BINARY]   (default: the one built here)

#include "fake_source.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// quoterra-service on a free loopback port, for as long as this lives.
class Service {
public:
    static inline std::string binary = QUOTERRA_SERVICE_BIN;

    explicit Service(std::vector<std::string> args)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        args.insert(args.begin(), {binary, "--port", "0", "--idle-exit", "0"});
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::_Exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        port_ = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    }
    ~Service()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    int port() const { return port_; }
    std::string url(const std::string& target) const { return "http://127.0.0.1:" + std::to_string(port_) + target; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(std::uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Milliseconds for one whole exchange on a fresh connection.
double timedGet(int port, const std::string& target)
{
    const auto start = Clock::now();
    const int fd = connectTo(port);
    const std::string request =
        "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nConnection: close\r\n\r\n";
    if (fd < 0 || ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0)
        return -1;
    char buf[8192];
    while (::recv(fd, buf, sizeof buf, 0) > 0) { }
    ::close(fd);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double wrk(const std::string& url, const std::string& script = {})
{
    std::vector<double> rates;
    for (int run = 0; run < kRuns; ++run) {
        const std::string command =
            "wrk -t2 -c8 -d4s " + (script.empty() ? "" : "-s " + script + " ") + "'" + url + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return 0;
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            if (std::string_view(line).starts_with("Requests/sec:"))
                rates.push_back(std::atof(line + 13));
        ::pclose(pipe);
    }
    return median(rates);
}

std::string dayChartJson()
{
    std::string times, closes;
    for (int i = 0; i < 78; ++i) {
        times += (i ? "," : "") + std::to_string(1715347800 + i * 300);
        closes += (i ? "," : "") + std::to_string(100 + i % 7 * 0.25);
    }
    return R"({"chart":{"result":[{"meta":{"regularMarketTime":1715371202,"gmtoffset":-14400,"regularMarketPrice":101.5,)"
           R"("previousClose":100.25,"regularMarketDayHigh":102,"regularMarketDayLow":99.5,"regularMarketVolume":123456},)"
           R"("timestamp":[)"
        + times + R"(],"indicators":{"quote":[{"open":[)" + closes + R"(],"close":[)" + closes
        + R"(]}]}}],"error":null}})";
}

} // namespace

int main(int argc, char** argv)
{
    ::signal(SIGPIPE, SIG_IGN);
    if (argc > 1)
        Service::binary = argv[1];
    if (std::system("command -v wrk > /dev/null") != 0) {
        std::fprintf(stderr, "service_bench needs wrk (apt-get install wrk)\n");
        return 2;
    }
    FakeSource source;
    source.on("/v8/finance/chart/", {{200, "application/json", dayChartJson()}});
    Service live({"--market", "live", "--source-url", "chart=" + source.origin(), "--source-url", "quote=off",
                  "--source-url", "csv=off"});
    Service simulated({"--market", "simulated", "--seed", "1"});
    if (!live.port() || !simulated.port()) {
        std::fprintf(stderr, "service_bench: the service did not start\n");
        return 1;
    }

    // One cache miss against the loopback source, paced under the service's
    // upstream rate limit, and the same request again from the cache.
    std::vector<double> misses, hits;
    for (int i = 0; i < 15; ++i) {
        const std::string target = "/d/quotes.csv?s=M" + std::to_string(i) + "&f=sl1d1t1c1ohgv&e=.csv";
        misses.push_back(timedGet(live.port(), target));
        hits.push_back(timedGet(live.port(), target));
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    std::printf("live quote, cache miss against a loopback source: %.2f ms; from the cache: %.2f ms; added %.2f ms\n",
                median(misses), median(hits), median(misses) - median(hits));

    const std::string quote = "/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv";
    timedGet(live.port(), quote);
    std::printf("quotes/s from the cache, 8 connections: live %.0f, simulated %.0f\n", wrk(live.url(quote)),
                wrk(simulated.url(quote)));

    // Every request a symbol of its own: each chart is drawn, none cached.
    const std::pair<const char*, std::pair<std::string, std::string>> charts[] = {
        {"1-day", {"/t?s=IBM", "/t?s="}}, {"1-year", {"/c/0b/i/ibm.gif", "/c/0b/s/"}}};
    for (const auto& [name, paths] : charts) {
        const auto& [cached, distinct] = paths;
        const std::string suffix = cached.ends_with(".gif") ? " .. '.gif'" : "";
        const std::string script = "/tmp/quoterra-bench-distinct.lua";
        std::ofstream(script) << "local threads = 0\n"
                                 "function setup(thread) thread:set('id', threads); threads = threads + 1 end\n"
                                 "function init(args) n = 0 end\n"
                                 "function request() n = n + 1; return wrk.format(nil, '"
                              << distinct << "S' .. id .. 'X' .. n" << suffix << ") end\n";
        const double fromCache = wrk(simulated.url(cached));
        const double drawn = wrk(simulated.url("/"), script);
        std::printf("simulated %s charts/s: each drawn %.0f, cached %.0f (%.1fx)\n", name, drawn, fromCache,
                    drawn > 0 ? fromCache / drawn : 0);
    }

    // A normal request among clients that try to wear the service down.
    std::vector<int> slow, idle;
    for (int i = 0; i < 500; ++i) {
        slow.push_back(connectTo(simulated.port()));
        idle.push_back(connectTo(simulated.port()));
        ::send(slow.back(), "GET / HTTP/1.1\r\nX-Slow: ", 24, MSG_NOSIGNAL);
    }
    std::atomic<bool> stop{false};
    std::thread trickle([&] {
        while (!stop) {
            for (int fd : slow)
                ::send(fd, "s", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::vector<double> besieged;
    for (int i = 0; i < 21; ++i) {
        besieged.push_back(timedGet(simulated.port(), quote));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop = true;
    trickle.join();
    for (int fd : slow)
        ::close(fd);
    for (int fd : idle)
        ::close(fd);
    std::sort(besieged.begin(), besieged.end());
    std::printf("a quote among 500 slow and 500 idle clients: median %.2f ms, slowest %.2f ms\n", median(besieged),
                besieged.back());
    return 0;
}
