#include "price_watch.h"

#include "core/transfer.h"
#include "symbols/file/symbol_file.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace quoterra {

PriceWatch::PriceWatch(RegistryStore& store, QString applicationDirectory, QuoteSource quotes, QObject* parent)
    : QObject(parent)
    , book_(store)
    , directory_(std::move(applicationDirectory))
    , quotes_(std::move(quotes))
    , transfer_(new Transfer(this))
{
    transfer_->setObjectName(QStringLiteral("inetAlerts"));
    clock_.start();
}

QSet<QString> PriceWatch::listSymbols()
{
    const QFileInfo file(symbolFilePath(directory_));
    if (file.size() == listSize_ && file.lastModified() == listStamp_)
        return list_;
    listSize_ = file.size();
    listStamp_ = file.lastModified();
    list_.clear();
    for (const QString& symbol : listedSymbols(directory_))
        list_.insert(symbol.toCaseFolded());
    return list_;
}

QList<PriceWatch::Watched> PriceWatch::watched()
{
    QList<Watched> in;
    const auto lines = book_.lines();
    if (lines.empty() || !book_.enabled())
        return in;
    const QSet<QString> list = listSymbols();
    for (const auto& [symbol, text] : lines) {
        if (list.contains(symbol.toCaseFolded()))
            in.append({symbol, requestSymbolFor(symbol), text});
    }
    return in;
}

void PriceWatch::quoteAnswered(const QString& serviceSymbol, const QString& answer)
{
    const std::vector<QString> line = answerLines(answer, {serviceSymbol});
    lastChecked_.insert(serviceSymbol, clock_.elapsed());
    answered(serviceSymbol, line.front(), watched());
}

void PriceWatch::refreshDue(int intervalSeconds, qint64 timeoutSeconds)
{
    if (checking_)
        return;
    const QList<Watched> alerts = watched();
    const qint64 now = clock_.elapsed();
    QStringList due;
    for (const Watched& w : alerts) {
        const auto last = lastChecked_.constFind(w.serviceSymbol);
        if (due.contains(w.serviceSymbol)
            || (last != lastChecked_.constEnd() && now - *last < qint64(intervalSeconds) * 1000))
            continue;
        due << w.serviceSymbol;
    }
    if (due.isEmpty())
        return;
    for (const QString& symbol : due)
        lastChecked_.insert(symbol, now);
    checking_ = true;
    // Asked once the refresh that came due has ended, so its own cycle goes on.
    QTimer::singleShot(0, this, [this, due, timeoutSeconds] { ask(due, timeoutSeconds); });
}

void PriceWatch::ask(const QStringList& serviceSymbols, qint64 timeoutSeconds)
{
    transfer_->setRequestTimeout(timeoutSeconds);
    QPointer<PriceWatch> self(this);
    QString body = transfer_->OpenURL(severalQuotesAddress(quotes_.host(), serviceSymbols));
    if (!self)
        return;
    checking_ = false;
    if (quotes_.believe && !quotes_.believe(*transfer_))
        body.clear(); // another program in the service's place
    const std::vector<QString> lines = answerLines(body, serviceSymbols);
    // Read again: the alerts may have changed while the answer was awaited.
    const QList<Watched> alerts = watched();
    for (qsizetype i = 0; i < serviceSymbols.size(); ++i)
        answered(serviceSymbols[i], lines[size_t(i)], alerts);
}

void PriceWatch::answered(const QString& serviceSymbol, const QString& line, const QList<Watched>& alerts)
{
    QuoteRecord record;
    SplitQuoteLine(line, record);
    const std::optional<double> price = shownPrice(serviceSymbol, record);
    if (!price)
        return;
    lastPrice_.insert(serviceSymbol, *price);
    for (const Watched& w : alerts) {
        if (w.serviceSymbol != serviceSymbol)
            continue;
        std::optional<Alert> alert = parseAlert(w.text);
        if (!alert)
            continue;
        const Alert before = *alert;
        const Crossings crossed = observe(*alert, *price);
        if (*alert != before)
            book_.write(w.listSymbol, *alert);
        if (crossed.above)
            emit this->crossed(alertNotice(w.listSymbol, serviceSymbol, record, true, *alert->above));
        if (crossed.below)
            emit this->crossed(alertNotice(w.listSymbol, serviceSymbol, record, false, *alert->below));
    }
}

std::optional<double> PriceWatch::lastPrice(const QString& listSymbol) const
{
    const auto found = lastPrice_.constFind(requestSymbolFor(listSymbol));
    if (found == lastPrice_.constEnd())
        return std::nullopt;
    return *found;
}

Alert PriceWatch::newAlertFor(const QString& listSymbol, std::optional<double> above, std::optional<double> below) const
{
    Alert alert{above, below};
    if (const auto price = lastPrice(listSymbol))
        observe(alert, *price);
    return alert;
}

} // namespace quoterra
