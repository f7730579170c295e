#include "transfer.h"

#include "codepage.h"

#include "net/plain_get.h"

#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <version.h>

#include <atomic>
#include <optional>
#include <thread>

#include <sys/eventfd.h>
#include <unistd.h>

namespace quoterra {

// A host name (an address needs none) is looked up on a thread of the
// component's own, as the system's resolver blocks. The thread is joined
// before the next lookup and with the component, so nothing outlives it; a
// lookup that outlasts its transfer is waited for, on the event loop, by the
// next one.
struct Transfer::HostLookup {
    HostLookup()
        : wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~HostLookup()
    {
        if (thread.joinable())
            thread.join();
        ::close(wake);
    }
    bool busy() const { return thread.joinable(); }
    void start(std::string host, std::string port)
    {
        finished = false;
        thread = std::thread([this, host = std::move(host), port = std::move(port)] {
            found = net::lookUp(host, port);
            finished = true;
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
        });
    }
    net::Lookup take()
    {
        thread.join();
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(wake, &count, sizeof count);
        return std::move(found);
    }

    std::thread thread;
    std::atomic<bool> finished = false;
    net::Lookup found;
    const int wake;
};

Transfer::Transfer(QObject* parent)
    : QObject(parent)
{
}

Transfer::~Transfer()
{
    if (waiting_)
        waiting_->quit();
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

QByteArray Transfer::lastHeader(QByteArrayView name) const
{
    for (const auto& [field, value] : lastHeaders_)
        if (name.compare(field, Qt::CaseInsensitive) == 0)
            return value;
    return {};
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
    refused_ = false;
    error_.clear();
    lastHeaders_.clear();

    net::GetOptions options;
    options.maxBody = std::size_t(cap);
    options.userAgent = std::string("Quoterra/") + kVersionDotted;
    net::PlainGet get(address.toStdString(), options);

    QEventLoop loop;
    waiting_ = &loop;
    // Slots that touch the component go with it: `this` is their context.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, this, [&] {
        get.stop(net::kTimedOut);
        loop.quit();
    });
    QSocketNotifier readable(QSocketNotifier::Read);
    QSocketNotifier writable(QSocketNotifier::Write);
    const auto watch = [&] {
        readable.setEnabled(false);
        writable.setEnabled(false);
        if (get.done()) {
            loop.quit();
            return;
        }
        QSocketNotifier& ready = get.wantsWrite() ? writable : readable;
        ready.setSocket(get.fd());
        ready.setEnabled(true);
    };
    for (QSocketNotifier* n : {&readable, &writable}) {
        connect(n, &QSocketNotifier::activated, this, [&] {
            get.step();
            watch();
        });
    }

    std::optional<QSocketNotifier> lookedUp;
    if (get.needsLookup()) {
        if (!lookup_)
            lookup_ = std::make_unique<HostLookup>();
        // One lookup at a time: one that an earlier transfer gave up on is
        // let finish (its end wakes this loop too) and its answer dropped.
        bool ours = false;
        const auto lookUp = [&, this] {
            if (lookup_->busy()) {
                if (!lookup_->finished)
                    return;
                net::Lookup found = lookup_->take();
                if (ours) {
                    lookedUp->setEnabled(false);
                    get.lookedUp(std::move(found));
                    watch();
                    return;
                }
            }
            ours = true;
            lookup_->start(get.host(), get.port());
        };
        lookedUp.emplace(lookup_->wake, QSocketNotifier::Read);
        connect(&*lookedUp, &QSocketNotifier::activated, this, lookUp);
        lookUp();
    } else {
        watch();
    }
    QPointer<Transfer> self(this);
    if (!get.done()) {
        deadline.start(int(timeoutSeconds_ * 1000));
        loop.exec();
    }
    if (!self)
        return {}; // the program is ending
    waiting_ = nullptr;
    executing_ = false;

    get.stop(net::kTimedOut); // when the wait ended early: the program is quitting
    const net::GetResult r = get.takeResult();
    refused_ = r.refused;
    for (const auto& [field, value] : r.headers)
        lastHeaders_.append({QByteArray::fromStdString(field), QByteArray::fromStdString(value)});
    QString problem;
    if (!r.error.empty())
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
