// The command list: the argument parser, each command's effect on the file,
// the list's end, and writes that fail.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>

#include "run/command_list.h"
#include "run/run.h"
#include "tests/expected_text.h"
#include "tests/test_support.h"
#include "tools/sample_recording.h"

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
        {"0xA", 10},  // the first and last upper-case digits
        {"0XF", 15},
        {"0xABCDEF", 11259375},
        {"0xabcdef", 11259375},
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
    std::optional<Bytes> recording = std::nullopt;  // a well-formed one if not given
};

// A well-formed recording changed by edit.
template <typename Edit>
Bytes RecordingEditedBy(Edit edit) {
    RecordingHeader header = sample::MakeHeader(5000);
    edit(header);
    return RecordingWith(header, 5000);
}

// A well-formed recording whose format chunk is 18 bytes long (with the
// extension-size field), so its AUXI chunk starts at byte 38.
Bytes WithLongFormatChunk() {
    Bytes bytes = WellFormedRecording(5000);
    bytes[16] = 18;
    bytes.insert(bytes.begin() + 36, {0, 0});
    return bytes;
}

Bytes WithAuxiId(const char (&id)[5]) {
    return RecordingEditedBy([&id](RecordingHeader& h) { sample::SetId(h.Auxi.Id, id); });
}

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
        // Only a file with an AUXI chunk at byte 36 is ever written.
        {"plain WAV, data at 36", "WCF 7074000\nWBW 3000\n", kNotWritten + kNotWritten, 0, 0,
         PlainWav(400)},
        {"18-byte format chunk", "WCF 7074000\n", kNotWritten, 0, 0, WithLongFormatChunk()},
        {"AUXI in upper case", "WCF 1\n", kNotWritten, 0, 0, WithAuxiId("AUXI")},
        {"auxj", "WBW 1\n", kNotWritten, 0, 0, WithAuxiId("auxj")},
        {"refused, then wrong and empty", "WCF 1\nbad\n\n",
         kNotWritten + "Wrong Command\n", 0, 0, PlainWav(400)},
        {"vendor chunk version 2 is written", "WCF 3\n", "Cmd Write CenterFreq: 3[Hz]\n", 3,
         kOriginalBandwidth, RecordingEditedBy([](RecordingHeader& h) { h.Orva.Version = 2; })},
        {"no vendor chunk is written", "WBW 4\n", "Cmd Write BandWidth: 4[Hz]\n",
         kOriginalCenterFreq, 4,
         RecordingEditedBy([](RecordingHeader& h) { h.Orva = OrvaChunk{}; })},
    };
    ScratchDir dir;
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = c.recording.value_or(WellFormedRecording(5000));
        const bool wrote = c.messages.find("Cmd Write") != std::string::npos;
        // Only CenterFreq (76-79) and Bandwidth (88-91) may change, and only when written.
        const Bytes after = wrote ? Patched(before, c.centerFreq, c.bandwidth) : before;
        const std::string expected = ExpectedRunOutput("r.wav", before, c.messages, after);
        WriteFileRaw("r.wav", before);
        FakePlatform platform;
        EXPECT_EQ(RunWithCommandFile("r.wav\n" + c.lines), expected);
        // One sync after the last write; a run that wrote nothing never syncs.
        EXPECT_EQ(FakePlatform::syncs, wrote ? 1 : 0);
        EXPECT_TRUE(ReadFileBytes("r.wav") == after);
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

// While it lives, no write may reach past byte limit of any file (the writes
// fail with EFBIG instead of raising SIGXFSZ); the captured output is in memory.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{limit, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

TEST(CommandList, FailedWritesAreReportedAndTheRunGoesOn) {
    ScratchDir dir;
    const Bytes before = WellFormedRecording(100);
    WriteFileRaw("r.wav", before);
    const std::string expected =
        ExpectedRunOutput("r.wav", before,
                          "Cmd Write CenterFreq: 5[Hz]\nWrite ERROR\n"
                          "Wrong Command\n"
                          "Cmd Write BandWidth: 6[Hz]\nWrite ERROR\n",
                          before);  // the second report shows the file as it still is
    std::string output;
    {
        // The command file (25 bytes) is still written; the AUXI chunk at 36 is not.
        FileSizeLimit limit(36);
        output = RunWithCommandFile("r.wav\nWCF 5\nbad\nWBW 6\n");
    }
    EXPECT_EQ(output, expected);
    EXPECT_TRUE(ReadFileBytes("r.wav") == before);
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
