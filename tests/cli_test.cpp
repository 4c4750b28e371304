// The command line's own rules, in-process: the strict frequency and gap
// values, the progress line, the wildcard matcher Windows builds use,
// escaped controls and the wait of an owned console.
#include <gtest/gtest.h>

#include "cli/calendar.h"
#include "cli/command_line.h"
#include "cli/help.h"
#include "cli/options.h"
#include "cli/path_walk.h"
#include "cli/progress.h"
#include "header/print.h"
#include "platform/unicode.h"
#include "tests/test_support.h"

namespace kalimber::test {
namespace {

TEST(CommandLine, FrequenciesAreWholeHertzOrRefused) {
    constexpr std::int64_t kRefused = -1;
    const struct {
        const char* text;
        std::int64_t hertz;
    } cases[] = {
        {"7050000", 7050000},  {"7050k", 7050000},   {"7.05M", 7050000},   {"0.192M", 192000},
        {"0", 0},              {"4294967295", 4294967295}, {"4.294967295G", 4294967295},
        {"007050000", 7050000}, {"7.0500000000M", 7050000}, {"1G", 1000000000},
        {"7.0500001M", kRefused}, {"4294967296", kRefused}, {"4.294967296G", kRefused}, {"5G", kRefused},
        {"99999999999999999999", kRefused}, {"7O50000", kRefused}, {"-5", kRefused}, {"+5", kRefused},
        {" 7050000", kRefused}, {"7050000 ", kRefused}, {"7,050,000", kRefused}, {"0x10", kRefused},
        {"7.05", kRefused},    {"7.05m", kRefused},  {"7050K", 7050000},  {"7.M", kRefused},
        {".5M", kRefused},     {"", kRefused},       {"k", kRefused},      {"7kk", kRefused},
        {"7050000Hz", 7050000}, {"7050kHz", 7050000}, {"7.05MHz", 7050000}, {"0.00705GHz", 7050000},
        {"7050KHZ", 7050000},  {"7.05Mhz", 7050000}, {"7.05mHz", kRefused}, {"7.05MH", kRefused},
        {"7.05Hz", kRefused},  {"Hz", kRefused},     {"7050kHzz", kRefused}, {"7g", kRefused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint32_t hertz = 12345;
        EXPECT_EQ(ReadHertz(c.text, hertz) == HertzReading::Value, c.hertz != kRefused);
        EXPECT_EQ(hertz, c.hertz != kRefused ? static_cast<std::uint32_t>(c.hertz) : 12345u);
    }
}

// Every spelling the table knows reads as a command line, and the help
// page names each option, so that none is hidden or left undocumented.
TEST(CommandLine, EveryOptionInTheTableReadsAndIsInTheHelp) {
    for (const OptionSpelling& o : OptionTable) {
        SCOPED_TRACE(o.Long);
        std::vector<std::string> arguments = {o.Long};
        if (o.Value != nullptr) {
            arguments.push_back("1");
        }
        EXPECT_EQ(MisspelledOption(arguments), "");
        EXPECT_NE(std::string(HelpText).find(std::string(o.Long) + (o.Value ? std::string(" ") + o.Value : "")),
                  std::string::npos);
        if (o.Short != 0) {
            EXPECT_EQ(MisspelledOption({std::string("-") + o.Short}), "");
            EXPECT_NE(std::string(HelpText).find(std::string("-") + o.Short + ", " + o.Long), std::string::npos);
        }
    }
    // After --, anything is a path.
    EXPECT_EQ(MisspelledOption({"--", "--jsn", "-x"}), "");
    EXPECT_EQ(MisspelledOption({"-rq", "-", "a.wav", "--cf=7M"}), "");
    // FIELD=VALUE options repeat; the others are given once.
    EXPECT_EQ(MisspelledOption({"--set", "A=1", "--set=B=2", "--where", "C=3", "--where", "D=4"}), "");
    EXPECT_EQ(MisspelledOption({"--shift", "-1h", "--shift", "1h"}), "--shift is given twice");
}

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

TEST(CommandLine, MaxGapIsWholeMillisecondsUpToADay) {
    const struct {
        const char* text;
        std::int64_t ms;  // -1: refused
    } cases[] = {
        {"0", 0},        {"1000", 1000},   {"86400000", 86400000}, {"086400000", 86400000},
        {"86400001", -1}, {"-1", -1},      {"1.5", -1},            {"", -1},
        {"1e3", -1},     {"+5", -1},       {"99999999999999999999", -1},
    };
    for (const auto& c : cases) {
        std::int64_t ms = 77;
        EXPECT_EQ(ParseMaxGap(c.text, ms), c.ms >= 0) << c.text;
        EXPECT_EQ(ms, c.ms >= 0 ? c.ms : 77) << c.text;
    }
}

TEST(CommandLine, AProgressLineFitsItsWidthCutAtThePathsFront) {
    const struct {
        const char* path;
        std::size_t width;
        const char* line;
        std::uint64_t total = 345;
    } cases[] = {
        {"rec/a.wav", 79, "patching 12 of 345: rec/a.wav"},
        {"rec/a.wav", 79, "patching 12: rec/a.wav", 11},  // links followed past the files counted
        {"rec/abcdefgh.wav", 30, "patching 12 of 345: ...fgh.wav"},
        {"rec/\xC3\xA4\xC3\xA4\xC3\xA4.wav", 30, "patching 12 of 345: ...\xC3\xA4\xC3\xA4\xC3\xA4.wav"},
        {"rec/\xC3\xA4\xC3\xA4\xC3\xA4.wav", 28, "patching 12 of 345: ...\xC3\xA4.wav"},
        {"a\nb.wav", 79, "patching 12 of 345: a\\x0Ab.wav"},
        {"rec/a.wav", 10, "patching 12 of 345: ..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressLine("patching", 12, c.total, c.path, c.width), c.line) << c.path << " " << c.width;
    }
}

TEST(CommandLine, WildcardsMatchAsOnWindows) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a.wav", "*.wav", true},       {"A.WAV", "*.wav", true},     {"a.wave", "*.wav", false},
        {"a.wav", "?.wav", true},       {"ab.wav", "?.wav", false},   {"\xE5\xBD\x95.wav", "?.wav", true},
        {"rec-1-b.wav", "rec*b.wav", true}, {"rec-1-c.wav", "rec*b.wav", false}, {"x", "*", true},
        {"", "*", true},                {"abc", "a*c*", true},        {"abcb", "*b", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
    }
    ScratchDir dir;
    WriteFileText("b.wav", "");
    WriteFileText("A.WAV", "");
    EXPECT_EQ(ExpandWildcards("*.wav"), (std::vector<std::string>{"A.WAV", "b.wav"}));
    EXPECT_EQ(ExpandWildcards("./?.WAV"), (std::vector<std::string>{"./A.WAV", "./b.wav"}));
    EXPECT_TRUE(ExpandWildcards("*.xyz").empty());  // told as a name that is not there
    EXPECT_TRUE(ExpandWildcards("nowhere/*.wav").empty());
    EXPECT_EQ(ExpandWildcards("c.wav"), std::vector<std::string>{"c.wav"});
}

TEST(CommandLine, ControlsAreShownEscapedAndNothingElse) {
    const struct {
        std::string bytes;
        const char* shown;
    } cases[] = {
        {"a\nb\r", "a\\x0Ab\\x0D"},           {std::string("\0\x1F\x20", 3), "\\x00\\x1F "},
        {"\x1B[31m", "\\x1B[31m"},             {"\x7E\x7F", "~\\x7F"},
        {"\xC2\x80\xC2\x9F", "\\xC2\\x80\\xC2\\x9F"}, {"\xC2\xA0 \xC3\xA9", "\xC2\xA0 \xC3\xA9"},
        {"\x9B \xC2", "\x9B \xC2"},             {"\xC2\xC2\x9B", "\xC2\\xC2\\x9B"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeControls(c.bytes), c.shown) << c.shown;
    }
}

TEST(CommandLine, AnOwnedConsoleWaitsForEnterOutsideTheOutput) {
    for (const bool owned : {false, true}) {
        SCOPED_TRACE(owned);
        ScratchDir dir;
        FakePlatform platform;
        FakePlatform::ownsConsole = owned;
        CapturedOutput output;
        EXPECT_EQ(RunCommandLine({"-V"}), 0);
        EXPECT_EQ(output.Take(), "kalimber 1.0\n");
        EXPECT_EQ(FakePlatform::waits, owned ? 1 : 0);
    }
}

}  // namespace
}  // namespace kalimber::test
