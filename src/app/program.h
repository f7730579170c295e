#pragma once

#include "welcome.h"

#include "alerts/price_alerts.h"
#include "alerts/watch/desktop_notifier.h"
#include "alerts/watch/price_watch.h"

#include "ticker/ticker.h"
#include "ui/form.h"

#include <QObject>

namespace quoterra {

class Application;

inline const QString kFontSizeMessage =
    QStringLiteral("Quoterra must be run in either Small or Large Font mode. You are not using either of these. "
                   "If you would like to use Quoterra, please adjust your Font Size.");

// One run of the program: makes its windows and links them, starts it, and
// ends it as the ticker's exit does.
class Program : public QObject {
    Q_OBJECT
public:
    explicit Program(Application& app);

    // The first code: settings keys, the font-size check, the ticker, and
    // the welcome text for a user without symbols. False when the program
    // must end at once (an unsupported font size).
    bool StartUp();

    Ticker* ticker() const { return ticker_.loaded(); }
    // Where the ticker and the chart browser stand, and whether they are docked.
    DockedPair& pair() { return pair_; }
    // Closes the ticker and shows it again, so its load reads every setting
    // and the list afresh.
    void reloadTicker();
    // A signal or the end of the desktop session: save what the ticker's
    // exit saves, then end.
    void exitLikeTheTicker();
    // The display went away: save what the program knows, touching no window.
    void saveWithoutDisplay();

    PriceWatch& priceWatch() { return watch_; }

private:
    Ticker* makeTicker();
    // The alerts dialog, on the row of the symbol the ticker showed as `symbol`.
    void openAlerts(const QString& symbol);
    // Logs a notice and what became of it.
    void alertTold(const AlertNotice& notice, const QString& outcome);

    Application& app_;
    DockedPair pair_;
    FormSlot<Ticker> ticker_;
    FormSlot<Welcome> welcome_;
    PriceWatch watch_;
    DesktopNotifier notifier_;
    FormSlot<PriceAlertsDialog> alerts_;
};

} // namespace quoterra
