#include "bundled_service.h"

#include "core/paths.h"
#include "net/plain_get.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace quoterra {

BundledService::BundledService(QString origin, QStringList programs)
    : origin_(std::move(origin))
    , programs_(std::move(programs))
{
}

QStringList BundledService::besideProgram(const QString& programDir)
{
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("quoterra-service")),
            dir.filePath(QStringLiteral("../libexec/quoterra/quoterra-service"))};
}

BundledService::Probe BundledService::probe() const
{
    net::GetOptions options;
    options.timeout = std::chrono::seconds(2);
    options.maxRedirects = 0;
    options.maxBody = 64 * 1024;
    const net::GetResult answer = net::getPlain((origin_ + QStringLiteral("/_status")).toStdString(), options);
    if (answer.header("Server").starts_with("quoterra-service/"))
        return Probe::Ours;
    return answer.refused ? Probe::Nobody : Probe::Foreign;
}

bool BundledService::start(const QString& program) const
{
    const QUrl url(origin_);
    QProcess service;
    service.setProgram(program);
    service.setArguments(
        {QStringLiteral("--port"), QString::number(url.port(8642)), QStringLiteral("--bind"), url.host()});
    // What it has to say (a source failing, say) waits in a file of its own.
    const QString state = stateDirectory();
    QDir().mkpath(state);
    service.setStandardOutputFile(QProcess::nullDevice());
    service.setStandardErrorFile(state + QStringLiteral("/service.log"), QIODevice::Truncate);
    service.setWorkingDirectory(QDir::rootPath());
    return service.startDetached();
}

BundledService::Outcome BundledService::ensure(std::chrono::milliseconds bound) const
{
    const auto foreign = [this] {
        const QUrl url(origin_);
        return Outcome{State::Foreign,
                       QStringLiteral("Another program already uses port %1 on this computer (%2), so Quoterra cannot "
                                      "start its quote service there.\n\nEnd that program, or set QUOTERRA_SERVICE to "
                                      "the address of a quote service.")
                           .arg(url.port(8642))
                           .arg(url.host())};
    };
    // Two tickers starting at once start two services: one keeps the port,
    // the other ends, and both tickers find the one that stayed.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    for (;;) {
        switch (probe()) {
        case Probe::Ours:
            return {State::Answering, {}};
        case Probe::Foreign:
            return foreign();
        case Probe::Nobody:
            break;
        }
        if (deadline) {
            if (std::chrono::steady_clock::now() >= *deadline)
                return {State::Starting, {}};
            QThread::msleep(25);
            continue;
        }
        const auto found = std::find_if(programs_.begin(), programs_.end(), [](const QString& candidate) {
            const QFileInfo info(candidate);
            return info.isFile() && info.isExecutable();
        });
        if (found == programs_.end() || !start(QFileInfo(*found).canonicalFilePath())) {
            return {State::Missing,
                    QStringLiteral("Quoterra cannot find its quote service, quoterra-service; it looked for\n%1\n\n"
                                   "Quotes show \"Error\" until a service answers at %2.")
                        .arg(programs_.join(u'\n'), origin_)};
        }
        deadline = std::chrono::steady_clock::now() + bound;
    }
}

ServiceKeeper::ServiceKeeper(BundledService service, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent)
    , service_(std::move(service))
{
    timer_.setInterval(interval);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (busy_)
            return;
        if (worker_.joinable())
            worker_.join();
        busy_ = true;
        worker_ = std::thread([this] {
            service_.ensure(std::chrono::seconds(1));
            busy_ = false;
        });
    });
    timer_.start();
}

ServiceKeeper::~ServiceKeeper()
{
    if (worker_.joinable())
        worker_.join();
}

} // namespace quoterra
