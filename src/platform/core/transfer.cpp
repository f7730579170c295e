#include "transfer.h"

#include "codepage.h"

#include "net/plain_get.h"

#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <version.h>

#include <atomic>
#include <memory>
#include <thread>

#include <sys/eventfd.h>
#include <unistd.h>

namespace quoterra {

// What the transfer's thread and the waiting handler share. The thread may
// outlive the handler (the program ending, the component destroyed), so it
// holds its own reference.
struct Transfer::Pending {
    Pending()
        : wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~Pending()
    {
        if (wake >= 0)
            ::close(wake);
    }
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    net::GetResult result;
    const int wake;
};

Transfer::Transfer(QObject* parent)
    : QObject(parent)
{
}

Transfer::~Transfer()
{
    if (pending_)
        pending_->cancel = true;
}

void Transfer::setRequestTimeout(qint64 seconds)
{
    timeoutSeconds_ = seconds >= 1 && seconds <= kLongestTimeoutSeconds ? seconds : kBuiltInTimeoutSeconds;
}

QString Transfer::OpenURL(const QString& address)
{
    return fromWindows1252(fetch(address, kTextCap));
}

QByteArray Transfer::openUrlBytes(const QString& address)
{
    return fetch(address, kBytesCap);
}

QByteArray Transfer::fetch(const QString& address, qint64 cap)
{
    if (executing_) {
        // One transfer per component; the caller sees an ordinary failure.
        failed_ = true;
        error_ = QStringLiteral("a transfer is still executing");
        return {};
    }
    executing_ = true;
    failed_ = false;
    error_.clear();

    net::GetOptions options;
    options.timeout = std::chrono::milliseconds(timeoutSeconds_ * 1000);
    options.maxBody = std::size_t(cap);
    options.userAgent = std::string("Quoterra/") + kVersionDotted;

    auto shared = std::make_shared<Pending>();
    options.cancel = &shared->cancel;
    pending_ = shared.get();
    std::thread([shared, url = address.toStdString(), options] {
        shared->result = net::getPlain(url, options);
        shared->done = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(shared->wake, &one, sizeof one);
    }).detach();

    QPointer<Transfer> self(this);
    QEventLoop loop;
    QSocketNotifier woken(shared->wake, QSocketNotifier::Read);
    connect(&woken, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    // The thread keeps its own deadline; this one only guards against a
    // thread that never comes back.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(int(std::min<qint64>(timeoutSeconds_ * 1000 + 2000, INT_MAX)));
    if (!shared->done)
        loop.exec();

    if (!shared->done)
        shared->cancel = true; // the program is ending, or the thread is stuck
    if (!self)
        return {};
    pending_ = nullptr;
    executing_ = false;

    const net::GetResult& r = shared->result;
    QString problem;
    if (!shared->done)
        problem = QStringLiteral("no complete answer in time");
    else if (!r.error.empty())
        problem = QString::fromStdString(r.error);
    else if (r.status < 200 || r.status >= 300)
        problem = QStringLiteral("the server answered with status %1").arg(r.status);
    if (!problem.isEmpty()) {
        failed_ = true;
        error_ = problem;
        emit StateChanged(kErrorState);
        return {};
    }
    QByteArray body(r.body.data(), qsizetype(r.body.size()));
    emit StateChanged(kCompletedState);
    return body;
}

} // namespace quoterra
