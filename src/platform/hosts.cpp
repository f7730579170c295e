#include "hosts.h"

#include <QUrl>

#include <cstdio>

namespace quoterra {

namespace {

ServiceHosts builtIn()
{
    ServiceHosts h;
    h.quotes = QStringLiteral("http://download.finance.yahoo.com");
    h.charts = QStringLiteral("http://ichart.yahoo.com");
    h.chartArchive = QStringLiteral("http://chart.yahoo.com");
    h.companyPages = QStringLiteral("http://biz.yahoo.com");
    h.quotePages = QStringLiteral("http://finance.yahoo.com");
    h.messageBoards = QStringLiteral("http://messages.yahoo.com");
    h.symbolLookup = QStringLiteral("http://finance.yahoo.com");
    h.dataProvider = QStringLiteral("http://finance.yahoo.com");
    h.updateSite = QStringLiteral("http://www.quoterra.example");
    h.makerSite = QStringLiteral("http://www.quoterra.example/");
    h.makerMail = QStringLiteral("support@quoterra.example");
    h.makerName = QStringLiteral("The Quoterra Team");
    return h;
}

} // namespace

QString validServiceOrigin(const QString& value, QString* reason)
{
    const QUrl url(value.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    QString why;
    if (!url.isValid() || url.host().isEmpty())
        why = QStringLiteral("it is not an address of the form http://HOST:PORT");
    else if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        why = QStringLiteral("only http and https are supported");
    else if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        why = QStringLiteral("it must not contain a path");
    else if (url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        why = QStringLiteral("it must not contain a query, fragment or user name");
    if (!why.isEmpty()) {
        if (reason)
            *reason = why;
        return {};
    }
    QString origin = scheme + QStringLiteral("://") + url.host(QUrl::FullyEncoded);
    if (url.port() != -1)
        origin += u':' + QString::number(url.port());
    return origin;
}

ServiceHosts hostsFor(const QString& origin)
{
    ServiceHosts h = builtIn();
    if (origin.isEmpty())
        return h;
    for (QString* host : {&h.quotes, &h.charts, &h.chartArchive, &h.companyPages, &h.quotePages,
                          &h.messageBoards, &h.symbolLookup, &h.dataProvider, &h.updateSite})
        *host = origin;
    h.makerSite = origin + u'/';
    return h;
}

const ServiceHosts& hosts()
{
    // Read afresh so a changed environment (tests start services on new
    // ports) takes effect; the hosts are rebuilt only when it changes.
    static QString seen;
    static ServiceHosts cached = hostsFor({});
    const QString value = qEnvironmentVariable("QUOTERRA_SERVICE");
    if (value == seen)
        return cached;
    seen = value;
    QString reason;
    const QString origin = value.isEmpty() ? QString() : validServiceOrigin(value, &reason);
    if (!value.isEmpty() && origin.isEmpty()) {
        std::fprintf(stderr, "quoterra: ignoring QUOTERRA_SERVICE=%s: %s\n",
                     value.toLocal8Bit().constData(), reason.toLocal8Bit().constData());
    }
    cached = hostsFor(origin);
    return cached;
}

} // namespace quoterra
