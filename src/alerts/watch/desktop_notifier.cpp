#include "desktop_notifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quoterra {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DesktopNotifier::DesktopNotifier(std::function<QVariantMap()> hints, QObject* parent)
    : QObject(parent)
    , makeHints_(std::move(hints))
{
}

QVariant DesktopNotifier::imageHint(int width, int height, const QByteArray& rgba)
{
    QDBusArgument image;
    image.beginStructure();
    image << width << height << width * 4 << true << 8 << 4 << rgba;
    image.endStructure();
    return QVariant::fromValue(image);
}

void DesktopNotifier::notify(const AlertNotice& notice)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        emit undelivered(notice, QStringLiteral("no session bus: ") + bus.lastError().message());
        return;
    }
    if (!listening_) {
        listening_ = bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                                 SLOT(actionInvoked(uint, QString)))
            && bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                           SLOT(notificationClosed(uint, uint)));
    }
    if (!hints_)
        hints_ = makeHints_ ? makeHints_() : QVariantMap();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QStringList actions{QStringLiteral("default"), QStringLiteral("Show Chart"), kShowChartAction,
                              QStringLiteral("Show Chart")};
    call << QStringLiteral("Quoterra") << uint(0) << QStringLiteral("quoterra") << notice.title << notice.body
         << actions << *hints_ << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, notice](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            emit undelivered(notice, reply.error().name() + QLatin1String(": ") + reply.error().message());
            return;
        }
        charts_.insert(reply.value(), notice.chartSymbol);
        emit delivered(notice);
    });
}

void DesktopNotifier::actionInvoked(uint id, const QString& action)
{
    const auto chart = charts_.constFind(id);
    if (chart == charts_.constEnd())
        return;
    if (action == kShowChartAction || action == QLatin1String("default"))
        emit chartAsked(*chart);
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    charts_.remove(id);
}

} // namespace quoterra
