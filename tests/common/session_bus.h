#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

// A D-Bus session bus of the test's own: `dbus-daemon --session` listening
// on a socket in a temporary folder, ended with the object.
class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;
    // Empty when the daemon did not start.
    QString address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

// The desktop's notification service as a test's own, on a session bus:
// it records every Notify call and can say that the user chose an action.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint id = 0;
        QString appName, appIcon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit NotificationServer(const QString& busAddress);
    ~NotificationServer() override;
    bool serving() const { return serving_; }
    const QList<Call>& calls() const { return calls_; }
    // As when the user clicks the action's button.
    void invoke(uint id, const QString& action);

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout);
    QStringList GetCapabilities();
    void CloseNotification(uint id);

private:
    QString name_;
    QDBusConnection bus_;
    bool serving_ = false;
    QList<Call> calls_;
};
