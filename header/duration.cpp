// Works out the duration from the file size, block align, sample rate and
// block mode, each step in double so that every host gives the same figure.
#include "header/duration.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "header/recording_header.h"

namespace kalimber {

// The duration must come out the same on every CPU, so each of its steps is
// rounded to double. Intermediates kept in 80-bit x87 registers (evaluation
// method 2, the default of 32-bit x86 compilers) change its low digits.
static_assert(FLT_EVAL_METHOD == 0 || FLT_EVAL_METHOD == 1,
              "double arithmetic must be evaluated in double (32-bit x86: -msse2 -mfpmath=sse)");

int FramesPerBlock(std::uint8_t options1) {
    const int blockMode = (options1 >> 1) & 3;
    switch (blockMode) {
        case 0:
            return 12288;
        case 1:
            return 3072;
        default:
            return 0;
    }
}

bool CountWholeBlocks(std::int64_t fileSize, std::int16_t blockAlign, int framesPerBlock,
                      std::int64_t& blocks) {
    // |blockAlign| <= 32768 and framesPerBlock <= 12288: the product fits in 32 bits.
    const std::int32_t divisor = std::int32_t{blockAlign} * framesPerBlock;
    if (divisor == 0) {
        return false;
    }
    // A tell never gives less than -1, so the difference cannot overflow; the
    // guard keeps that true for any caller.
    constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min() + HeaderSize;
    const std::int64_t dividend = fileSize < kLowest ? std::numeric_limits<std::int64_t>::min()
                                                     : fileSize - std::int64_t{HeaderSize};
    // INT64_MIN / -1 is the one quotient that overflows; its true value is past
    // the signed range, so it is reported as the wrapped value two's complement gives.
    if (dividend == std::numeric_limits<std::int64_t>::min() && divisor == -1) {
        blocks = dividend;
        return true;
    }
    blocks = dividend / std::int64_t{divisor};
    return true;
}

std::int64_t DurationMillisec(std::int64_t blocks, int framesPerBlock, std::uint32_t sampleRate) {
    constexpr std::int64_t kInvalid = std::numeric_limits<std::int64_t>::min();
    if (sampleRate == 0) {
        return kInvalid;  // the quotient would be infinite or NaN
    }
    // In this order, each step rounded to double, the same on every host.
    double quotient = static_cast<double>(static_cast<std::uint64_t>(blocks));
    quotient = quotient * 1000.0;
    quotient = quotient * static_cast<double>(framesPerBlock);
    quotient = quotient / static_cast<double>(sampleRate);
    // Only a finite value inside [-2^63, 2^63) may be converted to int64_t.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!std::isfinite(quotient) || quotient >= kTwoTo63 || quotient < -kTwoTo63) {
        return kInvalid;
    }
    return static_cast<std::int64_t>(quotient);  // truncates toward zero
}

int BlockMode(const RecordingHeader& header) {
    return (header.Orva.Options1 >> 1) & 3;
}

std::optional<std::uint32_t> WorkOutDuration(const RecordingHeader& header, std::int64_t fileSize) {
    const std::optional<std::uint64_t> full = WorkOutFullDuration(header, fileSize);
    return full ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*full)) : std::nullopt;
}

std::optional<std::uint64_t> WorkOutFullDuration(const RecordingHeader& header, std::int64_t fileSize) {
    const int framesPerBlock = FramesPerBlock(header.Orva.Options1);
    if (framesPerBlock == 0) {
        return std::nullopt;
    }
    std::int64_t blocks = 0;
    if (!CountWholeBlocks(fileSize, header.Fmt.BlockAlign.Get(), framesPerBlock, blocks)) {
        return 0;  // block align 0: nothing to divide by
    }
    const std::int64_t millisec = DurationMillisec(blocks, framesPerBlock, header.Fmt.SampleRate.Get());
    // The one negative value stands for no finite quotient, whose low 32 bits the run shows as 0.
    return millisec < 0 ? 0 : static_cast<std::uint64_t>(millisec);
}

}  // namespace kalimber
