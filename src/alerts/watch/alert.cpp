#include "alert.h"

#include "core/numbers.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace quoterra {

namespace {

// One level: `rising` for an above-level.
bool observeLevel(double level, bool rising, LevelState& state, double price)
{
    const bool beyond = rising ? price > level : price < level;
    switch (state) {
    case LevelState::Unknown:
        // What was already past when first seen was not seen crossing.
        state = beyond ? LevelState::Crossed : LevelState::Armed;
        return false;
    case LevelState::Armed:
        if (!beyond)
            return false;
        state = LevelState::Crossed;
        return true;
    case LevelState::Crossed: {
        const double rearm = rising ? level * (1 - kRearmShare) : level * (1 + kRearmShare);
        if (rising ? price <= rearm : price >= rearm)
            state = LevelState::Armed;
        return false;
    }
    }
    return false;
}

QString stateWord(LevelState state)
{
    switch (state) {
    case LevelState::Armed:
        return QStringLiteral("armed");
    case LevelState::Crossed:
        return QStringLiteral("crossed");
    case LevelState::Unknown:
        break;
    }
    return {};
}

LevelState stateOf(QStringView word)
{
    if (word == u"armed")
        return LevelState::Armed;
    if (word == u"crossed")
        return LevelState::Crossed;
    return LevelState::Unknown;
}

} // namespace

Crossings observe(Alert& alert, double price)
{
    Crossings crossed;
    if (!(price > 0) || !std::isfinite(price))
        return crossed;
    if (alert.above)
        crossed.above = observeLevel(*alert.above, true, alert.aboveState, price);
    if (alert.below)
        crossed.below = observeLevel(*alert.below, false, alert.belowState, price);
    return crossed;
}

QString alertText(const Alert& alert)
{
    // The shortest text that reads back as the same number.
    auto level = [](const std::optional<double>& l) {
        return l ? QString::number(*l, 'f', QLocale::FloatingPointShortest) : QString();
    };
    // A state only means something for a level that is set.
    const LevelState above = alert.above ? alert.aboveState : LevelState::Unknown;
    const LevelState below = alert.below ? alert.belowState : LevelState::Unknown;
    QStringList fields{level(alert.above), level(alert.below)};
    if (above != LevelState::Unknown || below != LevelState::Unknown)
        fields << stateWord(above) << stateWord(below);
    return fields.join(u';');
}

std::optional<Alert> parseAlert(QStringView text)
{
    const QList<QStringView> fields = text.split(u';');
    auto field = [&fields](qsizetype i) { return i < fields.size() ? fields[i].trimmed() : QStringView(); };
    Alert alert;
    for (auto [index, level] : {std::pair{0, &alert.above}, std::pair{1, &alert.below}}) {
        const TypedLevel read = typedLevel(field(index));
        if (!read.ok)
            return std::nullopt;
        *level = read.level;
    }
    if (alert.above)
        alert.aboveState = stateOf(field(2));
    if (alert.below)
        alert.belowState = stateOf(field(3));
    return alert;
}

LevelTexts levelTexts(QStringView text)
{
    const QList<QStringView> fields = text.split(u';');
    return {fields.value(0).trimmed().toString(), fields.value(1).trimmed().toString()};
}

TypedLevel typedLevel(QStringView text)
{
    if (text.trimmed().isEmpty())
        return {true, std::nullopt};
    const auto number = parseNumber(text);
    if (!number || !(*number > 0))
        return {};
    return {true, *number};
}

QString levelDisplay(double level)
{
    QString text = formatGeneral(level, 15);
    if (text.contains(u'E'))
        return QString::number(level, 'f', 2);
    const qsizetype point = text.indexOf(u'.');
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (point < 0)
        text += u'.';
    return text + QString(std::max<qsizetype>(0, 2 - decimals), u'0');
}

} // namespace quoterra
