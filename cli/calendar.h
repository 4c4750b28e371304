// Time stamps on the calendar: the TIME and DURATION values of the repair
// options, and stamps moved by whole milliseconds with their weekday.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "header/recording_header.h"

namespace kalimber {

using Millis = std::chrono::sys_time<std::chrono::milliseconds>;

// The years a stamp may hold, as Windows keeps them.
inline constexpr int FirstStampYear = 1601;
inline constexpr int LastStampYear = 30827;

// A stored stamp as a point on the calendar, where it is a real date and
// time from 1601 to 30827 (its day-of-week word is not looked at).
std::optional<Millis> StampInstant(const TimeStamp& t);

// The stamp of a point on the calendar, with its weekday (0 = Sunday);
// nullopt outside 1601 to 30827.
std::optional<TimeStamp> StampAt(Millis instant);

// TIME: YYYY-MM-DDTHH:MM:SS[.mmm], or a blank in place of the T, a real
// date from 1601 to 30827.
std::optional<TimeStamp> ReadTime(std::string_view text);

// DURATION: an optional sign, then one or more numbers each with a unit d,
// h, min, s or ms (+1h, -1h30min, +2.5s, -250ms), or [-]HH:MM:SS[.mmm];
// whole milliseconds, at most the span of the calendar.
std::optional<std::int64_t> ReadDuration(std::string_view text);

// A signed duration as --shift takes it: "+1h", "-2828d15h42min", "-250ms", "+0ms".
std::string ShiftText(std::int64_t ms);

}  // namespace kalimber
