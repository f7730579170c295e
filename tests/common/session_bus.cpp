#include "session_bus.h"

#include "test_support.h"

#include <QDBusMessage>

SessionBus::SessionBus()
{
    const QString socket = dir_.path() + u"/bus"_s;
    daemon_.start(u"dbus-daemon"_s,
                  {"--session", "--nofork", "--nopidfile", "--print-address", "--address=unix:path=" + socket});
    // The address is printed once the daemon listens; the socket's file is
    // there a moment before, when a connection is still refused.
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
        address_ = u"unix:path="_s + socket;
    else
        ADD_FAILURE() << "dbus-daemon did not start";
}

SessionBus::~SessionBus()
{
    daemon_.terminate();
    daemon_.waitForFinished(3000);
}

NotificationServer::NotificationServer(const QString& busAddress)
    : name_(u"notifications-%1"_s.arg(quintptr(this)))
    , bus_(QDBusConnection::connectToBus(busAddress, name_))
{
    serving_ = bus_.isConnected()
        && bus_.registerObject(u"/org/freedesktop/Notifications"_s, this, QDBusConnection::ExportAllSlots)
        && bus_.registerService(u"org.freedesktop.Notifications"_s);
    if (!serving_)
        ADD_FAILURE() << "no notification service on " << busAddress.toStdString();
}

NotificationServer::~NotificationServer()
{
    bus_.unregisterService(u"org.freedesktop.Notifications"_s);
    QDBusConnection::disconnectFromBus(name_);
}

uint NotificationServer::Notify(const QString& appName, uint, const QString& appIcon, const QString& summary,
                                const QString& body, const QStringList& actions, const QVariantMap& hints, int)
{
    calls_.append({uint(calls_.size() + 1), appName, appIcon, summary, body, actions, hints});
    return calls_.last().id;
}

QStringList NotificationServer::GetCapabilities()
{
    return {u"actions"_s, u"body"_s};
}

void NotificationServer::CloseNotification(uint) { }

void NotificationServer::invoke(uint id, const QString& action)
{
    QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                                     u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s);
    signal << id << action;
    bus_.send(signal);
}
