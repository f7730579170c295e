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
    void CreateKeys();
    // The stored text, or the default written first when the value is
    // missing or too long to read; empty when the key does not exist.
    QString GetString(Setting setting);
    // Writes only into an existing key: writers make it first.
    void WriteValue(Setting setting, const QString& text);
    void WriteFlag(Setting setting, bool on)
    {
        WriteValue(setting, on ? QStringLiteral("True") : QStringLiteral("False"));
    }
    bool isTrue(Setting setting) { return GetString(setting) == QLatin1String("True"); }
    // A number setting: empty reads 0; a value that is not a number, or lies
    // outside the setting's range, is put back to its default, so a
    // hand-edited setting never breaks a later conversion.
    double number(Setting setting);

    static QString key(Setting setting);
    static QString name(Setting setting);

private:
    RegistryStore& store_;
};

} // namespace quoterra
