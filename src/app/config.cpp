#include "config.h"

#include "program.h"

#include "app/context/application.h"
#include "ticker/ticker.h"
#include "ui/controls.h"
#include "ui/msgbox.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quoterra {

std::optional<int> Config::wholeSeconds(const QString& text, int min, int max)
{
    const QString digits = text.trimmed();
    // Digits only: no sign, point or exponent, which the settings' readers
    // would round or refuse.
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int value = digits.toInt();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

Config::Config(Application& app, Program& program)
    : Dialog(app.forms())
    , app_(app)
    , program_(program)
    , fetching_(app)
{
    setObjectName(QStringLiteral("Config"));
    setWindowTitle(QStringLiteral("Quoterra - Configuration"));
    setGeometryTwips(0, 0, 4800, 3420);

    auto* interval = make<QGroupBox>(this, "fraInterval", QStringLiteral("Update Interval"), 120, 120, 4560, 780);
    make<QLabel>(interval, "lblEvery", QStringLiteral("Update quotes every:"), 240, 360, 2100, 255);
    txtSeconds = make<QLineEdit>(interval, "txtSeconds", {}, 2400, 300, 840, 330);
    make<QLabel>(interval, "lblSeconds", QStringLiteral("seconds"), 3360, 360, 1080, 255);

    auto* size = make<QGroupBox>(this, "fraSize", QStringLiteral("Ticker Size"), 120, 1020, 4560, 780);
    optTickerSize[0] = make<QRadioButton>(size, "optStandard", QStringLiteral("Standard Ticker"), 240, 330, 2040, 300);
    optTickerSize[1] = make<QRadioButton>(size, "optLarge", QStringLiteral("Large Ticker"), 2400, 330, 2040, 300);
    // A group that may also hold neither, when the setting names no size.
    auto* sizes = new QButtonGroup(size);
    sizes->setExclusive(false);
    for (QRadioButton* option : optTickerSize) {
        option->setAutoExclusive(false);
        sizes->addButton(option);
    }
    connect(sizes, &QButtonGroup::buttonClicked, this, [this](QAbstractButton* chosen) {
        for (QRadioButton* option : optTickerSize)
            option->setChecked(option == chosen);
    });

    auto* timeout = make<QGroupBox>(this, "fraTimeout", QStringLiteral("Request Timeout"), 120, 1920, 4560, 780);
    make<QLabel>(timeout, "lblTimeoutAfter", QStringLiteral("Timeout after:"), 240, 360, 2100, 255);
    txtTimeout = make<QLineEdit>(timeout, "txtTimeout", {}, 2400, 300, 840, 330);
    make<QLabel>(timeout, "lblTimeoutSeconds", QStringLiteral("seconds"), 3360, 360, 1080, 255);

    auto* ok = make<QPushButton>(this, "cmdOK", QStringLiteral("OK"), 2160, 2880, 1200, 375);
    ok->setDefault(true);
    auto* cancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"), 3480, 2880, 1200, 375);
    connect(ok, &QPushButton::clicked, this, &Config::ok);
    connect(cancel, &QPushButton::clicked, this, [this] { unload(); });
}

void Config::onLoad()
{
    Settings& s = app_.settings();
    app_.settingsFile().createKey(kMainKey);
    fetching_.hold();
    txtSeconds->setText(s.GetString(Setting::Interval));
    txtTimeout->setText(s.GetString(Setting::Timeout));
    const SkinSize size = s.skinSize();
    optTickerSize[0]->setChecked(size == SkinSize::Standard);
    optTickerSize[1]->setChecked(size == SkinSize::Large);
    app_.AlwaysOnTop(*this);
}

bool Config::onUnload()
{
    unsetCursor();
    fetching_.release();
    return true;
}

void Config::refuse(QLineEdit* box, const QString& message)
{
    messageBox(this, message, QMessageBox::Warning);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

void Config::ok()
{
    // Both boxes are checked before anything is written, so a refused OK
    // leaves every setting as it was.
    const std::optional<int> interval = wholeSeconds(txtSeconds->text(), kMinInterval, kMaxSeconds);
    if (!interval) {
        refuse(txtSeconds,
               QStringLiteral("The update interval must be a whole number of seconds from %1 to %2.")
                   .arg(kMinInterval)
                   .arg(kMaxSeconds));
        return;
    }
    const bool keepTimeout = txtTimeout->text().trimmed().isEmpty();
    const std::optional<int> timeout =
        keepTimeout ? std::nullopt : wholeSeconds(txtTimeout->text(), kMinTimeout, kMaxSeconds);
    if (!keepTimeout && !timeout) {
        refuse(txtTimeout,
               QStringLiteral("The request timeout must be a whole number of seconds from %1 to %2.")
                   .arg(kMinTimeout)
                   .arg(kMaxSeconds));
        return;
    }

    Settings& s = app_.settings();
    s.setInterval(*interval);
    if (optTickerSize[0]->isChecked())
        s.setSkinSize(SkinSize::Standard);
    else if (optTickerSize[1]->isChecked())
        s.setSkinSize(SkinSize::Large);
    if (timeout)
        s.setTimeout(*timeout);
    fetching_.release();
    app_.settingsFile().createKey(kMainKey);
    if (Ticker* ticker = program_.ticker())
        ticker->savePlaceAndMode();
    unload();
    // Every new value takes effect through the ticker's own load.
    program_.reloadTicker();
}

} // namespace quoterra
