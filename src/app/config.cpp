#include "config.h"

#include "platform/msgbox.h"
#include "platform/numbers.h"
#include "platform/settings.h"
#include "quotes/refresh_cycle.h"
#include "ticker/ticker.h"

#include <QLineEdit>

namespace quoterra {

QString Config::intervalMessage()
{
    return QStringLiteral("The update interval must be a whole number of seconds from %1 to %2.")
        .arg(kMinInterval)
        .arg(kMaxSeconds);
}

QString Config::timeoutMessage()
{
    return QStringLiteral("The request timeout must be a whole number of seconds from %1 to %2.")
        .arg(kMinTimeout)
        .arg(kMaxSeconds);
}

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

bool Config::open()
{
    return ConfigOpen;
}

void Config::setOpen(bool on)
{
    ConfigOpen = on;
}

Config::Config()
    : Form(kName, Dialog)
{
    setCaption(QStringLiteral("Quoterra - Configuration"));
    Move(0, 0, 4800, 3420);

    Frame3 = new Frame(this, QStringLiteral("Frame3"), QStringLiteral("Update Interval"));
    Frame3->Move(120, 120, 4560, 780);
    Label3 = new Label(Frame3, QStringLiteral("Label3"), QStringLiteral("Update quotes every:"));
    Label3->Move(240, 360, 2100, 255);
    txtSeconds = new TextBox(Frame3, QStringLiteral("txtSeconds"));
    txtSeconds->Move(2400, 300, 840, 330);
    Label4 = new Label(Frame3, QStringLiteral("Label4"), QStringLiteral("seconds"));
    Label4->Move(3360, 360, 1080, 255);

    Frame4 = new Frame(this, QStringLiteral("Frame4"), QStringLiteral("Ticker Size"));
    Frame4->Move(120, 1020, 4560, 780);
    optTickerSize[0] = new OptionButton(Frame4, QStringLiteral("optTickerSize(0)"), QStringLiteral("Standard Ticker"));
    optTickerSize[0]->Move(240, 330, 2040, 300);
    optTickerSize[1] = new OptionButton(Frame4, QStringLiteral("optTickerSize(1)"), QStringLiteral("Large Ticker"));
    optTickerSize[1]->Move(2400, 330, 2040, 300);

    Frame5 = new Frame(this, QStringLiteral("Frame5"), QStringLiteral("Request Timeout"));
    Frame5->Move(120, 1920, 4560, 780);
    Label2 = new Label(Frame5, QStringLiteral("Label2"), QStringLiteral("Timeout after:"));
    Label2->Move(240, 360, 2100, 255);
    txtTimeout = new TextBox(Frame5, QStringLiteral("txtTimeout"));
    txtTimeout->Move(2400, 300, 840, 330);
    Label5 = new Label(Frame5, QStringLiteral("Label5"), QStringLiteral("seconds"));
    Label5->Move(3360, 360, 1080, 255);

    Command1 = new CommandButton(this, QStringLiteral("Command1"), QStringLiteral("OK"));
    Command1->Move(2160, 2880, 1200, 375);
    Command1->setDefault(true);
    Command2 = new CommandButton(this, QStringLiteral("Command2"), QStringLiteral("Cancel"));
    Command2->Move(3480, 2880, 1200, 375);
    Command2->setCancel(true);

    connect(Command1, &CommandButton::Click, this, &Config::ok);
    connect(Command2, &CommandButton::Click, this, &Config::cancel);
}

Config::~Config()
{
    // Destroyed without an unload (the program ending): the ticker must not
    // stay held.
    if (holding_)
        ConfigOpen = false;
}

void Config::Form_Load()
{
    CreateKey(HKEY_CURRENT_USER, kMainKey);
    ConfigOpen = true;
    holding_ = true;
    txtSeconds->setText(MainSetting("Interval"));
    txtTimeout->setText(MainSetting("Timeout"));
    const QString size = MainSetting("Size");
    if (size == QLatin1String("Standard"))
        optTickerSize[0]->setValue(true);
    else if (size == QLatin1String("Large"))
        optTickerSize[1]->setValue(true);
    AlwaysOnTop(*this);
}

void Config::Form_Unload(int&)
{
    setMousePointer(vbDefault);
    ConfigOpen = false;
    holding_ = false;
}

void Config::refuse(TextBox* box, const QString& message)
{
    MsgBox(message, vbExclamation + vbOKOnly, kApplicationTitle, this);
    box->SetFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box->editor()))
        line->selectAll();
}

void Config::ok()
{
    // Both boxes are checked before anything is written, so a refused OK
    // leaves every setting as it was.
    const std::optional<int> interval = wholeSeconds(txtSeconds->Text(), kMinInterval, kMaxSeconds);
    if (!interval) {
        refuse(txtSeconds, intervalMessage());
        return;
    }
    const bool keepTimeout = txtTimeout->Text().trimmed().isEmpty();
    const std::optional<int> timeout = keepTimeout ? std::nullopt : wholeSeconds(txtTimeout->Text(), kMinTimeout, kMaxSeconds);
    if (!keepTimeout && !timeout) {
        refuse(txtTimeout, timeoutMessage());
        return;
    }

    WriteMainSetting("Interval", QString::number(*interval));
    if (optTickerSize[0]->Value())
        WriteMainSetting("Size", QStringLiteral("Standard"));
    else if (optTickerSize[1]->Value())
        WriteMainSetting("Size", QStringLiteral("Large"));
    if (timeout)
        WriteMainSetting("Timeout", QString::number(*timeout));
    ConfigOpen = false;

    CreateKey(HKEY_CURRENT_USER, kMainKey);
    if (auto* ticker = Forms::find<Ticker>()) {
        WriteMainSetting("Left", formatCoordinate(ticker->Left()));
        WriteMainSetting("Top", formatCoordinate(ticker->Top()));
        WriteMainSetting("Height", ticker->picWindow->Tag == QLatin1String("Shade") ? QStringLiteral("Shade")
                                                                             : QStringLiteral("Full"));
        WriteMainSetting("Always On Top", ticker->notOnTop ? QStringLiteral("False") : QStringLiteral("True"));
    }

    Unload();
    // Every new value takes effect through the ticker's own load.
    Forms::unload(Ticker::kName);
    Forms::show(Ticker::kName);
}

void Config::cancel()
{
    ConfigOpen = false;
    Unload();
}

} // namespace quoterra
