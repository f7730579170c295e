#include "quote_cycle.h"

#include "no_quote_reason.h"

#include "core/transfer.h"

#include <QElapsedTimer>
#include <QPointer>

#include <initializer_list>

namespace quoterra {

const QString& TickerColors::forChange(const QString& first) const
{
    if (first == QLatin1String("+"))
        return UpColor;
    if (first == QLatin1String("-"))
        return DownColor;
    return TextColor;
}

QString quoteRequestAddress(const QString& quoteHost, const QString& serviceSymbol)
{
    return quoteHost + QStringLiteral("/d/quotes.csv?s=") + serviceSymbol + QStringLiteral("&f=sl1d1t1c1ohgv&e=.csv");
}

void QuoteCycle::AdvanceSymbol()
{
    if (hold)
        hold = false;
    else
        cursor.NextEntry();
    const QString symbol = cursor.CurrentSymbol;
    ShortName = shortNameFor(symbol);
    LongName = longNameFor(symbol);
    if (symbol == QLatin1String("S&P 500"))
        cursor.CurrentSymbol = QStringLiteral("S&&P 500");
}

void QuoteCycle::BuildQuoteRequest(const QString& quoteHost)
{
    view.qCurrentStock.caption = LongName;
    for (LabelText* value :
         {&view.qLastPrice, &view.qChange, &view.qOpenPrice, &view.qDailyHigh, &view.qDailyLow, &view.qVolume})
        value->caption.clear();
    view.compactSymbol.caption = ShortName;
    view.compactPrice.caption = QStringLiteral("Loading...");
    view.compactChange.caption.clear();
    view.compactSymbol.toolTip = cursor.CurrentName;
    view.qCurrentStock.toolTip = cursor.CurrentName;

    cursor.CurrentSymbol = serviceSymbolFor(cursor.CurrentSymbol);
    requestAddress = quoteRequestAddress(quoteHost, cursor.CurrentSymbol);
    statusAddress = quoteHost + QStringLiteral("/_status");
}

void QuoteCycle::FetchQuote(Transfer& transfer, const AnswerCheck& believe)
{
    QElapsedTimer clock;
    clock.start();
    QPointer<Transfer> alive(&transfer);
    const QString answer = transfer.OpenURL(requestAddress);
    if (alive && believe && !believe(transfer)) {
        // Nothing it says is shown, its status included.
        showAnswer({});
        view.compactPrice.toolTip = kNotTheQuoteService;
        return;
    }
    showAnswer(answer);
    if (!alive || view.compactPrice.caption != QLatin1String("Error"))
        return;
    const qint64 timeout = transfer.RequestTimeout();
    const qint64 secondsLeft =
        (timeout * 1'000'000'000 - clock.nsecsElapsed()) / 1'000'000'000; // whole seconds, none beyond what is left
    QByteArray status;
    if (secondsLeft >= 1) {
        transfer.setRequestTimeout(secondsLeft);
        status = transfer.openUrlBytes(statusAddress);
        if (!alive)
            return;
        transfer.setRequestTimeout(timeout);
    }
    view.compactPrice.toolTip = noQuoteReason(status);
}

void QuoteCycle::showNothing()
{
    for (LabelText* label :
         {&view.compactSymbol, &view.compactPrice, &view.compactChange, &view.qCurrentStock, &view.qLastPrice,
          &view.qChange, &view.qOpenPrice, &view.qDailyHigh, &view.qDailyLow, &view.qVolume}) {
        label->caption.clear();
        label->toolTip.clear();
    }
}

void QuoteCycle::showAnswer(const QString& answer)
{
    if (answer.isEmpty() || answer == QLatin1String("<invalid address>")) {
        view.compactPrice.caption = QStringLiteral("Error");
        return;
    }
    SplitQuoteLine(answer, record);
    const QuoteRecord& r = record;
    QuoteView& v = view;

    if (!r[4].isEmpty()) {
        const Rgb color = colorFromText(colors.forChange(firstCharacter(r[4])), v.compactChange.color);
        v.compactChange.color = color;
        v.qChange.color = color;
    }

    if (cursor.CurrentSymbol != kBondIndexSymbol) {
        v.compactChange.caption = v.compactChange.toolTip = r[4];
        v.qLastPrice.caption = r[1];
        v.qChange.caption = r[4];
        v.qOpenPrice.caption = r[5];
        v.qDailyHigh.caption = r[6];
        v.qDailyLow.caption = r[7];
        v.qVolume.caption = r[8];
        v.compactPrice.caption = v.compactPrice.toolTip = r[1];
        return;
    }

    // The bond index comes as ten times its yield: show the yield in percent.
    // A value that is no number leaves its label as it was.
    auto scaled = [](const QString& slot, std::initializer_list<QString*> into) {
        const QString text = bondPercent(slot);
        if (!text.isEmpty()) {
            for (QString* target : into)
                *target = text;
        }
    };
    scaled(r[4], {&v.compactChange.caption, &v.compactChange.toolTip});
    scaled(r[1], {&v.qLastPrice.caption});
    scaled(r[4], {&v.qChange.caption});
    scaled(r[5], {&v.qOpenPrice.caption});
    scaled(r[6], {&v.qDailyHigh.caption});
    scaled(r[7], {&v.qDailyLow.caption});
    v.qVolume.caption = r[8];
    scaled(r[1], {&v.compactPrice.caption, &v.compactPrice.toolTip});

    // Scaling loses a "+"; give the change its sign back.
    const QString sign = firstCharacter(r[4]);
    if (firstCharacter(v.compactChange.caption) != sign) {
        v.compactChange.caption.prepend(sign);
        v.compactChange.toolTip.prepend(sign);
        v.qChange.caption.prepend(sign);
    }
}

RefreshCycle::Step RefreshCycle::tick(bool held)
{
    if (tickCounter < Interval) {
        ++tickCounter;
        return Step::Counted;
    }
    if (held || paused) {
        tickCounter = 0;
        return Step::Held;
    }
    return Step::Fetch;
}

QString RefreshCycle::pauseCaption() const
{
    return paused ? QStringLiteral("&Resume") : QStringLiteral("&Pause");
}

} // namespace quoterra
