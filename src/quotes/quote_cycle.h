#pragma once

#include "quote_text.h"
#include "symbols/file/symbol_file.h"

#include <QString>

#include <functional>

namespace quoterra {

class Transfer;

// What one of the ticker's quote labels shows.
struct LabelText {
    QString caption;
    QString toolTip;
    Rgb color;
    bool operator==(const LabelText&) const = default;
};

// Everything the ticker's quote labels show: the compact line and the values
// of the full block.
struct QuoteView {
    LabelText compactSymbol;
    LabelText compactPrice;
    LabelText compactChange;
    LabelText qCurrentStock;
    LabelText qLastPrice;
    LabelText qChange;
    LabelText qOpenPrice;
    LabelText qDailyHigh;
    LabelText qDailyLow;
    LabelText qVolume;
    bool operator==(const QuoteView&) const = default;
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

// The ticker's walk through the list, one quote at a time: its cursor over
// the file, the names shown for the current symbol, the next request and
// what the labels show.
class QuoteCycle {
public:
    SymbolCursor cursor;
    // The next AdvanceSymbol keeps the current entry once.
    bool hold = false;
    QString ShortName;
    QString LongName;
    QString requestAddress;
    QString statusAddress; // the quote service's status, which says why a quote failed
    QuoteRecord record;
    TickerColors colors;
    QuoteView view;

    // Steps to the next entry (or keeps the current one once) and works out
    // its display names.
    void AdvanceSymbol();
    // Shows the loading state for the current symbol and builds its request
    // on `quoteHost` (scheme and host).
    void BuildQuoteRequest(const QString& quoteHost);
    // Whether an answer may be believed: it came from the quote service
    // itself, not from another program in its place.
    using AnswerCheck = std::function<bool(const Transfer&)>;
    // Fetches the built request and shows the answer. When it shows
    // "Error", the price's tool tip says why, from the service's status
    // fetched within what is left of the quote's own time-out.
    void FetchQuote(Transfer& transfer, const AnswerCheck& believe = {});
    // Shows an answer: its values, or "Error" when there is none.
    void showAnswer(const QString& answer);
    // Nothing is on the list: no symbol, no quote.
    void showNothing();
};

// The request address for a service symbol: no escaping, so "^", "&" and
// blanks go out as they are.
QString quoteRequestAddress(const QString& quoteHost, const QString& serviceSymbol);

// The counting rule of the ticker's one-second timer: a fetch is due once
// the counter has reached the interval, so fetches come Interval + 1 ticks
// apart (plus the transfer, during which the timer is off).
class RefreshCycle {
public:
    enum class Step { Counted, Held, Fetch };

    short Interval = 10;
    int tickCounter = 0;
    bool paused = false;

    // One tick; `held` while the configuration or update dialog is open. On
    // Fetch the caller fetches, then calls fetched().
    Step tick(bool held);
    void fetched() { tickCounter = 0; }
    // The caption the pause menu item shows.
    QString pauseCaption() const;
};

} // namespace quoterra
