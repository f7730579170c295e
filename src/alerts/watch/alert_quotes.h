#pragma once

#include "quotes/quote_cycle.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quoterra {

// The symbol the quote service knows a list entry by ("S&P 500" is ^SPC).
QString requestSymbolFor(const QString& listSymbol);
// How the ticker shows a list entry's name in full, "&" as itself.
QString displayNameFor(const QString& listSymbol);
// Whether a text the ticker showed for a symbol (a label's caption, or the
// symbol as asked) names this list entry.
bool namesEntry(const QString& shown, const QString& listSymbol);

// The symbols of the list in `applicationDirectory`, in order, trimmed;
// each once (alert lines name a symbol in any case).
QStringList listedSymbols(const QString& applicationDirectory);

// One request for several service symbols, "s=IBM+MSFT+^TYX"; each symbol
// escaped, so a blank or a "+" in one cannot split it.
QString severalQuotesAddress(const QString& quoteHost, const QStringList& serviceSymbols);
// The line of an answer for each symbol asked, in order; empty where the
// answer has none, or where its line names another symbol.
std::vector<QString> answerLines(const QString& body, const QStringList& serviceSymbols);

// The price an answer shows for a symbol, in the ticker's unit (the bond
// index as its yield); nothing for an unusable one: no quote, "N/A", 0.
std::optional<double> shownPrice(const QString& serviceSymbol, const QuoteRecord& record);
// A level (or a price) in that unit as the user reads it: "150.00", the
// bond index's "4.50%".
QString shownLevel(const QString& serviceSymbol, double level);

// What is told when an alert's level is crossed.
struct AlertNotice {
    QString listSymbol;  // the list entry, as the alert line names it
    QString chartSymbol; // what the chart browser is opened on
    QString title;       // "IBM above 150.00"
    QString body;        // the last price, the change and the time
    QString flashSymbol; // what the ticker's face shows without a desktop
    QString flashPrice;
};
// The notice for a crossing of `level` (`above`, or below) by the quote in
// `record`, which the service sent for `serviceSymbol`.
AlertNotice alertNotice(const QString& listSymbol, const QString& serviceSymbol, const QuoteRecord& record, bool above,
                        double level);

// One line of the alert log: when, what, and what became of it.
QString alertLogLine(const QDateTime& when, const AlertNotice& notice, const QString& outcome);
// Appends a line to the log at `path` (its folder made when missing). A log
// past kLargestAlertLog is moved aside to `path`.old first.
inline constexpr qint64 kLargestAlertLog = 256 * 1024;
void appendAlertLog(const QString& path, const QString& line);

} // namespace quoterra
