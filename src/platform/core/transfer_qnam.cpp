// The same component on Qt Network's QNetworkAccessManager, built instead of
// transfer.cpp with -DQUOTERRA_TICKER_HTTP=qnam, to measure the two.
#include "transfer.h"

#include "codepage.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <version.h>

namespace quoterra {

struct Transfer::HostLookup {
    QNetworkAccessManager manager;
};

namespace {

QString originOf(const QUrl& url)
{
    return url.scheme().toLower() + u"://"_qs + url.host().toLower() + u':'
        + QString::number(url.port(url.scheme().toLower() == u"https"_qs ? 443 : 80));
}

} // namespace

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
        failed_ = true;
        error_ = QStringLiteral("a transfer is still executing");
        return {};
    }
    const QUrl url(address);
    if (!url.isValid() || url.scheme().toLower() != u"http"_qs || url.host().isEmpty()) {
        failed_ = true;
        error_ = QStringLiteral("not an http address");
        emit StateChanged(kErrorState);
        return {};
    }
    executing_ = true;
    failed_ = false;
    error_.clear();
    lastHeaders_.clear();
    if (!lookup_) {
        lookup_ = std::make_unique<HostLookup>();
        lookup_->manager.setProxy(QNetworkProxy::NoProxy);
    }

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    // Asked for no encoding, Qt decodes none behind the program's back.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Quoterra/") + kVersionDotted);
    QNetworkReply* reply = lookup_->manager.get(request);
    // Qt reads no further ahead than this, so a flood waits in the socket.
    reply->setReadBufferSize(64 * 1024);

    QEventLoop loop;
    waiting_ = &loop;
    QByteArray body;
    QString problem;
    const auto failWith = [&](const QString& why) {
        if (problem.isEmpty())
            problem = why;
        reply->abort();
    };
    const QString origin = originOf(url);
    connect(reply, &QNetworkReply::redirected, this, [&](const QUrl& to) {
        if (originOf(to) == origin)
            emit reply->redirectAllowed();
        else
            failWith(QStringLiteral("redirected to another site"));
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [&] {
        const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (!encoding.isEmpty() && encoding != "identity")
            failWith(
                QStringLiteral("the answer is encoded (%1), which was not asked for").arg(QLatin1String(encoding)));
        bool known = false;
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known) > cap && known)
            failWith(QStringLiteral("the answer is larger than %1 bytes").arg(cap));
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        body += reply->readAll();
        if (body.size() > cap)
            failWith(QStringLiteral("the answer is larger than %1 bytes").arg(cap));
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    connect(&deadline, &QTimer::timeout, this, [&] { failWith(QStringLiteral("no complete answer in time")); });
    QPointer<Transfer> self(this);
    if (!reply->isFinished()) {
        deadline.start(int(timeoutSeconds_ * 1000));
        loop.exec();
    }
    if (!self)
        return {};
    waiting_ = nullptr;
    executing_ = false;
    if (reply->isOpen())
        body += reply->readAll();
    for (const auto& [field, value] : reply->rawHeaderPairs())
        lastHeaders_.append({field, value});
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (problem.isEmpty() && body.size() > cap)
        problem = QStringLiteral("the answer is larger than %1 bytes").arg(cap);
    if (problem.isEmpty() && reply->error() == QNetworkReply::TooManyRedirectsError)
        problem = QStringLiteral("too many redirects");
    if (problem.isEmpty() && reply->error() != QNetworkReply::NoError && (status < 300 || status >= 600))
        problem = reply->errorString();
    if (problem.isEmpty() && (status < 200 || status >= 300))
        problem = QStringLiteral("the server answered with status %1").arg(status);
    reply->deleteLater();
    if (!problem.isEmpty()) {
        failed_ = true;
        error_ = problem;
        emit StateChanged(kErrorState);
        return {};
    }
    emit StateChanged(kCompletedState);
    return body;
}

} // namespace quoterra
