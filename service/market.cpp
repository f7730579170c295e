#include "market.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>

namespace quoterra::service {

namespace {

std::uint64_t mix(std::uint64_t x)
{
    // splitmix64 finaliser: cheap and well spread, enough for a simulation
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t hashSymbol(std::string_view s)
{
    std::uint64_t h = 0xCBF29CE484222325ULL; // FNV-1a
    for (unsigned char c : s) {
        h ^= c;
        h *= 0x100000001B3ULL;
    }
    return h;
}

double unitFromBits(std::uint64_t bits)
{
    return (static_cast<double>(bits >> 11) + 0.5) * 0x1.0p-53; // open interval (0, 1)
}

constexpr int kStreamDayMove = 1;
constexpr int kStreamGap = 2;
constexpr int kStreamMinute = 3;
constexpr int kStreamDayVolume = 4;
constexpr int kStreamMinuteVolume = 5;
constexpr int kStreamProfile = 6;

struct IndexProfile {
    std::string_view symbol;
    double level;
    double sigma;
    double volume;
};

// ^TYX is the 30-year yield times ten; it trades no shares.
constexpr IndexProfile kIndices[] = {
    {"^DJI", 38500.0, 0.009, 300'000'000.0},
    {"^IXIC", 16200.0, 0.012, 4'500'000'000.0},
    {"^SPC", 5100.0, 0.010, 2'500'000'000.0},
    {"^TYX", 45.0, 0.015, 0.0},
};

const IndexProfile* findIndex(std::string_view upper)
{
    for (const auto& index : kIndices)
        if (index.symbol == upper)
            return &index;
    return nullptr;
}

std::int64_t toCents(double price)
{
    return std::llround(price * 100.0);
}

} // namespace

std::string upperSymbol(std::string_view symbol)
{
    std::string out(symbol);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The rule for what the market knows. A symbol is unknown when it
//  - is empty or longer than 10 characters,
//  - starts with '^' and is not one of the indices ^DJI, ^IXIC, ^SPC, ^TYX,
//  - holds any character other than A-Z, a-z, 0-9, '.', '-', '&' and space,
//  - or starts with "ZZZ": a symbol that is unknown on purpose, for tests and demos.
// Everything else is a stock with its own simulated price.
bool isKnownSymbol(std::string_view upper)
{
    if (findIndex(upper))
        return true;
    if (upper.empty() || upper.size() > 10 || upper.starts_with("ZZZ"))
        return false;
    return std::all_of(upper.begin(), upper.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
            || c == '&' || c == ' ';
    });
}

// --- calendar and clock ---------------------------------------------------

Date dateOf(std::int64_t daysSince1970)
{
    using namespace std::chrono;
    const sys_days d{days(daysSince1970)};
    const year_month_day ymd(d);
    return Date{static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                weekday(d).c_encoding()};
}

Calendar::Calendar(std::chrono::sys_days firstDay)
{
    using namespace std::chrono;
    const unsigned iso = weekday(firstDay).iso_encoding(); // 1 = Monday .. 7 = Sunday
    if (iso >= 6)
        firstDay -= days(iso - 5);
    day0_ = firstDay;
    weekdayOfDay0_ = static_cast<int>(weekday(day0_).iso_encoding()) - 1;
}

Calendar Calendar::startingToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    using namespace std::chrono;
    const year_month_day ymd{year(local.tm_year + 1900), month(static_cast<unsigned>(local.tm_mon + 1)),
                             day(static_cast<unsigned>(local.tm_mday))};
    return Calendar(sys_days(ymd));
}

Date Calendar::date(std::int64_t tradingDay) const
{
    using namespace std::chrono;
    const std::int64_t t = weekdayOfDay0_ + tradingDay;
    std::int64_t weeks = t / 5;
    std::int64_t rest = t % 5;
    if (rest < 0) {
        rest += 5;
        --weeks;
    }
    const sys_days d = day0_ - days(weekdayOfDay0_) + days(weeks * 7 + rest);
    return dateOf(d.time_since_epoch().count());
}

SimClock::SimClock(std::chrono::steady_clock::time_point start, int firstMinute, std::chrono::milliseconds perMinute)
    : start_(start)
    , firstMinute_(firstMinute)
    , perMinute_(perMinute.count() > 0 ? perMinute : std::chrono::milliseconds(1))
{
}

SimTime SimClock::at(std::chrono::steady_clock::time_point t) const
{
    const auto elapsed = std::max(std::chrono::steady_clock::duration::zero(), t - start_);
    const std::int64_t minutes = elapsed / perMinute_;
    return fromElapsedMinutes(firstMinute_ + minutes);
}

SimTime SimClock::fromElapsedMinutes(std::int64_t minutes)
{
    std::int64_t day = minutes / kCycleMinutes;
    std::int64_t inCycle = minutes % kCycleMinutes;
    if (inCycle < 0) {
        inCycle += kCycleMinutes;
        --day;
    }
    return SimTime{day, static_cast<int>(std::min<std::int64_t>(inCycle, kSessionMinutes))};
}

// --- market ---------------------------------------------------------------

Market::Market(std::uint64_t seed)
    : seed_(seed)
{
}

double Market::uniform(std::uint64_t symbolHash, std::int64_t day, int minute, int stream) const
{
    std::uint64_t h = mix(seed_ ^ 0x5152'4D41'524B'4554ULL);
    h = mix(h ^ symbolHash);
    h = mix(h ^ static_cast<std::uint64_t>(day));
    h = mix(h ^ (static_cast<std::uint64_t>(minute) << 8) ^ static_cast<std::uint64_t>(stream));
    return unitFromBits(h);
}

double Market::normal(std::uint64_t symbolHash, std::int64_t day, int minute, int stream) const
{
    // Box-Muller on two independent draws of the same key
    const double u1 = uniform(symbolHash, day, minute, stream);
    const double u2 = uniform(symbolHash, day, minute, stream + 1000);
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

Market::Profile Market::profile(std::string_view symbol) const
{
    if (const IndexProfile* index = findIndex(symbol))
        return Profile{index->level, index->sigma, index->volume, 1};
    // Stocks: a level between $8 and $400, 1.2%..3% daily moves and between
    // 300 thousand and 30 million shares a day, all fixed by the symbol alone
    // so a symbol keeps its character whatever the seed.
    const std::uint64_t h = hashSymbol(symbol);
    const auto draw = [h](int k) {
        return unitFromBits(mix(h ^ mix(static_cast<std::uint64_t>(kStreamProfile * 16 + k))));
    };
    Profile p;
    p.base = std::exp(std::log(8.0) + draw(1) * (std::log(400.0) - std::log(8.0)));
    p.dailySigma = 0.012 + draw(2) * 0.018;
    p.dailyVolume = std::exp(std::log(3e5) + draw(3) * (std::log(3e7) - std::log(3e5)));
    p.lot = 100;
    // the walk itself varies with the seed
    p.base *= std::exp(0.05 * normal(h, 0, 0, kStreamProfile));
    return p;
}

double Market::logClose(std::string_view symbol, const Profile& p, std::int64_t day) const
{
    const std::uint64_t h = hashSymbol(symbol);
    double level = std::log(p.base); // the close of day -1
    if (day >= -1) {
        for (std::int64_t d = 0; d <= day; ++d)
            level += p.dailySigma * normal(h, d, 0, kStreamDayMove);
    } else {
        for (std::int64_t d = -1; d > day; --d)
            level -= p.dailySigma * normal(h, d, 0, kStreamDayMove);
    }
    return level;
}

std::vector<double> Market::closes(std::string_view symbol, std::int64_t firstDay, std::int64_t lastDay) const
{
    std::vector<double> out;
    if (lastDay < firstDay)
        return out;
    const Profile p = profile(symbol);
    const std::uint64_t h = hashSymbol(symbol);
    double level = logClose(symbol, p, firstDay);
    out.reserve(static_cast<std::size_t>(lastDay - firstDay + 1));
    out.push_back(std::exp(level));
    for (std::int64_t d = firstDay + 1; d <= lastDay; ++d) {
        level += p.dailySigma * normal(h, d, 0, kStreamDayMove);
        out.push_back(std::exp(level));
    }
    return out;
}

std::vector<double> Market::intraday(std::string_view symbol, std::int64_t day, int uptoMinute) const
{
    const Profile p = profile(symbol);
    const std::uint64_t h = hashSymbol(symbol);
    const double previous = logClose(symbol, p, day - 1);
    const double close = previous + p.dailySigma * normal(h, day, 0, kStreamDayMove);
    const double open = previous + 0.25 * p.dailySigma * normal(h, day, 0, kStreamGap);

    // A Brownian bridge pinned to the open at minute 0 and the close at 390.
    std::vector<double> walk(kSessionMinutes + 1, 0.0);
    for (int m = 1; m <= kSessionMinutes; ++m)
        walk[m] = walk[m - 1] + normal(h, day, m, kStreamMinute);
    const double scale = 0.8 * p.dailySigma / std::sqrt(double(kSessionMinutes));

    const int last = std::clamp(uptoMinute, 0, kSessionMinutes);
    std::vector<double> prices(static_cast<std::size_t>(last) + 1);
    for (int m = 0; m <= last; ++m) {
        const double f = double(m) / kSessionMinutes;
        const double bridge = walk[m] - f * walk[kSessionMinutes];
        prices[m] = std::exp(open + f * (close - open) + scale * bridge);
    }
    return prices;
}

std::int64_t Market::volume(std::string_view symbol, std::int64_t day, int minute) const
{
    const Profile p = profile(symbol);
    if (p.dailyVolume <= 0)
        return 0;
    const std::uint64_t h = hashSymbol(symbol);
    const int last = std::clamp(minute, 0, kSessionMinutes);
    // Trading is heavier near the open and the close.
    double total = 0, upto = 0;
    for (int m = 1; m <= kSessionMinutes; ++m) {
        const double x = (m - 195.5) / 195.0;
        const double w = (1.0 + 2.0 * x * x) * (0.4 + 1.2 * uniform(h, day, m, kStreamMinuteVolume));
        total += w;
        if (m <= last)
            upto = total;
    }
    const double dayShares = p.dailyVolume * (0.6 + 0.8 * uniform(h, day, 0, kStreamDayVolume));
    const auto shares = static_cast<std::int64_t>(dayShares * (upto / total));
    return shares / p.lot * p.lot;
}

Quote Market::quote(std::string_view symbol, SimTime t) const
{
    const Profile p = profile(symbol);
    const std::vector<double> prices = intraday(symbol, t.day, t.minute);
    Quote q;
    q.symbol = std::string(symbol);
    q.time = SimTime{t.day, static_cast<int>(prices.size()) - 1};
    q.openCents = toCents(prices.front());
    q.lastCents = toCents(prices.back());
    q.highCents = q.lowCents = q.openCents;
    for (double price : prices) {
        q.highCents = std::max(q.highCents, toCents(price));
        q.lowCents = std::min(q.lowCents, toCents(price));
    }
    q.previousCloseCents = toCents(std::exp(logClose(symbol, p, t.day - 1)));
    q.volume = volume(symbol, t.day, q.time.minute);
    return q;
}

// --- the wire format ------------------------------------------------------

std::string formatCents(std::int64_t cents, bool withSign)
{
    const bool negative = cents < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%02llu", negative ? "-" : (withSign && cents > 0 ? "+" : ""),
                  static_cast<unsigned long long>(magnitude / 100), static_cast<unsigned long long>(magnitude % 100));
    return buf;
}

std::string formatDate(const Date& d)
{
    return std::to_string(d.month) + '/' + std::to_string(d.day) + '/' + std::to_string(d.year);
}

std::string formatTime(int minute)
{
    return formatClock(9 * 60 + 30 + minute);
}

std::string formatClock(int clock)
{
    const int hour24 = clock / 60;
    int hour12 = hour24 % 12;
    if (hour12 == 0)
        hour12 = 12;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d%s", hour12, clock % 60, hour24 < 12 ? "am" : "pm");
    return buf;
}

std::string quoteLine(const Quote& q, const Calendar& calendar)
{
    std::string line;
    line += '"' + q.symbol + "\",";
    line += formatCents(q.lastCents) + ',';
    line += '"' + formatDate(calendar.date(q.time.day)) + "\",";
    line += '"' + formatTime(q.time.minute) + "\",";
    line += formatCents(q.lastCents - q.previousCloseCents, true) + ',';
    line += formatCents(q.openCents) + ',';
    line += formatCents(q.highCents) + ',';
    line += formatCents(q.lowCents) + ',';
    line += std::to_string(q.volume);
    line += "\r\n";
    return line;
}

std::string quoteEcho(std::string_view symbol)
{
    std::string echo;
    for (char c : symbol) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '"' || c == ',')
            continue;
        echo += c;
    }
    return echo;
}

std::string unknownQuoteLine(std::string_view symbol)
{
    return '"' + quoteEcho(symbol) + "\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A\r\n";
}

} // namespace quoterra::service
