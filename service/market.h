#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quoterra::service {

// Upper-cases ASCII letters and leaves every other byte alone.
std::string upperSymbol(std::string_view symbol);

// Whether the simulated market trades a symbol; expects it upper-cased.
bool isKnownSymbol(std::string_view upper);

// A session runs from 9:30am (minute 0) to 4:00pm (minute 390).
inline constexpr int kSessionMinutes = 390;

struct SimTime {
    std::int64_t day = 0; // trading days since the service started; negative is history
    int minute = 0;       // minutes since the open, 0..kSessionMinutes
    friend bool operator==(const SimTime&, const SimTime&) = default;
};

struct Date {
    int year = 0;
    unsigned month = 0;   // 1..12
    unsigned day = 0;     // 1..31
    unsigned weekday = 0; // 0 = Sunday
};

// The date of a day counted from 1970-01-01.
Date dateOf(std::int64_t daysSince1970);

// Trading days are weekdays; day 0 is the first simulated day.
class Calendar {
public:
    // A weekend day is moved back to the Friday before it.
    explicit Calendar(std::chrono::sys_days firstDay);
    static Calendar startingToday();

    Date date(std::int64_t tradingDay) const;

private:
    std::chrono::sys_days day0_;
    int weekdayOfDay0_ = 0; // 0 = Monday .. 4 = Friday
};

// Maps wall time to market time. One simulated minute passes per real second,
// so a session lasts six and a half minutes; after the close the market stays
// shut for half an hour of simulated time before the next day opens.
class SimClock {
public:
    static constexpr int kCycleMinutes = kSessionMinutes + 30;

    explicit SimClock(std::chrono::steady_clock::time_point start, int firstMinute = 30,
                      std::chrono::milliseconds perMinute = std::chrono::seconds(1));

    SimTime at(std::chrono::steady_clock::time_point t) const;
    SimTime now() const { return at(std::chrono::steady_clock::now()); }

    // Minutes counted from 9:30am of day 0, closed hours included.
    static SimTime fromElapsedMinutes(std::int64_t minutes);

private:
    std::chrono::steady_clock::time_point start_;
    int firstMinute_;
    std::chrono::milliseconds perMinute_;
};

struct Quote {
    std::string symbol;
    std::int64_t lastCents = 0;
    std::int64_t openCents = 0;
    std::int64_t highCents = 0;
    std::int64_t lowCents = 0;
    std::int64_t previousCloseCents = 0;
    std::int64_t volume = 0;
    SimTime time;
};

// A seeded random walk per symbol. Every price is a pure function of the
// seed, the symbol and the simulated time, so two services started with the
// same seed agree at the same simulated minute. Daily closes follow a
// log-normal walk; within a day the price runs on a bridge from the open
// (a small gap off the previous close) to that day's close.
// All members expect a known, upper-case symbol.
class Market {
public:
    explicit Market(std::uint64_t seed);

    Quote quote(std::string_view symbol, SimTime t) const;

    // Price at each minute 0..uptoMinute of a session.
    std::vector<double> intraday(std::string_view symbol, std::int64_t day, int uptoMinute) const;

    // Session closes of the days firstDay..lastDay (inclusive).
    std::vector<double> closes(std::string_view symbol, std::int64_t firstDay, std::int64_t lastDay) const;

    // Shares traded from the open up to a minute; never falls during a day.
    std::int64_t volume(std::string_view symbol, std::int64_t day, int minute) const;

    std::uint64_t seed() const { return seed_; }

private:
    struct Profile {
        double base = 0;        // the close before day 0
        double dailySigma = 0;  // log-price move per day
        double dailyVolume = 0; // shares on an average day
        std::int64_t lot = 1;   // volumes are whole lots
    };
    Profile profile(std::string_view symbol) const;
    double logClose(std::string_view symbol, const Profile& p, std::int64_t day) const;
    double normal(std::uint64_t symbolHash, std::int64_t day, int minute, int stream) const;
    double uniform(std::uint64_t symbolHash, std::int64_t day, int minute, int stream) const;

    std::uint64_t seed_;
};

// The quote line the ticker reads: "SYM",last,"M/D/YYYY","h:mmam",change,open,high,low,volume CRLF
std::string quoteLine(const Quote& q, const Calendar& calendar);
// The line for a symbol the market does not know: the symbol and N/A fields.
std::string unknownQuoteLine(std::string_view symbol);
// A symbol made safe to echo in a quote line: quotes, commas and control
// characters would shift the fields the ticker reads.
std::string quoteEcho(std::string_view symbol);

std::string formatCents(std::int64_t cents, bool withSign = false); // "112.45", "+1.25", "-0.40", "0.00"
std::string formatDate(const Date& d);                              // "3/9/2001"
std::string formatTime(int minute);                                 // "4:01pm", from minutes since the open
std::string formatClock(int minuteOfDay);                           // "4:01pm", from minutes since midnight

} // namespace quoterra::service
