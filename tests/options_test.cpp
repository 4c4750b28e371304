// The command line's options in-process: the strict values of frequencies and
// of the largest gap, and every option of the table read and named in the help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/help.h"
#include "cli/options.h"

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

}  // namespace
}  // namespace kalimber::test
