// The ticker's transfer against one misbehaving loopback server per run, in a
// fresh process, so that its peak memory is that case's alone. Prints
//   case  outcome  milliseconds  peak resident growth (KiB)  reason
// bench/transfer.sh runs every case, for one build or two side by side.
//   --list   the cases' names
//   CASE     run that case
#include "fake_source.h"
#include "test_support.h"

#include "core/transfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

using namespace quoterra;
using Flood = FakeSource::Flood;

namespace {

struct Case {
    const char* name;
    FakeSource::Answer answer;
    bool bytes = false; // fetched as a picture (16 MiB cap) rather than text
};

std::vector<Case> cases(const FakeSource& other)
{
    const std::string there = "http://127.0.0.1:" + std::to_string(other.port());
    const std::size_t huge = std::size_t(200) << 20;
    const auto redirect = [](std::string to) { return FakeSource::Answer{302, "", "", {{"Location", std::move(to)}}}; };
    return {
        {"never-ending header", {.flood = Flood::HeaderLines}},
        {"one header line without end", {.flood = Flood::HeaderLine}},
        {"chunked flood (200 MB)", {.flood = Flood::Chunked, .floodBytes = huge}},
        {"200 MB announced", {.flood = Flood::Body, .floodBytes = huge}},
        {"endless body until close", {.flood = Flood::UntilClose}},
        {"trickle, a byte per 200 ms", {.trickle = std::chrono::milliseconds(200)}},
        {"never answers", {.hang = true}},
        {"text exactly at 1 MiB", {.flood = Flood::Chunked, .floodBytes = std::size_t(Transfer::kTextCap)}},
        {"text 1 MiB + 1", {.flood = Flood::Chunked, .floodBytes = std::size_t(Transfer::kTextCap) + 1}},
        {"picture exactly at 16 MiB", {.flood = Flood::Body, .floodBytes = std::size_t(Transfer::kBytesCap)}, true},
        {"picture 16 MiB + 1", {.flood = Flood::Body, .floodBytes = std::size_t(Transfer::kBytesCap) + 1}, true},
        {"redirect, same origin", redirect("/elsewhere")},
        {"redirect, another host", redirect("http://localhost:" + std::to_string(other.port()) + "/x")},
        {"redirect, another port", redirect(there + "/x")},
        {"redirect, https on the same port", {}}, // filled in with the server's own port
        {"redirect to itself", redirect("/d/quotes.csv")},
        {"gzip not asked for", {200, "text/csv", std::string("\x1f\x8b\x08\x00", 4), {{"Content-Encoding", "gzip"}}}},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FakeSource other({200, "text/plain", "\"IBM\",1.00"});
    std::vector<Case> all = cases(other);
    if (argc < 2 || std::strcmp(argv[1], "--list") == 0) {
        for (const Case& c : all)
            std::printf("%s\n", c.name);
        return argc < 2 ? 2 : 0;
    }
    const auto found =
        std::find_if(all.begin(), all.end(), [&](const Case& c) { return std::strcmp(c.name, argv[1]) == 0; });
    if (found == all.end())
        return 2;
    FakeSource server(found->answer);
    server.on("/elsewhere", {{200, "text/plain", "\"IBM\",1.00"}});
    if (std::string_view(found->name).starts_with("redirect, https"))
        server.on("/", {{302, "", "", {{"Location", "https://127.0.0.1:" + std::to_string(server.port()) + "/x"}}}});
    const QString address = QString::fromStdString(server.origin()) + QStringLiteral("/d/quotes.csv");

    Transfer transfer;
    transfer.setRequestTimeout(2);
    transfer.OpenURL(QString::fromStdString(other.origin()) + QStringLiteral("/warm-up"));
    const qint64 self = QCoreApplication::applicationPid();
    test::resetPeakMemory();
    const long before = test::residentKiB(self);
    QElapsedTimer clock;
    clock.start();
    const qsizetype size = found->bytes ? transfer.openUrlBytes(address).size() : transfer.OpenURL(address).size();
    const qint64 ms = clock.elapsed();
    std::printf("%s\t%s\t%lld\t%ld\t%s\n", found->name,
                transfer.lastTransferFailed() ? "failed" : qPrintable(QStringLiteral("%1 bytes").arg(size)),
                static_cast<long long>(ms), test::residentKiB(self, "VmHWM:") - before, qPrintable(transfer.lastError()));
    return 0;
}
