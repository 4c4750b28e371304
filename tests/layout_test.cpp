// The header layout on disk: little-endian fields, loading files of every
// length up to a full header and beyond, and storing only the AUXI chunk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "run/run_image.h"
#include "run/run.h"
#include "tests/test_support.h"

namespace kalimber::test {
namespace {

TEST(Layout, FieldsAreLittleEndianAndSigned) {
    RecordingHeader h{};
    const std::uint8_t* raw = HeaderBytes(h);
    h.Fmt.BlockAlign.Set(-1);
    h.Auxi.CenterFreq.Set(0x12345678u);
    h.Orva.LocalToUTC.Set(-2);
    EXPECT_EQ(raw[32], 0xFF);
    EXPECT_EQ(raw[33], 0xFF);
    EXPECT_EQ(h.Fmt.BlockAlign.Get(), -1);
    EXPECT_EQ(raw[76], 0x78);
    EXPECT_EQ(raw[79], 0x12);
    EXPECT_EQ(raw[216], 0xFE);
    EXPECT_EQ(raw[219], 0xFF);
    EXPECT_EQ(h.Orva.LocalToUTC.Get(), -2);
    // Fields at the last offsets of the layout land where the file has them.
    h.Data.Size.Set(0xA1B2C3D4u);
    EXPECT_EQ(raw[312], 0xD4);
    EXPECT_EQ(raw[315], 0xA1);
}

// Every cut of a recording from 0 to 317 bytes: the image holds the file's
// bytes and zeros beyond them on a first load.
TEST(Layout, LoadingCutFilesShowsWhatTheFileHas) {
    ScratchDir dir;
    const Bytes full = WellFormedRecording(1);
    ASSERT_EQ(full.size(), 317u);
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        WriteFileRaw("cut.wav", Bytes(full.begin(), full.begin() + static_cast<long>(length)));
        ResetProcessState();
        std::FILE* file = std::fopen("cut.wav", "rb+");
        ASSERT_NE(file, nullptr);
        LoadHeader(file);
        std::fclose(file);
        const std::uint8_t* image = HeaderBytes(g_RecordingHeader);
        for (std::size_t i = 0; i < HeaderSize; ++i) {
            ASSERT_EQ(image[i], i < length ? full[i] : 0) << "byte " << i;
        }
        // The report of a cut file never crashes and always ends its last section.
        const std::string report = ReportOf("cut.wav");
        EXPECT_NE(report.find("---Additional Information---\n"), std::string::npos);
    }
}

TEST(Layout, ShortFileKeepsEarlierImageBytesBeyondItsEnd) {
    ScratchDir dir;
    const Bytes full = WellFormedRecording(100);
    WriteFileRaw("full.wav", full);
    WriteFileRaw("short.wav", Bytes(full.begin(), full.begin() + 50));
    ResetProcessState();
    g_RecordingHeader.Orva.Version = 7;
    std::FILE* file = std::fopen("short.wav", "rb+");
    ASSERT_NE(file, nullptr);
    LoadHeader(file);
    std::fclose(file);
    EXPECT_EQ(g_RecordingHeader.Orva.Version, 7);  // beyond the end: left as it was
    EXPECT_EQ(g_RecordingHeader.Fmt.SampleRate.Get(), 192000u);
}

TEST(Layout, StoreWritesBytes36To207Only) {
    ScratchDir dir;
    for (std::uint32_t dataBytes : {0u, 5000u}) {
        SCOPED_TRACE(dataBytes);
        Bytes before = WellFormedRecording(dataBytes);
        // Make every byte distinct from what a store would write there.
        for (std::size_t i = 0; i < before.size(); ++i) {
            before[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        WriteFileRaw("r.wav", before);
        ResetProcessState();
        for (std::size_t i = 0; i < HeaderSize; ++i) {
            HeaderBytes(g_RecordingHeader)[i] = static_cast<std::uint8_t>(0xA5 ^ i);
        }
        std::FILE* file = std::fopen("r.wav", "rb+");
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(StoreAuxiChunk(file));
        std::fclose(file);
        const Bytes after = ReadFileBytes("r.wav");
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            const bool inAuxi = i >= 36 && i < 208;
            ASSERT_EQ(after[i], inAuxi ? HeaderBytes(g_RecordingHeader)[i] : before[i])
                << "byte " << i;
        }
    }
}

TEST(Layout, StoreAndSyncReportAFailedWriteSeekOrSync) {
    ScratchDir dir;
    ResetProcessState();
    // /dev/full refuses the write; a FIFO cannot be positioned, so nothing
    // at all may reach it (its reading end would find the 172 bytes).
    // Neither can be synced, though nothing waits in the stream's buffer.
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    const int reader = open("fifo", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const char* path : {"/dev/full", "fifo"}) {
        SCOPED_TRACE(path);
        std::FILE* file = std::fopen(path, "rb+");
        ASSERT_NE(file, nullptr);
        std::setvbuf(file, nullptr, _IONBF, 0);
        EXPECT_FALSE(StoreAuxiChunk(file));
        EXPECT_FALSE(SystemCalls().SyncFile(file));
        std::fclose(file);
    }
    char byte = 0;
    EXPECT_EQ(read(reader, &byte, 1), 0);  // no writer left, nothing written
    close(reader);
}

}  // namespace
}  // namespace kalimber::test
