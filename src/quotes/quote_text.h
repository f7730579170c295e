#pragma once

#include <QString>

#include <array>

namespace quoterra {

// Ten slots holding the pieces of one answer line in request order:
// symbol, last, date, time, change, open, high, low, volume, spare.
using QuoteRecord = std::array<QString, 10>;

// Splits a comma-separated answer into the slots, verbatim (quotes, blanks
// and the line end stay). No comma: every slot empty. Pieces past the tenth
// are dropped.
void SplitQuoteLine(const QString& text, QuoteRecord& record);

// Fills places 0..3 from "r,g,b" (16-bit, halves to even), leaving places it
// does not reach as they were; stops at a piece that is not a number or at a
// fifth piece.
void SplitColor(const QString& text, std::array<qint16, 4>& places);

// A colour as red, green and blue, 0..255.
struct Rgb {
    int red = 255;
    int green = 255;
    int blue = 255;
    bool operator==(const Rgb&) const = default;
};
// The colour a "r,g,b" text names; what it does not name keeps `previous`.
Rgb colorFromText(const QString& text, Rgb previous);

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
