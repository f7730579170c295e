#include "settings.h"

#include "forms.h"
#include "msgbox.h"
#include "numbers.h"
#include "registry.h"

#include <array>
#include <utility>

namespace quoterra {

namespace {

using Default = std::pair<const char*, const char*>;

constexpr std::array<Default, 8> kMainDefaults = {{
    {"Left", "0"},
    {"Top", "0"},
    {"Height", "Full"},
    {"Interval", "10"},
    {"Always On Top", "True"},
    {"Size", "Standard"},
    {"Timeout", "60"},
    {"Docked", "False"},
}};

constexpr std::array<Default, 5> kChartsDefaults = {{
    {"Symbol", "IBM"},
    {"Chart Type", "1 Year"},
    {"Left", "0"},
    {"Top", "0"},
    {"StartUp", "False"},
}};

template <size_t N>
std::optional<QString> lookup(const std::array<Default, N>& table, const QString& name)
{
    for (const auto& [n, v] : table) {
        if (name == QLatin1String(n))
            return QString::fromLatin1(v);
    }
    return std::nullopt;
}

std::optional<QString> readable(RegistryStore& store, const QString& keyPath, const QString& name,
                                bool* keyExists = nullptr)
{
    auto v = store.value(keyPath, name, keyExists);
    if (!v || v->size() > kLongestReadableValue)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<QString> DefaultValue(const QString& keyPath, const QString& valueName)
{
    // Exact, case-sensitive comparison: only the names the program itself
    // uses have defaults.
    if (keyPath == kMainKey)
        return lookup(kMainDefaults, valueName);
    if (keyPath == kChartsKey)
        return lookup(kChartsDefaults, valueName);
    return std::nullopt;
}

void CreateKey(Hive, const QString& keyPath)
{
    RegistryStore::current()->createKey(keyPath);
}

long SetKeyValue(const RegistryKey& key, const QString& valueName, int valueType,
                 const QVariant& value)
{
    QString text;
    switch (valueType) {
    case REG_SZ:
        if (value.typeId() == QMetaType::Float)
            text = formatGeneral(value.toFloat(), 7);
        else if (value.typeId() == QMetaType::Double)
            text = formatGeneral(value.toDouble(), 15);
        else
            text = value.toString();
        break;
    case REG_DWORD: {
        // The store holds text only; a 32-bit number is kept as its decimal text.
        bool ok = false;
        const double n = value.toDouble(&ok);
        if (!ok || n < -2147483648.0 || n > 2147483647.0)
            return ERROR_INVALID_PARAMETER;
        text = QString::number(static_cast<qint32>(roundHalfEven(n)));
        break;
    }
    default:
        return ERROR_INVALID_PARAMETER;
    }
    return RegistryStore::current()->setValue(key.path, valueName, text) ? ERROR_SUCCESS
                                                                        : ERROR_FILE_NOT_FOUND;
}

void WriteValue(Hive hive, const QString& keyPath, const QString& valueName, int valueType,
                const QVariant& value)
{
    // A missing key stays missing (the store refuses): writers create it first.
    SetKeyValue(RegistryKey{hive, keyPath}, valueName, valueType, value);
}

QString GetString(Hive hive, const QString& keyPath, const QString& valueName)
{
    auto store = RegistryStore::current();
    bool keyExists = false;
    if (auto v = readable(*store, keyPath, valueName, &keyExists))
        return *v;
    if (!keyExists)
        return {};
    if (valueName.isEmpty()) {
        fatalApplicationError(1, QStringLiteral("Quoterra"),
                              QStringLiteral("Your system registry is corrupted. Please reinstall Quoterra."));
    }
    const auto fallback = DefaultValue(keyPath, valueName);
    if (!fallback)
        return {};
    WriteValue(hive, keyPath, valueName, REG_SZ, *fallback);
    // One more read only: if the write did not take, the value reads empty.
    return readable(*store, keyPath, valueName).value_or(QString());
}

double GetNumber(Hive hive, const QString& keyPath, const QString& valueName, double min, double max)
{
    const QString text = GetString(hive, keyPath, valueName);
    if (text.isEmpty())
        return 0;
    if (const auto n = parseNumber(text); n && *n >= min && *n <= max)
        return *n;
    const auto fallback = DefaultValue(keyPath, valueName);
    if (!fallback)
        return 0;
    WriteValue(hive, keyPath, valueName, REG_SZ, *fallback);
    return parseNumber(*fallback).value_or(0);
}

QString MainSetting(const QString& name)
{
    return GetString(HKEY_CURRENT_USER, kMainKey, name);
}

QString ChartsSetting(const QString& name)
{
    return GetString(HKEY_CURRENT_USER, kChartsKey, name);
}

void WriteMainSetting(const QString& name, const QVariant& value)
{
    WriteValue(HKEY_CURRENT_USER, kMainKey, name, REG_SZ, value);
}

void WriteChartsSetting(const QString& name, const QVariant& value)
{
    WriteValue(HKEY_CURRENT_USER, kChartsKey, name, REG_SZ, value);
}

void AlwaysOnTop(Form& form)
{
    form.setTopmost(MainSetting(QStringLiteral("Always On Top")) == QLatin1String("True"));
}

} // namespace quoterra
