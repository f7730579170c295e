#pragma once

#include <QColor>
#include <QString>

#include <array>

namespace quoterra {

// Ten slots holding the pieces of one answer line in request order:
// symbol, last, date, time, change, open, high, low, volume, spare.
using QuoteRecord = std::array<QString, 10>;

// Splits a comma-separated answer into the slots, verbatim (quotes,
// blanks and the line end stay). No comma: every slot empty. Pieces past
// the tenth are dropped.
void SplitQuoteLine(const QString& text, QuoteRecord& record);

// Fills places 0..3 of `places` from "r,g,b" (16-bit, halves to even),
// leaving places it does not reach as they were; stops at a piece that is
// not a number or a fifth piece.
void SplitColor(const QString& text, std::array<qint16, 4>& places);
QColor colorFromText(const QString& text, const QColor& previous);

// Replaces every occurrence of `search` (not empty), scanning left to right
// and never searching the inserted text again. Inline so that the symbol
// dialogs can use it without linking the quote routines.
inline QString ReplaceText(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty())
        return text;
    QString s = text;
    qsizetype p = s.indexOf(search);
    while (p >= 0) {
        s = s.left(p) + replacement + s.mid(p + search.size());
        p = s.indexOf(search, p + replacement.size());
    }
    return s;
}

// The four index entries: what the compact line and the full block show,
// and what is sent to the quote service.
QString shortNameFor(const QString& symbol);
QString longNameFor(const QString& symbol);
QString serviceSymbolFor(const QString& symbol);

inline const QString kBondIndexSymbol = QStringLiteral("^TYX");

// A bond-index value shown as a percentage: the number tenfold smaller in
// the general number format, with "%"; empty when the text is no number.
QString bondPercent(const QString& slot);

// The first character of a text; empty for an empty text.
QString firstCharacter(const QString& text);

} // namespace quoterra
