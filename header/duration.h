// The duration of a recording: how many milliseconds its whole blocks of
// samples last, worked out alike on every CPU from size, block align and rate.
#pragma once

#include <cstdint>
#include <optional>

namespace kalimber {

struct RecordingHeader;

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

// How a header's block mode (bits 1 and 2 of Options1) reads.
int BlockMode(const RecordingHeader& header);

// The duration of a supported recording of fileSize bytes with this header:
// none for block modes 2 and 3, 0 where a block align of 0 leaves nothing
// to divide by.
std::optional<std::uint32_t> WorkOutDuration(const RecordingHeader& header, std::int64_t fileSize);

// The same duration whole, as the run's report would show it were its line
// not 32 bits wide (past 2^32 ms, some 49.7 days); 0 where the run shows 0.
std::optional<std::uint64_t> WorkOutFullDuration(const RecordingHeader& header, std::int64_t fileSize);

}  // namespace kalimber
