#include "quote_get.h"

#include "platform/controls.h"
#include "platform/hosts.h"
#include "platform/inet.h"

namespace quoterra {

const QString& TickerColors::forChange(const QString& first) const
{
    if (first == QLatin1String("+"))
        return UpColor;
    if (first == QLatin1String("-"))
        return DownColor;
    return TextColor;
}

QuoteState& quoteState()
{
    static QuoteState state;
    return state;
}

QString quoteRequestAddress(const QString& serviceSymbol)
{
    // The symbol goes out verbatim: "^", "&" and blanks are not escaped.
    return hosts().quotes + QStringLiteral("/d/quotes.csv?s=") + serviceSymbol
        + QStringLiteral("&f=sl1d1t1c1ohgv&e=.csv");
}

void AdvanceSymbol(bool& hold)
{
    QuoteState& s = quoteState();
    if (hold)
        hold = false;
    else
        NextEntry(s.cursor);
    const QString symbol = s.cursor.CurrentSymbol;
    s.ShortName = shortNameFor(symbol);
    s.LongName = longNameFor(symbol);
    if (symbol == QLatin1String("S&P 500"))
        s.cursor.CurrentSymbol = QStringLiteral("S&&P 500");
}

void BuildQuoteRequest(const TickerLabels& l)
{
    QuoteState& s = quoteState();
    l.qCurrentStock->setCaption(s.LongName);
    for (Label* value : {l.qLastPrice, l.qChange, l.qOpenPrice, l.qDailyHigh, l.qDailyLow, l.qVolume})
        value->setCaption(QString());
    l.Label1->setCaption(s.ShortName);
    l.Label2->setCaption(QStringLiteral("Loading..."));
    l.Label3->setCaption(QString());
    l.Label1->setToolTipText(s.cursor.CurrentName);
    l.qCurrentStock->setToolTipText(s.cursor.CurrentName);

    s.cursor.CurrentSymbol = serviceSymbolFor(s.cursor.CurrentSymbol);
    s.requestAddress.clear();
    s.requestAddress = quoteRequestAddress(s.cursor.CurrentSymbol);
}

void FetchQuote(Inet& inet, const TickerLabels& l, const TickerColors& colors)
{
    QuoteState& s = quoteState();
    const QString answer = inet.OpenURL(s.requestAddress);
    if (answer.isEmpty() || answer == QLatin1String("<invalid address>")) {
        l.Label2->setCaption(QStringLiteral("Error"));
        return;
    }
    SplitQuoteLine(answer, s.record);
    const QuoteRecord& r = s.record;

    if (!r[4].isEmpty()) {
        const QColor color = colorFromText(colors.forChange(firstCharacter(r[4])), l.Label3->ForeColor());
        l.Label3->setForeColor(color);
        l.qChange->setForeColor(color);
    }

    if (s.cursor.CurrentSymbol != kBondIndexSymbol) {
        l.Label3->setCaption(r[4]);
        l.Label3->setToolTipText(r[4]);
        l.qLastPrice->setCaption(r[1]);
        l.qChange->setCaption(r[4]);
        l.qOpenPrice->setCaption(r[5]);
        l.qDailyHigh->setCaption(r[6]);
        l.qDailyLow->setCaption(r[7]);
        l.qVolume->setCaption(r[8]);
        l.Label2->setCaption(r[1]);
        l.Label2->setToolTipText(r[1]);
        return;
    }

    // The bond index comes as ten times its yield: show the yield in percent.
    // A value that is no number leaves its label as it was.
    auto scaled = [](const QString& slot, auto apply) {
        const QString text = bondPercent(slot);
        if (!text.isEmpty())
            apply(text);
    };
    scaled(r[4], [&](const QString& t) { l.Label3->setCaption(t); l.Label3->setToolTipText(t); });
    scaled(r[1], [&](const QString& t) { l.qLastPrice->setCaption(t); });
    scaled(r[4], [&](const QString& t) { l.qChange->setCaption(t); });
    scaled(r[5], [&](const QString& t) { l.qOpenPrice->setCaption(t); });
    scaled(r[6], [&](const QString& t) { l.qDailyHigh->setCaption(t); });
    scaled(r[7], [&](const QString& t) { l.qDailyLow->setCaption(t); });
    l.qVolume->setCaption(r[8]);
    scaled(r[1], [&](const QString& t) { l.Label2->setCaption(t); l.Label2->setToolTipText(t); });

    // Scaling loses a "+"; give the change its sign back.
    const QString sign = firstCharacter(r[4]);
    if (firstCharacter(l.Label3->Caption()) != sign) {
        l.Label3->setCaption(sign + l.Label3->Caption());
        l.Label3->setToolTipText(sign + l.Label3->ToolTipText());
        l.qChange->setCaption(sign + l.qChange->Caption());
    }
}

} // namespace quoterra
