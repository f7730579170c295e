#pragma once

#include "alert.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace quoterra {

class RegistryStore;

inline const QString kAlertsKey = QStringLiteral("Software\\Quoterra\\Alerts");
// The switch for every alert. Its name is longer than any symbol of the
// list (ten characters), so no alert line can take it.
inline const QString kAlertsSwitch = QStringLiteral("Alerts Enabled");

// The price alerts in the settings file: a key of their own, one
// "SYMBOL=above;below" line per symbol (see alertText), and the switch.
// Nothing is cached: an edit made to the file while the program runs counts
// at the next read. Nothing is written until there is an alert.
class AlertBook {
public:
    explicit AlertBook(RegistryStore& store)
        : store_(store)
    {
    }

    // Every alert line as (symbol, stored text), in the file's order.
    std::vector<std::pair<QString, QString>> lines();
    // The stored text of a symbol's alert.
    std::optional<QString> line(const QString& symbol);
    // Writes a symbol's alert; an alert with no level clears its line.
    void write(const QString& symbol, const Alert& alert);

    // On unless switched off (a word other than "True" is off).
    bool enabled();
    void setEnabled(bool on);

private:
    RegistryStore& store_;
};

} // namespace quoterra
