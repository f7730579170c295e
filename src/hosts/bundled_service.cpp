#include "bundled_service.h"

#include "core/paths.h"
#include "discovery/announcement.h"
#include "net/plain_get.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <algorithm>

namespace quoterra {

namespace {

// Where nothing listens: the addresses before a service is found.
const QString kNowhere = QStringLiteral("http://127.0.0.1:0");

// Whether the service at `origin` answers, and with `token`.
bool answersWithToken(const QString& origin, const QByteArray& token)
{
    net::GetOptions options;
    options.timeout = std::chrono::seconds(2);
    options.maxRedirects = 0;
    options.maxBody = 64 * 1024;
    const net::GetResult answer = net::getPlain((origin + QStringLiteral("/_status")).toStdString(), options);
    return answer.status != 0 && QByteArray::fromStdString(answer.header(discovery::kTokenHeader)) == token;
}

} // namespace

BundledService::BundledService(QStringList programs)
    : programs_(std::move(programs))
{
}

QStringList BundledService::besideProgram(const QString& programDir)
{
    const QDir dir(programDir);
    return {dir.filePath(QStringLiteral("quoterra-service")),
            dir.filePath(QStringLiteral("../libexec/quoterra/quoterra-service"))};
}

BundledService::Found BundledService::announced() const
{
    const std::string folder = discovery::announcementFolder();
    if (QFileInfo::exists(QString::fromStdString(folder))) {
        if (const auto problem = discovery::folderProblem(folder)) {
            return {State::Unusable,
                    {},
                    {},
                    QStringLiteral("Quoterra cannot trust the folder where its quote service says where it "
                                   "listens,\n%1: %2.\n\nQuotes show \"Error\" until that folder is yours "
                                   "alone (mode 0700).")
                        .arg(QString::fromStdString(folder), QString::fromStdString(*problem))};
        }
    }
    const auto a = discovery::readAnnouncement(discovery::announcementFile());
    if (!a)
        return {};
    const QString origin = QString::fromStdString(a->origin);
    const QByteArray token = QByteArray::fromStdString(a->token);
    if (!answersWithToken(origin, token))
        return {};
    return {State::Answering, origin, token, {}};
}

bool BundledService::start(const QString& program) const
{
    QProcess service;
    service.setProgram(program);
    // A port the system picks, announced to this user alone.
    service.setArguments({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--announce")});
    // What it has to say (a source failing, say) waits in a file of its own.
    const QString state = stateDirectory();
    QDir().mkpath(state);
    service.setStandardOutputFile(QProcess::nullDevice());
    service.setStandardErrorFile(state + QStringLiteral("/service.log"), QIODevice::Truncate);
    service.setWorkingDirectory(QDir::rootPath());
    return service.startDetached();
}

BundledService::Found BundledService::ensure(std::chrono::milliseconds bound) const
{
    Found found = announced();
    if (found.state == State::Answering || found.state == State::Unusable)
        return found;
    const auto program = std::find_if(programs_.begin(), programs_.end(), [](const QString& candidate) {
        const QFileInfo info(candidate);
        return info.isFile() && info.isExecutable();
    });
    if (program == programs_.end() || !start(QFileInfo(*program).canonicalFilePath())) {
        return {State::Missing,
                {},
                {},
                QStringLiteral("Quoterra cannot find its quote service, quoterra-service; it looked for\n%1\n\n"
                               "Quotes show \"Error\" until it is there.")
                    .arg(programs_.join(u'\n'))};
    }
    // Two tickers starting at once start two services: one announces
    // itself, the other steps aside, and both tickers find the first.
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(25);
        found = announced();
        if (found.state == State::Answering)
            return found;
    }
    return {};
}

// ---- ServiceLink ----------------------------------------------------------------

ServiceLink::ServiceLink(const QString& namedOrigin, QObject* parent)
    : QObject(parent)
    , hosts_(ServiceHosts::at(namedOrigin))
    , named_(true)
{
}

ServiceLink::ServiceLink(BundledService service, std::chrono::milliseconds bound, std::chrono::milliseconds interval,
                         QObject* parent)
    : QObject(parent)
    , hosts_(ServiceHosts::at(kNowhere))
    , service_(std::move(service))
{
    const BundledService::Found found = service_.ensure(bound);
    problem_ = found.message;
    use(found);
    keeper_.setInterval(interval);
    connect(&keeper_, &QTimer::timeout, this, &ServiceLink::lookAgain);
    keeper_.start();
}

QByteArray ServiceLink::tokenHeader()
{
    return QByteArray(discovery::kTokenHeader.data(), qsizetype(discovery::kTokenHeader.size()));
}

ServiceLink::~ServiceLink()
{
    if (worker_.joinable())
        worker_.join();
}

void ServiceLink::use(const BundledService::Found& found)
{
    if (found.state != BundledService::State::Answering)
        return;
    trusted_ = true;
    toldForeign_ = false;
    if (found.origin == hosts_.quotes && found.token == token_)
        return;
    hosts_ = ServiceHosts::at(found.origin);
    token_ = found.token;
    emit hostsChanged();
}

void ServiceLink::lookAgain()
{
    if (!keeper_.isActive() || busy_)
        return;
    if (worker_.joinable())
        worker_.join();
    busy_ = true;
    worker_ = std::thread([this] {
        const BundledService::Found found = service_.ensure(std::chrono::seconds(2));
        // Back on the window thread, where the addresses are read.
        QMetaObject::invokeMethod(
            this, [this, found] { use(found); }, Qt::QueuedConnection);
        busy_ = false;
    });
}

bool ServiceLink::answered(bool refused, const QByteArray& token)
{
    if (named_)
        return true; // a service the user named is believed as it is
    if (refused) {
        lookAgain();
        return false;
    }
    if (token == token_)
        return true;
    trusted_ = false;
    if (!std::exchange(toldForeign_, true)) {
        emit foreignAnswer(QStringLiteral("Another program answers at %1, where Quoterra's quote service was. "
                                          "Its quotes are not shown and no research page is opened there.")
                               .arg(hosts_.quotes));
    }
    lookAgain();
    return false;
}

} // namespace quoterra
