// The recording check and the duration: is this a recording of the receiver
// family in a supported version, and how many milliseconds of whole blocks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace kalimber {

struct RecordingHeader;

// Kept between the reports of a run; shown again when no duration is worked out.
extern std::uint32_t g_WavFileDurationMillisec;

// The block size that bits 1 and 2 of Options1 select: 12288 or 3072 frames,
// or 0 where no duration is worked out (block modes 2 and 3).
int FramesPerBlock(std::uint8_t options1);

// Whole blocks in a file of fileSize bytes, truncated toward zero. Returns
// false where the block align of 0 leaves nothing to divide by.
bool CountWholeBlocks(std::int64_t fileSize, std::int16_t blockAlign, int framesPerBlock,
                      std::int64_t& blocks);

// The duration in milliseconds: blocks (as unsigned 64 bits) * 1000 *
// framesPerBlock / sampleRate in double, rounded toward zero to signed 64
// bits; a quotient that is not finite or out of that range gives INT64_MIN.
std::int64_t DurationMillisec(std::int64_t blocks, int framesPerBlock, std::uint32_t sampleRate);

// What the vendor chunk of the image says of the file. Truncated is a
// recording whose file ends inside its 316-byte header: the command line
// tells it apart, the ToDoWave.txt run reports such a file as it stands.
enum class RecordingCheck { Ok, NotOrva, UnsupportedVersion, Truncated };

// How the command line names a check: "ok", "not-orva", "unsupported-version",
// "truncated".
const char* CheckName(RecordingCheck check);

// What a header's vendor chunk says: its identifier and version.
RecordingCheck CheckVendorChunk(const RecordingHeader& header);
// The same of the process-wide image.
RecordingCheck CheckVendorChunk();

// The check of a file of fileSize bytes with this header: its vendor
// chunk's, or Truncated where that passes but the file ends inside the header.
RecordingCheck CheckRecordingFile(const RecordingHeader& header, std::int64_t fileSize);

// How a header's block mode (bits 1 and 2 of Options1) reads.
int BlockMode(const RecordingHeader& header);

// The duration of a supported recording of fileSize bytes with this header:
// none for block modes 2 and 3, 0 where a block align of 0 leaves nothing
// to divide by.
std::optional<std::uint32_t> WorkOutDuration(const RecordingHeader& header, std::int64_t fileSize);

// The same duration whole, as the run's report would show it were its line
// not 32 bits wide (past 2^32 ms, some 49.7 days); 0 where the run shows 0.
std::optional<std::uint64_t> WorkOutFullDuration(const RecordingHeader& header, std::int64_t fileSize);

// Checks the image's vendor chunk; for a supported recording, also takes the
// file's size and works out g_WavFileDurationMillisec, which block modes 2
// and 3 leave as it was. Leaves the file at its end.
RecordingCheck CheckRecording(std::FILE* recording);

// The same for a file of fileSize bytes whose size is already known.
RecordingCheck CheckRecordingOfSize(std::int64_t fileSize);

// The last section of every header report.
void PrintAdditionalInformation(std::FILE* recording);

// That section for a check that is known, with the duration to show.
void PrintAdditionalLines(RecordingCheck check, std::uint32_t wavFileDurationMillisec);

// The header image zero and no duration worked out, as in a fresh process.
void ResetRecordingState();

}  // namespace kalimber
