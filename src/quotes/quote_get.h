#pragma once

#include "quote_text.h"
#include "symbols/symbol_file.h"

#include <QColor>
#include <QString>

namespace quoterra {

class Inet;
class Label;

// The ticker's labels the quote routines write.
struct TickerLabels {
    Label* Label1 = nullptr;       // compact symbol
    Label* Label2 = nullptr;       // compact price
    Label* Label3 = nullptr;       // compact change
    Label* qCurrentStock = nullptr;
    Label* qLastPrice = nullptr;
    Label* qChange = nullptr;
    Label* qOpenPrice = nullptr;
    Label* qDailyHigh = nullptr;
    Label* qDailyLow = nullptr;
    Label* qVolume = nullptr;
};

// The ticker's colour texts, "r,g,b".
struct TickerColors {
    QString SymbolColor = QStringLiteral("255,255,255");
    QString TextColor = QStringLiteral("255,255,255");
    QString UpColor = QStringLiteral("255,255,255");
    QString DownColor = QStringLiteral("255,255,255");

    // The colour text for a change whose first character is `first`.
    const QString& forChange(const QString& first) const;
};

// Quote state for the whole run: the ticker's cursor over the list (its
// current symbol and name), the names shown for it, the next request and
// the last answer's slots.
struct QuoteState {
    SymbolCursor cursor;
    QString ShortName;
    QString LongName;
    QString requestAddress;
    QuoteRecord record;
};
QuoteState& quoteState();

// Steps to the next symbol (or keeps the current one once when `hold` is
// set, clearing it) and works out its display names.
void AdvanceSymbol(bool& hold);
// Shows the loading state for the current symbol and builds its request.
void BuildQuoteRequest(const TickerLabels& labels);
// Fetches the built request and shows the answer, or "Error".
void FetchQuote(Inet& inet, const TickerLabels& labels, const TickerColors& colors);

// The request address for a symbol on the configured quote host.
QString quoteRequestAddress(const QString& serviceSymbol);

} // namespace quoterra
