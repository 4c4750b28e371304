// The calendar of the time edits in-process: durations in whole milliseconds,
// and times that are real dates, written with their weekday.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/calendar.h"
#include "cli/writers.h"

namespace kalimber::test {
namespace {

TEST(CommandLine, DurationsAreWholeMillisecondsOrRefused) {
    constexpr std::int64_t kRefused = INT64_MIN;
    constexpr std::int64_t kSpan = 29227LL * 366 * 86400000;  // the longest move a stamp can survive
    const struct {
        const char* text;
        std::int64_t ms;
    } cases[] = {
        {"+1h", 3600000},        {"-1h30min", -5400000}, {"+2.5s", 2500},        {"-250ms", -250},
        {"1d", 86400000},        {"1.5min", 90000},      {"0.001s", 1},          {"1h1h", 7200000},
        {"-01:30:00", -5400000}, {"0:00:00.25", 250},    {"+100:00:00", 360000000}, {"1s500ms", 1500},
        {"0.0005s", kRefused},   {"1.5ms", kRefused},    {"1m", kRefused},       {"1", kRefused},
        {"", kRefused},          {"-", kRefused},        {"h", kRefused},        {"1h-1h", kRefused},
        {"1:60:00", kRefused},   {"1:00", kRefused},     {"1:00:00.1234", kRefused}, {"1 h", kRefused},
        {"10698083d", kRefused}, {"999999999999h", kRefused}, {"1e3s", kRefused}, {"--1h", kRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<std::int64_t> ms = ReadDuration(c.text);
        EXPECT_EQ(ms.value_or(kRefused), c.ms);
    }
    EXPECT_EQ(ReadDuration(std::to_string(kSpan) + "ms"), kSpan);
    // A move as the tool tells it reads back as the same move.
    for (const std::int64_t ms : {std::int64_t{0}, std::int64_t{-250}, std::int64_t{3600000}, std::int64_t{-244552920001},
                                  kSpan}) {
        EXPECT_EQ(ReadDuration(ShiftText(ms)), ms) << ShiftText(ms);
    }
    EXPECT_EQ(ShiftText(-244552920000), "-2830d11h22min");
    EXPECT_FALSE(ReadDuration(std::to_string(kSpan + 1) + "ms"));
}

TEST(CommandLine, TimesAreRealDatesWithTheirWeekday) {
    const struct {
        const char* text;
        int weekday;  // -1: refused
    } cases[] = {
        {"2026-11-28T23:52:00", 6}, {"2026-11-28 23:52:00.5", 6}, {"2024-02-29T00:00:00", 4},
        {"1601-01-01T00:00:00", 1}, {"30827-12-31T23:59:59.999", 5}, {"2100-02-29T00:00:00", -1},
        {"1600-12-31T23:59:59", -1}, {"30828-01-01T00:00:00", -1}, {"2026-13-01T00:00:00", -1},
        {"2026-11-28T24:00:00", -1}, {"2026-11-28T23:60:00", -1}, {"2026-11-28T23:52:60", -1},
        {"2026-11-28", -1},         {"2026-11-28T23:52", -1},     {"2026-1-28T23:52:00", -1},
        {"2026-11-28t23:52:00", -1}, {"2026-11-28T23:52:00.", -1}, {"2026-11-28T23:52:00Z", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<TimeStamp> t = ReadTime(c.text);
        ASSERT_EQ(t.has_value(), c.weekday >= 0);
        if (t) {
            EXPECT_EQ(t->DayOfWeek.Get(), c.weekday);
        }
    }
    EXPECT_EQ(ReadTime("2026-11-28 23:52:00.5")->Millisecond.Get(), 500);
}

// A time as stored, however odd: each field zero-padded to its width and
// never cut, the day of week left out.
TEST(CommandLine, ATimeShowsEveryFieldAsStored) {
    const struct {
        std::uint16_t fields[8];  // year, month, day of week, day, hour, minute, second, millisecond
        const char* text;
    } cases[] = {
        {{2021, 4, 6, 17, 14, 3, 9, 45}, "2021-04-17 14:03:09.045"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "0000-00-00 00:00:00.000"},
        {{65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535}, "65535-65535-65535 65535:65535:65535.65535"},
    };
    for (const auto& c : cases) {
        TimeStamp t{};
        LeU16* parts[] = {&t.Year, &t.Month, &t.DayOfWeek, &t.Day, &t.Hour, &t.Minute, &t.Second, &t.Millisecond};
        for (int i = 0; i < 8; ++i) {
            parts[i]->Set(c.fields[i]);
        }
        EXPECT_EQ(TimeText(t), c.text);
    }
}

}  // namespace
}  // namespace kalimber::test
