#pragma once

#include "alert_quotes.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <functional>
#include <optional>

namespace quoterra {

// Desktop notifications through the freedesktop notification service on
// the session bus. Nothing waits: the call is sent and its answer comes
// later; where no service answers (no bus, nobody serving, an error, no
// answer in kAnswerTimeoutMs) the notice is handed back as undelivered. The
// bus is first asked when the first notice is told.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    static constexpr int kAnswerTimeoutMs = 5000;
    static inline const QString kShowChartAction = QStringLiteral("show-chart");

    // `hints` go with every notification (the program's icon among them);
    // they are made when the first one is told.
    explicit DesktopNotifier(std::function<QVariantMap()> hints = {}, QObject* parent = nullptr);

    void notify(const AlertNotice& notice);

    // The "image-data" hint of a picture of `width` x `height` pixels, RGBA
    // bytes row after row.
    static QVariant imageHint(int width, int height, const QByteArray& rgba);

signals:
    void delivered(const AlertNotice& notice);
    void undelivered(const AlertNotice& notice, const QString& why);
    // The user chose "Show Chart" (or the notification itself).
    void chartAsked(const QString& chartSymbol);

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    std::function<QVariantMap()> makeHints_;
    std::optional<QVariantMap> hints_;
    bool listening_ = false;
    QHash<uint, QString> charts_; // notification id -> chart symbol
};

} // namespace quoterra
