// Strange inputs through the whole run: recordings cut at every chunk border,
// odd command files, and huge sparse recordings patched in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run/run.h"
#include "tests/expected_text.h"
#include "tests/test_support.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {



TEST(Faults, RecordingsCutAtChunkBordersRunWithCommands) {
    struct Case {
        std::size_t length;
        const char* lastLine;  // of the report
    };
    const Case cases[] = {
        // Too short to hold the AUXI chunk: never written, never grown.
        {0, "This is not an ORVA .wav file!!!\n"},
        {1, "This is not an ORVA .wav file!!!\n"},
        {35, "This is not an ORVA .wav file!!!\n"},
        {36, "This is not an ORVA .wav file!!!\n"},
        {207, "This is not an ORVA .wav file!!!\n"},
        // From here the AUXI chunk is whole and is written in place.
        {208, "This is not an ORVA .wav file!!!\n"},
        // The identifier is there but the version byte (271) is not.
        {212, "This is not a supported ORVA .wav file!!!\n"},
        {315, "   WavFileDurationMillisec: 0\n"},
        {316, "   WavFileDurationMillisec: 0\n"},
        {317, "   WavFileDurationMillisec: 0\n"},
    };
    ScratchDir dir;
    const Bytes full = WellFormedRecording(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const Bytes before(full.begin(), full.begin() + static_cast<long>(c.length));
        const bool written = c.length >= 208;
        const Bytes after = written ? Patched(before, 100, 200) : before;
        const std::string messages =
            written ? "Cmd Write CenterFreq: 100[Hz]\nCmd Write BandWidth: 200[Hz]\n"
                    : kNotWritten + kNotWritten;
        const std::string expected = ExpectedRunOutput("r.wav", before, messages, after);
        WriteFileRaw("r.wav", before);
        const std::string output = RunWithCommandFile("r.wav\nWCF 100\nWBW 200\n");
        EXPECT_EQ(output, expected);
        EXPECT_TRUE(EndsWith(written ? output : output.substr(0, output.find(kCmdListBanner)),
                             c.lastLine));
        EXPECT_TRUE(ReadFileBytes("r.wav") == after);
    }
}

TEST(Faults, OddCommandFiles) {
    struct Case {
        const char* name;
        std::string lines;
        std::string messages;
    };
    const std::string wrong = "Wrong Command\n";
    const Case cases[] = {
        {"NUL ends what the line holds", std::string("WCF 1\0WBW 2\nWBW 3\n", 18),
         "Cmd Write CenterFreq: 1[Hz]\nCmd Write BandWidth: 3[Hz]\n"},
        {"NUL at the start", std::string("\0WCF 1\n", 7), wrong},
        {"bytes above 0x7F", "\xC3\xA9WCF 1\nWCF \xFF" "5\nW\x80\x81\n",
         wrong + "Cmd Write CenterFreq: 0[Hz]\n" + wrong},
        {"1023 characters and a line feed", "WCF 7" + std::string(1018, ' ') + "\n",
         "Cmd Write CenterFreq: 7[Hz]\n"},
        {"1024 characters", "WCF 7" + std::string(1019, 'x') + "\n",
         "Cmd Write CenterFreq: 7[Hz]\n" + wrong},
        {"5000 characters", "WBW 9" + std::string(4995, 'x') + "\n",
         "Cmd Write BandWidth: 9[Hz]\n" + wrong + wrong + wrong + wrong},
        {"only line feeds and CRs", "\n\r\n\r\r\n", wrong},
        {"slash in a later piece", "WCF 7" + std::string(1018, 'x') + "/WBW 1\nWBW 2\n",
         "Cmd Write CenterFreq: 7[Hz]\n"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes before = WellFormedRecording(400);
        WriteFileRaw("r.wav", before);
        const std::string output = RunWithCommandFile("r.wav\n" + c.lines);
        const std::size_t list = output.find(kCmdListBanner);
        ASSERT_NE(list, std::string::npos);
        EXPECT_EQ(output.substr(list + kCmdListBanner.size(), c.messages.size()), c.messages);
        const Bytes after = ReadFileBytes("r.wav");
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            if (i < 36 || i >= 208) {
                ASSERT_EQ(after[i], before[i]) << "byte " << i;
            }
        }
    }
}

TEST(Faults, SparseRecordingsArePatchedWithoutChangingTheirSize) {
    struct Case {
        std::int64_t size;
        const char* duration;  // worked out in the duration tests
    };
    const Case cases[] = {
        {5LL << 30, "   WavFileDurationMillisec: 6990496\n"},
        {20LL << 30, "   WavFileDurationMillisec: 27962016\n"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const RecordingHeader header = sample::MakeHeader(0);
        MakeSparseRecording("big.wav", header, c.size);
        const std::string output = RunWithCommandFile("big.wav\nWCF 14200000\nWBW 0x30D40\n");
        // Both reports show the duration; the second shows the new values.
        const std::size_t second = output.find(kNewHeaderBanner);
        ASSERT_NE(second, std::string::npos);
        EXPECT_NE(output.substr(0, second).find(c.duration), std::string::npos);
        EXPECT_TRUE(EndsWith(output, c.duration));
        EXPECT_NE(output.find("   CenterFreq: 14200000\n", second), std::string::npos);
        EXPECT_NE(output.find("   Bandwidth: 200000\n", second), std::string::npos);
        EXPECT_EQ(std::filesystem::file_size("big.wav"), static_cast<std::uintmax_t>(c.size));
        // The header outside the AUXI chunk is as it was.
        std::FILE* file = std::fopen("big.wav", "rb");
        ASSERT_NE(file, nullptr);
        std::uint8_t head[HeaderSize];
        ASSERT_EQ(std::fread(head, 1, HeaderSize, file), HeaderSize);
        std::fclose(file);
        for (std::size_t i = 0; i < HeaderSize; ++i) {
            if (i < 36 || i >= 208) {
                ASSERT_EQ(head[i], HeaderBytes(header)[i]) << "byte " << i;
            }
        }
        std::filesystem::remove("big.wav");
    }
}

}  // namespace
}  // namespace kalimber::test
