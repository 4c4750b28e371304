// Stamps read, moved and written back on the proleptic Gregorian calendar,
// and the strict reading of TIME and DURATION values.
#include "cli/calendar.h"

#include <string>
#include <utility>

#include "cli/chain.h"

namespace kalimber {
namespace {

using namespace std::chrono;

// The longest move that can keep a stamp within its years: their span.
constexpr std::int64_t kLongestMs = 29227LL * 366 * 86400000;

// Digits at i as a number (at most 15 of them); i is left after them.
std::optional<std::int64_t> Number(std::string_view text, std::size_t& i, std::size_t most = 15) {
    const std::size_t start = i;
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < most) {
        value = value * 10 + (text[i++] - '0');
    }
    if (i == start || (i < text.size() && text[i] >= '0' && text[i] <= '9')) {
        return std::nullopt;
    }
    return value;
}

// Exactly n digits at i.
std::optional<std::int64_t> Fixed(std::string_view text, std::size_t& i, std::size_t n) {
    const std::size_t start = i;
    const std::optional<std::int64_t> value = Number(text, i, n);
    return value && i - start == n ? value : std::nullopt;
}

bool Take(std::string_view text, std::size_t& i, char c) {
    if (i < text.size() && text[i] == c) {
        ++i;
        return true;
    }
    return false;
}

// ".mmm" at i where there is a point: 1 to 3 digits, as milliseconds.
std::optional<std::int64_t> Millisecond(std::string_view text, std::size_t& i) {
    if (!Take(text, i, '.')) {
        return 0;
    }
    const std::size_t start = i;
    std::optional<std::int64_t> digits = Number(text, i, 3);
    if (!digits) {
        return std::nullopt;
    }
    for (std::size_t n = i - start; n < 3; ++n) {
        *digits *= 10;
    }
    return digits;
}

}  // namespace

std::optional<Millis> StampInstant(const TimeStamp& t) {
    const unsigned year = t.Year.Get();
    if (year < FirstStampYear || year > LastStampYear) {
        return std::nullopt;
    }
    return Instant(t);
}

std::optional<TimeStamp> StampAt(Millis instant) {
    const sys_days day = floor<days>(instant);
    const year_month_day date{day};
    if (int{date.year()} < FirstStampYear || int{date.year()} > LastStampYear) {
        return std::nullopt;
    }
    const hh_mm_ss<milliseconds> time{instant - day};
    TimeStamp t{};
    t.Year.Set(static_cast<std::uint16_t>(int{date.year()}));
    t.Month.Set(static_cast<std::uint16_t>(unsigned{date.month()}));
    t.DayOfWeek.Set(static_cast<std::uint16_t>(weekday{day}.c_encoding()));
    t.Day.Set(static_cast<std::uint16_t>(unsigned{date.day()}));
    t.Hour.Set(static_cast<std::uint16_t>(time.hours().count()));
    t.Minute.Set(static_cast<std::uint16_t>(time.minutes().count()));
    t.Second.Set(static_cast<std::uint16_t>(time.seconds().count()));
    t.Millisecond.Set(static_cast<std::uint16_t>(time.subseconds().count()));
    return t;
}

std::optional<TimeStamp> ReadTime(std::string_view text) {
    std::size_t i = 0;
    const std::size_t yearStart = i;
    const std::optional<std::int64_t> y = Number(text, i, 5);
    if (!y || i - yearStart < 4 || !Take(text, i, '-')) {
        return std::nullopt;
    }
    const auto mo = Fixed(text, i, 2);
    if (!mo || !Take(text, i, '-')) {
        return std::nullopt;
    }
    const auto d = Fixed(text, i, 2);
    if (!d || !(Take(text, i, 'T') || Take(text, i, ' '))) {
        return std::nullopt;
    }
    const auto h = Fixed(text, i, 2);
    if (!h || !Take(text, i, ':')) {
        return std::nullopt;
    }
    const auto mi = Fixed(text, i, 2);
    if (!mi || !Take(text, i, ':')) {
        return std::nullopt;
    }
    const auto s = Fixed(text, i, 2);
    const auto ms = s ? Millisecond(text, i) : std::nullopt;
    if (!ms || i != text.size() || *y > LastStampYear) {
        return std::nullopt;
    }
    TimeStamp t{};
    t.Year.Set(static_cast<std::uint16_t>(*y));
    t.Month.Set(static_cast<std::uint16_t>(*mo));
    t.Day.Set(static_cast<std::uint16_t>(*d));
    t.Hour.Set(static_cast<std::uint16_t>(*h));
    t.Minute.Set(static_cast<std::uint16_t>(*mi));
    t.Second.Set(static_cast<std::uint16_t>(*s));
    t.Millisecond.Set(static_cast<std::uint16_t>(*ms));
    const std::optional<Millis> instant = StampInstant(t);
    return instant ? StampAt(*instant) : std::nullopt;  // with its weekday
}

std::optional<std::int64_t> ReadDuration(std::string_view text) {
    std::size_t i = 0;
    const bool minus = Take(text, i, '-');
    if (!minus) {
        Take(text, i, '+');
    }
    std::int64_t total = 0;
    if (text.find(':') != std::string_view::npos) {
        // [-]HH:MM:SS[.mmm]
        const auto h = Number(text, i, 9);
        if (!h || !Take(text, i, ':')) {
            return std::nullopt;
        }
        const auto mi = Fixed(text, i, 2);
        if (!mi || *mi > 59 || !Take(text, i, ':')) {
            return std::nullopt;
        }
        const auto s = Fixed(text, i, 2);
        const auto ms = s && *s <= 59 ? Millisecond(text, i) : std::nullopt;
        if (!ms || i != text.size()) {
            return std::nullopt;
        }
        total = ((*h * 60 + *mi) * 60 + *s) * 1000 + *ms;
    } else {
        if (i == text.size()) {
            return std::nullopt;
        }
        struct Unit {
            std::string_view Name;
            std::int64_t Ms;
        };
        // Longest first, so that ms is not read as m and s.
        static constexpr Unit kUnits[] = {{"min", 60000}, {"ms", 1}, {"d", 86400000}, {"h", 3600000}, {"s", 1000}};
        while (i < text.size()) {
            const auto whole = Number(text, i, 15);
            if (!whole) {
                return std::nullopt;
            }
            std::int64_t fraction = 0;  // as a number of the unit's 10^-9
            if (Take(text, i, '.')) {
                const std::size_t start = i;
                const auto digits = Number(text, i, 9);
                if (!digits) {
                    return std::nullopt;
                }
                fraction = *digits;
                for (std::size_t n = i - start; n < 9; ++n) {
                    fraction *= 10;
                }
            }
            const Unit* unit = nullptr;
            for (const Unit& u : kUnits) {
                if (text.substr(i, u.Name.size()) == u.Name) {
                    unit = &u;
                    break;
                }
            }
            if (unit == nullptr || *whole > kLongestMs / unit->Ms) {
                return std::nullopt;
            }
            i += unit->Name.size();
            // The fraction, in 10^-9 of the unit, must come to whole milliseconds.
            const std::int64_t scaled = fraction * (unit->Ms / 1000);
            if ((unit->Ms < 1000 && fraction != 0) || scaled % 1000000 != 0) {
                return std::nullopt;
            }
            total += *whole * unit->Ms + scaled / 1000000;
            if (total > kLongestMs) {
                return std::nullopt;
            }
        }
    }
    if (total > kLongestMs) {
        return std::nullopt;
    }
    return minus ? -total : total;
}

std::string ShiftText(std::int64_t ms) {
    std::string text = ms < 0 ? "-" : "+";
    std::uint64_t left = static_cast<std::uint64_t>(ms < 0 ? -ms : ms);
    static constexpr std::pair<const char*, std::uint64_t> kUnits[] = {
        {"d", 86400000}, {"h", 3600000}, {"min", 60000}, {"s", 1000}, {"ms", 1}};
    for (const auto& [unit, size] : kUnits) {
        if (left >= size || (left == 0 && size == 1 && text.size() == 1)) {
            text += std::to_string(left / size);
            text += unit;
            left %= size;
        }
    }
    return text;
}

}  // namespace kalimber
