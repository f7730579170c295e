#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace quoterra {

// Blocking HTTP GET of one whole resource. The caller's handler waits, but
// every other window event (timers, mouse, painting) keeps running meanwhile.
// A transfer that fails (no connection, error status, time-out, a body over
// the cap) returns an empty result and reports state 11 through StateChanged.
class Inet : public QObject {
    Q_OBJECT
public:
    enum DataType { icString = 0, icByteArray = 1 };
    enum State { icError = 11, icResponseCompleted = 12 };

    static constexpr int kBuiltInTimeoutSeconds = 60;
    static constexpr qint64 kTextCap = qint64(1) << 20;   // quotes, version file
    static constexpr qint64 kBytesCap = qint64(16) << 20; // chart pictures

    explicit Inet(QObject* parent = nullptr);
    ~Inet() override;

    // Seconds allowed for the whole transfer, not only for silence: a
    // server that trickles a byte a second is cut off all the same.
    // Zero or less keeps the built-in time-out.
    int RequestTimeout() const { return timeoutSeconds_; }
    void setRequestTimeout(int seconds);

    QString OpenURL(const QString& address);
    QByteArray OpenURL(const QString& address, DataType type);

    bool StillExecuting() const { return executing_; }
    bool lastTransferFailed() const { return failed_; }
    QString lastError() const { return error_; }

signals:
    void StateChanged(int state);

private:
    QByteArray fetch(const QString& address, qint64 cap);
    void fail(const QString& why);

    QNetworkAccessManager* manager_ = nullptr;
    int timeoutSeconds_ = kBuiltInTimeoutSeconds;
    bool executing_ = false;
    bool failed_ = false;
    QString error_;
};

} // namespace quoterra
