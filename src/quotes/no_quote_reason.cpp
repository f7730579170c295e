#include "no_quote_reason.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace quoterra {

QString noQuoteReason(const QByteArray& statusBody)
{
    const QJsonObject status = QJsonDocument::fromJson(statusBody).object();
    const QString market = status.value(QLatin1String("market")).toString();
    if (market == QLatin1String("simulated"))
        return QStringLiteral("The simulated market gave no quote");
    if (market != QLatin1String("live"))
        return QStringLiteral("The quote service does not answer");
    const QJsonArray sources = status.value(QLatin1String("sources")).toArray();
    if (sources.isEmpty())
        return QStringLiteral("No quote source is configured");
    QStringList failing;
    for (const QJsonValue& value : sources) {
        const QJsonObject source = value.toObject();
        const QString health = source.value(QLatin1String("health")).toString();
        if (health == QLatin1String("ok") || health == QLatin1String("untried"))
            continue;
        QString name = source.value(QLatin1String("label")).toString();
        if (name.isEmpty())
            name = source.value(QLatin1String("name")).toString();
        const QString why = source.value(QLatin1String("shortError")).toString();
        failing << name + u' ' + (why.isEmpty() ? health : why);
    }
    return failing.isEmpty() ? QStringLiteral("No quote source answers just now")
                             : QStringLiteral("No quote source answers: ") + failing.join(QLatin1String(", "));
}

} // namespace quoterra
