#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <climits>
#include <memory>

class QEventLoop;

namespace quoterra {

// The internet transfer component: a blocking HTTP GET of one whole
// resource. The caller's handler waits, but every other window event
// (timers, mouse, painting) keeps running meanwhile: the socket is watched
// on the event loop. Every transfer ends at its deadline whatever the
// server sends, and reading stops at a cap. A failure (no connection, an
// error status, the time-out, a body over the cap, a redirect to another
// site, an answer in an encoding nobody asked for) returns an empty result
// and reports the error state through StateChanged.
class Transfer : public QObject {
    Q_OBJECT
public:
    static constexpr int kErrorState = 11;
    static constexpr int kCompletedState = 12;
    static constexpr qint64 kBuiltInTimeoutSeconds = 60;
    // The longest time-out a timer can hold.
    static constexpr qint64 kLongestTimeoutSeconds = INT_MAX / 1000;
    static constexpr qint64 kTextCap = qint64(1) << 20;   // quotes, version file
    static constexpr qint64 kBytesCap = qint64(16) << 20; // chart pictures

    explicit Transfer(QObject* parent = nullptr);
    ~Transfer() override;

    // Seconds allowed for the whole transfer, not only for silence. A value
    // outside 1..kLongestTimeoutSeconds keeps the built-in time-out.
    qint64 RequestTimeout() const { return timeoutSeconds_; }
    void setRequestTimeout(qint64 seconds);

    // The body as Windows-1252 text.
    QString OpenURL(const QString& address);
    QByteArray openUrlBytes(const QString& address);

    bool StillExecuting() const { return executing_; }
    bool lastTransferFailed() const { return failed_; }
    // Nothing accepted the last transfer's connection: no server there.
    bool lastTransferRefused() const { return refused_; }
    QString lastError() const { return error_; }
    // A field of the last answer's head, the name in any case; null when
    // that answer had none, or no answer came.
    QByteArray lastHeader(QByteArrayView name) const;

signals:
    void StateChanged(int state);

private:
    QByteArray fetch(const QString& address, qint64 cap);

    qint64 timeoutSeconds_ = kBuiltInTimeoutSeconds;
    bool executing_ = false;
    bool failed_ = false;
    bool refused_ = false;
    QString error_;
    QList<QPair<QByteArray, QByteArray>> lastHeaders_;
    QEventLoop* waiting_ = nullptr; // so a component destroyed meanwhile ends the wait
    struct HostLookup;
    std::unique_ptr<HostLookup> lookup_;
};

} // namespace quoterra
