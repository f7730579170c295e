#include "inet.h"

#include "codepage.h"
#include "nested_wait.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <version.h>

namespace quoterra {

Inet::Inet(QObject* parent)
    : QObject(parent)
{
}

Inet::~Inet() = default;

void Inet::setRequestTimeout(int seconds)
{
    timeoutSeconds_ = seconds > 0 ? seconds : kBuiltInTimeoutSeconds;
}

QString Inet::OpenURL(const QString& address)
{
    return fromWindows1252(fetch(address, kTextCap));
}

QByteArray Inet::OpenURL(const QString& address, DataType type)
{
    return fetch(address, type == icByteArray ? kBytesCap : kTextCap);
}

void Inet::fail(const QString& why)
{
    failed_ = true;
    error_ = why;
    emit StateChanged(icError);
}

QByteArray Inet::fetch(const QString& address, qint64 cap)
{
    if (executing_) {
        // One transfer per component; the caller sees an ordinary failure.
        failed_ = true;
        error_ = QStringLiteral("a transfer is still executing");
        return {};
    }
    failed_ = false;
    error_.clear();

    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        fail(QStringLiteral("invalid address"));
        return {};
    }

    if (!manager_)
        manager_ = new QNetworkAccessManager(this);
    const int timeoutMs = timeoutSeconds_ * 1000;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Quoterra/%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));

    executing_ = true;
    NestedWait wait;

    QPointer<QNetworkReply> reply = manager_->get(request);
    QByteArray body;
    QString problem;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    // A coarse timer may fire up to 5% early: the time-out is the user's.
    deadline.setTimerType(Qt::PreciseTimer);

    auto stop = [&](const QString& why) {
        if (problem.isEmpty())
            problem = why;
        if (reply && reply->isRunning())
            reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > cap)
            stop(QStringLiteral("the answer is larger than %1 bytes").arg(cap));
    });
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > cap)
            stop(QStringLiteral("the answer is larger than %1 bytes").arg(cap));
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        stop(QStringLiteral("no complete answer within %1 seconds").arg(timeoutSeconds_));
    });
    deadline.start(timeoutMs);

    if (reply && !reply->isFinished())
        loop.exec();

    if (reply && !reply->isFinished())
        stop(QStringLiteral("the program is ending"));
    if (reply) {
        if (problem.isEmpty()) {
            body += reply->readAll();
            if (body.size() > cap)
                problem = QStringLiteral("the answer is larger than %1 bytes").arg(cap);
            else if (reply->error() != QNetworkReply::NoError)
                problem = reply->errorString();
            else if (const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                     status >= 400)
                problem = QStringLiteral("the server answered with status %1").arg(status);
        }
        reply->deleteLater();
    }

    executing_ = false;
    if (!problem.isEmpty()) {
        fail(problem);
        return {};
    }
    emit StateChanged(icResponseCompleted);
    return body;
}

} // namespace quoterra
