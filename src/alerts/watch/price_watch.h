#pragma once

#include "alert_book.h"
#include "alert_quotes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quoterra {

class RegistryStore;
class Transfer;

// Watches the prices of the symbols that carry an alert and says when one
// crosses its level. The ticker's own quotes count as checks; after each
// refresh the alert symbols not checked within the refresh interval are
// asked for in one request, once the refresh has ended. Nothing is asked
// and nothing read beyond the alert key while no alert is set.
class PriceWatch : public QObject {
    Q_OBJECT
public:
    // Where quotes are asked for now (the service may move), and whether an
    // answer may be believed (it came from the quote service itself).
    struct QuoteSource {
        std::function<QString()> host;
        QuoteCycle::AnswerCheck believe;
    };
    PriceWatch(RegistryStore& store, QString applicationDirectory, QuoteSource quotes, QObject* parent = nullptr);

    AlertBook& book() { return book_; }

    // The ticker's answer for the symbol it asked for.
    void quoteAnswered(const QString& serviceSymbol, const QString& answer);
    // A refresh came due: checks the alert symbols older than the interval.
    void refreshDue(int intervalSeconds, qint64 timeoutSeconds);
    // Whether an alert request is under way.
    bool checking() const { return checking_; }

    // The last usable price seen of a list entry, in the unit the ticker
    // shows it in.
    std::optional<double> lastPrice(const QString& listSymbol) const;
    // A new alert, its levels placed against the last price when there is
    // one, so a crossing between setting it and its first check is told.
    Alert newAlertFor(const QString& listSymbol, std::optional<double> above, std::optional<double> below) const;

signals:
    void crossed(const AlertNotice& notice);

private:
    struct Watched {
        QString listSymbol;
        QString serviceSymbol;
        QString text; // as stored
    };
    // The alerts in force: switched on, their symbols on the list.
    QList<Watched> watched();
    QSet<QString> listSymbols(); // case-folded, read again when the file changed
    void ask(const QStringList& serviceSymbols, qint64 timeoutSeconds);
    void answered(const QString& serviceSymbol, const QString& line, const QList<Watched>& alerts);

    AlertBook book_;
    const QString directory_;
    const QuoteSource quotes_;
    Transfer* transfer_;
    bool checking_ = false;
    QElapsedTimer clock_;
    QHash<QString, qint64> lastChecked_; // service symbol -> clock ms
    QHash<QString, double> lastPrice_;   // service symbol -> shown price
    QSet<QString> list_;
    QDateTime listStamp_;
    qint64 listSize_ = -1;
};

} // namespace quoterra
