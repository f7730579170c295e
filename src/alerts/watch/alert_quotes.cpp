#include "alert_quotes.h"

#include "alert.h"

#include "core/numbers.h"
#include "symbols/file/symbol_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

namespace quoterra {

namespace {

QString unquoted(const QString& slot)
{
    QString text = slot.trimmed();
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    return text;
}

bool isBond(const QString& serviceSymbol)
{
    return serviceSymbol == kBondIndexSymbol;
}

// A value as the ticker shows it: the bond index's in percent, its change
// with its sign.
QString shownValue(const QString& serviceSymbol, const QString& slot, bool signedChange = false)
{
    const QString text = slot.trimmed();
    if (!isBond(serviceSymbol))
        return text;
    QString percent = bondPercent(text);
    if (percent.isEmpty())
        return text;
    const QString sign = firstCharacter(text);
    if (signedChange && sign == u"+")
        percent.prepend(sign);
    return percent;
}

} // namespace

QString requestSymbolFor(const QString& listSymbol)
{
    return serviceSymbolFor(listSymbol == QLatin1String("S&P 500") ? QStringLiteral("S&&P 500") : listSymbol);
}

QString displayNameFor(const QString& listSymbol)
{
    return longNameFor(listSymbol).replace(QLatin1String("&&"), QLatin1String("&"));
}

bool namesEntry(const QString& shown, const QString& listSymbol)
{
    if (shown.isEmpty())
        return false;
    for (const QString& name : {listSymbol, shortNameFor(listSymbol), longNameFor(listSymbol),
                                requestSymbolFor(listSymbol), displayNameFor(listSymbol)}) {
        if (shown == name)
            return true;
    }
    return false;
}

QStringList listedSymbols(const QString& applicationDirectory)
{
    QStringList symbols;
    QSet<QString> seen;
    QFile list(symbolFilePath(applicationDirectory));
    if (!list.open(QIODevice::ReadOnly))
        return symbols;
    for (const SymbolEntry& entry : decodeRecords(list.readAll())) {
        const QString symbol = entry.TickerSymbol.trimmed();
        if (!symbol.isEmpty() && !seen.contains(symbol.toCaseFolded())) {
            seen.insert(symbol.toCaseFolded());
            symbols << symbol;
        }
    }
    return symbols;
}

QString severalQuotesAddress(const QString& quoteHost, const QStringList& serviceSymbols)
{
    QStringList escaped;
    for (const QString& symbol : serviceSymbols)
        escaped << QString::fromLatin1(QUrl::toPercentEncoding(symbol, "^"));
    return quoteRequestAddress(quoteHost, escaped.join(u'+'));
}

std::vector<QString> answerLines(const QString& body, const QStringList& serviceSymbols)
{
    QStringList lines = body.split(u'\n');
    if (body.endsWith(u'\n'))
        lines.removeLast();
    std::vector<QString> paired(size_t(serviceSymbols.size()));
    for (qsizetype i = 0; i < serviceSymbols.size() && i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        QuoteRecord record;
        SplitQuoteLine(line, record);
        // A line that names another symbol is not this one's, whatever its place.
        if (unquoted(record[0]).compare(serviceSymbols[i], Qt::CaseInsensitive) != 0)
            continue;
        paired[size_t(i)] = line;
    }
    return paired;
}

std::optional<double> shownPrice(const QString& serviceSymbol, const QuoteRecord& record)
{
    const auto price = parseNumber(record[1]);
    if (!price || !(*price > 0))
        return std::nullopt;
    return isBond(serviceSymbol) ? *price * 0.1 : *price;
}

QString shownLevel(const QString& serviceSymbol, double level)
{
    return levelDisplay(level) + (isBond(serviceSymbol) ? QStringLiteral("%") : QString());
}

AlertNotice alertNotice(const QString& listSymbol, const QString& serviceSymbol, const QuoteRecord& record, bool above,
                        double level)
{
    AlertNotice n;
    n.listSymbol = listSymbol;
    n.chartSymbol = serviceSymbol.toUpper();
    n.title = QStringLiteral("%1 %2 %3")
                  .arg(displayNameFor(listSymbol), above ? QStringLiteral("above") : QStringLiteral("below"),
                       shownLevel(serviceSymbol, level));
    QStringList body{QStringLiteral("Last Price: ") + shownValue(serviceSymbol, record[1]),
                     QStringLiteral("Change: ") + shownValue(serviceSymbol, record[4], true)};
    const QString time = unquoted(record[3]);
    if (!time.isEmpty())
        body << QStringLiteral("Time: ") + time;
    n.body = body.join(u'\n');
    n.flashSymbol = shortNameFor(listSymbol);
    n.flashPrice = shownValue(serviceSymbol, record[1]);
    return n;
}

QString alertLogLine(const QDateTime& when, const AlertNotice& notice, const QString& outcome)
{
    return QStringLiteral("%1  %2 (%3): %4")
        .arg(when.toString(Qt::ISODate), notice.title, QString(notice.body).replace(u'\n', QLatin1String(", ")),
             outcome);
}

void appendAlertLog(const QString& path, const QString& line)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFileInfo(path).size() > kLargestAlertLog) {
        QFile::remove(path + QLatin1String(".old"));
        QFile::rename(path, path + QLatin1String(".old"));
    }
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        log.write((line + u'\n').toUtf8());
}

} // namespace quoterra
