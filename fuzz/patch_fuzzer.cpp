// Fuzz target: the command line's patch of one file. The input's first byte
// picks what is given (bit 0 --cf, bit 1 --bw, neither: both; bit 2
// --dry-run), the next eight are the two values (little-endian), and the
// rest is the file. The file keeps its size, changes only in bytes 76..79
// and 88..91, and not at all when it holds no AUXI chunk or on a dry run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "cli/patch.h"
#include "fuzz/fuzz_support.h"
#include "header/print.h"

using namespace kalimber;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9 || size > 4096) {
        return -1;
    }
    auto value = [data](std::size_t at) {
        return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8 | data[at + 2] << 16) |
               static_cast<std::uint32_t>(data[at + 3]) << 24;
    };
    CommandLineOptions options;
    const bool both = (data[0] & 3) == 0;
    if (both || (data[0] & 1) != 0) {
        options.CenterFreq = value(1);
    }
    if (both || (data[0] & 2) != 0) {
        options.Bandwidth = value(5);
    }
    options.DryRun = (data[0] & 4) != 0;
    const std::vector<std::uint8_t> before(data + 9, data + size);

    fuzz::EnterScratchFolder();
    fuzz::WriteWhole("r.wav", before.data(), before.size());
    static std::FILE* errors = std::fopen("/dev/null", "w");
    g_ErrorOutput = errors;
    PatchTally tally;
    {
        fuzz::OutputSink sink;
        PatchRecording({"r.wav", "r.wav", ""}, options, tally);
    }
    g_ErrorOutput = nullptr;
    const std::vector<std::uint8_t> after = fuzz::ReadWhole("r.wav");
    fuzz::Require(tally.Patched + tally.Unchanged + tally.Refused + tally.Failed == 1, "one result");
    fuzz::Require(after.size() == before.size(), "the file keeps its size");
    const bool holds = fuzz::HoldsAuxiChunk(before);
    fuzz::Require(holds || tally.Refused == 1, "a file without an AUXI chunk is refused");
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool field = (i >= 76 && i < 80) || (i >= 88 && i < 92);
        fuzz::Require(before[i] == after[i] || (field && holds && !options.DryRun),
                      "only CenterFreq and Bandwidth change, and only when written");
    }
    if (tally.Patched == 1 && !options.DryRun) {
        auto at = [&after](std::size_t i) {
            return static_cast<std::uint32_t>(after[i] | after[i + 1] << 8 | after[i + 2] << 16) |
                   static_cast<std::uint32_t>(after[i + 3]) << 24;
        };
        fuzz::Require(!options.CenterFreq || at(76) == *options.CenterFreq, "CenterFreq written");
        fuzz::Require(!options.Bandwidth || at(88) == *options.Bandwidth, "Bandwidth written");
    }
    return 0;
}
