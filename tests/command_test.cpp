// The command list: the argument parser, each command's effect on the file,
// the list's end, and writes that fail.
#include <gtest/gtest.h>

#include <string>

#include "run/command_list.h"
#include "run/run.h"
#include "tests/expected_text.h"
#include "tests/test_support.h"

namespace kalimber::test {
namespace {


constexpr std::uint32_t kOriginalCenterFreq = 7100000;
constexpr std::uint32_t kOriginalBandwidth = 150000;

std::uint32_t U32At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes.at(offset) | bytes.at(offset + 1) << 8 |
                                      bytes.at(offset + 2) << 16) |
           static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24;
}

TEST(ParseArgument, FollowsStrtoulWithBaseZeroIn32Bits) {
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {" 7050000\n", 7050000},
        {"0x6B9310", 7050000},
        {"0X6b9310", 7050000},
        {" 07050000", 1855488},
        {"08", 0},  // octal stops at the 8
        {"0x", 0},  // no hex digit: the 0 is the number
        {"0xg", 0},
        {"=7050000", 0},
        {"X 5", 0},
        {"", 0},
        {"\n", 0},
        {"   \t+42abc", 42},
        {"-1", 4294967295u},
        {"-5", 4294967291u},
        {"-0", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"4294967295", 4294967295u},
        {"4294967296", 4294967295u},
        {"99999999999999999999999999", 4294967295u},
        {"-4294967295", 1},
        {"-4294967296", 4294967295u},
        {"0xFFFFFFFF", 4294967295u},
        {"0x100000000", 4294967295u},
        {"037777777777", 4294967295u},
        {"040000000000", 4294967295u},
        {"\v\f\r 12", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseArgument(c.text), c.value) << '"' << c.text << '"';
    }
}

struct CommandCase {
    const char* name;
    std::string lines;  // the command file after the path line
    std::string messages;  // what the list prints after its banner
    std::uint32_t centerFreq;
    std::uint32_t bandwidth;
};

TEST(CommandList, CommandsChangeTheFileAsTheyAreRead) {
    const std::string longLine = "WCF 1" + std::string(1018, ' ') + "WBW 77\n";  // 1023 + 7
    const CommandCase cases[] = {
        {"decimal", "WCF 7050000\n", "Cmd Write CenterFreq: 7050000[Hz]\n", 7050000,
         kOriginalBandwidth},
        {"hex", "WCF0x6B9310\n", "Cmd Write CenterFreq: 7050000[Hz]\n", 7050000,
         kOriginalBandwidth},
        {"octal", "WCF 07050000\n", "Cmd Write CenterFreq: 1855488[Hz]\n", 1855488,
         kOriginalBandwidth},
        {"equals sign", "WCF=7050000\n", "Cmd Write CenterFreq: 0[Hz]\n", 0, kOriginalBandwidth},
        {"lower case", "wcf 7050000\n", "Wrong Command\n", kOriginalCenterFreq,
         kOriginalBandwidth},
        {"WCFX", "WCFX 5\n", "Cmd Write CenterFreq: 0[Hz]\n", 0, kOriginalBandwidth},
        {"short word", "WC\nW\n", "Wrong Command\nWrong Command\n", kOriginalCenterFreq,
         kOriginalBandwidth},
        {"slash ends the list", "/\nWCF 1\nWBW 2\n", "", kOriginalCenterFreq,
         kOriginalBandwidth},
        {"slash after a command", "WBW 9\n/stop\nWCF 1\n", "Cmd Write BandWidth: 9[Hz]\n",
         kOriginalCenterFreq, 9},
        {"empty lines", "\nWCF 5\n\n\nWBW 6\n\n",
         "Cmd Write CenterFreq: 5[Hz]\nCmd Write BandWidth: 6[Hz]\n", 5, 6},
        {"two WBW lines", "WBW 100\nWBW 200\n",
         "Cmd Write BandWidth: 100[Hz]\nCmd Write BandWidth: 200[Hz]\n", kOriginalCenterFreq,
         200},
        {"minus one", "WBW -1\n", "Cmd Write BandWidth: 4294967295[Hz]\n", kOriginalCenterFreq,
         4294967295u},
        {"beyond 32 bits", "WBW 4294967296\n", "Cmd Write BandWidth: 4294967295[Hz]\n",
         kOriginalCenterFreq, 4294967295u},
        {"line of 1030 characters is two pieces", longLine,
         "Cmd Write CenterFreq: 1[Hz]\nCmd Write BandWidth: 77[Hz]\n", 1, 77},
        {"CR LF", "WCF 100\r\n\r\nWBW 200\r\n",
         "Cmd Write CenterFreq: 100[Hz]\nCmd Write BandWidth: 200[Hz]\n", 100, 200},
        {"WCF then WBW", "WCF 100\nWBW 200\n",
         "Cmd Write CenterFreq: 100[Hz]\nCmd Write BandWidth: 200[Hz]\n", 100, 200},
        {"last without line feed", "WCF 100\nWBW 300",
         "Cmd Write CenterFreq: 100[Hz]\nCmd Write BandWidth: 300[Hz]\n", 100, 300},
        {"space before the word", " WCF 1\n", "Wrong Command\n", kOriginalCenterFreq,
         kOriginalBandwidth},
        {"NUL inside the word", std::string("W\0CF 1\nWCF\0 2\n", 14),
         "Wrong Command\nCmd Write CenterFreq: 0[Hz]\n", 0, kOriginalBandwidth},
    };
    ScratchDir dir;
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = WellFormedRecording(5000);
        WriteFileRaw("r.wav", before);
        FakePlatform platform;
        const std::string output = RunWithCommandFile("r.wav\n" + c.lines);
        const std::size_t list = output.find(kCmdListBanner);
        ASSERT_NE(list, std::string::npos);
        const std::string after = output.substr(list + kCmdListBanner.size());
        const bool wrote = c.messages.find("Cmd Write") != std::string::npos;
        // One sync after the last write; a run that wrote nothing never syncs.
        EXPECT_EQ(FakePlatform::syncs, wrote ? 1 : 0);
        if (wrote) {
            EXPECT_EQ(after.substr(0, c.messages.size() + kNewHeaderBanner.size()),
                      c.messages + kNewHeaderBanner);
            // The second report shows what the file now holds.
            EXPECT_NE(after.find("   CenterFreq: " + std::to_string(c.centerFreq) + "\n"),
                      std::string::npos);
            EXPECT_NE(after.find("   Bandwidth: " + std::to_string(c.bandwidth) + "\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(after, c.messages);  // no second report
        }
        const Bytes file = ReadFileBytes("r.wav");
        ASSERT_EQ(file.size(), before.size());
        EXPECT_EQ(U32At(file, 76), c.centerFreq);
        EXPECT_EQ(U32At(file, 88), c.bandwidth);
        for (std::size_t i = 0; i < file.size(); ++i) {
            if ((i < 76 || i > 79) && (i < 88 || i > 91)) {
                ASSERT_EQ(file[i], before[i]) << "byte " << i;
            }
        }
    }
}

TEST(CommandList, EachWriteCarriesTheImageAsLoadedWithEarlierChanges) {
    ScratchDir dir;
    // Bytes of the AUXI chunk that no command touches survive every write,
    // and the second write still holds the first command's value.
    Bytes recording = WellFormedRecording(100);
    recording[150] = 'N';
    recording[44] = 0xE5;
    WriteFileRaw("r.wav", recording);
    RunWithCommandFile("r.wav\nWCF 100\nWBW 200\n");
    const Bytes after = ReadFileBytes("r.wav");
    EXPECT_EQ(after[150], 'N');
    EXPECT_EQ(after[44], 0xE5);
    EXPECT_EQ(U32At(after, 76), 100u);
    EXPECT_EQ(U32At(after, 88), 200u);
}

TEST(CommandList, FailedWritesAreReportedAndTheRunGoesOn) {
    ScratchDir dir;
    // /dev/full opens for update and reads as zeros, but refuses every write.
    const std::string output = RunWithCommandFile("/dev/full\nWCF 5\nbad\nWBW 6\n");
    const std::string expected = kCmdListBanner +
                                 "Cmd Write CenterFreq: 5[Hz]\nWrite ERROR\n"
                                 "Wrong Command\n"
                                 "Cmd Write BandWidth: 6[Hz]\nWrite ERROR\n"
                                 "Write ERROR\n" +  // nor can the device be synced
                                 kNewHeaderBanner;
    EXPECT_NE(output.find(expected), std::string::npos) << output;
    // The second report shows what the device holds: zeros, not the values.
    const std::string second = output.substr(output.find(kNewHeaderBanner));
    EXPECT_NE(second.find("   CenterFreq: 0\n"), std::string::npos);
    EXPECT_NE(second.find("   Bandwidth: 0\n"), std::string::npos);
    // The run finished: both files are closed, ready for the idle state.
    EXPECT_EQ(g_RecordingFile, nullptr);
    EXPECT_EQ(g_CommandFile, nullptr);
}

TEST(CommandList, AFailedSyncIsReportedOnceBeforeTheNewHeader) {
    ScratchDir dir;
    WriteFileRaw("r.wav", WellFormedRecording(100));
    FakePlatform platform;
    FakePlatform::syncFails = true;
    const std::string output = RunWithCommandFile("r.wav\nWCF 5\nWBW 6\n");
    EXPECT_NE(output.find("Cmd Write BandWidth: 6[Hz]\nWrite ERROR\n" + kNewHeaderBanner),
              std::string::npos);
    EXPECT_EQ(output.find("Write ERROR"), output.rfind("Write ERROR"));
    EXPECT_EQ(FakePlatform::syncs, 1);
    const Bytes after = ReadFileBytes("r.wav");  // the writes themselves went through
    EXPECT_EQ(U32At(after, 76), 5u);
    EXPECT_EQ(U32At(after, 88), 6u);
}

}  // namespace
}  // namespace kalimber::test
