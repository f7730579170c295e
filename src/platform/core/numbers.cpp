#include "numbers.h"

#include <cmath>

namespace quoterra {

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5)
        return floor + 1.0;
    if (diff < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<double> parseNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    if (t[i] == u'+' || t[i] == u'-')
        ++i;
    qsizetype digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            ++digits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < t.size() && (t[j] == u'+' || t[j] == u'-'))
            ++j;
        qsizetype expDigits = 0;
        while (j < t.size() && t[j].isDigit() && t[j].unicode() < 128) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
        i = j;
    }
    if (i != t.size())
        return std::nullopt;
    bool ok = false;
    const double value = t.toString().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatGeneral(double value, int significant)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', significant);
    // 'g' already drops trailing zeros; keep exponents in the familiar form.
    text.replace(u'e', u'E');
    return text;
}

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    const qsizetype start = i;
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9')
            digit = true;
        else if (c == u'.' && !point)
            point = true;
        else
            break;
    }
    bool ok = false;
    // Only a number too long for a double fails here, and reads as none.
    const double value = digit ? text.mid(start, i - start).toDouble(&ok) : 0;
    return ok ? value : 0;
}

QString formatCoordinate(double twips)
{
    return formatGeneral(static_cast<double>(static_cast<float>(twips)), 7);
}

} // namespace quoterra
