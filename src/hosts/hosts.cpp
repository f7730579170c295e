#include "hosts.h"

#include <QUrl>

namespace quoterra {

ServiceHosts ServiceHosts::at(const QString& origin)
{
    ServiceHosts h;
    for (QString* host : {&h.quotes, &h.charts, &h.chartArchive, &h.companyPages, &h.quotePages, &h.messageBoards,
                          &h.symbolLookup, &h.dataProvider, &h.updateSite})
        *host = origin;
    h.makerSite = origin + u'/';
    h.makerMail = QStringLiteral("support@quoterra.example");
    h.makerName = QStringLiteral("The Quoterra Team");
    return h;
}

ServiceOrigin serviceOrigin(const QString& value)
{
    const QUrl url(value.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    ServiceOrigin result;
    if (!url.isValid() || url.host().isEmpty())
        result.problem = QStringLiteral("it is not an address of the form http://HOST:PORT");
    else if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        result.problem = QStringLiteral("only http and https are supported");
    else if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        result.problem = QStringLiteral("it must not contain a path");
    else if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        result.problem = QStringLiteral("it must not contain a query, fragment or user name");
    if (!result.problem.isEmpty())
        return result;
    QString host = url.host(QUrl::FullyEncoded);
    // An IPv6 literal keeps its brackets, or every address built on it is void.
    if (host.contains(u':'))
        host = u'[' + host + u']';
    result.origin = scheme + QStringLiteral("://") + host;
    if (url.port() != -1)
        result.origin += u':' + QString::number(url.port());
    return result;
}

std::optional<QString> namedService(QString* problem)
{
    const QString value = qEnvironmentVariable("QUOTERRA_SERVICE");
    if (value.isEmpty())
        return std::nullopt;
    const ServiceOrigin origin = serviceOrigin(value);
    if (problem && !origin.problem.isEmpty())
        *problem = QStringLiteral("QUOTERRA_SERVICE=%1 cannot be used: %2.").arg(value, origin.problem);
    return origin.origin;
}

} // namespace quoterra
