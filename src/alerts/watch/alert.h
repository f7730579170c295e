#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace quoterra {

// Where one level of an alert stands. Unknown until a first price is seen;
// Armed while the price is on the near side, ready to cross; Crossed once it
// has gone past (told, or already past when first seen), until it comes
// back past the level by kRearmShare.
enum class LevelState { Unknown, Armed, Crossed };

// A share of the level the price must come back by before a crossed level
// can be told again: a price hovering at the level tells once.
inline constexpr double kRearmShare = 0.005;

// A price alert on one symbol: tell when the price rises above `above` or
// falls below `below` (either may be unset), in the unit the ticker shows.
struct Alert {
    std::optional<double> above;
    std::optional<double> below;
    LevelState aboveState = LevelState::Unknown;
    LevelState belowState = LevelState::Unknown;
    bool operator==(const Alert&) const = default;
};

// Which levels one price crossed.
struct Crossings {
    bool above = false;
    bool below = false;
    bool any() const { return above || below; }
    bool operator==(const Crossings&) const = default;
};

// Applies one price to the alert's levels and says which it crossed. A
// price that is not above 0 (no quote, a symbol the service does not know)
// changes nothing.
Crossings observe(Alert& alert, double price);

// The stored form, "above;below" with empty for an unset level, then the
// two levels' states when any is known: "150;;armed;". Levels are kept as
// the shortest text that reads back as the same value.
QString alertText(const Alert& alert);
// The alert a stored text holds. Missing fields are unset levels and
// unknown states; a level that is neither empty nor a price above 0 makes
// the whole text no alert, so a hand-edited line is left as it stands.
std::optional<Alert> parseAlert(QStringView text);
// The two level fields of a stored text as they stand, for editing.
struct LevelTexts {
    QString above;
    QString below;
};
LevelTexts levelTexts(QStringView text);

// A level typed by the user: a price above 0 in the ticker's own number
// form, or nothing for an empty text; `ok` false when it is neither.
struct TypedLevel {
    bool ok = false;
    std::optional<double> level;
};
TypedLevel typedLevel(QStringView text);

// A level as the user reads it: at least two decimals, "150.00", "4.125".
QString levelDisplay(double level);

} // namespace quoterra
