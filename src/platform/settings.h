#pragma once

#include <QString>
#include <QVariant>

namespace quoterra {

class Form;

// The settings live in the current user's hive of the registry store.
enum class Hive { CurrentUser };
inline constexpr Hive HKEY_CURRENT_USER = Hive::CurrentUser;

inline const QString kMainKey = QStringLiteral("Software\\Quoterra");
inline const QString kChartsKey = QStringLiteral("Software\\Quoterra\\Charts");

inline constexpr int REG_SZ = 1;
inline constexpr int REG_DWORD = 4;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_INVALID_PARAMETER = 87;

// An open key: which store and which key path.
struct RegistryKey {
    Hive hive = Hive::CurrentUser;
    QString path;
};

void CreateKey(Hive hive, const QString& keyPath);
void WriteValue(Hive hive, const QString& keyPath, const QString& valueName, int valueType,
                const QVariant& value);
long SetKeyValue(const RegistryKey& key, const QString& valueName, int valueType,
                 const QVariant& value);

// The stored text, or the table's default written first when the value is
// missing or too long to read. Never retries more than once.
QString GetString(Hive hive, const QString& keyPath, const QString& valueName);

// Numeric settings: an empty value reads 0; a value that is not a number,
// or lies outside [min, max], is repaired to its default (and that is
// returned), so a hand-edited setting never breaks a later conversion.
double GetNumber(Hive hive, const QString& keyPath, const QString& valueName,
                 double min = -2147483648.0, double max = 2147483647.0);

// Shorthands for the two keys' settings, read and written as above.
QString MainSetting(const QString& name);
QString ChartsSetting(const QString& name);
void WriteMainSetting(const QString& name, const QVariant& value);
void WriteChartsSetting(const QString& name, const QVariant& value);

// Applies the "Always On Top" setting to a window.
void AlwaysOnTop(Form& form);

// The default the table gives a value, or an empty optional when it has none.
std::optional<QString> DefaultValue(const QString& keyPath, const QString& valueName);

// Longest text a value may hold and still be read.
inline constexpr int kLongestReadableValue = 254;

} // namespace quoterra
