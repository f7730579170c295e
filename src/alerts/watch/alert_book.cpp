#include "alert_book.h"

#include "core/registry.h"
#include "settings/settings.h"

namespace quoterra {

std::vector<std::pair<QString, QString>> AlertBook::lines()
{
    std::vector<std::pair<QString, QString>> all = store_.values(kAlertsKey);
    std::erase_if(all, [](const auto& line) { return line.first.compare(kAlertsSwitch, Qt::CaseInsensitive) == 0; });
    return all;
}

std::optional<QString> AlertBook::line(const QString& symbol)
{
    return store_.value(kAlertsKey, symbol);
}

void AlertBook::write(const QString& symbol, const Alert& alert)
{
    if (!alert.above && !alert.below) {
        store_.removeValue(kAlertsKey, symbol);
        return;
    }
    store_.createKey(kAlertsKey);
    store_.setValue(kAlertsKey, symbol, alertText(alert));
}

bool AlertBook::enabled()
{
    const std::optional<QString> on = store_.value(kAlertsKey, kAlertsSwitch);
    return !on || Settings::flagOn(*on);
}

void AlertBook::setEnabled(bool on)
{
    // Switched on is how a missing switch reads: no key is made for it.
    if (on && !store_.value(kAlertsKey, kAlertsSwitch))
        return;
    store_.createKey(kAlertsKey);
    store_.setValue(kAlertsKey, kAlertsSwitch, Settings::flagText(on));
}

} // namespace quoterra
