#include "settings.h"

#include "core/numbers.h"
#include "core/registry.h"
#include "core/transfer.h"

#include <array>
#include <limits>
#include <optional>

namespace quoterra {

namespace {

constexpr double kWhole = std::numeric_limits<qint32>::max();
constexpr double kNotNumber = std::numeric_limits<double>::quiet_NaN();

struct Entry {
    Setting setting;
    bool charts;
    const char* name;
    const char* value;
    double min; // NaN for texts
    double max;
    // A setting that holds one of two words: the word of value 0 and of
    // value 1 (false and true, Full and Shade, Standard and Large).
    const char* words[2] = {nullptr, nullptr};
};

constexpr std::array<Entry, 13> kTable = {{
    {Setting::Left, false, "Left", "0", -kWhole - 1, kWhole},
    {Setting::Top, false, "Top", "0", -kWhole - 1, kWhole},
    {Setting::Height, false, "Height", "Full", kNotNumber, kNotNumber, {"Full", "Shade"}},
    {Setting::Interval, false, "Interval", "10", -32768, 32767},
    {Setting::AlwaysOnTop, false, "Always On Top", "True", kNotNumber, kNotNumber, {"False", "True"}},
    {Setting::Size, false, "Size", "Standard", kNotNumber, kNotNumber, {"Standard", "Large"}},
    {Setting::Timeout, false, "Timeout", "60", 1, Transfer::kLongestTimeoutSeconds},
    {Setting::Docked, false, "Docked", "False", kNotNumber, kNotNumber, {"False", "True"}},
    {Setting::ChartSymbol, true, "Symbol", "IBM", kNotNumber, kNotNumber},
    {Setting::ChartType, true, "Chart Type", "1 Year", kNotNumber, kNotNumber},
    {Setting::ChartLeft, true, "Left", "0", -kWhole - 1, kWhole},
    {Setting::ChartTop, true, "Top", "0", -kWhole - 1, kWhole},
    {Setting::ChartStartUp, true, "StartUp", "False", kNotNumber, kNotNumber, {"False", "True"}},
}};

constexpr bool inTableOrder()
{
    for (size_t i = 0; i < kTable.size(); ++i) {
        if (kTable[i].setting != Setting(i))
            return false;
    }
    return true;
}
static_assert(inTableOrder(), "the table lists the settings in the enum's order");

const Entry& entry(Setting setting)
{
    return kTable[size_t(setting)];
}

QString defaultValue(Setting setting)
{
    return QLatin1String(entry(setting).value);
}

} // namespace

QString Settings::key(Setting setting)
{
    return entry(setting).charts ? kChartsKey : kMainKey;
}

QString Settings::name(Setting setting)
{
    return QLatin1String(entry(setting).name);
}

void Settings::createKeys()
{
    store_.createKey(kMainKey);
    store_.createKey(kChartsKey);
}

QString Settings::GetString(Setting setting)
{
    auto readable = [&](bool* keyExists) -> std::optional<QString> {
        auto v = store_.value(key(setting), name(setting), keyExists);
        if (!v || v->size() > kLongestReadableValue)
            return std::nullopt;
        return v;
    };
    bool keyExists = false;
    if (auto v = readable(&keyExists))
        return *v;
    if (!keyExists)
        return {};
    WriteValue(setting, defaultValue(setting));
    // One more read only: a write that did not take reads empty.
    return readable(nullptr).value_or(QString());
}

void Settings::WriteValue(Setting setting, const QString& text)
{
    store_.setValue(key(setting), name(setting), text);
}

double Settings::number(Setting setting)
{
    const Entry& e = entry(setting);
    const QString text = GetString(setting);
    if (text.isEmpty())
        return 0;
    if (const auto n = parseNumber(text); n && *n >= e.min && *n <= e.max)
        return *n;
    WriteValue(setting, defaultValue(setting));
    return parseNumber(defaultValue(setting)).value_or(0);
}

int Settings::choice(Setting setting)
{
    const QString text = GetString(setting);
    const Entry& e = entry(setting);
    // Compared exactly, with case: "shade" is not the shaded strip.
    for (int i = 0; i < 2; ++i) {
        if (e.words[i] && text == QLatin1String(e.words[i]))
            return i;
    }
    return -1;
}

void Settings::writeChoice(Setting setting, int which)
{
    WriteValue(setting, QLatin1String(entry(setting).words[which]));
}

SkinSize Settings::skinSize()
{
    switch (choice(Setting::Size)) {
    case 0:
        return SkinSize::Standard;
    case 1:
        return SkinSize::Large;
    default:
        return SkinSize::Neither;
    }
}

void Settings::setSkinSize(SkinSize size)
{
    if (size != SkinSize::Neither)
        writeChoice(Setting::Size, size == SkinSize::Large ? 1 : 0);
}

short Settings::interval()
{
    return short(roundHalfEven(number(Setting::Interval)));
}

qint64 Settings::timeout()
{
    return qint64(roundHalfEven(number(Setting::Timeout)));
}

void Settings::setPlace(Setting left, Setting top, double leftTwips, double topTwips)
{
    WriteValue(left, formatCoordinate(leftTwips));
    WriteValue(top, formatCoordinate(topTwips));
}

} // namespace quoterra
