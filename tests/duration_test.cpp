// The recording check and the duration in milliseconds: worked examples,
// the block modes, strange block aligns and sample rates, and huge files.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "header/check.h"
#include "header/duration.h"
#include "header/header_report.h"
#include "run/run.h"
#include "run/run_image.h"
#include "tests/test_support.h"
#include "tools/sample_recording.h"

namespace kalimber::test {
namespace {

struct DurationCase {
    const char* name;
    std::int16_t blockAlign;
    std::uint8_t options1;
    std::uint32_t sampleRate;
    std::int64_t fileSize;
    const char* expectedTail;  // the report's text after "---Additional Information---\n"
};

// The report's last section for a sparse recording with these fields.
std::string AdditionalInformationOf(const RecordingHeader& h, std::int64_t fileSize) {
    MakeSparseRecording("d.wav", h, fileSize);
    const std::string report = ReportOf("d.wav");
    const std::string head = "---Additional Information---\n";
    const std::size_t at = report.rfind(head);
    return at == std::string::npos ? report : report.substr(at + head.size());
}

TEST(Duration, WorkedExamples) {
    // Options1 2 or 3 selects 3072 frames a block, 0, 1, 8 or 9 selects 12288.
    const DurationCase cases[] = {
        {"1000 blocks of 3072", 4, 2, 192000, 12288416, "   WavFileDurationMillisec: 16000\n"},
        {"10 blocks of 12288", 4, 0, 192000, 491840, "   WavFileDurationMillisec: 640\n"},
        {"10 blocks at 96 kHz", 4, 0, 96000, 491840, "   WavFileDurationMillisec: 1280\n"},
        {"less than one block", 4, 2, 192000, 316 + 12287, "   WavFileDurationMillisec: 0\n"},
        {"header only", 4, 2, 192000, 316, "   WavFileDurationMillisec: 0\n"},
        {"shorter than the header", 4, 2, 192000, 300, "   WavFileDurationMillisec: 0\n"},
        {"sample rate 0", 4, 2, 0, 12288416, "   WavFileDurationMillisec: 0\n"},
        // -1 * 3072 = -3072; 3072 / -3072 = -1 blocks, as unsigned 2^64 - 1:
        // the quotient lies beyond the signed 64-bit range.
        {"block align 0xFFFF", -1, 2, 192000, 3388, "   WavFileDurationMillisec: 0\n"},
        {"block align 0", 0, 2, 192000, 12288416, "   WavFileDurationMillisec: 0\n"},
        {"block align 0, mode 0", 0, 0, 192000, 12288416, "   WavFileDurationMillisec: 0\n"},
        // 316 + 49152 + 12288 bytes: one block of 12288 frames (64 ms), or
        // five blocks of 3072 (80 ms). Modes 2 and 3 show the value held: 0.
        {"Options1 0", 4, 0, 192000, 61756, "   WavFileDurationMillisec: 64\n"},
        {"Options1 1", 4, 1, 192000, 61756, "   WavFileDurationMillisec: 64\n"},
        {"Options1 2", 4, 2, 192000, 61756, "   WavFileDurationMillisec: 80\n"},
        {"Options1 3", 4, 3, 192000, 61756, "   WavFileDurationMillisec: 80\n"},
        {"Options1 4", 4, 4, 192000, 61756, "   WavFileDurationMillisec: 0\n"},
        {"Options1 5", 4, 5, 192000, 61756, "   WavFileDurationMillisec: 0\n"},
        {"Options1 6", 4, 6, 192000, 61756, "   WavFileDurationMillisec: 0\n"},
        {"Options1 7", 4, 7, 192000, 61756, "   WavFileDurationMillisec: 0\n"},
        {"Options1 8", 4, 8, 192000, 61756, "   WavFileDurationMillisec: 64\n"},
        {"Options1 9", 4, 9, 192000, 61756, "   WavFileDurationMillisec: 64\n"},
        {"Options1 255", 4, 255, 192000, 61756, "   WavFileDurationMillisec: 0\n"},
        // Block align -4: the block count is negative, far beyond range as unsigned.
        {"negative block align", -4, 2, 192000, 12288416, "   WavFileDurationMillisec: 0\n"},
        // 1 Hz: 1000 blocks * 1000 * 3072 = 3072000000, which fits in 32 bits.
        {"sample rate 1", 4, 2, 1, 12288416, "   WavFileDurationMillisec: 3072000000\n"},
        // 2000 blocks * 1000 * 3072 / 1 = 6144000000; its low 32 bits are 1849032704.
        {"low 32 bits kept", 4, 2, 1, 316 + 2000 * 12288,
         "   WavFileDurationMillisec: 1849032704\n"},
        // Quotients above 2^53 (a negative block count is 2^64 as a double):
        // only a result rounded to double at every step gives these digits.
        {"x87 would give 466544157", -1, 9, 2459124425u, 209211,
         "   WavFileDurationMillisec: 466544160\n"},
        {"x87 would give 628289002", -4, 64, 1404730501u, 2408763,
         "   WavFileDurationMillisec: 628288992\n"},
        {"x87 would give 2480279868", -10, 2, 799451325u, 9473063,
         "   WavFileDurationMillisec: 2480279872\n"},
        {"x87 would give 3958194739", -3, 0, 346954763u, 74968224,
         "   WavFileDurationMillisec: 3958194688\n"},
    };
    ScratchDir dir;
    for (const DurationCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHeader h = sample::MakeHeader(0);
        h.Fmt.BlockAlign.Set(c.blockAlign);
        h.Fmt.SampleRate.Set(c.sampleRate);
        h.Orva.Options1 = c.options1;
        EXPECT_EQ(AdditionalInformationOf(h, c.fileSize), c.expectedTail);
    }
}

TEST(Duration, OnlyVersionOneOfTheFamilyIsChecked) {
    struct Case {
        const char* name;
        ChunkId id;
        std::uint8_t version;
        const char* expected;
    };
    const Case cases[] = {
        {"upper case ORVA", {'O', 'R', 'V', 'A'}, 1, "This is not an ORVA .wav file!!!\n"},
        {"zero id", {0, 0, 0, 0}, 1, "This is not an ORVA .wav file!!!\n"},
        {"one byte off", {'o', 'r', 'v', 'b'}, 1, "This is not an ORVA .wav file!!!\n"},
        {"version 0", {'o', 'r', 'v', 'a'}, 0, "This is not a supported ORVA .wav file!!!\n"},
        {"version 2", {'o', 'r', 'v', 'a'}, 2, "This is not a supported ORVA .wav file!!!\n"},
        {"version 1", {'o', 'r', 'v', 'a'}, 1, "   WavFileDurationMillisec: 0\n"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHeader h = sample::MakeHeader(0);
        h.Orva.Id = c.id;
        h.Orva.Version = c.version;
        EXPECT_EQ(AdditionalInformationOf(h, 1000), c.expected);
    }
}

TEST(Duration, SparseRecordingsBeyondFourGiB) {
    ScratchDir dir;
    RecordingHeader h = sample::MakeHeader(0);  // block align 4, 3072 frames, 192 kHz
    // 5 GiB: (5368709120 - 316) / 12288 = 436906 blocks; * 1000 * 3072 / 192000 = * 16.
    EXPECT_EQ(AdditionalInformationOf(h, 5LL << 30), "   WavFileDurationMillisec: 6990496\n");
    // 20 GiB: (21474836480 - 316) / 12288 = 1747626 blocks; * 16.
    EXPECT_EQ(AdditionalInformationOf(h, 20LL << 30), "   WavFileDurationMillisec: 27962016\n");
    // 16 TiB less 4 KiB, the largest file ext4 holds: (17592186040320 - 316) / 12288
    // = 1431655764 blocks; * 16 = 22906492224, whose low 32 bits are
    // 22906492224 - 5 * 4294967296 = 1431655744.
    EXPECT_EQ(AdditionalInformationOf(h, (16LL << 40) - 4096),
              "   WavFileDurationMillisec: 1431655744\n");
    // The command line's JSON and CSV take it whole; no finite quotient is 0 there too.
    EXPECT_EQ(WorkOutFullDuration(h, (16LL << 40) - 4096), 22906492224u);
    RecordingHeader noRate = h;
    noRate.Fmt.SampleRate.Set(0);
    EXPECT_EQ(WorkOutFullDuration(noRate, 5LL << 30), 0u);
}

TEST(Duration, BlockModeTwoShowsTheValueOfTheEarlierReport) {
    ScratchDir dir;
    ResetProcessState();
    WriteFileRaw("a.wav", WellFormedRecording(10 * 12288));  // 160 ms
    RecordingHeader h = sample::MakeHeader(0);
    h.Orva.Options1 = 4;
    WriteFileRaw("b.wav", RecordingWith(h, 50 * 12288));
    CapturedOutput output;
    for (const char* path : {"a.wav", "b.wav"}) {
        std::FILE* file = std::fopen(path, "rb+");
        ASSERT_NE(file, nullptr);
        PrintHeaderReport(file);
        std::fclose(file);
    }
    const std::string text = output.Take();
    const std::string line = "   WavFileDurationMillisec: 160\n";
    const std::size_t first = text.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find(line, first + 1), std::string::npos) << text;
}

TEST(Duration, ArithmeticAtTheEdgesOfItsRanges) {
    constexpr std::int64_t kInvalid = std::numeric_limits<std::int64_t>::min();
    std::int64_t blocks = 0;
    EXPECT_FALSE(CountWholeBlocks(1000000, 0, 3072, blocks));
    ASSERT_TRUE(CountWholeBlocks(3388, -1, 3072, blocks));
    EXPECT_EQ(blocks, -1);
    ASSERT_TRUE(CountWholeBlocks(-1, 4, 3072, blocks));  // a failed tell
    EXPECT_EQ(blocks, 0);
    ASSERT_TRUE(CountWholeBlocks(std::numeric_limits<std::int64_t>::max(), -32768, 12288, blocks));
    EXPECT_EQ(blocks, -22906492245LL);  // (2^63 - 1) / -402653184, toward zero
    // INT64_MIN / -1 is the one quotient past the range: it keeps the dividend.
    ASSERT_TRUE(CountWholeBlocks(std::numeric_limits<std::int64_t>::min(), -1, 1, blocks));
    EXPECT_EQ(blocks, std::numeric_limits<std::int64_t>::min());
    ASSERT_TRUE(CountWholeBlocks(std::numeric_limits<std::int64_t>::min(), 4, 3072, blocks));
    EXPECT_EQ(blocks, -750599937895082LL);
    EXPECT_EQ(DurationMillisec(-1, 3072, 192000), kInvalid);
    EXPECT_EQ(DurationMillisec(5, 3072, 0), kInvalid);
    EXPECT_EQ(DurationMillisec(0, 3072, 0), kInvalid);
    EXPECT_EQ(DurationMillisec(0, 12288, 1), 0);
    // 3002399751580 * 1000 * 3072 = 9223372036853760000 < 2^63, exact in double.
    EXPECT_EQ(DurationMillisec(3002399751580LL, 3072, 1), 9223372036853760000LL);
    // One block more gives 9223372036856832000, beyond 2^63.
    EXPECT_EQ(DurationMillisec(3002399751581LL, 3072, 1), kInvalid);
}

}  // namespace
}  // namespace kalimber::test
