#include "quote_text.h"

#include "core/numbers.h"

#include <algorithm>

namespace quoterra {

namespace {

// Walks "a,b,c" piece by piece, as both splitters do; `store` returns false
// to stop the walk.
template <typename Store> void walkPieces(const QString& text, Store store)
{
    if (text.isEmpty() || !text.contains(u','))
        return;
    const QString withEnd = text + u',';
    qsizetype start = 0;
    int index = 0;
    for (;;) {
        const qsizetype comma = withEnd.indexOf(u',', start);
        if (comma < 0)
            return;
        if (!store(index, withEnd.mid(start, comma - start)))
            return;
        ++index;
        start = comma + 1;
    }
}

} // namespace

void SplitQuoteLine(const QString& text, QuoteRecord& record)
{
    record.fill(QString());
    walkPieces(text, [&](int index, const QString& piece) {
        if (index >= int(record.size()))
            return false;
        record[size_t(index)] = piece;
        return true;
    });
}

void SplitColor(const QString& text, std::array<qint16, 4>& places)
{
    walkPieces(text, [&](int index, const QString& piece) {
        if (index >= int(places.size()))
            return false;
        const auto number = parseNumber(piece);
        if (!number)
            return false;
        const double rounded = roundHalfEven(*number);
        if (rounded < -32768 || rounded > 32767)
            return false;
        places[size_t(index)] = qint16(rounded);
        return true;
    });
}

Rgb colorFromText(const QString& text, Rgb previous)
{
    std::array<qint16, 4> places{qint16(previous.red), qint16(previous.green), qint16(previous.blue), 0};
    SplitColor(text, places);
    auto channel = [](qint16 v) { return std::clamp<int>(v, 0, 255); };
    return Rgb{channel(places[0]), channel(places[1]), channel(places[2])};
}

QString shortNameFor(const QString& symbol)
{
    if (symbol == QLatin1String("S&P 500"))
        return QStringLiteral("S&&P 500");
    if (symbol == QLatin1String("30YR"))
        return QStringLiteral("30 YR");
    return symbol;
}

QString longNameFor(const QString& symbol)
{
    if (symbol == QLatin1String("S&P 500"))
        return QStringLiteral("S&&P 500");
    if (symbol == QLatin1String("30YR"))
        return QStringLiteral("30 YR BOND");
    return symbol;
}

QString serviceSymbolFor(const QString& symbol)
{
    QString s = symbol;
    if (s == QLatin1String("DJIA"))
        s = QStringLiteral("^DJI");
    if (s == QLatin1String("NASDAQ"))
        s = QStringLiteral("^IXIC");
    if (s == QLatin1String("S&&P 500"))
        s = QStringLiteral("^SPC");
    if (s == QLatin1String("30YR"))
        s = QStringLiteral("^TYX");
    return s;
}

QString bondPercent(const QString& slot)
{
    const auto number = parseNumber(slot);
    if (!number)
        return {};
    return formatGeneral(*number * 0.1, 15) + u'%';
}

QString firstCharacter(const QString& text)
{
    return text.left(1);
}

} // namespace quoterra
