#pragma once

#include <QString>

#include <optional>

namespace quoterra {

// Nearest whole number, halves to the even neighbour (as the 16-bit and
// 32-bit conversions of stored numbers do).
double roundHalfEven(double value);

// Whole-string decimal number: optional blanks around, optional sign,
// digits with at most one point, optional exponent. Nothing else.
std::optional<double> parseNumber(QStringView text);

// Shortest text of the value with at most `significant` digits: no
// thousands separators, no trailing zeros, '-' for negatives, no '+'.
QString formatGeneral(double value, int significant);

// The longest leading decimal number of a text (digits with at most one
// point, after leading blanks); 0 when it does not start with one. As a
// version file is read: independent of the desktop's locale.
double leadingNumber(QStringView text);

// Text of a window coordinate as settings store it (whole twips in
// practice; single precision keeps seven significant digits).
QString formatCoordinate(double twips);

} // namespace quoterra
