#pragma once

#include <QString>

namespace quoterra {

class RegistryStore;

// Every setting the program keeps, with its key, name and default: the one
// table of them.
enum class Setting {
    Left,
    Top,
    Height,
    Interval,
    AlwaysOnTop,
    Size,
    Timeout,
    Docked,
    ChartSymbol,
    ChartType,
    ChartLeft,
    ChartTop,
    ChartStartUp,
};

// The ticker's shaded strip or full window (`Height`).
enum class WindowMode { Full, Shade };
// The ticker's skin (`Size`). A value that is neither word (hand-edited, or
// unreadable) is neither skin: the ticker then takes the large pictures but
// does not grow.
enum class SkinSize { Standard, Large, Neither };

inline const QString kMainKey = QStringLiteral("Software\\Quoterra");
inline const QString kChartsKey = QStringLiteral("Software\\Quoterra\\Charts");

// The settings as string values in the registry file. A reader never sees a
// missing value: its default is written first. Settings are never cached:
// every read asks the file, so an edit made while the program runs counts.
class Settings {
public:
    // Longest text a value may hold and still be read.
    static constexpr int kLongestReadableValue = 254;

    explicit Settings(RegistryStore& store)
        : store_(store)
    {
    }

    // Makes both keys (and their parents) exist.
    void createKeys();
    // The stored text, or the default written first when the value is
    // missing or too long to read; empty when the key does not exist.
    QString GetString(Setting setting);
    // Writes only into an existing key: writers make it first.
    void WriteValue(Setting setting, const QString& text);

    // Typed reads and writes; the words stored for them are the table's.
    WindowMode windowMode() { return choice(Setting::Height) == 1 ? WindowMode::Shade : WindowMode::Full; }
    void setWindowMode(WindowMode mode) { writeChoice(Setting::Height, mode == WindowMode::Shade ? 1 : 0); }
    SkinSize skinSize();
    void setSkinSize(SkinSize size);
    bool alwaysOnTop() { return flag(Setting::AlwaysOnTop); }
    void setAlwaysOnTop(bool on) { setFlag(Setting::AlwaysOnTop, on); }
    bool docked() { return flag(Setting::Docked); }
    void setDocked(bool on) { setFlag(Setting::Docked, on); }
    bool chartStartUp() { return flag(Setting::ChartStartUp); }
    void setChartStartUp(bool on) { setFlag(Setting::ChartStartUp, on); }
    // Seconds between quotes, as the refresh count holds them (16 bits).
    short interval();
    void setInterval(int seconds) { WriteValue(Setting::Interval, QString::number(seconds)); }
    // Seconds a quote request may take.
    qint64 timeout();
    void setTimeout(qint64 seconds) { WriteValue(Setting::Timeout, QString::number(seconds)); }
    // Window places in twips.
    double tickerLeft() { return number(Setting::Left); }
    double tickerTop() { return number(Setting::Top); }
    double chartLeft() { return number(Setting::ChartLeft); }
    double chartTop() { return number(Setting::ChartTop); }
    void setPlace(Setting left, Setting top, double leftTwips, double topTwips);

    // A number setting: empty reads 0; a value that is not a number, or lies
    // outside the setting's range, is put back to its default, so a
    // hand-edited setting never breaks a later conversion.
    double number(Setting setting);

    static QString key(Setting setting);
    static QString name(Setting setting);

private:
    // Which of the setting's two words is stored: 0, 1, or -1 for neither.
    int choice(Setting setting);
    void writeChoice(Setting setting, int which);
    bool flag(Setting setting) { return choice(setting) == 1; }
    void setFlag(Setting setting, bool on) { writeChoice(setting, on ? 1 : 0); }

    RegistryStore& store_;
};

} // namespace quoterra
